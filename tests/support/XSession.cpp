#include "support/XSession.h"

#include "support/TestApplication.h"

#include <QByteArray>
#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {
using Clock = std::chrono::steady_clock;
} // namespace

std::string FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        const std::string file = dirs.substr(start, end - start) + "/" + name;
        if (end > start && access(file.c_str(), X_OK) == 0) return file;
        start = end + 1;
    }
    return {};
}

pid_t Spawn(const std::string& program, const std::vector<std::string>& args,
            const std::vector<std::string>& env) {
    std::vector<std::string> environment;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        bool replaced = false;
        for (const std::string& own : env)
            replaced |= entry.compare(0, own.find('=') + 1, own, 0, own.find('=') + 1) == 0;
        if (!replaced) environment.push_back(entry);
    }
    environment.insert(environment.end(), env.begin(), env.end());
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& e : environment) envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

bool Exited(pid_t pid) {
    int status = 0;
    return waitpid(pid, &status, WNOHANG) == pid;
}

void End(pid_t pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (Clock::now() < deadline) {
        if (Exited(pid)) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// An X server with a window manager, for the life of the object.

std::string XSession::Start() {
    const std::string xvfb = FindProgram("Xvfb");
    const std::string openbox = FindProgram("openbox");
    if (xvfb.empty() || openbox.empty())
        return "Xvfb or openbox is not installed (scripts/setup.sh installs them)";
    if (!folder_.isValid()) return "no temporary folder";

    // The server picks a free display itself and writes its number into the pipe.
    int fds[2];
    if (pipe(fds) != 0) return "no pipe";
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    xvfb_ = Spawn(xvfb, {"-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x1024x24",
                         "-nolisten", "tcp"});
    close(fds[1]);
    std::string number;
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (xvfb_ > 0 && number.find('\n') == std::string::npos && Clock::now() < deadline) {
        pollfd p{fds[0], POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) continue;
        char c[16];
        const ssize_t n = read(fds[0], c, sizeof c);
        if (n <= 0) break;
        number.append(c, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    if (number.find('\n') == std::string::npos) return "Xvfb did not start";
    display_ = ":" + number.substr(0, number.find('\n'));

    // The window manager runs its start-up command once it manages the screen.
    const std::string ready = folder_.filePath("ready").toStdString();
    const std::string home = folder_.path().toStdString();
    wm_ = Spawn(openbox, {"--sm-disable", "--startup", "touch " + ready},
                {"DISPLAY=" + display_, "HOME=" + home, "XDG_CONFIG_HOME=" + home,
                 "XDG_CACHE_HOME=" + home, "XDG_DATA_HOME=" + home});
    const auto wmDeadline = Clock::now() + std::chrono::seconds(20);
    while (wm_ > 0 && !std::filesystem::exists(ready) && Clock::now() < wmDeadline) {
        if (Exited(wm_)) {
            wm_ = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!std::filesystem::exists(ready)) return "openbox did not start";
    return {};
}
XSession::~XSession() {
    End(wm_);
    End(xvfb_);
}

int RunTestsInXSession(int& argc, char** argv, std::string& skipReason) {
    std::optional<XSession> session;
    if (!::testing::GTEST_FLAG(list_tests)) {
        session.emplace();
        skipReason = session->Start();
        if (skipReason.empty()) {
            qputenv("DISPLAY", QByteArray::fromStdString(session->Display()));
            qputenv("QT_QPA_PLATFORM", "xcb");
        }
    }
    if (!skipReason.empty()) qputenv("QT_QPA_PLATFORM", "offscreen");
    return RunTestsInApplication(argc, argv);
}
