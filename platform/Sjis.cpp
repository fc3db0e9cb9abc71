#include "platform/Sjis.h"

namespace platform {

bool IsLeadByteAt(std::string_view s, std::size_t index) {
    if (index >= s.size()) return false;
    std::size_t i = 0;
    while (i < index) i += IsSjisLeadByte(static_cast<unsigned char>(s[i])) ? 2 : 1;
    return i == index && IsSjisLeadByte(static_cast<unsigned char>(s[index]));
}

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (IsSjisLeadByte(x)) {
            // Both bytes of a double-byte character as they are.
            if (x != y) return false;
            if (i + 1 < a.size()) {
                if (a[i + 1] != b[i + 1]) return false;
                ++i;
            }
            continue;
        }
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

} // namespace platform
