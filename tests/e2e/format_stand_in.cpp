#include "e2e/format_stand_in.h"

#include <winioctl.h>

#include <cstring>

#include "platform/win32/handles.h"

namespace e2e {
namespace {

using lanternbook::win32::FileHandle;

FARPROC g_get_proc_address = nullptr;
FormatDrive g_stand_in = nullptr;

FARPROC WINAPI answer_the_format(HMODULE module, LPCSTR name) {
    if (HIWORD(reinterpret_cast<ULONG_PTR>(name)) != 0 && std::string(name) == "SHFormatDrive") {
        return support::as_farproc(g_stand_in);
    }
    return support::as_function<FARPROC(WINAPI*)(HMODULE, LPCSTR)>(g_get_proc_address)(module, name);
}

// Wine's mount manager, which defines its drives (include/ddk/mountmgr.h).
constexpr DWORD kMountManagerType = 0x6D;
constexpr DWORD kDefineUnixDrive =
    CTL_CODE(kMountManagerType, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
struct UnixDrive {
    ULONG size;
    ULONG type;
    ULONG fs_type;
    DWORD serial;
    ULONGLONG unix_dev;
    WCHAR letter;
    USHORT mount_point_offset;
    USHORT device_offset;
    USHORT label_offset;
};
const wchar_t kWineDrives[] = L"Software\\Wine\\Drives";

// The host's path of key LETTER's folder, which Wine reaches through Z:.
std::string unix_key_folder(wchar_t letter) {
    std::wstring folder = key_folder(letter);
    folder.pop_back();
    std::string path;
    for (std::size_t i = 2; i < folder.size(); ++i) {
        path.push_back(folder[i] == L'\\' ? '/' : static_cast<char>(folder[i]));
    }
    return path;
}

// A drive's type as Wine's registry keeps it; the mount manager writes it
// whenever it defines the drive.
class DriveTypeKept {
public:
    explicit DriveTypeKept(wchar_t letter) : name_{static_cast<wchar_t>(towlower(letter)), L':', L'\0'} {
        DWORD size = sizeof value_;
        existed_ = RegGetValueW(HKEY_LOCAL_MACHINE, kWineDrives, name_, RRF_RT_REG_SZ, nullptr, value_, &size) ==
                   ERROR_SUCCESS;
    }
    ~DriveTypeKept() {
        HKEY drives = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kWineDrives, 0, KEY_SET_VALUE, &drives) != ERROR_SUCCESS) {
            return;
        }
        if (existed_) {
            RegSetValueExW(drives, name_, 0, REG_SZ, reinterpret_cast<const BYTE*>(value_),
                           static_cast<DWORD>((wcslen(value_) + 1) * sizeof(wchar_t)));
        } else {
            RegDeleteValueW(drives, name_);
        }
        RegCloseKey(drives);
    }
    DriveTypeKept(const DriveTypeKept&) = delete;
    DriveTypeKept& operator=(const DriveTypeKept&) = delete;

private:
    wchar_t name_[3];
    wchar_t value_[32] = {};
    bool existed_ = false;
};

BOOL CALLBACK find_message_box(HWND window, LPARAM found_address) {
    if (IsWindowVisible(window) && GetDlgItem(window, kMessageBoxTextId) != nullptr) {
        *reinterpret_cast<HWND*>(found_address) = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

ShellFormatStandIn::ShellFormatStandIn(const Dll& dll, FormatDrive stand_in)
    : patch_(dll.module(), "KERNEL32.dll", "GetProcAddress", support::as_farproc(&answer_the_format)) {
    g_get_proc_address = patch_.original();
    g_stand_in = stand_in;
}

ShellFormatStandIn::~ShellFormatStandIn() { g_stand_in = nullptr; }

bool empty_folder(const std::wstring& folder) {
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool emptied = true;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L".." || name == L".windows-label") {
            continue;
        }
        const std::wstring path = folder + name;
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            emptied = empty_folder(path + L"\\") && RemoveDirectoryW(path.c_str()) && emptied;
        } else {
            emptied = DeleteFileW(path.c_str()) && emptied;
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return emptied;
}

bool format_into_new_volume(wchar_t letter, DWORD new_serial) {
    const wchar_t root[] = {letter, L':', L'\\', L'\0'};
    const UINT type = GetDriveTypeW(root);
    char serial_text[16];
    snprintf(serial_text, sizeof serial_text, "%08lX\n", static_cast<unsigned long>(new_serial));
    if (!empty_folder(root) || !write_file(root + std::wstring(L".windows-serial"), bytes_of(serial_text))) {
        return false;
    }
    const std::string mount_point = unix_key_folder(letter);
    std::vector<char> request(sizeof(UnixDrive) + mount_point.size() + 1, '\0');
    UnixDrive drive{};
    drive.size = static_cast<ULONG>(request.size());
    drive.type = type;
    drive.letter = static_cast<WCHAR>(towlower(letter));
    drive.mount_point_offset = sizeof(UnixDrive);
    std::memcpy(request.data(), &drive, sizeof drive);
    std::memcpy(request.data() + sizeof drive, mount_point.c_str(), mount_point.size());
    const FileHandle manager(CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    const DriveTypeKept kept(letter);
    DWORD returned = 0;
    if (!manager || !DeviceIoControl(manager.get(), kDefineUnixDrive, request.data(),
                                     static_cast<DWORD>(request.size()), nullptr, 0, &returned, nullptr)) {
        return false;
    }
    DWORD serial = 0;
    return GetVolumeInformationW(root, nullptr, 0, &serial, nullptr, nullptr, nullptr, 0) && serial == new_serial;
}

bool message_box_open() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), find_message_box, reinterpret_cast<LPARAM>(&found));
    return found != nullptr;
}

DWORD run_group_alone(const wchar_t* group) {
    wchar_t own_path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, own_path, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(own_path) + L"\" " + group;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(own_path, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return static_cast<DWORD>(-1);
    }
    const FileHandle thread(process.hThread);
    const FileHandle child(process.hProcess);
    WaitForSingleObject(child.get(), 60000);
    DWORD code = static_cast<DWORD>(-1);
    GetExitCodeProcess(child.get(), &code);
    return code;
}

std::vector<std::wstring> backup_folders() {
    std::wstring temp = temp_folder();
    if (!temp.empty() && temp.back() == L'\\') {
        temp.pop_back();
    }
    std::vector<std::wstring> found;
    WIN32_FIND_DATAW entry{};
    HANDLE search = FindFirstFileW((temp + L"\\volkaris*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return found;
    }
    do {
        found.push_back(temp + L"\\" + entry.cFileName);
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return found;
}

bool remove_backup_folder(const std::wstring& folder) {
    return empty_folder(folder + L"\\") && RemoveDirectoryW(folder.c_str()) != FALSE;
}

TempOverride::TempOverride(const std::wstring& folder) {
    for (Saved& saved : saved_) {
        wchar_t value[MAX_PATH] = {};
        const DWORD length = GetEnvironmentVariableW(saved.name, value, MAX_PATH);
        saved.existed = length > 0 && length < MAX_PATH;
        saved.value = value;
        SetEnvironmentVariableW(saved.name, folder.c_str());
    }
}

TempOverride::~TempOverride() {
    for (const Saved& saved : saved_) {
        SetEnvironmentVariableW(saved.name, saved.existed ? saved.value.c_str() : nullptr);
    }
}

}  // namespace e2e
