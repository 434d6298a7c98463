#include "platform/win32/win32_platform.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
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
#if defined(LANTERNBOOK_COMMAND_LINE)
// A file time counts 100 ns units from 1601-01-01 UTC.
constexpr int64_t kFileTimeOf1970 = 116444736000000000;
constexpr int64_t kFileTimeUnitsPerSecond = 10000000;
constexpr uint32_t kNanosecondsPerFileTimeUnit = 100;
#endif

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
    bool replace(const std::wstring& target) override { return rename(target, TRUE); }
    bool move_to(const std::wstring& name) override { return rename(name, FALSE); }
    bool remove() override {
        FILE_DISPOSITION_INFO disposition{};
        disposition.DeleteFile = TRUE;
        return ::SetFileInformationByHandle(handle_.get(), FileDispositionInfo, &disposition, sizeof disposition) !=
               FALSE;
    }
#if defined(LANTERNBOOK_COMMAND_LINE)
    // The command line's archive keeps a download's time; the DLL, within its size bound, never asks.
    bool modified_time(FileTime& time) override {
        FILE_BASIC_INFO info{};
        if (::GetFileInformationByHandleEx(handle_.get(), FileBasicInfo, &info, sizeof info) == FALSE) {
            return false;
        }
        const int64_t since_1970 = info.LastWriteTime.QuadPart - kFileTimeOf1970;
        time.seconds = since_1970 / kFileTimeUnitsPerSecond;
        time.nanoseconds = static_cast<uint32_t>(since_1970 % kFileTimeUnitsPerSecond) * kNanosecondsPerFileTimeUnit;
        return since_1970 >= 0;
    }
    bool set_modified_time(const FileTime& time) override {
        // Times left zero stay as they are, and so do attributes.
        FILE_BASIC_INFO info{};
        info.LastWriteTime.QuadPart = kFileTimeOf1970 + time.seconds * kFileTimeUnitsPerSecond +
                                      time.nanoseconds / kNanosecondsPerFileTimeUnit;
        return ::SetFileInformationByHandle(handle_.get(), FileBasicInfo, &info, sizeof info) != FALSE;
    }
#endif
    bool size(uint64_t& bytes) override {
        LARGE_INTEGER file_size{};
        if (::GetFileSizeEx(handle_.get(), &file_size) == FALSE) {
            return false;
        }
        bytes = static_cast<uint64_t>(file_size.QuadPart);
        return true;
    }

private:
    // `target` is a name in the file's own folder, or a path whose last part is taken.
    bool rename(const std::wstring& target, BOOLEAN replacing) {
        std::wstring folder;
        if (path_on_volume(folder)) {
            folder.erase(folder.find_last_of(L'\\') + 1);
        }
        // The handle holds this file's volume: a target on another one fails.
        const std::wstring name = system_path(folder + target.substr(target.find_last_of(L'\\') + 1));
        const std::size_t name_bytes = name.size() * sizeof(wchar_t);
        std::vector<uint8_t> buffer(sizeof(FILE_RENAME_INFO) + name_bytes, 0);
        auto* const rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
        rename->ReplaceIfExists = replacing;
        rename->FileNameLength = static_cast<DWORD>(name_bytes);
        std::memcpy(rename->FileName, name.data(), name_bytes);
        return !folder.empty() && ::SetFileInformationByHandle(handle_.get(), FileRenameInfo, rename,
                                                               static_cast<DWORD>(buffer.size())) != FALSE;
    }
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

// The final path of an open handle, without the "\\?\" prefix; empty when
// the system gives none.
std::wstring final_path_of(HANDLE handle) {
    std::vector<wchar_t> final_path(kFinalPathRoom, L'\0');
    const DWORD length =
        ::GetFinalPathNameByHandleW(handle, final_path.data(), kFinalPathRoom, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0 || length >= kFinalPathRoom) {
        return std::wstring();
    }
    std::wstring path(final_path.data(), length);
    if (path.compare(0, 4, L"\\\\?\\") == 0) {
        path.erase(0, 4);
    }
    return path;
}

std::wstring upper_case(std::wstring text) {
    for (wchar_t& c : text) {
        if (c >= L'a' && c <= L'z') {
            c = static_cast<wchar_t>(c - L'a' + L'A');
        }
    }
    return text;
}

// "K:\CARD" for "K:\CARD\" and "K:\" for "K:\": a folder's path as its final path gives it.
std::wstring folder_form(std::wstring path) {
    if (path.compare(0, 4, L"\\\\?\\") == 0) {
        path.erase(0, 4);
    }
    while (path.size() > 3 && path.back() == L'\\') {
        path.pop_back();
    }
    return path;
}

std::wstring joined(const std::wstring& folder, const std::wstring& name) {
    return folder.back() == L'\\' ? folder + name : folder + L"\\" + name;
}

// A folder handle, opened as itself even when it is a link, checked to be a
// real folder whose final path is `expected`.
FileHandle open_folder_handle(const std::wstring& expected, DWORD access) {
    FileHandle handle(::CreateFileW(system_path(expected).c_str(), access,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    FILE_BASIC_INFO info{};
    if (!handle ||
        ::GetFileInformationByHandleEx(handle.get(), FileBasicInfo, &info, sizeof info) == FALSE ||
        (info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || (info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
        upper_case(final_path_of(handle.get())) != upper_case(folder_form(expected))) {
        return FileHandle();
    }
    return handle;
}

// A 64-bit FNV-1a hash of a text, for a name the system keys objects by.
uint64_t text_hash(const std::wstring& text) {
    constexpr uint64_t kOffset = 1469598103934665603ull;
    constexpr uint64_t kPrime = 1099511628211ull;
    uint64_t hash = kOffset;
    for (const wchar_t c : text) {
        hash = (hash ^ static_cast<uint16_t>(c)) * kPrime;
    }
    return hash;
}

struct MutexTraits {
    static HANDLE invalid() { return nullptr; }
    static void close(HANDLE handle) {
        ::ReleaseMutex(handle);
        ::CloseHandle(handle);
    }
};

// A folder's lock: a named mutex, which the system lets go of when its
// owner ends, however it ends.
class Win32FolderLock : public FolderLock {
public:
    explicit Win32FolderLock(HANDLE mutex) : mutex_(mutex) {}

private:
    UniqueHandle<HANDLE, MutexTraits> mutex_;
};

// A folder held by its handle. What is done inside goes by the checked
// path, and each file or folder opened there must prove, by its final
// path, to be that very entry of this folder.
class Win32Folder : public Folder {
public:
    Win32Folder(Win32Platform& platform, FileHandle handle, std::wstring path)
        : platform_(platform), handle_(std::move(handle)), path_(std::move(path)) {}

    Lookup list(const std::wstring& pattern, std::vector<FolderEntry>& entries) override {
        const Lookup listed = platform_.list_folder(joined(path_, pattern), entries);
        entries.erase(std::remove_if(entries.begin(), entries.end(),
                                     [](const FolderEntry& entry) { return entry.name == L"." || entry.name == L".."; }),
                      entries.end());
        return listed == Lookup::found && entries.empty() ? Lookup::missing : listed;
    }
    Lookup attributes(const std::wstring& name, uint32_t& attributes) override {
        return platform_.attributes(joined(path_, name), attributes);
    }
    std::unique_ptr<File> open_file(const std::wstring& name, FileAccess access, FileDisposition disposition) override {
        const std::wstring path = joined(path_, name);
        std::unique_ptr<File> file = platform_.open_file(path, access, disposition);
        uint32_t serial = 0;
        std::wstring where;
        // Under Wine a link to a file opens as its target; only its final path tells.
        if (!file || file->location(serial, where) != FilePlace::told ||
            upper_case(where) != upper_case(joined(final_path(), name))) {
            if (file && disposition == FileDisposition::create_new) {
                static_cast<void>(file->remove());
            }
            return nullptr;
        }
        return file;
    }
    bool leads_elsewhere(const std::wstring& name) override {
        uint32_t shown = 0;
        if (attributes(name, shown) != Lookup::found) {
            return false;
        }
        if ((shown & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
            return true;
        }
        // Under Wine a link to a file looks like one: its final path tells.
        FileHandle handle(::CreateFileW(system_path(joined(path_, name)).c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        return handle && upper_case(final_path_of(handle.get())) != upper_case(joined(final_path(), name));
    }
    std::unique_ptr<Folder> open_folder(const std::wstring& name) override {
        const std::wstring path = joined(final_path(), name);
        FileHandle handle = open_folder_handle(path, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE);
        if (!handle) {
            return nullptr;
        }
        return std::make_unique<Win32Folder>(platform_, std::move(handle), path);
    }
    std::unique_ptr<Folder> create_folder(const std::wstring& name) override {
        if (!platform_.create_folder(joined(path_, name))) {
            return nullptr;
        }
        return open_folder(name);
    }
    bool delete_file(const std::wstring& name) override {
        std::unique_ptr<File> file = open_file(name, FileAccess::entry, FileDisposition::open_existing);
        return file && file->set_attributes(FILE_ATTRIBUTE_NORMAL) && file->remove() && file->close();
    }
    bool remove_folder(const std::wstring& name) override {
        // A folder link is left: under Wine its removal reaches what it leads to.
        FileHandle handle = open_folder_handle(joined(final_path(), name), DELETE | FILE_READ_ATTRIBUTES |
                                                                              FILE_WRITE_ATTRIBUTES | SYNCHRONIZE);
        FILE_BASIC_INFO basic{};
        basic.FileAttributes = FILE_ATTRIBUTE_DIRECTORY;
        FILE_DISPOSITION_INFO disposition{};
        disposition.DeleteFile = TRUE;
        return handle &&
               ::SetFileInformationByHandle(handle.get(), FileBasicInfo, &basic, sizeof basic) != FALSE &&
               ::SetFileInformationByHandle(handle.get(), FileDispositionInfo, &disposition, sizeof disposition) !=
                   FALSE;
    }
    FilePlace location(uint32_t& volume_serial, std::wstring& path) override {
        BY_HANDLE_FILE_INFORMATION info{};
        path = final_path_of(handle_.get());
        if (path.empty() || ::GetFileInformationByHandle(handle_.get(), &info) == FALSE) {
            return FilePlace::unknown;
        }
        volume_serial = info.dwVolumeSerialNumber;
        return FilePlace::told;
    }
    bool on_same_volume(Folder& other) override {
        uint32_t mine = 0;
        uint32_t theirs = 0;
        std::wstring my_path;
        std::wstring their_path;
        if (location(mine, my_path) != FilePlace::told || other.location(theirs, their_path) != FilePlace::told) {
            return true;
        }
        return mine == theirs || upper_case(my_path.substr(0, 2)) == upper_case(their_path.substr(0, 2));
    }
    // The user's own temporary folder is the user's alone.
    bool private_to_user() override { return true; }
    std::unique_ptr<FolderLock> lock(unsigned wait_ms) override {
        const std::wstring name = L"Local\\lanternbook-folder-" + hex_of(text_hash(upper_case(path_)));
        HANDLE mutex = ::CreateMutexW(nullptr, FALSE, name.c_str());
        if (mutex == nullptr) {
            return nullptr;
        }
        const DWORD waited = ::WaitForSingleObject(mutex, wait_ms);
        if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
            ::CloseHandle(mutex);
            return nullptr;
        }
        return std::make_unique<Win32FolderLock>(mutex);
    }

private:
    static std::wstring hex_of(uint64_t value) {
        std::wstring text(16, L'0');
        for (std::size_t i = 0; i < text.size(); ++i) {
            text[text.size() - 1 - i] = L"0123456789ABCDEF"[(value >> (4 * i)) & 0xF];
        }
        return text;
    }
    // The folder as it is reached now; its path as opened when that is gone.
    std::wstring final_path() {
        const std::wstring now = final_path_of(handle_.get());
        return now.empty() ? path_ : now;
    }

    Win32Platform& platform_;
    FileHandle handle_;
    std::wstring path_;
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
        case FileAccess::read_write: desired = GENERIC_READ | GENERIC_WRITE | DELETE; break;
        case FileAccess::entry: desired = FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | DELETE; break;
        case FileAccess::read_entry: desired = GENERIC_READ | FILE_WRITE_ATTRIBUTES | DELETE; break;
        case FileAccess::append: desired = FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE; break;
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

bool Win32Platform::create_folder(const std::wstring& path) {
    return !path.empty() && ::CreateDirectoryW(system_path(path).c_str(), nullptr) != FALSE;
}

std::unique_ptr<Folder> Win32Platform::open_folder(const std::wstring& path) {
    if (path.size() < 3) {
        return nullptr;
    }
    const std::wstring expected = folder_form(path);
    FileHandle handle = open_folder_handle(expected, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE);
    if (!handle) {
        return nullptr;
    }
    return std::make_unique<Win32Folder>(*this, std::move(handle), expected);
}

std::unique_ptr<Folder> Win32Platform::backup_place(std::wstring& path) {
    path = folder_form(temp_folder());
    return path.empty() ? nullptr : open_folder(path);
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
