#include "maintenance/save_config.h"

#include "l10n/notices.h"
#include "l10n/texts.h"

namespace lanternbook {

SaveOutcome save_config(const KeyIdentity& key, DeviceDrive& device, const DeviceConfig& config) {
    // Another key plugged in meanwhile would be stamped with this one's settings.
    if (!device.still_attached(key)) {
        return SaveOutcome::key_changed;
    }
    const ConfigWrite written = device.write_config(key, config);
    if (written == ConfigWrite::written) {
        return SaveOutcome::saved;
    }
    // A key pulled mid-way makes every call fail: that is what the user is told.
    if (written == ConfigWrite::no_key || written == ConfigWrite::key_changed || !device.still_attached(key)) {
        return SaveOutcome::key_changed;
    }
    switch (written) {
        case ConfigWrite::read_only: return SaveOutcome::read_only;
        case ConfigWrite::unreadable: return SaveOutcome::unreadable;
        case ConfigWrite::written:
        case ConfigWrite::no_key:
        case ConfigWrite::key_changed:
        case ConfigWrite::failed: break;
    }
    return SaveOutcome::failed;
}

ConfigImage image_to_save(const DeviceDrive& device, const StoredSettings& settings) {
    ConfigImage image = encode_config(config_from(settings));
    keep_key_identity(device.config_bytes(), image);
    return image;
}

bool save_settings(const KeyIdentity& key, DeviceDrive& device, const StoredSettings& settings,
                   UserMessages& messages, const LanguageTable& strings) {
    switch (save_config(key, device, config_from(settings))) {
        case SaveOutcome::saved: return true;
        case SaveOutcome::key_changed: show_error(messages, strings, Text::key_changed); break;
        case SaveOutcome::read_only:
        case SaveOutcome::unreadable:
        case SaveOutcome::failed: show_error(messages, strings, Text::save_failed); break;
    }
    return false;
}

}  // namespace lanternbook
