#pragma once
// The texts both programs show for a socket error, by its kind.
#include "platform/Sockets.h"

// Empty for a failed name lookup, which each program words itself.
const char* SocketErrorText(platform::TErrorEvent kind);
