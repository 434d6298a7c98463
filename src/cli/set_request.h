// What `set` was asked to change, read from its option texts, and the
// dialog's choices with those changes made the way a user's clicks would
// make them. Choices the dialog cannot make are refused.
#pragma once

#include <array>
#include <optional>
#include <string>

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
};

// Each reader fills its part of the request, or gives the one-line reason
// the text is refused.
[[nodiscard]] std::optional<std::string> read_data_list(const std::string& text, SetRequest& request);
[[nodiscard]] std::optional<std::string> read_period(const std::string& text, const SystemTime& now,
                                                     SetRequest& request);

// "YYYY-MM-DD" of a date's calendar fields.
[[nodiscard]] std::string date_text(const SystemTime& date);

struct AppliedChoices {
    Choices choices;
    // Set when the dialog could not end up with these choices.
    std::optional<std::string> refusal;
};

// The request's changes made to what the dialog holds; what it does not
// name stays as it was.
[[nodiscard]] AppliedChoices apply_request(const Choices& held, const SetRequest& request);

}  // namespace lanternbook::cli
