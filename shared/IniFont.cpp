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
#include <array>
#include <cmath>
#include <iterator>

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

// The keys read and written in places of their own.
constexpr const char* kLeft = "Left";
constexpr const char* kTop = "Top";
constexpr const char* kLastPath = "Last Path";
constexpr const char* kActivePage = "Active Page";
constexpr const char* kFaceName = "Name";
constexpr const char* kSize = "Size";
constexpr const char* kColor = "Color";

// The Help menu's three options, in the file's order, and their defaults.
struct TOptionKey {
    const char* Key;
    QAction* TWindowKeys::*Item;
    bool Default;
};
constexpr TOptionKey kOptionKeys[] = {
    {"Task-Tray", &TWindowKeys::TaskTray, false},
    {"Stay Front", &TWindowKeys::StayFront, false},
    {"Close Check", &TWindowKeys::CloseCheck, true},
};

// The font's four style flags, in the file's order (off when not set).
struct TStyleKey {
    const char* Key;
    bool (QFont::*Get)() const;
    void (QFont::*Set)(bool);
};
const TStyleKey kStyleKeys[] = {
    {"Bold", &QFont::bold, &QFont::setBold},
    {"Italic", &QFont::italic, &QFont::setItalic},
    {"UnderLine", &QFont::underline, &QFont::setUnderline},
    {"StrikeOut", &QFont::strikeOut, &QFont::setStrikeOut},
};

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
    platform::MoveOntoScreen(*keys.Window, ini.ReadInteger(kSystem, kLeft, 0),
                             ini.ReadInteger(kSystem, kTop, 0));
    *keys.LastPath = ini.ReadString(kSystem, kLastPath, "./");
    keys.Pages->SetActivePageIndex(ini.ReadInteger(kSystem, kActivePage, 0));
    for (const TOptionKey& option : kOptionKeys)
        (keys.*option.Item)->setChecked(ini.ReadBool(kSystem, option.Key, option.Default));
}

void WriteWindowKeys(TIniFile& ini, const TWindowKeys& keys) {
    const QRect frame = keys.Window->frameGeometry();
    ini.WriteInteger(kSystem, kLeft, frame.x());
    ini.WriteInteger(kSystem, kTop, frame.y());
    ini.WriteInteger(kSystem, "Width", frame.width());
    ini.WriteInteger(kSystem, "Height", frame.height());
    ini.WriteString(kSystem, kLastPath, *keys.LastPath);
    ini.WriteInteger(kSystem, kActivePage, keys.Pages->ActivePageIndex());
    for (const TOptionKey& option : kOptionKeys)
        ini.WriteBool(kSystem, option.Key, (keys.*option.Item)->isChecked());
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
    std::array<bool, std::size(kStyleKeys)> styles{};
    for (std::size_t i = 0; i < styles.size(); ++i)
        styles[i] = ini.ReadBool(kFont, kStyleKeys[i].Key, false);
    const std::string name = FaceName(ini.ReadString(kFont, kFaceName, "Terminal"));
    const int size = ini.ReadInteger(kFont, kSize, defaultSize);
    TIniFont result{QFont(), StringToColor(ini.ReadString(kFont, kColor, "clWindowText"))};
    QFont& font = result.Font; // a new font: the platform's defaults where the file says nothing
    if (!name.empty()) font.setFamily(FromSjis(name));
    if (size > 0) font.setPointSize(size);
    for (std::size_t i = 0; i < styles.size(); ++i) (font.*kStyleKeys[i].Set)(styles[i]);
    return result;
}

void WriteIniFont(TIniFile& ini, const QFont& font, TColor color) {
    ini.WriteString(kFont, kFaceName, ToSjis(font.family()));
    ini.WriteInteger(kFont, kSize, PointSize(font));
    ini.WriteString(kFont, kColor, ColorToString(color));
    for (const TStyleKey& style : kStyleKeys) ini.WriteBool(kFont, style.Key, (font.*style.Get)());
}
