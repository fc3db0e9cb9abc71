#pragma once
// Dialogs for tests: every box, dialog and beep is recorded in one ordered log, boxes are answered
// from a queue of answers, and code can run "while a box is open", that is after the box has been
// recorded and before it returns, as the handlers' nested events would.
//
// Installing is scoped: the constructor puts the scripted dialogs and a beep recorder in place, the
// destructor puts back what was there before.
//
//     ScriptedDialogs dialogs;
//     dialogs.Answer(platform::mrCancel);
//     form.Close();
//     EXPECT_EQ(dialogs.Trace(), (Lines{"beep", "box(Confirmation; OK Cancel): Stop?"}));
#include "platform/Dialogs.h"

#include <QFont>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using Lines = std::vector<std::string>;

class ScriptedDialogs : public platform::TDialogs {
public:
    enum class Kind { Beep, Box, Dialog, Open, Save, Font };

    // One entry of the log. Texts are the Shift-JIS bytes given to the dialog.
    struct Event {
        Kind kind = Kind::Beep;
        std::string caption; // Box: the caption given; Dialog: the kind's title
        std::string text;    // Box, Dialog: the text; Open, Save: the preset file name
        platform::TBoxButtons boxButtons = platform::TBoxButtons::Ok;
        platform::TMsgDlgType type = platform::TMsgDlgType::Information;
        platform::TMsgDlgButtons buttons = 0;
        platform::TFileDialog file;                       // Open, Save: the dialog as it was shown
        QFont font;                                       // Font: the font given
        platform::TColor color = 0;                       // Font: the colour given
        platform::TModalResult answer = platform::mrNone; // Box, Dialog
        bool accepted = false;                            // Open, Save, Font
    };

    ScriptedDialogs();
    ~ScriptedDialogs() override;
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    // Queue the answer of the next box or message dialog. Without a queued answer a box answers OK,
    // a message dialog OK or else Yes (else its first button). `whileOpen` runs after the box is
    // logged and before it returns. Cancel is also taken by a message dialog without a Cancel
    // button: it stands for closing the dialog with its close box.
    ScriptedDialogs& Answer(platform::TModalResult result, std::function<void()> whileOpen = {});
    // Queue the answer of the next open or save dialog: a chosen file, or Cancel. Without a queued
    // answer such a dialog is cancelled.
    ScriptedDialogs& ChooseFile(std::string fileName, std::function<void()> whileOpen = {});
    ScriptedDialogs& ChooseFiles(std::vector<std::string> files,
                                 std::function<void()> whileOpen = {});
    ScriptedDialogs& CancelFile(std::function<void()> whileOpen = {});
    // Queue the answer of the next font dialog (a colour, or none to keep the one given).
    // Without one it is cancelled.
    ScriptedDialogs& ChooseFont(QFont font, std::optional<platform::TColor> color = std::nullopt,
                                std::function<void()> whileOpen = {});
    ScriptedDialogs& CancelFont(std::function<void()> whileOpen = {});

    // Answers queued and not used yet.
    std::size_t Pending() const { return answers_.size(); }

    const std::vector<Event>& Log() const { return log_; }
    // The boxes and dialogs only (no beeps).
    std::vector<Event> Boxes() const;
    int Beeps() const;
    // The log in short: "beep", "box(<caption>; OK Cancel): <text>", "warning(Yes No): <text>"
    // (also "error", "information", "confirmation"), "open: <preset>", "save: <preset>", "font".
    // Texts as Shift-JIS bytes, CR kept.
    Lines Trace() const;
    void Clear() { log_.clear(); }

    // TDialogs
    platform::TModalResult MessageBox(const std::string& text, const std::string& caption,
                                      platform::TBoxButtons buttons) override;
    platform::TModalResult MessageDlg(const std::string& text, platform::TMsgDlgType type,
                                      platform::TMsgDlgButtons buttons) override;
    bool ExecuteOpen(platform::TFileDialog& dialog) override;
    bool ExecuteSave(platform::TFileDialog& dialog) override;
    bool ExecuteFont(QFont& font, platform::TColor& color) override;

private:
    enum class AnswerKind { Button, File, Font };
    struct Reply {
        AnswerKind kind;
        platform::TModalResult result = platform::mrNone;
        std::optional<std::vector<std::string>> files; // none: cancelled
        std::optional<QFont> font;                     // none: cancelled
        std::function<void()> whileOpen;
        std::optional<platform::TColor> color; // none: kept
    };

    std::optional<Reply> Take(AnswerKind kind, const std::string& what);
    bool File(Kind kind, platform::TFileDialog& dialog);

    std::vector<Event> log_;
    std::deque<Reply> answers_;
    platform::TDialogs* previousDialogs_;
    ScriptedDialogs* previousScripted_;
};

// Shift-JIS bytes of a UTF-8 literal, for texts with Japanese characters.
std::string Sjis(std::string_view utf8);
