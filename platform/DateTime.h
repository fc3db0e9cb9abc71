#pragma once
// Dates as the programs store them: days since 1899-12-30 00:00 local time, the fraction
// being the time of day.
#include <string>

namespace platform {

double Now();

struct TDateParts {
    int Year, Month, Day, Hour, Minute, Second;
};
TDateParts DecodeDateTime(double dateTime);

} // namespace platform
