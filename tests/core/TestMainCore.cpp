// The test programs of the core (the game, the wire) run with Qt Core only: an application
// object for posted messages, and boxes that fail the test, since none is expected.
#include "platform/Boxes.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace {

class UnexpectedBoxes : public platform::TBoxes {
public:
    platform::TModalResult MessageBox(const std::string& text, const std::string& caption,
                                      platform::TBoxButtons) override {
        ADD_FAILURE() << "unexpected box \"" << caption << "\": " << text;
        return platform::mrOk;
    }
    platform::TModalResult MessageDlg(const std::string& text, platform::TMsgDlgType,
                                      platform::TMsgDlgButtons) override {
        ADD_FAILURE() << "unexpected message dialog: " << text;
        return platform::mrCancel;
    }
};

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    UnexpectedBoxes unexpected;
    platform::SetBoxes(&unexpected);
    const int result = RUN_ALL_TESTS();
    platform::SetBoxes(nullptr);
    return result;
}
