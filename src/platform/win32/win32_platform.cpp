#include "platform/win32/win32_platform.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstring>
#include <vector>

#include "platform/win32/handles.h"

namespace lanternbook::win32 {
namespace {

// The USB device setup class.
const GUID kUsbClassGuid = {0x36FC9E60, 0xC465, 0x11CF, {0x80, 0x56, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
constexpr DWORD kDescriptionBufferBytes = 1024;
constexpr DWORD kTempPathRoom = 1024;
constexpr UINT kFormatIdDefault = 0xFFFF;
constexpr DWORD kFinalPathRoom = 1024;
constexpr std::size_t kLongestPath = 32767;

// Paths past the classic limit need the extended form to reach the file system.
std::wstring system_path(const std::wstring& path) {
    if (path.size() < MAX_PATH - 12 || path.compare(0, 4, L"\\\\?\\") == 0 || path.size() < 3 ||
        path[1] != L':' || path[2] != L'\\') {
        return path;
    }
    return L"\\\\?\\" + path;
}

// The drive, "K:", of K:\... or \\?\K:\...; empty for any other path.
std::wstring drive_of(const std::wstring& path) {
    const std::size_t start = path.compare(0, 4, L"\\\\?\\") == 0 ? 4 : 0;
    if (path.size() < start + 3 || path[start + 1] != L':' || path[start + 2] != L'\\') {
        return std::wstring();
    }
    return path.substr(start, 2);
}

class Win32File : public File {
public:
    Win32File(FileHandle handle, std::wstring drive) : handle_(std::move(handle)), drive_(std::move(drive)) {}

    bool read(uint8_t* buffer, std::size_t capacity, std::size_t& bytes_read) override {
        DWORD got = 0;
        const BOOL ok = ::ReadFile(handle_.get(), buffer, static_cast<DWORD>(capacity), &got, nullptr);
        bytes_read = got;
        return ok != FALSE;
    }
    bool write(const uint8_t* data, std::size_t size, std::size_t& bytes_written) override {
        DWORD put = 0;
        const BOOL ok = ::WriteFile(handle_.get(), data, static_cast<DWORD>(size), &put, nullptr);
        bytes_written = put;
        return ok != FALSE && put == size;
    }
    bool flush() override { return ::FlushFileBuffers(handle_.get()) != FALSE; }
    bool truncate() override {
        return ::SetFilePointer(handle_.get(), 0, nullptr, FILE_BEGIN) == 0 && ::SetEndOfFile(handle_.get()) != FALSE;
    }
    bool close() override {
        HANDLE handle = handle_.release();
        return handle == INVALID_HANDLE_VALUE || ::CloseHandle(handle) != FALSE;
    }
    FilePlace location(uint32_t& volume_serial, std::wstring& path) override {
        BY_HANDLE_FILE_INFORMATION info{};
        if (::GetFileInformationByHandle(handle_.get(), &info) == FALSE) {
            return FilePlace::unknown;
        }
        volume_serial = info.dwVolumeSerialNumber;
        std::vector<wchar_t> final_path(kFinalPathRoom, L'\0');
        const DWORD length = ::GetFinalPathNameByHandleW(handle_.get(), final_path.data(), kFinalPathRoom,
                                                         FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length > 0 && length < kFinalPathRoom) {
            path.assign(final_path.data(), length);
            if (path.compare(0, 4, L"\\\\?\\") == 0) {
                path.erase(0, 4);
            }
            return FilePlace::told;
        }
        // Wine gives no final path past MAX_PATH. The path on the volume under
        // the letter it was opened by tells as much, the volume being known.
        return path_on_volume(path) ? FilePlace::told : FilePlace::unknown;
    }
    bool set_attributes(uint32_t attributes) override {
        // Times left zero stay as they are.
        FILE_BASIC_INFO info{};
        info.FileAttributes = attributes;
        return ::SetFileInformationByHandle(handle_.get(), FileBasicInfo, &info, sizeof info) != FALSE;
    }
    bool replace(const std::wstring& target) override {
        // The handle holds this file's volume: a target on another one fails.
        const std::wstring name = system_path(target);
        const std::size_t name_bytes = name.size() * sizeof(wchar_t);
        std::vector<uint8_t> buffer(sizeof(FILE_RENAME_INFO) + name_bytes, 0);
        auto* const rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
        rename->ReplaceIfExists = TRUE;
        rename->FileNameLength = static_cast<DWORD>(name_bytes);
        std::memcpy(rename->FileName, name.data(), name_bytes);
        return ::SetFileInformationByHandle(handle_.get(), FileRenameInfo, rename,
                                            static_cast<DWORD>(buffer.size())) != FALSE;
    }
    bool remove() override {
        FILE_DISPOSITION_INFO disposition{};
        disposition.DeleteFile = TRUE;
        return ::SetFileInformationByHandle(handle_.get(), FileDispositionInfo, &disposition, sizeof disposition) !=
               FALSE;
    }
    bool size(uint64_t& bytes) override {
        LARGE_INTEGER file_size{};
        if (::GetFileSizeEx(handle_.get(), &file_size) == FALSE) {
            return false;
        }
        bytes = static_cast<uint64_t>(file_size.QuadPart);
        return true;
    }

private:
    bool path_on_volume(std::wstring& path) {
        std::vector<uint8_t> buffer(sizeof(FILE_NAME_INFO) + kLongestPath * sizeof(wchar_t), 0);
        auto* const name = reinterpret_cast<FILE_NAME_INFO*>(buffer.data());
        if (drive_.empty() || ::GetFileInformationByHandleEx(handle_.get(), FileNameInfo, name,
                                                             static_cast<DWORD>(buffer.size())) == FALSE) {
            return false;
        }
        path = drive_ + std::wstring(name->FileName, name->FileNameLength / sizeof(wchar_t));
        return true;
    }

    FileHandle handle_;
    std::wstring drive_;
};

class Win32UsbDeviceSet : public UsbDeviceSet {
public:
    explicit Win32UsbDeviceSet(DeviceInfoSet set) : set_(std::move(set)) {}

    bool has_device(std::size_t index) override { return device_at(index, device_); }
    bool read_description(std::size_t index, std::wstring& description) override {
        if (!device_at(index, device_)) {
            return false;
        }
        std::vector<BYTE> buffer(kDescriptionBufferBytes + sizeof(wchar_t), 0);
        if (::SetupDiGetDeviceRegistryPropertyW(set_.get(), &device_, SPDRP_DEVICEDESC, nullptr,
                                                buffer.data(), kDescriptionBufferBytes, nullptr) == FALSE) {
            return false;
        }
        description = reinterpret_cast<const wchar_t*>(buffer.data());
        return true;
    }
    bool remove_device(std::size_t index) override {
        return device_at(index, device_) && ::SetupDiRemoveDevice(set_.get(), &device_) != FALSE;
    }

private:
    bool device_at(std::size_t index, SP_DEVINFO_DATA& device) {
        device = SP_DEVINFO_DATA{};
        device.cbSize = sizeof device;
        return ::SetupDiEnumDeviceInfo(set_.get(), static_cast<DWORD>(index), &device) != FALSE;
    }

    DeviceInfoSet set_;
    SP_DEVINFO_DATA device_{};
};

// Whether the last call failed for want of the thing asked about.
Lookup lookup_failure() {
    switch (::GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_NO_MORE_FILES:
        case ERROR_INVALID_NAME: return Lookup::missing;
        default: return Lookup::failed;
    }
}

}  // namespace

uint32_t Win32Platform::logical_drive_mask() { return ::GetLogicalDrives(); }

bool Win32Platform::drive_display_name(const std::wstring& root, std::wstring& name) {
    SHFILEINFOW info{};
    if (::SHGetFileInfoW(root.c_str(), 0, &info, sizeof info, SHGFI_DISPLAYNAME) == 0) {
        return false;
    }
    info.szDisplayName[MAX_PATH - 1] = L'\0';
    name = info.szDisplayName;
    return true;
}

std::unique_ptr<UsbDeviceSet> Win32Platform::open_usb_devices() {
    DeviceInfoSet set(::SetupDiGetClassDevsW(&kUsbClassGuid, nullptr, nullptr, DIGCF_PRESENT));
    if (!set) {
        return nullptr;
    }
    return std::make_unique<Win32UsbDeviceSet>(std::move(set));
}

bool Win32Platform::volume_total_bytes(const std::wstring& root, uint64_t& total_bytes) {
    ULARGE_INTEGER total{};
    if (::GetDiskFreeSpaceExW(root.c_str(), nullptr, &total, nullptr) == FALSE) {
        return false;
    }
    total_bytes = total.QuadPart;
    return true;
}

std::unique_ptr<File> Win32Platform::open_file(const std::wstring& path, FileAccess access,
                                               FileDisposition disposition) {
    DWORD desired = 0;
    switch (access) {
        case FileAccess::read: desired = GENERIC_READ; break;
        case FileAccess::write: desired = GENERIC_WRITE | DELETE; break;
        case FileAccess::read_write: desired = GENERIC_READ | GENERIC_WRITE; break;
        case FileAccess::entry: desired = FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | DELETE; break;
    }
    const std::wstring system = system_path(path);
    // A link at the end of the path is opened as itself, never as what it leads to.
    const auto open = [&](DWORD creation) {
        return FileHandle(::CreateFileW(system.c_str(), desired, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, creation,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    };
    FileHandle handle = open(disposition == FileDisposition::create_new ? CREATE_NEW : OPEN_EXISTING);
    // Never OPEN_ALWAYS: it would create a file wherever a dangling link leads.
    if (!handle && disposition == FileDisposition::open_always && ::GetLastError() == ERROR_FILE_NOT_FOUND) {
        handle = open(CREATE_NEW);
    }
    // The basic information, not the whole: the volume query it adds costs
    // Wine more than the open itself, and the file's place checks it anyway.
    FILE_BASIC_INFO info{};
    if (!handle || ::GetFileType(handle.get()) != FILE_TYPE_DISK ||
        ::GetFileInformationByHandleEx(handle.get(), FileBasicInfo, &info, sizeof info) == FALSE ||
        (info.FileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
        return nullptr;
    }
    return std::make_unique<Win32File>(std::move(handle), drive_of(path));
}

Lookup Win32Platform::list_folder(const std::wstring& pattern, std::vector<FolderEntry>& entries) {
    entries.clear();
    WIN32_FIND_DATAW found{};
    FindHandle listing(::FindFirstFileW(system_path(pattern).c_str(), &found));
    if (!listing) {
        return lookup_failure();
    }
    do {
        entries.push_back({found.cFileName, found.dwFileAttributes});
    } while (::FindNextFileW(listing.get(), &found) != FALSE);
    return Lookup::found;
}

Lookup Win32Platform::attributes(const std::wstring& path, uint32_t& attributes) {
    const DWORD found = ::GetFileAttributesW(system_path(path).c_str());
    if (found == INVALID_FILE_ATTRIBUTES) {
        return lookup_failure();
    }
    attributes = found;
    return Lookup::found;
}

bool Win32Platform::set_attributes(const std::wstring& path, uint32_t attributes) {
    return ::SetFileAttributesW(system_path(path).c_str(), attributes) != FALSE;
}

bool Win32Platform::file_size(const std::wstring& path, uint64_t& bytes) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (::GetFileAttributesExW(system_path(path).c_str(), GetFileExInfoStandard, &data) == FALSE ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return false;
    }
    bytes = (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    return true;
}

bool Win32Platform::delete_file(const std::wstring& path) {
    return ::DeleteFileW(system_path(path).c_str()) != FALSE;
}

bool Win32Platform::create_folder(const std::wstring& path) {
    return !path.empty() && ::CreateDirectoryW(system_path(path).c_str(), nullptr) != FALSE;
}

bool Win32Platform::remove_folder(const std::wstring& path) {
    return ::RemoveDirectoryW(system_path(path).c_str()) != FALSE;
}

std::wstring Win32Platform::temp_folder() {
    std::vector<wchar_t> temp(kTempPathRoom, L'\0');
    const DWORD length = ::GetTempPathW(kTempPathRoom, temp.data());
    if (length == 0 || length >= kTempPathRoom) {
        return std::wstring();
    }
    std::vector<wchar_t> long_form(kTempPathRoom, L'\0');
    const DWORD long_length = ::GetLongPathNameW(temp.data(), long_form.data(), kTempPathRoom);
    if (long_length == 0 || long_length >= kTempPathRoom) {
        return std::wstring(temp.data());
    }
    return std::wstring(long_form.data());
}

bool Win32Platform::volume_identity(const std::wstring& root, uint32_t& serial_number,
                                    std::wstring& label) {
    // A folder below a volume's root is on that volume.
    std::vector<wchar_t> volume_root(MAX_PATH + 1, L'\0');
    std::vector<wchar_t> name(MAX_PATH + 1, L'\0');
    DWORD serial = 0;
    if (::GetVolumePathNameW(root.c_str(), volume_root.data(), MAX_PATH + 1) == FALSE ||
        ::GetVolumeInformationW(volume_root.data(), name.data(), MAX_PATH + 1, &serial, nullptr, nullptr,
                                nullptr, 0) == FALSE) {
        return false;
    }
    serial_number = serial;
    label = name.data();
    return true;
}

bool Win32Platform::set_volume_label(const std::wstring& root, const std::wstring& label) {
    return ::SetVolumeLabelW(root.c_str(), label.c_str()) != FALSE;
}

bool Win32Platform::is_removable(const std::wstring& root) { return ::GetDriveTypeW(root.c_str()) == DRIVE_REMOVABLE; }

int Win32Platform::message_box(const std::wstring& text, const std::wstring& caption,
                               unsigned style) {
    return ::MessageBoxW(nullptr, text.c_str(), caption.c_str(), style);
}

SystemTime Win32Platform::utc_now() {
    SYSTEMTIME now{};
    ::GetSystemTime(&now);
    return SystemTime{now.wYear, now.wMonth, now.wDayOfWeek, now.wDay,
                      now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

void Win32Platform::sleep_ms(unsigned milliseconds) { ::Sleep(milliseconds); }

uint64_t Win32Platform::ticks_ms() { return ::GetTickCount64(); }

ShellFormatOutcome Win32Platform::shell_format(int drive_index) {
    using FormatDrive = DWORD(WINAPI*)(HWND, UINT, UINT, UINT);
    LibraryHandle shell(::LoadLibraryW(L"shell32.dll"));
    if (!shell) {
        return ShellFormatOutcome::library_missing;
    }
    auto* const entry = ::GetProcAddress(shell.get(), "SHFormatDrive");
    if (entry == nullptr) {
        return ShellFormatOutcome::entry_missing;
    }
    FormatDrive format_drive = nullptr;
    static_assert(sizeof format_drive == sizeof entry, "function pointer sizes differ");
    std::memcpy(&format_drive, &entry, sizeof entry);
    format_drive(owner_window_, static_cast<UINT>(drive_index), kFormatIdDefault, 0);
    return ShellFormatOutcome::called;
}

std::wstring Win32Platform::module_path() {
    std::vector<wchar_t> path(MAX_PATH + 1, L'\0');
    const DWORD length = ::GetModuleFileNameW(module_, path.data(), MAX_PATH);
    if (length == 0) {
        return std::wstring();
    }
    return std::wstring(path.data(), length);
}

}  // namespace lanternbook::win32
