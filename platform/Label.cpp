#include "platform/Label.h"

#include <QApplication>
#include <QWidget>

namespace platform {

namespace {

// The part of the widget's font that the widget sets itself: its resolved font carries the
// inherited attributes too, so an attribute counts as its own only when the parent's font does not
// set it or sets it to another value.
QFont OwnFont(const QWidget* widget) {
    const QFont current = widget->font();
    if (!widget->testAttribute(Qt::WA_SetFont)) {
        QFont none = current;
        none.setResolveMask(0);
        return none;
    }
    const QFont inherited = widget->parentWidget() && !widget->isWindow()
                                ? widget->parentWidget()->font()
                                : QApplication::font(widget);
    uint own = 0;
    for (uint bit = 1; bit != 0; bit <<= 1) {
        if (!(current.resolveMask() & bit)) continue;
        if (!(inherited.resolveMask() & bit)) {
            own |= bit;
            continue;
        }
        QFont one = current;
        one.setResolveMask(bit);
        if (one.resolve(inherited) != inherited) own |= bit;
    }
    QFont result = current;
    result.setResolveMask(own);
    return result;
}

} // namespace

void SetBold(QWidget* widget, bool bold) {
    if (!widget) return;
    QFont font = OwnFont(widget);
    font.setBold(bold);
    widget->setFont(font);
}

bool IsBold(const QWidget* widget) {
    return widget && widget->font().bold();
}

} // namespace platform
