// The windows' shell on a real desktop: an X server with a window manager and, for the tray's
// cases, a tray. The program starts the X server and the window manager (see XSession) and each
// tray case its own tray; the presses on the tray icon are real pointer presses (xdotool).
// Without these programs the cases are skipped.
#include "client/TC_IniIO.h"
#include "client/TC_Main.h"
#include "platform/IniFile.h"
#include "platform/Shell.h"
#include "platform/ShellTestHooks.h"
#include "server/TS_IniIO.h"
#include "server/TS_Main.h"
#include "support/Files.h"
#include "support/ScriptedDialogs.h"
#include "support/TestPeer.h"
#include "support/XSession.h"

#include <QAction>
#include <QApplication>
#include <QTemporaryDir>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

// Why the cases are skipped; empty while the session runs.
std::string skipReason;

// ---- Tray -------------------------------------------------------------------------------------

// A tray on the desktop (trayer), for the life of the object, and the pointer to press on it.
class Tray {
public:
    // Empty when the tray runs; else why it could not be started.
    std::string Start() {
        const std::string trayer = FindProgram("trayer");
        xdotool_ = FindProgram("xdotool");
        if (trayer.empty() || xdotool_.empty())
            return "trayer or xdotool is not installed (scripts/setup.sh installs them)";
        pid_ = Spawn(trayer, {"--edge", "bottom", "--align", "right", "--widthtype", "request"});
        if (!WaitUntil([] { return platform::TTrayIcon::Available(); }, 20000))
            return "the tray did not start";
        return {};
    }
    ~Tray() {
        End(pid_);
        // Gone for the next case too.
        WaitUntil([] { return !platform::TTrayIcon::Available(); }, 20000);
    }

    // Presses the pointer's button ("1" left, "3" right) on the icon once the tray shows it.
    void Press(platform::TTrayIcon& icon, const std::string& button) const {
        // The icon's own window starts at the screen's corner and moves into the tray.
        QWidget* window = nullptr;
        ASSERT_TRUE(WaitUntil(
            [&] {
                window = IconWindow(icon);
                return window && window->geometry().topLeft() != QPoint(0, 0);
            },
            20000))
            << "the icon did not come into the tray";
        // The pointer goes there first; the press follows once the icon's window has it.
        const QPoint centre = TrayIconOf(icon)->geometry().center();
        ASSERT_TRUE(Run({"mousemove", std::to_string(centre.x()), std::to_string(centre.y())}));
        ASSERT_TRUE(WaitUntil([&] { return window->underMouse(); }, 20000))
            << "the pointer did not reach the icon";
        ASSERT_TRUE(Run({"click", button}));
    }

private:
    // The window in which the tray shows the icon: a top-level window of the application's own
    // where the icon is.
    static QWidget* IconWindow(platform::TTrayIcon& icon) {
        const QRect place = TrayIconOf(icon)->geometry();
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->isVisible() &&
                QRect(window->mapToGlobal(QPoint(0, 0)), window->size()) == place &&
                window->objectName() == "QSystemTrayIconSys")
                return window;
        return nullptr;
    }
    bool Run(const std::vector<std::string>& args) const {
        const pid_t pid = Spawn(xdotool_, args);
        return pid > 0 && WaitUntil([&] { return Exited(pid); }, 20000);
    }

    pid_t pid_ = -1;
    std::string xdotool_;
};

// Started as a tray icon, a right press brings the window back; put into the tray as minimising
// does, a left press does. The program lives on after either.
template <class Form>
void PressesOnTheIconBringTheWindowBack(Form& form, platform::TTrayIcon& icon) {
    Tray tray;
    if (const std::string reason = tray.Start(); !reason.empty()) GTEST_SKIP() << reason;
    form.MinimizeToTray(true); // as started with "/TaskTray"
    ASSERT_TRUE(form.FInTray);
    tray.Press(icon, "3");
    EXPECT_TRUE(WaitUntil([&] { return !form.FInTray && form.isVisible(); }))
        << "a right press did not bring the window back";
    EXPECT_FALSE(icon.Shown());

    // What minimising does with the option on (without the window manager's own minimising,
    // which a press this soon after could overtake).
    form.MItem_TaskTray->setChecked(true);
    form.MinimizeToTray(false);
    ASSERT_TRUE(form.FInTray);
    tray.Press(icon, "1");
    EXPECT_TRUE(WaitUntil([&] { return !form.FInTray && form.isVisible(); }))
        << "a left press did not bring the window back";
}

TEST(Desktop, EitherButtonOnTheServersTrayIconBringsTheWindowBack) {
    if (!skipReason.empty()) GTEST_SKIP() << skipReason;
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    TTrovGameServerForm form(nullptr, dir.filePath("TrovGSrv").toStdString());
    PressesOnTheIconBringTheWindowBack(form, *form.FTrayIconData);
}

TEST(Desktop, EitherButtonOnTheClientsTrayIconBringsTheWindowBack) {
    if (!skipReason.empty()) GTEST_SKIP() << skipReason;
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    TTrovGameClientForm form(nullptr, dir.filePath("TrovGClt").toStdString());
    PressesOnTheIconBringTheWindowBack(form, *form.FTrayIconData);
}

// ---- Window position --------------------------------------------------------------------------

// Waits until the window manager has framed the shown window and Qt knows the frame.
bool Framed(QWidget& window) {
    return WaitUntil(
        [&] {
            return window.isVisible() && window.windowHandle() &&
                   window.windowHandle()->isExposed() &&
                   window.frameGeometry() != window.geometry();
        },
        20000);
}

// The window opens where the settings put its outer corner; "Display in front anytime" turned on
// and off, twice, leaves it there, and the settings saved after keep that place.
template <class Form>
void StayInFrontOnAndOffKeepsThePlace(const char* program,
                                      void (*save)(Form&, const std::string&)) {
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    const std::string ini = dir.filePath(QString(program) + ".ini").toStdString();
    ASSERT_TRUE(WriteFile(ini, "[System]\r\nLeft=200\r\nTop=150\r\n"));
    Form form(nullptr, dir.filePath(program).toStdString());
    form.show();
    ASSERT_TRUE(Framed(form));
    EXPECT_EQ(form.frameGeometry().topLeft(), QPoint(200, 150));
    const QPoint inside = form.geometry().topLeft();
    // At a person's pace, with nothing asking about the window in between: the window manager
    // is done with each new native window before the next step.
    for (int toggle = 0; toggle < 4; ++toggle) {
        Settle(500);
        form.MItem_StayFront->trigger();
    }
    Settle(500);
    ASSERT_FALSE(platform::IsStayOnTop(&form));
    EXPECT_EQ(form.geometry().topLeft(), inside);
    EXPECT_EQ(form.frameGeometry().topLeft(), QPoint(200, 150));
    save(form, ini);
    const platform::TIniFile saved(ini);
    EXPECT_EQ(saved.ReadInteger("System", "Left", -1), 200);
    EXPECT_EQ(saved.ReadInteger("System", "Top", -1), 150);
}

TEST(Desktop, TheServerKeepsItsPlaceThroughDisplayInFrontOnAndOff) {
    if (!skipReason.empty()) GTEST_SKIP() << skipReason;
    StayInFrontOnAndOffKeepsThePlace<TTrovGameServerForm>("TrovGSrv", SaveServerIni);
}

TEST(Desktop, TheClientKeepsItsPlaceThroughDisplayInFrontOnAndOff) {
    if (!skipReason.empty()) GTEST_SKIP() << skipReason;
    StayInFrontOnAndOffKeepsThePlace<TTrovGameClientForm>("TrovGClt", SaveClientIni);
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RunTestsInXSession(argc, argv, skipReason);
}
