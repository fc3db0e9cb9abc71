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
    // Sends a message that tells the current value of something named by `key`, a later one
    // under the same key superseding it. A transport may leave out a copy equal to the last
    // one under that key when that one has not gone out yet and nothing but such messages was
    // queued after it: the peer ends in the same state, in the same order of changes.
    virtual void SendStatus(const std::string& key, const std::string& bytes) {
        (void)key;
        SendText(bytes);
    }
    virtual bool Connected() const = 0;
};

} // namespace platform
