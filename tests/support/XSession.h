#pragma once
// A real X server (Xvfb, on a display it picks itself) with a window manager (openbox), for the
// test programs that look at windows as people see them, and the helpers that start and end
// the programs around them.
#include <QTemporaryDir>
#include <string>
#include <sys/types.h>
#include <vector>

// The path of a program found on PATH, empty when there is none.
std::string FindProgram(const std::string& name);

// A process started with its output dropped; `env` entries ("NAME=value") replace or add to the
// environment. -1 when it could not be started.
pid_t Spawn(const std::string& program, const std::vector<std::string>& args,
            const std::vector<std::string>& env = {});
// Whether a process started here has ended (it is reaped).
bool Exited(pid_t pid);
// Ends a process started here: asked first, forced after a while.
void End(pid_t pid);

// An X server with a window manager, for the life of the object.
class XSession {
public:
    // Empty when the session runs; else why it could not be started.
    std::string Start();
    ~XSession();
    const std::string& Display() const { return display_; }

private:
    QTemporaryDir folder_;
    pid_t xvfb_ = -1;
    pid_t wm_ = -1;
    std::string display_;
};

// Runs the test cases (after ::testing::InitGoogleTest) in an X session of their own, as
// RunTestsInApplication does. Without a session the application runs offscreen and
// `skipReason` says why, for the cases to skip.
int RunTestsInXSession(int& argc, char** argv, std::string& skipReason);
