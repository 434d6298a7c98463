// A format cut short by the host's death, finished by the next start.
#include <windows.h>

#include <string>
#include <vector>

#include "e2e/format_stand_in.h"
#include "e2e/harness.h"
#include "l10n/texts.h"
#include "resources/resource.h"

using namespace e2e;
using lanternbook::Text;

namespace {

// The shell's format empties the key, and the host dies before it returns.
UINT WINAPI format_then_die(HWND, UINT, UINT, UINT) {
    check(empty_folder(kKeyRoot), "the format emptied the key");
    TerminateProcess(GetCurrentProcess(), 3);
    return 0;
}

}  // namespace

// Run by recovery_after_killed_format in a process of its own, which dies in the format.
E2E_GROUP(host_dies_in_format) {
    const ShellFormatStandIn format(dll, &format_then_die);
    check(format.applied(), "the shell's format is answered by this driver");
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
