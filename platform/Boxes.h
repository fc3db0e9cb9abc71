#pragma once
// Message boxes as the code without widgets sees them: the plain box with a caption and the
// typed message dialog. The dialogs in use (real or scripted) are behind platform/Dialogs.h.
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

// The plain box and the typed message dialog of the dialogs in use (see Dialogs.h).
TModalResult MessageBox(const std::string& text, const std::string& caption,
                        TBoxButtons buttons = TBoxButtons::Ok);
TModalResult MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons);

} // namespace platform
