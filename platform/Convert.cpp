#include "platform/Convert.h"

#include "platform/Sjis.h"

namespace platform {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::int32_t> ReadInteger(std::string_view text, bool hexAllowed) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

    bool hex = false;
    if (hexAllowed && i < text.size() && text[i] == '$') {
        hex = true;
        ++i;
    } else if (hexAllowed && i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i == text.size()) return std::nullopt;

    if (hex) {
        const std::optional<std::uint32_t> bits = ReadHexDigits(text.substr(i));
        if (!bits) return std::nullopt;
        return static_cast<std::int32_t>(negative ? 0u - *bits : *bits);
    }
    // Accumulate in 64 bits; the limit below keeps it far from overflow.
    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + static_cast<unsigned>(text[i] - '0');
        if (value > 0x80000000u) return std::nullopt;
    }
    if (negative) return static_cast<std::int32_t>(-static_cast<std::int64_t>(value));
    if (value > 0x7FFFFFFFu) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

} // namespace

std::optional<std::uint32_t> ReadHexDigits(std::string_view digits) {
    if (digits.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : digits) {
        const int d = HexDigit(c);
        if (d < 0) return std::nullopt;
        value = value * 16 + static_cast<unsigned>(d);
        if (value > 0xFFFFFFFFu) return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

ConvertError::ConvertError(std::string_view text)
    : std::runtime_error("'" + std::string(text) + Utf8ToSjis("' は整数ではありません")) {}

std::optional<std::int32_t> TryStrToInt(std::string_view text) {
    return ReadInteger(text, true);
}

std::optional<std::int32_t> TryDecimalToInt(std::string_view text) {
    return ReadInteger(text, false);
}

std::int32_t StrToIntDef(std::string_view text, std::int32_t def) {
    return TryStrToInt(text).value_or(def);
}

std::int32_t StrToInt(std::string_view text) {
    if (auto value = TryStrToInt(text)) return *value;
    throw ConvertError(text);
}

} // namespace platform
