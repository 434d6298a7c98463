// Listing what an erase would delete, and reading back what it left. Apart
// from the erase itself, so that the DLL, which never lists, does not carry it.
#include <utility>

#include "maintenance/erase_downloads.h"

namespace lanternbook {
namespace {

// A download opened to be deleted: its deletion is only written down, and
// clearing its attributes to delete it is let pass.
class HeldBackFile : public File {
public:
    HeldBackFile(std::unique_ptr<File> file, std::wstring path, std::vector<std::wstring>& deleted)
        : file_(std::move(file)), path_(std::move(path)), deleted_(deleted) {}

    bool read(uint8_t* buffer, std::size_t capacity, std::size_t& bytes_read) override {
        return file_->read(buffer, capacity, bytes_read);
    }
    bool write(const uint8_t*, std::size_t, std::size_t&) override { return false; }
    bool size(uint64_t& bytes) override { return file_->size(bytes); }
    bool truncate() override { return false; }
    bool flush() override { return false; }
    bool close() override { return file_->close(); }
    FilePlace location(uint32_t& volume_serial, std::wstring& path) override {
        return file_->location(volume_serial, path);
    }
    bool set_attributes(uint32_t) override { return true; }
    bool replace(const std::wstring&) override { return false; }
    bool move_to(const std::wstring&) override { return false; }
    bool remove() override {
        deleted_.push_back(path_);
        return true;
    }

private:
    std::unique_ptr<File> file_;
    std::wstring path_;
    std::vector<std::wstring>& deleted_;
};

// The key's file system with every change held back.
class HeldBackFiles : public FileSystem {
public:
    HeldBackFiles(FileSystem& files, std::vector<std::wstring>& deleted) : files_(files), deleted_(deleted) {}

    std::unique_ptr<File> open_file(const std::wstring& path, FileAccess access, FileDisposition disposition) override {
        // Only the erase's own opening, of a download to delete, gets through: no file is made or written.
        if (access != FileAccess::entry || disposition != FileDisposition::open_existing) {
            return nullptr;
        }
        std::unique_ptr<File> file = files_.open_file(path, access, disposition);
        return file ? std::make_unique<HeldBackFile>(std::move(file), path, deleted_) : nullptr;
    }
    Lookup list_folder(const std::wstring& pattern, std::vector<FolderEntry>& entries) override {
        return files_.list_folder(pattern, entries);
    }
    Lookup attributes(const std::wstring& path, uint32_t& attributes) override {
        return files_.attributes(path, attributes);
    }
    bool set_attributes(const std::wstring&, uint32_t) override { return false; }
    bool file_size(const std::wstring& path, uint64_t& bytes) override { return files_.file_size(path, bytes); }
    bool delete_file(const std::wstring&) override { return false; }
    bool create_folder(const std::wstring&) override { return false; }
    bool remove_folder(const std::wstring&) override { return false; }
    std::wstring temp_folder() override { return std::wstring(); }
    std::unique_ptr<Folder> open_folder(const std::wstring&) override { return nullptr; }
    std::unique_ptr<Folder> backup_place(std::wstring&) override { return nullptr; }
    std::wstring failure_reason() override { return files_.failure_reason(); }

private:
    FileSystem& files_;
    std::vector<std::wstring>& deleted_;
};

bool is_folder_path(const std::wstring& path) { return !path.empty() && path.back() == L'\\'; }

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

EraseResult list_downloads(const KeyIdentity& key, Volumes& volumes, FileSystem& files, Clock& clock,
                           std::vector<std::wstring>& paths) {
    paths.clear();
    HeldBackFiles held_back(files, paths);
    DeviceDrive held_back_device(volumes, held_back);
    EraseResult listing = erase_downloads_on(key, held_back_device, held_back, clock);
    // Downloads that would stay (links, say) are no failure to list; folders that cannot be read are.
    std::wstring unread;
    for (const std::wstring& path : paths_not_deleted(listing)) {
        if (is_folder_path(path)) {
            unread += path;
            unread += L'\0';
        }
    }
    if (listing.outcome == EraseOutcome::incomplete && unread.empty() && !listing.not_deleted.empty()) {
        listing.outcome = EraseOutcome::erased;
    }
    listing.not_deleted = unread;
    return listing;
}

}  // namespace lanternbook
