// The key's CONFIG and DATE files.
#include <algorithm>
#include <memory>

#include "device/device_drive.h"
#include "text/text_utils.h"

namespace lanternbook {
namespace {

// What the device expects in a DATE that had no since-last-download marker.
constexpr uint8_t kDateMarker[] = {'1', '1', '1', '1', '1', '1'};
// The attributes a CONFIG keeps when it is replaced.
constexpr uint32_t kKeptAttributes = kAttributeHidden | kAttributeSystem | kAttributeArchive;

}  // namespace

std::wstring config_path_on(const std::wstring& root) { return with_trailing_backslash(root) + kConfigFileName; }
std::wstring date_path_on(const std::wstring& root) { return with_trailing_backslash(root) + kDateFileName; }

ConfigRead DeviceDrive::read_bytes(const std::wstring& path, std::vector<uint8_t>& bytes) {
    bytes.clear();
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
    buffer.resize(std::min(bytes_read, buffer.size()));
    bytes = std::move(buffer);
    return bytes.empty() ? ConfigRead::empty : ConfigRead::read;
}

ConfigRead DeviceDrive::read_config() {
    const KeyIdentity found = find_key();
    // The device needs its DATE marker whether or not CONFIG is there.
    ensure_date_file(found);
    return read_config(found);
}

ConfigRead DeviceDrive::read_config(const KeyIdentity& key) {
    key_ = key;
    if (!key.found()) {
        return ConfigRead::no_key;
    }
    const ConfigRead read = read_bytes(config_path_on(key.root), config_bytes_);
    decode_config(config_bytes_.data(), config_bytes_.size(), config_);
    return read;
}

void DeviceDrive::ensure_date_file(const KeyIdentity& key) {
    if (!key.found()) {
        return;
    }
    std::unique_ptr<File> file =
        files_.open_file(date_path_on(key.root), FileAccess::read_write, FileDisposition::open_always);
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

ConfigWrite DeviceDrive::write_config(const KeyIdentity& key, const DeviceConfig& config) {
    if (!key.found()) {
        return ConfigWrite::no_key;
    }
    const std::wstring config_path = config_path_on(key.root);
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
    ConfigImage image = encode_config(config);
    if (replacing) {
        std::vector<uint8_t> current;
        const ConfigRead read = read_bytes(config_path, current);
        // Gone since it was looked at: there is nothing of it to keep.
        if (read == ConfigRead::unreadable) {
            return ConfigWrite::unreadable;
        }
        keep_key_identity(current, image);
    }

    // Never written through an entry that was there before: it may be a
    // link leading off the key.
    std::wstring helper_path;
    std::unique_ptr<File> helper;
    for (unsigned attempt = 0; attempt < kConfigHelperAttempts && !helper; ++attempt) {
        helper_path = with_trailing_backslash(key.root) + kConfigHelperFileName +
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

bool DeviceDrive::reset_date_file(const KeyIdentity& key) {
    if (!key.found()) {
        return false;
    }
    // Creating or truncating is all there is to do; the file closes at once.
    return files_.open_file(date_path_on(key.root), FileAccess::write, FileDisposition::create_always) != nullptr;
}

}  // namespace lanternbook
