// The key's stored configuration as typed values, decoded from and encoded to
// CONFIG's 32 bytes without losing any byte, and the one mapping from what
// the user chose to what Save stores.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "device/device_drive.h"
#include "platform/platform.h"

namespace lanternbook {

enum class DataChoice { activities, events_and_faults, detailed_speed, technical_data, card_via_tachograph };
constexpr std::size_t kDataChoiceCount = 5;

// Period modes as stored: ASCII digits.
constexpr uint8_t kPeriodNone = '0';
constexpr uint8_t kPeriodFromTill = '1';
constexpr uint8_t kPeriodLastDays = '2';
constexpr uint8_t kPeriodSinceLast = '3';
constexpr uint8_t kPeriodEverything = '4';
// A mode of its own: no period option, like "0".
constexpr uint8_t kPeriodNoneAlso = '5';
// Added to the mode when the range is picked with the key's button.
constexpr uint8_t kRangeButtonOffset = 8;

constexpr uint8_t kNo = '0';
constexpr uint8_t kYes = '1';
constexpr int kMinDays = 7;
constexpr int kMaxDays = 180;
// Stored when the day count is out of range: the code of "4".
constexpr uint8_t kDaysFallback = '4';
constexpr uint16_t kYearBase = 1900;

using ConfigImage = std::array<uint8_t, kConfigFileLength>;

struct StoredDate {
    uint32_t seconds = 0;  // since 1970-01-01 00:00:00
    uint8_t year_since_1900 = 0;
    uint8_t month = 0;
    uint8_t day = 0;
    uint8_t day_of_week = 0;
};

struct StoredSettings {
    uint8_t first_byte = 0;  // kept as found; 0 when nothing was read
    std::array<uint8_t, kDataChoiceCount> data{};
    uint8_t period_code = 0;  // as stored, range-button offset included
    uint8_t days = 0;
    uint8_t vdo = 0;
    StoredDate from;
    StoredDate till;
    std::array<uint8_t, 3> serial_number{};
    std::array<uint8_t, 3> software_version{};
    uint8_t last_byte = 0;

    bool nothing_read() const { return first_byte == 0; }
    // Anything but "0" counts as chosen, as the dialog shows it.
    bool data_on(DataChoice choice) const { return data[static_cast<std::size_t>(choice)] != kNo; }
    // Only codes past "5" carry the offset; bytes above 0x7F count as below.
    bool range_button() const { return static_cast<int8_t>(period_code) > static_cast<int8_t>(kPeriodNoneAlso); }
    uint8_t period_mode() const {
        return range_button() ? static_cast<uint8_t>(period_code - kRangeButtonOffset) : period_code;
    }
    bool days_stored() const { return days >= kMinDays && days <= kMaxDays; }
    bool vdo_special_data() const { return (vdo & 0x01) != 0; }
    bool has_serial_number() const { return serial_number[0] != 0; }
    bool has_software_version() const { return software_version[0] != 0; }
};

// What the key's CONFIG supplied, as read.
StoredSettings settings_from(const DeviceConfig& config);
StoredSettings decode_settings(const ConfigImage& image);
ConfigImage encode_settings(const StoredSettings& settings);

// "QVX/05/4660" and "1.2.3", each byte read as signed as the key means them.
std::wstring serial_number_text(const StoredSettings& settings);
std::wstring software_version_text(const StoredSettings& settings);

// What the user has chosen at the moment of saving, as the dialog's controls
// hold it.
struct Choices {
    std::array<bool, kDataChoiceCount> data{};
    // The period check boxes; more than one may be checked.
    bool everything = false;
    bool since_last = false;
    bool last_days = false;
    bool from_till = false;
    bool range_button = false;
    int days = 0;
    bool vdo_special_data = false;
    // Empty when the picker gives no valid date.
    std::optional<SystemTime> from_date;
    std::optional<SystemTime> till_date;
};

struct SavedSettings {
    StoredSettings settings;
    // Set when a From date in the future was stored as today: the date to show.
    std::optional<SystemTime> from_shown;
};

// The one mapping from the user's choice to what Save stores, used by the
// dialog and the command line alike. `loaded` is what was read at start.
SavedSettings settings_for_save(const StoredSettings& loaded, const Choices& choices, const SystemTime& now);

// A picked date as Save stores it: midnight of that day; a later date, or
// none, becomes the moment `now`; before 1970 becomes 1970-01-01.
StoredDate stored_date_for(const std::optional<SystemTime>& picked, const SystemTime& now,
                           std::optional<SystemTime>* replaced_by_today = nullptr);

}  // namespace lanternbook
