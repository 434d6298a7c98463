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
// How long deleting may go on before the key is asked again whether it is still the one confirmed.
constexpr uint64_t kKeyCheckIntervalMs = 250;

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

class EraseRun {
public:
    EraseRun(const KeyIdentity& key, DeviceDrive& device, FileSystem& files, Clock& clock)
        : key_(key), device_(device), files_(files), clock_(clock) {}

    EraseResult run();

private:
    // Whether the key is still the one confirmed; asked again once the last
    // answer is older than kKeyCheckInterval.
    bool key_still_there(bool now);
    bool is_real_folder(const std::wstring& relative);
    void erase_matching_files(const std::wstring& folder, const wchar_t* letters);
    bool delete_download(const std::wstring& relative, uint32_t attributes);
    void note_not_deleted(const std::wstring& path);

    const KeyIdentity& key_;
    DeviceDrive& device_;
    FileSystem& files_;
    Clock& clock_;
    uint64_t checked_at_ = 0;
    bool key_gone_ = false;
    std::size_t deleted_ = 0;
    bool all_deleted_ = true;
    std::wstring not_deleted_;
};

void EraseRun::note_not_deleted(const std::wstring& path) {
    all_deleted_ = false;
    not_deleted_ += path;
    not_deleted_ += L'\0';
}

bool EraseRun::key_still_there(bool now) {
    const uint64_t ticks = clock_.ticks_ms();
    if (key_gone_ || now || ticks - checked_at_ >= kKeyCheckIntervalMs) {
        key_gone_ = key_gone_ || !device_.still_attached(key_);
        checked_at_ = clock_.ticks_ms();
    }
    return !key_gone_;
}

// A download folder that is a link leads off the key: it is left alone.
bool EraseRun::is_real_folder(const std::wstring& relative) {
    uint32_t attributes = 0;
    const Lookup found = files_.attributes(with_trailing_backslash(key_.root) + relative, attributes);
    all_deleted_ = all_deleted_ && found != Lookup::failed;
    return found == Lookup::found && (attributes & kAttributeFolder) != 0 && (attributes & kAttributeLink) == 0;
}

// Read-only, hidden and system downloads go too; one that stays gets its
// attributes back. Only a plain file of the key is touched: a link, a pipe
// or a device under a download's name stays, and counts as not deleted.
bool EraseRun::delete_download(const std::wstring& relative, uint32_t attributes) {
    // The file opened is the one deleted, on this key whatever its letter leads to by now.
    std::unique_ptr<File> download = device_.open_on_key(key_, relative, FileAccess::entry, FileDisposition::open_existing);
    if (!download) {
        return false;
    }
    if (download->set_attributes(kAttributeArchive) && download->remove() && download->close()) {
        return true;
    }
    static_cast<void>(download->set_attributes(attributes));
    return false;
}

void EraseRun::erase_matching_files(const std::wstring& folder, const wchar_t* letters) {
    const std::wstring folder_path = with_trailing_backslash(with_trailing_backslash(key_.root) + folder);
    std::vector<FolderEntry> entries;
    const Lookup listed = files_.list_folder(folder_path + kPatternPrefix + letters, entries);
    if (listed != Lookup::found) {
        if (listed == Lookup::failed) {
            note_not_deleted(folder_path);
        }
        return;
    }
    for (const FolderEntry& entry : entries) {
        // Folders are no downloads; a link under a download's name is not deleted, and said so.
        if (entry.is_folder() || !has_download_extension(entry.name, letters)) {
            continue;
        }
        if (entry.is_link()) {
            note_not_deleted(folder_path + entry.name);
            continue;
        }
        if (!key_still_there(false)) {
            return;
        }
        if (delete_download(with_trailing_backslash(folder) + entry.name, entry.attributes)) {
            ++deleted_;
        } else {
            note_not_deleted(folder_path + entry.name);
        }
    }
}

EraseResult EraseRun::run() {
    for (const wchar_t* folder : kDownloadFolders) {
        for (const wchar_t* letters : kDownloadExtensions) {
            if (!key_still_there(true)) {
                return EraseResult{EraseOutcome::key_changed, deleted_, not_deleted_};
            }
            if (is_real_folder(folder)) {
                erase_matching_files(folder, letters);
            }
        }
    }
    if (key_gone_) {
        return EraseResult{EraseOutcome::key_changed, deleted_, not_deleted_};
    }
    return EraseResult{all_deleted_ ? EraseOutcome::erased : EraseOutcome::incomplete, deleted_, not_deleted_};
}

}  // namespace

EraseResult erase_downloads_on(const KeyIdentity& key, DeviceDrive& device, FileSystem& files, Clock& clock) {
    return EraseRun(key, device, files, clock).run();
}

EraseResult erase_downloads(const KeyIdentity& key, DeviceDrive& device, FileSystem& files, Clock& clock,
                            UserMessages& messages, const LanguageTable& strings) {
    if (!confirmed(messages, strings, Text::erase_confirmation)) {
        return EraseResult{};
    }
    EraseResult result;
    if (!device.still_attached(key)) {
        result.outcome = EraseOutcome::no_key;
    } else {
        result = erase_downloads_on(key, device, files, clock);
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
