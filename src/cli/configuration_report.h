// A key's configuration as the dialog shows it, for `show` and for the
// result of `set --dry-run`: as aligned text lines or as JSON.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/set_request.h"
#include "config/stored_settings.h"
#include "device/device_drive.h"

namespace lanternbook::cli {

struct ConfigurationReport {
    std::wstring key;
    // Bytes in CONFIG as far as the dialog reads; none when there is no CONFIG.
    std::optional<std::size_t> config_length;
    // All zero when nothing was read, as the dialog starts.
    StoredSettings settings;
    // What the dialog holds after opening on this CONFIG.
    Choices choices;
    // What CONFIG stores that the dialog shows otherwise.
    UnshownValues unshown;
    // The 32 bytes `set --dry-run` would write; none for `show`.
    std::optional<ConfigImage> new_image;
    // What a real `set` did with CONFIG.
    enum class Save { none, saved, unchanged } save = Save::none;
};

// The key `device` has just read, with what the read gave.
[[nodiscard]] ConfigurationReport report_for(const DeviceDrive& device, ConfigRead read, const SystemTime& now);
// What `set` saved, or would save, on `key`.
[[nodiscard]] ConfigurationReport report_of_saved(const std::wstring& key, const ConfigImage& image,
                                                  const SystemTime& now);

// One "name  value" line each, UTF-8.
[[nodiscard]] std::string report_text(const ConfigurationReport& report);
// One JSON object with the keys the README lists, UTF-8, indented.
[[nodiscard]] std::string report_json(const ConfigurationReport& report);
// `show --all --json`: one object listing the reports of every key.
[[nodiscard]] std::string reports_json(const std::vector<ConfigurationReport>& reports);

// "31 31 30 ..." for the image, or "313130..." with an empty separator.
[[nodiscard]] std::string hex_bytes(const ConfigImage& image, const char* separator = " ");

// `period` in --period's words ("last:45"); none when no period box is checked.
[[nodiscard]] std::optional<std::string> period_text(const Choices& choices);

}  // namespace lanternbook::cli
