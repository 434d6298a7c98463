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

#include "text/utf8_text.h"

namespace lanternbook::posix {
namespace {

constexpr mode_t kNewFileMode = 0666;
constexpr mode_t kNewFolderMode = 0777;
constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;
constexpr std::size_t kCopyChunk = std::size_t{64} * 1024;
constexpr long kNanosecondsPerMillisecond = 1000000;
constexpr unsigned kMillisecondsPerSecond = 1000;
constexpr char kDefaultTempFolder[] = "/tmp";

// Owns a descriptor; closes it when it dies.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

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

class PosixFile : public File {
public:
    PosixFile(int fd, std::shared_ptr<int> last_error) : fd_(fd), last_error_(std::move(last_error)) {}

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
    bool flush() override { return noted(::fsync(fd_.get()) == 0); }

private:
    bool noted(bool succeeded) {
        if (!succeeded) {
            *last_error_ = errno;
        }
        return succeeded;
    }

    Descriptor fd_;
    std::shared_ptr<int> last_error_;
};

int open_flags(FileAccess access, FileDisposition disposition) {
    int flags = O_CLOEXEC;
    switch (access) {
        case FileAccess::read: flags |= O_RDONLY; break;
        case FileAccess::write: flags |= O_WRONLY; break;
        case FileAccess::read_write: flags |= O_RDWR; break;
    }
    switch (disposition) {
        case FileDisposition::open_existing: break;
        case FileDisposition::open_always: flags |= O_CREAT; break;
        case FileDisposition::create_always: flags |= O_CREAT | O_TRUNC; break;
        case FileDisposition::create_new: flags |= O_CREAT | O_EXCL; break;
    }
    return flags;
}

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

bool sync_path(const std::string& path, int flags) {
    const Descriptor fd(::open(path.c_str(), flags | O_CLOEXEC));
    return fd.valid() && ::fsync(fd.get()) == 0;
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
    std::replace(slashed.begin(), slashed.end(), L'\\', L'/');
    return utf8_from_wide(slashed);
}

std::unique_ptr<File> PosixFileSystem::open_file(const std::wstring& path, FileAccess access,
                                                 FileDisposition disposition) {
    const int fd = ::open(system_path(path).c_str(), open_flags(access, disposition), kNewFileMode);
    if (!noted(fd >= 0)) {
        return nullptr;
    }
    auto file = std::make_unique<PosixFile>(fd, last_error_);
    // A folder is no file, as on Windows.
    struct stat info {};
    if (!noted(::fstat(fd, &info) == 0) || !is_no_folder(info)) {
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
        if (::fnmatch(name_pattern.c_str(), name.c_str(), FNM_CASEFOLD) != 0) {
            continue;
        }
        const std::string entry_path = joined_path(folder_path, name);
        struct stat info {};
        if (::lstat(entry_path.c_str(), &info) != 0) {
            // Gone since the folder was read.
            continue;
        }
        entries.push_back(FolderEntry{wide_from_utf8(name), attributes_of(entry_path, info)});
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

bool PosixFileSystem::copy_file(const std::wstring& source, const std::wstring& target) {
    const Descriptor in(::open(system_path(source).c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (!noted(in.valid() && ::fstat(in.get(), &info) == 0) || S_ISDIR(info.st_mode)) {
        return false;
    }
    const Descriptor out(::open(system_path(target).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC,
                                info.st_mode & 0777));
    if (!noted(out.valid())) {
        return false;
    }
    std::vector<uint8_t> chunk(kCopyChunk);
    while (true) {
        const ssize_t count = ::read(in.get(), chunk.data(), chunk.size());
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (!noted(count >= 0)) {
            return false;
        }
        if (count == 0) {
            break;
        }
        std::size_t written = 0;
        if (!noted(write_all(out.get(), chunk.data(), static_cast<std::size_t>(count), written))) {
            return false;
        }
    }
    return noted(::fsync(out.get()) == 0);
}

bool PosixFileSystem::replace_file(const std::wstring& source, const std::wstring& target) {
    const std::string from = system_path(source);
    const std::string to = system_path(target);
    if (!noted(sync_path(from, O_RDONLY) && ::rename(from.c_str(), to.c_str()) == 0)) {
        return false;
    }
    // The new name is only durable once its folder is; the replacement itself is done.
    static_cast<void>(sync_path(parent_of(to), O_RDONLY | O_DIRECTORY));
    return true;
}

std::wstring PosixFileSystem::failure_reason() {
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

void PosixClock::sleep_ms(unsigned milliseconds) {
    timespec wait{};
    wait.tv_sec = static_cast<time_t>(milliseconds / kMillisecondsPerSecond);
    wait.tv_nsec = static_cast<long>(milliseconds % kMillisecondsPerSecond) * kNanosecondsPerMillisecond;
    while (::nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

}  // namespace lanternbook::posix
