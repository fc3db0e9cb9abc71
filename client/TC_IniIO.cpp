#include "client/TC_IniIO.h"

#include "client/TC_Main.h"
#include "platform/IniFile.h"
#include "platform/SpinEdit.h"
#include "shared/IniFont.h"
#include "shared/IniKeys.h"

#include <QLineEdit>
#include <string>
#include <vector>

using namespace platform;

namespace {

constexpr const char* kSystem = "System";

using F = TTrovGameClientForm;

// The System section's keys of one value each, after the window's keys, in the file's order.
const TIniKey<F> kKeys[] = {
    {kSystem, "Column Div", &F::FColumnSep, "\t", TIniUse::ReadOnly},
    {kSystem, "Player Name", &F::Edit_Name, "Client A"},
    {kSystem, "Server Host", &F::Edit_Server, "LocalHost"},
    {kSystem, "Server Port", &F::SpinEdit_Port, 8799},
    {kSystem, "Play Style", &F::RadioGroup_Play, 0},
    {kSystem, "Send Target", &F::RadioGroup_Target, 0},
};

const char* const kWidthKeys[] = {"Turn",          "Factory Stock", "Whole1  Stock",
                                  "Whole2  Stock", "Retail  Stock", "BackLog",
                                  "Demand",        "Order",         "Shipment"};
const int kDefaultWidths[] = {50, 115, 130, 140, 115, 65, 65, 55, 100};
// The week column's texts after a finished game, wider than its week numbers.
const std::vector<std::string> kUsualTexts[] = {{"Total", "Average"}};

} // namespace

void LoadClientIni(TTrovGameClientForm& Form, const std::string& FileName) {
    const TIniFile ini(FileName);

    const TIniFont font = ReadMainWindowKeys(ini, Form, 14, kKeys, Form.SaveDialog.FileName);

    ReadRoleEdits(ini, Form);
    ReadColumnWidths(ini, Form.ListView_History, kWidthKeys, kDefaultWidths, kUsualTexts);

    Form.ApplyFont(font.Font, font.Color);
}

void SaveClientIni(TTrovGameClientForm& Form, const std::string& FileName) {
    TIniFile ini(FileName);
    WriteWindowKeys(ini, WindowKeysOf(Form, Form.SaveDialog.FileName));
    WriteIniKeys(ini, Form, kKeys, kSystem);

    WriteRoleEdits(ini, Form);
    WriteColumnWidths(ini, Form.ListView_History, kWidthKeys);

    const QFont& font = Form.FFont;
    WriteIniFont(ini, font, Form.FFontColor);
}
