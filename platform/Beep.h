#pragma once
// The short system beep that precedes most message boxes.
#include <functional>

namespace platform {

void Beep();
// Replaces what Beep() does (tests count beeps); an empty function restores the default.
void SetBeepHandler(std::function<void()> handler);
// The default: the desktop's beep, given by the application object (none without one).
void SetPlatformBeep(std::function<void()> beep);

} // namespace platform
