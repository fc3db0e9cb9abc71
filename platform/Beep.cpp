#include "platform/Beep.h"
#include "platform/BeepTestHooks.h"

namespace platform {

namespace {
std::function<void()>& Handler() {
    static std::function<void()> handler;
    return handler;
}
std::function<void()>& PlatformBeep() {
    static std::function<void()> beep;
    return beep;
}
} // namespace

void Beep() {
    if (Handler())
        Handler()();
    else if (PlatformBeep())
        PlatformBeep()();
}

void SetBeepHandler(std::function<void()> handler) {
    Handler() = std::move(handler);
}

void SetPlatformBeep(std::function<void()> beep) {
    PlatformBeep() = std::move(beep);
}

} // namespace platform
