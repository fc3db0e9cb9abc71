#include "platform/Form.h"

#include "platform/Application.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <cstdint>

namespace platform {

namespace {

// How far a point lies outside a rectangle, across plus down, in 64 bits.
std::int64_t DistanceTo(const QRect& area, std::int64_t x, std::int64_t y) {
    auto outside = [](std::int64_t v, std::int64_t start, std::int64_t end) {
        return v < start ? start - v : v > end ? v - end : std::int64_t{0};
    };
    // Each is below 2^33: their sum fits.
    return outside(x, area.left(), area.right()) + outside(y, area.top(), area.bottom());
}

// The start of a window `extent` long placed at `v` inside [start, start + length), as far as
// it fits; never before `start`.
int FitInto(std::int64_t v, int start, int length, int extent) {
    const std::int64_t last = std::int64_t{start} + std::max<std::int64_t>(0, length - extent);
    return static_cast<int>(std::clamp<std::int64_t>(v, start, last));
}

TForm*& MainFormSlot() {
    static TForm* form = nullptr;
    return form;
}

} // namespace

TForm::TForm(QWidget* parent) : QMainWindow(parent) {
    if (!MainFormSlot()) MainFormSlot() = this;
}

TForm::~TForm() {
    if (MainFormSlot() == this) MainFormSlot() = nullptr;
}

TForm* MainForm() {
    return MainFormSlot();
}

void MoveOntoScreen(QWidget& window, int left, int top) {
    const QSize size = window.frameGeometry().size();
    const std::int64_t l = left, t = top;
    const QList<QScreen*> screens = QGuiApplication::screens();
    const QScreen* nearest = nullptr;
    std::int64_t nearestDistance = 0;
    for (const QScreen* screen : screens) {
        const QRect area = screen->geometry();
        if (l < std::int64_t{area.x()} + area.width() && l + size.width() > area.x() &&
            t < std::int64_t{area.y()} + area.height() && t + size.height() > area.y()) {
            window.move(left, top);
            return;
        }
        const std::int64_t distance = DistanceTo(screen->availableGeometry(), l, t);
        if (!nearest || distance < nearestDistance) {
            nearest = screen;
            nearestDistance = distance;
        }
    }
    const QRect area = nearest ? nearest->availableGeometry() : QRect();
    window.move(FitInto(l, area.x(), area.width(), size.width()),
                FitInto(t, area.y(), area.height(), size.height()));
}

void TForm::SetOuterSize(QSize size, QSize least, QSize most) {
    outer_ = size;
    least_ = least;
    most_ = most;
    fitted_ = false;
    setMinimumSize(least);
    setMaximumSize(most);
    resize(size);
    FitToFrame();
}

bool TForm::event(QEvent* event) {
    const bool result = QMainWindow::event(event);
    if (event->type() == QEvent::Close && endsProgram_ && event->isAccepted()) {
        QCoreApplication::exit(0);
        return result;
    }
    switch (event->type()) {
    case QEvent::WindowActivate:
        PassActivationToBox();
        break;
    // A window manager frames the window after it is shown, and moves it when it does.
    case QEvent::Show:
    case QEvent::Move:
    case QEvent::Resize:
        FitToFrame();
        break;
    default:
        break;
    }
    return result;
}

void TForm::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // The handler runs once the minimising is over: a window hidden in the middle of it (into
    // the tray) would be shown again by the rest of it.
    if (event->type() == QEvent::WindowStateChange && isMinimized())
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!isMinimized()) return;
                if (TApplication* app = Application()) app->Minimized();
            },
            Qt::QueuedConnection);
}

void TForm::PassActivationToBox() {
    // A window held up by a box of its own passes its activation on to the box, so that the box
    // stands in front and takes the keys: a window brought back from the tray, or clicked, while
    // its box is open would otherwise cover the box and take keys it cannot use.
    QWidget* box = QApplication::activeModalWidget();
    if (!box || box == this || !windowHandle() || !box->windowHandle() ||
        !windowHandle()->isAncestorOf(box->windowHandle(), QWindow::IncludeTransients))
        return;
    box->raise();
    box->activateWindow();
}

void TForm::FitToFrame() {
    if (fitted_ || outer_.isEmpty() || !isVisible()) return;
    const QSize frame = frameGeometry().size() - size();
    if (frame.width() <= 0 && frame.height() <= 0) return;
    fitted_ = true;
    const bool asDesigned = size() == outer_;
    setMinimumSize((least_ - frame).expandedTo(QSize(0, 0)));
    if (most_.width() < QWIDGETSIZE_MAX) setMaximumSize(most_ - frame);
    if (asDesigned) resize(outer_ - frame);
}

} // namespace platform
