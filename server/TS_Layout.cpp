// The server window's controls, pages and menus, and the binding of their events.
#include "server/TS_Main.h"

#include "platform/Label.h"
#include "platform/ListView.h"
#include "platform/PageControl.h"
#include "platform/RadioGroup.h"
#include "platform/Shell.h"
#include "platform/Sockets.h"
#include "platform/SpinEdit.h"
#include "platform/StatusBar.h"
#include "platform/StringGrid.h"
#include "platform/Widgets.h"
#include "shared/Role.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <array>

using namespace platform;

namespace {

// The radio groups of each role: who plays it and how it ships.
constexpr std::array<TRadioGroup * TTrovGameServerForm::*, 4> kOwnerGroups = {
    &TTrovGameServerForm::RadioGroup_FtOwner, &TTrovGameServerForm::RadioGroup_W1Owner,
    &TTrovGameServerForm::RadioGroup_W2Owner, &TTrovGameServerForm::RadioGroup_RtOwner};
constexpr std::array<TRadioGroup * TTrovGameServerForm::*, 4> kShipGroups = {
    &TTrovGameServerForm::RadioGroup_FtShipM, &TTrovGameServerForm::RadioGroup_W1ShipM,
    &TTrovGameServerForm::RadioGroup_W2ShipM, &TTrovGameServerForm::RadioGroup_RtShipM};

TStringGrid* NewGrid(const char* name, int cols, int rows, int colWidth, bool editing,
                     const char* hint) {
    auto* grid = Named(new TStringGrid, name, hint);
    grid->SetColCount(cols);
    grid->SetRowCount(rows);
    grid->SetFixedCols(1);
    grid->SetFixedRows(1);
    grid->SetDefaultColWidth(colWidth);
    grid->SetDefaultRowHeight(TTrovGameServerForm::kGridRowHeight);
    grid->SetOptions(goRangeSelect | goColSizing |
                     (editing ? TGridOptions{goEditing} : TGridOptions{0}));
    return grid;
}

void AddPart(QBoxLayout* box, QWidget* part) {
    box->addWidget(part);
}
void AddPart(QBoxLayout* box, QLayout* part) {
    box->addLayout(part);
}

// A page's layout: the parts one under the other at its top.
template <class... Parts> QVBoxLayout* AtTop(Parts*... parts) {
    auto* layout = new QVBoxLayout;
    (AddPart(layout, parts), ...);
    layout->addStretch();
    return layout;
}

} // namespace

void TTrovGameServerForm::CreateControls() {
    ServerSocket = new TServerSocket(this);
    ServerSocket->setObjectName("ServerSocket");
    ClientSocket = new TClientSocket(this);
    ClientSocket->setObjectName("ClientSocket");

    PageControl = AddPageControl(this);
    TabSheet_Connect = CreateConnectionPage();
    TabSheet_Config = CreateSettingPage();
    TabSheet_Init = CreateInitialValuesPage();
    TabSheet_Input = CreateManualOperationPage();
    TabSheet_Game = CreateStatusPage();
    PageControl->SetActivePageIndex(0);

    StatusBar = AddStatusBar(this, "Stop");

    // The controls of each role, and its radio groups and join label.
    for (int i = 0; i < 4; ++i)
        Roles[i] = {this->*kOwnerGroups[i], this->*kShipGroups[i], Column(i).Join,
                    Column(i).Stock,        Column(i).BLCost,      Column(i).Demand,
                    Column(i).OrderLabel,   Column(i).Order,       Column(i).ShipMLabel,
                    Column(i).ShipM,        Column(i).OrderButton, Column(i).Input};
}

QWidget* TTrovGameServerForm::CreateConnectionPage() {
    auto* serverBox = Named(new QGroupBox("Server Setting"), "GroupBox_Server");
    CheckBox_Server =
        Named(new QCheckBox("Start"), "CheckBox_Server", "Check this, and the server starts.");
    SpinEdit_Port = NewSpinEdit("SpinEdit_Port", 1024, 49151, 5, 8799,
                                "Set the server port and check the left.");
    Label_Host = NewLabel("Label_Host", "Server : ", "NetBIOS name and IP address of this PC");
    Button_Refresh = NewButton("Button_Refresh", "Update", "Update the Client List");
    Button_Refresh->setEnabled(false);
    auto* serverRow = new QHBoxLayout(serverBox);
    serverRow->addWidget(CheckBox_Server);
    serverRow->addWidget(NewLabel("Label_Port", "Port :"));
    serverRow->addWidget(SpinEdit_Port);
    serverRow->addSpacing(16);
    serverRow->addWidget(Label_Host, 1);
    serverRow->addWidget(Button_Refresh);

    ListView_Connect =
        Named(new TListView, "ListView_Connect", "Check the clients which you allow to connect.");
    ListView_Connect->SetCheckboxes(true);
    ListView_Connect->SetMultiSelect(true);
    ListView_Connect->SetGridLines(true);
    const std::pair<const char*, int> columns[] = {{"User", 113}, {"Wish", 90},
                                                   {"Host", 113}, {"IP Address", 158},
                                                   {"Port", 68},  {"Start Time", 135}};
    for (const auto& [caption, width] : columns) ListView_Connect->AddColumn(caption, width);
    Button_Disconnect =
        NewButton("Button_Disconnect", "Disconnect", "Disconnect the selected clients");
    Button_Disconnect->setEnabled(false);
    Button_SendMsg =
        NewButton("Button_SendMsg", "Send a Message", "Send a message to the selected clients.");
    Button_SendMsg->setEnabled(false);
    Memo_SendMsg = NewMemo("Memo_SendMsg", "Write here the message to the selected clients.");
    Memo_SendMsg->setMaximumHeight(80);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(Button_Disconnect);
    buttons->addWidget(Button_SendMsg);
    buttons->addStretch();
    auto* messageRow = new QHBoxLayout;
    messageRow->addWidget(Memo_SendMsg, 1);
    messageRow->addLayout(buttons);

    auto* layout = new QVBoxLayout;
    layout->addWidget(serverBox);
    layout->addWidget(NewLabel("Label_Connect", "Connecting Clients"));
    layout->addWidget(ListView_Connect, 1);
    layout->addLayout(messageRow);
    return PageControl->AddPage("Connection", "TabSheet_Connect", layout);
}

QWidget* TTrovGameServerForm::CreateSettingPage() {
    Button_Start = NewButton("Button_Start", "Start/Resume", "Start/restart", true);
    Button_Stop = NewButton("Button_Stop", "Stop", "Pause", true);
    Button_Init = NewButton("Button_Init", "Initialize", "Restart", true);
    Edit_GroupName = Named(new QLineEdit("Benvik Co."), "Edit_GroupName", "Team name");
    SpinEdit_FinalTurn = NewSpinEdit("SpinEdit_FinalTurn", 10, 99, 2, 50, "Game term");

    GroupBox_UnitCost = Named(new QGroupBox("Unit Cost"), "GroupBox_UnitCost");
    Label_UStkCost = NewLabel("Label_UStkCost", "Inventory :");
    SpinEdit_UStkCost = NewSpinEdit("SpinEdit_UStkCost", 1, 99, 2, 1, "Inventory cost per unit");
    Label_UBLCost = NewLabel("Label_UBLCost", "Backlog :");
    SpinEdit_UBLCost = NewSpinEdit("SpinEdit_UBLCost", 1, 99, 2, 2, "Backlog cost per unit");
    auto* costs = new QHBoxLayout(GroupBox_UnitCost);
    costs->addWidget(Label_UStkCost);
    costs->addWidget(SpinEdit_UStkCost);
    costs->addSpacing(12);
    costs->addWidget(Label_UBLCost);
    costs->addWidget(SpinEdit_UBLCost);
    costs->addStretch();

    auto* control = new QGridLayout;
    control->addWidget(Button_Start, 0, 0);
    control->addWidget(Button_Stop, 0, 1);
    control->addWidget(Button_Init, 0, 2);
    control->addWidget(NewLabel("Label_GroupName", "Group :"), 1, 0, Qt::AlignRight);
    control->addWidget(Edit_GroupName, 1, 1, 1, 2);
    control->addWidget(NewLabel("Label_FinalTurn", "Weeks :"), 2, 0, Qt::AlignRight);
    control->addWidget(SpinEdit_FinalTurn, 2, 1);
    control->addWidget(GroupBox_UnitCost, 0, 3, 3, 1);
    control->setColumnStretch(4, 1);

    auto* roles = new QGridLayout;
    for (int i = 0; i < 4; ++i) {
        const std::string code = RoleCode(i);
        TRadioGroup*& owner = this->*kOwnerGroups[i];
        TRadioGroup*& shipping = this->*kShipGroups[i];
        QLabel*& join = Column(i).Join;
        owner = NewRadioGroup(("RadioGroup_" + code + "Owner").c_str(),
                              (std::string(RoleWord(i)) + " Operation").c_str(),
                              {"Client", "Server", "Auto"}, 0, "Select a demand generate style.");
        shipping =
            NewRadioGroup(("RadioGroup_" + code + "ShipM").c_str(),
                          (std::string(RoleWord(i)) + " Shipment").c_str(),
                          {"Manual", "All", "Auto"}, 2, "Select a supply scale setting style.");
        join = NewLabel(("Label_" + code + "Join").c_str(), "Waiting",
                        "Status of each role. After all set, a game starts.");
        roles->addWidget(owner, i, 0);
        roles->addWidget(shipping, i, 1);
        roles->addWidget(join, i, 2);
    }
    roles->setColumnStretch(0, 2);
    roles->setColumnStretch(1, 2);
    roles->setColumnStretch(2, 1);

    return PageControl->AddPage("Setting", "TabSheet_Config", AtTop(control, roles));
}

QWidget* TTrovGameServerForm::CreateInitialValuesPage() {
    GroupBox_First = Named(new QGroupBox("Initial Settings"), "GroupBox_First");
    // A column's random range (its button, bounds and the dash between them) and its default
    // button.
    auto range = [](const std::string& stem, const char* hint, QPushButton*& random,
                    TSpinEdit*& min, QLabel*& to, TSpinEdit*& max, const char* defaultHint,
                    QPushButton*& byDefault) {
        random = NewButton("Button_" + stem + "Rand", "Random", hint);
        min = NewSpinEdit("SpinEdit_" + stem + "Min", 1, 99, 2, 2, hint);
        to = NewLabel("Label_" + stem + "To", "--", hint);
        max = NewSpinEdit("SpinEdit_" + stem + "Max", 1, 99, 2, 6, hint);
        byDefault = NewButton("Button_" + stem + "Def", "Default", defaultHint);
    };
    Label_Demand = NewLabel("Label_Demand", "Demand", "Input the demand volume a week");
    range("Marcket", "Random setting of the market demand between these values.",
          Button_MarcketRand, SpinEdit_MarcketMin, Label_MarcketTo, SpinEdit_MarcketMax,
          "Default setting of the market demand", Button_MarcketDef);
    StringGrid_Marcket =
        NewGrid("StringGrid_Marcket", 2, 52, 35, true, "Input the demand volume a week");

    Label_First = NewLabel("Label_First", "Initial Inventory", "Initial inventories.");
    range("First", "Random setting of each initial inventory between these values.",
          Button_FirstRand, SpinEdit_FirstMin, Label_FirstTo, SpinEdit_FirstMax,
          "Default setting of each initial inventory", Button_FirstDef);
    StringGrid_First =
        NewGrid("StringGrid_First", 2, kFirstRowCount, 150, true, "Initial inventories.");

    auto column = [](QLabel* label, QPushButton* random, TSpinEdit* min, QLabel* to, TSpinEdit* max,
                     QPushButton* def, TStringGrid* grid) {
        auto* range = new QHBoxLayout;
        range->addWidget(random);
        range->addWidget(min);
        range->addWidget(to);
        range->addWidget(max);
        range->addStretch();
        auto* heading = new QHBoxLayout;
        heading->addWidget(label);
        heading->addStretch();
        heading->addWidget(def);
        auto* col = new QVBoxLayout;
        col->addLayout(heading);
        col->addLayout(range);
        col->addWidget(grid, 1);
        return col;
    };
    auto* columns = new QHBoxLayout(GroupBox_First);
    columns->addLayout(column(Label_Demand, Button_MarcketRand, SpinEdit_MarcketMin,
                              Label_MarcketTo, SpinEdit_MarcketMax, Button_MarcketDef,
                              StringGrid_Marcket),
                       1);
    columns->addLayout(column(Label_First, Button_FirstRand, SpinEdit_FirstMin, Label_FirstTo,
                              SpinEdit_FirstMax, Button_FirstDef, StringGrid_First),
                       3);

    auto* layout = new QVBoxLayout;
    layout->addWidget(GroupBox_First);
    return PageControl->AddPage("Initial Values", "TabSheet_Init", layout);
}

QWidget* TTrovGameServerForm::CreateManualOperationPage() {
    GroupBox_Game = Named(new QGroupBox, "GroupBox_Game");
    auto* grid = new QGridLayout(GroupBox_Game);
    CreateHeadings(true);
    const auto headings = Headings();
    const auto cursors = Cursors();

    auto* statusBox = Named(new QGroupBox("Status"), "GroupBox_Input");
    for (int i = 0; i < 4; ++i) {
        auto c = Column(i);
        const std::string code = RoleCode(i);
        auto name = [&](const char* kind, const char* suffix) {
            return std::string(kind) + "_" + code + suffix;
        };
        c.Stock = NewLabel(name("Label", "Stock").c_str(), "Inventory : ?", "Current inventory");
        c.BLCost = NewLabel(name("Label", "BLCost").c_str(), "Backlog : ?", "Backlog");
        c.Demand = NewLabel(name("Label", "Demand").c_str(), "Ordered : ?", "Demand volume");
        // The running texts are longer than a column is wide: they wrap.
        for (QLabel* label : {c.Stock, c.BLCost, c.Demand}) WrapToWidth(label);
        c.OrderLabel = NewLabel(name("Label", "Order").c_str(), "Order :", "Order volume");
        c.Order = NewSpinEdit(name("SpinEdit", "Order").c_str(), 0, 99, 2, 5, "Order volume");
        c.ShipMLabel = NewLabel(name("Label", "ShipM").c_str(),
                                i == 3 ? "Shipment" : "Shipment :", "Set shipment volume");
        c.ShipM =
            NewSpinEdit(name("SpinEdit", "ShipM").c_str(), 0, 99, 2, 5, "Set shipment volume");
        c.OrderButton =
            NewButton(name("Button", "Order").c_str(), "Set", "Push OK when you decide.", true);
        c.Input =
            NewLabel(name("Label", "Input").c_str(),
                     (std::string(RoleWord(i)) + " : Notyet").c_str(), "Other players status");

        const int col = GridColumn(i);
        const int span = GridSpan(i);
        grid->addWidget(headings[i], 0, col);
        grid->addWidget(cursors[i], 0, col + 1);
        grid->addWidget(c.Stock, 1, col, 1, span);
        PlaceEntryRows(grid, i);
        grid->addWidget(c.OrderButton, 6, col);
    }
    grid->addWidget(Label_Marcket, 0, 8);
    PlaceInputLabels(statusBox);
    for (int c = 0; c < 9; c += 2) grid->setColumnStretch(c, 1);

    return PageControl->AddPage("Manual Operation", "TabSheet_Input",
                                AtTop(GroupBox_Game, statusBox));
}

QWidget* TTrovGameServerForm::CreateStatusPage() {
    Label_NowTurn = NewLabel("Label_NowTurn", "", "Current term");
    Label_Status = NewLabel("Label_Status", "History", "Game status table");
    StringGrid_Game = NewGrid("StringGrid_Game", 51, kGameRowCount, 30, false, "Game status table");
    auto* heading = new QHBoxLayout;
    heading->addWidget(Label_NowTurn);
    heading->addSpacing(24);
    heading->addWidget(Label_Status, 1);
    auto* layout = new QVBoxLayout;
    layout->addLayout(heading);
    layout->addWidget(StringGrid_Game, 1);
    return PageControl->AddPage("Status", "TabSheet_Game", layout);
}

void TTrovGameServerForm::BindEvents() {
    auto click = [this](QPushButton* button, void (TTrovGameServerForm::*handler)(QObject*)) {
        connect(button, &QPushButton::clicked, this,
                [this, button, handler] { (this->*handler)(button); });
    };
    click(Button_Refresh, &TTrovGameServerForm::Button_RefreshClick);
    click(Button_Disconnect, &TTrovGameServerForm::Button_DisconnectClick);
    click(Button_SendMsg, &TTrovGameServerForm::Button_SendMsgClick);
    click(Button_Start, &TTrovGameServerForm::Button_StartClick);
    click(Button_Stop, &TTrovGameServerForm::Button_StopClick);
    click(Button_Init, &TTrovGameServerForm::Button_InitClick);
    for (auto& role : Roles) click(role.OrderButton, &TTrovGameServerForm::Button_OrderClick);
    click(Button_MarcketRand, &TTrovGameServerForm::Button_MarcketRandClick);
    click(Button_FirstRand, &TTrovGameServerForm::Button_FirstRandClick);
    click(Button_MarcketDef, &TTrovGameServerForm::Button_MarcketDefClick);
    click(Button_FirstDef, &TTrovGameServerForm::Button_FirstDefClick);

    // The sockets' events run the handlers of the same names.
    auto to = [this](auto handler) {
        return [this, handler](auto&&... args) { (this->*handler)(args...); };
    };
    ServerSocket->OnClientConnect = to(&TTrovGameServerForm::ServerSocketClientConnect);
    ServerSocket->OnClientDisconnect = to(&TTrovGameServerForm::ServerSocketClientDisconnect);
    ServerSocket->OnClientRead = to(&TTrovGameServerForm::ServerSocketClientRead);
    ServerSocket->OnClientError = to(&TTrovGameServerForm::ServerSocketClientError);
    ServerSocket->OnClientHostName = to(&TTrovGameServerForm::ServerSocketClientHostName);
    // Ticking in code runs the handler too, as a click does.
    connect(CheckBox_Server, &QCheckBox::toggled, this,
            [this] { CheckBox_ServerClick(CheckBox_Server); });
    ClientSocket->OnConnect = to(&TTrovGameServerForm::ClientSocketConnect);
    ClientSocket->OnDisconnect = to(&TTrovGameServerForm::ClientSocketDisconnect);
    ClientSocket->OnRead = to(&TTrovGameServerForm::ClientSocketRead);
    ClientSocket->OnError = to(&TTrovGameServerForm::ClientSocketError);

    ListView_Connect->OnChange = [this](QObject* s, TListItem* item, TItemChange change) {
        ListView_ConnectChange(s, item, change);
    };
    ListView_Connect->OnKeyDown = [this](QObject* s, std::uint16_t& k, TShiftState sh) {
        ListView_KeyDown(s, k, sh);
    };
    ListView_Connect->OnColumnClick = [this](QObject* s, TListColumn* column) {
        ListView_ColumnClick(s, column);
    };
    ListView_Connect->OnCompare = [this](QObject* s, TListItem* a, TListItem* b, int data,
                                         int& compare) {
        ListView_Compare(s, a, b, data, compare);
    };

    Edit_GroupName->installEventFilter(this);
    for (TSpinEdit* edit :
         {SpinEdit_Port, SpinEdit_FinalTurn, SpinEdit_UStkCost, SpinEdit_UBLCost,
          SpinEdit_MarcketMin, SpinEdit_MarcketMax, SpinEdit_FirstMin, SpinEdit_FirstMax,
          SpinEdit_FtOrder, SpinEdit_W1Order, SpinEdit_W2Order, SpinEdit_RtOrder, SpinEdit_FtShipM,
          SpinEdit_W1ShipM, SpinEdit_W2ShipM, SpinEdit_RtShipM})
        edit->OnExit = [this](QObject* s) { SpinEdit_Exit(s); };

    RadioGroup_FtOwner->OnClick = [this](QObject* s) { RadioGroup_FtOwnerClick(s); };
    RadioGroup_W1Owner->OnClick = [this](QObject* s) { RadioGroup_W1OwnerClick(s); };
    RadioGroup_W2Owner->OnClick = [this](QObject* s) { RadioGroup_W2OwnerClick(s); };
    RadioGroup_RtOwner->OnClick = [this](QObject* s) { RadioGroup_RtOwnerClick(s); };
    RadioGroup_FtShipM->OnClick = [this](QObject* s) { RadioGroup_FtShipMClick(s); };
    RadioGroup_W1ShipM->OnClick = [this](QObject* s) { RadioGroup_W1ShipMClick(s); };
    RadioGroup_W2ShipM->OnClick = [this](QObject* s) { RadioGroup_W2ShipMClick(s); };
    RadioGroup_RtShipM->OnClick = [this](QObject* s) { RadioGroup_RtShipMClick(s); };

    auto keyDown = [this](QObject* s, std::uint16_t& k, TShiftState sh) {
        StringGrid_KeyDown(s, k, sh);
    };
    auto keyPress = [this](QObject* s, char16_t& k) { StringGrid_KeyPress(s, k); };
    auto keyUp = [this](QObject* s, std::uint16_t& k, TShiftState sh) {
        StringGrid_KeyUp(s, k, sh);
    };
    StringGrid_Marcket->OnKeyDown = keyDown;
    StringGrid_Game->OnKeyDown = keyDown;
    StringGrid_Marcket->OnKeyPress = keyPress;
    StringGrid_First->OnKeyPress = keyPress;
    StringGrid_Marcket->OnKeyUp = keyUp;
    StringGrid_First->OnKeyUp = keyUp;
    // A starting value typed into its grid is corrected and read into the game as a demand is,
    // and leaving either grid shows the game's values again.
    for (TStringGrid* grid : {StringGrid_Marcket, StringGrid_First}) {
        grid->OnSetEditText = [this](QObject* s, int c, int r, const std::string& v) {
            StringGrid_MarcketSetEditText(s, c, r, v);
        };
        grid->OnExit = [this](QObject* s) { StringGrid_MarcketExit(s); };
    }
    PageControl->OnChange = [this](QObject* s) { PageControlChange(s); };
    SendTrayPresses(*FTrayIconData, this);
}

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
            FPopupGrid = grid;
            PopupMenu_StringGridPopup(grid);
            PopupMenu_StringGrid->exec(grid->mapToGlobal(pos));
        });
    }
}
