#include "maintenance/recovery.h"

#include <algorithm>
#include <memory>

#include "config/stored_settings.h"
#include "l10n/notices.h"
#include "l10n/texts.h"
#include "maintenance/key_volume.h"
#include "maintenance/program_file_backup.h"
#include "text/text_utils.h"

namespace lanternbook {
namespace {

constexpr wchar_t kBackupFolders[] = L"volkaris*";
constexpr int kDriveLetterCount = 26;
// A record is a couple of hundred bytes; anything larger is none of ours.
constexpr std::size_t kRecordReadLimit = 1024;

bool read_record(FileSystem& files, const std::wstring& folder, BackupRecord& record) {
    std::unique_ptr<File> file = files.open_file(with_trailing_backslash(folder) + kBackupRecordName,
                                                 FileAccess::read, FileDisposition::open_existing);
    std::vector<uint8_t> bytes(kRecordReadLimit, 0);
    std::size_t read = 0;
    return file && file->read(bytes.data(), bytes.size(), read) && decode_record(bytes.data(), read, record);
}

// What the key's CONFIG is, read apart from the key's own image of it.
struct ConfigFound {
    ConfigRead read;
    bool records_identity;  // it carries the identity the record holds
};

ConfigFound config_found(const BackupRecord& record, const KeyIdentity& key, const RecoveryServices& s) {
    DeviceDrive probe(s.volumes, s.files);
    const ConfigRead read = probe.read_config(key);
    return {read, read == ConfigRead::read && key_identity_of(probe.config_bytes()) == record.identity};
}

}  // namespace

bool record_is_of(const BackupRecord& record, const KeyIdentity& key, const RecoveryServices& s) {
    // A folder standing for a volume has no serial number; no record is matched by its zero.
    if (key.volume_serial != 0 &&
        (key.volume_serial == record.serial_before || key.volume_serial == record.serial_after)) {
        return true;
    }
    if (!label_names_key(key.label) || record.identity.empty()) {
        return false;
    }
    return config_found(record, key, s).records_identity;
}

bool key_is_whole(const UnfinishedFormat& unfinished, const KeyIdentity& key, const RecoveryServices& s) {
    const BackupRecord& record = unfinished.record;
    for (std::size_t i = 0; i < kRecordedFiles; ++i) {
        std::unique_ptr<File> file =
            s.device.open_on_key(key, kBackedUpFiles[i], FileAccess::read, FileDisposition::open_existing);
        uint64_t size = 0;
        if (record.held[i] && (!file || !file->size(size) || size != record.sizes[i])) {
            return false;
        }
    }
    return record.identity.empty() || config_found(record, key, s).records_identity;
}

bool discard_backup(const UnfinishedFormat& unfinished, const RecoveryServices& s) {
    ProgramFileBackup backup(s.device, s.files, s.clock);
    backup.adopt(unfinished.folder, unfinished.record);
    return backup.discard();
}

namespace {

struct EmptyDrive {
    std::wstring root;  // cppcheck-suppress unusedStructMember
    std::wstring shown;  // to the user: the root and the size
};

// A put-back never writes over a file, and verifies by size: over another
// key's CONFIG it would find everything back and remove the only copy of ours.
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

std::vector<UnfinishedFormat> find_unfinished_formats(FileSystem& files) {
    return find_unfinished_formats_in(files, files.temp_folder());
}

std::vector<UnfinishedFormat> find_unfinished_formats_in(FileSystem& files, const std::wstring& folder) {
    std::vector<UnfinishedFormat> found;
    std::vector<FolderEntry> entries;
    // An empty folder name would turn the search into one of the current folder.
    if (folder.empty() || files.list_folder(with_trailing_backslash(folder) + kBackupFolders, entries) != Lookup::found) {
        return found;
    }
    for (const FolderEntry& entry : entries) {
        UnfinishedFormat unfinished{with_trailing_backslash(folder) + entry.name, BackupRecord{}};
        if (entry.is_folder() && !entry.is_link() && read_record(files, unfinished.folder, unfinished.record)) {
            found.push_back(std::move(unfinished));
        }
    }
    return found;
}

Recovery put_back_onto(const UnfinishedFormat& unfinished, const std::wstring& root, bool must_be_empty,
                       const RecoveryServices& s) {
    KeyIdentity target = s.device.key_at(root);
    // An empty drive is checked again: it may have been swapped while the user read the question.
    if (!target.found() || (must_be_empty && !holds_nothing(s.files, root)) ||
        holds_another_config(unfinished.record, target, s)) {
        return Recovery::failed;
    }
    ProgramFileBackup backup(s.device, s.files, s.clock);
    backup.adopt(unfinished.folder, unfinished.record);
    // Without the word in its label the key would never be found again.
    if (!label_names_key(target.label)) {
        if (!s.volumes.set_volume_label(root, unfinished.record.label)) {
            return Recovery::failed;
        }
        target.label = unfinished.record.label;
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
    return Recovery::put_back;
}

namespace {

// The key the record was made of is attached: whole, it just loses the folder; else it is asked.
Recovery finish_on_key(const UnfinishedFormat& unfinished, const KeyIdentity& key, const RecoveryServices& s,
                       UserMessages& messages, const LanguageTable& strings) {
    if (key_is_whole(unfinished, key, s)) {
        return discard_backup(unfinished, s) ? Recovery::already_whole
                                             : keep(unfinished, messages, strings, Text::unfinished_kept);
    }
    if (!asked(messages, strings, Text::unfinished_put_back, serial_of(unfinished.record, strings))) {
        return keep(unfinished, messages, strings, Text::unfinished_kept);
    }
    const Recovery put = put_back_onto(unfinished, key.root, false, s);
    return put == Recovery::put_back ? put : keep(unfinished, messages, strings, Text::restore_failed);
}

}  // namespace

Recovery finish_unfinished_format(const UnfinishedFormat& unfinished, const RecoveryServices& s,
                                  UserMessages& messages, const LanguageTable& strings) {
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
            empty_drives.push_back({root, drive_shown(root, total_bytes)});
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
    const Recovery put = put_back_onto(unfinished, chosen->root, true, s);
    return put == Recovery::put_back ? put : keep(unfinished, messages, strings, Text::restore_failed);
}

void finish_unfinished_formats(const RecoveryServices& services, UserMessages& messages, const LanguageTable& strings) {
    for (const UnfinishedFormat& unfinished : find_unfinished_formats(services.files)) {
        static_cast<void>(finish_unfinished_format(unfinished, services, messages, strings));
    }
}

}  // namespace lanternbook
