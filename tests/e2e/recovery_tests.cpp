// A format cut short by the host's death, finished by the next start.
#include <windows.h>

#include <string>
#include <vector>

#include "e2e/harness.h"
#include "l10n/texts.h"
#include "resources/resource.h"
#include "support/import_patch.h"

using namespace e2e;
using lanternbook::Text;

namespace {

const std::vector<std::wstring> kKeptFiles = {L"autorun.inf", L"lanternbook.dll", L"ostrevan.exe", L"CONFIG"};

// Empties a folder of the key as a format would, leaving the emulated key's label file.
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

FARPROC g_get_proc_address = nullptr;

// The shell's format empties the key, and the host dies before it returns.
UINT WINAPI format_then_die(HWND, UINT, UINT, UINT) {
    check(empty_folder(kKeyRoot), "the format emptied the key");
    TerminateProcess(GetCurrentProcess(), 3);
    return 0;
}

FARPROC WINAPI answer_the_format(HMODULE module, LPCSTR name) {
    if (HIWORD(reinterpret_cast<ULONG_PTR>(name)) != 0 && std::string(name) == "SHFormatDrive") {
        return support::as_farproc(&format_then_die);
    }
    return support::as_function<FARPROC(WINAPI*)(HMODULE, LPCSTR)>(g_get_proc_address)(module, name);
}

// Our backup folders in the temporary folder.
std::vector<std::wstring> backup_folders() {
    std::vector<std::wstring> found;
    WIN32_FIND_DATAW entry{};
    HANDLE search = FindFirstFileW((temp_folder() + L"\\volkaris*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return found;
    }
    do {
        found.push_back(temp_folder() + L"\\" + entry.cFileName);
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return found;
}

// Runs this driver's group `group` in a process of its own; its exit code.
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
    WaitForSingleObject(process.hProcess, 60000);
    DWORD code = static_cast<DWORD>(-1);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

}  // namespace

// Run by recovery_after_killed_format in a process of its own, which dies in the format.
E2E_GROUP(host_dies_in_format) {
    support::ImportPatch patch(dll.module(), "KERNEL32.dll", "GetProcAddress", support::as_farproc(&answer_the_format));
    check(patch.applied(), "the shell's format is answered by this driver");
    g_get_proc_address = patch.original();
    run_dialog(dll, kEnglish, {
        on_dialog([](HWND dialog) { send_format_command(dialog); }),
        on_message_box([](HWND box) { press(box, IDOK); }),
    });
    check(false, "the host outlived its format");
}

// What the dead host left, listed and put back by lanternbook.exe.
E2E_GROUP(recovery_by_command_line) {
    static_cast<void>(dll);
    std::vector<std::vector<uint8_t>> kept;
    for (const std::wstring& name : kKeptFiles) {
        kept.push_back(read_file(kKeyRoot + name));
    }
    check(run_group_alone(L"host_dies_in_format") == 3, "the host died in the format");
    const ProgramResult listed = run_program(L"recover");
    check(listed.exit_code == 0 && listed.out.find("  key QVX/05/4660, label VOLKARIS") != std::string::npos &&
              listed.out.find(" CONFIG (32 bytes)") != std::string::npos,
          "recover lists the backup with its key and files:\n" + listed.out);
    const ProgramResult put = run_program(L"recover --key K:\\ --yes");
    check(put.exit_code == 0 && starts_with(std::wstring(put.out.begin(), put.out.end()), L"put back 4 files onto K:\\;"),
          "recover --key puts them back:\n" + put.out);
    for (std::size_t i = 0; i < kKeptFiles.size(); ++i) {
        check_bytes(read_file(kKeyRoot + kKeptFiles[i]), kept[i], narrow(kKeptFiles[i]) + " is back as it was");
    }
    check(backup_folders().empty(), "no backup folder is left");
}

// The host died while the key was formatted: the next start asks, puts the
// key's program files and CONFIG back byte for byte, and leaves no backup.
// The label is not in play here: Wine keeps a drive's label for the life of
// its server, whatever SetVolumeLabel is told; the unit sweep covers it.
E2E_GROUP(recovery_after_killed_format) {
    std::vector<std::vector<uint8_t>> kept;
    for (const std::wstring& name : kKeptFiles) {
        kept.push_back(read_file(kKeyRoot + name));
    }
    check(backup_folders().empty(), "no backup folder before the format");
    check(run_group_alone(L"host_dies_in_format") == 3, "the host died in the format");
    check(!file_exists(kKeyConfig), "the key was left without its CONFIG");
    const std::vector<std::wstring> left = backup_folders();
    check(left.size() == 1 && file_exists(left.front() + L"\\BACKUP.REC"), "one backup folder with its record");

    std::wstring asked;
    const RunResult result = run_dialog(dll, kEnglish, {
        on_message_box([&asked](HWND box) {
            asked = text_of(box, kMessageBoxTextId);
            press(box, IDYES);
        }),
        on_dialog([](HWND dialog) {
            check(text_of(dialog, IDC_SERIAL_VALUE) != entry_text(kEnglishLocale, Text::no_data_available),
                  "the dialog opens with the key's CONFIG back");
            cancel(dialog);
        }),
    });
    check(result.all_steps_ran, "the start asked once, then opened the dialog");
    check(starts_with(asked, entry_text(kEnglishLocale, Text::unfinished_put_back) + L"\n"),
          "the start asked to put the key's files back");
    for (std::size_t i = 0; i < kKeptFiles.size(); ++i) {
        check_bytes(read_file(kKeyRoot + kKeptFiles[i]), kept[i], narrow(kKeptFiles[i]) + " is back as it was");
    }
    check(file_exists(kKeyDate), "the key has a DATE again");
    check(backup_folders().empty(), "no backup folder is left");
}
