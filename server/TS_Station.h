#pragma once
// A station: one connection of the server and what the server keeps for it, the player's
// record and the connection's input, from the received bytes to the handled lines.
#include "server/TrovGCls.h"
#include "shared/Wire.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace platform {
class TCustomWinSocket;
class TServerSocket;
} // namespace platform

// Why the server closes a station's connection. The peer sees only the close (after the reply
// that some of them send first); nothing is shown for it.
enum class TCloseReason {
    Unterminated, // more bytes without a TAB than TStation::MaxUnterminated
    NoMessage,    // input ending with a TAB that holds no message at all
    NotAMessage,  // a line that is no client message
    NameTaken,    // a name another station has (after the duplicate name reply)
    SamePeer,     // a second connection from the address, port and host of another
    GameMaster,   // the game master's Disconnect (after the close message)
    ServerStops,  // the server stops listening
};

// What a station needs of its connection's input side: a socket's own (TStation::Open), or a
// stand-in in tests.
class TStationLink {
public:
    virtual ~TStationLink() = default;
    // Takes what has arrived (the socket holds a bounded amount and reads on once it is taken).
    virtual std::string ReceiveText() = 0;
    // At the connection's end: what had arrived and was not taken.
    virtual std::string LeftInput() = 0;
    // Whether received bytes wait to be taken.
    virtual bool HasInput() const = 0;
    virtual bool Connected() const = 0;
    // Once the connection has ended: whether its peer ended it (ended its sending, or was
    // lost), rather than this side closing it.
    virtual bool EndedByPeer() const = 0;
    // Ends the connection; its end (TStation::End) runs before this returns.
    virtual void Close() = 0;
    // Runs `f` on a later turn of the event loop, only while the connection stands.
    virtual void Later(std::function<void()> f) = 0;
};

class TStation {
public:
    // Handles one line; what it throws loses that line only.
    using TLineHandler = std::function<void(const std::string& line)>;

    // The server's input limits, applied to its socket by SetLimits.
    // Received bytes the socket holds for a station: past them it stops reading from the
    // station until they are taken, and the peer's sends wait. One read takes at most this much.
    static constexpr std::int64_t HeldInput = 64 * 1024;
    // A connection whose received bytes without a TAB pass this is closed; complete messages
    // held past it are framed at once.
    static constexpr std::size_t MaxUnterminated = 64 * 1024;
    // Lines of one station handled in one turn of the event loop, so that the other stations
    // are served and output is written in between: this many, or fewer long ones that reach
    // BytesPerTurn (each long line of chat is as much output).
    static constexpr int LinesPerTurn = 16;
    static constexpr std::size_t BytesPerTurn = 8 * 1024;

    // A station without a connection: a record only; its input does nothing.
    TStation() = default;
    // `link` outlives the station.
    TStation(TStationLink* link, TLineHandler handleLine);

    // Gives a socket its station, which lives exactly as long as the connection.
    static TStation& Open(platform::TCustomWinSocket* socket, TLineHandler handleLine);
    // The station of a socket (null for none).
    static TStation* Of(platform::TCustomWinSocket* socket);
    // Gives the server's socket the stations' input limits (above).
    static void SetLimits(platform::TServerSocket& server);
    // Closes a station's connection; its end runs before this returns.
    static void Close(platform::TCustomWinSocket* socket, TCloseReason why);

    TPlayerData Player;

    // Bytes have arrived: they are framed and their lines handled, a few per turn.
    void Read();
    // The connection has ended. When its peer ended it, lines that had come and were not
    // handled yet are handled now, as they came before its end; when the server closed it,
    // none of them is acted on.
    void End();

private:
    void Close(TCloseReason why);
    void Take(bool ending);
    void HandleLines();
    bool HasLines() const { return first_ < lines_.size(); }
    void AddLines(std::vector<std::string>& more);
    std::string TakeLine();

    TStationLink* link_ = nullptr;
    TLineHandler handleLine_;
    TReceiveBuffer buffer_;
    // Framed lines not handled yet, from first_ on.
    std::vector<std::string> lines_;
    std::size_t first_ = 0;
    int handling_ = 0; // lines being handled (more than once inside a box)
};
