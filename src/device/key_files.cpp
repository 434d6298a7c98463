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
constexpr std::size_t kCopyChunk = std::size_t{64} * 1024;


bool same_path(const std::wstring& where, const std::wstring& path) {
    return to_upper_ascii(where) == to_upper_ascii(path);
}

// Copies what is left of `from` into `to`; true when every byte went.
bool copy_contents(File& from, File& to, uint64_t& copied) {
    std::vector<uint8_t> chunk(kCopyChunk);
    copied = 0;
    while (true) {
        std::size_t got = 0;
        if (!from.read(chunk.data(), chunk.size(), got)) {
            return false;
        }
        if (got == 0) {
            break;
        }
        std::size_t put = 0;
        if (!to.write(chunk.data(), got, put) || put != got) {
            return false;
        }
        copied += got;
    }
    return true;
}

// Whether `file`, just written, holds `size` bytes on its device.
bool holds_exactly(File& file, uint64_t size) {
    uint64_t on_disk = 0;
    return file.flush() && file.size(on_disk) && on_disk == size && file.close();
}

}  // namespace

std::wstring config_path_on(const std::wstring& root) { return with_trailing_backslash(root) + kConfigFileName; }
std::wstring date_path_on(const std::wstring& root) { return with_trailing_backslash(root) + kDateFileName; }

std::unique_ptr<File> DeviceDrive::open_on_key(const KeyIdentity& key, const std::wstring& relative,
                                               FileAccess access, FileDisposition disposition) {
    if (!key.found() || relative.empty()) {
        return nullptr;
    }
    if (disposition != FileDisposition::open_always) {
        return open_checked(key, relative, access, disposition);
    }
    // Made new only where nothing is, so that whatever is made is known to be ours.
    std::unique_ptr<File> existing = open_checked(key, relative, access, FileDisposition::open_existing);
    uint32_t ignored = 0;
    if (existing || files_.attributes(with_trailing_backslash(key.root) + relative, ignored) != Lookup::missing) {
        return existing;
    }
    return open_checked(key, relative, access, FileDisposition::create_new);
}

std::unique_ptr<File> DeviceDrive::open_checked(const KeyIdentity& key, const std::wstring& relative,
                                                FileAccess access, FileDisposition disposition) {
    const std::wstring path = with_trailing_backslash(key.root) + relative;
    std::unique_ptr<File> file = files_.open_file(path, access, disposition);
    if (!file) {
        return nullptr;
    }
    uint32_t serial = 0;
    std::wstring where;
    // Where the platform can follow a link to a file, the opened file tells
    // where it really is: anywhere but this name on this volume is refused,
    // and so is a file that cannot tell.
    const FilePlace place = file->location(serial, where);
    if (place == FilePlace::not_linked ||
        (place == FilePlace::told && serial == key.volume_serial && same_path(where, path))) {
        return file;
    }
    file.reset();
    // Made just now on a volume that took the key's place: made undone.
    if (disposition == FileDisposition::create_new) {
        static_cast<void>(files_.delete_file(path));
    }
    return nullptr;
}

std::unique_ptr<Folder> DeviceDrive::open_root(const KeyIdentity& key) {
    if (!key.found()) {
        return nullptr;
    }
    std::unique_ptr<Folder> root = files_.open_folder(key.root);
    return root && still_in_place(*root, key, key.root) ? std::move(root) : nullptr;
}

bool DeviceDrive::still_in_place(Folder& folder, const KeyIdentity& key, const std::wstring& path) {
    uint32_t serial = 0;
    std::wstring where;
    const FilePlace place = folder.location(serial, where);
    return place == FilePlace::not_linked ||
           (place == FilePlace::told && serial == key.volume_serial &&
            same_path(with_trailing_backslash(where), with_trailing_backslash(path)));
}

bool DeviceDrive::copy_from_key(const KeyIdentity& key, const std::wstring& relative, const std::wstring& target,
                                uint64_t& size) {
    std::unique_ptr<File> from = open_on_key(key, relative, FileAccess::read, FileDisposition::open_existing);
    if (!from) {
        return false;
    }
    std::unique_ptr<File> to = files_.open_file(target, FileAccess::write, FileDisposition::create_new);
    uint64_t expected = 0;
    return to && from->size(expected) && copy_contents(*from, *to, size) && size == expected &&
           holds_exactly(*to, size);
}

bool DeviceDrive::copy_to_key(const std::wstring& source, const KeyIdentity& key, const std::wstring& relative,
                              uint64_t size) {
    std::unique_ptr<File> from = files_.open_file(source, FileAccess::read, FileDisposition::open_existing);
    if (!from) {
        return false;
    }
    // Only into a file made here: whatever is on the key under that name stays.
    std::unique_ptr<File> to = open_on_key(key, relative, FileAccess::write, FileDisposition::create_new);
    uint64_t copied = 0;
    return to && copy_contents(*from, *to, copied) && copied == size && holds_exactly(*to, size);
}

ConfigRead DeviceDrive::read_bytes(const KeyIdentity& key, std::vector<uint8_t>& bytes) {
    bytes.clear();
    std::unique_ptr<File> file = open_on_key(key, kConfigFileName, FileAccess::read, FileDisposition::open_existing);
    if (!file) {
        uint32_t ignored = 0;
        return files_.attributes(config_path_on(key.root), ignored) == Lookup::missing ? ConfigRead::no_config
                                                                                        : ConfigRead::unreadable;
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
    const ConfigRead read = read_bytes(key, config_bytes_);
    decode_config(config_bytes_.data(), config_bytes_.size(), config_);
    return read;
}

void DeviceDrive::ensure_date_file(const KeyIdentity& key) {
    // A DATE that is no plain file of the key (a link, a pipe) is left as it is.
    std::unique_ptr<File> file = open_on_key(key, kDateFileName, FileAccess::read_write, FileDisposition::open_always);
    if (!file) {
        return;
    }
    uint64_t size = 0;
    if (!file->size(size) || size >= sizeof(kDateMarker)) {
        return;
    }
    std::size_t written = 0;
    // A DATE that cannot be completed is the device's to mend; CONFIG is still read.
    static_cast<void>(file->write(kDateMarker, sizeof(kDateMarker), written) && file->close());
}

std::unique_ptr<File> DeviceDrive::create_helper(const KeyIdentity& key) {
    // Never written through an entry that was there before: it may be a
    // link leading off the key.
    std::unique_ptr<File> helper;
    for (unsigned attempt = 0; attempt < kConfigHelperAttempts && !helper; ++attempt) {
        const std::wstring helper_name =
            kConfigHelperFileName +
            (attempt == 0 ? std::wstring() : std::wstring(1, static_cast<wchar_t>(L'0' + attempt)));
        helper = open_on_key(key, helper_name, FileAccess::write, FileDisposition::create_new);
    }
    return helper;
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
        const ConfigRead read = read_bytes(key, current);
        // Gone since it was looked at: there is nothing of it to keep.
        if (read == ConfigRead::unreadable) {
            return ConfigWrite::unreadable;
        }
        // Another key's CONFIG under this one's name gets nothing of this one's.
        if (!config_bytes_.empty() && !same_key_identity(current, config_bytes_)) {
            return ConfigWrite::key_changed;
        }
        keep_key_identity(current, image);
    }

    std::unique_ptr<File> helper = create_helper(key);
    if (!helper) {
        return ConfigWrite::failed;
    }
    std::size_t count = 0;
    uint64_t on_disk = 0;
    // A hidden or system CONFIG stays so.
    const uint32_t new_attributes = replacing ? (old_attributes & kKeptAttributes) : kAttributeArchive;
    const bool ready = helper->write(image.data(), image.size(), count) && count == image.size() &&
                       helper->flush() && helper->size(on_disk) && on_disk == image.size() &&
                       (new_attributes == kAttributeArchive || helper->set_attributes(new_attributes));
    // The last moment to notice another volume under this key's letter; the
    // helper itself is moved, so only the volume it is on can be written.
    const bool same_key = ready && still_attached(key);
    if (same_key && helper->replace(config_path) && helper->close()) {
        return ConfigWrite::written;
    }
    static_cast<void>(helper->set_attributes(kAttributeArchive) && helper->remove());
    return ready && !same_key ? ConfigWrite::key_changed : ConfigWrite::failed;
}

bool DeviceDrive::still_holds_config(const KeyIdentity& key) {
    std::vector<uint8_t> current;
    return read_bytes(key, current) != ConfigRead::unreadable && same_key_identity(current, config_bytes_);
}

bool DeviceDrive::reset_date_file(const KeyIdentity& key) {
    std::unique_ptr<File> file = open_on_key(key, kDateFileName, FileAccess::write, FileDisposition::open_always);
    return file && file->truncate() && file->close();
}

}  // namespace lanternbook
