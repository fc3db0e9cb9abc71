// The benchmark and load check of the server window: the real TTrovGameServerForm on the
// offscreen platform on the main thread; stations on threads of their own with plain POSIX
// sockets on loopback, reaching the window only through bounded queued calls. Every figure has
// a baseline from the same run; every loop and wait is bounded; a watchdog ends a stuck run.
#include "server/TS_Main.h"

#include "platform/BeepTestHooks.h"
#include "platform/ListView.h"
#include "platform/RadioGroup.h"
#include "platform/SpinEdit.h"

#include <QtNetwork>
#include <QtWidgets>
#include <algorithm>
#include <arpa/inet.h>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <malloc.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <random>
#include <signal.h>
#include <spawn.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <tuple>
#include <unistd.h>

using namespace platform;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

const char* const kCodes[] = {"Ft", "W1", "W2", "Rt"};
Clock::time_point gDeadline;
std::atomic<long> gQtMessages{0}; // Qt's own warnings: the first is shown, all are counted
Clock::time_point gStartedAt;     // when the window's game was last started

struct Options {
    int stations = 1000, weeks = 99, idleWeeks = 10, deadline = 0, spinMs = 2, garbageMs = 50;
    bool load = false;
    std::string measures = "1234567", attacks = "abcdefghi";
};

double Ms(Clock::time_point from, Clock::time_point to = Clock::now()) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}
int LeftMs() {
    return std::max(0, static_cast<int>(-Ms(gDeadline)));
}
Clock::time_point In(int ms) {
    return Clock::now() + std::chrono::milliseconds(std::min(ms, LeftMs()));
}
void SleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(ms, LeftMs())));
}

struct Figures {
    std::size_t n = 0;
    double p50 = -1, p95 = -1, p99 = -1, max = -1;
};
// The figures of `count` values from `from` on (all by default).
Figures Summarize(const std::vector<double>& all, std::size_t from = 0, std::size_t count = -1) {
    from = std::min(from, all.size());
    std::vector<double> v(all.begin() + from,
                          all.begin() + from + std::min(count, all.size() - from));
    if (v.empty()) return {};
    std::sort(v.begin(), v.end());
    auto at = [&](double q) { return v[static_cast<std::size_t>(q * double(v.size() - 1) + .5)]; };
    return {v.size(), at(.5), at(.95), at(.99), v.back()};
}

// Resident memory in KiB, after handing free heap pages back to the system.
long RssKb() {
    malloc_trim(0);
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}
[[noreturn]] void Fatal(const std::string& why) {
    std::printf("stopped: %s\n", why.c_str());
    std::fflush(stdout);
    std::_Exit(3);
}

// A non-blocking TCP socket on 127.0.0.1: connected to `port` within `ms` (-1 when it could
// not), or for port 0 listening on a free port, which is written back into `port`.
int Open(int& port, int ms = 2000, int rcvbuf = 0, int sndbuf = 0) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0), one = 1, err = 0;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (rcvbuf) setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &rcvbuf, sizeof rcvbuf);
    if (sndbuf) setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &sndbuf, sizeof sndbuf);
    sockaddr_in a{AF_INET, htons(static_cast<std::uint16_t>(port)), {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t len = sizeof a;
    auto* any = reinterpret_cast<sockaddr*>(&a);
    if (port == 0 && !bind(fd, any, len) && !listen(fd, 4096) && !getsockname(fd, any, &len))
        return port = ntohs(a.sin_port), fd;
    if (port != 0 && connect(fd, any, len) != 0) err = errno;
    pollfd p{fd, POLLOUT, 0};
    len = sizeof err;
    if (err == EINPROGRESS && (poll(&p, 1, std::min(ms, LeftMs())) != 1 ||
                               getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0))
        err = ETIMEDOUT;
    if (port != 0 && err == 0) return fd;
    close(fd);
    return -1;
}
int ConnectTo(int port, int ms = 2000, int rcvbuf = 0, int sndbuf = 0) {
    return port ? Open(port, ms, rcvbuf, sndbuf) : -1;
}

// Stations send a few bytes at a time: a send the buffer cannot take whole counts as failed.
bool SendAll(int fd, const std::string& bytes) {
    return send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
}

// Reads what has arrived into `rx` (null: dropped); false once the peer has gone.
bool ReadSome(int fd, std::string* rx) {
    char buf[65536];
    for (int rounds = 0; rounds < 64; ++rounds) {
        const ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n <= 0) return n < 0 && (errno == EAGAIN || errno == EINTR);
        if (rx) rx->append(buf, static_cast<std::size_t>(n));
    }
    return true;
}
void CloseAll(std::vector<int>& fds) {
    for (int fd : fds)
        if (fd >= 0) close(fd);
    fds.clear();
}

// Cuts `rx` after each TAB and hands each message, without its TAB, to `take`.
template <class F> void Lines(std::string& rx, F take) {
    std::size_t start = 0;
    for (std::size_t tab; (tab = rx.find('\t', start)) != std::string::npos; start = tab + 1)
        take(rx.substr(start, tab - start));
    rx.erase(0, start);
}

// A station as a player sees it.
struct Peer {
    int fd = -1, receipts = 0; // receipts: "TS_PO:Received!" seen
    std::string rx, week;      // week: the value of the last "TS_Tn:"
    bool closed = false, welcome = false, over = false;
    void Take(const std::string& m) {
        receipts += m.rfind("TS_PO:Received!", 0) == 0;
        if (m.rfind("TS_Tn:", 0) == 0) week = m.substr(6);
        welcome |= m == "TS_Cn:Welcome!";
        over |= m == "TS_Gm:Over!";
    }
};

// Reads the peers until done() holds (true), a peer is closed or the time is up (false).
bool Pump(const std::vector<Peer*>& peers, const std::function<bool()>& done, int ms) {
    const auto until = In(ms);
    for (std::vector<pollfd> fds;; fds.clear()) {
        if (done()) return true;
        const int left = static_cast<int>(-Ms(until));
        if (left <= 0 || std::any_of(peers.begin(), peers.end(), [](Peer* p) { return p->closed; }))
            return false;
        for (const Peer* p : peers) fds.push_back({p->fd, POLLIN, 0});
        poll(fds.data(), fds.size(), std::min(left, 50));
        for (std::size_t i = 0; i < fds.size(); ++i) {
            Peer& p = *peers[i];
            if (fds[i].revents) p.closed = !ReadSome(p.fd, &p.rx);
            Lines(p.rx, [&](const std::string& m) { p.Take(m); });
        }
    }
}

// Connects, names the station and wishes a role: the wait for the welcome in ms, or -1.
double Join(Peer& peer, int port, const std::string& name, const std::string& role, int ms = 5000) {
    const auto t0 = Clock::now();
    peer = Peer{};
    peer.fd = ConnectTo(port, ms);
    const std::function<bool()> welcomed = [&] { return peer.welcome; };
    const bool ok = peer.fd >= 0 && SendAll(peer.fd, "TC_PN:" + name + "\tTC_PT:" + role + "\t");
    return ok && Pump({&peer}, welcomed, ms) ? Ms(t0) : -1;
}

// The floor of every figure, on a thread of its own, in the real message sizes: a name gets
// the welcome, an order or shipment its receipt, every fourth order a 13-message state block to
// every connection ("Fn" after the last week), the four last orders a report-sized text and
// the game's end. "TC_ST:" starts its game; "TC_FO:" times one 176-byte write to each station.
struct EchoServer {
    explicit EchoServer(int w) : weeks(w), listener(Open(port)) {}
    ~EchoServer() {
        stop = true;
        thread.join();
        CloseAll(fds);
        close(listener);
    }
    std::string Block(int w) const {
        return "TS_Tn:" + (w > weeks ? std::string("Fn") : NumToHex(w)) +
               "\tTS_Ft:0C\tTS_W1:0C\tTS_W2:0C\tTS_Rt:0C\tTS_Dm0:04\tTS_BC0:00\tTS_Dm1:04\t"
               "TS_BC1:00\tTS_Dm2:04\tTS_BC2:00\tTS_Dm3:04\tTS_BC3:00\t";
    }
    void ToAll(const std::string& bytes) {
        for (int fd : fds)
            if (fd >= 0) SendAll(fd, bytes);
    }
    void Line(int fd, const std::string& m) {
        const bool order = m.rfind("TC_PO:", 0) == 0,
                   last = order && HexToNum(m.substr(10, 2)) > weeks;
        if (m.rfind("TC_PN:", 0) == 0) SendAll(fd, "TS_Cn:Welcome!\t");
        if (m.rfind("TC_ST:", 0) == 0) ToAll("TS_Gm:Start!\t" + Block(1));
        if (m.rfind("TC_FO:", 0) == 0 && fanOutCount < 64) {
            const std::string bytes = std::string(175, 'j') + "\t";
            const auto t0 = Clock::now();
            for (int c : fds)
                if (c >= 0) send(c, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            fanOuts[fanOutCount++] = Ms(t0);
        }
        if (m.size() != 15 || (!order && m.rfind("TC_PS:", 0) != 0)) return;
        SendAll(fd, std::string(order ? "TS_PO" : "TS_PS") + ":Received!:" + m.substr(13) + "\t");
        if (order && !last && ++orders % 4 == 0) ToAll(Block(orders / 4 + 1));
        if (last && ++finals == 4) ToAll("TS_SM:" + std::string(760, 'r') + "\tTS_Gm:Over!\t");
    }
    void Run() {
        std::vector<std::string> rx;
        for (std::vector<pollfd> polls; !stop && LeftMs() > 0;) {
            polls.assign(1, {listener, POLLIN, 0});
            for (int fd : fds) polls.push_back({fd, POLLIN, 0}); // poll skips closed ones (-1)
            if (poll(polls.data(), polls.size(), 5) <= 0) continue;
            for (int fd; (fd = accept4(listener, nullptr, nullptr, SOCK_NONBLOCK)) >= 0; ++accepted)
                fds.push_back(fd), rx.emplace_back();
            for (std::size_t c = 0; c + 1 < polls.size(); ++c) {
                if (!polls[c + 1].revents || fds[c] < 0) continue;
                if (!ReadSome(fds[c], &rx[c])) close(std::exchange(fds[c], -1));
                Lines(rx[c], [&](const std::string& m) { Line(fds[c], m); });
            }
        }
    }
    int weeks, port = 0, listener, orders = 0, finals = 0;
    std::vector<int> fds;
    std::array<double, 64> fanOuts{}; // each read once fanOutCount says it is there
    std::atomic<int> accepted{0}, fanOutCount{0};
    std::atomic<bool> stop{false};
    std::thread thread{[this] { Run(); }};
};

// The stations around the players, run by one thread: idle and deaf stations held (never
// read), garbage senders (random bytes, or lines that look like the protocol) that connect
// again when closed, a chat flood to the server and a burst of copies of "TC_XX:a".
struct Crowd {
    int port = 0, garbageMs = 50, chatFd = -1, burstFd = -1;
    std::vector<int> idle, deaf, garbage;
    // Named stations that never read and stream 2 KB chats to themselves, and when (ms after
    // the attack began) the window closed each (-1: not closed).
    std::vector<int> streamers;
    std::vector<double> streamerClosed;
    Clock::time_point began = Clock::now();
    std::atomic<bool> go{false}, fire{false}, stop{false}, chatOver{false};
    std::atomic<long> chatSent{0};
    long garbageSent = 0, reconnects = 0, burstBytes = -1;
    std::thread thread;

    void Finish() {
        stop = true;
        if (thread.joinable()) thread.join();
        for (auto* set : {&idle, &deaf, &garbage, &streamers}) CloseAll(*set);
        for (int fd : {chatFd, burstFd})
            if (fd >= 0) close(fd);
    }
    static std::string Garbage(std::minstd_rand& rng) {
        std::string s;
        if (rng() % 4 == 0) { // a long line of an unknown code
            s = "TC_Zq:";
            for (unsigned n = 1024 + rng() % 3072; n > 0; --n) s += "abcdefghij"[rng() % 10];
            return s + "\t";
        }
        if (rng() % 2) {
            for (unsigned n = 1 + rng() % 48; n > 0; --n) s += static_cast<char>(rng() % 256);
            return s;
        }
        s = "TC_" + std::string("XXZqPOPSPTSMpn00").substr(2 * (rng() % 8), 2) + ":";
        for (unsigned n = 1 + rng() % 8; n > 0; --n) s += "abcdefghij0123456789"[rng() % 20];
        return s + "\t";
    }
    void Run() {
        std::minstd_rand rng(7);
        std::vector<Clock::time_point> next(garbage.size(), Clock::now());
        Clock::time_point chatStart{}, chatNext{};
        std::string burst;
        for (int i = 0; i < 3000; ++i) burst += "TC_XX:a\t";
        const std::string chat = "TC_SM:Ft:Ft:" + std::string(2000, 'c') + "\t";
        streamerClosed.assign(streamers.size(), -1);
        for (std::vector<pollfd> polls; !stop && LeftMs() > 0; polls.clear()) {
            for (int fd : garbage) polls.push_back({fd, POLLIN, 0});
            poll(polls.data(), polls.size(), 1);
            const auto now = Clock::now();
            for (std::size_t i = 0; i < garbage.size(); ++i) { // what they get is dropped
                if (polls[i].revents && garbage[i] >= 0 && !ReadSome(garbage[i], nullptr))
                    close(std::exchange(garbage[i], -1));
                if (garbage[i] < 0 && reconnects < 20000)
                    ++reconnects, garbage[i] = ConnectTo(port, 300);
                if (garbage[i] < 0 || now < next[i]) continue;
                const std::string item = Garbage(rng);
                garbageSent +=
                    send(garbage[i], item.data(), item.size(), MSG_NOSIGNAL | MSG_DONTWAIT) > 0;
                next[i] = now + std::chrono::milliseconds(garbageMs);
            }
            if (go && chatFd >= 0) { // once per millisecond, at most 2000 times and for 2 s
                if (chatStart == Clock::time_point{}) chatStart = chatNext = now;
                chatOver = Ms(chatStart, now) >= 2000;
                for (; chatSent < 2000 && !chatOver && now >= chatNext; ++chatSent, chatNext += 1ms)
                    if (!SendAll(chatFd, "TC_SM:Ft:Sv:text\t")) break;
            }
            for (std::size_t i = 0; i < streamers.size(); ++i) { // as fast as the window takes
                if (streamerClosed[i] >= 0) continue;
                const ssize_t n =
                    send(streamers[i], chat.data(), chat.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
                if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
                    streamerClosed[i] = Ms(began, now);
            }
            if (fire && burstFd >= 0 && burstBytes < 0) // one send: the buffer holds it all
                burstBytes = send(burstFd, burst.data(), burst.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        }
    }
};

// Boxes are answered at once (OK, else Yes) after running a nested event loop for a few
// milliseconds, as a real modal box does; nesting goes as deep as the server lets it.
class BenchDialogs : public TDialogs {
public:
    struct Counts {
        int boxes = 0, pauses = 0, deepest = 0;
        long stackKb = 0;  // stack taken by the deepest nesting
        std::string other; // the start of the first box of another kind
    } seen;
    int spinMs = 2, depth = 0;
    Clock::time_point resultAt{};

    TModalResult MessageBox(const std::string& text, const std::string&, TBoxButtons) override {
        return Open(text), mrOk;
    }
    TModalResult MessageDlg(const std::string& text, TMsgDlgType, TMsgDlgButtons b) override {
        return Open(text), (b & mbOK) ? mrOk : (b & mbYes) ? mrYes : mrCancel;
    }
    bool ExecuteOpen(TFileDialog&) override { return false; }
    bool ExecuteSave(TFileDialog&) override { return false; }
    bool ExecuteFont(QFont&, TColor&) override { return false; }

private:
    void Open(const std::string& text) {
        ++seen.boxes;
        if (text.rfind("*Result of [", 0) == 0)
            resultAt = Clock::now();
        else if (text.rfind("Pause", 0) == 0)
            ++seen.pauses;
        else if (text.find("Message\r\r") == std::string::npos && seen.other.empty())
            seen.other = text.substr(0, 60);
        if (spinMs <= 0) return;
        char here = 0;
        if (++depth == 1) outer_ = &here;
        seen.deepest = std::max(seen.deepest, depth);
        seen.stackKb = std::max(seen.stackKb, static_cast<long>(outer_ - &here) / 1024);
        QEventLoop loop;
        QTimer::singleShot(spinMs, &loop, &QEventLoop::quit);
        loop.exec();
        --depth;
    }
    char* outer_ = nullptr;
};

struct Gui {
    QTemporaryDir dir;
    BenchDialogs dialogs;
    std::unique_ptr<TTrovGameServerForm> form;
    std::unique_ptr<QTcpServer> bare; // a plain Qt server: the memory baseline
    int bareCount = 0;
};
Gui* gGui = nullptr;

// Makes `gui` the one the runs use: its folder holds the settings, its dialogs answer the
// boxes, and beeps are silent.
void UseGui(Gui& gui) {
    gGui = &gui;
    qputenv("XDG_CONFIG_HOME", gui.dir.path().toUtf8());
    SetDialogs(&gui.dialogs);
    SetBeepHandler([] {});
}

// Runs f on the GUI thread and waits for its result, bounded.
template <class F> auto OnGui(F f, int ms = 30000) {
    auto task = std::make_shared<std::packaged_task<decltype(f())()>>(std::move(f));
    auto result = task->get_future();
    QMetaObject::invokeMethod(
        qApp, [task] { (*task)(); }, Qt::QueuedConnection);
    if (result.wait_for(std::chrono::milliseconds(ms)) != std::future_status::ready)
        Fatal("the server window did not answer within " + std::to_string(ms) + " ms");
    return result.get();
}

// A new window for a game of `weeks` weeks, every role shipping "All"; when `listen`, it
// listens on a free port of its range, which is returned.
int NewServer(int weeks, bool listen) {
    Gui& g = *gGui;
    g.form.reset();
    RandomSeed = 0;
    g.form = std::make_unique<TTrovGameServerForm>(nullptr, g.dir.path().toStdString() + "/S");
    TTrovGameServerForm& f = *g.form;
    f.SpinEdit_FinalTurn->SetText(std::to_string(weeks));
    f.SpinEdit_Exit(f.SpinEdit_FinalTurn);
    f.Edit_GroupName->setText("Bench");
    f.Edit_GroupNameExit(f.Edit_GroupName);
    for (auto& role : f.Roles) role.ShipM->SetItemIndex(1);
    for (int k = 0, port; listen && k < 100; ++k) {
        port = 20000 + (getpid() + 97 * k) % 29000;
        if (!QTcpServer().listen(QHostAddress::AnyIPv4, static_cast<quint16>(port))) continue;
        f.SpinEdit_Port->SetValue(port);
        f.CheckBox_Server->setChecked(true);
        return f.ServerSocket->LocalPort();
    }
    return 0;
}

// Destroys the window once no box is open (never from inside a nested loop of its own) and
// returns what the boxes saw.
BenchDialogs::Counts DropServer() {
    for (int i = 0; i < 200; ++i, std::this_thread::sleep_for(50ms)) // past the deadline too
        if (OnGui([] { return gGui->dialogs.depth == 0 && (gGui->form.reset(), true); }))
            return OnGui([] { return std::exchange(gGui->dialogs.seen, {}); });
    Fatal("a box stayed open");
}

int Taken() { // the connections of the window, its own loop-back connection left out
    return gGui->form->ServerSocket->ActiveConnections() - 1;
}

bool AdmitAndStart() {
    TTrovGameServerForm& f = *gGui->form;
    for (int i = f.ListView_Connect->Count() - 1; i >= 0; --i)
        if (f.ListView_Connect->Item(i)->Caption().rfind("Player-", 0) == 0)
            f.ListView_Connect->Item(i)->SetChecked(true);
    gStartedAt = Clock::now();
    if (f.Game()->CanStart()) f.Button_StartClick(f.Button_Start);
    return f.Game()->FState == gsRunning;
}

struct GameRun {
    std::vector<double> rtt; // order to receipt, ms, four a week
    double ms = -1;          // start to "TS_Gm:Over!" at every player
    int weeks = 0;           // weeks fully played
    std::string failure;
};

// Four players join the window listening on `port` (or the echo server when `echo`), are
// admitted and play as the client program does: each order waits for its receipt; after "Fn"
// each sends its last order and shipment of 00. `played` runs before the players leave.
GameRun Game(int port, int weeks, bool echo, const std::function<void(int)>& eachWeek = {},
             Clock::time_point until = Clock::time_point::max(),
             const std::function<void()>& played = {}) {
    GameRun run;
    std::array<Peer, 4> p;
    const std::vector<Peer*> all = {&p[0], &p[1], &p[2], &p[3]};
    std::string hex = "01";
    const std::function<bool()> inWeek = [&] {
        return std::all_of(all.begin(), all.end(), [&](Peer* q) { return q->week == hex; });
    };
    const std::function<bool()> ended = [&] {
        return std::all_of(all.begin(), all.end(), [](Peer* q) { return q->over; });
    };
    const auto stop = std::min(until, gDeadline);
    auto wait = [&] { return std::clamp(static_cast<int>(-Ms(stop)), 1, 20000); };
    auto fail = [&](const char* why) {
        for (int i = 0; i < 4; ++i) run.failure += p[i].closed ? std::string(kCodes[i]) + " " : "";
        const std::string what = Clock::now() + 50ms >= stop ? std::string("time up, ") + why : why;
        run.failure = (run.failure.empty() ? what : "players closed: " + run.failure) +
                      " at week " + std::to_string(run.weeks + 1);
        return false;
    };
    bool ok = true;
    for (int i = 0; i < 4 && ok; ++i)
        ok = Join(p[i], port, std::string("Player-") + kCodes[i], kCodes[i]) >= 0 ||
             fail("no welcome");
    ok = ok && ((echo ? (gStartedAt = Clock::now(), SendAll(p[0].fd, "TC_ST:go\t"))
                      : OnGui(AdmitAndStart)) ||
                fail("no start"));
    const auto t0 = gStartedAt;
    for (int w = 1; ok && w <= weeks + 1; ++w) {
        hex = w > weeks ? "Fn" : NumToHex(w);
        ok = Pump(all, inWeek, wait()) || fail("no week");
        if (ok && eachWeek && w <= weeks) eachWeek(w);
        for (int i = 0; ok && i < 4; ++i) {
            const int before = p[i].receipts;
            const auto sent = Clock::now();
            const std::string head = "TC_PO:" + std::string(kCodes[i]) + ":T" + NumToHex(w) + ":0";
            if (w > weeks) { // the last order and shipment, both 00
                SendAll(p[i].fd, head + "0\tTC_PS:" + kCodes[i] + ":T" + NumToHex(w) + ":00\t");
                continue;
            }
            SendAll(p[i].fd, head + char('3' + i) + "\t");
            const std::function<bool()> receipt = [&] { return p[i].receipts > before; };
            ok = Pump(all, receipt, wait()) || fail("no receipt");
            if (ok) run.rtt.push_back(Ms(sent));
        }
        run.weeks = ok && w <= weeks ? w : run.weeks;
    }
    if (ok && (Pump(all, ended, wait()) || fail("no end"))) run.ms = Ms(t0);
    if (played) played();
    for (Peer& q : p)
        if (q.fd >= 0) close(q.fd);
    return run;
}

std::string Fmt(double v, const char* format = "%.1f") {
    char text[32] = "-";
    if (v >= 0) std::snprintf(text, sizeof text, format, v);
    return text;
}

void Row(const char* what, double figure, const char* base, double baseline, const char* unit,
         const GameRun* run = nullptr) {
    const double ratio = figure < 0 || baseline <= 0 ? -1 : figure / baseline;
    std::printf("    %-26s %10s %-3s | %-18s %10s %-3s | ratio %8s\n", what,
                Fmt(figure, "%.3f").c_str(), unit, base, Fmt(baseline, "%.3f").c_str(), unit,
                Fmt(ratio, "%.2f").c_str());
    if (run && !run->failure.empty()) std::printf("    (not finished: %s)\n", run->failure.c_str());
}

void GameMeasures(const Options& o) {
    const GameRun real = Game(OnGui([&] { return NewServer(o.weeks, true); }), o.weeks, false);
    DropServer();
    EchoServer echoServer(o.weeks);
    const GameRun echo = Game(echoServer.port, o.weeks, true);
    const Figures r = Summarize(real.rtt), e = Summarize(echo.rtt);
    const int late = o.weeks >= 60 ? 51 : o.weeks - 9;
    if (o.measures.find('1') != std::string::npos) {
        std::printf("[1] order -> receipt round trip, 4 players, %zu orders\n", r.n);
        Row("median", r.p50, "echo server", e.p50, "ms");
        Row("p99", r.p99, "echo server", e.p99, "ms", &real);
    }
    if (o.measures.find('3') != std::string::npos) {
        std::printf("[3] round trip late (weeks %d-%d) vs early (weeks 1-10)\n", late, late + 9);
        const Figures a = Summarize(real.rtt, 0, 40), b = Summarize(real.rtt, 4 * (late - 1), 40);
        Row("median late", b.p50, "median early", a.p50, "ms");
        Row("p99 late", b.p99, "p99 early", a.p99, "ms");
    }
    if (o.measures.find('4') != std::string::npos) {
        std::printf("[4] %d-week game by 4 stations, Start to \"TS_Gm:Over!\"\n", o.weeks);
        Row("game", real.ms, "echo server", echo.ms, "ms");
    }
}

// Connects n stations that send `hello`, in batches, waiting each time until `accepted` counts
// them, so that the listen queue never overflows.
std::vector<int> ConnectMany(int port, int n, const std::function<int()>& accepted,
                             const std::string& hello = "") {
    std::vector<int> fds;
    for (int batch = 0; batch < 10000 && int(fds.size()) < n && LeftMs() > 0; ++batch) {
        for (int fd, k = 0; k < 25 && int(fds.size()) < n; ++k)
            if ((fd = ConnectTo(port)) >= 0 && (hello.empty() || SendAll(fd, hello)))
                fds.push_back(fd);
        for (int i = 0; i < 300 && accepted() < int(fds.size()); ++i) SleepMs(10);
    }
    return fds;
}

void IdleMeasures(const Options& o) {
    const int n = o.stations;
    // Baselines first: a plain Qt server's memory, joins to the echo server, the fan-out.
    const int barePort = OnGui([] {
        Gui& g = *gGui;
        g.bare = std::make_unique<QTcpServer>();
        QObject::connect(g.bare.get(), &QTcpServer::newConnection, [&g] {
            for (QTcpSocket* s; (s = g.bare->nextPendingConnection()); ++g.bareCount)
                QObject::connect(s, &QTcpSocket::readyRead, s, [s] { s->readAll(); });
        });
        g.bare->listen(QHostAddress::AnyIPv4, 0);
        return static_cast<int>(g.bare->serverPort());
    });
    const long bare0 = RssKb();
    const std::function<int()> bareCount = [] { return OnGui([] { return gGui->bareCount; }); };
    std::vector<int> fds = ConnectMany(barePort, n, bareCount, "TC_PN:idle-0\tTC_PT:Ft\t");
    SleepMs(300);
    const double bareKb = double(RssKb() - bare0) / double(std::max<std::size_t>(1, fds.size()));
    CloseAll(fds);
    OnGui([] { return gGui->bare.reset(), true; });

    auto joinAll = [&](int port, std::vector<double>& waits, Clock::time_point until) {
        const auto t0 = Clock::now();
        for (int i = 0; i < n && Clock::now() < until; ++i) {
            Peer p;
            waits.push_back(Join(p, port, "idle-" + std::to_string(i), kCodes[i % 4]));
            fds.push_back(p.fd);
            if (waits.back() < 0) waits.pop_back(), i = n;
        }
        return Ms(t0);
    };
    std::vector<double> echoJoins, joins;
    double echoTotal, fanOut;
    {
        EchoServer echo(1);
        echoTotal = joinAll(echo.port, echoJoins, In(LeftMs()));
        CloseAll(fds);
        fds = ConnectMany(echo.port, n + 4, [&] { return echo.accepted.load(); });
        for (int r = 0; r < 20 && !fds.empty() && SendAll(fds[0], "TC_FO:j\t"); ++r) {
            for (int i = 0; i < 200 && echo.fanOutCount <= r; ++i) SleepMs(1);
            SleepMs(2);
            for (int fd : fds) ReadSome(fd, nullptr);
        }
        fanOut = Summarize({echo.fanOuts.begin(), echo.fanOuts.begin() + echo.fanOutCount}).p50;
        CloseAll(fds);
    }
    const int port = OnGui([&] { return NewServer(o.idleWeeks, true); });
    SleepMs(100);
    const long rss0 = RssKb();
    const double total = joinAll(port, joins, In(std::max(5000, LeftMs() / 2)));
    SleepMs(300);
    const long rss1 = RssKb();
    auto tail = [](const std::vector<double>& v) {
        return Summarize(v, v.size() - std::min<std::size_t>(v.size(), 10));
    };
    if (o.measures.find('6') != std::string::npos) {
        std::printf("[6] %zu of %d stations join one after another\n", joins.size(), n);
        Row("total", total, "echo server", echoTotal, "ms");
        Row("last 10 welcomes, median", tail(joins).p50, "echo server", tail(echoJoins).p50, "ms");
        Row("last 10 welcomes, max", tail(joins).max, "echo server", tail(echoJoins).max, "ms");
    }
    if (o.measures.find('7') != std::string::npos) {
        std::printf("[7] server memory per idle named station (VmRSS %ld -> %ld KiB)\n", rss0,
                    rss1);
        Row("per station", double(rss1 - rss0) / double(std::max<std::size_t>(1, joins.size())),
            "plain Qt socket", bareKb, "KiB");
    }
    if (o.measures.find('2') != std::string::npos) {
        const GameRun run = Game(port, o.idleWeeks, false); // the idle stations are not read
        const Figures r = Summarize(run.rtt);
        std::printf("[2] round trip with %zu idle named stations, %zu orders (%d weeks)\n",
                    joins.size(), r.n, o.idleWeeks);
        Row("median", r.p50, "fan-out 176 B", fanOut, "ms");
        Row("p99", r.p99, "fan-out 176 B", fanOut, "ms");
        Row("max", r.max, "fan-out 176 B", fanOut, "ms", &run);
    }
    CloseAll(fds);
    DropServer();
}

void AutoMeasure(const Options& o) {
    std::vector<double> real, model;
    for (int i = 0; i < 3 && LeftMs() > 0; ++i) // Start to the result box
        real.push_back(OnGui([&] {
            NewServer(o.weeks, false);
            TTrovGameServerForm& f = *gGui->form;
            for (auto& role : f.Roles) role.ShipM->SetItemIndex(2), role.Owner->SetItemIndex(2);
            const auto t0 = Clock::now();
            f.Button_StartClick(f.Button_Start);
            return gGui->dialogs.resultAt > t0 ? Ms(t0, gGui->dialogs.resultAt) : -1;
        }));
    for (int i = 0; i < 20 && LeftMs() > 0; ++i) // the game model alone, no window
        model.push_back(OnGui([&] {
            RandomSeed = 0;
            TTrovGame game(nullptr);
            game.SetFinalTurn(static_cast<std::int8_t>(o.weeks + 1));
            for (auto& p : game.FLocalPlayers) p.Owner = owAuto, p.ShipMode = smAuto;
            for (int r = 1; r <= 4; ++r) game.FPlayers[r] = &game.FLocalPlayers[r - 1];
            const auto t0 = Clock::now();
            game.Start();
            for (int k = 0; k < 1000 && game.ProceedTurn() == 0; ++k) {}
            return game.FState == gsFinished ? Ms(t0) : -1;
        }));
    DropServer();
    std::printf("[5] %d-week game, all four roles Auto, Start to the result box (median of %zu)\n",
                o.weeks, real.size());
    Row("server window", Summarize(real).p50, "game model alone", Summarize(model).p50, "ms");
}

// (f) The players of a running game, one of them reading 32 KiB a second (receive buffer
// 16 KiB), while a station that never names itself sends short lines as fast as the window takes
// them, for up to 15 s: "TC_XX:a" (an unknown code), or with `wishes` role wishes that change
// each time ("TC_PT:W1", "TC_PT:W2"). Is the slow player closed, and what did it and the others
// get.
void SlowPlayerCheck(bool wishes) {
    const char* name = wishes ? "(f) slow, wishes" : "(f) slow, unknown code";
    const int port = OnGui([] { return NewServer(10, true); });
    std::array<Peer, 4> p;
    bool ok = true;
    for (int i = 0; i < 3 && ok; ++i)
        ok = Join(p[i], port, std::string("Player-") + kCodes[i], kCodes[i]) >= 0;
    Peer& slow = p[3];
    slow.fd = ok ? ConnectTo(port, 2000, 16 * 1024) : -1;
    ok = slow.fd >= 0 && SendAll(slow.fd, "TC_PN:Player-Rt\tTC_PT:Rt\t") &&
         Pump(
             {&slow}, [&] { return slow.welcome; }, 5000) &&
         OnGui(AdmitAndStart);
    if (!ok) {
        std::printf("%-23s could not set up the game\n", name);
        for (Peer& q : p)
            if (q.fd >= 0) close(q.fd);
        DropServer();
        return;
    }
    for (int i = 0; i < 3; ++i) ReadSome(p[i].fd, nullptr);
    const int attacker = ConnectTo(port, 2000, 0, 1 << 16);
    std::string burst;
    for (int i = 0; i < 1000; ++i) burst += wishes ? "TC_PT:W1\tTC_PT:W2\t" : "TC_XX:a\tTC_XX:a\t";
    long sent = 0, slowRead = 0, fastRead = 0;
    double closedAt = -1;
    const auto t0 = Clock::now();
    auto last = t0;
    double allowance = 0;
    char buf[65536];
    for (int round = 0; round < 3000 && Ms(t0) < 15000 && LeftMs() > 0 && closedAt < 0; ++round) {
        if (attacker >= 0) {
            const ssize_t n =
                send(attacker, burst.data(), burst.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            sent += n > 0 ? n : 0;
        }
        for (int i = 0; i < 3; ++i) {
            std::string rx;
            ReadSome(p[i].fd, &rx);
            fastRead += static_cast<long>(rx.size());
        }
        const auto now = Clock::now();
        allowance = std::min(allowance + 32.768 * Ms(last, now), 65536.0);
        last = now;
        pollfd pf{slow.fd, POLLIN, 0};
        poll(&pf, 1, 0);
        if (pf.revents & (POLLERR | POLLHUP)) closedAt = Ms(t0);
        while (allowance >= 1 && closedAt < 0) {
            const ssize_t n = recv(slow.fd, buf, std::min<std::size_t>(sizeof buf, allowance), 0);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) closedAt = Ms(t0);
            if (n <= 0) break;
            slowRead += n, allowance -= static_cast<double>(n);
        }
        if (round % 50 == 0 && closedAt < 0 &&
            OnGui([] { return gGui->form->Game()->FPlayers[4] == nullptr; }))
            closedAt = Ms(t0);
        // A round each 5 ms.
        std::this_thread::sleep_until(
            std::min(gDeadline, t0 + std::chrono::milliseconds(5 * (round + 1))));
    }
    const auto [state, pauses] =
        OnGui([] { return std::pair(int(gGui->form->Game()->FState), gGui->dialogs.seen.pauses); });
    const double secs = Ms(t0) / 1000;
    if (attacker >= 0) close(attacker);
    for (Peer& q : p) close(q.fd);
    DropServer();
    std::printf("%-23s %s; attacker sent %ld B in %.1f s; slow player read %ld B, "
                "each other player %ld B; game %s, pause boxes %d\n",
                name,
                closedAt < 0 ? "slow player not closed"
                             : ("slow player closed after " + Fmt(closedAt / 1000) + " s").c_str(),
                sent, secs, slowRead, fastRead / 3,
                state == gsRunning  ? "running"
                : state == gsPaused ? "paused"
                                    : "other",
                pauses);
}

// (g) A station that never names itself streams "TC_SM:Sv:Ft:..." (once a millisecond, 2000 at
// most, 2 s), and the admitted Distributor sends 100 chats to the Factory claiming to be the
// game master: what reaches the Factory's player.
void ChatStreamCheck() {
    const int port = OnGui([] { return NewServer(10, true); });
    Peer ft, w1;
    const bool ok =
        Join(ft, port, "Player-Ft", "Ft") >= 0 && Join(w1, port, "Player-W1", "W1") >= 0 &&
        (OnGui(AdmitAndStart),
         OnGui([] { return gGui->form->Game()->FPlayers[1] && gGui->form->Game()->FPlayers[2]; }));
    const int stranger = ok ? ConnectTo(port) : -1;
    long texts = 0, server = 0, distributor = 0, other = 0, bytes = 0, chats = 0;
    std::string rx;
    auto read = [&] {
        std::string more;
        ReadSome(ft.fd, &more);
        ReadSome(w1.fd, nullptr);
        bytes += static_cast<long>(more.size());
        rx += more;
        Lines(rx, [&](const std::string& m) {
            if (m.rfind("TS_SM:", 0) != 0) return;
            ++texts;
            server += m.rfind("TS_SM:ServerMessage", 0) == 0;
            distributor += m.rfind("TS_SM:DistributorMessage", 0) == 0;
            other += m.rfind("TS_SM:ServerMessage", 0) != 0 &&
                     m.rfind("TS_SM:DistributorMessage", 0) != 0;
        });
    };
    const auto t0 = Clock::now();
    for (int ms = 0; stranger >= 0 && ms < 2000 && Ms(t0) < 2000 && LeftMs() > 0; ++ms) {
        chats += SendAll(stranger, "TC_SM:Sv:Ft:You have been disconnected by the game master\t");
        if (ms % 20 == 0) SendAll(w1.fd, "TC_SM:Sv:Ft:forged by the Distributor\t");
        read();
        std::this_thread::sleep_until(t0 + std::chrono::milliseconds(ms + 1));
    }
    for (const auto until = In(1000); Clock::now() < until;) read(), SleepMs(5);
    if (stranger >= 0) close(stranger);
    for (int fd : {ft.fd, w1.fd})
        if (fd >= 0) close(fd);
    const BenchDialogs::Counts seen = DropServer();
    std::printf("%-23s %s; stranger's chats %ld; the Factory got %ld B, %ld texts: "
                "\"ServerMessage\" %ld, \"DistributorMessage\" %ld, other %ld; boxes %d\n",
                "(g) chat stream", ok ? "set up" : "could not set up", chats, bytes, texts, server,
                distributor, other, seen.boxes);
}

// (i) The window in a child process whose descriptors are limited to `limit`: 1063 stations
// each send a bad line and never read nor close (every close of the window would linger), about
// 118 a second, for 9 s at most, held 3 s more. Meanwhile a new station joins each second (5 s at
// most for its welcome). Gives the child's CPU over the attack and the welcomes' waits.
void DescriptorCheck(int limit) {
    char name[32];
    std::snprintf(name, sizeof name, "(i) descriptors %d", limit);
    int toChild[2], fromChild[2];
    if (pipe2(toChild, O_CLOEXEC) != 0 || pipe2(fromChild, O_CLOEXEC) != 0)
        return (void)std::printf("%-23s no pipe\n", name);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_adddup2(&files, toChild[0], 0);
    posix_spawn_file_actions_adddup2(&files, fromChild[1], 1);
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string arg = "--serve-limit=" + std::to_string(limit);
    char* argv[] = {const_cast<char*>(self.c_str()), const_cast<char*>(arg.c_str()), nullptr};
    pid_t child = -1;
    const int spawned = posix_spawn(&child, self.c_str(), &files, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&files);
    close(toChild[0]), close(fromChild[1]);
    FILE* out = fdopen(fromChild[0], "r");
    int port = 0;
    char line[512] = "";
    if (spawned != 0 || !out || !std::fgets(line, sizeof line, out) ||
        std::sscanf(line, "port %d", &port) != 1) {
        std::printf("%-23s the child did not start\n", name);
        close(toChild[1]);
        if (out) std::fclose(out);
        if (child > 0) kill(child, SIGKILL), waitpid(child, nullptr, 0);
        return;
    }
    auto cpu = [&] { // the child's CPU seconds
        std::ifstream stat("/proc/" + std::to_string(child) + "/stat");
        std::string all((std::istreambuf_iterator<char>(stat)), {});
        std::istringstream rest(all.substr(all.rfind(')') + 2));
        std::string field;
        long ticks = 0;
        for (int i = 3; i <= 15 && rest >> field; ++i)
            if (i >= 14) ticks += std::atol(field.c_str());
        return double(ticks) / double(sysconf(_SC_CLK_TCK));
    };
    std::atomic<bool> attacking{true};
    std::vector<double> waits;
    int missed = 0;
    std::thread probes([&] {
        for (int k = 0; k < 30 && attacking && LeftMs() > 0; ++k) {
            const auto next = Clock::now() + 1s;
            Peer p;
            const double ms = Join(p, port, "probe-" + std::to_string(k), "UK", 5000);
            ms < 0 ? ++missed : (waits.push_back(ms), 0);
            if (p.fd >= 0) close(p.fd);
            std::this_thread::sleep_until(std::min(next, gDeadline));
        }
    });
    const double cpu0 = cpu();
    const auto t0 = Clock::now();
    std::vector<int> bad;
    for (int i = 0; i < 1063 && Ms(t0) < 9000 && LeftMs() > 0; ++i) {
        const int fd = ConnectTo(port, 200);
        if (fd >= 0 && SendAll(fd, "TC_PN;x\t"))
            bad.push_back(fd);
        else if (fd >= 0)
            close(fd);
        std::this_thread::sleep_until(
            std::min(gDeadline, t0 + std::chrono::microseconds(8470 * (i + 1))));
    }
    SleepMs(3000);
    const double secs = Ms(t0) / 1000, cores = (cpu() - cpu0) / secs;
    attacking = false;
    probes.join();
    const std::size_t attackers = bad.size();
    CloseAll(bad);
    close(toChild[1]); // the child ends and says what boxes it saw
    std::string boxes = std::fgets(line, sizeof line, out) ? line : "";
    if (!boxes.empty() && boxes.back() == '\n') boxes.pop_back();
    std::fclose(out);
    int status = 0;
    for (int i = 0; i < 100 && waitpid(child, &status, WNOHANG) == 0; ++i) SleepMs(50);
    if (waitpid(child, &status, WNOHANG) == 0) kill(child, SIGKILL), waitpid(child, &status, 0);
    const Figures w = Summarize(waits);
    std::printf("%-23s %zu bad-line stations in %.1f s: server CPU %.2f core; new stations "
                "welcomed %zu of %zu, wait p50/max %s/%s ms; %s\n",
                name, attackers, secs, cores, waits.size(), waits.size() + missed,
                Fmt(w.p50).c_str(), Fmt(w.max).c_str(), boxes.c_str());
}

// The window of DescriptorCheck, in the child: listens, tells its port, and runs until its
// input ends; then says what boxes it saw.
int Serve(int limit) {
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = static_cast<rlim_t>(limit);
    setrlimit(RLIMIT_NOFILE, &files);
    int argc = 1;
    char arg0[] = "trov_bench";
    char* argv[] = {arg0, nullptr};
    PreferPlainEventLoop();
    TApplication app(argc, argv);
    Gui gui;
    UseGui(gui);
    const int port = NewServer(10, true);
    std::printf("port %d\n", port);
    std::fflush(stdout);
    QSocketNotifier input(0, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char c;
        if (read(0, &c, 1) <= 0) app.quit();
    });
    QTimer::singleShot(120000, &app, &QCoreApplication::quit);
    app.exec();
    std::printf("boxes %d%s%s\n", gui.dialogs.seen.boxes,
                gui.dialogs.seen.other.empty() ? "" : ", first: ", gui.dialogs.seen.other.c_str());
    std::fflush(stdout);
    gui.form.reset();
    SetDialogs(nullptr);
    return 0;
}

void LoadCheck(const Options& o) {
    const char* const names[] = {"none (base)",       "(a) idle",       "(b) garbage",
                                 "(c) never read",    "(d) chat flood", "(e) burst",
                                 "(h) chat streamers"};
    const char letters[] = "abcdeh";
    std::printf("load check: %d-week games; (a) %d idle connections; (b) one item per %d ms "
                "from each of 100 garbage senders (bench/README.md tells the rest)\n",
                o.weeks, o.stations, o.garbageMs);
    std::printf("%-23s %8s %6s %20s %8s  %s\n", "attack", "game ms", "x base",
                "order RTT p50/p95/max", "welcome", "what happened");
    const std::function<int()> taken = [] { return OnGui(Taken); };
    double base = -1;
    // The budget of each game leaves time for the checks (f) and (g) that follow.
    const int later = (o.attacks.find('f') != std::string::npos ? 34000 : 0) +
                      (o.attacks.find('g') != std::string::npos ? 5000 : 0) +
                      (o.attacks.find('i') != std::string::npos ? 40000 : 0);
    for (int s = 0; s < 7 && LeftMs() > 0; ++s) {
        if (s > 0 && o.attacks.find(letters[s - 1]) == std::string::npos) continue;
        const int port = OnGui([&] { return NewServer(o.weeks, true); });
        Crowd crowd;
        crowd.port = port;
        crowd.garbageMs = o.garbageMs;
        if (s == 1 || s == 6) crowd.idle = ConnectMany(port, o.stations, taken);
        for (int i = 0; (s == 2 || s == 6) && i < 100; ++i)
            crowd.garbage.push_back(ConnectTo(port));
        for (int i = 0; s == 6 && i < 10; ++i) {
            crowd.streamers.push_back(ConnectTo(port, 2000, 4096));
            SendAll(crowd.streamers.back(), "TC_PN:stream-" + std::to_string(i) + "\tTC_PT:Ft\t");
        }
        for (int i = 0; s == 3 && i < 10; ++i) {
            crowd.deaf.push_back(ConnectTo(port, 2000, 4096));
            SendAll(crowd.deaf.back(), "TC_PN:deaf-" + std::to_string(i) + "\tTC_PT:Ft\t");
        }
        crowd.chatFd = s == 4 ? ConnectTo(port) : -1;
        // Only a named station's messages reach the game master.
        if (crowd.chatFd >= 0) SendAll(crowd.chatFd, "TC_PN:chatter\tTC_PT:Ft\t");
        crowd.burstFd = s == 5 ? ConnectTo(port, 2000, 0, 1 << 16) : -1;
        crowd.began = Clock::now();
        crowd.thread = std::thread([&crowd] { crowd.Run(); });
        SleepMs(300); // the attack is under way before the players come
        double welcome = -2;
        auto probe = [&] {
            Peer p;
            welcome = Join(p, port, "probe", "UK", 10000);
            if (p.fd >= 0) close(p.fd);
        };
        auto eachWeek = [&](int w) {
            crowd.go = true;
            if (s == 5 && w == 2) crowd.fire = true, SleepMs(5), probe();
            if (s != 5 && w == 3) probe();
        };
        std::pair<int, int> held; // pause boxes, connections the window holds: players still there
        auto played = [&] {
            held = OnGui([] { return std::pair(gGui->dialogs.seen.pauses, Taken()); });
        };
        const GameRun run =
            Game(port, o.weeks, false, eachWeek,
                 In(std::min(20000, std::max(1000, LeftMs() - later) / (7 - s))), played);
        if (welcome == -2) probe();
        for (int i = 0; s == 4 && i < 300 && crowd.chatSent < 2000 && !crowd.chatOver; ++i)
            SleepMs(10);
        // The chat streamers are given 8 s from the start of the attack to be closed.
        for (const auto until = In(int(8000 - Ms(crowd.began))); s == 6 && Clock::now() < until;)
            SleepMs(50);
        crowd.Finish();
        const BenchDialogs::Counts seen = DropServer();
        base = s == 0 ? run.ms : base;
        auto n = [](long v) { return std::to_string(v); };
        std::string what = (run.failure.empty() ? "game finished" : run.failure) +
                           "; weeks played " + n(run.weeks) + "; pause boxes " + n(held.first) +
                           "; connections held " + n(held.second);
        if (s == 2)
            what += "; items sent " + n(crowd.garbageSent) + ", reconnects " + n(crowd.reconnects);
        if (s == 4)
            what += "; chats " + n(crowd.chatSent) + ", boxes " + n(seen.boxes) +
                    ", deepest nesting " + n(seen.deepest) + " (" + n(seen.stackKb) +
                    " KiB of stack)";
        if (s == 5) what += "; burst bytes sent in one call " + n(crowd.burstBytes);
        if (s == 6) {
            std::vector<double> closed;
            for (double ms : crowd.streamerClosed)
                if (ms >= 0) closed.push_back(ms / 1000);
            std::sort(closed.begin(), closed.end());
            what += "; chat streamers closed " + n(long(closed.size())) + " of " +
                    n(long(crowd.streamerClosed.size()));
            if (!closed.empty())
                what += " (after " + Fmt(closed.front()) + "-" + Fmt(closed.back()) + " s)";
        }
        if (!seen.other.empty()) what += "; other box: " + seen.other;
        const Figures r = Summarize(run.rtt);
        std::printf(
            "%-23s %8s %6s %20s %8s  %s\n", names[s], Fmt(run.ms).c_str(),
            Fmt(run.ms < 0 || base <= 0 ? -1 : run.ms / base, "%.2f").c_str(),
            (Fmt(r.p50, "%.2f") + "/" + Fmt(r.p95, "%.2f") + "/" + Fmt(r.max, "%.2f")).c_str(),
            welcome < 0 ? "none" : Fmt(welcome).c_str(), what.c_str());
        std::fflush(stdout);
    }
    for (bool wishes : {false, true})
        if (o.attacks.find('f') != std::string::npos && LeftMs() > 0) SlowPlayerCheck(wishes);
    if (o.attacks.find('g') != std::string::npos && LeftMs() > 0) ChatStreamCheck();
    for (int limit : {128, 1024})
        if (o.attacks.find('i') != std::string::npos && LeftMs() > 0) DescriptorCheck(limit);
    std::fflush(stdout);
}

bool Parse(int argc, char** argv, Options& o) {
    const std::tuple<const char*, int*, int, int> numbers[] = {
        {"--stations=", &o.stations, 1, 5000},   {"--weeks=", &o.weeks, 10, 99},
        {"--idle-weeks=", &o.idleWeeks, 10, 99}, {"--deadline=", &o.deadline, 5, 1800},
        {"--spin-ms=", &o.spinMs, 0, 100},       {"--garbage-ms=", &o.garbageMs, 1, 1000}};
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        bool known = a == "--load" && (o.load = true);
        for (auto [key, field, lo, hi] : numbers)
            if (a.rfind(key, 0) == 0)
                *field = std::clamp(std::atoi(a.c_str() + strlen(key)), lo, hi), known = true;
        for (auto [key, text] : {std::pair{"--measures=", &o.measures}, {"--attacks=", &o.attacks}})
            if (a.rfind(key, 0) == 0) *text = a.substr(strlen(key)), known = true;
        if (!known)
            return std::printf(
                       "usage: trov_bench [--load] [--measures=1234567] [--attacks=abcdefg] "
                       "[--stations=N] [--weeks=W] [--idle-weeks=W] [--garbage-ms=MS] "
                       "[--deadline=S] [--spin-ms=MS]\n"),
                   false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strncmp(argv[1], "--serve-limit=", 14) == 0) {
        gDeadline = Clock::now() + 150s;
        return Serve(std::clamp(std::atoi(argv[1] + 14), 32, 1 << 20));
    }
    Options o;
    if (!Parse(argc, argv, o)) return 2;
    if (o.deadline == 0) o.deadline = o.load ? 240 : 120;
    std::signal(SIGPIPE, SIG_IGN);
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) == 0)
        files.rlim_cur = files.rlim_max, setrlimit(RLIMIT_NOFILE, &files);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    gDeadline = Clock::now() + std::chrono::seconds(o.deadline);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
        if (gQtMessages++ == 0)
            std::fprintf(stderr, "Qt: %s (later ones counted)\n", qPrintable(text));
    });
    PreferPlainEventLoop(); // as the server program does
    TApplication app(argc, argv);
    Gui gui;
    UseGui(gui);
    gui.dialogs.spinMs = o.spinMs;
    std::thread([] { // the watchdog; a run that ends in time takes it down with main()
        std::this_thread::sleep_until(gDeadline + 20s);
        Fatal("watchdog: the run outlived its deadline");
    })
        .detach();
    std::thread stations([&] {
        if (o.load) LoadCheck(o);
        if (!o.load)
            std::printf("benchmark: %d stations, %d weeks, deadline %d s\n", o.stations, o.weeks,
                        o.deadline);
        auto any = [&](const char* m) {
            return !o.load && LeftMs() > 0 && o.measures.find_first_of(m) != std::string::npos;
        };
        if (any("134")) GameMeasures(o);
        if (any("267")) IdleMeasures(o);
        if (any("5")) AutoMeasure(o);
        if (LeftMs() == 0) std::printf("deadline reached: what was left was skipped\n");
        std::printf("Qt warnings (only the first shown): %ld\n", gQtMessages.load());
        std::fflush(stdout);
        OnGui([] { return gGui->form.reset(), true; });
        QMetaObject::invokeMethod(
            qApp, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
    });
    app.exec();
    stations.join();
    SetDialogs(nullptr);
    return 0;
}
