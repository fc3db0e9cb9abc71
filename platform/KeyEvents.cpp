#include "platform/KeyEvents.h"

#include <QKeyEvent>
#include <iterator>

namespace platform {

namespace {

struct KeyPair {
    int qt;
    std::uint16_t code;
};

// Keys whose code does not follow from their character.
constexpr KeyPair kNamedKeys[] = {
    {Qt::Key_Backspace, VK_BACK},
    {Qt::Key_Tab, VK_TAB},
    {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Return, VK_RETURN},
    {Qt::Key_Enter, VK_RETURN},
    {Qt::Key_Shift, VK_SHIFT},
    {Qt::Key_Control, VK_CONTROL},
    {Qt::Key_Alt, VK_MENU},
    {Qt::Key_Pause, VK_PAUSE},
    {Qt::Key_CapsLock, VK_CAPITAL},
    {Qt::Key_Escape, VK_ESCAPE},
    {Qt::Key_Space, VK_SPACE},
    {Qt::Key_PageUp, VK_PRIOR},
    {Qt::Key_PageDown, VK_NEXT},
    {Qt::Key_End, VK_END},
    {Qt::Key_Home, VK_HOME},
    {Qt::Key_Left, VK_LEFT},
    {Qt::Key_Up, VK_UP},
    {Qt::Key_Right, VK_RIGHT},
    {Qt::Key_Down, VK_DOWN},
    {Qt::Key_Insert, VK_INSERT},
    {Qt::Key_Delete, VK_DELETE},
    {Qt::Key_Menu, VK_APPS},
    {Qt::Key_NumLock, VK_NUMLOCK},
    {Qt::Key_ScrollLock, VK_SCROLL},
    {Qt::Key_Semicolon, VK_OEM_1},
    {Qt::Key_Colon, VK_OEM_1},
    {Qt::Key_Equal, VK_OEM_PLUS},
    {Qt::Key_Comma, VK_OEM_COMMA},
    {Qt::Key_Less, VK_OEM_COMMA},
    {Qt::Key_Minus, VK_OEM_MINUS},
    {Qt::Key_Underscore, VK_OEM_MINUS},
    {Qt::Key_Period, VK_OEM_PERIOD},
    {Qt::Key_Greater, VK_OEM_PERIOD},
    {Qt::Key_Slash, VK_OEM_2},
    {Qt::Key_Question, VK_OEM_2},
    {Qt::Key_QuoteLeft, VK_OEM_3},
    {Qt::Key_AsciiTilde, VK_OEM_3},
    {Qt::Key_BracketLeft, VK_OEM_4},
    {Qt::Key_BraceLeft, VK_OEM_4},
    {Qt::Key_Backslash, VK_OEM_5},
    {Qt::Key_Bar, VK_OEM_5},
    {Qt::Key_BracketRight, VK_OEM_6},
    {Qt::Key_BraceRight, VK_OEM_6},
    {Qt::Key_Apostrophe, VK_OEM_7},
    {Qt::Key_QuoteDbl, VK_OEM_7},
    {Qt::Key_Plus, VK_OEM_PLUS},
};

// Keys of the numeric keypad whose code differs from the main keyboard's.
constexpr KeyPair kKeypadKeys[] = {
    {Qt::Key_Asterisk, VK_MULTIPLY}, {Qt::Key_Plus, VK_ADD},     {Qt::Key_Minus, VK_SUBTRACT},
    {Qt::Key_Period, VK_DECIMAL},    {Qt::Key_Slash, VK_DIVIDE},
};

// Shifted digit characters of a US layout, which reach us as their own keys.
constexpr KeyPair kShiftedDigits[] = {
    {Qt::Key_ParenRight, '0'},  {Qt::Key_Exclam, '1'},    {Qt::Key_At, '2'},
    {Qt::Key_NumberSign, '3'},  {Qt::Key_Dollar, '4'},    {Qt::Key_Percent, '5'},
    {Qt::Key_AsciiCircum, '6'}, {Qt::Key_Ampersand, '7'}, {Qt::Key_Asterisk, '8'},
    {Qt::Key_ParenLeft, '9'},
};

} // namespace

TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers) {
    TShiftState s;
    if (modifiers & Qt::ShiftModifier) s.Include(ssShift);
    if (modifiers & Qt::AltModifier) s.Include(ssAlt);
    if (modifiers & Qt::ControlModifier) s.Include(ssCtrl);
    return s;
}

std::uint16_t KeyCodeOf(const QKeyEvent& event) {
    const int key = event.key();
    const bool keypad = event.modifiers() & Qt::KeypadModifier;
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<std::uint16_t>(key);
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        if (keypad) return static_cast<std::uint16_t>(VK_NUMPAD0 + (key - Qt::Key_0));
        return static_cast<std::uint16_t>(key);
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return static_cast<std::uint16_t>(VK_F1 + (key - Qt::Key_F1));
    if (keypad)
        for (const KeyPair& p : kKeypadKeys)
            if (p.qt == key) return p.code;
    for (const KeyPair& p : kNamedKeys)
        if (p.qt == key) return p.code;
    for (const KeyPair& p : kShiftedDigits)
        if (p.qt == key) return p.code;
    return 0;
}

int QtKeyOf(std::uint16_t code) {
    if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9')) return code;
    if (code >= VK_NUMPAD0 && code <= VK_NUMPAD0 + 9) return Qt::Key_0 + (code - VK_NUMPAD0);
    if (code >= VK_F1 && code < VK_F1 + 24) return Qt::Key_F1 + (code - VK_F1);
    for (const KeyPair& p : kKeypadKeys)
        if (p.code == code) return p.qt;
    // The first entry of a code is its unshifted key.
    for (const KeyPair& p : kNamedKeys)
        if (p.code == code) return p.qt;
    return 0;
}

std::u16string KeyCharsOf(const QKeyEvent& event) {
    const int key = event.key();
    const Qt::KeyboardModifiers mods = event.modifiers();
    switch (key) {
    case Qt::Key_Backspace:
        return u"\x08";
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return u"\x0D";
    case Qt::Key_Escape:
        return u"\x1B";
    default:
        break;
    }
    if ((mods & Qt::ControlModifier) && !(mods & Qt::AltModifier)) {
        if (key >= Qt::Key_A && key <= Qt::Key_Z)
            return std::u16string(1, static_cast<char16_t>(key - Qt::Key_A + 1));
        return {};
    }
    std::u16string chars;
    const QString text = event.text();
    for (QChar c : text)
        if (c.unicode() >= 0x20 && c.unicode() != 0x7F) chars.push_back(c.unicode());
    return chars;
}

} // namespace platform
