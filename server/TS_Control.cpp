// Game control (start, pause, the next week, the end of a game, initialising), the game
// master's own decisions, the spin edits, role owners and shipping modes.
#include "server/TS_Main.h"

#include "shared/Protocol.h"
#include "shared/Text.h"

#include "platform/Beep.h"
#include "platform/Dialogs.h"
#include "platform/Events.h"
#include "platform/Label.h"
#include "platform/RadioGroup.h"
#include "platform/SjisText.h"
#include "platform/Sockets.h"
#include "platform/SpinEdit.h"
#include "platform/StatusBar.h"
#include "platform/StringGrid.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace platform;

namespace {

// The input labels as they read before a role has ordered.
void ResetInputLabel(QLabel* label, int index) {
    SetBold(label, false);
    label->setText(FromSjis(std::string(RoleWord(index)) + " : Notyet"));
}

} // namespace

void TTrovGameServerForm::Button_StartClick(QObject*) {
    if (FGame->FState == gsRunning || !FGame->CanStart()) return;
    FGame->Start();
    UpdateDisplay();
}

void TTrovGameServerForm::Button_InitClick(QObject*) {
    if (FGame->FState == gsRunning) return;
    Beep();
    FGame->Init();
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

void TTrovGameServerForm::ProceedGame() {
    switch (FGame->ProceedTurn()) {
    case 0:
        UpdateDisplay();
        break;
    case 1:
        GameOver();
        break;
    default:
        break;
    }
}

void TTrovGameServerForm::Button_StopClick(QObject*) {
    TTrovGame& g = *FGame;
    if (g.FState != gsRunning) return;
    g.Stop();
    UpdateDisplay();
    for (int i = 0; i < 4; ++i) ResetInputLabel(Roles[i].Input, i);
    try {
        g.SendToClientRoles(kPauseMessage);
    } catch (...) {
        // The remaining players are not told; their connections report their own errors.
    }
}

void TTrovGameServerForm::GameOver() {
    try {
        Button_StopClick(nullptr);
        std::string report;
        FGame->MakeResultText(report);
        const std::vector<std::string> lines = SplitLines(report);
        const std::string text = JoinLines(lines);
        FGame->ForEachClientSocket([&](TConnection* socket) {
            if (!socket->Connected() || lines.empty()) return;
            SendServerText(socket, text, kTextPieceLen);
            socket->SendText(kOverMessage);
        });
        MessageDlg(text, TMsgDlgType::Information, mbOK);
    } catch (...) {
        // A failed send ends the reporting; the refresh below still runs.
    }
    UpdateDisplay();
}

void TTrovGameServerForm::Edit_GroupNameExit(QObject*) {
    FGame->FGroupName = ToSjis(Edit_GroupName->text());
}

void TTrovGameServerForm::Button_OrderClick(QObject* Sender) {
    if (FGame->FState != gsRunning) return;
    for (int r : kRoleNumbers) {
        TRoleControls& c = RoleControls(r);
        if (Sender != c.OrderButton) continue;
        TPlayerData* slot = FGame->FPlayers[r];
        if (!slot || slot->Owner != owServer || !slot->Accepted) return;
        slot->Order = static_cast<std::int8_t>(c.Order->Value());
        slot->Shipment = static_cast<std::int8_t>(c.ShipMEdit->Value());
        break;
    }
    if (FGame->ProceedTurn() == 1)
        GameOver();
    else
        UpdateDisplay();
}

void TTrovGameServerForm::SpinEdit_Exit(QObject* Sender) {
    TSpinEdit* edit = TSpinEdit::Left(Sender);
    if (!edit) return;
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
        const bool defaultDemand = FGame->IsDefaultMarket(TTrovGame::kDefaultMarketBase);
        FGame->SetFinalTurn(static_cast<std::int8_t>(value + 1));
        if (defaultDemand) FGame->SetDefaultMarket(TTrovGame::kDefaultMarketBase);
        // A running game keeps at least the weeks it has reached.
        committed = FGame->FFinalTurn - 1;
        StringGrid_Game->SetColCount(FGame->FFinalTurn + 1);
        StringGrid_Marcket->SetRowCount(FGame->FFinalTurn + 1);
        InitTables();
        ShowInitialValues();
        ShowHistory();
        UpdateDisplay();
    } else if (edit == SpinEdit_UStkCost) {
        FGame->FInvUnitCost = MoneyFromUnits(value);
    } else if (edit == SpinEdit_UBLCost) {
        FGame->FBacklogUnitCost = MoneyFromUnits(value);
    }
    edit->ShowValue(committed);
}

void TTrovGameServerForm::OwnerClick(int role) {
    TRoleControls& c = RoleControls(role);
    TPlayerData& local = FGame->FLocalPlayers[RoleIndex(role)];
    const int item = c.Owner->ItemIndex();
    if (item == 0) {
        if (!FGame->IsClientRole(role)) FGame->Seat(role, nullptr);
    } else if (item == 1 || item == 2) {
        if (!FGame->IsRoleFree(static_cast<std::uint8_t>(role)) && FGame->IsClientRole(role)) {
            c.Owner->SetItemIndex(0); // a player holds the role: back to "Client"
            return;
        }
        local.Owner = item == 1 ? owServer : owAuto;
        FGame->Seat(role, &local);
    } else {
        local.Owner = owUnset;
    }
    ShipModeClick(role);
}

void TTrovGameServerForm::ShipModeClick(int role) {
    TRoleControls& c = RoleControls(role);
    TPlayerData* slot = FGame->FPlayers[role];
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
