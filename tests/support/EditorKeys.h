#pragma once
// Keys a grid's cell editor has no use for, as a keyboard sends them: the modifiers alone,
// Insert, Caps Lock, Pause, function keys, Ctrl+V and Shift with the arrows and the digits.
#include "platform/KeyEvents.h"

#include <QString>
#include <cstdint>

struct TEditorKey {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char* text; // the characters the key types
    std::uint16_t code;
};

inline const TEditorKey kKeysTheEditorLeaves[] = {
    {Qt::Key_Shift, Qt::ShiftModifier, "", platform::VK_SHIFT},
    {Qt::Key_Control, Qt::ControlModifier, "", platform::VK_CONTROL},
    {Qt::Key_Alt, Qt::AltModifier, "", platform::VK_MENU},
    {Qt::Key_Insert, {}, "", platform::VK_INSERT},
    {Qt::Key_CapsLock, {}, "", platform::VK_CAPITAL},
    {Qt::Key_Pause, {}, "", platform::VK_PAUSE},
    {Qt::Key_F1, {}, "", platform::VK_F1},
    {Qt::Key_F2, {}, "", platform::VK_F1 + 1},
    {Qt::Key_F3, {}, "", platform::VK_F1 + 2},
    {Qt::Key_F5, {}, "", platform::VK_F1 + 4},
    {Qt::Key_V, Qt::ControlModifier, "\x16", 'V'},
    {Qt::Key_Left, Qt::ShiftModifier, "", platform::VK_LEFT},
    {Qt::Key_Right, Qt::ShiftModifier, "", platform::VK_RIGHT},
    {Qt::Key_Exclam, Qt::ShiftModifier, "!", '1'},
    {Qt::Key_At, Qt::ShiftModifier, "@", '2'},
};
