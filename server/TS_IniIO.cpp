#include "server/TS_IniIO.h"

#include "platform/Colors.h"
#include "platform/IniFile.h"
#include "platform/PageControl.h"
#include "platform/SpinEdit.h"
#include "server/TS_Main.h"
#include "shared/IniFont.h"
#include "shared/IniKeys.h"

#include <QFont>

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

using F = TTrovGameServerForm;

// The keys of one value each, section by section in the file's order: the System section's
// after the window's keys, the Game section's before the role entries.
const TIniKey<F> kKeys[] = {
    {kSystem, "Server Port", &F::SpinEdit_Port, 8799},
    {kSystem, "Column Div", &F::ColumnDiv, "\t", TIniUse::ReadOnly},
    {kGame, "Final Turn", &F::SpinEdit_FinalTurn, 50},
    {kGame, "Group Name", &F::Edit_GroupName, "Benvik Group"},
    {kGame, "Stock Cost", &F::SpinEdit_UStkCost, 1},
    {kGame, "Back Log Cost", &F::SpinEdit_UBLCost, 2},
    {kGame, "Marcket Min", &F::SpinEdit_MarcketMin, 2},
    {kGame, "Marcket Max", &F::SpinEdit_MarcketMax, 6},
    {kGame, "First Min", &F::SpinEdit_FirstMin, 2},
    {kGame, "First Max", &F::SpinEdit_FirstMax, 6},
};

} // namespace

void LoadServerIni(TTrovGameServerForm& Form, const std::string& FileName) {
    const TIniFile ini(FileName);

    const TIniFont font = ReadMainWindowKeys(ini, Form, 13, kKeys, Form.OpenDialog.FileName);
    Form.ApplyPageFont(font.Font, font.Color);

    ReadColumnWidths(ini, Form.ListView_Connect, kWidthKeys, kDefaultWidths, UsualColumnTexts());

    ReadIniKeys(ini, Form, kKeys, kGame);
    ReadRoleEdits(ini, Form);
}

void SaveServerIni(TTrovGameServerForm& Form, const std::string& FileName) {
    TIniFile ini(FileName);

    WriteWindowKeys(ini, WindowKeysOf(Form, Form.OpenDialog.FileName));

    const QFont font = Form.PageControl->font();
    const TColor color = Form.FFontColor;

    WriteIniKeys(ini, Form, kKeys, kSystem);

    WriteColumnWidths(ini, Form.ListView_Connect, kWidthKeys);

    WriteIniKeys(ini, Form, kKeys, kGame);
    WriteRoleEdits(ini, Form);

    WriteIniFont(ini, font, color);
}
