#pragma once
// Base of the main windows: a QMainWindow with a window procedure that receives posted
// messages.
#include "platform/Messages.h"

#include <QMainWindow>

namespace platform {

class TForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm(QWidget* parent = nullptr) : QMainWindow(parent) {}
    HWND Handle() { return this; }
    // Receives the messages posted with PostMessage.
    virtual void WndProc(TMessage& msg) { (void)msg; }
};

} // namespace platform
