#pragma once
// A seam of the beep for tests only; the programs never include this.
#include <functional>

namespace platform {

// Replaces what Beep() does (tests count beeps); an empty function restores the default.
void SetBeepHandler(std::function<void()> handler);

} // namespace platform
