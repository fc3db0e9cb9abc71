#pragma once
// A desktop with a tray, for the tests of going into it, for the life of the object.
#include "platform/Shell.h"

struct PretendTray {
    PretendTray() { platform::TTrayIcon::PretendAvailable(true); }
    ~PretendTray() { platform::TTrayIcon::PretendAvailable(false); }
    PretendTray(const PretendTray&) = delete;
    PretendTray& operator=(const PretendTray&) = delete;
};
