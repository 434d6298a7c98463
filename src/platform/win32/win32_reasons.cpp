#include "platform/win32/win32_reasons.h"

#include <utility>
#include <vector>

#include "platform/win32/handles.h"

namespace lanternbook::win32 {
namespace {

constexpr DWORD kLocalAppDataRoom = 1024;
constexpr wchar_t kProgramFolder[] = L"lanternbook";

// Keeps `error` at GetLastError() when `succeeded` is false; gives `succeeded`.
bool noted(bool succeeded, DWORD& error) {
    if (!succeeded) {
        error = ::GetLastError();
    }
    return succeeded;
}

Lookup noted(Lookup lookup, DWORD& error) {
    static_cast<void>(noted(lookup == Lookup::found, error));
    return lookup;
}

// A file of the platform's whose failures are kept by the platform that
// opened it, which outlives it.
class NotedFile : public File {
public:
    NotedFile(std::unique_ptr<File> file, DWORD& error) : file_(std::move(file)), error_(error) {}

    bool read(uint8_t* buffer, std::size_t capacity, std::size_t& bytes_read) override {
        return noted(file_->read(buffer, capacity, bytes_read), error_);
    }
    bool write(const uint8_t* data, std::size_t size, std::size_t& bytes_written) override {
        return noted(file_->write(data, size, bytes_written), error_);
    }
    bool size(uint64_t& bytes) override { return noted(file_->size(bytes), error_); }
    bool truncate() override { return noted(file_->truncate(), error_); }
    bool flush() override { return noted(file_->flush(), error_); }
    bool close() override { return noted(file_->close(), error_); }
    FilePlace location(uint32_t& volume_serial, std::wstring& path) override {
        const FilePlace place = file_->location(volume_serial, path);
        static_cast<void>(noted(place != FilePlace::unknown, error_));
        return place;
    }
    bool set_attributes(uint32_t attributes) override { return noted(file_->set_attributes(attributes), error_); }
    bool replace(const std::wstring& target) override { return noted(file_->replace(target), error_); }
    bool move_to(const std::wstring& name) override { return noted(file_->move_to(name), error_); }
    bool remove() override { return noted(file_->remove(), error_); }
    bool modified_time(FileTime& time) override { return noted(file_->modified_time(time), error_); }
    bool set_modified_time(const FileTime& time) override { return noted(file_->set_modified_time(time), error_); }

private:
    std::unique_ptr<File> file_;
    DWORD& error_;
};

// A held folder of the platform's whose failures, and those of what is
// opened through it, are kept by the platform, which outlives them.
class NotedFolder : public Folder {
public:
    NotedFolder(std::unique_ptr<Folder> folder, DWORD& error) : folder_(std::move(folder)), error_(error) {}

    Lookup list(const std::wstring& pattern, std::vector<FolderEntry>& entries) override {
        return noted(folder_->list(pattern, entries), error_);
    }
    Lookup attributes(const std::wstring& name, uint32_t& attributes) override {
        return noted(folder_->attributes(name, attributes), error_);
    }
    std::unique_ptr<File> open_file(const std::wstring& name, FileAccess access, FileDisposition disposition) override {
        std::unique_ptr<File> file = folder_->open_file(name, access, disposition);
        if (!noted(file != nullptr, error_)) {
            return nullptr;
        }
        return std::make_unique<NotedFile>(std::move(file), error_);
    }
    // A link is an answer, not a failure.
    bool leads_elsewhere(const std::wstring& name) override { return folder_->leads_elsewhere(name); }
    std::unique_ptr<Folder> open_folder(const std::wstring& name) override {
        return noted_folder(folder_->open_folder(name), error_);
    }
    std::unique_ptr<Folder> create_folder(const std::wstring& name) override {
        return noted_folder(folder_->create_folder(name), error_);
    }
    bool delete_file(const std::wstring& name) override { return noted(folder_->delete_file(name), error_); }
    bool remove_folder(const std::wstring& name) override { return noted(folder_->remove_folder(name), error_); }
    FilePlace location(uint32_t& volume_serial, std::wstring& path) override {
        const FilePlace place = folder_->location(volume_serial, path);
        static_cast<void>(noted(place != FilePlace::unknown, error_));
        return place;
    }
    bool on_same_volume(Folder& other) override { return folder_->on_same_volume(other); }
    bool private_to_user() override { return noted(folder_->private_to_user(), error_); }
    std::unique_ptr<FolderLock> lock(unsigned wait_ms) override {
        std::unique_ptr<FolderLock> taken = folder_->lock(wait_ms);
        static_cast<void>(noted(taken != nullptr, error_));
        return taken;
    }

    static std::unique_ptr<Folder> noted_folder(std::unique_ptr<Folder> folder, DWORD& error) {
        if (!noted(folder != nullptr, error)) {
            return nullptr;
        }
        return std::make_unique<NotedFolder>(std::move(folder), error);
    }

private:
    std::unique_ptr<Folder> folder_;
    DWORD& error_;
};

}  // namespace

std::unique_ptr<Folder> Win32PlatformWithReasons::open_folder(const std::wstring& path) {
    return NotedFolder::noted_folder(Win32Platform::open_folder(path), last_error_);
}

std::unique_ptr<Folder> Win32PlatformWithReasons::backup_place(std::wstring& path) {
    return NotedFolder::noted_folder(Win32Platform::backup_place(path), last_error_);
}

Lookup Win32PlatformWithReasons::attributes(const std::wstring& path, uint32_t& attributes) {
    return noted(Win32Platform::attributes(path, attributes), last_error_);
}

std::unique_ptr<Folder> Win32PlatformWithReasons::journal_place(std::wstring& path) {
    std::vector<wchar_t> local(kLocalAppDataRoom, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(L"LOCALAPPDATA", local.data(), kLocalAppDataRoom);
    if (!noted(length > 0 && length < kLocalAppDataRoom, last_error_)) {
        path.clear();
        return nullptr;
    }
    const std::wstring base(local.data(), length);
    path = base + (base.back() == L'\\' ? L"" : L"\\") + kProgramFolder;
    std::unique_ptr<Folder> parent = open_folder(base);
    if (!noted(parent != nullptr, last_error_)) {
        return nullptr;
    }
    std::unique_ptr<Folder> place = parent->open_folder(kProgramFolder);
    if (!place) {
        place = parent->create_folder(kProgramFolder);
    }
    static_cast<void>(noted(place != nullptr, last_error_));
    return place;
}

std::wstring Win32PlatformWithReasons::failure_reason() {
    if (last_error_ == ERROR_SUCCESS) {
        return std::wstring();
    }
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        last_error_, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    const LocalMemory owned(text);
    std::wstring reason(text != nullptr ? text : L"", text != nullptr ? length : 0);
    // The system's texts end in a line break.
    while (!reason.empty() && (reason.back() == L'\n' || reason.back() == L'\r' || reason.back() == L' ')) {
        reason.pop_back();
    }
    return reason;
}

}  // namespace lanternbook::win32
