// The server window's connection list: one row per named connection, the admission of
// players by ticking their rows, and the list's copy, keys and sorting.
#include "server/TS_Main.h"

#include "platform/Beep.h"
#include "platform/DateTime.h"
#include "platform/RadioGroup.h"
#include "platform/Sjis.h"
#include "platform/SjisText.h"
#include "shared/Protocol.h"
#include "shared/Text.h"

#include <QClipboard>
#include <QGuiApplication>

using namespace platform;

namespace {

bool ItemAlive(const TListView* list, const TListItem* item) {
    for (int i = 0; i < list->Count(); ++i)
        if (list->Item(i) == item) return true;
    return false;
}

} // namespace

void TTrovGameServerForm::RefreshClientList() {
    Quietly(ListView_Connect->OnChange, [&] { ListView_Connect->Clear(); });
    if (ServerSocket->ActiveConnections() == 0) return;
    ListView_Connect->BeginUpdate();
    // Each named connection gets a row at the top, the newest first. Rows wait and go in
    // together until an admitted player's row is to be ticked, so the list is then as if
    // each had gone in alone, without moving every row down once for each connection.
    std::vector<std::pair<TCustomWinSocket*, TPlayerData*>> waiting;
    auto insertWaiting = [&] {
        if (waiting.empty()) return;
        const int count = static_cast<int>(waiting.size());
        ListView_Connect->InsertItems(0, count, [&](int k, TListItem* item) {
            const auto& [socket, player] = waiting[static_cast<std::size_t>(count - 1 - k)];
            item->SetCaption(player->Name);
            item->AddSubItem(WishWord(player->Role));
            item->AddSubItem(socket->RemoteHost());
            item->AddSubItem(socket->RemoteAddress());
            item->AddSubItem(std::to_string(socket->RemotePort()));
            item->AddSubItem(FormatDateTime("dd/mm/yyyy hh:nn:ss", player->TimeStamp));
        });
        waiting.clear();
    };
    for (int i = 0; i < ServerSocket->ActiveConnections(); ++i) {
        TCustomWinSocket* socket = ServerSocket->Connections(i);
        TPlayerData* player = PlayerOf(socket);
        if (!player || !player->Entered) continue;
        waiting.emplace_back(socket, player);
        if (player->Accepted) {
            insertWaiting();
            FGame->Seat(player->Role, nullptr);
            ListView_Connect->Item(0)->SetChecked(true); // admits the player again
        }
    }
    insertWaiting();
    ListView_Connect->EndUpdate();
}

int TTrovGameServerForm::FindConnectionOfItem(int Index) {
    const TListItem* item = ListView_Connect->Item(Index);
    if (ServerSocket->ActiveConnections() == 0 || !item || item->SubItems().size() < 5) return -1;
    const auto& sub = item->SubItems();
    for (int i = 0; i < ServerSocket->ActiveConnections(); ++i) {
        TCustomWinSocket* socket = ServerSocket->Connections(i);
        const TPlayerData* player = PlayerOf(socket);
        if (!player || !SameText(player->Name, item->Caption())) continue;
        if (player->Role == rlNone || !SameText(WishWord(player->Role), sub[0])) continue;
        if (!SameText(socket->RemoteHost(), sub[1])) continue;
        if (!SameText(socket->RemoteAddress(), sub[2])) continue;
        if (!SameText(std::to_string(socket->RemotePort()), sub[3])) continue;
        return i;
    }
    return -1;
}

void TTrovGameServerForm::ListView_ConnectChange(QObject*, TListItem* Item, TItemChange Change) {
    if (Change != TItemChange::ctState) {
        UpdateDisplay();
        return;
    }
    const bool ticked = Item->Checked();
    if (ticked == (Item->StateIndex() == 1)) {
        UpdateDisplay();
        return;
    }
    const int i = FindConnectionOfItem(Item->Index());
    if (i < 0) return;
    TCustomWinSocket* socket = ServerSocket->Connections(i);
    TPlayerData* player = PlayerOf(socket);
    const int r = player->Role;
    auto setMark = [&](int mark) {
        // A box opened on the way may have let a refresh rebuild the list.
        if (!ItemAlive(ListView_Connect, Item)) return;
        Quietly(ListView_Connect->OnChange, [&] {
            if (mark == 0) Item->SetChecked(false);
            Item->SetStateIndex(mark);
        });
    };

    if (ticked) {
        if (!FGame->IsRoleFree(static_cast<std::uint8_t>(r))) {
            Beep();
            setMark(0);
        } else {
            FGame->Seat(r, player);
            TRadioGroup* owner = RoleControls(r).Owner;
            Quietly(owner->OnClick, [&] { owner->SetItemIndex(0); });
            if (FGame->FState != gsRunning) {
                SendStatus(socket, kLetsPlayMessage);
                SendStatus(socket, GroupNameMessage(FGame->FGroupName));
                ShipModeClick(r);
            }
            player->Accepted = true;
            setMark(1);
        }
    } else {
        player->Accepted = false;
        socket->SendText(kDenyMessage);
        if (IsRoleNumber(r)) {
            FGame->Vacate(player);
            TRadioGroup* owner = RoleControls(r).Owner;
            Quietly(owner->OnClick, [&] { owner->SetItemIndex(-1); });
        }
        PauseForLostPlayer();
        setMark(0);
        UpdateDisplay();
    }
    SetEntryLabels();
    UpdateDisplay();
}

void TTrovGameServerForm::CopyListViewSelection(TListView* ListView, const std::string& Separator,
                                                bool ToText, std::string& Text) {
    if (!ListView || ListView->Count() == 0 || ListView->SelCount() == 0) return;
    try {
        const std::vector<std::string> lines = ListView->SelectedRowTexts(Separator);
        if (lines.empty()) return;
        if (ToText)
            Text = JoinLines(lines);
        else
            QGuiApplication::clipboard()->setText(FromSjis(JoinLines(lines)));
    } catch (...) {
        // Copying is a convenience: a failure is not reported.
    }
}

void TTrovGameServerForm::ListView_KeyDown(QObject* Sender, std::uint16_t& Key, TShiftState Shift) {
    auto* list = qobject_cast<TListView*>(Sender);
    if (!list || list->Count() == 0 || !Shift.Contains(ssCtrl)) return;
    if (Key == 'A') {
        list->SelectAll();
    } else if (Key == 'C') {
        std::string unused;
        CopyListViewSelection(list, ColumnDiv, false, unused);
    }
}

void TTrovGameServerForm::ListView_ColumnClick(QObject* Sender, TListColumn* Column) {
    auto* list = qobject_cast<TListView*>(Sender);
    if (!list || list->Count() == 0) return;
    const int k = Column->Index() + 1;
    FSortColumn = k == std::abs(FSortColumn) ? -FSortColumn : k;
    list->AlphaSort();
}

void TTrovGameServerForm::ListView_Compare(QObject*, TListItem* Item1, TListItem* Item2, int,
                                           int& Compare) {
    const int k = std::abs(FSortColumn);
    auto text = [k](const TListItem* item) -> std::string {
        if (k == 1) return item->Caption();
        const auto& sub = item->SubItems();
        return k - 2 < static_cast<int>(sub.size()) ? sub[k - 2] : std::string();
    };
    Compare = k == 0 ? 0 : FromSjis(text(Item1)).localeAwareCompare(FromSjis(text(Item2)));
    if (FSortColumn < 0) Compare = -Compare;
}
