#pragma once
// Colours as the settings files store them: a 32-bit value that is blue x 65536 + green x 256
// + red for a plain colour, 0x80000000 plus a system-colour index for a desktop colour, and two
// special values (no colour, the control's default). Each colour of the table has an
// identifier ("clRed") that the files use in place of the number.
#include <QColor>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

using TColor = std::int32_t;

constexpr TColor RGBColor(int red, int green, int blue) {
    return blue << 16 | green << 8 | red;
}
constexpr TColor SystemColor(int index) {
    return static_cast<TColor>(0x80000000u | static_cast<std::uint32_t>(index));
}

constexpr TColor clBlack = RGBColor(0x00, 0x00, 0x00);
constexpr TColor clMaroon = RGBColor(0x80, 0x00, 0x00);
constexpr TColor clGreen = RGBColor(0x00, 0x80, 0x00);
constexpr TColor clOlive = RGBColor(0x80, 0x80, 0x00);
constexpr TColor clNavy = RGBColor(0x00, 0x00, 0x80);
constexpr TColor clPurple = RGBColor(0x80, 0x00, 0x80);
constexpr TColor clTeal = RGBColor(0x00, 0x80, 0x80);
constexpr TColor clGray = RGBColor(0x80, 0x80, 0x80);
constexpr TColor clSilver = RGBColor(0xC0, 0xC0, 0xC0);
constexpr TColor clRed = RGBColor(0xFF, 0x00, 0x00);
constexpr TColor clLime = RGBColor(0x00, 0xFF, 0x00);
constexpr TColor clYellow = RGBColor(0xFF, 0xFF, 0x00);
constexpr TColor clBlue = RGBColor(0x00, 0x00, 0xFF);
constexpr TColor clFuchsia = RGBColor(0xFF, 0x00, 0xFF);
constexpr TColor clAqua = RGBColor(0x00, 0xFF, 0xFF);
constexpr TColor clWhite = RGBColor(0xFF, 0xFF, 0xFF);
constexpr TColor clMoneyGreen = RGBColor(0xC0, 0xDC, 0xC0);
constexpr TColor clSkyBlue = RGBColor(0xA6, 0xCA, 0xF0);
constexpr TColor clCream = RGBColor(0xFF, 0xFB, 0xF0);
constexpr TColor clMedGray = RGBColor(0xA0, 0xA0, 0xA4);
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;
constexpr TColor clScrollBar = SystemColor(0);
constexpr TColor clBackground = SystemColor(1);
constexpr TColor clActiveCaption = SystemColor(2);
constexpr TColor clInactiveCaption = SystemColor(3);
constexpr TColor clMenu = SystemColor(4);
constexpr TColor clWindow = SystemColor(5);
constexpr TColor clWindowFrame = SystemColor(6);
constexpr TColor clMenuText = SystemColor(7);
constexpr TColor clWindowText = SystemColor(8);
constexpr TColor clCaptionText = SystemColor(9);
constexpr TColor clActiveBorder = SystemColor(10);
constexpr TColor clInactiveBorder = SystemColor(11);
constexpr TColor clAppWorkSpace = SystemColor(12);
constexpr TColor clHighlight = SystemColor(13);
constexpr TColor clHighlightText = SystemColor(14);
constexpr TColor clBtnFace = SystemColor(15);
constexpr TColor clBtnShadow = SystemColor(16);
constexpr TColor clGrayText = SystemColor(17);
constexpr TColor clBtnText = SystemColor(18);
constexpr TColor clInactiveCaptionText = SystemColor(19);
constexpr TColor clBtnHighlight = SystemColor(20);
constexpr TColor cl3DDkShadow = SystemColor(21);
constexpr TColor cl3DLight = SystemColor(22);
constexpr TColor clInfoText = SystemColor(23);
constexpr TColor clInfoBk = SystemColor(24);
constexpr TColor clGradientActiveCaption = SystemColor(27);
constexpr TColor clGradientInactiveCaption = SystemColor(28);

struct TColorIdent {
    TColor Value;
    const char* Name;
};
// The 49 identifiers, in table order.
extern const TColorIdent kColorIdents[49];

// The colour of an identifier, letter case ignored; nothing for an unknown identifier.
[[nodiscard]] std::optional<TColor> IdentToColor(std::string_view ident);
// The identifier of the colour, or nothing when it has none.
[[nodiscard]] std::optional<std::string> ColorToIdent(TColor color);
// The identifier when the colour has one, else "$" and eight upper-case hexadecimal digits.
std::string ColorToString(TColor color);
// An identifier or an integer (platform/Convert.h notation); raises ConvertError otherwise.
TColor StringToColor(std::string_view text);

// The colour on screen. Desktop colours come from the application's palette; clNone and
// clDefault give an invalid QColor, meaning "leave the widget's own colour".
QColor ColorToQColor(TColor color);

} // namespace platform
