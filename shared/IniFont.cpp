#include "shared/IniFont.h"

#include "platform/Form.h"
#include "platform/ListView.h"
#include "platform/PageControl.h"
#include "platform/Sjis.h"
#include "platform/SjisText.h"
#include "platform/SpinEdit.h"
#include "shared/RoleColumns.h"

#include <QAction>
#include <QWidget>
#include <algorithm>
#include <cmath>

using namespace platform;

namespace {

constexpr const char* kFont = "Font";
constexpr const char* kSystem = "System";
constexpr const char* kColumnWidth = "Column Width";
constexpr const char* kGame = "Game";

// The role words are padded to seven characters ("Whole1  Order" is as long as "Factory Order").
const char* const kOrderKeys[] = {"Factory Order", "Whole1  Order", "Whole2  Order",
                                  "Retail  Order"};
const char* const kShipmentKeys[] = {"Factory Shipment", "Whole1  Shipment", "Whole2  Shipment",
                                     "Retail  Shipment"};

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
    platform::MoveOntoScreen(*keys.Window, ini.ReadInteger(kSystem, "Left", 0),
                             ini.ReadInteger(kSystem, "Top", 0));
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

void ReadColumnWidths(const TIniFile& ini, TListView* list, std::span<const char* const> keys,
                      std::span<const int> defaults,
                      std::span<const std::vector<std::string>> usualTexts) {
    if (list->ColumnCount() < static_cast<int>(keys.size())) return;
    static const std::vector<std::string> none;
    for (std::size_t c = 0; c < keys.size(); ++c) {
        const int column = static_cast<int>(c);
        const auto& texts = c < usualTexts.size() ? usualTexts[c] : none;
        // The file holds a width when the key reads the same whatever the default.
        const int held = ini.ReadInteger(kColumnWidth, keys[c], 0);
        if (held == ini.ReadInteger(kColumnWidth, keys[c], 1))
            list->Column(column)->SetWidth(held);
        else
            list->Column(column)->FitWidth(defaults[c], texts);
    }
}

void WriteColumnWidths(TIniFile& ini, const TListView* list, std::span<const char* const> keys) {
    if (list->ColumnCount() < static_cast<int>(keys.size())) return;
    for (std::size_t c = 0; c < keys.size(); ++c)
        ini.WriteInteger(kColumnWidth, keys[c], list->Column(static_cast<int>(c))->Width());
}

void ReadRoleEdits(const TIniFile& ini, TRoleColumnControls& controls) {
    for (int i = 0; i < 4; ++i)
        controls.Column(i).Order->SetValue(ini.ReadInteger(kGame, kOrderKeys[i], 5));
    for (int i = 0; i < 4; ++i)
        controls.Column(i).ShipM->SetValue(ini.ReadInteger(kGame, kShipmentKeys[i], 5));
}

void WriteRoleEdits(TIniFile& ini, TRoleColumnControls& controls) {
    for (int i = 0; i < 4; ++i)
        ini.WriteInteger(kGame, kOrderKeys[i], controls.Column(i).Order->Value());
    for (int i = 0; i < 4; ++i)
        ini.WriteInteger(kGame, kShipmentKeys[i], controls.Column(i).ShipM->Value());
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
