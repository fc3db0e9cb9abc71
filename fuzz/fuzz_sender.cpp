// The chunked sender (SendTextInPieces, shared/Wire.h): what it hands to the connection,
// send by send, against the rules its header gives.
//
// Input: the piece length, the terminator, the send that fails (0: none), then the text.
#include "fuzz/FuzzSupport.h"
#include "platform/Connection.h"
#include "platform/Sjis.h"
#include "shared/Text.h"
#include "shared/Wire.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Records every send; the send numbered `failAt` (from 1) raises instead, as a transport
// error may.
class TRecordingConnection : public platform::TConnection {
public:
    explicit TRecordingConnection(std::size_t failAt = 0) : failAt_(failAt) {}

    void SendText(const std::string& bytes) override {
        if (failAt_ != 0 && sends.size() + 1 == failAt_) throw std::runtime_error("send failed");
        sends.push_back(bytes);
    }
    bool Connected() const override { return true; }

    std::vector<std::string> sends;

private:
    std::size_t failAt_;
};

// Line by line: pieces of 1 to `pieceLen` bytes that make up the line, none ending on the
// first byte of a double-byte character unless nothing else was possible (a piece length of
// 1, or a line that ends there), then a CR; the terminator last.
void CheckSends(const std::vector<std::string>& sends, std::string_view text, std::uint8_t pieceLen,
                char terminator) {
    const std::vector<std::string> lines = SplitLines(text);
    if (pieceLen == 0 || lines.empty()) {
        FUZZ_CHECK(sends.empty());
        return;
    }
    FUZZ_CHECK(!sends.empty() && sends.back() == std::string(1, terminator));
    const std::size_t end = sends.size() - 1; // the terminator's send
    std::size_t s = 0;
    for (const std::string& line : lines) {
        std::size_t at = 0;
        // A piece is never a lone CR: lines hold none.
        for (; s < end && sends[s] != "\r"; ++s) {
            const std::string& piece = sends[s];
            FUZZ_CHECK(!piece.empty() && piece.size() <= pieceLen);
            FUZZ_CHECK(line.compare(at, piece.size(), piece) == 0);
            at += piece.size();
            if (platform::IsLeadByteAt(line, at - 1))
                FUZZ_CHECK(pieceLen == 1 || at == line.size());
        }
        FUZZ_CHECK(at == line.size());
        FUZZ_CHECK(s < end && sends[s] == "\r");
        ++s;
    }
    FUZZ_CHECK(s == end);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::TInput in(data, size);
    const std::uint8_t pieceLen = in.Byte();
    const char terminator = static_cast<char>(in.Byte());
    const std::size_t failAt = in.Byte();
    const std::string_view text = in.Rest();

    TRecordingConnection all;
    SendTextInPieces(&all, text, pieceLen, terminator);
    CheckSends(all.sends, text, pieceLen, terminator);

    // A failing send ends the sending silently: what went before it was sent as without the
    // failure, nothing after it.
    TRecordingConnection failing(failAt);
    bool raised = false;
    try {
        SendTextInPieces(&failing, text, pieceLen, terminator);
    } catch (...) {
        raised = true;
    }
    FUZZ_CHECK(!raised);
    const std::size_t sent =
        failAt == 0 ? all.sends.size() : std::min(failAt - 1, all.sends.size());
    FUZZ_CHECK(failing.sends.size() == sent);
    FUZZ_CHECK(std::equal(failing.sends.begin(), failing.sends.end(), all.sends.begin()));

    SendTextInPieces(nullptr, text, pieceLen, terminator);
    return 0;
}
