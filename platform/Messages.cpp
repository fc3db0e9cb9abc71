#include "platform/Messages.h"
#include "platform/Form.h"

#include <QCoreApplication>
#include <QPointer>

namespace platform {

void PostMessage(HWND wnd, unsigned msg, std::uintptr_t wParam, std::intptr_t lParam) {
    if (!wnd) return;
    QPointer<TForm> target(wnd);
    QMetaObject::invokeMethod(
        wnd,
        [target, msg, wParam, lParam] {
            if (!target) return;
            TMessage m{msg, wParam, lParam, 0};
            target->WndProc(m);
        },
        Qt::QueuedConnection);
}

} // namespace platform
