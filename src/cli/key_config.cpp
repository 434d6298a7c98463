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
    DeviceConfig decoded;
    decode_config(buffer.data(), config.length, decoded);
    config.settings = settings_from(decoded);
    config.status = config.length == 0 ? ConfigRead::no_config : ConfigRead::read;
    return config;
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
