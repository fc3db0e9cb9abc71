#pragma once
// What both programs keep alike in their settings file: the "Font" section (face name, size
// in points, colour and the four style flags), the window's keys of the "System" section, the
// list's "Column Width" section and the roles' order and shipment edits of the "Game" section.
#include "platform/Colors.h"
#include "platform/IniFile.h"

#include <QFont>
#include <span>
#include <string>
#include <vector>

class QAction;
class QWidget;
struct TRoleColumnControls;
namespace platform {
class TListView;
class TPageControl;
} // namespace platform

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
// The keys of a main window that has its pages and the three options under their usual names.
template <class TMainForm> TWindowKeys WindowKeysOf(TMainForm& form, std::string& lastPath) {
    return {&form,
            &lastPath,
            form.PageControl,
            form.MItem_TaskTray,
            form.MItem_StayFront,
            form.MItem_CloseCheck};
}
// Reads Left, Top, Last Path, Active Page (a page outside the window's shows none), Task-Tray,
// Stay Front and Close Check.
void ReadWindowKeys(const platform::TIniFile& ini, const TWindowKeys& keys);
// Writes Left, Top, Width, Height, Last Path, Active Page, Task-Tray, Stay Front, Close Check in
// this order.
void WriteWindowKeys(platform::TIniFile& ini, const TWindowKeys& keys);

// The "Column Width" section: one key per column, left out when the list does not have them all.
// A width the file holds is used as it is. A column whose key holds none starts at its design
// width (`defaults`), or wider where its caption, or one of the texts it usually shows
// (`usualTexts`, by column; none when left out), needs more in the list's face, and is fitted
// again when the list's face changes (TListColumn::FitWidth).
void ReadColumnWidths(const platform::TIniFile& ini, platform::TListView* list,
                      std::span<const char* const> keys, std::span<const int> defaults,
                      std::span<const std::vector<std::string>> usualTexts = {});
void WriteColumnWidths(platform::TIniFile& ini, const platform::TListView* list,
                       std::span<const char* const> keys);

// The four order edits ("Factory Order" ...) and then the four shipment edits ("Factory
// Shipment" ...) of the "Game" section, 5 when not set.
void ReadRoleEdits(const platform::TIniFile& ini, TRoleColumnControls& controls);
void WriteRoleEdits(platform::TIniFile& ini, TRoleColumnControls& controls);

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
