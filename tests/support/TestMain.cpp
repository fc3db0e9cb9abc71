// Test programs run with an application object on Qt's offscreen platform, so that
// windows, posted messages and sockets work without a display. No test may block on a real
// dialog: unless a test installs scripted dialogs, every box fails the test and is answered
// at once; an exception that reaches the application's handler fails the test too.
#include "core/UnexpectedBoxes.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"

#include <QFont>
#include <gtest/gtest.h>

namespace {

class UnexpectedDialogs : public platform::TDialogs {
public:
    platform::TModalResult MessageBox(const std::string& text, const std::string& caption,
                                      platform::TBoxButtons buttons) override {
        return boxes_.MessageBox(text, caption, buttons);
    }
    platform::TModalResult MessageDlg(const std::string& text, platform::TMsgDlgType type,
                                      platform::TMsgDlgButtons buttons) override {
        return boxes_.MessageDlg(text, type, buttons);
    }
    bool ExecuteOpen(platform::TFileDialog&) override { return Unexpected("open"); }
    bool ExecuteSave(platform::TFileDialog&) override { return Unexpected("save"); }
    bool ExecuteFont(QFont&, platform::TColor&) override { return Unexpected("font"); }

private:
    UnexpectedBoxes boxes_;
    static bool Unexpected(const char* what) {
        ADD_FAILURE() << "unexpected " << what << " dialog";
        return false;
    }
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    platform::TApplication app(argc, argv);
    UnexpectedDialogs unexpected;
    platform::SetDialogs(&unexpected);
    app.SetOnException([](const std::exception& e) {
        ADD_FAILURE() << "exception reached the application: " << e.what();
    });
    int result = RUN_ALL_TESTS();
    platform::SetDialogs(nullptr);
    return result;
}
