#include "config/calendar.h"

namespace lanternbook {
namespace {

constexpr uint16_t kFirstYear = 1601;
constexpr uint16_t kLastYear = 30827;
constexpr int64_t kSecondsPerDay = 86400;
constexpr int64_t kUnitsPerDay = kSecondsPerDay * kFileTimeUnitsPerSecond;
constexpr uint32_t kUnitsPerMillisecond = 10000;
// 1601-01-01 counted from 1970-01-01; that day was a Monday.
constexpr int32_t kFirstDayFromUnixEpoch = -134774;
constexpr uint32_t kWeekdayOfFirstDay = 1;

bool is_leap_year(unsigned year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

unsigned days_in_month(unsigned year, unsigned month) {
    static const unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return kDays[month - 1] + (month == 2 && is_leap_year(year) ? 1U : 0U);
}

// Inverse of days_from_civil; same algorithm run backwards. Every date a
// FILETIME can hold is some ten million days from 1970: 32 bits do.
void civil_from_days(int32_t days, int32_t& year, unsigned& month, unsigned& day) {
    days += 719468;
    const int32_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int32_t day_of_era = days - era * 146097;
    const int32_t year_of_era = (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
    const int32_t day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
    const int32_t shifted_month = (5 * day_of_year + 2) / 153;
    day = static_cast<unsigned>(day_of_year - (153 * shifted_month + 2) / 5 + 1);
    month = static_cast<unsigned>(shifted_month < 10 ? shifted_month + 3 : shifted_month - 9);
    year = year_of_era + era * 400 + (month <= 2 ? 1 : 0);
}

}  // namespace

int64_t days_from_civil(int64_t year, unsigned month, unsigned day) {
    // March-based years put the leap day last, so a year's length never
    // depends on where in it the date falls.
    const int32_t shifted_year = static_cast<int32_t>(year) - (month <= 2 ? 1 : 0);
    const int32_t era = (shifted_year >= 0 ? shifted_year : shifted_year - 399) / 400;
    const int32_t year_of_era = shifted_year - era * 400;
    const auto shifted_month = static_cast<int32_t>(month > 2 ? month - 3 : month + 9);
    const int32_t day_of_year = (153 * shifted_month + 2) / 5 + static_cast<int32_t>(day) - 1;
    const int32_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    return int64_t{era} * 146097 + day_of_era - 719468;
}

bool is_valid_system_time(const SystemTime& time) {
    if (time.year < kFirstYear || time.year > kLastYear || time.month < 1 || time.month > 12) {
        return false;
    }
    if (time.day < 1 || time.day > days_in_month(time.year, time.month)) {
        return false;
    }
    return time.hour < 24 && time.minute < 60 && time.second < 60 && time.milliseconds < 1000;
}

bool system_time_to_file_time(const SystemTime& time, int64_t& file_time) {
    if (!is_valid_system_time(time)) {
        return false;
    }
    const int64_t days = days_from_civil(time.year, time.month, time.day) - kFirstDayFromUnixEpoch;
    const int64_t seconds_of_day = static_cast<int64_t>(time.hour) * 3600 +
                                   static_cast<int64_t>(time.minute) * 60 + time.second;
    file_time = days * kUnitsPerDay + seconds_of_day * kFileTimeUnitsPerSecond +
                static_cast<int64_t>(time.milliseconds) * kUnitsPerMillisecond;
    return true;
}

bool file_time_to_system_time(int64_t file_time, SystemTime& time) {
    if (file_time < 0) {
        return false;
    }
    // Unsigned, and 32 bits once within a day, the divisions stay small.
    const auto units = static_cast<uint64_t>(file_time);
    const auto days = static_cast<uint32_t>(units / kUnitsPerDay);
    const uint64_t units_of_day = units - static_cast<uint64_t>(days) * kUnitsPerDay;
    const auto seconds_of_day = static_cast<uint32_t>(units_of_day / kFileTimeUnitsPerSecond);
    const auto units_of_second = static_cast<uint32_t>(units_of_day - static_cast<uint64_t>(seconds_of_day) * kFileTimeUnitsPerSecond);
    int32_t year = 0;
    unsigned month = 0;
    unsigned day = 0;
    civil_from_days(static_cast<int32_t>(days) + kFirstDayFromUnixEpoch, year, month, day);
    time.year = static_cast<uint16_t>(year);
    time.month = static_cast<uint16_t>(month);
    time.day = static_cast<uint16_t>(day);
    time.day_of_week = static_cast<uint16_t>((days + kWeekdayOfFirstDay) % 7);
    time.hour = static_cast<uint16_t>(seconds_of_day / 3600);
    time.minute = static_cast<uint16_t>(seconds_of_day / 60 % 60);
    time.second = static_cast<uint16_t>(seconds_of_day % 60);
    time.milliseconds = static_cast<uint16_t>(units_of_second / kUnitsPerMillisecond);
    return true;
}

}  // namespace lanternbook
