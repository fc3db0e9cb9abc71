#include "shared/Protocol.h"

#include "shared/Role.h"
#include "shared/Wire.h"

namespace {

std::string Message(std::string_view prefix, std::string_view code, std::string_view value) {
    std::string m;
    m.reserve(prefix.size() + code.size() + value.size() + 2);
    m.append(prefix).append(code).append(1, ':').append(value).append(1, kTerminator);
    return m;
}

std::string RoleFlagMessage(std::string_view code, int roleIndex, bool on) {
    return ServerMessage(code, std::string(RoleCode(roleIndex)) + (on ? ":T" : ":F"));
}

constexpr std::string_view kReceived = "Received!:";
constexpr std::string_view kDemandHead = "Dm";
constexpr std::string_view kBacklogHead = "BC";

} // namespace

std::string ServerMessage(std::string_view code, std::string_view value) {
    return Message("TS_", code, value);
}

std::string GroupNameMessage(std::string_view groupName) {
    return ServerMessage("GN", groupName);
}

std::string ShipModeMessage(bool manual) {
    return ServerMessage("MS", manual ? "T" : "F");
}

std::string JoinMessage(int roleIndex, bool taken) {
    return RoleFlagMessage("Jn", roleIndex, taken);
}

std::string OrderStatusMessage(int roleIndex, bool ordered) {
    return RoleFlagMessage("Od", roleIndex, ordered);
}

std::string StatusKey(std::string_view message) {
    const std::string_view code = message.substr(0, 5);
    return std::string(message.substr(0, code == "TS_Jn" || code == "TS_Od" ? 8 : 5));
}

std::string ReceiptMessage(bool order, int amount) {
    return ServerMessage(order ? "PO" : "PS", std::string(kReceived) + NumToHex(amount));
}

std::string WeekMessage(std::string_view weekText) {
    return ServerMessage("Tn", weekText);
}

std::string StateValueMessage(TStateCode code, int value) {
    std::string text;
    if (code.Item == TStateItem::Stock) {
        text = RoleCode(code.Role);
    } else {
        text = code.Item == TStateItem::Demand ? kDemandHead : kBacklogHead;
        text += static_cast<char>('0' + code.Role);
    }
    return ServerMessage(text, NumToHex(value));
}

std::optional<TStateCode> ReadStateCode(std::string_view code) {
    if (const int role = RoleIndexOfCode(code); role >= 0)
        return TStateCode{TStateItem::Stock, role};
    if (code.size() != kDemandHead.size() + 1) return std::nullopt;
    const int role = code.back() - '0';
    if (!IsRoleIndex(role)) return std::nullopt;
    if (code.starts_with(kDemandHead)) return TStateCode{TStateItem::Demand, role};
    if (code.starts_with(kBacklogHead)) return TStateCode{TStateItem::Backlog, role};
    return std::nullopt;
}

std::optional<std::string_view> ReadReceipt(std::string_view value) {
    if (value.size() != kReceived.size() + 2 || !value.starts_with(kReceived)) return std::nullopt;
    return value.substr(kReceived.size());
}

std::optional<TRoleFlag> ReadRoleFlag(std::string_view value) {
    if (value.size() != 4 || value[2] != ':') return std::nullopt;
    return TRoleFlag{value.substr(0, 2), value[3]};
}

std::string NameMessage(std::string_view name) {
    return Message("TC_", "PN", name);
}

std::string RoleWishMessage(std::string_view roleCode) {
    return Message("TC_", "PT", roleCode);
}

std::string DecisionMessage(bool order, std::string_view roleCode, int week, int amount) {
    return Message("TC_", order ? "PO" : "PS",
                   std::string(roleCode) + ":T" + NumToHex(week) + ":" + NumToHex(amount));
}

std::string ChatHead(std::string_view fromCode, std::string_view toCode) {
    return "TC_SM:" + std::string(fromCode) + ":" + std::string(toCode) + ":";
}

std::string ChatText(std::string_view typed) {
    std::string text;
    text.reserve(typed.size());
    for (char c : typed) {
        if (c == '\n')
            text += "\r\n";
        else
            text += c == kTerminator ? ' ' : c;
    }
    return text;
}

std::optional<TDecision> ReadDecision(std::string_view body) {
    if (body.size() != 9 || body[2] != ':' || body[3] != 'T' || body[6] != ':') return std::nullopt;
    return TDecision{body.substr(0, 2), body.substr(4, 2), body.substr(7, 2)};
}

std::optional<TChat> ReadChat(std::string_view body) {
    if (body.size() < 7 || body[2] != ':' || body[5] != ':') return std::nullopt;
    return TChat{body.substr(0, 2), body.substr(3, 2), body.substr(6)};
}
