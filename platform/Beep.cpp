#include "platform/Beep.h"

#include <QApplication>

namespace platform {

namespace {
std::function<void()>& Handler() {
    static std::function<void()> handler;
    return handler;
}
} // namespace

void Beep() {
    if (Handler())
        Handler()();
    else if (qApp)
        QApplication::beep();
}

void SetBeepHandler(std::function<void()> handler) {
    Handler() = std::move(handler);
}

} // namespace platform
