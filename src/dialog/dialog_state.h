// What the configurator dialog knows between its messages. The Win32 dialog
// owns one; the portable rules, the configuration mapping and the
// maintenance operations work on it.
#pragma once

#include <array>
#include <cstdint>

#include "device/device_drive.h"
#include "l10n/language_table.h"
#include "platform/platform.h"

namespace lanternbook {

struct DialogState {
    explicit DialogState(Platform& platform) : device(platform, platform) {}

    uint32_t language_id = 0;
    bool device_ready = false;
    bool from_till_selected = false;
    bool last_days_selected = false;
    bool vdo_special_data = false;
    DeviceDrive device;
    std::array<uint8_t, 10> config_flags{};
    std::array<uint8_t, 32> config_dates{};
    int32_t config_dates_length = 0;
    int64_t from_time = 0;
    int64_t till_time = 0;
    SystemTime from_date;
    SystemTime till_date;
    bool format_allowed = false;
    LanguageTable strings;
    uint32_t language_override = 0;
};

}  // namespace lanternbook
