// Deletes the downloads kept in the key's CARD\ and TACHO\ folders.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "device/device_drive.h"
#include "l10n/language_table.h"
#include "platform/platform.h"

namespace lanternbook {

enum class EraseOutcome {
    declined,      // the user said no: nothing touched
    no_key,        // the key was not there when the user confirmed
    key_changed,   // the confirmed key went away or another took its place: stopped
    stopped,       // the caller asked to stop between downloads
    incomplete,    // some downloads could not be deleted, or a download folder read
    skipped_some,  // every download went but those that are no plain files of the key
    erased,
};

// Why an entry with a download's name was left alone without being tried.
enum class SkipReason {
    link,         // a link to a file, wherever it leads
    not_regular,  // a pipe, a device or a socket
    folder_link,  // CARD or TACHO itself leads elsewhere
};

// Told what becomes of each download as the erase goes, in the order met,
// and asked between downloads whether to go on. Paths are on the key.
class EraseObserver {
public:
    virtual ~EraseObserver() = default;
    virtual void deleted(const std::wstring& /*path*/) {}
    virtual void skipped(const std::wstring& /*path*/, SkipReason /*reason*/) {}
    // A download that stayed, or a download folder that could not be read
    // (its path ends in a backslash); `reason` in the system's words, or empty.
    virtual void not_deleted(const std::wstring& /*path*/, const std::wstring& /*reason*/) {}
    virtual bool stop_requested() { return false; }
};

// What became of one download given to a remover.
enum class Removal { deleted, link, not_deleted };

// Deletes one download of a held download folder in the erase's stead,
// keeping what it must of it first (a copy, a digest) through the handle it
// then deletes it by, so what was kept is what goes.
class DownloadRemover {
public:
    virtual ~DownloadRemover() = default;
    // `entry` of `folder`, the download folder named `folder_name` (CARD,
    // TACHO); `path` is the download's on the key. With `dry_run` nothing is
    // written or deleted: the remover only finds out what it would do. A link
    // is left alone; not_deleted leaves the download on the key, and
    // `reason` says why.
    [[nodiscard]] virtual Removal remove_download(Folder& folder, const std::wstring& folder_name,
                                                  const FolderEntry& entry, const std::wstring& path, bool dry_run,
                                                  std::wstring& reason) = 0;
};

struct EraseResult {
    EraseOutcome outcome = EraseOutcome::declined;
    std::size_t deleted = 0;
    std::size_t skipped = 0;
    // The downloads that stayed, and download folders that could not be
    // read, in the order met, each path followed by a NUL, which no file
    // name holds. One text rather than a list: the DLL, which only counts,
    // must stay within its size bound.
    std::wstring not_deleted;
};

// The paths in result.not_deleted, one each.
[[nodiscard]] std::vector<std::wstring> paths_not_deleted(const EraseResult& result);

enum class EraseMode {
    erase,
    // Everything but the deleting: what is reported deleted is what an erase would delete now.
    dry_run,
};

// Deletes the downloads on `key` through its download folders held open,
// checking that the key is still that volume, its folders where they were
// and its CONFIG the key's own, before each folder-and-extension pass and
// at least every 250 ms of deleting. Links are never stepped through nor
// deleted. A listing after each folder catches what was reported deleted
// yet is still there.
[[nodiscard]] EraseResult erase_downloads_on(const KeyIdentity& key, DeviceDrive& device, Clock& clock,
                                             EraseObserver* observer = nullptr, EraseMode mode = EraseMode::erase);
// The same erase, with `keeper` removing each download in its stead.
[[nodiscard]] EraseResult erase_downloads_keeping(const KeyIdentity& key, DeviceDrive& device, Clock& clock,
                                                  EraseObserver* observer, EraseMode mode, DownloadRemover& keeper);

// What erase_downloads_on would delete on `key` now, in its order.
// Downloads that would stay are no failure here; folders that cannot be
// read are, in not_deleted.
[[nodiscard]] EraseResult list_downloads(const KeyIdentity& key, DeviceDrive& device, Clock& clock,
                                         std::vector<std::wstring>& paths);

// The dialog's Erase on the key it shows: asks first, then works only while
// that key is attached, and tells the user when the run did not erase
// everything.
[[nodiscard]] EraseResult erase_downloads(const KeyIdentity& key, DeviceDrive& device, Clock& clock,
                                          UserMessages& messages, const LanguageTable& strings);

}  // namespace lanternbook
