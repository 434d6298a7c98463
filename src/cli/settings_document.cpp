#include "cli/settings_document.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/usage.h"

namespace lanternbook::cli {
namespace {

using Json = nlohmann::json;

// What show prints about the key rather than about the choices.
constexpr std::array<const char*, 8> kPassedOver{"format",        "key",      "config_bytes", "serial_number",
                                                 "software_version", "bytes", "saved",        "unchanged"};
constexpr std::array<const char*, 7> kChoiceFields{"data", "period", "days", "from", "till", "range_button",
                                                   "vdo_special_data"};

std::string quoted(const std::string& field) { return "\"" + field + "\""; }

std::optional<std::string> unknown_field(const Json& document) {
    std::vector<std::string> known(kPassedOver.begin(), kPassedOver.end());
    known.insert(known.end(), kChoiceFields.begin(), kChoiceFields.end());
    for (const auto& item : document.items()) {
        if (std::find(known.begin(), known.end(), item.key()) != known.end()) {
            continue;
        }
        const std::optional<std::string> meant = nearest(item.key(), known);
        return "unknown field " + quoted(item.key()) + (meant ? "; did you mean " + quoted(*meant) + "?" : "");
    }
    return std::nullopt;
}

std::optional<std::string> read_format(const Json& document) {
    const auto format = document.find("format");
    if (format == document.end()) {
        return quoted("format") + " is missing; this program reads format " + std::to_string(kDocumentFormat);
    }
    if (!format->is_number_integer() || format->get<int64_t>() != kDocumentFormat) {
        return quoted("format") + " is " + format->dump() + "; this program reads format " +
               std::to_string(kDocumentFormat);
    }
    return std::nullopt;
}

// Null where show prints null: the field says nothing.
const Json* field(const Json& document, const char* name) {
    const auto found = document.find(name);
    return found == document.end() || found->is_null() ? nullptr : &*found;
}

std::optional<std::string> read_data(const Json& document, SetRequest& request) {
    const Json* data = field(document, "data");
    if (data == nullptr) {
        return std::nullopt;
    }
    const std::string wrong_type = quoted("data") + " must be a list of data choice names";
    if (!data->is_array()) {
        return wrong_type;
    }
    std::vector<std::string> names;
    for (const Json& name : *data) {
        if (!name.is_string()) {
            return wrong_type;
        }
        names.push_back(name.get<std::string>());
    }
    const std::optional<std::string> refusal = read_data_names(names, request);
    return refusal ? std::optional<std::string>(quoted("data") + ": " + *refusal) : std::nullopt;
}

std::optional<std::string> read_date_field(const Json& document, const char* name, const SystemTime& now,
                                           std::optional<SystemTime>& date) {
    const Json* text = field(document, name);
    if (text == nullptr) {
        return std::nullopt;
    }
    SystemTime read;
    const std::optional<std::string> refusal =
        text->is_string() ? read_stored_date(text->get<std::string>(), now, read)
                          : std::optional<std::string>("must be a date YYYY-MM-DD or null");
    if (refusal) {
        return quoted(name) + ": " + *refusal;
    }
    date = read;
    return std::nullopt;
}

std::optional<std::string> read_values(const Json& document, const SystemTime& now, SetRequest& request) {
    if (std::optional<std::string> refusal = read_data(document, request)) {
        return refusal;
    }
    if (const Json* period = field(document, "period")) {
        const std::optional<std::string> refusal =
            period->is_string() ? read_period(period->get<std::string>(), now, request)
                                : std::optional<std::string>("must be a --period text or null");
        if (refusal) {
            return quoted("period") + ": " + *refusal;
        }
    }
    if (const Json* days = field(document, "days")) {
        if (!days->is_number_integer() || days->get<int64_t>() < kMinDays || days->get<int64_t>() > kMaxDays) {
            return quoted("days") + " must be a whole number from " + std::to_string(kMinDays) + " to " +
                   std::to_string(kMaxDays) + ", or null";
        }
        request.days = days->get<int>();
    }
    if (std::optional<std::string> refusal = read_date_field(document, "from", now, request.from_date)) {
        return refusal;
    }
    if (std::optional<std::string> refusal = read_date_field(document, "till", now, request.till_date)) {
        return refusal;
    }
    const std::array<std::pair<const char*, std::optional<bool>*>, 2> switches{
        {{"range_button", &request.range_button}, {"vdo_special_data", &request.vdo_as_stored}}};
    for (const auto& [name, value] : switches) {
        const Json* on = field(document, name);
        if (on == nullptr) {
            continue;
        }
        if (!on->is_boolean()) {
            return quoted(name) + " must be true or false";
        }
        *value = on->get<bool>();
    }
    return std::nullopt;
}

// show prints the period's own values in their fields too; a document that
// says two things is refused rather than read one way.
std::optional<std::string> disagreement(const SetRequest& request) {
    if (!request.period) {
        return std::nullopt;
    }
    const PeriodRequest& period = *request.period;
    if (period.period == Period::last_days && request.days && *request.days != period.days) {
        return quoted("days") + " is " + std::to_string(*request.days) + " but " + quoted("period") + " is last:" +
               std::to_string(period.days);
    }
    if (period.period != Period::from_till) {
        return std::nullopt;
    }
    const auto differs = [](const char* name, const std::optional<SystemTime>& date,
                            const SystemTime& own) -> std::optional<std::string> {
        if (!date || date_text(*date) == date_text(own)) {
            return std::nullopt;
        }
        return quoted(name) + " is " + date_text(*date) + " but " + quoted("period") + " has " + date_text(own);
    };
    std::optional<std::string> refusal = differs("from", request.from_date, period.from);
    return refusal ? refusal : differs("till", request.till_date, period.till);
}

}  // namespace

std::optional<std::string> read_settings_document(const std::string& text, const SystemTime& now,
                                                  SetRequest& request) {
    Json document;
    try {
        document = Json::parse(text);
    } catch (const Json::parse_error& error) {
        return "not valid JSON (at byte " + std::to_string(error.byte) + ")";
    }
    if (!document.is_object()) {
        return std::string("not a JSON object as show --json prints it");
    }
    SetRequest read;
    std::optional<std::string> refusal = unknown_field(document);
    if (!refusal) {
        refusal = read_format(document);
    }
    if (!refusal) {
        refusal = read_values(document, now, read);
    }
    if (!refusal) {
        refusal = disagreement(read);
    }
    if (!refusal) {
        request = read;
    }
    return refusal;
}

}  // namespace lanternbook::cli
