#include "client/TC_IniIO.h"

#include "client/TC_Main.h"
#include "platform/IniFile.h"
#include "platform/RadioGroup.h"
#include "platform/SjisText.h"
#include "platform/SpinEdit.h"
#include "shared/IniFont.h"

#include <QLineEdit>
#include <string>
#include <vector>

using namespace platform;

namespace {

constexpr const char* kSystem = "System";

const char* const kWidthKeys[] = {"Turn",          "Factory Stock", "Whole1  Stock",
                                  "Whole2  Stock", "Retail  Stock", "BackLog",
                                  "Demand",        "Order",         "Shipment"};
const int kDefaultWidths[] = {50, 115, 130, 140, 115, 65, 65, 55, 100};
// The week column's texts after a finished game, wider than its week numbers.
const std::vector<std::string> kUsualTexts[] = {{"Total", "Average"}};

} // namespace

void LoadClientIni(TTrovGameClientForm& Form, const std::string& FileName) {
    const TIniFile ini(FileName);

    const TIniFont font = ReadIniFont(ini, 14);
    ReadWindowKeys(ini, WindowKeysOf(Form, Form.SaveDialog.FileName));
    Form.FColumnSep = ini.ReadString(kSystem, "Column Div", "\t");
    Form.Edit_Name->setText(FromSjis(ini.ReadString(kSystem, "Player Name", "Client A")));
    Form.Edit_Server->setText(FromSjis(ini.ReadString(kSystem, "Server Host", "LocalHost")));
    Form.SpinEdit_Port->SetValue(ini.ReadInteger(kSystem, "Server Port", 8799));
    Form.RadioGroup_Play->SetItemIndex(ini.ReadInteger(kSystem, "Play Style", 0));
    Form.RadioGroup_Target->SetItemIndex(ini.ReadInteger(kSystem, "Send Target", 0));
    if (ini.ReadBool(kSystem, "Well Known Port", false)) Form.SpinEdit_Port->SetMinValue(0);

    ReadRoleEdits(ini, Form);
    ReadColumnWidths(ini, Form.ListView_History, kWidthKeys, kDefaultWidths, kUsualTexts);

    Form.ApplyFont(font.Font, font.Color);
}

void SaveClientIni(TTrovGameClientForm& Form, const std::string& FileName) {
    TIniFile ini(FileName);
    WriteWindowKeys(ini, WindowKeysOf(Form, Form.SaveDialog.FileName));
    ini.WriteString(kSystem, "Player Name", ToSjis(Form.Edit_Name->text()));
    ini.WriteString(kSystem, "Server Host", ToSjis(Form.Edit_Server->text()));
    ini.WriteInteger(kSystem, "Server Port", Form.SpinEdit_Port->Value());
    ini.WriteInteger(kSystem, "Play Style", Form.RadioGroup_Play->ItemIndex());
    ini.WriteInteger(kSystem, "Send Target", Form.RadioGroup_Target->ItemIndex());

    WriteRoleEdits(ini, Form);
    WriteColumnWidths(ini, Form.ListView_History, kWidthKeys);

    const QFont& font = Form.FFont;
    WriteIniFont(ini, font, Form.FFontColor);
}
