#include "support/TestApplication.h"

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

int RunTestsInApplication(int& argc, char** argv) {
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
