#include "cli/key_config.h"

#include <algorithm>
#include <vector>

#include "cli/key_search.h"

namespace lanternbook::cli {

KeyConfig read_key_config(FileSystem& files, const std::wstring& root) {
    KeyConfig config;
    const std::wstring path = config_path_on(root);
    std::unique_ptr<File> file = files.open_file(path, FileAccess::read, FileDisposition::open_existing);
    if (!file) {
        uint32_t ignored = 0;
        config.status = files.attributes(path, ignored) == Lookup::missing ? ConfigRead::no_config
                                                                            : ConfigRead::unreadable;
        return config;
    }
    config.file_found = true;
    std::vector<uint8_t> buffer(kConfigReadLimit, 0);
    std::size_t bytes_read = 0;
    if (!file->read(buffer.data(), buffer.size(), bytes_read)) {
        config.status = ConfigRead::unreadable;
        return config;
    }
    config.length = std::min(bytes_read, buffer.size());
    config.bytes.assign(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(config.length));
    DeviceConfig decoded;
    decode_config(buffer.data(), config.length, decoded);
    config.settings = settings_from(decoded);
    config.status = config.length == 0 ? ConfigRead::no_config : ConfigRead::read;
    return config;
}

ConfigImage image_as_written(ConfigImage image, const KeyConfig& current) {
    // The same rule as DeviceDrive::write_image_at: only the full layout
    // holds these bytes at these offsets.
    if (current.bytes.size() > kIdentityOffset) {
        const std::size_t kept = std::min(current.bytes.size(), kConfigFileLength);
        std::copy(current.bytes.begin() + kIdentityOffset, current.bytes.begin() + static_cast<std::ptrdiff_t>(kept),
                  image.begin() + kIdentityOffset);
    }
    return image;
}

bool NamedKeyVolumes::volume_identity(const std::wstring& root, uint32_t& serial_number, std::wstring& label) {
    if (root != root_) {
        return volumes_.volume_identity(root, serial_number, label);
    }
    if (volumes_.volume_identity(root, serial_number, label)) {
        if (!label_names_key(label)) {
            label = kVolumeWord;
        }
        return true;
    }
    // No volume of its own (a folder below a drive's root): the folder is all there is.
    uint32_t attributes = 0;
    if (files_.attributes(root, attributes) != Lookup::found || (attributes & kAttributeFolder) == 0) {
        return false;
    }
    serial_number = 0;
    label = kVolumeWord;
    return true;
}

KeyIdentity identity_of(const std::wstring& root, Volumes& volumes) {
    KeyIdentity key;
    if (!volumes.volume_identity(root, key.volume_serial, key.label)) {
        return key;
    }
    key.root = root;
    return key;
}

}  // namespace lanternbook::cli
