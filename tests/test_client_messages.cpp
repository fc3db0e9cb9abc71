// The client window's conversation with a server: a test server on 127.0.0.1 sends the exact
// bytes, the window's reactions, boxes and replies are checked.
#include "test_client_fixture.h"

#include "support/Ports.h"

#include <QAction>
#include <QClipboard>
#include <QKeyEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace platform;

namespace {

std::string Box(const std::string& text) {
    return "box(Information; OK): " + text;
}

} // namespace

// ---- Connecting -----------------------------------------------------------------------------

TEST_F(ClientTest, ConnectingSendsTheNameAsTypedThenTheRoleWish) {
    CreateForm();
    form->Edit_Name->setText(" Player 1 ");
    form->RadioGroup_Play->SetItemIndex(1);
    ConnectToServer();
    EXPECT_EQ(peer->Messages(), (Lines{"TC_PN: Player 1 \t", "TC_PT:W1\t"}));
    EXPECT_EQ(form->FState, csWaitAccept);
    EXPECT_TRUE(form->FNotifyAccept);
    EXPECT_EQ(Status(), "Connected. Waiting for acceptance.");
    EXPECT_TRUE(form->CheckBox_Connect->isEnabled());
    EXPECT_FALSE(form->SpinEdit_Port->isEnabled());
    EXPECT_FALSE(form->RadioGroup_Play->isEnabled());
    EXPECT_EQ(dialogs.Trace(), Lines{"beep"});
}

TEST_F(ClientTest, WithoutARoleTheWishIsUnknownAndAnEmptyNameIsSentEmpty) {
    CreateForm();
    form->Edit_Name->setText("");
    form->RadioGroup_Play->SetItemIndex(-1);
    ConnectToServer();
    EXPECT_EQ(peer->Messages(), (Lines{"TC_PN:\t", "TC_PT:UK\t"}));
}

TEST_F(ClientTest, TickingConnectWaitsForAcceptanceBeforeTheServerAnswersAndUntickingLeaves) {
    CreateForm();
    server = std::make_unique<TestServer>();
    form->Edit_Server->setText("127.0.0.1");
    form->SpinEdit_Port->SetText(std::to_string(server->Port()));
    form->CheckBox_Connect->setChecked(true);
    EXPECT_EQ(form->FState, csWaitAccept);
    EXPECT_EQ(Status(), "Connected. Waiting for acceptance.");
    EXPECT_TRUE(form->CheckBox_Connect->isEnabled());
    EXPECT_EQ(form->ClientSocket->Port(), server->Port());

    peer = server->Accept();
    ASSERT_TRUE(peer);
    ASSERT_TRUE(peer->WaitForMessages(2));
    form->CheckBox_Connect->setChecked(false);
    EXPECT_TRUE(peer->WaitClosed());
    EXPECT_EQ(form->FState, csDisconnected);
    EXPECT_TRUE(form->SpinEdit_Port->isEnabled());
    EXPECT_EQ(Status(), "disconnected.");
}

TEST_F(ClientTest, AnAddressThatCannotBeOpenedShowsTheBoxAndKeepsTheTick) {
    CreateForm();
    form->Edit_Server->setText("");
    form->CheckBox_Connect->setChecked(true);
    EXPECT_EQ(dialogs.Trace(), Lines{"box(Error; OK): Error! Can't Establish Connection.."});
    EXPECT_EQ(form->FState, csDisconnected);
    EXPECT_TRUE(form->CheckBox_Connect->isChecked());
    EXPECT_EQ(Status(), "disconnected.");
}

TEST_F(ClientTest, ARefusedConnectionIsReportedAndConfirmingItLeavesTheWindowDisconnected) {
    CreateForm();
    const ClosedPort closed;
    std::string statusWhileOpen;
    dialogs.Answer(mrOk, [&] { statusWhileOpen = Status(); });
    form->Edit_Server->setText("127.0.0.1");
    form->SpinEdit_Port->SetText(std::to_string(closed.Port()));
    form->CheckBox_Connect->setChecked(true);
    ASSERT_TRUE(WaitUntil([&] { return dialogs.Boxes().size() == 1; }));
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep", "error(OK): Could not connect to the server"}));
    EXPECT_EQ(statusWhileOpen, "ErrMsg");
    EXPECT_EQ(form->FState, csDisconnected);
    EXPECT_FALSE(form->CheckBox_Connect->isChecked());
    EXPECT_TRUE(form->SpinEdit_Port->isEnabled());
    EXPECT_EQ(Status(), "disconnected.");
    EXPECT_FALSE(form->Terminated());
}

TEST_F(ClientTest, AServerNameThatDoesNotResolveIsReportedAsNotFound) {
    CreateForm();
    form->Edit_Server->setText("no-such-host.invalid");
    form->SpinEdit_Port->SetText("8799");
    form->CheckBox_Connect->setChecked(true);
    ASSERT_TRUE(WaitUntil([&] { return dialogs.Boxes().size() == 1; }, 30000));
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep", "error(OK): Could not find the server"}));
    EXPECT_FALSE(form->CheckBox_Connect->isChecked());
}

TEST_F(ClientTest, AnErrorDialogClosedWithoutOkRaisesTheErrorAndItsOkEndsTheProgram) {
    CreateForm();
    const ClosedPort closed;
    dialogs.Answer(mrCancel);
    form->Edit_Server->setText("127.0.0.1");
    form->SpinEdit_Port->SetText(std::to_string(closed.Port()));
    form->CheckBox_Connect->setChecked(true);
    ASSERT_TRUE(WaitUntil([&] { return dialogs.Boxes().size() == 2; }));
    const Lines trace = dialogs.Trace();
    ASSERT_EQ(trace.size(), 4u);
    EXPECT_EQ(trace[1], "error(OK): Could not connect to the server");
    EXPECT_EQ(trace[2], "beep");
    EXPECT_EQ(trace[3].rfind("error(OK): Socket error", 0), 0u) << trace[3];
    EXPECT_TRUE(form->Terminated());
    EXPECT_FALSE(FileExists(IniFile()));
}

TEST_F(ClientTest, TheServerClosingResetsTheGameButKeepsTheHistory) {
    CreateForm();
    StartGame(0, false);
    peer->Close();
    ASSERT_TRUE(WaitUntil([&] { return form->FState == csDisconnected; }));
    EXPECT_FALSE(form->CheckBox_Connect->isChecked());
    EXPECT_EQ(form->FWeek, -1);
    EXPECT_TRUE(form->FGroupName.empty());
    EXPECT_EQ(form->FHistory.size(), 1u);
    EXPECT_EQ(Status(), "disconnected.");
    EXPECT_EQ(dialogs.Trace(), Lines{"beep"});
    EXPECT_TRUE(form->Edit_Server->isEnabled());
}

// ---- Framing --------------------------------------------------------------------------------

TEST_F(ClientTest, AMessageWaitsForTheChunkThatEndsWithItsTerminator) {
    CreateForm();
    ConnectToServer();
    dialogs.Clear();
    const std::string unended = "TS_Cn:Welcome!";
    peer->Send(unended);
    // Read and held: the read event has run.
    ASSERT_TRUE(WaitUntil([&] { return form->FRecvBuf.Size() == unended.size(); }));
    EXPECT_TRUE(dialogs.Boxes().empty());
    peer->Send("\t");
    ASSERT_TRUE(WaitUntil([&] { return dialogs.Boxes().size() == 1; }));
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep", Box("Connected. Waiting for acceptance.")}));

    // Two messages in one chunk are handled in order.
    peer->Send("TS_Pl:Let's Play!\tTS_GN:Benvik Group\t");
    ASSERT_TRUE(WaitUntil([&] { return form->FGroupName == "Benvik Group"; }));
    EXPECT_EQ(form->FState, csAccepted);

    // A chunk that ends inside the second message holds back the first as well.
    const std::string cut = "TS_Tn:05\tTS_Ft:0";
    peer->Send(cut);
    ASSERT_TRUE(WaitUntil([&] { return form->FRecvBuf.Size() == cut.size(); }));
    EXPECT_EQ(form->FWeek, -1);
    EXPECT_EQ(form->FState, csAccepted);
    peer->Send("C\t");
    ASSERT_TRUE(WaitUntil([&] { return form->FStock[0] == 12; }));
    EXPECT_EQ(form->FWeek, 5);
    ASSERT_EQ(form->FHistory.size(), 5u);
    EXPECT_EQ(form->FHistory[4].Stock[0], 12);
}

TEST_F(ClientTest, BytesPastOneMebibyteAfterTheLastTerminatorCloseTheConnection) {
    CreateForm();
    ConnectToServer();
    // Complete messages never count toward the bound, however many come before a chunk that
    // ends with a terminator.
    std::string messages;
    const std::size_t bound = TTrovGameClientForm::kMaxRecvBuf;
    while (messages.size() < bound + bound / 2) messages += "TS_Ft:0C\t";
    peer->Send(messages + "TS_GN:partial");
    ASSERT_TRUE(WaitUntil([&] { return form->FStock[0] == 12; }));
    peer->Send("\t");
    ASSERT_TRUE(WaitUntil([&] { return form->FGroupName == "partial"; }));
    EXPECT_TRUE(form->ClientSocket->Socket()->Connected());

    // Bytes without a terminator: the connection is closed once they pass the bound, and the
    // window shows it as any lost connection.
    const std::string part(bound / 2 + 1, 'x'); // one is within the bound, two pass it
    peer->Send(part);
    ASSERT_TRUE(WaitUntil([&] { return form->FRecvBuf.Size() == part.size(); }));
    EXPECT_TRUE(form->ClientSocket->Socket()->Connected());
    peer->Send(part);
    ASSERT_TRUE(peer->WaitClosed());
    EXPECT_EQ(form->FState, csDisconnected);
    EXPECT_FALSE(form->CheckBox_Connect->isChecked());
    EXPECT_EQ(form->FRecvBuf.Size(), 0u);
}

TEST_F(ClientTest, ANulByteEndsTheBatchAndBadLinesAreIgnored) {
    CreateForm();
    ConnectToServer();
    peer->Send(std::string("TS_GN:first\t\tTS\tXS_GN:bad\tTS_GN:second\t") + '\0' + "TS_Ft:05\t");
    ASSERT_TRUE(WaitUntil([&] { return form->FGroupName == "second"; }));
    ASSERT_TRUE(Sync());
    EXPECT_EQ(form->FStock[0], 0);
    EXPECT_EQ(form->FState, csWaitAccept);
    EXPECT_TRUE(form->ClientSocket->Socket()->Connected());
}

// ---- Acceptance -----------------------------------------------------------------------------

TEST_F(ClientTest, LetsPlayTwiceShowsOneBoxAndADenialArmsItAgain) {
    CreateForm();
    ConnectToServer();
    peer->Send("TS_Cn:Welcome!\t");
    ASSERT_TRUE(Sync());
    dialogs.Clear();
    // The server admits again at every refresh of its list, also while the box is open.
    dialogs.Answer(mrOk, [&] {
        peer->Send("TS_Pl:Let's Play!\tTS_Pl:Let's Play!\t");
        EXPECT_TRUE(Sync());
    });
    peer->Send("TS_Pl:Let's Play!\tTS_Pl:Let's Play!\t");
    ASSERT_TRUE(WaitUntil([&] { return form->FState == csAccepted; }));
    ASSERT_TRUE(Sync());
    EXPECT_EQ(form->FState, csAccepted);
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep", Box("Accepted. Waiting for the start.")}));
    EXPECT_EQ(Status(), "Accepted. Waiting for the start.");

    dialogs.Clear();
    peer->Send("TS_MS:T\tTS_Pl:Deny\t");
    ASSERT_TRUE(WaitUntil([&] { return Status() == "Cancelled"; }));
    EXPECT_EQ(form->FState, csWaitAccept);
    EXPECT_FALSE(form->FShipManual);
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep", Box("Cancelled")}));

    dialogs.Clear();
    peer->Send("TS_Pl:Let's Play!\t");
    ASSERT_TRUE(Sync());
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep", Box("Accepted. Waiting for the start.")}));
}

TEST_F(ClientTest, AnAcceptanceWhileTheWelcomeBoxIsOpenShowsItsBoxAfterItAndStaysShown) {
    CreateForm();
    ConnectToServer();
    dialogs.Clear();
    // While the welcome box is open the acceptance arrives: it takes effect at once, its box
    // waits for the welcome box, and closing the welcome box does not arm the acceptance box
    // again after it.
    dialogs.Answer(mrOk, [&] {
        EXPECT_EQ(form->FState, csWaitAccept);
        peer->Send("TS_Pl:Let's Play!\t");
        EXPECT_TRUE(WaitUntil([&] { return form->FState == csAccepted; }));
        EXPECT_EQ(dialogs.Boxes().size(), 1u);
    });
    peer->Send("TS_Cn:Welcome!\t");
    ASSERT_TRUE(WaitUntil([&] { return dialogs.Boxes().size() == 2; }));
    ASSERT_TRUE(Sync());
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep", Box("Connected. Waiting for acceptance."), "beep",
                                      Box("Accepted. Waiting for the start.")}));
    EXPECT_FALSE(form->FNotifyAccept);
    EXPECT_EQ(form->FState, csAccepted);
}

TEST_F(ClientTest, CloseAndDuplicateNameRepliesAreShownAndTheirValuesChecked) {
    CreateForm();
    ConnectToServer();
    dialogs.Clear();
    peer->Send("TS_Du:name\tTS_Cl:close\tTS_Du:Name\tTS_Cl:Close\t");
    ASSERT_TRUE(WaitUntil([&] { return dialogs.Boxes().size() == 2; }));
    ASSERT_TRUE(Sync());
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep", Box("That name has been already used."), "beep",
                                      Box("Disconnected by server.")}));
}

// ---- Game values ----------------------------------------------------------------------------

TEST_F(ClientTest, BacklogAndDemandOfAnotherRoleAreIgnoredAtAFactory) {
    CreateForm();
    StartGame(0, false);
    peer->Send("TS_BC2:05\tTS_Dm2:07\t");
    ASSERT_TRUE(Sync());
    EXPECT_EQ(form->FBacklog, 0);
    EXPECT_EQ(form->FDemand, 4);
    peer->Send("TS_BC0:03\tTS_Dm0:09\t");
    ASSERT_TRUE(Sync());
    EXPECT_EQ(form->FBacklog, 3);
    EXPECT_EQ(form->FDemand, 9);
    EXPECT_EQ(form->FHistory[0].Backlog, 3);
    EXPECT_EQ(form->FHistory[0].Demand, 9);
}

TEST_F(ClientTest, TheWholesalersBacklogIsTakenAtAWholesaler) {
    CreateForm();
    StartGame(2, false);
    peer->Send("TS_BC2:05\tTS_BC1:07\t");
    ASSERT_TRUE(Sync());
    EXPECT_EQ(form->FBacklog, 5);
    EXPECT_EQ(form->FHistory[0].Backlog, 5);
}

TEST_F(ClientTest, ValuesOfTheWrongLengthAreIgnoredAndBadNumbersReadAsMinusOne) {
    CreateForm();
    StartGame(0, false);
    peer->Send("TS_Ft:5\tTS_Tn:123\tTS_W1:0C0\tTS_W2:zz\t");
    ASSERT_TRUE(Sync());
    EXPECT_EQ(form->FStock[0], 12);
    EXPECT_EQ(form->FStock[1], 12);
    EXPECT_EQ(form->FStock[2], 255);
    EXPECT_EQ(form->FWeek, 1);
    EXPECT_EQ(form->FHistory[0].Stock[2], 255);
}

TEST_F(ClientTest, AnOrderReceiptCountsOnlyWhenItMatchesTheOrderSent) {
    CreateForm();
    StartGame(0, true);
    form->SpinEdit_FtOrder->SetValue(6);
    form->SpinEdit_FtShipM->SetValue(4);
    form->Button_FtOrder->click();
    ASSERT_EQ(form->FOrderSent, 6);

    peer->Send("TS_PO:Received!:07\t");
    ASSERT_TRUE(Sync());
    EXPECT_EQ(form->FHistory[0].OrderSent, 0);
    peer->Send("TS_PO:received!:06\tTS_PO:Received!:006\t");
    ASSERT_TRUE(Sync());
    EXPECT_EQ(form->FHistory[0].OrderSent, 0);
    peer->Send("TS_PO:Received!:06\t");
    ASSERT_TRUE(Sync());
    EXPECT_EQ(form->FHistory[0].OrderSent, 6);

    // The shipment receipt is taken whatever it says.
    peer->Send("TS_PS:Received!:09\t");
    ASSERT_TRUE(Sync());
    EXPECT_EQ(form->FShipSent, 9);
    EXPECT_EQ(form->FHistory[0].ShipSent, 9);

    // After the next week message nothing has been ordered.
    peer->Send(StateBlock("02", {11, 12, 12, 12}, {4, 4, 4, 4}, {0, 0, 0, 0}));
    peer->Send("TS_PO:Received!:06\t");
    ASSERT_TRUE(Sync());
    EXPECT_EQ(form->FOrderSent, -1);
    ASSERT_EQ(form->FHistory.size(), 2u);
    EXPECT_EQ(form->FHistory[1].OrderSent, 0);
}

TEST_F(ClientTest, RoleFlagsTakeTheRoleInAnyCaseButOnlyAnUpperCaseLetter) {
    CreateForm();
    ConnectToServer();
    peer->Send("TS_Jn:w1:T\tTS_Jn:Ft:t\tTS_Jn:Rt-T\tTS_Od:rT:T\t");
    ASSERT_TRUE(Sync());
    EXPECT_TRUE(form->FJoined[1]);
    EXPECT_FALSE(form->FJoined[0]);
    EXPECT_FALSE(form->FJoined[3]);
    EXPECT_TRUE(form->FDecided[3]);
    EXPECT_EQ(Text(form->Label_W1Join), "Distributor : Fulfilled");
    EXPECT_TRUE(form->Label_W1Join->font().bold());
    EXPECT_EQ(Text(form->Label_FtJoin), "Factory : Waiting");
    EXPECT_FALSE(form->Label_FtJoin->font().bold());
    EXPECT_EQ(Text(form->Label_RtInput), "Retailer : Ordered");
    EXPECT_TRUE(form->Label_RtInput->font().bold());
    peer->Send("TS_Jn:W1:F\t");
    ASSERT_TRUE(Sync());
    EXPECT_EQ(Text(form->Label_W1Join), "Distributor : Waiting");
    EXPECT_FALSE(form->Label_W1Join->font().bold());
}

// ---- A week ---------------------------------------------------------------------------------

TEST_F(ClientTest, StartRefreshesBeforeItsBoxThenShowsTheStatusPage) {
    CreateForm();
    ConnectToServer();
    peer->Send("TS_Cn:Welcome!\tTS_Pl:Let's Play!\tTS_Od:Ft:T\t");
    ASSERT_TRUE(Sync());
    dialogs.Clear();
    dialogs.Answer(mrOk, [&] {
        EXPECT_EQ(form->FState, csPlaying);
        EXPECT_FALSE(form->FDecided[0]);
        EXPECT_EQ(Text(form->Label_FtInput), "Factory : Notyet");
        EXPECT_EQ(form->PageControl->ActivePageIndex(), 0);
    });
    peer->Send("TS_Gm:Start!\t");
    ASSERT_TRUE(WaitUntil([&] { return Status() == "Start !"; }));
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep", Box("Start !")}));
    EXPECT_EQ(form->PageControl->ActivePageIndex(), 1);
}

TEST_F(ClientTest, ADecisionInManualShippingSendsTheOrderThenTheShipment) {
    CreateForm();
    StartGame(0, true);
    form->SpinEdit_FtOrder->SetValue(6);
    form->SpinEdit_FtShipM->SetValue(4);
    form->Button_FtOrder->click();
    EXPECT_EQ(form->FState, csDecided);
    EXPECT_FALSE(form->Button_FtOrder->isEnabled());
    ASSERT_TRUE(peer->WaitForMessages(2));
    EXPECT_EQ(peer->Messages(), (Lines{"TC_PO:Ft:T01:06\t", "TC_PS:Ft:T01:04\t"}));

    // After a resume the same week may be decided again, also through the menu.
    peer->Clear();
    peer->Send("TS_Gm:ReStart!\t");
    ASSERT_TRUE(WaitUntil([&] { return form->FState == csPlaying; }));
    form->Menu_Game->aboutToShow();
    ASSERT_TRUE(form->MItem_Order->isEnabled());
    form->MItem_Order->trigger();
    ASSERT_TRUE(peer->WaitForMessages(2));
    EXPECT_EQ(peer->Messages(), (Lines{"TC_PO:Ft:T01:06\t", "TC_PS:Ft:T01:04\t"}));
}

// The amounts typed and not left yet (the menu command keeps the focus in the field): the
// fields then show what was sent.
TEST_F(ClientTest, TheDecisionSentIsWhatTheFieldsShowBeforeTheyAreLeft) {
    CreateForm();
    StartGame(0, true);
    form->SpinEdit_FtOrder->SetText("9x");
    form->SpinEdit_FtShipM->SetText(" 9");
    form->MItem_Order->trigger();
    ASSERT_TRUE(peer->WaitForMessages(2));
    EXPECT_EQ(peer->Messages(), (Lines{"TC_PO:Ft:T01:00\t", "TC_PS:Ft:T01:00\t"}));
    EXPECT_EQ(form->SpinEdit_FtOrder->Text(), "0");
    EXPECT_EQ(form->SpinEdit_FtShipM->Text(), "0");

    peer->Clear();
    peer->Send("TS_Gm:ReStart!\t");
    ASSERT_TRUE(WaitUntil([&] { return form->FState == csPlaying; }));
    form->SpinEdit_FtOrder->SetText("+7");
    form->SpinEdit_FtShipM->SetText("08");
    form->Button_FtOrder->click();
    ASSERT_TRUE(peer->WaitForMessages(2));
    EXPECT_EQ(peer->Messages(), (Lines{"TC_PO:Ft:T01:07\t", "TC_PS:Ft:T01:08\t"}));
    EXPECT_EQ(form->SpinEdit_FtOrder->Text(), "7");
    EXPECT_EQ(form->SpinEdit_FtShipM->Text(), "8");
}

TEST_F(ClientTest, WithoutManualShippingOnlyTheOrderIsSent) {
    CreateForm();
    StartGame(1, false);
    form->SpinEdit_W1Order->SetValue(99);
    form->SpinEdit_W1ShipM->SetValue(3);
    EXPECT_FALSE(form->SpinEdit_W1ShipM->isEnabled());
    form->Button_W1Order->click();
    ASSERT_TRUE(peer->WaitForMessages(1));
    ASSERT_TRUE(Sync());
    EXPECT_EQ(peer->Messages(), Lines{"TC_PO:W1:T01:63\t"});
    EXPECT_EQ(form->FShipSent, 3);
}

TEST_F(ClientTest, TheStatusTextsOfAnOpenWeekAndOfAWeekDecided) {
    CreateForm();
    StartGame(3, false);
    peer->Send(StateBlock("05", {12, 11, 10, 9}, {-1, -1, -1, 8}, {0, 0, 0, 3}) +
               "TS_GN:Benvik Group\t");
    ASSERT_TRUE(WaitUntil([&] { return form->FGroupName == "Benvik Group"; }));
    EXPECT_EQ(Status(), " (5Week)");
    EXPECT_EQ(Title(form->GroupBox_Game), Sjis("「Benvik Group」 - Status : 5 Week"));
    EXPECT_EQ(Text(form->Label_FtStock), "Factorys current inventory     : 12");
    EXPECT_EQ(Text(form->Label_W1Stock), "Distributors current inventory : 11");
    EXPECT_EQ(Text(form->Label_W2Stock), "Wholesalers current inventory  : 10");
    EXPECT_EQ(Text(form->Label_RtStock), "Retailers current inventory    : 9");
    EXPECT_EQ(Text(form->Label_RtBLCost), "Lastweek backlog : 3");
    EXPECT_EQ(Text(form->Label_RtDemand), "Demand in market : 8");
    for (QWidget* w :
         {static_cast<QWidget*>(form->Label_FtDemand), static_cast<QWidget*>(form->Label_W2BLCost),
          static_cast<QWidget*>(form->SpinEdit_W1Order),
          static_cast<QWidget*>(form->Button_FtOrder)})
        EXPECT_TRUE(w->isHidden()) << w->objectName().toStdString();
    EXPECT_FALSE(form->Label_RtDemand->isHidden());
    EXPECT_FALSE(form->Button_RtOrder->isHidden());
    EXPECT_EQ(Text(form->Label_FtDemand), "Ordered : ?");
    EXPECT_EQ(Text(form->Label_FtBLCost), "Lastweek backlog : ?");

    form->SpinEdit_RtOrder->SetValue(7);
    form->Button_RtOrder->click();
    EXPECT_EQ(Status(), " (5Week) - Waiting for another player.");
    EXPECT_EQ(Text(form->Label_RtDemand), "Demand in market : 8");
    EXPECT_EQ(Text(form->Label_RtStock), "Retailers current inventory    : 9");
    ASSERT_TRUE(peer->WaitForMessages(1));
    EXPECT_EQ(peer->Messages(), Lines{"TC_PO:Rt:T05:07\t"});
}

TEST_F(ClientTest, PauseTakesEffectOnlyWhenItsBoxIsClosedAndResumeKeepsTheDecisions) {
    CreateForm();
    StartGame(0, false);
    peer->Send("TS_Od:W1:T\t");
    ASSERT_TRUE(Sync());
    dialogs.Answer(mrOk, [&] {
        EXPECT_EQ(form->FState, csPlaying);
        peer->Send("TS_Ft:09\t");
        EXPECT_TRUE(WaitUntil([&] { return form->FStock[0] == 9; }));
        EXPECT_EQ(form->FState, csPlaying);
    });
    peer->Send("TS_Gm:Pause!\t");
    ASSERT_TRUE(WaitUntil([&] { return form->FState == csPaused; }));
    EXPECT_EQ(Status(), "Paused");
    EXPECT_FALSE(form->Button_FtOrder->isEnabled());
    EXPECT_TRUE(form->SpinEdit_FtOrder->isEnabled());

    form->PageControl->SetActivePageIndex(0);
    dialogs.Clear();
    peer->Send("TS_Gm:ReStart!\t");
    ASSERT_TRUE(WaitUntil([&] { return Status() == "Resumed"; }));
    EXPECT_EQ(form->FState, csPlaying);
    EXPECT_TRUE(form->FDecided[1]);
    EXPECT_EQ(form->PageControl->ActivePageIndex(), 1);
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep", Box("Resumed")}));
}

TEST_F(ClientTest, AResumptionWhileThePauseBoxIsOpenLeavesThePlayerPlaying) {
    CreateForm();
    StartGame(0, false);
    const std::string resume =
        "TS_Gm:ReStart!\t" + StateBlock("01", {12, 12, 12, 12}, {4, -1, -1, -1}, {0, 0, 0, 0});
    // The game master pauses and resumes before the player has closed the pause box.
    dialogs.Answer(mrOk, [&] {
        peer->Send(resume);
        EXPECT_TRUE(Sync());
        EXPECT_EQ(form->FState, csPlaying);
        EXPECT_EQ(dialogs.Boxes().size(), 1u); // the resumption's box waits
    });
    peer->Send("TS_Gm:Pause!\t");
    ASSERT_TRUE(WaitUntil([&] { return Status() == "Resumed"; }));
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep", Box("Paused"), "beep", Box("Resumed")}));
    EXPECT_EQ(form->FState, csPlaying);
    ASSERT_TRUE(form->Button_FtOrder->isEnabled());

    // A pause that arrives behind a text waits for the text's box, and is still handled before
    // the resumption that comes while that box is open.
    dialogs.Clear();
    dialogs.Answer(mrOk, [&] {
        peer->Send(resume);
        EXPECT_TRUE(Sync());
    });
    peer->Send("TS_SM:Hold on\tTS_Gm:Pause!\t");
    ASSERT_TRUE(WaitUntil([&] { return dialogs.Boxes().size() == 3; }));
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep", "information(OK): Hold on", "beep", Box("Paused"),
                                      "beep", Box("Resumed")}));
    EXPECT_EQ(form->FState, csPlaying);

    form->SpinEdit_FtOrder->SetValue(6);
    form->Button_FtOrder->click();
    ASSERT_TRUE(peer->WaitForMessages(1));
    EXPECT_EQ(peer->Messages(), Lines{"TC_PO:Ft:T01:06\t"});
}

TEST_F(ClientTest, TheFinalWeekIsAnsweredWithTheNextWeeksEmptyOrderAndShipment) {
    CreateForm();
    StartGame(1, false);
    for (int week = 2; week <= 0x1D; ++week) {
        char w[3];
        std::snprintf(w, sizeof w, "%02X", week);
        peer->Send(StateBlock(w, {12, 12, 12, 12}, {4, 4, 4, 4}, {0, 0, 0, 0}));
    }
    peer->Send("TS_GN:Benvik Group\t");
    ASSERT_TRUE(WaitUntil([&] { return form->FGroupName == "Benvik Group"; }));
    ASSERT_EQ(form->FWeek, 29);
    ASSERT_EQ(form->FHistory.size(), 29u);
    peer->Clear();
    dialogs.Clear();

    peer->Send("TS_Tn:Fn\t");
    ASSERT_TRUE(WaitUntil([&] { return Status() == "Finished"; }));
    EXPECT_EQ(form->FState, csPlaying);
    EXPECT_EQ(form->FWeek, 30);
    EXPECT_EQ(form->FHistory.size(), 30u);
    EXPECT_FALSE(form->FNotifyAccept);
    EXPECT_EQ(Title(form->GroupBox_Game), "[Benvik Group] - Status : Finished");
    EXPECT_EQ(form->ListView_History->Count(), 29);
    ASSERT_TRUE(peer->WaitForMessages(2));
    EXPECT_EQ(peer->Messages(), (Lines{"TC_PO:W1:T1E:00\t", "TC_PS:W1:T1E:00\t"}));
    EXPECT_TRUE(dialogs.Trace().empty());
}

TEST_F(ClientTest, GameOverClosesTheConnectionAndShowsTheHistoryWithTotals) {
    CreateForm();
    StartGame(0, true);

    form->SpinEdit_FtOrder->SetValue(6);
    form->SpinEdit_FtShipM->SetValue(4);
    form->Button_FtOrder->click();
    peer->Send("TS_PO:Received!:06\tTS_Od:Ft:T\tTS_Od:W1:F\tTS_Od:W2:F\tTS_Od:Rt:F\t"
               "TS_PS:Received!:04\t" +
               StateBlock("02", {10, 12, 13, 12}, {5, -1, -1, -1}, {1, 0, 0, 0}));
    ASSERT_TRUE(WaitUntil([&] { return form->FWeek == 2 && form->FBacklog == 1; }));
    EXPECT_FALSE(form->FDecided[0]);

    form->SpinEdit_FtOrder->SetValue(7);
    form->SpinEdit_FtShipM->SetValue(5);
    form->Button_FtOrder->click();
    peer->Send("TS_PO:Received!:07\tTS_PS:Received!:05\t" +
               StateBlock("Fn", {9, 11, 12, 12}, {6, -1, -1, -1}, {2, 0, 0, 0}));
    ASSERT_TRUE(peer->WaitForMessages(6));
    EXPECT_EQ(peer->Messages(),
              (Lines{"TC_PO:Ft:T01:06\t", "TC_PS:Ft:T01:04\t", "TC_PO:Ft:T02:07\t",
                     "TC_PS:Ft:T02:05\t", "TC_PO:Ft:T03:00\t", "TC_PS:Ft:T03:00\t"}));
    ASSERT_TRUE(WaitUntil([&] { return form->FHistory.size() == 3 && form->FBacklog == 2; }));
    dialogs.Clear();

    peer->Send("TS_PO:Received!:00\tTS_PS:Received!:00\t");
    peer->Send("TS_SM:Result\r\rTotal cost 12\r\t");
    // The server's refresh after the end arrives with it; the closed client does not read it.
    peer->Send("TS_Gm:Over!\tTS_Pl:Let's Play!\tTS_GN:Benvik Group\tTS_MS:T\t");
    ASSERT_TRUE(WaitUntil([&] { return form->FState == csFinished; }));
    EXPECT_TRUE(peer->WaitClosed());
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep", "information(OK): Result\r\n\r\nTotal cost 12",
                                      "beep", "beep", Box("Finished and Disconnected")}));
    EXPECT_EQ(form->PageControl->ActivePageIndex(), 2);
    EXPECT_TRUE(form->FNotifyAccept);
    EXPECT_TRUE(form->FGroupName.empty());
    EXPECT_EQ(form->FWeek, -1);
    ASSERT_EQ(form->FHistory.size(), 3u);
    EXPECT_EQ(form->FHistory[2].OrderSent, 0);
    EXPECT_EQ(form->FHistory[2].ShipSent, 0);
    EXPECT_EQ(form->FHistory[2].Backlog, 2);
    EXPECT_FALSE(form->CheckBox_Connect->isChecked());
    EXPECT_TRUE(form->Edit_Server->isEnabled());
    EXPECT_EQ(Status(), Sjis("Finished！"));
    EXPECT_EQ(Title(form->GroupBox_Game), Sjis("「」 - Status : Finished！"));

    TListView* list = form->ListView_History;
    ASSERT_EQ(list->Count(), 4);
    auto row = [&](int r) {
        std::string s = list->Item(r)->Caption();
        for (const auto& cell : list->Item(r)->SubItems()) s += " " + cell;
        return s;
    };
    EXPECT_EQ(row(0), "1 12 12 12 12 0 4 6 4");
    EXPECT_EQ(row(1), "2 10 12 13 12 1 5 7 5");
    EXPECT_EQ(row(2), "Total 22 24 25 24 1 9 13 9");
    EXPECT_EQ(row(3), "Average 11 12 12.5 12 0.5 4.5 6.5 4.5");

    const std::string saved = Folder() + "/history.txt";
    dialogs.ChooseFile(saved);
    form->MItem_SaveClick(form->MItem_Save);
    EXPECT_EQ(ReadFile(saved),
              "Week\tFactory Inventory\tDistributor Inventory\tWholesaler Inventory\t"
              "Retailer Inventory\tBacklog\tOrdered\tOrder\tShipment\r\n"
              "1\t12\t12\t12\t12\t0\t4\t6\t4\r\n"
              "2\t10\t12\t13\t12\t1\t5\t7\t5\r\n"
              "Total\t22\t24\t25\t24\t1\t9\t13\t9\r\n"
              "Average\t11\t12\t12.5\t12\t0.5\t4.5\t6.5\t4.5\r\n");
}

// ---- Chat -----------------------------------------------------------------------------------

TEST_F(ClientTest, AChatMessageGoesOutInPiecesThenIsConfirmedAndCleared) {
    CreateForm();
    form->RadioGroup_Play->SetItemIndex(1);
    form->RadioGroup_Target->SetItemIndex(3);
    ConnectToServer();
    peer->Clear();
    dialogs.Clear();
    bool sentBeforeBox = false;
    dialogs.Answer(mrOk, [&] {
        sentBeforeBox = true;
        EXPECT_EQ(form->Memo_Msg->toPlainText(), "a\nb");
    });
    form->Memo_Msg->setPlainText("a\nb");
    form->Button_SendMsg->click();
    EXPECT_TRUE(sentBeforeBox);
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep", Box("Send a Message.")}));
    EXPECT_TRUE(form->Memo_Msg->toPlainText().isEmpty());
    ASSERT_TRUE(peer->WaitForMessages(1));
    EXPECT_EQ(peer->Received(), "TC_SM:W1:Rt:a\rb\r\t");
}

TEST_F(ClientTest, ATabNeverGoesIntoAChatText) {
    CreateForm();
    form->RadioGroup_Play->SetItemIndex(1);
    form->RadioGroup_Target->SetItemIndex(3);
    ConnectToServer();
    peer->Clear();
    // Tab moves the focus on, as in the other fields.
    form->show();
    form->Memo_Msg->setFocus();
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, "\t");
    QApplication::sendEvent(form->Memo_Msg, &tab);
    EXPECT_TRUE(form->Memo_Msg->toPlainText().isEmpty());
    EXPECT_NE(form->focusWidget(), form->Memo_Msg);
    // A pasted TAB (it would end the message on the wire) goes as a blank.
    QApplication::clipboard()->setText("\ta\tb\nc\t");
    form->Memo_Msg->paste();
    ASSERT_EQ(form->Memo_Msg->toPlainText(), "\ta\tb\nc\t");
    form->Button_SendMsg->click();
    ASSERT_TRUE(peer->WaitForMessages(1));
    EXPECT_EQ(peer->Received(), "TC_SM:W1:Rt: a b\rc \r\t");
}

TEST_F(ClientTest, ABlankChatMessageIsNeitherSentNorCleared) {
    CreateForm();
    ConnectToServer();
    peer->Clear();
    dialogs.Clear();
    form->Memo_Msg->setPlainText("  \n ");
    form->Button_SendMsg->click();
    form->RadioGroup_Target->SetItemIndex(-1);
    form->Memo_Msg->setPlainText("Hello");
    form->Button_SendMsg->click();
    ASSERT_TRUE(Sync());
    EXPECT_TRUE(peer->Received().empty());
    EXPECT_TRUE(dialogs.Trace().empty());
    EXPECT_EQ(form->Memo_Msg->toPlainText(), "Hello");
}

TEST_F(ClientTest, AServerTextIsShownTrimmedAndATextWithoutFirstLineIsIgnored) {
    CreateForm();
    ConnectToServer();
    dialogs.Clear();
    peer->Send("TS_SM:\rHidden\r\tTS_SM:FactoryMessage\r\rHello \r\t");
    ASSERT_TRUE(WaitUntil([&] { return dialogs.Boxes().size() == 1; }));
    ASSERT_TRUE(Sync());
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep", "information(OK): FactoryMessage\r\n\r\nHello"}));
    EXPECT_EQ(form->FState, csWaitAccept);
}

TEST_F(ClientTest, TextsThatComeWhileABoxIsOpenWaitTheirTurnAndThoseBeyondTheBoundAreCounted) {
    CreateForm();
    ConnectToServer();
    dialogs.Clear();
    const std::size_t waiting = TTrovGameClientForm::kWaitingBoxes;
    dialogs.Answer(mrOk, [&] {
        std::string texts;
        for (std::size_t i = 1; i <= waiting + 3; ++i)
            texts += "TS_SM:Text " + std::to_string(i) + "\t";
        peer->Send(texts);
        // Reading goes on while the box is open, and opens no box inside it.
        EXPECT_TRUE(Sync());
        EXPECT_EQ(dialogs.Boxes().size(), 1u);
    });
    peer->Send("TS_SM:Text 0\t");
    ASSERT_TRUE(WaitUntil([&] { return dialogs.Boxes().size() == waiting + 2; }));
    const std::vector<ScriptedDialogs::Event> boxes = dialogs.Boxes();
    for (std::size_t i = 0; i <= waiting; ++i)
        EXPECT_EQ(boxes[i].text, "Text " + std::to_string(i));
    EXPECT_EQ(boxes.back().text, "3 more messages from the server were not shown.");
    EXPECT_EQ(dialogs.Beeps(), static_cast<int>(waiting) + 2);
}

TEST_F(ClientTest, AServerTextTooLongForABoxIsCutWithANote) {
    CreateForm();
    ConnectToServer();
    dialogs.Clear();
    // A double-byte character whose second byte looks like a first byte, never split.
    const std::string wide = Sjis("亜");
    std::string longText = "a";
    for (int i = 0; i < 1100; ++i) longText += wide;
    std::string manyLines;
    for (int i = 1; i <= 50; ++i) manyLines += "line " + std::to_string(i) + "\r";
    peer->Send("TS_SM:" + longText + "\tTS_SM:" + manyLines + "\t");
    ASSERT_TRUE(WaitUntil([&] { return dialogs.Boxes().size() == 2; }));

    const std::string note = "\r\n(The message was too long and has been cut.)";
    std::string shownText = "a";
    for (int i = 0; i < 1023; ++i) shownText += wide;
    std::string shownLines = "line 1";
    for (int i = 2; i <= 40; ++i) shownLines += "\r\nline " + std::to_string(i);
    EXPECT_EQ(dialogs.Boxes()[0].text, shownText + note);
    EXPECT_EQ(dialogs.Boxes()[1].text, shownLines + note);
}

// ---- Handling without a connection ----------------------------------------------------------

TEST_F(ClientTest, ValuesBeforeTheFirstWeekWriteNoRecordAndDoNotRefresh) {
    CreateForm();
    form->StatusBar->SetSimpleText("untouched");
    form->ParseServerLine("TS_Ft:0C");
    EXPECT_EQ(form->FStock[0], 12);
    EXPECT_TRUE(form->FHistory.empty());
    EXPECT_EQ(Status(), "untouched");

    form->ParseServerLine("TS_Tn:1C");
    form->ParseServerLine("TS_Tn:1D");
    EXPECT_EQ(form->FWeek, 29);
    ASSERT_EQ(form->FHistory.size(), 29u);
    form->ParseServerLine("TS_Ft:0C");
    EXPECT_EQ(form->FHistory[28].Stock[0], 12);
    EXPECT_EQ(form->ListView_History->Count(), 28);

    // A week that does not read as 0..127 leaves the history as it is.
    form->ParseServerLine("TS_Tn:80");
    EXPECT_EQ(form->FWeek, -128);
    EXPECT_EQ(form->FHistory.size(), 29u);
}

TEST_F(ClientTest, TheFinalWeekWithoutAConnectionAdvancesTheWeekButSendsAndShowsNothing) {
    CreateForm();
    form->ParseServerLine("TS_Tn:03");
    form->StatusBar->SetSimpleText("untouched");
    form->ParseServerLine("TS_Tn:Fn");
    EXPECT_EQ(form->FState, csPlaying);
    EXPECT_EQ(form->FWeek, 4);
    EXPECT_EQ(form->FHistory.size(), 4u);
    EXPECT_EQ(Status(), "untouched");
}

TEST_F(ClientTest, ALowerCaseShippingModeChangesNothingButRefreshes) {
    CreateForm();
    form->ParseServerLine("TS_MS:T");
    EXPECT_TRUE(form->FShipManual);
    form->StatusBar->SetSimpleText("untouched");
    form->ParseServerLine("TS_MS:t");
    EXPECT_TRUE(form->FShipManual);
    EXPECT_EQ(Status(), "disconnected.");
    form->ParseServerLine("TS_MS:FF");
    EXPECT_TRUE(form->FShipManual);
    form->ParseServerLine("ts_MS:F");
    EXPECT_TRUE(form->FShipManual);
    form->ParseServerLine("TS_MS:F");
    EXPECT_FALSE(form->FShipManual);
}

TEST_F(ClientTest, GameEndsAlsoWhenTheServerClosesDuringTheReport) {
    CreateForm();
    StartGame(0, false);
    // The report and the end come in one batch; the server goes away while the player reads
    // the report. Its end waits for the rest of the batch.
    dialogs.Answer(platform::mrOk, [&] {
        peer->Close();
        EXPECT_TRUE(WaitUntil([&] { return !form->ClientSocket->Socket()->Connected(); }));
        EXPECT_EQ(form->FState, csPlaying);
    });
    peer->Send("TS_SM:Result\r\tTS_Gm:Over!\t");
    ASSERT_TRUE(WaitUntil([&] { return form->FState == csFinished; }));
    EXPECT_EQ(form->PageControl->ActivePageIndex(), 2);
    EXPECT_FALSE(form->CheckBox_Connect->isChecked());
    EXPECT_TRUE(form->FGroupName.empty());
}

TEST_F(ClientTest, TheServersEndTakesEffectAfterWhatCameBeforeItBoxesIncluded) {
    for (const bool reset : {true, false}) {
        SCOPED_TRACE(reset ? "reset" : "end of sending");
        CreateForm();
        form->RadioGroup_Play->SetItemIndex(0);
        ConnectToServer();
        dialogs.Clear();
        // The server's connection ends while the welcome box is open: the messages after the
        // welcome are handled, boxes and all, and then the end.
        dialogs.Answer(mrOk, [&] {
            if (reset)
                peer->Reset();
            else
                peer->ShutdownSending();
            EXPECT_TRUE(WaitUntil([&] { return !form->ClientSocket->Socket()->Connected(); }));
            EXPECT_EQ(form->FState, csWaitAccept);
        });
        peer->Send("TS_Cn:Welcome!\tTS_Pl:Let's Play!\tTS_GN:Benvik Group\tTS_MS:T\t"
                   "TS_Gm:Start!\tTS_Tn:01\t");
        ASSERT_TRUE(WaitUntil([&] { return dialogs.Boxes().size() == 3; }));
        ASSERT_TRUE(WaitUntil([&] { return form->FState == csDisconnected; }));
        ASSERT_TRUE(RunPostedCalls());
        EXPECT_EQ(dialogs.Trace(),
                  (Lines{"beep", Box("Connected. Waiting for acceptance."), "beep",
                         Box("Accepted. Waiting for the start."), "beep", Box("Start !"), "beep"}));
        EXPECT_EQ(form->FState, csDisconnected);
        EXPECT_EQ(form->FWeek, -1);
        EXPECT_TRUE(form->FGroupName.empty());
        EXPECT_FALSE(form->CheckBox_Connect->isChecked());
        EXPECT_FALSE(form->Roles[0].OrderButton->isEnabled());
        EXPECT_EQ(Status(), "disconnected.");
        peer.reset();
        form.reset();
    }
}

TEST_F(ClientTest, ANewGameStartsItsHistoryEmptyAndAResumedGameKeepsIt) {
    CreateForm();
    StartGame(0, false);
    form->FHistory[0].OrderSent = 8;
    form->FHistory[0].ShipSent = 9;
    const std::string week1 = StateBlock("01", {12, 12, 12, 12}, {4, -1, -1, -1}, {0, 0, 0, 0});
    peer->Send("TS_Gm:ReStart!\t" + week1);
    ASSERT_TRUE(Sync());
    ASSERT_EQ(form->FHistory.size(), 1u);
    EXPECT_EQ(form->FHistory[0].ShipSent, 9);

    peer->Send("TS_Gm:Start!\t" + week1);
    ASSERT_TRUE(Sync());
    ASSERT_EQ(form->FHistory.size(), 1u);
    EXPECT_EQ(form->FHistory[0].OrderSent, 0);
    EXPECT_EQ(form->FHistory[0].ShipSent, 0);
    EXPECT_EQ(form->FHistory[0].Stock[0], 12);
}

TEST_F(ClientTest, OrderReceiptIsComparedAsASignedNumber) {
    CreateForm();
    StartGame(0, false);
    // After a week message no order is sent (-1): a receipt of FF matches it.
    peer->Send("TS_PO:Received!:FF\t");
    ASSERT_TRUE(Sync());
    EXPECT_EQ(form->FHistory.back().OrderSent, -1);
}
