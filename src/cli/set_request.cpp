#include "cli/set_request.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <numeric>
#include <vector>

#include "config/calendar.h"
#include "dialog/opening_choices.h"

namespace lanternbook::cli {
namespace {

constexpr char kSinceLast[] = "since-last";
constexpr char kEverything[] = "everything";
constexpr char kLastPrefix[] = "last:";
constexpr char kFromPrefix[] = "from:";
constexpr char kRangeSeparator[] = "..";
constexpr std::size_t kDateTextLength = 10;  // YYYY-MM-DD
constexpr std::size_t kDaysDigitsLimit = 4;
constexpr uint16_t kFirstStoredYear = 1970;
constexpr std::size_t kActivities = static_cast<std::size_t>(DataChoice::activities);
constexpr std::size_t kCard = static_cast<std::size_t>(DataChoice::card_via_tachograph);

bool starts_with(const std::string& text, const char* prefix) {
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

bool all_digits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int digits_value(const std::string& text) {
    return std::accumulate(text.begin(), text.end(), 0, [](int value, char c) { return value * 10 + (c - '0'); });
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    for (const char c : text) {
        if (c == separator) {
            parts.push_back(part);
            part.clear();
        } else {
            part.push_back(c);
        }
    }
    parts.push_back(part);
    return parts;
}

// A calendar date from "YYYY-MM-DD", with its weekday; empty when there is no such day.
std::optional<SystemTime> read_date(const std::string& text) {
    if (text.size() != kDateTextLength || text[4] != '-' || text[7] != '-') {
        return std::nullopt;
    }
    const std::string year = text.substr(0, 4);
    const std::string month = text.substr(5, 2);
    const std::string day = text.substr(8, 2);
    if (!all_digits(year) || !all_digits(month) || !all_digits(day)) {
        return std::nullopt;
    }
    SystemTime date;
    date.year = static_cast<uint16_t>(digits_value(year));
    date.month = static_cast<uint16_t>(digits_value(month));
    date.day = static_cast<uint16_t>(digits_value(day));
    if (!is_valid_system_time(date)) {
        return std::nullopt;
    }
    // The weekday the picker would work out for the date chosen in it.
    return picker_date_after(date, date);
}

int64_t day_number(const SystemTime& date) { return days_from_civil(date.year, date.month, date.day); }

// Save stores a date before 1970 as 1970-01-01 and a later one than today as today.
std::optional<std::string> outside_stored_range(const SystemTime& date, const SystemTime& now) {
    SystemTime first;
    first.year = kFirstStoredYear;
    first.month = 1;
    first.day = 1;
    if (day_number(date) < day_number(first)) {
        return date_text(date) + " is before 1970-01-01, the first day the key can store";
    }
    if (day_number(date) > day_number(now)) {
        return date_text(date) + " is after today (" + date_text(now) + "); the dialog would store today instead";
    }
    return std::nullopt;
}

}  // namespace

std::string date_text(const SystemTime& date) {
    char text[16];
    if (std::snprintf(text, sizeof text, "%04u-%02u-%02u", static_cast<unsigned>(date.year) % 10000U,
                      static_cast<unsigned>(date.month) % 100U, static_cast<unsigned>(date.day) % 100U) < 0) {
        return std::string();
    }
    return text;
}

std::optional<std::string> read_data_list(const std::string& text, SetRequest& request) {
    const std::vector<std::string> parts = split(text, ',');
    std::vector<std::string> names;
    std::copy_if(parts.begin(), parts.end(), std::back_inserter(names), [](const std::string& name) { return !name.empty(); });
    return read_data_names(names, request);
}

std::optional<std::string> read_data_names(const std::vector<std::string>& names, SetRequest& request) {
    std::array<bool, kDataChoiceCount> data{};
    for (const std::string& name : names) {
        bool known = false;
        for (std::size_t i = 0; i < kDataChoiceCount; ++i) {
            if (name == kDataNames[i]) {
                data[i] = true;
                known = true;
            }
        }
        if (!known) {
            std::string refusal = "unknown data choice '";
            refusal += name;
            refusal += "' (known:";
            for (const char* known_name : kDataNames) {
                refusal += ' ';
                refusal += known_name;
            }
            refusal += ')';
            return refusal;
        }
    }
    request.data = data;
    return std::nullopt;
}

std::optional<std::string> read_period(const std::string& text, const SystemTime& now, SetRequest& request) {
    PeriodRequest period;
    if (text == kSinceLast) {
        period.period = Period::since_last;
    } else if (text == kEverything) {
        period.period = Period::everything;
    } else if (starts_with(text, kLastPrefix)) {
        const std::string days = text.substr(std::char_traits<char>::length(kLastPrefix));
        if (!all_digits(days) || days.size() > kDaysDigitsLimit || digits_value(days) < kMinDays ||
            digits_value(days) > kMaxDays) {
            return "'" + text + "': the number of days must be " + std::to_string(kMinDays) + " to " +
                   std::to_string(kMaxDays);
        }
        period.period = Period::last_days;
        period.days = digits_value(days);
    } else if (starts_with(text, kFromPrefix)) {
        const std::string range = text.substr(std::char_traits<char>::length(kFromPrefix));
        const std::size_t separator = range.find(kRangeSeparator);
        const std::optional<SystemTime> from =
            separator == std::string::npos ? std::nullopt : read_date(range.substr(0, separator));
        const std::optional<SystemTime> till =
            separator == std::string::npos
                ? std::nullopt
                : read_date(range.substr(separator + std::char_traits<char>::length(kRangeSeparator)));
        if (!from || !till) {
            return "'" + text + "' is not from:YYYY-MM-DD..YYYY-MM-DD with two real dates";
        }
        std::optional<std::string> refusal = outside_stored_range(*from, now);
        if (!refusal) {
            refusal = outside_stored_range(*till, now);
        }
        if (refusal) {
            return refusal;
        }
        if (day_number(*from) > day_number(*till)) {
            return "From " + date_text(*from) + " is after Till " + date_text(*till);
        }
        period.period = Period::from_till;
        period.from = *from;
        period.till = *till;
    } else {
        return "'" + text + "' is none of since-last, everything, last:N, from:YYYY-MM-DD..YYYY-MM-DD";
    }
    request.period = period;
    return std::nullopt;
}

std::optional<std::string> read_stored_date(const std::string& text, const SystemTime& now, SystemTime& date) {
    const std::optional<SystemTime> read = read_date(text);
    if (!read) {
        return "'" + text + "' is not a real date YYYY-MM-DD";
    }
    if (std::optional<std::string> refusal = outside_stored_range(*read, now)) {
        return refusal;
    }
    date = *read;
    return std::nullopt;
}

bool changes_something(const SetRequest& request) {
    return request.data || request.period || request.range_button || request.vdo_special_data || request.days ||
           request.from_date || request.till_date || request.vdo_as_stored;
}

UnshownValues unshown_values(const StoredSettings& loaded, std::size_t length) {
    UnshownValues unshown;
    const bool no_box = loaded.period == Period::unknown || loaded.period == Period::not_stored;
    if (length > kPeriodFlag && no_box) {
        unshown.period_code = config_from(loaded).flags[kPeriodFlag];
    }
    if (length > kDaysFlag && !loaded.days_stored()) {
        unshown.days = loaded.days;
    }
    return unshown;
}

StoredSettings with_unshown_kept(StoredSettings saved, const StoredSettings& loaded, std::size_t length,
                                 const SetRequest& request) {
    const UnshownValues unshown = unshown_values(loaded, length);
    if (unshown.period_code && !request.period) {
        // The range button stays as chosen: it is a choice of its own.
        saved.period = loaded.period;
        saved.unknown_period_code = loaded.unknown_period_code;
    }
    const bool days_given = request.days || (request.period && request.period->period == Period::last_days);
    if (unshown.days && !days_given) {
        saved.days = loaded.days;
    }
    return saved;
}

Choices held_for_set(const StoredSettings& loaded, const SetRequest& request, const SystemTime& now) {
    Choices held = choices_after_opening(loaded, now);
    held.vdo_special_data = request.vdo_as_stored.value_or(loaded.vdo_special_data());
    return held;
}

AppliedChoices apply_request(const Choices& held, const SetRequest& request) {
    AppliedChoices applied;
    Choices& choices = applied.choices;
    choices = held;
    if (request.data) {
        const auto& data = *request.data;
        // Checking either side unchecks the other.
        if (data[kCard]) {
            for (std::size_t i = 0; i < kCard; ++i) {
                if (data[i]) {
                    applied.refusal = std::string(kDataNames[kCard]) + " cannot be on together with " + kDataNames[i];
                    return applied;
                }
            }
        }
        choices.data = data;
    }
    // Typed and picked while their period box was checked, then another box checked.
    if (request.days) {
        choices.days = *request.days;
    }
    if (request.from_date) {
        choices.from_date = request.from_date;
    }
    if (request.till_date) {
        choices.till_date = request.till_date;
    }
    if (request.period) {
        const PeriodRequest& period = *request.period;
        // A clicked period box unchecks the other three.
        choices.period = period.period;
        if (period.period == Period::last_days) {
            choices.days = period.days;
        } else if (period.period == Period::from_till) {
            choices.from_date = period.from;
            choices.till_date = period.till;
        }
    }
    if (request.range_button) {
        choices.range_button = *request.range_button;
    }
    if (request.vdo_special_data) {
        choices.vdo_special_data = *request.vdo_special_data;
    }
    // The VDO box is offered only while activities are on, and cleared when they go.
    if (choices.vdo_special_data && !choices.data[kActivities]) {
        if (request.vdo_special_data) {
            applied.refusal = std::string("--vdo on: needs ") + kDataNames[kActivities] +
                              " on; the dialog clears VDO special data without it";
        }
        choices.vdo_special_data = false;
    }
    return applied;
}

}  // namespace lanternbook::cli
