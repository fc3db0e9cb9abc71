#pragma once
// Keyboard events of the controls. A key-down or key-up handler receives the key's code and
// the modifier keys held; a key-press handler receives the character the key types. Each
// handler may change the key or set it to 0 to swallow it before the control acts on it.
//
// Key codes: letters are their upper-case ASCII codes ('A'..'Z'), digit keys their ASCII
// digits ('0'..'9'); the other keys have the VK_ codes below. A key press first raises the
// key-down event (and the control acts on the code), then the key-press event for the
// character it types, if any: Backspace types 8, Enter 13, Escape 27 and Ctrl+A..Ctrl+Z the
// control characters 1..26. Swallowing the code does not swallow the character.
#include <QObject>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>

class QKeyEvent;

namespace platform {

enum TShiftFlag : std::uint8_t { ssShift = 1, ssAlt = 2, ssCtrl = 4 };

// The modifier keys held with a key.
class TShiftState {
public:
    constexpr TShiftState() = default;
    constexpr TShiftState(std::initializer_list<TShiftFlag> flags) {
        for (TShiftFlag f : flags) bits_ |= f;
    }
    constexpr bool Contains(TShiftFlag f) const { return (bits_ & f) != 0; }
    constexpr void Include(TShiftFlag f) { bits_ |= f; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr bool operator==(const TShiftState&) const = default;

private:
    std::uint8_t bits_ = 0;
};

using TKeyEvent = std::function<void(QObject* Sender, std::uint16_t& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(QObject* Sender, char16_t& Key)>;

constexpr std::uint16_t VK_BACK = 0x08;
constexpr std::uint16_t VK_TAB = 0x09;
constexpr std::uint16_t VK_RETURN = 0x0D;
constexpr std::uint16_t VK_SHIFT = 0x10;
constexpr std::uint16_t VK_CONTROL = 0x11;
constexpr std::uint16_t VK_MENU = 0x12; // Alt
constexpr std::uint16_t VK_PAUSE = 0x13;
constexpr std::uint16_t VK_CAPITAL = 0x14;
constexpr std::uint16_t VK_ESCAPE = 0x1B;
constexpr std::uint16_t VK_SPACE = 0x20;
constexpr std::uint16_t VK_PRIOR = 0x21; // Page Up
constexpr std::uint16_t VK_NEXT = 0x22;  // Page Down
constexpr std::uint16_t VK_END = 0x23;
constexpr std::uint16_t VK_HOME = 0x24;
constexpr std::uint16_t VK_LEFT = 0x25;
constexpr std::uint16_t VK_UP = 0x26;
constexpr std::uint16_t VK_RIGHT = 0x27;
constexpr std::uint16_t VK_DOWN = 0x28;
constexpr std::uint16_t VK_INSERT = 0x2D;
constexpr std::uint16_t VK_DELETE = 0x2E;
constexpr std::uint16_t VK_APPS = 0x5D;     // context-menu key
constexpr std::uint16_t VK_NUMPAD0 = 0x60;  // keypad digits: VK_NUMPAD0 + digit
constexpr std::uint16_t VK_MULTIPLY = 0x6A; // keypad operators
constexpr std::uint16_t VK_ADD = 0x6B;
constexpr std::uint16_t VK_SUBTRACT = 0x6D;
constexpr std::uint16_t VK_DECIMAL = 0x6E;
constexpr std::uint16_t VK_DIVIDE = 0x6F;
constexpr std::uint16_t VK_F1 = 0x70; // F1..F24: VK_F1 + n - 1
constexpr std::uint16_t VK_NUMLOCK = 0x90;
constexpr std::uint16_t VK_SCROLL = 0x91;
// Punctuation keys of a US layout, by their unshifted character.
constexpr std::uint16_t VK_OEM_1 = 0xBA;      // ; :
constexpr std::uint16_t VK_OEM_PLUS = 0xBB;   // = +
constexpr std::uint16_t VK_OEM_COMMA = 0xBC;  // , <
constexpr std::uint16_t VK_OEM_MINUS = 0xBD;  // - _
constexpr std::uint16_t VK_OEM_PERIOD = 0xBE; // . >
constexpr std::uint16_t VK_OEM_2 = 0xBF;      // / ?
constexpr std::uint16_t VK_OEM_3 = 0xC0;      // ` ~
constexpr std::uint16_t VK_OEM_4 = 0xDB;      // [ {
constexpr std::uint16_t VK_OEM_5 = 0xDC;      // \ |
constexpr std::uint16_t VK_OEM_6 = 0xDD;      // ] }
constexpr std::uint16_t VK_OEM_7 = 0xDE;      // ' "

TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers);
// The code of the key of a key event; 0 for a key that has none.
std::uint16_t KeyCodeOf(const QKeyEvent& event);
// The widget key for a code (for passing a changed key on); 0 when there is none.
int QtKeyOf(std::uint16_t code);
// The characters a key press types, as the key-press event sees them (see above).
std::u16string KeyCharsOf(const QKeyEvent& event);

} // namespace platform
