#include "shared/Protocol.h"

#include "shared/Role.h"
#include "shared/Wire.h"

namespace {

// The mark before the week of an order or shipment value ("Ft:T05:0A").
constexpr char kWeekMark = 'T';

std::string Message(std::string_view prefix, std::string_view code, std::string_view value) {
    std::string m;
    m.reserve(prefix.size() + code.size() + value.size() + 2);
    m.append(prefix).append(code).append(1, kSeparator);
    const std::size_t valueAt = m.size();
    m.append(value);
    MakeWireText(m, valueAt);
    m.append(1, kTerminator);
    return m;
}

std::string ClientMessage(std::string_view code, std::string_view value) {
    return Message(kClientPrefix, code, value);
}

std::string RoleFlagMessage(std::string_view code, int roleIndex, bool on) {
    return ServerMessage(code, std::string(RoleCode(roleIndex)) + kSeparator + FlagLetter(on));
}

} // namespace

std::string ServerMessage(std::string_view code, std::string_view value) {
    return Message(kServerPrefix, code, value);
}

void SendServerText(platform::TConnection* socket, std::string_view text, std::uint8_t pieceLen) {
    SendTextInPieces(socket, std::string(kServerTextHead).append(text), pieceLen, kTerminator);
}

std::string RelayedChatText(std::string_view senderWord, std::string_view text) {
    return std::string(senderWord).append("Message\r\r").append(text);
}

std::string MasterText(std::string_view text) {
    return std::string("Message from Server\r\r").append(text);
}

std::string GroupNameMessage(std::string_view groupName) {
    return ServerMessage(kGroupNameCode, groupName);
}

std::string ShipModeMessage(bool manual) {
    return ServerMessage(kShipModeCode, std::string(1, FlagLetter(manual)));
}

std::string JoinMessage(int roleIndex, bool taken) {
    return RoleFlagMessage(kJoinCode, roleIndex, taken);
}

std::string OrderStatusMessage(int roleIndex, bool ordered) {
    return RoleFlagMessage(kOrderStatusCode, roleIndex, ordered);
}

std::string StatusKey(std::string_view message) {
    auto is = [message](std::string_view code) {
        return message.starts_with(kServerPrefix) &&
               message.substr(kServerPrefix.size()).starts_with(code);
    };
    const std::size_t codeEnd = kServerPrefix.size() + 2;
    // A role flag's key goes on to its role code: prefix, code, separator, role.
    const bool roleFlag = is(kJoinCode) || is(kOrderStatusCode);
    return std::string(message.substr(0, roleFlag ? codeEnd + 3 : codeEnd));
}

std::string ReceiptMessage(bool order, int amount) {
    return ServerMessage(order ? kOrderCode : kShipmentCode,
                         std::string(kReceivedHead) + NumToHex(amount));
}

std::string WeekMessage(std::string_view weekText) {
    return ServerMessage(kWeekCode, weekText);
}

std::string StateCode(TStateCode code) {
    if (code.Item == TStateItem::Stock) return RoleCode(code.Role);
    std::string text(code.Item == TStateItem::Demand ? kDemandHead : kBacklogHead);
    text += static_cast<char>('0' + code.Role);
    return text;
}

std::string StateValueMessage(TStateCode code, int value) {
    return ServerMessage(StateCode(code), NumToHex(value));
}

std::optional<std::string_view> ReadReceipt(std::string_view value) {
    if (value.size() != kReceivedHead.size() + 2 || !value.starts_with(kReceivedHead))
        return std::nullopt;
    return value.substr(kReceivedHead.size());
}

std::optional<TRoleFlag> ReadRoleFlag(std::string_view value) {
    if (value.size() != 4 || value[2] != kSeparator) return std::nullopt;
    return TRoleFlag{value.substr(0, 2), value[3]};
}

std::string NameMessage(std::string_view name) {
    return ClientMessage(kNameCode, name);
}

std::string RoleWishMessage(std::string_view roleCode) {
    return ClientMessage(kRoleWishCode, roleCode);
}

std::string DecisionMessage(bool order, std::string_view roleCode, int week, int amount) {
    return ClientMessage(order ? kOrderCode : kShipmentCode, std::string(roleCode) + kSeparator +
                                                                 kWeekMark + NumToHex(week) +
                                                                 kSeparator + NumToHex(amount));
}

std::string ChatHead(std::string_view fromCode, std::string_view toCode) {
    std::string head(kClientPrefix);
    head.append(kTextCode).append(1, kSeparator);
    return head.append(fromCode).append(1, kSeparator).append(toCode).append(1, kSeparator);
}

std::string ChatText(std::string_view typed) {
    std::string text;
    text.reserve(typed.size());
    for (char c : typed) {
        if (c == '\n') text += '\r';
        text += c;
    }
    return text;
}

std::optional<TDecision> ReadDecision(std::string_view body) {
    if (body.size() != 9 || body[2] != kSeparator || body[3] != kWeekMark || body[6] != kSeparator)
        return std::nullopt;
    return TDecision{body.substr(0, 2), body.substr(4, 2), body.substr(7, 2)};
}

std::optional<TChat> ReadChat(std::string_view body) {
    if (body.size() < 7 || body[2] != kSeparator || body[5] != kSeparator) return std::nullopt;
    return TChat{body.substr(0, 2), body.substr(3, 2), body.substr(6)};
}
