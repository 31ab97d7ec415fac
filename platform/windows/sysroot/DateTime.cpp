#include "platform/windows/sysroot/DateTime.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace platform {

namespace {

constexpr std::int64_t kMsPerDay = 86400000;
// Days from 0001-01-01 (proleptic Gregorian) to 1899-12-30 and to 1970-01-01.
constexpr std::int64_t kMinDay = -693593;  // 0001-01-01
constexpr std::int64_t kMaxDay = 2958465;  // 9999-12-31

// Days since 1970-01-01 of a civil date (Howard Hinnant's algorithm).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t yy = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yy + (m <= 2));
}

const std::int64_t kEpochShift = -daysFromCivil(1899, 12, 30);  // days from 1899-12-30 to 1970-01-01

// Local wall-clock milliseconds counted as if they were UTC, and back.
std::int64_t msSinceDayZero(TDateTime dt) {
    // Negative dates count whole days backwards while the fraction still runs forward.
    double days = std::trunc(dt);
    double frac = std::fabs(dt - days);
    std::int64_t ms = static_cast<std::int64_t>(std::llround(frac * kMsPerDay));
    return static_cast<std::int64_t>(days) * kMsPerDay + ms;
}

TDateTime fromMsSinceDayZero(std::int64_t ms) {
    std::int64_t days = ms >= 0 ? ms / kMsPerDay : -((-ms + kMsPerDay - 1) / kMsPerDay);
    std::int64_t rest = ms - days * kMsPerDay;
    if (days < 0 && rest > 0) {
        // -1.25 is 1899-12-29 06:00: whole days count backwards, the time of day forwards.
        return static_cast<double>(days) - static_cast<double>(rest) / kMsPerDay;
    }
    return static_cast<double>(days) + static_cast<double>(rest) / kMsPerDay;
}

// Seconds the local zone is ahead of UTC at an instant.
std::int64_t utcOffset(std::int64_t unixSeconds) {
    std::time_t t = static_cast<std::time_t>(unixSeconds);
    std::tm tm{};
    if (!localtime_r(&t, &tm)) return 0;
    return tm.tm_gmtoff;
}

}  // namespace

TDateTime UnixMsToDateTime(std::int64_t unixMs) {
    std::int64_t secs = unixMs >= 0 ? unixMs / 1000 : -((-unixMs + 999) / 1000);
    std::int64_t ms = unixMs - secs * 1000;
    std::time_t t = static_cast<std::time_t>(secs);
    std::tm tm{};
    localtime_r(&t, &tm);
    std::int64_t days = daysFromCivil(tm.tm_year + 1900, static_cast<unsigned>(tm.tm_mon + 1),
                                      static_cast<unsigned>(tm.tm_mday)) + kEpochShift;
    std::int64_t dayMs = ((tm.tm_hour * 60 + tm.tm_min) * 60 + tm.tm_sec) * 1000LL + ms;
    return fromMsSinceDayZero(days * kMsPerDay + dayMs);
}

std::int64_t DateTimeToUnixMs(TDateTime dt) {
    std::int64_t total = msSinceDayZero(dt);
    std::int64_t days = total >= 0 ? total / kMsPerDay : -((-total + kMsPerDay - 1) / kMsPerDay);
    std::int64_t dayMs = total - days * kMsPerDay;
    // Local wall-clock seconds counted as if they were UTC, moved by the zone's
    // offset at that instant. localtime_r reads the zone once per process,
    // where mktime re-reads it on every call.
    std::int64_t local = (days - kEpochShift) * 86400 + dayMs / 1000;
    std::int64_t t = local - utcOffset(local);
    std::int64_t second = local - utcOffset(t);
    // Near a change of offset the first guess may use the wrong side; a wall
    // time that falls in a skipped hour keeps the second guess.
    if (second != t && local - utcOffset(second) == second) t = second;
    return t * 1000 + dayMs % 1000;
}

TDateTime Now() {
    auto now = std::chrono::system_clock::now();
    return UnixMsToDateTime(
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count());
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int ms) {
    std::int64_t days = daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) + kEpochShift;
    std::int64_t dayMs = ((hour * 60LL + minute) * 60 + second) * 1000 + ms;
    return fromMsSinceDayZero(days * kMsPerDay + dayMs);
}

DateTimeParts DecodeDateTime(TDateTime dt) {
    std::int64_t total = msSinceDayZero(dt);
    std::int64_t days = total >= 0 ? total / kMsPerDay : -((-total + kMsPerDay - 1) / kMsPerDay);
    std::int64_t dayMs = total - days * kMsPerDay;
    DateTimeParts p;
    civilFromDays(days - kEpochShift, p.year, p.month, p.day);
    p.hour = static_cast<int>(dayMs / 3600000);
    p.minute = static_cast<int>(dayMs / 60000 % 60);
    p.second = static_cast<int>(dayMs / 1000 % 60);
    p.ms = static_cast<int>(dayMs % 1000);
    return p;
}

bool IsValidDateTime(TDateTime dt) {
    return std::isfinite(dt) && dt >= static_cast<double>(kMinDay) && dt < static_cast<double>(kMaxDay + 1);
}

}  // namespace platform
