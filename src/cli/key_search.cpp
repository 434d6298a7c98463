#include "cli/key_search.h"

namespace lanternbook::cli {

ChosenKey choose_key(const std::wstring* named_root, KeyFinder& finder, FileSystem& files) {
    ChosenKey chosen;
    if (named_root != nullptr) {
        uint32_t attributes = 0;
        if (named_root->empty() || files.attributes(*named_root, attributes) != Lookup::found ||
            (attributes & kAttributeFolder) == 0) {
            chosen.exit = Exit::no_key;
            chosen.error = L"--key " + *named_root + L": no such folder";
            return chosen;
        }
        chosen.root = *named_root;
        return chosen;
    }
    const KeySearch search = finder.find_keys();
    if (!search.failure.empty()) {
        chosen.exit = Exit::io_failure;
        chosen.error = L"cannot search for keys: " + search.failure + L" cannot be read";
        return chosen;
    }
    if (search.roots.empty()) {
        chosen.exit = Exit::no_key;
        chosen.error = L"no key attached";
        return chosen;
    }
    if (search.roots.size() > 1) {
        chosen.exit = Exit::refused;
        chosen.error = std::to_wstring(search.roots.size()) + L" keys attached; name one with --key:";
        for (const std::wstring& root : search.roots) {
            chosen.error += L' ' + root;
        }
        return chosen;
    }
    chosen.root = search.roots.front();
    return chosen;
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
