#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>

#include "platform/windows/sysroot/DateTime.h"

using namespace platform;

TEST(DateTime, DayCountCalendar) {
    EXPECT_EQ(EncodeDateTime(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDateTime(1900, 1, 1), 2.0);
    EXPECT_EQ(EncodeDateTime(2000, 1, 1, 12), 36526.5);
    EXPECT_EQ(EncodeDateTime(1899, 12, 29, 6), -1.25);  // whole days back, the time of day forward
    auto p = DecodeDateTime(-1.25);
    EXPECT_EQ(p.year * 10000 + p.month * 100 + p.day, 18991229);
    EXPECT_EQ(p.hour, 6);
    p = DecodeDateTime(EncodeDateTime(2026, 2, 28, 23, 59, 58, 999));
    EXPECT_EQ(p.year * 10000 + p.month * 100 + p.day, 20260228);
    EXPECT_EQ(p.hour * 10000 + p.minute * 100 + p.second, 235958);
    EXPECT_EQ(p.ms, 999);
    EXPECT_TRUE(IsValidDateTime(0));
    EXPECT_FALSE(IsValidDateTime(NAN));
    EXPECT_FALSE(IsValidDateTime(INFINITY));
    EXPECT_FALSE(IsValidDateTime(1e12));
    EXPECT_FALSE(IsValidDateTime(-700000));
}

TEST(DateTime, HostTimeRoundTripsToTheMillisecondInLocalTime) {
    const char* old = std::getenv("TZ");
    std::string saved = old ? old : "";
    ::setenv("TZ", "Europe/Berlin", 1);
    ::tzset();
    // 2001-07-01 12:00:00.250 UTC is 14:00:00.250 summer time in Berlin.
    std::int64_t ms = 994'161'600'250;
    TDateTime dt = UnixMsToDateTime(ms);
    auto p = DecodeDateTime(dt);
    EXPECT_EQ(p.hour * 10000 + p.minute * 100 + p.second, 140000);
    EXPECT_EQ(p.ms, 250);
    EXPECT_EQ(DateTimeToUnixMs(dt), ms);
    for (std::int64_t t : {0LL, 1LL, 999LL, 1'700'000'000'123LL, -86'400'001LL})
        EXPECT_EQ(DateTimeToUnixMs(UnixMsToDateTime(t)), t) << t;
    TDateTime winter = EncodeDateTime(2020, 1, 15, 8, 30, 0, 5);
    EXPECT_EQ(UnixMsToDateTime(DateTimeToUnixMs(winter)), winter);
    if (old)
        ::setenv("TZ", saved.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
}

TEST(DateTime, LocalTimesAroundSummerTimeChanges) {
    const char* old = std::getenv("TZ");
    std::string saved = old ? old : "";
    ::setenv("TZ", "Europe/Berlin", 1);
    ::tzset();
    // Every quarter hour over the two changes of 2021 comes back; in the hour
    // that autumn repeats, either instant of that wall time will do.
    for (std::int64_t start : {1'616'803'200'000LL /* 2021-03-27 UTC */, 1'635'552'000'000LL /* 2021-10-30 UTC */})
        for (std::int64_t t = start; t < start + 3 * 86'400'000LL; t += 900'000) {
            TDateTime wall = UnixMsToDateTime(t);
            std::int64_t back = DateTimeToUnixMs(wall);
            if (back != t) {
                EXPECT_EQ(UnixMsToDateTime(back), wall) << t;
                EXPECT_EQ(std::llabs(back - t), 3'600'000LL) << t;
            }
        }
    // 02:30 on 28 March 2021 never happened there: one of its two readings.
    std::int64_t skipped = DateTimeToUnixMs(EncodeDateTime(2021, 3, 28, 2, 30));
    EXPECT_TRUE(skipped == 1'616'895'000'000LL || skipped == 1'616'891'400'000LL) << skipped;
    if (old)
        ::setenv("TZ", saved.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
}
