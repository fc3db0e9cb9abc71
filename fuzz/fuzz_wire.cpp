// The wire format (shared/Wire.h): number text both ways, the receive framing and the two
// envelope checks, each against the rules its header gives.
//
// Input: one byte choosing the part, then
//   0: a 32-bit value (4 bytes) for NumToHex, the rest as text for HexToNum;
//   1: chunks for one receive buffer, each a length byte and that many bytes;
//   2: one message line for both envelope checks and the readers of the values' fields.
#include "fuzz/FuzzSupport.h"
#include "shared/Protocol.h"
#include "shared/Wire.h"

#include <string>
#include <string_view>
#include <vector>

namespace {

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Digits of either case read as 32 bits; -1 for anything else.
void CheckHexToNum(std::string_view text) {
    std::uint64_t value = 0;
    bool valid = !text.empty();
    for (std::size_t i = 0; valid && i < text.size(); ++i) {
        const int d = DigitValue(text[i]);
        value = value * 16 + static_cast<std::uint64_t>(d);
        valid = d >= 0 && value <= 0xFFFFFFFFu;
    }
    const int expected = valid ? static_cast<int>(static_cast<std::uint32_t>(value)) : -1;
    FUZZ_CHECK(HexToNum(text) == expected);
}

// Upper-case digits, at least two, eight for a negative value; read back to the value (a
// negative one through its two's complement).
void CheckNumToHex(int value) {
    const std::string text = NumToHex(value);
    FUZZ_CHECK(text.size() >= 2 && text.size() <= 8);
    for (char c : text) FUZZ_CHECK((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'));
    if (value < 0) FUZZ_CHECK(text.size() == 8);
    if (text.size() > 2) FUZZ_CHECK(text[0] != '0');
    FUZZ_CHECK(HexToNum(text) == value);
    std::string lower = text;
    for (char& c : lower)
        if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
    FUZZ_CHECK(HexToNum(lower) == value);
}

// TReceiveBuffer holds the CRs of a message as VT while it splits the text, so a VT that
// came in goes out as CR (as the framing is defined).
constexpr bool kReceiveTurnsVtIntoCr = true;

// The messages of the buffered bytes: a TAB ends one, and so does an LF (a TAB LF pair ends
// one message); a CR stays inside its message; a NUL ends the text; nothing after the last
// end counts unless a NUL cut it.
std::vector<std::string> MessagesOf(std::string_view bytes) {
    bytes = bytes.substr(0, bytes.find('\0'));
    std::vector<std::string> messages;
    std::string message;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c != kTerminator && c != '\n') {
            message += kReceiveTurnsVtIntoCr && c == '\v' ? '\r' : c;
            continue;
        }
        messages.push_back(message);
        message.clear();
        if (c == kTerminator && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    }
    if (!message.empty()) messages.push_back(message);
    return messages;
}

void CheckFraming(fuzz::TInput& in) {
    TReceiveBuffer buffer;
    std::string buffered;
    while (in.Left() > 0) {
        const std::string_view chunk = in.Piece8();
        const TReceiveBuffer::Flush flush = buffer.Receive(chunk);
        buffered += chunk;
        if (chunk.empty() || chunk.back() != kTerminator) {
            FUZZ_CHECK(!flush.flushed && flush.lines.empty());
            FUZZ_CHECK(buffer.Size() == buffered.size());
            continue;
        }
        FUZZ_CHECK(flush.flushed && buffer.Size() == 0);
        FUZZ_CHECK(flush.lines == MessagesOf(buffered));
        // Bytes without LF or NUL are the messages joined back, each followed by TAB.
        const std::string_view breaks =
            kReceiveTurnsVtIntoCr ? std::string_view("\n\0\v", 3) : std::string_view("\n\0", 2);
        if (buffered.find_first_of(breaks) == std::string::npos) {
            std::string joined;
            for (const std::string& line : flush.lines) joined += line + kTerminator;
            FUZZ_CHECK(joined == buffered);
        }
        buffered.clear();
    }
}

bool IsTrimmed(std::string_view s) {
    return s.empty() || (static_cast<unsigned char>(s.front()) > ' ' &&
                         static_cast<unsigned char>(s.back()) > ' ');
}

// An envelope value: trimmed, lines joined by CR LF, and made of the line's bytes from
// `start` on (line breaks left out).
void CheckValue(const std::string& value, std::string_view line, std::size_t start) {
    FUZZ_CHECK(IsTrimmed(value));
    FUZZ_CHECK(value.find('\0') == std::string::npos);
    std::string flat;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\r') {
            FUZZ_CHECK(i + 1 < value.size() && value[i + 1] == '\n');
            ++i;
        } else {
            FUZZ_CHECK(value[i] != '\n');
            flat += value[i];
        }
    }
    std::string source;
    for (char c : line.substr(start))
        if (c != '\r' && c != '\n') source += c;
    FUZZ_CHECK(source.find(flat) != std::string::npos);
    // A single line is its own value, trimmed.
    if (line.find_first_of("\r\n") == std::string_view::npos) {
        std::string_view rest = line.substr(start);
        while (!rest.empty() && static_cast<unsigned char>(rest.front()) <= ' ')
            rest.remove_prefix(1);
        while (!rest.empty() && static_cast<unsigned char>(rest.back()) <= ' ')
            rest.remove_suffix(1);
        FUZZ_CHECK(value == rest);
    }
}

// Each reader's fields, put together again, are the text it read; a state code names the
// message it came from.
void CheckClientFields(std::string_view value) {
    if (const auto d = ReadDecision(value))
        FUZZ_CHECK(std::string(d->Role) + ":T" + std::string(d->Week) + ":" +
                       std::string(d->Amount) ==
                   value);
    if (const auto chat = ReadChat(value))
        FUZZ_CHECK(ChatHead(chat->From, chat->To) + std::string(chat->Text) ==
                   "TC_SM:" + std::string(value));
}

void CheckServerFields(std::string_view code, std::string_view value) {
    for (TStateItem item : {TStateItem::Stock, TStateItem::Demand, TStateItem::Backlog})
        for (int role = 0; role < 4; ++role) {
            if (StateCode({item, role}) != code) continue;
            std::string message = StateValueMessage({item, role}, 0);
            message.pop_back(); // the terminator
            const auto again = ParseServerEnvelope(message);
            FUZZ_CHECK(again && again->code == code);
        }
    if (const auto digits = ReadReceipt(value))
        FUZZ_CHECK("Received!:" + std::string(*digits) == value);
    if (const auto flag = ReadRoleFlag(value))
        FUZZ_CHECK(std::string(flag->Role) + ":" + flag->Flag == value);
}

void CheckEnvelopes(std::string_view line) {
    // A NUL ends the text; the first line ends at CR or LF.
    line = line.substr(0, line.find('\0'));
    const std::string_view first = line.substr(0, line.find_first_of("\r\n"));

    const auto client = ParseClientEnvelope(line);
    const bool clientShape = first.size() >= 7 && first.substr(0, 3) == "TC_" && first[5] == ':';
    FUZZ_CHECK(client.has_value() == clientShape);
    if (client) {
        FUZZ_CHECK(client->code == first.substr(3, 2));
        CheckValue(client->value, line, 6);
        CheckClientFields(client->value);
    }

    const auto server = ParseServerEnvelope(line);
    const bool serverShape = first.size() >= 7 && first.substr(0, 3) == "TS_";
    FUZZ_CHECK(server.has_value() == serverShape);
    if (server) {
        const std::string_view two = first.substr(3, 2);
        const std::size_t codeSize = two == "Dm" || two == "BC" ? 3 : 2;
        FUZZ_CHECK(server->code == first.substr(3, codeSize));
        CheckValue(server->value, line, 3 + codeSize + 1);
        CheckServerFields(server->code, server->value);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::TInput in(data, size);
    switch (in.Byte() % 3) {
    case 0:
        CheckNumToHex(static_cast<int>(in.U32()));
        CheckHexToNum(in.Rest());
        break;
    case 1:
        CheckFraming(in);
        break;
    default:
        CheckEnvelopes(in.Rest());
        break;
    }
    return 0;
}
