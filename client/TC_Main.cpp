// The client window's creation and closing, its window procedure, the tray, the application's
// exception and minimise handlers and dropped files.
#include "client/TC_Main.h"

#include "client/TC_IniIO.h"
#include "platform/Application.h"
#include "platform/Beep.h"
#include "platform/Colors.h"
#include "platform/RadioGroup.h"
#include "platform/Shell.h"
#include "platform/SjisText.h"
#include "platform/Sockets.h"
#include "shared/ProgramFiles.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QPalette>
#include <QPlainTextEdit>
#include <QThread>

using namespace platform;

namespace {

constexpr const char* kTrayTip = "Selvane Computer Network Client in Task-Tray";

} // namespace

TTrovGameClientForm::TTrovGameClientForm(QWidget* parent, std::string programFile)
    : TForm(parent), FProgramFile(std::move(programFile)),
      FServerBoxes(kWaitingBoxes, [](std::size_t dropped) {
          Beep();
          MessageDlg(std::to_string(dropped) + " more messages from the server were not shown.",
                     TMsgDlgType::Information, mbOK);
      }) {
    setObjectName("TrovGameClientForm");
    setWindowTitle("[Selvane Computer Network Trov Game Client]ver 1.00 beta 6E");
    SetOuterSize(QSize(688, 554), QSize(640, 480), QSize(800, 600));
    // Files dropped on the window are taken and discarded.
    setAcceptDrops(true);
    CreateControls();
    BindEvents();
    FormCreate();
    if (Terminated()) return; // the settings could not be read and the player ended
    PreviewForm = std::make_unique<TTrovGameClientPreviewForm>(kClientPreviewFormName, this);
    // The viewer takes the settings font whole, its colour included.
    if (const QColor color = ColorToQColor(FFontColor); color.isValid()) {
        QPalette palette = PreviewForm->Memo->palette();
        palette.setColor(QPalette::Text, color);
        PreviewForm->Memo->setPalette(palette);
    }
}

TTrovGameClientForm::~TTrovGameClientForm() {
    ClientSocket->OnConnect = nullptr;
    ClientSocket->OnRead = nullptr;
    ClientSocket->OnDisconnect = nullptr;
    ClientSocket->OnError = nullptr;
    if (TApplication* app = Application()) app->RestoreHandlers(std::move(FSavedHandlers));
}

void TTrovGameClientForm::FormCreate() {
    if (TApplication* app = Application()) {
        FSavedHandlers = app->CurrentHandlers();
        app->SetOnException([this](const std::exception& e) { AppException(this, e); });
        app->SetOnMinimize([this] { AppMinimize(this); });
    }
    if (FProgramFile.empty())
        FProgramFile = QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString();
    const TProgramFiles files = ProgramFilesOf(FProgramFile);
    ExePath = files.Folder;
    IniFileName = files.Ini;
    TextFileName = files.Text;
    HistFileName = files.History;
    try {
        LoadClientIni(*this, IniFileName);
    } catch (const std::exception& e) {
        // A settings file that cannot be read is reported; unless the player ends the program
        // there, the window opens with what was loaded before the fault.
        AppException(this, e);
        if (FTerminated) return;
    }
    StartupDir = GetStartupFolder() + "/";
    ResetGameState();
    RadioGroup_PlayClick(RadioGroup_Play);
}

void TTrovGameClientForm::closeEvent(QCloseEvent* event) {
    bool canClose = true;
    try {
        FormCloseQuery(this, canClose);
    } catch (...) {
        // Nothing is dropped: the window stays open, and the failure goes on to be reported.
        event->ignore();
        throw;
    }
    if (canClose) {
        if (PreviewForm) PreviewForm->close();
        event->accept();
    } else {
        event->ignore();
    }
}

void TTrovGameClientForm::FormCloseQuery(QObject* Sender, bool& CanClose) {
    (void)Sender;
    if (MItem_CloseCheck->isChecked()) {
        Beep();
        if (MessageBox("End?", "Confirmation", TBoxButtons::OkCancel) != mrOk) {
            CanClose = false;
            return;
        }
    }
    CloseConnection();
    SaveClientIni(*this, IniFileName);
}

void TTrovGameClientForm::WndProc(TMessage& Message) {
    if (Message.Msg == WM_TRAYNOTIFY) {
        if (Message.LParam == WM_LBUTTONDOWN || Message.LParam == WM_RBUTTONDOWN) RestoreFromTray();
        return;
    }
    TForm::WndProc(Message);
}

void TTrovGameClientForm::AppException(QObject* Sender, const std::exception& E) {
    (void)Sender;
    Beep();
    if (MessageDlg(E.what(), TMsgDlgType::Error, mbOK) != mrOk) return;
    // The program ends at once: no close question, no settings written.
    FTerminated = true;
    if (QThread::currentThread()->loopLevel() > 0) QCoreApplication::exit(0);
}

void TTrovGameClientForm::AppMinimize(QObject* Sender) {
    (void)Sender;
    MinimizeToTray(false);
}

void TTrovGameClientForm::MinimizeToTray(bool Force) {
    if (Force || (MItem_TaskTray->isChecked() && !FInTray))
        HideInTray(this, *FTrayIconData, kTrayTip, FInTray);
}

void TTrovGameClientForm::RestoreFromTray() {
    RestoreFromTrayIcon(this, *FTrayIconData, FInTray);
}

void TTrovGameClientForm::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TTrovGameClientForm::dropEvent(QDropEvent* event) {
    // WMDropFiles: every dropped file name is fetched and discarded.
    for (const QUrl& url : event->mimeData()->urls()) (void)url.toLocalFile();
    event->acceptProposedAction();
}
