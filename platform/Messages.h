#pragma once
// Window messages posted to a main window. The game posts its end-of-game notice through
// this without knowing anything of the widgets: a window handle is the window's message
// target.
#include <cstdint>

class QObject;

namespace platform {

struct TMessage {
    unsigned Msg = 0;
    std::uintptr_t WParam = 0;
    std::intptr_t LParam = 0;
    std::intptr_t Result = 0;
};

// What receives posted messages: a main window.
class TMessageTarget {
public:
    virtual ~TMessageTarget() = default;
    virtual void WndProc(TMessage& msg) = 0;
    // The object whose life the target's messages follow.
    virtual QObject* MessageObject() = 0;
};
using HWND = TMessageTarget*;

constexpr unsigned WM_USER = 0x0400;

// Queues the message for the window and returns at once; the window's WndProc receives it
// from the event loop after the current handler has returned. Nothing happens when the
// window is null or has been destroyed by then.
void PostMessage(HWND wnd, unsigned msg, std::uintptr_t wParam, std::intptr_t lParam);

} // namespace platform
