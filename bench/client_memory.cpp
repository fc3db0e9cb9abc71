// The client window against a hostile server: a server on a thread of its own streams bytes to
// the real client window (`TTrovGameClientForm`, connected by ticking Connect) as fast as the
// window takes them, for a while; the program prints the window's peak memory, how long its
// event loop was held at most, and whether and when it closed the connection.
//
//     trov_client_memory --stream=tabless|messages [--seconds=20]
//
// "tabless": bytes without a TAB; "messages": complete short messages ("TS_Jn:Ft:T" and
// "TS_Jn:Ft:F" in turn). Run by hand (bench/run.sh --client), never by CTest.
#include "client/TC_Main.h"
#include "platform/Application.h"
#include "platform/BeepTestHooks.h"
#include "platform/Dialogs.h"
#include "platform/Sockets.h"
#include "platform/SpinEdit.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <netinet/in.h>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace platform;
using Clock = std::chrono::steady_clock;

namespace {

// A field of /proc/self/status in KiB.
long StatusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::strlen(field)));
    return -1;
}

// Every box is answered at once.
class AnswerAll : public TDialogs {
public:
    std::atomic<int> boxes{0};
    TModalResult MessageBox(const std::string&, const std::string&, TBoxButtons) override {
        return ++boxes, mrOk;
    }
    TModalResult MessageDlg(const std::string&, TMsgDlgType, TMsgDlgButtons b) override {
        return ++boxes, (b & mbOK) ? mrOk : mrYes;
    }
    bool ExecuteOpen(TFileDialog&) override { return false; }
    bool ExecuteSave(TFileDialog&) override { return false; }
    bool ExecuteFont(QFont&, TColor&) override { return false; }
};

// The hostile server: listens on a free port of 127.0.0.1, takes one connection and sends the
// pattern over and over until the time is up or the client has closed.
struct Streamer {
    int listenFd = -1, port = 0;
    std::atomic<long long> sent{0};
    std::atomic<long long> closedAtMs{-1};

    bool Listen() {
        listenFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t n = sizeof a;
        if (listenFd < 0 || bind(listenFd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
            listen(listenFd, 1) != 0 ||
            getsockname(listenFd, reinterpret_cast<sockaddr*>(&a), &n) != 0)
            return false;
        port = ntohs(a.sin_port);
        return true;
    }

    void Run(const std::string& pattern, Clock::time_point until) {
        const timeval wait{0, 100 * 1000};
        setsockopt(listenFd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        int fd = -1;
        while (fd < 0 && Clock::now() < until) fd = accept(listenFd, nullptr, nullptr);
        if (fd < 0) return;
        setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
        const Clock::time_point start = Clock::now();
        std::string block;
        while (block.size() < 64 * 1024) block += pattern;
        while (Clock::now() < until) {
            const ssize_t n = send(fd, block.data(), block.size(), MSG_NOSIGNAL);
            if (n > 0) {
                sent += n;
            } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
                continue;
            } else {
                closedAtMs =
                    std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start)
                        .count();
                break;
            }
        }
        close(fd);
    }
};

} // namespace

int main(int argc, char** argv) {
    std::string stream = "tabless";
    int seconds = 20;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--stream=", 0) == 0) stream = a.substr(9);
        if (a.rfind("--seconds=", 0) == 0)
            seconds = std::max(1, std::min(120, std::stoi(a.substr(10))));
    }
    if (stream != "tabless" && stream != "messages") {
        std::fprintf(stderr, "usage: %s --stream=tabless|messages [--seconds=20]\n", argv[0]);
        return 2;
    }
    // A client that holds what it is sent is stopped at 8 GiB rather than the machine's memory.
    const rlimit space{rlim_t(8) << 30, rlim_t(8) << 30};
    setrlimit(RLIMIT_AS, &space);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    TApplication app(argc, argv);
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
    AnswerAll dialogs;
    SetDialogs(&dialogs);
    SetBeepHandler([] {});

    Streamer server;
    if (!server.Listen()) {
        std::printf("stopped: cannot listen\n");
        return 3;
    }
    auto form =
        std::make_unique<TTrovGameClientForm>(nullptr, dir.path().toStdString() + "/TrovGClt");
    const long hwmBefore = StatusKb("VmHWM:");
    const Clock::time_point until = Clock::now() + std::chrono::seconds(seconds);
    const std::string pattern =
        stream == "tabless" ? std::string("x") : std::string("TS_Jn:Ft:T\tTS_Jn:Ft:F\t");
    std::thread streamer([&] { server.Run(pattern, until); });
    std::thread([until] { // the watchdog: a window that never comes back is not waited for
        std::this_thread::sleep_until(until + std::chrono::seconds(60));
        std::printf("stopped: the window did not come back within 60 s of the stream's end "
                    "(VmHWM %ld KiB)\n",
                    StatusKb("VmHWM:"));
        std::fflush(stdout);
        std::_Exit(3);
    })
        .detach();

    form->Edit_Server->setText("127.0.0.1");
    form->SpinEdit_Port->SetText(std::to_string(server.port));
    form->CheckBox_Connect->setChecked(true);

    // How long the event loop is held at most: the largest gap between ticks of a 10 ms timer.
    // Apart: while the connection stands, and after the client has closed it.
    QElapsedTimer sinceTick;
    sinceTick.start();
    qint64 longestGap = 0, longestGapAfter = 0;
    long long closedAtMs = -1;
    const Clock::time_point start = Clock::now();
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 gap = sinceTick.restart();
        qint64& longest = closedAtMs < 0 ? longestGap : longestGapAfter;
        longest = std::max(longest, gap);
        // Streaming has begun and the client socket is no longer open.
        if (server.sent > 0 && !form->ClientSocket->Active() && closedAtMs < 0 &&
            Clock::now() < until)
            closedAtMs =
                std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        if (Clock::now() >= until + std::chrono::milliseconds(200)) QCoreApplication::quit();
    });
    tick.start(10);
    app.exec();
    streamer.join();

    const long hwmAfter = StatusKb("VmHWM:");
    std::printf("stream %s, %d s: the server sent %.1f MiB; the client %s\n", stream.c_str(),
                seconds, double(server.sent) / (1 << 20),
                closedAtMs < 0 ? "kept the connection"
                               : ("closed the connection after " + std::to_string(closedAtMs) +
                                  " ms (the server's sends failed after " +
                                  std::to_string(server.closedAtMs) + " ms)")
                                     .c_str());
    std::printf("  peak memory (VmHWM) %.1f MiB (%.1f MiB before connecting); event loop held "
                "at most %lld ms (%lld ms after the close); state %d, boxes %d\n",
                double(hwmAfter) / 1024, double(hwmBefore) / 1024,
                static_cast<long long>(longestGap), static_cast<long long>(longestGapAfter),
                static_cast<int>(form->FState), dialogs.boxes.load());
    form.reset();
    SetDialogs(nullptr);
    return 0;
}
