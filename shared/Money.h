#pragma once
// Money: a signed 64-bit count of ten-thousandths (four fixed decimals).
#include <cstdint>
#include <string>
#include <string_view>

using TMoney = std::int64_t;

constexpr TMoney kMoneyOne = 10000;

constexpr TMoney MoneyFromUnits(std::int64_t units) {
    return units * kMoneyOne;
}

// `sum` divided by `count` (> 0), rounded to the nearest ten-thousandth; an exact half goes
// to the even last digit.
TMoney MoneyDivide(TMoney sum, std::int64_t count);

// Decimal text with the decimals it needs, at most four, no trailing zeros, no separator
// when whole: 29 -> "29", 0.5 -> "0.5", 12.3333 -> "12.3333", -1.25 -> "-1.25".
std::string MoneyToText(TMoney value);

// Reads a decimal money text ("36", "18.5", "-0.25"; at most 14 digits before the point,
// far more than any game reaches, and at most four after it). Returns false, leaving
// `value` alone, for anything else.
[[nodiscard]] bool MoneyFromText(std::string_view text, TMoney& value);
