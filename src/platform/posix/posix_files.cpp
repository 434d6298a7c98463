#include "platform/posix/posix_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <utility>

#include "text/utf8_text.h"

namespace lanternbook::posix {
namespace {

constexpr mode_t kNewFileMode = 0666;
constexpr mode_t kNewFolderMode = 0777;
constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;
// No errno says "not a regular file"; this value is none of them.
constexpr int kNotRegular = -1;
constexpr long kNanosecondsPerMillisecond = 1000000;
constexpr unsigned kMillisecondsPerSecond = 1000;
constexpr char kDefaultTempFolder[] = "/tmp";

// Owns a descriptor; closes it when it dies.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { static_cast<void>(close()); }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // False when the system reports that what was written may be lost.
    [[nodiscard]] bool close() {
        const int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_;
};

class Folder {
public:
    explicit Folder(const std::string& path) : dir_(::opendir(path.c_str())) {}
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    ~Folder() {
        if (dir_ != nullptr) {
            ::closedir(dir_);
        }
    }
    DIR* get() const { return dir_; }

private:
    DIR* dir_;
};

bool is_missing_error(int error) { return error == ENOENT || error == ENOTDIR; }

std::string parent_of(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string name_of(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool write_all(int fd, const uint8_t* data, std::size_t size, std::size_t& written) {
    written = 0;
    while (written < size) {
        const ssize_t count = ::write(fd, data + written, size - written);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return false;
        }
        written += static_cast<std::size_t>(count);
    }
    return true;
}

// An open file, with its folder held open beside it: whatever is done to
// the file's entry is done in that very folder, wherever its path leads by now.
class PosixFile : public File {
public:
    PosixFile(int folder_fd, int fd, std::string name, std::shared_ptr<int> last_error)
        : folder_(folder_fd), fd_(fd), name_(std::move(name)), last_error_(std::move(last_error)) {}

    bool read(uint8_t* buffer, std::size_t capacity, std::size_t& bytes_read) override {
        // Like one ReadFile on a disk file: as much as there is, up to capacity.
        bytes_read = 0;
        while (bytes_read < capacity) {
            const ssize_t count = ::read(fd_.get(), buffer + bytes_read, capacity - bytes_read);
            if (count < 0 && errno == EINTR) {
                continue;
            }
            if (count < 0) {
                return noted(false);
            }
            if (count == 0) {
                break;
            }
            bytes_read += static_cast<std::size_t>(count);
        }
        return true;
    }
    bool write(const uint8_t* data, std::size_t size, std::size_t& bytes_written) override {
        return noted(write_all(fd_.get(), data, size, bytes_written));
    }
    bool size(uint64_t& bytes) override {
        struct stat info {};
        if (::fstat(fd_.get(), &info) != 0) {
            return noted(false);
        }
        bytes = static_cast<uint64_t>(info.st_size);
        return true;
    }
    bool truncate() override {
        return noted(::ftruncate(fd_.get(), 0) == 0 && ::lseek(fd_.get(), 0, SEEK_SET) == 0);
    }
    bool flush() override { return noted(::fsync(fd_.get()) == 0); }
    bool close() override { return noted(fd_.close()); }
    FilePlace location(uint32_t& /*volume_serial*/, std::wstring& /*path*/) override { return FilePlace::not_linked; }
    // Only the read-only attribute has a POSIX counterpart: the write bits.
    bool set_attributes(uint32_t attributes) override {
        struct stat info {};
        if (!noted(::fstat(fd_.get(), &info) == 0)) {
            return false;
        }
        const mode_t permissions = info.st_mode & 07777;
        const mode_t wanted = (attributes & kAttributeReadOnly) != 0 ? permissions & ~kWriteBits : permissions | S_IWUSR;
        return wanted == permissions || noted(::fchmod(fd_.get(), wanted) == 0);
    }
    bool replace(const std::wstring& target) override {
        const std::string target_name = name_of(system_path(target));
        if (!noted(::renameat(folder_.get(), name_.c_str(), folder_.get(), target_name.c_str()) == 0)) {
            return false;
        }
        name_ = target_name;
        // The new name is only durable once its folder is; the replacement itself is done.
        static_cast<void>(::fsync(folder_.get()));
        return true;
    }
    bool remove() override { return noted(::unlinkat(folder_.get(), name_.c_str(), 0) == 0); }

private:
    bool noted(bool succeeded) {
        if (!succeeded) {
            *last_error_ = errno;
        }
        return succeeded;
    }

    Descriptor folder_;
    Descriptor fd_;
    std::string name_;
    std::shared_ptr<int> last_error_;
};

int open_flags(FileAccess access, FileDisposition disposition) {
    // A link at the end of the path is refused, even a dangling one that a
    // create would otherwise make a file through; a pipe never makes us wait.
    int flags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    switch (access) {
        case FileAccess::read: flags |= O_RDONLY; break;
        case FileAccess::write: flags |= O_WRONLY; break;
        case FileAccess::read_write: flags |= O_RDWR; break;
        case FileAccess::entry: flags |= O_RDONLY; break;
    }
    switch (disposition) {
        case FileDisposition::open_existing: break;
        case FileDisposition::open_always: flags |= O_CREAT; break;
        case FileDisposition::create_new: flags |= O_CREAT | O_EXCL; break;
    }
    return flags;
}

uint32_t attributes_of(const std::string& path, const struct stat& info) {
    uint32_t attributes = 0;
    if (S_ISLNK(info.st_mode)) {
        attributes |= kAttributeLink;
        struct stat target {};
        if (::stat(path.c_str(), &target) == 0 && S_ISDIR(target.st_mode)) {
            attributes |= kAttributeFolder;
        }
    } else if (S_ISDIR(info.st_mode)) {
        attributes |= kAttributeFolder;
    } else {
        attributes |= kAttributeArchive;
        if ((info.st_mode & kWriteBits) == 0) {
            attributes |= kAttributeReadOnly;
        }
    }
    const std::string name = name_of(path);
    if (name.size() > 1 && name[0] == '.' && name != "..") {
        attributes |= kAttributeHidden;
    }
    return attributes;
}

// Windows lets a pattern's ".*" end also match a name with no dot there:
// "*.*" is every name, CONFIG too.
bool matches_as_windows_does(const std::string& pattern, const std::string& name) {
    if (::fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD) == 0) {
        return true;
    }
    const std::size_t stem = pattern.size() - 2;
    return pattern.size() >= 2 && pattern.compare(stem, 2, ".*") == 0 &&
           ::fnmatch(pattern.substr(0, stem).c_str(), name.c_str(), FNM_CASEFOLD) == 0;
}

}  // namespace

std::string joined_path(const std::string& folder, const std::string& name) {
    std::string path = folder;
    path += '/';
    path += name;
    return path;
}

std::string system_path(const std::wstring& path) {
    std::wstring slashed = path;
    for (wchar_t& c : slashed) {
        if (c == L'\\') {
            c = L'/';
        } else if (c == kBackslashInName) {
            c = L'\\';
        }
    }
    return utf8_from_wide(slashed);
}

std::wstring core_name(const std::string& name) {
    std::wstring wide = wide_from_utf8(name);
    std::replace(wide.begin(), wide.end(), L'\\', kBackslashInName);
    return wide;
}

std::unique_ptr<File> PosixFileSystem::open_file(const std::wstring& path, FileAccess access,
                                                 FileDisposition disposition) {
    const std::string system = system_path(path);
    const int folder = ::open(parent_of(system).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (!noted(folder >= 0)) {
        return nullptr;
    }
    const std::string name = name_of(system);
    const int fd = ::openat(folder, name.c_str(), open_flags(access, disposition), kNewFileMode);
    if (!noted(fd >= 0)) {
        static_cast<void>(::close(folder));
        return nullptr;
    }
    auto file = std::make_unique<PosixFile>(folder, fd, name, last_error_);
    // Folders, devices, pipes and sockets are no files here.
    struct stat info {};
    if (!noted(::fstat(fd, &info) == 0) || !is_regular(info)) {
        return nullptr;
    }
    return file;
}

Lookup PosixFileSystem::list_folder(const std::wstring& pattern, std::vector<FolderEntry>& entries) {
    entries.clear();
    const std::string full = system_path(pattern);
    const std::string folder_path = parent_of(full);
    const std::string name_pattern = name_of(full);
    const Folder folder(folder_path);
    if (!noted(folder.get() != nullptr)) {
        return is_missing_error(errno) ? Lookup::missing : Lookup::failed;
    }
    while (true) {
        errno = 0;
        const dirent* entry = ::readdir(folder.get());
        if (entry == nullptr) {
            if (!noted(errno == 0)) {
                return Lookup::failed;
            }
            break;
        }
        const std::string name = entry->d_name;
        if (!matches_as_windows_does(name_pattern, name)) {
            continue;
        }
        const std::string entry_path = joined_path(folder_path, name);
        struct stat info {};
        if (::lstat(entry_path.c_str(), &info) != 0) {
            // Gone since the folder was read.
            continue;
        }
        entries.push_back(FolderEntry{core_name(name), attributes_of(entry_path, info)});
    }
    return entries.empty() ? Lookup::missing : Lookup::found;
}

Lookup PosixFileSystem::attributes(const std::wstring& path, uint32_t& attributes) {
    const std::string system = system_path(path);
    struct stat info {};
    if (!noted(::lstat(system.c_str(), &info) == 0)) {
        return is_missing_error(errno) ? Lookup::missing : Lookup::failed;
    }
    attributes = attributes_of(system, info);
    return Lookup::found;
}

bool PosixFileSystem::set_attributes(const std::wstring& path, uint32_t attributes) {
    const std::string system = system_path(path);
    struct stat info {};
    if (!noted(::lstat(system.c_str(), &info) == 0)) {
        return false;
    }
    const bool read_only_now = (info.st_mode & kWriteBits) == 0;
    const bool read_only_wanted = (attributes & kAttributeReadOnly) != 0;
    if (S_ISLNK(info.st_mode) || read_only_now == read_only_wanted) {
        // A link's mode is its target's: nothing of the link itself to change.
        return true;
    }
    const mode_t permissions = info.st_mode & 07777;
    const mode_t wanted = read_only_wanted ? permissions & ~kWriteBits : permissions | S_IWUSR;
    return noted(::chmod(system.c_str(), wanted) == 0);
}

bool PosixFileSystem::file_size(const std::wstring& path, uint64_t& bytes) {
    struct stat info {};
    if (!noted(::lstat(system_path(path).c_str(), &info) == 0)) {
        return false;
    }
    bytes = static_cast<uint64_t>(info.st_size);
    return true;
}

bool PosixFileSystem::delete_file(const std::wstring& path) {
    const std::string system = system_path(path);
    struct stat info {};
    // Folders are remove_folder's.
    if (!noted(::lstat(system.c_str(), &info) == 0) || !is_no_folder(info)) {
        return false;
    }
    return noted(::unlink(system.c_str()) == 0);
}

bool PosixFileSystem::create_folder(const std::wstring& path) {
    return noted(::mkdir(system_path(path).c_str(), kNewFolderMode) == 0);
}

bool PosixFileSystem::remove_folder(const std::wstring& path) {
    const std::string system = system_path(path);
    struct stat info {};
    if (!noted(::lstat(system.c_str(), &info) == 0)) {
        return false;
    }
    return noted(S_ISLNK(info.st_mode) ? ::unlink(system.c_str()) == 0 : ::rmdir(system.c_str()) == 0);
}

std::wstring PosixFileSystem::failure_reason() {
    if (*last_error_ == kNotRegular) {
        return L"not a regular file";
    }
    return *last_error_ == 0 ? std::wstring() : wide_from_utf8(std::strerror(*last_error_));
}

bool PosixFileSystem::noted(bool succeeded) {
    if (!succeeded) {
        *last_error_ = errno;
    }
    return succeeded;
}

bool PosixFileSystem::is_no_folder(const struct stat& info) {
    if (S_ISDIR(info.st_mode)) {
        *last_error_ = EISDIR;
        return false;
    }
    return true;
}

bool PosixFileSystem::is_regular(const struct stat& info) {
    if (!is_no_folder(info)) {
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        *last_error_ = kNotRegular;
        return false;
    }
    return true;
}

std::wstring PosixFileSystem::temp_folder() {
    const char* folder = std::getenv("TMPDIR");
    return wide_from_utf8(folder != nullptr && *folder != '\0' ? folder : kDefaultTempFolder);
}

SystemTime PosixClock::utc_now() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    std::tm parts{};
    ::gmtime_r(&now.tv_sec, &parts);
    SystemTime time;
    time.year = static_cast<uint16_t>(parts.tm_year + 1900);
    time.month = static_cast<uint16_t>(parts.tm_mon + 1);
    time.day_of_week = static_cast<uint16_t>(parts.tm_wday);
    time.day = static_cast<uint16_t>(parts.tm_mday);
    time.hour = static_cast<uint16_t>(parts.tm_hour);
    time.minute = static_cast<uint16_t>(parts.tm_min);
    // A leap second counts as the one before it, as the Windows clock has none.
    time.second = static_cast<uint16_t>(parts.tm_sec > 59 ? 59 : parts.tm_sec);
    time.milliseconds = static_cast<uint16_t>(now.tv_nsec / kNanosecondsPerMillisecond);
    return time;
}

uint64_t PosixClock::ticks_ms() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * kMillisecondsPerSecond +
           static_cast<uint64_t>(now.tv_nsec / kNanosecondsPerMillisecond);
}

void PosixClock::sleep_ms(unsigned milliseconds) {
    timespec wait{};
    wait.tv_sec = static_cast<time_t>(milliseconds / kMillisecondsPerSecond);
    wait.tv_nsec = static_cast<long>(milliseconds % kMillisecondsPerSecond) * kNanosecondsPerMillisecond;
    while (::nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

}  // namespace lanternbook::posix
