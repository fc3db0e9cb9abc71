#pragma once
// Message boxes as the code without widgets sees them: the plain box with a caption and the
// typed message dialog, shown by what is installed (the real dialogs, or a test's).
#include <string>

namespace platform {

// The button that closed a box. A typed message dialog closed by its close box (or by Escape when
// it has no Cancel, No or OK button to take it) answers mrCancel.
enum TModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

// Buttons of the plain box.
enum class TBoxButtons { Ok, OkCancel };

// Kinds of the typed message dialog; each has its icon and the platform's title.
enum class TMsgDlgType { Warning, Error, Information, Confirmation };

// Buttons of the typed message dialog, combined with |.
enum TMsgDlgBtn : unsigned { mbYes = 1, mbNo = 2, mbOK = 4, mbCancel = 8 };
using TMsgDlgButtons = unsigned;

// The platform's title of a typed message dialog: "Warning", "Error", "Information", "Confirm".
std::string MsgDlgTitle(TMsgDlgType type);

// What shows the boxes: the dialogs of the widget layer (platform/Dialogs.h, installed by the
// application object), or a test's stand-in.
class TBoxes {
public:
    virtual ~TBoxes() = default;
    // The plain box: the caption given, the text, no icon, OK or OK and Cancel. Answers mrOk or
    // mrCancel.
    virtual TModalResult MessageBox(const std::string& text, const std::string& caption,
                                    TBoxButtons buttons) = 0;
    // The typed message dialog: the kind's icon and title, the buttons given.
    virtual TModalResult MessageDlg(const std::string& text, TMsgDlgType type,
                                    TMsgDlgButtons buttons) = 0;
};
// Installs what shows the boxes and returns what was installed before. With none installed a
// box is not shown and answers mrCancel.
TBoxes* SetBoxes(TBoxes* boxes);

// The plain box and the typed message dialog of the boxes installed.
TModalResult MessageBox(const std::string& text, const std::string& caption,
                        TBoxButtons buttons = TBoxButtons::Ok);
TModalResult MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons);

} // namespace platform
