#pragma once
// A raw TCP peer for tests: connects to a port on 127.0.0.1 (or listens on one), sends exact
// bytes and collects what arrives. Every wait runs the event loop and is bounded.
#include <QTcpServer>
#include <QTcpSocket>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Runs the event loop until `condition` holds or `ms` milliseconds have passed.
bool WaitUntil(const std::function<bool()>& condition, int ms = 5000);
// Runs the event loop for `ms` milliseconds.
void Settle(int ms = 50);
// Posts a call to the event loop and runs the loop until it has run: every call posted before
// it (a window message, a socket's notice, a late answer) has run by then. True when it ran.
bool RunPostedCalls(int ms = 5000);

class TestPeer {
public:
    TestPeer();
    explicit TestPeer(std::unique_ptr<QTcpSocket> socket);
    ~TestPeer();

    bool Connect(quint16 port, int ms = 5000);
    void Send(const std::string& bytes);
    void Close();
    // Ends the connection with a reset: the other side sees it fail.
    void Reset();
    // Ends the sending only: the other side reads the end, and can still be read from.
    void ShutdownSending();
    bool Connected() const;
    // True once the other side has closed the connection.
    bool WaitClosed(int ms = 5000);
    // Stops reading (the peer's receive window fills up).
    void StopReading();

    // Everything received so far.
    const std::string& Received();
    // The received bytes cut after every TAB (the TAB kept); an unterminated rest is left out.
    std::vector<std::string> Messages();
    // Waits until a message equal to `message` (TAB included) has arrived since the last
    // call to Clear().
    bool WaitForMessage(const std::string& message, int ms = 5000);
    // Waits until at least `count` messages have arrived.
    bool WaitForMessages(std::size_t count, int ms = 5000);
    void Clear();

    // Sends `request` and waits for the message ending in `replyEnd` that the other side sends
    // back once it has handled everything this peer sent before it, and has sent what that
    // caused. The reply is taken out of what was received. True when it came.
    bool RoundTrip(const std::string& request, const std::string& replyEnd, int ms = 5000);
    // The round trip to the server program: a chat message to the station itself, which the
    // server answers in turn with the station's other lines and which changes nothing.
    bool SyncWithServer(int ms = 5000);

    QTcpSocket* Socket() { return socket_.get(); }

private:
    void Pump();
    std::unique_ptr<QTcpSocket> socket_;
    std::string received_;
    bool reading_ = true;
};

// A listening peer that stands in for the server in client tests.
class TestServer {
public:
    // Listens on 127.0.0.1 on a free port.
    TestServer();
    quint16 Port() const { return server_.serverPort(); }
    // Waits for the next connection.
    std::unique_ptr<TestPeer> Accept(int ms = 5000);

private:
    QTcpServer server_;
};

// Connects a client window to `server` as a player does (host, port, the Connect box) and
// waits for its name and role wish; null when the connection did not come.
template <class ClientForm>
std::unique_ptr<TestPeer> ConnectClient(ClientForm& form, TestServer& server) {
    form.Edit_Server->setText("127.0.0.1");
    // The test server's port may lie above the edit's range: the text is set as typed.
    form.SpinEdit_Port->SetText(std::to_string(server.Port()));
    form.CheckBox_Connect->setChecked(true);
    std::unique_ptr<TestPeer> peer = server.Accept();
    if (peer && !peer->WaitForMessages(2)) peer.reset();
    return peer;
}
