// The platform services with the real Win32 API.
#pragma once

#include <windows.h>

#include <cstddef>
#include <type_traits>

#include "platform/platform.h"

namespace lanternbook::win32 {

// SystemTime has SYSTEMTIME's layout, so that the two are copied whole into each other.
static_assert(std::is_trivially_copyable<SystemTime>::value, "SystemTime is copied as bytes");
static_assert(sizeof(SystemTime) == sizeof(SYSTEMTIME) && offsetof(SystemTime, year) == offsetof(SYSTEMTIME, wYear) &&
                  offsetof(SystemTime, month) == offsetof(SYSTEMTIME, wMonth) &&
                  offsetof(SystemTime, day_of_week) == offsetof(SYSTEMTIME, wDayOfWeek) &&
                  offsetof(SystemTime, day) == offsetof(SYSTEMTIME, wDay) &&
                  offsetof(SystemTime, hour) == offsetof(SYSTEMTIME, wHour) &&
                  offsetof(SystemTime, minute) == offsetof(SYSTEMTIME, wMinute) &&
                  offsetof(SystemTime, second) == offsetof(SYSTEMTIME, wSecond) &&
                  offsetof(SystemTime, milliseconds) == offsetof(SYSTEMTIME, wMilliseconds),
              "SystemTime and SYSTEMTIME differ");

class Win32Platform : public Platform {
public:
    explicit Win32Platform(HMODULE module) : module_(module) {}
    // The window that owns the shell's format dialog.
    void set_owner_window(HWND window) { owner_window_ = window; }

    // FileSystem
    Lookup attributes(const std::wstring& path, uint32_t& attributes) override;
    std::unique_ptr<Folder> open_folder(const std::wstring& path) override;
    // The user's own temporary folder.
    std::unique_ptr<Folder> backup_place(std::wstring& path) override;

    // Volumes
    uint32_t logical_drive_mask() override;
    bool drive_display_name(const std::wstring& root, std::wstring& name) override;
    bool volume_total_bytes(const std::wstring& root, uint64_t& total_bytes) override;
    bool volume_identity(const std::wstring& root, uint32_t& serial_number, std::wstring& label) override;
    bool set_volume_label(const std::wstring& root, const std::wstring& label) override;
    bool is_removable(const std::wstring& root) override;
    std::unique_ptr<UsbDeviceSet> open_usb_devices() override;

    // UserMessages, Clock, ShellFormat
    int message_box(const std::wstring& text, const std::wstring& caption, unsigned style) override;
    SystemTime utc_now() override;
    void sleep_ms(unsigned milliseconds) override;
    uint64_t ticks_ms() override;
    ShellFormatOutcome shell_format(int drive_index) override;
    std::wstring module_path() override;

private:
    // The user's temporary folder in its long form; empty on failure.
    static std::wstring temp_folder();

    HMODULE module_;
    HWND owner_window_ = nullptr;
};

}  // namespace lanternbook::win32
