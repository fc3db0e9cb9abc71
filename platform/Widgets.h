#pragma once
// Making the windows' controls: each gets its name (as object name, so tests and tools find
// it), its caption and its hint (tool tip). Captions and hints are UTF-8 source texts.
#include "platform/RadioGroup.h"
#include "platform/SpinEdit.h"

#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <functional>
#include <string>
#include <vector>

class QAction;
class QApplication;
class QMainWindow;
class QPlainTextEdit;

namespace platform {

class TPageControl;
class TStatusBar;

template <class W> W* Named(W* widget, const std::string& name, const char* hint = nullptr) {
    widget->setObjectName(QString::fromStdString(name));
    if (hint) widget->setToolTip(QString::fromUtf8(hint));
    return widget;
}

QLabel* NewLabel(const std::string& name, const char* caption, const char* hint = nullptr,
                 bool bold = false);
// Lets the label's text wrap at blanks to the width that the layout gives it (however narrow),
// with the label as high as its lines need at that width.
void WrapToWidth(QLabel* label);
// Gives every group box's title the full width of its text, in the application's style: the
// style measures a title by its glyphs' bounding box, which leaves out trailing blanks, the width
// of characters taken from a fallback font (a full-width "！" at the end of the title would be cut
// off) and, in a larger face, the last letter's side.
void ShowWholeTitles(QApplication& app);
// A button whose least width is what its caption needs in its present font, bold or not, and
// follows a later change of the font (the server's pages take the settings' face after they are
// made).
QPushButton* NewButton(const std::string& name, const char* caption, const char* hint,
                       bool bold = false);
// A multi-line text field in which Tab moves the focus on, as in the other fields.
QPlainTextEdit* NewMemo(const std::string& name, const char* hint);
TSpinEdit* NewSpinEdit(const std::string& name, int min, int max, int maxLength, int value,
                       const char* hint = nullptr);
// The main window's page control ("PageControl") in its middle, without pages yet, and its
// status bar ("StatusBar") showing `text`.
TPageControl* AddPageControl(QMainWindow* window);
TStatusBar* AddStatusBar(QMainWindow* window, const std::string& text);
// A font of a face and a height in pixels ("system" 16 is the windows' design font).
QFont PixelFont(const char* family, int pixels);
// The font with every property its own, so that a control given it takes nothing from its
// parent's font.
QFont OwnFont(QFont font);

// Runs `handler` when the user picks the checkable menu item `action` (while `context` lives).
// The mark is the handler's business: the menu's own toggle is undone quietly first, so the
// handler inverts the mark itself, as it does when called from code.
void ConnectCheckItem(QAction* action, QObject* context, std::function<void()> handler);

// Holds a control's repainting (its BeginUpdate) for the life of the object, on every path.
template <class Control> class THeldUpdate {
public:
    explicit THeldUpdate(Control* control) : control_(control) { control_->BeginUpdate(); }
    ~THeldUpdate() { control_->EndUpdate(); }
    THeldUpdate(const THeldUpdate&) = delete;
    THeldUpdate& operator=(const THeldUpdate&) = delete;

private:
    Control* control_;
};

// A radio group with its items side by side; selecting `index` runs no handler yet.
TRadioGroup* NewRadioGroup(const std::string& name, const char* caption,
                           const std::vector<std::string>& items, int index,
                           const char* hint = nullptr);

} // namespace platform
