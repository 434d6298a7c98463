// Settling which key a command works on.
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "cli/exit_codes.h"
#include "device/device_drive.h"
#include "platform/platform.h"

namespace lanternbook::cli {

struct ChosenKey {
    Exit exit = Exit::done;
    std::wstring root;
    std::wstring error;  // one line when exit is not done
};

// The folder named with --key when there is one, or the only key attached.
[[nodiscard]] ChosenKey choose_key(const std::wstring* named_root, KeyFinder& finder, FileSystem& files);

// Windows: the dialog's own drive-letter search, stale-device removal included.
class DriveLetterKeys : public KeyFinder {
public:
    DriveLetterKeys(Volumes& volumes, FileSystem& files) : device_(volumes, files) {}
    KeySearch find_keys() override { return device_.find_keys(); }

private:
    DeviceDrive device_;
};

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
    bool is_removable(const std::wstring& root) override { return volumes_.is_removable(root); }
    std::unique_ptr<UsbDeviceSet> open_usb_devices() override { return volumes_.open_usb_devices(); }

private:
    Volumes& volumes_;
    FileSystem& files_;
    std::wstring root_;
};

}  // namespace lanternbook::cli
