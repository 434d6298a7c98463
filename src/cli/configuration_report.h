// A key's configuration as the dialog shows it, for `show` and for the
// result of `set --dry-run`: as aligned text lines or as JSON.
#pragma once

#include <optional>
#include <string>

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
    // The 32 bytes `set --dry-run` would write; none for `show`.
    std::optional<ConfigImage> new_image;
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

// "31 31 30 ..." for the image.
[[nodiscard]] std::string hex_bytes(const ConfigImage& image);

}  // namespace lanternbook::cli
