#include "shared/Wire.h"

#include "platform/Convert.h"
#include "platform/Sjis.h"
#include "shared/Protocol.h"
#include "shared/Text.h"

#include <algorithm>
#include <cstdio>

std::string NumToHex(int value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02X", static_cast<unsigned>(value));
    return buf;
}

int HexToNum(std::string_view digits) {
    const std::optional<std::uint32_t> bits = platform::ReadHexDigits(digits);
    return bits ? static_cast<int>(*bits) : -1;
}

TReceiveBuffer::Flush TReceiveBuffer::Receive(std::string_view chunk) {
    Flush result;
    if (chunk.empty()) return result;
    if (const std::size_t tab = chunk.rfind(kTerminator); tab != std::string_view::npos)
        terminated_ = buffer_.size() + tab + 1;
    buffer_.append(chunk);
    if (chunk.back() != kTerminator) return result;

    std::string text;
    text.swap(buffer_);
    terminated_ = 0;
    // CR inside a message is kept apart as VT while the text is split at the TABs.
    for (char& c : text) {
        if (c == '\r')
            c = '\v';
        else if (c == kTerminator)
            c = '\r';
    }
    result.flushed = true;
    result.lines = SplitLines(text);
    for (auto& line : result.lines) std::replace(line.begin(), line.end(), '\v', '\r');
    return result;
}

TReceiveBuffer::Flush TReceiveBuffer::Receive(std::string_view chunk, std::size_t hold) {
    const std::size_t tab = chunk.rfind(kTerminator);
    if (buffer_.size() + chunk.size() <= hold || tab == std::string_view::npos ||
        tab + 1 == chunk.size())
        return Receive(chunk);
    Flush result = Receive(chunk.substr(0, tab + 1));
    Receive(chunk.substr(tab + 1)); // no TAB in it: waits
    return result;
}

namespace {

// The value starts at `valueStart` of the first line; the lines are joined with CR LF
// after each and trimmed.
std::string JoinValue(std::vector<std::string>& lines, std::size_t valueStart) {
    lines.front().erase(0, std::min(valueStart, lines.front().size()));
    return Trim(JoinLines(lines));
}

} // namespace

std::optional<TEnvelope> ParseClientEnvelope(std::string_view line) {
    std::vector<std::string> lines = SplitLines(line);
    if (lines.empty()) return std::nullopt;
    const std::string& first = lines.front();
    const std::size_t codeAt = kClientPrefix.size();
    if (first.size() < 7 || !first.starts_with(kClientPrefix) || first[codeAt + 2] != kSeparator)
        return std::nullopt;
    TEnvelope env;
    env.code = first.substr(codeAt, 2);
    env.value = JoinValue(lines, codeAt + 3);
    return env;
}

std::optional<TEnvelope> ParseServerEnvelope(std::string_view line) {
    std::vector<std::string> lines = SplitLines(line);
    if (lines.empty()) return std::nullopt;
    const std::string& first = lines.front();
    if (first.size() < 7 || !first.starts_with(kServerPrefix)) return std::nullopt;
    const std::size_t codeAt = kServerPrefix.size();
    const std::size_t codeLength = ServerCodeLength(std::string_view(first).substr(codeAt));
    TEnvelope env;
    env.code = first.substr(codeAt, codeLength);
    // The byte after the code is not looked at.
    env.value = JoinValue(lines, codeAt + codeLength + 1);
    return env;
}

void MakeWireText(std::string& text, std::size_t from) {
    if (from >= text.size()) return;
    std::replace_if(
        text.begin() + static_cast<std::ptrdiff_t>(from), text.end(),
        [](char c) { return c == kTerminator || c == '\0'; }, ' ');
}

void SendTextInPieces(platform::TConnection* socket, std::string_view text, std::uint8_t pieceLen,
                      char terminator) {
    if (!socket || pieceLen == 0) return;
    try {
        std::string ready(text);
        MakeWireText(ready);
        std::vector<std::string> lines = SplitLines(ready);
        if (lines.empty()) return;
        for (const std::string& line : lines) {
            // `walk` runs once through the line from its start, character by character, so
            // that a lead byte is told from a trail byte without walking again per piece.
            std::size_t walk = 0;
            std::size_t p = 0;
            while (p < line.size()) {
                std::size_t n = std::min<std::size_t>(pieceLen, line.size() - p);
                const std::size_t last = p + n - 1;
                while (walk < last)
                    walk +=
                        platform::IsSjisLeadByte(static_cast<unsigned char>(line[walk])) ? 2 : 1;
                if (n > 1 && walk == last &&
                    platform::IsSjisLeadByte(static_cast<unsigned char>(line[last])))
                    --n;
                socket->SendText(line.substr(p, n));
                p += n;
            }
            socket->SendText("\r");
        }
        socket->SendText(std::string(1, terminator));
    } catch (...) {
        // A failed send ends this text; the connection reports its own error.
    }
}
