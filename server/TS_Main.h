#pragma once
// The game master's main window: connection list, game setting, initial values, manual
// operation and status table on five pages. The implementation is split by concern:
// TS_Main.cpp (creation, closing, tray, application handlers), TS_Layout.cpp (the controls,
// pages and menus, and the binding of their events), TS_Connection.cpp (listening,
// connections and their messages; a connection's input is its station, TS_Station.cpp),
// TS_ClientList.cpp (the connection list and admission), TS_Control.cpp (game control: start,
// pause, the next week, game over, initialising; operator input, role owners and shipping
// modes), TS_Display.cpp (refresh, role labels), TS_Tables.cpp (grids), TS_Menus.cpp (the
// menus' handlers and options), TS_GameFile.cpp (saving and loading game data) and
// TS_IniIO.cpp (the settings file).
#include "platform/Application.h"
#include "platform/BoxQueue.h"
#include "platform/Dialogs.h"
#include "platform/Form.h"
#include "platform/KeyEvents.h"
#include "platform/ListView.h"
#include "platform/Sockets.h"
#include "server/TS_Station.h"
#include "server/TrovGCls.h"
#include "shared/RoleColumns.h"

#include <QFont>
#include <array>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QFont;
class QCheckBox;
class QMenu;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace platform {
class TPageControl;
class TRadioGroup;
class TSpinEdit;
class TStatusBar;
class TStringGrid;
} // namespace platform

class TTrovGamePreviewForm;

// Sends a status message (acceptance, group name, shipping mode, role flag): a copy equal to
// one that still waits unsent to the same peer is left out.
void SendStatus(platform::TConnection* Socket, const std::string& Message);

namespace platform {
class TTrayIcon;
}

// The per-role controls and the column headings come from TRoleColumnControls.
class TTrovGameServerForm : public platform::TForm, public TRoleColumnControls {
    Q_OBJECT
public:
    // `programPath` names the program file from which the settings, document and history
    // file names are derived; empty: the running program's.
    explicit TTrovGameServerForm(QWidget* parent = nullptr, const std::string& programPath = {});
    ~TTrovGameServerForm() override;

    // The one game of the server.
    TTrovGame* Game() const { return FGame.get(); }
    // Whether the server is listening for players.
    bool Listening() const;

    // --- Pages and frame
    platform::TPageControl* PageControl;
    QWidget* TabSheet_Connect;
    QWidget* TabSheet_Config;
    QWidget* TabSheet_Init;
    QWidget* TabSheet_Input;
    QWidget* TabSheet_Game;
    platform::TStatusBar* StatusBar;

    // --- Files beside the program (native names) and the start-up folder ("/" at the end)
    std::string ExePath, IniFileName, TextFileName, HistFileName, StartupDir;

    // --- Menus
    QMenu *Menu_Connect, *Menu_Game, *Menu_Edit, *Menu_Help;
    QAction *MItem_Server, *MItem_Refresh, *MItem_Disconnect, *MItem_SendMsg, *MItem_Exit;
    QAction *MItem_Start, *MItem_Stop, *MItem_Init, *MItem_Write, *MItem_Save, *MItem_Load;
    QAction* MItem_Font;
    QAction *MItem_StartUp, *MItem_StayFront, *MItem_TaskTray, *MItem_CloseCheck;
    QAction *MItem_Doc, *MItem_History, *MItem_Info;
    QMenu* PopupMenu_ListView;
    QAction *L_PItem_SelAll, *L_PItem_Copy, *L_PItem_DisConnect, *L_PItem_SendMsg;
    QMenu* PopupMenu_StringGrid;
    QAction *G_PItem_SelAll, *G_PItem_Copy;
    void Menu_ConnectClick(QObject* Sender);
    void Menu_GameClick(QObject* Sender);
    void Menu_EditClick(QObject* Sender);
    void Menu_HelpClick(QObject* Sender);
    void PopupMenu_ListViewPopup(QObject* Sender);
    void PopupMenu_StringGridPopup(QObject* Sender);
    void MItem_ExitClick(QObject* Sender);
    void MItem_FontClick(QObject* Sender);
    void MItem_StartUpClick(QObject* Sender);
    void MItem_CheckClick(QObject* Sender);
    void MItem_DocClick(QObject* Sender);
    void MItem_HistoryClick(QObject* Sender);
    void MItem_InfoClick(QObject* Sender);
    void L_PItem_SelAllClick(QObject* Sender);
    void L_PItem_CopyClick(QObject* Sender);
    void G_PItem_SelAllClick(QObject* Sender);
    void G_PItem_CopyClick(QObject* Sender);
    void PageControlChange(QObject* Sender);
    // The game data file: save and load through the Game menu.
    void MItem_SaveClick(QObject* Sender);
    void MItem_LoadClick(QObject* Sender);
    platform::TOpenDialog OpenDialog;
    platform::TSaveDialog SaveDialog_Dat;
    platform::TFontDialog FontDialog;
    // The text viewer.
    std::unique_ptr<TTrovGamePreviewForm> PreviewForm;
    // Colour of the page font (the font itself has none); the settings keep it.
    std::int32_t FFontColor;
    // Gives the pages their font and its colour.
    void ApplyPageFont(const QFont& Font, std::int32_t Color);

    // --- Window shell
    // Asked before the window closes; CanClose false keeps it open.
    void FormCloseQuery(QObject* Sender, bool& CanClose);
    void AppException(QObject* Sender, const std::exception& E);
    void AppShortCut(int Key, bool& Handled);
    void AppMinimize(QObject* Sender);
    void MinimizeToTray(bool Force);
    void RestoreFromTray();
    bool FInTray = false;
    std::unique_ptr<platform::TTrayIcon> FTrayIconData;

    // --- Network
    platform::TServerSocket* ServerSocket;
    platform::TClientSocket* ClientSocket;
    // The record of a connection (null for none).
    static TPlayerData* PlayerOf(platform::TCustomWinSocket* Socket);

    // --- Connection page
    QCheckBox* CheckBox_Server;
    platform::TSpinEdit* SpinEdit_Port;
    QLabel* Label_Host;
    platform::TListView* ListView_Connect;
    QPushButton* Button_Refresh;
    QPushButton* Button_Disconnect;
    QPushButton* Button_SendMsg;
    QPlainTextEdit* Memo_SendMsg;

    // --- Setting page
    QPushButton* Button_Start;
    QPushButton* Button_Stop;
    QPushButton* Button_Init;
    QLineEdit* Edit_GroupName;
    platform::TSpinEdit* SpinEdit_FinalTurn;
    QGroupBox* GroupBox_UnitCost;
    QLabel* Label_UStkCost;
    QLabel* Label_UBLCost;
    platform::TSpinEdit* SpinEdit_UStkCost;
    platform::TSpinEdit* SpinEdit_UBLCost;
    platform::TRadioGroup *RadioGroup_FtOwner, *RadioGroup_W1Owner, *RadioGroup_W2Owner,
        *RadioGroup_RtOwner;
    platform::TRadioGroup *RadioGroup_FtShipM, *RadioGroup_W1ShipM, *RadioGroup_W2ShipM,
        *RadioGroup_RtShipM;

    // --- Initial Values page
    QGroupBox* GroupBox_First;
    QLabel* Label_Demand;
    QPushButton* Button_MarcketRand;
    platform::TSpinEdit* SpinEdit_MarcketMin;
    QLabel* Label_MarcketTo;
    platform::TSpinEdit* SpinEdit_MarcketMax;
    QPushButton* Button_MarcketDef;
    platform::TStringGrid* StringGrid_Marcket;
    QLabel* Label_First;
    QPushButton* Button_FirstRand;
    platform::TSpinEdit* SpinEdit_FirstMin;
    QLabel* Label_FirstTo;
    platform::TSpinEdit* SpinEdit_FirstMax;
    QPushButton* Button_FirstDef;
    platform::TStringGrid* StringGrid_First;

    // --- Manual Operation page

    // --- Status page
    QLabel* Label_NowTurn;
    QLabel* Label_Status;
    platform::TStringGrid* StringGrid_Game;

    // Column separator of copied and exported text.
    std::string ColumnDiv = "\t";

    // --- Tables
    // The rows of the starting-value table and of the status table, headings included; their
    // row tables in TS_Tables.cpp give them.
    static const int kFirstRowCount;
    static const int kGameRowCount;
    void InitTables();
    void ShowInitialValues();
    void ReadInitialValues();
    void ShowHistory();
    void ShowTotals();
    void GridSelectAll(platform::TStringGrid* Grid, bool IncludeFixed);
    void CopyGridSelection(platform::TStringGrid* Grid, const std::string& Separator,
                           std::string& Text, bool ToText);
    void AutoSizeGridColumns(platform::TStringGrid* Grid);
    // The tables' rows are designed this high; a larger font makes them as high as its line needs.
    static constexpr int kGridRowHeight = 20;
    // Fits each table's heading column to its headings (the demand table's to its week numbers).
    void FitHeadingColumns();
    // Fits the tables to the font they have now: rows as high as its line needs, never lower
    // than designed, and the heading and value columns as wide as their texts need in it.
    void FitTablesToFont();
    void Button_MarcketRandClick(QObject* Sender);
    void Button_FirstRandClick(QObject* Sender);
    void Button_MarcketDefClick(QObject* Sender);
    void Button_FirstDefClick(QObject* Sender);
    void StringGrid_KeyDown(QObject* Sender, std::uint16_t& Key, platform::TShiftState Shift);
    void StringGrid_KeyPress(QObject* Sender, char16_t& Key);
    void StringGrid_KeyUp(QObject* Sender, std::uint16_t& Key, platform::TShiftState Shift);
    void StringGrid_MarcketSetEditText(QObject* Sender, int ACol, int ARow,
                                       const std::string& Value);
    void StringGrid_MarcketExit(QObject* Sender);
    // The result text export to a file chosen by the game master.
    void MItem_WriteClick(QObject* Sender);
    // The grid on which the grid pop-up menu was last opened (none before).
    platform::TStringGrid* FPopupGrid = nullptr;
    platform::TSaveDialog SaveDialog_Txt;

    // --- Network and connection list
    void CheckBox_ServerClick(QObject* Sender);
    void ServerSocketClientConnect(QObject* Sender, platform::TCustomWinSocket* Socket);
    void ServerSocketClientDisconnect(QObject* Sender, platform::TCustomWinSocket* Socket);
    void ServerSocketClientRead(QObject* Sender, platform::TCustomWinSocket* Socket);
    void ServerSocketClientHostName(QObject* Sender, platform::TCustomWinSocket* Socket);
    void ServerSocketClientError(QObject* Sender, platform::TCustomWinSocket* Socket,
                                 platform::TErrorEvent ErrorEvent, int& ErrorCode);
    void ParseClientLine(const std::string& Line, platform::TCustomWinSocket* Socket);
    void HandleClientMessage(const std::string& Code, const std::string& Body,
                             platform::TCustomWinSocket* Socket);
    void ClientSocketConnect(QObject* Sender, platform::TCustomWinSocket* Socket);
    void ClientSocketDisconnect(QObject* Sender, platform::TCustomWinSocket* Socket);
    void ClientSocketRead(QObject* Sender, platform::TCustomWinSocket* Socket);
    void ClientSocketError(QObject* Sender, platform::TCustomWinSocket* Socket,
                           platform::TErrorEvent ErrorEvent, int& ErrorCode);
    void Button_RefreshClick(QObject* Sender);
    void Button_DisconnectClick(QObject* Sender);
    void Button_SendMsgClick(QObject* Sender);
    void RefreshClientList();
    int FindConnectionOfItem(int Index);
    void ListView_ConnectChange(QObject* Sender, platform::TListItem* Item,
                                platform::TItemChange Change);
    void CopyListViewSelection(platform::TListView* ListView, const std::string& Separator,
                               bool ToText, std::string& Text);
    void ListView_KeyDown(QObject* Sender, std::uint16_t& Key, platform::TShiftState Shift);
    void ListView_ColumnClick(QObject* Sender, platform::TListColumn* Column);
    void ListView_Compare(QObject* Sender, platform::TListItem* Item1, platform::TListItem* Item2,
                          int Data, int& Compare);
    // Sort key of the connection list: 0 none, +k ascending by column k, -k descending.
    int FSortColumn = 0;
    // The boxes that network events open, each open once at a time: texts for the server
    // (chat to it, what the loop-back connection receives) wait for the box before them, at
    // most this many.
    static constexpr std::size_t kWaitingServerMessages = 64;
    platform::TBoxQueue FServerMessages;
    platform::TOneBox FPauseBox, FSocketErrorBox, FExceptionBox;

    // --- Refresh, role labels
    void UpdateControls();
    void UpdateDisplay();
    void SetEntryLabels();
    void ShowInputStatus();

    // --- Game control, operator input, role owners and shipping modes
    void Button_StartClick(QObject* Sender);
    void Button_InitClick(QObject* Sender);
    // Asks the game to go on: a processed week refreshes the display, the game's end runs
    // GameOver, missing inputs change nothing.
    void ProceedGame();
    void Button_StopClick(QObject* Sender);
    void GameOver();
    void Edit_GroupNameExit(QObject* Sender);
    void Button_OrderClick(QObject* Sender);
    void SpinEdit_Exit(QObject* Sender);
    void RadioGroup_FtOwnerClick(QObject*) { OwnerClick(rlFactory); }
    void RadioGroup_W1OwnerClick(QObject*) { OwnerClick(rlDistributor); }
    void RadioGroup_W2OwnerClick(QObject*) { OwnerClick(rlWholesaler); }
    void RadioGroup_RtOwnerClick(QObject*) { OwnerClick(rlRetailer); }
    void RadioGroup_FtShipMClick(QObject*) { ShipModeClick(rlFactory); }
    void RadioGroup_W1ShipMClick(QObject*) { ShipModeClick(rlDistributor); }
    void RadioGroup_W2ShipMClick(QObject*) { ShipModeClick(rlWholesaler); }
    void RadioGroup_RtShipMClick(QObject*) { ShipModeClick(rlRetailer); }

    // The controls of each role, index 0 (Factory) to 3 (Retailer).
    struct TRoleControls {
        platform::TRadioGroup* Owner;
        platform::TRadioGroup* ShipM;
        QLabel* Join;
        QLabel* Stock;
        QLabel* BLCost;
        QLabel* Demand;
        QLabel* OrderLabel;
        platform::TSpinEdit* Order;
        QLabel* ShipMLabel;
        platform::TSpinEdit* ShipMEdit;
        QPushButton* OrderButton;
        QLabel* Input;
    };
    std::array<TRoleControls, 4> Roles;
    // The controls of a role number (1 to 4).
    TRoleControls& RoleControls(int role) {
        return Roles[static_cast<std::size_t>(RoleIndex(role))];
    }

    // Posted messages: the end-of-game notice of the game.
    void WndProc(platform::TMessage& Message) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateControls();
    QWidget* CreateConnectionPage();
    QWidget* CreateSettingPage();
    QWidget* CreateInitialValuesPage();
    QWidget* CreateManualOperationPage();
    QWidget* CreateStatusPage();
    void CreateMenus();
    void BindEvents();
    void FormCreate(const std::string& programPath);

    void OwnerClick(int role);
    void ShipModeClick(int role);
    // Delivers a chat message from a station (or nothing when it goes nowhere).
    void RelayChat(const std::string& Body, const TPlayerData& Sender,
                   platform::TCustomWinSocket* Socket);
    // The pause on losing an admitted player (connection lost or row unticked), after its box.
    void PauseForLostPlayer();
    // The box of a lost player while the game runs; false when it is open already (the pause
    // is left to it).
    bool PauseBox();
    // An admitted player's connection is lost: the pause, or after the last week the game's
    // end without the player.
    void LosePlayer(TPlayerData& Player);
    std::unique_ptr<TTrovGame> FGame;
    // What the status table shows of each week (its values, and its widest text), so that a
    // refresh writes and measures only the weeks that changed. Valid while the table's cells
    // are as the last refresh left them.
    struct TShownWeek {
        std::string Values;
        int Widest = 0;
    };
    std::vector<TShownWeek> FShownWeeks;
    std::uint64_t FShownVersion = 0;
    // The table's font when the weeks were measured: another font measures them again.
    QFont FShownFont;
    std::string FProgramFile;
    // The application's handlers before this window installed its own.
    platform::TApplication::Handlers FSavedHandlers;
};
