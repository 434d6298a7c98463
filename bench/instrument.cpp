#include "bench/instrument.h"

#include <setupapi.h>
#include <shellapi.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "bench/clock.h"
#include "bench/open_probe.h"

// The DLL's listing of a folder by its handle, which MinGW's winternl.h leaves out.
extern "C" NTSTATUS NTAPI NtQueryDirectoryFile(HANDLE file, HANDLE event, PIO_APC_ROUTINE apc_routine,
                                               PVOID apc_context, PIO_STATUS_BLOCK io, PVOID buffer, ULONG length,
                                               FILE_INFORMATION_CLASS information_class, BOOLEAN single_entry,
                                               PUNICODE_STRING mask, BOOLEAN restart_scan);

namespace bench {
namespace {

using support::as_farproc;
using support::as_function;

// ---- the four standing wrappers ----

enum StandingSlot { kDialogBoxParam, kSleep, kMessageBox, kEndDialog, kStandingCount };
FARPROC g_standing[kStandingCount] = {};
DllMoments g_moments;

INT_PTR WINAPI standing_dialog_box_param(HINSTANCE instance, LPCWSTR name, HWND owner, DLGPROC procedure, LPARAM parameter) {
    return as_function<decltype(&::DialogBoxParamW)>(g_standing[kDialogBoxParam])(
        instance, name, owner, probe_procedure_for(procedure), parameter);
}

void WINAPI standing_sleep(DWORD milliseconds) {
    const double started = now_ms();
    as_function<decltype(&::Sleep)>(g_standing[kSleep])(milliseconds);
    g_moments.slept_ms += now_ms() - started;
}

int WINAPI standing_message_box(HWND owner, LPCWSTR text, LPCWSTR caption, UINT style) {
    const int answer = as_function<decltype(&::MessageBoxW)>(g_standing[kMessageBox])(owner, text, caption, style);
    g_moments.message_box_returned = now_ms();
    return answer;
}

BOOL WINAPI standing_end_dialog(HWND dialog, INT_PTR result) {
    g_moments.end_dialog_entered = now_ms();
    return as_function<decltype(&::EndDialog)>(g_standing[kEndDialog])(dialog, result);
}

// ---- the profile ----

struct Counter {
    const char* library;
    const char* name;
    FARPROC replacement;
    FARPROC original;
    double spent_ms;
    long calls;
};

bool g_counting = false;
int g_depth = 0;

// Times one outermost call while counting is on.
class Timing {
public:
    explicit Timing(Counter& counter) : counter_(counter), outermost_(g_depth++ == 0) {
        started_ = outermost_ && g_counting ? now_ms() : 0.0;
    }
    Timing(const Timing&) = delete;
    Timing& operator=(const Timing&) = delete;
    ~Timing() {
        --g_depth;
        if (started_ != 0.0) {
            counter_.spent_ms += now_ms() - started_;
            ++counter_.calls;
        }
    }

private:
    Counter& counter_;
    bool outermost_;
    double started_ = 0.0;
};

extern Counter g_counters[];

#define BENCH_TIMED(slot, result, name, parameters, arguments)                             \
    result WINAPI timed_##name parameters {                                                \
        const Timing timing(g_counters[slot]);                                             \
        return as_function<decltype(&::name)>(g_counters[slot].original) arguments;       \
    }

enum ProfileSlot {
    kGetLogicalDrives, kSHGetFileInfoW, kSetupDiGetClassDevsW, kSetupDiEnumDeviceInfo,
    kSetupDiGetDeviceRegistryPropertyW, kSetupDiDestroyDeviceInfoList, kCreateFileW, kReadFile,
    kWriteFile, kCloseHandle, kGetFileSizeEx, kFindFirstFileW, kFindNextFileW, kFindClose,
    kSetFileAttributesW, kDeleteFileW, kGetModuleFileNameW, kGetSystemTime, kSetDlgItemTextW,
    kSetWindowTextW, kSendMessageW, kSendDlgItemMessageW, kPostMessageW, kEnableWindow, kShowWindow,
    kSetWindowPos, kMoveWindow, kLoadImageW, kLoadBitmapW, kTransparentBlt, kGetTextExtentPoint32W,
    kGetDC, kReleaseDC, kBeginPaint, kEndPaint, kGetDlgItemTextW, kDestroyIcon, kSystemParametersInfoW,
    kGetWindowRect, kMapWindowPoints, kGetDlgItem, kCreateCompatibleDC, kDeleteDC, kDeleteObject,
    kSelectObject, kGetObjectW, kNtCreateFile, kNtQueryObject, kNtQueryInformationFile, kNtSetInformationFile,
    kNtQueryDirectoryFile, kGetFileType, kGetFinalPathNameByHandleW, kGetFileInformationByHandle,
    kGetVolumeInformationW, kGetVolumePathNameW, kFlushFileBuffers, kGetWindowTextW, kGetDlgCtrlID,
    kGetSystemMetrics, kGetTempPathW, kGetLongPathNameW, kGetWindow, kProfileCount
};

BENCH_TIMED(kGetLogicalDrives, DWORD, GetLogicalDrives, (), ())
BENCH_TIMED(kSHGetFileInfoW, DWORD_PTR, SHGetFileInfoW,
            (LPCWSTR path, DWORD attributes, SHFILEINFOW* info, UINT size, UINT flags),
            (path, attributes, info, size, flags))
BENCH_TIMED(kSetupDiGetClassDevsW, HDEVINFO, SetupDiGetClassDevsW,
            (const GUID* guid, PCWSTR enumerator, HWND parent, DWORD flags), (guid, enumerator, parent, flags))
BENCH_TIMED(kSetupDiEnumDeviceInfo, BOOL, SetupDiEnumDeviceInfo,
            (HDEVINFO set, DWORD index, PSP_DEVINFO_DATA data), (set, index, data))
BENCH_TIMED(kSetupDiGetDeviceRegistryPropertyW, BOOL, SetupDiGetDeviceRegistryPropertyW,
            (HDEVINFO set, PSP_DEVINFO_DATA data, DWORD property, PDWORD type, PBYTE buffer, DWORD size,
             PDWORD required),
            (set, data, property, type, buffer, size, required))
BENCH_TIMED(kSetupDiDestroyDeviceInfoList, BOOL, SetupDiDestroyDeviceInfoList, (HDEVINFO set), (set))
BENCH_TIMED(kCreateFileW, HANDLE, CreateFileW,
            (LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,
             DWORD flags, HANDLE model),
            (path, access, share, security, disposition, flags, model))
BENCH_TIMED(kReadFile, BOOL, ReadFile,
            (HANDLE file, LPVOID buffer, DWORD size, LPDWORD got, LPOVERLAPPED overlapped),
            (file, buffer, size, got, overlapped))
BENCH_TIMED(kWriteFile, BOOL, WriteFile,
            (HANDLE file, LPCVOID data, DWORD size, LPDWORD put, LPOVERLAPPED overlapped),
            (file, data, size, put, overlapped))
BENCH_TIMED(kCloseHandle, BOOL, CloseHandle, (HANDLE handle), (handle))
BENCH_TIMED(kGetFileSizeEx, BOOL, GetFileSizeEx, (HANDLE file, PLARGE_INTEGER size), (file, size))
BENCH_TIMED(kFindFirstFileW, HANDLE, FindFirstFileW, (LPCWSTR pattern, LPWIN32_FIND_DATAW found),
            (pattern, found))
BENCH_TIMED(kFindNextFileW, BOOL, FindNextFileW, (HANDLE listing, LPWIN32_FIND_DATAW found), (listing, found))
BENCH_TIMED(kFindClose, BOOL, FindClose, (HANDLE listing), (listing))
BENCH_TIMED(kSetFileAttributesW, BOOL, SetFileAttributesW, (LPCWSTR path, DWORD attributes), (path, attributes))
BENCH_TIMED(kDeleteFileW, BOOL, DeleteFileW, (LPCWSTR path), (path))
BENCH_TIMED(kGetModuleFileNameW, DWORD, GetModuleFileNameW, (HMODULE module, LPWSTR path, DWORD size),
            (module, path, size))
BENCH_TIMED(kGetSystemTime, void, GetSystemTime, (LPSYSTEMTIME now), (now))
BENCH_TIMED(kSetDlgItemTextW, BOOL, SetDlgItemTextW, (HWND dialog, int id, LPCWSTR text), (dialog, id, text))
BENCH_TIMED(kSetWindowTextW, BOOL, SetWindowTextW, (HWND window, LPCWSTR text), (window, text))
BENCH_TIMED(kSendMessageW, LRESULT, SendMessageW, (HWND window, UINT message, WPARAM wparam, LPARAM lparam),
            (window, message, wparam, lparam))
BENCH_TIMED(kSendDlgItemMessageW, LRESULT, SendDlgItemMessageW,
            (HWND dialog, int id, UINT message, WPARAM wparam, LPARAM lparam), (dialog, id, message, wparam, lparam))
BENCH_TIMED(kPostMessageW, BOOL, PostMessageW, (HWND window, UINT message, WPARAM wparam, LPARAM lparam),
            (window, message, wparam, lparam))
BENCH_TIMED(kEnableWindow, BOOL, EnableWindow, (HWND window, BOOL enable), (window, enable))
BENCH_TIMED(kShowWindow, BOOL, ShowWindow, (HWND window, int command), (window, command))
BENCH_TIMED(kSetWindowPos, BOOL, SetWindowPos,
            (HWND window, HWND after, int x, int y, int width, int height, UINT flags),
            (window, after, x, y, width, height, flags))
BENCH_TIMED(kMoveWindow, BOOL, MoveWindow, (HWND window, int x, int y, int width, int height, BOOL repaint),
            (window, x, y, width, height, repaint))
BENCH_TIMED(kLoadImageW, HANDLE, LoadImageW,
            (HINSTANCE instance, LPCWSTR name, UINT type, int width, int height, UINT flags),
            (instance, name, type, width, height, flags))
BENCH_TIMED(kLoadBitmapW, HBITMAP, LoadBitmapW, (HINSTANCE instance, LPCWSTR name), (instance, name))
BENCH_TIMED(kTransparentBlt, BOOL, TransparentBlt,
            (HDC target, int x, int y, int width, int height, HDC source, int source_x, int source_y,
             int source_width, int source_height, UINT transparent),
            (target, x, y, width, height, source, source_x, source_y, source_width, source_height, transparent))
BENCH_TIMED(kGetTextExtentPoint32W, BOOL, GetTextExtentPoint32W, (HDC dc, LPCWSTR text, int length, LPSIZE size),
            (dc, text, length, size))
BENCH_TIMED(kGetDC, HDC, GetDC, (HWND window), (window))
BENCH_TIMED(kReleaseDC, int, ReleaseDC, (HWND window, HDC dc), (window, dc))
BENCH_TIMED(kBeginPaint, HDC, BeginPaint, (HWND window, LPPAINTSTRUCT paint), (window, paint))
BENCH_TIMED(kEndPaint, BOOL, EndPaint, (HWND window, const PAINTSTRUCT* paint), (window, paint))
BENCH_TIMED(kGetDlgItemTextW, UINT, GetDlgItemTextW, (HWND dialog, int id, LPWSTR text, int size),
            (dialog, id, text, size))
BENCH_TIMED(kDestroyIcon, BOOL, DestroyIcon, (HICON icon), (icon))
BENCH_TIMED(kSystemParametersInfoW, BOOL, SystemParametersInfoW, (UINT action, UINT number, PVOID data, UINT flags),
            (action, number, data, flags))
BENCH_TIMED(kGetWindowRect, BOOL, GetWindowRect, (HWND window, LPRECT rect), (window, rect))
BENCH_TIMED(kMapWindowPoints, int, MapWindowPoints, (HWND from, HWND to, LPPOINT points, UINT count),
            (from, to, points, count))
BENCH_TIMED(kGetDlgItem, HWND, GetDlgItem, (HWND dialog, int id), (dialog, id))
BENCH_TIMED(kCreateCompatibleDC, HDC, CreateCompatibleDC, (HDC dc), (dc))
BENCH_TIMED(kDeleteDC, BOOL, DeleteDC, (HDC dc), (dc))
BENCH_TIMED(kDeleteObject, BOOL, DeleteObject, (HGDIOBJ object), (object))
BENCH_TIMED(kSelectObject, HGDIOBJ, SelectObject, (HDC dc, HGDIOBJ object), (dc, object))
BENCH_TIMED(kGetObjectW, int, GetObjectW, (HANDLE object, int size, LPVOID data), (object, size, data))

BENCH_TIMED(kNtCreateFile, NTSTATUS, NtCreateFile,
            (PHANDLE handle, ACCESS_MASK access, POBJECT_ATTRIBUTES object, PIO_STATUS_BLOCK io, PLARGE_INTEGER size,
             ULONG attributes, ULONG share, ULONG disposition, ULONG options, PVOID extended, ULONG extended_length),
            (handle, access, object, io, size, attributes, share, disposition, options, extended, extended_length))
BENCH_TIMED(kNtQueryObject, NTSTATUS, NtQueryObject,
            (HANDLE handle, OBJECT_INFORMATION_CLASS kind, PVOID information, ULONG length, PULONG returned),
            (handle, kind, information, length, returned))
BENCH_TIMED(kNtQueryInformationFile, NTSTATUS, NtQueryInformationFile,
            (HANDLE handle, PIO_STATUS_BLOCK io, PVOID information, ULONG length, FILE_INFORMATION_CLASS kind),
            (handle, io, information, length, kind))
BENCH_TIMED(kNtSetInformationFile, NTSTATUS, NtSetInformationFile,
            (HANDLE handle, PIO_STATUS_BLOCK io, PVOID information, ULONG length, FILE_INFORMATION_CLASS kind),
            (handle, io, information, length, kind))
BENCH_TIMED(kNtQueryDirectoryFile, NTSTATUS, NtQueryDirectoryFile,
            (HANDLE handle, HANDLE event, PIO_APC_ROUTINE routine, PVOID context, PIO_STATUS_BLOCK io, PVOID buffer,
             ULONG length, FILE_INFORMATION_CLASS kind, BOOLEAN single, PUNICODE_STRING mask, BOOLEAN restart),
            (handle, event, routine, context, io, buffer, length, kind, single, mask, restart))
BENCH_TIMED(kGetFileType, DWORD, GetFileType, (HANDLE handle), (handle))
BENCH_TIMED(kGetFinalPathNameByHandleW, DWORD, GetFinalPathNameByHandleW,
            (HANDLE handle, LPWSTR path, DWORD size, DWORD flags), (handle, path, size, flags))
BENCH_TIMED(kGetFileInformationByHandle, BOOL, GetFileInformationByHandle,
            (HANDLE handle, LPBY_HANDLE_FILE_INFORMATION information), (handle, information))
BENCH_TIMED(kGetVolumeInformationW, BOOL, GetVolumeInformationW,
            (LPCWSTR root, LPWSTR name, DWORD name_size, LPDWORD serial, LPDWORD longest, LPDWORD flags,
             LPWSTR system, DWORD system_size),
            (root, name, name_size, serial, longest, flags, system, system_size))
BENCH_TIMED(kGetVolumePathNameW, BOOL, GetVolumePathNameW, (LPCWSTR path, LPWSTR volume, DWORD size),
            (path, volume, size))
BENCH_TIMED(kFlushFileBuffers, BOOL, FlushFileBuffers, (HANDLE handle), (handle))
BENCH_TIMED(kGetWindowTextW, int, GetWindowTextW, (HWND window, LPWSTR text, int size), (window, text, size))
BENCH_TIMED(kGetDlgCtrlID, int, GetDlgCtrlID, (HWND window), (window))
BENCH_TIMED(kGetSystemMetrics, int, GetSystemMetrics, (int index), (index))
BENCH_TIMED(kGetWindow, HWND, GetWindow, (HWND window, UINT relation), (window, relation))
BENCH_TIMED(kGetTempPathW, DWORD, GetTempPathW, (DWORD size, LPWSTR path), (size, path))
BENCH_TIMED(kGetLongPathNameW, DWORD, GetLongPathNameW, (LPCWSTR path, LPWSTR long_path, DWORD size),
            (path, long_path, size))

#undef BENCH_TIMED

#define BENCH_COUNTER(library, name) {library, #name, as_farproc(&timed_##name), nullptr, 0.0, 0}

Counter g_counters[kProfileCount] = {
    BENCH_COUNTER("KERNEL32.dll", GetLogicalDrives),
    BENCH_COUNTER("SHELL32.dll", SHGetFileInfoW),
    BENCH_COUNTER("SETUPAPI.dll", SetupDiGetClassDevsW),
    BENCH_COUNTER("SETUPAPI.dll", SetupDiEnumDeviceInfo),
    BENCH_COUNTER("SETUPAPI.dll", SetupDiGetDeviceRegistryPropertyW),
    BENCH_COUNTER("SETUPAPI.dll", SetupDiDestroyDeviceInfoList),
    BENCH_COUNTER("KERNEL32.dll", CreateFileW),
    BENCH_COUNTER("KERNEL32.dll", ReadFile),
    BENCH_COUNTER("KERNEL32.dll", WriteFile),
    BENCH_COUNTER("KERNEL32.dll", CloseHandle),
    BENCH_COUNTER("KERNEL32.dll", GetFileSizeEx),
    BENCH_COUNTER("KERNEL32.dll", FindFirstFileW),
    BENCH_COUNTER("KERNEL32.dll", FindNextFileW),
    BENCH_COUNTER("KERNEL32.dll", FindClose),
    BENCH_COUNTER("KERNEL32.dll", SetFileAttributesW),
    BENCH_COUNTER("KERNEL32.dll", DeleteFileW),
    BENCH_COUNTER("KERNEL32.dll", GetModuleFileNameW),
    BENCH_COUNTER("KERNEL32.dll", GetSystemTime),
    BENCH_COUNTER("USER32.dll", SetDlgItemTextW),
    BENCH_COUNTER("USER32.dll", SetWindowTextW),
    BENCH_COUNTER("USER32.dll", SendMessageW),
    BENCH_COUNTER("USER32.dll", SendDlgItemMessageW),
    BENCH_COUNTER("USER32.dll", PostMessageW),
    BENCH_COUNTER("USER32.dll", EnableWindow),
    BENCH_COUNTER("USER32.dll", ShowWindow),
    BENCH_COUNTER("USER32.dll", SetWindowPos),
    BENCH_COUNTER("USER32.dll", MoveWindow),
    BENCH_COUNTER("USER32.dll", LoadImageW),
    BENCH_COUNTER("USER32.dll", LoadBitmapW),
    BENCH_COUNTER("MSIMG32.DLL", TransparentBlt),
    BENCH_COUNTER("GDI32.dll", GetTextExtentPoint32W),
    BENCH_COUNTER("USER32.dll", GetDC),
    BENCH_COUNTER("USER32.dll", ReleaseDC),
    BENCH_COUNTER("USER32.dll", BeginPaint),
    BENCH_COUNTER("USER32.dll", EndPaint),
    BENCH_COUNTER("USER32.dll", GetDlgItemTextW),
    BENCH_COUNTER("USER32.dll", DestroyIcon),
    BENCH_COUNTER("USER32.dll", SystemParametersInfoW),
    BENCH_COUNTER("USER32.dll", GetWindowRect),
    BENCH_COUNTER("USER32.dll", MapWindowPoints),
    BENCH_COUNTER("USER32.dll", GetDlgItem),
    BENCH_COUNTER("GDI32.dll", CreateCompatibleDC),
    BENCH_COUNTER("GDI32.dll", DeleteDC),
    BENCH_COUNTER("GDI32.dll", DeleteObject),
    BENCH_COUNTER("GDI32.dll", SelectObject),
    BENCH_COUNTER("GDI32.dll", GetObjectW),
    BENCH_COUNTER("ntdll.dll", NtCreateFile),
    BENCH_COUNTER("ntdll.dll", NtQueryObject),
    BENCH_COUNTER("ntdll.dll", NtQueryInformationFile),
    BENCH_COUNTER("ntdll.dll", NtSetInformationFile),
    BENCH_COUNTER("ntdll.dll", NtQueryDirectoryFile),
    BENCH_COUNTER("KERNEL32.dll", GetFileType),
    BENCH_COUNTER("KERNEL32.dll", GetFinalPathNameByHandleW),
    BENCH_COUNTER("KERNEL32.dll", GetFileInformationByHandle),
    BENCH_COUNTER("KERNEL32.dll", GetVolumeInformationW),
    BENCH_COUNTER("KERNEL32.dll", GetVolumePathNameW),
    BENCH_COUNTER("KERNEL32.dll", FlushFileBuffers),
    BENCH_COUNTER("USER32.dll", GetWindowTextW),
    BENCH_COUNTER("USER32.dll", GetDlgCtrlID),
    BENCH_COUNTER("USER32.dll", GetSystemMetrics),
    BENCH_COUNTER("KERNEL32.dll", GetTempPathW),
    BENCH_COUNTER("KERNEL32.dll", GetLongPathNameW),
    BENCH_COUNTER("USER32.dll", GetWindow),
};

#undef BENCH_COUNTER

}  // namespace

Instrument::Instrument(HMODULE dll) {
    const struct {
        const char* library;
        const char* name;
        FARPROC replacement;
        StandingSlot slot;
    } standing[] = {
        {"USER32.dll", "DialogBoxParamW", as_farproc(&standing_dialog_box_param), kDialogBoxParam},
        {"KERNEL32.dll", "Sleep", as_farproc(&standing_sleep), kSleep},
        {"USER32.dll", "MessageBoxW", as_farproc(&standing_message_box), kMessageBox},
        {"USER32.dll", "EndDialog", as_farproc(&standing_end_dialog), kEndDialog},
    };
    for (const auto& wrapper : standing) {
        patches_.push_back(std::make_unique<support::ImportPatch>(dll, wrapper.library, wrapper.name, wrapper.replacement));
        g_standing[wrapper.slot] = patches_.back()->original();
    }
}

Instrument::~Instrument() {
    while (!patches_.empty()) {
        patches_.pop_back();
    }
}

bool Instrument::complete() const {
    return std::all_of(patches_.begin(), patches_.end(),
                       [](const std::unique_ptr<support::ImportPatch>& patch) { return patch->applied(); });
}

DllMoments& Instrument::moments() { return g_moments; }

ImportProfile::ImportProfile(HMODULE dll) {
    for (Counter& counter : g_counters) {
        patches_.push_back(std::make_unique<support::ImportPatch>(dll, counter.library, counter.name, counter.replacement));
        counter.original = patches_.back()->original();
        if (!patches_.back()->applied()) {
            printf("profile: %s is not imported from %s\n", counter.name, counter.library);
        }
    }
}

ImportProfile::~ImportProfile() {
    g_counting = false;
    while (!patches_.empty()) {
        patches_.pop_back();
    }
}

void ImportProfile::reset() {
    for (Counter& counter : g_counters) {
        counter.spent_ms = 0.0;
        counter.calls = 0;
    }
}

void ImportProfile::set_counting(bool counting) { g_counting = counting; }

void ImportProfile::print(const char* title, int operations, double elapsed_ms) {
    std::vector<const Counter*> used;
    double timed_ms = 0.0;
    for (const Counter& counter : g_counters) {
        if (counter.calls > 0) {
            used.push_back(&counter);
            timed_ms += counter.spent_ms;
        }
    }
    std::sort(used.begin(), used.end(),
              [](const Counter* left, const Counter* right) { return left->spent_ms > right->spent_ms; });
    const double per = 1.0 / operations;
    printf("%s: %.3f ms each (%d timed)\n", title, elapsed_ms * per, operations);
    printf("  %-36s %10s %8s %9s\n", "system call", "ms each", "calls", "share");
    for (const Counter* counter : used) {
        printf("  %-36s %10.3f %8.1f %8.1f%%\n", counter->name, counter->spent_ms * per,
               static_cast<double>(counter->calls) * per, 100.0 * counter->spent_ms / elapsed_ms);
    }
    printf("  %-36s %10.3f %8s %8.1f%%\n", "own code and calls not timed", (elapsed_ms - timed_ms) * per, "",
           100.0 * (elapsed_ms - timed_ms) / elapsed_ms);
}

}  // namespace bench
