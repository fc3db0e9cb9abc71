#pragma once
// The wire format shared by server and client: numbers, receive framing, the two envelope
// checks and the chunked text sender.
#include "platform/Connection.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

constexpr char kTerminator = '\t';

// Upper-case hexadecimal, at least two digits; a negative value as the eight digits of its
// 32-bit two's complement.
std::string NumToHex(int value);

// Hexadecimal digits of either case, read as a 32-bit number; -1 for anything else (empty,
// blanks, signs, other letters, more than 32 bits).
int HexToNum(std::string_view digits);

// The receive buffer of one connection. Chunks are appended; only a chunk that ends with TAB
// flushes the whole buffer into lines (messages).
// A VT received comes out as CR: VT holds the place of CR while the buffer is split.
class TReceiveBuffer {
public:
    struct Flush {
        bool flushed = false;           // the chunk ended with TAB and the buffer was taken
        std::vector<std::string> lines; // the messages, CR inside a message kept as CR
    };

    Flush Receive(std::string_view chunk);
    // As Receive, but a chunk that would make the buffer pass `hold` bytes and holds a TAB is
    // taken as two chunks, the first ending with its last TAB, as if it had arrived so: its
    // complete messages come out and only the bytes after them wait.
    Flush Receive(std::string_view chunk, std::size_t hold);
    std::size_t Size() const { return buffer_.size(); }
    // The bytes at the end of the buffer that no TAB follows (a message not yet ended).
    std::size_t Unterminated() const { return buffer_.size() - terminated_; }
    void Clear() {
        buffer_.clear();
        terminated_ = 0;
    }

private:
    std::string buffer_;
    std::size_t terminated_ = 0; // bytes up to and including the buffer's last TAB
};

// A message line cut into its code and value.
struct TEnvelope {
    std::string code;  // two bytes, or three for the client's Dm0..Dm3 and BC0..BC3
    std::string value; // multi-line values carry CR LF between lines; trimmed
};

// The server's strict check: nullopt means the line is malformed and the sender's
// connection is to be closed (no line, first line under 7 bytes, no "TC_", no ':' sixth).
[[nodiscard]] std::optional<TEnvelope> ParseClientEnvelope(std::string_view line);

// The client's lenient check: nullopt means the line is ignored (no line, first line under 7
// bytes, no "TS_"). Codes starting "Dm" or "BC" take a third byte; byte 6 is not looked at.
[[nodiscard]] std::optional<TEnvelope> ParseServerEnvelope(std::string_view line);

// Makes the text from `from` on ready to go inside a message: each TAB, which would end the
// message there, and each NUL, which would end the receiver's batch there, becomes a blank.
void MakeWireText(std::string& text, std::size_t from = 0);

// Sends `text` as one message in pieces of at most `pieceLen` bytes, never ending a piece
// inside a double-byte character: line by line, each line's pieces, then a CR, each in its
// own send; the terminator last. A TAB or NUL inside the text goes as a blank. Nothing is sent
// without a connection, with `pieceLen` 0 or for an empty text. An error while sending ends the
// sending silently.
void SendTextInPieces(platform::TConnection* socket, std::string_view text, std::uint8_t pieceLen,
                      char terminator);
