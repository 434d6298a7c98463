#include "device/device_drive.h"

#include <algorithm>

#include "device/config_codec.h"
#include "platform/text_utils.h"

namespace lanternbook {
namespace {

constexpr int kDriveLetterCount = 26;
// What the device expects in a DATE that had no since-last-download marker.
constexpr uint8_t kDateMarker[] = {'1', '1', '1', '1', '1', '1'};
// The attributes a CONFIG keeps when it is replaced.
constexpr uint32_t kKeptAttributes = kAttributeHidden | kAttributeSystem | kAttributeArchive;

bool label_names_key(const std::wstring& label) {
    return to_upper_ascii(label).find(kVolumeWord) != std::wstring::npos;
}

}  // namespace

std::wstring config_path_on(const std::wstring& root) { return with_trailing_backslash(root) + kConfigFileName; }
std::wstring date_path_on(const std::wstring& root) { return with_trailing_backslash(root) + kDateFileName; }

std::wstring DeviceDrive::find_drive() {
    const uint32_t mask = volumes_.logical_drive_mask();
    drive_index_ = 0;
    remove_stale_usb_device();
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

KeyIdentity DeviceDrive::find_key() {
    KeyIdentity found;
    found.root = find_drive();
    if (!found.found()) {
        return found;
    }
    found.drive_index = drive_index_;
    if (!volumes_.volume_identity(found.root, found.volume_serial, found.label)) {
        // Gone between the search and this question.
        return KeyIdentity{};
    }
    return found;
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

ConfigRead DeviceDrive::read_config() { return read_config_at(find_key()); }

ConfigRead DeviceDrive::read_config_at(const KeyIdentity& key) {
    key_ = key;
    const std::wstring& root = key_.root;
    if (root.empty()) {
        return ConfigRead::no_key;
    }
    // The device needs its DATE marker whether or not CONFIG is there.
    ensure_date_file(date_path_on(root));

    const std::wstring path = config_path_on(root);
    std::unique_ptr<File> file = files_.open_file(path, FileAccess::read, FileDisposition::open_existing);
    if (!file) {
        uint32_t ignored = 0;
        return files_.attributes(path, ignored) == Lookup::missing ? ConfigRead::no_config : ConfigRead::unreadable;
    }
    std::vector<uint8_t> buffer(kConfigReadLimit, 0);
    std::size_t bytes_read = 0;
    if (!file->read(buffer.data(), buffer.size(), bytes_read)) {
        return ConfigRead::unreadable;
    }
    decode_config(buffer.data(), std::min(bytes_read, buffer.size()), config_);
    return bytes_read == 0 ? ConfigRead::no_config : ConfigRead::read;
}

void DeviceDrive::ensure_date_file(const std::wstring& path) {
    std::unique_ptr<File> file = files_.open_file(path, FileAccess::read_write, FileDisposition::open_always);
    if (!file) {
        return;
    }
    uint64_t size = 0;
    if (!file->size(size) || size >= sizeof(kDateMarker)) {
        return;
    }
    std::size_t written = 0;
    // A DATE that cannot be completed is the device's to mend; CONFIG is still read.
    static_cast<void>(file->write(kDateMarker, sizeof(kDateMarker), written));
}

ConfigWrite DeviceDrive::identity_bytes(const std::wstring& config_path, std::vector<uint8_t>& image) {
    std::unique_ptr<File> current =
        files_.open_file(config_path, FileAccess::read, FileDisposition::open_existing);
    if (!current) {
        // No CONFIG: what was read before is all there is.
        uint32_t ignored = 0;
        return files_.attributes(config_path, ignored) == Lookup::missing ? ConfigWrite::written
                                                                          : ConfigWrite::unreadable;
    }
    std::vector<uint8_t> buffer(kConfigReadLimit, 0);
    std::size_t bytes_read = 0;
    if (!current->read(buffer.data(), buffer.size(), bytes_read)) {
        return ConfigWrite::unreadable;
    }
    // Only the full layout keeps these bytes at these offsets.
    if (bytes_read > kIdentityOffset) {
        const std::size_t kept = std::min(bytes_read, kConfigFileLength);
        std::copy(buffer.begin() + kIdentityOffset, buffer.begin() + static_cast<std::ptrdiff_t>(kept),
                  image.begin() + kIdentityOffset);
    }
    return ConfigWrite::written;
}

ConfigWrite DeviceDrive::write_config_at(const std::wstring& root, const uint8_t* flags,
                                         const uint8_t* dates, unsigned dates_length) {
    if (flags == nullptr || (dates == nullptr && dates_length > 0)) {
        return ConfigWrite::failed;
    }
    const std::vector<uint8_t> image = encode_config(flags, dates, dates_length, config_);
    return write_image_at(root, image.data(), image.size());
}

ConfigWrite DeviceDrive::write_image_at(const std::wstring& root, const uint8_t* image_data, std::size_t size) {
    if (root.empty()) {
        return ConfigWrite::no_key;
    }
    const std::wstring config_path = config_path_on(root);
    uint32_t old_attributes = 0;
    const Lookup existing = files_.attributes(config_path, old_attributes);
    if (existing == Lookup::failed) {
        return ConfigWrite::failed;
    }
    const bool replacing = existing == Lookup::found;
    if (replacing && (old_attributes & kAttributeReadOnly) != 0) {
        return ConfigWrite::read_only;
    }
    if (replacing && (old_attributes & (kAttributeFolder | kAttributeLink)) != 0) {
        return ConfigWrite::failed;
    }
    std::vector<uint8_t> image(image_data, image_data + size);
    if (image.size() == kConfigFileLength) {
        const ConfigWrite identity = identity_bytes(config_path, image);
        if (identity != ConfigWrite::written) {
            return identity;
        }
    }

    // Never written through an entry that was there before: it may be a
    // link leading off the key.
    std::wstring helper_path;
    std::unique_ptr<File> helper;
    for (unsigned attempt = 0; attempt < kConfigHelperAttempts && !helper; ++attempt) {
        helper_path = with_trailing_backslash(root) + kConfigHelperFileName +
                      (attempt == 0 ? std::wstring() : std::wstring(1, static_cast<wchar_t>(L'0' + attempt)));
        helper = files_.open_file(helper_path, FileAccess::write, FileDisposition::create_new);
    }
    if (!helper) {
        return ConfigWrite::failed;
    }
    std::size_t count = 0;
    const bool written = helper->write(image.data(), image.size(), count) && count == image.size() && helper->flush();
    helper.reset();
    // A hidden or system CONFIG stays so.
    const uint32_t new_attributes = replacing ? (old_attributes & kKeptAttributes) : kAttributeArchive;
    if (written && (new_attributes == kAttributeArchive || files_.set_attributes(helper_path, new_attributes)) &&
        files_.replace_file(helper_path, config_path)) {
        return ConfigWrite::written;
    }
    if (files_.path_exists(helper_path)) {
        static_cast<void>(files_.set_attributes(helper_path, kAttributeArchive));
        static_cast<void>(files_.delete_file(helper_path));
    }
    return ConfigWrite::failed;
}

bool DeviceDrive::reset_date_file_at(const std::wstring& root) {
    if (root.empty()) {
        return false;
    }
    // Creating or truncating is all there is to do; the file closes at once.
    return files_.open_file(date_path_on(root), FileAccess::write, FileDisposition::create_always) != nullptr;
}

}  // namespace lanternbook
