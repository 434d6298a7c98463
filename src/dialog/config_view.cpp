#include "dialog/config_view.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "l10n/texts.h"
#include "text/text_utils.h"
#include "resources/resource.h"

namespace lanternbook {
namespace {

constexpr unsigned kSettleDelayMs = 200;
constexpr std::size_t kSaveDaysTextLimit = 64;
constexpr int kDataChoiceControls[kDataChoiceCount] = {IDC_ACTIVITIES, IDC_EVENTS_FAULTS, IDC_DETAILED_SPEED,
                                                       IDC_TECHNICAL_DATA, IDC_CARD_VIA_TACHO};

std::optional<SystemTime> picked_date(DialogControls& controls, int picker) {
    SystemTime date;
    if (!controls.date(picker, date)) {
        return std::nullopt;
    }
    return date;
}

}  // namespace

void fill_controls_from_config(DialogState& state, DialogControls& controls, ControlRules& rules, ConfigRead read,
                               Clock& clock) {
    const StoredSettings loaded = settings_from(state.device.config());
    state.loaded = loaded;

    const std::wstring no_data = state.strings.text_at(Text::no_data_available);
    controls.set_text(IDC_VERSION_VALUE, loaded.has_software_version() ? software_version_text(loaded) : no_data);
    controls.set_text(IDC_SERIAL_VALUE, loaded.has_serial_number() ? serial_number_text(loaded) : no_data);

    // Dates up to the current year are real: a fixed last year would turn
    // every date the key stores after it into the fallback.
    const SystemTime now = clock.utc_now();
    controls.set_date(IDC_FROM_DATE, date_to_show(loaded.from, kFirstFromYear, now.year));
    clock.sleep_ms(kSettleDelayMs);
    controls.set_date(IDC_TILL_DATE, date_to_show(loaded.till, kFirstTillYear, now.year));

    // An unreadable CONFIG shows the defaults; Save still keeps the key's
    // serial number and version, taken from the file when it writes.
    state.device_ready = read != ConfigRead::no_key;
    if (!state.device_ready) {
        rules.disable_for_missing_device();
    }
    if (loaded.nothing_read()) {
        return;
    }

    const Choices opening = choices_after_opening(loaded, now);
    state.from_till_selected = opening.period == Period::from_till;
    state.last_days_selected = opening.period == Period::last_days;
    for (std::size_t i = 0; i < kDataChoiceCount; ++i) {
        controls.post_check(kDataChoiceControls[i], opening.data[i]);
    }
    // Judged on what is stored, before driver card via tachograph clears it.
    rules.update_period_controls(loaded.data_on(DataChoice::activities));
    controls.post_check(IDC_RANGE_BUTTON, opening.range_button);
    for (const PeriodBox& box : kPeriodBoxes) {
        controls.post_check(box.control_id, opening.period == box.period);
    }
    if (opening.period != Period::from_till) {
        controls.enable(IDC_FROM_DATE, false);
        controls.enable(IDC_TILL_DATE, false);
    }
    if (opening.period == Period::last_days) {
        controls.enable(IDC_DAYS_EDIT, true);
        controls.enable(IDC_DAYS_UPDOWN, true);
    }
    if (loaded.days_stored()) {
        controls.set_text(IDC_DAYS_EDIT, decimal_text(loaded.days));
    }
    if (!loaded.data_yes(DataChoice::activities)) {
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
    const auto* const checked = std::find_if(std::begin(kPeriodBoxes), std::end(kPeriodBoxes),
                                             [&controls](const PeriodBox& box) { return controls.is_checked(box.control_id); });
    if (checked != std::end(kPeriodBoxes)) {
        choices.period = checked->period;
    }
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

}  // namespace lanternbook
