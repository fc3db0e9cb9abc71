#include "shared/Money.h"

TMoney MoneyDivide(TMoney sum, std::int64_t count) {
    if (count <= 0) return 0;
    TMoney q = sum / count;
    TMoney r = sum % count; // same sign as sum
    // Compare twice the remainder's size with the divisor, without overflow.
    TMoney ar = r < 0 ? -r : r;
    bool negative = sum < 0;
    if (ar > count - ar || (ar == count - ar && ar != 0 && (q % 2 != 0))) q += negative ? -1 : 1;
    return q;
}

std::string MoneyToText(TMoney value) {
    bool negative = value < 0;
    // Work on the unsigned size so that the smallest value does not overflow.
    std::uint64_t size =
        negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    std::string text = (negative ? "-" : "") + std::to_string(size / kMoneyOne);
    std::uint64_t fraction = size % kMoneyOne;
    if (fraction != 0) {
        std::string digits = std::to_string(fraction + kMoneyOne).substr(1); // four digits
        while (digits.back() == '0') digits.pop_back();
        text += "." + digits;
    }
    return text;
}

bool MoneyFromText(std::string_view text, TMoney& value) {
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    std::size_t dot = text.find('.');
    std::string_view whole = text.substr(0, dot);
    std::string_view fraction = dot == std::string_view::npos ? "" : text.substr(dot + 1);
    if (whole.empty() && fraction.empty()) return false;
    if (fraction.size() > 4 || whole.size() > 14) return false;
    TMoney result = 0;
    for (char c : whole) {
        if (c < '0' || c > '9') return false;
        result = result * 10 + (c - '0');
    }
    TMoney scale = kMoneyOne;
    for (char c : fraction) {
        if (c < '0' || c > '9') return false;
        scale /= 10;
        result = result * 10 + (c - '0');
    }
    result *= scale;
    value = negative ? -result : result;
    return true;
}
