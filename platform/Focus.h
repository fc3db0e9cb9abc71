#pragma once
// Leaving a control: the focus goes to another control of the window. A window deactivated by
// a box or another window, and a menu that opens, leave the focus where it was.
#include <QFocusEvent>

namespace platform {

inline bool LeavesControl(const QFocusEvent* event) {
    const Qt::FocusReason reason = event->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
           reason != Qt::MenuBarFocusReason;
}

} // namespace platform
