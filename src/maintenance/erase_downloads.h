// Deletes the downloads kept in the key's CARD\ and TACHO\ folders.
#pragma once

#include <cstddef>
#include <string>

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
};

// Deletes the downloads on `key`, checking that the key is still that volume
// before each folder-and-extension pass and at least every 250 ms of
// deleting. Links are never stepped through nor deleted.
[[nodiscard]] EraseResult erase_downloads_on(const KeyIdentity& key, DeviceDrive& device, FileSystem& files,
                                             Clock& clock);

// The dialog's Erase on the key it shows: asks first, then works only while
// that key is attached, and tells the user when the run did not erase
// everything.
[[nodiscard]] EraseResult erase_downloads(const KeyIdentity& key, DeviceDrive& device, FileSystem& files,
                                          Clock& clock, UserMessages& messages, const LanguageTable& strings);

}  // namespace lanternbook
