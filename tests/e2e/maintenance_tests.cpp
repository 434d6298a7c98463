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
    CreateDirectoryW(L"K:\\CARD\\old.ddd", nullptr);
    CreateDirectoryW(L"K:\\CARD\\sub", nullptr);
    write_file(L"K:\\CARD\\.ddd", bytes_of("name too short"));
    write_file(L"K:\\CARD\\a.dddx", bytes_of("longer extension"));
    write_file(L"K:\\CARD\\old.ddd\\inner.ddd", bytes_of("inside a folder"));
    write_file(L"K:\\CARD\\sub\\deep.ddd", bytes_of("in a subfolder"));
    write_file(L"K:\\X.ddd", bytes_of("in the root"));
    write_file(L"K:\\TACHO\\y.Esm", bytes_of("mixed case"));
    write_file(L"K:\\TACHO\\v.dtg", bytes_of("dtg"));
    write_file(L"K:\\TACHO\\protected.dtc", bytes_of("read-only, hidden, system"));
    SetFileAttributesW(L"K:\\TACHO\\protected.dtc",
                       FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
}

const std::vector<std::wstring> kDownloads = {
    L"CARD\\C_20261102_0712_DRIVER1.DDD", L"CARD\\C_20261103_0650_DRIVER2.ddd",
    L"TACHO\\M_20261102_0715_VEHICLE1.ddd", L"TACHO\\M_20261102_0715_VEHICLE1.esm",
    L"TACHO\\y.Esm", L"TACHO\\v.dtg", L"TACHO\\protected.dtc"};

bool is_download(const std::wstring& listed) {
    return std::any_of(kDownloads.begin(), kDownloads.end(), [&listed](const std::wstring& download) {
        return listed.compare(0, download.size() + 1, download + L" ") == 0;
    });
}

// Backup folders and files of ours in the temporary folder.
std::vector<std::wstring> temp_leftovers() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::vector<std::wstring> found;
    for (const std::wstring& entry_name : tree_listing(temp)) {
        std::wstring lower = entry_name;
        for (wchar_t& c : lower) {
            c = static_cast<wchar_t>(towlower(c));
        }
        if (lower.compare(0, 3, L"vol") == 0) {
            found.push_back(entry_name);
        }
    }
    return found;
}

std::string joined(const std::vector<std::wstring>& lines) {
    std::string text;
    for (const std::wstring& line : lines) {
        text += narrow(line) + "; ";
    }
    return text;
}

void check_tree(const std::vector<std::wstring>& actual, const std::vector<std::wstring>& expected,
                const std::string& what) {
    check(actual == expected, what + "\n  got      " + joined(actual) + "\n  expected " + joined(expected));
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
    check_tree(tree_listing(L"K:\\"), expected, "exactly the downloads are gone");
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
    check_tree(tree_listing(L"K:\\"), before, "Cancel deletes nothing");
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
    check_tree(tree_listing(L"K:\\"), before, "the key is untouched");
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
    check_tree(tree_listing(L"K:\\"), before, "the key is untouched");
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
    check_tree(tree_listing(L"K:\\"), before, "program files, CONFIG, DATE and downloads all there");
    check_bytes(read_file(L"K:\\CONFIG"), config, "CONFIG untouched");
    check_bytes(read_file(L"K:\\DATE"), date, "DATE untouched");
    check(temp_leftovers().empty(), "no backup folder or temporary file left: " + joined(temp_leftovers()));
}
