// Calendar dates and file times (100-nanosecond units since 1601-01-01),
// converted the way the platform converts them: no time zone, the weekday of
// a SystemTime ignored on the way in and computed on the way out.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace lanternbook {

constexpr int64_t kFileTimeUnitsPerSecond = 10000000;
// 1970-01-01 00:00:00 as a file time.
constexpr int64_t kUnixEpochFileTime = 116444736000000000;

// Days from 1970-01-01 to a proleptic Gregorian date (negative before it).
int64_t days_from_civil(int64_t year, unsigned month, unsigned day);

// Every field in the platform's range: years 1601 to 30827, a day that exists
// in its month, a time of day below 24:00. The weekday is not looked at.
bool is_valid_system_time(const SystemTime& time);

// False, with file_time untouched, for a time is_valid_system_time refuses.
bool system_time_to_file_time(const SystemTime& time, int64_t& file_time);

// False, with time untouched, for a negative file time.
bool file_time_to_system_time(int64_t file_time, SystemTime& time);

}  // namespace lanternbook
