#include "dialog/opening_choices.h"

#include <cstddef>

#include "config/calendar.h"
#include "dialog/control_rules.h"

namespace lanternbook {
namespace {

constexpr std::size_t kCard = static_cast<std::size_t>(DataChoice::card_via_tachograph);

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

std::optional<Period> period_box_after_opening(Period stored) {
    switch (stored) {
        case Period::from_till:
        case Period::last_days:
        case Period::since_last:
        case Period::everything: return stored;
        case Period::none: return std::nullopt;
        // Nothing stored to show: the default box stays.
        case Period::not_stored:
        case Period::unknown: break;
    }
    return Period::everything;
}

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
    choices.period = Period::everything;
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
    choices.range_button = loaded.range_button;
    choices.period = period_box_after_opening(loaded.period);
    if (loaded.days_stored()) {
        choices.days = loaded.days;
    }
    // The VDO box starts hidden and off whatever the key stores.
    choices.vdo_special_data = false;
    return choices;
}

}  // namespace lanternbook
