// What the configurator dialog knows between its messages. The Win32 dialog
// owns one; the portable rules and the configuration view work on it.
#pragma once

#include <cstdint>

#include "config/stored_settings.h"
#include "device/device_drive.h"
#include "l10n/language_table.h"
#include "platform/platform.h"

namespace lanternbook {

struct DialogState {
    DialogState(Volumes& volumes, FileSystem& files) : device(volumes, files) {}

    uint32_t language_id = 0;
    uint32_t language_override = 0;
    LanguageTable strings;
    // The key was there at start: Save may write. Decided once, at start.
    bool device_ready = false;
    bool from_till_selected = false;
    bool last_days_selected = false;
    bool vdo_special_data = false;
    bool format_allowed = false;
    // The key the dialog shows, and its configuration as read at start.
    DeviceDrive device;
    StoredSettings loaded;
};

}  // namespace lanternbook
