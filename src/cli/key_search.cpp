#include "cli/key_search.h"

#include <algorithm>
#include <filesystem>

#include "text/text_utils.h"
#include "text/utf8_text.h"

namespace lanternbook::cli {

std::wstring reason_of(FileSystem& files) {
    const std::wstring reason = files.failure_reason();
    return reason.empty() ? reason : L": " + reason;
}

std::wstring as_named(const std::wstring& named) {
    // The folder the user named, links in its path taken as the user meant
    // them: from here on it is reached without stepping through any.
    std::error_code failed;
    const std::filesystem::path real = std::filesystem::canonical(std::filesystem::u8path(utf8_from_wide(named)), failed);
    return failed ? named : wide_from_utf8(real.u8string());
}

ChosenKey choose_key(const std::wstring* named_root, AttachedKeys& keys, FileSystem& files) {
    ChosenKey chosen;
    if (named_root != nullptr) {
        uint32_t attributes = 0;
        const Lookup found = named_root->empty() ? Lookup::missing : files.attributes(*named_root, attributes);
        if (found == Lookup::failed) {
            chosen.exit = Exit::io_failure;
            chosen.error = L"--key " + *named_root + L": cannot be read" + reason_of(files);
        } else if (found == Lookup::missing || (attributes & kAttributeFolder) == 0) {
            chosen.exit = Exit::no_key;
            chosen.error = L"--key " + *named_root + L": no such folder";
        } else {
            chosen.root = as_named(*named_root);
        }
        return chosen;
    }
    const KeySearch search = keys.find_keys();
    if (!search.failure.empty()) {
        chosen.exit = Exit::io_failure;
        chosen.error = L"cannot search for keys: " + search.failure + L" cannot be read";
        return chosen;
    }
    if (search.roots.empty()) {
        chosen.exit = Exit::no_key;
        chosen.error = L"no key attached (searched " + keys.searched() + L")";
        return chosen;
    }
    if (search.roots.size() > 1) {
        chosen.exit = Exit::refused;
        chosen.error = std::to_wstring(search.roots.size()) + L" keys attached; name one with --key:";
        for (const std::wstring& root : search.roots) {
            chosen.error += L"\n  " + root;
        }
        return chosen;
    }
    chosen.root = search.roots.front();
    chosen.found = true;
    return chosen;
}

FolderKind kind_of_folder(const std::wstring& root, AttachedKeys& keys, FileSystem& files) {
    if (keys.is_key_root(root)) {
        return FolderKind::key;
    }
    uint32_t attributes = 0;
    switch (files.attributes(config_path_on(root), attributes)) {
        case Lookup::found: return (attributes & kAttributeFolder) == 0 ? FolderKind::key : FolderKind::other;
        case Lookup::missing: return FolderKind::other;
        case Lookup::failed: break;
    }
    return FolderKind::unreadable;
}

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
