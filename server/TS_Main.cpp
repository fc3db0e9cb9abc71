#include "server/TS_Main.h"

#include "platform/Application.h"
#include "platform/Beep.h"
#include "platform/Colors.h"
#include "platform/Focus.h"
#include "platform/Shell.h"
#include "platform/SjisText.h"
#include "platform/Sockets.h"
#include "platform/SpinEdit.h"
#include "platform/Widgets.h"
#include "server/TS_GameFile.h"
#include "server/TS_IniIO.h"
#include "shared/PreviewS.h"
#include "shared/ProgramFiles.h"
#include "shared/Sub.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>

using namespace platform;

TTrovGameServerForm::TTrovGameServerForm(QWidget* parent, const std::string& programPath)
    : TForm(parent), FFontColor(clWindowText), FTrayIconData(std::make_unique<TTrayIcon>()),
      FServerMessages(kWaitingServerMessages, [](std::size_t dropped) {
          MessageDlg(std::to_string(dropped) + " more messages to the server were not shown.",
                     TMsgDlgType::Information, mbOK);
      }) {
    setObjectName("TrovGameServerForm");
    setWindowTitle("[Selvane Computer Network]ver 1.00 beta 6E");
    setFont(PixelFont("system", 16));
    setWindowIcon(ProgramIcon("server"));
    FTrayIconData->SetIcon(windowIcon());
    SetOuterSize(QSize(848, 554), QSize(640, 480));
    setAcceptDrops(true);
    CreateControls();
    CreateMenus();
    BindEvents();
    FormCreate(programPath);
    PreviewForm = std::make_unique<TTrovGameServerPreviewForm>(kServerPreviewFormName, this);
}

TTrovGameServerForm::~TTrovGameServerForm() {
    // The game refers to the connections' records: close them without the handlers while
    // the game still exists.
    ServerSocket->OnClientDisconnect = nullptr;
    ClientSocket->OnDisconnect = nullptr;
    ServerSocket->Close();
    ClientSocket->Close();
    if (TApplication* app = Application()) app->RestoreHandlers(std::move(FSavedHandlers));
}

bool TTrovGameServerForm::Listening() const {
    return ServerSocket->Active();
}

TPlayerData* TTrovGameServerForm::PlayerOf(TCustomWinSocket* Socket) {
    TStation* station = TStation::Of(Socket);
    return station ? &station->Player : nullptr;
}

void TTrovGameServerForm::FormCreate(const std::string& programPath) {
    if (TApplication* app = Application()) {
        FSavedHandlers = app->CurrentHandlers();
        app->SetOnException([this](const std::exception& e) { AppException(this, e); });
        app->SetOnShortCut([this](int key, bool& handled) { AppShortCut(key, handled); });
        app->SetOnMinimize([this] { AppMinimize(this); });
    }

    const std::string program =
        programPath.empty() ? QCoreApplication::applicationFilePath().toStdString() : programPath;
    const TProgramFiles files = ProgramFilesOf(program);
    ExePath = files.Folder.empty() ? "./" : files.Folder;
    IniFileName = files.Ini;
    TextFileName = files.Text;
    HistFileName = files.History;
    FProgramFile = program;

    InitGameFileDialogs(*this);
    try {
        LoadServerIni(*this, IniFileName);
    } catch (const std::exception& e) {
        // The window is still made, on the defaults for what could not be read.
        Beep();
        MessageDlg(e.what(), TMsgDlgType::Error, mbOK);
    }
    Label_Host->setText(FromSjis("Server : " + GetLocalHostText()));
    StartupDir = GetStartupFolder() + "/";
    FGame = std::make_unique<TTrovGame>(Handle());
    InitTables();
    RefreshClientList();
    SpinEdit_Exit(SpinEdit_UStkCost);
    SpinEdit_Exit(SpinEdit_UBLCost);
    SpinEdit_Exit(SpinEdit_FinalTurn);
    Edit_GroupNameExit(Edit_GroupName);
    UpdateDisplay();
}

// --- Closing, tray, application handlers ------------------------------------------------

void TTrovGameServerForm::FormCloseQuery(QObject*, bool& CanClose) {
    if (Listening()) {
        Beep();
        if (MessageBox("Stop?", "Confirmation", TBoxButtons::OkCancel) != mrOk) {
            CanClose = false;
            return;
        }
    } else if (MItem_CloseCheck->isChecked()) {
        Beep();
        if (MessageBox("End?", "Confirmation", TBoxButtons::OkCancel) != mrOk) {
            CanClose = false;
            return;
        }
    }
    FGame->Stop();
    ServerSocket->Close();
    SaveServerIni(*this, IniFileName);
}

void TTrovGameServerForm::closeEvent(QCloseEvent* event) {
    bool canClose = true;
    try {
        FormCloseQuery(this, canClose);
    } catch (const std::exception& e) {
        // A settings file that cannot be written is reported; the window still closes.
        if (TApplication* app = Application()) app->HandleException(e);
    }
    if (canClose) {
        if (PreviewForm) PreviewForm->close();
        event->accept();
    } else {
        event->ignore();
    }
}

void TTrovGameServerForm::AppException(QObject*, const std::exception& E) {
    // An exception while its box is open is left to that box, which offers to disconnect and
    // initialise all.
    if (FExceptionBox.IsOpen()) return;
    Beep();
    if (FGame) Button_StopClick(nullptr);
    const std::string text = std::string("An ecception has occurred.\r") + E.what() +
                             "\rDisconnect and initialize all for safety.";
    TModalResult answer = mrNone;
    // It runs: none was open above, and a box opened during the stop has closed by now.
    (void)FExceptionBox.Run([&] { answer = MessageDlg(text, TMsgDlgType::Warning, mbOK); });
    if (answer != mrOk) return;
    if (CheckBox_Server->isChecked()) CheckBox_Server->setChecked(false);
    if (!FGame) return;
    RefreshClientList();
    Button_InitClick(nullptr);
    UpdateDisplay();
}

void TTrovGameServerForm::AppShortCut(int Key, bool&) {
    if (Key != Qt::Key_F5 || !FGame) return;
    RefreshClientList();
    ShowInitialValues();
    ShowHistory();
    UpdateDisplay();
}

void TTrovGameServerForm::AppMinimize(QObject*) {
    MinimizeToTray(false);
}

void TTrovGameServerForm::MinimizeToTray(bool Force) {
    if (Force || (MItem_TaskTray->isChecked() && !FInTray))
        HideInTray(this, *FTrayIconData, "Selvane Computer Network Trov Game Server in Task-Tray",
                   FInTray);
}

void TTrovGameServerForm::RestoreFromTray() {
    RestoreFromTrayIcon(this, *FTrayIconData, FInTray);
}

void TTrovGameServerForm::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TTrovGameServerForm::dropEvent(QDropEvent* event) {
    // Dropped files are taken and put aside: dropping has no effect.
    event->acceptProposedAction();
}

bool TTrovGameServerForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit_GroupName && event->type() == QEvent::FocusOut &&
        LeavesControl(static_cast<QFocusEvent*>(event)))
        Edit_GroupNameExit(Edit_GroupName);
    return TForm::eventFilter(watched, event);
}

void TTrovGameServerForm::WndProc(TMessage& Message) {
    if (Message.Msg == WM_TRAYNOTIFY) {
        if (Message.LParam == WM_LBUTTONDOWN || Message.LParam == WM_RBUTTONDOWN) RestoreFromTray();
        return;
    }
    if (!FGame) return;
    if (Message.Msg != WM_GAMEFINALWEEK) return;
    if (FGame->ProceedTurn() == 1)
        GameOver();
    else
        UpdateDisplay();
}
