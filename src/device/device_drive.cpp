#include "device/device_drive.h"

#include "platform/text_utils.h"

namespace lanternbook {

constexpr int kDriveLetterCount = 26;

std::wstring DeviceDrive::find_drive() {
    const uint32_t mask = platform_.logical_drive_mask();
    drive_index_ = 0;
    remove_usb_device_by_prefix(kUsbDescriptionPrefix);
    for (int i = 0; i < kDriveLetterCount; ++i) {
        if ((mask & (uint32_t{1} << i)) == 0) {
            continue;
        }
        const std::wstring root{static_cast<wchar_t>(L'A' + i), L':', L'\\'};
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

}  // namespace lanternbook
