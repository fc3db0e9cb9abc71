#pragma once
// The text viewer: a window with a read-only memo that shows one of the program's documents
// (the help text or the change history beside the program file), and a track bar that makes the
// window see-through where the window system can. Both programs create one at start-up, right
// after their main window, and keep it hidden except while a document is shown.
#include <QDialog>
#include <string>

class QPlainTextEdit;
class QSlider;

class TTrovGamePreviewForm : public QDialog {
    Q_OBJECT
public:
    // Caption parts between the application title and the document's file name.
    static constexpr const char* kTextCaption = " - Text - ";
    static constexpr const char* kHistoryCaption = " - Renewal history - ";

    // Creates the hidden viewer with the object name `name` for the program's main window
    // `mainWindow`: the memo takes the main window's font as it is now (later changes do not
    // reach it), and the main window is made to accept dropped files. `seeThrough` tells whether
    // the window system can draw the window see-through; without it the track bar is hidden and
    // disabled and the memo fills the window.
    TTrovGamePreviewForm(const char* name, QWidget* mainWindow, bool seeThrough = CanSeeThrough());

    QPlainTextEdit* Memo;
    // Opacity of the window, 55 (faint) to 255 (opaque), in 255ths.
    QSlider* TrackBar;

    // Sets the window's opacity to the track bar's position; runs whenever the track bar moves.
    // Does nothing where the window system cannot draw the window see-through.
    void TrackBarChange();

    // Shows the help text `fileName` (a native file name) modally: the caption is the
    // application title, kTextCaption and the file's name without its folder; the memo holds the
    // file's lines (Shift-JIS text) while the viewer is open and is emptied when it closes.
    // A file that cannot be read is reported in an error box and the viewer is not shown.
    void ShowText(const std::string& fileName);
    // The same for the change history, with kHistoryCaption.
    void ShowHistory(const std::string& fileName);

    // Shows the viewer and returns when it is closed; other events (sockets, posted messages)
    // go on being handled meanwhile.
    void ShowModal();

    // True where the window system plug-in in use honours a window's opacity.
    static bool CanSeeThrough();

private:
    void FormCreate(QWidget* mainWindow);
    void ShowDocument(const char* captionPart, const std::string& fileName);

    bool seeThrough_;
};

// The viewer under each program's name.
using TTrovGameServerPreviewForm = TTrovGamePreviewForm;
using TTrovGameClientPreviewForm = TTrovGamePreviewForm;
constexpr const char* kServerPreviewFormName = "TTrovGameServerPreviewForm";
constexpr const char* kClientPreviewFormName = "TTrovGameClientPreviewForm";
