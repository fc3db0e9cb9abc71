// Money text and division (shared/Money.h) against the rules its header gives.
//
// Input: one byte choosing the part, then
//   0: a value (8 bytes) to format and read back;
//   1: a text to read;
//   2: a sum and a count (8 bytes each) to divide.
#include "fuzz/FuzzSupport.h"
#include "shared/Money.h"

#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace {

using Wide = __int128;

// MoneyFromText takes at most this many digits before the point (more could overflow), so a
// value of 10^14 units or more formats to a text that does not read back.
constexpr std::size_t kWholeDigits = 14;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A decimal text: an optional sign, digits, an optional point and digits, at least one digit
// in all. The value in ten-thousandths, with the count of whole digits; nothing for other
// texts and for more than four decimals.
struct TDecimal {
    Wide value = 0;
    std::size_t wholeDigits = 0;
};
std::optional<TDecimal> ReadDecimal(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    TDecimal d;
    std::size_t i = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        d.value = d.value * 10 + (text[i] - '0');
        if (d.value > Wide(1) << 100) return std::nullopt;
    }
    d.wholeDigits = i;
    std::size_t decimals = 0;
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && IsDigit(text[i]); ++i, ++decimals)
            if (decimals < 4) d.value = d.value * 10 + (text[i] - '0');
    }
    if (i != text.size() || decimals > 4 || d.wholeDigits + decimals == 0) return std::nullopt;
    for (std::size_t k = decimals; k < 4; ++k) d.value *= 10;
    if (negative) d.value = -d.value;
    return d;
}

// The text: "-" for a negative value, the whole units without leading zeros, and a point with
// one to four decimals, the last not 0, when there is a fraction; it reads back to the value
// below the digit limit.
void CheckFormat(TMoney value) {
    const std::string text = MoneyToText(value);
    std::string_view digits = text;
    if (value < 0) {
        FUZZ_CHECK(!digits.empty() && digits.front() == '-');
        digits.remove_prefix(1);
    }
    const std::size_t point = digits.find('.');
    const std::string_view whole = digits.substr(0, point);
    FUZZ_CHECK(!whole.empty() && (whole.size() == 1 || whole.front() != '0'));
    for (char c : whole) FUZZ_CHECK(IsDigit(c));
    if (point != std::string_view::npos) {
        const std::string_view fraction = digits.substr(point + 1);
        FUZZ_CHECK(!fraction.empty() && fraction.size() <= 4 && fraction.back() != '0');
        for (char c : fraction) FUZZ_CHECK(IsDigit(c));
    }
    const auto decimal = ReadDecimal(text);
    FUZZ_CHECK(decimal && decimal->value == value);

    TMoney back = 0;
    const bool read = MoneyFromText(text, back);
    if (decimal->wholeDigits <= kWholeDigits) FUZZ_CHECK(read && back == value);
}

// A text reads when it is a decimal text within the digit limit, to its value; anything else
// leaves the value alone.
void CheckRead(std::string_view text) {
    constexpr TMoney kUntouched = 0x5A5A5A5A5A5A5A5A;
    TMoney value = kUntouched;
    const bool read = MoneyFromText(text, value);
    const auto decimal = ReadDecimal(text);
    const bool readable = decimal && decimal->wholeDigits <= kWholeDigits;
    FUZZ_CHECK(read == readable);
    if (!read) {
        FUZZ_CHECK(value == kUntouched);
        return;
    }
    FUZZ_CHECK(value == decimal->value);
    CheckFormat(value);
}

// The quotient rounded to the nearest ten-thousandth, an exact half to the even last digit.
void CheckDivide(TMoney sum, std::int64_t count) {
    const TMoney q = MoneyDivide(sum, count);
    const Wide rest = Wide(sum) - Wide(q) * count;
    const Wide twice = 2 * (rest < 0 ? -rest : rest);
    FUZZ_CHECK(twice <= count);
    if (twice == count) FUZZ_CHECK(q % 2 == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::TInput in(data, size);
    switch (in.Byte() % 3) {
    case 0:
        CheckFormat(static_cast<TMoney>(in.U64()));
        break;
    case 1:
        CheckRead(in.Rest());
        break;
    default: {
        const auto sum = static_cast<TMoney>(in.U64());
        const std::uint64_t raw = in.U64();
        // A count above 0, as the header asks.
        const auto count =
            static_cast<std::int64_t>(raw % std::numeric_limits<std::int64_t>::max()) + 1;
        CheckDivide(sum, count);
        break;
    }
    }
    return 0;
}
