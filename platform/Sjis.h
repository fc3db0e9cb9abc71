#pragma once
// Shift-JIS (code page 932) byte rules. Every text of the programs is held as Shift-JIS
// bytes in a std::string; these helpers know where its double-byte characters begin.
#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// True when b can open a double-byte character (0x81-0x9F, 0xE0-0xFC).
constexpr bool IsSjisLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// True when byte `index` of `s` is the first byte of a double-byte character, judged by
// walking the text from its start (so a trail byte in the lead-byte range does not count).
bool IsLeadByteAt(std::string_view s, std::size_t index);

// Equality without regard to the case of single-byte letters; double-byte characters must
// match exactly (a trail byte may look like an ASCII letter).
bool SameText(std::string_view a, std::string_view b);

// Shift-JIS bytes of UTF-8 text (the source code's literals), for the code that has no
// widgets; the same replacement rule as ToSjis.
std::string Utf8ToSjis(std::string_view utf8);

} // namespace platform
