#pragma once
// Integer text in the settings' notation: decimal with an optional sign, or hexadecimal after
// "$" or "0x" (either case of the x). Hexadecimal takes up to eight digits and stands for the
// 32 bits as they are ("$FFFFFFFF" is -1), so colour values with the top bit set read back.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform {

// A text that should have been a number and is not. The message is Shift-JIS:
// "'<text>' は整数ではありません".
class ConvertError : public std::runtime_error {
public:
    explicit ConvertError(std::string_view text);
};

// Hexadecimal digits of either case (no sign or prefix) as 32 bits; nothing for anything else
// (empty, other characters, more than 32 bits).
[[nodiscard]] std::optional<std::uint32_t> ReadHexDigits(std::string_view digits);
// The value, or nothing when the text is no integer (empty, stray characters, out of range).
[[nodiscard]] std::optional<std::int32_t> TryStrToInt(std::string_view text);
// The same for decimal text only (an optional sign and digits), as typed into a table's cell.
[[nodiscard]] std::optional<std::int32_t> TryDecimalToInt(std::string_view text);
// The value, or `def` when the text is no integer.
std::int32_t StrToIntDef(std::string_view text, std::int32_t def);
// The value; raises ConvertError naming the text when it is no integer.
std::int32_t StrToInt(std::string_view text);

} // namespace platform
