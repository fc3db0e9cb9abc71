// The network side of the server window: listening, the connections and their messages, and
// the game master's connection operations.
#include "server/TS_Main.h"

#include "platform/Beep.h"
#include "platform/Events.h"
#include "platform/Sjis.h"
#include "platform/SjisText.h"
#include "platform/SpinEdit.h"
#include "platform/StatusBar.h"
#include "platform/SystemInfo.h"
#include "shared/Protocol.h"
#include "shared/SocketErrorText.h"
#include "shared/Text.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

using namespace platform;

namespace {

// "Pause　；　disconnected from a client." (full-width spaces and semicolon).
const std::string kPauseText = "Pause\x81\x40\x81\x47\x81\x40"
                               "disconnected from a client.";

// The role number of a role code, 0 (none) for anything else.
int RoleOfCode(std::string_view code) {
    return RoleNumber(RoleIndexOfCode(code));
}

} // namespace

// --- Listening ---------------------------------------------------------------------------

void TTrovGameServerForm::CheckBox_ServerClick(QObject*) {
    const bool ticked = CheckBox_Server->isChecked();
    if (ticked) {
        if (ServerSocket->Active()) ServerSocket->SetActive(false);
        Beep();
        ServerSocket->SetPort(SpinEdit_Port->Value());
        TStation::SetLimits(*ServerSocket);
        ServerSocket->SetActive(true);
        ClientSocket->SetPort(ServerSocket->LocalPort());
        ClientSocket->SetHost(GetLocalHostName());
        ClientSocket->Open();
        StatusBar->SetSimpleText("Server running, Waiting for joining");
    } else {
        Beep();
        StatusBar->SetSimpleText("Stop");
        for (int i = ServerSocket->ActiveConnections() - 1; i >= 0; --i) {
            // A nested box may let other connections go meanwhile.
            i = std::min(i, ServerSocket->ActiveConnections() - 1);
            if (i < 0) break;
            if (TCustomWinSocket* socket = ServerSocket->Connections(i))
                TStation::Close(socket, TCloseReason::ServerStops);
        }
        ServerSocket->SetActive(false);
        UpdateDisplay();
    }
    Button_Refresh->setEnabled(ticked);
    SpinEdit_Port->setEnabled(!ticked);
    Edit_GroupName->setEnabled(!ticked);
}

// --- Server socket events ----------------------------------------------------------------

void TTrovGameServerForm::ServerSocketClientConnect(QObject*, TCustomWinSocket* Socket) {
    // The station hands each line it receives to ParseClientLine.
    TStation& station = TStation::Open(
        Socket, [this, Socket](const std::string& Line) { ParseClientLine(Line, Socket); });
    station.Player = TPlayerData::ForClient(Socket);

    const int count = ServerSocket->ActiveConnections();
    if (count < 2) return;
    TCustomWinSocket* newest = ServerSocket->Connections(count - 1);
    for (int i = 0; i < count - 1; ++i) {
        TCustomWinSocket* other = ServerSocket->Connections(i);
        if (other && other->RemoteAddress() == newest->RemoteAddress() &&
            other->RemotePort() == newest->RemotePort() &&
            other->RemoteHost() == newest->RemoteHost()) {
            TStation::Close(newest, TCloseReason::SamePeer);
            break;
        }
    }
}

void TTrovGameServerForm::ServerSocketClientDisconnect(QObject*, TCustomWinSocket* Socket) {
    if (TStation* station = TStation::Of(Socket)) station->End();
    TPlayerData* player = PlayerOf(Socket);
    try {
        if (player) {
            player->Entered = false;
            if (player->Accepted) {
                player->Accepted = false;
                player->Socket = nullptr;
                LosePlayer(*player);
                FGame->Vacate(player);
            }
        }
        RefreshClientList();
    } catch (...) {
        // A failure here must not keep the connection from going.
    }
    // The record goes with the connection: no role slot may keep pointing to it.
    FGame->Vacate(player);
    if (player) player->Socket = nullptr;
}

void TTrovGameServerForm::ServerSocketClientRead(QObject*, TCustomWinSocket* Socket) {
    if (TStation* station = TStation::Of(Socket)) station->Read();
}

// The name of a station's host has come: its row shows it where the address stood.
void TTrovGameServerForm::ServerSocketClientHostName(QObject*, TCustomWinSocket* Socket) {
    const std::string port = std::to_string(Socket->RemotePort());
    for (int i = 0; i < ListView_Connect->Count(); ++i) {
        TListItem* item = ListView_Connect->Item(i);
        const auto& sub = item->SubItems();
        if (sub.size() >= 4 && sub[2] == Socket->RemoteAddress() && sub[3] == port)
            Quietly(ListView_Connect->OnChange, [&] { item->SetSubItem(1, Socket->RemoteHost()); });
    }
}

void TTrovGameServerForm::ServerSocketClientError(QObject*, TCustomWinSocket*,
                                                  TErrorEvent ErrorEvent, int& ErrorCode) {
    const char* text = SocketErrorText(ErrorEvent);
    TModalResult answer = mrNone;
    if (!FSocketErrorBox.Run([&] { answer = MessageDlg(text, TMsgDlgType::Warning, mbYes); })) {
        // The box that is open deals with the errors that come meanwhile: its Yes switches
        // the server off.
        ErrorCode = 0;
        return;
    }
    if (answer != mrYes) return;
    ErrorCode = 0;
    StatusBar->SetSimpleText("ErrMsg");
    CheckBox_Server->setChecked(!CheckBox_Server->isChecked());
    Button_InitClick(Button_Init);
    UpdateDisplay();
}

// A running game that loses a player shows the box, and pauses when it is closed; until then
// the game runs on. A player lost while that box is open is left to it: its pause follows.
void TTrovGameServerForm::PauseForLostPlayer() {
    if (PauseBox()) Button_StopClick(nullptr);
}

bool TTrovGameServerForm::PauseBox() {
    return FGame->FState != gsRunning || FPauseBox.Run([] {
        Beep();
        MessageBox(kPauseText, "Information", TBoxButtons::Ok);
    });
}

// Once the last week has been played a lost player holds nothing up: its final answers are
// never used, so the game ends with its result when the others have answered, as on the lost
// player's own last answer. In an earlier week the game pauses, unless it has played its last
// week while the box was open.
void TTrovGameServerForm::LosePlayer(TPlayerData& Player) {
    if (!FGame->LeaveAtEnd(&Player)) {
        if (!PauseBox()) return;
        if (!FGame->LeaveAtEnd(&Player)) {
            Button_StopClick(nullptr);
            return;
        }
    }
    ProceedGame();
}

// --- Messages ----------------------------------------------------------------------------

void TTrovGameServerForm::ParseClientLine(const std::string& Line, TCustomWinSocket* Socket) {
    std::optional<TEnvelope> env = ParseClientEnvelope(Line);
    if (!env) {
        TStation::Close(Socket, TCloseReason::NotAMessage);
        return;
    }
    HandleClientMessage(env->code, env->value, Socket);
}

void TTrovGameServerForm::HandleClientMessage(const std::string& Code, const std::string& Body,
                                              TCustomWinSocket* Socket) {
    TPlayerData* player = PlayerOf(Socket);
    if (!player) return;
    TTrovGame& g = *FGame;
    // A line that changes nothing (an unknown code, a wish or an amount already held)
    // is not followed by the refresh: it would only send everyone what they have.
    bool changed = true;
    if (Code == kNameCode) {
        for (int i = 0; i < ServerSocket->ActiveConnections(); ++i) {
            const TPlayerData* other = PlayerOf(ServerSocket->Connections(i));
            if (other && other->Entered && other->Name == Body) {
                Socket->SendText(kDuplicateNameMessage);
                TStation::Close(Socket, TCloseReason::NameTaken);
                return;
            }
        }
        player->Name = Body;
        player->Entered = true;
        Socket->SendText(kWelcomeMessage);
    } else if (Code == kRoleWishCode) {
        // An admitted player keeps its role until refused: a new wish would let the list's
        // re-admission move it into another player's role.
        const int role = RoleOfCode(Body);
        changed = role && !player->Accepted && role != player->Role;
        if (changed) player->Role = static_cast<std::uint8_t>(role);
    } else if (Code == kOrderCode || Code == kShipmentCode) {
        const bool order = Code == kOrderCode;
        if (g.FState != gsRunning) return;
        if (!player->Entered || !player->Accepted) return;
        const std::optional<TDecision> decision = ReadDecision(Body);
        if (!decision) return;
        if (!IsRoleNumber(player->Role) || decision->Role != RoleCode(RoleIndex(player->Role)))
            return;
        if (HexToNum(decision->Week) != g.FTurn) return;
        const auto amount = static_cast<std::int8_t>(HexToNum(decision->Amount) & 0xFF);
        std::int8_t& stored = order ? player->Order : player->Shipment;
        changed = amount != stored;
        stored = amount;
        if (amount < 0) return;
        Socket->SendText(ReceiptMessage(order, amount));
        if (!changed) return;
        ProceedGame();
        ShowInputStatus();
    } else if (Code == kTextCode) {
        // Chat changes neither the list nor anyone's status.
        RelayChat(Body, *player, Socket);
        changed = false;
    } else {
        changed = false;
    }
    if (!changed) return;
    RefreshClientList();
    UpdateDisplay();
}

// A station speaks only as itself: the sender's word is the role it was admitted to
// ("UnKnown" before, whatever role it wished), never the role the message claims, so that no
// station can write as another player or as the game master. Players are written to only by an
// admitted player, the game master by a named station; a station may always write to itself.
void TTrovGameServerForm::RelayChat(const std::string& Body, const TPlayerData& Sender,
                                    TCustomWinSocket* Socket) {
    const std::optional<TChat> chat = ReadChat(Body);
    if (!chat) return;
    const std::string message =
        RelayedChatText(WishWord(Sender.Accepted ? Sender.Role : std::uint8_t{rlNone}), chat->Text);
    if (chat->From == chat->To) {
        SendServerText(Socket, message, kTextPieceLen);
    } else if (const int role = RoleOfCode(chat->To)) {
        TConnection* target = FGame->ClientSocket(role);
        if (Sender.Entered && Sender.Accepted && target)
            SendServerText(target, message, kTextPieceLen);
    } else if (chat->To == kServerCode && Sender.Entered) {
        FServerMessages.Show([message = BoxText(message)] {
            Beep();
            MessageDlg(message, TMsgDlgType::Information, mbOK);
        });
    }
}

// --- The loop-back connection ------------------------------------------------------------

void TTrovGameServerForm::ClientSocketConnect(QObject*, TCustomWinSocket*) {}

void TTrovGameServerForm::ClientSocketDisconnect(QObject*, TCustomWinSocket*) {
    for (TPlayerData& local : FGame->FLocalPlayers) local.Socket = nullptr;
}

void TTrovGameServerForm::ClientSocketError(QObject*, TCustomWinSocket*, TErrorEvent, int&) {
    // The code stays set: the error reaches the application's exception handler.
    StatusBar->SetSimpleText("Server side client socket error");
}

void TTrovGameServerForm::ClientSocketRead(QObject*, TCustomWinSocket* Socket) {
    FServerMessages.Show([text = BoxText(Socket->ReceiveText())] {
        MessageDlg(text, TMsgDlgType::Information, mbOK);
    });
}

// --- The game master's operations --------------------------------------------------------

void TTrovGameServerForm::Button_RefreshClick(QObject*) {
    RefreshClientList();
}

void TTrovGameServerForm::Button_DisconnectClick(QObject*) {
    if (ServerSocket->ActiveConnections() < 1 || ListView_Connect->SelCount() < 1 ||
        ListView_Connect->Count() < 1)
        return;
    std::vector<QPointer<TCustomWinSocket>> targets;
    for (int row = ListView_Connect->Count() - 1; row >= 0; --row) {
        if (!ListView_Connect->Item(row)->Selected()) continue;
        const int i = FindConnectionOfItem(row);
        if (i >= 0) targets.emplace_back(ServerSocket->Connections(i));
    }
    for (const auto& socket : targets) {
        if (!socket) continue;
        socket->SendText(kCloseMessage);
        TStation::Close(socket, TCloseReason::GameMaster);
    }
}

void TTrovGameServerForm::Button_SendMsgClick(QObject*) {
    const std::string memo = ChatText(ToSjis(Memo_SendMsg->toPlainText()));
    if (Trim(memo).empty() || ListView_Connect->SelCount() < 1 ||
        ServerSocket->ActiveConnections() < 1 || ListView_Connect->Count() < 1)
        return;
    for (int row = ListView_Connect->Count() - 1; row >= 0; --row) {
        if (!ListView_Connect->Item(row)->Selected()) continue;
        const int i = FindConnectionOfItem(row);
        if (i >= 0) SendServerText(ServerSocket->Connections(i), MasterText(memo), kMasterPieceLen);
    }
    Beep();
    StatusBar->SetSimpleText("Message has been sent.");
}
