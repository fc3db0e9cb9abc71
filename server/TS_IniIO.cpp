#include "server/TS_IniIO.h"

#include "platform/Colors.h"
#include "platform/IniFile.h"
#include "platform/PageControl.h"
#include "platform/SjisText.h"
#include "platform/SpinEdit.h"
#include "server/TS_Main.h"
#include "shared/IniFont.h"

#include <QFont>
#include <QLineEdit>

using namespace platform;

namespace {

constexpr const char* kSystem = "System";
constexpr const char* kGame = "Game";

// The connection list's columns: User, Wish, Host, IP Address, Port, Start Time.
const char* const kWidthKeys[] = {"Player Name", "Player Type", "Host Name",
                                  "IP Address",  "Port Number", "Connect Time"};
const int kDefaultWidths[] = {100, 80, 100, 140, 60, 120};

// What the columns usually show, at its widest: a player's name as the client proposes it, the
// wish words, an IPv4 address, a port and a connection time (host names vary too much to be
// foreseen).
std::vector<std::vector<std::string>> UsualColumnTexts() {
    std::vector<std::string> wishes;
    for (int role = rlNone; role <= rlRetailer; ++role)
        wishes.push_back(WishWord(static_cast<std::uint8_t>(role)));
    return {{"Client A"}, wishes, {}, {"255.255.255.255"}, {"65535"}, {"30/12/2099 23:59:59"}};
}

// A spin edit of the Game section with its key and default (the roles' edits come after them).
struct TGameEdit {
    platform::TSpinEdit* TTrovGameServerForm::*Edit;
    const char* Key;
    int Default;
};
const TGameEdit kGameEdits[] = {
    {&TTrovGameServerForm::SpinEdit_MarcketMin, "Marcket Min", 2},
    {&TTrovGameServerForm::SpinEdit_MarcketMax, "Marcket Max", 6},
    {&TTrovGameServerForm::SpinEdit_FirstMin, "First Min", 2},
    {&TTrovGameServerForm::SpinEdit_FirstMax, "First Max", 6},
};

} // namespace

void LoadServerIni(TTrovGameServerForm& Form, const std::string& FileName) {
    const TIniFile ini(FileName);

    // The whole font is read before anything is applied: a bad colour leaves the window as it is.
    const TIniFont font = ReadIniFont(ini, 13);
    ReadWindowKeys(ini, WindowKeysOf(Form, Form.OpenDialog.FileName));
    Form.SpinEdit_Port->SetValue(ini.ReadInteger(kSystem, "Server Port", 8799));
    Form.ColumnDiv = ini.ReadString(kSystem, "Column Div", "\t");

    Form.ApplyPageFont(font.Font, font.Color);

    // Lowered only now: a stored port below 1024 has already been raised to 1024.
    if (ini.ReadBool(kSystem, "Well Known Port", false)) Form.SpinEdit_Port->SetMinValue(0);

    ReadColumnWidths(ini, Form.ListView_Connect, kWidthKeys, kDefaultWidths, UsualColumnTexts());

    Form.SpinEdit_FinalTurn->SetValue(ini.ReadInteger(kGame, "Final Turn", 50));
    Form.Edit_GroupName->setText(FromSjis(ini.ReadString(kGame, "Group Name", "Benvik Group")));
    Form.SpinEdit_UStkCost->SetValue(ini.ReadInteger(kGame, "Stock Cost", 1));
    Form.SpinEdit_UBLCost->SetValue(ini.ReadInteger(kGame, "Back Log Cost", 2));
    for (const TGameEdit& e : kGameEdits)
        (Form.*e.Edit)->SetValue(ini.ReadInteger(kGame, e.Key, e.Default));
    ReadRoleEdits(ini, Form);
}

void SaveServerIni(TTrovGameServerForm& Form, const std::string& FileName) {
    TIniFile ini(FileName);

    WriteWindowKeys(ini, WindowKeysOf(Form, Form.OpenDialog.FileName));

    const QFont font = Form.PageControl->font();
    const TColor color = Form.FFontColor;

    ini.WriteInteger(kSystem, "Server Port", Form.SpinEdit_Port->Value());

    WriteColumnWidths(ini, Form.ListView_Connect, kWidthKeys);

    ini.WriteInteger(kGame, "Final Turn", Form.SpinEdit_FinalTurn->Value());
    ini.WriteString(kGame, "Group Name", ToSjis(Form.Edit_GroupName->text()));
    ini.WriteInteger(kGame, "Stock Cost", Form.SpinEdit_UStkCost->Value());
    ini.WriteInteger(kGame, "Back Log Cost", Form.SpinEdit_UBLCost->Value());
    for (const TGameEdit& e : kGameEdits) ini.WriteInteger(kGame, e.Key, (Form.*e.Edit)->Value());
    WriteRoleEdits(ini, Form);

    WriteIniFont(ini, font, color);
}
