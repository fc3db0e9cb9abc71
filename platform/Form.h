#pragma once
// Base of the main windows: a QMainWindow with a window procedure that receives posted
// messages, sized by its outer size (frame included) as the windows are designed.
#include "platform/Messages.h"

#include <QMainWindow>

namespace platform {

// Moves a main window to (left, top), its outer top-left corner, as a settings file gives it:
// there when the window at its present size then overlaps a screen, else onto the nearest
// screen, as far as it fits. Any two integers are safe.
void MoveOntoScreen(QWidget& window, int left, int top);

class TForm : public QMainWindow, public TMessageTarget {
    Q_OBJECT
public:
    // The first form made while none is there is the program's main window.
    explicit TForm(QWidget* parent = nullptr);
    ~TForm() override;
    HWND Handle() { return this; }
    // Receives the messages posted with PostMessage.
    void WndProc(TMessage& msg) override { (void)msg; }
    QObject* MessageObject() override { return this; }

    // The outer size as designed, and the least and largest outer sizes. The frame's width is
    // known once the window is shown: until then the sizes are those of the inside, and then
    // the inside is made smaller by the frame (unless it has been resized meanwhile).
    void SetOuterSize(QSize size, QSize least,
                      QSize most = QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));

    // The program's event loop ends when this window has closed (its closing accepted), and
    // only then: a box that was the last window shown, the window sitting in the tray, must
    // not end the program before the window's own closing has run.
    void EndProgramOnClose() { endsProgram_ = true; }

protected:
    bool event(QEvent* event) override;
    // A minimised main window runs the application's minimise handler.
    void changeEvent(QEvent* event) override;

private:
    void FitToFrame();
    void PassActivationToBox();
    QSize outer_, least_, most_;
    bool fitted_ = false;
    bool endsProgram_ = false;
};

// The program's main window: the first form made, while it lasts; null before and after.
TForm* MainForm();

} // namespace platform
