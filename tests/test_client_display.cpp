// The client window's refresh: enabled and visible controls by state and role, the history list
// with its totals, copying and saving the history, the list's keys and the menus' items.
#include "platform/KeyEvents.h"
#include "test_client_fixture.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace platform;

namespace {

std::string Row(TListView* list, int r) {
    std::string s = list->Item(r)->Caption();
    for (const auto& cell : list->Item(r)->SubItems()) s += " " + cell;
    return s;
}

std::string Clipboard() {
    return ToSjis(QApplication::clipboard()->text());
}

void PressKey(QWidget* widget, int key, Qt::KeyboardModifiers modifiers) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(widget, &press);
}

} // namespace

class ClientDisplayTest : public ClientTest {
protected:
    void SetUp() override {
        ClientTest::SetUp();
        CreateForm();
    }

    void SetState(std::uint8_t state, int role = 0, bool manual = false) {
        form->RadioGroup_Play->SetItemIndex(role);
        form->FState = static_cast<TClientState>(state);
        form->FShipManual = manual;
        form->UpdateView();
    }

    // A history of `weeks` finished weeks and the week in progress; `backlog(i)` gives week
    // i's backlog.
    void SetHistory(
        int weeks, const std::function<int(int)>& backlog = [](int) { return 0; }) {
        form->FHistory.assign(static_cast<std::size_t>(weeks + 1), THistoryRec{});
        for (int i = 0; i < weeks; ++i) {
            THistoryRec& rec = form->FHistory[static_cast<std::size_t>(i)];
            rec.Stock[0] = static_cast<std::uint8_t>(12 + i);
            rec.Stock[1] = rec.Stock[2] = rec.Stock[3] = 12;
            rec.Backlog = static_cast<std::uint8_t>(backlog(i));
            rec.Demand = 4;
            rec.OrderSent = 6;
            rec.ShipSent = 4;
        }
    }

    TListView* List() const { return form->ListView_History; }
};

// ---- Enabling and the role column -----------------------------------------------------------

TEST_F(ClientDisplayTest, ControlsAreEnabledByStateShippingModeAndOwnRole) {
    // As a Wholesaler: the connection settings, Connect, chat, the inventories, the own order
    // and shipment entries and OK, the other players' inputs, and another role's order entry.
    const std::vector<QWidget*> controls = {
        form->Edit_Server,    form->CheckBox_Connect, form->Memo_Msg,
        form->Label_FtStock,  form->SpinEdit_W2Order, form->SpinEdit_W2ShipM,
        form->Button_W2Order, form->GroupBox_Input,   form->SpinEdit_W1Order};
    const std::tuple<std::uint8_t, bool, const char*> table[] = {
        {csDisconnected, true, "110000000"}, {csWaitAccept, true, "011000000"},
        {csAccepted, true, "001111000"},     {csPlaying, true, "001111110"},
        {csPlaying, false, "001110110"},     {csPaused, true, "001111010"},
        {csDecided, true, "001111010"},      {csFinished, true, "111100010"},
    };
    for (const auto& [state, manual, expected] : table) {
        SetState(state, 2, manual);
        std::string enabled;
        for (QWidget* w : controls) enabled += w->isEnabled() ? '1' : '0';
        EXPECT_EQ(enabled, expected) << "state " << int(state) << (manual ? " manual" : "");
    }
}

TEST_F(ClientDisplayTest, OnlyTheOwnRolesColumnIsShownAndNoneWithoutARole) {
    SetState(csPlaying, 1);
    for (int i = 0; i < 4; ++i) {
        const auto& role = form->Roles[static_cast<std::size_t>(i)];
        for (QWidget* w : std::initializer_list<QWidget*>{role.Demand, role.BLCost, role.OrderLabel,
                                                          role.ShipMLabel, role.Order, role.ShipM,
                                                          role.OrderButton})
            EXPECT_EQ(w->isHidden(), i != 1) << w->objectName().toStdString();
        EXPECT_FALSE(role.Stock->isHidden());
    }
    SetState(csPlaying, -1);
    for (const auto& role : form->Roles) {
        EXPECT_TRUE(role.OrderButton->isHidden());
        EXPECT_TRUE(role.Demand->isHidden());
        EXPECT_FALSE(role.Stock->isHidden());
    }
    EXPECT_FALSE(form->Label_Cursor1->isHidden());
}

TEST_F(ClientDisplayTest, TheStatusBarTextOfEachState) {
    form->FWeek = 7;
    const std::pair<std::uint8_t, std::string> texts[] = {
        {csDisconnected, "disconnected."},
        {csWaitAccept, "Connected. Waiting for acceptance."},
        {csAccepted, "Accepted. Waiting for the start."},
        {csPlaying, " (7Week)"},
        {csPaused, "Paused"},
        {csDecided, " (7Week) - Waiting for another player."},
        {csFinished, Sjis("Finished！")},
    };
    for (const auto& [state, text] : texts) {
        SetState(state);
        EXPECT_EQ(Status(), text) << int(state);
    }
    form->StatusBar->SetSimpleText("kept");
    SetState(0);
    EXPECT_EQ(Status(), "kept");
}

// ---- History list ---------------------------------------------------------------------------

TEST_F(ClientDisplayTest, AHistoryOfOneRecordLeavesTheListAndTwoRecordsGiveOneRow) {
    List()->Add()->SetCaption("old");
    form->FHistory.assign(1, THistoryRec{});
    form->FillHistoryList();
    ASSERT_EQ(List()->Count(), 1);
    EXPECT_EQ(List()->Item(0)->Caption(), "old");

    form->FHistory.assign(2, THistoryRec{});
    form->FHistory[0] = THistoryRec{{12, 11, 10, 9}, 3, 8, -1, -1};
    form->FillHistoryList();
    ASSERT_EQ(List()->Count(), 1);
    EXPECT_EQ(Row(List(), 0), "1 12 11 10 9 3 8 -1 -1");
}

TEST_F(ClientDisplayTest, TotalsAndHalfToEvenAveragesAfterAFinishedGame) {
    // Ten weeks whose backlogs add up to 45.
    SetHistory(10, [](int i) { return i; });
    form->FHistory[9].OrderSent = -1;
    SetState(csFinished);
    ASSERT_EQ(List()->Count(), 12);
    EXPECT_EQ(Row(List(), 10), "Total 165 120 120 120 45 40 53 40");
    EXPECT_EQ(Row(List(), 11), "Average 16.5 12 12 12 4.5 4 5.3 4");

    // A second refresh rebuilds the rows: still one Total and one Average.
    form->UpdateView();
    EXPECT_EQ(List()->Count(), 12);
    EXPECT_EQ(List()->Item(11)->Caption(), "Average");

    // Connecting again removes them at the first refresh.
    SetState(csWaitAccept);
    EXPECT_EQ(List()->Count(), 10);
}

TEST_F(ClientDisplayTest, AveragesAreRoundedToTenThousandths) {
    SetHistory(3, [](int i) { return i == 0 ? 10 : 0; });
    SetState(csFinished);
    EXPECT_EQ(List()->Item(3)->SubItems()[4], "10");
    EXPECT_EQ(List()->Item(4)->SubItems()[4], "3.3333");

    SetHistory(32, [](int i) { return i == 5 ? 1 : 0; });
    SetState(csFinished);
    ASSERT_EQ(List()->Count(), 34);
    EXPECT_EQ(List()->Item(32)->SubItems()[4], "1");
    EXPECT_EQ(List()->Item(33)->SubItems()[4], "0.0312");
}

TEST_F(ClientDisplayTest, NoTotalsForAnEmptyList) {
    SetState(csFinished);
    EXPECT_EQ(List()->Count(), 0);
}

// ---- Copying and keys -----------------------------------------------------------------------

TEST_F(ClientDisplayTest, CopyTakesTheSelectedRowsWithTheSeparatorAndNoHeader) {
    SetHistory(3);
    SetState(csPlaying);
    List()->Item(0)->SetSelected(true);
    List()->Item(2)->SetSelected(true);
    form->MItem_CopyClick(form->MItem_Copy);
    EXPECT_EQ(Clipboard(), "1\t12\t12\t12\t12\t0\t4\t6\t4\r\n3\t14\t12\t12\t12\t0\t4\t6\t4\r\n");

    form->FColumnSep = ",";
    std::string text = "unchanged";
    form->CopyListViewRows(List(), form->FColumnSep, text, true);
    EXPECT_EQ(text, "1,12,12,12,12,0,4,6,4\r\n3,14,12,12,12,0,4,6,4\r\n");
}

TEST_F(ClientDisplayTest, CtrlCCopiesTheSelectionAndLeavesTheClipboardWithoutOne) {
    SetHistory(2);
    SetState(csPlaying);
    QApplication::clipboard()->setText("before");
    PressKey(List(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), "before");

    List()->Item(1)->SetSelected(true);
    PressKey(List(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Clipboard(), "2\t13\t12\t12\t12\t0\t4\t6\t4\r\n");

    PressKey(List(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(List()->SelCount(), 2);
}

TEST_F(ClientDisplayTest, CtrlAOnAnEmptyListDoesNothing) {
    QApplication::clipboard()->setText("before");
    std::uint16_t key = 'A';
    form->ListView_KeyDown(List(), key, TShiftState{ssCtrl});
    key = 'C';
    form->ListView_KeyDown(List(), key, TShiftState{ssCtrl});
    EXPECT_EQ(key, 'C');
    EXPECT_EQ(List()->SelCount(), 0);
    EXPECT_EQ(Clipboard(), "before");
}

// ---- Saving ---------------------------------------------------------------------------------

TEST_F(ClientDisplayTest, SavingWritesTheHeaderAndEveryRowWithCrLf) {
    SetHistory(30);
    SetState(csPlaying);
    form->FColumnSep = ";";
    const std::string file = Folder() + "/saved.txt";
    WriteFile(file, "old contents that are longer than nothing");
    dialogs.ChooseFile(file);
    form->PageControl->SetActivePageIndex(0);
    form->MItem_SaveClick(form->PItem_Save);
    EXPECT_EQ(form->PageControl->ActivePageIndex(), 2);
    ASSERT_EQ(dialogs.Log().size(), 1u);
    EXPECT_EQ(dialogs.Log()[0].file.DefaultExt, "txt");
    EXPECT_EQ(dialogs.Log()[0].file.Filter, "Text File(*.txt)|*.txt");
    EXPECT_TRUE(dialogs.Log()[0].file.Options & ofOverwritePrompt);

    const std::string saved = ReadFile(file);
    EXPECT_EQ(saved.rfind("Week;Factory Inventory;Distributor Inventory;Wholesaler Inventory;"
                          "Retailer Inventory;Backlog;Ordered;Order;Shipment\r\n"
                          "1;12;12;12;12;0;4;6;4\r\n",
                          0),
              0u);
    int lines = 0;
    for (std::size_t p = 0; (p = saved.find("\r\n", p)) != std::string::npos; p += 2) ++lines;
    EXPECT_EQ(lines, 31);
    EXPECT_EQ(saved.substr(saved.size() - 2), "\r\n");
    EXPECT_EQ(List()->SelCount(), 30);
    EXPECT_EQ(form->SaveDialog.FileName, file);
}

TEST_F(ClientDisplayTest, ACancelledSaveSaysNothingAndAFailedOneSaysSo) {
    SetHistory(2);
    SetState(csPlaying);
    dialogs.CancelFile();
    form->MItem_SaveClick(form->MItem_Save);
    EXPECT_EQ(form->PageControl->ActivePageIndex(), 2);
    EXPECT_EQ(List()->SelCount(), 0);

    dialogs.ChooseFile(Folder() + "/missing/folder/saved.txt");
    form->MItem_SaveClick(form->MItem_Save);
    EXPECT_EQ(dialogs.Trace(),
              (Lines{"save: ./", "save: ./", "beep", "error(OK): File writing error."}));
    EXPECT_FALSE(FileExists(Folder() + "/missing/folder/saved.txt"));
}

// ---- Menus ----------------------------------------------------------------------------------

TEST_F(ClientDisplayTest, HistoryItemsNeedRowsAndTheCopyItemsASelection) {
    SetState(csDisconnected);
    emit form->Menu_Game->aboutToShow();
    emit form->Menu_Edit->aboutToShow();
    emit form->PopupMenu_ListView->aboutToShow();
    for (QAction* item : {form->MItem_Save, form->MItem_Copy, form->MItem_SelAll, form->PItem_Save,
                          form->PItem_Copy, form->PItem_SelAll})
        EXPECT_FALSE(item->isEnabled()) << item->objectName().toStdString();
    EXPECT_TRUE(form->MItem_Exit->isEnabled());
    EXPECT_TRUE(form->MItem_Font->isEnabled());

    SetHistory(2);
    form->UpdateView();
    emit form->Menu_Game->aboutToShow();
    emit form->Menu_Edit->aboutToShow();
    emit form->PopupMenu_ListView->aboutToShow();
    for (QAction* item :
         {form->MItem_Save, form->MItem_SelAll, form->PItem_Save, form->PItem_SelAll})
        EXPECT_TRUE(item->isEnabled()) << item->objectName().toStdString();
    EXPECT_FALSE(form->MItem_Copy->isEnabled());
    EXPECT_FALSE(form->PItem_Copy->isEnabled());

    form->PItem_SelAll->trigger();
    emit form->Menu_Edit->aboutToShow();
    emit form->PopupMenu_ListView->aboutToShow();
    EXPECT_TRUE(form->MItem_Copy->isEnabled());
    EXPECT_TRUE(form->PItem_Copy->isEnabled());
}

TEST_F(ClientDisplayTest, TheGameMenuMirrorsTheConnectBoxTheOwnOkButtonAndSend) {
    SetState(csPlaying, -1);
    emit form->Menu_Game->aboutToShow();
    EXPECT_FALSE(form->MItem_Order->isEnabled());
    EXPECT_TRUE(form->MItem_SendMsg->isEnabled());
    EXPECT_FALSE(form->MItem_Connect->isEnabled());

    SetState(csPlaying, 3);
    emit form->Menu_Game->aboutToShow();
    EXPECT_TRUE(form->MItem_Order->isEnabled());
    SetState(csDecided, 3);
    emit form->Menu_Game->aboutToShow();
    EXPECT_FALSE(form->MItem_Order->isEnabled());

    SetState(csDisconnected, 3);
    emit form->Menu_Game->aboutToShow();
    EXPECT_TRUE(form->MItem_Connect->isEnabled());
    EXPECT_FALSE(form->MItem_Connect->isChecked());
    EXPECT_FALSE(form->MItem_SendMsg->isEnabled());
}

TEST_F(ClientDisplayTest, ConnectToTogglesTheConnectionAsTheBoxDoes) {
    server = std::make_unique<TestServer>();
    form->Edit_Server->setText("127.0.0.1");
    form->SpinEdit_Port->SetText(std::to_string(server->Port()));
    form->MItem_Connect->trigger();
    EXPECT_TRUE(form->CheckBox_Connect->isChecked());
    EXPECT_EQ(form->FState, csWaitAccept);
    peer = server->Accept();
    ASSERT_TRUE(peer);
    ASSERT_TRUE(peer->WaitForMessages(2));
    emit form->Menu_Game->aboutToShow();
    EXPECT_TRUE(form->MItem_Connect->isChecked());
    form->MItem_Connect->trigger();
    EXPECT_FALSE(form->CheckBox_Connect->isChecked());
    EXPECT_TRUE(peer->WaitClosed());
    EXPECT_EQ(form->FState, csDisconnected);
}

// The port typed and not left yet: the connection goes to the port the field then shows.
TEST_F(ClientDisplayTest, ConnectingGoesToThePortTheFieldShows) {
    form->Edit_Server->setText("127.0.0.1");
    form->SpinEdit_Port->SetText(" 9");
    form->MItem_Connect->trigger();
    EXPECT_EQ(form->SpinEdit_Port->Text(), "1024");
    EXPECT_EQ(form->ClientSocket->Port(), 1024);
    form->MItem_Connect->trigger();
    EXPECT_EQ(form->FState, csDisconnected);
}

// ---- Spin edits -----------------------------------------------------------------------------

TEST_F(ClientDisplayTest, LeavingASpinEditClampsItAndThePortGoesToTheSocket) {
    TSpinEdit* order = form->SpinEdit_FtOrder;
    // A text that is no number reads as MinValue, and shows it once left.
    for (const auto& [typed, shown] :
         std::initializer_list<std::pair<const char*, const char*>>{{"", "0"},
                                                                    {"-5", "0"},
                                                                    {"7", "7"},
                                                                    {"123", "99"},
                                                                    {"-", "0"},
                                                                    {"9x", "0"},
                                                                    {" 9", "0"},
                                                                    {"+8", "8"}}) {
        order->SetText(typed);
        form->SpinEdit_Exit(order);
        EXPECT_EQ(order->Text(), shown) << typed;
    }

    form->SpinEdit_Port->SetText("80");
    form->SpinEdit_Exit(form->SpinEdit_Port);
    EXPECT_EQ(form->SpinEdit_Port->Text(), "1024");
    EXPECT_EQ(form->ClientSocket->Port(), 1024);
    form->SpinEdit_Port->SetText(" 9");
    form->SpinEdit_Exit(form->SpinEdit_Port);
    EXPECT_EQ(form->SpinEdit_Port->Text(), "1024");
    form->SpinEdit_Port->SetText("49151");
    form->SpinEdit_Exit(form->SpinEdit_Port);
    EXPECT_EQ(form->ClientSocket->Port(), 49151);
}
