#include "platform/Sjis.h"

namespace platform {

bool IsLeadByteAt(std::string_view s, std::size_t index) {
    if (index >= s.size()) return false;
    std::size_t i = 0;
    while (i < index) i += IsSjisLeadByte(static_cast<unsigned char>(s[i])) ? 2 : 1;
    return i == index && IsSjisLeadByte(static_cast<unsigned char>(s[index]));
}

} // namespace platform
