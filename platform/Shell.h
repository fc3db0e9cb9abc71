#pragma once
// The desktop shell: the start-up entry that starts a program at log-in, keeping a window in
// front of the others, and the notification-area (tray) icon.
#include "platform/Messages.h"

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>
#include <functional>
#include <string>

class QWidget;

namespace platform {

class TTrayIcon;

// ---- Start-up entry -------------------------------------------------------------------------
// A desktop entry in the user's autostart folder, which the desktop starts at log-in. Its file
// name is the program's title followed by kShortcutExtension. File and folder names are the
// file system's own bytes.

constexpr const char* kShortcutExtension = ".desktop";

// $XDG_CONFIG_HOME/autostart, or ~/.config/autostart when that variable is unset, empty or
// not an absolute path. No trailing '/'.
std::string GetStartupFolder();

// Writes the entry `linkFile` (its folders are made as needed): it runs `program` with the one
// argument `argument` (none when empty) in the folder `workingDir`, and its name is the file's
// name without folder and extension. Raises std::runtime_error when it cannot be written.
void CreateShortcut(const std::string& linkFile, const std::string& program,
                    const std::string& argument, const std::string& workingDir);
// True when `linkFile` exists as a file.
bool ShortcutExists(const std::string& linkFile);
// Removes the entry; false when there was none or it could not be removed.
[[nodiscard]] bool DeleteShortcut(const std::string& linkFile);

// The command line of the entry's Exec key, written as the desktop entry format wants it:
// each argument quoted when it holds a blank or another reserved character, '%' doubled.
std::string ExecCommandLine(const std::string& program, const std::string& argument);

// ---- Windows in front -----------------------------------------------------------------------

// Keeps the top-level window above all others (or releases it). A shown window stays shown
// and keeps its minimised or maximised state.
void SetStayOnTop(QWidget* window, bool on);
bool IsStayOnTop(const QWidget* window);
// Shows the window un-minimised, raises it above the others and gives it the keyboard focus.
void BringToFront(QWidget* window);

// Presses on the icon reach the window's procedure as WM_TRAYNOTIFY messages.
void SendTrayPresses(TTrayIcon& icon, TMessageTarget* window);

// Hides the window, leaving the tray icon (with the tip) in its place, and sets inTray. When the
// desktop has no tray the window stays as it was (it could never be shown again).
void HideInTray(QWidget* window, TTrayIcon& icon, const std::string& tip, bool& inTray);
// When inTray: takes the tray icon away, clears inTray and brings the window back to the front
// (a stay-in-front window stays there).
void RestoreFromTrayIcon(QWidget* window, TTrayIcon& icon, bool& inTray);

// The start-up entry of a Help menu's item: the item's mark is inverted, and the entry
// `linkFile` (starting `program` with "/TaskTray" in `folder`) is created or removed to follow
// it, with a box saying so (`disabledText` when removed).
void ToggleStartupEntry(QAction* item, const std::string& linkFile, const std::string& program,
                        const std::string& folder, const char* disabledText);

// Whether the program starts as a tray icon only: "/TaskTray" as the first argument (in any
// letter case), and a desktop with a tray (without one the window could never be shown).
bool StartsInTray(int argc, char** argv);

// The last steps of a program's start: the main window's icon becomes the application's, the
// window is shown (or only its tray icon, see StartsInTray), and the event loop runs until the
// window has closed.
template <class Form> int ShowAndRun(QApplication& app, Form& form, int argc, char** argv) {
    app.setWindowIcon(form.windowIcon());
    app.setQuitOnLastWindowClosed(false);
    form.EndProgramOnClose();
    if (StartsInTray(argc, argv))
        form.MinimizeToTray(true);
    else
        form.show();
    return app.exec();
}

// A program's icon from its resources: the pictures ":/icons/<name>-<size>.png" of the sizes
// 16, 32, 48 and 64.
QIcon ProgramIcon(const char* name);

// ---- Tray icon ------------------------------------------------------------------------------

enum class TTrayButton { Left, Right };

// The tray icon's notice to its window; the second parameter holds the mouse message.
constexpr unsigned WM_TRAYNOTIFY = WM_USER + 100;
constexpr std::intptr_t WM_LBUTTONDOWN = 0x201;
constexpr std::intptr_t WM_RBUTTONDOWN = 0x204;

// The application's icon in the notification area, with a tip. Where the desktop has no
// notification area (or on the offscreen platform) the icon is not shown, but Shown() and the
// press handler behave the same, so the program's logic does not change.
class TTrayIcon : public QObject {
public:
    explicit TTrayIcon(QObject* parent = nullptr);

    // The picture shown (the program's icon); without one, the application's window icon.
    void SetIcon(const QIcon& icon) { image_ = icon; }
    QIcon Image() const;
    // Adds the icon with the tip (Shift-JIS); while shown, only the tip changes.
    void Show(const std::string& tip);
    // Takes the icon away (from the desktop once the event being handled is over); nothing when
    // it is not shown.
    void Remove();
    bool Shown() const { return shown_; }

    // Runs on a left press (activation) or a right press (context request) on the icon.
    void SetOnPress(std::function<void(TTrayButton)> handler) { onPress_ = std::move(handler); }

    // Whether the desktop shows tray icons. A window that would hide itself in the tray must
    // not do so without one: it could never be shown again.
    static bool Available();

private:
    QSystemTrayIcon icon_{this};
    QIcon image_;
    bool shown_ = false;
    std::function<void(TTrayButton)> onPress_;
};

} // namespace platform
