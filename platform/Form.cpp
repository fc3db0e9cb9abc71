#include "platform/Form.h"

#include "platform/Application.h"

#include <QEvent>

namespace platform {

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
    // A window manager frames the window after it is shown, and moves it when it does.
    switch (event->type()) {
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
