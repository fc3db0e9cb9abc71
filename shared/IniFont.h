#pragma once
// The "Font" section that both programs keep in their settings file: face name, size in
// points, colour and the four style flags.
#include "platform/Colors.h"
#include "platform/IniFile.h"

#include <QFont>

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
