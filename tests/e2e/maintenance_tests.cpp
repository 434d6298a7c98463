// Erase and format through the real dialog, on emulated keys.
#include <windows.h>

#include <algorithm>

#include "e2e/harness.h"
#include "l10n/texts.h"
#include "resources/resource.h"

using namespace e2e;
using lanternbook::Text;

namespace {

// Downloads among other things that must survive an erase.
void seed_erase_cases() {
    const struct {
        const wchar_t* path;
        const char* content;
    } files[] = {
        {L"K:\\CARD\\.ddd", "name too short"},
        {L"K:\\CARD\\a.dddx", "longer extension"},
        {L"K:\\CARD\\old.ddd\\inner.ddd", "inside a folder"},
        {L"K:\\CARD\\sub\\deep.ddd", "in a subfolder"},
        {L"K:\\X.ddd", "in the root"},
        {L"K:\\TACHO\\y.Esm", "mixed case"},
        {L"K:\\TACHO\\v.dtg", "dtg"},
        {L"K:\\TACHO\\protected.dtc", "read-only, hidden, system"},
    };
    bool seeded = CreateDirectoryW(L"K:\\CARD\\old.ddd", nullptr) && CreateDirectoryW(L"K:\\CARD\\sub", nullptr);
    for (const auto& file : files) {
        seeded = write_file(file.path, bytes_of(file.content)) && seeded;
    }
    seeded = SetFileAttributesW(L"K:\\TACHO\\protected.dtc",
                                FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM) && seeded;
    check(seeded, "the erase cases were seeded");
}

const std::vector<std::wstring> kDownloads = {
    L"CARD\\C_20261102_0712_DRIVER1.DDD", L"CARD\\C_20261103_0650_DRIVER2.ddd",
    L"TACHO\\M_20261102_0715_VEHICLE1.ddd", L"TACHO\\M_20261102_0715_VEHICLE1.esm",
    L"TACHO\\y.Esm", L"TACHO\\v.dtg", L"TACHO\\protected.dtc"};

bool is_download(const std::wstring& listed) {
    return std::any_of(kDownloads.begin(), kDownloads.end(),
                       [&listed](const std::wstring& download) { return starts_with(listed, download + L" "); });
}

// Backup folders and files of ours in the temporary folder.
std::vector<std::wstring> temp_leftovers() {
    std::vector<std::wstring> found;
    for (const std::wstring& entry_name : tree_listing(temp_folder())) {
        if (starts_with(lower(entry_name), L"vol")) {
            found.push_back(entry_name);
        }
    }
    return found;
}

}  // namespace

E2E_GROUP(erase_confirmed) {
    seed_erase_cases();
    const std::vector<std::wstring> before = tree_listing(L"K:\\");
    std::vector<std::wstring> expected;
    std::copy_if(before.begin(), before.end(), std::back_inserter(expected),
                 [](const std::wstring& listed) { return !is_download(listed); });
    check(before.size() == expected.size() + kDownloads.size(), "every download was seeded");
    run_dialog(dll, "0", {
        on_dialog([](HWND dialog) { click(dialog, IDC_ERASE); }),
        on_message_box([](HWND box) {
            check_text(window_text(box), entry_text(0x0409, Text::caution), "erase caption");
            check_text(text_of(box, kMessageBoxTextId), entry_text(0x0409, Text::erase_confirmation), "erase question");
            press(box, IDOK);
        }),
        on_dialog([](HWND dialog) {
            check(IsWindowVisible(dialog) != FALSE, "the dialog stays open after erasing");
            cancel(dialog);
        }),
    });
    check_same(tree_listing(L"K:\\"), expected, "exactly the downloads are gone");
}

E2E_GROUP(erase_declined) {
    seed_erase_cases();
    const std::vector<std::wstring> before = tree_listing(L"K:\\");
    run_dialog(dll, "1045", {
        on_dialog([](HWND dialog) { click(dialog, IDC_ERASE); }),
        on_message_box([](HWND box) {
            check_text(window_text(box), entry_text(0x0415, Text::caution), "Polish erase caption");
            check_text(text_of(box, kMessageBoxTextId), entry_text(0x0415, Text::erase_confirmation),
                       "Polish erase question");
            press(box, IDCANCEL);
        }),
        on_dialog([](HWND dialog) { cancel(dialog); }),
    });
    check_same(tree_listing(L"K:\\"), before, "Cancel deletes nothing");
}

// A volume size outside the accepted ranges: the refusal, and nothing touched.
E2E_GROUP(format_refused) {
    const std::vector<std::wstring> before = tree_listing(L"K:\\");
    run_dialog(dll, "0", {
        on_dialog([](HWND dialog) { send_format_command(dialog); }),
        on_message_box([](HWND box) {
            check_text(window_text(box), entry_text(0x0409, Text::caution), "refusal caption");
            check_text(text_of(box, kMessageBoxTextId), entry_text(0x0409, Text::incorrect_device_size), "refusal text");
            check(GetDlgItem(box, IDCANCEL) == nullptr, "the refusal offers OK alone");
            press(box, IDOK);
        }),
        on_dialog([](HWND dialog) { cancel(dialog); }),
    });
    check_same(tree_listing(L"K:\\"), before, "the key is untouched");
    check(temp_leftovers().empty(), "no backup folder made");
}

// An accepted size: the confirmation comes; declined, nothing changes.
E2E_GROUP(format_declined) {
    const std::vector<std::wstring> before = tree_listing(L"K:\\");
    run_dialog(dll, "0", {
        on_dialog([](HWND dialog) { send_format_command(dialog); }),
        on_message_box([](HWND box) {
            check_text(window_text(box), entry_text(0x0409, Text::caution), "confirmation caption");
            check_text(text_of(box, kMessageBoxTextId), entry_text(0x0409, Text::format_confirmation), "confirmation text");
            check(GetDlgItem(box, IDCANCEL) != nullptr, "the confirmation offers Cancel");
            press(box, IDCANCEL);
        }),
        on_dialog([](HWND dialog) { cancel(dialog); }),
    });
    check_same(tree_listing(L"K:\\"), before, "the key is untouched");
    check(temp_leftovers().empty(), "no backup folder made");
}

// Confirmed: the program files go away and come back around the shell's
// format, which here formats nothing, so CONFIG and DATE stay as they were.
E2E_GROUP(format_confirmed) {
    const std::vector<std::wstring> before = tree_listing(L"K:\\");
    const std::vector<uint8_t> config = read_file(L"K:\\CONFIG");
    const std::vector<uint8_t> date = read_file(L"K:\\DATE");
    run_dialog(dll, "0", {
        on_dialog([](HWND dialog) { send_format_command(dialog); }),
        on_message_box([](HWND box) { press(box, IDOK); }),
        on_dialog([](HWND dialog) {
            check(IsWindowVisible(dialog) != FALSE, "the dialog stays open after the format");
            cancel(dialog);
        }),
    });
    check_same(tree_listing(L"K:\\"), before, "program files, CONFIG, DATE and downloads all there");
    check_bytes(read_file(L"K:\\CONFIG"), config, "CONFIG untouched");
    check_bytes(read_file(L"K:\\DATE"), date, "DATE untouched");
    check(temp_leftovers().empty(), "no backup folder or temporary file left:" + some_lines(temp_leftovers()));
}
