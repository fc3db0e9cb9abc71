#pragma once
// The short system beep that precedes most message boxes.
#include <functional>

namespace platform {

void Beep();
// The default: the desktop's beep, given by the application object (none without one).
void SetPlatformBeep(std::function<void()> beep);

} // namespace platform
