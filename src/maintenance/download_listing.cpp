// Listing what an erase would delete, and reading back what it left. Apart
// from the erase itself, so that the DLL, which never lists, does not carry it.
#include <utility>

#include "maintenance/erase_downloads.h"

namespace lanternbook {
namespace {

// The key's file system with every change held back: a deletion is only
// written down, and clearing attributes to delete is let pass.
class HeldBackFiles : public FileSystem {
public:
    HeldBackFiles(FileSystem& files, std::vector<std::wstring>& deleted) : files_(files), deleted_(deleted) {}

    std::unique_ptr<File> open_file(const std::wstring&, FileAccess, FileDisposition) override { return nullptr; }
    Lookup list_folder(const std::wstring& pattern, std::vector<FolderEntry>& entries) override {
        return files_.list_folder(pattern, entries);
    }
    Lookup attributes(const std::wstring& path, uint32_t& attributes) override {
        return files_.attributes(path, attributes);
    }
    bool set_attributes(const std::wstring&, uint32_t) override { return true; }
    bool file_size(const std::wstring& path, uint64_t& bytes) override { return files_.file_size(path, bytes); }
    bool delete_file(const std::wstring& path) override {
        deleted_.push_back(path);
        return true;
    }
    bool create_folder(const std::wstring&) override { return false; }
    bool remove_folder(const std::wstring&) override { return false; }
    bool copy_file(const std::wstring&, const std::wstring&) override { return false; }
    bool replace_file(const std::wstring&, const std::wstring&) override { return false; }
    std::wstring temp_folder() override { return std::wstring(); }
    std::wstring failure_reason() override { return files_.failure_reason(); }

private:
    FileSystem& files_;
    std::vector<std::wstring>& deleted_;
};

}  // namespace

std::vector<std::wstring> paths_not_deleted(const EraseResult& result) {
    std::vector<std::wstring> paths;
    std::size_t start = 0;
    for (std::size_t end = result.not_deleted.find(L'\0'); end != std::wstring::npos;
         end = result.not_deleted.find(L'\0', start)) {
        paths.push_back(result.not_deleted.substr(start, end - start));
        start = end + 1;
    }
    return paths;
}

EraseResult list_downloads(const KeyIdentity& key, DeviceDrive& device, FileSystem& files,
                           std::vector<std::wstring>& paths) {
    paths.clear();
    HeldBackFiles held_back(files, paths);
    return erase_downloads_on(key, device, held_back);
}

}  // namespace lanternbook
