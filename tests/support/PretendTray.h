#pragma once
// A desktop with a tray, for the tests of going into it, for the life of the object.
#include "platform/ShellTestHooks.h"

struct PretendTray {
    PretendTray() { platform::PretendTrayAvailable(true); }
    ~PretendTray() { platform::PretendTrayAvailable(false); }
    PretendTray(const PretendTray&) = delete;
    PretendTray& operator=(const PretendTray&) = delete;
};
