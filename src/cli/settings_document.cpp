#include "cli/settings_document.h"

#include <algorithm>
#include <array>
#include <set>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/usage.h"

namespace lanternbook::cli {
namespace {

using Json = nlohmann::json;

// What show prints about the key rather than about the choices.
constexpr std::array<const char*, 10> kPassedOver{"format", "key",   "config_bytes", "stored",    "not_stored",
                                                  "serial_number", "software_version", "bytes", "saved", "unchanged"};
constexpr std::array<const char*, 7> kChoiceFields{"data", "period", "days", "from", "till", "range_button",
                                                   "vdo_special_data"};

std::string in_quotes(const std::string& field) { return "\"" + field + "\""; }

// What the parser would let pass: a name given twice (it keeps the last),
// and a NUL, where it stops reading or which no value of ours holds.
class DocumentCheck : public nlohmann::json_sax<Json> {
public:
    // The first such fault.
    [[nodiscard]] const std::optional<std::string>& fault() const { return fault_; }
    // The last name read before the parse stopped.
    [[nodiscard]] const std::string& last_name() const { return last_name_; }

    bool key(string_t& name) override {
        if (!names_.empty() && !names_.back().insert(name).second) {
            fault_ = in_quotes(name) + " is given twice";
            return false;
        }
        last_name_ = name;
        return true;
    }
    bool string(string_t& value) override {
        if (value.find('\0') != std::string::npos) {
            fault_ = in_quotes(last_name_) + " holds a NUL character";
            return false;
        }
        return true;
    }
    bool start_object(std::size_t) override {
        names_.emplace_back();
        return true;
    }
    bool end_object() override {
        names_.pop_back();
        return true;
    }
    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t&) override { return true; }
    bool binary(binary_t&) override { return true; }
    bool start_array(std::size_t) override { return true; }
    bool end_array() override { return true; }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

private:
    std::optional<std::string> fault_;
    std::string last_name_;
    std::vector<std::set<std::string>> names_;
};

std::optional<std::string> unreadable_text(const std::string& text) {
    DocumentCheck check;
    static_cast<void>(Json::sax_parse(text, &check));
    if (check.fault()) {
        return check.fault();
    }
    const std::size_t nul = text.find('\0');
    if (nul != std::string::npos) {
        return "a NUL byte at byte " + std::to_string(nul) +
               (check.last_name().empty() ? std::string() : ", after " + in_quotes(check.last_name())) +
               "; a document is text";
    }
    return std::nullopt;
}

// show prints null for the bytes of a folder without CONFIG: only the dialog's defaults.
std::optional<std::string> defaults_only(const Json& document) {
    const auto bytes = document.find("config_bytes");
    if (bytes == document.end() || !bytes->is_null()) {
        return std::nullopt;
    }
    return in_quotes("config_bytes") +
           " is null: read from a folder without CONFIG, it holds only the dialog's defaults; add --force to use "
           "it anyway";
}

std::optional<std::string> unknown_field(const Json& document) {
    std::vector<std::string> known(kPassedOver.begin(), kPassedOver.end());
    known.insert(known.end(), kChoiceFields.begin(), kChoiceFields.end());
    for (const auto& item : document.items()) {
        if (std::find(known.begin(), known.end(), item.key()) != known.end()) {
            continue;
        }
        const std::optional<std::string> meant = nearest(item.key(), known);
        return "unknown field " + in_quotes(item.key()) + (meant ? "; did you mean " + in_quotes(*meant) + "?" : "");
    }
    return std::nullopt;
}

std::optional<std::string> read_format(const Json& document) {
    const auto format = document.find("format");
    if (format == document.end()) {
        return in_quotes("format") + " is missing; this program reads format " + std::to_string(kDocumentFormat);
    }
    if (!format->is_number_integer() || format->get<int64_t>() != kDocumentFormat) {
        return in_quotes("format") + " is " + format->dump() + "; this program reads format " +
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
    const std::string wrong_type = in_quotes("data") + " must be a list of data choice names";
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
    return refusal ? std::optional<std::string>(in_quotes("data") + ": " + *refusal) : std::nullopt;
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
        return in_quotes(name) + ": " + *refusal;
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
            return in_quotes("period") + ": " + *refusal;
        }
    }
    if (const Json* days = field(document, "days")) {
        if (!days->is_number_integer() || days->get<int64_t>() < kMinDays || days->get<int64_t>() > kMaxDays) {
            return in_quotes("days") + " must be a whole number from " + std::to_string(kMinDays) + " to " +
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
            return in_quotes(name) + " must be true or false";
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
        return in_quotes("days") + " is " + std::to_string(*request.days) + " but " + in_quotes("period") + " is last:" +
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
        return in_quotes(name) + " is " + date_text(*date) + " but " + in_quotes("period") + " has " + date_text(own);
    };
    std::optional<std::string> refusal = differs("from", request.from_date, period.from);
    return refusal ? refusal : differs("till", request.till_date, period.till);
}

}  // namespace

std::optional<std::string> read_settings_document(const std::string& text, const SystemTime& now,
                                                  SetRequest& request, bool defaults_taken) {
    if (std::optional<std::string> fault = unreadable_text(text)) {
        return fault;
    }
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
    if (!refusal && !defaults_taken) {
        refusal = defaults_only(document);
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
