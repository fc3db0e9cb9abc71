#pragma once
// One player's main window: the connection, the chain's state and the week-by-week history on
// three pages. The implementation is split by concern: TC_Main.cpp (creation, closing, tray,
// window procedure, exceptions), TC_Layout.cpp (the controls and their events),
// TC_Connection.cpp (socket events and server messages), TC_Actions.cpp (the player's actions),
// TC_Display.cpp (refresh and history), TC_Menus.cpp (menus and options), TC_IniIO.cpp
// (settings).
#include "platform/Application.h"
#include "platform/BoxQueue.h"
#include "platform/Dialogs.h"
#include "platform/Form.h"
#include "platform/KeyEvents.h"
#include "platform/Sockets.h"
#include "shared/PreviewS.h"
#include "shared/RoleColumns.h"
#include "shared/Wire.h"

#include <QFont>
#include <array>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct TStateCode;
class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;

namespace platform {
class TListView;
class TListItem;
class TPageControl;
class TRadioGroup;
class TSpinEdit;
class TStatusBar;
class TTrayIcon;
} // namespace platform

// One week of this client: the four inventories, the own backlog and incoming order, and the
// own order and shipment as the server confirmed them.
struct THistoryRec {
    std::uint8_t Stock[4] = {0, 0, 0, 0}; // Factory, Distributor, Wholesaler, Retailer
    std::uint8_t Backlog = 0;
    std::uint8_t Demand = 0;
    std::int8_t OrderSent = 0;
    std::int8_t ShipSent = 0;
};

// Where the client stands in the connection and the game; the status bar and the enabled
// controls follow it.
enum TClientState : std::uint8_t {
    csDisconnected = 1, // no connection
    csWaitAccept = 2,   // connecting or connected, waiting for the game master's acceptance
    csAccepted = 3,     // accepted, waiting for the start
    csPlaying = 4,      // a week is open, own decision not sent yet
    csPaused = 5,       // paused by the game master
    csDecided = 6,      // own decision sent, waiting for the other roles
    csFinished = 7,     // game over, connection closed
};

// The per-role controls and the column headings come from TRoleColumnControls.
class TTrovGameClientForm : public platform::TForm, public TRoleColumnControls {
    Q_OBJECT
public:
    // `programFile` is the program's full path, from which the settings, help and history
    // file names are made (empty: the running program's own path).
    explicit TTrovGameClientForm(QWidget* parent = nullptr, std::string programFile = {});
    ~TTrovGameClientForm() override;

    // --- File names made from the program's path (see ProgramFilesOf)
    std::string FProgramFile; // the full path, which the start-up entry runs
    std::string ExePath;      // its folder, with the trailing '/'
    std::string IniFileName;  // settings
    std::string TextFileName; // help text
    std::string HistFileName; // change history
    std::string StartupDir;   // the start-up folder, with the trailing '/'

    // --- Frame
    QMenuBar* MainMenu;
    platform::TPageControl* PageControl;
    QWidget* TabSheet_Connect;
    QWidget* TabSheet_Game;
    QWidget* TabSheet_History;
    platform::TStatusBar* StatusBar;
    platform::TClientSocket* ClientSocket;
    platform::TSaveDialog SaveDialog;
    platform::TFontDialog FontDialog;
    // The text viewer for the help and history documents, made right after the window.
    std::unique_ptr<TTrovGameClientPreviewForm> PreviewForm;

    // --- Connection page
    QLabel* Label_Server;
    QLineEdit* Edit_Server;
    QLabel* Label_Port;
    platform::TSpinEdit* SpinEdit_Port;
    QLabel* Label_Name;
    QLineEdit* Edit_Name;
    platform::TRadioGroup* RadioGroup_Play;
    QCheckBox* CheckBox_Connect;
    QGroupBox* GroupBox_Join;
    QLabel* Label_Msg;
    QPlainTextEdit* Memo_Msg;
    platform::TRadioGroup* RadioGroup_Target;
    QPushButton* Button_SendMsg;

    // --- Status page
    QGroupBox* GroupBox_Input;

    // --- History page
    platform::TListView* ListView_History;
    QMenu* PopupMenu_ListView;
    QAction *PItem_Copy, *PItem_SelAll, *PItem_Save;

    // --- Main menu
    QMenu* Menu_Game;
    QAction *MItem_Connect, *MItem_Order, *MItem_SendMsg, *MItem_Save, *MItem_Exit;
    QMenu* Menu_Edit;
    QAction *MItem_Copy, *MItem_SelAll, *MItem_Font;
    QMenu* Menu_Help;
    QAction *MItem_StartUp, *MItem_StayFront, *MItem_TaskTray, *MItem_CloseCheck;
    QAction *MItem_Doc, *MItem_History, *MItem_Info;

    // The controls of each role column, index 0 (Factory) to 3 (Retailer).
    struct TRoleControls {
        QLabel* Join;
        QLabel* Input;
        QLabel* Stock;
        QLabel* BLCost;
        QLabel* Demand;
        QLabel* OrderLabel;
        platform::TSpinEdit* Order;
        QLabel* ShipMLabel;
        platform::TSpinEdit* ShipM;
        QPushButton* OrderButton;
    };
    std::array<TRoleControls, 4> Roles;

    // --- Tray
    bool FInTray = false;
    platform::TTrayIcon* FTrayIconData;

    // --- Game state (fields zero until the window's creation resets them)
    std::vector<THistoryRec> FHistory; // index = week - 1
    // The state and the acceptance flag are also set by steps that follow a box, which may run
    // late: they know the turn that set them.
    platform::TLatest<TClientState> FState{csDisconnected};
    platform::TLatest<bool> FNotifyAccept{false}; // the next "Let's Play!" shows the acceptance box
    bool FShipManual = false;                     // the server asks this player for the shipment
    std::int8_t FWeek = 0;                        // -1: no week received yet
    std::string FGroupName;
    TReceiveBuffer FRecvBuf;
    std::uint8_t FStock[4] = {0, 0, 0, 0};
    std::uint8_t FBacklog = 0;
    std::uint8_t FDemand = 0;
    std::int8_t FOrderSent = 0; // -1: none this week
    std::int8_t FShipSent = 0;  // -1: none this week
    bool FJoined[4] = {false, false, false, false};
    bool FDecided[4] = {false, false, false, false};
    // Column separator of copied and saved history text.
    std::string FColumnSep = "\t";
    // The window's own font with its colour (what the settings file keeps).
    QFont FFont;
    std::int32_t FFontColor = 0;

    // A connection whose received bytes after the last message end pass this is closed.
    static constexpr std::size_t kMaxRecvBuf = std::size_t(1) << 20;
    // The client takes at most this many received bytes at a time, and complete messages wait
    // in the receive buffer for a chunk that ends with a TAB only while it holds no more than
    // this (past it they are handled at once): a server that streams holds the window for
    // one such piece at a time.
    static constexpr std::size_t kHeldRecvBuf = 16 * 1024;
    // Received messages not handled yet, in the order they arrived.
    std::deque<std::string> FPendingLines;
    int FHandlingLines = 0;   // HandlePendingLines calls under way (nested inside boxes)
    bool FEndWaiting = false; // the connection has ended: it takes effect after those lines
    bool FClosing = false;    // the client is closing the connection itself
    // The boxes that server messages open, one at a time: those that come while one is open
    // wait for it, at most this many.
    static constexpr std::size_t kWaitingBoxes = 64;
    platform::TBoxQueue FServerBoxes;

    // The own role (0 Factory .. 3 Retailer), -1 for none; read from RadioGroup_Play.
    int OwnRole() const;
    void ResetGameState();

    // --- Connection and server messages
    void ClientSocketConnect(QObject* Sender, platform::TCustomWinSocket* Socket);
    void ClientSocketDisconnect(QObject* Sender, platform::TCustomWinSocket* Socket);
    void ClientSocketRead(QObject* Sender, platform::TCustomWinSocket* Socket);
    void ClientSocketError(QObject* Sender, platform::TCustomWinSocket* Socket,
                           platform::TErrorEvent ErrorEvent, int& ErrorCode);
    void HandlePendingLines();
    // The connection's end taking effect: the game fields reset, Connect unticked.
    void Disconnected();
    // Closes the connection from the client's side: its end takes effect at once.
    void CloseConnection();
    void ParseServerLine(const std::string& Line);
    void HandleServerMessage(const std::string& Code, const std::string& Value);
    // The handlers of the server messages (HandleServerMessage picks one by the code).
    void HandleCloseMessage(const std::string& Value);
    void HandleDuplicateName(const std::string& Value);
    void HandleWelcome(const std::string& Value);
    void HandleAcceptance(const std::string& Value);
    void HandleShipMode(const std::string& Value);
    void HandleGroupName(const std::string& Value);
    void HandleGameMessage(const std::string& Value);
    void HandleWeekMessage(const std::string& Value);
    void HandleStateValue(const TStateCode& Code, const std::string& Value);
    void HandleReceipt(bool Order, const std::string& Value);
    void HandleRoleFlag(bool Join, const std::string& Value);
    void HandleTextMessage(const std::string& Value);
    // Beep and the information box with `text`, after the boxes before it; then `after`.
    void InfoBox(const std::string& text, std::function<void()> after = {});

    // --- Player actions
    void CheckBox_ConnectClick(QObject* Sender);
    void RadioGroup_PlayClick(QObject* Sender);
    void Button_SendMsgClick(QObject* Sender);
    void Button_OrderClick(QObject* Sender);
    void SpinEdit_Exit(QObject* Sender);

    // --- Display and history
    void UpdateView();
    void ShowJoinStatus();
    void ShowInputStatus();
    void ClearStatusBold();
    void ShowRoleControls();
    void EnableControls();
    void FillHistoryList();
    // Gives a history row the texts of week Row + 1.
    void SetHistoryRow(platform::TListItem* Item, int Row) const;
    void AddTotalRows();
    void CopyListViewRows(platform::TListView* ListView, const std::string& Separator,
                          std::string& Text, bool ToText);
    void ListView_KeyDown(QObject* Sender, std::uint16_t& Key, platform::TShiftState Shift);
    void MItem_SelAllClick(QObject* Sender);
    void MItem_CopyClick(QObject* Sender);
    void MItem_SaveClick(QObject* Sender);

    // --- Window shell
    void FormCreate();
    void FormCloseQuery(QObject* Sender, bool& CanClose);
    void WndProc(platform::TMessage& Message) override;
    void AppException(QObject* Sender, const std::exception& E);
    void AppMinimize(QObject* Sender);
    void MinimizeToTray(bool Force);
    void RestoreFromTray();
    // True once an exception has been answered with OK: the program is to end.
    bool Terminated() const { return FTerminated; }

    // --- Menus
    void Menu_GameClick(QObject* Sender);
    void Menu_EditClick(QObject* Sender);
    void Menu_HelpClick(QObject* Sender);
    void PopupMenu_ListViewPopup(QObject* Sender);
    void MItem_ConnectClick(QObject* Sender);
    void MItem_ExitClick(QObject* Sender);
    void MItem_FontClick(QObject* Sender);
    void MItem_StartUpClick(QObject* Sender);
    void MItem_CheckClick(QObject* Sender);
    void MItem_DocClick(QObject* Sender);
    void MItem_HistoryClick(QObject* Sender);
    void MItem_InfoClick(QObject* Sender);
    // The start-up entry's file name.
    std::string StartupLinkName() const;

    // The window's own font (with its colour) in use: the status bar follows it, the pages keep
    // their own.
    void ApplyFont(const QFont& font, std::int32_t color);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The application's handlers before this window installed its own.
    platform::TApplication::Handlers FSavedHandlers;
    void CreateControls();
    QWidget* CreateConnectionPage();
    QWidget* CreateStatusPage();
    QWidget* CreateHistoryPage();
    void CreateMenus();
    void BindEvents();
    void Send(const std::string& bytes);
    void StoreHistory(const std::function<void(THistoryRec&)>& store);

    bool FTerminated = false;
};
