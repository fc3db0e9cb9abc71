// Game control, the game master's own decisions, the spin edits, role owners and shipping
// modes.
#include "server/TS_Main.h"

#include "shared/Protocol.h"

#include "platform/Beep.h"
#include "platform/Events.h"
#include "platform/RadioGroup.h"
#include "platform/SjisText.h"
#include "platform/Sockets.h"
#include "platform/SpinEdit.h"
#include "platform/StatusBar.h"
#include "platform/StringGrid.h"

#include <QLineEdit>
#include <QPushButton>

using namespace platform;

void TTrovGameServerForm::Button_StartClick(QObject*) {
    if (game_->FState == gsRunning || !game_->CanStart()) return;
    game_->Start();
    UpdateDisplay();
}

void TTrovGameServerForm::Button_InitClick(QObject*) {
    if (game_->FState == gsRunning) return;
    Beep();
    game_->Init();
    ReadInitialValues();
    ShowHistory();
    AutoSizeGridColumns(StringGrid_Game);
    for (auto& role : Roles) {
        role.Owner->SetItemIndex(-1);
        role.ShipM->SetItemIndex(-1);
    }
    UpdateDisplay();
    StatusBar->SetSimpleText("Game data Initialize");
}

void TTrovGameServerForm::Edit_GroupNameExit(QObject*) {
    game_->FGroupName = ToSjis(Edit_GroupName->text());
}

void TTrovGameServerForm::Button_OrderClick(QObject* Sender) {
    if (game_->FState != gsRunning) return;
    for (int r : kRoleNumbers) {
        TRoleControls& c = RoleControls(r);
        if (Sender != c.OrderButton) continue;
        TPlayerData* slot = game_->FPlayers[r];
        if (!slot || slot->Owner != owServer || !slot->Accepted) return;
        slot->Order = static_cast<std::int8_t>(c.Order->Value());
        slot->Shipment = static_cast<std::int8_t>(c.ShipMEdit->Value());
        break;
    }
    if (game_->ProceedTurn() == 1)
        GameOver();
    else
        UpdateDisplay();
}

void TTrovGameServerForm::SpinEdit_Exit(QObject* Sender) {
    auto* edit = qobject_cast<TSpinEdit*>(Sender);
    if (!edit) return;
    edit->ClampValue();
    const int value = edit->Value();
    // What the edit shows once left: the value committed, also where the text did not read as
    // that number (" 9", "ab").
    int committed = value;

    if (edit == SpinEdit_Port) {
        ServerSocket->SetPort(value);
    } else if (edit == SpinEdit_FinalTurn) {
        // The game holds one week more than the term entered: week 0 holds the starting
        // values. Each grid has a heading column (row) before one per week. Weeks added to a
        // game whose demand is still the default one get the default demand too.
        const bool defaultDemand = game_->IsDefaultMarket(TTrovGame::kDefaultMarketBase);
        game_->SetFinalTurn(static_cast<std::int8_t>(value + 1));
        if (defaultDemand) game_->SetDefaultMarket(TTrovGame::kDefaultMarketBase);
        // A running game keeps at least the weeks it has reached.
        committed = game_->FFinalTurn - 1;
        StringGrid_Game->SetColCount(game_->FFinalTurn + 1);
        StringGrid_Marcket->SetRowCount(game_->FFinalTurn + 1);
        InitTables();
        ShowInitialValues();
        ShowHistory();
        UpdateDisplay();
    } else if (edit == SpinEdit_UStkCost) {
        game_->FInvUnitCost = MoneyFromUnits(value);
    } else if (edit == SpinEdit_UBLCost) {
        game_->FBacklogUnitCost = MoneyFromUnits(value);
    }
    if (edit->Text() != std::to_string(committed)) edit->SetValue(committed);
}

void TTrovGameServerForm::OwnerClick(int role) {
    TRoleControls& c = RoleControls(role);
    TPlayerData& local = game_->FLocalPlayers[RoleIndex(role)];
    const int item = c.Owner->ItemIndex();
    if (item == 0) {
        if (!game_->IsClientRole(role)) game_->Seat(role, nullptr);
    } else if (item == 1 || item == 2) {
        if (!game_->IsRoleFree(static_cast<std::uint8_t>(role)) && game_->IsClientRole(role)) {
            c.Owner->SetItemIndex(0); // a player holds the role: back to "Client"
            return;
        }
        local.Owner = item == 1 ? owServer : owAuto;
        game_->Seat(role, &local);
    } else {
        local.Owner = owUnset;
    }
    ShipModeClick(role);
}

void TTrovGameServerForm::ShipModeClick(int role) {
    TRoleControls& c = RoleControls(role);
    TPlayerData* slot = game_->FPlayers[role];
    if (!slot) {
        SetEntryLabels();
        return;
    }
    switch (c.ShipM->ItemIndex()) {
    case 0:
        slot->ShipMode = smManual;
        break;
    case 1:
        slot->ShipMode = smAll;
        break;
    case 2:
        slot->ShipMode = smAuto;
        break;
    default:
        c.ShipM->SetItemIndex(1); // runs this handler for "All"
        break;
    }
    if (slot->Owner == owAuto && slot->ShipMode == smManual) c.ShipM->SetItemIndex(1);
    if (slot->Owner == owClient && slot->Socket && slot->ShipMode != smUnset)
        SendStatus(slot->Socket, ShipModeMessage(slot->ShipMode == smManual));
    UpdateDisplay();
}
