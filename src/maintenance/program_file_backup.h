// Keeps the key's program files (and its CONFIG) safe across a format:
// copies them into a fresh folder of our own in the backup place, held and
// locked while a format or a recovery works with it, and puts back whatever
// the key no longer has, each file whole or not at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
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
// A file put back is written under its name with this after it, then renamed.
constexpr wchar_t kPutBackSuffix[] = L".NEW";

struct CopiedFile {
    std::size_t index = 0;  // in kBackedUpFiles
    uint64_t size = 0;
    uint32_t attributes = 0;  // on the key
    uint64_t hash = 0;        // of its bytes

    const wchar_t* name() const { return kBackedUpFiles[index]; }
};

// A backup folder of ours in the backup place, held, and locked against
// every other process while this is alive.
struct HeldBackup {
    std::unique_ptr<Folder> place;
    std::unique_ptr<Folder> folder;
    std::unique_ptr<FolderLock> lock;
    std::wstring name;  // in the place
    std::wstring path;  // as the user is told it
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

    // True when every one of the files present on `key` was copied whole
    // into a folder this object made in the backup place, which is not on
    // the key. Otherwise nothing is kept.
    [[nodiscard]] bool backup(const KeyIdentity& key);
    // Puts back onto `key` every recorded file it lacks, each written under
    // a helper name, flushed, given its attributes and renamed into place,
    // and checks that each is there with its bytes; only then does the
    // backup folder go, its record last.
    [[nodiscard]] RestoreResult restore(const KeyIdentity& key);
    // Removes the backup folder without restoring anything.
    [[nodiscard]] bool discard();

    // Writes `record`, with the files this backup holds, into its folder and
    // flushes it: from then on the folder says whose it is.
    [[nodiscard]] bool write_record(BackupRecord record);
    // Takes over a backup folder an earlier run left, as its record tells.
    void adopt(HeldBackup held, const BackupRecord& record);

    const std::wstring& backup_folder() const { return held_.path; }
    const std::vector<CopiedFile>& copied_files() const { return copied_files_; }

private:
    // Creates a new folder that did not exist before; false when none could be made.
    [[nodiscard]] bool make_backup_folder(Folder& root);
    [[nodiscard]] bool copy_away(Folder& root, std::size_t index, uint32_t attributes);
    [[nodiscard]] bool put_back(Folder& root, const CopiedFile& copied) const;
    [[nodiscard]] bool remove_backup_folder();
    [[nodiscard]] bool remove_emptied_folder();

    DeviceDrive& device_;
    FileSystem& files_;
    Clock& clock_;
    HeldBackup held_;
    std::vector<CopiedFile> copied_files_;
    // CONFIG's bytes 25-31 as the record keeps them.
    std::vector<uint8_t> identity_;
};

// The files a record says its folder holds; a record of the first layout
// has no hashes, and the copies in `folder` tell them.
[[nodiscard]] std::vector<CopiedFile> files_recorded(const BackupRecord& record, Folder& folder);
// Whether the file is on the key's root with the bytes it was copied with;
// for CONFIG, also a CONFIG holding the key's own serial number, `identity`
// (settings saved since are the key's).
[[nodiscard]] bool is_back(Folder& root, const CopiedFile& copied, const std::vector<uint8_t>& identity);

// Empties a held folder depth first, never following a link; the folder
// stays, and so does its entry named `keep`. True when nothing else is left.
[[nodiscard]] bool delete_tree(Folder& folder, const std::wstring& keep = std::wstring());

// Copies what is left of `from` into `to`, flushed; true when all `size`
// bytes went and `hash` is updated over them.
[[nodiscard]] bool copy_whole(File& from, File& to, uint64_t size, uint64_t& hash);

}  // namespace lanternbook
