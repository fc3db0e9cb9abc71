#pragma once
// A seam of the sockets for tests only; the programs never include this.
#include <functional>
#include <string>

namespace platform {

// Looks up the host name of a dotted address without blocking and calls `done` with the name
// (empty when the address has none), from the event loop or at once. `done` may be called after
// the connection that asked has gone: it then does nothing.
using THostLookup =
    std::function<void(const std::string& address, std::function<void(std::string name)> done)>;
// Replaces the system's reverse lookup (tests stand in for a name server); an empty function
// restores it.
void SetHostLookup(THostLookup lookup);

} // namespace platform
