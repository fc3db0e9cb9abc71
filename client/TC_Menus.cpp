// The client window's menus: their opening handlers, connect and exit, fonts, the start-up
// entry, the options, the documents and the about box.
#include "client/TC_Main.h"

#include "platform/Application.h"
#include "platform/AtomicFile.h"
#include "platform/Colors.h"
#include "platform/ListView.h"
#include "platform/Shell.h"
#include "platform/StatusBar.h"
#include "shared/Sub.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QPushButton>

using namespace platform;

void TTrovGameClientForm::ApplyFont(const QFont& font, std::int32_t color) {
    FFont = font;
    FFontColor = color;
    setFont(font);
    // The colour shows where the window's own font is used: the status bar.
    const QColor shown = ColorToQColor(color);
    QPalette palette = StatusBar->palette();
    palette.setColor(QPalette::WindowText,
                     shown.isValid() ? shown : this->palette().color(QPalette::WindowText));
    StatusBar->setPalette(palette);
}

std::string TTrovGameClientForm::StartupLinkName() const {
    const TApplication* app = Application();
    const std::string title = app ? QFile::encodeName(app->Title()).toStdString() : std::string();
    return StartupDir + title + kShortcutExtension;
}

void TTrovGameClientForm::Menu_GameClick(QObject* Sender) {
    (void)Sender;
    MItem_Connect->setEnabled(CheckBox_Connect->isEnabled());
    MItem_Connect->setChecked(CheckBox_Connect->isChecked());
    const int own = OwnRole();
    MItem_Order->setEnabled(own >= 0 && Roles[own].OrderButton->isEnabled());
    MItem_SendMsg->setEnabled(Button_SendMsg->isEnabled());
    MItem_Save->setEnabled(ListView_History->Count() > 0);
    MItem_Exit->setEnabled(true);
}

void TTrovGameClientForm::Menu_EditClick(QObject* Sender) {
    (void)Sender;
    MItem_Copy->setEnabled(ListView_History->SelCount() > 0);
    MItem_SelAll->setEnabled(ListView_History->Count() > 0);
    MItem_Font->setEnabled(true);
}

void TTrovGameClientForm::PopupMenu_ListViewPopup(QObject* Sender) {
    (void)Sender;
    PItem_Save->setEnabled(ListView_History->Count() > 0);
    PItem_SelAll->setEnabled(ListView_History->Count() > 0);
    PItem_Copy->setEnabled(ListView_History->SelCount() > 0);
}

void TTrovGameClientForm::Menu_HelpClick(QObject* Sender) {
    (void)Sender;
    MItem_StartUp->setChecked(ShortcutExists(StartupLinkName()));
    MItem_Doc->setEnabled(FileExists(TextFileName));
    MItem_History->setEnabled(FileExists(HistFileName));
}

void TTrovGameClientForm::MItem_ConnectClick(QObject* Sender) {
    (void)Sender;
    CheckBox_Connect->setChecked(!CheckBox_Connect->isChecked());
}

void TTrovGameClientForm::MItem_ExitClick(QObject* Sender) {
    (void)Sender;
    close();
}

void TTrovGameClientForm::MItem_FontClick(QObject* Sender) {
    (void)Sender;
    FontDialog.Font = FFont;
    FontDialog.Color = FFontColor;
    if (FontDialog.Execute()) ApplyFont(FontDialog.Font, FontDialog.Color);
}

void TTrovGameClientForm::MItem_StartUpClick(QObject* Sender) {
    (void)Sender;
    ToggleStartupEntry(MItem_StartUp, StartupLinkName(), FProgramFile, ExePath,
                       "Start up is disabled..");
}

void TTrovGameClientForm::MItem_CheckClick(QObject* Sender) {
    auto* item = qobject_cast<QAction*>(Sender);
    if (!item) return;
    item->setChecked(!item->isChecked());
    if (item == MItem_StayFront) SetStayOnTop(this, item->isChecked());
}

void TTrovGameClientForm::MItem_DocClick(QObject* Sender) {
    (void)Sender;
    if (PreviewForm) PreviewForm->ShowText(TextFileName);
}

void TTrovGameClientForm::MItem_HistoryClick(QObject* Sender) {
    (void)Sender;
    if (PreviewForm) PreviewForm->ShowHistory(HistFileName);
}

void TTrovGameClientForm::MItem_InfoClick(QObject* Sender) {
    (void)Sender;
    MessageDlg(GetAboutText(TTrovProgram::Client), TMsgDlgType::Information, mbOK);
}
