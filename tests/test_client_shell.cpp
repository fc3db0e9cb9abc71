// The client window's frame: its controls and menus by name, closing, the exception handler,
// the tray, the start-up entry, the options, the documents and the about box.
#include "test_client_fixture.h"

#include "platform/Application.h"
#include "platform/IniFile.h"
#include "platform/Shell.h"
#include "shared/PreviewTestHooks.h"
#include "shared/Sub.h"
#include "support/PretendTray.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <stdexcept>

using namespace platform;

class ClientShellTest : public ClientTest {
protected:
    void SetUp() override {
        ClientTest::SetUp();
        previousTitle_ = Application()->Title();
        Application()->SetTitle("Qon's Trov Game Client");
    }
    void TearDown() override { Application()->SetTitle(previousTitle_); }

    template <class T> T* Find(const char* name) {
        T* found = form->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

private:
    QString previousTitle_;
};

TEST_F(ClientShellTest, TheWindowHasEveryControlWithItsNameCaptionAndHint) {
    CreateForm();
    EXPECT_EQ(form->windowTitle(), "[Selvane Computer Network Trov Game Client]ver 1.00 beta 6E");
    EXPECT_EQ(form->minimumSize(), QSize(640, 480));
    EXPECT_EQ(form->maximumSize(), QSize(800, 600));
    EXPECT_EQ(form->PageControl->PageCount(), 3);
    EXPECT_EQ(form->PageControl->PageCaption(0), "Connection");
    EXPECT_EQ(form->PageControl->PageCaption(1), "Status");
    EXPECT_EQ(form->PageControl->PageCaption(2), "History");

    EXPECT_EQ(Find<QCheckBox>("CheckBox_Connect")->text(), "Connect :");
    EXPECT_EQ(Find<QLineEdit>("Edit_Server")->toolTip(), "Server name or IP address");
    EXPECT_EQ(Find<TSpinEdit>("SpinEdit_Port")->toolTip(), "Server port");
    EXPECT_EQ(Find<TSpinEdit>("SpinEdit_Port")->MaxValue(), 49151);
    EXPECT_EQ(Find<TSpinEdit>("SpinEdit_Port")->MaxLength(), 5);
    EXPECT_EQ(Find<TRadioGroup>("RadioGroup_Play")->Caption(), "Role");
    EXPECT_EQ(Find<TRadioGroup>("RadioGroup_Target")->Count(), 5);
    EXPECT_EQ(Find<QGroupBox>("GroupBox_Join")->title(), "All players status");
    EXPECT_EQ(Find<QLabel>("Label_Msg")->text(), "Message");
    EXPECT_EQ(Find<QPlainTextEdit>("Memo_Msg")->toolTip(),
              "Write your message and push the send button below.");
    EXPECT_EQ(Find<QPushButton>("Button_SendMsg")->text(), "Send");
    EXPECT_TRUE(Find<QPushButton>("Button_SendMsg")->font().bold());

    EXPECT_EQ(Find<QGroupBox>("GroupBox_Game")->title(),
              "[Group name undecided] - Status : Week ? ");
    EXPECT_EQ(Find<QGroupBox>("GroupBox_Input")->title(), "Other players");
    EXPECT_EQ(Find<QLabel>("Label_Marcket")->text(), "Market");
    EXPECT_EQ(Find<QLabel>("Label_Cursor4")->text(), "->");
    EXPECT_EQ(Find<QLabel>("Label_W1Order")->text(), "Order ");
    EXPECT_EQ(Find<QLabel>("Label_RtOrder")->text(), "Order");
    EXPECT_EQ(Find<QLabel>("Label_W2Stock")->text(), "Wholesaler Inventory");
    EXPECT_EQ(Find<QLabel>("Label_FtBLCost")->text(), "Lastweek backlog : ?");
    EXPECT_EQ(Find<QLabel>("Label_RtDemand")->text(), "Ordered : ?");
    EXPECT_EQ(Find<QLabel>("Label_W2ShipM")->text(), "Shipment");
    EXPECT_EQ(Find<TSpinEdit>("SpinEdit_W2Order")->toolTip(), "Order volume");
    EXPECT_EQ(Find<TSpinEdit>("SpinEdit_RtShipM")->toolTip(), "Set shipment volume");
    EXPECT_EQ(Find<TSpinEdit>("SpinEdit_RtShipM")->MaxValue(), 99);
    EXPECT_EQ(Find<QPushButton>("Button_W1Order")->text(), "OK");
    EXPECT_EQ(Find<QPushButton>("Button_W1Order")->toolTip(), "Push OK when you decide.");
    EXPECT_EQ(Find<QLabel>("Label_RtInput")->text(), "Retailer : Notyet");
    EXPECT_EQ(Find<QLabel>("Label_FtJoin")->text(), "Factory : Waiting");

    TListView* list = Find<TListView>("ListView_History");
    ASSERT_EQ(list->ColumnCount(), 9);
    EXPECT_EQ(list->Column(5)->Caption(), "Backlog");
    EXPECT_EQ(list->Column(8)->Caption(), "Shipment");

    const std::pair<const char*, const char*> items[] = {
        {"MItem_Connect", "Connect to(&C)"},
        {"MItem_Order", "Decision(&E)"},
        {"MItem_SendMsg", "Message(&S)"},
        {"MItem_Save", "Save(&W)"},
        {"MItem_Exit", "Exit(&E)"},
        {"MItem_Copy", "Copy the history(&C)"},
        {"MItem_SelAll", "Select all of the history(&A)"},
        {"MItem_Font", "Change fonts(&F)"},
        {"MItem_StartUp", "Start up(&S)"},
        {"MItem_StayFront", "Display in front anytime(&F)"},
        {"MItem_TaskTray", "Put on the task tray when minimized(&M)"},
        {"MItem_CloseCheck", "Confirm when it finishes(&C)"},
        {"MItem_Doc", "Complement text(&T)"},
        {"MItem_History", "History(&H)"},
        {"MItem_Info", "Version(&V)"},
        {"PItem_Copy", "Partial copy of the history(&C)"},
        {"PItem_SelAll", "Select all of the history(&A)"},
        {"PItem_Save", "Save(&W)"},
    };
    for (const auto& [name, caption] : items) {
        QAction* item = Find<QAction>(name);
        if (item) {
            EXPECT_EQ(item->text(), caption) << name;
        }
    }
    EXPECT_EQ(Find<QMenu>("Menu_Game")->title(), "Game(&G)");
    EXPECT_EQ(Find<QMenu>("Menu_Edit")->title(), "Edit(&E)");
    EXPECT_EQ(Find<QMenu>("Menu_Help")->title(), "Help(&H)");
    EXPECT_EQ(form->StatusBar->objectName(), "StatusBar");
    EXPECT_EQ(form->ClientSocket->objectName(), "ClientSocket");
}

// ---- Closing --------------------------------------------------------------------------------

TEST_F(ClientShellTest, ClosingAsksEndAndCancelKeepsTheWindowAndWritesNothing) {
    CreateForm();
    dialogs.Answer(mrCancel);
    EXPECT_FALSE(form->close());
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep", "box(Confirmation; OK Cancel): End?"}));
    EXPECT_FALSE(FileExists(IniFile()));

    dialogs.Clear();
    EXPECT_TRUE(form->close());
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep", "box(Confirmation; OK Cancel): End?"}));
    EXPECT_TRUE(FileExists(IniFile()));
}

TEST_F(ClientShellTest, WithoutTheQuestionClosingEndsTheConnectionAtOnce) {
    CreateForm();
    form->MItem_CloseCheck->trigger();
    EXPECT_FALSE(form->MItem_CloseCheck->isChecked());
    ConnectToServer();
    dialogs.Clear();
    form->MItem_Exit->trigger();
    EXPECT_TRUE(peer->WaitClosed());
    EXPECT_EQ(dialogs.Trace(), Lines{"beep"}); // the disconnect event's
    EXPECT_EQ(form->FState, csDisconnected);
    EXPECT_EQ(TIniFile(IniFile()).ReadString("System", "Close Check", ""), "0");
}

// ---- Exceptions -----------------------------------------------------------------------------

TEST_F(ClientShellTest, AnExceptionIsShownAndItsOkEndsTheProgramWithoutWritingSettings) {
    CreateForm();
    QMetaObject::invokeMethod(
        form.get(), [] { throw std::runtime_error("Something broke"); }, Qt::QueuedConnection);
    ASSERT_TRUE(WaitUntil([&] { return !dialogs.Boxes().empty(); }));
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep", "error(OK): Something broke"}));
    EXPECT_TRUE(form->Terminated());
    EXPECT_FALSE(FileExists(IniFile()));
}

TEST_F(ClientShellTest, AnExceptionDialogClosedOtherwiseReturnsToTheProgram) {
    CreateForm();
    dialogs.Answer(mrCancel);
    Application()->HandleException(std::runtime_error("Something broke"));
    EXPECT_FALSE(form->Terminated());
}

// ---- Tray -----------------------------------------------------------------------------------

TEST_F(ClientShellTest, MinimisingGoesToTheTrayOnlyWithTheOptionAndAPressBringsItBack) {
    PretendTray tray;
    CreateForm();
    form->show();
    form->showMinimized();
    ASSERT_TRUE(WaitUntil([&] { return form->isMinimized(); }));
    EXPECT_FALSE(form->FInTray);
    EXPECT_TRUE(form->isVisible());

    form->showNormal();
    ASSERT_TRUE(WaitUntil([&] { return !form->isMinimized(); }));
    form->MItem_TaskTray->trigger();
    ASSERT_TRUE(form->MItem_TaskTray->isChecked());
    form->showMinimized();
    ASSERT_TRUE(WaitUntil([&] { return form->FInTray; }));
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(form->FTrayIconData->Shown());
    EXPECT_EQ(TrayIconOf(*form->FTrayIconData)->toolTip(),
              "Selvane Computer Network Client in Task-Tray");

    // Moving the mouse over the icon does nothing; a right press restores.
    TMessage move{WM_TRAYNOTIFY, 1, 0x200, 0};
    form->WndProc(move);
    EXPECT_TRUE(form->FInTray);
    emit TrayIconOf(*form->FTrayIconData)->activated(QSystemTrayIcon::Context);
    EXPECT_FALSE(form->FInTray);
    EXPECT_FALSE(form->FTrayIconData->Shown());
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(IsStayOnTop(form.get()));

    // And again.
    form->showMinimized();
    ASSERT_TRUE(WaitUntil([&] { return form->FInTray; }));
    EXPECT_FALSE(form->isVisible());
}

TEST_F(ClientShellTest, AForcedTrayIgnoresTheOption) {
    PretendTray tray;
    CreateForm();
    form->show();
    form->MItem_StayFront->trigger();
    form->MinimizeToTray(false);
    EXPECT_FALSE(form->FInTray);
    form->MinimizeToTray(true);
    EXPECT_TRUE(form->FInTray);
    EXPECT_TRUE(form->isHidden());
    TMessage press{WM_TRAYNOTIFY, 1, WM_LBUTTONDOWN, 0};
    form->WndProc(press);
    EXPECT_FALSE(form->FInTray);
    EXPECT_FALSE(form->isHidden());
    EXPECT_TRUE(IsStayOnTop(form.get())) << "the option keeps the window in front";
}

TEST_F(ClientShellTest, TheWindowHasItsOuterSizeAndAnIconOfItsOwn) {
    CreateForm();
    form->show();
    const QSize frame = form->frameGeometry().size() - form->size();
    EXPECT_EQ(form->frameGeometry().size(), QSize(688, 554));
    EXPECT_EQ(form->minimumSize() + frame, QSize(640, 480));
    EXPECT_EQ(form->maximumSize() + frame, QSize(800, 600));
    const QImage own = form->windowIcon().pixmap(32).toImage();
    EXPECT_FALSE(own.isNull());
    EXPECT_EQ(own, ProgramIcon("client").pixmap(32).toImage());
    EXPECT_NE(own, ProgramIcon("server").pixmap(32).toImage());
    EXPECT_EQ(form->FTrayIconData->Image().cacheKey(), form->windowIcon().cacheKey());
}

// ---- Options --------------------------------------------------------------------------------

TEST_F(ClientShellTest, StayInFrontFollowsItsMark) {
    CreateForm();
    form->MItem_StayFront->trigger();
    EXPECT_TRUE(form->MItem_StayFront->isChecked());
    EXPECT_TRUE(IsStayOnTop(form.get()));
    form->MItem_StayFront->trigger();
    EXPECT_FALSE(form->MItem_StayFront->isChecked());
    EXPECT_FALSE(IsStayOnTop(form.get()));
}

TEST_F(ClientShellTest, ASavedStayInFrontMarkAloneDoesNotKeepTheWindowInFront) {
    WriteFile(IniFile(), "[System]\r\nStay Front=1\r\n");
    CreateForm();
    EXPECT_TRUE(form->MItem_StayFront->isChecked());
    EXPECT_FALSE(IsStayOnTop(form.get()));
}

TEST_F(ClientShellTest, StartUpCreatesAndDeletesTheEntryAndTheMarkFollowsTheFile) {
    CreateForm();
    const std::string link = Folder() + "/autostart/Qon's Trov Game Client" + kShortcutExtension;
    EXPECT_EQ(form->StartupLinkName(), link);
    emit form->Menu_Help->aboutToShow();
    EXPECT_FALSE(form->MItem_StartUp->isChecked());

    form->MItem_StartUp->trigger();
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep", "box(Information; OK): Start up is enabled."}));
    ASSERT_TRUE(FileExists(link));
    const std::string entry = ReadFile(link);
    EXPECT_NE(entry.find("Exec=" + ProgramFile() + " /TaskTray\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("Path=" + Folder() + "/\n"), std::string::npos) << entry;

    dialogs.Clear();
    emit form->Menu_Help->aboutToShow();
    EXPECT_TRUE(form->MItem_StartUp->isChecked());
    form->MItem_StartUp->trigger();
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep", "box(Information; OK): Start up is disabled.."}));
    EXPECT_FALSE(FileExists(link));

    // Made outside the program: the next opening shows it, and choosing the item removes it.
    WriteFile(link, "[Desktop Entry]\n");
    dialogs.Clear();
    emit form->Menu_Help->aboutToShow();
    EXPECT_TRUE(form->MItem_StartUp->isChecked());
    form->MItem_StartUp->trigger();
    EXPECT_FALSE(FileExists(link));
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep", "box(Information; OK): Start up is disabled.."}));
}

// ---- Documents and about box ----------------------------------------------------------------

TEST_F(ClientShellTest, DocumentsAreOfferedWhenTheirFilesExistAndShownInTheViewer) {
    CreateForm();
    emit form->Menu_Help->aboutToShow();
    EXPECT_FALSE(form->MItem_Doc->isEnabled());
    EXPECT_FALSE(form->MItem_History->isEnabled());

    WriteFile(ProgramFile() + ".txt", "Help line 1\r\nHelp line 2\r\n");
    WriteFile(ProgramFile() + ".his", "1.00 first\r\n");
    emit form->Menu_Help->aboutToShow();
    EXPECT_TRUE(form->MItem_Doc->isEnabled());
    EXPECT_TRUE(form->MItem_History->isEnabled());

    std::vector<std::pair<QString, QString>> shown;
    auto previous = SetPreviewModalRunner([&](TTrovGamePreviewForm& viewer) {
        shown.emplace_back(viewer.windowTitle(), viewer.Memo->toPlainText());
    });
    form->MItem_Doc->trigger();
    form->MItem_History->trigger();
    SetPreviewModalRunner(previous);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].first, "Qon's Trov Game Client - Text - TrovGClt.txt");
    EXPECT_EQ(shown[0].second, "Help line 1\nHelp line 2");
    EXPECT_EQ(shown[1].first, "Qon's Trov Game Client - Renewal history - TrovGClt.his");
    EXPECT_TRUE(form->PreviewForm->Memo->toPlainText().isEmpty());
}

TEST_F(ClientShellTest, TheAboutBoxNamesTheClientTheMachineAndItsMemory) {
    CreateForm();
    form->MItem_Info->trigger();
    ASSERT_EQ(dialogs.Boxes().size(), 1u);
    const auto box = dialogs.Boxes()[0];
    EXPECT_EQ(box.type, TMsgDlgType::Information);
    const std::string head =
        "[Selvane Computer Network Trov Game Client]ver 1.00 beta 6E (2006-2/14)\r\n\r\n"
        "Your machine: " +
        GetMachineTypeName(TTrovProgram::Client) + "\r\nFree memory: ";
    EXPECT_EQ(box.text.rfind(head, 0), 0u) << box.text;
    EXPECT_EQ(box.text.substr(box.text.size() - 8), " bytes\r\n");
    EXPECT_NE(box.text.find(" / "), std::string::npos);
#if defined(__x86_64__) || defined(__i386__)
    EXPECT_NE(box.text.find(Sjis("Your machine: PC/AT互換機\r\n")), std::string::npos);
#endif
}
