#include "platform/DateTime.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace platform {

namespace {
// Days from 1899-12-30 to 1970-01-01.
constexpr double kUnixEpochDays = 25569.0;
} // namespace

double Now() {
    using namespace std::chrono;
    auto now = system_clock::now();
    std::time_t secs = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&secs, &local);
    // Shift by the local offset so that the fraction is the local time of day.
    double ms = static_cast<double>(duration_cast<milliseconds>(now.time_since_epoch()).count());
    return kUnixEpochDays + (ms / 1000.0 + static_cast<double>(local.tm_gmtoff)) / 86400.0;
}

TDateParts DecodeDateTime(double dateTime) {
    double days = std::floor(dateTime);
    // Whole seconds elapsed: the time of day is taken to the millisecond (a double holds no
    // more), then cut, so a time never shows a second that has not begun.
    long long ms = std::llround((dateTime - days) * 86400000.0);
    if (ms >= 86400000) {
        days += 1;
        ms -= 86400000;
    }
    const long long secs = ms / 1000;
    std::time_t t = static_cast<std::time_t>((days - kUnixEpochDays) * 86400.0);
    std::tm utc{};
    gmtime_r(&t, &utc);
    return {utc.tm_year + 1900,
            utc.tm_mon + 1,
            utc.tm_mday,
            static_cast<int>(secs / 3600),
            static_cast<int>(secs / 60 % 60),
            static_cast<int>(secs % 60)};
}

} // namespace platform

namespace platform {

std::string FormatDateTime(std::string_view pattern, double dateTime) {
    TDateParts d = DecodeDateTime(dateTime);
    struct Token {
        std::string_view name;
        int value;
        int width;
    };
    const Token tokens[] = {{"yyyy", d.Year, 4}, {"mm", d.Month, 2},  {"dd", d.Day, 2},
                            {"hh", d.Hour, 2},   {"nn", d.Minute, 2}, {"ss", d.Second, 2}};
    std::string out;
    for (std::size_t i = 0; i < pattern.size();) {
        bool matched = false;
        for (const Token& t : tokens) {
            if (pattern.substr(i, t.name.size()) == t.name) {
                std::string digits = std::to_string(t.value);
                if (static_cast<int>(digits.size()) < t.width)
                    digits.insert(0, static_cast<std::size_t>(t.width) - digits.size(), '0');
                out += digits;
                i += t.name.size();
                matched = true;
                break;
            }
        }
        if (!matched) out += pattern[i++];
    }
    return out;
}

} // namespace platform
