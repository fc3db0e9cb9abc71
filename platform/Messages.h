#pragma once
// Window messages posted to a main window. The game posts its end-of-game notice through
// this without knowing anything of the widgets: a window handle is an opaque pointer.
#include <cstdint>

namespace platform {

class TForm;
using HWND = TForm*;

constexpr unsigned WM_USER = 0x0400;

struct TMessage {
    unsigned Msg = 0;
    std::uintptr_t WParam = 0;
    std::intptr_t LParam = 0;
    std::intptr_t Result = 0;
};

// Queues the message for the window and returns at once; the window's WndProc receives it
// from the event loop after the current handler has returned. Nothing happens when the
// window is null or has been destroyed by then.
void PostMessage(HWND wnd, unsigned msg, std::uintptr_t wParam, std::intptr_t lParam);

} // namespace platform
