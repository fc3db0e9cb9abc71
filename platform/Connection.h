#pragma once
// What the game and the text sender need of a connection: send bytes, and whether it is
// still connected. The socket layer implements it for TCP; tests record what is sent.
#include <string>

namespace platform {

class TConnection {
public:
    virtual ~TConnection() = default;
    // Hands the bytes to the transport in one send call. Sends nothing when the connection
    // is not connected; a transport error goes through the connection's error path and may
    // raise to the caller.
    virtual void SendText(const std::string& bytes) = 0;
    virtual bool Connected() const = 0;
};

} // namespace platform
