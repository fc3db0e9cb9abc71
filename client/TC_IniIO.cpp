#include "client/TC_IniIO.h"

#include "client/TC_Main.h"
#include "platform/Colors.h"
#include "platform/IniFile.h"
#include "platform/ListView.h"
#include "platform/PageControl.h"
#include "platform/RadioGroup.h"
#include "platform/Sjis.h"
#include "platform/SjisText.h"
#include "platform/SpinEdit.h"
#include "shared/IniFont.h"

#include <QAction>
#include <QLineEdit>
#include <cmath>

using namespace platform;

namespace {

constexpr const char* kSystem = "System";
constexpr const char* kGame = "Game";
constexpr const char* kColumnWidth = "Column Width";

const char* const kOrderKeys[] = {"Factory Order", "Whole1  Order", "Whole2  Order",
                                  "Retail  Order"};
const char* const kShipmentKeys[] = {"Factory Shipment", "Whole1  Shipment", "Whole2  Shipment",
                                     "Retail  Shipment"};
const char* const kWidthKeys[] = {"Turn",          "Factory Stock", "Whole1  Stock",
                                  "Whole2  Stock", "Retail  Stock", "BackLog",
                                  "Demand",        "Order",         "Shipment"};
const int kDefaultWidths[] = {50, 115, 130, 140, 115, 65, 65, 55, 100};

TWindowKeys WindowKeys(TTrovGameClientForm& Form) {
    return {&Form,
            &Form.SaveDialog.FileName,
            Form.PageControl,
            Form.MItem_TaskTray,
            Form.MItem_StayFront,
            Form.MItem_CloseCheck};
}

} // namespace

void LoadClientIni(TTrovGameClientForm& Form, const std::string& FileName) {
    const TIniFile ini(FileName);

    const TIniFont iniFont = ReadIniFont(ini, 14);
    const QFont& font = iniFont.Font;
    const TColor color = iniFont.Color;

    ReadWindowKeys(ini, WindowKeys(Form));
    Form.FColumnSep = ini.ReadString(kSystem, "Column Div", "\t");
    Form.Edit_Name->setText(FromSjis(ini.ReadString(kSystem, "Player Name", "Client A")));
    Form.Edit_Server->setText(FromSjis(ini.ReadString(kSystem, "Server Host", "LocalHost")));
    Form.SpinEdit_Port->SetValue(ini.ReadInteger(kSystem, "Server Port", 8799));
    Form.RadioGroup_Play->SetItemIndex(ini.ReadInteger(kSystem, "Play Style", 0));
    Form.RadioGroup_Target->SetItemIndex(ini.ReadInteger(kSystem, "Send Target", 0));
    if (ini.ReadBool(kSystem, "Well Known Port", false)) Form.SpinEdit_Port->SetMinValue(0);

    for (int i = 0; i < 4; ++i)
        Form.Roles[i].Order->SetValue(ini.ReadInteger(kGame, kOrderKeys[i], 5));
    for (int i = 0; i < 4; ++i)
        Form.Roles[i].ShipM->SetValue(ini.ReadInteger(kGame, kShipmentKeys[i], 5));

    TListView* list = Form.ListView_History;
    if (list->ColumnCount() > 8)
        for (int c = 0; c < 9; ++c)
            list->Column(c)->SetWidth(
                ini.ReadInteger(kColumnWidth, kWidthKeys[c], kDefaultWidths[c]));

    Form.ApplyFont(font, color);
}

void SaveClientIni(TTrovGameClientForm& Form, const std::string& FileName) {
    TIniFile ini(FileName);
    WriteWindowKeys(ini, WindowKeys(Form));
    ini.WriteString(kSystem, "Player Name", ToSjis(Form.Edit_Name->text()));
    ini.WriteString(kSystem, "Server Host", ToSjis(Form.Edit_Server->text()));
    ini.WriteInteger(kSystem, "Server Port", Form.SpinEdit_Port->Value());
    ini.WriteInteger(kSystem, "Play Style", Form.RadioGroup_Play->ItemIndex());
    ini.WriteInteger(kSystem, "Send Target", Form.RadioGroup_Target->ItemIndex());

    for (int i = 0; i < 4; ++i)
        ini.WriteInteger(kGame, kOrderKeys[i], Form.Roles[i].Order->Value());
    for (int i = 0; i < 4; ++i)
        ini.WriteInteger(kGame, kShipmentKeys[i], Form.Roles[i].ShipM->Value());

    TListView* list = Form.ListView_History;
    if (list->ColumnCount() > 8)
        for (int c = 0; c < 9; ++c)
            ini.WriteInteger(kColumnWidth, kWidthKeys[c], list->Column(c)->Width());

    const QFont& font = Form.FFont;
    WriteIniFont(ini, font, Form.FFontColor);
}
