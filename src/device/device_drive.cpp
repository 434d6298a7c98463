#include "device/device_drive.h"

#include <algorithm>
#include <vector>

#include "device/config_codec.h"
#include "platform/text_utils.h"

namespace lanternbook {

constexpr int kDriveLetterCount = 26;
// What the device expects in a DATE that had no since-last-download marker.
constexpr uint8_t kDateMarker[] = {'1', '1', '1', '1', '1', '1'};

std::wstring DeviceDrive::find_drive() {
    const uint32_t mask = platform_.logical_drive_mask();
    drive_index_ = 0;
    remove_usb_device_by_prefix(kUsbDescriptionPrefix);
    for (int i = 0; i < kDriveLetterCount; ++i) {
        if ((mask & (uint32_t{1} << i)) == 0) {
            continue;
        }
        std::wstring root{static_cast<wchar_t>(L'A' + i), L':', L'\\'};
        if (drive_display_name(root).find(kVolumeWord) != std::wstring::npos) {
            drive_index_ = i;
            not_found_ = false;
            return root;
        }
    }
    return std::wstring();
}

void DeviceDrive::remove_usb_device_by_prefix(const std::wstring& prefix) {
    std::unique_ptr<UsbDeviceSet> devices = platform_.open_usb_devices();
    if (!devices) {
        return;
    }
    for (std::size_t index = 0; devices->has_device(index); ++index) {
        std::wstring description;
        if (!devices->read_description(index, description)) {
            return;
        }
        if (to_upper_ascii(description).compare(0, prefix.size(), prefix) == 0) {
            devices->remove_device(index);
            return;
        }
    }
}

std::wstring DeviceDrive::drive_display_name(const std::wstring& root) {
    std::wstring name;
    if (!platform_.drive_display_name(root, name)) {
        return root;
    }
    return to_upper_ascii(name);
}

void DeviceDrive::read_config() {
    const std::wstring root = find_drive();
    if (root.empty()) {
        return;
    }
    const std::wstring folder = with_trailing_backslash(root);
    // The device needs its DATE marker whether or not CONFIG is there.
    ensure_date_file(folder + kDateFileName);

    std::unique_ptr<File> file =
        platform_.open_file(folder + kConfigFileName, FileAccess::read, FileDisposition::open_existing);
    if (!file) {
        return;
    }
    std::vector<uint8_t> buffer(kConfigReadLimit, 0);
    std::size_t bytes_read = 0;
    if (!file->read(buffer.data(), buffer.size(), bytes_read)) {
        return;
    }
    decode_config(buffer.data(), std::min(bytes_read, buffer.size()), config_);
}

void DeviceDrive::ensure_date_file(const std::wstring& path) {
    std::unique_ptr<File> file =
        platform_.open_file(path, FileAccess::read_write, FileDisposition::open_always);
    if (!file) {
        return;
    }
    uint64_t size = 0;
    if (!file->size(size) || size >= sizeof(kDateMarker)) {
        return;
    }
    std::size_t written = 0;
    file->write(kDateMarker, sizeof(kDateMarker), written);
}

namespace {
constexpr int kWriteFailed = -1;
}  // namespace

int DeviceDrive::write_config(const uint8_t* flags, const uint8_t* dates, unsigned dates_length) {
    if (flags == nullptr || (dates == nullptr && dates_length > 0)) {
        return kWriteFailed;
    }
    return write_config_at(find_drive(), flags, dates, dates_length);
}

int DeviceDrive::write_config_at(const std::wstring& root, const uint8_t* flags, const uint8_t* dates,
                                 unsigned dates_length) {
    if (root.empty() || flags == nullptr || (dates == nullptr && dates_length > 0)) {
        return kWriteFailed;
    }
    // One write of the whole image, so that a short write is always seen.
    const std::vector<uint8_t> image = encode_config(flags, dates, dates_length, config_);
    std::unique_ptr<File> file = platform_.open_file(with_trailing_backslash(root) + kConfigFileName,
                                                     FileAccess::write, FileDisposition::create_always);
    if (!file) {
        return kWriteFailed;
    }
    std::size_t written = 0;
    if (!file->write(image.data(), image.size(), written) || written != image.size()) {
        return kWriteFailed;
    }
    return 0;
}

void DeviceDrive::reset_date_file() {
    const std::wstring root = find_drive();
    if (root.empty()) {
        return;
    }
    // Creating or truncating is all there is to do; the file closes at once.
    const std::unique_ptr<File> emptied = platform_.open_file(
        with_trailing_backslash(root) + kDateFileName, FileAccess::write, FileDisposition::create_always);
}

}  // namespace lanternbook
