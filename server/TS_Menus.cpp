// The server window's menus, pop-up menus and options.
#include "server/TS_Main.h"

#include "platform/AtomicFile.h"
#include "platform/Beep.h"
#include "platform/Colors.h"
#include "platform/PageControl.h"
#include "platform/Shell.h"
#include "platform/SjisText.h"
#include "platform/StringGrid.h"
#include "platform/Widgets.h"
#include "shared/PreviewS.h"
#include "shared/Sub.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>

using namespace platform;

namespace {

const char* const kTitle = "Qon's Trov Game Server";

} // namespace

void TTrovGameServerForm::CreateMenus() {
    // Menus keep the desktop's font; the window's design font is for its own text.
    menuBar()->setFont(OwnFont(QApplication::font()));
    auto item = [this](QMenu* menu, const char* name, const char* caption,
                       void (TTrovGameServerForm::*handler)(QObject*), bool check = false) {
        QAction* action = menu->addAction(QString::fromUtf8(caption));
        action->setObjectName(name);
        if (check) {
            action->setCheckable(true);
            ConnectCheckItem(action, this, [this, action, handler] { (this->*handler)(action); });
        } else {
            connect(action, &QAction::triggered, this,
                    [this, action, handler] { (this->*handler)(action); });
        }
        return action;
    };
    auto menu = [this](const char* name, const char* caption,
                       void (TTrovGameServerForm::*opening)(QObject*)) {
        QMenu* m = menuBar()->addMenu(QString::fromUtf8(caption));
        m->setObjectName(name);
        connect(m, &QMenu::aboutToShow, this, [this, m, opening] { (this->*opening)(m); });
        return m;
    };
    using F = TTrovGameServerForm;

    Menu_Connect = menu("Menu_Connect", "Connection(&S)", &F::Menu_ConnectClick);
    MItem_Server =
        item(Menu_Connect, "MItem_Server", "Run the Server(&S)", &F::MItem_CheckClick, true);
    Menu_Connect->addSeparator();
    MItem_Refresh =
        item(Menu_Connect, "MItem_Refresh", "Update the Client List(&C)", &F::Button_RefreshClick);
    MItem_Disconnect =
        item(Menu_Connect, "MItem_Disconnect", "Disconnect(&D)", &F::Button_DisconnectClick);
    MItem_SendMsg =
        item(Menu_Connect, "MItem_SendMsg", "Send a message(&M)", &F::Button_SendMsgClick);
    Menu_Connect->addSeparator();
    MItem_Exit = item(Menu_Connect, "MItem_Exit", "Exit(&E)", &F::MItem_ExitClick);

    Menu_Game = menu("Menu_Game", "Game(&G)", &F::Menu_GameClick);
    MItem_Start = item(Menu_Game, "MItem_Start", "Start(&B)", &F::Button_StartClick);
    MItem_Stop = item(Menu_Game, "MItem_Stop", "Stop(&S)", &F::Button_StopClick);
    MItem_Init = item(Menu_Game, "MItem_Init", "Initialize(&I)", &F::Button_InitClick);
    Menu_Game->addSeparator();
    MItem_Write = item(Menu_Game, "MItem_Write", "Save the result(&A)", &F::MItem_WriteClick);
    MItem_Save = item(Menu_Game, "MItem_Save", "Save the current Status(&W)", &F::MItem_SaveClick);
    MItem_Load = item(Menu_Game, "MItem_Load", "Load(&R)", &F::MItem_LoadClick);

    Menu_Edit = menu("Menu_Edit", "Edit(&E)", &F::Menu_EditClick);
    MItem_Font = item(Menu_Edit, "MItem_Font", "Change fonts(&F)", &F::MItem_FontClick);

    Menu_Help = menu("Menu_Help", "Help(&H)", &F::Menu_HelpClick);
    MItem_StartUp = item(Menu_Help, "MItem_StartUp", "Start up(&S)", &F::MItem_StartUpClick, true);
    MItem_StayFront = item(Menu_Help, "MItem_StayFront", "Display in front anytime(&F)",
                           &F::MItem_CheckClick, true);
    MItem_TaskTray = item(Menu_Help, "MItem_TaskTray", "Put on the task tray when minimized(&M)",
                          &F::MItem_CheckClick, true);
    MItem_CloseCheck = item(Menu_Help, "MItem_CloseCheck", "Confirm when it finishes(&C)",
                            &F::MItem_CheckClick, true);
    MItem_CloseCheck->setChecked(true);
    Menu_Help->addSeparator();
    MItem_Doc = item(Menu_Help, "MItem_Doc", "Complement text(&T)", &F::MItem_DocClick);
    MItem_History = item(Menu_Help, "MItem_History", "History(&H)", &F::MItem_HistoryClick);
    Menu_Help->addSeparator();
    MItem_Info = item(Menu_Help, "MItem_Info", "Version(&V)", &F::MItem_InfoClick);

    PopupMenu_ListView = new QMenu(this);
    PopupMenu_ListView->setObjectName("PopupMenu_ListView");
    L_PItem_SelAll =
        item(PopupMenu_ListView, "L_PItem_SelAll", "Select all(&A)", &F::L_PItem_SelAllClick);
    L_PItem_Copy = item(PopupMenu_ListView, "L_PItem_Copy", "Copy(&C)", &F::L_PItem_CopyClick);
    L_PItem_DisConnect = item(PopupMenu_ListView, "L_PItem_DisConnect", "Disconnect(&D)",
                              &F::Button_DisconnectClick);
    L_PItem_SendMsg =
        item(PopupMenu_ListView, "L_PItem_SendMsg", "Send a message(&S)", &F::Button_SendMsgClick);
    ListView_Connect->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListView_Connect, &QWidget::customContextMenuRequested, this, [this](QPoint pos) {
        PopupMenu_ListViewPopup(ListView_Connect);
        PopupMenu_ListView->exec(ListView_Connect->viewport()->mapToGlobal(pos));
    });

    PopupMenu_StringGrid = new QMenu(this);
    PopupMenu_StringGrid->setObjectName("PopupMenu_StringGrid");
    G_PItem_SelAll =
        item(PopupMenu_StringGrid, "G_PItem_SelAll", "Select all(&A)", &F::G_PItem_SelAllClick);
    G_PItem_Copy = item(PopupMenu_StringGrid, "G_PItem_Copy", "Copy(&C)", &F::G_PItem_CopyClick);
    for (TStringGrid* grid : {StringGrid_First, StringGrid_Marcket, StringGrid_Game}) {
        grid->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(grid, &QWidget::customContextMenuRequested, this, [this, grid](QPoint pos) {
            PopupGrid = grid;
            PopupMenu_StringGridPopup(grid);
            PopupMenu_StringGrid->exec(grid->mapToGlobal(pos));
        });
    }
}

void TTrovGameServerForm::Menu_ConnectClick(QObject*) {
    const bool selected = ListView_Connect->SelCount() > 0;
    MItem_Refresh->setEnabled(Listening());
    MItem_Server->setChecked(CheckBox_Server->isChecked());
    MItem_Disconnect->setEnabled(Listening() && selected);
    MItem_SendMsg->setEnabled(Listening() && selected);
    MItem_Exit->setEnabled(true);
}

void TTrovGameServerForm::Menu_GameClick(QObject*) {
    const bool running = game_->FState == gsRunning;
    MItem_Start->setEnabled(game_->CanStart());
    MItem_Stop->setEnabled(running);
    MItem_Init->setEnabled(!running);
    MItem_Load->setEnabled(!running);
    MItem_Write->setEnabled(true);
    MItem_Save->setEnabled(true);
    Edit_GroupNameExit(Edit_GroupName);
}

void TTrovGameServerForm::Menu_EditClick(QObject*) {}

void TTrovGameServerForm::Menu_HelpClick(QObject*) {
    MItem_StartUp->setChecked(ShortcutExists(StartupDir + kTitle + kShortcutExtension));
    MItem_Doc->setEnabled(FileExists(TextFileName));
    MItem_History->setEnabled(FileExists(HistFileName));
}

void TTrovGameServerForm::PopupMenu_ListViewPopup(QObject* Sender) {
    auto* list = qobject_cast<TListView*>(Sender);
    if (!list) return;
    const bool selected = list->SelCount() > 0;
    L_PItem_SelAll->setEnabled(list->Count() > 0);
    L_PItem_Copy->setEnabled(selected);
    L_PItem_DisConnect->setEnabled(Listening() && selected);
    L_PItem_SendMsg->setEnabled(Listening() && selected);
}

void TTrovGameServerForm::PopupMenu_StringGridPopup(QObject*) {}

void TTrovGameServerForm::MItem_ExitClick(QObject*) {
    close();
}

void TTrovGameServerForm::MItem_FontClick(QObject*) {
    FontDialog.Font = PageControl->font();
    FontDialog.Color = PageFontColor;
    if (FontDialog.Execute()) ApplyPageFont(FontDialog.Font, FontDialog.Color);
}

void TTrovGameServerForm::ApplyPageFont(const QFont& Font, std::int32_t Color) {
    // The pages' controls take their parent's font and colour, so they follow; nothing comes
    // from the window's own font.
    PageControl->setFont(OwnFont(Font));
    PageFontColor = Color;
    const QColor shown = ColorToQColor(Color);
    QPalette palette = PageControl->palette();
    // Disabled controls keep their greyed text.
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::WindowText,
                         shown.isValid() ? shown
                                         : this->palette().color(group, QPalette::WindowText));
        palette.setColor(group, QPalette::Text,
                         shown.isValid() ? shown : this->palette().color(group, QPalette::Text));
    }
    PageControl->setPalette(palette);
}

void TTrovGameServerForm::MItem_StartUpClick(QObject*) {
    ToggleStartupEntry(MItem_StartUp, StartupDir + kTitle + kShortcutExtension, programFile_,
                       ExePath, "Start up is disabled.");
}

void TTrovGameServerForm::MItem_CheckClick(QObject* Sender) {
    auto* action = qobject_cast<QAction*>(Sender);
    if (!action) return;
    action->setChecked(!action->isChecked());
    if (action == MItem_Server) {
        CheckBox_Server->setChecked(!CheckBox_Server->isChecked());
    } else if (action == MItem_StayFront) {
        SetStayOnTop(this, action->isChecked());
    }
}

void TTrovGameServerForm::MItem_DocClick(QObject*) {
    PreviewForm->ShowText(TextFileName);
}

void TTrovGameServerForm::MItem_HistoryClick(QObject*) {
    PreviewForm->ShowHistory(HistFileName);
}

void TTrovGameServerForm::MItem_InfoClick(QObject*) {
    try {
        MessageDlg(GetAboutText(TTrovProgram::Server), TMsgDlgType::Information, mbOK);
    } catch (...) {
        // The about box is a courtesy: nothing is reported.
    }
}

void TTrovGameServerForm::L_PItem_SelAllClick(QObject*) {
    if (ListView_Connect->Count() > 0) ListView_Connect->SelectAll();
}

void TTrovGameServerForm::L_PItem_CopyClick(QObject*) {
    std::string unused;
    CopyListViewSelection(ListView_Connect, ColumnDiv, false, unused);
}

void TTrovGameServerForm::G_PItem_SelAllClick(QObject*) {
    if (PopupGrid) GridSelectAll(PopupGrid, false);
}

void TTrovGameServerForm::G_PItem_CopyClick(QObject*) {
    std::string unused;
    if (PopupGrid) CopyGridSelection(PopupGrid, ColumnDiv, unused, false);
}

void TTrovGameServerForm::PageControlChange(QObject*) {
    RefreshClientList();
    UpdateDisplay();
}
