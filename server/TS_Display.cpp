// The refresh of the server window and the role status labels.
#include "server/TS_Main.h"

#include "platform/Beep.h"
#include "platform/Dialogs.h"
#include "platform/Label.h"
#include "platform/ListView.h"
#include "platform/PageControl.h"
#include "platform/RadioGroup.h"
#include "platform/SjisText.h"
#include "platform/Sockets.h"
#include "platform/SpinEdit.h"
#include "platform/StatusBar.h"
#include "platform/StringGrid.h"
#include "shared/Protocol.h"
#include "shared/Text.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

using namespace platform;

namespace {

void SetCaption(QLabel* label, const std::string& text) {
    label->setText(FromSjis(text));
}

} // namespace

void SendStatus(TConnection* Socket, const std::string& Message) {
    Socket->SendStatus(StatusKey(Message), Message);
}

void TTrovGameServerForm::UpdateControls() {
    TTrovGame& g = *FGame;
    const bool listening = Listening();
    const bool selected = ListView_Connect->SelCount() > 0;
    Button_Disconnect->setEnabled(listening && selected);
    Button_SendMsg->setEnabled(listening && selected);
    Button_Start->setEnabled(g.CanStart());
    Button_Stop->setEnabled(g.FState == gsRunning);
    Button_Init->setEnabled(g.FState != gsRunning);
    // Owners are chosen while no game runs.
    const bool owning = g.FState == gsPreparing || g.FState == gsPaused || g.FState == gsFinished;
    for (auto& role : Roles) role.Owner->setEnabled(owning);

    const bool preparing = g.FState == gsPreparing;
    for (QWidget* w : std::initializer_list<QWidget*>{
             TabSheet_Init, GroupBox_UnitCost, Label_UStkCost, Label_UBLCost, SpinEdit_UStkCost,
             SpinEdit_UBLCost, GroupBox_First, Button_MarcketRand, Button_FirstRand,
             SpinEdit_MarcketMin, SpinEdit_MarcketMax, SpinEdit_FirstMin, SpinEdit_FirstMax,
             Label_MarcketTo, Label_FirstTo, Label_First, Label_Demand, StringGrid_Marcket,
             StringGrid_First})
        w->setEnabled(preparing);

    const bool running = g.FState == gsRunning;
    for (auto& role : Roles)
        for (QLabel* label : {role.Stock, role.BLCost, role.Demand, role.Input})
            label->setEnabled(running);
    for (QLabel* label : {Label_Factory, Label_Whole1, Label_Whole2, Label_Retail, Label_Marcket,
                          Label_Cursor1, Label_Cursor2, Label_Cursor3, Label_Cursor4})
        label->setEnabled(running);

    for (int r : kRoleNumbers) {
        const TPlayerData* slot = g.FPlayers[r];
        const bool server = slot && slot->Owner == owServer;
        const bool manual = server && slot->ShipMode == smManual;
        TRoleControls& c = RoleControls(r);
        c.OrderLabel->setEnabled(server);
        c.Order->setEnabled(server);
        c.ShipMLabel->setEnabled(manual);
        c.ShipMEdit->setEnabled(manual);
        c.OrderButton->setEnabled(g.NeedsServerOrder(static_cast<std::uint8_t>(r)));
    }
}

void TTrovGameServerForm::UpdateDisplay() {
    UpdateControls();
    TTrovGame& g = *FGame;
    const std::string week = std::to_string(g.FTurn);
    switch (g.FState) {
    case gsPreparing:
        SetEntryLabels();
        SetCaption(Label_NowTurn, "No game");
        GroupBox_Game->setTitle(FromSjis("[\x81\x48] - Status Preparing"));
        StatusBar->SetSimpleText(g.CanStart()  ? "Waiting"
                                 : Listening() ? "Server running, Waiting for joining"
                                               : "Stop");
        break;
    case gsRunning: {
        SetCaption(Label_Status, "\x81\x6D" + g.FGroupName + "\x81\x6E- Status ");
        SetCaption(Label_NowTurn, "Week " + week + " ");
        GroupBox_Game->setTitle(FromSjis("[" + g.FGroupName + "] - Status : Week " + week + " "));
        // What stays when a send below fails: its exception ends this refresh there.
        StatusBar->SetSimpleText("Game is Starting!! Now , wating for Input..");
        ShowInputStatus();
        ShowHistory();
        StatusBar->SetSimpleText("Running! : " + week + " Week");
        const int t = g.FTurn - 1;
        if (t >= 0 && t < static_cast<int>(g.StockF.size())) {
            const auto& roles = TTrovGame::kRoleHistories;
            const char* demandTexts[] = {
                "Receive an order from Distributor : ", "Receive an order from Wholesaler : ",
                "Receive an order from Retailer : ", "Demand in market : "};
            for (int i = 0; i < 4; ++i)
                SetCaption(Roles[i].Stock, "Inventory : " + std::to_string((g.*roles[i].Stock)[t]));
            for (int i = 0; i < 4; ++i)
                SetCaption(Roles[i].BLCost,
                           "Lastweek backlog : " + std::to_string((g.*roles[i].Backlog)[t]));
            for (int i = 0; i < 4; ++i)
                SetCaption(Roles[i].Demand,
                           demandTexts[i] + std::to_string((g.*roles[i].Demand)[t]));
        }
        ProceedGame();
        break;
    }
    case gsPaused:
        ShowHistory();
        SetEntryLabels();
        SetCaption(Label_NowTurn, "Week " + week + " Pause at term");
        GroupBox_Game->setTitle(FromSjis("[" + g.FGroupName + "] - Status : Pause"));
        StatusBar->SetSimpleText(g.CanStart()  ? "Resume OK!"
                                 : Listening() ? "Server waiting."
                                               : "Server stopped");
        break;
    case gsFinished:
        ShowHistory();
        ShowTotals();
        SetEntryLabels();
        SetCaption(Label_NowTurn, "Finished");
        StatusBar->SetSimpleText("Finished");
        GroupBox_Game->setTitle(FromSjis("[" + g.FGroupName + "] - Status : Finished"));
        break;
    default:
        break;
    }
}

void TTrovGameServerForm::SetEntryLabels() {
    std::array<std::string, 4> messages;
    for (int i = 0; i < kRoleCount; ++i) {
        QLabel* label = Roles[i].Join;
        const bool free = FGame->IsRoleFree(static_cast<std::uint8_t>(RoleNumber(i)));
        SetBold(label, !free);
        SetCaption(label, free ? "Waiting" : "Fulfilled");
        messages[i] = JoinMessage(i, !free);
    }
    for (int i = 0; i < ServerSocket->ActiveConnections(); ++i) {
        TCustomWinSocket* socket = ServerSocket->Connections(i);
        const TPlayerData* player = PlayerOf(socket);
        if (!player || !player->Entered) continue;
        try {
            for (const std::string& message : messages) SendStatus(socket, message);
        } catch (...) {
            // This station misses the rest of the four; the box says so, the others get theirs.
            MessageBox("Set Entry Labels Socket", "Error", TBoxButtons::Ok);
        }
    }
}

void TTrovGameServerForm::ShowInputStatus() {
    std::array<std::string, 4> messages;
    for (int i = 0; i < kRoleCount; ++i) {
        const TPlayerData* slot = FGame->FPlayers[RoleNumber(i)];
        if (!slot) return;
        QLabel* label = Roles[i].Input;
        const bool ordered = slot->Order >= 0;
        SetBold(label, ordered);
        SetCaption(label, std::string(RoleWord(i)) + (ordered ? " : Ordered" : " : Notyet"));
        messages[i] = OrderStatusMessage(i, ordered);
    }
    FGame->ForEachClientSocket([&](TConnection* socket) {
        if (!socket->Connected()) return;
        for (const std::string& message : messages) SendStatus(socket, message);
    });
}
