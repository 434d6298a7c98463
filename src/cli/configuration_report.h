// A key's configuration as the dialog shows it, for `show` and for the
// result of `set --dry-run`: as aligned text lines or as JSON.
#pragma once

#include <optional>
#include <string>

#include "cli/key_config.h"
#include "config/stored_settings.h"

namespace lanternbook::cli {

struct ConfigurationReport {
    std::wstring key;
    KeyConfig config;
    // What the dialog holds after opening on this CONFIG.
    Choices choices;
    // The 32 bytes `set --dry-run` would write; none for `show`.
    std::optional<ConfigImage> new_image;
};

[[nodiscard]] ConfigurationReport report_for(const std::wstring& key, const KeyConfig& config, const SystemTime& now);

// One "name  value" line each, UTF-8.
[[nodiscard]] std::string report_text(const ConfigurationReport& report);
// One JSON object with the keys the README lists, UTF-8, indented.
[[nodiscard]] std::string report_json(const ConfigurationReport& report);

// "31 31 30 ..." for the image.
[[nodiscard]] std::string hex_bytes(const ConfigImage& image);

}  // namespace lanternbook::cli
