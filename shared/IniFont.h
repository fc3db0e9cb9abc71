#pragma once
// What both programs keep alike in their settings file: the "Font" section (face name, size
// in points, colour and the four style flags) and the window's keys of the "System" section.
#include "platform/Colors.h"
#include "platform/IniFile.h"

#include <QFont>
#include <string>

class QAction;
class QWidget;
namespace platform {
class TPageControl;
}

// The window's "System" keys: the frame's place (and, written only, its size), the last path of
// the window's file dialog, the page shown and the three options of the Help menu.
struct TWindowKeys {
    QWidget* Window;
    std::string* LastPath;
    platform::TPageControl* Pages;
    QAction* TaskTray;
    QAction* StayFront;
    QAction* CloseCheck;
};
// Reads Left, Top, Last Path, Active Page (a page outside the window's shows none), Task-Tray,
// Stay Front and Close Check.
void ReadWindowKeys(const platform::TIniFile& ini, const TWindowKeys& keys);
// Writes Left, Top, Width, Height, Last Path, Active Page, Task-Tray, Stay Front, Close Check in
// this order.
void WriteWindowKeys(platform::TIniFile& ini, const TWindowKeys& keys);

struct TIniFont {
    QFont Font;
    platform::TColor Color;
};

// Reads the section whole before anything is applied; a colour that is neither an identifier
// nor a number raises platform::ConvertError. A face name longer than 31 bytes is cut (never
// inside a double-byte character); an empty name or a size of 0 or less keeps the default.
TIniFont ReadIniFont(const platform::TIniFile& ini, int defaultSize);

// Writes Name, Size, Color, Bold, Italic, UnderLine, StrikeOut in this order.
void WriteIniFont(platform::TIniFile& ini, const QFont& font, platform::TColor color);
