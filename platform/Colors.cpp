#include "platform/Colors.h"

#include "platform/Convert.h"
#include "platform/Sjis.h"

#include <QGuiApplication>
#include <QPalette>
#include <cstdio>
#include <iterator>

namespace platform {

const TColorIdent kColorIdents[49] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clNone, "clNone"},
    {clDefault, "clDefault"},
    {clScrollBar, "clScrollBar"},
    {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"},
    {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"},
    {clWindowText, "clWindowText"},
    {clCaptionText, "clCaptionText"},
    {clActiveBorder, "clActiveBorder"},
    {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clBtnFace, "clBtnFace"},
    {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"},
    {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
};

namespace {

// Where each desktop colour of the table is taken from in the palette; grey text (17) is the
// disabled text, and the colours not listed are the text's.
QColor PaletteColor(int index) {
    using R = QPalette::ColorRole;
    static constexpr R kRoles[] = {
        R::Button,          // 0 scroll bar
        R::Dark,            // 1 desktop
        R::Highlight,       // 2 active caption
        R::Mid,             // 3 inactive caption
        R::Window,          // 4 menu
        R::Base,            // 5 window
        R::Shadow,          // 6 window frame
        R::WindowText,      // 7 menu text
        R::Text,            // 8 window text
        R::HighlightedText, // 9 caption text
        R::Button,          // 10 active border
        R::Button,          // 11 inactive border
        R::Mid,             // 12 application work space
        R::Highlight,       // 13 highlight
        R::HighlightedText, // 14 highlighted text
        R::Button,          // 15 button face
        R::Dark,            // 16 button shadow
        R::Text,            // 17 grey text (disabled)
        R::ButtonText,      // 18 button text
        R::WindowText,      // 19 inactive caption text
        R::Light,           // 20 button highlight
        R::Shadow,          // 21 3D dark shadow
        R::Midlight,        // 22 3D light
        R::ToolTipText,     // 23 tool tip text
        R::ToolTipBase,     // 24 tool tip background
        R::Text,            // 25
        R::Text,            // 26
        R::Highlight,       // 27 gradient of the active caption
        R::Mid,             // 28 gradient of the inactive caption
    };
    const QPalette palette = QGuiApplication::instance() ? QGuiApplication::palette() : QPalette();
    const R role =
        index >= 0 && index < static_cast<int>(std::size(kRoles)) ? kRoles[index] : R::Text;
    return palette.color(index == 17 ? QPalette::Disabled : QPalette::Active, role);
}

} // namespace

std::optional<TColor> IdentToColor(std::string_view ident) {
    for (const TColorIdent& entry : kColorIdents) {
        if (SameText(ident, entry.Name)) return entry.Value;
    }
    return std::nullopt;
}

std::optional<std::string> ColorToIdent(TColor color) {
    for (const TColorIdent& entry : kColorIdents) {
        if (entry.Value == color) return std::string(entry.Name);
    }
    return std::nullopt;
}

std::string ColorToString(TColor color) {
    if (auto ident = ColorToIdent(color)) return *ident;
    char text[16];
    std::snprintf(text, sizeof text, "$%08X",
                  static_cast<unsigned>(static_cast<std::uint32_t>(color)));
    return text;
}

TColor StringToColor(std::string_view text) {
    if (auto color = IdentToColor(text)) return *color;
    return StrToInt(text);
}

QColor ColorToQColor(TColor color) {
    if (color == clNone || color == clDefault) return QColor();
    auto bits = static_cast<std::uint32_t>(color);
    if (bits & 0x80000000u) return PaletteColor(static_cast<int>(bits & 0xFF));
    return QColor(static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF),
                  static_cast<int>((bits >> 16) & 0xFF));
}

} // namespace platform
