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
    declined,     // the user said no: nothing touched
    no_key,       // the key was not there when the user confirmed
    key_changed,  // the confirmed key went away or another took its place: stopped
    incomplete,   // some downloads could not be deleted
    erased,
};

struct EraseResult {
    EraseOutcome outcome = EraseOutcome::declined;
    std::size_t deleted = 0;
    // The downloads that stayed, and download folders that could not be
    // read, in the order met, each path followed by a NUL, which no file
    // name holds. One text rather than a list: the DLL, which only counts,
    // must stay within its size bound.
    std::wstring not_deleted;
};

// The paths in result.not_deleted, one each.
[[nodiscard]] std::vector<std::wstring> paths_not_deleted(const EraseResult& result);

// Deletes the downloads on `key`, checking that the key is still that volume
// before each folder-and-extension pass and at least every 250 ms of
// deleting. Links are never stepped through nor deleted.
[[nodiscard]] EraseResult erase_downloads_on(const KeyIdentity& key, DeviceDrive& device, FileSystem& files,
                                             Clock& clock);

// What erase_downloads_on would delete on `key` now, in its order: the
// same run with every deletion held back. The result tells whether the key
// went away or a download folder could not be read (the folders in
// not_deleted); downloads that would stay are no failure here.
[[nodiscard]] EraseResult list_downloads(const KeyIdentity& key, Volumes& volumes, FileSystem& files, Clock& clock,
                                         std::vector<std::wstring>& paths);

// The dialog's Erase on the key it shows: asks first, then works only while
// that key is attached, and tells the user when the run did not erase
// everything.
[[nodiscard]] EraseResult erase_downloads(const KeyIdentity& key, DeviceDrive& device, FileSystem& files,
                                          Clock& clock, UserMessages& messages, const LanguageTable& strings);

}  // namespace lanternbook
