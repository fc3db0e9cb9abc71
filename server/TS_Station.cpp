#include "server/TS_Station.h"

#include "platform/Sockets.h"

#include <iterator>
#include <memory>
#include <utility>

namespace {

class TSocketLink final : public TStationLink {
public:
    explicit TSocketLink(platform::TCustomWinSocket* socket) : socket_(socket) {}
    std::string ReceiveText() override { return socket_->ReceiveText(); }
    std::string LeftInput() override { return socket_->LeftInput(); }
    bool HasInput() const override { return socket_->HasInput(); }
    bool Connected() const override { return socket_->Connected(); }
    bool EndedByPeer() const override { return socket_->EndedByPeer(); }
    void Close() override { socket_->Close(); }
    void Later(std::function<void()> f) override { socket_->Later(std::move(f)); }

private:
    platform::TCustomWinSocket* socket_;
};

// A socket's station holds the link to it.
class TSocketStation final : public TStation {
public:
    TSocketStation(platform::TCustomWinSocket* socket, TLineHandler handleLine)
        : TStation(&link_, std::move(handleLine)), link_(socket) {}

private:
    TSocketLink link_;
};

} // namespace

TStation::TStation(TStationLink* link, TLineHandler handleLine)
    : link_(link), handleLine_(std::move(handleLine)) {}

TStation& TStation::Open(platform::TCustomWinSocket* socket, TLineHandler handleLine) {
    std::shared_ptr<TStation> station =
        std::make_shared<TSocketStation>(socket, std::move(handleLine));
    TStation& opened = *station;
    socket->SetData(std::move(station));
    return opened;
}

TStation* TStation::Of(platform::TCustomWinSocket* socket) {
    // The server's sockets hold nothing but their station in their user data.
    return socket ? static_cast<TStation*>(socket->Data()) : nullptr;
}

void TStation::SetLimits(platform::TServerSocket& server) {
    server.HeldInput = HeldInput;
}

// Every reason closes alike; it is named for the reader.
void TStation::Close(platform::TCustomWinSocket* socket, TCloseReason) {
    socket->Close();
}

void TStation::Close(TCloseReason) {
    link_->Close();
}

void TStation::Read() {
    // Lines waiting for their turn come first; what arrived is taken after them. Inside a box
    // that one of its lines opened, the station's later lines are handled meanwhile.
    if (!link_ || (handling_ == 0 && HasLines())) return;
    Take(false);
}

void TStation::End() {
    if (!link_) return;
    if (!link_->EndedByPeer()) {
        // Closed by the server (a bad line, a taken name, too much held, the game master):
        // what the station sent after that is not heard.
        buffer_.Clear();
        lines_ = {};
        first_ = 0;
        return;
    }
    // Ended inside one of its own lines (a box): the loop handling them goes on with the rest.
    if (handling_ > 0) return;
    Take(true);
}

// Frames what has arrived (at the end, what was left) and handles its lines.
void TStation::Take(bool ending) {
    try {
        // Complete messages are never held against the bound: past it they are framed at once,
        // and no more is read until they have been handled.
        TReceiveBuffer::Flush flush =
            buffer_.Receive(ending ? link_->LeftInput() : link_->ReceiveText(), MaxUnterminated);
        if (!ending) {
            if (buffer_.Unterminated() > MaxUnterminated) {
                // A peer that never ends its message is not allowed to fill the memory.
                buffer_.Clear();
                Close(TCloseReason::Unterminated);
                return;
            }
            if (!flush.flushed) return;
            if (flush.lines.empty()) {
                Close(TCloseReason::NoMessage);
                return;
            }
        }
        if (flush.flushed) AddLines(flush.lines);
        HandleLines();
    } catch (...) {
        // Framing failed (no memory): what arrived is lost; the connection stays.
    }
}

// Handles a few of the lines, and the rest on later turns of the event loop. A connection
// whose peer ended meanwhile has the rest of its lines handled at once, as they came before
// its end; one the server closed has none left (End).
void TStation::HandleLines() {
    ++handling_;
    int handled = 0;
    std::size_t bytes = 0;
    while (HasLines()) {
        if ((handled == LinesPerTurn || bytes >= BytesPerTurn) && link_->Connected()) break;
        const std::string line = TakeLine();
        ++handled;
        bytes += line.size();
        try {
            handleLine_(line);
        } catch (...) {
            // Only this line is lost; the next one is handled.
        }
    }
    --handling_;
    if (!link_->Connected()) return;
    if (HasLines())
        link_->Later([this] { HandleLines(); });
    else if (link_->HasInput())
        link_->Later([this] { Take(false); });
}

void TStation::AddLines(std::vector<std::string>& more) {
    if (!HasLines()) {
        lines_ = std::move(more);
        first_ = 0;
    } else {
        lines_.insert(lines_.end(), std::make_move_iterator(more.begin()),
                      std::make_move_iterator(more.end()));
    }
}

std::string TStation::TakeLine() {
    std::string line = std::move(lines_[first_++]);
    if (!HasLines()) {
        lines_ = {};
        first_ = 0;
    }
    return line;
}
