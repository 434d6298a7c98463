// Keeps the key's program files safe across a format: copies them into a
// fresh folder under the user's temporary folder and back again.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace lanternbook {

constexpr const wchar_t* kProgramFiles[] = {L"autorun.inf", L"lanternbook.dll", L"ostrevan.exe"};
constexpr wchar_t kBackupFolderPrefix[] = L"volkaris";

struct CopiedFile {
    std::wstring device_path;
    std::wstring backup_path;
};

class ProgramFileBackup {
public:
    explicit ProgramFileBackup(Platform& platform) : platform_(platform) {}

    // Number of program files copied away (0 to 3).
    std::size_t backup(const std::wstring& device_root);
    // Copies every recorded file back; the number of records before the call.
    std::size_t restore();

    std::wstring make_backup_folder_name();
    bool create_folder(const std::wstring& path);
    bool copy_file(const std::wstring& source, const std::wstring& target);
    int remove_folder();
    void delete_tree(const std::wstring& folder);

    const std::wstring& backup_folder() const { return backup_folder_; }
    const std::vector<CopiedFile>& copied_files() const { return copied_files_; }

private:
    Platform& platform_;
    std::wstring backup_folder_;
    std::vector<CopiedFile> copied_files_;
};

}  // namespace lanternbook
