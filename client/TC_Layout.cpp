// The client window's controls, pages and menus, and the binding of their events.
#include "client/TC_Main.h"
#include "platform/Widgets.h"

#include "platform/Colors.h"
#include "platform/Label.h"
#include "platform/ListView.h"
#include "platform/PageControl.h"
#include "platform/RadioGroup.h"
#include "platform/Shell.h"
#include "platform/SjisText.h"
#include "platform/SpinEdit.h"
#include "platform/StatusBar.h"
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

using namespace platform;

namespace {

QAction* NewItem(QMenu* menu, const char* name, const char* caption, bool checkable = false) {
    auto* item = menu->addAction(QString::fromUtf8(caption));
    item->setObjectName(name);
    item->setCheckable(checkable);
    return item;
}

QFont SystemFont16() {
    return PixelFont("system", 16);
}

} // namespace

void TTrovGameClientForm::CreateControls() {
    setFont(SystemFont16());
    FFont = SystemFont16();
    FFontColor = clWindowText;
    ClientSocket = new TClientSocket(this);
    ClientSocket->setObjectName("ClientSocket");
    ClientSocket->HeldInput = kHeldRecvBuf;
    FTrayIconData = new TTrayIcon(this);
    setWindowIcon(ProgramIcon("client"));
    FTrayIconData->SetIcon(windowIcon());

    PageControl = AddPageControl(this);
    // The pages keep their own font whatever the window's font becomes.
    PageControl->setFont(OwnFont(SystemFont16()));
    TabSheet_Connect = CreateConnectionPage();
    TabSheet_Game = CreateStatusPage();
    TabSheet_History = CreateHistoryPage();
    PageControl->SetActivePageIndex(0);

    StatusBar = AddStatusBar(this, "not connected");

    CreateMenus();

    SaveDialog.DefaultExt = "txt";
    SaveDialog.Filter = "Text File(*.txt)|*.txt";
    SaveDialog.Options = ofOverwritePrompt | ofHideReadOnly | ofEnableSizing;

    for (int i = 0; i < 4; ++i)
        Roles[i] = {Column(i).Join,   Column(i).Input,      Column(i).Stock, Column(i).BLCost,
                    Column(i).Demand, Column(i).OrderLabel, Column(i).Order, Column(i).ShipMLabel,
                    Column(i).ShipM,  Column(i).OrderButton};
    CheckBox_Connect->setFocus();
}

QWidget* TTrovGameClientForm::CreateConnectionPage() {
    Label_Server = NewLabel("Label_Server", "Server :");
    Edit_Server = Named(new QLineEdit("LocalHost"), "Edit_Server", "Server name or IP address");
    Label_Port = NewLabel("Label_Port", "Port :");
    SpinEdit_Port = NewSpinEdit("SpinEdit_Port", 1024, 49151, 5, 49145, "Server port");
    Label_Name = NewLabel("Label_Name", "Name :");
    Edit_Name = Named(new QLineEdit("qon"), "Edit_Name");
    CheckBox_Connect = Named(new QCheckBox("Connect :"), "CheckBox_Connect");
    CheckBox_Connect->setLayoutDirection(Qt::RightToLeft); // caption left of the box

    auto* address = new QGridLayout;
    address->addWidget(Label_Server, 0, 0);
    address->addWidget(Edit_Server, 0, 1);
    address->addWidget(Label_Port, 0, 2);
    address->addWidget(SpinEdit_Port, 0, 3);
    address->addWidget(Label_Name, 1, 0);
    address->addWidget(Edit_Name, 1, 1);
    address->addWidget(CheckBox_Connect, 1, 2, 1, 2, Qt::AlignLeft);
    address->setColumnStretch(1, 1);

    std::vector<std::string> roles;
    for (const TRoleName& role : kRoles) roles.push_back(role.Word);
    RadioGroup_Play = NewRadioGroup("RadioGroup_Play", "Role", roles, 0);

    GroupBox_Join = Named(new QGroupBox("All players status"), "GroupBox_Join");
    Label_FtJoin = NewLabel("Label_FtJoin", "Factory : Waiting");
    Label_W1Join = NewLabel("Label_W1Join", "Distributor : Waiting");
    Label_W2Join = NewLabel("Label_W2Join", "Wholesaler : Waiting");
    Label_RtJoin = NewLabel("Label_RtJoin", "Retailer : Waiting");
    auto* joins = new QGridLayout(GroupBox_Join);
    joins->addWidget(Label_FtJoin, 0, 0);
    joins->addWidget(Label_W1Join, 0, 1);
    joins->addWidget(Label_W2Join, 1, 0);
    joins->addWidget(Label_RtJoin, 1, 1);

    Label_Msg = NewLabel("Label_Msg", "Message");
    Memo_Msg = NewMemo("Memo_Msg", "Write your message and push the send button below.");
    roles.push_back("Server");
    RadioGroup_Target = NewRadioGroup("RadioGroup_Target", "Send to", roles, 0);
    Button_SendMsg = NewButton("Button_SendMsg", "Send", nullptr, true);
    auto* target = new QHBoxLayout;
    target->addWidget(RadioGroup_Target, 1);
    target->addWidget(Button_SendMsg, 0, Qt::AlignBottom);

    auto* layout = new QVBoxLayout;
    layout->addLayout(address);
    layout->addWidget(RadioGroup_Play);
    layout->addWidget(GroupBox_Join);
    layout->addWidget(Label_Msg);
    layout->addWidget(Memo_Msg, 1);
    layout->addLayout(target);
    return PageControl->AddPage("Connection", "TabSheet_Connect", layout);
}

QWidget* TTrovGameClientForm::CreateStatusPage() {
    GroupBox_Game =
        Named(new QGroupBox("[Group name undecided] - Status : Week ? "), "GroupBox_Game");
    CreateHeadings(false);
    const auto headings = Headings();
    const auto cursors = Cursors();
    for (QLabel* label : headings) SetBold(label, true);
    SetBold(Label_Marcket, true);

    const char* stockCaptions[] = {"Factory Inventory", "Distributor Inventory",
                                   "Wholesaler Inventory", "Retailer Inventory"};
    const char* orderCaptions[] = {"Order", "Order ", "Order ", "Order"};

    GroupBox_Input = Named(new QGroupBox("Other players"), "GroupBox_Input");
    auto* grid = new QGridLayout(GroupBox_Game);
    for (int i = 0; i < 4; ++i) {
        auto c = Column(i);
        const std::string code = RoleCode(i);
        c.Stock = NewLabel("Label_" + code + "Stock", stockCaptions[i]);
        c.BLCost = NewLabel("Label_" + code + "BLCost", "Lastweek backlog : ?");
        c.Demand = NewLabel("Label_" + code + "Demand", "Ordered : ?");
        c.OrderLabel = NewLabel("Label_" + code + "Order", orderCaptions[i]);
        c.Order = NewSpinEdit("SpinEdit_" + code + "Order", 0, 99, 2, 5, "Order volume");
        c.ShipMLabel = NewLabel("Label_" + code + "ShipM", "Shipment");
        c.ShipM = NewSpinEdit("SpinEdit_" + code + "ShipM", 0, 99, 2, 5, "Set shipment volume");
        c.OrderButton =
            NewButton("Button_" + code + "Order", "OK", "Push OK when you decide.", true);
        c.Input =
            NewLabel("Label_" + code + "Input", (std::string(RoleWord(i)) + " : Notyet").c_str());

        const int col = GridColumn(i);
        const int span = GridSpan(i);
        grid->addWidget(headings[i], 0, col);
        grid->addWidget(cursors[i], 0, col + 1, Qt::AlignHCenter);
        grid->addWidget(c.Stock, 1, col, 1, span, Qt::AlignTop);
        PlaceEntryRows(grid, i);
        grid->addWidget(c.OrderButton, 6, col, Qt::AlignLeft);
    }
    grid->addWidget(Label_Marcket, 0, 8, Qt::AlignHCenter);
    PlaceInputLabels(GroupBox_Input);
    // The four role columns share the width equally; long texts wrap inside their column.
    for (int i = 0; i < 4; ++i) {
        const auto c = Column(i);
        for (QLabel* label : {c.Stock, c.BLCost, c.Demand}) WrapToWidth(label);
        headings[i]->setAlignment(Qt::AlignHCenter);
    }
    for (int c = 0; c < 8; c += 2) grid->setColumnStretch(c, 1);
    grid->setRowStretch(7, 1);

    auto* layout = new QVBoxLayout;
    layout->addWidget(GroupBox_Game, 1);
    layout->addWidget(GroupBox_Input);
    return PageControl->AddPage("Status", "TabSheet_Game", layout);
}

QWidget* TTrovGameClientForm::CreateHistoryPage() {
    ListView_History = Named(new TListView, "ListView_History");
    ListView_History->SetMultiSelect(true);
    const std::pair<const char*, int> columns[] = {{"Week", 50},
                                                   {"Factory Inventory", 115},
                                                   {"Distributor Inventory", 130},
                                                   {"Wholesaler Inventory", 140},
                                                   {"Retailer Inventory", 115},
                                                   {"Backlog", 65},
                                                   {"Ordered", 65},
                                                   {"Order", 55},
                                                   {"Shipment", 100}};
    for (const auto& [caption, width] : columns) ListView_History->AddColumn(caption, width);

    PopupMenu_ListView = Named(new QMenu(this), "PopupMenu_ListView");
    PItem_Copy = NewItem(PopupMenu_ListView, "PItem_Copy", "Partial copy of the history(&C)");
    PItem_SelAll = NewItem(PopupMenu_ListView, "PItem_SelAll", "Select all of the history(&A)");
    PopupMenu_ListView->addSeparator();
    PItem_Save = NewItem(PopupMenu_ListView, "PItem_Save", "Save(&W)");
    ListView_History->setContextMenuPolicy(Qt::CustomContextMenu);

    auto* layout = new QVBoxLayout;
    layout->addWidget(ListView_History);
    return PageControl->AddPage("History", "TabSheet_History", layout);
}

void TTrovGameClientForm::CreateMenus() {
    MainMenu = menuBar();
    MainMenu->setObjectName("MainMenu");
    // Menus keep the desktop's font; only the window's own text follows the settings font.
    MainMenu->setFont(OwnFont(QApplication::font()));

    Menu_Game = Named(MainMenu->addMenu("Game(&G)"), "Menu_Game");
    MItem_Connect = NewItem(Menu_Game, "MItem_Connect", "Connect to(&C)", true);
    Menu_Game->addSeparator();
    MItem_Order = NewItem(Menu_Game, "MItem_Order", "Decision(&E)");
    MItem_SendMsg = NewItem(Menu_Game, "MItem_SendMsg", "Message(&S)");
    Menu_Game->addSeparator();
    MItem_Save = NewItem(Menu_Game, "MItem_Save", "Save(&W)");
    Menu_Game->addSeparator();
    MItem_Exit = NewItem(Menu_Game, "MItem_Exit", "Exit(&E)");

    Menu_Edit = Named(MainMenu->addMenu("Edit(&E)"), "Menu_Edit");
    MItem_Copy = NewItem(Menu_Edit, "MItem_Copy", "Copy the history(&C)");
    MItem_SelAll = NewItem(Menu_Edit, "MItem_SelAll", "Select all of the history(&A)");
    Menu_Edit->addSeparator();
    MItem_Font = NewItem(Menu_Edit, "MItem_Font", "Change fonts(&F)");

    Menu_Help = Named(MainMenu->addMenu("Help(&H)"), "Menu_Help");
    MItem_StartUp = NewItem(Menu_Help, "MItem_StartUp", "Start up(&S)", true);
    MItem_StayFront = NewItem(Menu_Help, "MItem_StayFront", "Display in front anytime(&F)", true);
    MItem_TaskTray =
        NewItem(Menu_Help, "MItem_TaskTray", "Put on the task tray when minimized(&M)", true);
    MItem_CloseCheck = NewItem(Menu_Help, "MItem_CloseCheck", "Confirm when it finishes(&C)", true);
    Menu_Help->addSeparator();
    MItem_Doc = NewItem(Menu_Help, "MItem_Doc", "Complement text(&T)");
    MItem_History = NewItem(Menu_Help, "MItem_History", "History(&H)");
    Menu_Help->addSeparator();
    MItem_Info = NewItem(Menu_Help, "MItem_Info", "Version(&V)");
}

void TTrovGameClientForm::BindEvents() {
    using Handler = void (TTrovGameClientForm::*)(QObject*);
    auto click = [this](QPushButton* button, Handler handler) {
        connect(button, &QPushButton::clicked, this,
                [this, button, handler] { (this->*handler)(button); });
    };
    // A menu item runs its handler with itself as the sender.
    auto item = [this](QAction* action, Handler handler) {
        connect(action, &QAction::triggered, this,
                [this, action, handler] { (this->*handler)(action); });
    };
    auto checkItem = [this](QAction* action, Handler handler) {
        ConnectCheckItem(action, this, [this, action, handler] { (this->*handler)(action); });
    };
    auto opening = [this](QMenu* menu, Handler handler) {
        connect(menu, &QMenu::aboutToShow, this, [this, menu, handler] { (this->*handler)(menu); });
    };

    connect(CheckBox_Connect, &QCheckBox::toggled, this,
            [this] { CheckBox_ConnectClick(CheckBox_Connect); });
    RadioGroup_Play->OnClick = [this](QObject* s) { RadioGroup_PlayClick(s); };
    RadioGroup_Target->OnClick = [this](QObject* s) { RadioGroup_PlayClick(s); };
    click(Button_SendMsg, &TTrovGameClientForm::Button_SendMsgClick);
    for (auto& role : Roles) {
        click(role.OrderButton, &TTrovGameClientForm::Button_OrderClick);
        role.Order->OnExit = [this](QObject* s) { SpinEdit_Exit(s); };
        role.ShipM->OnExit = [this](QObject* s) { SpinEdit_Exit(s); };
    }
    SpinEdit_Port->OnExit = [this](QObject* s) { SpinEdit_Exit(s); };
    ListView_History->OnKeyDown = [this](QObject* s, std::uint16_t& k, TShiftState sh) {
        ListView_KeyDown(s, k, sh);
    };
    connect(ListView_History, &QWidget::customContextMenuRequested, this, [this](QPoint pos) {
        PopupMenu_ListView->popup(ListView_History->viewport()->mapToGlobal(pos));
    });

    ClientSocket->OnConnect = [this](QObject* s, TCustomWinSocket* c) {
        ClientSocketConnect(s, c);
    };
    ClientSocket->OnDisconnect = [this](QObject* s, TCustomWinSocket* c) {
        ClientSocketDisconnect(s, c);
    };
    ClientSocket->OnRead = [this](QObject* s, TCustomWinSocket* c) { ClientSocketRead(s, c); };
    ClientSocket->OnError = [this](QObject* s, TCustomWinSocket* c, TErrorEvent e, int& code) {
        ClientSocketError(s, c, e, code);
    };

    opening(Menu_Game, &TTrovGameClientForm::Menu_GameClick);
    opening(Menu_Edit, &TTrovGameClientForm::Menu_EditClick);
    opening(Menu_Help, &TTrovGameClientForm::Menu_HelpClick);
    opening(PopupMenu_ListView, &TTrovGameClientForm::PopupMenu_ListViewPopup);
    item(MItem_Connect, &TTrovGameClientForm::MItem_ConnectClick);
    item(MItem_Order, &TTrovGameClientForm::Button_OrderClick);
    item(MItem_SendMsg, &TTrovGameClientForm::Button_SendMsgClick);
    item(MItem_Save, &TTrovGameClientForm::MItem_SaveClick);
    item(MItem_Exit, &TTrovGameClientForm::MItem_ExitClick);
    item(MItem_Copy, &TTrovGameClientForm::MItem_CopyClick);
    item(MItem_SelAll, &TTrovGameClientForm::MItem_SelAllClick);
    item(MItem_Font, &TTrovGameClientForm::MItem_FontClick);
    checkItem(MItem_StartUp, &TTrovGameClientForm::MItem_StartUpClick);
    checkItem(MItem_StayFront, &TTrovGameClientForm::MItem_CheckClick);
    checkItem(MItem_TaskTray, &TTrovGameClientForm::MItem_CheckClick);
    checkItem(MItem_CloseCheck, &TTrovGameClientForm::MItem_CheckClick);
    item(MItem_Doc, &TTrovGameClientForm::MItem_DocClick);
    item(MItem_History, &TTrovGameClientForm::MItem_HistoryClick);
    item(MItem_Info, &TTrovGameClientForm::MItem_InfoClick);
    item(PItem_Copy, &TTrovGameClientForm::MItem_CopyClick);
    item(PItem_SelAll, &TTrovGameClientForm::MItem_SelAllClick);
    item(PItem_Save, &TTrovGameClientForm::MItem_SaveClick);

    SendTrayPresses(*FTrayIconData, this);
}
