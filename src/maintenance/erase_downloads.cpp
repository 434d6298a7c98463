#include "maintenance/erase_downloads.h"

#include <algorithm>
#include <array>
#include <memory>
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
constexpr wchar_t kEveryEntry[] = L"*.*";
// How long deleting may go on before the key is asked again whether it is still the one confirmed.
constexpr uint64_t kKeyCheckIntervalMs = 250;
// What the system said of a deletion that its folder, read again, belies.
constexpr wchar_t kStillThere[] = L"still there after it was deleted";

// Every entry of a folder is listed; only its name makes it a download of
// an extension ("a.dddx" is none).
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

// The erase's own removal, with no keeper: the DLL, which never keeps a
// download, holds none of a keeper's code.
struct FolderRemoval {};

template <class Remover>
class EraseRun {
public:
    EraseRun(const KeyIdentity& key, DeviceDrive& device, Clock& clock, EraseObserver* observer, EraseMode mode,
             Remover& remover)
        : key_(key),
          device_(device),
          clock_(clock),
          observer_(observer != nullptr ? *observer : silent_),
          mode_(mode),
          remover_(remover) {}

    EraseResult run();

private:
    // Whether the key is still the one confirmed; asked again once the last
    // answer is older than kKeyCheckInterval.
    bool key_still_there(bool now);
    bool same_config();
    void erase_folder(const wchar_t* name);
    void erase_matching(Folder& folder, const wchar_t* folder_name, const std::wstring& folder_path,
                        const std::vector<FolderEntry>& entries, const wchar_t* letters,
                        std::vector<std::wstring>& gone);
    // Whether the download went (in a dry run: would go).
    bool erase_download(Folder& folder, const wchar_t* folder_name, const FolderEntry& entry,
                        const std::wstring& path);
    // Tells what became of the downloads deleted in one folder, once it is read again.
    void confirm_deleted(Folder& folder, const std::wstring& folder_path, const std::vector<std::wstring>& gone);
    void note_not_deleted(const std::wstring& path, const std::wstring& reason);
    void note_skipped(const std::wstring& path, SkipReason reason);
    EraseOutcome outcome() const;

    const KeyIdentity& key_;
    DeviceDrive& device_;
    Clock& clock_;
    EraseObserver silent_;
    EraseObserver& observer_;
    const EraseMode mode_;
    Remover& remover_;
    std::unique_ptr<Folder> root_;
    // The download folder being swept, and its path, for the key check.
    Folder* current_ = nullptr;
    std::wstring current_path_;
    std::vector<uint8_t> identity_;
    bool identity_known_ = false;
    uint64_t checked_at_ = 0;
    bool key_gone_ = false;
    bool stopped_ = false;
    EraseResult result_;
};

template <class Remover>
void EraseRun<Remover>::note_not_deleted(const std::wstring& path, const std::wstring& reason) {
    result_.not_deleted += path;
    result_.not_deleted += L'\0';
    observer_.not_deleted(path, reason);
}

template <class Remover>
void EraseRun<Remover>::note_skipped(const std::wstring& path, SkipReason reason) {
    ++result_.skipped;
    observer_.skipped(path, reason);
}

template <class Remover>
bool EraseRun<Remover>::same_config() {
    std::vector<uint8_t> now;
    const ConfigRead read = device_.read_config_bytes(key_, now);
    return !identity_known_ || (read != ConfigRead::unreadable && key_identity_of(now) == identity_);
}

template <class Remover>
bool EraseRun<Remover>::key_still_there(bool now) {
    const uint64_t ticks = clock_.ticks_ms();
    if (key_gone_ || now || ticks - checked_at_ >= kKeyCheckIntervalMs) {
        // Under Wine a volume swapped in under the letter keeps the first one's serial number:
        // the folders' own places and the key's CONFIG tell what the serial cannot.
        key_gone_ = key_gone_ || !device_.still_attached(key_) || !DeviceDrive::still_in_place(*root_, key_, key_.root) ||
                    (current_ != nullptr && !DeviceDrive::still_in_place(*current_, key_, current_path_)) ||
                    !same_config();
        checked_at_ = clock_.ticks_ms();
    }
    return !key_gone_;
}

template <class Remover>
bool EraseRun<Remover>::erase_download(Folder& folder, const wchar_t* folder_name, const FolderEntry& entry,
                                       const std::wstring& path) {
    std::wstring reason;
    switch (remover_.remove_download(folder, folder_name, entry, path, mode_ == EraseMode::dry_run, reason)) {
        case Removal::deleted: return true;
        case Removal::link: note_skipped(path, SkipReason::link); return false;
        case Removal::not_deleted: break;
    }
    note_not_deleted(path, reason);
    return false;
}

template <>
bool EraseRun<FolderRemoval>::erase_download(Folder& folder, const wchar_t* /*folder_name*/, const FolderEntry& entry,
                                             const std::wstring& path) {
    // Deleted through the held folder, on this key whatever its letter leads to by now, read-only,
    // hidden and system downloads too; a dry run goes as far as the same checks.
    if (mode_ == EraseMode::dry_run ? !folder.leads_elsewhere(entry.name) : folder.delete_file(entry.name)) {
        return true;
    }
    const std::wstring reason = device_.failure_reason();
    // A link that looks like a file is told by its name once opened, and is left alone.
    if (folder.leads_elsewhere(entry.name)) {
        note_skipped(path, SkipReason::link);
    } else {
        note_not_deleted(path, reason);
    }
    return false;
}

template <class Remover>
void EraseRun<Remover>::erase_matching(Folder& folder, const wchar_t* folder_name, const std::wstring& folder_path,
                                       const std::vector<FolderEntry>& entries, const wchar_t* letters,
                                       std::vector<std::wstring>& gone) {
    for (const FolderEntry& entry : entries) {
        // Folders are no downloads.
        if ((entry.is_folder() && !entry.is_link()) || !has_download_extension(entry.name, letters)) {
            continue;
        }
        const std::wstring path = folder_path + entry.name;
        if (entry.is_link() || entry.is_device()) {
            note_skipped(path, entry.is_link() ? SkipReason::link : SkipReason::not_regular);
            continue;
        }
        if (observer_.stop_requested()) {
            stopped_ = true;
            return;
        }
        if (!key_still_there(false)) {
            return;
        }
        if (erase_download(folder, folder_name, entry, path)) {
            gone.push_back(entry.name);
        }
    }
}

template <class Remover>
void EraseRun<Remover>::confirm_deleted(Folder& folder, const std::wstring& folder_path,
                                        const std::vector<std::wstring>& gone) {
    std::vector<FolderEntry> left;
    std::vector<uint8_t> still_there(gone.size(), 0);
    // A folder moved away under its handle reports deletions it never made.
    if (mode_ == EraseMode::erase && !gone.empty() && folder.list(kEveryEntry, left) != Lookup::failed) {
        // What stays keeps its order in a folder read again: each search starts where the last one ended.
        std::size_t from = 0;
        for (const FolderEntry& entry : left) {
            auto counted = std::find(gone.begin() + static_cast<std::ptrdiff_t>(from), gone.end(), entry.name);
            if (counted == gone.end()) {
                counted = std::find(gone.begin(), gone.begin() + static_cast<std::ptrdiff_t>(from), entry.name);
            }
            if (counted != gone.end() && *counted == entry.name) {
                from = static_cast<std::size_t>(counted - gone.begin());
                still_there[from] = 1;
            }
        }
    }
    for (std::size_t i = 0; i < gone.size(); ++i) {
        if (still_there[i] != 0) {
            note_not_deleted(folder_path + gone[i], kStillThere);
        } else {
            ++result_.deleted;
            observer_.deleted(folder_path + gone[i]);
        }
    }
}

template <class Remover>
void EraseRun<Remover>::erase_folder(const wchar_t* name) {
    const std::wstring folder_path = with_trailing_backslash(with_trailing_backslash(key_.root) + name);
    uint32_t attributes = 0;
    const Lookup found = root_->attributes(name, attributes);
    if (found == Lookup::failed) {
        note_not_deleted(folder_path, device_.failure_reason());
        return;
    }
    // A download folder that is a link leads off the key: it is left alone.
    if (found == Lookup::missing || (attributes & kAttributeFolder) == 0) {
        return;
    }
    if ((attributes & kAttributeLink) != 0) {
        note_skipped(folder_path, SkipReason::folder_link);
        return;
    }
    std::unique_ptr<Folder> folder = root_->open_folder(name);
    if (!folder) {
        note_not_deleted(folder_path, device_.failure_reason());
        return;
    }
    // Read once; each extension's pass then takes its own names, in the order listed.
    std::vector<FolderEntry> entries;
    if (folder->list(kEveryEntry, entries) == Lookup::failed) {
        note_not_deleted(folder_path, device_.failure_reason());
        return;
    }
    current_ = folder.get();
    current_path_ = folder_path;
    std::vector<std::wstring> gone;
    for (const wchar_t* letters : kDownloadExtensions) {
        if (!key_still_there(true) || stopped_) {
            break;
        }
        erase_matching(*folder, name, folder_path, entries, letters, gone);
    }
    confirm_deleted(*folder, folder_path, gone);
    current_ = nullptr;
}

template <class Remover>
EraseOutcome EraseRun<Remover>::outcome() const {
    if (key_gone_) {
        return EraseOutcome::key_changed;
    }
    if (stopped_) {
        return EraseOutcome::stopped;
    }
    if (!result_.not_deleted.empty()) {
        return EraseOutcome::incomplete;
    }
    return result_.skipped != 0 ? EraseOutcome::skipped_some : EraseOutcome::erased;
}

template <class Remover>
EraseResult EraseRun<Remover>::run() {
    root_ = device_.open_root(key_);
    if (!root_) {
        result_.outcome = EraseOutcome::key_changed;
        return result_;
    }
    std::vector<uint8_t> config;
    const ConfigRead read = device_.read_config_bytes(key_, config);
    identity_known_ = read != ConfigRead::unreadable;
    identity_ = key_identity_of(config);
    for (const wchar_t* folder : kDownloadFolders) {
        if (!key_still_there(true) || stopped_) {
            break;
        }
        erase_folder(folder);
    }
    // A key pulled mid-way makes every call fail: that is what the user is told.
    if (!result_.not_deleted.empty() && !key_gone_) {
        static_cast<void>(key_still_there(true));
    }
    result_.outcome = outcome();
    return result_;
}

class Listing : public EraseObserver {
public:
    explicit Listing(std::vector<std::wstring>& paths) : paths_(paths) {}
    void deleted(const std::wstring& path) override { paths_.push_back(path); }

private:
    std::vector<std::wstring>& paths_;
};

bool is_folder_path(const std::wstring& path) { return !path.empty() && path.back() == L'\\'; }

}  // namespace

EraseResult erase_downloads_on(const KeyIdentity& key, DeviceDrive& device, Clock& clock, EraseObserver* observer,
                               EraseMode mode) {
    FolderRemoval own;
    return EraseRun<FolderRemoval>(key, device, clock, observer, mode, own).run();
}

EraseResult erase_downloads_keeping(const KeyIdentity& key, DeviceDrive& device, Clock& clock,
                                    EraseObserver* observer, EraseMode mode, DownloadRemover& keeper) {
    return EraseRun<DownloadRemover>(key, device, clock, observer, mode, keeper).run();
}

std::vector<std::wstring> paths_not_deleted(const EraseResult& result) {
    std::vector<std::wstring> paths;
    std::size_t start = 0;
    for (std::size_t end = result.not_deleted.find(L'\0'); end != std::wstring::npos;
         end = result.not_deleted.find(L'\0', start)) {
        paths.push_back(result.not_deleted.substr(start, end - start));
        start = end + 1;
    }
    return paths;
}

EraseResult list_downloads(const KeyIdentity& key, DeviceDrive& device, Clock& clock, std::vector<std::wstring>& paths) {
    paths.clear();
    Listing listing(paths);
    EraseResult listed = erase_downloads_on(key, device, clock, &listing, EraseMode::dry_run);
    // Downloads that would stay are no failure to list; folders that cannot be read are.
    std::wstring unread;
    for (const std::wstring& path : paths_not_deleted(listed)) {
        if (is_folder_path(path)) {
            unread += path;
            unread += L'\0';
        }
    }
    if ((listed.outcome == EraseOutcome::incomplete || listed.outcome == EraseOutcome::skipped_some) && unread.empty()) {
        listed.outcome = EraseOutcome::erased;
    }
    listed.not_deleted = unread;
    return listed;
}

EraseResult erase_downloads(const KeyIdentity& key, DeviceDrive& device, Clock& clock, UserMessages& messages,
                            const LanguageTable& strings) {
    if (!confirmed(messages, strings, Text::erase_confirmation)) {
        return EraseResult{};
    }
    EraseResult result;
    if (!device.still_attached(key)) {
        result.outcome = EraseOutcome::no_key;
    } else {
        result = erase_downloads_on(key, device, clock);
    }
    switch (result.outcome) {
        case EraseOutcome::no_key:
        case EraseOutcome::key_changed: show_error(messages, strings, Text::key_changed); break;
        case EraseOutcome::incomplete:
        case EraseOutcome::skipped_some: show_error(messages, strings, Text::erase_incomplete); break;
        case EraseOutcome::declined:
        case EraseOutcome::stopped:
        case EraseOutcome::erased: break;
    }
    return result;
}

}  // namespace lanternbook
