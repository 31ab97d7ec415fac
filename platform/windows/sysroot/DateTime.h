#pragma once
// The class library's date-time: days since 1899-12-30 in local time, the
// fraction being the time of day. File times convert to and from it rounded
// to the millisecond both ways, so a time set on a file reads back equal.
#include <cstdint>

namespace platform {

using TDateTime = double;

// Host time as milliseconds since 1970-01-01 UTC.
TDateTime UnixMsToDateTime(std::int64_t unixMs);
std::int64_t DateTimeToUnixMs(TDateTime dt);

TDateTime Now();

// Days for a calendar date and the fraction for a time of day (local).
TDateTime EncodeDateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                         int ms = 0);
struct DateTimeParts {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, ms = 0;
};
DateTimeParts DecodeDateTime(TDateTime dt);

// Finite and between the years 1 and 9999, as the class library accepts.
bool IsValidDateTime(TDateTime dt);

}  // namespace platform
