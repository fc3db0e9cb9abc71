#include "platform/Sockets.h"
#include "platform/SocketsTestHooks.h"

#include "platform/SjisText.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QNetworkProxy>
#include <QPointer>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace platform {

namespace {

// How long a closed connection may take to hand its last bytes to a peer that does not
// close its end.
constexpr int kLingerMs = 10000;
// How long accepting waits when the process has no descriptor left for a new connection.
constexpr int kAcceptPauseMs = 100;
// How often a closed connection checks whether a modal box still holds its destruction.
constexpr int kReleaseRetryMs = 50;
// Output queued past this is handed to the system at once rather than at the next turn of
// the event loop.
constexpr qint64 kWriteOutAt = 64 * 1024;
// The most a closing connection reads and drops at a time from a peer that goes on sending.
constexpr std::size_t kDropPerTurn = 64 * 1024;

// The system's error code for each of Qt's socket errors; EIO for the others.
int CodeOf(QAbstractSocket::SocketError error) {
    using E = QAbstractSocket;
    static const std::pair<E::SocketError, int> kCodes[] = {
        {E::ConnectionRefusedError, ECONNREFUSED},
        {E::RemoteHostClosedError, ECONNRESET},
        {E::HostNotFoundError, ENXIO},
        {E::SocketAccessError, EACCES},
        {E::SocketResourceError, EMFILE},
        {E::SocketTimeoutError, ETIMEDOUT},
        {E::DatagramTooLargeError, EMSGSIZE},
        {E::NetworkError, ENETDOWN},
        {E::AddressInUseError, EADDRINUSE},
        {E::SocketAddressNotAvailableError, EADDRNOTAVAIL},
        {E::UnsupportedSocketOperationError, EOPNOTSUPP},
        {E::TemporaryError, EAGAIN},
        {E::UnfinishedSocketOperationError, EINPROGRESS},
        {E::OperationError, EINVAL},
    };
    for (const auto& [qtError, code] : kCodes)
        if (qtError == error) return code;
    return EIO;
}

const char* OperationOf(TErrorEvent kind) {
    switch (kind) {
    case eeSend:
        return "send";
    case eeReceive:
        return "receive";
    case eeConnect:
        return "connect";
    case eeDisconnect:
        return "disconnect";
    case eeAccept:
        return "accept";
    case eeLookup:
        return "lookup";
    default:
        return "socket";
    }
}

std::string Describe(int code, const char* operation, const QString& text) {
    std::string message = "Socket error " + std::to_string(code) + " on " + operation;
    if (!text.isEmpty()) message += ": " + text.toStdString();
    return message;
}

// Whether an error of a connected socket means only that the peer has gone.
bool PeerGone(int code) {
    return code == ECONNRESET || code == EPIPE || code == ECONNABORTED;
}

std::string ErrnoText(int code) {
    return std::strerror(code);
}

// Hands what the system takes of out (from head on) to the socket. False on an error of the
// connection (its code in error).
[[nodiscard]] bool WriteTo(int fd, std::string& out, std::size_t& head, int& error) {
    while (head < out.size()) {
        const ssize_t n =
            ::send(fd, out.data() + head, out.size() - head, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            head += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            break;
        } else {
            error = n < 0 ? errno : EIO;
            return false;
        }
    }
    if (head == out.size()) {
        out.clear();
        head = 0;
    } else if (head > out.size() / 2) {
        out.erase(0, head);
        head = 0;
    }
    return true;
}

// Reads and drops what has arrived on a socket, at most kDropPerTurn bytes, so that a peer
// that keeps sending cannot hold the event loop: 1 when the peer may send more, 0 when it has
// ended its sending, -1 when it is gone.
[[nodiscard]] int DropInput(int fd) {
    char buf[4096];
    for (std::size_t dropped = 0; dropped < kDropPerTurn;) {
        const ssize_t n = ::recv(fd, buf, sizeof buf, MSG_DONTWAIT);
        if (n > 0) dropped += static_cast<std::size_t>(n);
        if (n > 0 || (n < 0 && errno == EINTR)) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return 1;
        return n == 0 ? 0 : -1;
    }
    return 1;
}

// Closes a socket at once, after handing the system what it takes of the output at once and
// dropping what has arrived, so that the close still ends the connection cleanly when it can.
void CloseNow(int fd, std::string out) {
    std::size_t head = 0;
    int error = 0;
    if (WriteTo(fd, out, head, error) && out.empty()) ::shutdown(fd, SHUT_WR);
    (void)DropInput(fd); // whether the peer goes on sending: the socket closes either way
    ::close(fd);
}

// The closes that may linger at a time: an eighth of the descriptors the process may open,
// so that peers that never end their side cannot take the descriptors new stations need.
std::size_t LingerBound() {
    rlimit files{};
    const rlim_t limit = ::getrlimit(RLIMIT_NOFILE, &files) == 0 ? files.rlim_cur : 1024;
    return static_cast<std::size_t>(std::clamp<rlim_t>(limit / 8, 4, 1024));
}

// Lets a closed connection hand its queued bytes to the peer and end cleanly: once everything
// is written the sending side is shut down (the peer reads the bytes, then the end), and
// whatever still arrives is read and dropped, so that closing never finds unread bytes (which
// would reset the connection and could destroy the reply). The socket is closed when the peer
// has closed too, or after kLingerMs. At most LingerBound() closes linger; beyond it, and when
// the descriptors run out, a close does not wait.
class TLinger : public QObject {
public:
    // Lets the connection's socket go, lingering when the bound allows.
    static void Close(QObject* parent, int fd, std::string out, bool peerDone) {
        if (All().size() < LingerBound())
            new TLinger(parent, fd, std::move(out), peerDone); // deletes itself
        else
            CloseNow(fd, std::move(out));
    }
    // Closes every lingering socket at once (the descriptors are needed): the descriptors
    // first, then the objects.
    static void CloseAll() {
        const std::vector<TLinger*> all = std::exchange(All(), {});
        for (TLinger* linger : all) linger->CloseSocket();
        for (TLinger* linger : all) delete linger;
    }
    ~TLinger() override {
        std::erase(All(), this);
        CloseSocket();
    }

private:
    TLinger(QObject* parent, int fd, std::string out, bool peerDone)
        : QObject(parent), fd_(fd), out_(std::move(out)), peerDone_(peerDone),
          read_(fd, QSocketNotifier::Read), write_(fd, QSocketNotifier::Write) {
        All().push_back(this);
        connect(&read_, &QSocketNotifier::activated, this, [this] { Drain(); });
        connect(&write_, &QSocketNotifier::activated, this, [this] { Write(); });
        QTimer::singleShot(kLingerMs, this, [this] { Finish(); });
        read_.setEnabled(!peerDone_);
        write_.setEnabled(false);
        Write();
    }
    static std::vector<TLinger*>& All() {
        static std::vector<TLinger*> all; // the GUI thread's only
        return all;
    }
    void Write() {
        int error = 0;
        if (!WriteTo(fd_, out_, head_, error)) return Finish();
        write_.setEnabled(!out_.empty());
        if (!out_.empty() || shut_) return;
        shut_ = true;
        ::shutdown(fd_, SHUT_WR);
        if (peerDone_) Finish();
    }
    void Drain() {
        const int state = DropInput(fd_);
        if (state > 0) return;
        peerDone_ = true; // ended, or gone
        read_.setEnabled(false);
        if (state < 0 || shut_) Finish();
    }
    void Finish() {
        read_.setEnabled(false);
        write_.setEnabled(false);
        deleteLater();
    }
    void CloseSocket() {
        read_.setEnabled(false);
        write_.setEnabled(false);
        if (fd_ >= 0) ::close(std::exchange(fd_, -1));
    }

    int fd_;
    std::string out_;
    std::size_t head_ = 0;
    bool peerDone_;
    bool shut_ = false;
    QSocketNotifier read_, write_;
};

THostLookup& HostLookup() {
    static THostLookup lookup;
    return lookup;
}

// The bytes one receive call takes at most (the size of its buffer); a connection reads such
// pieces until it holds its owner's HeldInput.
constexpr std::size_t kReadPiece = 64 * 1024;

} // namespace

void SetHostLookup(THostLookup lookup) {
    HostLookup() = std::move(lookup);
}

// ---------------------------------------------------------------------------------------
// TCustomWinSocket

TCustomWinSocket::TCustomWinSocket(TAbstractSocket* owner, bool disposable)
    : QObject(owner), owner_(owner), disposable_(disposable) {}

TCustomWinSocket::~TCustomWinSocket() {
    DropSocket(Ending::Abort);
}

// Forgets everything of an earlier connection.
void TCustomWinSocket::Reset() {
    ++generation_;
    laters_ = 0;
    readNoticePending_ = false;
    overflow_ = false;
    stallCheck_ = false;
    peerEnded_ = false;
    endedByPeer_ = false;
    received_.clear();
    out_.clear();
    outHead_ = 0;
    writeFull_ = false;
    queued_ = 0;
    status_.clear();
    statusEnd_ = -1;
    remoteAddress_.clear();
    remotePort_ = 0;
    hostAsked_ = false;
    hostKnown_ = false;
    remoteHost_.clear();
}

// Takes a connected socket: all its reading and writing goes through the system directly, so
// that a peer that ends its sending can still be written to.
void TCustomWinSocket::Adopt(int fd) {
    fd_ = fd;
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    // The messages are small and answered at once: none waits for the peer's acknowledgement.
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    sockaddr_storage peer{};
    socklen_t length = sizeof peer;
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) == 0) {
        const QHostAddress address(reinterpret_cast<const sockaddr*>(&peer));
        remoteAddress_ = address.toString().toStdString();
        remotePort_ = peer.ss_family == AF_INET
                          ? ntohs(reinterpret_cast<const sockaddr_in*>(&peer)->sin_port)
                          : ntohs(reinterpret_cast<const sockaddr_in6*>(&peer)->sin6_port);
    }
    readNotifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    writeNotifier_ = new QSocketNotifier(fd, QSocketNotifier::Write, this);
    writeNotifier_->setEnabled(false);
    connect(readNotifier_, &QSocketNotifier::activated, this, &TCustomWinSocket::Readable);
    connect(writeNotifier_, &QSocketNotifier::activated, this, &TCustomWinSocket::WriteOut);
}

// A client socket's Qt socket has connected: the connection goes on with its own copy of the
// socket (the Qt socket would close it at the peer's end).
void TCustomWinSocket::TakeOver(QTcpSocket* socket) {
    disconnect(socket, nullptr, this, nullptr);
    connecting_ = nullptr;
    const int fd = ::fcntl(static_cast<int>(socket->socketDescriptor()), F_DUPFD_CLOEXEC, 0);
    const int code = errno;
    socket->abort();
    socket->deleteLater();
    if (fd < 0) {
        Post([this, code] { ErrorNotice(code, ErrnoText(code)); });
        return;
    }
    Adopt(fd);
    Post([this] { ConnectedNotice(); });
}

// Queues f to run from the event loop; dropped when the connection has since moved on to
// another socket (or none) or has been destroyed.
template <class F> void TCustomWinSocket::Post(F f) {
    const unsigned generation = generation_;
    QMetaObject::invokeMethod(
        this,
        [this, generation, f = std::move(f)]() mutable {
            if (generation == generation_) f();
        },
        Qt::QueuedConnection);
}

// Runs one event of this connection; the connection stays alive while any is running.
template <class Call> void TCustomWinSocket::Dispatch(Call&& call) {
    struct Leave {
        QPointer<TCustomWinSocket> self;
        ~Leave() {
            if (!self) return; // the owner was destroyed by the handler
            --self->busy_;
            self->ReleaseIfDone();
        }
    } leave{this};
    ++busy_;
    std::forward<Call>(call)();
}

// Destroys a closed accepted connection once nothing uses it: no event of it is being
// handled and no modal box is open (a handler waiting in one may still hold it).
void TCustomWinSocket::ReleaseIfDone() {
    if (!disposable_ || state_ != State::Closed || busy_ > 0 || released_) return;
    if (QThread::currentThread()->loopLevel() > 1) {
        if (!releaseTimer_) {
            releaseTimer_ = true;
            QTimer::singleShot(kReleaseRetryMs, this, [this] {
                releaseTimer_ = false;
                ReleaseIfDone();
            });
        }
        return;
    }
    released_ = true;
    deleteLater();
}

// Lets go of the socket: on a graceful end it finishes sending on its own.
void TCustomWinSocket::DropSocket(Ending how) {
    ++generation_;
    if (lookupId_ >= 0) QHostInfo::abortHostLookup(std::exchange(lookupId_, -1));
    if (QTcpSocket* s = std::exchange(connecting_, nullptr)) {
        disconnect(s, nullptr, this, nullptr);
        s->abort();
        s->deleteLater();
    }
    for (QSocketNotifier* n :
         {std::exchange(readNotifier_, nullptr), std::exchange(writeNotifier_, nullptr)}) {
        if (!n) continue;
        n->setEnabled(false);
        n->deleteLater();
    }
    const int fd = std::exchange(fd_, -1);
    std::string out = std::exchange(out_, std::string());
    out.erase(0, std::exchange(outHead_, 0));
    if (fd < 0) return;
    if (how == Ending::Graceful && !(peerEnded_ && peerEnding_ == Ending::Abort))
        TLinger::Close(owner_, fd, std::move(out), peerEnded_); // outlives this object
    else
        ::close(fd);
}

// Ends the connection without any event (the owner is going away).
void TCustomWinSocket::Shutdown() {
    DropSocket(Ending::Abort);
    state_ = State::Closed;
}

void TCustomWinSocket::End(Ending how) {
    if (state_ == State::Connecting) {
        DropSocket(Ending::Abort);
        state_ = State::Closed;
        ReleaseIfDone();
        return;
    }
    if (state_ != State::Connected) return;
    state_ = State::Closed;
    // What had arrived stays for the disconnect event (LeftInput), then goes.
    ReadIn();
    DropSocket(how);
    owner_->Closing(this);
    auto handler = owner_->DisconnectEvent();
    QPointer<TCustomWinSocket> self(this);
    Dispatch([&] {
        if (handler) handler(owner_, this);
    });
    if (self) received_.clear();
}

void TCustomWinSocket::SendText(const std::string& bytes) {
    if (state_ != State::Connected || fd_ < 0 || overflow_ || bytes.empty()) return;
    // A peer that has gone takes nothing more; its end is about to be reported.
    if (peerEnded_ && peerEnding_ == Ending::Abort) return;
    out_ += bytes;
    queued_ += static_cast<qint64>(bytes.size());
    // Once the system has taken all it can, the write notifier tells when it takes more:
    // meanwhile each send only queues (a peer that does not read costs no call per send).
    if (Unsent() > kWriteOutAt && !writeFull_)
        WriteOut();
    else
        writeNotifier_->setEnabled(true); // written at the next turn of the event loop
    const qint64 unsent = Unsent();
    if (unsent > TAbstractSocket::UnsentCeiling * owner_->MaxUnsentBytes) {
        // Closed from the event loop, not inside the caller's send (which may be going
        // through a list of connections); until then further sends are dropped.
        overflow_ = true;
        Post([this] { End(Ending::Abort); });
    } else if (unsent > owner_->MaxUnsentBytes && !stallCheck_) {
        stallCheck_ = true;
        const unsigned generation = generation_;
        QTimer::singleShot(owner_->StallMs, this, [this, generation] {
            if (generation != generation_) return;
            stallCheck_ = false;
            if (state_ == State::Connected && Unsent() > owner_->MaxUnsentBytes) End(Ending::Abort);
        });
    }
}

void TCustomWinSocket::WriteOut() {
    if (fd_ < 0) return;
    int error = 0;
    if (!WriteTo(fd_, out_, outHead_, error)) {
        out_.clear();
        outHead_ = 0;
        writeNotifier_->setEnabled(false);
        Failed(error);
        return;
    }
    writeFull_ = Unsent() > 0;
    writeNotifier_->setEnabled(writeFull_);
}

void TCustomWinSocket::SendStatus(const std::string& key, const std::string& bytes) {
    if (fd_ < 0) return;
    if (statusEnd_ != queued_) {
        status_.clear(); // something else went in between: every status counts again
    } else if (const auto it = status_.find(key); it != status_.end() &&
                                                  it->second.bytes == bytes &&
                                                  it->second.end > queued_ - Unsent()) {
        return;
    }
    SendText(bytes);
    status_[key] = {bytes, queued_};
    statusEnd_ = queued_;
}

bool TCustomWinSocket::HasInput() const {
    if (state_ != State::Connected) return false;
    if (!received_.empty()) return true;
    int waiting = 0;
    return fd_ >= 0 && !peerEnded_ && ::ioctl(fd_, FIONREAD, &waiting) == 0 && waiting > 0;
}

void TCustomWinSocket::Later(std::function<void()> f) {
    ++laters_;
    Post([this, f = std::move(f)] {
        --laters_;
        QPointer<TCustomWinSocket> self(this);
        if (state_ == State::Connected) Dispatch(f);
        if (self) EndAfterPeer();
    });
}

std::string TCustomWinSocket::ReceiveText() {
    if (state_ != State::Connected) return {};
    ReadIn();
    std::string taken = std::exchange(received_, std::string());
    if (readNotifier_ && !peerEnded_) readNotifier_->setEnabled(true);
    return taken;
}

void TCustomWinSocket::Close() {
    End(Ending::Graceful);
}

std::string TCustomWinSocket::RemoteHost() {
    if (!hostAsked_ && !remoteAddress_.empty()) {
        hostAsked_ = true;
        QPointer<TCustomWinSocket> self(this);
        const unsigned asked = generation_;
        auto done = [self, asked](std::string name) {
            if (!self) return;
            // Raised from the event loop: the answer may come inside the caller's own work.
            QMetaObject::invokeMethod(
                self.data(),
                [self, asked, name = std::move(name)] {
                    if (self && self->generation_ == asked) self->HostFound(name);
                },
                Qt::QueuedConnection);
        };
        if (const THostLookup& lookup = HostLookup())
            lookup(remoteAddress_, std::move(done));
        else
            lookupId_ = QHostInfo::lookupHost(QString::fromStdString(remoteAddress_), this,
                                              SLOT(HostLookedUp(QHostInfo)));
    }
    return hostKnown_ ? remoteHost_ : remoteAddress_;
}

// The answer of the system's resolver (run in Qt's resolver threads).
void TCustomWinSocket::HostLookedUp(const QHostInfo& info) {
    if (info.lookupId() != lookupId_) return;
    lookupId_ = -1;
    // A failed reverse lookup reports the address itself as the name.
    const std::string name = info.hostName().toStdString();
    HostFound(info.error() == QHostInfo::NoError && name != remoteAddress_ ? name : std::string());
}

void TCustomWinSocket::HostFound(const std::string& name) {
    if (state_ != State::Connected) return;
    hostKnown_ = true;
    remoteHost_ = name;
    auto handler = owner_->HostNameEvent();
    Dispatch([&] {
        if (handler) handler(owner_, this);
    });
}

std::string TCustomWinSocket::LocalHost() const {
    return QHostInfo::localHostName().toStdString();
}

// The socket has bytes or the peer's end: keep the bytes and post one read notice until it
// has run.
void TCustomWinSocket::Readable() {
    ReadIn();
    if (!received_.empty() && !readNoticePending_) {
        readNoticePending_ = true;
        Post([this] { ReadNotice(); });
    }
}

// Takes what has arrived, up to the owner's HeldInput; there reading stops until the bytes are
// taken, and the peer's sends wait. Notes the peer's end.
void TCustomWinSocket::ReadIn() {
    if (fd_ < 0 || peerEnded_) return;
    static char buf[kReadPiece]; // the GUI thread's only
    const auto bound = static_cast<std::size_t>(std::max<qint64>(owner_->HeldInput, 1));
    while (received_.size() < bound) {
        const std::size_t want = std::min(kReadPiece, bound - received_.size());
        const ssize_t n = ::recv(fd_, buf, want, MSG_DONTWAIT);
        if (n > 0) {
            received_.append(buf, static_cast<std::size_t>(n));
            if (static_cast<std::size_t>(n) < want) break; // all there was
        } else if (n == 0) {
            PeerEnded(Ending::Graceful);
            return;
        } else if (errno == EINTR) {
            continue;
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            break;
        } else {
            Failed(errno);
            return;
        }
    }
    if (readNotifier_) readNotifier_->setEnabled(received_.size() < bound);
}

// An error of the connected socket: a peer that has gone ends the connection as any peer's
// end; any other error is reported.
void TCustomWinSocket::Failed(int code) {
    if (PeerGone(code)) {
        PeerEnded(Ending::Abort);
        return;
    }
    if (readNotifier_) readNotifier_->setEnabled(false);
    Post([this, code] { ErrorNotice(code, ErrnoText(code)); });
}

void TCustomWinSocket::PeerEnded(Ending how) {
    if (peerEnded_) return;
    peerEnded_ = true;
    peerEnding_ = how;
    if (readNotifier_) readNotifier_->setEnabled(false);
    if (how == Ending::Abort) {
        out_.clear();
        outHead_ = 0;
        if (writeNotifier_) writeNotifier_->setEnabled(false);
    }
    Post([this] { EndAfterPeer(); });
}

// Ends the connection of a peer that has ended, once what it sent has been handed to the read
// event and no Later of its owner waits.
void TCustomWinSocket::EndAfterPeer() {
    if (state_ != State::Connected || !peerEnded_ || readNoticePending_ || laters_ > 0) return;
    endedByPeer_ = true;
    End(peerEnding_);
}

void TCustomWinSocket::ReadNotice() {
    readNoticePending_ = false;
    if (state_ != State::Connected) return;
    if (!received_.empty()) {
        auto handler = owner_->ReadEvent();
        QPointer<TCustomWinSocket> self(this);
        Dispatch([&] {
            if (handler) handler(owner_, this);
        });
        if (!self) return;
    }
    EndAfterPeer();
}

void TCustomWinSocket::ConnectedNotice() {
    if (state_ != State::Connecting) return;
    state_ = State::Connected;
    owner_->Opened(this);
    auto handler = owner_->ConnectEvent();
    Dispatch([&] {
        if (handler) handler(owner_, this);
    });
}

void TCustomWinSocket::ErrorNotice(int code, const std::string& text) {
    TErrorEvent kind;
    if (state_ == State::Connecting && disposable_) {
        End(Ending::Abort); // an accepted station that failed before it was announced
        return;
    }
    if (state_ == State::Connecting) {
        kind = code == ENXIO ? eeLookup : eeConnect;
        DropSocket(Ending::Abort);
        state_ = State::Closed;
    } else if (state_ == State::Connected) {
        kind = eeGeneral;
    } else {
        return;
    }
    QPointer<TCustomWinSocket> self(this);
    auto handler = owner_->ErrorEvent();
    Dispatch([&] {
        if (handler) handler(owner_, this, kind, code);
    });
    // A connection that failed while connected is of no further use.
    if (self && state_ == State::Connected) End(Ending::Abort);
    if (code != 0)
        throw ESocketError(code, kind,
                           Describe(code, OperationOf(kind), QString::fromStdString(text)));
}

// ---------------------------------------------------------------------------------------
// TServerSocket

namespace {

// Connections taken from the listening socket in one turn of the event loop at most.
constexpr int kAcceptsPerTurn = 256;

// Whether an accept failed for want of descriptors or memory, which frees up again.
bool OutOfResources(int code) {
    return code == EMFILE || code == ENFILE || code == ENOBUFS || code == ENOMEM;
}

// Whether an accept failed only for this one connection (gone before it was taken).
bool ConnectionLost(int code) {
    return code == ECONNABORTED || code == EPROTO || code == EPERM || code == ENETDOWN ||
           code == ENOPROTOOPT || code == EHOSTDOWN || code == ENONET || code == EHOSTUNREACH ||
           code == EOPNOTSUPP || code == ENETUNREACH;
}

} // namespace

// Qt listens; the connections are taken from the listening socket here, where a failure for
// want of descriptors can be told from the others.
TServerSocket::TServerSocket(QObject* parent)
    : TAbstractSocket(parent), server_(new QTcpServer(this)) {
    server_->setProxy(QNetworkProxy::NoProxy);
}

TServerSocket::~TServerSocket() {
    for (auto* c : findChildren<TCustomWinSocket*>(Qt::FindDirectChildrenOnly)) c->Shutdown();
    connections_.clear();
}

int TServerSocket::LocalPort() const {
    return active_ ? server_->serverPort() : 0;
}

void TServerSocket::SetActive(bool active) {
    if (active == active_) return;
    if (active) {
        if (port_ < 0 || port_ > 65535)
            throw ESocketError(EINVAL, eeGeneral,
                               Describe(EINVAL, "listen", QStringLiteral("invalid port")));
        if (!server_->listen(QHostAddress::AnyIPv4, static_cast<quint16>(port_))) {
            const int code = CodeOf(server_->serverError());
            throw ESocketError(code, eeGeneral, Describe(code, "listen", server_->errorString()));
        }
        server_->pauseAccepting(); // taken by AcceptReady instead
        acceptNotifier_ = new QSocketNotifier(static_cast<qintptr>(server_->socketDescriptor()),
                                              QSocketNotifier::Read, this);
        connect(acceptNotifier_, &QSocketNotifier::activated, this, [this] { AcceptReady(); });
        active_ = true;
        return;
    }
    active_ = false;
    if (QSocketNotifier* n = std::exchange(acceptNotifier_, nullptr)) {
        n->setEnabled(false);
        n->deleteLater();
    }
    server_->close();
    // Accepted connections whose connect event has not run yet are dropped unseen.
    for (auto* c : findChildren<TCustomWinSocket*>(Qt::FindDirectChildrenOnly))
        if (c->state_ == TCustomWinSocket::State::Connecting)
            c->End(TCustomWinSocket::Ending::Abort);
    // A disconnect handler may open a modal box in which other connections end.
    std::vector<QPointer<TCustomWinSocket>> all(connections_.begin(), connections_.end());
    for (auto it = all.rbegin(); it != all.rend(); ++it)
        if (*it) (*it)->Close();
}

TCustomWinSocket* TServerSocket::Connections(int index) const {
    if (index < 0 || index >= ActiveConnections()) return nullptr;
    return connections_[static_cast<size_t>(index)];
}

void TServerSocket::Opened(TCustomWinSocket* socket) {
    connections_.push_back(socket);
}

void TServerSocket::Closing(TCustomWinSocket* socket) {
    std::erase(connections_, socket);
}

// Takes each accepted socket at once; the connection joins the list when its connect event
// runs.
void TServerSocket::Accept(int fd) {
    auto* c = new TCustomWinSocket(this, true);
    c->Adopt(fd);
    c->state_ = TCustomWinSocket::State::Connecting;
    c->Post([c] { c->ConnectedNotice(); });
}

// Takes the connections that wait on the listening socket. With no descriptor left, the
// lingering closes give theirs back and accepting pauses for a moment, rather than failing
// over and over while nothing frees up.
void TServerSocket::AcceptReady() {
    for (int i = 0; i < kAcceptsPerTurn && acceptNotifier_; ++i) {
        const int fd = ::accept4(static_cast<int>(server_->socketDescriptor()), nullptr, nullptr,
                                 SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) {
            Accept(fd);
            continue;
        }
        const int code = errno;
        if (code == EINTR || ConnectionLost(code)) continue;
        if (code == EAGAIN || code == EWOULDBLOCK) return;
        acceptNotifier_->setEnabled(false);
        if (!OutOfResources(code)) {
            // Reported; accepting stays stopped until listening starts again.
            QMetaObject::invokeMethod(
                this, [this, code] { AcceptErrorNotice(code); }, Qt::QueuedConnection);
            return;
        }
        TLinger::CloseAll();
        QTimer::singleShot(kAcceptPauseMs, acceptNotifier_,
                           [n = acceptNotifier_] { n->setEnabled(true); });
        return;
    }
}

void TServerSocket::AcceptErrorNotice(int code) {
    auto handler = OnClientError;
    if (handler) handler(this, nullptr, eeAccept, code);
    if (code != 0)
        throw ESocketError(code, eeAccept,
                           Describe(code, "accept", QString::fromStdString(ErrnoText(code))));
}

// ---------------------------------------------------------------------------------------
// TClientSocket

TClientSocket::TClientSocket(QObject* parent)
    : TAbstractSocket(parent), socket_(new TCustomWinSocket(this, false)) {}

TClientSocket::~TClientSocket() {
    socket_->Shutdown();
}

bool TClientSocket::Active() const {
    return socket_->state_ == TCustomWinSocket::State::Connecting ||
           socket_->state_ == TCustomWinSocket::State::Connected;
}

void TClientSocket::Open() {
    if (Active()) return;
    if (host_.empty())
        throw ESocketError(EDESTADDRREQ, eeLookup,
                           Describe(EDESTADDRREQ, "connect", QStringLiteral("no host given")));
    if (port_ < 1 || port_ > 65535)
        throw ESocketError(EINVAL, eeConnect,
                           Describe(EINVAL, "connect", QStringLiteral("invalid port")));
    TCustomWinSocket* c = socket_;
    c->Reset();
    auto* s = new QTcpSocket(c);
    s->setProxy(QNetworkProxy::NoProxy);
    c->connecting_ = s;
    c->state_ = TCustomWinSocket::State::Connecting;
    connect(s, &QAbstractSocket::connected, c, [c, s] { c->TakeOver(s); });
    connect(s, &QAbstractSocket::errorOccurred, c, [c, s](QAbstractSocket::SocketError error) {
        const int code = CodeOf(error);
        c->Post([c, code, text = s->errorString().toStdString()] { c->ErrorNotice(code, text); });
    });
    s->connectToHost(FromSjis(host_), static_cast<quint16>(port_));
}

void TClientSocket::Close() {
    socket_->Close();
}

} // namespace platform
