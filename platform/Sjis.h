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

// Conversions between UTF-8 (the source code's literals) and Shift-JIS bytes, for the
// code that has no widgets. Same replacement rules as FromSjis/ToSjis.
std::string Utf8ToSjis(std::string_view utf8);
std::string SjisToUtf8(std::string_view sjis);

} // namespace platform
