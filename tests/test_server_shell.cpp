// The server program's shell: creation from the settings file, closing, menus and their
// enabling, options, start-up entry, tray, the application's handlers.
#include "server/TS_Main.h"
#include "support/Files.h"
#include "support/Ports.h"
#include "support/PretendTray.h"
#include "support/ScriptedDialogs.h"
#include "support/TestPeer.h"

#include "platform/Application.h"
#include "platform/Colors.h"
#include "platform/Convert.h"
#include "platform/PageControl.h"
#include "platform/RadioGroup.h"
#include "platform/Shell.h"
#include "platform/SpinEdit.h"
#include "platform/StatusBar.h"
#include "platform/StringGrid.h"
#include "shared/PreviewS.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPalette>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace platform;

// Every test runs a window whose program file lies in a folder of its own, with the start-up
// folder there too.
class ServerShell : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        program = dir.path().toStdString() + "/TrovGSrv";
        qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
    }
    void TearDown() override { qunsetenv("XDG_CONFIG_HOME"); }

    std::unique_ptr<TTrovGameServerForm> Open() {
        auto form = std::make_unique<TTrovGameServerForm>(nullptr, program);
        return form;
    }
    void AllRolesBy(TTrovGameServerForm& form, int ownerItem) {
        for (auto& role : form.Roles) {
            role.ShipM->SetItemIndex(1);
            role.Owner->SetItemIndex(ownerItem);
        }
    }

    QTemporaryDir dir;
    std::string program;
    ScriptedDialogs dialogs;
};

TEST_F(ServerShell, FileNamesComeFromTheProgramPath) {
    auto form = Open();
    EXPECT_EQ(form->ExePath, dir.path().toStdString() + "/");
    EXPECT_EQ(form->IniFileName, program + ".ini");
    EXPECT_EQ(form->TextFileName, program + ".txt");
    EXPECT_EQ(form->HistFileName, program + ".his");
    EXPECT_EQ(form->StartupDir, dir.path().toStdString() + "/autostart/");
    EXPECT_EQ(form->windowTitle().toStdString(), "[Selvane Computer Network]ver 1.00 beta 6E");
    EXPECT_EQ(form->Label_Host->text().left(9).toStdString(), "Server : ");
    EXPECT_TRUE(dialogs.Log().empty());
}

TEST_F(ServerShell, SettingsAreReadAtCreationAndWrittenLastOnClosing) {
    WriteFile(program + ".ini", "[Game]\r\nFinal Turn=0x1E\r\nGroup Name=Tenby\r\n"
                                "Stock Cost=3\r\n[System]\r\nClose Check=0\r\n");
    auto form = Open();
    EXPECT_EQ(form->Game()->FFinalTurn, 31) << "the weeks reach the game at creation";
    EXPECT_EQ(form->Game()->FGroupName, "Tenby");
    EXPECT_EQ(form->Game()->FInvUnitCost, MoneyFromUnits(3));
    EXPECT_FALSE(form->MItem_CloseCheck->isChecked());

    form->SpinEdit_FinalTurn->SetText("40");
    form->close();
    EXPECT_TRUE(dialogs.Log().empty()) << "no question without listening or Close Check";
    const std::string ini = ReadFile(program + ".ini");
    EXPECT_NE(ini.find("Final Turn=40"), std::string::npos) << ini;
    EXPECT_NE(ini.find("Width="), std::string::npos);
}

TEST_F(ServerShell, BadColourShowsTheErrorAndTheWindowIsMadeOnDefaults) {
    ASSERT_TRUE(WriteFile(program + ".ini", "[Font]\r\nColor=xyz\r\n[Game]\r\nFinal Turn=20\r\n"));
    auto form = Open();
    ASSERT_EQ(dialogs.Boxes().size(), 1u);
    EXPECT_EQ(dialogs.Trace(),
              (Lines{"beep", "error(OK): 'xyz' \x82\xCD\x90\xAE\x90\x94\x82\xC5\x82\xCD\x82"
                             "\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1"}));
    EXPECT_EQ(form->Game()->FFinalTurn, 51) << "nothing after the colour was applied";
    EXPECT_EQ(form->Edit_GroupName->text(), "Benvik Co.");
    EXPECT_EQ(form->Game()->FGroupName, "Benvik Co.");
    EXPECT_EQ(form->Game()->FState, gsPreparing);
    EXPECT_EQ(form->StatusBar->SimpleText(), "Stop");
}

TEST_F(ServerShell, WindowHasItsOuterSizeDesignFontAndOwnIcon) {
    auto form = Open();
    form->show();
    const QSize frame = form->frameGeometry().size() - form->size();
    EXPECT_EQ(form->frameGeometry().size(), QSize(848, 554));
    EXPECT_EQ(form->minimumSize() + frame, QSize(640, 480));
    EXPECT_EQ(form->font().family(), "system");
    EXPECT_EQ(form->font().pixelSize(), 16);
    EXPECT_EQ(form->PreviewForm->Memo->font().pixelSize(), 16)
        << "the viewer takes the design font";
    EXPECT_FALSE(form->windowIcon().isNull());
    EXPECT_EQ(form->FTrayIconData->Image().cacheKey(), form->windowIcon().cacheKey());
}

TEST_F(ServerShell, TheFontMenuChangesThePagesFontAndColourAndWhatIsSaved) {
    auto form = Open();
    QFont chosen("Courier");
    chosen.setPointSize(11);
    dialogs.ChooseFont(chosen, clNavy);
    form->MItem_Font->trigger();
    ASSERT_EQ(dialogs.Boxes().size(), 1u);
    EXPECT_EQ(dialogs.Log()[0].color, clWindowText) << "the dialog starts with the pages' colour";
    EXPECT_EQ(form->PageControl->font().family(), "Courier");
    EXPECT_EQ(form->FFontColor, clNavy);
    EXPECT_EQ(form->PageControl->palette().color(QPalette::Active, QPalette::WindowText),
              QColor(0, 0, 0x80));
    EXPECT_EQ(form->font().family(), "system") << "the window keeps its design font";
    form->close();
    const std::string ini = ReadFile(program + ".ini");
    EXPECT_NE(ini.find("[Font]\r\nName=Courier\r\nSize=11\r\nColor=clNavy\r\n"), std::string::npos)
        << ini;
}

TEST_F(ServerShell, ClosingAsksStopWhileListeningElseEndWithCloseCheck) {
    auto form = Open();
    UseAnyFreePort(*form);
    form->CheckBox_Server->setChecked(true);
    ASSERT_TRUE(form->Listening());
    dialogs.Clear();
    dialogs.Answer(mrCancel);
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->Listening());
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep", "box(Confirmation; OK Cancel): Stop?"}));

    dialogs.Clear();
    dialogs.Answer(mrOk);
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->Listening());
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep", "box(Confirmation; OK Cancel): Stop?"}))
        << "no End? after Stop?";
    EXPECT_NE(ReadFile(program + ".ini").find("[System]"), std::string::npos);

    auto second = Open();
    ASSERT_TRUE(second->MItem_CloseCheck->isChecked());
    dialogs.Clear();
    dialogs.Answer(mrCancel);
    EXPECT_FALSE(second->close());
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep", "box(Confirmation; OK Cancel): End?"}));
    dialogs.Answer(mrOk);
    EXPECT_TRUE(second->close());
}

TEST_F(ServerShell, ConnectionMenuFollowsTheServer) {
    auto form = Open();
    form->Menu_ConnectClick(form->Menu_Connect);
    EXPECT_FALSE(form->MItem_Refresh->isEnabled());
    EXPECT_FALSE(form->MItem_Disconnect->isEnabled());
    EXPECT_FALSE(form->MItem_SendMsg->isEnabled());
    EXPECT_FALSE(form->MItem_Server->isChecked());
    EXPECT_TRUE(form->MItem_Exit->isEnabled());

    UseAnyFreePort(*form);
    form->MItem_CheckClick(form->MItem_Server); // as a click on the check box
    EXPECT_TRUE(form->Listening());
    EXPECT_TRUE(form->CheckBox_Server->isChecked());
    form->Menu_ConnectClick(form->Menu_Connect);
    EXPECT_TRUE(form->MItem_Server->isChecked());
    EXPECT_TRUE(form->MItem_Refresh->isEnabled());
    EXPECT_FALSE(form->MItem_Disconnect->isEnabled()) << "no row selected";

    form->MItem_CheckClick(form->MItem_Server);
    EXPECT_FALSE(form->Listening());
}

TEST_F(ServerShell, GameMenuFollowsTheGameAndTakesTheGroupName) {
    auto form = Open();
    form->Menu_GameClick(form->Menu_Game);
    EXPECT_FALSE(form->MItem_Start->isEnabled());
    EXPECT_FALSE(form->MItem_Stop->isEnabled());
    EXPECT_TRUE(form->MItem_Init->isEnabled());
    EXPECT_TRUE(form->MItem_Load->isEnabled());

    form->Edit_GroupName->setText("Typed Only");
    AllRolesBy(*form, 1);
    form->Menu_GameClick(form->Menu_Game);
    EXPECT_EQ(form->Game()->FGroupName, "Typed Only");
    EXPECT_TRUE(form->MItem_Start->isEnabled());

    form->MItem_Start->trigger();
    ASSERT_EQ(form->Game()->FState, gsRunning);
    form->Menu_GameClick(form->Menu_Game);
    EXPECT_FALSE(form->MItem_Start->isEnabled());
    EXPECT_TRUE(form->MItem_Stop->isEnabled());
    EXPECT_FALSE(form->MItem_Init->isEnabled());
    EXPECT_FALSE(form->MItem_Load->isEnabled());
    EXPECT_TRUE(form->MItem_Write->isEnabled());
    EXPECT_TRUE(form->MItem_Save->isEnabled());
    form->MItem_Stop->trigger();
    EXPECT_EQ(form->Game()->FState, gsPaused);
}

TEST_F(ServerShell, StartUpEntryIsCreatedRemovedAndItsMarkFollowsTheFile) {
    auto form = Open();
    const std::string link = form->StartupDir + "Qon's Trov Game Server" + kShortcutExtension;
    form->Menu_HelpClick(form->Menu_Help);
    EXPECT_FALSE(form->MItem_StartUp->isChecked());

    form->MItem_StartUp->trigger();
    EXPECT_TRUE(ShortcutExists(link));
    EXPECT_TRUE(form->MItem_StartUp->isChecked());
    const std::string entry = ReadFile(link);
    EXPECT_NE(entry.find("/TaskTray"), std::string::npos) << entry;
    EXPECT_NE(entry.find("Path=" + form->ExePath), std::string::npos) << entry;
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep", "box(Information; OK): Start up is enabled."}));

    dialogs.Clear();
    form->MItem_StartUp->trigger();
    EXPECT_FALSE(ShortcutExists(link));
    EXPECT_EQ(dialogs.Trace(), (Lines{"beep", "box(Information; OK): Start up is disabled."}));

    // Made outside the program: the next opening of the menu shows it.
    CreateShortcut(link, program, "/TaskTray", form->ExePath);
    form->Menu_HelpClick(form->Menu_Help);
    EXPECT_TRUE(form->MItem_StartUp->isChecked());
    dialogs.Clear();
    form->MItem_StartUp->trigger(); // removes it
    EXPECT_FALSE(ShortcutExists(link));
}

TEST_F(ServerShell, DocumentItemsNeedTheirFiles) {
    auto form = Open();
    form->Menu_HelpClick(form->Menu_Help);
    EXPECT_FALSE(form->MItem_Doc->isEnabled());
    EXPECT_FALSE(form->MItem_History->isEnabled());
    ASSERT_TRUE(WriteFile(program + ".txt", "help\r\n"));
    form->Menu_HelpClick(form->Menu_Help);
    EXPECT_TRUE(form->MItem_Doc->isEnabled());
    EXPECT_FALSE(form->MItem_History->isEnabled());
}

TEST_F(ServerShell, AboutBoxNamesTheMachineAndItsMemory) {
    auto form = Open();
    form->MItem_InfoClick(form->MItem_Info);
    const auto boxes = dialogs.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    const auto& box = boxes[0];
    EXPECT_EQ(box.type, TMsgDlgType::Information);
    EXPECT_EQ(box.text.rfind("[Selvane Computer Network]ver 1.00 beta 6E", 0), 0u) << box.text;
    EXPECT_NE(box.text.find("\r\n\r\nYour machine: "), std::string::npos) << box.text;
    EXPECT_NE(box.text.find("Free memory: "), std::string::npos);
    EXPECT_NE(box.text.find(" bytes"), std::string::npos);
    EXPECT_NE(box.text.find(','), std::string::npos) << "thousands separators";
}

TEST_F(ServerShell, StayInFrontIsAWindowFlagToggledByTheItem) {
    auto form = Open();
    form->show();
    form->MItem_StayFront->trigger();
    EXPECT_TRUE(form->MItem_StayFront->isChecked());
    EXPECT_TRUE(IsStayOnTop(form.get()));
    EXPECT_TRUE(form->isVisible());
    form->MItem_StayFront->trigger();
    EXPECT_FALSE(IsStayOnTop(form.get()));
    form->MItem_TaskTray->trigger();
    EXPECT_TRUE(form->MItem_TaskTray->isChecked());
}

TEST_F(ServerShell, WithoutATrayMinimisingKeepsTheWindow) {
    auto form = Open();
    form->show();
    form->MItem_TaskTray->setChecked(true);
    form->AppMinimize(nullptr);
    form->MinimizeToTray(true);
    EXPECT_FALSE(form->FInTray);
    EXPECT_TRUE(form->isVisible());
}

TEST_F(ServerShell, TrayHidesAndRestoresTheWindow) {
    PretendTrayAvailable(true);
    auto form = Open();
    form->show();
    form->AppMinimize(nullptr); // the option is off: nothing
    EXPECT_FALSE(form->FInTray);
    form->MinimizeToTray(true);
    EXPECT_TRUE(form->FInTray);
    EXPECT_FALSE(form->isVisible());
    form->RestoreFromTray();
    EXPECT_FALSE(form->FInTray);
    EXPECT_TRUE(form->isVisible());

    form->MItem_TaskTray->setChecked(true);
    form->AppMinimize(nullptr);
    EXPECT_TRUE(form->FInTray);
    // The icon's notice reaches the window procedure: a move does nothing, a press restores.
    TMessage move{WM_TRAYNOTIFY, 1, 0x200, 0};
    form->WndProc(move);
    EXPECT_TRUE(form->FInTray);
    emit TrayIconOf(*form->FTrayIconData)->activated(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(form->FInTray);
    PretendTrayAvailable(false);
}

TEST_F(ServerShell, MinimisingWithTheOptionGoesToTheTrayEveryTime) {
    PretendTray tray;
    auto form = Open();
    form->show();
    form->MItem_TaskTray->setChecked(true);
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        form->showMinimized();
        ASSERT_TRUE(WaitUntil([&] { return form->FInTray; }));
        QCoreApplication::processEvents();
        EXPECT_FALSE(form->isVisible());
        EXPECT_TRUE(form->FTrayIconData->Shown());
        emit TrayIconOf(*form->FTrayIconData)->activated(QSystemTrayIcon::Trigger);
        EXPECT_FALSE(form->FInTray);
        EXPECT_FALSE(form->FTrayIconData->Shown());
        EXPECT_TRUE(form->isVisible());
        EXPECT_FALSE(form->isMinimized());
    }
}

TEST_F(ServerShell, ExceptionPausesAndOkSwitchesTheServerOffAndInitialises) {
    auto form = Open();
    UseAnyFreePort(*form);
    form->CheckBox_Server->setChecked(true);
    AllRolesBy(*form, 1);
    form->Button_StartClick(nullptr);
    ASSERT_EQ(form->Game()->FState, gsRunning);
    dialogs.Clear();

    bool pausedWhileOpen = false;
    dialogs.Answer(mrOk, [&] { pausedWhileOpen = form->Game()->FState == gsPaused; });
    form->AppException(nullptr, std::runtime_error("boom"));
    EXPECT_TRUE(pausedWhileOpen);
    ASSERT_FALSE(dialogs.Boxes().empty());
    EXPECT_EQ(dialogs.Boxes()[0].text,
              "An ecception has occurred.\rboom\rDisconnect and initialize all for safety.");
    EXPECT_EQ(dialogs.Boxes()[0].type, TMsgDlgType::Warning);
    EXPECT_FALSE(form->Listening());
    EXPECT_EQ(form->Game()->FState, gsPreparing);
    EXPECT_EQ(form->StatusBar->SimpleText(), "Stop");

    // Closed another way: the game stays paused.
    AllRolesBy(*form, 1);
    form->Button_StartClick(nullptr);
    ASSERT_EQ(form->Game()->FState, gsRunning);
    dialogs.Answer(mrCancel);
    form->AppException(nullptr, std::runtime_error("again"));
    EXPECT_EQ(form->Game()->FState, gsPaused);
}

TEST_F(ServerShell, ExceptionsOfEventHandlersReachTheWindow) {
    auto form = Open();
    dialogs.Answer(mrOk);
    QTimer::singleShot(0, form.get(), [] { throw std::runtime_error("from an event"); });
    ASSERT_TRUE(WaitUntil([&] { return !dialogs.Boxes().empty(); }));
    EXPECT_NE(dialogs.Boxes()[0].text.find("from an event"), std::string::npos);
}

TEST_F(ServerShell, F5RefreshesTablesAndDisplay) {
    auto form = Open();
    form->StringGrid_Marcket->SetCells(1, 1, "77"); // typed but never read into the game
    bool handled = false;
    form->AppShortCut(Qt::Key_F5, handled);
    EXPECT_FALSE(handled) << "the key goes on to the focused control";
    EXPECT_EQ(form->StringGrid_Marcket->Cells(1, 1), "4");
    form->StringGrid_Marcket->SetCells(1, 1, "77");
    form->AppShortCut(Qt::Key_F4, handled);
    EXPECT_EQ(form->StringGrid_Marcket->Cells(1, 1), "77");
}

TEST_F(ServerShell, FinalWeekNoticeEndsAGameWaitingForIt) {
    auto form = Open();
    form->SpinEdit_FinalTurn->SetText("10");
    form->SpinEdit_Exit(form->SpinEdit_FinalTurn);
    AllRolesBy(*form, 2);
    form->Button_StartClick(nullptr); // all weeks run inside the refresh
    EXPECT_EQ(form->Game()->FState, gsFinished);
    ASSERT_EQ(dialogs.Boxes().size(), 1u) << "the result box";
    // The posted notice finds the game finished: only a refresh.
    ASSERT_TRUE(WaitUntil([&] { return dialogs.Boxes().size() == 1u; }));
    EXPECT_EQ(form->StatusBar->SimpleText(), "Finished");
}

TEST_F(ServerShell, PageChangeRefreshesListAndDisplay) {
    auto form = Open();
    form->StatusBar->SetSimpleText("stale");
    form->PageControlChange(form->PageControl);
    EXPECT_EQ(form->StatusBar->SimpleText(), "Stop");
}
