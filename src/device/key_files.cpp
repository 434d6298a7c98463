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

bool same_path(const std::wstring& where, const std::wstring& path) {
    return to_upper_ascii(where) == to_upper_ascii(path);
}

// open_always made new only where nothing is, so whatever is made is ours.
std::unique_ptr<File> open_in(Folder& root, const std::wstring& name, FileAccess access,
                              FileDisposition disposition) {
    if (disposition != FileDisposition::open_always) {
        return root.open_file(name, access, disposition);
    }
    // Made new only where nothing is, so that whatever is made is known to be ours.
    std::unique_ptr<File> existing = root.open_file(name, access, FileDisposition::open_existing);
    uint32_t ignored = 0;
    if (existing || root.attributes(name, ignored) != Lookup::missing) {
        return existing;
    }
    return root.open_file(name, access, FileDisposition::create_new);
}

ConfigRead read_bytes_in(Folder& root, std::vector<uint8_t>& bytes) {
    bytes.clear();
    std::unique_ptr<File> file = root.open_file(kConfigFileName, FileAccess::read, FileDisposition::open_existing);
    if (!file) {
        uint32_t ignored = 0;
        return root.attributes(kConfigFileName, ignored) == Lookup::missing ? ConfigRead::no_config
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

// The device needs its DATE marker whether or not CONFIG is there.
void ensure_date_in(Folder& root) {
    // A DATE that is no plain file of the key (a link, a pipe) is left as it is.
    std::unique_ptr<File> file = open_in(root, kDateFileName, FileAccess::read_write, FileDisposition::open_always);
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

// A new file of our own beside CONFIG, to become it.
std::unique_ptr<File> create_helper(Folder& root) {
    // Helpers of ours that a Save cut short left: under the key's lock no
    // other Save is writing one, so every one there is stale.
    std::vector<FolderEntry> stale;
    if (root.list(std::wstring(kConfigHelperFileName) + L"*", stale) == Lookup::found) {
        for (const FolderEntry& entry : stale) {
            if (!entry.is_folder() && !entry.is_link() && !entry.is_device()) {
                static_cast<void>(root.delete_file(entry.name));
            }
        }
    }
    // Never written through an entry that was there before: it may be a
    // link leading off the key that could not be removed.
    std::unique_ptr<File> helper;
    for (unsigned attempt = 0; attempt < kConfigHelperAttempts && !helper; ++attempt) {
        const std::wstring helper_name =
            kConfigHelperFileName +
            (attempt == 0 ? std::wstring() : std::wstring(1, static_cast<wchar_t>(L'0' + attempt)));
        helper = root.open_file(helper_name, FileAccess::write, FileDisposition::create_new);
    }
    return helper;
}

}  // namespace

std::wstring config_path_on(const std::wstring& root) { return with_trailing_backslash(root) + kConfigFileName; }
std::wstring date_path_on(const std::wstring& root) { return with_trailing_backslash(root) + kDateFileName; }

std::unique_ptr<File> DeviceDrive::open_on_key(const KeyIdentity& key, const std::wstring& name, FileAccess access,
                                               FileDisposition disposition) {
    std::unique_ptr<Folder> root = open_root(key);
    return root ? open_in(*root, name, access, disposition) : nullptr;
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

ConfigRead DeviceDrive::read_bytes(const KeyIdentity& key, std::vector<uint8_t>& bytes) {
    std::unique_ptr<Folder> root = open_root(key);
    return root ? read_bytes_in(*root, bytes) : (bytes.clear(), ConfigRead::unreadable);
}


ConfigRead DeviceDrive::read_config() { return read_config(find_key(), true); }

ConfigRead DeviceDrive::read_config(const KeyIdentity& key, bool top_up_date) {
    key_ = key;
    // One held root for both files: each check of a root asks its volume.
    std::unique_ptr<Folder> root = open_root(key);
    if (!key.found()) {
        return ConfigRead::no_key;
    }
    if (root && top_up_date) {
        ensure_date_in(*root);
    }
    const ConfigRead read = root ? read_bytes_in(*root, config_bytes_) : (config_bytes_.clear(), ConfigRead::unreadable);
    decode_config(config_bytes_.data(), config_bytes_.size(), config_);
    return read;
}

void DeviceDrive::ensure_date_file(const KeyIdentity& key) {
    std::unique_ptr<Folder> root = open_root(key);
    if (root) {
        ensure_date_in(*root);
    }
}



ConfigWrite DeviceDrive::write_config(const KeyIdentity& key, const DeviceConfig& config) {
    if (!key.found()) {
        return ConfigWrite::no_key;
    }
    std::unique_ptr<Folder> root = open_root(key);
    // Saves on one key take turns: the one waiting finds the other's CONFIG and no helper of it.
    std::unique_ptr<FolderLock> lock = root ? root->lock(kKeyLockWaitMs) : nullptr;
    if (!lock) {
        return ConfigWrite::failed;
    }
    uint32_t old_attributes = 0;
    const Lookup existing = root->attributes(kConfigFileName, old_attributes);
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
        const ConfigRead read = read_bytes_in(*root, current);
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

    std::unique_ptr<File> helper = create_helper(*root);
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
    if (same_key && helper->replace(kConfigFileName) && helper->close()) {
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
