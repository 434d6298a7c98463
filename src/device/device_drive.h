// The one reader and writer of the key: finds it by its volume label, tells
// whether it is still the same key, and reads and writes its CONFIG and DATE
// files, for the dialog and the command line alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/config_codec.h"
#include "platform/platform.h"

namespace lanternbook {

constexpr wchar_t kVolumeWord[] = L"VOLKARIS";
constexpr wchar_t kUsbDescriptionPrefix[] = L"BRINDLEX";
constexpr wchar_t kConfigFileName[] = L"CONFIG";
constexpr wchar_t kDateFileName[] = L"DATE";
// Save writes a new file here first and then puts it in CONFIG's place; a
// name already taken (a file left by a crash, or a link) gets a digit.
constexpr wchar_t kConfigHelperFileName[] = L"CONFIG.NEW";
constexpr unsigned kConfigHelperAttempts = 10;
// How long a Save, or a put-back, waits for another on the same key.
constexpr unsigned kKeyLockWaitMs = 10000;

// True for a volume label that names a key: it holds the volume word in any case.
[[nodiscard]] bool label_names_key(const std::wstring& label);

// One key as found: where it is and which volume it is.
struct KeyIdentity {
    std::wstring root;
    int drive_index = 0;
    uint32_t volume_serial = 0;
    std::wstring label;

    bool found() const { return !root.empty(); }
};

// The roots of the keys attached, or what could not be searched.
struct KeySearch {
    std::vector<std::wstring> roots;
    // Set when the search could not be made: what could not be read.
    std::wstring failure;
};

// Each platform's way of listing the attached keys.
class KeyFinder {
public:
    virtual ~KeyFinder() = default;
    [[nodiscard]] virtual KeySearch find_keys() = 0;
};

enum class ConfigRead {
    no_key,
    no_config,   // no CONFIG on the key
    empty,       // a CONFIG of no bytes
    unreadable,  // CONFIG is there but cannot be read
    read,
};

enum class ConfigWrite {
    written,
    no_key,
    key_changed, // another volume, or another key's CONFIG, in this key's place: nothing written
    read_only,   // CONFIG is read-only: left as it is
    unreadable,  // CONFIG is there but its serial number and version cannot be read
    failed,      // nothing replaced: CONFIG is as it was
};

class DeviceDrive {
public:
    DeviceDrive(Volumes& volumes, FileSystem& files) : volumes_(volumes), files_(files) {}

    // Root path ("E:\") of the first drive whose display name holds the
    // volume word, or the empty text.
    std::wstring find_drive();
    // The same search, with the volume's identity.
    KeyIdentity find_key();
    // Every drive that holds a key, in letter order.
    [[nodiscard]] KeySearch find_keys();
    // The volume at `root` as it is now; not found when there is none.
    KeyIdentity key_at(const std::wstring& root);
    // True while the volume at key.root is still that key.
    [[nodiscard]] bool still_attached(const KeyIdentity& key);
    std::wstring drive_display_name(const std::wstring& root);

    // The one way to a file in the key's root: `name` opened through the
    // root held, only as a regular file of that very volume: never through
    // a link, never a folder, a device or a pipe. Null otherwise.
    [[nodiscard]] std::unique_ptr<File> open_on_key(const KeyIdentity& key, const std::wstring& name,
                                                    FileAccess access, FileDisposition disposition);

    // The key's root folder, held, once it proves to be that volume's root.
    [[nodiscard]] std::unique_ptr<Folder> open_root(const KeyIdentity& key);
    // Whether a held folder of the key is still `path` on that volume, where
    // the platform can tell.
    [[nodiscard]] static bool still_in_place(Folder& folder, const KeyIdentity& key, const std::wstring& path);
    // Why the last file-system call failed, in the system's words; may be empty.
    std::wstring failure_reason() { return files_.failure_reason(); }

    // Searches for the key, tops up its DATE and reads its CONFIG; key() is
    // then that key.
    [[nodiscard]] ConfigRead read_config();
    // Reads the CONFIG of `key`, and tops up its DATE first when asked; key()
    // is then that key.
    [[nodiscard]] ConfigRead read_config(const KeyIdentity& key, bool top_up_date = false);
    // The device needs a DATE of at least six bytes: a shorter one, or none,
    // gets its marker.
    void ensure_date_file(const KeyIdentity& key);
    // Puts `config`'s 32-byte image in CONFIG's place on `key`, so that CONFIG
    // is always either the old file or the new one. Bytes 25-31 come from the
    // CONFIG being replaced, or from `config` when the key has none. Nothing
    // is replaced unless, at the last moment, the volume is still `key` and
    // its CONFIG still has the bytes 25-31 it had when last read here.
    [[nodiscard]] ConfigWrite write_config(const KeyIdentity& key, const DeviceConfig& config);
    // CONFIG's bytes as they are now, leaving what was read before as it is.
    [[nodiscard]] ConfigRead read_config_bytes(const KeyIdentity& key, std::vector<uint8_t>& bytes) {
        return read_bytes(key, bytes);
    }
    // Whether the key's CONFIG still holds the bytes 25-31 it held when last
    // read here: another key's CONFIG under the same name does not.
    [[nodiscard]] bool still_holds_config(const KeyIdentity& key);
    // Empties DATE, as a format leaves the key.
    [[nodiscard]] bool reset_date_file(const KeyIdentity& key);

    const KeyIdentity& key() const { return key_; }
    // The same key under its new identity, after a format gave it one.
    void remember_key(const KeyIdentity& key) { key_ = key; }
    int drive_index() const { return drive_index_; }
    const DeviceConfig& config() const { return config_; }
    // CONFIG's bytes as last read, at most kConfigReadLimit.
    const std::vector<uint8_t>& config_bytes() const { return config_bytes_; }
    bool not_found() const { return not_found_; }

private:
    // The first drive in `mask` from `first` on that holds a key; -1 for none.
    int next_key_drive(uint32_t mask, int first);
    // A stale device of the key's USB class is removed before every search:
    // until it goes, Windows may keep showing the key's old volume.
    void remove_stale_usb_device();
    [[nodiscard]] ConfigRead read_bytes(const KeyIdentity& key, std::vector<uint8_t>& bytes);

    Volumes& volumes_;
    FileSystem& files_;
    int drive_index_ = 0;
    KeyIdentity key_;
    DeviceConfig config_;
    std::vector<uint8_t> config_bytes_;
    bool not_found_ = true;
};

// The root "X:\" of drive index 0 (A:) to 25 (Z:).
std::wstring root_of_drive(int index);

// File paths on a root.
std::wstring config_path_on(const std::wstring& root);
std::wstring date_path_on(const std::wstring& root);

}  // namespace lanternbook
