// The socket layer over real TCP on 127.0.0.1: event order, exact bytes, closing and its
// events, errors and their exceptions, and the bound on unsent output.
#include "platform/Application.h"
#include "platform/Sockets.h"
#include "support/Ports.h"
#include "support/PostMarker.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QHostInfo>
#include <QPointer>
#include <QSocketNotifier>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using namespace platform;

namespace {

// The waits of these tests run a nested event loop of their own (the support ones only process
// events), as a modal box does: the tests of connections that end inside a box rely on it.

// Runs the event loop until pred() holds or ms have passed; returns pred().
template <class Pred> bool WaitUntil(Pred pred, int ms = 5000) {
    if (pred()) return true;
    QEventLoop loop;
    QElapsedTimer clock;
    clock.start();
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (pred() || clock.elapsed() > ms) loop.quit();
    });
    tick.start(2);
    loop.exec();
    return pred();
}

// Runs the event loop for ms, to see that something does not happen.
void Settle(int ms = 100) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

std::string AllBytes() {
    std::string s;
    for (int i = 0; i < 256; ++i) s += static_cast<char>(i);
    return s;
}

std::string Pattern(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + (i * 7 + i / 251) % 26);
    return s;
}

// The far end of a connection, as a plain Qt socket.
struct Peer {
    explicit Peer(int port) {
        QObject::connect(&s, &QIODevice::readyRead, [this] { got += s.readAll().toStdString(); });
        QObject::connect(&s, &QAbstractSocket::disconnected, [this] { ended = true; });
        QObject::connect(&s, &QAbstractSocket::errorOccurred,
                         [this](QAbstractSocket::SocketError e) { errors.push_back(e); });
        s.connectToHost(QHostAddress(QHostAddress::LocalHost), static_cast<quint16>(port));
    }
    bool WaitConnected() {
        return WaitUntil([this] { return s.state() == QAbstractSocket::ConnectedState; });
    }
    void Send(const std::string& bytes) { s.write(bytes.data(), qint64(bytes.size())); }

    QTcpSocket s;
    std::string got;
    bool ended = false;
    std::vector<QAbstractSocket::SocketError> errors;
};

// The far end as a plain system socket, read only when the test says so.
struct RawPeer {
    explicit RawPeer(int port, int receiveBuffer = 0) {
        fd = ::socket(AF_INET, SOCK_STREAM, 0);
        if (fd < 0) return;
        if (receiveBuffer > 0)
            ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(static_cast<uint16_t>(port));
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected = ::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0;
    }
    ~RawPeer() {
        if (fd >= 0) ::close(fd);
    }
    bool Ok() const { return fd >= 0 && connected; }
    void Send(const std::string& bytes) {
        ASSERT_EQ(::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), ssize_t(bytes.size()));
    }
    // Reads until the other end closes (true) or resets, or until the time is up.
    bool ReadToEnd(int ms = 10000) {
        QElapsedTimer clock;
        clock.start();
        char buf[65536];
        while (clock.elapsed() < ms) {
            const ssize_t n = ::recv(fd, buf, sizeof buf, MSG_DONTWAIT);
            if (n > 0) {
                got.append(buf, size_t(n));
            } else if (n == 0) {
                return true;
            } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
                Settle(1);
            } else {
                reset = true;
                return false;
            }
        }
        return false;
    }

    int fd = -1;
    bool connected = false;
    bool reset = false;
    std::string got;
};

class Sockets : public ::testing::Test {
protected:
    void SetUp() override {
        Application()->SetOnException([this](const std::exception& e) {
            exceptions.push_back(e.what());
            auto* se = dynamic_cast<const ESocketError*>(&e);
            codes.push_back(se ? se->ErrorCode() : -1);
        });
    }
    void TearDown() override {
        Application()->SetOnException([](const std::exception& e) {
            ADD_FAILURE() << "exception outside its test: " << e.what();
        });
    }

    // Listens on a port the system chooses; returns it.
    int Listen(TServerSocket& server) {
        server.SetPort(0);
        server.SetActive(true);
        return server.LocalPort();
    }
    // Runs the event loop until bytes sent through a connection of its own have come back,
    // then until the calls posted meanwhile have run: whatever the system had to report
    // before (a peer's end, a connection, an error) has been reported by then.
    bool Quiet() {
        TServerSocket echo;
        echo.OnClientRead = [](QObject*, TCustomWinSocket* s) { s->SendText(s->ReceiveText()); };
        Peer peer(Listen(echo));
        peer.Send("ping");
        if (!WaitUntil([&] { return peer.got == "ping"; })) return false;
        const std::shared_ptr<bool> ran = PostMarker();
        return WaitUntil([&] { return *ran; });
    }

    std::vector<std::string> exceptions;
    std::vector<int> codes;
};

TEST_F(Sockets, ServerListsConnectionsInOrderOfAcceptanceWithTheirPeers) {
    TServerSocket server;
    std::vector<TCustomWinSocket*> connected;
    server.OnClientConnect = [&](QObject* sender, TCustomWinSocket* socket) {
        EXPECT_EQ(sender, &server);
        EXPECT_TRUE(socket->Connected());
        // The new connection is already the last of the list.
        EXPECT_EQ(server.Connections(server.ActiveConnections() - 1), socket);
        connected.push_back(socket);
    };
    const int port = Listen(server);
    ASSERT_GT(port, 0);

    std::vector<std::unique_ptr<Peer>> peers;
    for (size_t i = 0; i < 3; ++i) {
        peers.push_back(std::make_unique<Peer>(port));
        ASSERT_TRUE(WaitUntil([&] { return connected.size() == i + 1; }));
    }
    ASSERT_EQ(server.ActiveConnections(), 3);
    for (int i = 0; i < 3; ++i) {
        TCustomWinSocket* c = server.Connections(i);
        EXPECT_EQ(c, connected[size_t(i)]);
        EXPECT_EQ(c->RemoteAddress(), "127.0.0.1");
        EXPECT_EQ(c->RemotePort(), peers[size_t(i)]->s.localPort());
    }
    EXPECT_EQ(server.Connections(3), nullptr);
    EXPECT_EQ(server.Connections(-1), nullptr);
    // 127.0.0.1 always has a name; a failed lookup would give nothing. Until the answer comes
    // the address stands for it, and the host-name event tells when it has come.
    TCustomWinSocket* first = server.Connections(0);
    int named = 0;
    server.OnClientHostName = [&](QObject*, TCustomWinSocket* socket) {
        EXPECT_EQ(socket, first);
        ++named;
    };
    EXPECT_EQ(first->RemoteHost(), "127.0.0.1");
    ASSERT_TRUE(WaitUntil([&] { return named == 1; }));
    const std::string host = first->RemoteHost();
    EXPECT_FALSE(host.empty());
    EXPECT_NE(host, "127.0.0.1");
    Settle(50);
    EXPECT_EQ(named, 1);
    EXPECT_TRUE(exceptions.empty());
}

TEST_F(Sockets, BytesArriveExactlyInBothDirections) {
    TServerSocket server;
    std::string received;
    int reads = 0;
    server.OnClientRead = [&](QObject*, TCustomWinSocket* socket) {
        ++reads;
        received += socket->ReceiveText();
        EXPECT_EQ(socket->ReceiveText(), ""); // everything was taken
    };
    Peer peer(Listen(server));
    ASSERT_TRUE(peer.WaitConnected());
    ASSERT_TRUE(WaitUntil([&] { return server.ActiveConnections() == 1; }));

    const std::string bytes = AllBytes(); // NUL, TAB, CR, Shift-JIS lead bytes, 0xFF
    peer.Send(bytes);
    ASSERT_TRUE(WaitUntil([&] { return received.size() >= bytes.size(); }));
    EXPECT_EQ(received, bytes);
    EXPECT_GE(reads, 1);
    const int readsBefore = reads;

    TCustomWinSocket* c = server.Connections(0);
    c->SendText(bytes);
    c->SendText("");
    c->SendText("TS_Cn:Welcome!\t");
    ASSERT_TRUE(WaitUntil([&] { return peer.got.size() >= bytes.size() + 15; }));
    EXPECT_EQ(peer.got, bytes + "TS_Cn:Welcome!\t");
    // One byte more: its read event comes after any raised without new bytes.
    peer.Send("z");
    ASSERT_TRUE(WaitUntil([&] { return received.size() == bytes.size() + 1; }));
    EXPECT_EQ(reads, readsBefore + 1);
    EXPECT_TRUE(exceptions.empty());
}

TEST_F(Sockets, ClientSocketConnectsSendsAndReceives) {
    TServerSocket server;
    std::string atServer;
    server.OnClientRead = [&](QObject*, TCustomWinSocket* s) { atServer += s->ReceiveText(); };
    const int port = Listen(server);

    TClientSocket client;
    std::vector<std::string> log;
    std::string atClient;
    client.OnConnect = [&](QObject* sender, TCustomWinSocket* socket) {
        EXPECT_EQ(sender, &client);
        EXPECT_EQ(socket, client.Socket());
        EXPECT_TRUE(socket->Connected());
        EXPECT_EQ(socket->RemoteAddress(), "127.0.0.1");
        EXPECT_EQ(socket->RemotePort(), port);
        log.push_back("connect");
        socket->SendText("TC_PN:Bob\t");
        socket->SendText("TC_PT:Ft\t");
    };
    client.OnRead = [&](QObject*, TCustomWinSocket* s) { atClient += s->ReceiveText(); };
    client.OnDisconnect = [&](QObject*, TCustomWinSocket*) { log.push_back("disconnect"); };
    client.OnError = [&](QObject*, TCustomWinSocket*, TErrorEvent, int&) {
        log.push_back("error");
    };
    client.SetHost("127.0.0.1");
    client.SetPort(port);

    client.Socket()->SendText("lost"); // not connected yet: nothing is sent
    client.Open();
    EXPECT_TRUE(client.Active());
    EXPECT_FALSE(client.Socket()->Connected()); // only from the connect event on
    ASSERT_TRUE(WaitUntil([&] { return atServer.size() >= 19; }));
    EXPECT_EQ(atServer, "TC_PN:Bob\tTC_PT:Ft\t");
    EXPECT_EQ(log, std::vector<std::string>{"connect"});

    server.Connections(0)->SendText("TS_Cn:Welcome!\t");
    ASSERT_TRUE(WaitUntil([&] { return atClient.size() >= 15; }));
    EXPECT_EQ(atClient, "TS_Cn:Welcome!\t");
    EXPECT_TRUE(exceptions.empty());

    // Both ends send at once, without waiting to gather more (no delay for small writes).
    for (QObject* end :
         {static_cast<QObject*>(server.Connections(0)), static_cast<QObject*>(client.Socket())}) {
        auto* notifier = end->findChild<QSocketNotifier*>();
        ASSERT_NE(notifier, nullptr);
        int on = 0;
        socklen_t size = sizeof on;
        ASSERT_EQ(
            getsockopt(static_cast<int>(notifier->socket()), IPPROTO_TCP, TCP_NODELAY, &on, &size),
            0);
        EXPECT_NE(on, 0);
    }
}

TEST_F(Sockets, AClientSocketTakesAtMostItsBoundOfReceivedBytesAtATime) {
    TServerSocket server;
    const int port = Listen(server);
    TClientSocket client;
    std::size_t total = 0, largest = 0;
    client.OnRead = [&](QObject*, TCustomWinSocket* s) {
        const std::size_t n = s->ReceiveText().size();
        total += n;
        largest = std::max(largest, n);
    };
    client.SetHost("127.0.0.1");
    client.SetPort(port);
    client.Open();
    ASSERT_TRUE(WaitUntil([&] { return server.ActiveConnections() == 1; }));
    // A burst the system holds at once is still handed over a bounded piece at a time.
    const std::string burst(std::size_t(1) << 20, 'x');
    server.Connections(0)->SendText(burst);
    ASSERT_TRUE(WaitUntil([&] { return total == burst.size(); }));
    EXPECT_GT(client.HeldInput, 0);
    EXPECT_LE(largest, static_cast<std::size_t>(client.HeldInput));
    EXPECT_TRUE(exceptions.empty());
}

TEST_F(Sockets, ClientReachesTheServerByThisMachinesOwnName) {
    TClientSocket client;
    const std::string own = client.Socket()->LocalHost();
    ASSERT_FALSE(own.empty());
    bool hasIPv4 = false;
    for (const QHostAddress& a : QHostInfo::fromName(QString::fromStdString(own)).addresses())
        hasIPv4 |= a.protocol() == QAbstractSocket::IPv4Protocol;
    if (!hasIPv4) GTEST_SKIP() << "this machine's name has no IPv4 address here";

    TServerSocket server;
    int serverConnects = 0;
    server.OnClientConnect = [&](QObject*, TCustomWinSocket*) { ++serverConnects; };
    bool connected = false;
    client.OnConnect = [&](QObject*, TCustomWinSocket*) { connected = true; };
    client.SetPort(Listen(server));
    client.SetHost(own);
    client.Open();
    ASSERT_TRUE(WaitUntil([&] { return connected && serverConnects == 1; }));
    EXPECT_TRUE(exceptions.empty());
}

TEST_F(Sockets, CloseRunsTheDisconnectEventAtOnceAndKeepsTheConnectionForTheHandler) {
    TServerSocket server;
    std::vector<std::string> log;
    bool dataReleased = false;
    QPointer<TCustomWinSocket> closed;
    server.OnClientConnect = [&](QObject*, TCustomWinSocket* s) {
        s->SetData(std::shared_ptr<int>(new int(7), [&](int* p) {
            dataReleased = true;
            delete p;
        }));
    };
    server.OnClientRead = [&](QObject*, TCustomWinSocket* s) {
        log.push_back("read " + s->ReceiveText());
        closed = s;
        s->Close();
        log.push_back("closed");
        // Still usable for the rest of the handler.
        EXPECT_FALSE(s->Connected());
        EXPECT_EQ(s->RemoteAddress(), "127.0.0.1");
        EXPECT_EQ(*static_cast<int*>(s->Data()), 7);
        s->SendText("ignored");
        EXPECT_EQ(s->ReceiveText(), "");
        s->Close(); // a second close does nothing
    };
    server.OnClientDisconnect = [&](QObject*, TCustomWinSocket* s) {
        EXPECT_FALSE(s->Connected());
        EXPECT_EQ(server.ActiveConnections(), 0);
        log.push_back("disconnect");
    };
    Peer peer(Listen(server));
    ASSERT_TRUE(peer.WaitConnected());
    peer.Send("x");

    ASSERT_TRUE(WaitUntil([&] { return peer.ended; }));
    EXPECT_EQ(log, (std::vector<std::string>{"read x", "disconnect", "closed"}));
    EXPECT_EQ(peer.got, "");
    // Destroyed afterwards, with what its slot held.
    ASSERT_TRUE(WaitUntil([&] { return closed.isNull(); }));
    EXPECT_TRUE(dataReleased);
    ASSERT_TRUE(Quiet());
    EXPECT_EQ(log.size(), 3u); // the peer's end raises no second disconnect
    EXPECT_TRUE(exceptions.empty());
}

TEST_F(Sockets, ReplyFollowedByCloseStillReachesThePeerWhole) {
    TServerSocket server;
    const std::string reply = Pattern(512 * 1024) + "TS_Du:Name\t";
    int disconnects = 0;
    server.OnClientDisconnect = [&](QObject*, TCustomWinSocket*) { ++disconnects; };
    server.OnClientRead = [&](QObject*, TCustomWinSocket* s) {
        if (s->ReceiveText().empty()) return;
        s->SendText(reply);
        s->Close();
        // The event ran although the reply is still queued.
        EXPECT_EQ(disconnects, 1);
    };
    // A peer that sends again after the server has closed and reads the reply only later:
    // bytes left unread at the server must not cost the peer the reply.
    RawPeer peer(Listen(server));
    ASSERT_TRUE(peer.Ok());
    peer.Send("TC_PN:Bob\t");
    ASSERT_TRUE(WaitUntil([&] { return disconnects == 1; }));
    peer.Send("TC_PT:Ft\t");
    Settle(300); // the late read is the case tested: no condition to wait for
    ASSERT_TRUE(peer.ReadToEnd());
    EXPECT_FALSE(peer.reset);
    EXPECT_EQ(peer.got.size(), reply.size());
    EXPECT_TRUE(peer.got == reply);
    EXPECT_EQ(disconnects, 1);
    EXPECT_EQ(server.ActiveConnections(), 0);
    EXPECT_TRUE(exceptions.empty());
}

TEST_F(Sockets, PeerClosingRaisesTheDisconnectEventOnceAfterItsLastBytes) {
    TServerSocket server;
    std::vector<std::string> log;
    server.OnClientRead = [&](QObject*, TCustomWinSocket* s) {
        log.push_back("read " + s->ReceiveText());
    };
    server.OnClientDisconnect = [&](QObject*, TCustomWinSocket* s) {
        log.push_back("disconnect");
        s->Close(); // closing in the event itself changes nothing
    };
    Peer peer(Listen(server));
    ASSERT_TRUE(peer.WaitConnected());
    peer.Send("abc");
    peer.s.disconnectFromHost();

    ASSERT_TRUE(WaitUntil([&] { return !log.empty() && log.back() == "disconnect"; }));
    ASSERT_TRUE(Quiet());
    EXPECT_EQ(log, (std::vector<std::string>{"read abc", "disconnect"}));
    EXPECT_EQ(server.ActiveConnections(), 0);
    EXPECT_TRUE(exceptions.empty());
}

TEST_F(Sockets, PeerThatEndsItsSendingGetsTheRepliesBeforeTheConnectionEnds) {
    TServerSocket server;
    std::vector<std::string> log;
    server.OnClientRead = [&](QObject*, TCustomWinSocket* s) {
        const std::string text = s->ReceiveText();
        log.push_back("read " + text);
        // Work left for later comes before the end, and its reply still reaches the peer.
        s->Later([&log, s, text] {
            log.push_back("later");
            s->SendText("re:" + text);
        });
    };
    server.OnClientDisconnect = [&](QObject*, TCustomWinSocket*) { log.push_back("disconnect"); };
    RawPeer peer(Listen(server));
    ASSERT_TRUE(peer.Ok());
    peer.Send("abc");
    ASSERT_EQ(::shutdown(peer.fd, SHUT_WR), 0);
    ASSERT_TRUE(peer.ReadToEnd());
    EXPECT_FALSE(peer.reset);
    EXPECT_EQ(peer.got, "re:abc");
    ASSERT_TRUE(WaitUntil([&] { return server.ActiveConnections() == 0; }));
    EXPECT_EQ(log, (std::vector<std::string>{"read abc", "later", "disconnect"}));
    EXPECT_TRUE(exceptions.empty());
}

TEST_F(Sockets, ErrorCodeLeftSetReachesTheApplicationAsAnException) {
    TClientSocket client;
    std::vector<std::string> log;
    client.OnConnect = [&](QObject*, TCustomWinSocket*) { log.push_back("connect"); };
    client.OnDisconnect = [&](QObject*, TCustomWinSocket*) { log.push_back("disconnect"); };
    client.OnError = [&](QObject* sender, TCustomWinSocket* socket, TErrorEvent kind, int& code) {
        EXPECT_EQ(sender, &client);
        EXPECT_EQ(socket, client.Socket());
        EXPECT_EQ(kind, eeConnect);
        EXPECT_EQ(code, ECONNREFUSED);
        EXPECT_FALSE(client.Active());
        log.push_back("error");
        EXPECT_TRUE(exceptions.empty()); // raised only after the handler
    };
    client.SetHost("127.0.0.1");
    const ClosedPort closed;
    client.SetPort(closed.Port());
    client.Open();

    ASSERT_TRUE(WaitUntil([&] { return !exceptions.empty(); }));
    EXPECT_EQ(log, std::vector<std::string>{"error"});
    EXPECT_EQ(codes, std::vector<int>{ECONNREFUSED});
    EXPECT_NE(exceptions[0].find("on connect"), std::string::npos) << exceptions[0];
    EXPECT_NE(exceptions[0].find(std::to_string(ECONNREFUSED)), std::string::npos);
    EXPECT_FALSE(client.Active());
}

TEST_F(Sockets, ErrorCodeClearedByTheHandlerSettlesTheError) {
    TClientSocket client;
    int errors = 0;
    client.OnError = [&](QObject*, TCustomWinSocket*, TErrorEvent kind, int& code) {
        EXPECT_EQ(kind, eeConnect);
        ++errors;
        code = 0;
    };
    client.SetHost("127.0.0.1");
    const ClosedPort closed;
    client.SetPort(closed.Port());
    client.Open();
    ASSERT_TRUE(WaitUntil([&] { return errors == 1; }));
    ASSERT_TRUE(Quiet()); // an exception would have come by then
    EXPECT_TRUE(exceptions.empty());
    EXPECT_FALSE(client.Active());

    // The socket can be opened again after a failure.
    TServerSocket server;
    bool connected = false;
    client.OnConnect = [&](QObject*, TCustomWinSocket*) { connected = true; };
    client.SetPort(Listen(server));
    client.Open();
    ASSERT_TRUE(WaitUntil([&] { return connected; }));
    EXPECT_EQ(errors, 1);
}

TEST_F(Sockets, HostNameThatDoesNotResolveGivesALookupError) {
    TClientSocket client;
    std::vector<TErrorEvent> kinds;
    client.OnError = [&](QObject*, TCustomWinSocket*, TErrorEvent kind, int& code) {
        EXPECT_NE(code, 0);
        kinds.push_back(kind);
        code = 0;
    };
    client.SetHost("no-such-host.invalid");
    client.SetPort(8799);
    client.Open();
    ASSERT_TRUE(WaitUntil([&] { return !kinds.empty(); }, 15000));
    EXPECT_EQ(kinds, std::vector<TErrorEvent>{eeLookup});
    EXPECT_FALSE(client.Active());
    EXPECT_TRUE(exceptions.empty());
}

TEST_F(Sockets, OpeningWithoutHostOrPortFailsAtOnce) {
    TClientSocket client;
    client.SetPort(8799);
    EXPECT_THROW(client.Open(), ESocketError);
    EXPECT_FALSE(client.Active());
    client.SetHost("127.0.0.1");
    client.SetPort(0);
    EXPECT_THROW(client.Open(), ESocketError);
    client.SetPort(65536);
    EXPECT_THROW(client.Open(), ESocketError);
    EXPECT_FALSE(client.Active());
}

TEST_F(Sockets, ListeningOnAPortInUseThrowsToTheApplication) {
    TServerSocket first;
    const int port = Listen(first);
    TServerSocket second;
    second.SetPort(port);
    EXPECT_THROW(second.SetActive(true), ESocketError);
    EXPECT_FALSE(second.Active());

    // Thrown from an event handler (the start check box), it reaches the application.
    QMetaObject::invokeMethod(
        &second, [&] { second.SetActive(true); }, Qt::QueuedConnection);
    ASSERT_TRUE(WaitUntil([&] { return !exceptions.empty(); }));
    EXPECT_EQ(codes, std::vector<int>{EADDRINUSE});
    EXPECT_FALSE(second.Active());
    EXPECT_TRUE(first.Active());
}

TEST_F(Sockets, PeerThatNeverReadsIsClosedAtTheUnsentOutputBound) {
    TServerSocket server;
    EXPECT_EQ(server.MaxUnsentBytes, 1 << 20);
    int disconnects = 0;
    server.OnClientDisconnect = [&](QObject*, TCustomWinSocket*) { ++disconnects; };
    const int port = Listen(server);

    // A peer with a small receive buffer that never reads.
    RawPeer peer(port, 4096);
    ASSERT_TRUE(peer.Ok());
    ASSERT_TRUE(WaitUntil([&] { return server.ActiveConnections() == 1; }));

    QPointer<TCustomWinSocket> c = server.Connections(0);
    const std::string chunk = Pattern(64 * 1024);
    qint64 sent = 0;
    while (c && c->Connected() && sent < (qint64(64) << 20)) {
        c->SendText(chunk);
        sent += qint64(chunk.size());
        Settle(1);
    }
    ASSERT_TRUE(WaitUntil([&] { return disconnects == 1; }));
    EXPECT_GT(sent, server.MaxUnsentBytes);
    EXPECT_LT(sent, qint64(64) << 20);
    EXPECT_EQ(server.ActiveConnections(), 0);
    ASSERT_TRUE(Quiet());
    EXPECT_EQ(disconnects, 1);
    EXPECT_TRUE(exceptions.empty());
}

TEST_F(Sockets, APeerThatReadsIsGivenTheTimeToTakeABurst) {
    TServerSocket server;
    server.MaxUnsentBytes = 64 * 1024;
    server.StallMs = 300;
    int disconnects = 0;
    server.OnClientDisconnect = [&](QObject*, TCustomWinSocket*) { ++disconnects; };
    RawPeer peer(Listen(server), 4096);
    ASSERT_TRUE(peer.Ok());
    ASSERT_TRUE(WaitUntil([&] { return server.ActiveConnections() == 1; }));
    QPointer<TCustomWinSocket> c = server.Connections(0);

    // Eight times the bound in one burst, taken by a peer that reads as it comes.
    const std::string burst = Pattern(512 * 1024);
    c->SendText(burst);
    QElapsedTimer clock;
    clock.start();
    char buf[65536];
    while (peer.got.size() < burst.size() && clock.elapsed() < 10000) {
        const ssize_t n = ::recv(peer.fd, buf, sizeof buf, MSG_DONTWAIT);
        if (n > 0)
            peer.got.append(buf, size_t(n));
        else
            Settle(1);
    }
    EXPECT_EQ(peer.got, burst);
    Settle(server.StallMs + 100);
    EXPECT_EQ(disconnects, 0);
    EXPECT_TRUE(c && c->Connected());
}

TEST_F(Sockets, LingeringClosesAreBoundedAndRunningOutOfDescriptorsOnlyPausesAccepting) {
    TServerSocket server;
    int connects = 0, errors = 0;
    // Each station is closed at once, as one that sent a bad line; none of them reads or ends
    // its side, so every close would linger for seconds with its descriptor.
    server.OnClientConnect = [&](QObject*, TCustomWinSocket* s) { ++connects, s->Close(); };
    server.OnClientError = [&](QObject*, TCustomWinSocket*, TErrorEvent, int& code) {
        ++errors, code = 0;
    };
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(Listen(server)));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    auto open = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                             std::filesystem::directory_iterator());
    };
    const auto before = open();
    rlimit files{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &files), 0);
    std::vector<int> stations;
    struct Restore {
        rlimit files;
        std::vector<int>& fds;
        ~Restore() {
            ::setrlimit(RLIMIT_NOFILE, &files);
            for (int fd : fds) ::close(fd);
        }
    } restore{files, stations};
    // Makes n stations' sockets, lets the process open `more` descriptors past them (or up to
    // 512 in all), connects the stations and waits until each has been closed.
    auto attack = [&](int n, int more) {
        // The stations of an earlier attack end their side: their lingering closes end too
        // (the sanitizers' checks need a descriptor the first time they meet a type).
        for (int fd : stations) ::close(fd);
        stations.clear();
        EXPECT_TRUE(WaitUntil([&] { return open() <= before; })) << open() - before;
        connects = 0;
        for (int i = 0; i < n; ++i)
            stations.push_back(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0));
        ASSERT_GE(*std::min_element(stations.begin(), stations.end()), 0);
        rlimit lower = files;
        lower.rlim_cur = static_cast<rlim_t>(
            more ? *std::max_element(stations.begin(), stations.end()) + 1 + more : 512);
        ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &lower), 0);
        for (int fd : stations) ::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to);
        EXPECT_TRUE(WaitUntil([&] { return connects == n; }, 20000)) << connects << " of " << n;
    };

    // An eighth of the descriptors may linger: the other closes are not kept waiting.
    attack(100, 0);
    EXPECT_LE(open() - before, 100 + 512 / 8);
    // With no descriptor left, accepting waits a moment and goes on; the lingering closes give
    // theirs back.
    attack(60, 8);
    EXPECT_EQ(errors, 0) << "a want of descriptors is no error for the owner";
    EXPECT_TRUE(exceptions.empty());
}

TEST_F(Sockets, DeactivatingClosesEveryConnectionWithItsEventAndStopsListening) {
    TServerSocket server;
    std::vector<int> order;
    server.OnClientDisconnect = [&](QObject*, TCustomWinSocket* s) {
        order.push_back(s->RemotePort());
    };
    const int port = Listen(server);
    std::vector<std::unique_ptr<Peer>> peers;
    for (size_t i = 0; i < 3; ++i) {
        peers.push_back(std::make_unique<Peer>(port));
        ASSERT_TRUE(WaitUntil([&] { return server.ActiveConnections() == int(i) + 1; }));
    }

    server.SetActive(false);
    EXPECT_FALSE(server.Active());
    EXPECT_EQ(server.ActiveConnections(), 0);
    ASSERT_EQ(order.size(), 3u); // all before SetActive returned, the newest first
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(order[i], peers[2 - i]->s.localPort());
    ASSERT_TRUE(WaitUntil([&] {
        for (auto& p : peers)
            if (!p->ended) return false;
        return true;
    }));

    Peer late(port);
    ASSERT_TRUE(WaitUntil([&] { return !late.errors.empty(); }));
    EXPECT_EQ(late.errors[0], QAbstractSocket::ConnectionRefusedError);
    EXPECT_TRUE(exceptions.empty());
}

TEST_F(Sockets, ClientCloseRunsTheDisconnectEventAtOnceAndTheSocketOpensAgain) {
    TServerSocket server;
    int serverConnects = 0, serverDisconnects = 0;
    server.OnClientConnect = [&](QObject*, TCustomWinSocket*) { ++serverConnects; };
    server.OnClientDisconnect = [&](QObject*, TCustomWinSocket*) { ++serverDisconnects; };
    TClientSocket client;
    int connects = 0, disconnects = 0;
    client.OnConnect = [&](QObject*, TCustomWinSocket*) { ++connects; };
    client.OnDisconnect = [&](QObject*, TCustomWinSocket* s) {
        EXPECT_FALSE(s->Connected());
        EXPECT_FALSE(client.Active());
        ++disconnects;
    };
    client.SetHost("127.0.0.1");
    client.SetPort(Listen(server));
    client.Open();
    ASSERT_TRUE(WaitUntil([&] { return connects == 1 && serverConnects == 1; }));

    client.Close();
    EXPECT_EQ(disconnects, 1);
    EXPECT_FALSE(client.Active());
    client.Close();
    ASSERT_TRUE(WaitUntil([&] { return serverDisconnects == 1; }));

    client.Open();
    ASSERT_TRUE(WaitUntil([&] { return connects == 2 && serverConnects == 2; }));
    EXPECT_EQ(disconnects, 1); // nothing left over from the first connection

    // The server ending it: the client's disconnect event, once.
    server.Connections(0)->Close();
    ASSERT_TRUE(WaitUntil([&] { return disconnects == 2; }));
    EXPECT_FALSE(client.Active());
    ASSERT_TRUE(Quiet());
    EXPECT_EQ(disconnects, 2);
    EXPECT_TRUE(exceptions.empty());
}

TEST_F(Sockets, ClosingWhileStillConnectingRaisesNoEvents) {
    TServerSocket server;
    TClientSocket client;
    int events = 0;
    client.OnConnect = [&](QObject*, TCustomWinSocket*) { ++events; };
    client.OnDisconnect = [&](QObject*, TCustomWinSocket*) { ++events; };
    client.OnError = [&](QObject*, TCustomWinSocket*, TErrorEvent, int&) { ++events; };
    client.SetHost("127.0.0.1");
    client.SetPort(Listen(server));
    client.Open();
    client.Close();
    EXPECT_FALSE(client.Active());
    ASSERT_TRUE(Quiet());
    EXPECT_EQ(events, 0);
    EXPECT_TRUE(exceptions.empty());
}

TEST_F(Sockets, ConnectionEndingInsideAModalLoopOutlivesTheHandlerThatWaits) {
    TServerSocket server;
    std::vector<std::string> log;
    QPointer<TCustomWinSocket> held;
    server.OnClientRead = [&](QObject*, TCustomWinSocket* s) {
        log.push_back("read " + s->ReceiveText());
        held = s;
        // As a message box would: further events run in here, the peer's end among them.
        QEventLoop box;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, &box, [&] {
            if (log.back() == "disconnect") box.quit();
        });
        tick.start(2);
        QTimer::singleShot(5000, &box, &QEventLoop::quit);
        box.exec();
        Settle(150); // time in which a premature release would happen
        ASSERT_FALSE(held.isNull());
        EXPECT_FALSE(s->Connected());
        EXPECT_EQ(s->RemoteAddress(), "127.0.0.1");
        s->SendText("late");
        s->Close();
        log.push_back("box closed");
    };
    server.OnClientDisconnect = [&](QObject*, TCustomWinSocket*) { log.push_back("disconnect"); };
    Peer peer(Listen(server));
    ASSERT_TRUE(peer.WaitConnected());
    peer.Send("x");
    peer.s.disconnectFromHost();

    ASSERT_TRUE(WaitUntil([&] { return !log.empty() && log.back() == "box closed"; }));
    EXPECT_EQ(log, (std::vector<std::string>{"read x", "disconnect", "box closed"}));
    ASSERT_TRUE(WaitUntil([&] { return held.isNull(); }));
    EXPECT_TRUE(exceptions.empty());
}

TEST_F(Sockets, OtherConnectionEndingInsideAModalLoopLivesUntilTheLoopIsLeft) {
    TServerSocket server;
    std::vector<std::string> log;
    QPointer<TCustomWinSocket> other;
    std::function<void()> whileBoxOpen;
    server.OnClientRead = [&](QObject*, TCustomWinSocket* s) {
        log.push_back("read " + s->ReceiveText());
        TCustomWinSocket* second = server.Connections(1); // held across the box
        other = second;
        QTimer::singleShot(0, whileBoxOpen);
        QEventLoop box;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, &box, [&] {
            if (log.back() == "disconnect") box.quit();
        });
        tick.start(2);
        QTimer::singleShot(5000, &box, &QEventLoop::quit);
        box.exec();
        Settle(150); // time in which a premature release would happen
        ASSERT_FALSE(other.isNull());
        EXPECT_FALSE(second->Connected());
        second->SendText("late");
        log.push_back("box closed");
    };
    server.OnClientDisconnect = [&](QObject*, TCustomWinSocket*) { log.push_back("disconnect"); };
    const int port = Listen(server);
    Peer first(port);
    ASSERT_TRUE(WaitUntil([&] { return server.ActiveConnections() == 1; }));
    Peer second(port);
    ASSERT_TRUE(WaitUntil([&] { return server.ActiveConnections() == 2; }));
    whileBoxOpen = [&] { second.s.disconnectFromHost(); };
    first.Send("x");

    ASSERT_TRUE(WaitUntil([&] { return !log.empty() && log.back() == "box closed"; }));
    EXPECT_EQ(log, (std::vector<std::string>{"read x", "disconnect", "box closed"}));
    ASSERT_TRUE(WaitUntil([&] { return other.isNull(); }));
    EXPECT_EQ(server.ActiveConnections(), 1);
    EXPECT_TRUE(exceptions.empty());
}

TEST_F(Sockets, ExceptionFromAHandlerReachesTheApplicationAndLaterEventsStillRun) {
    TServerSocket server;
    std::string received;
    server.OnClientRead = [&](QObject*, TCustomWinSocket* s) {
        const std::string chunk = s->ReceiveText();
        received += chunk;
        if (chunk == "bad") throw std::runtime_error("framing failed");
    };
    Peer peer(Listen(server));
    ASSERT_TRUE(peer.WaitConnected());
    peer.Send("bad");
    ASSERT_TRUE(WaitUntil([&] { return !exceptions.empty(); }));
    EXPECT_EQ(exceptions, std::vector<std::string>{"framing failed"});

    peer.Send("good");
    ASSERT_TRUE(WaitUntil([&] { return received == "badgood"; }));
    EXPECT_EQ(server.ActiveConnections(), 1);
}

} // namespace
