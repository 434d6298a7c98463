// The key's stored configuration as typed values, converted from and to the
// DeviceConfig that the key's CONFIG decodes into without losing any byte,
// and the one mapping from what the user chose to what Save stores.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "device/config_codec.h"
#include "platform/platform.h"

namespace lanternbook {

enum class DataChoice { activities, events_and_faults, detailed_speed, technical_data, card_via_tachograph };
constexpr std::size_t kDataChoiceCount = 5;

// The period the key downloads. Only the conversion to and from DeviceConfig
// knows how each is stored.
enum class Period {
    not_stored,  // what a CONFIG that was never saved holds
    from_till,
    last_days,
    since_last,
    everything,
    none,        // stored "no period option"
    unknown,     // a code of no period; kept as it was
};

constexpr int kMinDays = 7;
constexpr int kMaxDays = 180;
constexpr uint16_t kYearBase = 1900;

struct StoredDate {
    uint32_t seconds = 0;  // since 1970-01-01 00:00:00
    uint8_t year_since_1900 = 0;
    uint8_t month = 0;
    uint8_t day = 0;
    uint8_t day_of_week = 0;
};

struct StoredSettings {
    uint8_t first_byte = 0;  // kept as found; 0 when nothing was read
    // The data flags as stored: "1" on, "0" off, anything else counts as on.
    std::array<uint8_t, kDataChoiceCount> data{};
    Period period = Period::not_stored;
    // The stored code, button offset taken off, of an unknown period.
    uint8_t unknown_period_code = 0;
    bool range_button = false;
    uint8_t days = 0;
    uint8_t vdo = 0;
    StoredDate from;
    StoredDate till;
    std::array<uint8_t, kSerialNumberLength> serial_number{};
    std::array<uint8_t, kSoftwareVersionLength> software_version{};

    bool nothing_read() const { return first_byte == 0; }
    // Anything but "0" counts as chosen, as the dialog shows it.
    bool data_on(DataChoice choice) const;
    // Stored as exactly "1".
    bool data_yes(DataChoice choice) const;
    bool days_stored() const { return days >= kMinDays && days <= kMaxDays; }
    bool vdo_special_data() const { return (vdo & 0x01) != 0; }
    bool has_serial_number() const { return serial_number[0] != 0; }
    bool has_software_version() const { return software_version[0] != 0; }
};

// What the key's CONFIG supplied, as read.
[[nodiscard]] StoredSettings settings_from(const DeviceConfig& config);
// The same settings as CONFIG stores them.
[[nodiscard]] DeviceConfig config_from(const StoredSettings& settings);

// "QVX/05/4660" and "1.2.3", each byte read as signed as the key means them.
std::wstring serial_number_text(const StoredSettings& settings);
std::wstring software_version_text(const StoredSettings& settings);

// What the user has chosen at the moment of saving, as the dialog's controls
// hold it.
struct Choices {
    std::array<bool, kDataChoiceCount> data{};
    // The period box Save looks at first; none checked keeps the stored period.
    std::optional<Period> period;
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
