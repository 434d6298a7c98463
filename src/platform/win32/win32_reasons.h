// The Win32 platform that also tells why its last failed file call failed,
// in the system's words, for lanternbook.exe. The DLL does without it: the
// dialog tells the user in their own language, and the DLL must stay within
// its size bound.
#pragma once

#include "platform/win32/win32_platform.h"

namespace lanternbook::win32 {

class Win32PlatformWithReasons : public Win32Platform {
public:
    using Win32Platform::Win32Platform;

    // Each keeps GetLastError() when it fails, read as soon as the call
    // returns: what runs between the system's call and that (freeing the
    // path's text) leaves the error as it is.
    Lookup attributes(const std::wstring& path, uint32_t& attributes) override;
    // The folders, and what is opened through them, keep their failures here too.
    std::unique_ptr<Folder> open_folder(const std::wstring& path) override;
    std::unique_ptr<Folder> backup_place(std::wstring& path) override;
    // %LOCALAPPDATA%\lanternbook, made when missing.
    std::unique_ptr<Folder> journal_place(std::wstring& path) override;
    // FormatMessage's text for the kept error, without its line break.
    std::wstring failure_reason() override;

private:
    DWORD last_error_ = ERROR_SUCCESS;
};

}  // namespace lanternbook::win32
