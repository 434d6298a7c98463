// Owners for the system handles the Win32 layer opens; each closes its handle
// exactly once, when it dies.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <utility>

namespace lanternbook::win32 {

template <typename Handle, typename Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, Traits::invalid())) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset(std::exchange(other.handle_, Traits::invalid()));
        }
        return *this;
    }
    ~UniqueHandle() { reset(); }

    Handle get() const { return handle_; }
    bool valid() const { return handle_ != Traits::invalid(); }
    explicit operator bool() const { return valid(); }
    // Gives the handle up, to be closed by the caller.
    [[nodiscard]] Handle release() { return std::exchange(handle_, Traits::invalid()); }
    void reset(Handle handle = Traits::invalid()) {
        if (valid()) {
            Traits::close(handle_);
        }
        handle_ = handle;
    }

private:
    Handle handle_ = Traits::invalid();
};

struct FileHandleTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE handle) { ::CloseHandle(handle); }
};
struct FindHandleTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE handle) { ::FindClose(handle); }
};
struct DeviceInfoSetTraits {
    static HDEVINFO invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HDEVINFO handle) { ::SetupDiDestroyDeviceInfoList(handle); }
};
struct ModuleTraits {
    static HMODULE invalid() { return nullptr; }
    static void close(HMODULE handle) { ::FreeLibrary(handle); }
};
struct GdiObjectTraits {
    static HGDIOBJ invalid() { return nullptr; }
    static void close(HGDIOBJ handle) { ::DeleteObject(handle); }
};

struct LocalMemoryTraits {
    static HLOCAL invalid() { return nullptr; }
    static void close(HLOCAL memory) { ::LocalFree(memory); }
};

struct IconTraits {
    static HICON invalid() { return nullptr; }
    static void close(HICON handle) { ::DestroyIcon(handle); }
};

using FileHandle = UniqueHandle<HANDLE, FileHandleTraits>;
using FindHandle = UniqueHandle<HANDLE, FindHandleTraits>;
using DeviceInfoSet = UniqueHandle<HDEVINFO, DeviceInfoSetTraits>;
using LibraryHandle = UniqueHandle<HMODULE, ModuleTraits>;
using GdiObject = UniqueHandle<HGDIOBJ, GdiObjectTraits>;
using IconHandle = UniqueHandle<HICON, IconTraits>;
// What the system allocated for us with LocalAlloc, such as FormatMessage's text.
using LocalMemory = UniqueHandle<HLOCAL, LocalMemoryTraits>;

}  // namespace lanternbook::win32
