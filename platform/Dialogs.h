#pragma once
// Message boxes and the common file and font dialogs, all behind one interface so that tests can
// put a scripted implementation in place of the real, modal one.
//
// Every text is Shift-JIS bytes; a CR (alone or before LF) in a box text is a line break. The boxes
// do not beep: a caller that wants a beep first calls platform::Beep(). The real dialogs are modal
// and run a nested event loop, so socket events, posted messages and timers go on being handled
// while one is open.
#include "platform/Boxes.h"
#include "platform/Colors.h"

#include <QFont>
#include <QStringList>
#include <string>
#include <vector>

namespace platform {

// Options of the file dialogs, combined with |.
enum TOpenOption : unsigned {
    ofOverwritePrompt = 1,  // save: ask before replacing an existing file
    ofHideReadOnly = 2,     // no read-only box (the dialogs here never have one)
    ofAllowMultiSelect = 4, // open: several files can be chosen
    ofPathMustExist = 8,    // only names in an existing folder are taken
    ofFileMustExist = 16,   // open: only existing files are taken
    ofCreatePrompt = 32,    // open: a name of no existing file is taken after asking
    ofEnableSizing = 64,    // resizable (the dialogs here always are)
};
using TOpenOptions = unsigned;

// An open or save dialog's settings and its result. Kept by the window between runs, so the last
// chosen name is preset the next time.
struct TFileDialog {
    // "Text File(*.txt)|*.txt|All Files(*.*)|*.*": pairs of description and patterns (patterns
    // separated by ';').
    std::string Filter;
    // Added, after a dot, to a chosen name that has no extension ("txt"; empty for none).
    std::string DefaultExt;
    // Folder shown first when FileName names no folder.
    std::string InitialDir;
    // In: the name preset in the dialog; its folder, when it has one, is shown first. Out: the
    // chosen file (the first one when several were chosen).
    std::string FileName;
    // Out: every chosen file.
    std::vector<std::string> Files;
    TOpenOptions Options = 0;
};

class TOpenDialog : public TFileDialog {
public:
    // Shows the dialog; true with FileName and Files set when the user chose a file.
    [[nodiscard]] bool Execute();
};

class TSaveDialog : public TFileDialog {
public:
    [[nodiscard]] bool Execute();
};

class TFontDialog {
public:
    // Shows the dialog starting with Font and Color; true with both as chosen when the user
    // chose a font.
    [[nodiscard]] bool Execute();
    QFont Font;
    TColor Color = clWindowText;
};

// The colours a font dialog offers: the 16 standard colours by name ("Black" to "White"),
// and first the colour given when it is none of them, so that it can be kept.
struct TColorChoice {
    TColor Value;
    std::string Name;
};
std::vector<TColorChoice> FontColorChoices(TColor current);

// The boxes and the file and font dialogs.
class TDialogs : public TBoxes {
public:
    // The file dialogs: true with the file chosen.
    [[nodiscard]] virtual bool ExecuteOpen(TFileDialog& dialog) = 0;
    [[nodiscard]] virtual bool ExecuteSave(TFileDialog& dialog) = 0;
    // The font dialog, with its colour choice; true with both as chosen.
    [[nodiscard]] virtual bool ExecuteFont(QFont& font, TColor& color) = 0;
};

// The dialogs in use: the real ones unless others have been installed.
TDialogs& Dialogs();
// Installs `dialogs` (null: the real ones again), for the boxes too, and returns what was
// installed before (null for the real ones).
TDialogs* SetDialogs(TDialogs* dialogs);

// The name filters of a file dialog in Qt's form ("Text File(*.txt)", "All Files(*.*) (*)"): each
// description keeps its text and gets its patterns in parentheses unless it already ends with them;
// "*.*" stands for every file.
QStringList NameFilters(const std::string& filter);

} // namespace platform
