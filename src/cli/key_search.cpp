#include "cli/key_search.h"

#include <algorithm>

#include "text/text_utils.h"

namespace lanternbook::cli {

bool DriveLetterKeys::is_key_root(const std::wstring& folder) {
    const bool drive_root = (folder.size() == 2 || (folder.size() == 3 && (folder[2] == L'\\' || folder[2] == L'/'))) &&
                            folder[1] == L':';
    if (!drive_root) {
        return false;
    }
    const KeySearch search = find_keys();
    const std::wstring root = to_upper_ascii(folder.substr(0, 2)) + L'\\';
    return std::find(search.roots.begin(), search.roots.end(), root) != search.roots.end();
}

std::wstring DriveLetterKeys::label_of(const std::wstring& root) {
    uint32_t serial = 0;
    std::wstring label;
    return volumes_.volume_identity(root, serial, label) ? label : std::wstring();
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

}  // namespace lanternbook::cli
