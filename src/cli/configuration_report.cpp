#include "cli/configuration_report.h"

#include <algorithm>
#include <vector>

#include "cli/set_request.h"
#include "cli/json_document.h"
#include "cli/shown_paths.h"
#include "dialog/opening_choices.h"
#include "text/utf8_text.h"

namespace lanternbook::cli {
namespace {

constexpr std::size_t kLabelWidth = 18;
constexpr char kHexDigits[] = "0123456789abcdef";
constexpr char kNoData[] = "no data";

std::vector<std::string> data_names_on(const Choices& choices) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < kDataChoiceCount; ++i) {
        if (choices.data[i]) {
            names.emplace_back(kDataNames[i]);
        }
    }
    return names;
}

std::string period_line(const Choices& choices) {
    return period_text(choices).value_or("none (Save keeps the stored period)");
}

std::optional<std::string> shown_date(const ConfigurationReport& report, const std::optional<SystemTime>& date) {
    if (report.config_length.value_or(0) < kFullDatesLength || !date) {
        return std::nullopt;
    }
    return date_text(*date);
}

std::optional<std::string> serial_shown(const StoredSettings& settings) {
    if (!settings.has_serial_number()) {
        return std::nullopt;
    }
    return utf8_from_wide(serial_number_text(settings));
}

std::optional<std::string> version_shown(const StoredSettings& settings) {
    if (!settings.has_software_version()) {
        return std::nullopt;
    }
    return utf8_from_wide(software_version_text(settings));
}

std::string config_line(const std::optional<std::size_t>& length) {
    if (!length) {
        return "none; the dialog's defaults are shown";
    }
    if (*length == 0) {
        return "0 bytes; the dialog's defaults are shown";
    }
    return std::to_string(*length) +
           (*length <= kVdoFlag ? " bytes; what it does not hold is shown as the dialog fills it in" : " bytes");
}

// The choices a CONFIG too short to hold them leaves to the dialog, by their
// JSON names, each with the byte that holds it.
struct StoredAt {
    const char* name;
    std::size_t last_byte;
};
constexpr StoredAt kStoredAt[] = {{"data", kFirstDataFlag + kDataChoiceCount - 1},
                                  {"period", kPeriodFlag},
                                  {"range_button", kPeriodFlag},
                                  {"days", kDaysFlag},
                                  {"vdo_special_data", kVdoFlag}};

bool is_stored(const ConfigurationReport& report, const char* name) {
    const std::size_t length = report.config_length.value_or(0);
    for (const StoredAt& field : kStoredAt) {
        if (std::string(field.name) == name) {
            return length > field.last_byte;
        }
    }
    return true;
}

// " (not stored)" after a choice CONFIG lacks, when it holds anything at all.
std::string unless_stored(const ConfigurationReport& report, const char* name) {
    return report.config_length.value_or(0) == 0 || is_stored(report, name) ? std::string() : " (not stored)";
}

std::string hex_byte(uint8_t byte) {
    return std::string("0x") + kHexDigits[byte >> 4] + kHexDigits[byte & 0x0F];
}

std::string period_shown(const ConfigurationReport& report) {
    if (!report.unshown.period_code) {
        return period_line(report.choices) + unless_stored(report, "period");
    }
    return period_line(report.choices) + " (stored: code " + hex_byte(*report.unshown.period_code) +
           ", no period the dialog shows; set keeps it unless --period is given)";
}

std::string days_shown(const ConfigurationReport& report) {
    if (!report.unshown.days) {
        return std::to_string(report.choices.days) + unless_stored(report, "days");
    }
    return std::to_string(report.choices.days) + " (stored: " + std::to_string(*report.unshown.days) + ", outside " +
           std::to_string(kMinDays) + "-" + std::to_string(kMaxDays) +
           "; set keeps it unless --period last:N is given)";
}

void add_line(std::string& text, const char* label, const std::string& value) {
    std::string padded = label;
    padded.resize(std::max(padded.size(), kLabelWidth), ' ');
    text += padded;
    text += value;
    text += '\n';
}

const char* on_off(bool on) { return on ? "on" : "off"; }

template <typename Value>
nlohmann::json json_or_null(const std::optional<Value>& value) {
    return value ? nlohmann::json(*value) : nlohmann::json(nullptr);
}

}  // namespace

ConfigurationReport report_for(const DeviceDrive& device, ConfigRead read, const SystemTime& now) {
    ConfigurationReport report;
    report.key = device.key().root;
    if (read == ConfigRead::read || read == ConfigRead::empty) {
        report.config_length = device.config_bytes().size();
    }
    report.settings = settings_from(device.config());
    report.choices = choices_after_opening(report.settings, now);
    report.unshown = unshown_values(report.settings, report.config_length.value_or(0));
    return report;
}

ConfigurationReport report_of_saved(const std::wstring& key, const ConfigImage& image, const SystemTime& now) {
    ConfigurationReport report;
    report.key = key;
    report.config_length = image.size();
    DeviceConfig saved;
    decode_config(image.data(), image.size(), saved);
    report.settings = settings_from(saved);
    report.choices = choices_after_opening(report.settings, now);
    report.unshown = unshown_values(report.settings, image.size());
    report.new_image = image;
    return report;
}

std::optional<std::string> period_text(const Choices& choices) {
    // The period box Save looks at first; none checked keeps the stored mode.
    switch (choices.period.value_or(Period::none)) {
        case Period::everything: return std::string("everything");
        case Period::since_last: return std::string("since-last");
        case Period::last_days: return "last:" + std::to_string(choices.days);
        case Period::from_till:
            return "from:" + date_text(choices.from_date.value_or(SystemTime{})) + ".." +
                   date_text(choices.till_date.value_or(SystemTime{}));
        case Period::not_stored:
        case Period::none:
        case Period::unknown: break;
    }
    return std::nullopt;
}

std::string hex_bytes(const ConfigImage& image, const char* separator) {
    std::string text;
    for (const uint8_t byte : image) {
        if (!text.empty()) {
            text += separator;
        }
        text += kHexDigits[byte >> 4];
        text += kHexDigits[byte & 0x0F];
    }
    return text;
}

std::string report_text(const ConfigurationReport& report) {
    const Choices& choices = report.choices;
    const StoredSettings& stored = report.settings;
    std::string text;
    add_line(text, "key", shown_text(report.key));
    add_line(text, "CONFIG", config_line(report.config_length));
    std::string data;
    for (const std::string& name : data_names_on(choices)) {
        data += data.empty() ? name : ", " + name;
    }
    add_line(text, "data", (data.empty() ? "none" : data) + unless_stored(report, "data"));
    add_line(text, "period", period_shown(report));
    add_line(text, "days", days_shown(report));
    add_line(text, "from", shown_date(report, choices.from_date).value_or(kNoData));
    add_line(text, "till", shown_date(report, choices.till_date).value_or(kNoData));
    add_line(text, "range button", on_off(choices.range_button) + unless_stored(report, "range_button"));
    const std::string not_stored = unless_stored(report, "vdo_special_data").empty() ? "" : "not stored; ";
    add_line(text, "VDO special data",
             std::string(on_off(stored.vdo_special_data())) + " (" + not_stored +
                 "hidden in the dialog; set keeps it unless --vdo is given)");
    add_line(text, "serial number", serial_shown(stored).value_or(kNoData));
    add_line(text, "software version", version_shown(stored).value_or(kNoData));
    if (report.new_image) {
        add_line(text, "bytes", hex_bytes(*report.new_image));
    }
    return text;
}

namespace {

nlohmann::ordered_json report_object(const ConfigurationReport& report) {
    const Choices& choices = report.choices;
    const StoredSettings& stored = report.settings;
    nlohmann::ordered_json json = json_document();
    json["key"] = utf8_from_wide(report.key);
    json["config_bytes"] = json_or_null(report.config_length);
    json["data"] = data_names_on(choices);
    json["period"] = json_or_null(period_text(choices));
    json["days"] = choices.days;
    json["from"] = json_or_null(shown_date(report, choices.from_date));
    json["till"] = json_or_null(shown_date(report, choices.till_date));
    json["range_button"] = choices.range_button;
    json["vdo_special_data"] = stored.vdo_special_data();
    json["serial_number"] = json_or_null(serial_shown(stored));
    json["software_version"] = json_or_null(version_shown(stored));
    nlohmann::ordered_json unshown = nlohmann::ordered_json::object();
    if (report.unshown.period_code) {
        unshown["period_code"] = *report.unshown.period_code;
    }
    if (report.unshown.days) {
        unshown["days"] = *report.unshown.days;
    }
    json["stored"] = unshown;
    nlohmann::ordered_json not_stored = nlohmann::ordered_json::array();
    for (const StoredAt& field : kStoredAt) {
        if (!is_stored(report, field.name)) {
            not_stored.push_back(field.name);
        }
    }
    json["not_stored"] = not_stored;
    if (report.new_image) {
        json["bytes"] = hex_bytes(*report.new_image, "");
    }
    if (report.save != ConfigurationReport::Save::none) {
        json[report.save == ConfigurationReport::Save::saved ? "saved" : "unchanged"] = true;
    }
    return json;
}

}  // namespace

std::string report_json(const ConfigurationReport& report) { return json_text(report_object(report)); }

nlohmann::ordered_json report_fields(const ConfigurationReport& report) {
    nlohmann::ordered_json fields = report_object(report);
    fields.erase("format");
    fields.erase("key");
    return fields;
}

std::string report_line(const ConfigurationReport& report) {
    const Choices& choices = report.choices;
    std::string data;
    for (const std::string& name : data_names_on(choices)) {
        data += data.empty() ? name : "," + name;
    }
    return "data " + (data.empty() ? std::string("none") : data) + "; period " +
           period_text(choices).value_or("none") + "; range button " + on_off(choices.range_button) +
           "; serial number " + serial_shown(report.settings).value_or(kNoData) +
           (report.config_length ? std::string() : "; no CONFIG");
}

}  // namespace lanternbook::cli
