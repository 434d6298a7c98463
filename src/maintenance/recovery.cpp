#include "maintenance/recovery.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "config/stored_settings.h"
#include "l10n/notices.h"
#include "l10n/texts.h"
#include "maintenance/key_volume.h"
#include "text/text_utils.h"

namespace lanternbook {
namespace {

constexpr wchar_t kBackupFolders[] = L"volkaris*";
constexpr wchar_t kEveryEntry[] = L"*.*";
constexpr int kDriveLetterCount = 26;
// A record is a couple of hundred bytes; anything larger is none of ours.
constexpr std::size_t kRecordReadLimit = 1024;

bool read_record(Folder& folder, BackupRecord& record) {
    std::unique_ptr<File> file = folder.open_file(kBackupRecordName, FileAccess::read, FileDisposition::open_existing);
    std::vector<uint8_t> bytes(kRecordReadLimit, 0);
    std::size_t read = 0;
    return file && file->read(bytes.data(), bytes.size(), read) && decode_record(bytes.data(), read, record);
}

// Every backup folder of ours in the place at `path` with a whole record,
// that no other process holds; each keeps a handle of the place of its own.
Lookup collect(FileSystem& files, std::unique_ptr<Folder> place, const std::wstring& path,
               std::vector<UnfinishedFormat>& found) {
    found.clear();
    std::vector<FolderEntry> entries;
    if (!place || !place->private_to_user()) {
        return Lookup::failed;
    }
    if (place->list(kBackupFolders, entries) == Lookup::failed) {
        return Lookup::failed;
    }
    // Folders of ours without a record are cleared only while no format is making one.
    const std::unique_ptr<FolderLock> clearing = place->lock(0);
    for (const FolderEntry& entry : entries) {
        std::unique_ptr<Folder> folder = entry.is_folder() && !entry.is_link() ? place->open_folder(entry.name) : nullptr;
        // Another user's folder is never read; one a format or a recovery holds is theirs for now.
        std::unique_ptr<FolderLock> lock = folder && folder->private_to_user() ? folder->lock(0) : nullptr;
        UnfinishedFormat unfinished{with_trailing_backslash(path) + entry.name, BackupRecord{}, HeldBackup{}};
        uint32_t ignored = 0;
        if (!lock) {
            continue;
        }
        if (read_record(*folder, unfinished.record)) {
            unfinished.held = HeldBackup{files.open_folder(path), std::move(folder), std::move(lock), entry.name,
                                         unfinished.folder};
            found.push_back(std::move(unfinished));
        } else if (clearing && folder->attributes(kBackupRecordName, ignored) == Lookup::missing) {
            // Ours and no record: a format that never began, or a removal cut short after the record went.
            static_cast<void>(delete_tree(*folder) && place->remove_folder(entry.name));
        }
    }
    return Lookup::found;
}

// What the key's CONFIG is, read apart from the key's own image of it.
struct ConfigFound {
    ConfigRead read;
    bool records_identity;  // it carries the identity the record holds
};

ConfigFound config_found(const BackupRecord& record, const KeyIdentity& key, const RecoveryServices& s) {
    std::vector<uint8_t> bytes;
    const ConfigRead read = s.device.read_config_bytes(key, bytes);
    return {read, read == ConfigRead::read && key_identity_of(bytes) == record.identity};
}

}  // namespace

Lookup find_unfinished_formats(FileSystem& files, std::vector<UnfinishedFormat>& found) {
    std::wstring path;
    std::unique_ptr<Folder> place = files.backup_place(path);
    return place ? collect(files, std::move(place), path, found) : Lookup::missing;
}

Lookup find_unfinished_formats_in(FileSystem& files, const std::wstring& folder, std::vector<UnfinishedFormat>& found) {
    uint32_t attributes = 0;
    if (folder.empty() || files.attributes(folder, attributes) == Lookup::missing) {
        found.clear();
        return Lookup::missing;
    }
    return collect(files, files.open_folder(folder), folder, found);
}

bool record_is_of(const BackupRecord& record, const KeyIdentity& key, const RecoveryServices& s) {
    // A folder standing for a volume has no serial number; no record is matched by its zero.
    if (key.volume_serial != 0 &&
        (key.volume_serial == record.serial_before || key.volume_serial == record.serial_after)) {
        return true;
    }
    // Zeros there are every key's whose first CONFIG we wrote: they tell no key from another.
    if (!label_names_key(key.label) || !identity_names_a_key(record.identity)) {
        return false;
    }
    return config_found(record, key, s).records_identity;
}

bool key_is_whole(const UnfinishedFormat& unfinished, const KeyIdentity& key, const RecoveryServices& s) {
    std::unique_ptr<Folder> root = s.device.open_root(key);
    if (!root || !unfinished.held.folder) {
        return false;
    }
    const std::vector<CopiedFile> files = files_recorded(unfinished.record, *unfinished.held.folder);
    return std::all_of(files.begin(), files.end(), [&](const CopiedFile& copied) {
        return is_back(*root, copied, unfinished.record.identity);
    });
}

bool discard_backup(UnfinishedFormat& unfinished, const RecoveryServices& s) {
    ProgramFileBackup backup(s.device, s.files, s.clock);
    backup.adopt(std::move(unfinished.held), unfinished.record);
    return backup.discard();
}

VolumeLook look_at(const std::wstring& root, const RecoveryServices& s) {
    VolumeLook look;
    const KeyIdentity key = s.device.key_at(root);
    std::unique_ptr<Folder> folder = s.device.open_root(key);
    std::vector<FolderEntry> entries;
    if (!folder || folder->list(kEveryEntry, entries) == Lookup::failed) {
        return look;
    }
    look.serial = key.volume_serial;
    look.label = key.label;
    // The same folder unchanged lists in the same order.
    look.names = kHashStart;
    for (const FolderEntry& entry : entries) {
        // The terminating zero keeps "ab","c" apart from "a","bc".
        look.names = hash_bytes(look.names, reinterpret_cast<const uint8_t*>(entry.name.c_str()),
                                (entry.name.size() + 1) * sizeof(wchar_t));
    }
    return look;
}

namespace {

struct EmptyDrive {
    std::wstring root;  // cppcheck-suppress unusedStructMember
    std::wstring shown;  // to the user: the root and the size
    VolumeLook look;  // cppcheck-suppress unusedStructMember
};

// A put-back never writes over a file: over another key's CONFIG it would
// find everything back and remove the only copy of ours.
bool holds_another_config(const BackupRecord& record, const KeyIdentity& key, const RecoveryServices& s) {
    if (record.identity.empty()) {
        return false;
    }
    const ConfigFound found = config_found(record, key, s);
    return found.read != ConfigRead::no_config && !found.records_identity;
}

std::wstring drive_shown(const std::wstring& root, uint64_t total_bytes) {
    return root + L" (" + decimal_text(static_cast<int32_t>(size_in_mebibytes(total_bytes))) + L" MiB)";
}

Recovery keep(const UnfinishedFormat& unfinished, UserMessages& messages, const LanguageTable& strings,
              Text message) {
    show_error(messages, strings, message, unfinished.folder + L"\n" + serial_of(unfinished.record, strings));
    return message == Text::unfinished_kept ? Recovery::kept : Recovery::failed;
}

// The answer is about the volume asked about: another in its place gets nothing.
Recovery put_back_after_asking(UnfinishedFormat& unfinished, const std::wstring& root, const VolumeLook& asked_about,
                               bool must_be_empty, const RecoveryServices& s, UserMessages& messages,
                               const LanguageTable& strings) {
    if (!(look_at(root, s) == asked_about)) {
        return keep(unfinished, messages, strings, Text::unfinished_kept);
    }
    const Recovery put = put_back_onto(unfinished, root, must_be_empty, s);
    switch (put) {
        case Recovery::put_back: break;
        case Recovery::label_not_set: show_error(messages, strings, Text::label_not_set, unfinished.record.label); break;
        case Recovery::already_whole:
        case Recovery::kept:
        case Recovery::failed: return keep(unfinished, messages, strings, Text::restore_failed);
    }
    return put;
}

}  // namespace

std::wstring key_serial_number(const BackupRecord& record) {
    StoredSettings settings;
    std::copy_n(record.identity.begin(), std::min(record.identity.size(), settings.serial_number.size()),
                settings.serial_number.begin());
    return settings.has_serial_number() ? serial_number_text(settings) : std::wstring();
}

std::wstring serial_of(const BackupRecord& record, const LanguageTable& strings) {
    const std::wstring serial = key_serial_number(record);
    return std::wstring(strings.text_at(Text::device_serial_number)) + L" " +
           (serial.empty() ? strings.text_at(Text::no_data_available) : serial);
}

Recovery put_back_onto(UnfinishedFormat& unfinished, const std::wstring& root, bool must_be_empty,
                       const RecoveryServices& s) {
    const KeyIdentity target = s.device.key_at(root);
    // An empty drive is checked again: it may have been swapped while the user read the question.
    if (!target.found() || (must_be_empty && !holds_nothing(s.files, root)) ||
        holds_another_config(unfinished.record, target, s)) {
        return Recovery::failed;
    }
    ProgramFileBackup backup(s.device, s.files, s.clock);
    backup.adopt(std::move(unfinished.held), unfinished.record);
    // From here a put-back cut short finds this volume again by its serial number.
    BackupRecord& record = unfinished.record;
    if (target.volume_serial != 0 && target.volume_serial != record.serial_before &&
        target.volume_serial != record.serial_after) {
        record.serial_after = target.volume_serial;
        if (!backup.write_record(record)) {
            return Recovery::failed;
        }
    }
    // Without the word in its label the drive would never be found as the key.
    std::wstring given;
    const bool labelled = label_names_key(target.label) || set_key_label(s.volumes, root, record.label, given);
    // An empty drive that cannot be named the key would hold files no search finds: it gets none.
    if (!labelled && must_be_empty) {
        return Recovery::failed;
    }
    switch (backup.restore(target)) {
        case RestoreResult::complete:
        case RestoreResult::folder_left_behind: break;
        case RestoreResult::files_left_behind: return Recovery::failed;
    }
    // A format leaves an empty DATE; the key tops it up itself.
    uint32_t ignored = 0;
    if (s.files.attributes(date_path_on(root), ignored) == Lookup::missing) {
        static_cast<void>(s.device.reset_date_file(target));
    }
    return labelled ? Recovery::put_back : Recovery::label_not_set;
}

namespace {

// The key the record was made of is attached: whole, it just loses the folder; else it is asked.
Recovery finish_on_key(UnfinishedFormat& unfinished, const KeyIdentity& key, const RecoveryServices& s,
                       UserMessages& messages, const LanguageTable& strings) {
    if (key_is_whole(unfinished, key, s)) {
        return discard_backup(unfinished, s) ? Recovery::already_whole
                                             : keep(unfinished, messages, strings, Text::unfinished_kept);
    }
    const VolumeLook asked_about = look_at(key.root, s);
    if (!asked(messages, strings, Text::unfinished_put_back, serial_of(unfinished.record, strings))) {
        return keep(unfinished, messages, strings, Text::unfinished_kept);
    }
    return put_back_after_asking(unfinished, key.root, asked_about, false, s, messages, strings);
}

}  // namespace

Recovery finish_unfinished_format(UnfinishedFormat& unfinished, const RecoveryServices& s, UserMessages& messages,
                                  const LanguageTable& strings) {
    const uint32_t mask = s.volumes.logical_drive_mask();
    std::vector<EmptyDrive> empty_drives;
    for (int i = 0; i < kDriveLetterCount; ++i) {
        if ((mask & (uint32_t{1} << i)) == 0) {
            continue;
        }
        const std::wstring root = root_of_drive(i);
        const KeyIdentity key = s.device.key_at(root);
        if (!key.found()) {
            continue;
        }
        if (record_is_of(unfinished.record, key, s)) {
            return finish_on_key(unfinished, key, s, messages, strings);
        }
        uint64_t total_bytes = 0;
        if (s.volumes.is_removable(root) && s.volumes.volume_total_bytes(root, total_bytes) &&
            size_accepted(total_bytes) && holds_nothing(s.files, root)) {
            empty_drives.push_back({root, drive_shown(root, total_bytes), look_at(root, s)});
        }
    }
    // No key of this record is attached: an empty removable drive of the key's size may become it.
    const auto chosen = std::find_if(empty_drives.begin(), empty_drives.end(), [&](const EmptyDrive& drive) {
        return asked(messages, strings, Text::unfinished_put_on_empty,
                     serial_of(unfinished.record, strings) + L"\n" + drive.shown);
    });
    if (chosen == empty_drives.end()) {
        return keep(unfinished, messages, strings, Text::unfinished_kept);
    }
    return put_back_after_asking(unfinished, chosen->root, chosen->look, true, s, messages, strings);
}

void finish_unfinished_formats(const RecoveryServices& services, UserMessages& messages, const LanguageTable& strings) {
    std::vector<UnfinishedFormat> found;
    static_cast<void>(find_unfinished_formats(services.files, found));
    for (UnfinishedFormat& unfinished : found) {
        static_cast<void>(finish_unfinished_format(unfinished, services, messages, strings));
    }
}

}  // namespace lanternbook
