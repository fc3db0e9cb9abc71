#pragma once
// A seam of the desktop shell for tests only; the programs never include this.
class QSystemTrayIcon;

namespace platform {

class TTrayIcon;

// While on, TTrayIcon::Available() answers true, so that tests on a desktop without a tray can
// hide a window in it; off gives the desktop's own answer again.
void PretendTrayAvailable(bool on);

// The desktop's icon under a tray icon, for tests that play the user's presses through its
// signal.
QSystemTrayIcon* TrayIconOf(TTrayIcon& tray);

} // namespace platform
