// What a format does around the DLL, stood in for under Wine: the shell's
// format answered by the driver, the new volume a format leaves, another
// process of the driver, and the backup folders a format keeps in the
// temporary folder.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "e2e/harness.h"
#include "support/import_patch.h"

namespace e2e {

// What a format keeps aside and puts back: the key's program files and CONFIG.
inline const std::vector<std::wstring> kKeptFiles = {L"autorun.inf", L"lanternbook.dll", L"ostrevan.exe", L"CONFIG"};

// The shell's format as the DLL calls it.
using FormatDrive = UINT(WINAPI*)(HWND owner, UINT drive, UINT format_id, UINT options);

// The DLL's SHFormatDrive answered by `stand_in` for as long as this lives:
// Wine's own is a stub that returns at once.
class ShellFormatStandIn {
public:
    ShellFormatStandIn(const Dll& dll, FormatDrive stand_in);
    ~ShellFormatStandIn();
    ShellFormatStandIn(const ShellFormatStandIn&) = delete;
    ShellFormatStandIn& operator=(const ShellFormatStandIn&) = delete;
    [[nodiscard]] bool applied() const { return patch_.applied(); }

private:
    support::ImportPatch patch_;
};

// Empties a folder of a key as a format would, leaving the emulated key's
// label file.
[[nodiscard]] bool empty_folder(const std::wstring& folder);

// Key LETTER emptied and made a new volume, as a format leaves it: a new
// serial number, the label the format dialog showed. Wine's mount manager
// is told the drive anew, as its drive configuration does; without that it
// keeps reporting the old serial number for the life of its server.
[[nodiscard]] bool format_into_new_volume(wchar_t letter, DWORD new_serial);

// Whether a message box of this thread is open.
[[nodiscard]] bool message_box_open();

// Runs this driver's group `group` in a process of its own; its exit code.
[[nodiscard]] DWORD run_group_alone(const wchar_t* group);

// Our backup folders in the temporary folder.
[[nodiscard]] std::vector<std::wstring> backup_folders();
// Removes a backup folder and what it holds: the groups share the
// temporary folder, and a backup left there is recovered at the next start.
[[nodiscard]] bool remove_backup_folder(const std::wstring& folder);

// TMP and TEMP pointed elsewhere for as long as it lives.
class TempOverride {
public:
    explicit TempOverride(const std::wstring& folder);
    ~TempOverride();
    TempOverride(const TempOverride&) = delete;
    TempOverride& operator=(const TempOverride&) = delete;

private:
    struct Saved {
        const wchar_t* name;
        bool existed = false;
        std::wstring value;
    };
    Saved saved_[2] = {{L"TMP", false, {}}, {L"TEMP", false, {}}};
};

}  // namespace e2e
