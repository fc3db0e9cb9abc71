// The client's side of the conversation: the socket events, the framing of received text into
// messages and the reaction to every server message.
#include "client/TC_Main.h"
#include "shared/Protocol.h"
#include "shared/Role.h"
#include "shared/SocketErrorText.h"

#include "platform/Beep.h"
#include "platform/PageControl.h"
#include "platform/RadioGroup.h"
#include "platform/Sjis.h"
#include "platform/SjisText.h"
#include "platform/StatusBar.h"
#include "shared/Text.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QScopedValueRollback>

using namespace platform;

int TTrovGameClientForm::OwnRole() const {
    const int index = RadioGroup_Play->ItemIndex();
    return index >= 0 && index <= 3 ? index : -1;
}

void TTrovGameClientForm::ResetGameState() {
    FState = csDisconnected;
    FShipManual = false;
    FWeek = -1;
    FGroupName.clear();
    FRecvBuf.Clear();
    for (auto& stock : FStock) stock = 0;
    FBacklog = 0;
    FDemand = 0;
    FOrderSent = -1;
    FShipSent = -1;
    for (int i = 0; i < 4; ++i) FJoined[i] = FDecided[i] = false;
}

void TTrovGameClientForm::Send(const std::string& bytes) {
    ClientSocket->Socket()->SendText(bytes);
}

// ---------------------------------------------------------------------------------------------
// Socket events

void TTrovGameClientForm::ClientSocketConnect(QObject* Sender, TCustomWinSocket* Socket) {
    (void)Sender;
    (void)Socket;
    Beep();
    FRecvBuf.Clear();
    const int role = OwnRole();
    const std::string code = IsRoleIndex(role) ? RoleCode(role) : kNoRoleCode;
    Send(NameMessage(ToSjis(Edit_Name->text())));
    Send(RoleWishMessage(code));
    FState = csWaitAccept;
    FNotifyAccept = true;
    UpdateView();
    ClearStatusBold();
}

void TTrovGameClientForm::ClientSocketDisconnect(QObject* Sender, TCustomWinSocket* Socket) {
    (void)Sender;
    (void)Socket;
    // An end that the client did not make itself comes after what arrived before it: while
    // those messages are handled (a box of theirs open, or more of them waiting), it waits for
    // them, so that none of them takes the player back into a game that has ended.
    if (!FClosing && (FHandlingLines > 0 || !FPendingLines.empty())) {
        FEndWaiting = true;
        return;
    }
    Disconnected();
}

// The connection has ended: nothing more of it is handled, the game fields are reset.
void TTrovGameClientForm::Disconnected() {
    FEndWaiting = false;
    FPendingLines.clear();
    Beep();
    ResetGameState();
    CheckBox_Connect->setChecked(false); // runs CheckBox_ConnectClick when it was ticked
    UpdateView();
    ClearStatusBold();
}

void TTrovGameClientForm::CloseConnection() {
    const QScopedValueRollback<bool> closing(FClosing, true);
    ClientSocket->Close();
}

void TTrovGameClientForm::ClientSocketError(QObject* Sender, TCustomWinSocket* Socket,
                                            TErrorEvent ErrorEvent, int& ErrorCode) {
    (void)Sender;
    (void)Socket;
    Beep();
    // The lookup has no text of its own: the player is told the server was not found.
    const std::string text =
        ErrorEvent == eeLookup ? "Could not find the server" : SocketErrorText(ErrorEvent);
    StatusBar->SetSimpleText("ErrMsg");
    if (MessageDlg(text, TMsgDlgType::Error, mbOK) != mrOk) return; // the code is raised
    ErrorCode = 0;
    FState = csDisconnected;
    CheckBox_Connect->setChecked(false);
    CheckBox_ConnectClick(CheckBox_Connect);
    UpdateView();
}

void TTrovGameClientForm::ClientSocketRead(QObject* Sender, TCustomWinSocket* Socket) {
    (void)Sender;
    // The buffer is emptied before the lines are handled: a read event nested in a message's
    // box starts afresh.
    // Complete messages never count toward the bound below: they are framed at once when many
    // have come.
    TReceiveBuffer::Flush flush = FRecvBuf.Receive(Socket->ReceiveText(), kHeldRecvBuf);
    for (std::string& line : flush.lines) FPendingLines.push_back(std::move(line));
    if (FRecvBuf.Unterminated() > kMaxRecvBuf) {
        // A server that never ends its message cannot make us hold more: the connection is
        // closed, after the messages that came before.
        FRecvBuf.Clear();
        Socket->Close();
    }
    HandlePendingLines();
}

// Handles the received messages in the order they arrived. A read event that runs while a box
// is open handles what is left of the batch before it first, then its own. An end of the
// connection that waited for them takes effect after the last.
void TTrovGameClientForm::HandlePendingLines() {
    ++FHandlingLines;
    try {
        while (!FPendingLines.empty()) {
            const std::string line = std::move(FPendingLines.front());
            FPendingLines.pop_front();
            ParseServerLine(line);
        }
    } catch (...) {
        // What the batch held after the line that failed is dropped.
        FPendingLines.clear();
        if (--FHandlingLines == 0 && FEndWaiting) Disconnected();
        throw;
    }
    if (--FHandlingLines == 0 && FEndWaiting) Disconnected();
}

// ---------------------------------------------------------------------------------------------
// Messages

void TTrovGameClientForm::ParseServerLine(const std::string& Line) {
    const std::optional<TEnvelope> envelope = ParseServerEnvelope(Line);
    if (!envelope) return;
    HandleServerMessage(envelope->code, envelope->value);
}

void TTrovGameClientForm::InfoBox(const std::string& text, std::function<void()> after) {
    FServerBoxes.Show(
        [text] {
            Beep();
            MessageBox(text, "Information", TBoxButtons::Ok);
        },
        std::move(after));
}

// Stores a week's value in the record of the current week, when that record exists.
void TTrovGameClientForm::StoreHistory(const std::function<void(THistoryRec&)>& store) {
    if (FWeek < 1 || FHistory.size() != static_cast<std::size_t>(FWeek)) return;
    store(FHistory[static_cast<std::size_t>(FWeek - 1)]);
    UpdateView();
}

namespace {

using TServerHandler = std::function<void(TTrovGameClientForm&, const std::string& Value)>;
struct TServerCodeHandler {
    std::string Code;
    TServerHandler Handle;
};

// The handler of each server code, in the order the codes are compared. The per-role codes
// of the state values, the receipts and the role flags bind what they name to a shared one.
const std::vector<TServerCodeHandler>& ServerCodeHandlers() {
    using F = TTrovGameClientForm;
    static const std::vector<TServerCodeHandler> handlers = [] {
        std::vector<TServerCodeHandler> table = {
            {std::string(kCloseCode), &F::HandleCloseMessage},
            {std::string(kDuplicateNameCode), &F::HandleDuplicateName},
            {std::string(kWelcomeCode), &F::HandleWelcome},
            {std::string(kAcceptanceCode), &F::HandleAcceptance},
            {std::string(kShipModeCode), &F::HandleShipMode},
            {std::string(kGroupNameCode), &F::HandleGroupName},
            {std::string(kGameCode), &F::HandleGameMessage},
            {std::string(kWeekCode), &F::HandleWeekMessage},
        };
        for (TStateItem item : {TStateItem::Stock, TStateItem::Backlog, TStateItem::Demand})
            for (int role = 0; role < kRoleCount; ++role) {
                const TStateCode code{item, role};
                table.push_back({StateCode(code), [code](F& form, const std::string& value) {
                                     form.HandleStateValue(code, value);
                                 }});
            }
        auto with = [](void (F::*handle)(bool, const std::string&), bool first) {
            return [handle, first](F& form, const std::string& value) {
                (form.*handle)(first, value);
            };
        };
        table.push_back({std::string(kOrderCode), with(&F::HandleReceipt, true)});
        table.push_back({std::string(kShipmentCode), with(&F::HandleReceipt, false)});
        table.push_back({std::string(kJoinCode), with(&F::HandleRoleFlag, true)});
        table.push_back({std::string(kOrderStatusCode), with(&F::HandleRoleFlag, false)});
        table.push_back({std::string(kTextCode), &F::HandleTextMessage});
        return table;
    }();
    return handlers;
}

} // namespace

void TTrovGameClientForm::HandleServerMessage(const std::string& Code, const std::string& Value) {
    try {
        for (const TServerCodeHandler& handler : ServerCodeHandlers()) {
            if (handler.Code != Code) continue;
            handler.Handle(*this, Value);
            return;
        }
    } catch (...) {
        // A message that cannot be handled is dropped; what it changed before stays.
    }
}

// Connection and admission: close, duplicate name, welcome, acceptance, shipping mode, group.

void TTrovGameClientForm::HandleCloseMessage(const std::string& Value) {
    if (Value == kCloseValue) InfoBox("Disconnected by server.");
}

void TTrovGameClientForm::HandleDuplicateName(const std::string& Value) {
    if (Value == kDuplicateNameValue) InfoBox("That name has been already used.");
}

void TTrovGameClientForm::HandleWelcome(const std::string& Value) {
    if (Value != kWelcomeValue) return;
    FState = csWaitAccept;
    InfoBox("Connected. Waiting for acceptance.", [this, turn = NextTurn()] {
        UpdateView();
        FNotifyAccept.SetAsOf(true, turn);
    });
}

void TTrovGameClientForm::HandleAcceptance(const std::string& Value) {
    if (Value == kLetsPlayValue) {
        FState = csAccepted;
        if (!FNotifyAccept) {
            UpdateView();
            return;
        }
        // One acceptance box: the server admits again at every refresh of its list, and
        // what arrives while this box waits or is open shows none of its own.
        FNotifyAccept = false;
        InfoBox("Accepted. Waiting for the start.", [this] { UpdateView(); });
    } else if (Value == kDenyValue) {
        FState = csWaitAccept;
        FShipManual = false;
        UpdateView();
        InfoBox("Cancelled", [this, turn = NextTurn()] {
            StatusBar->SetSimpleText("Cancelled");
            FNotifyAccept.SetAsOf(true, turn);
        });
    }
}

void TTrovGameClientForm::HandleShipMode(const std::string& Value) {
    if (Value.size() != 1) return;
    if (const std::optional<bool> manual = ReadFlag(Value.front())) FShipManual = *manual;
    UpdateView();
}

void TTrovGameClientForm::HandleGroupName(const std::string& Value) {
    FGroupName = Value;
    UpdateView();
}

// The game's start, resumption, pause and end.
void TTrovGameClientForm::HandleGameMessage(const std::string& Value) {
    if (Value == kStartValue) {
        FState = csPlaying;
        for (bool& decided : FDecided) decided = false;
        // A new game: its first week message starts the history from an empty record.
        FHistory.clear();
        UpdateView();
        InfoBox("Start !", [this] {
            StatusBar->SetSimpleText("Start !");
            PageControl->SetActivePageIndex(1);
        });
    } else if (Value == kRestartValue) {
        FState = csPlaying;
        UpdateView();
        InfoBox("Resumed", [this] {
            StatusBar->SetSimpleText("Resumed");
            PageControl->SetActivePageIndex(1);
        });
    } else if (Value == kPauseValue) {
        // The pause takes effect when its box closes, unless a later message (a resumption, a
        // week) has set the state meanwhile.
        InfoBox("Paused", [this, turn = NextTurn()] {
            FState.SetAsOf(csPaused, turn);
            UpdateView();
        });
    } else if (Value == kOverValue) {
        // The game's end closes the connection: what the server sent after it is not read (it
        // would take a finished player back to "accepted").
        FPendingLines.clear();
        // Unticking closes the connection; its disconnect event resets the game fields
        // before the end is shown. An end of the server's that waited for this message
        // takes effect here in the same way.
        if (ClientSocket->Socket()->Connected())
            CheckBox_Connect->setChecked(false);
        else if (FEndWaiting)
            Disconnected();
        FState = csFinished;
        for (bool& decided : FDecided) decided = false;
        UpdateView();
        InfoBox("Finished and Disconnected", [this, turn = NextTurn()] {
            PageControl->SetActivePageIndex(2);
            FNotifyAccept.SetAsOf(true, turn);
        });
    }
}

// The week message that opens a week, or the final week mark after the last one.
void TTrovGameClientForm::HandleWeekMessage(const std::string& Value) {
    if (Value.size() != 2) return;
    FState = csPlaying;
    FOrderSent = -1;
    FShipSent = -1;
    for (bool& decided : FDecided) decided = false;
    FillHistoryList();
    if (Value == kFinalWeekValue) {
        // The last week has been played: the client answers with an empty order and
        // shipment for the week after it.
        FNotifyAccept = false;
        FWeek = static_cast<std::int8_t>(FWeek + 1);
        if (FWeek < 0) return;
        FHistory.resize(static_cast<std::size_t>(FWeek));
        if (!ClientSocket->Socket()->Connected()) return;
        if (const int own = OwnRole(); own >= 0) {
            Send(DecisionMessage(true, RoleCode(own), FWeek, 0));
            Send(DecisionMessage(false, RoleCode(own), FWeek, 0));
        }
        UpdateView();
        GroupBox_Game->setTitle(FromSjis("[" + FGroupName + "] - Status : Finished"));
        StatusBar->SetSimpleText("Finished");
    } else {
        FWeek = static_cast<std::int8_t>(HexToNum(Value));
        UpdateView();
        if (FWeek < 0) return;
        FHistory.resize(static_cast<std::size_t>(FWeek));
    }
}

// A value of the state block: any role's inventory, or the own role's backlog or incoming order.
void TTrovGameClientForm::HandleStateValue(const TStateCode& Code, const std::string& Value) {
    if (Value.size() != 2) return;
    const auto value = static_cast<std::uint8_t>(HexToNum(Value));
    const int role = Code.Role;
    if (Code.Item == TStateItem::Stock) {
        FStock[role] = value;
        StoreHistory([&](THistoryRec& rec) { rec.Stock[role] = value; });
        return;
    }
    if (role != OwnRole()) return;
    if (Code.Item == TStateItem::Backlog) {
        FBacklog = value;
        StoreHistory([&](THistoryRec& rec) { rec.Backlog = value; });
    } else {
        FDemand = value;
        StoreHistory([&](THistoryRec& rec) { rec.Demand = value; });
    }
}

// The receipt of the own order or shipment.
void TTrovGameClientForm::HandleReceipt(bool Order, const std::string& Value) {
    const std::optional<std::string_view> amount = ReadReceipt(Value);
    if (!amount || OwnRole() < 0) return;
    const int value = HexToNum(*amount);
    if (Order) {
        // Only the receipt of the order sent this week counts.
        if (static_cast<std::int8_t>(value) != FOrderSent) return;
        StoreHistory([&](THistoryRec& rec) { rec.OrderSent = FOrderSent; });
    } else {
        FShipSent = static_cast<std::int8_t>(value);
        StoreHistory([&](THistoryRec& rec) { rec.ShipSent = FShipSent; });
    }
}

// Which roles are taken (`Join`) or have ordered this week.
void TTrovGameClientForm::HandleRoleFlag(bool Join, const std::string& Value) {
    const std::optional<TRoleFlag> flag = ReadRoleFlag(Value);
    if (!flag) return;
    bool* flags = Join ? FJoined : FDecided;
    for (int role = 0; role < kRoleCount; ++role) {
        if (!SameText(flag->Role, RoleCode(role))) continue;
        if (const std::optional<bool> on = ReadFlag(flag->Flag)) flags[role] = *on;
    }
    if (Join)
        ShowJoinStatus();
    else
        ShowInputStatus();
}

// A text: relayed chat, the game master's message or the result report, cut for its box when
// it is longer than a box can usefully show.
void TTrovGameClientForm::HandleTextMessage(const std::string& Value) {
    FServerBoxes.Show([text = BoxText(Trim(Value))] {
        Beep();
        MessageDlg(text, TMsgDlgType::Information, mbOK);
    });
}
