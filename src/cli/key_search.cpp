#include "cli/key_search.h"

#include "platform/text_utils.h"

namespace lanternbook::cli {
namespace {

constexpr int kDriveLetterCount = 26;

}  // namespace

bool label_names_key(const std::wstring& label) {
    return to_upper_ascii(label).find(kVolumeWord) != std::wstring::npos;
}

KeySearch keys_by_drive_letter(DeviceDrive& device, Volumes& volumes) {
    KeySearch search;
    // The first search also clears a stale device that would hide a key.
    if (device.find_drive().empty()) {
        return search;
    }
    const uint32_t mask = volumes.logical_drive_mask();
    for (int i = 0; i < kDriveLetterCount; ++i) {
        if ((mask & (uint32_t{1} << i)) == 0) {
            continue;
        }
        const std::wstring root{static_cast<wchar_t>(L'A' + i), L':', L'\\'};
        if (device.drive_display_name(root).find(kVolumeWord) != std::wstring::npos) {
            search.roots.push_back(root);
        }
    }
    return search;
}

ChosenKey choose_key(const std::wstring* named_root, const KeyFinder& finder, FileSystem& files) {
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
    const KeySearch search = finder();
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

}  // namespace lanternbook::cli
