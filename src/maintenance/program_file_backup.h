// Keeps the key's program files (and its CONFIG) safe across a format:
// copies them into a fresh folder of our own under the user's temporary
// folder, and puts back whatever the key no longer has.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "device/device_drive.h"
#include "maintenance/backup_record.h"
#include "platform/platform.h"

namespace lanternbook {

constexpr const wchar_t* kProgramFiles[] = {L"autorun.inf", L"lanternbook.dll", L"ostrevan.exe"};
// Kept beside the program files so that a CONFIG that cannot be written
// back after a format is not lost.
constexpr const wchar_t* kBackedUpFiles[] = {L"autorun.inf", L"lanternbook.dll", L"ostrevan.exe",
                                             kConfigFileName};
constexpr wchar_t kBackupFolderPrefix[] = L"volkaris";
// Names tried before giving up on a backup folder of our own.
constexpr unsigned kBackupFolderAttempts = 64;

struct CopiedFile {
    std::wstring name;         // in the key's root
    std::wstring backup_path;  // its copy in the backup folder
    uint64_t size = 0;
};

enum class RestoreResult {
    complete,            // every file is on the key, whole, and the backup folder is gone
    files_left_behind,   // some files are only in the backup folder
    folder_left_behind,  // every file is on the key, but the backup folder could not be removed
};

class ProgramFileBackup {
public:
    ProgramFileBackup(DeviceDrive& device, FileSystem& files, Clock& clock)
        : device_(device), files_(files), clock_(clock) {}

    // True when every one of the files present on the key was copied whole
    // into a folder this object created. Otherwise nothing is kept.
    [[nodiscard]] bool backup(const KeyIdentity& key);
    // Puts back onto `key` every recorded file it lacks, and checks that each
    // is there with its size; only then does the backup folder go.
    [[nodiscard]] RestoreResult restore(const KeyIdentity& key);
    // Removes the backup folder without restoring anything.
    [[nodiscard]] bool discard();

    // Writes `record`, with the files this backup holds, into its folder and
    // flushes it: from then on the folder says whose it is.
    [[nodiscard]] bool write_record(BackupRecord record);
    // Takes over a backup folder an earlier run left, as its record tells.
    void adopt(const std::wstring& folder, const BackupRecord& record);

    // Empties a folder depth first, never following a link; the folder stays.
    [[nodiscard]] bool delete_tree(const std::wstring& folder);

    const std::wstring& backup_folder() const { return backup_folder_; }
    const std::vector<CopiedFile>& copied_files() const { return copied_files_; }

private:
    // Creates a new folder that did not exist before; false when none could be made.
    [[nodiscard]] bool make_backup_folder();
    [[nodiscard]] bool on_key_whole(const KeyIdentity& key, const CopiedFile& copied);
    [[nodiscard]] bool remove_backup_folder();

    DeviceDrive& device_;
    FileSystem& files_;
    Clock& clock_;
    std::wstring backup_folder_;
    std::vector<CopiedFile> copied_files_;
};

}  // namespace lanternbook
