// The services the portable core asks of the operating system, split by what
// they serve so that each piece of code asks only for what it uses. The Win32
// and POSIX layers implement them; tests plug in a fake that injects faults.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace lanternbook {

// Same fields and order as the platform's SYSTEMTIME.
struct SystemTime {
    uint16_t year = 0;
    uint16_t month = 0;
    uint16_t day_of_week = 0;
    uint16_t day = 0;
    uint16_t hour = 0;
    uint16_t minute = 0;
    uint16_t second = 0;
    uint16_t milliseconds = 0;
};

// File attributes, with the platform's values.
constexpr uint32_t kAttributeReadOnly = 0x01;
constexpr uint32_t kAttributeHidden = 0x02;
constexpr uint32_t kAttributeSystem = 0x04;
constexpr uint32_t kAttributeFolder = 0x10;
constexpr uint32_t kAttributeArchive = 0x20;
// A pipe, a device or a socket under a file name: never opened as a file.
constexpr uint32_t kAttributeDevice = 0x40;
// A link or junction: never stepped through.
constexpr uint32_t kAttributeLink = 0x400;

// What an open file tells of where it really is.
enum class FilePlace {
    told,        // its volume's serial number and its path are given
    not_linked,  // opening never follows a link here: it is where it was asked for
    unknown,     // it could not tell, so it is not to be trusted
};

// `entry` reaches the file's attributes and its removal, not its bytes;
// write and read_write reach those too, and read_entry reads the bytes as
// well. `append` only adds at the end, whatever else writes there meanwhile.
enum class FileAccess { read, write, read_write, entry, read_entry, append };

// When a file was last written: seconds and nanoseconds since 1970-01-01 UTC.
struct FileTime {
    int64_t seconds = 0;
    uint32_t nanoseconds = 0;

    bool operator==(const FileTime& other) const {
        return seconds == other.seconds && nanoseconds == other.nanoseconds;
    }
};
// open_always opens what is there, or else creates a new file. create_new
// fails on anything already there, a link included: what it writes can only
// land in a file it made.
enum class FileDisposition { open_existing, open_always, create_new };

// An open file; closed when the object dies, if close() was not called.
class File {
public:
    virtual ~File() = default;
    [[nodiscard]] virtual bool read(uint8_t* buffer, std::size_t capacity, std::size_t& bytes_read) = 0;
    // True only when every byte was written.
    [[nodiscard]] virtual bool write(const uint8_t* data, std::size_t size, std::size_t& bytes_written) = 0;
    [[nodiscard]] virtual bool size(uint64_t& bytes) = 0;
    // Cuts the file to no bytes.
    [[nodiscard]] virtual bool truncate() = 0;
    // Pushes what was written to the device.
    [[nodiscard]] virtual bool flush() = 0;
    // Closes the file; false when what was written may not have reached it.
    [[nodiscard]] virtual bool close() = 0;
    // Where the open file really is, every link resolved: its volume's serial
    // number and its full path.
    [[nodiscard]] virtual FilePlace location(uint32_t& volume_serial, std::wstring& path) = 0;

    // What follows acts on this very file, wherever its name leads by now:
    // a volume that took its drive letter meanwhile is never touched.
    [[nodiscard]] virtual bool set_attributes(uint32_t attributes) = 0;
    // Puts this file in the place of `target` (a name in its own folder, or
    // a path whose last part is taken), in one step: the target is either
    // the old file or this one, whatever happens.
    [[nodiscard]] virtual bool replace(const std::wstring& target) = 0;
    // Gives this file the name `name` in its own folder, only where nothing
    // has that name: whatever appeared there meanwhile stays.
    [[nodiscard]] virtual bool move_to(const std::wstring& name) = 0;
    // Deletes this file; it goes when it is closed.
    [[nodiscard]] virtual bool remove() = 0;
    // When it was last written, and setting that time: where a platform
    // cannot, they fail.
    [[nodiscard]] virtual bool modified_time(FileTime& /*time*/) { return false; }
    [[nodiscard]] virtual bool set_modified_time(const FileTime& /*time*/) { return false; }
};

struct FolderEntry {
    std::wstring name;
    uint32_t attributes = 0;

    bool is_folder() const { return (attributes & kAttributeFolder) != 0; }
    bool is_link() const { return (attributes & kAttributeLink) != 0; }
    // A pipe, a device or a socket.
    bool is_device() const { return (attributes & kAttributeDevice) != 0; }
};

// What a look-up found. `missing` is an answer (no such entry, no match);
// `failed` means the question could not be answered.
enum class Lookup { found, missing, failed };

// Held while a folder's lock is ours; let go when the object dies, or when
// the process ends, however it ends.
class FolderLock {
public:
    virtual ~FolderLock() = default;
};

// A folder opened once, never through a link, and held open: whatever is
// done through it is done in that very folder, wherever its path leads by
// now, and never reaches anything but its own entries of its own volume.
// Names are single names in it, never paths.
class Folder {
public:
    virtual ~Folder() = default;
    // Entries whose names match `pattern` ("*.*", "*.ddd") as the platform
    // matches them, "." and ".." left out; `missing` when none does.
    [[nodiscard]] virtual Lookup list(const std::wstring& pattern, std::vector<FolderEntry>& entries) = 0;
    // Links, pipes and devices report themselves, not a target.
    [[nodiscard]] virtual Lookup attributes(const std::wstring& name, uint32_t& attributes) = 0;
    // A regular file of this folder by that very name; null for a link, a
    // folder, a pipe, a device, or a file that proves to be elsewhere.
    [[nodiscard]] virtual std::unique_ptr<File> open_file(const std::wstring& name, FileAccess access,
                                                          FileDisposition disposition) = 0;
    // Whether the entry of that name is a link, however the platform shows
    // it in a listing: where a link to a file looks like a plain file, only
    // opening it tells.
    [[nodiscard]] virtual bool leads_elsewhere(const std::wstring& name) = 0;
    // A folder in it, held in turn; null for a link or a mount.
    [[nodiscard]] virtual std::unique_ptr<Folder> open_folder(const std::wstring& name) = 0;
    // A new folder in it that only this user may enter, held; null when
    // anything already has that name.
    [[nodiscard]] virtual std::unique_ptr<Folder> create_folder(const std::wstring& name) = 0;
    // Removes a file, read-only, hidden or system ones too, or a link
    // itself: never what a link leads to.
    [[nodiscard]] virtual bool delete_file(const std::wstring& name) = 0;
    // Removes an empty folder, whatever its attributes, or a folder link itself.
    [[nodiscard]] virtual bool remove_folder(const std::wstring& name) = 0;
    // Where the folder really is, as File::location tells it.
    [[nodiscard]] virtual FilePlace location(uint32_t& volume_serial, std::wstring& path) = 0;
    // Whether `other` lives on this folder's volume; true when that cannot be told.
    [[nodiscard]] virtual bool on_same_volume(Folder& other) = 0;
    // Whether no other user can change what it holds: it is this user's,
    // and nobody else may write in it.
    [[nodiscard]] virtual bool private_to_user() = 0;
    // The folder's lock, waiting at most `wait_ms` for another process to
    // let go of it; null when it stays taken or cannot be had.
    [[nodiscard]] virtual std::unique_ptr<FolderLock> lock(unsigned wait_ms) = 0;
};

// Every bool result below is true on success.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    // Links report themselves, not their target.
    [[nodiscard]] virtual Lookup attributes(const std::wstring& path, uint32_t& attributes) = 0;
    // The folder at `path`, held, reached without stepping through a link
    // at any level of the path; null otherwise.
    [[nodiscard]] virtual std::unique_ptr<Folder> open_folder(const std::wstring& path) = 0;
    // Where backups of keys are kept: a folder only this user can write,
    // made when missing, held; null, with the reason, when there is none
    // such. Its path, as shown to the user, is `path`.
    [[nodiscard]] virtual std::unique_ptr<Folder> backup_place(std::wstring& path) = 0;
    // Where the command line's journal of changes is kept: a folder only
    // this user can write, made when missing, held; null, with the reason,
    // when there is none such. Its path, as shown to the user, is `path`.
    [[nodiscard]] virtual std::unique_ptr<Folder> journal_place(std::wstring& path) {
        path.clear();
        return nullptr;
    }
    // Why the last failed call of this object, or of a file it opened,
    // failed, in the system's words; empty when it cannot tell.
    virtual std::wstring failure_reason() { return std::wstring(); }

    bool path_exists(const std::wstring& path) {
        uint32_t ignored = 0;
        return attributes(path, ignored) == Lookup::found;
    }
};

// The present devices of the USB setup class; released when the object dies.
class UsbDeviceSet {
public:
    virtual ~UsbDeviceSet() = default;
    virtual bool has_device(std::size_t index) = 0;
    [[nodiscard]] virtual bool read_description(std::size_t index, std::wstring& description) = 0;
    [[nodiscard]] virtual bool remove_device(std::size_t index) = 0;
};

class Volumes {
public:
    virtual ~Volumes() = default;
    virtual uint32_t logical_drive_mask() = 0;
    // The shell's display name of a drive root; false when the shell gives none.
    [[nodiscard]] virtual bool drive_display_name(const std::wstring& root, std::wstring& name) = 0;
    [[nodiscard]] virtual bool volume_total_bytes(const std::wstring& root, uint64_t& total_bytes) = 0;
    // The volume's serial number and label; false when no volume is mounted there.
    [[nodiscard]] virtual bool volume_identity(const std::wstring& root, uint32_t& serial_number,
                                               std::wstring& label) = 0;
    [[nodiscard]] virtual bool set_volume_label(const std::wstring& root, const std::wstring& label) = 0;
    // A drive the user can take out, as a USB key is.
    [[nodiscard]] virtual bool is_removable(const std::wstring& root) = 0;
    // Null when the set cannot be had.
    virtual std::unique_ptr<UsbDeviceSet> open_usb_devices() = 0;
};

// Message-box styles and answers, with the platform's values.
constexpr unsigned kMessageOkCancelWarning = 0x31;
constexpr unsigned kMessageErrorOk = 0x10;
constexpr unsigned kMessageYesNoQuestion = 0x24;
constexpr int kAnswerOk = 1;
constexpr int kAnswerCancel = 2;
constexpr int kAnswerYes = 6;
constexpr int kAnswerNo = 7;

class UserMessages {
public:
    virtual ~UserMessages() = default;
    virtual int message_box(const std::wstring& text, const std::wstring& caption, unsigned style) = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual SystemTime utc_now() = 0;
    virtual void sleep_ms(unsigned milliseconds) = 0;
    // Milliseconds from some fixed moment, never going back.
    virtual uint64_t ticks_ms() = 0;
};

enum class ShellFormatOutcome { library_missing, entry_missing, called };

class ShellFormat {
public:
    virtual ~ShellFormat() = default;
    // Returns when the user closes the shell's dialog, formatted or not.
    virtual ShellFormatOutcome shell_format(int drive_index) = 0;
};

class Module {
public:
    virtual ~Module() = default;
    // Full path of the configurator module itself; empty when unknown.
    virtual std::wstring module_path() = 0;
};

constexpr std::size_t kSha256Bytes = 32;
using Sha256 = std::array<uint8_t, kSha256Bytes>;

// A SHA-256 digest being taken of bytes given piece by piece.
class Digest {
public:
    virtual ~Digest() = default;
    virtual void add(const uint8_t* data, std::size_t size) = 0;
    // The digest of everything added; the object is spent then.
    [[nodiscard]] virtual Sha256 finish() = 0;
};

// The command line's record keeping: who runs it, and a well-kept SHA-256.
class Session {
public:
    virtual ~Session() = default;
    // The name of the user the program runs as; a number where it has none.
    [[nodiscard]] virtual std::wstring user_name() = 0;
    // Null when the system's hashing cannot be had.
    [[nodiscard]] virtual std::unique_ptr<Digest> sha256() = 0;
};

// Everything at once, for the layers that serve or fake all of it.
class Platform : public FileSystem,
                 public Volumes,
                 public UserMessages,
                 public Clock,
                 public ShellFormat,
                 public Module {};

}  // namespace lanternbook
