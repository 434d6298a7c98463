// What `set` was asked to change, read from its option texts, and the
// dialog's choices with those changes made the way a user's clicks would
// make them. Choices the dialog cannot make are refused.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "config/stored_settings.h"
#include "platform/platform.h"

namespace lanternbook::cli {

// The data choices' names on the command line, in DataChoice order.
constexpr std::array<const char*, kDataChoiceCount> kDataNames{
    "activities", "events-and-faults", "detailed-speed", "technical-data", "driver-card-via-tachograph"};

struct PeriodRequest {
    // since_last, everything, last_days or from_till: a period box the user can check.
    Period period = Period::everything;
    int days = 0;
    SystemTime from;
    SystemTime till;
};

struct SetRequest {
    std::optional<std::array<bool, kDataChoiceCount>> data;
    std::optional<PeriodRequest> period;
    std::optional<bool> range_button;
    std::optional<bool> vdo_special_data;
    // What Save stores whatever the period: the day count and the two dates,
    // as another key's configuration holds them. A period given beside them
    // brings its own.
    std::optional<int> days;
    std::optional<SystemTime> from_date;
    std::optional<SystemTime> till_date;
    // VDO special data as another key stores it: it takes the place of this
    // key's stored bit, and like it goes off when activities do.
    std::optional<bool> vdo_as_stored;
};

// Each reader fills its part of the request, or gives the one-line reason
// the text is refused, for the caller to put after the option's name.
[[nodiscard]] std::optional<std::string> read_data_list(const std::string& text, SetRequest& request);
[[nodiscard]] std::optional<std::string> read_data_names(const std::vector<std::string>& names, SetRequest& request);
[[nodiscard]] std::optional<std::string> read_period(const std::string& text, const SystemTime& now,
                                                     SetRequest& request);
// A "YYYY-MM-DD" that Save stores as it is: from 1970-01-01 to today.
[[nodiscard]] std::optional<std::string> read_stored_date(const std::string& text, const SystemTime& now,
                                                          SystemTime& date);

// "YYYY-MM-DD" of a date's calendar fields.
[[nodiscard]] std::string date_text(const SystemTime& date);

struct AppliedChoices {
    Choices choices;
    // Set when the dialog could not end up with these choices.
    std::optional<std::string> refusal;
};

// The request's changes made to what the dialog holds; what it does not
// name stays as it was. `held` carries the VDO bit the key stores (or the
// request's vdo_as_stored), which the dialog itself would drop.
[[nodiscard]] AppliedChoices apply_request(const Choices& held, const SetRequest& request);

// Whether the request changes anything at all.
[[nodiscard]] bool changes_something(const SetRequest& request);

// Values a CONFIG stores that the dialog shows otherwise: its Save would
// overwrite them with what it shows, set keeps them unless it is given what
// covers them.
struct UnshownValues {
    // The period byte, when it holds no period the dialog has a box for.
    std::optional<uint8_t> period_code;
    // A day count outside 7-180.
    std::optional<uint8_t> days;
};

// Those of `loaded`, read from a CONFIG of `length` bytes.
[[nodiscard]] UnshownValues unshown_values(const StoredSettings& loaded, std::size_t length);

// `saved` with the unshown values of `loaded` put back, unless the request
// covers them: --period the period code, a day count the days.
[[nodiscard]] StoredSettings with_unshown_kept(StoredSettings saved, const StoredSettings& loaded,
                                               std::size_t length, const SetRequest& request);

// What the dialog holds after opening on `loaded`, with VDO special data as
// stored (or as the request brings it) instead of off.
[[nodiscard]] Choices held_for_set(const StoredSettings& loaded, const SetRequest& request, const SystemTime& now);

}  // namespace lanternbook::cli
