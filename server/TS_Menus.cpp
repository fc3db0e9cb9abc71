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
#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPalette>

using namespace platform;

namespace {

const char* const kTitle = "Qon's Trov Game Server";

} // namespace

void TTrovGameServerForm::Menu_ConnectClick(QObject*) {
    const bool selected = ListView_Connect->SelCount() > 0;
    MItem_Refresh->setEnabled(Listening());
    MItem_Server->setChecked(CheckBox_Server->isChecked());
    MItem_Disconnect->setEnabled(Listening() && selected);
    MItem_SendMsg->setEnabled(Listening() && selected);
    MItem_Exit->setEnabled(true);
}

void TTrovGameServerForm::Menu_GameClick(QObject*) {
    const bool running = FGame->FState == gsRunning;
    MItem_Start->setEnabled(FGame->CanStart());
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
    FontDialog.Color = FFontColor;
    if (FontDialog.Execute()) ApplyPageFont(FontDialog.Font, FontDialog.Color);
}

void TTrovGameServerForm::ApplyPageFont(const QFont& Font, std::int32_t Color) {
    // The pages' controls take their parent's font and colour, so they follow; nothing comes
    // from the window's own font.
    PageControl->setFont(OwnFont(Font));
    FFontColor = Color;
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
    // The tables' rows and columns, sized to the texts of the font before, are sized again.
    FitTablesToFont();
}

void TTrovGameServerForm::MItem_StartUpClick(QObject*) {
    ToggleStartupEntry(MItem_StartUp, StartupDir + kTitle + kShortcutExtension, FProgramFile,
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
    if (FPopupGrid) GridSelectAll(FPopupGrid, false);
}

void TTrovGameServerForm::G_PItem_CopyClick(QObject*) {
    std::string unused;
    if (FPopupGrid) CopyGridSelection(FPopupGrid, ColumnDiv, unused, false);
}

void TTrovGameServerForm::PageControlChange(QObject*) {
    RefreshClientList();
    UpdateDisplay();
}
