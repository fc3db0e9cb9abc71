#pragma once
// The protocol's vocabulary (prefixes, codes, fixed values, the piece lengths of texts), the
// messages the two programs exchange, each built whole (prefix, code, colon, value,
// terminator), and the values that have fields, read by their fields. The envelope (prefix,
// code and value of a received line) is in shared/Wire.h.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {
class TConnection;
}

// --- Vocabulary --------------------------------------------------------------------------
// Codes and values are compared with regard to case.

inline constexpr std::string_view kClientPrefix = "TC_";
inline constexpr std::string_view kServerPrefix = "TS_";
// Between the code and the value, and between the fields of a value.
inline constexpr char kSeparator = ':';

// Codes of both directions: from a client the order, the shipment and a chat; from the server
// the receipts of the first two and a text message.
inline constexpr std::string_view kOrderCode = "PO";
inline constexpr std::string_view kShipmentCode = "PS";
inline constexpr std::string_view kTextCode = "SM";
// Codes only a client sends: its name and its role wish.
inline constexpr std::string_view kNameCode = "PN";
inline constexpr std::string_view kRoleWishCode = "PT";
// Codes only the server sends.
inline constexpr std::string_view kDuplicateNameCode = "Du";
inline constexpr std::string_view kWelcomeCode = "Cn";
inline constexpr std::string_view kAcceptanceCode = "Pl";
inline constexpr std::string_view kGroupNameCode = "GN";
inline constexpr std::string_view kShipModeCode = "MS";
inline constexpr std::string_view kJoinCode = "Jn";
inline constexpr std::string_view kCloseCode = "Cl";
inline constexpr std::string_view kOrderStatusCode = "Od";
inline constexpr std::string_view kGameCode = "Gm";
inline constexpr std::string_view kWeekCode = "Tn";
// The heads of the server's per-role codes of the incoming order and the backlog; the role
// index follows as one digit ("Dm0".."Dm3", "BC0".."BC3").
inline constexpr std::string_view kDemandHead = "Dm";
inline constexpr std::string_view kBacklogHead = "BC";

// The length of the server code that `code` starts with: three bytes after a per-role head,
// two otherwise. Client codes have two bytes.
constexpr std::size_t ServerCodeLength(std::string_view code) {
    const std::string_view head = code.substr(0, kDemandHead.size());
    return head == kDemandHead || head == kBacklogHead ? kDemandHead.size() + 1 : 2;
}

// The fixed values.
inline constexpr std::string_view kDuplicateNameValue = "Name";
inline constexpr std::string_view kWelcomeValue = "Welcome!";
inline constexpr std::string_view kLetsPlayValue = "Let's Play!";
inline constexpr std::string_view kDenyValue = "Deny";
inline constexpr std::string_view kCloseValue = "Close";
inline constexpr std::string_view kStartValue = "Start!";
inline constexpr std::string_view kRestartValue = "ReStart!";
inline constexpr std::string_view kPauseValue = "Pause!";
inline constexpr std::string_view kOverValue = "Over!";
// The week text after the last week.
inline constexpr std::string_view kFinalWeekValue = "Fn";
// What a receipt's amount follows.
inline constexpr std::string_view kReceivedHead = "Received!:";

// The letters of a yes/no field (shipping mode, role flags).
inline constexpr char kYes = 'T';
inline constexpr char kNo = 'F';
constexpr char FlagLetter(bool on) {
    return on ? kYes : kNo;
}
// A flag letter read: true, false, or nullopt for any other byte.
constexpr std::optional<bool> ReadFlag(char letter) {
    if (letter == kYes) return true;
    if (letter == kNo) return false;
    return std::nullopt;
}

// The chunked sender's piece lengths: a text message or chat (relayed chat, the result report,
// a player's chat), and the game master's own message.
inline constexpr std::uint8_t kTextPieceLen = 10;
inline constexpr std::uint8_t kMasterPieceLen = 8;

// --- From the server -------------------------------------------------------------------

// "TS_<code>:<value>" and the terminator. Every message is built so: a TAB or NUL in a value
// goes as a blank.
std::string ServerMessage(std::string_view code, std::string_view value);

inline const std::string kDuplicateNameMessage =
    ServerMessage(kDuplicateNameCode, kDuplicateNameValue);
inline const std::string kWelcomeMessage = ServerMessage(kWelcomeCode, kWelcomeValue);
inline const std::string kLetsPlayMessage = ServerMessage(kAcceptanceCode, kLetsPlayValue);
inline const std::string kDenyMessage = ServerMessage(kAcceptanceCode, kDenyValue);
inline const std::string kCloseMessage = ServerMessage(kCloseCode, kCloseValue);
inline const std::string kStartMessage = ServerMessage(kGameCode, kStartValue);
inline const std::string kRestartMessage = ServerMessage(kGameCode, kRestartValue);
inline const std::string kPauseMessage = ServerMessage(kGameCode, kPauseValue);
inline const std::string kOverMessage = ServerMessage(kGameCode, kOverValue);
// The head of a text message, for the chunked sender (which ends it).
inline constexpr std::string_view kServerTextHead = "TS_SM:";
// Sends `text` as a text message in pieces of `pieceLen` bytes.
void SendServerText(platform::TConnection* socket, std::string_view text, std::uint8_t pieceLen);
// The texts of relayed chat ("<sender's word>Message", an empty line, the chat's text) and of
// the game master's message.
std::string RelayedChatText(std::string_view senderWord, std::string_view text);
std::string MasterText(std::string_view text);

std::string GroupNameMessage(std::string_view groupName);
// "T" when the role ships by hand, "F" otherwise.
std::string ShipModeMessage(bool manual);
// The role availability ("Jn": role taken) and order status ("Od": order in) of a role index.
std::string JoinMessage(int roleIndex, bool taken);
std::string OrderStatusMessage(int roleIndex, bool ordered);
// What a status message (acceptance, group name, shipping mode, role flags) tells the value
// of: its prefix and code, and the role of a role flag. A later message under the same key
// supersedes an earlier one.
std::string StatusKey(std::string_view message);
// The receipt of an order ("PO") or a shipment ("PS") with the stored amount.
std::string ReceiptMessage(bool order, int amount);
// A value of the state block: the week (its text: two digits or "Fn"), and the values of a
// role as two digits: its inventory (coded with the role's code), its incoming order ("Dm"
// and the role index) and its backlog ("BC" and the role index).
std::string WeekMessage(std::string_view weekText);
enum class TStateItem { Stock, Demand, Backlog };
struct TStateCode {
    TStateItem Item;
    int Role; // index, 0 to 3
};
// The code of a state value: the role's code, or a head and the role index.
std::string StateCode(TStateCode code);
std::string StateValueMessage(TStateCode code, int value);

// "Received!:" and two digits: the digits.
[[nodiscard]] std::optional<std::string_view> ReadReceipt(std::string_view value);

// A role flag of "Jn" and "Od": role code, ':', flag letter.
struct TRoleFlag {
    std::string_view Role;
    char Flag;
};
[[nodiscard]] std::optional<TRoleFlag> ReadRoleFlag(std::string_view value);

// --- From a client ---------------------------------------------------------------------

std::string NameMessage(std::string_view name);
std::string RoleWishMessage(std::string_view roleCode);
// An order ("PO") or shipment ("PS") of a role for a week: "<role>:T<week>:<amount>".
std::string DecisionMessage(bool order, std::string_view roleCode, int week, int amount);
// The head of a chat text, for the chunked sender: "TC_SM:<from>:<to>:".
std::string ChatHead(std::string_view fromCode, std::string_view toCode);

// A typed text (a memo's, lines separated by LF) as the text of a chat or text message: lines
// separated by CR LF. (The chunked sender sends a TAB or NUL in it as a blank.)
std::string ChatText(std::string_view typed);

// An order or shipment value: exactly 9 bytes, ':' third, 'T' fourth, ':' seventh.
struct TDecision {
    std::string_view Role;   // two bytes
    std::string_view Week;   // two hexadecimal digits, as sent
    std::string_view Amount; // two hexadecimal digits, as sent
};
[[nodiscard]] std::optional<TDecision> ReadDecision(std::string_view body);

// A chat value: at least 7 bytes, ':' third and sixth.
struct TChat {
    std::string_view From;
    std::string_view To;
    std::string_view Text;
};
[[nodiscard]] std::optional<TChat> ReadChat(std::string_view body);
