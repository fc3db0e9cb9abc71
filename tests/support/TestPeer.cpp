#include "TestPeer.h"
#include "PostMarker.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <sys/socket.h>

bool WaitUntil(const std::function<bool()>& condition, int ms) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

void Settle(int ms) {
    WaitUntil([] { return false; }, ms);
}

bool RunPostedCalls(int ms) {
    const std::shared_ptr<bool> ran = PostMarker();
    return WaitUntil([&] { return *ran; }, ms);
}

TestPeer::TestPeer() : socket_(std::make_unique<QTcpSocket>()) {}

TestPeer::TestPeer(std::unique_ptr<QTcpSocket> socket) : socket_(std::move(socket)) {}

TestPeer::~TestPeer() {
    if (socket_) socket_->abort();
}

bool TestPeer::Connect(quint16 port, int ms) {
    socket_->connectToHost(QHostAddress::LocalHost, port);
    return WaitUntil([this] { return socket_->state() == QAbstractSocket::ConnectedState; }, ms);
}

void TestPeer::Send(const std::string& bytes) {
    socket_->write(bytes.data(), static_cast<qint64>(bytes.size()));
    socket_->flush();
}

void TestPeer::Close() {
    socket_->disconnectFromHost();
}

void TestPeer::Reset() {
    const linger now{1, 0}; // closing then resets the connection
    ::setsockopt(static_cast<int>(socket_->socketDescriptor()), SOL_SOCKET, SO_LINGER, &now,
                 sizeof now);
    socket_->abort();
}

void TestPeer::ShutdownSending() {
    socket_->flush();
    ::shutdown(static_cast<int>(socket_->socketDescriptor()), SHUT_WR);
}

bool TestPeer::Connected() const {
    return socket_->state() == QAbstractSocket::ConnectedState;
}

bool TestPeer::WaitClosed(int ms) {
    return WaitUntil(
        [this] {
            Pump();
            return socket_->state() == QAbstractSocket::UnconnectedState;
        },
        ms);
}

void TestPeer::StopReading() {
    reading_ = false;
    socket_->setReadBufferSize(1);
}

void TestPeer::Pump() {
    if (!reading_) return;
    QByteArray bytes = socket_->readAll();
    received_.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

const std::string& TestPeer::Received() {
    Pump();
    return received_;
}

std::vector<std::string> TestPeer::Messages() {
    Pump();
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t tab; (tab = received_.find('\t', start)) != std::string::npos; start = tab + 1)
        out.push_back(received_.substr(start, tab - start + 1));
    return out;
}

bool TestPeer::WaitForMessage(const std::string& message, int ms) {
    return WaitUntil(
        [&] {
            for (const auto& m : Messages())
                if (m == message) return true;
            return false;
        },
        ms);
}

bool TestPeer::WaitForMessages(std::size_t count, int ms) {
    return WaitUntil([&] { return Messages().size() >= count; }, ms);
}

bool TestPeer::RoundTrip(const std::string& request, const std::string& replyEnd, int ms) {
    const std::size_t from = Received().size();
    Send(request);
    std::size_t start = std::string::npos, end = 0;
    const bool came = WaitUntil(
        [&] {
            Pump();
            // The first whole message after `from` that ends so.
            for (std::size_t s = from, tab; (tab = received_.find('\t', s)) != std::string::npos;
                 s = tab + 1) {
                const std::size_t stop = tab + 1;
                if (stop - s >= replyEnd.size() &&
                    received_.compare(stop - replyEnd.size(), replyEnd.size(), replyEnd) == 0) {
                    start = s, end = stop;
                    return true;
                }
            }
            return false;
        },
        ms);
    if (came) received_.erase(start, end - start);
    return came;
}

bool TestPeer::SyncWithServer(int ms) {
    static int n = 0;
    const std::string tag = "sync " + std::to_string(++n);
    return RoundTrip("TC_SM:Sv:Sv:" + tag + "\t", "\r\r" + tag + "\r\t", ms);
}

void TestPeer::Clear() {
    Pump();
    received_.clear();
}

TestServer::TestServer() {
    server_.listen(QHostAddress::LocalHost, 0);
}

std::unique_ptr<TestPeer> TestServer::Accept(int ms) {
    if (!server_.hasPendingConnections() && !server_.waitForNewConnection(0)) {
        if (!WaitUntil([this] { return server_.hasPendingConnections(); }, ms)) return nullptr;
    }
    QTcpSocket* socket = server_.nextPendingConnection();
    socket->setParent(nullptr);
    return std::make_unique<TestPeer>(std::unique_ptr<QTcpSocket>(socket));
}
