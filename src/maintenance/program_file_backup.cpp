#include "maintenance/program_file_backup.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "text/text_utils.h"

namespace lanternbook {
namespace {

constexpr wchar_t kEveryEntry[] = L"*.*";

bool is_self_or_parent(const std::wstring& name) { return name == L"." || name == L".."; }

}  // namespace

bool ProgramFileBackup::make_backup_folder() {
    backup_folder_.clear();
    const std::wstring temp_folder = files_.temp_folder();
    if (temp_folder.empty()) {
        return false;
    }
    const SystemTime now = clock_.utc_now();
    uint32_t number = (uint32_t{now.hour} << 24) ^ (uint32_t{now.minute} << 16) ^
                      (uint32_t{now.second} << 10) ^ now.milliseconds;
    for (unsigned attempt = 0; attempt < kBackupFolderAttempts; ++attempt, number += 0x9E37) {
        const std::wstring candidate = with_trailing_backslash(temp_folder) + kBackupFolderPrefix + hex_text(number, 8);
        // Creation fails on anything already there, so the folder is ours alone.
        if (files_.create_folder(candidate)) {
            backup_folder_ = candidate;
            return true;
        }
    }
    return false;
}

bool ProgramFileBackup::on_key_whole(const KeyIdentity& key, const CopiedFile& copied) {
    std::unique_ptr<File> file = device_.open_on_key(key, copied.name, FileAccess::read, FileDisposition::open_existing);
    uint64_t size = 0;
    return file && file->size(size) && size == copied.size;
}

bool ProgramFileBackup::backup(const KeyIdentity& key) {
    copied_files_.clear();
    // An empty root would turn the program files into paths on the current drive.
    if (!key.found() || !make_backup_folder()) {
        return false;
    }
    const std::wstring key_folder = with_trailing_backslash(key.root);
    const std::wstring backup_base = with_trailing_backslash(backup_folder_);
    for (const wchar_t* name : kBackedUpFiles) {
        CopiedFile copied{name, backup_base + name, 0};
        uint32_t attributes = 0;
        const Lookup found = files_.attributes(key_folder + name, attributes);
        if (found == Lookup::missing) {
            continue;  // not on this key: nothing to keep
        }
        if (found == Lookup::failed || (attributes & (kAttributeFolder | kAttributeLink)) != 0 ||
            !device_.copy_from_key(key, copied.name, copied.backup_path, copied.size)) {
            static_cast<void>(discard());
            return false;
        }
        copied_files_.push_back(std::move(copied));
    }
    return true;
}

RestoreResult ProgramFileBackup::restore(const KeyIdentity& key) {
    bool all_back = true;
    for (const CopiedFile& copied : copied_files_) {
        // Only what is missing: a key that was not formatted still has its
        // files, and nothing already on the key is ever written over.
        uint32_t attributes = 0;
        if (files_.attributes(with_trailing_backslash(key.root) + copied.name, attributes) == Lookup::missing &&
            !device_.copy_to_key(copied.backup_path, key, copied.name, copied.size)) {
            all_back = false;
            continue;
        }
        all_back = on_key_whole(key, copied) && all_back;
    }
    if (!all_back) {
        return RestoreResult::files_left_behind;
    }
    copied_files_.clear();
    return remove_backup_folder() ? RestoreResult::complete : RestoreResult::folder_left_behind;
}

static_assert(std::size(kBackedUpFiles) == kRecordedFiles, "the record keeps a size for each backed-up file");

bool ProgramFileBackup::write_record(BackupRecord record) {
    for (std::size_t i = 0; i < kRecordedFiles; ++i) {
        const auto copied = std::find_if(copied_files_.begin(), copied_files_.end(),
                                         [i](const CopiedFile& file) { return file.name == kBackedUpFiles[i]; });
        record.held[i] = copied != copied_files_.end();
        record.sizes[i] = record.held[i] ? copied->size : 0;
    }
    const std::vector<uint8_t> text = encode_record(record);
    const std::wstring folder = with_trailing_backslash(backup_folder_);
    // A new record takes the old one's place in one step, so that there is always one.
    std::unique_ptr<File> file =
        files_.open_file(folder + kBackupRecordName + L".new", FileAccess::write, FileDisposition::create_new);
    std::size_t written = 0;
    uint64_t size = 0;
    if (backup_folder_.empty() || !file ||
        !file->write(text.data(), text.size(), written) ||
        written != text.size() || !file->flush() || !file->size(size) || size != text.size() ||
        !file->replace(folder + kBackupRecordName) || !file->close()) {
        if (file) {
            static_cast<void>(file->remove());
        }
        return false;
    }
    return true;
}

void ProgramFileBackup::adopt(const std::wstring& folder, const BackupRecord& record) {
    backup_folder_ = folder;
    copied_files_.clear();
    const std::wstring base = with_trailing_backslash(folder);
    for (std::size_t i = 0; i < kRecordedFiles; ++i) {
        if (record.held[i]) {
            copied_files_.push_back(CopiedFile{kBackedUpFiles[i], base + kBackedUpFiles[i], record.sizes[i]});
        }
    }
}

bool ProgramFileBackup::discard() {
    copied_files_.clear();
    return remove_backup_folder();
}

bool ProgramFileBackup::remove_backup_folder() {
    if (backup_folder_.empty()) {
        return true;
    }
    // The record goes first: a folder half removed says no more that it holds a key.
    const std::wstring record = with_trailing_backslash(backup_folder_) + kBackupRecordName;
    if (files_.path_exists(record) &&
        !(files_.set_attributes(record, kAttributeArchive) && files_.delete_file(record))) {
        return false;
    }
    // Whether the folder went is what counts: a part that could not be listed yet went with it is no loss.
    static_cast<void>(delete_tree(backup_folder_));
    const bool removed = files_.set_attributes(backup_folder_, kAttributeArchive) &&
                         files_.remove_folder(backup_folder_);
    if (removed) {
        backup_folder_.clear();
    }
    return removed;
}

bool ProgramFileBackup::delete_tree(const std::wstring& folder) {
    if (folder.empty()) {
        return false;
    }
    // Depth first without recursion: a tree of any depth cannot exhaust the stack.
    struct OpenFolder {
        std::wstring path;
        std::vector<FolderEntry> entries;
        std::size_t next = 0;
    };
    std::vector<OpenFolder> open_folders;
    bool all_gone = true;
    const auto open = [&](const std::wstring& path) {
        OpenFolder listed{path, {}, 0};
        const Lookup found = files_.list_folder(with_trailing_backslash(path) + kEveryEntry, listed.entries);
        all_gone = all_gone && found != Lookup::failed;
        open_folders.push_back(std::move(listed));
    };
    const auto remove_emptied_folder = [&](const std::wstring& path) {
        all_gone = files_.set_attributes(path, kAttributeArchive) && files_.remove_folder(path) && all_gone;
    };

    open(folder);
    while (!open_folders.empty()) {
        OpenFolder& current = open_folders.back();
        if (current.next == current.entries.size()) {
            const std::wstring emptied = std::move(current.path);
            open_folders.pop_back();
            // The folder handed in stays; only what it holds goes.
            if (!open_folders.empty()) {
                remove_emptied_folder(emptied);
            }
            continue;
        }
        const FolderEntry entry = current.entries[current.next++];
        // An empty name would lead back to the folder itself.
        if (entry.name.empty() || is_self_or_parent(entry.name)) {
            continue;
        }
        const std::wstring path = with_trailing_backslash(current.path) + entry.name;
        if (entry.is_link()) {
            // The link goes, never what it points at.
            all_gone = (entry.is_folder() ? files_.remove_folder(path) : files_.delete_file(path)) && all_gone;
        } else if (entry.is_folder()) {
            open(path);
        } else {
            all_gone = files_.set_attributes(path, kAttributeArchive) && files_.delete_file(path) && all_gone;
        }
    }
    return all_gone;
}

}  // namespace lanternbook
