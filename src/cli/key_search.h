// Settling which key a command works on, and whether a named folder is one.
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "cli/exit_codes.h"
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
};

struct ChosenKey {
    Exit exit = Exit::done;
    std::wstring root;
    // When exit is not done: one line, or with several keys one more line per key.
    std::wstring error;
    // Found by the search rather than named: a key by its label.
    bool found = false;
};

// ": Permission denied": the system's reason for the last failure of `files`;
// empty when it gives none.
[[nodiscard]] std::wstring reason_of(FileSystem& files);

// The folder named with --key when there is one, or the only key attached.
[[nodiscard]] // A folder named on the command line as an absolute path free of links.
[[nodiscard]] std::wstring as_named(const std::wstring& named);

ChosenKey choose_key(const std::wstring* named_root, AttachedKeys& keys, FileSystem& files);

enum class FolderKind {
    key,         // a key's root, by its label or by its CONFIG
    other,       // no label naming the key and no CONFIG
    unreadable,  // whether CONFIG is there cannot be told
};

// What `root`, a folder named with --key, is; set and erase change keys only.
[[nodiscard]] FolderKind kind_of_folder(const std::wstring& root, AttachedKeys& keys, FileSystem& files);

// Windows: the dialog's own drive-letter search, stale-device removal included.
class DriveLetterKeys : public AttachedKeys {
public:
    DriveLetterKeys(Volumes& volumes, FileSystem& files) : volumes_(volumes), device_(volumes, files) {}
    KeySearch find_keys() override { return device_.find_keys(); }
    // "K:", "k:\" or "K:/" whose drive the search lists.
    bool is_key_root(const std::wstring& folder) override;
    std::wstring searched() override { return L"the labels of drives A: to Z:"; }
    std::wstring label_of(const std::wstring& root) override;

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
