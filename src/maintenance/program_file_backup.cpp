#include "maintenance/program_file_backup.h"

#include <utility>

#include "platform/text_utils.h"

namespace lanternbook {
namespace {

constexpr wchar_t kEveryEntry[] = L"*.*";

bool is_self_or_parent(const std::wstring& name) {
    return name == L"." || name == L"..";
}

}  // namespace

std::size_t ProgramFileBackup::backup(const std::wstring& device_root) {
    copied_files_.clear();
    // An empty root would turn the program files into paths on the current drive.
    if (device_root.empty()) {
        backup_folder_.clear();
        return 0;
    }
    if (make_backup_folder_name().empty()) {
        return 0;
    }
    create_folder(backup_folder_);

    const std::wstring device_folder = with_trailing_backslash(device_root);
    const std::wstring backup_base = with_trailing_backslash(backup_folder_);
    for (const wchar_t* name : kProgramFiles) {
        CopiedFile copied{device_folder + name, backup_base + name};
        if (copy_file(copied.device_path, copied.backup_path)) {
            copied_files_.push_back(std::move(copied));
        }
    }
    return copied_files_.size();
}

std::size_t ProgramFileBackup::restore() {
    bool all_restored = true;
    for (const CopiedFile& copied : copied_files_) {
        if (!copy_file(copied.backup_path, copied.device_path)) {
            all_restored = false;
        }
    }
    // A copy that did not make it back is still only in the backup folder.
    if (all_restored) {
        remove_folder();
    }
    const std::size_t restored = copied_files_.size();
    copied_files_.clear();
    return restored;
}

std::wstring ProgramFileBackup::make_backup_folder_name() {
    backup_folder_.clear();
    const std::wstring temp_folder = platform_.temp_folder();
    if (temp_folder.empty()) {
        return backup_folder_;
    }
    backup_folder_ = platform_.create_unique_temp_file(temp_folder, kBackupFolderPrefix);
    // The unique name is wanted for a folder, not for the empty file it came with.
    if (!backup_folder_.empty() && platform_.path_exists(backup_folder_)) {
        platform_.delete_file(backup_folder_);
    }
    return backup_folder_;
}

bool ProgramFileBackup::create_folder(const std::wstring& path) {
    return !path.empty() && platform_.create_folder(path);
}

bool ProgramFileBackup::copy_file(const std::wstring& source, const std::wstring& target) {
    return !source.empty() && !target.empty() && platform_.copy_file(source, target);
}

int ProgramFileBackup::remove_folder() {
    if (backup_folder_.empty()) {
        return 0;
    }
    delete_tree(backup_folder_);
    platform_.set_archive_attribute_only(backup_folder_);
    platform_.remove_folder(backup_folder_);
    return 0;
}

void ProgramFileBackup::delete_tree(const std::wstring& folder) {
    // Depth first with an explicit stack, so neither path length nor depth is bounded.
    struct OpenFolder {
        std::wstring path;
        std::vector<FolderEntry> entries;
        std::size_t next = 0;
    };
    std::vector<OpenFolder> open_folders;
    const auto open = [&](const std::wstring& path) {
        OpenFolder listed{path, {}, 0};
        if (!platform_.list_folder(with_trailing_backslash(path) + kEveryEntry, listed.entries)) {
            return false;
        }
        open_folders.push_back(std::move(listed));
        return true;
    };
    const auto remove_emptied_folder = [&](const std::wstring& path) {
        platform_.set_archive_attribute_only(path);
        platform_.remove_folder(path);
    };

    if (folder.empty() || !open(folder)) {
        return;
    }
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
        if (entry.is_folder) {
            if (!open(path)) {
                remove_emptied_folder(path);
            }
            continue;
        }
        platform_.set_archive_attribute_only(path);
        platform_.delete_file(path);
    }
}

}  // namespace lanternbook
