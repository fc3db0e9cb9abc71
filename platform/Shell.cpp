#include "platform/Shell.h"
#include "platform/ShellTestHooks.h"

#include "platform/AtomicFile.h"
#include "platform/Beep.h"
#include "platform/Boxes.h"
#include "platform/SjisText.h"

#include <QApplication>
#include <QStyle>
#include <QWidget>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') return home;
    if (const passwd* pw = getpwuid(getuid()); pw != nullptr && pw->pw_dir != nullptr)
        return pw->pw_dir;
    return "/";
}

// Escapes of the desktop entry's string values: backslash, line breaks and tabs.
std::string EscapeValue(std::string_view value) {
    std::string out;
    for (char c : value) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += c;
            break;
        }
    }
    if (!out.empty() && out.front() == ' ') out.replace(0, 1, "\\s");
    return out;
}

std::string QuoteArgument(std::string_view arg) {
    constexpr std::string_view reserved = " \t\n\"'\\><~|&;$*?#()`";
    bool quote = arg.empty() || arg.find_first_of(reserved) != std::string_view::npos;
    std::string out;
    if (quote) out += '"';
    for (char c : arg) {
        if (c == '%') {
            out += "%%";
            continue;
        }
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) out += '\\';
        out += c;
    }
    if (quote) out += '"';
    return out;
}

// Makes `folder` and its parents; false when it cannot.
[[nodiscard]] bool MakeFolders(const std::string& folder) {
    if (folder.empty()) return true;
    struct stat st {};
    if (stat(folder.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    std::size_t slash = folder.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !MakeFolders(folder.substr(0, slash)))
        return false;
    return mkdir(folder.c_str(), 0777) == 0 || errno == EEXIST;
}

} // namespace

std::string GetStartupFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string base =
        (config != nullptr && config[0] == '/') ? std::string(config) : HomeFolder() + "/.config";
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    if (base == "/") base.clear();
    return base + "/autostart";
}

std::string ExecCommandLine(const std::string& program, const std::string& argument) {
    std::string line = QuoteArgument(program);
    if (!argument.empty()) line += " " + QuoteArgument(argument);
    return line;
}

void CreateShortcut(const std::string& linkFile, const std::string& program,
                    const std::string& argument, const std::string& workingDir) {
    std::size_t slash = linkFile.find_last_of('/');
    std::string folder = slash == std::string::npos ? std::string() : linkFile.substr(0, slash);
    std::string name = slash == std::string::npos ? linkFile : linkFile.substr(slash + 1);
    const std::string extension = kShortcutExtension;
    if (name.size() > extension.size() &&
        name.compare(name.size() - extension.size(), extension.size(), extension) == 0) {
        name.resize(name.size() - extension.size());
    }

    std::string entry = "[Desktop Entry]\n"
                        "Type=Application\n"
                        "Name=" +
                        EscapeValue(name) +
                        "\n"
                        "Exec=" +
                        EscapeValue(ExecCommandLine(program, argument)) +
                        "\n"
                        "Path=" +
                        EscapeValue(workingDir) +
                        "\n"
                        "Terminal=false\n";
    if (!MakeFolders(folder) || !WriteFileAtomic(linkFile, entry)) {
        throw std::runtime_error("Cannot write " + linkFile);
    }
}

bool ShortcutExists(const std::string& linkFile) {
    struct stat st {};
    return stat(linkFile.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DeleteShortcut(const std::string& linkFile) {
    return unlink(linkFile.c_str()) == 0;
}

void SetStayOnTop(QWidget* window, bool on) {
    if (window == nullptr || IsStayOnTop(window) == on) return;
    // Changing a window's flags recreates it hidden; show it again as it was, where it was. A
    // window that has been placed is placed again by its inside: left to itself the new native
    // window would take the frame's outer corner for its inside's, and the window would think
    // itself up and left of where the window manager keeps it.
    const bool visible = window->isVisible();
    const Qt::WindowStates state = window->windowState();
    const bool placed = window->testAttribute(Qt::WA_WState_Created);
    const QRect inside = window->normalGeometry();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (placed) window->setGeometry(inside);
    window->setWindowState(state);
    if (visible) window->show();
}

bool IsStayOnTop(const QWidget* window) {
    return window != nullptr && window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void BringToFront(QWidget* window) {
    if (window == nullptr) return;
    if (window->isMinimized()) window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

TTrayIcon::TTrayIcon(QObject* parent) : QObject(parent) {
    QObject::connect(&icon_, &QSystemTrayIcon::activated, this,
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         if (!onPress_) return;
                         if (reason == QSystemTrayIcon::Trigger) onPress_(TTrayButton::Left);
                         if (reason == QSystemTrayIcon::Context) onPress_(TTrayButton::Right);
                     });
}

void SendTrayPresses(TTrayIcon& icon, TMessageTarget* window) {
    icon.SetOnPress([window](TTrayButton button) {
        TMessage message{WM_TRAYNOTIFY, 1,
                         button == TTrayButton::Left ? WM_LBUTTONDOWN : WM_RBUTTONDOWN, 0};
        window->WndProc(message);
    });
}

void HideInTray(QWidget* window, TTrayIcon& icon, const std::string& tip, bool& inTray) {
    if (!TTrayIcon::Available()) return;
    icon.Show(tip);
    window->hide();
    inTray = true;
}

void RestoreFromTrayIcon(QWidget* window, TTrayIcon& icon, bool& inTray) {
    if (!inTray) return;
    inTray = false;
    icon.Remove();
    BringToFront(window);
}

void ToggleStartupEntry(QAction* item, const std::string& linkFile, const std::string& program,
                        const std::string& folder, const char* disabledText) {
    item->setChecked(!item->isChecked());
    const bool exists = ShortcutExists(linkFile);
    if (item->isChecked() && !exists) {
        CreateShortcut(linkFile, program, "/TaskTray", folder);
        Beep();
        MessageBox("Start up is enabled.", "Information", TBoxButtons::Ok);
    } else if (!item->isChecked() && exists) {
        // An entry that cannot be removed stays; the box answers what was asked, and the
        // menu's mark follows the entry again when the menu next opens.
        (void)DeleteShortcut(linkFile);
        Beep();
        MessageBox(disabledText, "Information", TBoxButtons::Ok);
    }
}

bool StartsInTray(int argc, char** argv) {
    return argc > 1 &&
           QString::fromLocal8Bit(argv[1]).compare("/TaskTray", Qt::CaseInsensitive) == 0 &&
           TTrayIcon::Available();
}

QIcon ProgramIcon(const char* name) {
    QIcon icon;
    for (int size : {16, 32, 48, 64})
        icon.addFile(QStringLiteral(":/icons/%1-%2.png").arg(QLatin1String(name)).arg(size),
                     QSize(size, size));
    return icon;
}

QIcon TTrayIcon::Image() const {
    QIcon image = image_.isNull() ? QApplication::windowIcon() : image_;
    if (image.isNull() && QApplication::style() != nullptr)
        image = QApplication::style()->standardIcon(QStyle::SP_ComputerIcon);
    return image;
}

void TTrayIcon::Show(const std::string& tip) {
    icon_.setToolTip(FromSjis(tip));
    if (shown_) return;
    icon_.setIcon(Image());
    shown_ = true;
    if (QSystemTrayIcon::isSystemTrayAvailable()) icon_.show();
}

void TTrayIcon::Remove() {
    if (!shown_) return;
    shown_ = false;
    // A press on the icon removes it while the press is still being delivered to the icon's
    // own window, which hiding the icon deletes: the icon goes once that delivery is over,
    // unless it has been shown again meanwhile.
    QMetaObject::invokeMethod(
        &icon_,
        [this] {
            if (!shown_) icon_.hide();
        },
        Qt::QueuedConnection);
}

namespace {
bool pretendTray = false;
} // namespace

bool TTrayIcon::Available() {
    return pretendTray || QSystemTrayIcon::isSystemTrayAvailable();
}

void PretendTrayAvailable(bool on) {
    pretendTray = on;
}

QSystemTrayIcon* TrayIconOf(TTrayIcon& tray) {
    return tray.findChild<QSystemTrayIcon*>(QString(), Qt::FindDirectChildrenOnly);
}

} // namespace platform
