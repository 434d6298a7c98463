#include "dialog/opening_choices.h"

#include <cstddef>

#include "config/calendar.h"
#include "dialog/config_view.h"
#include "dialog/control_rules.h"

namespace lanternbook {
namespace {

constexpr std::size_t kCard = static_cast<std::size_t>(DataChoice::card_via_tachograph);

// The check boxes after the stored period mode's posted changes land on the
// defaults; an unknown mode leaves them as they were.
void apply_period_mode(Choices& choices, uint8_t mode) {
    switch (mode) {
        case kPeriodNone: choices.from_till = false; break;
        case kPeriodFromTill:
            choices.from_till = true;
            choices.everything = false;
            break;
        case kPeriodLastDays:
            choices.last_days = true;
            choices.from_till = false;
            choices.everything = false;
            break;
        case kPeriodSinceLast:
            choices.since_last = true;
            choices.everything = false;
            break;
        case kPeriodEverything: choices.everything = true; break;
        case kPeriodNoneAlso:
            choices.since_last = false;
            choices.everything = false;
            break;
        default: break;
    }
}

}  // namespace

SystemTime midnight_of(const SystemTime& now) {
    SystemTime day = now;
    day.hour = 0;
    day.minute = 0;
    day.second = 0;
    day.milliseconds = 0;
    return day;
}

SystemTime picker_date_after(const SystemTime& shown, const SystemTime& today) {
    int64_t file_time = 0;
    SystemTime held;
    if (!system_time_to_file_time(shown, file_time) || !file_time_to_system_time(file_time, held)) {
        return today;
    }
    return held;
}

Choices choices_after_opening(const StoredSettings& loaded, const SystemTime& now) {
    Choices choices;
    // The defaults that initialisation posts before loading.
    for (std::size_t i = 0; i < kDataChoiceCount; ++i) {
        choices.data[i] = i != kCard;
    }
    choices.everything = true;
    choices.days = kDefaultDays;
    const SystemTime today = midnight_of(now);
    choices.from_date = picker_date_after(date_to_show(loaded.from, kFirstFromYear, now.year), today);
    choices.till_date = picker_date_after(date_to_show(loaded.till, kFirstTillYear, now.year), today);
    if (loaded.nothing_read()) {
        return choices;
    }

    for (std::size_t i = 0; i < kDataChoiceCount; ++i) {
        choices.data[i] = loaded.data_on(static_cast<DataChoice>(i));
    }
    if (choices.data[kCard]) {
        for (std::size_t i = 0; i < kCard; ++i) {
            choices.data[i] = false;
        }
    }
    choices.range_button = loaded.range_button();
    apply_period_mode(choices, loaded.period_mode());
    if (loaded.days_stored()) {
        choices.days = loaded.days;
    }
    // The VDO box starts hidden and off whatever the key stores.
    choices.vdo_special_data = false;
    return choices;
}

}  // namespace lanternbook
