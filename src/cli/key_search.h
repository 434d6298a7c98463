// The keys a platform has attached, as the command line sees them.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "device/device_drive.h"
#include "platform/platform.h"

namespace lanternbook::cli {

// A platform's keys as the command line sees them.
class AttachedKeys : public KeyFinder {
public:
    // True when `folder` is the root of an attached volume whose label names the key.
    [[nodiscard]] virtual bool is_key_root(const std::wstring& folder) = 0;
    // What find_keys looks at, for the message when it finds nothing.
    [[nodiscard]] virtual std::wstring searched() = 0;
    // The volume label of a root the last find_keys gave; empty when unknown.
    [[nodiscard]] virtual std::wstring label_of(const std::wstring& root) = 0;
    // The devices whose labels the last find_keys could not read, each with
    // the system's reason ("/dev/sdb1: Permission denied"): a key may be there.
    [[nodiscard]] virtual std::vector<std::wstring> unread_labels() = 0;
};

// Windows: the dialog's own drive-letter search, stale-device removal included.
class DriveLetterKeys : public AttachedKeys {
public:
    DriveLetterKeys(Volumes& volumes, FileSystem& files) : volumes_(volumes), device_(volumes, files) {}
    KeySearch find_keys() override { return device_.find_keys(); }
    // "K:", "k:\" or "K:/" whose drive the search lists.
    bool is_key_root(const std::wstring& folder) override;
    std::wstring searched() override { return L"the labels of drives A: to Z:"; }
    std::wstring label_of(const std::wstring& root) override;
    std::vector<std::wstring> unread_labels() override { return {}; }

private:
    Volumes& volumes_;
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
