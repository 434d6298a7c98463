// The command line and the real dialog on the same emulated key: what `set`
// wrote, the dialog shows, and its Save on the untouched choices writes the
// same bytes again. The cli_set_* groups follow a native `lanternbook set`
// run on the key's folder before the group starts (see cmake/cli.cmake);
// the cli_exe_* groups run lanternbook.exe themselves.
#include <windows.h>

#include <string>
#include <vector>

#include "e2e/harness.h"
#include "resources/resource.h"

using namespace e2e;

namespace {

struct ExpectedView {
    std::vector<int> checked;
    std::vector<int> unchecked;
    std::wstring days;
    WORD from_year, from_month, from_day;
    WORD till_year, till_month, till_day;
};

void check_view(HWND dialog, const ExpectedView& expected) {
    expect_checks(dialog, expected.checked, expected.unchecked, "after set");
    check_text(text_of(dialog, IDC_DAYS_EDIT), expected.days, "days");
    expect_picker_date(dialog, IDC_FROM_DATE, expected.from_year, expected.from_month, expected.from_day,
                       "From picker");
    expect_picker_date(dialog, IDC_TILL_DATE, expected.till_year, expected.till_month, expected.till_day,
                       "Till picker");
    check_text(text_of(dialog, IDC_SERIAL_VALUE), L"QVX/05/4660", "serial number");
}

// Opens the dialog, checks what it shows, saves without a change and checks
// that the bytes did not change.
void shown_and_saved_again(Dll& dll, const ExpectedView& expected) {
    const std::vector<uint8_t> written = read_file(kKeyConfig);
    check(written.size() == 32, "CONFIG holds 32 bytes after set");
    const RunResult result = run_dialog(dll, "0", {on_dialog([&expected](HWND dialog) {
                                                       check_view(dialog, expected);
                                                       click(dialog, IDC_SAVE);
                                                   })});
    check(result.all_steps_ran && result.load_result == 0, "the dialog ran and ended with Save");
    check_bytes(read_file(kKeyConfig), written, "the dialog's Save writes what set wrote");
}

}  // namespace

// After: set --data activities,technical-data --period last:45 --range-button on
E2E_GROUP(cli_set_last_days) {
    shown_and_saved_again(dll, {{IDC_ACTIVITIES, IDC_TECHNICAL_DATA, IDC_LAST_DAYS, IDC_RANGE_BUTTON},
                                {IDC_EVENTS_FAULTS, IDC_DETAILED_SPEED, IDC_CARD_VIA_TACHO, IDC_EVERYTHING,
                                 IDC_SINCE_LAST, IDC_FROM_TILL},
                                L"45",
                                2026, 11, 2, 2026, 11, 30});
}

// After: set --data driver-card-via-tachograph --period from:2025-03-10..2025-04-20
E2E_GROUP(cli_set_card_from_till) {
    shown_and_saved_again(dll, {{IDC_CARD_VIA_TACHO, IDC_FROM_TILL},
                                {IDC_ACTIVITIES, IDC_EVENTS_FAULTS, IDC_DETAILED_SPEED, IDC_TECHNICAL_DATA,
                                 IDC_EVERYTHING, IDC_SINCE_LAST, IDC_LAST_DAYS, IDC_RANGE_BUTTON},
                                L"14",
                                2025, 3, 10, 2025, 4, 20});
}

// lanternbook.exe itself on drive K:.
E2E_GROUP(cli_exe_one_key) {
    const ProgramResult found = run_program(L"find");
    check(found.exit_code == 0, "find exits 0");
    check(found.out == "K:\\\n", "find prints K:\\ alone, got: " + found.out);

    const ProgramResult set = run_program(L"set --data events-and-faults,detailed-speed --period since-last");
    check(set.exit_code == 0, "set on the one key attached exits 0: " + set.out);
    const ProgramResult refused = run_program(L"set --key K:\\ --period last:200");
    check(refused.exit_code == 1, "a day count past 180 is refused with exit code 1");
    // The system's reason, on the same line, without its line break.
    const ProgramResult unread = run_program(L"set --key K:\\ --from K:\\none.json");
    const std::string named = "lanternbook set: K:\\none.json: cannot be read: ";
    check(unread.exit_code == 3 && unread.out.rfind(named, 0) == 0 && unread.out.size() > named.size() + 1 &&
              unread.out.find('\n') == unread.out.size() - 1,
          "a file that cannot be read is named with the system's reason, got: " + unread.out);
    shown_and_saved_again(dll, {{IDC_EVENTS_FAULTS, IDC_DETAILED_SPEED, IDC_SINCE_LAST},
                                {IDC_ACTIVITIES, IDC_TECHNICAL_DATA, IDC_CARD_VIA_TACHO, IDC_EVERYTHING,
                                 IDC_LAST_DAYS, IDC_FROM_TILL, IDC_RANGE_BUTTON},
                                L"14",
                                2026, 11, 2, 2026, 11, 30});

    const ProgramResult erased = run_program(L"erase --yes");
    check(erased.exit_code == 0 && erased.out == "deleted 4 downloads from K:\\\n",
          "erase --yes deletes the four downloads, got: " + erased.out);
    check(file_exists(L"K:\\CARD\\readme.txt"), "erase keeps what is no download");
    check(!file_exists(L"K:\\TACHO\\M_20261102_0715_VEHICLE1.esm"), "erase deletes the .esm download");
}

// Two keys: find lists both, and a command without --key refuses.
E2E_GROUP(cli_exe_two_keys) {
    const ProgramResult found = run_program(L"find");
    check(found.exit_code == 0 && found.out == "E:\\\nG:\\\n", "find lists E:\\ and G:\\, got: " + found.out);
    check(std::wstring(dll.find_device()) == L"E:\\", "the DLL's find_device gives the first key find lists");
    const ProgramResult shown = run_program(L"show");
    check(shown.exit_code == 1, "show without --key refuses with two keys");
    check(shown.out.find("2 keys attached; name one with --key:\n  E:\\\n  G:\\\n") != std::string::npos,
          "the refusal lists both keys, one a line, got: " + shown.out);
    const ProgramResult named = run_program(L"show --json --key G:\\");
    check(named.exit_code == 0 && named.out.find("\"serial_number\": \"QVX/05/4660\"") != std::string::npos,
          "show --key G:\\ reads that key, got: " + named.out);
}
