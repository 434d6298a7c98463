#include "maintenance/erase_downloads.h"

#include <array>
#include <vector>

#include "l10n/texts.h"
#include "l10n/notices.h"
#include "text/text_utils.h"

namespace lanternbook {
namespace {

constexpr std::array<const wchar_t*, 2> kDownloadFolders{L"CARD", L"TACHO"};

// Lower-case extension letters, in the order the folders are swept.
constexpr std::array<const wchar_t*, 4> kDownloadExtensions{L"dtg", L"ddd", L"dtc", L"esm"};
constexpr std::size_t kExtensionLength = 3;
constexpr wchar_t kPatternPrefix[] = L"*.";

// The platform's pattern match also lists names whose long extension only
// begins with the letters ("a.dddx" for "*.ddd"), so the name is checked again.
bool has_download_extension(const std::wstring& name, const wchar_t* letters) {
    if (name.size() <= kExtensionLength + 1) {
        return false;
    }
    const std::size_t dot = name.size() - kExtensionLength - 1;
    if (name[dot] != L'.') {
        return false;
    }
    for (std::size_t i = 0; i < kExtensionLength; ++i) {
        if (to_lower_ascii(name[dot + 1 + i]) != letters[i]) {
            return false;
        }
    }
    return true;
}

struct PassCount {
    std::size_t deleted = 0;
    bool all_deleted = true;
    std::wstring* not_deleted = nullptr;
};

void note_not_deleted(PassCount& count, const std::wstring& path) {
    count.all_deleted = false;
    *count.not_deleted += path;
    *count.not_deleted += L'\0';
}

// Read-only, hidden and system downloads go too; one that stays gets its
// attributes back.
bool delete_download(FileSystem& files, const std::wstring& path) {
    uint32_t attributes = 0;
    if (files.attributes(path, attributes) != Lookup::found) {
        return false;
    }
    if (files.set_attributes(path, kAttributeArchive) && files.delete_file(path)) {
        return true;
    }
    static_cast<void>(files.set_attributes(path, attributes));
    return false;
}

void erase_matching_files(FileSystem& files, const std::wstring& folder_path, const wchar_t* letters,
                          PassCount& count) {
    std::vector<FolderEntry> entries;
    const Lookup listed = files.list_folder(folder_path + kPatternPrefix + letters, entries);
    if (listed != Lookup::found) {
        if (listed == Lookup::failed) {
            note_not_deleted(count, folder_path);
        }
        return;
    }
    for (const FolderEntry& entry : entries) {
        if (entry.is_folder() || entry.is_link() || !has_download_extension(entry.name, letters)) {
            continue;
        }
        const std::wstring path = folder_path + entry.name;
        if (delete_download(files, path)) {
            ++count.deleted;
        } else {
            note_not_deleted(count, path);
        }
    }
}

// A download folder that is a link leads off the key: it is left alone.
bool is_real_folder(FileSystem& files, const std::wstring& path, PassCount& count) {
    uint32_t attributes = 0;
    const Lookup found = files.attributes(path, attributes);
    count.all_deleted &= found != Lookup::failed;
    return found == Lookup::found && (attributes & kAttributeFolder) != 0 && (attributes & kAttributeLink) == 0;
}

}  // namespace

EraseResult erase_downloads_on(const KeyIdentity& key, DeviceDrive& device, FileSystem& files) {
    EraseResult result;
    PassCount count;
    count.not_deleted = &result.not_deleted;
    for (const wchar_t* folder : kDownloadFolders) {
        const std::wstring folder_path = with_trailing_backslash(key.root) + folder;
        for (const wchar_t* letters : kDownloadExtensions) {
            if (!device.still_attached(key)) {
                result.outcome = EraseOutcome::key_changed;
                result.deleted = count.deleted;
                return result;
            }
            if (is_real_folder(files, folder_path, count)) {
                erase_matching_files(files, with_trailing_backslash(folder_path), letters, count);
            }
        }
    }
    result.outcome = count.all_deleted ? EraseOutcome::erased : EraseOutcome::incomplete;
    result.deleted = count.deleted;
    return result;
}

EraseResult erase_downloads(const KeyIdentity& key, DeviceDrive& device, FileSystem& files,
                            UserMessages& messages, const LanguageTable& strings) {
    if (!confirmed(messages, strings, Text::erase_confirmation)) {
        return EraseResult{};
    }
    EraseResult result;
    if (!device.still_attached(key)) {
        result.outcome = EraseOutcome::no_key;
    } else {
        result = erase_downloads_on(key, device, files);
    }
    switch (result.outcome) {
        case EraseOutcome::no_key:
        case EraseOutcome::key_changed: show_error(messages, strings, Text::key_changed); break;
        case EraseOutcome::incomplete: show_error(messages, strings, Text::erase_incomplete); break;
        case EraseOutcome::declined:
        case EraseOutcome::erased: break;
    }
    return result;
}

}  // namespace lanternbook
