#include "config/stored_settings.h"

#include <algorithm>

#include "config/calendar.h"
#include "platform/text_utils.h"

namespace lanternbook {
namespace {

// Offsets in CONFIG.
constexpr std::size_t kFirstByte = 0;
constexpr std::size_t kDataOffset = 1;
constexpr std::size_t kPeriodOffset = 6;
constexpr std::size_t kDaysOffset = 7;
constexpr std::size_t kVdoOffset = 8;
constexpr std::size_t kFromSeconds = kDateBlockOffset;
constexpr std::size_t kTillSeconds = kDateBlockOffset + 4;
constexpr std::size_t kFromCalendar = kDateBlockOffset + 8;
constexpr std::size_t kTillCalendar = kDateBlockOffset + 12;
constexpr std::size_t kLastOffset = 31;

// What a CONFIG that was neither "0" nor "1" at its first byte gets.
constexpr uint8_t kReplacementFirstByte = kYes;
constexpr uint8_t kReplacementPeriod = kPeriodEverything;

uint32_t read_big_endian(const ConfigImage& image, std::size_t offset) {
    return (uint32_t{image[offset]} << 24) | (uint32_t{image[offset + 1]} << 16) |
           (uint32_t{image[offset + 2]} << 8) | uint32_t{image[offset + 3]};
}

void write_big_endian(ConfigImage& image, std::size_t offset, uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        image[offset + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
    }
}

void read_date(const ConfigImage& image, std::size_t seconds_offset, std::size_t calendar_offset, StoredDate& date) {
    date.seconds = read_big_endian(image, seconds_offset);
    date.year_since_1900 = image[calendar_offset];
    date.month = image[calendar_offset + 1];
    date.day = image[calendar_offset + 2];
    date.day_of_week = image[calendar_offset + 3];
}

void write_date(ConfigImage& image, std::size_t seconds_offset, std::size_t calendar_offset, const StoredDate& date) {
    write_big_endian(image, seconds_offset, date.seconds);
    image[calendar_offset] = date.year_since_1900;
    image[calendar_offset + 1] = date.month;
    image[calendar_offset + 2] = date.day;
    image[calendar_offset + 3] = date.day_of_week;
}

int8_t as_signed(uint8_t byte) { return static_cast<int8_t>(byte); }

int64_t file_time_of(const SystemTime& time) {
    int64_t file_time = 0;
    static_cast<void>(system_time_to_file_time(time, file_time));
    return file_time;
}

}  // namespace

StoredSettings decode_settings(const ConfigImage& image) {
    StoredSettings settings;
    settings.first_byte = image[kFirstByte];
    std::copy_n(image.begin() + kDataOffset, kDataChoiceCount, settings.data.begin());
    settings.period_code = image[kPeriodOffset];
    settings.days = image[kDaysOffset];
    settings.vdo = image[kVdoOffset];
    read_date(image, kFromSeconds, kFromCalendar, settings.from);
    read_date(image, kTillSeconds, kTillCalendar, settings.till);
    std::copy_n(image.begin() + kSerialNumberOffset, settings.serial_number.size(), settings.serial_number.begin());
    std::copy_n(image.begin() + kSoftwareVersionOffset, settings.software_version.size(), settings.software_version.begin());
    settings.last_byte = image[kLastOffset];
    return settings;
}

ConfigImage encode_settings(const StoredSettings& settings) {
    ConfigImage image{};
    image[kFirstByte] = settings.first_byte;
    std::copy(settings.data.begin(), settings.data.end(), image.begin() + kDataOffset);
    image[kPeriodOffset] = settings.period_code;
    image[kDaysOffset] = settings.days;
    image[kVdoOffset] = settings.vdo;
    write_date(image, kFromSeconds, kFromCalendar, settings.from);
    write_date(image, kTillSeconds, kTillCalendar, settings.till);
    std::copy(settings.serial_number.begin(), settings.serial_number.end(), image.begin() + kSerialNumberOffset);
    std::copy(settings.software_version.begin(), settings.software_version.end(), image.begin() + kSoftwareVersionOffset);
    image[kLastOffset] = settings.last_byte;
    return image;
}

StoredSettings settings_from(const DeviceConfig& config) {
    ConfigImage image{};
    std::copy_n(config.flags.begin(), kFlagCount, image.begin());
    std::copy_n(config.dates.begin(), kDateBlockLength, image.begin() + kFromSeconds);
    std::copy_n(config.serial_number.begin(), 3, image.begin() + kSerialNumberOffset);
    std::copy_n(config.software_version.begin(), 4, image.begin() + kSoftwareVersionOffset);
    return decode_settings(image);
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
    const int64_t seconds = file_time / kFileTimeUnitsPerSecond - kUnixEpochFileTime / kFileTimeUnitsPerSecond;
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
    uint8_t kept_mode = loaded.period_mode();
    if (loaded.first_byte != kNo && loaded.first_byte != kYes) {
        settings.first_byte = kReplacementFirstByte;
        kept_mode = kReplacementPeriod;
    }
    for (std::size_t i = 0; i < kDataChoiceCount; ++i) {
        settings.data[i] = choices.data[i] ? kYes : kNo;
    }
    // The first checked box wins, in this order; none keeps what was read.
    uint8_t mode = kept_mode;
    if (choices.everything) {
        mode = kPeriodEverything;
    } else if (choices.since_last) {
        mode = kPeriodSinceLast;
    } else if (choices.last_days) {
        mode = kPeriodLastDays;
    } else if (choices.from_till) {
        mode = kPeriodFromTill;
    }
    settings.period_code = choices.range_button ? static_cast<uint8_t>(mode + kRangeButtonOffset) : mode;
    settings.days = choices.days >= kMinDays && choices.days <= kMaxDays ? static_cast<uint8_t>(choices.days)
                                                                         : kDaysFallback;
    settings.vdo = choices.vdo_special_data ? 0x01 : 0x00;
    settings.from = stored_date_for(choices.from_date, now, &saved.from_shown);
    settings.till = stored_date_for(choices.till_date, now);
    return saved;
}

}  // namespace lanternbook
