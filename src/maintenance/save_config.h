// Saves a configuration as the key's CONFIG: the dialog's Save, the command
// line's set and the write-back after a format all come here.
#pragma once

#include "config/stored_settings.h"
#include "device/device_drive.h"
#include "l10n/language_table.h"
#include "platform/platform.h"

namespace lanternbook {

enum class SaveOutcome {
    saved,
    key_changed,  // the key went away or another took its place: nothing written
    read_only,    // CONFIG is read-only: left as it was
    unreadable,   // CONFIG is there but cannot be read: left as it was
    failed,       // nothing replaced: CONFIG is as it was
};

// Writes `config` as CONFIG on `key`, only while the key is still that key.
[[nodiscard]] SaveOutcome save_config(const KeyIdentity& key, DeviceDrive& device, const DeviceConfig& config);

// The 32 bytes a save of `settings` writes on the key `device` last read, as
// long as its CONFIG is still what was read then.
[[nodiscard]] ConfigImage image_to_save(const DeviceDrive& device, const StoredSettings& settings);

// The dialog's Save: the user is told when nothing was saved. True when saved.
[[nodiscard]] bool save_settings(const KeyIdentity& key, DeviceDrive& device, const StoredSettings& settings,
                                 UserMessages& messages, const LanguageTable& strings);

}  // namespace lanternbook
