// The services the portable core asks of the operating system. The Win32
// layer implements them with the real API; tests plug in a fake so that
// every failure can be injected.
#pragma once

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

enum class FileAccess { read, write, read_write };
enum class FileDisposition { open_existing, open_always, create_always };

// An open file; closed when the object dies.
class File {
public:
    virtual ~File() = default;
    virtual bool read(uint8_t* buffer, std::size_t capacity, std::size_t& bytes_read) = 0;
    virtual bool write(const uint8_t* data, std::size_t size, std::size_t& bytes_written) = 0;
    virtual bool size(uint64_t& bytes) = 0;
};

struct FolderEntry {
    std::wstring name;
    bool is_folder = false;
};

// The present devices of the USB setup class; released when the object dies.
class UsbDeviceSet {
public:
    virtual ~UsbDeviceSet() = default;
    virtual bool has_device(std::size_t index) = 0;
    virtual bool read_description(std::size_t index, std::wstring& description) = 0;
    virtual bool remove_device(std::size_t index) = 0;
};

enum class ShellFormatOutcome { library_missing, entry_missing, called };

// Message-box styles and answers, with the platform's values.
constexpr unsigned kMessageOkCancelWarning = 0x31;
constexpr unsigned kMessageErrorOk = 0x10;
constexpr int kAnswerOk = 1;
constexpr int kAnswerCancel = 2;

class Platform {
public:
    virtual ~Platform() = default;

    // Drives and devices.
    virtual uint32_t logical_drive_mask() = 0;
    // The shell's display name of a drive root; false when the shell gives none.
    virtual bool drive_display_name(const std::wstring& root, std::wstring& name) = 0;
    // Null when the set cannot be had.
    virtual std::unique_ptr<UsbDeviceSet> open_usb_devices() = 0;
    virtual bool volume_total_bytes(const std::wstring& root, uint64_t& total_bytes) = 0;

    // Files and folders. Null when the file cannot be opened.
    virtual std::unique_ptr<File> open_file(const std::wstring& path, FileAccess access,
                                            FileDisposition disposition) = 0;
    // Entries matching a pattern such as "X:\CARD\*.ddd", "." and ".." included
    // where the platform lists them; false when the listing cannot be opened.
    virtual bool list_folder(const std::wstring& pattern, std::vector<FolderEntry>& entries) = 0;
    // Leaves the archive attribute alone: clears read-only, hidden and system.
    virtual bool set_archive_attribute_only(const std::wstring& path) = 0;
    virtual bool delete_file(const std::wstring& path) = 0;
    virtual bool create_folder(const std::wstring& path) = 0;
    virtual bool remove_folder(const std::wstring& path) = 0;
    // Overwrites an existing target.
    virtual bool copy_file(const std::wstring& source, const std::wstring& target) = 0;
    virtual bool path_exists(const std::wstring& path) = 0;
    // The user's temporary folder in its long form; empty on failure.
    virtual std::wstring temp_folder() = 0;
    // Creates an empty file with a unique name in the folder and returns its
    // full path; empty when no file was created.
    virtual std::wstring create_unique_temp_file(const std::wstring& folder,
                                                 const std::wstring& prefix) = 0;

    // User, clock, shell, module.
    virtual int message_box(const std::wstring& text, const std::wstring& caption,
                            unsigned style) = 0;
    virtual SystemTime utc_now() = 0;
    virtual void sleep_ms(unsigned milliseconds) = 0;
    virtual ShellFormatOutcome shell_format(int drive_index) = 0;
    // Full path of the configurator module itself; empty when unknown.
    virtual std::wstring module_path() = 0;
};

}  // namespace lanternbook
