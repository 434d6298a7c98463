// The backup a format keeps is as safe as the key: never touched by a second
// dialog, never put onto a stick that took the key's place, never made on
// the key itself, and put back with the attributes its files had.
#include <windows.h>

#include <string>
#include <vector>

#include "e2e/format_stand_in.h"
#include "e2e/harness.h"
#include "e2e/surroundings.h"
#include "l10n/texts.h"
#include "resources/resource.h"

using namespace e2e;
using lanternbook::Text;

namespace {

// The serial number the key's volume gets from a format.
constexpr DWORD kFormattedSerial = 0x20261207;
const std::wstring kRecordName = L"BACKUP.REC";

int g_format_calls = 0;

std::vector<std::vector<uint8_t>> kept_bytes(const std::wstring& folder) {
    std::vector<std::vector<uint8_t>> kept;
    for (const std::wstring& name : kKeptFiles) {
        kept.push_back(read_file(folder + name));
    }
    return kept;
}

std::vector<DWORD> kept_attributes(const std::wstring& folder) {
    std::vector<DWORD> kept;
    for (const std::wstring& name : kKeptFiles) {
        kept.push_back(GetFileAttributesW((folder + name).c_str()));
    }
    return kept;
}

std::string attributes_text(DWORD attributes) {
    char text[16];
    snprintf(text, sizeof text, "0x%02lX", static_cast<unsigned long>(attributes));
    return text;
}

// The one backup folder in the temporary folder, "?" when there is not exactly one.
std::wstring only_backup_folder() {
    const std::vector<std::wstring> folders = backup_folders();
    return folders.size() == 1 ? folders.front() : L"?";
}

// A backup folder with its files, as a listing to compare; empty when there is none.
std::vector<std::wstring> backup_listing(const std::wstring& folder) {
    return file_exists(folder + L"\\" + kRecordName) ? detailed_listing(folder) : std::vector<std::wstring>();
}

// The format runs to its end without a word, and the dialog stays.
Step closes_without_a_word() {
    return on_dialog([](HWND dialog) {
        check(!message_box_open(), "the format ended without a message");
        check(IsWindowVisible(dialog) != FALSE, "the dialog stays open");
        cancel(dialog);
    });
}

Step confirms_the_format() {
    return on_message_box([](HWND box) {
        check_text(text_of(box, kMessageBoxTextId), entry_text(kEnglishLocale, Text::format_confirmation),
                   "the format asks first");
        press(box, IDOK);
    });
}

// While the shell's format dialog is open a second dialog starts, in a
// process of its own; then the format empties the key into a new volume.
UINT WINAPI second_dialog_then_format(HWND, UINT, UINT, UINT) {
    ++g_format_calls;
    const std::wstring folder = only_backup_folder();
    const std::vector<std::wstring> backup = backup_listing(folder);
    check(!backup.empty(),
          "the format's backup is made, with its record: " + narrow(folder) + some_lines(backup_folders()));
    check(run_group_alone(L"second_dialog_during_format") == 0, "the second dialog opened and closed as expected");
    check(only_backup_folder() == folder, "the backup folder is still there");
    check_same(backup_listing(folder), backup, "every file of the backup is as it was");
    check(format_into_new_volume(L'K', kFormattedSerial), "the key is formatted into a new volume");
    return 0;
}

}  // namespace

// Run by format_beside_second_dialog in a process of its own, while the
// first dialog's format is under way with the key still whole.
E2E_GROUP(second_dialog_during_format) {
    const std::wstring folder = only_backup_folder();
    const std::vector<std::wstring> backup = backup_listing(folder);
    check(!backup.empty(), "the first dialog's backup is in the temporary folder");
    // A question or a message at the start would come before the dialog and
    // hold it back until the run's time-out.
    run_dialog(dll, kEnglish, {
        on_dialog([](HWND dialog) {
            check_text(text_of(dialog, IDC_SERIAL_VALUE), L"QVX/05/4660", "the second dialog reads the key");
            cancel(dialog);
        }),
    });
    check(only_backup_folder() == folder, "the second dialog left the first one's backup folder");
    check_same(backup_listing(folder), backup, "and every file in it");
}

// Host A formats the key; while the shell's format dialog is open host B
// starts, and its start finds A's backup held: it removes nothing and says
// nothing. A's format then ends with every file back on the key.
E2E_GROUP(format_beside_second_dialog) {
    const std::vector<std::vector<uint8_t>> kept = kept_bytes(kKeyRoot);
    check(backup_folders().empty(), "no backup folder before the format");
    const ShellFormatStandIn format(dll, &second_dialog_then_format);
    check(format.applied(), "the shell's format is answered by this driver");
    const RunResult result = run_dialog(dll, kEnglish, {
        on_dialog([](HWND dialog) { send_format_command(dialog); }),
        confirms_the_format(),
        closes_without_a_word(),
    });
    check(result.load_result == 0, "load returns 0");
    check(g_format_calls == 1, "the format was started once");
    for (std::size_t i = 0; i < kKeptFiles.size(); ++i) {
        check_bytes(read_file(kKeyRoot + kKeptFiles[i]), kept[i], narrow(kKeptFiles[i]) + " is back as it was");
    }
    check(file_exists(kKeyDate), "the key has a DATE again");
    check(backup_folders().empty(), "no backup folder is left");
}

namespace {

const char kOtherLabel[] = "PHOTOS\n";

// Another stick takes the key's letter. The key is a volume of its own
// (a tmpfs, so that it may be formatted) that cannot be moved aside, so the
// stick's files take the emptied key's place in its folder: to Wine that is
// the same, as it keeps a drive's serial number and label for the life of
// its server. Only the names in the root tell the stick from the key.
bool swap_in_other_stick() {
    const std::wstring folder = key_folder(L'K');
    return empty_folder(folder) && write_file(folder + L".windows-label", bytes_of(kOtherLabel)) &&
           write_file(folder + L".windows-serial", bytes_of("0BADF00D\n")) &&
           write_file(folder + L"photo.jpg", bytes_of("\xFF\xD8\xFF\xE0 a photo of the fleet"));
}

}  // namespace

// A format cut short by the host's death; at the next start, while "put the
// key's files back?" is on screen, another stick takes the key's letter.
// "Yes" writes nothing onto it and does not relabel it; the backup stays,
// and the user is told where.
E2E_GROUP(recovery_swapped_while_asked) {
    const std::vector<std::vector<uint8_t>> kept = kept_bytes(kKeyRoot);
    check(backup_folders().empty(), "no backup folder before the format");
    check(run_group_alone(L"host_dies_in_format") == 3, "the host died in the format");
    const std::wstring folder = only_backup_folder();
    check(file_exists(folder + L"\\" + kRecordName), "one backup folder with its record");

    std::vector<std::wstring> stick;
    std::wstring told;
    const RunResult result = run_dialog(dll, kEnglish, {
        on_message_box([&stick](HWND box) {
            check(starts_with(text_of(box, kMessageBoxTextId),
                              entry_text(kEnglishLocale, Text::unfinished_put_back) + L"\n"),
                  "the start asks to put the key's files back");
            check(swap_in_other_stick(), "another stick took the key's letter");
            stick = detailed_listing(kKeyRoot);
            check(stick.size() == 3, "the stick shows its label, its serial number and its photo:" + some_lines(stick));
            press(box, IDYES);
        }),
        // Looked at while the user is told: the dialog that opens next takes
        // the stick for the key, as Wine still shows the key's label.
        on_message_box([&stick, &told](HWND box) {
            told = text_of(box, kMessageBoxTextId);
            check_same(detailed_listing(kKeyRoot), stick, "nothing was written onto the other stick");
            press(box, IDOK);
        }),
        on_dialog([](HWND dialog) { cancel(dialog); }),
    });
    check(result.all_steps_ran, "asked once, told once, then the dialog");
    for (const std::wstring& name : kKeptFiles) {
        check(!file_exists(kKeyRoot + name), "no " + narrow(name) + " on the other stick");
    }
    check_bytes(read_file(key_folder(L'K') + L".windows-label"), bytes_of(kOtherLabel),
                "the other stick keeps its label");
    check(starts_with(told, entry_text(kEnglishLocale, Text::unfinished_kept) + L"\n" + folder + L"\n"),
          "the user is told the files are kept, and where: \"" + narrow(told) + "\"");
    check(only_backup_folder() == folder && file_exists(folder + L"\\" + kRecordName),
          "the backup folder stays, with its record");
    for (std::size_t i = 0; i < kKeptFiles.size(); ++i) {
        check_bytes(read_file(folder + L"\\" + kKeptFiles[i]), kept[i], narrow(kKeptFiles[i]) + " is kept in it");
    }
    check(remove_backup_folder(folder), "the backup folder is cleared for the groups that follow");
}

namespace {

UINT WINAPI format_never_expected(HWND, UINT, UINT, UINT) {
    ++g_format_calls;
    return 0;
}

}  // namespace

// The temporary folder on the key: its root, a folder in it, and a folder
// off it that links into it. A backup there would go with the format: the
// format does not start, the user is told, and no backup folder is made,
// on the key or anywhere else.
E2E_GROUP(format_with_temp_on_key) {
    const std::wstring linked = outside_folder(L'K') + L"temp-into-key";
    const DWORD link = GetFileAttributesW(linked.c_str());
    check(link != INVALID_FILE_ATTRIBUTES && (link & FILE_ATTRIBUTE_REPARSE_POINT) != 0,
          "a folder off the key links into it");
    const ShellFormatStandIn format(dll, &format_never_expected);
    check(format.applied(), "the shell's format is answered by this driver");
    const std::vector<uint8_t> config = read_file(kKeyConfig);
    const std::vector<std::wstring> outside = detailed_listing(outside_folder(L'K'));
    for (const std::wstring& temp : {std::wstring(kKeyRoot), std::wstring(L"K:\\CARD"), linked}) {
        const std::string where = "with the temporary folder at " + narrow(temp);
        g_format_calls = 0;
        const Surroundings around = surroundings();
        const std::vector<std::wstring> key_before = detailed_listing(kKeyRoot);
        {
            const TempOverride override_temp(temp);
            check(starts_with(lower(temp_folder()), lower(temp)), "the temporary folder is " + narrow(temp));
            run_dialog(dll, kEnglish, {
                on_dialog([](HWND dialog) { send_format_command(dialog); }),
                confirms_the_format(),
                on_error_box(kEnglishLocale, Text::backup_failed, where),
                on_dialog([](HWND dialog) { cancel(dialog); }),
            });
        }
        check(g_format_calls == 0, where + ": the format never started");
        check_same(detailed_listing(kKeyRoot), key_before, where + ": nothing on the key changed");
        check_bytes(read_file(kKeyConfig), config, where + ": CONFIG keeps every byte");
        check_same(detailed_listing(outside_folder(L'K')), outside, where + ": nothing made off the key");
        check_surroundings_unchanged(around, where);
    }
}

namespace {

UINT WINAPI format_into_a_new_volume(HWND, UINT, UINT, UINT) {
    ++g_format_calls;
    check(format_into_new_volume(L'K', kFormattedSerial), "the key is formatted into a new volume");
    return 0;
}

}  // namespace

// A hidden and system autorun.inf, a hidden CONFIG and a read-only
// ostrevan.exe come back from a format with their attributes.
// A label longer than FAT takes is not in play here: SetVolumeLabelW on a
// Wine drive takes labels of any length; the unit tests' FAT rules cover it.
E2E_GROUP(format_keeps_attributes) {
    struct Marked {
        const wchar_t* name;
        DWORD attributes;
    };
    const Marked marked[] = {
        {L"autorun.inf",
         FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY},
        {L"CONFIG", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN},
        {L"ostrevan.exe", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY},
    };
    for (const Marked& file : marked) {
        const std::wstring path = kKeyRoot + std::wstring(file.name);
        check(SetFileAttributesW(path.c_str(), file.attributes) != FALSE &&
                  GetFileAttributesW(path.c_str()) == file.attributes,
              narrow(file.name) + " given " + attributes_text(file.attributes) + ", and Wine keeps them on the key");
    }
    const std::vector<std::vector<uint8_t>> kept = kept_bytes(kKeyRoot);
    const std::vector<DWORD> attributes = kept_attributes(kKeyRoot);
    const ShellFormatStandIn format(dll, &format_into_a_new_volume);
    check(format.applied(), "the shell's format is answered by this driver");
    const RunResult result = run_dialog(dll, kEnglish, {
        on_dialog([](HWND dialog) { send_format_command(dialog); }),
        confirms_the_format(),
        closes_without_a_word(),
    });
    check(result.load_result == 0, "load returns 0");
    check(g_format_calls == 1, "the format was started once");
    const std::vector<DWORD> attributes_after = kept_attributes(kKeyRoot);
    for (std::size_t i = 0; i < kKeptFiles.size(); ++i) {
        const std::string name = narrow(kKeptFiles[i]);
        check_bytes(read_file(kKeyRoot + kKeptFiles[i]), kept[i], name + " is back as it was");
        check(attributes_after[i] == attributes[i], name + " is back with its attributes " +
                                                        attributes_text(attributes[i]) + " (got " +
                                                        attributes_text(attributes_after[i]) + ")");
    }
    check(file_exists(kKeyDate), "the key has a DATE again");
    check(backup_folders().empty(), "no backup folder is left");
}
