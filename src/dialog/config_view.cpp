#include "dialog/config_view.h"

#include <string>

#include "config/calendar.h"
#include "l10n/entries.h"
#include "l10n/notices.h"
#include "platform/text_utils.h"
#include "resources/resource.h"

namespace lanternbook {
namespace {

constexpr unsigned kSettleDelayMs = 200;
constexpr std::size_t kSaveDaysTextLimit = 64;
constexpr int kDataChoiceControls[kDataChoiceCount] = {IDC_ACTIVITIES, IDC_EVENTS_FAULTS, IDC_DETAILED_SPEED,
                                                       IDC_TECHNICAL_DATA, IDC_CARD_VIA_TACHO};

void post_flag_check(DialogControls& controls, int control_id, uint8_t flag) {
    controls.post_check(control_id, flag != kNo);
}

uint8_t data_byte(const StoredSettings& settings, DataChoice choice) {
    return settings.data[static_cast<std::size_t>(choice)];
}

void apply_period_mode(DialogControls& controls, uint8_t mode) {
    switch (mode) {
        case kPeriodNone:
            controls.post_check(IDC_FROM_TILL, false);
            controls.enable(IDC_FROM_DATE, false);
            controls.enable(IDC_TILL_DATE, false);
            break;
        case kPeriodFromTill:
            controls.post_check(IDC_FROM_TILL, true);
            controls.post_check(IDC_EVERYTHING, false);
            break;
        case kPeriodLastDays:
            controls.post_check(IDC_LAST_DAYS, true);
            controls.post_check(IDC_FROM_TILL, false);
            controls.post_check(IDC_EVERYTHING, false);
            controls.enable(IDC_DAYS_EDIT, true);
            controls.enable(IDC_DAYS_UPDOWN, true);
            break;
        case kPeriodSinceLast:
            controls.post_check(IDC_SINCE_LAST, true);
            controls.post_check(IDC_EVERYTHING, false);
            controls.enable(IDC_FROM_DATE, false);
            controls.enable(IDC_TILL_DATE, false);
            break;
        case kPeriodEverything:
            controls.post_check(IDC_EVERYTHING, true);
            controls.enable(IDC_FROM_DATE, false);
            controls.enable(IDC_TILL_DATE, false);
            break;
        case kPeriodNoneAlso:
            controls.post_check(IDC_SINCE_LAST, false);
            controls.post_check(IDC_EVERYTHING, false);
            controls.enable(IDC_FROM_DATE, false);
            controls.enable(IDC_TILL_DATE, false);
            break;
        default: break;
    }
}

std::optional<SystemTime> picked_date(DialogControls& controls, int picker) {
    SystemTime date;
    if (!controls.date(picker, date)) {
        return std::nullopt;
    }
    return date;
}

}  // namespace

SystemTime date_to_show(const StoredDate& stored, uint16_t first_year, uint16_t current_year) {
    SystemTime date;
    date.year = static_cast<uint16_t>(stored.year_since_1900 + kYearBase);
    date.month = stored.month;
    date.day = stored.day;
    date.day_of_week = stored.day_of_week;
    if ((date.year < first_year || date.year > current_year) && date.year != kYearBase) {
        date.year = first_year;
        date.month = 1;
        date.day = 1;
    }
    return date;
}

void fill_controls_from_config(DialogState& state, DialogControls& controls, ControlRules& rules, Clock& clock) {
    DeviceDrive& device = state.device;
    // An unreadable CONFIG shows the defaults; Save still keeps the key's
    // serial number and version, taken from the file when it writes.
    static_cast<void>(device.read_config());
    const StoredSettings loaded = settings_from(device.config());
    state.loaded = loaded;

    const std::wstring no_data = state.strings.text_at(entry::no_data_available);
    controls.set_text(IDC_VERSION_VALUE, loaded.has_software_version() ? software_version_text(loaded) : no_data);
    controls.set_text(IDC_SERIAL_VALUE, loaded.has_serial_number() ? serial_number_text(loaded) : no_data);

    // Dates up to the current year are real: a fixed last year would turn
    // every date the key stores after it into the fallback.
    const uint16_t current_year = clock.utc_now().year;
    controls.set_date(IDC_FROM_DATE, date_to_show(loaded.from, kFirstFromYear, current_year));
    clock.sleep_ms(kSettleDelayMs);
    controls.set_date(IDC_TILL_DATE, date_to_show(loaded.till, kFirstTillYear, current_year));

    if (loaded.nothing_read() && device.not_found()) {
        rules.disable_for_missing_device();
        state.device_ready = false;
    } else {
        state.device_ready = true;
    }
    if (loaded.nothing_read()) {
        return;
    }

    post_flag_check(controls, IDC_EVENTS_FAULTS, data_byte(loaded, DataChoice::events_and_faults));
    // Judged without the range-button offset, so that a From/Till or Last
    // mode stored with it still gets its controls enabled.
    const uint8_t mode = loaded.period_mode();
    state.last_days_selected = mode == kPeriodLastDays;
    const bool activities_on = loaded.data_on(DataChoice::activities);
    controls.post_check(IDC_ACTIVITIES, activities_on);
    state.from_till_selected = mode == kPeriodFromTill;
    rules.update_period_controls(activities_on);
    post_flag_check(controls, IDC_DETAILED_SPEED, data_byte(loaded, DataChoice::detailed_speed));
    post_flag_check(controls, IDC_TECHNICAL_DATA, data_byte(loaded, DataChoice::technical_data));

    if (!loaded.data_on(DataChoice::card_via_tachograph)) {
        controls.post_check(IDC_CARD_VIA_TACHO, false);
    } else {
        controls.post_check(IDC_CARD_VIA_TACHO, true);
        for (const int id : {IDC_ACTIVITIES, IDC_EVENTS_FAULTS, IDC_DETAILED_SPEED, IDC_TECHNICAL_DATA,
                             IDC_RANGE_BUTTON}) {
            controls.post_check(id, false);
        }
    }
    if (loaded.range_button()) {
        controls.post_check(IDC_RANGE_BUTTON, true);
    }
    apply_period_mode(controls, mode);

    if (loaded.days_stored()) {
        controls.set_text(IDC_DAYS_EDIT, decimal_text(loaded.days));
    }
    if (data_byte(loaded, DataChoice::activities) != kYes) {
        controls.enable(IDC_DAYS_EDIT, false);
        controls.enable(IDC_DAYS_UPDOWN, false);
    }
    if (loaded.vdo_special_data()) {
        controls.post_check(IDC_VDO_SPECIAL, true);
        state.vdo_special_data = true;
    }
}

Choices choices_from_controls(const DialogState& state, DialogControls& controls) {
    Choices choices;
    for (std::size_t i = 0; i < kDataChoiceCount; ++i) {
        choices.data[i] = controls.is_checked(kDataChoiceControls[i]);
    }
    choices.everything = controls.is_checked(IDC_EVERYTHING);
    choices.since_last = controls.is_checked(IDC_SINCE_LAST);
    choices.last_days = controls.is_checked(IDC_LAST_DAYS);
    choices.from_till = controls.is_checked(IDC_FROM_TILL);
    // Only a plain "checked" counts, not the indeterminate state.
    choices.range_button = controls.check_state(IDC_RANGE_BUTTON) == 1;
    choices.days = parse_decimal_prefix(controls.text(IDC_DAYS_EDIT, kSaveDaysTextLimit));
    choices.vdo_special_data = state.vdo_special_data;
    choices.from_date = picked_date(controls, IDC_FROM_DATE);
    choices.till_date = picked_date(controls, IDC_TILL_DATE);
    return choices;
}

StoredSettings build_config_from_controls(const DialogState& state, DialogControls& controls, Clock& clock) {
    // One reading of the clock for both dates, so they agree on "now".
    const SavedSettings saved = settings_for_save(state.loaded, choices_from_controls(state, controls), clock.utc_now());
    if (saved.from_shown) {
        controls.set_date(IDC_FROM_DATE, *saved.from_shown);
    }
    return saved.settings;
}

bool save_configuration(DialogState& state, DialogControls& controls, UserMessages& messages, Clock& clock) {
    if (!state.device_ready) {
        return true;
    }
    // Only the key read at start gets its settings: another one plugged in
    // meanwhile would be stamped with this key's serial number.
    const KeyIdentity& key = state.device.key();
    if (!state.device.still_attached(key)) {
        show_error(messages, state.strings, entry::device_changed);
        return false;
    }
    const ConfigImage image = encode_settings(build_config_from_controls(state, controls, clock));
    if (state.device.write_image_at(key.root, image.data(), image.size()) != ConfigWrite::written) {
        show_error(messages, state.strings, entry::save_failed);
        return false;
    }
    return true;
}

}  // namespace lanternbook
