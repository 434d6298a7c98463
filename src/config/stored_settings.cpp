#include "config/stored_settings.h"

#include <algorithm>
#include <iterator>

#include "config/calendar.h"
#include "text/text_utils.h"

namespace lanternbook {
namespace {

constexpr uint8_t kNo = '0';
constexpr uint8_t kYes = '1';
// Stored when the day count is out of range: the code of "4".
constexpr uint8_t kDaysFallback = '4';

struct PeriodCode {
    Period period;
    uint8_t code;
};
// How each period is stored: an ASCII digit.
constexpr PeriodCode kPeriodCodes[] = {
    {Period::not_stored, '0'}, {Period::from_till, '1'},  {Period::last_days, '2'},
    {Period::since_last, '3'}, {Period::everything, '4'}, {Period::none, '5'},
};
// Added to the code when the range is picked with the key's button. Only
// codes past the last period's carry it; bytes above 0x7F count as below.
constexpr uint8_t kRangeButtonOffset = 8;
constexpr uint8_t kLastPeriodCode = '5';

// What a CONFIG that was neither "0" nor "1" at its first byte gets.
constexpr uint8_t kReplacementFirstByte = kYes;
constexpr Period kReplacementPeriod = Period::everything;

uint32_t read_big_endian(const std::array<uint8_t, 32>& block, std::size_t offset) {
    return (uint32_t{block[offset]} << 24) | (uint32_t{block[offset + 1]} << 16) |
           (uint32_t{block[offset + 2]} << 8) | uint32_t{block[offset + 3]};
}

void write_big_endian(std::array<uint8_t, 32>& block, std::size_t offset, uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        block[offset + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
    }
}

StoredDate read_date(const std::array<uint8_t, 32>& block, std::size_t seconds_at, std::size_t calendar_at) {
    StoredDate date;
    date.seconds = read_big_endian(block, seconds_at);
    date.year_since_1900 = block[calendar_at];
    date.month = block[calendar_at + 1];
    date.day = block[calendar_at + 2];
    date.day_of_week = block[calendar_at + 3];
    return date;
}

void write_date(std::array<uint8_t, 32>& block, std::size_t seconds_at, std::size_t calendar_at,
                const StoredDate& date) {
    write_big_endian(block, seconds_at, date.seconds);
    block[calendar_at] = date.year_since_1900;
    block[calendar_at + 1] = date.month;
    block[calendar_at + 2] = date.day;
    block[calendar_at + 3] = date.day_of_week;
}

void read_period(uint8_t code, StoredSettings& settings) {
    settings.range_button = static_cast<int8_t>(code) > static_cast<int8_t>(kLastPeriodCode);
    const uint8_t mode = settings.range_button ? static_cast<uint8_t>(code - kRangeButtonOffset) : code;
    const auto* const known = std::find_if(std::begin(kPeriodCodes), std::end(kPeriodCodes),
                                           [mode](const PeriodCode& period) { return period.code == mode; });
    const bool is_known = known != std::end(kPeriodCodes);
    settings.period = is_known ? known->period : Period::unknown;
    settings.unknown_period_code = is_known ? 0 : mode;
}

uint8_t period_code(const StoredSettings& settings) {
    const auto* const known =
        std::find_if(std::begin(kPeriodCodes), std::end(kPeriodCodes),
                     [&settings](const PeriodCode& period) { return period.period == settings.period; });
    const uint8_t mode = known != std::end(kPeriodCodes) ? known->code : settings.unknown_period_code;
    return settings.range_button ? static_cast<uint8_t>(mode + kRangeButtonOffset) : mode;
}

int8_t as_signed(uint8_t byte) { return static_cast<int8_t>(byte); }

int64_t file_time_of(const SystemTime& time) {
    int64_t file_time = 0;
    static_cast<void>(system_time_to_file_time(time, file_time));
    return file_time;
}

}  // namespace

bool StoredSettings::data_on(DataChoice choice) const { return data[static_cast<std::size_t>(choice)] != kNo; }
bool StoredSettings::data_yes(DataChoice choice) const { return data[static_cast<std::size_t>(choice)] == kYes; }

StoredSettings settings_from(const DeviceConfig& config) {
    StoredSettings settings;
    settings.first_byte = config.flags[kFirstFlag];
    std::copy_n(config.flags.begin() + kFirstDataFlag, kDataChoiceCount, settings.data.begin());
    read_period(config.flags[kPeriodFlag], settings);
    settings.days = config.flags[kDaysFlag];
    settings.vdo = config.flags[kVdoFlag];
    settings.from = read_date(config.dates, kFromSecondsAt, kFromCalendarAt);
    settings.till = read_date(config.dates, kTillSecondsAt, kTillCalendarAt);
    std::copy_n(config.serial_number.begin(), kSerialNumberLength, settings.serial_number.begin());
    std::copy_n(config.software_version.begin(), kSoftwareVersionLength, settings.software_version.begin());
    return settings;
}

DeviceConfig config_from(const StoredSettings& settings) {
    DeviceConfig config;
    config.flags[kFirstFlag] = settings.first_byte;
    std::copy(settings.data.begin(), settings.data.end(), config.flags.begin() + kFirstDataFlag);
    config.flags[kPeriodFlag] = period_code(settings);
    config.flags[kDaysFlag] = settings.days;
    config.flags[kVdoFlag] = settings.vdo;
    write_date(config.dates, kFromSecondsAt, kFromCalendarAt, settings.from);
    write_date(config.dates, kTillSecondsAt, kTillCalendarAt, settings.till);
    std::copy(settings.serial_number.begin(), settings.serial_number.end(), config.serial_number.begin());
    std::copy(settings.software_version.begin(), settings.software_version.end(), config.software_version.begin());
    return config;
}

std::wstring serial_number_text(const StoredSettings& settings) {
    const auto& serial = settings.serial_number;
    const int second_part = as_signed(serial[1]) * 256 + serial[2];
    // As "QVX/%02d/%04d" prints it.
    return L"QVX/" + decimal_text(as_signed(serial[0]), 2) + L"/" + decimal_text(second_part, 4);
}

std::wstring software_version_text(const StoredSettings& settings) {
    const auto& version = settings.software_version;
    return decimal_text(as_signed(version[0])) + L"." + decimal_text(as_signed(version[1])) + L"." +
           decimal_text(as_signed(version[2]));
}

StoredDate stored_date_for(const std::optional<SystemTime>& picked, const SystemTime& now,
                           std::optional<SystemTime>* replaced_by_today) {
    SystemTime date = picked.value_or(SystemTime{});
    date.hour = 0;
    date.minute = 0;
    date.second = 0;
    date.milliseconds = 0;
    const int64_t now_file_time = file_time_of(now);
    int64_t file_time = 0;
    // A picker that gives no valid date counts as a future one.
    const bool readable = picked && system_time_to_file_time(date, file_time);
    if (!readable || file_time > now_file_time) {
        file_time = now_file_time;
        date.year = now.year;
        date.month = now.month;
        date.day = now.day;
        // The weekday follows the date it now belongs to.
        date.day_of_week = now.day_of_week;
        if (replaced_by_today != nullptr) {
            *replaced_by_today = date;
        }
    }
    // The stored seconds count is unsigned.
    if (file_time < kUnixEpochFileTime) {
        file_time = kUnixEpochFileTime;
        static_cast<void>(file_time_to_system_time(kUnixEpochFileTime, date));
    }
    StoredDate stored;
    // Not before 1970 here: unsigned.
    const uint64_t seconds = static_cast<uint64_t>(file_time - kUnixEpochFileTime) / kFileTimeUnitsPerSecond;
    stored.seconds = static_cast<uint32_t>(seconds);
    stored.year_since_1900 = static_cast<uint8_t>(date.year - kYearBase);
    stored.month = static_cast<uint8_t>(date.month);
    stored.day = static_cast<uint8_t>(date.day);
    stored.day_of_week = static_cast<uint8_t>(date.day_of_week);
    return stored;
}

SavedSettings settings_for_save(const StoredSettings& loaded, const Choices& choices, const SystemTime& now) {
    SavedSettings saved;
    StoredSettings& settings = saved.settings;
    settings = loaded;
    if (loaded.first_byte != kNo && loaded.first_byte != kYes) {
        settings.first_byte = kReplacementFirstByte;
        settings.period = kReplacementPeriod;
    }
    for (std::size_t i = 0; i < kDataChoiceCount; ++i) {
        settings.data[i] = choices.data[i] ? kYes : kNo;
    }
    // No period box checked keeps what was read.
    if (choices.period) {
        settings.period = *choices.period;
    }
    settings.range_button = choices.range_button;
    settings.days = choices.days >= kMinDays && choices.days <= kMaxDays ? static_cast<uint8_t>(choices.days)
                                                                         : kDaysFallback;
    settings.vdo = choices.vdo_special_data ? 0x01 : 0x00;
    settings.from = stored_date_for(choices.from_date, now, &saved.from_shown);
    settings.till = stored_date_for(choices.till_date, now);
    return saved;
}

}  // namespace lanternbook
