#include "ScriptedDialogs.h"

#include "platform/BeepTestHooks.h"
#include "platform/Sjis.h"

#include <gtest/gtest.h>
#include <utility>

using namespace platform;

namespace {

ScriptedDialogs*& Current() {
    static ScriptedDialogs* current = nullptr;
    return current;
}

ScriptedDialogs::Event MakeEvent(ScriptedDialogs::Kind kind, std::string caption = {},
                                 std::string text = {}) {
    ScriptedDialogs::Event e;
    e.kind = kind;
    e.caption = std::move(caption);
    e.text = std::move(text);
    return e;
}

std::string ButtonNames(TMsgDlgButtons buttons) {
    std::string names;
    auto add = [&](TMsgDlgBtn b, const char* name) {
        if (!(buttons & b)) return;
        if (!names.empty()) names += ' ';
        names += name;
    };
    add(mbYes, "Yes");
    add(mbNo, "No");
    add(mbOK, "OK");
    add(mbCancel, "Cancel");
    return names;
}

const char* TypeName(TMsgDlgType type) {
    switch (type) {
    case TMsgDlgType::Warning:
        return "warning";
    case TMsgDlgType::Error:
        return "error";
    case TMsgDlgType::Information:
        return "information";
    case TMsgDlgType::Confirmation:
        return "confirmation";
    }
    return "?";
}

} // namespace

ScriptedDialogs::ScriptedDialogs()
    : previousDialogs_(SetDialogs(this)), previousScripted_(Current()) {
    Current() = this;
    SetBeepHandler([this] { log_.push_back(MakeEvent(Kind::Beep)); });
}

ScriptedDialogs::~ScriptedDialogs() {
    SetDialogs(previousDialogs_);
    Current() = previousScripted_;
    if (previousScripted_)
        SetBeepHandler([p = previousScripted_] { p->log_.push_back(MakeEvent(Kind::Beep)); });
    else
        SetBeepHandler({});
}

ScriptedDialogs& ScriptedDialogs::Answer(TModalResult result, std::function<void()> whileOpen) {
    answers_.push_back({AnswerKind::Button, result, std::nullopt, std::nullopt,
                        std::move(whileOpen), std::nullopt});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::ChooseFile(std::string fileName,
                                             std::function<void()> whileOpen) {
    return ChooseFiles({std::move(fileName)}, std::move(whileOpen));
}

ScriptedDialogs& ScriptedDialogs::ChooseFiles(std::vector<std::string> files,
                                              std::function<void()> whileOpen) {
    answers_.push_back({AnswerKind::File, mrNone, std::move(files), std::nullopt,
                        std::move(whileOpen), std::nullopt});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::CancelFile(std::function<void()> whileOpen) {
    answers_.push_back(
        {AnswerKind::File, mrNone, std::nullopt, std::nullopt, std::move(whileOpen), std::nullopt});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::ChooseFont(QFont font, std::optional<platform::TColor> color,
                                             std::function<void()> whileOpen) {
    answers_.push_back(
        {AnswerKind::Font, mrNone, std::nullopt, std::move(font), std::move(whileOpen), color});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::CancelFont(std::function<void()> whileOpen) {
    answers_.push_back(
        {AnswerKind::Font, mrNone, std::nullopt, std::nullopt, std::move(whileOpen), std::nullopt});
    return *this;
}

std::vector<ScriptedDialogs::Event> ScriptedDialogs::Boxes() const {
    std::vector<Event> boxes;
    for (const auto& e : log_)
        if (e.kind != Kind::Beep) boxes.push_back(e);
    return boxes;
}

int ScriptedDialogs::Beeps() const {
    int n = 0;
    for (const auto& e : log_) n += e.kind == Kind::Beep;
    return n;
}

Lines ScriptedDialogs::Trace() const {
    Lines lines;
    for (const auto& e : log_) {
        switch (e.kind) {
        case Kind::Beep:
            lines.push_back("beep");
            break;
        case Kind::Box:
            lines.push_back("box(" + e.caption + "; " +
                            (e.boxButtons == TBoxButtons::OkCancel ? "OK Cancel" : "OK") +
                            "): " + e.text);
            break;
        case Kind::Dialog:
            lines.push_back(std::string(TypeName(e.type)) + "(" + ButtonNames(e.buttons) +
                            "): " + e.text);
            break;
        case Kind::Open:
            lines.push_back("open: " + e.text);
            break;
        case Kind::Save:
            lines.push_back("save: " + e.text);
            break;
        case Kind::Font:
            lines.push_back("font");
            break;
        }
    }
    return lines;
}

std::optional<ScriptedDialogs::Reply> ScriptedDialogs::Take(AnswerKind kind,
                                                            const std::string& what) {
    if (answers_.empty()) return std::nullopt;
    Reply reply = std::move(answers_.front());
    answers_.pop_front();
    if (reply.kind != kind) {
        ADD_FAILURE() << "The answer queued for the next dialog does not fit the " << what
                      << " that opened";
        return std::nullopt;
    }
    return reply;
}

TModalResult ScriptedDialogs::MessageBox(const std::string& text, const std::string& caption,
                                         TBoxButtons buttons) {
    auto reply = Take(AnswerKind::Button, "box \"" + text + "\"");
    TModalResult answer = reply ? reply->result : mrOk;
    if (answer != mrOk && !(answer == mrCancel && buttons == TBoxButtons::OkCancel)) {
        ADD_FAILURE() << "Box \"" << text << "\" has no button for answer " << answer;
        answer = mrOk;
    }
    Event e = MakeEvent(Kind::Box, caption, text);
    e.boxButtons = buttons;
    e.answer = answer;
    log_.push_back(std::move(e));
    if (reply && reply->whileOpen) reply->whileOpen();
    return answer;
}

TModalResult ScriptedDialogs::MessageDlg(const std::string& text, TMsgDlgType type,
                                         TMsgDlgButtons buttons) {
    auto reply = Take(AnswerKind::Button, "message dialog \"" + text + "\"");
    TModalResult answer;
    if (reply) {
        answer = reply->result;
        const bool offered = (answer == mrYes && (buttons & mbYes)) ||
                             (answer == mrNo && (buttons & mbNo)) ||
                             (answer == mrOk && (buttons & mbOK)) || answer == mrCancel;
        if (!offered) {
            ADD_FAILURE() << "Message dialog \"" << text << "\" has no button for answer "
                          << answer;
            answer = mrCancel;
        }
    } else {
        answer = (buttons & mbOK)    ? mrOk
                 : (buttons & mbYes) ? mrYes
                 : (buttons & mbNo)  ? mrNo
                                     : mrCancel;
    }
    Event e = MakeEvent(Kind::Dialog, MsgDlgTitle(type), text);
    e.type = type;
    e.buttons = buttons;
    e.answer = answer;
    log_.push_back(std::move(e));
    if (reply && reply->whileOpen) reply->whileOpen();
    return answer;
}

bool ScriptedDialogs::File(Kind kind, TFileDialog& dialog) {
    auto reply = Take(AnswerKind::File, kind == Kind::Open ? "open dialog" : "save dialog");
    Event e = MakeEvent(kind, {}, dialog.FileName);
    e.file = dialog;
    e.accepted = reply && reply->files && !reply->files->empty();
    log_.push_back(std::move(e));
    if (reply && reply->whileOpen) reply->whileOpen();
    if (!reply || !reply->files || reply->files->empty()) return false;
    dialog.Files = *reply->files;
    dialog.FileName = dialog.Files.front();
    return true;
}

bool ScriptedDialogs::ExecuteOpen(TFileDialog& dialog) {
    return File(Kind::Open, dialog);
}

bool ScriptedDialogs::ExecuteSave(TFileDialog& dialog) {
    return File(Kind::Save, dialog);
}

bool ScriptedDialogs::ExecuteFont(QFont& font, platform::TColor& color) {
    auto reply = Take(AnswerKind::Font, "font dialog");
    Event e = MakeEvent(Kind::Font);
    e.font = font;
    e.color = color;
    e.accepted = reply && reply->font;
    log_.push_back(std::move(e));
    if (reply && reply->whileOpen) reply->whileOpen();
    if (!reply || !reply->font) return false;
    font = *reply->font;
    if (reply->color) color = *reply->color;
    return true;
}

std::string Sjis(std::string_view utf8) {
    return platform::Utf8ToSjis(utf8);
}
