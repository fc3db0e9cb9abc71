// The client window's refresh: labels, captions, the role column, enabled controls, the history
// list with its totals, and copying and saving the history.
#include "client/TC_Main.h"

#include "platform/Label.h"
#include "platform/ListView.h"
#include "platform/PageControl.h"
#include "platform/RadioGroup.h"
#include "platform/SjisText.h"
#include "platform/SpinEdit.h"
#include "platform/StatusBar.h"
#include "platform/Widgets.h"
#include "shared/Money.h"
#include "shared/SaveFile.h"
#include "shared/Text.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>

using namespace platform;

namespace {

// Full-width brackets and exclamation mark.
const std::string kOpenBracket = "\x81\x75";
const std::string kCloseBracket = "\x81\x76";
const std::string kExclamation = "\x81\x49";

struct TRoleTexts {
    const char* Free;
    const char* Taken;
    const char* Undecided;
    const char* Decided;
    const char* Demand;
    const char* Stock;
};

const TRoleTexts kRoleTexts[] = {
    {"Factory : Waiting", "Factory : Fulfilled", "Factory : Notyet", "Factory : Ordered",
     "Receive an order from Distributor: ", "Factorys current inventory     : "},
    {"Distributor : Waiting", "Distributor : Fulfilled", "Distributor : Notyet",
     "Distributor : Ordered",
     "Receive an order from Wholesaler: ", "Distributors current inventory : "},
    {"Wholesaler : Waiting", "Wholesaler : Fulfilled", "Wholesaler : Notyet",
     "Wholesaler : Ordered",
     "Receive an order from Retailer: ", "Wholesalers current inventory  : "},
    {"Retailer : Waiting", "Retailer : Fulfilled", "Retailer : Notyet", "Retailer : Ordered",
     "Demand in market : ", "Retailers current inventory    : "},
};

void SetCaption(QLabel* label, const std::string& sjis) {
    label->setText(FromSjis(sjis));
}

void SetCaption(QGroupBox* box, const std::string& sjis) {
    box->setTitle(FromSjis(sjis));
}

// A history cell in ten-thousandths; a cell that does not read counts as 0.
TMoney CellValue(const std::string& text) {
    TMoney value = 0;
    return MoneyFromText(text, value) ? value : 0;
}

} // namespace

void TTrovGameClientForm::UpdateView() {
    ShowJoinStatus();
    ShowInputStatus();
    ShowRoleControls();
    EnableControls();
    FillHistoryList();

    const std::string week = std::to_string(FWeek);
    const int own = OwnRole();
    switch (FState) {
    case csDisconnected:
        StatusBar->SetSimpleText("disconnected.");
        break;
    case csWaitAccept:
        StatusBar->SetSimpleText("Connected. Waiting for acceptance.");
        break;
    case csAccepted:
        StatusBar->SetSimpleText("Accepted. Waiting for the start.");
        break;
    case csPlaying:
        StatusBar->SetSimpleText(" (" + week + "Week)");
        SetCaption(GroupBox_Game,
                   kOpenBracket + FGroupName + kCloseBracket + " - Status : " + week + " Week");
        for (int i = 0; i < 4; ++i)
            SetCaption(Roles[i].Stock, kRoleTexts[i].Stock + std::to_string(FStock[i]));
        if (own >= 0) {
            SetCaption(Roles[own].BLCost, "Lastweek backlog : " + std::to_string(FBacklog));
            SetCaption(Roles[own].Demand, kRoleTexts[own].Demand + std::to_string(FDemand));
        }
        break;
    case csPaused:
        StatusBar->SetSimpleText("Paused");
        break;
    case csDecided:
        StatusBar->SetSimpleText(" (" + week + "Week) - Waiting for another player.");
        break;
    case csFinished:
        AddTotalRows();
        StatusBar->SetSimpleText("Finished" + kExclamation);
        SetCaption(GroupBox_Game, kOpenBracket + FGroupName + kCloseBracket +
                                      " - Status : Finished" + kExclamation);
        break;
    default:
        break;
    }
}

void TTrovGameClientForm::ShowJoinStatus() {
    for (int i = 0; i < 4; ++i) {
        SetCaption(Roles[i].Join, FJoined[i] ? kRoleTexts[i].Taken : kRoleTexts[i].Free);
        SetBold(Roles[i].Join, FJoined[i]);
    }
}

void TTrovGameClientForm::ShowInputStatus() {
    for (int i = 0; i < 4; ++i) {
        SetCaption(Roles[i].Input, FDecided[i] ? kRoleTexts[i].Decided : kRoleTexts[i].Undecided);
        SetBold(Roles[i].Input, FDecided[i]);
    }
}

void TTrovGameClientForm::ClearStatusBold() {
    for (auto& role : Roles) SetBold(role.Input, false);
    for (auto& role : Roles) SetBold(role.Join, false);
}

void TTrovGameClientForm::ShowRoleControls() {
    const int own = OwnRole();
    for (int i = 0; i < 4; ++i) {
        const bool mine = i == own;
        Roles[i].Demand->setVisible(mine);
        Roles[i].BLCost->setVisible(mine);
        Roles[i].OrderLabel->setVisible(mine);
        Roles[i].ShipMLabel->setVisible(mine);
    }
    for (int i = 0; i < 4; ++i) Roles[i].Order->setVisible(i == own);
    for (int i = 0; i < 4; ++i) Roles[i].ShipM->setVisible(i == own);
    for (int i = 0; i < 4; ++i) Roles[i].OrderButton->setVisible(i == own);
}

void TTrovGameClientForm::EnableControls() {
    const TClientState s = FState;
    const int own = OwnRole();
    auto in = [s](std::initializer_list<TClientState> states) {
        return std::find(states.begin(), states.end(), s) != states.end();
    };
    const bool connected = s != csDisconnected;
    const bool accepted = in({csAccepted, csPlaying, csPaused, csDecided, csFinished});
    const bool deciding = in({csAccepted, csPlaying, csPaused, csDecided});
    const bool started = in({csPlaying, csPaused, csDecided, csFinished});
    for (QWidget* w :
         std::initializer_list<QWidget*>{Edit_Server, SpinEdit_Port, Edit_Name, RadioGroup_Play})
        w->setEnabled(in({csDisconnected, csFinished}));
    CheckBox_Connect->setEnabled(in({csDisconnected, csWaitAccept, csFinished}));
    for (QWidget* w : std::initializer_list<QWidget*>{
             GroupBox_Join, Label_FtJoin, Label_W1Join, Label_W2Join, Label_RtJoin, Label_Msg,
             Memo_Msg, RadioGroup_Target, Button_SendMsg, GroupBox_Game, Label_Factory,
             Label_Whole1, Label_Whole2, Label_Retail, Label_Marcket, Label_Cursor1, Label_Cursor2,
             Label_Cursor3, Label_Cursor4})
        w->setEnabled(connected);
    for (auto& role : Roles) role.Stock->setEnabled(accepted);
    for (int i = 0; i < 4; ++i) {
        const bool mine = i == own;
        Roles[i].Demand->setEnabled(accepted && mine);
        Roles[i].BLCost->setEnabled(accepted && mine);
        Roles[i].OrderLabel->setEnabled(accepted && mine);
        Roles[i].ShipMLabel->setEnabled(FShipManual && accepted && mine);
        Roles[i].Order->setEnabled(deciding && mine);
        Roles[i].ShipM->setEnabled(FShipManual && deciding && mine);
        Roles[i].OrderButton->setEnabled(s == csPlaying && mine);
    }
    GroupBox_Input->setEnabled(started);
    for (auto& role : Roles) role.Input->setEnabled(started);
}

void TTrovGameClientForm::FillHistoryList() {
    if (FHistory.size() < 2) return;
    TListView* list = ListView_History;
    const int rows = static_cast<int>(FHistory.size() - 1);
    THeldUpdate hold(list);
    // The rows are rewritten in place and only texts that differ change, but the selection
    // and the current row go as they did when the list was rebuilt on every refresh.
    list->selectionModel()->reset();
    while (list->Count() > rows) list->Delete(list->Count() - 1);
    const int kept = list->Count();
    for (int r = 0; r < kept; ++r) SetHistoryRow(list->Item(r), r);
    list->InsertItems(kept, rows - kept,
                      [&](int k, TListItem* item) { SetHistoryRow(item, kept + k); });
}

void TTrovGameClientForm::SetHistoryRow(TListItem* Item, int Row) const {
    const THistoryRec& rec = FHistory[static_cast<std::size_t>(Row)];
    std::vector<std::string> cells;
    for (std::uint8_t stock : rec.Stock) cells.push_back(std::to_string(stock));
    for (int value : {int(rec.Backlog), int(rec.Demand), int(rec.OrderSent), int(rec.ShipSent)})
        cells.push_back(std::to_string(value));
    Item->SetCaption(std::to_string(Row + 1));
    if (Item->SubItems().size() != cells.size()) {
        Item->ClearSubItems();
        for (const std::string& cell : cells) Item->AddSubItem(cell);
        return;
    }
    for (std::size_t c = 0; c < cells.size(); ++c) Item->SetSubItem(static_cast<int>(c), cells[c]);
}

void TTrovGameClientForm::AddTotalRows() {
    TListView* list = ListView_History;
    if (FState != csFinished || list->Count() < 1 || list->ColumnCount() < 2) return;
    THeldUpdate hold(list);
    const int n = list->Count();
    const int values = list->ColumnCount() - 1;
    std::vector<TMoney> sums(static_cast<std::size_t>(values), 0);
    for (int r = 0; r < n; ++r) {
        const auto& cells = list->Item(r)->SubItems();
        for (int c = 0; c < values && c < static_cast<int>(cells.size()); ++c)
            sums[static_cast<std::size_t>(c)] += CellValue(cells[static_cast<std::size_t>(c)]);
    }
    TListItem* total = list->Add();
    total->SetCaption("Total");
    for (TMoney sum : sums) total->AddSubItem(MoneyToText(sum));
    TListItem* average = list->Add();
    average->SetCaption("Average");
    for (int c = 0; c < values; ++c) {
        const TMoney sum = CellValue(total->SubItems()[static_cast<std::size_t>(c)]);
        average->AddSubItem(MoneyToText(MoneyDivide(sum, n)));
    }
}

void TTrovGameClientForm::CopyListViewRows(TListView* ListView, const std::string& Separator,
                                           std::string& Text, bool ToText) {
    if (!ListView || ListView->Count() < 1 || ListView->SelCount() < 1) return;
    const std::vector<std::string> lines = ListView->SelectedRowTexts(Separator);
    if (lines.empty()) return;
    const std::string text = JoinLines(lines);
    if (ToText)
        Text = text;
    else
        QGuiApplication::clipboard()->setText(FromSjis(text));
}

void TTrovGameClientForm::ListView_KeyDown(QObject* Sender, std::uint16_t& Key, TShiftState Shift) {
    auto* list = qobject_cast<TListView*>(Sender);
    if (!list || list->Count() < 1 || Key == VK_RETURN || Key == VK_DELETE) return;
    if (!Shift.Contains(ssCtrl)) return;
    if (Key == 'A') {
        MItem_SelAllClick(Sender);
    } else if (Key == 'C') {
        std::string unused;
        CopyListViewRows(list, FColumnSep, unused, false);
    }
}

void TTrovGameClientForm::MItem_SelAllClick(QObject* Sender) {
    (void)Sender;
    for (int r = 0; r < ListView_History->Count(); ++r)
        ListView_History->Item(r)->SetSelected(true);
}

void TTrovGameClientForm::MItem_CopyClick(QObject* Sender) {
    (void)Sender;
    std::string unused;
    CopyListViewRows(ListView_History, FColumnSep, unused, false);
}

void TTrovGameClientForm::MItem_SaveClick(QObject* Sender) {
    PageControl->SetActivePageIndex(2);
    if (!SaveDialog.Execute()) return;
    std::string text;
    try {
        MItem_SelAllClick(Sender);
        std::string rows;
        CopyListViewRows(ListView_History, FColumnSep, rows, true);
        std::vector<std::string> lines = SplitLines(rows);
        std::string header;
        for (int c = 0; c < ListView_History->ColumnCount(); ++c) {
            if (c > 0) header += FColumnSep;
            header += ListView_History->Column(c)->Caption();
        }
        std::string bare = header;
        if (!FColumnSep.empty())
            for (std::size_t p; (p = bare.find(FColumnSep)) != std::string::npos;)
                bare.erase(p, FColumnSep.size());
        if (!bare.empty()) lines.insert(lines.begin(), header);
        text = JoinLines(lines);
    } catch (...) {
        // Not built: no file is written, and the old one stays as it was.
        SayFileWritingError();
        return;
    }
    // Nothing follows the save: a failure has been said, and there is no more to do.
    (void)WriteFileOrSay(SaveDialog.FileName, text);
}
