#include "maintenance/erase_downloads.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "l10n/entries.h"
#include "platform/text_utils.h"

namespace lanternbook {
namespace {

constexpr std::array<const wchar_t*, 2> kDownloadFolders{L"CARD\\", L"TACHO\\"};

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

void erase_matching_files(Platform& platform, const std::wstring& folder_path,
                          const wchar_t* letters) {
    std::vector<FolderEntry> entries;
    if (!platform.list_folder(folder_path + kPatternPrefix + letters, entries)) {
        return;
    }
    for (const FolderEntry& entry : entries) {
        if (entry.is_folder || !has_download_extension(entry.name, letters)) {
            continue;
        }
        const std::wstring file_path = folder_path + entry.name;
        // Read-only, hidden and system downloads go too.
        platform.set_archive_attribute_only(file_path);
        platform.delete_file(file_path);
    }
}

}  // namespace

int erase_downloads(DialogState& state, Platform& platform) {
    const int answer = platform.message_box(state.strings.text_at(entry::erase_confirmation),
                                            state.strings.text_at(entry::caution),
                                            kMessageOkCancelWarning);
    if (answer != kAnswerOk) {
        return 0;
    }
    for (const wchar_t* folder : kDownloadFolders) {
        for (const wchar_t* letters : kDownloadExtensions) {
            // A key pulled mid-run stops the sweep at the next step.
            const std::wstring root = state.device.find_drive();
            if (root.empty()) {
                return 0;
            }
            erase_matching_files(platform, with_trailing_backslash(root) + folder, letters);
        }
    }
    return 0;
}

}  // namespace lanternbook
