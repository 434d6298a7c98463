#include "platform/win32/win32_platform.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <winternl.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <vector>

#include "platform/win32/handles.h"
#include "text/text_utils.h"

// ntdll's listing of a folder by its handle, which MinGW's winternl.h leaves out.
extern "C" NTSTATUS NTAPI NtQueryDirectoryFile(HANDLE file, HANDLE event, PIO_APC_ROUTINE apc_routine,
                                               PVOID apc_context, PIO_STATUS_BLOCK io, PVOID buffer, ULONG length,
                                               FILE_INFORMATION_CLASS information_class, BOOLEAN single_entry,
                                               PUNICODE_STRING mask, BOOLEAN restart_scan);

namespace lanternbook::win32 {
namespace {

// The USB device setup class.
const GUID kUsbClassGuid = {0x36FC9E60, 0xC465, 0x11CF, {0x80, 0x56, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
constexpr DWORD kDescriptionBufferBytes = 1024;
constexpr DWORD kTempPathRoom = 1024;
constexpr UINT kFormatIdDefault = 0xFFFF;
constexpr DWORD kFinalPathRoom = 1024;
// The longest name of one entry.
constexpr std::size_t kLongestName = 255;
constexpr ULONG kListingBytes = 64 * 1024;
// Room for an object's name: far past MAX_PATH, within one page of stack.
constexpr std::size_t kLongestObjectName = 1900;
constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// "Local\", where a folder lock's name starts.
constexpr std::ptrdiff_t kLockNamespace = 6;
constexpr ACCESS_MASK kFolderAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
// ntdll's answers at the end of a listing, and for a pattern nothing matches.
constexpr NTSTATUS kNoMoreFiles = static_cast<NTSTATUS>(0x80000006UL);
constexpr NTSTATUS kNoSuchFile = static_cast<NTSTATUS>(0xC000000FUL);
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

// True on success; otherwise the thread's last error tells why, as after a Win32 call.
bool succeeded(NTSTATUS status) {
    if (status < 0) {
        ::SetLastError(::RtlNtStatusToDosError(status));
        return false;
    }
    return true;
}

// False, the last error saying so, for what proved to be other than what was asked for.
bool refused() {
    ::SetLastError(ERROR_CANT_ACCESS_FILE);
    return false;
}

// Names the system compares without regard to case; non-ASCII letters of
// another case make another name here, which only ever refuses.
bool same_text(const std::wstring& one, const std::wstring& other) { return to_upper_ascii(one) == to_upper_ascii(other); }

std::wstring joined(const std::wstring& folder, const std::wstring& name) {
    return folder.back() == L'\\' ? folder + name : folder + L"\\" + name;
}

// One name of a folder, never a path, a stream or a step up.
bool plain_name(const std::wstring& name) {
    bool plain = !name.empty() && name.size() <= kLongestName && name != L"." && name != L"..";
    for (const wchar_t c : name) {
        plain = plain && c != L'\\' && c != L'/' && c != L':';
    }
    if (!plain) {
        ::SetLastError(ERROR_INVALID_NAME);
    }
    return plain;
}

DWORD desired_access(FileAccess access) {
    switch (access) {
        case FileAccess::read: return GENERIC_READ;
        case FileAccess::write: return GENERIC_WRITE | DELETE;
        case FileAccess::read_write: return GENERIC_READ | GENERIC_WRITE | DELETE;
        case FileAccess::read_entry: return GENERIC_READ | FILE_WRITE_ATTRIBUTES | DELETE;
        case FileAccess::append: return FILE_APPEND_DATA | FILE_READ_ATTRIBUTES;
        case FileAccess::entry: break;
    }
    return FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | DELETE;
}

// `name` opened relative to the folder `folder`, whatever its path leads to
// by now. A link opens as itself where the system can; Wine opens what it
// leads to, which the opened handle's name then gives away.
bool open_in(HANDLE folder, const std::wstring& name, ACCESS_MASK access, ULONG share, ULONG disposition,
             ULONG options, FileHandle& opened) {
    UNICODE_STRING text{};
    text.Buffer = const_cast<wchar_t*>(name.c_str());
    text.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    text.MaximumLength = text.Length;
    OBJECT_ATTRIBUTES object{};
    object.Length = sizeof object;
    object.RootDirectory = folder;
    object.ObjectName = &text;
    object.Attributes = OBJ_CASE_INSENSITIVE;
    IO_STATUS_BLOCK io{};
    HANDLE handle = nullptr;
    if (!succeeded(::NtCreateFile(&handle, access | SYNCHRONIZE, &object, &io, nullptr, FILE_ATTRIBUTE_NORMAL, share,
                                  disposition, options | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT,
                                  nullptr, 0))) {
        return false;
    }
    opened.reset(handle);
    return true;
}

bool basic_attributes(HANDLE handle, ULONG& attributes) {
    FILE_BASIC_INFORMATION info{};
    IO_STATUS_BLOCK io{};
    if (!succeeded(::NtQueryInformationFile(handle, &io, &info, sizeof info, FileBasicInformation))) {
        return false;
    }
    attributes = info.FileAttributes;
    return true;
}

bool set_information(HANDLE handle, void* info, ULONG size, FILE_INFORMATION_CLASS kind) {
    IO_STATUS_BLOCK io{};
    return succeeded(::NtSetInformationFile(handle, &io, info, size, kind));
}

// Times left zero stay as they are; so would attributes of zero, which is why they become NORMAL.
bool set_basic_attributes(HANDLE handle, ULONG attributes) {
    FILE_BASIC_INFORMATION info{};
    info.FileAttributes = attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
    return set_information(handle, &info, sizeof info, FileBasicInformation);
}

// The entry goes when its last handle closes.
bool set_deleted(HANDLE handle) {
    FILE_DISPOSITION_INFORMATION info{};
    info.DoDeleteFile = TRUE;
    return set_information(handle, &info, sizeof info, FileDispositionInformation);
}

// The system's own name of an open handle: "\??\K:\CARD" under Wine,
// "\Device\HarddiskVolume5\CARD" on Windows; empty when it gives none.
// Unlike the final path, it is had past MAX_PATH under Wine too.
std::wstring object_name(HANDLE handle) {
    union {
        OBJECT_NAME_INFORMATION info;
        wchar_t room[kLongestObjectName];  // cppcheck-suppress unusedStructMember ; where the name goes
    } name{};
    ULONG length = 0;
    if (!succeeded(::NtQueryObject(handle, ObjectNameInformation, &name, sizeof name, &length))) {
        return std::wstring();
    }
    return std::wstring(name.info.Name.Buffer, name.info.Name.Length / sizeof(wchar_t));
}

// The final path of an open handle, without the "\\?\" prefix; empty when
// the system gives none.
std::wstring final_path_of(HANDLE handle) {
    wchar_t final_path[kFinalPathRoom];
    const DWORD length =
        ::GetFinalPathNameByHandleW(handle, final_path, kFinalPathRoom, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0 || length >= kFinalPathRoom) {
        return std::wstring();
    }
    std::wstring path(final_path, length);
    if (path.compare(0, 4, L"\\\\?\\") == 0) {
        path.erase(0, 4);
    }
    return path;
}

// A held folder's handle and what it was checked to be.
struct HeldFolder {
    FileHandle handle;
    std::wstring path;  // as checked, "K:\CARD"
    std::wstring name;  // the system's name of it when it was checked
    uint32_t serial = 0;
    bool serial_known = false;
    unsigned owners = 1;

    // Asked once: the question costs Wine more than all the rest of an open.
    bool volume_serial(uint32_t& volume_serial) {
        BY_HANDLE_FILE_INFORMATION info{};
        if (!serial_known && ::GetFileInformationByHandle(handle.get(), &info) != FALSE) {
            serial = info.dwVolumeSerialNumber;
            serial_known = true;
        }
        volume_serial = serial;
        return serial_known;
    }
};

// One owner's share of a held folder: the folder object's, or a file's
// opened in it, which may outlive the folder object. The last one frees it.
class FolderShare {
public:
    explicit FolderShare(HeldFolder* held) : held_(held) {}
    FolderShare(const FolderShare& other) : held_(other.held_) {
        if (held_ != nullptr) {
            ++held_->owners;
        }
    }
    FolderShare& operator=(const FolderShare&) = delete;
    FolderShare(FolderShare&&) = delete;
    FolderShare& operator=(FolderShare&&) = delete;
    ~FolderShare() {
        if (held_ != nullptr && --held_->owners == 0) {
            delete held_;
        }
    }
    HeldFolder* operator->() const { return held_; }

private:
    HeldFolder* held_;
};

class Win32File : public File {
public:
    // `folder` is the held folder it was opened in.
    Win32File(FileHandle handle, const FolderShare& folder) : handle_(std::move(handle)), folder_(folder) {}

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
    // It was opened only once the system named it as the very entry of its
    // held folder, and a move keeps it there.
    FilePlace location(uint32_t& /*volume_serial*/, std::wstring& /*path*/) override { return FilePlace::not_linked; }
    bool set_attributes(uint32_t attributes) override { return set_basic_attributes(handle_.get(), attributes); }
    bool replace(const std::wstring& target) override { return rename(target, TRUE); }
    bool move_to(const std::wstring& name) override { return rename(name, FALSE); }
    bool remove() override { return set_deleted(handle_.get()); }
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
    // `target` is a name in the file's own folder, or a path whose last part
    // is taken: the file gets it in that very folder.
    bool rename(const std::wstring& target, BOOLEAN replacing) {
        const std::wstring name = target.substr(target.find_last_of(L'\\') + 1);
        if (!plain_name(name)) {
            return false;
        }
        union {
            FILE_RENAME_INFORMATION info;
            // cppcheck-suppress unusedStructMember ; where the name goes
            wchar_t room[sizeof(FILE_RENAME_INFORMATION) / sizeof(wchar_t) + kLongestName];
        } rename{};
        rename.info.ReplaceIfExists = replacing;
        rename.info.RootDirectory = folder_->handle.get();
        rename.info.FileNameLength = static_cast<ULONG>(name.size()) * static_cast<ULONG>(sizeof(wchar_t));
        std::memcpy(rename.info.FileName, name.data(), rename.info.FileNameLength);
        return set_information(handle_.get(), &rename, sizeof rename, FileRenameInformation);
    }
    FileHandle handle_;
    FolderShare folder_;
};

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

class Win32Folder;

// A folder's handle made a held folder: a real folder, no link, which the
// system names `expected` when that is given. Null, the last error saying
// why, otherwise; the handle stays with the caller then.
std::unique_ptr<Win32Folder> hold(FileHandle& handle, std::wstring path, const std::wstring& expected);

// A folder held by its handle; everything is done relative to that handle,
// so in that very folder, and each entry opened in it must prove, by the
// name the system gives its handle, to be that very entry. Checked once
// when opened: a real folder, reached through no link.
class Win32Folder : public Folder {
public:
    explicit Win32Folder(const FolderShare& held) : held_(held) {}

    Lookup list(const std::wstring& pattern, std::vector<FolderEntry>& entries) override {
        entries.clear();
        // A listing handle keeps the first pattern it was given: one of its own each time.
        FileHandle listing;
        if (!open_in(held_->handle.get(), std::wstring(), FILE_LIST_DIRECTORY, kShareAll, FILE_OPEN,
                     FILE_DIRECTORY_FILE, listing)) {
            return Lookup::failed;
        }
        // "*.*" is every name, as FindFirstFileW takes it.
        const bool every = pattern == L"*.*";
        UNICODE_STRING mask{};
        mask.Buffer = const_cast<wchar_t*>(every ? L"*" : pattern.c_str());
        mask.Length = static_cast<USHORT>((every ? 1 : pattern.size()) * sizeof(wchar_t));
        mask.MaximumLength = mask.Length;
        std::vector<uint8_t> buffer(kListingBytes);
        for (BOOLEAN first = TRUE;; first = FALSE) {
            IO_STATUS_BLOCK io{};
            const NTSTATUS status = ::NtQueryDirectoryFile(listing.get(), nullptr, nullptr, nullptr, &io, buffer.data(),
                                                           kListingBytes, FileDirectoryInformation, FALSE, &mask, first);
            if (status == kNoMoreFiles || status == kNoSuchFile) {
                break;
            }
            if (!succeeded(status)) {
                return Lookup::failed;
            }
            for (std::size_t offset = 0;;) {
                const auto* const entry = reinterpret_cast<const FILE_DIRECTORY_INFORMATION*>(buffer.data() + offset);
                const std::size_t units = entry->FileNameLength / sizeof(wchar_t);
                const wchar_t* const name = entry->FileName;
                // "." and "..".
                if (name[0] != L'.' || units > 2 || (units == 2 && name[1] != L'.')) {
                    entries.push_back(FolderEntry{std::wstring(name, units), entry->FileAttributes});
                }
                if (entry->NextEntryOffset == 0) {
                    break;
                }
                offset += entry->NextEntryOffset;
            }
        }
        return entries.empty() ? Lookup::missing : Lookup::found;
    }
    Lookup attributes(const std::wstring& name, uint32_t& attributes) override {
        FileHandle entry;
        if (!plain_name(name)) {
            return Lookup::failed;
        }
        if (!open_in(held_->handle.get(), name, FILE_READ_ATTRIBUTES, kShareAll, FILE_OPEN, 0, entry)) {
            return lookup_failure();
        }
        ULONG found = kAttributeArchive | kAttributeDevice;
        if (::GetFileType(entry.get()) == FILE_TYPE_DISK && !basic_attributes(entry.get(), found)) {
            return Lookup::failed;
        }
        // Under Wine a link opens as what it leads to: only its name gives it away.
        if (!is_named(entry.get(), name)) {
            found |= kAttributeLink;
        }
        attributes = found;
        return Lookup::found;
    }
    std::unique_ptr<File> open_file(const std::wstring& name, FileAccess access, FileDisposition disposition) override {
        const ACCESS_MASK desired = desired_access(access) | FILE_READ_ATTRIBUTES;
        constexpr ULONG kShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
        FileHandle file;
        if (!plain_name(name)) {
            return nullptr;
        }
        // Made only where nothing is, a dangling link included: never by FILE_OPEN_IF.
        bool made = disposition == FileDisposition::create_new;
        for (bool opened = false; !opened;) {
            opened = open_in(held_->handle.get(), name, desired, kShare, made ? FILE_CREATE : FILE_OPEN,
                             FILE_NON_DIRECTORY_FILE, file);
            if (!opened && (made || disposition != FileDisposition::open_always || ::GetLastError() != ERROR_FILE_NOT_FOUND)) {
                return nullptr;
            }
            made = made || !opened;
        }
        ULONG shown = 0;
        if (!is_named(file.get(), name) || ::GetFileType(file.get()) != FILE_TYPE_DISK ||
            !basic_attributes(file.get(), shown) || (shown & kNoFile) != 0) {
            // What was made here is ours to take back.
            if (made) {
                static_cast<void>(set_deleted(file.get()));
            }
            static_cast<void>(refused());
            return nullptr;
        }
        return std::make_unique<Win32File>(std::move(file), held_);
    }
    // attributes() tells a link by the name its opened handle has, too.
    bool leads_elsewhere(const std::wstring& name) override {
        uint32_t shown = 0;
        return attributes(name, shown) == Lookup::found && (shown & kAttributeLink) != 0;
    }
    std::unique_ptr<Folder> open_folder(const std::wstring& name) override { return folder_in(name, FILE_OPEN); }
    std::unique_ptr<Folder> create_folder(const std::wstring& name) override { return folder_in(name, FILE_CREATE); }
    bool delete_file(const std::wstring& name) override {
        return remove_entry(name, FILE_NON_DIRECTORY_FILE);
    }
    bool remove_folder(const std::wstring& name) override { return remove_entry(name, FILE_DIRECTORY_FILE); }
    FilePlace location(uint32_t& volume_serial, std::wstring& path) override {
        path = final_path_of(held_->handle.get());
        return !path.empty() && held_->volume_serial(volume_serial) ? FilePlace::told : FilePlace::unknown;
    }
    bool on_same_volume(Folder& other) override {
        uint32_t mine = 0;
        uint32_t theirs = 0;
        std::wstring path;
        return !held_->volume_serial(mine) || other.location(theirs, path) != FilePlace::told || mine == theirs;
    }
    // The user's own temporary folder is the user's alone.
    bool private_to_user() override { return true; }
    std::unique_ptr<FolderLock> lock(unsigned wait_ms) override {
        // Keyed by the name the system gave the folder when it was checked,
        // in any case; an object's name holds no backslash past its namespace.
        std::wstring name = L"Local\\lanternbook-" + to_upper_ascii(held_->name);
        std::replace(name.begin() + kLockNamespace, name.end(), L'\\', L'/');
        HANDLE mutex = ::CreateMutexW(nullptr, FALSE, name.c_str());
        if (mutex == nullptr) {
            return nullptr;
        }
        // An owner that ended without letting go leaves the mutex abandoned: taken all the same.
        const DWORD waited = ::WaitForSingleObject(mutex, wait_ms);
        if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
            ::CloseHandle(mutex);
            ::SetLastError(ERROR_LOCK_VIOLATION);
            return nullptr;
        }
        return std::make_unique<Win32FolderLock>(mutex);
    }

private:
    // Folders, links, pipes and devices are no files.
    static constexpr ULONG kNoFile = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;

    // Whether the system names the open `entry` as this folder's entry `name`.
    bool is_named(HANDLE entry, const std::wstring& name) {
        return same_text(object_name(entry), joined(held_->name, name));
    }
    // The folder `name` opened or made (`disposition`), held.
    // No DELETE access, ever: a held folder with it would refuse every
    // listing by another handle that does not share deletion, as
    // FindFirstFileW's does. A folder made here that proves to be elsewhere
    // stays, empty, for the backups' own clearing.
    std::unique_ptr<Folder> folder_in(const std::wstring& name, ULONG disposition) {
        FileHandle folder;
        if (!plain_name(name) ||
            !open_in(held_->handle.get(), name, kFolderAccess, kShareAll, disposition, FILE_DIRECTORY_FILE, folder)) {
            return nullptr;
        }
        return hold(folder, joined(held_->path, name), joined(held_->name, name));
    }
    // A file (`kind` FILE_NON_DIRECTORY_FILE) or an empty folder removed
    // through its own handle; never a link, which under Wine would take
    // what it leads to. A read-only one loses that attribute first, and
    // gets it back when it stays.
    bool remove_entry(const std::wstring& name, ULONG kind) {
        FileHandle entry;
        ULONG shown = 0;
        if (!plain_name(name) || !open_in(held_->handle.get(), name, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | DELETE,
                                          kShareAll, FILE_OPEN, kind, entry)) {
            return false;
        }
        // Under Wine a pipe tells no basic information: it stays too.
        if (!is_named(entry.get(), name) || !basic_attributes(entry.get(), shown) ||
            (shown & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) != 0) {
            return refused();
        }
        const bool read_only = (shown & FILE_ATTRIBUTE_READONLY) != 0;
        if (read_only && !set_basic_attributes(entry.get(), shown & ~FILE_ATTRIBUTE_READONLY)) {
            return false;
        }
        if (!set_deleted(entry.get())) {
            if (read_only) {
                const DWORD error = ::GetLastError();
                static_cast<void>(set_basic_attributes(entry.get(), shown));
                ::SetLastError(error);
            }
            return false;
        }
        return ::CloseHandle(entry.release()) != FALSE;
    }

    FolderShare held_;
};

std::unique_ptr<Win32Folder> hold(FileHandle& handle, std::wstring path, const std::wstring& expected) {
    ULONG attributes = 0;
    std::wstring name = object_name(handle.get());
    // A folder, and no link.
    if (!basic_attributes(handle.get(), attributes) ||
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != FILE_ATTRIBUTE_DIRECTORY ||
        name.empty() || (!expected.empty() && !same_text(name, expected))) {
        static_cast<void>(refused());
        return nullptr;
    }
    const FolderShare held(new HeldFolder);
    held->handle = std::move(handle);
    held->path = std::move(path);
    held->name = std::move(name);
    return std::make_unique<Win32Folder>(held);
}

class Win32UsbDeviceSet : public UsbDeviceSet {
public:
    explicit Win32UsbDeviceSet(DeviceInfoSet set) : set_(std::move(set)) {}

    bool has_device(std::size_t index) override { return device_at(index, device_); }
    bool read_description(std::size_t index, std::wstring& description) override {
        if (!device_at(index, device_)) {
            return false;
        }
        // One unit more than the system is offered, so the text always ends.
        wchar_t text[kDescriptionBufferBytes / sizeof(wchar_t) + 1] = {};
        if (::SetupDiGetDeviceRegistryPropertyW(set_.get(), &device_, SPDRP_DEVICEDESC, nullptr,
                                                reinterpret_cast<BYTE*>(text), kDescriptionBufferBytes, nullptr) == FALSE) {
            return false;
        }
        description = text;
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

Lookup Win32Platform::attributes(const std::wstring& path, uint32_t& attributes) {
    const DWORD found = ::GetFileAttributesW(system_path(path).c_str());
    if (found == INVALID_FILE_ATTRIBUTES) {
        return lookup_failure();
    }
    attributes = found;
    return Lookup::found;
}

std::unique_ptr<Folder> Win32Platform::open_folder(const std::wstring& path) {
    const std::wstring expected = folder_form(path);
    FileHandle handle(::CreateFileW(system_path(expected).c_str(), kFolderAccess, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    // Reached through no link at any level: the system's own path for it is the one asked for.
    if (!handle || !same_text(final_path_of(handle.get()), expected)) {
        static_cast<void>(handle && refused());
        return nullptr;
    }
    return hold(handle, expected, std::wstring());
}

std::unique_ptr<Folder> Win32Platform::backup_place(std::wstring& path) {
    path = folder_form(temp_folder());
    return path.empty() ? nullptr : open_folder(path);
}

std::wstring Win32Platform::temp_folder() {
    wchar_t temp[kTempPathRoom];
    const DWORD length = ::GetTempPathW(kTempPathRoom, temp);
    if (length == 0 || length >= kTempPathRoom) {
        return std::wstring();
    }
    // Only the system's own short names hold a tilde; the rest differs from the
    // long form in case at most, which the checks ignore. Asking for the long
    // form costs Wine a listing of every folder on the way.
    if (wcschr(temp, L'~') == nullptr) {
        return std::wstring(temp);
    }
    wchar_t long_form[kTempPathRoom];
    const DWORD long_length = ::GetLongPathNameW(temp, long_form, kTempPathRoom);
    return long_length == 0 || long_length >= kTempPathRoom ? std::wstring(temp) : std::wstring(long_form);
}

bool Win32Platform::volume_identity(const std::wstring& root, uint32_t& serial_number,
                                    std::wstring& label) {
    // A folder below a volume's root is on that volume.
    wchar_t volume_root[MAX_PATH + 1];
    wchar_t name[MAX_PATH + 1];
    DWORD serial = 0;
    if (::GetVolumePathNameW(root.c_str(), volume_root, MAX_PATH + 1) == FALSE ||
        ::GetVolumeInformationW(volume_root, name, MAX_PATH + 1, &serial, nullptr, nullptr, nullptr, 0) == FALSE) {
        return false;
    }
    serial_number = serial;
    label = name;
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
    SystemTime time;
    std::memcpy(static_cast<void*>(&time), &now, sizeof time);
    return time;
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
    wchar_t path[MAX_PATH + 1];
    const DWORD length = ::GetModuleFileNameW(module_, path, MAX_PATH);
    return std::wstring(path, length);
}

}  // namespace lanternbook::win32
