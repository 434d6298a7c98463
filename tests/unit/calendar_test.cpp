#include "config/calendar.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace lanternbook {
namespace {

SystemTime at(uint16_t year, uint16_t month, uint16_t day, uint16_t hour = 0, uint16_t minute = 0,
              uint16_t second = 0, uint16_t milliseconds = 0) {
    SystemTime time;
    time.year = year;
    time.month = month;
    time.day = day;
    time.hour = hour;
    time.minute = minute;
    time.second = second;
    time.milliseconds = milliseconds;
    return time;
}

constexpr int64_t kUnitsPerDay = 864000000000;

TEST(Calendar, KnownFileTimes) {
    struct Case {
        SystemTime time;
        int64_t file_time;
        uint16_t day_of_week;
    };
    const Case cases[] = {
        {at(1601, 1, 1), 0, 1},
        {at(1970, 1, 1), kUnixEpochFileTime, 4},
        {at(2015, 3, 10), kUnixEpochFileTime + 1425945600LL * kFileTimeUnitsPerSecond, 2},
        {at(2000, 2, 29), kUnixEpochFileTime + 951782400LL * kFileTimeUnitsPerSecond, 2},
        {at(2026, 12, 7, 10, 30, 0), kUnixEpochFileTime + 1796639400LL * kFileTimeUnitsPerSecond,
         1},
        {at(2026, 12, 7, 10, 30, 5, 250),
         kUnixEpochFileTime + 1796639405LL * kFileTimeUnitsPerSecond + 2500000, 1},
        {at(1601, 1, 1, 23, 59, 59, 999), kUnitsPerDay - 10000, 1},
        {at(30827, 12, 31, 23, 59, 59, 999), 0x7FFF35F4F06C58F0, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << c.time.year << "-" << c.time.month << "-" << c.time.day);
        int64_t file_time = -1;
        ASSERT_TRUE(system_time_to_file_time(c.time, file_time));
        EXPECT_EQ(file_time, c.file_time);

        SystemTime back;
        ASSERT_TRUE(file_time_to_system_time(c.file_time, back));
        EXPECT_EQ(back.year, c.time.year);
        EXPECT_EQ(back.month, c.time.month);
        EXPECT_EQ(back.day, c.time.day);
        EXPECT_EQ(back.hour, c.time.hour);
        EXPECT_EQ(back.minute, c.time.minute);
        EXPECT_EQ(back.second, c.time.second);
        EXPECT_EQ(back.milliseconds, c.time.milliseconds);
        EXPECT_EQ(back.day_of_week, c.day_of_week);
    }
}

TEST(Calendar, WeekdayIsIgnoredOnTheWayIn) {
    SystemTime wrong_weekday = at(2015, 3, 10);
    wrong_weekday.day_of_week = 6;
    int64_t with_wrong = 0;
    int64_t with_right = 1;
    ASSERT_TRUE(system_time_to_file_time(wrong_weekday, with_wrong));
    ASSERT_TRUE(system_time_to_file_time(at(2015, 3, 10), with_right));
    EXPECT_EQ(with_wrong, with_right);
}

TEST(Calendar, RefusesWhatThePlatformRefuses) {
    const SystemTime refused[] = {
        at(1600, 12, 31),
        at(30828, 1, 1),
        at(2015, 0, 10),
        at(2015, 13, 1),
        at(2015, 3, 0),
        at(2015, 4, 31),
        at(2015, 2, 29),
        at(1900, 2, 29),
        at(1900, 0, 0),
        at(2015, 3, 10, 24),
        at(2015, 3, 10, 0, 60),
        at(2015, 3, 10, 0, 0, 60),
        at(2015, 3, 10, 0, 0, 0, 1000),
    };
    for (const SystemTime& time : refused) {
        SCOPED_TRACE(::testing::Message()
                     << time.year << "-" << time.month << "-" << time.day << " " << time.hour << ":"
                     << time.minute << ":" << time.second << "." << time.milliseconds);
        int64_t file_time = 42;
        EXPECT_FALSE(system_time_to_file_time(time, file_time));
        EXPECT_EQ(file_time, 42);
    }
    int64_t leap_day = 0;
    EXPECT_TRUE(system_time_to_file_time(at(2016, 2, 29), leap_day));
    EXPECT_TRUE(system_time_to_file_time(at(2400, 2, 29), leap_day));
}

TEST(Calendar, NegativeFileTimeIsRefused) {
    SystemTime time = at(2015, 3, 10);
    EXPECT_FALSE(file_time_to_system_time(-1, time));
    EXPECT_EQ(time.year, 2015);
}

TEST(Calendar, ConsecutiveDaysRoundTripAcrossCenturies) {
    // Every day from 1899 to 2101: the day count grows by one and the
    // weekday turns over every seven days.
    int64_t previous = 0;
    ASSERT_TRUE(system_time_to_file_time(at(1898, 12, 31), previous));
    SystemTime day_before;
    ASSERT_TRUE(file_time_to_system_time(previous, day_before));
    for (int64_t file_time = previous + kUnitsPerDay;
         file_time < kUnixEpochFileTime + 4133980800LL * kFileTimeUnitsPerSecond;
         file_time += kUnitsPerDay) {
        SystemTime day;
        ASSERT_TRUE(file_time_to_system_time(file_time, day));
        int64_t again = 0;
        ASSERT_TRUE(system_time_to_file_time(day, again));
        ASSERT_EQ(again, file_time);
        ASSERT_EQ(day.day_of_week, (day_before.day_of_week + 1) % 7);
        day_before = day;
    }
    EXPECT_EQ(day_before.year, 2100);
    EXPECT_EQ(day_before.month, 12);
    EXPECT_EQ(day_before.day, 31);
}

TEST(Calendar, DaysFromCivil) {
    EXPECT_EQ(days_from_civil(1970, 1, 1), 0);
    EXPECT_EQ(days_from_civil(1969, 12, 31), -1);
    EXPECT_EQ(days_from_civil(2000, 3, 1), 11017);
    EXPECT_EQ(days_from_civil(1601, 1, 1), -134774);
}

}  // namespace
}  // namespace lanternbook
