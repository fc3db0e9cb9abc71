#pragma once
// Dates as the programs store them: days since 1899-12-30 00:00 local time, the fraction
// being the time of day.
#include <string>
#include <string_view>

namespace platform {

double Now();

struct TDateParts {
    int Year, Month, Day, Hour, Minute, Second;
};
TDateParts DecodeDateTime(double dateTime);

} // namespace platform

namespace platform {

// Writes a date-time by a pattern: "yyyy" year, "mm" month, "dd" day, "hh" hour (00-23),
// "nn" minutes, "ss" seconds, each with leading zeros; every other character as it is.
std::string FormatDateTime(std::string_view pattern, double dateTime);

} // namespace platform
