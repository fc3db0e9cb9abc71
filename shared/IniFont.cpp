#include "shared/IniFont.h"

#include "platform/PageControl.h"
#include "platform/Sjis.h"
#include "platform/SjisText.h"

#include <QAction>
#include <QWidget>
#include <cmath>

using namespace platform;

namespace {

constexpr const char* kFont = "Font";
constexpr const char* kSystem = "System";

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

void ReadWindowKeys(const TIniFile& ini, const TWindowKeys& keys) {
    keys.Window->move(ini.ReadInteger(kSystem, "Left", 0), ini.ReadInteger(kSystem, "Top", 0));
    *keys.LastPath = ini.ReadString(kSystem, "Last Path", "./");
    keys.Pages->SetActivePageIndex(ini.ReadInteger(kSystem, "Active Page", 0));
    keys.TaskTray->setChecked(ini.ReadBool(kSystem, "Task-Tray", false));
    keys.StayFront->setChecked(ini.ReadBool(kSystem, "Stay Front", false));
    keys.CloseCheck->setChecked(ini.ReadBool(kSystem, "Close Check", true));
}

void WriteWindowKeys(TIniFile& ini, const TWindowKeys& keys) {
    const QRect frame = keys.Window->frameGeometry();
    ini.WriteInteger(kSystem, "Left", frame.x());
    ini.WriteInteger(kSystem, "Top", frame.y());
    ini.WriteInteger(kSystem, "Width", frame.width());
    ini.WriteInteger(kSystem, "Height", frame.height());
    ini.WriteString(kSystem, "Last Path", *keys.LastPath);
    ini.WriteInteger(kSystem, "Active Page", keys.Pages->ActivePageIndex());
    ini.WriteBool(kSystem, "Task-Tray", keys.TaskTray->isChecked());
    ini.WriteBool(kSystem, "Stay Front", keys.StayFront->isChecked());
    ini.WriteBool(kSystem, "Close Check", keys.CloseCheck->isChecked());
}

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
