#include "platform/Messages.h"

#include <QObject>
#include <QPointer>

namespace platform {

void PostMessage(HWND wnd, unsigned msg, std::uintptr_t wParam, std::intptr_t lParam) {
    if (!wnd) return;
    QObject* object = wnd->MessageObject();
    QPointer<QObject> alive(object);
    QMetaObject::invokeMethod(
        object,
        [alive, wnd, msg, wParam, lParam] {
            if (!alive) return;
            TMessage m{msg, wParam, lParam, 0};
            wnd->WndProc(m);
        },
        Qt::QueuedConnection);
}

} // namespace platform
