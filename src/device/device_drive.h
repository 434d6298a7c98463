// Finds the key's drive by its volume label and reads and writes its CONFIG
// and DATE files. Every operation searches afresh; nothing about the drive is
// cached but the index of the last drive found.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace lanternbook {

constexpr wchar_t kVolumeWord[] = L"VOLKARIS";
constexpr wchar_t kUsbDescriptionPrefix[] = L"BRINDLEX";
constexpr wchar_t kConfigFileName[] = L"CONFIG";
constexpr wchar_t kDateFileName[] = L"DATE";
constexpr std::size_t kFlagCount = 9;
constexpr std::size_t kDateBlockLength = 16;
constexpr std::size_t kConfigFileLength = 32;
constexpr std::size_t kConfigReadLimit = 1024;

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

class DeviceDrive {
public:
    explicit DeviceDrive(Platform& platform) : platform_(platform) {}

    // Root path ("E:\") of the first drive whose display name holds the
    // volume word, or the empty text.
    std::wstring find_drive();
    void remove_usb_device_by_prefix(const std::wstring& prefix);
    std::wstring drive_display_name(const std::wstring& root);

    void read_config();
    void ensure_date_file(const std::wstring& path);
    // 0 when the whole image was written, -1 otherwise.
    int write_config(const uint8_t* flags, const uint8_t* dates, unsigned dates_length);
    // The same on a root the caller has just found, sparing a second search.
    int write_config_at(const std::wstring& root, const uint8_t* flags, const uint8_t* dates,
                        unsigned dates_length);
    void reset_date_file();

    int drive_index() const { return drive_index_; }
    const DeviceConfig& config() const { return config_; }
    bool not_found() const { return not_found_; }

private:
    Platform& platform_;
    int drive_index_ = 0;
    DeviceConfig config_;
    bool not_found_ = true;
};

}  // namespace lanternbook
