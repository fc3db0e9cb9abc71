// The server window's game side: refresh and enabling, game control, the game master's own
// decisions, role owners and shipping modes, role status labels, pause and game over with the
// result report. Client stations are recording connections in the role slots.
#include "support/ServerWindowFixture.h"

#include <QCoreApplication>
#include <QFocusEvent>

using namespace platform;
using namespace server_window_test;

namespace {

// The width of the status table's heading column: the design's "Delay" plus 210, or more where a
// heading needs more.
int HeadingColumnWidth(const TStringGrid* grid) {
    int width = grid->TextWidth("Delay") + 210;
    for (int row = 0; row < grid->RowCount(); ++row)
        width = std::max(width, TStringGrid::FittingWidth(grid->TextWidth(grid->Cells(0, row))));
    return width;
}
const std::string kZen = "\x81\x40"; // full-width space
} // namespace

// --- Creation and the preparing state -------------------------------------------------------

TEST_F(ServerWindowTest, CreationShowsThePreparingState) {
    EXPECT_EQ(form.StatusBar->SimpleText(), "Stop");
    EXPECT_EQ(Caption(form.Label_NowTurn), "No game");
    EXPECT_EQ(Title(form.GroupBox_Game), "[\x81\x48] - Status Preparing");
    EXPECT_EQ(Caption(form.Label_Status), "History");

    EXPECT_EQ(Enabled({form.TabSheet_Init, form.GroupBox_UnitCost, form.Label_UStkCost,
                       form.SpinEdit_UStkCost, form.SpinEdit_UBLCost, form.StringGrid_Marcket,
                       form.StringGrid_First, form.Button_MarcketRand, form.SpinEdit_FirstMax,
                       form.Label_Demand, form.Button_Init}),
              std::vector<bool>(11, true));
    for (int r = 1; r <= 4; ++r) {
        EXPECT_TRUE(role(r).Owner->isEnabled()) << r;
        EXPECT_EQ(Enabled({role(r).Stock, role(r).BLCost, role(r).Demand, role(r).Input,
                           role(r).OrderLabel, role(r).Order, role(r).ShipMLabel, role(r).ShipMEdit,
                           role(r).OrderButton}),
                  std::vector<bool>(9, false))
            << r;
        EXPECT_EQ(Caption(role(r).Join), "Waiting");
        EXPECT_FALSE(IsBold(role(r).Join));
        EXPECT_EQ(game().FPlayers[r], nullptr) << "no handler runs at start-up";
    }
    EXPECT_FALSE(form.Label_Factory->isEnabled());
    EXPECT_FALSE(form.Label_Cursor4->isEnabled());
    EXPECT_FALSE(form.Button_Start->isEnabled());
    EXPECT_FALSE(form.Button_Stop->isEnabled());

    // The design values of the spin edits are committed: 50 weeks, unit costs 1 and 2.
    EXPECT_EQ(game().FFinalTurn, 51);
    EXPECT_EQ(game().FInvUnitCost, 10000);
    EXPECT_EQ(game().FBacklogUnitCost, 20000);
    EXPECT_EQ(form.StringGrid_Game->ColCount(), 52);
    EXPECT_EQ(form.StringGrid_Game->RowCount(), 38);
    EXPECT_EQ(form.StringGrid_Marcket->RowCount(), 52);
    EXPECT_EQ(form.StringGrid_First->RowCount(), 30);

    // Before the first start the history table shows week numbers only.
    EXPECT_EQ(form.StringGrid_Game->Cells(0, 0), "Week");
    EXPECT_EQ(form.StringGrid_Game->Cells(1, 0), "0");
    EXPECT_EQ(form.StringGrid_Game->Cells(51, 0), "50");
    EXPECT_EQ(form.StringGrid_Game->Cells(0, 4), "Factory Inventory      ");
    for (int row = 1; row < 38; ++row) EXPECT_EQ(form.StringGrid_Game->Cells(1, row), "") << row;

    // The initial values shown are the game's defaults.
    EXPECT_EQ(form.StringGrid_Marcket->Cells(1, 0), "Week");
    EXPECT_EQ(form.StringGrid_Marcket->Cells(0, 1), "0");
    EXPECT_EQ(form.StringGrid_Marcket->Cells(0, 51), "50");
    EXPECT_EQ(form.StringGrid_Marcket->Cells(1, 5), "4");
    EXPECT_EQ(form.StringGrid_Marcket->Cells(1, 6), "8");
    EXPECT_EQ(form.StringGrid_First->Cells(1, 3), "12");
    EXPECT_EQ(form.StringGrid_First->Cells(1, 5), "0");
    EXPECT_EQ(form.StringGrid_First->Cells(1, 1), "4");
    EXPECT_EQ(form.StringGrid_First->Cells(1, 0), "");
    EXPECT_EQ(form.StringGrid_First->Cells(1, 8), "");
    EXPECT_EQ(form.StringGrid_Game->ColWidths(0), HeadingColumnWidth(form.StringGrid_Game));
    EXPECT_TRUE(dialogs.Boxes().empty());
}

TEST_F(ServerWindowTest, StateOneStatusFollowsListeningAndCanStart) {
    form.ServerSocket->SetPort(0);
    form.ServerSocket->SetActive(true);
    form.UpdateDisplay();
    EXPECT_EQ(form.StatusBar->SimpleText(), "Server running, Waiting for joining");
    AllAuto();
    EXPECT_EQ(form.StatusBar->SimpleText(), "Waiting");
    EXPECT_TRUE(form.Button_Start->isEnabled());
    form.ServerSocket->SetActive(false);
}

// --- A whole game played by the computer ---------------------------------------------------

TEST_F(ServerWindowTest, ComputerGameRunsInsideTheStartRefreshAndShowsTheReport) {
    Leave(form.SpinEdit_FinalTurn, "10");
    ASSERT_EQ(game().FFinalTurn, 11);
    form.Edit_GroupName->setText(QString::fromUtf8("チーム"));
    form.Edit_GroupNameExit(form.Edit_GroupName);
    EXPECT_EQ(game().FGroupName, Sjis("チーム"));
    AllAuto();
    for (int r = 1; r <= 4; ++r) {
        EXPECT_EQ(game().FPlayers[r], &game().FLocalPlayers[r - 1]);
        EXPECT_EQ(game().FPlayers[r]->Owner, owAuto);
        EXPECT_EQ(game().FPlayers[r]->ShipMode, smAuto);
    }
    ASSERT_TRUE(form.Button_Start->isEnabled());

    std::string statusWhileOpen;
    int turnWhileOpen = 0;
    dialogs.Answer(mrOk, [&] {
        statusWhileOpen = form.StatusBar->SimpleText();
        turnWhileOpen = game().FTurn;
    });
    form.Button_StartClick(form.Button_Start);

    ASSERT_EQ(game().FState, gsFinished);
    EXPECT_EQ(game().FTurn, 11);
    const auto boxes = dialogs.Boxes();
    ASSERT_EQ(boxes.size(), 1u) << "the report is shown once";
    EXPECT_EQ(boxes[0].kind, ScriptedDialogs::Kind::Dialog);
    EXPECT_EQ(boxes[0].type, TMsgDlgType::Information);
    EXPECT_EQ(boxes[0].buttons, static_cast<TMsgDlgButtons>(mbOK));
    EXPECT_EQ(turnWhileOpen, 11);
    EXPECT_NE(statusWhileOpen, "Finished") << "the box comes before the last refresh";
    std::string report;
    game().MakeResultText(report);
    EXPECT_EQ(ReportLines(boxes[0].text), ReportLines(report));
    EXPECT_EQ(boxes[0].text.substr(boxes[0].text.size() - 2), "\r\n");
    EXPECT_EQ(SplitLines(boxes[0].text)[0], "*Result of [" + Sjis("チーム") + "]*");

    EXPECT_EQ(form.StatusBar->SimpleText(), "Finished");
    EXPECT_EQ(Caption(form.Label_NowTurn), "Finished");
    EXPECT_EQ(form.GroupBox_Game->title(), QString::fromUtf8("[チーム] - Status : Finished"));
    EXPECT_FALSE(form.Button_Stop->isEnabled());
    EXPECT_TRUE(form.Button_Init->isEnabled());
    EXPECT_TRUE(form.Button_Start->isEnabled()) << "a finished game can be started again";
    EXPECT_TRUE(form.RadioGroup_FtOwner->isEnabled());
    EXPECT_FALSE(form.TabSheet_Init->isEnabled()) << "initial values only while preparing";
    EXPECT_FALSE(form.SpinEdit_UBLCost->isEnabled());
    EXPECT_FALSE(form.Label_FtStock->isEnabled());

    // The table: every week and the two totals columns.
    TStringGrid* grid = form.StringGrid_Game;
    ASSERT_EQ(grid->ColCount(), 14);
    EXPECT_EQ(grid->Cells(12, 0), "Average");
    EXPECT_EQ(grid->Cells(13, 0), "Total  ");
    const TTrovGame& g = game();
    auto sum = [](const TTrovGame::THistory& h) {
        int s = 0;
        for (auto v : h) s += v;
        return s;
    };
    const struct {
        int row;
        const TTrovGame::THistory* history;
    } rows[] = {{4, &g.StockF}, {14, &g.BacklogD}, {29, &g.Market}, {31, &g.ShipR}};
    for (const auto& r : rows) {
        for (int w = 0; w < 11; ++w)
            EXPECT_EQ(grid->Cells(w + 1, r.row), std::to_string((*r.history)[w])) << r.row;
        EXPECT_EQ(grid->Cells(13, r.row), std::to_string(sum(*r.history))) << r.row;
        EXPECT_EQ(grid->Cells(12, r.row),
                  MoneyToText(MoneyDivide(MoneyFromUnits(sum(*r.history)), 11)))
            << r.row;
    }
    TMoney inventory = 0;
    for (TMoney c : g.InvCost) inventory += c;
    EXPECT_EQ(grid->Cells(13, 35), MoneyToText(inventory));
    EXPECT_EQ(grid->Cells(13, 37), MoneyToText(g.FSumTotalCost));
    for (int row : {1, 9, 10, 17, 18, 25, 26, 33, 34}) {
        EXPECT_EQ(grid->Cells(12, row), "") << row;
        EXPECT_EQ(grid->Cells(13, row), "") << row;
    }
    EXPECT_EQ(grid->ColWidths(0), HeadingColumnWidth(grid)) << "totals do not widen the headings";

    // The end-of-game notice finds the game finished: no second report.
    ASSERT_TRUE(WaitUntil([&] { return dialogs.Boxes().size() == 1u; }));
    EXPECT_EQ(form.StatusBar->SimpleText(), "Finished");

    // Starting again plays the game from week 0 without the totals columns.
    dialogs.Clear();
    form.Button_StartClick(form.Button_Start);
    EXPECT_EQ(game().FState, gsFinished);
    EXPECT_EQ(dialogs.Boxes().size(), 1u);
    EXPECT_EQ(grid->ColCount(), 14);
}

// --- The game master plays roles ------------------------------------------------------------

TEST_F(ServerWindowTest, ServerPlayedRolesEnterTheirDecisionsWithSet) {
    Leave(form.SpinEdit_FinalTurn, "10");
    form.Edit_GroupName->setText("Benvik Group");
    form.Edit_GroupNameExit(form.Edit_GroupName);
    Play(1, 1, 0); // Factory: Server, Manual shipping
    Play(2, 1, 1); // Distributor: Server, All
    Play(3, 2, 2);
    Play(4, 2, 2);
    EXPECT_EQ(game().FPlayers[1]->Owner, owServer);
    EXPECT_EQ(game().FPlayers[1]->ShipMode, smManual);

    // Before the start: entries follow the owner and shipping mode, Set needs a running game.
    EXPECT_EQ(Enabled({role(1).OrderLabel, role(1).Order, role(1).ShipMLabel, role(1).ShipMEdit,
                       role(1).OrderButton}),
              (std::vector<bool>{true, true, true, true, false}));
    EXPECT_EQ(Enabled({role(2).Order, role(2).ShipMEdit, role(3).Order, role(3).ShipMEdit}),
              (std::vector<bool>{true, false, false, false}));

    form.Button_StartClick(form.Button_Start);
    ASSERT_EQ(game().FState, gsRunning);
    EXPECT_EQ(game().FTurn, 1) << "waiting for the game master";
    EXPECT_EQ(Caption(form.Label_Status), "\x81\x6D"
                                          "Benvik Group\x81\x6E- Status ");
    EXPECT_EQ(Caption(form.Label_NowTurn), "Week 1 ");
    EXPECT_EQ(Title(form.GroupBox_Game), "[Benvik Group] - Status : Week 1 ");
    EXPECT_EQ(form.StatusBar->SimpleText(), "Running! : 1 Week");
    EXPECT_EQ(Caption(form.Label_FtStock), "Inventory : 12");
    EXPECT_EQ(Caption(form.Label_RtBLCost), "Lastweek backlog : 0");
    EXPECT_EQ(Caption(form.Label_FtDemand), "Receive an order from Distributor : 4");
    EXPECT_EQ(Caption(form.Label_RtDemand), "Demand in market : 4");
    EXPECT_EQ(Enabled({role(1).OrderButton, role(2).OrderButton, role(3).OrderButton,
                       role(4).OrderButton}),
              (std::vector<bool>{true, true, false, false}));
    EXPECT_EQ(
        Enabled({form.Button_Stop, form.Button_Start, form.Button_Init, form.RadioGroup_FtOwner,
                 form.TabSheet_Init, form.Label_FtStock, form.Label_Cursor1}),
        (std::vector<bool>{true, false, false, false, false, true, true}));
    EXPECT_EQ(form.StringGrid_Game->Cells(1, 4), "12") << "week 0 is shown once started";
    EXPECT_EQ(form.StringGrid_Game->Cells(2, 4), "");

    // The Factory decides: its Set is done for the week, the Distributor's still open.
    Leave(role(1).Order, "7");
    Leave(role(1).ShipMEdit, "3");
    form.Button_OrderClick(role(1).OrderButton);
    EXPECT_EQ(game().FPlayers[1]->Order, 7);
    EXPECT_EQ(game().FPlayers[1]->Shipment, 3);
    EXPECT_EQ(game().FTurn, 1);
    EXPECT_FALSE(role(1).OrderButton->isEnabled());
    EXPECT_TRUE(role(1).Order->isEnabled()) << "the entry itself stays enabled";
    EXPECT_TRUE(role(2).OrderButton->isEnabled());
    EXPECT_EQ(Caption(form.Label_FtInput), "Factory : Ordered");
    EXPECT_TRUE(IsBold(form.Label_FtInput));
    EXPECT_EQ(Caption(form.Label_W1Input), "Distributor : Notyet");
    EXPECT_FALSE(IsBold(form.Label_W1Input));

    // The Distributor's Set completes the week; the refresh goes on to the next one.
    Leave(role(2).Order, "6");
    form.Button_OrderClick(role(2).OrderButton);
    EXPECT_EQ(game().FTurn, 2);
    EXPECT_EQ(game().OrderF[1], 7);
    EXPECT_EQ(game().OrderD[1], 6);
    EXPECT_EQ(game().ShipF[1], 3) << "Manual shipping ships what was entered";
    EXPECT_EQ(game().BacklogF[1], 1);
    EXPECT_EQ(Caption(form.Label_FtBLCost), "Lastweek backlog : 1");
    EXPECT_EQ(Caption(form.Label_FtStock), "Inventory : 13");
    EXPECT_EQ(Caption(form.Label_NowTurn), "Week 2 ");
    EXPECT_EQ(form.StringGrid_Game->Cells(2, 7), "3");
    EXPECT_TRUE(role(1).OrderButton->isEnabled()) << "a new week needs a new order";
    EXPECT_EQ(Caption(form.Label_FtInput), "Factory : Notyet");

    // A Set of a role the game master does not play stores nothing.
    Leave(role(3).Order, "9");
    form.Button_OrderClick(role(3).OrderButton);
    EXPECT_EQ(game().FPlayers[3]->Order, -1);
    EXPECT_EQ(game().FTurn, 2);

    // Switching the Factory to All shipping while running closes its shipment entry.
    role(1).ShipM->SetItemIndex(1);
    EXPECT_EQ(game().FPlayers[1]->ShipMode, smAll);
    EXPECT_FALSE(role(1).ShipMEdit->isEnabled());
    EXPECT_TRUE(role(1).Order->isEnabled());

    // Pause: the paused texts, the input labels reset, owners may change again.
    Leave(role(1).Order, "2");
    form.Button_OrderClick(role(1).OrderButton);
    ASSERT_EQ(Caption(form.Label_FtInput), "Factory : Ordered");
    const int beeps = dialogs.Beeps();
    form.Button_StopClick(form.Button_Stop);
    EXPECT_EQ(dialogs.Beeps(), beeps + 1);
    EXPECT_EQ(game().FState, gsPaused);
    EXPECT_EQ(Caption(form.Label_NowTurn), "Week 2 Pause at term");
    EXPECT_EQ(Title(form.GroupBox_Game), "[Benvik Group] - Status : Pause");
    EXPECT_EQ(form.StatusBar->SimpleText(), "Resume OK!");
    EXPECT_EQ(Caption(form.Label_FtInput), "Factory : Notyet");
    EXPECT_FALSE(IsBold(form.Label_FtInput));
    EXPECT_EQ(Caption(form.Label_FtStock), "Inventory : 13") << "kept, only disabled";
    EXPECT_FALSE(form.Label_FtStock->isEnabled());
    EXPECT_TRUE(form.RadioGroup_FtOwner->isEnabled());
    EXPECT_FALSE(form.TabSheet_Init->isEnabled());
    EXPECT_FALSE(role(1).OrderButton->isEnabled());

    // Stop and Initialize have no effect in the wrong state, not even a beep.
    form.Button_StopClick(form.Button_Stop);
    EXPECT_EQ(dialogs.Beeps(), beeps + 1);

    // A role taken away while paused: the game cannot resume.
    role(4).Owner->SetItemIndex(0);
    EXPECT_EQ(game().FPlayers[4], nullptr);
    form.UpdateDisplay(); // a shipping handler that finds the slot empty does not refresh
    EXPECT_EQ(form.StatusBar->SimpleText(), "Server stopped");
    form.ServerSocket->SetPort(0);
    form.ServerSocket->SetActive(true);
    form.UpdateDisplay();
    EXPECT_EQ(form.StatusBar->SimpleText(), "Server waiting.");
    form.ServerSocket->SetActive(false);
    form.Button_StartClick(form.Button_Start);
    EXPECT_EQ(game().FState, gsPaused);

    // Given back, the game resumes where it stopped.
    role(4).Owner->SetItemIndex(2);
    EXPECT_EQ(form.StatusBar->SimpleText(), "Resume OK!");
    form.Button_StartClick(form.Button_Start);
    EXPECT_EQ(game().FState, gsRunning);
    EXPECT_EQ(game().FTurn, 2);
    EXPECT_TRUE(form.Button_Stop->isEnabled());
    const int beepsRunning = dialogs.Beeps();
    form.Button_InitClick(form.Button_Init);
    EXPECT_EQ(game().FState, gsRunning);
    EXPECT_EQ(dialogs.Beeps(), beepsRunning);
}

TEST_F(ServerWindowTest, InitializeKeepsTheEditedValuesAndClearsTheRadioGroups) {
    Leave(form.SpinEdit_FinalTurn, "10");
    TStringGrid* demand = form.StringGrid_Marcket;
    form.StringGrid_First->SetCells(1, 27, "13");
    demand->SetCells(1, 3, "9");
    form.StringGrid_MarcketSetEditText(demand, 1, 3, "9");
    ASSERT_EQ(game().Market[2], 9);
    ASSERT_EQ(game().StockR[0], 13);
    AllAuto();
    form.Button_StartClick(form.Button_Start);
    ASSERT_EQ(game().FState, gsFinished);
    ASSERT_EQ(form.StringGrid_Game->ColCount(), 14);

    dialogs.Clear();
    form.Button_InitClick(form.Button_Init);
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep"}));
    EXPECT_EQ(game().FState, gsPreparing);
    EXPECT_EQ(game().FTurn, 0);
    EXPECT_EQ(game().Market[2], 9);
    EXPECT_EQ(game().Market[6], 8);
    EXPECT_EQ(game().StockR[0], 13);
    EXPECT_EQ(game().StockR[1], 0);
    EXPECT_EQ(demand->Cells(1, 3), "9");
    EXPECT_EQ(form.StringGrid_First->Cells(1, 27), "13");
    for (int r = 1; r <= 4; ++r) {
        EXPECT_EQ(role(r).Owner->ItemIndex(), -1) << r;
        EXPECT_EQ(role(r).ShipM->ItemIndex(), -1) << r;
        EXPECT_TRUE(game().IsRoleFree(static_cast<std::uint8_t>(r))) << r;
        EXPECT_EQ(Caption(role(r).Join), "Waiting");
    }
    EXPECT_EQ(form.StatusBar->SimpleText(), "Game data Initialize");
    EXPECT_EQ(Caption(form.Label_NowTurn), "No game");
    EXPECT_EQ(form.StringGrid_Game->ColCount(), 12) << "the totals columns are gone";
    for (int row = 1; row < 38; ++row) EXPECT_EQ(form.StringGrid_Game->Cells(1, row), "") << row;
    EXPECT_FALSE(form.Button_Start->isEnabled());
    EXPECT_TRUE(form.TabSheet_Init->isEnabled());

    // A role chosen again after Initialize: the shipping group without selection becomes All.
    role(2).Owner->SetItemIndex(2);
    EXPECT_EQ(role(2).ShipM->ItemIndex(), 1);
    EXPECT_EQ(game().FPlayers[2]->Owner, owAuto);
    EXPECT_EQ(game().FPlayers[2]->ShipMode, smAll);
    EXPECT_EQ(Caption(role(2).Join), "Fulfilled");
    EXPECT_EQ(form.StatusBar->SimpleText(), "Stop") << "the next refresh writes the status";
}

TEST_F(ServerWindowTest, TheGroupNameIsTakenWhenTheFocusGoesToAnotherControl) {
    form.Edit_GroupName->setText("Tenby");
    // A box, another window or an opened menu leaves the field where it is.
    for (Qt::FocusReason reason :
         {Qt::ActiveWindowFocusReason, Qt::PopupFocusReason, Qt::MenuBarFocusReason}) {
        QFocusEvent out(QEvent::FocusOut, reason);
        QCoreApplication::sendEvent(form.Edit_GroupName, &out);
        EXPECT_EQ(game().FGroupName, "Benvik Group") << reason;
    }
    QFocusEvent tab(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(form.Edit_GroupName, &tab);
    EXPECT_EQ(game().FGroupName, "Tenby");
}

// --- Role owners and shipping modes ---------------------------------------------------------

TEST_F(ServerWindowTest, OwnerAndShippingModeHandlers) {
    // "Server" for the Factory: the built-in record with the radio group's shipping mode.
    role(1).Owner->SetItemIndex(1);
    TPlayerData* factory = &game().FLocalPlayers[0];
    EXPECT_EQ(game().FPlayers[1], factory);
    EXPECT_EQ(factory->Owner, owServer);
    EXPECT_EQ(factory->ShipMode, smAuto);
    EXPECT_EQ(Caption(form.Label_FtJoin), "Fulfilled");
    EXPECT_TRUE(IsBold(form.Label_FtJoin));
    EXPECT_EQ(Caption(form.Label_W1Join), "Waiting");
    EXPECT_FALSE(IsBold(form.Label_W1Join));

    // "Auto" with "Manual" shipping ends as All.
    role(2).ShipM->SetItemIndex(0);
    EXPECT_EQ(game().FPlayers[2], nullptr) << "a shipping mode alone stores nothing";
    role(2).Owner->SetItemIndex(2);
    EXPECT_EQ(role(2).ShipM->ItemIndex(), 1);
    EXPECT_EQ(game().FPlayers[2]->ShipMode, smAll);
    role(2).ShipM->SetItemIndex(0);
    EXPECT_EQ(role(2).ShipM->ItemIndex(), 1) << "the computer never ships by hand";
    EXPECT_EQ(game().FPlayers[2]->ShipMode, smAll);

    // "Client" for a role that the built-in record held empties the slot.
    role(1).Owner->SetItemIndex(0);
    EXPECT_EQ(game().FPlayers[1], nullptr);
    EXPECT_EQ(Caption(form.Label_FtJoin), "Waiting");
    EXPECT_FALSE(IsBold(form.Label_FtJoin));

    // A player holds the Wholesaler: Server and Auto are refused, the group snaps back.
    ClientSeat& seat = Seat(3);
    role(3).Owner->SetItemIndex(1);
    EXPECT_EQ(role(3).Owner->ItemIndex(), 0);
    EXPECT_EQ(game().FPlayers[3], &seat.player);
    EXPECT_EQ(seat.player.Owner, owClient);
    EXPECT_EQ(seat.player.ShipMode, smAuto);
    EXPECT_EQ(seat.connection.sends, (Lines{"TS_MS:F\t"}));
    EXPECT_TRUE(dialogs.Boxes().empty());
    EXPECT_EQ(dialogs.Beeps(), 0);
    role(3).Owner->SetItemIndex(2);
    EXPECT_EQ(role(3).Owner->ItemIndex(), 0);
    EXPECT_EQ(game().FLocalPlayers[2].Owner, owUnset);

    seat.connection.sends.clear();
    role(3).ShipM->SetItemIndex(0);
    EXPECT_EQ(seat.player.ShipMode, smManual);
    EXPECT_EQ(seat.connection.sends, (Lines{"TS_MS:T\t"}));

    // A shipping handler that finds no item selected runs itself once more for All.
    seat.connection.sends.clear();
    role(3).ShipM->SetItemIndex(-1);
    EXPECT_TRUE(seat.connection.sends.empty()) << "clearing runs no handler";
    form.RadioGroup_W2ShipMClick(role(3).ShipM);
    EXPECT_EQ(role(3).ShipM->ItemIndex(), 1);
    EXPECT_EQ(seat.player.ShipMode, smAll);
    EXPECT_EQ(seat.connection.sends, (Lines{"TS_MS:F\t", "TS_MS:F\t"}));

    // An owner group without selection frees the built-in record it holds.
    role(4).Owner->SetItemIndex(2);
    ASSERT_FALSE(game().IsRoleFree(rlRetailer));
    role(4).Owner->SetItemIndex(-1);
    form.RadioGroup_RtOwnerClick(role(4).Owner);
    EXPECT_EQ(game().FPlayers[4], &game().FLocalPlayers[3]);
    EXPECT_EQ(game().FLocalPlayers[3].Owner, owUnset);
    EXPECT_TRUE(game().IsRoleFree(rlRetailer));
    EXPECT_EQ(Caption(form.Label_RtJoin), "Waiting");
}

// --- Role status labels ---------------------------------------------------------------------

TEST_F(ServerWindowTest, JoinLabelsAndAvailabilityMessagesGoToNamedConnections) {
    form.ServerSocket->SetPort(0);
    form.ServerSocket->SetActive(true);
    TestPeer named, unnamed;
    ASSERT_TRUE(named.Connect(static_cast<quint16>(form.ServerSocket->LocalPort())));
    ASSERT_TRUE(WaitUntil([&] { return form.ServerSocket->ActiveConnections() == 1; }));
    ASSERT_TRUE(unnamed.Connect(static_cast<quint16>(form.ServerSocket->LocalPort())));
    ASSERT_TRUE(WaitUntil([&] { return form.ServerSocket->ActiveConnections() == 2; }));
    TCustomWinSocket* first = form.ServerSocket->Connections(0);
    if (!TTrovGameServerForm::PlayerOf(first)) first->SetData(std::make_shared<TStation>());
    TTrovGameServerForm::PlayerOf(first)->Entered = true;

    role(1).Owner->SetItemIndex(2);
    ASSERT_TRUE(named.WaitForMessage("TS_Jn:Rt:F\t"));
    named.Clear();
    form.SetEntryLabels();
    ASSERT_TRUE(named.WaitForMessages(4));
    // A fifth message, or one to the unnamed connection, would come before the answers.
    ASSERT_TRUE(named.SyncWithServer());
    ASSERT_TRUE(unnamed.SyncWithServer());
    Lines joins;
    for (const std::string& m : named.Messages())
        if (m.rfind("TS_Jn:", 0) == 0) joins.push_back(m);
    EXPECT_EQ(joins, (Lines{"TS_Jn:Ft:T\t", "TS_Jn:W1:F\t", "TS_Jn:W2:F\t", "TS_Jn:Rt:F\t"}));
    for (const std::string& m : unnamed.Messages())
        EXPECT_NE(m.rfind("TS_Jn:", 0), 0u) << "only named connections are told";
    EXPECT_EQ(Caption(form.Label_FtJoin), "Fulfilled");
    EXPECT_TRUE(IsBold(form.Label_FtJoin));
    for (QLabel* label : {form.Label_W1Join, form.Label_W2Join, form.Label_RtJoin}) {
        EXPECT_EQ(Caption(label), "Waiting");
        EXPECT_FALSE(IsBold(label));
    }
    EXPECT_EQ(form.StatusBar->SimpleText(), "Server running, Waiting for joining");
    EXPECT_TRUE(dialogs.Boxes().empty());
    form.ServerSocket->SetActive(false);
}

TEST_F(ServerWindowTest, InputStatusLabelsAndOrderMessages) {
    ClientSeat& factory = Seat(1);
    ClientSeat& wholesaler = Seat(3);
    Play(2, 1, 1);
    Play(4, 1, 1);
    factory.connection.sends.clear();
    wholesaler.connection.sends.clear();
    factory.player.Order = 3;
    wholesaler.player.Order = 0;
    form.ShowInputStatus();
    EXPECT_EQ(Caption(form.Label_FtInput), "Factory : Ordered");
    EXPECT_TRUE(IsBold(form.Label_FtInput));
    EXPECT_EQ(Caption(form.Label_W1Input), "Distributor : Notyet");
    EXPECT_FALSE(IsBold(form.Label_W1Input));
    EXPECT_EQ(Caption(form.Label_W2Input), "Wholesaler : Ordered");
    EXPECT_TRUE(IsBold(form.Label_W2Input));
    EXPECT_EQ(Caption(form.Label_RtInput), "Retailer : Notyet");
    const Lines expected{"TS_Od:Ft:T\t", "TS_Od:W1:F\t", "TS_Od:W2:T\t", "TS_Od:Rt:F\t"};
    EXPECT_EQ(factory.connection.sends, expected);
    EXPECT_EQ(wholesaler.connection.sends, expected);

    // A connection that is gone gets nothing; the others still do.
    factory.connection.sends.clear();
    wholesaler.connection.sends.clear();
    factory.connection.connected = false;
    form.ShowInputStatus();
    EXPECT_TRUE(factory.connection.sends.empty());
    EXPECT_EQ(wholesaler.connection.sends, expected);

    // An empty slot ends the operation there: later labels keep their text, nothing is sent.
    wholesaler.connection.sends.clear();
    game().FPlayers[3] = nullptr;
    factory.player.Order = -1;
    form.ShowInputStatus();
    EXPECT_EQ(Caption(form.Label_FtInput), "Factory : Notyet");
    EXPECT_EQ(Caption(form.Label_W2Input), "Wholesaler : Ordered");
    EXPECT_TRUE(wholesaler.connection.sends.empty());
}

// --- Pause and game over --------------------------------------------------------------------

TEST_F(ServerWindowTest, PauseTellsClientPlayersAfterTheRefresh) {
    Leave(form.SpinEdit_FinalTurn, "10");
    std::vector<std::string> log;
    ClientSeat& distributor = Seat(2);
    ClientSeat& retailer = Seat(4);
    distributor.connection.log = retailer.connection.log = &log;
    Play(1, 2, 2);
    Play(3, 2, 2);
    form.Button_StartClick(form.Button_Start);
    ASSERT_EQ(game().FState, gsRunning);
    ASSERT_EQ(game().FTurn, 1);
    Lines messages = distributor.connection.Messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.front(), "TS_Gm:Start!\t");
    EXPECT_EQ(Lines(messages.end() - 4, messages.end()),
              (Lines{"TS_Od:Ft:F\t", "TS_Od:W1:F\t", "TS_Od:W2:F\t", "TS_Od:Rt:F\t"}))
        << "each refresh while running repeats the order status";

    distributor.player.Order = 5;
    form.UpdateDisplay();
    ASSERT_EQ(Caption(form.Label_W1Input), "Distributor : Ordered");
    log.clear();
    for (ClientSeat* seat : {&distributor, &retailer}) {
        seat->connection.sends.clear();
        seat->connection.probe = [this](const std::string&) {
            return form.StatusBar->SimpleText() + "|" + Caption(form.Label_NowTurn) + "|" +
                   Caption(form.Label_W1Input);
        };
    }
    form.Button_StopClick(form.Button_Stop);
    EXPECT_EQ(game().FState, gsPaused);
    EXPECT_EQ(log, (Lines{"W1:TS_Gm:Pause!\t", "Rt:TS_Gm:Pause!\t"}));
    EXPECT_EQ(distributor.connection.notes,
              (Lines{"Resume OK!|Week 1 Pause at term|Distributor : Notyet"}));
    EXPECT_EQ(Caption(form.Label_W1Input), "Distributor : Notyet");
    EXPECT_FALSE(IsBold(form.Label_W1Input));

    // Resuming tells them again.
    log.clear();
    form.Button_StartClick(form.Button_Start);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "W1:TS_Gm:ReStart!\t");
}

// A known game: the Factory and the Wholesaler played at the server, the Distributor and the
// Retailer by clients, every order 4, demand 4 in every week, shipping All, unit costs 3 and 5,
// the Retailer starting with 13 in stock and a backlog of 1. Every week after the first is the
// same: 12 in stock everywhere, no backlog.
TEST_F(ServerWindowTest, GameOverSendsTheReportToEachClientBeforeShowingIt) {
    Leave(form.SpinEdit_FinalTurn, "10");
    form.Edit_GroupName->setText("Benvik Group");
    form.Edit_GroupNameExit(form.Edit_GroupName);
    Leave(form.SpinEdit_UStkCost, "3");
    Leave(form.SpinEdit_UBLCost, "5");
    Leave(form.SpinEdit_MarcketMin, "4");
    Leave(form.SpinEdit_MarcketMax, "4");
    form.Button_MarcketRandClick(form.Button_MarcketRand);
    form.StringGrid_First->SetCells(1, 27, "13");
    form.StringGrid_First->SetCells(1, 28, "1");
    form.StringGrid_Marcket->SetCells(1, 1, "4");
    form.StringGrid_MarcketSetEditText(form.StringGrid_Marcket, 1, 1, "4");
    ASSERT_EQ(game().StockR[0], 13);
    ASSERT_EQ(game().BacklogR[0], 1);
    for (int w = 0; w < 11; ++w) ASSERT_EQ(game().Market[w], 4) << w;

    Play(1, 1, 1);
    Play(3, 1, 1);
    ClientSeat& distributor = Seat(2);
    ClientSeat& retailer = Seat(4);
    std::vector<std::string> log;
    distributor.connection.log = retailer.connection.log = &log;
    Leave(role(1).Order, "4");
    Leave(role(3).Order, "4");
    form.Button_StartClick(form.Button_Start);
    for (int week = 1; week <= 10; ++week) {
        ASSERT_EQ(game().FTurn, week);
        distributor.player.Order = 4;
        retailer.player.Order = 4;
        form.Button_OrderClick(role(1).OrderButton);
        form.Button_OrderClick(role(3).OrderButton);
    }
    // All weeks processed, the clients' final entries awaited: the last week is shown.
    ASSERT_EQ(game().FTurn, 11);
    EXPECT_EQ(game().FState, gsRunning);
    EXPECT_EQ(Caption(form.Label_NowTurn), "Week 11 ");
    EXPECT_EQ(Caption(form.Label_RtStock), "Inventory : 12");
    EXPECT_EQ(Caption(form.Label_RtDemand), "Demand in market : 4");
    EXPECT_FALSE(role(1).OrderButton->isEnabled());
    ASSERT_TRUE(RunPostedCalls());
    EXPECT_EQ(game().FState, gsRunning) << "the end notice waits for the clients";
    EXPECT_TRUE(dialogs.Boxes().empty());

    std::vector<std::string> logWhileOpen;
    dialogs.Answer(mrOk, [&] { logWhileOpen = log; });
    distributor.player.Order = 4;
    retailer.player.Order = 4;
    log.clear();
    form.UpdateDisplay();
    ASSERT_EQ(game().FState, gsFinished);

    const Lines expectedLines{"*Result of [Benvik Group]*",
                              "",
                              kZen + " (##/##/#### ##:##:##) ",
                              "",
                              "------   Group    ------",
                              "Week      " + kZen + kZen + kZen + "      : 10 ",
                              "Unitcost of Inventory : 3 ",
                              "Unitcost of Backlog" + kZen + " : 5 ",
                              "Total Inventory Cost  : 1587 ",
                              "Total Backlog Cost  " + kZen + ": 5 ",
                              "Total Cost        " + kZen + kZen + ": 1592 ",
                              "------ Eachmember ------",
                              "Average Inventory of Factory     : 12 ",
                              "Average Backlog of Factory       : 0 ",
                              "Average Inventory of Distributor : 12 ",
                              "Average Backlog of Distributor   : 0 ",
                              "Average Inventory of Wholesaler  : 12 ",
                              "Average Backlog of Wholesaler    : 0 ",
                              "Average Inventory of Retailer    : 12.0909 ",
                              "Average Backlog of Retailer      : 0.0909"};
    const auto boxes = dialogs.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].type, TMsgDlgType::Information);
    EXPECT_EQ(ReportLines(boxes[0].text), expectedLines);
    EXPECT_EQ(boxes[0].text.substr(boxes[0].text.size() - 8), "0.0909\r\n");

    // Each client: its order status, then the report in pieces of at most 10 bytes with a CR
    // after every line, then the game-over message; the Distributor's all before the Retailer's.
    EXPECT_EQ(logWhileOpen, log) << "the clients have everything before the box opens";
    auto firstOf = [&](const std::string& prefix) {
        for (std::size_t i = 0; i < log.size(); ++i)
            if (log[i].rfind(prefix, 0) == 0) return i;
        return log.size();
    };
    const std::size_t w1Report = firstOf("W1:TS_SM:"), rtReport = firstOf("Rt:TS_SM:");
    ASSERT_LT(w1Report, log.size());
    ASSERT_LT(rtReport, log.size());
    std::string w1Text, rtText;
    for (std::size_t i = w1Report; i < rtReport; ++i) {
        ASSERT_EQ(log[i].rfind("W1:", 0), 0u) << i;
        w1Text += log[i].substr(3);
        if (i + 1 < rtReport) {
            EXPECT_LE(log[i].size() - 3, 10u) << log[i];
        }
    }
    for (std::size_t i = rtReport; i < log.size(); ++i) {
        ASSERT_EQ(log[i].rfind("Rt:", 0), 0u) << i;
        rtText += log[i].substr(3);
    }
    EXPECT_EQ(log[rtReport - 1], "W1:TS_Gm:Over!\t");
    EXPECT_EQ(log.back(), "Rt:TS_Gm:Over!\t");
    EXPECT_EQ(w1Text, rtText);
    ASSERT_GT(w1Text.size(), 6u + 12u);
    EXPECT_EQ(w1Text.substr(0, 6), "TS_SM:");
    EXPECT_EQ(w1Text.substr(w1Text.size() - 14), "\r\tTS_Gm:Over!\t");
    Lines sent;
    for (const std::string& line : SplitLines(w1Text.substr(6, w1Text.size() - 6 - 13)))
        sent.push_back(line);
    EXPECT_EQ(ReportLines(JoinLines(sent)), expectedLines);

    // The table's totals of the known game.
    TStringGrid* grid = form.StringGrid_Game;
    ASSERT_EQ(grid->ColCount(), 14);
    const std::vector<std::array<std::string, 3>> totals = {
        {"28", "12.0909", "133"},  {"30", "0.0909", "1"},      {"29", "4", "44"},
        {"31", "3.7273", "41"},    {"35", "144.2727", "1587"}, {"36", "0.4545", "5"},
        {"37", "144.7273", "1592"}};
    for (const auto& t : totals) {
        const int row = std::stoi(t[0]);
        EXPECT_EQ(grid->Cells(12, row), t[1]) << row;
        EXPECT_EQ(grid->Cells(13, row), t[2]) << row;
    }
    EXPECT_EQ(grid->Cells(1, 35), "147");
    EXPECT_EQ(grid->Cells(2, 35), "144");
    EXPECT_GE(grid->ColWidths(12), grid->TextWidth("144.7273") + 1);
}

TEST_F(ServerWindowTest, SendErrorsWhileRefreshingPausingAndEnding) {
    Leave(form.SpinEdit_FinalTurn, "10");
    ClientSeat& factory = Seat(1);
    ClientSeat& distributor = Seat(2);
    Play(3, 2, 2);
    Play(4, 2, 2);

    // An order status that cannot be sent leaves the rest of the refresh undone.
    factory.connection.throwOn = "TS_Od:";
    EXPECT_THROW(form.Button_StartClick(form.Button_Start), std::runtime_error);
    ASSERT_EQ(game().FState, gsRunning);
    factory.player.Order = distributor.player.Order = 4;
    EXPECT_THROW(form.UpdateDisplay(), std::runtime_error);
    EXPECT_EQ(form.StatusBar->SimpleText(), "Game is Starting!! Now , wating for Input..");
    EXPECT_EQ(game().FTurn, 1) << "the game is not proceeded";
    factory.connection.throwOn.clear();
    form.UpdateDisplay();
    EXPECT_EQ(game().FTurn, 2);
    EXPECT_EQ(form.StatusBar->SimpleText(), "Running! : 2 Week");

    // A failed pause message is dropped; the roles after it are not told.
    factory.connection.throwOn = "TS_Gm:Pause!";
    distributor.connection.sends.clear();
    form.Button_StopClick(form.Button_Stop);
    EXPECT_EQ(game().FState, gsPaused);
    EXPECT_TRUE(distributor.connection.sends.empty());
    EXPECT_EQ(Caption(form.Label_FtInput), "Factory : Notyet");

    // Play to the end; the Factory's game-over message fails.
    factory.connection.throwOn.clear();
    form.Button_StartClick(form.Button_Start);
    while (game().FTurn < 11) {
        factory.player.Order = distributor.player.Order = 4;
        form.UpdateDisplay();
    }
    factory.player.Order = distributor.player.Order = 4;
    factory.connection.throwOn = "TS_Gm:Over!";
    factory.connection.sends.clear();
    distributor.connection.sends.clear();
    form.UpdateDisplay();
    EXPECT_EQ(game().FState, gsFinished);
    ASSERT_FALSE(factory.connection.sends.empty());
    EXPECT_EQ(factory.connection.sends.back(), "\t") << "the report went out";
    for (const std::string& m : distributor.connection.Messages())
        EXPECT_EQ(m.rfind("TS_Od:", 0), 0u) << "the sending ends at the error: " << m;
    EXPECT_TRUE(dialogs.Boxes().empty()) << "and so does the box";
    EXPECT_EQ(form.StatusBar->SimpleText(), "Finished") << "the refresh still runs";
    EXPECT_EQ(form.StringGrid_Game->Cells(12, 0), "Average");
}

TEST_F(ServerWindowTest, StopWhileWaitingForTheClientsLastAnswerEndsWithoutReport) {
    Leave(form.SpinEdit_FinalTurn, "10");
    ClientSeat& retailer = Seat(4);
    Play(1, 2, 2);
    Play(2, 2, 2);
    Play(3, 2, 2);
    form.Button_StartClick(form.Button_Start);
    while (game().FTurn < 11) {
        retailer.player.Order = 4;
        form.UpdateDisplay();
    }
    ASSERT_EQ(game().FState, gsRunning);
    retailer.connection.sends.clear();
    form.Button_StopClick(form.Button_Stop);
    EXPECT_EQ(game().FState, gsFinished);
    EXPECT_EQ(game().FSumTotalCost, 0) << "no summary";
    EXPECT_TRUE(dialogs.Boxes().empty()) << "no report";
    EXPECT_EQ(retailer.connection.sends, (Lines{"TS_Gm:Pause!\t"}));
    EXPECT_EQ(form.StatusBar->SimpleText(), "Finished");
    EXPECT_EQ(form.StringGrid_Game->ColCount(), 14);
    retailer.player.Order = 4;
    form.UpdateDisplay();
    ASSERT_TRUE(RunPostedCalls());
    EXPECT_TRUE(dialogs.Boxes().empty()) << "a late answer finds the game over";
}

TEST_F(ServerWindowTest, AStartedGameWaitsForFreshDecisions) {
    Leave(form.SpinEdit_FinalTurn, "10");
    Play(1, 1, 0); // the game master plays the Factory with Manual shipping
    Play(2, 2, 2);
    Play(3, 2, 2);
    ClientSeat& retailer = Seat(4);
    form.Button_StartClick(form.Button_Start);
    while (game().FTurn < 11) {
        retailer.player.Order = 4;
        form.Button_OrderClick(form.Button_FtOrder);
    }
    retailer.player.Order = retailer.player.Shipment = 0; // the client's last answer
    form.UpdateDisplay();
    ASSERT_EQ(game().FState, gsFinished);
    ASSERT_EQ(dialogs.Boxes().size(), 1u);

    // Started again, the first week waits for this game's decisions, not the last game's.
    form.Button_StartClick(form.Button_Start);
    EXPECT_EQ(game().FState, gsRunning);
    EXPECT_EQ(game().FTurn, 1);
    EXPECT_TRUE(form.Button_FtOrder->isEnabled());
    EXPECT_EQ(Caption(form.Label_FtInput), "Factory : Notyet");
    EXPECT_EQ(Caption(form.Label_RtInput), "Retailer : Notyet");
    form.Button_OrderClick(form.Button_FtOrder);
    EXPECT_EQ(game().FTurn, 1) << "the Retailer's client has not decided yet";

    // The same after Initialize: an admitted client keeps its role but not its old order.
    form.Button_StopClick(form.Button_Stop);
    retailer.player.Order = 6;
    form.Button_InitClick(form.Button_Init);
    Play(1, 2, 2);
    Play(2, 2, 2);
    Play(3, 2, 2);
    retailer.player.ShipMode = smAll;
    form.Button_StartClick(form.Button_Start);
    EXPECT_EQ(game().FTurn, 1);
    EXPECT_EQ(retailer.player.Order, -1);
}
