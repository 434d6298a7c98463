// The DLL keeps to the key it read: Save and the format touch nothing when
// that key is gone or cannot be backed up, keep what is the key's own in
// CONFIG, and the erase never follows a link off the key.
#include <windows.h>

#include <algorithm>
#include <iterator>
#include <optional>

#include "device/device_drive.h"
#include "e2e/format_stand_in.h"
#include "e2e/harness.h"
#include "e2e/pulled_key.h"
#include "l10n/texts.h"
#include "resources/resource.h"

using namespace e2e;
using lanternbook::Text;
using lanternbook::kConfigFileLength;

namespace {

const std::wstring kConfigName = lanternbook::kConfigFileName;
const std::wstring kHelperName = lanternbook::kConfigHelperFileName;
constexpr std::size_t kDetailedSpeedFlag = 3;
constexpr uint8_t kNo = '0';

// What Save writes over a CONFIG as make-key.sh seeds it, with detailed speed
// unchecked: the dates stored stay, as the pickers showed them.
std::vector<uint8_t> seeded_with_speed_off(std::vector<uint8_t> config) {
    if (config.size() > kDetailedSpeedFlag) {
        config[kDetailedSpeedFlag] = kNo;
    }
    return config;
}

}  // namespace

// Two keys, E: and G:; the dialog reads E:. With E: pulled out, Save must not
// fall back to G: (it would get E:'s settings), not even after another
// command has searched for a key: nothing is written anywhere, the user is
// told, the dialog stays. E: back in, Save writes to E: with E:'s own serial
// number and version.
E2E_GROUP(guard_pulled_beside_other_key) {
    const std::wstring first = key_folder(L'E');
    const std::wstring other = key_folder(L'G');
    DWORD first_serial = 0;
    DWORD other_serial = 0;
    check(GetVolumeInformationW(L"E:\\", nullptr, 0, &first_serial, nullptr, nullptr, nullptr, 0) &&
              GetVolumeInformationW(L"G:\\", nullptr, 0, &other_serial, nullptr, nullptr, nullptr, 0) &&
              first_serial != other_serial,
          "the two keys are told apart by their volume serial numbers");
    // G:'s own serial number and version differ from E:'s.
    std::vector<uint8_t> other_config = read_file(other + kConfigName);
    check(other_config.size() == kConfigFileLength, "G:\\CONFIG seeded");
    if (other_config.size() == kConfigFileLength) {
        const uint8_t other_identity[] = {9, 0x0A, 0x0B, 4, 5, 6, 0};
        std::copy(std::begin(other_identity), std::end(other_identity), other_config.begin() + kIdentityOffset);
    }
    check(write_file(other + kConfigName, other_config), "G:\\CONFIG given a serial number of its own");
    const std::vector<uint8_t> first_config = read_file(first + kConfigName);
    const std::vector<std::wstring> first_before = detailed_listing(first);
    const std::vector<std::wstring> other_before = detailed_listing(other);

    std::optional<PulledKey> pulled;
    const RunResult result = run_dialog(dll, kEnglish, {
        on_dialog([](HWND dialog) {
            check_text(text_of(dialog, IDC_SERIAL_VALUE), L"QVX/05/4660", "the dialog read E:");
            click(dialog, IDC_DETAILED_SPEED);
        }),
        on_dialog([&pulled](HWND dialog) {
            pulled.emplace(L'E');
            check(pulled->pulled(), "key E: pulled out");
            click(dialog, IDC_SAVE);
        }),
        on_error_box(kEnglishLocale, Text::key_changed, "Save with E: pulled"),
        // The format command works on the key the dialog shows, so it stops
        // at once with E: gone (G: is never considered); Save must still mean E:.
        on_dialog([](HWND dialog) {
            check(IsWindowVisible(dialog) != FALSE, "the dialog stays open");
            send_format_command(dialog);
        }),
        on_error_box(kEnglishLocale, Text::key_changed, "the format command with E: pulled"),
        on_dialog([](HWND dialog) { click(dialog, IDC_SAVE); }),
        on_error_box(kEnglishLocale, Text::key_changed, "Save with E: pulled, after the format command"),
        on_dialog([&](HWND dialog) {
            check_same(detailed_listing(pulled->aside_folder()), first_before, "nothing written to the pulled key");
            check_same(detailed_listing(other), other_before, "nothing written to the other key");
            check(pulled->put_back(), "key E: put back");
            click(dialog, IDC_SAVE);
        }),
    });
    check(result.load_result == 0, "load returns 0 after the second Save");
    check_bytes(read_file(first + kConfigName), seeded_with_speed_off(first_config),
                "E:\\CONFIG written with the choice and E:'s own bytes 25-31");
    check(!file_exists(first + kHelperName), "no CONFIG.NEW left on E:");
    check_same(detailed_listing(other), other_before, "the other key is still untouched");
}

// CONFIG held open without read sharing while the dialog starts, so nothing
// is read; released before Save. The written CONFIG keeps the key's serial
// number and version as the file on the key has them, and otherwise holds
// the dialog's choice.
E2E_GROUP(guard_config_held_at_start) {
    const std::vector<uint8_t> stored = read_file(kKeyConfig);
    check(stored.size() == kConfigFileLength, "CONFIG seeded");
    std::optional<HeldFile> held;
    held.emplace(kKeyConfig, 0);
    check(held->is_open() && read_file(kKeyConfig).empty(), "CONFIG held open and unreadable to others");

    const RunResult result = run_dialog(dll, kEnglish, {
        on_dialog([](HWND dialog) {
            check_text(text_of(dialog, IDC_SERIAL_VALUE), entry_text(kEnglishLocale, Text::no_data_available),
                       "nothing read from the held CONFIG");
            click(dialog, IDC_DETAILED_SPEED);
        }),
        on_dialog([](HWND dialog) { click(dialog, IDC_LAST_DAYS); }),
        on_dialog([](HWND dialog) { press_updown(dialog, IDC_DAYS_UPDOWN, true); }),
        on_dialog([](HWND dialog) { press_updown(dialog, IDC_DAYS_UPDOWN, true); }),
        on_dialog([](HWND dialog) {
            set_picker_date(dialog, IDC_FROM_DATE, 2026, 10, 5);
            set_picker_date(dialog, IDC_TILL_DATE, 2026, 11, 20);
        }),
        on_dialog([&held](HWND dialog) {
            check_text(text_of(dialog, IDC_DAYS_EDIT), L"28", "days stepped to 28");
            held.reset();
            click(dialog, IDC_SAVE);
        }),
    });
    check(result.load_result == 0, "load returns 0 after Save");
    // Activities, events, technical data; last 28 days; From 2026-10-05
    // (a Monday), Till 2026-11-20 (a Friday).
    const uint8_t choice[] = {'1', '1', '1', '0', '1', '0', '2', 28, 0,
                              0x6A, 0xC2, 0xE8, 0x80, 0x6A, 0xFF, 0x8D, 0x80,
                              126, 10, 5, 1, 126, 11, 20, 5};
    static_assert(sizeof choice == kIdentityOffset, "the choice ends where the key's own bytes begin");
    std::vector<uint8_t> expected = stored;
    expected.resize(kConfigFileLength);
    std::copy(std::begin(choice), std::end(choice), expected.begin());
    check_bytes(read_file(kKeyConfig), expected, "CONFIG: the dialog's choice and the key's bytes 25-31");
    check(!file_exists(std::wstring(kKeyRoot) + kHelperName), "no CONFIG.NEW left");
}

// CARD is a link to a folder off the key that holds downloads: the erase
// leaves it and what it holds alone, says so, and still erases TACHO's downloads.
E2E_GROUP(guard_card_links_outside) {
    const std::wstring outside = outside_folder(L'K') + L"CARD\\";
    const DWORD card = GetFileAttributesW(L"K:\\CARD");
    check(card != INVALID_FILE_ATTRIBUTES && (card & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
              (card & FILE_ATTRIBUTE_REPARSE_POINT) != 0,
          "K:\\CARD is a link to a folder");
    // A download of every kind off the key, and of every kind in TACHO.
    for (const wchar_t* name : {L"outside.dtg", L"outside.dtc", L"outside.esm"}) {
        check(write_file(outside + name, bytes_of("off the key")), "seeded off the key: " + narrow(name));
    }
    for (const wchar_t* name : {L"TACHO\\inside.dtg", L"TACHO\\inside.dtc"}) {
        check(write_file(kKeyRoot + std::wstring(name), bytes_of("on the key")), "seeded: " + narrow(name));
    }
    const std::vector<std::wstring> outside_before = detailed_listing(outside);
    check(std::count_if(outside_before.begin(), outside_before.end(),
                        [](const std::wstring& line) { return line.find(L".ddd ") != std::wstring::npos ||
                                                              line.find(L".DDD ") != std::wstring::npos; }) == 2,
          "the linked folder holds the two card downloads:" + some_lines(outside_before));
    const std::vector<std::wstring> key_before = detailed_listing(kKeyRoot);
    std::vector<std::wstring> key_expected;
    std::copy_if(key_before.begin(), key_before.end(), std::back_inserter(key_expected),
                 [](const std::wstring& line) { return line == L"TACHO\\" || !starts_with(line, L"TACHO\\"); });
    check(key_before.size() == key_expected.size() + 4, "four downloads in TACHO");
    check(std::find(key_before.begin(), key_before.end(), L"CARD\\ (link)") != key_before.end(),
          "the key's listing shows CARD as a link");

    run_dialog(dll, kEnglish, {
        on_dialog([](HWND dialog) { click(dialog, IDC_ERASE); }),
        on_message_box([](HWND box) {
            check_text(text_of(box, kMessageBoxTextId), entry_text(kEnglishLocale, Text::erase_confirmation), "erase asks");
            press(box, IDOK);
        }),
        // CARD was left alone, and the user is told not everything went.
        on_error_box(kEnglishLocale, Text::erase_incomplete, "erase with CARD a link"),
        on_dialog([](HWND dialog) {
            check(IsWindowVisible(dialog) != FALSE, "the dialog stays open");
            cancel(dialog);
        }),
    });
    check_same(detailed_listing(outside), outside_before, "the folder off the key is untouched");
    check_same(detailed_listing(kKeyRoot), key_expected, "TACHO's downloads gone, nothing else on the key");
}

// No temporary folder to back up into, on a key of a size that may be
// formatted: the format never starts, the user is told, nothing changes on
// the key or in the real temporary folder.
E2E_GROUP(guard_format_without_temp) {
    const std::wstring missing = L"C:\\no-such-temp-folder\\";
    const std::wstring real_temp = temp_folder();
    check(!file_exists(missing), "the stand-in temporary folder does not exist");
    const std::vector<std::wstring> temp_before = detailed_listing(real_temp);
    const std::vector<std::wstring> key_before = detailed_listing(kKeyRoot);
    const std::vector<uint8_t> config = read_file(kKeyConfig);
    {
        const TempOverride override_temp(missing);
        check_text(temp_folder(), missing, "the temporary folder now points nowhere");
        run_dialog(dll, kEnglish, {
            on_dialog([](HWND dialog) { send_format_command(dialog); }),
            on_message_box([](HWND box) {
                check_text(text_of(box, kMessageBoxTextId), entry_text(kEnglishLocale, Text::format_confirmation),
                           "the format asks first");
                press(box, IDOK);
            }),
            on_error_box(kEnglishLocale, Text::backup_failed, "format without a backup"),
            on_dialog([](HWND dialog) {
                check(IsWindowVisible(dialog) != FALSE, "the dialog stays open");
                cancel(dialog);
            }),
        });
    }
    check(!file_exists(missing), "the missing temporary folder was not made");
    check_same(detailed_listing(kKeyRoot), key_before, "program files, CONFIG and downloads untouched");
    check_bytes(read_file(kKeyConfig), config, "CONFIG keeps every byte");
    check_same(detailed_listing(real_temp), temp_before, "nothing made in the real temporary folder");
}

// A hidden CONFIG is replaced by one that is still hidden, with no CONFIG.NEW
// left beside it.
E2E_GROUP(guard_hidden_config) {
    const std::vector<uint8_t> stored = read_file(kKeyConfig);
    check(SetFileAttributesW(kKeyConfig, FILE_ATTRIBUTE_HIDDEN) != FALSE &&
              (GetFileAttributesW(kKeyConfig) & FILE_ATTRIBUTE_HIDDEN) != 0,
          "CONFIG made hidden, and Wine keeps the attribute on the key");
    const RunResult result = run_dialog(dll, kEnglish, {
        on_dialog([](HWND dialog) {
            check_text(text_of(dialog, IDC_SERIAL_VALUE), L"QVX/05/4660", "the hidden CONFIG is read");
            click(dialog, IDC_DETAILED_SPEED);
        }),
        on_dialog([](HWND dialog) { click(dialog, IDC_SAVE); }),
    });
    check(result.load_result == 0, "load returns 0 after Save");
    check_bytes(read_file(kKeyConfig), seeded_with_speed_off(stored), "CONFIG written");
    const DWORD attributes = GetFileAttributesW(kKeyConfig);
    check(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN) != 0,
          "CONFIG is still hidden");
    check(!file_exists(std::wstring(kKeyRoot) + kHelperName), "no CONFIG.NEW left");
}

// A CONFIG.NEW already on the key that links to a file off it: Save writes its
// new CONFIG into a file of its own and the file off the key keeps its bytes.
E2E_GROUP(guard_helper_name_link) {
    const std::wstring outside_file = outside_folder(L'K') + kHelperName;
    check_bytes(read_file(outside_file), bytes_of("off the key"), "the file off the key is there");
    check_bytes(read_file(kKeyRoot + kHelperName), bytes_of("off the key"), "K:\\CONFIG.NEW leads to it");
    const std::vector<uint8_t> stored = read_file(kKeyConfig);
    const RunResult result = run_dialog(dll, kEnglish, {
        on_dialog([](HWND dialog) { click(dialog, IDC_DETAILED_SPEED); }),
        on_dialog([](HWND dialog) { click(dialog, IDC_SAVE); }),
    });
    check(result.load_result == 0, "load returns 0 after Save");
    check_bytes(read_file(kKeyConfig), seeded_with_speed_off(stored), "CONFIG written");
    check_bytes(read_file(outside_file), bytes_of("off the key"), "the file off the key keeps its bytes");
    check(!file_exists(kKeyRoot + kHelperName + std::wstring(L"1")), "the helper of its own is gone");
}

// A DATE that leads off the key is left as it is: neither the dialog's
// opening (which tops a short DATE up) nor its Save writes through it.
E2E_GROUP(guard_date_link_off_key) {
    const std::wstring outside_file = outside_folder(L'K') + L"DATE";
    check_bytes(read_file(outside_file), bytes_of("12"), "a two-byte file off the key");
    check_bytes(read_file(std::wstring(kKeyRoot) + L"DATE"), bytes_of("12"), "K:\\DATE leads to it");
    const std::vector<uint8_t> stored = read_file(kKeyConfig);
    const RunResult result = run_dialog(dll, kEnglish, {
        on_dialog([](HWND dialog) {
            check_text(text_of(dialog, IDC_SERIAL_VALUE), L"QVX/05/4660", "CONFIG is read beside the link");
            click(dialog, IDC_DETAILED_SPEED);
        }),
        on_dialog([](HWND dialog) { click(dialog, IDC_SAVE); }),
    });
    check(result.load_result == 0, "load returns 0 after Save");
    check_bytes(read_file(kKeyConfig), seeded_with_speed_off(stored), "CONFIG written");
    check_bytes(read_file(outside_file), bytes_of("12"), "the file off the key keeps its two bytes");
}

// A CONFIG that is a pipe is never waited on: the dialog opens with the
// defaults, and Save says it could not save and leaves the dialog open.
E2E_GROUP(guard_config_pipe) {
    const DWORD started = GetTickCount();
    const RunResult result = run_dialog(dll, kEnglish, {
        on_dialog([](HWND dialog) {
            check_text(text_of(dialog, IDC_SERIAL_VALUE), entry_text(kEnglishLocale, Text::no_data_available),
                       "nothing is read from the pipe");
            click(dialog, IDC_SAVE);
        }),
        on_error_box(kEnglishLocale, Text::save_failed, "Save over a pipe"),
        on_dialog([](HWND dialog) {
            check(IsWindowVisible(dialog) != FALSE, "the dialog stays open");
            cancel(dialog);
        }),
    });
    check(!result.timed_out && GetTickCount() - started < 20000, "the dialog never waited on the pipe");
    check(!file_exists(std::wstring(kKeyRoot) + kHelperName), "no CONFIG.NEW left");
}

namespace {

// While the shell's format dialog is "open", another key takes the key's
// place: here its files take the key's files' place, as Wine keeps a drive's
// serial number for the life of its server.
const std::vector<uint8_t> kOtherKeysConfig = [] {
    std::vector<uint8_t> config(kConfigFileLength, '1');
    const uint8_t identity[] = {9, 0x0A, 0x0B, 4, 5, 6, 0};
    std::copy(std::begin(identity), std::end(identity), config.begin() + kIdentityOffset);
    return config;
}();
int g_format_calls = 0;

UINT WINAPI another_key_instead_of_a_format(HWND, UINT, UINT, UINT) {
    ++g_format_calls;
    check(write_file(kKeyConfig, kOtherKeysConfig) && write_file(std::wstring(kKeyRoot) + L"ostrevan.exe", bytes_of("theirs")),
          "another key's files in the key's place");
    return 0;
}

}  // namespace

// The key swapped while the shell's format dialog was open: nothing is
// written to the other key, and the user is told where the key's files are.
E2E_GROUP(guard_swapped_in_format) {
    const std::vector<uint8_t> config = read_file(kKeyConfig);
    const std::vector<uint8_t> program = read_file(std::wstring(kKeyRoot) + L"ostrevan.exe");
    const ShellFormatStandIn format(dll, &another_key_instead_of_a_format);
    check(format.applied(), "the shell's format is answered by this driver");
    std::wstring told;
    run_dialog(dll, kEnglish, {
        on_dialog([](HWND dialog) { send_format_command(dialog); }),
        on_message_box([](HWND box) { press(box, IDOK); }),
        on_message_box([&told](HWND box) {
            told = text_of(box, kMessageBoxTextId);
            press(box, IDOK);
        }),
        on_dialog([](HWND dialog) { cancel(dialog); }),
    });
    check(g_format_calls == 1, "the format was started once");
    const std::wstring prefix = entry_text(kEnglishLocale, Text::other_volume) + L"\n";
    check(told.compare(0, prefix.size(), prefix) == 0, "the user is told another volume took the key's place");
    const std::wstring folder = told.size() > prefix.size() ? told.substr(prefix.size()) : L"?";
    check_bytes(read_file(kKeyConfig), kOtherKeysConfig, "the other key's CONFIG is left as it is");
    check_bytes(read_file(std::wstring(kKeyRoot) + L"ostrevan.exe"), bytes_of("theirs"), "the other key's program file too");
    check_bytes(read_file(folder + L"\\CONFIG"), config, "the key's CONFIG is in the folder named");
    check_bytes(read_file(folder + L"\\ostrevan.exe"), program, "and its program file");
    check(file_exists(folder + L"\\BACKUP.REC"), "the folder says whose files it holds, for the next start");
    // The other groups share the temporary folder and expect no backup in it.
    for (const wchar_t* name : {L"autorun.inf", L"lanternbook.dll", L"ostrevan.exe", L"CONFIG", L"BACKUP.REC"}) {
        DeleteFileW((folder + L"\\" + name).c_str());
    }
    check(RemoveDirectoryW(folder.c_str()) != FALSE, "the backup folder held just the key's files");
}
