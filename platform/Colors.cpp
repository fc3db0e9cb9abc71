#include "platform/Colors.h"

#include "platform/Convert.h"

#include <QGuiApplication>
#include <QPalette>
#include <cstdio>

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

bool SameIdent(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// Where each desktop colour of the table is taken from in the palette.
QColor PaletteColor(int index) {
    QPalette palette = QGuiApplication::instance() ? QGuiApplication::palette() : QPalette();
    using R = QPalette::ColorRole;
    R role = R::Text;
    switch (index) {
    case 0:
        role = R::Button;
        break; // scroll bar
    case 1:
        role = R::Dark;
        break; // desktop
    case 2:
        role = R::Highlight;
        break; // active caption
    case 3:
        role = R::Mid;
        break; // inactive caption
    case 4:
        role = R::Window;
        break; // menu
    case 5:
        role = R::Base;
        break; // window
    case 6:
        role = R::Shadow;
        break; // window frame
    case 7:
        role = R::WindowText;
        break; // menu text
    case 8:
        role = R::Text;
        break; // window text
    case 9:
        role = R::HighlightedText;
        break; // caption text
    case 10:
        role = R::Button;
        break; // active border
    case 11:
        role = R::Button;
        break; // inactive border
    case 12:
        role = R::Mid;
        break; // application work space
    case 13:
        role = R::Highlight;
        break; // highlight
    case 14:
        role = R::HighlightedText;
        break; // highlighted text
    case 15:
        role = R::Button;
        break; // button face
    case 16:
        role = R::Dark;
        break; // button shadow
    case 17:   // grey text
        return palette.color(QPalette::Disabled, R::Text);
    case 18:
        role = R::ButtonText;
        break; // button text
    case 19:
        role = R::WindowText;
        break; // inactive caption text
    case 20:
        role = R::Light;
        break; // button highlight
    case 21:
        role = R::Shadow;
        break; // 3D dark shadow
    case 22:
        role = R::Midlight;
        break; // 3D light
    case 23:
        role = R::ToolTipText;
        break; // tool tip text
    case 24:
        role = R::ToolTipBase;
        break; // tool tip background
    case 27:
        role = R::Highlight;
        break; // gradient of the active caption
    case 28:
        role = R::Mid;
        break; // gradient of the inactive caption
    default:
        break;
    }
    return palette.color(QPalette::Active, role);
}

} // namespace

std::optional<TColor> IdentToColor(std::string_view ident) {
    for (const TColorIdent& entry : kColorIdents) {
        if (SameIdent(ident, entry.Name)) return entry.Value;
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
