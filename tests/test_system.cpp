// Machine facts, the start-up entry, windows kept in front and the tray icon.
#include "platform/Shell.h"
#include "platform/ShellTestHooks.h"
#include "platform/SystemInfo.h"
#include "shared/ProgramFiles.h"
#include "support/Files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

using namespace platform;

namespace {

// Sets an environment variable for one test and puts the old value back afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value != nullptr) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

} // namespace

// ---- machine facts ----------------------------------------------------------------------------

TEST(ProgramFiles, NamedAfterTheProgramFileWithItsExtensionReplaced) {
    const TProgramFiles plain = ProgramFilesOf("/opt/trov/TrovGSrv");
    EXPECT_EQ(plain.Folder, "/opt/trov/");
    EXPECT_EQ(plain.Ini, "/opt/trov/TrovGSrv.ini");
    EXPECT_EQ(plain.Text, "/opt/trov/TrovGSrv.txt");
    EXPECT_EQ(plain.History, "/opt/trov/TrovGSrv.his");
    // Only a dot in the file name starts an extension, and only the last one.
    EXPECT_EQ(ProgramFilesOf("/a.b/TrovGClt").Ini, "/a.b/TrovGClt.ini");
    EXPECT_EQ(ProgramFilesOf("/a/Trov.G.exe").History, "/a/Trov.G.his");
    const TProgramFiles bare = ProgramFilesOf("TrovGClt.bin");
    EXPECT_EQ(bare.Folder, "");
    EXPECT_EQ(bare.Text, "TrovGClt.txt");
}

TEST(SystemInfo, MemoryAvailableIsPositiveAndBelowTheTotal) {
    TMemoryStatus status = GetMemoryStatus();
    EXPECT_GT(status.AvailPhys, 0u);
    EXPECT_GT(status.TotalPhys, status.AvailPhys);
    EXPECT_GT(status.TotalPhys, 16u * 1024 * 1024); // bytes, not kilobytes
}

TEST(SystemInfo, HostNameAndItsIPv4Addresses) {
    EXPECT_FALSE(GetLocalHostName().empty());
    ASSERT_FALSE(GetIPv4Addresses("localhost").empty());
    EXPECT_EQ(GetIPv4Addresses("localhost").front(), "127.0.0.1");
    EXPECT_EQ(GetIPv4Addresses("127.0.0.2"), std::vector<std::string>{"127.0.0.2"});
    EXPECT_TRUE(GetIPv4Addresses("no-such-host.invalid").empty());
    EXPECT_TRUE(GetIPv4Addresses("").empty());
}

// The loopback interface is there and up on every machine.
TEST(SystemInfo, TheInterfacesAddressesHoldTheLoopbackOneUp) {
    const std::vector<TInterfaceAddress> own = GetInterfaceIPv4Addresses();
    EXPECT_TRUE(std::any_of(own.begin(), own.end(), [](const TInterfaceAddress& a) {
        return a.Address == "127.0.0.1" && a.Up;
    }));
}

TEST(SystemInfo, KeyboardTypeClassifiesThePc) {
    EXPECT_EQ(GetKeyboardType(0), 4u);
#if defined(__i386__) || defined(__x86_64__)
    EXPECT_LE(GetKeyboardType(1), 4u); // the PC/AT range
#else
    EXPECT_EQ(GetKeyboardType(1), kKeyboardSubtypeUnknown);
#endif
    EXPECT_EQ(GetKeyboardType(7), 0u);
}

// ---- start-up entry ---------------------------------------------------------------------------

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    std::string Dir() const { return dir_.path().toStdString(); }
    QTemporaryDir dir_;
};

TEST_F(StartupTest, FolderFollowsXdgConfigHomeElseHome) {
    ScopedEnv home("HOME", (Dir() + "/home").c_str());
    {
        ScopedEnv config("XDG_CONFIG_HOME", (Dir() + "/cfg/").c_str());
        EXPECT_EQ(GetStartupFolder(), Dir() + "/cfg/autostart");
    }
    {
        ScopedEnv config("XDG_CONFIG_HOME", "relative/cfg"); // only absolute paths count
        EXPECT_EQ(GetStartupFolder(), Dir() + "/home/.config/autostart");
    }
    {
        ScopedEnv config("XDG_CONFIG_HOME", "");
        EXPECT_EQ(GetStartupFolder(), Dir() + "/home/.config/autostart");
    }
    {
        ScopedEnv config("XDG_CONFIG_HOME", nullptr);
        EXPECT_EQ(GetStartupFolder(), Dir() + "/home/.config/autostart");
    }
}

TEST_F(StartupTest, CreateExistsAndDeleteTheEntry) {
    ScopedEnv config("XDG_CONFIG_HOME", Dir().c_str());
    const std::string link =
        GetStartupFolder() + "/" + "Qon's Trov Game Server" + kShortcutExtension;
    EXPECT_FALSE(ShortcutExists(link));

    // The autostart folder does not exist yet: it is made.
    CreateShortcut(link, "/opt/trov game/TrovGSrv", "/TaskTray", "/opt/trov game/");
    EXPECT_TRUE(ShortcutExists(link));
    EXPECT_EQ(ReadFile(link), "[Desktop Entry]\n"
                              "Type=Application\n"
                              "Name=Qon's Trov Game Server\n"
                              "Exec=\"/opt/trov game/TrovGSrv\" /TaskTray\n"
                              "Path=/opt/trov game/\n"
                              "Terminal=false\n");
    EXPECT_EQ(QDir(QString::fromStdString(GetStartupFolder())).entryList(QDir::Files),
              QStringList{"Qon's Trov Game Server.desktop"});

    EXPECT_TRUE(DeleteShortcut(link));
    EXPECT_FALSE(ShortcutExists(link));
    EXPECT_FALSE(DeleteShortcut(link));
}

TEST_F(StartupTest, ExecQuotesArgumentsWithReservedCharactersAndEscapesThemInTheFile) {
    EXPECT_EQ(ExecCommandLine("/usr/bin/TrovGClt", "/TaskTray"), "/usr/bin/TrovGClt /TaskTray");
    EXPECT_EQ(ExecCommandLine("/usr/bin/TrovGClt", ""), "/usr/bin/TrovGClt");
    EXPECT_EQ(ExecCommandLine("/a b/p", "/TaskTray"), "\"/a b/p\" /TaskTray");
    EXPECT_EQ(ExecCommandLine("/a$b/p", ""), "\"/a\\$b/p\"");
    EXPECT_EQ(ExecCommandLine("/a\"b`c/p", ""), "\"/a\\\"b\\`c/p\"");
    EXPECT_EQ(ExecCommandLine("/it's/p", ""), "\"/it's/p\"");
    EXPECT_EQ(ExecCommandLine("/100%/p", ""), "/100%%/p");

    // In the file the backslash of the quoting is itself escaped.
    ScopedEnv config("XDG_CONFIG_HOME", Dir().c_str());
    const std::string link = GetStartupFolder() + "/T.desktop";
    CreateShortcut(link, "/a\\b/p", "/TaskTray", "/a\\b/");
    std::string text = ReadFile(link);
    EXPECT_NE(text.find("\nExec=\"/a\\\\\\\\b/p\" /TaskTray\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nPath=/a\\\\b/\n"), std::string::npos) << text;
}

TEST_F(StartupTest, AnEntryThatCannotBeWrittenRaises) {
    std::ofstream(Dir() + "/plain") << "x";
    const std::string link = Dir() + "/plain/autostart/T.desktop";
    EXPECT_THROW(CreateShortcut(link, "/p", "/TaskTray", "/"), std::runtime_error);
    EXPECT_FALSE(ShortcutExists(link));
}

// ---- windows in front -------------------------------------------------------------------------

TEST(StayOnTop, TogglingKeepsAShownWindowShownAndAHiddenOneHidden) {
    QWidget shown;
    shown.show();
    SetStayOnTop(&shown, true);
    EXPECT_TRUE(IsStayOnTop(&shown));
    EXPECT_TRUE(shown.isVisible());
    SetStayOnTop(&shown, false);
    EXPECT_FALSE(IsStayOnTop(&shown));
    EXPECT_TRUE(shown.isVisible());

    QWidget hidden;
    SetStayOnTop(&hidden, true);
    EXPECT_TRUE(IsStayOnTop(&hidden));
    EXPECT_FALSE(hidden.isVisible());
}

TEST(StayOnTop, BringToFrontShowsAHiddenMinimisedWindow) {
    QWidget window;
    window.setWindowState(Qt::WindowMinimized);
    BringToFront(&window);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isMinimized());
}

// ---- tray icon --------------------------------------------------------------------------------

TEST(TrayIcon, ShowRemoveAndPressesOfEitherButton) {
    TTrayIcon tray;
    std::vector<TTrayButton> presses;
    tray.SetOnPress([&](TTrayButton button) { presses.push_back(button); });

    EXPECT_FALSE(tray.Shown());
    tray.Show("Selvane Computer Network Trov Game Server in Task-Tray");
    EXPECT_TRUE(tray.Shown());
    EXPECT_EQ(TrayIconOf(tray)->toolTip(),
              "Selvane Computer Network Trov Game Server in Task-Tray");
    EXPECT_FALSE(TrayIconOf(tray)->icon().isNull());

    emit TrayIconOf(tray)->activated(QSystemTrayIcon::Trigger);
    emit TrayIconOf(tray)->activated(QSystemTrayIcon::Context);
    emit TrayIconOf(tray)->activated(QSystemTrayIcon::MiddleClick);
    emit TrayIconOf(tray)->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_EQ(presses, (std::vector<TTrayButton>{TTrayButton::Left, TTrayButton::Right}));

    tray.Remove();
    EXPECT_FALSE(tray.Shown());
    EXPECT_FALSE(TrayIconOf(tray)->isVisible());
    tray.Remove(); // harmless when already removed
    tray.Show("again");
    EXPECT_TRUE(tray.Shown());
}
