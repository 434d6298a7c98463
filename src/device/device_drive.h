// Finds the key's drive by its volume label, tells whether it is still the
// same key, and reads and writes its CONFIG and DATE files.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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
constexpr std::size_t kFlagCount = 9;
constexpr std::size_t kDateBlockLength = 16;
constexpr std::size_t kConfigFileLength = 32;
constexpr std::size_t kConfigReadLimit = 1024;
// Where CONFIG's parts start in its full layout: the nine flag bytes, the
// date block, and the serial number and software version, which are the
// key's own and never ours to change.
constexpr std::size_t kDateBlockOffset = kFlagCount;
constexpr std::size_t kIdentityOffset = 25;
constexpr std::size_t kSerialNumberOffset = kIdentityOffset;
constexpr std::size_t kSoftwareVersionOffset = 28;

// The image of CONFIG as last read.
struct DeviceConfig {
    std::array<uint8_t, 32> flags{};
    std::array<uint8_t, 32> dates{};
    std::array<uint8_t, 4> serial_number{};
    std::array<uint8_t, 5> software_version{};
};

// Copies into config the parts that a CONFIG of `length` bytes supplies.
// Any length and any bytes are accepted; at most kConfigReadLimit are used.
void decode_config(const uint8_t* data, std::size_t length, DeviceConfig& config);

// One key as found: where it is and which volume it is.
struct KeyIdentity {
    std::wstring root;
    int drive_index = 0;
    uint32_t volume_serial = 0;
    std::wstring label;

    bool found() const { return !root.empty(); }
};

enum class ConfigRead { no_key, no_config, unreadable, read };

enum class ConfigWrite {
    written,
    no_key,
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
    // True while the volume at key.root is still that key.
    [[nodiscard]] bool still_attached(const KeyIdentity& key);
    std::wstring drive_display_name(const std::wstring& root);

    // Searches for the key and reads its CONFIG; key() is then that key.
    [[nodiscard]] ConfigRead read_config();
    // Reads the CONFIG of a key already found; key() is then that key.
    [[nodiscard]] ConfigRead read_config_at(const KeyIdentity& key);
    void ensure_date_file(const std::wstring& path);
    // Writes the 32-byte image to CONFIG on `root` so that CONFIG is always
    // either the old file or the new one. Bytes 25-31 come from the CONFIG
    // being replaced, or from config() when the key has none.
    [[nodiscard]] ConfigWrite write_config_at(const std::wstring& root, const uint8_t* flags,
                                              const uint8_t* dates, unsigned dates_length);
    // The same for a whole image; a 32-byte image gets bytes 25-31 as above.
    [[nodiscard]] ConfigWrite write_image_at(const std::wstring& root, const uint8_t* image_data, std::size_t size);
    [[nodiscard]] bool reset_date_file_at(const std::wstring& root);

    const KeyIdentity& key() const { return key_; }
    // The same key under its new identity, after a format gave it one.
    void remember_key(const KeyIdentity& key) { key_ = key; }
    int drive_index() const { return drive_index_; }
    const DeviceConfig& config() const { return config_; }
    bool not_found() const { return not_found_; }

private:
    // A stale device of the key's USB class is removed before every search:
    // until it goes, Windows may keep showing the key's old volume.
    void remove_stale_usb_device();
    [[nodiscard]] ConfigWrite identity_bytes(const std::wstring& config_path,
                                             std::vector<uint8_t>& image);

    Volumes& volumes_;
    FileSystem& files_;
    int drive_index_ = 0;
    KeyIdentity key_;
    DeviceConfig config_;
    bool not_found_ = true;
};

// Config file paths on a root.
std::wstring config_path_on(const std::wstring& root);
std::wstring date_path_on(const std::wstring& root);

}  // namespace lanternbook
