// A format cut short (the host crashed or was ended, the power went) leaves
// the key's program files and CONFIG only in our backup folder, whose record
// says whose they are. At the next start they are put back: quietly when the
// key has everything anyway, after asking when it lacks something, and onto
// an empty removable drive of the key's size only when the user says so.
// A backup another process holds (a format under way) is never touched.
#pragma once

#include <string>
#include <vector>

#include "device/device_drive.h"
#include "l10n/language_table.h"
#include "maintenance/backup_record.h"
#include "maintenance/program_file_backup.h"
#include "platform/platform.h"

namespace lanternbook {

struct UnfinishedFormat {
    std::wstring folder;  // as the user is told it
    BackupRecord record;
    // Held and locked; given over to whatever finishes it.
    HeldBackup held;
};

enum class Recovery {
    already_whole,  // the key has everything: the folder went
    put_back,       // everything is back, on the key or on the empty drive the user chose
    label_not_set,  // everything is back, but the drive's label could not be set: the user knows
    kept,           // declined, no key to put it on, or the drive changed once asked: the folder stays
    failed,         // not all could go back: the folder stays and the user knows where
};

struct RecoveryServices {
    DeviceDrive& device;
    FileSystem& files;
    Volumes& volumes;
    Clock& clock;
};

// Our backup folders in the backup place that hold a whole record, each held
// and locked; those another process holds are left out. `missing` when
// there is no backup place; `failed` when it could not be read.
[[nodiscard]] Lookup find_unfinished_formats(FileSystem& files, std::vector<UnfinishedFormat>& found);
// The same in another folder (a backup place of another machine or
// account): `failed`, with the reason in files.failure_reason(), when it is
// not this user's alone or cannot be read.
[[nodiscard]] Lookup find_unfinished_formats_in(FileSystem& files, const std::wstring& folder,
                                                std::vector<UnfinishedFormat>& found);

// Whether the volume of `key` is the one the record was made of: a non-zero
// serial number of either, or a VOLKARIS label together with the key's own
// CONFIG bytes, when they name a serial number.
[[nodiscard]] bool record_is_of(const BackupRecord& record, const KeyIdentity& key, const RecoveryServices& services);
// Every file of the record on the key with its bytes, and CONFIG the key's own.
[[nodiscard]] bool key_is_whole(const UnfinishedFormat& unfinished, const KeyIdentity& key,
                                const RecoveryServices& services);
// Removes the folder of a format whose key is whole, its record last.
[[nodiscard]] bool discard_backup(UnfinishedFormat& unfinished, const RecoveryServices& services);

// Finishes one: finds the key it belongs to and goes on as above.
[[nodiscard]] Recovery finish_unfinished_format(UnfinishedFormat& unfinished, const RecoveryServices& services,
                                                UserMessages& messages, const LanguageTable& strings);

// What the dialog does before anything else at start.
void finish_unfinished_formats(const RecoveryServices& services, UserMessages& messages, const LanguageTable& strings);

// Puts the files of `unfinished` onto the volume at `root` (the key, or an
// empty one the user chose: `must_be_empty`) with the key's label, never over
// a file already there, and removes the folder once all are there whole.
[[nodiscard]] Recovery put_back_onto(UnfinishedFormat& unfinished, const std::wstring& root, bool must_be_empty,
                                     const RecoveryServices& services);

// What a volume was when the user was asked about it: its identity and the
// names in its root. Under Wine a folder swapped in under a letter keeps the
// first volume's serial number, so the names count too.
struct VolumeLook {
    uint32_t serial = 0;
    std::wstring label;
    uint64_t names = 0;  // a hash of the names, in the order listed

    bool operator==(const VolumeLook& other) const {
        return serial == other.serial && label == other.label && names == other.names;
    }
};
[[nodiscard]] VolumeLook look_at(const std::wstring& root, const RecoveryServices& services);

// The key's serial number as the dialog shows it; empty when the record has none.
[[nodiscard]] std::wstring key_serial_number(const BackupRecord& record);
// The same after its label, or "no data".
[[nodiscard]] std::wstring serial_of(const BackupRecord& record, const LanguageTable& strings);

}  // namespace lanternbook
