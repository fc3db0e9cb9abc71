#pragma once
// Event-driven TCP on the GUI thread: a listening server socket with its accepted
// connections, and a client socket with its one connection.
//
// Every event (connect, read, disconnect, error) runs from the event loop, never from inside
// a Qt socket call, in the order the socket saw it. A handler may therefore open a modal box
// (further socket events run inside it) or throw: an exception that escapes a handler
// reaches the application's exception handler.
#include "platform/Connection.h"

#include <QHostInfo>
#include <QObject>
#include <QtGlobal>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

class QSocketNotifier;
class QTcpServer;
class QTcpSocket;

namespace platform {

// The kind of a socket error.
enum TErrorEvent { eeGeneral, eeSend, eeReceive, eeConnect, eeDisconnect, eeAccept, eeLookup };

// A socket error that nobody dealt with: an error event whose handler left the code
// non-zero, a failure to listen, or an open that cannot even start. The code is the
// system's error number (errno); a host name that cannot be resolved gives ENXIO.
class ESocketError : public std::runtime_error {
public:
    ESocketError(int code, TErrorEvent kind, const std::string& message)
        : std::runtime_error(message), code_(code), kind_(kind) {}
    int ErrorCode() const { return code_; }
    TErrorEvent ErrorEvent() const { return kind_; }

private:
    int code_;
    TErrorEvent kind_;
};

class TCustomWinSocket;

// Sender is the server or client socket component; Socket the connection concerned.
using TSocketNotifyEvent = std::function<void(QObject* Sender, TCustomWinSocket* Socket)>;
// The handler may set ErrorCode to 0 to settle the error; a code left non-zero is thrown as
// ESocketError once the handler has returned.
using TSocketErrorEvent = std::function<void(QObject* Sender, TCustomWinSocket* Socket,
                                             TErrorEvent ErrorEvent, int& ErrorCode)>;

// What the server and client socket share: the bound on unsent output, and the events
// their connections raise.
class TAbstractSocket : public QObject {
    Q_OBJECT
public:
    // A connection whose output not yet taken by the peer stays past this many bytes for
    // StallMs, or passes UnsentCeiling times as many, is closed (disconnect event as for any
    // close): a peer that does not read cannot make us hold more, while one that reads is given
    // the time to take what a burst queued.
    static constexpr qint64 DefaultMaxUnsentBytes = qint64(1) << 20;
    static constexpr int DefaultStallMs = 2000;
    static constexpr qint64 UnsentCeiling = 16;
    qint64 MaxUnsentBytes = DefaultMaxUnsentBytes;
    int StallMs = DefaultStallMs;
    // Received bytes a connection holds for its read handler (at least one); past that it stops
    // reading until they are taken, and the peer's sends wait. A peer that sends at full speed
    // is so read a bounded piece at a time, with the events of others in between. The programs
    // set their own (TStation::HeldInput, the client's kHeldRecvBuf).
    static constexpr qint64 DefaultHeldInput = 64 * 1024;
    qint64 HeldInput = DefaultHeldInput;

protected:
    explicit TAbstractSocket(QObject* parent) : QObject(parent) {}

private:
    friend class TCustomWinSocket;
    virtual TSocketNotifyEvent ConnectEvent() const = 0;
    virtual TSocketNotifyEvent ReadEvent() const = 0;
    virtual TSocketNotifyEvent DisconnectEvent() const = 0;
    virtual TSocketErrorEvent ErrorEvent() const = 0;
    virtual TSocketNotifyEvent HostNameEvent() const { return {}; }
    // Bookkeeping when a connection stands, before its connect event runs, and when it
    // ends, before its disconnect event runs.
    virtual void Opened(TCustomWinSocket* socket) { (void)socket; }
    virtual void Closing(TCustomWinSocket* socket) { (void)socket; }
};

// One TCP connection: an accepted one of a server socket, or the one of a client socket.
//
// A peer that ends its sending (or is lost) still has what it sent handed to the read event,
// and the owner's work on it that waits in Later runs first, with the connection standing:
// replies reach a peer that has only ended its sending. Then the connection ends with its
// disconnect event.
//
// An accepted connection is destroyed after it has been closed, once no event of it is
// being handled and control is back in the main event loop (not inside a modal box), so
// a handler may go on using its Socket argument after closing it. Code that keeps a
// connection across a modal box of its own should hold it in a QPointer. The connection of a
// client socket lives as long as the client socket and is reused by every open.
class TCustomWinSocket : public QObject, public TConnection {
    Q_OBJECT
public:
    ~TCustomWinSocket() override;

    // Queues the bytes for sending in one call; nothing when not connected.
    void SendText(const std::string& bytes) override;
    // Leaves out a status message equal to the last one under its key while that one still
    // waits in the output with only status messages after it, so a peer that reads slowly is
    // not sent the same status over and over.
    void SendStatus(const std::string& key, const std::string& bytes) override;
    // True from the connect event until the connection ends (false in the disconnect event).
    bool Connected() const override { return state_ == State::Connected; }
    // Once ended: whether the peer ended the connection (ended its sending, or was lost), not
    // a Close or an error on this side.
    bool EndedByPeer() const { return endedByPeer_; }
    // Takes every byte received so far, up to the owner's HeldInput (empty when none, or when
    // not connected).
    std::string ReceiveText();
    // Whether received bytes wait to be taken.
    bool HasInput() const;
    // In the disconnect event: takes the bytes that had arrived and were not taken when the
    // connection ended (afterwards they are gone).
    std::string LeftInput() { return std::exchange(received_, std::string()); }
    // Runs `f` from the event loop as an event of this connection (the connection lives while
    // it runs); nothing when the connection has ended by then. A peer's end waits for it.
    void Later(std::function<void()> f);
    // Ends the connection. The disconnect event runs before Close returns; bytes already
    // sent still reach the peer, which then sees the connection end. A connection that is
    // still being set up is abandoned without events. Nothing happens when already closed.
    void Close();

    // The peer's address as dotted text and its port, as at the time of connecting.
    const std::string& RemoteAddress() const { return remoteAddress_; }
    int RemotePort() const { return remotePort_; }
    // The peer's host name from a reverse lookup, empty when the address has no name. The
    // first call starts the lookup, which does not block: until its answer the address stands
    // for the name; when the answer comes the owner's host-name event runs.
    std::string RemoteHost();
    // This machine's host name.
    std::string LocalHost() const;

    // One user-data slot. The connection owns what it holds: it is released when the
    // connection object is destroyed (or when the slot is set again).
    void* Data() const { return data_.get(); }
    void SetData(std::shared_ptr<void> data) { data_ = std::move(data); }

private slots:
    void HostLookedUp(const QHostInfo& info);

private:
    friend class TServerSocket;
    friend class TClientSocket;
    enum class State { Idle, Connecting, Connected, Closed };
    enum class Ending { Graceful, Abort };

    TCustomWinSocket(TAbstractSocket* owner, bool disposable);
    void Reset();
    void Adopt(int fd);
    void TakeOver(QTcpSocket* socket);
    void DropSocket(Ending how);
    void Shutdown();
    void End(Ending how);
    template <class F> void Post(F f);
    template <class Call> void Dispatch(Call&& call);
    void ReleaseIfDone();
    void Readable();
    void ReadIn();
    void WriteOut();
    qint64 Unsent() const { return static_cast<qint64>(out_.size() - outHead_); }
    void Failed(int code);
    void PeerEnded(Ending how);
    void EndAfterPeer();
    void ReadNotice();
    void ConnectedNotice();
    void HostFound(const std::string& name);
    void ErrorNotice(int code, const std::string& text);

    TAbstractSocket* owner_;
    const bool disposable_;
    QTcpSocket* connecting_ = nullptr; // a client socket's Qt socket while it connects
    int fd_ = -1;                      // the connected socket: all its reading and writing
    QSocketNotifier* readNotifier_ = nullptr;
    QSocketNotifier* writeNotifier_ = nullptr;
    State state_ = State::Idle;
    unsigned generation_ = 0; // notices of an earlier socket are dropped
    int busy_ = 0;            // events of this connection being handled (nested included)
    int laters_ = 0;          // Later calls waiting to run
    bool readNoticePending_ = false;
    bool overflow_ = false;
    bool stallCheck_ = false;  // a check of output not taken is due
    bool peerEnded_ = false;   // the peer has ended its sending, or is gone (peerEnding_ Abort)
    bool endedByPeer_ = false; // the connection ended at the peer's end (EndAfterPeer)
    Ending peerEnding_ = Ending::Graceful;
    bool released_ = false;
    bool releaseTimer_ = false;
    std::string received_;
    std::string out_; // output from outHead_ on not yet taken by the system
    std::size_t outHead_ = 0;
    bool writeFull_ = false; // the system took no more at the last write
    std::string remoteAddress_;
    int remotePort_ = 0;
    bool hostAsked_ = false;
    bool hostKnown_ = false;
    int lookupId_ = -1; // the system's lookup under way
    std::string remoteHost_;
    std::shared_ptr<void> data_;
    qint64 queued_ = 0; // bytes queued for sending since the connection was made
    // The last status message queued under each key and where it ends in the output; valid
    // while nothing but status messages has been queued since (statusEnd_ == queued_).
    struct TStatusSent {
        std::string bytes;
        qint64 end = 0;
    };
    std::map<std::string, TStatusSent> status_;
    qint64 statusEnd_ = -1;
};

// Listens on a port on all IPv4 addresses; keeps its active connections in order of
// acceptance.
class TServerSocket : public TAbstractSocket {
    Q_OBJECT
public:
    explicit TServerSocket(QObject* parent = nullptr);
    // Closes what is left without running events.
    ~TServerSocket() override;

    int Port() const { return port_; }
    void SetPort(int port) { port_ = port; }
    // The port actually listened on while active (chosen by the system when Port is 0).
    int LocalPort() const;

    bool Active() const { return active_; }
    // true: starts listening; a failure (port in use, no permission) throws ESocketError
    // and leaves the socket inactive. false: stops listening, then closes every connection
    // from the last to the first (their disconnect events run).
    void SetActive(bool active);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }

    int ActiveConnections() const { return static_cast<int>(connections_.size()); }
    // The connection at index (0 = oldest), null when out of range. A connection leaves the
    // list when it ends, before its disconnect event runs.
    TCustomWinSocket* Connections(int index) const;

    TSocketNotifyEvent OnClientConnect;
    TSocketNotifyEvent OnClientRead;
    TSocketNotifyEvent OnClientDisconnect;
    // Socket is null for an error of the listening socket itself (kind eeAccept).
    TSocketErrorEvent OnClientError;
    // The host name of a connection's peer has come (see RemoteHost).
    TSocketNotifyEvent OnClientHostName;

private:
    TSocketNotifyEvent ConnectEvent() const override { return OnClientConnect; }
    TSocketNotifyEvent ReadEvent() const override { return OnClientRead; }
    TSocketNotifyEvent DisconnectEvent() const override { return OnClientDisconnect; }
    TSocketErrorEvent ErrorEvent() const override { return OnClientError; }
    TSocketNotifyEvent HostNameEvent() const override { return OnClientHostName; }
    void Opened(TCustomWinSocket* socket) override;
    void Closing(TCustomWinSocket* socket) override;
    void AcceptReady();
    void Accept(int fd);
    void AcceptErrorNotice(int code);

    QTcpServer* server_;
    QSocketNotifier* acceptNotifier_ = nullptr; // while listening
    int port_ = 0;
    bool active_ = false;
    std::vector<TCustomWinSocket*> connections_;
};

// Connects to a host (name or dotted address) and port.
class TClientSocket : public TAbstractSocket {
    Q_OBJECT
public:
    explicit TClientSocket(QObject* parent = nullptr);
    // Closes the connection without running events.
    ~TClientSocket() override;

    // Host name or address, Shift-JIS bytes as typed.
    const std::string& Host() const { return host_; }
    void SetHost(std::string host) { host_ = std::move(host); }
    int Port() const { return port_; }
    void SetPort(int port) { port_ = port; }

    // True from Open until the connection ends or fails.
    bool Active() const;
    // Starts connecting and returns; the outcome is the connect event or an error event
    // (eeLookup for a host name that does not resolve, eeConnect for a refused or failed
    // connection). Throws ESocketError at once when there is no host or the port is not
    // 1..65535. Does nothing when already active.
    void Open();
    // Closes the connection (its disconnect event runs before Close returns when it was
    // connected) or abandons the attempt.
    void Close();
    void SetActive(bool active) { active ? Open() : Close(); }

    TCustomWinSocket* Socket() const { return socket_; }

    TSocketNotifyEvent OnConnect;
    TSocketNotifyEvent OnRead;
    TSocketNotifyEvent OnDisconnect;
    TSocketErrorEvent OnError;

private:
    TSocketNotifyEvent ConnectEvent() const override { return OnConnect; }
    TSocketNotifyEvent ReadEvent() const override { return OnRead; }
    TSocketNotifyEvent DisconnectEvent() const override { return OnDisconnect; }
    TSocketErrorEvent ErrorEvent() const override { return OnError; }

    std::string host_;
    int port_ = 0;
    TCustomWinSocket* socket_;
};

} // namespace platform
