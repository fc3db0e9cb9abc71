#include "shared/SocketErrorText.h"

#include <iterator>

const char* SocketErrorText(platform::TErrorEvent kind) {
    // In the order of the kinds, eeGeneral to eeLookup.
    static const char* const kTexts[] = {
        "Socket Error",
        "Socket writing error",
        "Socket reading error",
        "Could not connect to the server",
        "Socket disconnection error",
        "Waiting error",
        "",
    };
    static_assert(std::size(kTexts) == platform::eeLookup + 1);
    const auto index = static_cast<std::size_t>(kind);
    return index < std::size(kTexts) ? kTexts[index] : "";
}
