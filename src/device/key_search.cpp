// Finding the key by its label, and telling whether it is still there.
#include <memory>

#include "device/device_drive.h"
#include "text/text_utils.h"

namespace lanternbook {
namespace {

constexpr int kDriveLetterCount = 26;

// The drive index of a root such as "K:\"; 0 (A:, which is never formatted) otherwise.
int drive_index_of(const std::wstring& root) {
    if (root.size() != 3 || root[1] != L':' || root[2] != L'\\') {
        return 0;
    }
    const wchar_t letter = to_lower_ascii(root[0]);
    return letter >= L'a' && letter <= L'z' ? letter - L'a' : 0;
}

}  // namespace

std::wstring root_of_drive(int index) { return {static_cast<wchar_t>(L'A' + index), L':', L'\\'}; }

bool label_names_key(const std::wstring& label) {
    return to_upper_ascii(label).find(kVolumeWord) != std::wstring::npos;
}

int DeviceDrive::next_key_drive(uint32_t mask, int first) {
    for (int i = first; i < kDriveLetterCount; ++i) {
        // The display name is upper-cased already: the word is looked up as it is.
        if ((mask & (uint32_t{1} << i)) != 0 && drive_display_name(root_of_drive(i)).find(kVolumeWord) != std::wstring::npos) {
            return i;
        }
    }
    return -1;
}

std::wstring DeviceDrive::find_drive() {
    const uint32_t mask = volumes_.logical_drive_mask();
    drive_index_ = 0;
    remove_stale_usb_device();
    const int found = next_key_drive(mask, 0);
    if (found < 0) {
        return std::wstring();
    }
    drive_index_ = found;
    not_found_ = false;
    return root_of_drive(found);
}

KeyIdentity DeviceDrive::find_key() {
    const std::wstring root = find_drive();
    return root.empty() ? KeyIdentity{} : key_at(root);
}

KeyIdentity DeviceDrive::key_at(const std::wstring& root) {
    KeyIdentity at;
    if (root.empty() || !volumes_.volume_identity(root, at.volume_serial, at.label)) {
        // No volume there, or gone since it was found.
        return KeyIdentity{};
    }
    at.root = root;
    at.drive_index = drive_index_of(root);
    return at;
}

bool DeviceDrive::still_attached(const KeyIdentity& key) {
    if (!key.found()) {
        return false;
    }
    uint32_t serial = 0;
    std::wstring label;
    return volumes_.volume_identity(key.root, serial, label) && serial == key.volume_serial &&
           label_names_key(label);
}

void DeviceDrive::remove_stale_usb_device() {
    std::unique_ptr<UsbDeviceSet> devices = volumes_.open_usb_devices();
    if (!devices) {
        return;
    }
    const std::wstring prefix = kUsbDescriptionPrefix;
    for (std::size_t index = 0; devices->has_device(index); ++index) {
        std::wstring description;
        if (!devices->read_description(index, description)) {
            return;
        }
        if (to_upper_ascii(description).compare(0, prefix.size(), prefix) == 0) {
            // Nothing to do when it will not go: the search goes on without it.
            static_cast<void>(devices->remove_device(index));
            return;
        }
    }
}

std::wstring DeviceDrive::drive_display_name(const std::wstring& root) {
    std::wstring name;
    if (!volumes_.drive_display_name(root, name)) {
        return root;
    }
    return to_upper_ascii(name);
}

}  // namespace lanternbook
