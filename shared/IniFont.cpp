#include "shared/IniFont.h"

#include "platform/Sjis.h"
#include "platform/SjisText.h"

#include <cmath>

using namespace platform;

namespace {

constexpr const char* kFont = "Font";

// The longest face name a font takes, in bytes.
constexpr std::size_t kMaxFaceName = 31;

std::string FaceName(std::string name) {
    if (name.size() > kMaxFaceName) {
        std::size_t n = kMaxFaceName;
        // A double-byte character that does not fit entirely is left out.
        if (IsLeadByteAt(name, n - 1)) --n;
        name.resize(n);
    }
    return name;
}

// The font's size in points, also for a font sized in pixels (at 96 dots per inch).
int PointSize(const QFont& font) {
    if (font.pointSize() > 0) return font.pointSize();
    if (font.pixelSize() > 0) return static_cast<int>(std::lround(font.pixelSize() * 72.0 / 96.0));
    return 0;
}

} // namespace

TIniFont ReadIniFont(const TIniFile& ini, int defaultSize) {
    const bool bold = ini.ReadBool(kFont, "Bold", false);
    const bool italic = ini.ReadBool(kFont, "Italic", false);
    const bool underline = ini.ReadBool(kFont, "UnderLine", false);
    const bool strikeOut = ini.ReadBool(kFont, "StrikeOut", false);
    const std::string name = FaceName(ini.ReadString(kFont, "Name", "Terminal"));
    const int size = ini.ReadInteger(kFont, "Size", defaultSize);
    TIniFont result{QFont(), StringToColor(ini.ReadString(kFont, "Color", "clWindowText"))};
    QFont& font = result.Font; // a new font: the platform's defaults where the file says nothing
    if (!name.empty()) font.setFamily(FromSjis(name));
    if (size > 0) font.setPointSize(size);
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    font.setStrikeOut(strikeOut);
    return result;
}

void WriteIniFont(TIniFile& ini, const QFont& font, TColor color) {
    ini.WriteString(kFont, "Name", ToSjis(font.family()));
    ini.WriteInteger(kFont, "Size", PointSize(font));
    ini.WriteString(kFont, "Color", ColorToString(color));
    ini.WriteBool(kFont, "Bold", font.bold());
    ini.WriteBool(kFont, "Italic", font.italic());
    ini.WriteBool(kFont, "UnderLine", font.underline());
    ini.WriteBool(kFont, "StrikeOut", font.strikeOut());
}
