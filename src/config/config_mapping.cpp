#include "config/config_mapping.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>
#include <utility>

#include "config/calendar.h"
#include "l10n/entries.h"
#include "l10n/notices.h"
#include "platform/text_utils.h"
#include "resources/resource.h"

namespace lanternbook {
namespace {

// Flag positions in config_flags, and the characters stored there.
constexpr std::size_t kFlagReadMarker = 0;
constexpr std::size_t kFlagActivities = 1;
constexpr std::size_t kFlagEventsFaults = 2;
constexpr std::size_t kFlagDetailedSpeed = 3;
constexpr std::size_t kFlagTechnicalData = 4;
constexpr std::size_t kFlagCardViaTacho = 5;
constexpr std::size_t kFlagPeriodMode = 6;
constexpr std::size_t kFlagDays = 7;
constexpr std::size_t kFlagVdoSpecial = 8;

constexpr uint8_t kNo = '0';
constexpr uint8_t kYes = '1';
constexpr uint8_t kModeNone = '0';
constexpr uint8_t kModeFromTill = '1';
constexpr uint8_t kModeLastDays = '2';
constexpr uint8_t kModeSinceLast = '3';
constexpr uint8_t kModeEverything = '4';
constexpr uint8_t kModeNoneAlso = '5';
// Added to the period mode when the range is picked with the key's button.
constexpr uint8_t kRangeButtonOffset = 8;
constexpr char kReplacementFlags[] = "111110400";
constexpr uint8_t kDaysFallback = '4';
constexpr uint8_t kVdoSpecialBit = 0x01;

// Offsets within config_dates.
constexpr std::size_t kFromSeconds = 0;
constexpr std::size_t kTillSeconds = 4;
constexpr std::size_t kFromCalendar = 8;
constexpr std::size_t kTillCalendar = 12;

constexpr uint16_t kYearBase = 1900;
constexpr uint16_t kFirstFromYear = 2013;
constexpr uint16_t kFirstTillYear = 2000;
constexpr unsigned kSettleDelayMs = 200;
constexpr std::size_t kSaveDaysTextLimit = 64;

int8_t as_signed(uint8_t byte) { return static_cast<int8_t>(byte); }

std::wstring widen_ascii(const char* text) {
    std::wstring wide;
    for (; *text != '\0'; ++text) {
        wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*text)));
    }
    return wide;
}

std::wstring version_text(const DeviceConfig& config) {
    const auto& version = config.software_version;
    char text[48];
    if (std::snprintf(text, sizeof text, "%d.%d.%d", as_signed(version[0]), as_signed(version[1]),
                      as_signed(version[2])) < 0) {
        return std::wstring();
    }
    return widen_ascii(text);
}

std::wstring serial_text(const DeviceConfig& config) {
    const auto& serial = config.serial_number;
    const int second_part = as_signed(serial[1]) * 256 + serial[2];
    char text[48];
    if (std::snprintf(text, sizeof text, "QVX/%02d/%04d", as_signed(serial[0]), second_part) < 0) {
        return std::wstring();
    }
    return widen_ascii(text);
}

// A stored date as the picker gets it. Years from first_year to the current
// one are shown as stored, and so is 1900, the year of an all-zero block.
SystemTime stored_date(const std::array<uint8_t, 32>& dates, std::size_t offset,
                       uint16_t first_year, uint16_t current_year) {
    SystemTime date;
    date.year = static_cast<uint16_t>(dates[offset] + kYearBase);
    date.month = dates[offset + 1];
    date.day = dates[offset + 2];
    date.day_of_week = dates[offset + 3];
    if ((date.year < first_year || date.year > current_year) && date.year != kYearBase) {
        date.year = first_year;
        date.month = 1;
        date.day = 1;
    }
    return date;
}

void post_flag_check(DialogControls& controls, int control_id, uint8_t flag) {
    controls.post_check(control_id, flag != kNo);
}

// "5" is a mode of its own (no period option); only codes past it carry the
// range-button offset. Bytes above 0x7F count as below, as signed chars.
bool has_range_button(uint8_t mode) { return as_signed(mode) > as_signed(kModeNoneAlso); }

// The period mode without the range-button offset.
uint8_t base_period_mode(uint8_t mode) {
    return has_range_button(mode) ? static_cast<uint8_t>(mode - kRangeButtonOffset) : mode;
}

void apply_period_mode(DialogControls& controls, uint8_t mode) {
    switch (mode) {
        case kModeNone:
            controls.post_check(IDC_FROM_TILL, false);
            controls.enable(IDC_FROM_DATE, false);
            controls.enable(IDC_TILL_DATE, false);
            break;
        case kModeFromTill:
            controls.post_check(IDC_FROM_TILL, true);
            controls.post_check(IDC_EVERYTHING, false);
            break;
        case kModeLastDays:
            controls.post_check(IDC_LAST_DAYS, true);
            controls.post_check(IDC_FROM_TILL, false);
            controls.post_check(IDC_EVERYTHING, false);
            controls.enable(IDC_DAYS_EDIT, true);
            controls.enable(IDC_DAYS_UPDOWN, true);
            break;
        case kModeSinceLast:
            controls.post_check(IDC_SINCE_LAST, true);
            controls.post_check(IDC_EVERYTHING, false);
            controls.enable(IDC_FROM_DATE, false);
            controls.enable(IDC_TILL_DATE, false);
            break;
        case kModeEverything:
            controls.post_check(IDC_EVERYTHING, true);
            controls.enable(IDC_FROM_DATE, false);
            controls.enable(IDC_TILL_DATE, false);
            break;
        case kModeNoneAlso:
            controls.post_check(IDC_SINCE_LAST, false);
            controls.post_check(IDC_EVERYTHING, false);
            controls.enable(IDC_FROM_DATE, false);
            controls.enable(IDC_TILL_DATE, false);
            break;
        default: break;
    }
}

uint8_t yes_no(DialogControls& controls, int control_id) {
    return controls.is_checked(control_id) ? kYes : kNo;
}

uint8_t period_mode_from_controls(DialogControls& controls, uint8_t kept) {
    // The first checked box wins, in this order.
    static const std::pair<int, uint8_t> kModes[] = {{IDC_EVERYTHING, kModeEverything},
                                                     {IDC_SINCE_LAST, kModeSinceLast},
                                                     {IDC_LAST_DAYS, kModeLastDays},
                                                     {IDC_FROM_TILL, kModeFromTill}};
    const auto* const checked =
        std::find_if(std::begin(kModes), std::end(kModes),
                     [&controls](const auto& option) { return controls.is_checked(option.first); });
    uint8_t mode = checked != std::end(kModes) ? checked->second : kept;
    if (controls.check_state(IDC_RANGE_BUTTON) == 1) {
        mode = static_cast<uint8_t>(mode + kRangeButtonOffset);
    }
    return mode;
}

uint8_t days_from_controls(DialogControls& controls) {
    const int days = parse_decimal_prefix(controls.text(IDC_DAYS_EDIT, kSaveDaysTextLimit));
    return days >= kMinDays && days <= kMaxDays ? static_cast<uint8_t>(days) : kDaysFallback;
}

int64_t file_time_of(const SystemTime& time) {
    int64_t file_time = 0;
    system_time_to_file_time(time, file_time);
    return file_time;
}

struct ChosenDate {
    SystemTime date;
    int64_t file_time = 0;
};

// The date of a picker at midnight. A date later than now becomes now, with
// today's date; put_back shows today in the picker. The stored seconds count
// is unsigned, so a date before 1970 is taken as 1970-01-01.
ChosenDate chosen_date(DialogControls& controls, int picker, const SystemTime& now, bool put_back) {
    ChosenDate chosen;
    controls.date(picker, chosen.date);
    chosen.date.hour = 0;
    chosen.date.minute = 0;
    chosen.date.second = 0;
    chosen.date.milliseconds = 0;
    const int64_t now_file_time = file_time_of(now);
    // A picker that gives no valid date counts as a future one.
    const bool readable = system_time_to_file_time(chosen.date, chosen.file_time);
    if (!readable || chosen.file_time > now_file_time) {
        chosen.file_time = now_file_time;
        chosen.date.year = now.year;
        chosen.date.month = now.month;
        chosen.date.day = now.day;
        // The weekday follows the date it now belongs to.
        chosen.date.day_of_week = now.day_of_week;
        if (put_back) {
            controls.set_date(picker, chosen.date);
        }
    }
    if (chosen.file_time < kUnixEpochFileTime) {
        chosen.file_time = kUnixEpochFileTime;
        file_time_to_system_time(kUnixEpochFileTime, chosen.date);
    }
    return chosen;
}

void store_date(std::array<uint8_t, 32>& dates, std::size_t seconds_offset,
                std::size_t calendar_offset, const ChosenDate& chosen) {
    const int64_t seconds =
        chosen.file_time / kFileTimeUnitsPerSecond - kUnixEpochFileTime / kFileTimeUnitsPerSecond;
    const auto stored_seconds = static_cast<uint32_t>(seconds);
    for (std::size_t i = 0; i < 4; ++i) {
        dates[seconds_offset + i] = static_cast<uint8_t>(stored_seconds >> (24 - 8 * i));
    }
    dates[calendar_offset] = static_cast<uint8_t>(chosen.date.year - kYearBase);
    dates[calendar_offset + 1] = static_cast<uint8_t>(chosen.date.month);
    dates[calendar_offset + 2] = static_cast<uint8_t>(chosen.date.day);
    dates[calendar_offset + 3] = static_cast<uint8_t>(chosen.date.day_of_week);
}

}  // namespace

void fill_controls_from_config(DialogState& state, DialogControls& controls, ControlRules& rules,
                               Platform& platform) {
    DeviceDrive& device = state.device;
    // An unreadable CONFIG shows the defaults; Save still keeps the key's
    // serial number and version, taken from the file when it writes.
    static_cast<void>(device.read_config());
    const DeviceConfig& config = device.config();
    std::copy_n(config.flags.begin(), state.config_flags.size(), state.config_flags.begin());
    std::copy_n(config.dates.begin(), kDateBlockLength, state.config_dates.begin());
    auto& flags = state.config_flags;

    const std::wstring no_data = state.strings.text_at(entry::no_data_available);
    controls.set_text(IDC_VERSION_VALUE,
                      config.software_version[0] != 0 ? version_text(config) : no_data);
    controls.set_text(IDC_SERIAL_VALUE,
                      config.serial_number[0] != 0 ? serial_text(config) : no_data);

    // Dates up to the current year are real: a fixed last year would turn
    // every date the key stores after it into the fallback.
    const uint16_t current_year = platform.utc_now().year;
    state.from_date = stored_date(state.config_dates, kFromCalendar, kFirstFromYear, current_year);
    controls.set_date(IDC_FROM_DATE, state.from_date);
    platform.sleep_ms(kSettleDelayMs);
    state.till_date = stored_date(state.config_dates, kTillCalendar, kFirstTillYear, current_year);
    controls.set_date(IDC_TILL_DATE, state.till_date);

    const bool nothing_read = flags[kFlagReadMarker] == 0;
    if (nothing_read && device.not_found()) {
        rules.disable_for_missing_device();
        state.device_ready = false;
    } else {
        state.device_ready = true;
    }
    if (nothing_read) {
        return;
    }

    post_flag_check(controls, IDC_EVENTS_FAULTS, flags[kFlagEventsFaults]);
    // Judged without the range-button offset, so that a From/Till or Last
    // mode stored with it still gets its controls enabled.
    const uint8_t mode = base_period_mode(flags[kFlagPeriodMode]);
    state.last_days_selected = mode == kModeLastDays;
    const bool activities_on = flags[kFlagActivities] != kNo;
    controls.post_check(IDC_ACTIVITIES, activities_on);
    state.from_till_selected = mode == kModeFromTill;
    rules.update_period_controls(activities_on);
    post_flag_check(controls, IDC_DETAILED_SPEED, flags[kFlagDetailedSpeed]);
    post_flag_check(controls, IDC_TECHNICAL_DATA, flags[kFlagTechnicalData]);

    if (flags[kFlagCardViaTacho] == kNo) {
        controls.post_check(IDC_CARD_VIA_TACHO, false);
    } else {
        controls.post_check(IDC_CARD_VIA_TACHO, true);
        for (const int id : {IDC_ACTIVITIES, IDC_EVENTS_FAULTS, IDC_DETAILED_SPEED,
                             IDC_TECHNICAL_DATA, IDC_RANGE_BUTTON}) {
            controls.post_check(id, false);
        }
    }
    if (has_range_button(flags[kFlagPeriodMode])) {
        controls.post_check(IDC_RANGE_BUTTON, true);
        flags[kFlagPeriodMode] = base_period_mode(flags[kFlagPeriodMode]);
    }
    apply_period_mode(controls, flags[kFlagPeriodMode]);

    const uint8_t days = flags[kFlagDays];
    if (days >= kMinDays && days <= kMaxDays) {
        controls.set_text(IDC_DAYS_EDIT, std::to_wstring(days));
    }
    if (flags[kFlagActivities] != kYes) {
        controls.enable(IDC_DAYS_EDIT, false);
        controls.enable(IDC_DAYS_UPDOWN, false);
    }
    if ((flags[kFlagVdoSpecial] & kVdoSpecialBit) != 0) {
        controls.post_check(IDC_VDO_SPECIAL, true);
        state.vdo_special_data = true;
    }
}

void build_config_from_controls(DialogState& state, DialogControls& controls, Platform& platform) {
    auto& flags = state.config_flags;
    if (flags[kFlagReadMarker] != kNo && flags[kFlagReadMarker] != kYes) {
        std::copy_n(kReplacementFlags, kFlagCount, flags.begin());
    }
    flags[kFlagActivities] = yes_no(controls, IDC_ACTIVITIES);
    flags[kFlagEventsFaults] = yes_no(controls, IDC_EVENTS_FAULTS);
    flags[kFlagDetailedSpeed] = yes_no(controls, IDC_DETAILED_SPEED);
    flags[kFlagTechnicalData] = yes_no(controls, IDC_TECHNICAL_DATA);
    flags[kFlagCardViaTacho] = yes_no(controls, IDC_CARD_VIA_TACHO);
    flags[kFlagPeriodMode] = period_mode_from_controls(controls, flags[kFlagPeriodMode]);
    flags[kFlagDays] = days_from_controls(controls);
    flags[kFlagVdoSpecial] = state.vdo_special_data ? kVdoSpecialBit : 0;

    // One reading of the clock for both dates, so they agree on "now".
    const SystemTime now = platform.utc_now();
    const ChosenDate from = chosen_date(controls, IDC_FROM_DATE, now, true);
    const ChosenDate till = chosen_date(controls, IDC_TILL_DATE, now, false);
    state.from_time = from.file_time;
    state.till_time = till.file_time;
    state.config_dates.fill(0);
    store_date(state.config_dates, kFromSeconds, kFromCalendar, from);
    store_date(state.config_dates, kTillSeconds, kTillCalendar, till);
    state.config_dates_length = static_cast<int32_t>(kDateBlockLength);
}

bool save_configuration(DialogState& state, DialogControls& controls, Platform& platform) {
    if (!state.device_ready) {
        return true;
    }
    // Only the key read at start gets its settings: another one plugged in
    // meanwhile would be stamped with this key's serial number.
    const KeyIdentity& key = state.device.key();
    if (!state.device.still_attached(key)) {
        show_error(platform, state.strings, entry::device_changed);
        return false;
    }
    build_config_from_controls(state, controls, platform);
    if (state.device.write_config_at(key.root, state.config_flags.data(), state.config_dates.data(),
                                     static_cast<unsigned>(state.config_dates_length)) != ConfigWrite::written) {
        show_error(platform, state.strings, entry::save_failed);
        return false;
    }
    return true;
}

int64_t current_file_time(Platform& platform) { return file_time_of(platform.utc_now()); }

}  // namespace lanternbook
