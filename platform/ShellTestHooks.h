#pragma once
// A seam of the desktop shell for tests only; the programs never include this.

namespace platform {

// While on, TTrayIcon::Available() answers true, so that tests on a desktop without a tray can
// hide a window in it; off gives the desktop's own answer again.
void PretendTrayAvailable(bool on);

} // namespace platform
