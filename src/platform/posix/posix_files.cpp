#include "platform/posix/posix_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <utility>

#include "text/utf8_text.h"

namespace lanternbook::posix {
namespace {

constexpr mode_t kNewFileMode = 0666;
constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;
// No errno says these; the values are none of errno's.
constexpr int kNotRegular = -1;
constexpr int kNotPrivate = -2;
constexpr int kIsLink = -3;
constexpr int kOtherVolume = -4;
constexpr mode_t kPrivateFolderMode = 0700;
constexpr mode_t kOthersWrite = S_IWGRP | S_IWOTH;
constexpr unsigned kLockRetryMs = 10;
constexpr char kStateFolder[] = ".local/state";
constexpr char kProgramFolder[] = "lanternbook";
constexpr char kBackupFolder[] = "backups";
constexpr long kNanosecondsPerMillisecond = 1000000;
constexpr unsigned kMillisecondsPerSecond = 1000;

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

bool is_missing_error(int error) { return error == ENOENT || error == ENOTDIR; }

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

// Renames `from` to `to` in one folder, never over an entry already there.
bool rename_without_replacing(int folder, const std::string& from, const std::string& to) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(folder, from.c_str(), folder, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
#endif
    // A file system without the flag: a link made under the new name fails
    // on anything there, and where links cannot be made either, the name is
    // looked at just before.
    if (::linkat(folder, from.c_str(), folder, to.c_str(), 0) == 0) {
        return ::unlinkat(folder, from.c_str(), 0) == 0;
    }
    if (errno == EEXIST) {
        return false;
    }
    struct stat there {};
    if (::fstatat(folder, to.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::renameat(folder, from.c_str(), folder, to.c_str()) == 0;
}

// An open file, with its folder held open beside it: whatever is done to
// the file's entry is done in that very folder, wherever its path leads by now.
class PosixFile : public File {
public:
    // `folder` is shared with the folder it was opened in, and with the other files opened there.
    PosixFile(std::shared_ptr<const Descriptor> folder, int fd, std::string name, std::shared_ptr<int> last_error)
        : folder_(std::move(folder)), fd_(fd), name_(std::move(name)), last_error_(std::move(last_error)) {}

    // What fstat told of it once it was opened.
    void seen(const struct stat& info) { mode_ = info.st_mode; }

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
        // Its mode as last seen here: an erase sets every download's attributes, and a
        // read-only file goes all the same, so the common case asks nothing.
        const mode_t permissions = mode_ & 07777;
        const mode_t wanted = (attributes & kAttributeReadOnly) != 0 ? permissions & ~kWriteBits : permissions | S_IWUSR;
        if (wanted == permissions) {
            return true;
        }
        if (!noted(::fchmod(fd_.get(), wanted) == 0)) {
            return false;
        }
        mode_ = (mode_ & ~07777) | wanted;
        return true;
    }
    bool replace(const std::wstring& target) override {
        const std::string target_name = name_of(system_path(target));
        if (!noted(::renameat(folder_->get(), name_.c_str(), folder_->get(), target_name.c_str()) == 0)) {
            return false;
        }
        name_ = target_name;
        // The new name is only durable once its folder is; the replacement itself is done.
        static_cast<void>(::fsync(folder_->get()));
        return true;
    }
    bool move_to(const std::wstring& name) override {
        const std::string target_name = name_of(system_path(name));
        if (!noted(rename_without_replacing(folder_->get(), name_, target_name))) {
            return false;
        }
        name_ = target_name;
        static_cast<void>(::fsync(folder_->get()));
        return true;
    }
    bool remove() override { return noted(::unlinkat(folder_->get(), name_.c_str(), 0) == 0); }
    bool modified_time(FileTime& time) override {
        struct stat info {};
        if (!noted(::fstat(fd_.get(), &info) == 0)) {
            return false;
        }
        time.seconds = static_cast<int64_t>(info.st_mtim.tv_sec);
        time.nanoseconds = static_cast<uint32_t>(info.st_mtim.tv_nsec);
        return true;
    }
    bool set_modified_time(const FileTime& time) override {
        // The access time is left as it is.
        const std::array<timespec, 2> times{timespec{0, UTIME_OMIT},
                                            timespec{static_cast<time_t>(time.seconds), static_cast<long>(time.nanoseconds)}};
        return noted(::futimens(fd_.get(), times.data()) == 0);
    }

private:
    bool noted(bool succeeded) {
        if (!succeeded) {
            *last_error_ = errno;
        }
        return succeeded;
    }

    std::shared_ptr<const Descriptor> folder_;
    Descriptor fd_;
    mode_t mode_ = 0;
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
        // Here reaching an entry needs no more than reading it.
        case FileAccess::entry:
        case FileAccess::read_entry: flags |= O_RDONLY; break;
        case FileAccess::append: flags |= O_WRONLY | O_APPEND; break;
    }
    switch (disposition) {
        case FileDisposition::open_existing: break;
        case FileDisposition::open_always: flags |= O_CREAT; break;
        case FileDisposition::create_new: flags |= O_CREAT | O_EXCL; break;
    }
    return flags;
}

// `leads_to_folder` tells, for a link, whether what it leads to is a folder.
uint32_t attributes_from(const std::string& name, const struct stat& info, bool leads_to_folder) {
    uint32_t attributes = 0;
    if (S_ISLNK(info.st_mode)) {
        attributes |= kAttributeLink;
        if (leads_to_folder) {
            attributes |= kAttributeFolder;
        }
    } else if (S_ISDIR(info.st_mode)) {
        attributes |= kAttributeFolder;
    } else {
        attributes |= kAttributeArchive;
        if (!S_ISREG(info.st_mode)) {
            attributes |= kAttributeDevice;
        }
        if ((info.st_mode & kWriteBits) == 0) {
            attributes |= kAttributeReadOnly;
        }
    }
    if (name.size() > 1 && name[0] == '.' && name != "..") {
        attributes |= kAttributeHidden;
    }
    return attributes;
}

uint32_t attributes_of(const std::string& path, const struct stat& info) {
    struct stat target {};
    const bool leads_to_folder =
        S_ISLNK(info.st_mode) && ::stat(path.c_str(), &target) == 0 && S_ISDIR(target.st_mode);
    return attributes_from(name_of(path), info, leads_to_folder);
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


// Why a folder could not be opened at `name` in `folder`: a link is told as one.
int folder_open_error(int folder, const std::string& name) {
    const int error = errno;
    struct stat info {};
    return ::fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode) ? kIsLink : error;
}

// Whether a folder on the way to a private one cannot be changed by another
// user: it is root's or ours, and others may not write in it, unless it is
// root's and sticky (as /tmp is), where they cannot touch our entries.
bool safe_on_the_way(const struct stat& info) {
    const uid_t user = ::geteuid();
    if (info.st_uid != 0 && info.st_uid != user) {
        return false;
    }
    return (info.st_mode & kOthersWrite) == 0 || (info.st_uid == 0 && (info.st_mode & S_ISVTX) != 0);
}

bool private_folder(const struct stat& info) {
    return info.st_uid == ::geteuid() && (info.st_mode & kOthersWrite) == 0;
}

// A folder held by its descriptor; everything is done relative to it.
class PosixFolder : public Folder {
public:
    PosixFolder(int fd, const struct stat& info, std::shared_ptr<int> last_error)
        : fd_(std::make_shared<Descriptor>(fd)), device_(info.st_dev), last_error_(std::move(last_error)) {}

    int descriptor() const { return fd_->get(); }

    Lookup list(const std::wstring& pattern, std::vector<FolderEntry>& entries) override {
        entries.clear();
        const std::string name_pattern = system_path(pattern);
        // A descriptor of its own, so that reading it never moves another's place.
        const int own = ::openat(fd_->get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (!noted(own >= 0)) {
            return Lookup::failed;
        }
        DIR* const listing = ::fdopendir(own);
        if (!noted(listing != nullptr)) {
            static_cast<void>(::close(own));
            return Lookup::failed;
        }
        bool read_whole = true;
        while (true) {
            errno = 0;
            const dirent* entry = ::readdir(listing);
            if (entry == nullptr) {
                read_whole = noted(errno == 0);
                break;
            }
            const std::string name = entry->d_name;
            if (name == "." || name == ".." || !matches_as_windows_does(name_pattern, name)) {
                continue;
            }
            uint32_t shown = 0;
            // Gone since the folder was read: not listed.
            if (listed_attributes(*entry, name, shown)) {
                entries.push_back(FolderEntry{core_name(name), shown});
            }
        }
        ::closedir(listing);
        if (!read_whole) {
            return Lookup::failed;
        }
        return entries.empty() ? Lookup::missing : Lookup::found;
    }

    Lookup attributes(const std::wstring& name, uint32_t& attributes) override {
        if (attributes_at(system_path(name), attributes)) {
            return Lookup::found;
        }
        return is_missing_error(errno) ? Lookup::missing : Lookup::failed;
    }

    std::unique_ptr<File> open_file(const std::wstring& name, FileAccess access,
                                    FileDisposition disposition) override {
        const std::string own = system_path(name);
        const int fd = ::openat(fd_->get(), own.c_str(), open_flags(access, disposition), kNewFileMode);
        if (!noted(fd >= 0)) {
            return nullptr;
        }
        auto file = std::make_unique<PosixFile>(fd_, fd, own, last_error_);
        struct stat info {};
        if (!noted(::fstat(fd, &info) == 0) || !regular(info) || !same_volume(info)) {
            return nullptr;
        }
        file->seen(info);
        return file;
    }

    bool leads_elsewhere(const std::wstring& name) override {
        struct stat info {};
        return ::fstatat(fd_->get(), system_path(name).c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
               S_ISLNK(info.st_mode);
    }

    std::unique_ptr<Folder> open_folder(const std::wstring& name) override {
        return open_below(system_path(name));
    }

    std::unique_ptr<Folder> create_folder(const std::wstring& name) override {
        const std::string own = system_path(name);
        if (!noted(::mkdirat(fd_->get(), own.c_str(), kPrivateFolderMode) == 0)) {
            return nullptr;
        }
        std::unique_ptr<PosixFolder> made = open_below(own);
        // Whoever could swap it before it was opened could write here anyway;
        // still, what was opened must be a folder of ours alone.
        if (made && !made->private_to_user()) {
            *last_error_ = kNotPrivate;
            return nullptr;
        }
        return made;
    }

    bool delete_file(const std::wstring& name) override {
        // Without AT_REMOVEDIR a folder is never removed; a link goes by itself.
        if (::unlinkat(fd_->get(), system_path(name).c_str(), 0) == 0) {
            return true;
        }
        *last_error_ = errno == EPERM || errno == EISDIR ? folder_or_error(system_path(name)) : errno;
        return false;
    }

    bool remove_folder(const std::wstring& name) override {
        const std::string own = system_path(name);
        struct stat info {};
        if (!noted(::fstatat(fd_->get(), own.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0)) {
            return false;
        }
        return noted(::unlinkat(fd_->get(), own.c_str(), S_ISLNK(info.st_mode) ? 0 : AT_REMOVEDIR) == 0);
    }

    FilePlace location(uint32_t& /*volume_serial*/, std::wstring& /*path*/) override { return FilePlace::not_linked; }

    bool on_same_volume(Folder& other) override {
        auto* const posix = dynamic_cast<PosixFolder*>(&other);
        return posix == nullptr || posix->device_ == device_;
    }

    bool private_to_user() override {
        struct stat info {};
        if (!noted(::fstat(fd_->get(), &info) == 0)) {
            return false;
        }
        if (!private_folder(info)) {
            *last_error_ = kNotPrivate;
            return false;
        }
        return true;
    }

    std::unique_ptr<FolderLock> lock(unsigned wait_ms) override;

    // A folder below this one, held; never through a link, never across a mount.
    std::unique_ptr<PosixFolder> open_below(const std::string& name) {
        const int fd = ::openat(fd_->get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            *last_error_ = folder_open_error(fd_->get(), name);
            return nullptr;
        }
        struct stat info {};
        if (!noted(::fstat(fd, &info) == 0)) {
            static_cast<void>(::close(fd));
            return nullptr;
        }
        auto below = std::make_unique<PosixFolder>(fd, info, last_error_);
        if (!same_volume(info)) {
            return nullptr;
        }
        return below;
    }

private:
    bool noted(bool succeeded) {
        if (!succeeded) {
            *last_error_ = errno;
        }
        return succeeded;
    }
    bool regular(const struct stat& info) {
        if (S_ISDIR(info.st_mode)) {
            *last_error_ = EISDIR;
            return false;
        }
        if (!S_ISREG(info.st_mode)) {
            *last_error_ = kNotRegular;
            return false;
        }
        return true;
    }
    bool same_volume(const struct stat& info) {
        if (info.st_dev != device_) {
            *last_error_ = kOtherVolume;
            return false;
        }
        return true;
    }
    // What a listing tells of an entry by its type alone, where the file
    // system gives one (a file's read-only state is left to attributes());
    // asked of the entry itself otherwise.
    bool listed_attributes(const dirent& entry, const std::string& name, uint32_t& attributes) {
#ifdef DT_UNKNOWN
        const bool hidden = name.size() > 1 && name[0] == '.';
        switch (entry.d_type) {
            case DT_REG: attributes = kAttributeArchive; break;
            case DT_DIR: attributes = kAttributeFolder; break;
            case DT_LNK: attributes = kAttributeLink; break;
            case DT_FIFO:
            case DT_CHR:
            case DT_BLK:
            case DT_SOCK: attributes = kAttributeArchive | kAttributeDevice; break;
            default: return attributes_at(name, attributes);
        }
        attributes |= hidden ? kAttributeHidden : 0;
        return true;
#else
        static_cast<void>(entry);
        return attributes_at(name, attributes);
#endif
    }
    // EISDIR for a folder, whatever the system said of unlinking it.
    int folder_or_error(const std::string& name) {
        const int error = errno;
        struct stat info {};
        return ::fstatat(fd_->get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode) ? EISDIR
                                                                                                              : error;
    }
    bool attributes_at(const std::string& name, uint32_t& attributes) {
        struct stat info {};
        if (::fstatat(fd_->get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            return noted(false);
        }
        struct stat target {};
        const bool leads_to_folder = S_ISLNK(info.st_mode) && ::fstatat(fd_->get(), name.c_str(), &target, 0) == 0 &&
                                     S_ISDIR(target.st_mode);
        attributes = attributes_from(name, info, leads_to_folder);
        return true;
    }

    // Shared with the files opened in it, which may outlive it.
    std::shared_ptr<Descriptor> fd_;
    dev_t device_;
    std::shared_ptr<int> last_error_;
};

class PosixFolderLock : public FolderLock {
public:
    explicit PosixFolderLock(int fd) : fd_(fd) {}

private:
    // Closing it lets go of the lock.
    Descriptor fd_;
};

std::unique_ptr<FolderLock> PosixFolder::lock(unsigned wait_ms) {
    // A description of its own: the lock is this object's, not the folder's.
    const int fd = ::openat(fd_->get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (!noted(fd >= 0)) {
        return nullptr;
    }
    auto held = std::make_unique<PosixFolderLock>(fd);
    for (unsigned waited = 0;; waited += kLockRetryMs) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            return held;
        }
        if (!noted(errno == EWOULDBLOCK || errno == EINTR) || waited >= wait_ms) {
            return nullptr;
        }
        timespec pause{0, static_cast<long>(kLockRetryMs) * kNanosecondsPerMillisecond};
        ::nanosleep(&pause, nullptr);
    }
}

// The parts of a system path, empty ones left out.
std::vector<std::string> parts_of(const std::string& path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t slash = std::min(path.find('/', start), path.size());
        if (slash > start) {
            parts.push_back(path.substr(start, slash - start));
        }
        start = slash + 1;
    }
    return parts;
}

// How a path is walked to its folder.
struct Walk {
    bool checked = false;       // every folder on the way must be safe_on_the_way
    bool make_missing = false;  // folders not there yet are made, private to the user
};

// The folder at `path`, walked one part at a time, never through a link.
std::unique_ptr<PosixFolder> walk_to(const std::string& path, Walk walk, const std::shared_ptr<int>& last_error) {
    const int start = ::open(!path.empty() && path[0] == '/' ? "/" : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (start < 0) {
        *last_error = errno;
        return nullptr;
    }
    struct stat info {};
    if (::fstat(start, &info) != 0) {
        *last_error = errno;
        static_cast<void>(::close(start));
        return nullptr;
    }
    auto folder = std::make_unique<PosixFolder>(start, info, last_error);
    for (const std::string& part : parts_of(path)) {
        if (walk.checked && !safe_on_the_way(info)) {
            *last_error = kNotPrivate;
            return nullptr;
        }
        constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
        // Mounts along the way are where the path leads; only links are refused.
        int fd = ::openat(folder->descriptor(), part.c_str(), kFlags);
        if (fd < 0 && errno == ENOENT && walk.make_missing &&
            (::mkdirat(folder->descriptor(), part.c_str(), kPrivateFolderMode) == 0 || errno == EEXIST)) {
            fd = ::openat(folder->descriptor(), part.c_str(), kFlags);
        }
        if (fd < 0) {
            *last_error = folder_open_error(folder->descriptor(), part);
            return nullptr;
        }
        if (::fstat(fd, &info) != 0) {
            *last_error = errno;
            static_cast<void>(::close(fd));
            return nullptr;
        }
        folder = std::make_unique<PosixFolder>(fd, info, last_error);
    }
    return folder;
}

// Where the user's state lives: $XDG_STATE_HOME, else ~/.local/state.
std::string state_home() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/') {
        return state;
    }
    const char* home = std::getenv("HOME");
    std::string base = home != nullptr && home[0] == '/' ? home : std::string();
    if (base.empty()) {
        const passwd* user = ::getpwuid(::geteuid());
        if (user == nullptr || user->pw_dir == nullptr || user->pw_dir[0] != '/') {
            return std::string();
        }
        base = user->pw_dir;
    }
    return joined_path(base, kStateFolder);
}

// `path` with the links in the part of it that exists resolved: links the
// user or the system put there on purpose (a home elsewhere) are taken once.
std::string resolved(const std::string& path) {
    std::string existing = path;
    std::string rest;
    while (!existing.empty()) {
        const std::unique_ptr<char, decltype(&std::free)> real(::realpath(existing.c_str(), nullptr), &std::free);
        if (real) {
            const std::string whole = real.get();
            return rest.empty() ? whole : joined_path(whole == "/" ? std::string() : whole, rest);
        }
        const std::size_t slash = existing.find_last_of('/');
        if (slash == std::string::npos || slash == 0) {
            break;
        }
        rest = rest.empty() ? existing.substr(slash + 1) : joined_path(existing.substr(slash + 1), rest);
        existing.erase(slash);
    }
    return path;
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

std::wstring core_path(const std::string& path) {
    std::wstring wide = core_name(path);
    std::replace(wide.begin(), wide.end(), L'/', L'\\');
    return wide;
}

std::wstring core_name(const std::string& name) {
    std::wstring wide = wide_from_utf8(name);
    std::replace(wide.begin(), wide.end(), L'\\', kBackslashInName);
    return wide;
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

std::unique_ptr<Folder> PosixFileSystem::open_folder(const std::wstring& path) {
    return walk_to(system_path(path), Walk{}, last_error_);
}

std::unique_ptr<Folder> PosixFileSystem::backup_place(std::wstring& path) {
    return private_place(joined_path(kProgramFolder, kBackupFolder), path);
}

std::unique_ptr<Folder> PosixFileSystem::journal_place(std::wstring& path) { return private_place(kProgramFolder, path); }

std::unique_ptr<Folder> PosixFileSystem::private_place(const std::string& below_state, std::wstring& path) {
    const std::string state = state_home();
    if (state.empty()) {
        *last_error_ = ENOENT;
        return nullptr;
    }
    const std::string place = joined_path(resolved(state), below_state);
    path = core_path(place);
    std::unique_ptr<PosixFolder> folder = walk_to(place, Walk{true, true}, last_error_);
    if (!folder || !folder->private_to_user()) {
        return nullptr;
    }
    return folder;
}

std::wstring PosixFileSystem::failure_reason() {
    switch (*last_error_) {
        case kNotRegular: return L"not a regular file";
        case kNotPrivate: return L"another user owns it or may write in it";
        case kIsLink: return L"a symbolic link";
        case kOtherVolume: return L"another file system is mounted there";
        default: break;
    }
    return *last_error_ == 0 ? std::wstring() : wide_from_utf8(std::strerror(*last_error_));
}

bool PosixFileSystem::noted(bool succeeded) {
    if (!succeeded) {
        *last_error_ = errno;
    }
    return succeeded;
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
