// The key's CONFIG read for the command line: the same decoding as the
// dialog's, without touching anything on the key.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "config/stored_settings.h"
#include "device/device_drive.h"
#include "platform/platform.h"

namespace lanternbook::cli {

constexpr std::size_t kDatesShownFrom = 24;

struct KeyConfig {
    ConfigRead status = ConfigRead::no_config;
    bool file_found = false;
    // Bytes in the file, as far as the dialog reads.
    std::size_t length = 0;
    // All zero when nothing was read, as the dialog starts.
    StoredSettings settings;
    // The bytes read, at most kConfigReadLimit.
    std::vector<uint8_t> bytes;

    // The file holds the calendar bytes of From and Till that the pickers
    // show (all but Till's weekday, which the picker works out itself).
    bool has_dates() const { return length >= kDatesShownFrom; }
};

[[nodiscard]] KeyConfig read_key_config(FileSystem& files, const std::wstring& root);

// The image as the safe write puts it on a key whose CONFIG is `current`:
// bytes 25-31 are the key's own and stay as the file has them.
[[nodiscard]] ConfigImage image_as_written(ConfigImage image, const KeyConfig& current);

// A key whose label the system cannot tell, named on the command line:
// its folder stands for the volume, so a run still notices when it goes
// away or another volume takes its place.
class NamedKeyVolumes : public Volumes {
public:
    NamedKeyVolumes(Volumes& volumes, FileSystem& files, std::wstring root)
        : volumes_(volumes), files_(files), root_(std::move(root)) {}

    uint32_t logical_drive_mask() override { return volumes_.logical_drive_mask(); }
    bool drive_display_name(const std::wstring& root, std::wstring& name) override {
        return volumes_.drive_display_name(root, name);
    }
    bool volume_total_bytes(const std::wstring& root, uint64_t& total_bytes) override {
        return volumes_.volume_total_bytes(root, total_bytes);
    }
    bool volume_identity(const std::wstring& root, uint32_t& serial_number, std::wstring& label) override;
    bool set_volume_label(const std::wstring& root, const std::wstring& label) override {
        return volumes_.set_volume_label(root, label);
    }
    std::unique_ptr<UsbDeviceSet> open_usb_devices() override { return volumes_.open_usb_devices(); }

private:
    Volumes& volumes_;
    FileSystem& files_;
    std::wstring root_;
};

// The key as a command works on it: its root and its volume's identity now.
[[nodiscard]] KeyIdentity identity_of(const std::wstring& root, Volumes& volumes);

}  // namespace lanternbook::cli
