#include "platform/Sockets.h"

#include "platform/SjisText.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QNetworkProxy>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <cerrno>
#include <sys/socket.h>
#include <utility>

namespace platform {

namespace {

// How long a closed connection may take to hand its last bytes to a peer that does not
// close its end.
constexpr int kLingerMs = 10000;
// How often a closed connection checks whether a modal box still holds its destruction.
constexpr int kReleaseRetryMs = 50;
// Output queued past this is handed to the system at once rather than at the next turn of
// the event loop.
constexpr qint64 kWriteOutAt = 64 * 1024;

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

// Lets a closed socket hand its queued bytes to the peer and end cleanly: once everything
// is written the sending side is shut down (the peer reads the bytes, then the end), and
// whatever still arrives is read and dropped, so that closing never finds unread bytes (which
// would reset the connection and could destroy the reply). The socket deletes itself when the
// peer has closed too, or after kLingerMs.
void FinishSending(QTcpSocket* s) {
    if (s->state() != QAbstractSocket::ConnectedState) {
        if (s->state() == QAbstractSocket::UnconnectedState) {
            s->deleteLater();
        } else {
            QObject::connect(s, &QAbstractSocket::disconnected, s, &QObject::deleteLater);
            QTimer::singleShot(kLingerMs, s, [s] {
                s->abort();
                s->deleteLater();
            });
        }
        return;
    }
    auto shutdownWhenFlushed = [s] {
        if (s->state() == QAbstractSocket::ConnectedState && s->bytesToWrite() == 0)
            ::shutdown(static_cast<int>(s->socketDescriptor()), SHUT_WR);
    };
    QObject::connect(s, &QIODevice::bytesWritten, s, shutdownWhenFlushed);
    QObject::connect(s, &QIODevice::readyRead, s, [s] { s->readAll(); });
    QObject::connect(s, &QAbstractSocket::disconnected, s, &QObject::deleteLater);
    QTimer::singleShot(kLingerMs, s, [s] {
        s->abort();
        s->deleteLater();
    });
    s->readAll();
    shutdownWhenFlushed();
}

} // namespace

// ---------------------------------------------------------------------------------------
// TCustomWinSocket

TCustomWinSocket::TCustomWinSocket(TAbstractSocket* owner, bool disposable)
    : QObject(owner), owner_(owner), disposable_(disposable) {}

TCustomWinSocket::~TCustomWinSocket() = default; // the Qt socket is a child: aborted with us

// Takes a new Qt socket (connecting, or accepted and connected). Its signals only record
// what happened and post a notice; the events run from those notices.
void TCustomWinSocket::Attach(QTcpSocket* socket) {
    ++generation_;
    sock_ = socket;
    sock_->setParent(this);
    sock_->setProxy(QNetworkProxy::NoProxy);
    // The messages are small and answered at once: none waits for the peer's acknowledgement.
    sock_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    sock_->setReadBufferSize(owner_->HeldInput);
    readNoticePending_ = false;
    overflow_ = false;
    stallCheck_ = false;
    received_.clear();
    queued_ = 0;
    status_.clear();
    statusEnd_ = -1;
    remoteAddress_.clear();
    remotePort_ = 0;
    hostLooked_ = false;
    remoteHost_.clear();

    connect(sock_, &QIODevice::readyRead, this, &TCustomWinSocket::BytesArrived);
    connect(sock_, &QAbstractSocket::connected, this, [this] {
        sock_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        remoteAddress_ = sock_->peerAddress().toString().toStdString();
        remotePort_ = sock_->peerPort();
        Post([this] { ConnectedNotice(); });
    });
    connect(sock_, &QAbstractSocket::disconnected, this,
            [this] { Post([this] { PeerClosedNotice(); }); });
    connect(sock_, &QAbstractSocket::errorOccurred, this,
            [this](QAbstractSocket::SocketError error) {
                // A peer that closes or resets is an ordinary end: disconnected() follows.
                if (error == QAbstractSocket::RemoteHostClosedError) return;
                Post([this, error, text = sock_->errorString()] { ErrorNotice(error, text); });
            });
}

// Queues f to run from the event loop; dropped when the connection has since moved on to
// another Qt socket (or none) or has been destroyed.
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

// Lets go of the Qt socket: on a graceful end it finishes sending on its own.
void TCustomWinSocket::DropSocket(Ending how) {
    QTcpSocket* s = std::exchange(sock_, nullptr);
    ++generation_;
    if (!s) return;
    disconnect(s, nullptr, this, nullptr);
    s->setParent(owner_); // outlives this connection object while it finishes
    if (how == Ending::Graceful) {
        FinishSending(s);
    } else {
        s->abort();
        s->deleteLater();
    }
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
    if (sock_ && sock_->isOpen() && owner_->HeldInput > 0) {
        const QByteArray more = sock_->readAll();
        received_.append(more.constData(), static_cast<size_t>(more.size()));
    }
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
    if (state_ != State::Connected || !sock_ || overflow_ || bytes.empty()) return;
    // A peer that has gone takes nothing more; its end is about to be reported.
    if (sock_->state() != QAbstractSocket::ConnectedState) return;
    sock_->write(bytes.data(), static_cast<qint64>(bytes.size()));
    queued_ += static_cast<qint64>(bytes.size());
    if (sock_->bytesToWrite() > kWriteOutAt) sock_->flush();
    const qint64 unsent = sock_->bytesToWrite();
    if (unsent > 16 * owner_->MaxUnsentBytes) {
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
            if (state_ == State::Connected && sock_ &&
                sock_->bytesToWrite() > owner_->MaxUnsentBytes)
                End(Ending::Abort);
        });
    }
}

void TCustomWinSocket::SendStatus(const std::string& key, const std::string& bytes) {
    if (!sock_) return;
    if (statusEnd_ != queued_) {
        status_.clear(); // something else went in between: every status counts again
    } else if (const auto it = status_.find(key);
               it != status_.end() && it->second.bytes == bytes &&
               it->second.end > queued_ - sock_->bytesToWrite()) {
        return;
    }
    SendText(bytes);
    status_[key] = {bytes, queued_};
    statusEnd_ = queued_;
}

bool TCustomWinSocket::HasInput() const {
    return state_ == State::Connected &&
           (!received_.empty() || (sock_ && sock_->bytesAvailable() > 0));
}

void TCustomWinSocket::Later(std::function<void()> f) {
    Post([this, f = std::move(f)] {
        if (state_ == State::Connected) Dispatch(f);
    });
}

std::string TCustomWinSocket::ReceiveText() {
    if (state_ != State::Connected) return {};
    if (sock_ && sock_->isOpen()) {
        const QByteArray more = sock_->readAll();
        received_.append(more.constData(), static_cast<size_t>(more.size()));
    }
    return std::exchange(received_, std::string());
}

void TCustomWinSocket::Close() {
    End(Ending::Graceful);
}

std::string TCustomWinSocket::RemoteHost() {
    if (!hostLooked_ && !remoteAddress_.empty()) {
        hostLooked_ = true;
        const QString address = QString::fromStdString(remoteAddress_);
        const QHostInfo info = QHostInfo::fromName(address);
        // A failed reverse lookup reports the address itself as the name.
        if (info.error() == QHostInfo::NoError && info.hostName() != address)
            remoteHost_ = info.hostName().toStdString();
    }
    return remoteHost_;
}

std::string TCustomWinSocket::LocalHost() const {
    return QHostInfo::localHostName().toStdString();
}

// Signal of the Qt socket: keep the bytes (the Qt socket may be gone when the read event
// runs) and post one read notice until it has run.
void TCustomWinSocket::BytesArrived() {
    if (!sock_) return;
    if (owner_->HeldInput == 0 || static_cast<qint64>(received_.size()) < owner_->HeldInput) {
        const QByteArray more = sock_->readAll();
        received_.append(more.constData(), static_cast<size_t>(more.size()));
    }
    if (!readNoticePending_) {
        readNoticePending_ = true;
        Post([this] { ReadNotice(); });
    }
}

void TCustomWinSocket::ReadNotice() {
    readNoticePending_ = false;
    if (state_ != State::Connected || received_.empty()) return;
    auto handler = owner_->ReadEvent();
    Dispatch([&] {
        if (handler) handler(owner_, this);
    });
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

void TCustomWinSocket::PeerClosedNotice() {
    // Bytes that came with the end were posted as a read before this notice.
    End(Ending::Abort);
}

void TCustomWinSocket::ErrorNotice(int qtError, const QString& text) {
    TErrorEvent kind;
    if (state_ == State::Connecting && disposable_) {
        End(Ending::Abort); // an accepted station that failed before it was announced
        return;
    }
    if (state_ == State::Connecting) {
        kind = qtError == QAbstractSocket::HostNotFoundError ? eeLookup : eeConnect;
        DropSocket(Ending::Abort);
        state_ = State::Closed;
    } else if (state_ == State::Connected) {
        kind = eeGeneral;
    } else {
        return;
    }
    int code = CodeOf(static_cast<QAbstractSocket::SocketError>(qtError));
    QPointer<TCustomWinSocket> self(this);
    auto handler = owner_->ErrorEvent();
    Dispatch([&] {
        if (handler) handler(owner_, this, kind, code);
    });
    // A connection that failed while connected is of no further use.
    if (self && state_ == State::Connected) End(Ending::Abort);
    if (code != 0) throw ESocketError(code, kind, Describe(code, OperationOf(kind), text));
}

// ---------------------------------------------------------------------------------------
// TServerSocket

TServerSocket::TServerSocket(QObject* parent)
    : TAbstractSocket(parent), server_(new QTcpServer(this)) {
    HeldInput = 64 * 1024;
    server_->setProxy(QNetworkProxy::NoProxy);
    connect(server_, &QTcpServer::newConnection, this, &TServerSocket::Accept);
    connect(server_, &QTcpServer::acceptError, this, [this](QAbstractSocket::SocketError error) {
        QMetaObject::invokeMethod(
            this, [this, error, text = server_->errorString()] { AcceptErrorNotice(error, text); },
            Qt::QueuedConnection);
    });
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
        active_ = true;
        return;
    }
    active_ = false;
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

// Signal of the Qt server: takes the new Qt sockets at once (so that none of their signals
// is missed); each connection joins the list when its connect event runs.
void TServerSocket::Accept() {
    while (server_->hasPendingConnections()) {
        QTcpSocket* s = server_->nextPendingConnection();
        auto* c = new TCustomWinSocket(this, true);
        c->Attach(s);
        c->remoteAddress_ = s->peerAddress().toString().toStdString();
        c->remotePort_ = s->peerPort();
        c->state_ = TCustomWinSocket::State::Connecting;
        c->Post([c] { c->ConnectedNotice(); });
        if (s->bytesAvailable() > 0) c->BytesArrived();
    }
}

void TServerSocket::AcceptErrorNotice(int qtError, const QString& text) {
    int code = CodeOf(static_cast<QAbstractSocket::SocketError>(qtError));
    auto handler = OnClientError;
    if (handler) handler(this, nullptr, eeAccept, code);
    if (code != 0) throw ESocketError(code, eeAccept, Describe(code, "accept", text));
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
    auto* s = new QTcpSocket;
    socket_->Attach(s);
    socket_->state_ = TCustomWinSocket::State::Connecting;
    s->connectToHost(FromSjis(host_), static_cast<quint16>(port_));
}

void TClientSocket::Close() {
    socket_->Close();
}

} // namespace platform
