#pragma once
// Ports for tests that no other program can take meanwhile: a port picked, let go and used
// later could have been taken in between.
#include "platform/SpinEdit.h"
#include "server/TS_Main.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// Sets the server window's port edit to 0, which the settings' well-known-port option lets it
// hold: once started, the server listens on a port the system chooses (its ServerSocket's
// LocalPort).
inline void UseAnyFreePort(TTrovGameServerForm& form) {
    form.SpinEdit_Port->SetMinValue(0);
    form.SpinEdit_Port->SetValue(0);
}

// A port on 127.0.0.1 that is held, bound but never listened on, while the object lives: a
// connection to it is refused.
class ClosedPort {
public:
    ClosedPort() : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof at;
        auto* address = reinterpret_cast<sockaddr*>(&at);
        if (fd_ >= 0 && ::bind(fd_, address, sizeof at) == 0 &&
            ::getsockname(fd_, address, &size) == 0)
            port_ = ntohs(at.sin_port);
    }
    ~ClosedPort() {
        if (fd_ >= 0) ::close(fd_);
    }
    ClosedPort(const ClosedPort&) = delete;
    ClosedPort& operator=(const ClosedPort&) = delete;
    // 0 when no port could be bound.
    int Port() const { return port_; }

private:
    int fd_;
    int port_ = 0;
};
