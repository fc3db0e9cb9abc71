#pragma once
// The messages the two programs exchange, each built whole (prefix, code, colon, value,
// terminator), and the values that have fields, read by their fields. The envelope (prefix,
// code and value of a received line) is in shared/Wire.h.
#include <optional>
#include <string>
#include <string_view>

// --- From the server -------------------------------------------------------------------

// "TS_<code>:<value>" and the terminator.
std::string ServerMessage(std::string_view code, std::string_view value);

inline const std::string kDuplicateNameMessage = ServerMessage("Du", "Name");
inline const std::string kWelcomeMessage = ServerMessage("Cn", "Welcome!");
inline const std::string kLetsPlayMessage = ServerMessage("Pl", "Let's Play!");
inline const std::string kDenyMessage = ServerMessage("Pl", "Deny");
inline const std::string kCloseMessage = ServerMessage("Cl", "Close");
inline const std::string kStartMessage = ServerMessage("Gm", "Start!");
inline const std::string kRestartMessage = ServerMessage("Gm", "ReStart!");
inline const std::string kPauseMessage = ServerMessage("Gm", "Pause!");
inline const std::string kOverMessage = ServerMessage("Gm", "Over!");
// The head of a text message, for the chunked sender (which ends it).
inline constexpr std::string_view kServerTextHead = "TS_SM:";

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
std::string StateValueMessage(TStateCode code, int value);
// The state value a message code names, if it names one.
[[nodiscard]] std::optional<TStateCode> ReadStateCode(std::string_view code);

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
// separated by CR LF, and each TAB, which would end the message there, as a blank.
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
