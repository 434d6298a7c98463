// A format cut short (the host crashed or was ended, the power went) leaves
// the key's program files and CONFIG only in our backup folder, whose record
// says whose they are. At the next start they are put back: quietly when the
// key has everything anyway, after asking when it lacks something, and onto
// an empty removable drive of the key's size only when the user says so.
#pragma once

#include <string>
#include <vector>

#include "device/device_drive.h"
#include "l10n/language_table.h"
#include "maintenance/backup_record.h"
#include "platform/platform.h"

namespace lanternbook {

struct UnfinishedFormat {
    std::wstring folder;
    BackupRecord record;
};

enum class Recovery {
    already_whole,  // the key has everything: the folder went
    put_back,       // everything is back, on the key or on the empty drive the user chose
    kept,           // declined, or no key to put it on: the folder stays and the user knows where
    failed,         // not all could go back: the folder stays and the user knows where
};

struct RecoveryServices {
    DeviceDrive& device;
    FileSystem& files;
    Volumes& volumes;
    Clock& clock;
};

// Our backup folders under the temporary folder that hold a whole record.
[[nodiscard]] std::vector<UnfinishedFormat> find_unfinished_formats(FileSystem& files);
// The same under another folder: a temporary folder of another machine or user.
[[nodiscard]] std::vector<UnfinishedFormat> find_unfinished_formats_in(FileSystem& files, const std::wstring& folder);

// Whether the volume of `key` is the one the record was made of: either
// serial number, or a VOLKARIS label and the key's own CONFIG bytes.
[[nodiscard]] bool record_is_of(const BackupRecord& record, const KeyIdentity& key, const RecoveryServices& services);
// Every file of the record on the key with its size, and CONFIG the key's own.
[[nodiscard]] bool key_is_whole(const UnfinishedFormat& unfinished, const KeyIdentity& key,
                                const RecoveryServices& services);
// Removes the folder of a format whose key is whole, its record first.
[[nodiscard]] bool discard_backup(const UnfinishedFormat& unfinished, const RecoveryServices& services);

// Finishes one: finds the key it belongs to and goes on as above.
[[nodiscard]] Recovery finish_unfinished_format(const UnfinishedFormat& unfinished, const RecoveryServices& services,
                                                UserMessages& messages, const LanguageTable& strings);

// What the dialog does before anything else at start.
void finish_unfinished_formats(const RecoveryServices& services, UserMessages& messages, const LanguageTable& strings);

// Puts the files of `unfinished` onto the volume at `root` (the key, or an
// empty one the user chose: `must_be_empty`) with the key's label, never over
// a file already there, and removes the folder once all are there whole.
[[nodiscard]] Recovery put_back_onto(const UnfinishedFormat& unfinished, const std::wstring& root, bool must_be_empty,
                                     const RecoveryServices& services);

// The key's serial number as the dialog shows it; empty when the record has none.
[[nodiscard]] std::wstring key_serial_number(const BackupRecord& record);
// The same after its label, or "no data".
[[nodiscard]] std::wstring serial_of(const BackupRecord& record, const LanguageTable& strings);

}  // namespace lanternbook
