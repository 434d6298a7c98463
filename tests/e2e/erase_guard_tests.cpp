// The erase keeps to the key when the key's downloads or folders are not
// what they seem: links among the downloads, another folder taking the key's
// letter while it runs, the key's folder moved away while it runs.
#include <windows.h>

#include <cctype>
#include <string>
#include <vector>

#include "device/device_drive.h"
#include "e2e/harness.h"
#include "e2e/pulled_key.h"
#include "l10n/texts.h"
#include "resources/resource.h"

using namespace e2e;
using lanternbook::Text;

namespace {

constexpr int kSeededDownloads = 2000;
constexpr std::size_t kWatchedDownloads = 20;

// kSeededDownloads downloads in CARD of the key folder `key` (as key_folder
// gives it); the first ones the erase meets, to watch.
std::vector<std::wstring> seed_downloads(const std::wstring& key) {
    std::vector<std::wstring> watched;
    int seeded = 0;
    for (int i = 0; i < kSeededDownloads; ++i) {
        wchar_t name[32];
        swprintf(name, 32, L"CARD\\D_%05d.ddd", i);
        seeded += write_file(key + name, bytes_of("download")) ? 1 : 0;
        if (watched.size() < kWatchedDownloads) {
            watched.push_back(key + name);
        }
    }
    check(seeded == kSeededDownloads, std::to_string(seeded) + " downloads seeded in " + narrow(key));
    return watched;
}

// Downloads in CARD and TACHO of a key folder.
int downloads_in(const std::wstring& key) {
    int count = 0;
    // The platform matches in any case.
    for (const wchar_t* pattern : {L"CARD\\*.ddd", L"TACHO\\*.ddd", L"TACHO\\*.esm"}) {
        count += static_cast<int>(names_matching(key + pattern).size());
    }
    return count;
}

// The number after "deleted " or "deleting " in lanternbook.exe's report; -1 when there is none.
long deleted_count(const std::string& report) {
    for (const char* word : {"deleted ", "deleting "}) {
        const std::size_t at = report.find(word);
        const std::size_t number = at + std::char_traits<char>::length(word);
        if (at != std::string::npos && number < report.size() && std::isdigit(static_cast<unsigned char>(report[number]))) {
            return std::stol(report.substr(number));
        }
    }
    return -1;
}

}  // namespace

// Downloads that are links to a file and to folders off the key: the erase
// deletes the real downloads, leaves every link and what it leads to, and
// tells the user not everything went.
E2E_GROUP(erase_download_links) {
    const std::wstring outside = outside_folder(L'K');
    const std::vector<std::wstring> outside_before = detailed_listing(outside);
    check(outside_before.size() >= 4, "the links' targets seeded off the key");
    const std::vector<std::wstring> links = {L"link.ddd", L"folder.ddd", L"empty-link"};
    run_dialog(dll, kEnglish, {
        on_dialog([](HWND dialog) { click(dialog, IDC_ERASE); }),
        on_message_box([](HWND box) { press(box, IDOK); }),
        on_error_box(kEnglishLocale, Text::erase_incomplete, "erase beside links"),
        on_dialog([](HWND dialog) {
            check(IsWindowVisible(dialog) != FALSE, "the dialog stays open");
            cancel(dialog);
        }),
    });
    check_same(detailed_listing(outside), outside_before, "nothing off the key changed");
    for (const std::wstring& link : links) {
        check((GetFileAttributesW((L"K:\\CARD\\" + link).c_str()) != INVALID_FILE_ATTRIBUTES), "still in CARD: " + narrow(link));
    }
    check(names_matching(L"K:\\CARD\\*.ddd") == std::vector<std::wstring>{L"link.ddd"} && downloads_in(kKeyRoot) == 1,
          "of the downloads only the file link is left");
    check(file_exists(L"K:\\CARD\\readme.txt") && file_exists(kKeyConfig), "what is no download stays");
}

// Another key's folder takes K:'s letter as soon as the erase has deleted
// its first download: nothing of the other key is touched, and the erase
// stops and says the key changed. The other key has the same download
// names and a CONFIG of its own.
E2E_GROUP(erase_key_swapped_mid_erase) {
    const std::wstring key = key_folder(L'K');
    const std::wstring other = key_folder(L'S');
    const std::vector<std::wstring> watched = seed_downloads(key);
    static_cast<void>(seed_downloads(other));
    std::vector<uint8_t> other_config = read_file(other + L"CONFIG");
    check(other_config.size() == lanternbook::kConfigFileLength, "the other key's CONFIG seeded");
    if (other_config.size() == lanternbook::kConfigFileLength) {
        other_config[kIdentityOffset] = 9;
    }
    check(write_file(other + L"CONFIG", other_config), "the other key has a serial number of its own");
    const std::vector<std::wstring> other_before = detailed_listing(other);

    bool swapped = false;
    WhenDeleted swap(watched, [&] { swapped = map_letter(L'K', other); });
    run_dialog(dll, kEnglish, {
        on_dialog([](HWND dialog) { click(dialog, IDC_ERASE); }),
        on_message_box([](HWND box) { press(box, IDOK); }),
        on_error_box(kEnglishLocale, Text::key_changed, "erase with another key under K:"),
        on_dialog([](HWND dialog) { cancel(dialog); }),
    });
    check(swap.finish() && swapped, "K: was given to the other key while the erase ran");
    check(map_letter(L'K', key), "K: given back");
    check_same(detailed_listing(other), other_before, "the key that took the letter is untouched");
    const int left = downloads_in(key);
    printf("downloads left on the key: %d of %d\n", left, kSeededDownloads + 3);
    check(left > 0, "the erase stopped before it was through");
}

// The key's folder moved away, its letter left leading nowhere, as soon as
// the erase has deleted its first download: lanternbook.exe stops, fails,
// and every download it counts as deleted is gone from the moved folder,
// every other one still there.
E2E_GROUP(erase_key_moved_mid_erase) {
    static_cast<void>(dll);
    const std::wstring key = key_folder(L'K');
    const std::vector<std::wstring> watched = seed_downloads(key);
    const int before = downloads_in(key);
    const std::wstring folder = key.substr(0, key.size() - 1);
    // Where e2e.sh looks for what a killed run left.
    const std::wstring moved = folder + L".pulled";
    bool moved_away = false;
    WhenDeleted move(watched, [&] { moved_away = MoveFileW(folder.c_str(), moved.c_str()) != FALSE; });
    const ProgramResult erase = run_program(L"erase --yes --key K:\\");
    check(move.finish() && moved_away, "the key's folder moved away while the erase ran");
    const long counted = deleted_count(erase.out);
    const int left = downloads_in(moved + L"\\");
    printf("exit code %lu, counted deleted %ld, left %d of %d:\n%s", erase.exit_code, counted, left, before,
           erase.out.c_str());
    check(erase.exit_code != 0, "the erase does not report success");
    check(counted >= 0 && counted == before - left, "exactly the downloads counted deleted are gone");
    check(left > 0, "the erase stopped before it was through");
    check(file_exists(moved + L"\\CONFIG") && file_exists(moved + L"\\ostrevan.exe"), "the key's own files stay");
}
