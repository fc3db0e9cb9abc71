// The windows' shell on a real desktop: an X server with a window manager and, for the tray's
// cases, a tray. The program starts the X server and the window manager (see XSession) and each
// tray case its own tray; the presses on the tray icon are real pointer presses (xdotool).
// Without these programs the cases are skipped.
#include "client/TC_IniIO.h"
#include "client/TC_Main.h"
#include "platform/Application.h"
#include "platform/IniFile.h"
#include "platform/Shell.h"
#include "platform/ShellTestHooks.h"
#include "platform/SpinEdit.h"
#include "server/TS_IniIO.h"
#include "server/TS_Main.h"
#include "support/Files.h"
#include "support/Ports.h"
#include "support/RealDialogs.h"
#include "support/ScriptedDialogs.h"
#include "support/TestPeer.h"
#include "support/XSession.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <functional>
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

    // Presses the pointer's button ("1" left, "3" right) on the icon once the tray shows it,
    // until `done` holds. The icon may still be moving into its place when the pointer goes
    // there, or move from under it before the press: the pointer is moved onto it again until
    // the icon's window has it, and a press that did nothing is made again.
    ::testing::AssertionResult Press(platform::TTrayIcon& icon, const std::string& button,
                                     const std::function<bool()>& done) const {
        QElapsedTimer time;
        time.start();
        while (!time.hasExpired(30000)) {
            if (!PointAt(icon)) continue;
            // A press soon after the last one on the same place is the second of a double click.
            static QElapsedTimer lastClick;
            if (lastClick.isValid())
                Settle(std::max<int>(0, QApplication::doubleClickInterval() + 100 -
                                            static_cast<int>(lastClick.elapsed())));
            if (!Run({"click", button}))
                return ::testing::AssertionFailure() << "xdotool click failed";
            lastClick.start();
            if (WaitUntil(done, 5000)) return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << "no press on the icon took effect";
    }

    // Answers the open box `box` with a real Return key press once it has the keyboard.
    ::testing::AssertionResult AnswerWithReturn(QWidget* box) const {
        const bool closed = WaitUntil(
            [&] {
                return WaitUntil([&] { return QApplication::activeWindow() == box; }, 2000) &&
                       Run({"key", "Return"}) && WaitUntil([&] { return !box->isVisible(); }, 2000);
            },
            30000);
        return closed ? ::testing::AssertionSuccess()
                      : ::testing::AssertionFailure() << "the box took no Return key";
    }

private:
    // Moves the pointer onto the icon; true once the icon's window has it.
    bool PointAt(platform::TTrayIcon& icon) const {
        // The icon's own window starts at the screen's corner and moves into the tray.
        QWidget* window = IconWindow(icon);
        if (!window || window->geometry().topLeft() == QPoint(0, 0)) {
            Settle(100);
            return false;
        }
        if (window->underMouse()) return true;
        const QPoint centre = TrayIconOf(icon)->geometry().center();
        return Run({"mousemove", std::to_string(centre.x()), std::to_string(centre.y())}) &&
               WaitUntil([&] { return IconWindow(icon) == window && window->underMouse(); }, 1000);
    }

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
    const auto back = [&] { return !form.FInTray && form.isVisible(); };
    ASSERT_TRUE(tray.Press(icon, "3", back)) << "a right press did not bring the window back";
    EXPECT_FALSE(icon.Shown());

    // What minimising does with the option on (without the window manager's own minimising,
    // which a press this soon after could overtake).
    form.MItem_TaskTray->setChecked(true);
    form.MinimizeToTray(false);
    ASSERT_TRUE(form.FInTray);
    ASSERT_TRUE(tray.Press(icon, "1", back)) << "a left press did not bring the window back";
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

// Started in the tray, the program gets a message that opens a box on its own. A press on the
// icon brings the window back with the box in front of it; answering the box leaves the program
// running, and it ends only when its window closes (after its close question, "End?" or
// "Stop?"), having written its settings.
template <class Form>
void ABoxInTheTrayLeavesTheProgramRunning(Form& form, const QTemporaryDir& dir, const char* program,
                                          TestPeer& peer, const std::string& message) {
    Tray tray;
    if (const std::string reason = tray.Start(); !reason.empty()) GTEST_SKIP() << reason;
    Watchdog watchdog;
    bool boxSeen = false;
    bool closedByTest = false;
    QTimer::singleShot(0, [&] {
        WhenModal([&](QWidget* box) {
            boxSeen = true;
            EXPECT_TRUE(form.FInTray);
            ASSERT_TRUE(tray.Press(*form.FTrayIconData, "1", [&] {
                return !form.FInTray && form.isVisible();
            })) << "a press on the icon did not bring the window back while a box was open";
            EXPECT_EQ(box->windowHandle()->transientParent(), form.windowHandle());
            EXPECT_TRUE(WaitUntil([&] { return QApplication::activeWindow() == box; }, 20000))
                << "the box is not in front of the window brought back";
            EXPECT_TRUE(tray.AnswerWithReturn(box));
        });
        peer.Send(message);
        EXPECT_TRUE(
            WaitUntil([&] { return boxSeen && !QApplication::activeModalWidget(); }, 30000));
        // A program that ends on the box's answer has left its event loop by now.
        QTimer::singleShot(1000, [&] {
            closedByTest = true;
            WhenModal([&](QWidget* question) {
                EXPECT_EQ(question->windowTitle(), "Confirmation");
                EXPECT_TRUE(tray.AnswerWithReturn(question));
            });
            form.close();
        });
    });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] {
        ADD_FAILURE() << "the program did not end when its window closed";
        QCoreApplication::exit(1);
    });
    guard.start(90000);
    std::string name = program;
    char inTray[] = "/TaskTray";
    char* argv[] = {name.data(), inTray, nullptr};
    platform::ShowAndRun(*platform::Application(), form, 2, argv);
    EXPECT_TRUE(boxSeen);
    EXPECT_TRUE(closedByTest) << "the program ended when the box was answered";
    EXPECT_TRUE(FileExists(dir.filePath(QString(program) + ".ini").toStdString()))
        << "the settings were not written";
}

TEST(Desktop, AMessageToTheServerInTheTrayLeavesItRunningAndItsIconWorking) {
    if (!skipReason.empty()) GTEST_SKIP() << skipReason;
    QTemporaryDir dir;
    TTrovGameServerForm form(nullptr, dir.filePath("TrovGSrv").toStdString());
    UseAnyFreePort(form);
    form.CheckBox_Server->setChecked(true);
    ASSERT_TRUE(form.ServerSocket->Active());
    TestPeer peer;
    ASSERT_TRUE(peer.Connect(static_cast<quint16>(form.ServerSocket->LocalPort())));
    peer.Send("TC_PN:Anna\t");
    ASSERT_TRUE(peer.WaitForMessage("TS_Cn:Welcome!\t"));
    ABoxInTheTrayLeavesTheProgramRunning(form, dir, "TrovGSrv", peer, "TC_SM:Ft:Sv:Hello\r\t");
}

TEST(Desktop, TheGameMastersMessageInTheTrayLeavesTheClientRunningAndItsIconWorking) {
    if (!skipReason.empty()) GTEST_SKIP() << skipReason;
    QTemporaryDir dir;
    TTrovGameClientForm form(nullptr, dir.filePath("TrovGClt").toStdString());
    TestServer server;
    const std::unique_ptr<TestPeer> peer = ConnectClient(form, server);
    ASSERT_TRUE(peer);
    ABoxInTheTrayLeavesTheProgramRunning(form, dir, "TrovGClt", *peer, "TS_SM:Hello\r\t");
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
