// Faults and hostile input on the real DLL under Wine: many dialog runs in one
// process, keys that cannot be written, a key pulled in the middle of an
// erase, hostile files and names on the key, and nothing written beside it.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <random>

#include "device/device_drive.h"
#include "e2e/harness.h"
#include "e2e/process_use.h"
#include "e2e/pulled_key.h"
#include "e2e/surroundings.h"
#include "l10n/texts.h"
#include "resources/resource.h"

using namespace e2e;
using lanternbook::Text;

namespace {

constexpr DWORD kShortRunMs = 15000;
using lanternbook::kConfigFileLength;

std::wstring entry_text(Text text) { return e2e::entry_text(kEnglishLocale, text); }

}  // namespace

// ---- many runs in one process ----

// Open and close the dialog 100 times, by Cancel, Save, a declined erase and
// a refused format in turn: GDI objects, handles and memory stay level once
// Wine's first-use caches are filled (after 10 runs).
E2E_GROUP(fault_open_close_cycles) {
    constexpr int kCycles = 100;
    constexpr int kWarmUpCycles = 10;
    // Room for allocator slack: a leak of 200 bytes a run still shows.
    constexpr SIZE_T kPrivateGrowthLimit = 256 * 1024;
    constexpr SIZE_T kHeapGrowthLimit = 16 * 1024;

    const std::vector<Step> by_cancel = {on_dialog([](HWND dialog) { cancel(dialog); })};
    const std::vector<Step> by_save = {on_dialog([](HWND dialog) { click(dialog, IDC_DETAILED_SPEED); }),
                                       on_dialog([](HWND dialog) { click(dialog, IDC_SAVE); })};
    const std::vector<Step> after_declined_erase = {
        on_dialog([](HWND dialog) { click(dialog, IDC_ERASE); }),
        on_message_box([](HWND box) { press(box, IDCANCEL); }),
        on_dialog([](HWND dialog) { cancel(dialog); })};
    const std::vector<Step> after_refused_format = {
        on_dialog([](HWND dialog) { send_format_command(dialog); }),
        on_message_box([](HWND box) { press(box, IDOK); }),
        on_dialog([](HWND dialog) { cancel(dialog); })};
    const std::vector<std::vector<Step>> ways = {by_cancel, by_save, after_declined_erase, after_refused_format};

    const std::vector<std::wstring> downloads_before = tree_listing(L"K:\\CARD");
    const int gdi_free_at_start = free_gdi_handles();
    int gdi_free_warm = 0;
    ProcessUse warm;
    int completed = 0;
    for (int cycle = 1; cycle <= kCycles; ++cycle) {
        const RunResult result = run_dialog(dll, kEnglish, ways[static_cast<std::size_t>(cycle) % ways.size()]);
        completed += result.all_steps_ran && !result.timed_out && result.load_result == 0 ? 1 : 0;
        if (cycle == kWarmUpCycles) {
            gdi_free_warm = free_gdi_handles();
            warm = process_use();
        }
    }
    const int gdi_free_at_end = free_gdi_handles();
    const ProcessUse last = process_use();
    // Wine's own share, from as many bare runs of the same template.
    constexpr int kMeasuredCycles = kCycles - kWarmUpCycles;
    constexpr int kBareWarmUpCycles = 5;
    const int bare_warmed = bare_template_runs(dll, kBareWarmUpCycles);
    const int gdi_free_bare_warm = free_gdi_handles();
    const int bare_completed = bare_template_runs(dll, kMeasuredCycles);
    const int gdi_free_after_bare = free_gdi_handles();
    const int dll_kept = gdi_free_warm - gdi_free_at_end;
    const int wine_kept = gdi_free_bare_warm - gdi_free_after_bare;

    printf("free GDI handles: %d at start, %d after %d runs, %d after %d runs; bare template: %d after %d "
           "runs, %d after %d more\n",
           gdi_free_at_start, gdi_free_warm, kWarmUpCycles, gdi_free_at_end, kCycles, gdi_free_bare_warm,
           kBareWarmUpCycles, gdi_free_after_bare, kMeasuredCycles);
    printf("after %d runs: %lu private bytes, %lu heap bytes, %u handles\n", kWarmUpCycles,
           static_cast<unsigned long>(warm.private_bytes), static_cast<unsigned long>(warm.heap_bytes), warm.handles);
    printf("after %d runs: %lu private bytes, %lu heap bytes, %u handles\n", kCycles,
           static_cast<unsigned long>(last.private_bytes), static_cast<unsigned long>(last.heap_bytes), last.handles);

    check(completed == kCycles, std::to_string(completed) + " of " + std::to_string(kCycles) +
                                    " runs opened, took their steps and returned 0");
    check(bare_warmed == kBareWarmUpCycles && bare_completed == kMeasuredCycles, "the bare template runs all ended");
    check(gdi_free_at_start > 60000, "about 65,000 GDI handles free at the start");
    check(wine_kept <= kMeasuredCycles, "Wine keeps at most one GDI object per bare dialog (" +
                                            std::to_string(wine_kept) + " in " + std::to_string(kMeasuredCycles) + ")");
    check(dll_kept <= wine_kept, "runs " + std::to_string(kWarmUpCycles + 1) + " to " + std::to_string(kCycles) +
                                     " keep no GDI object beyond Wine's own: " + std::to_string(dll_kept) +
                                     " kept, " + std::to_string(wine_kept) + " by bare dialogs");
    check(warm.handles > 0, "this process's handles can be counted");
    check(last.handles <= warm.handles, "no handle kept by runs " + std::to_string(kWarmUpCycles + 1) + " to " +
                                            std::to_string(kCycles) + " (" + std::to_string(warm.handles) + " -> " +
                                            std::to_string(last.handles) + ")");
    check(last.private_bytes <= warm.private_bytes + kPrivateGrowthLimit,
          "private memory stays level within " + std::to_string(kPrivateGrowthLimit) + " bytes");
    check(last.heap_bytes <= warm.heap_bytes + kHeapGrowthLimit,
          "heap use stays level within " + std::to_string(kHeapGrowthLimit) + " bytes");
    check(tree_listing(L"K:\\CARD") == downloads_before, "the declined erases deleted nothing");
}

// ---- keys that cannot be written ----

// CONFIG read-only, on a read-only mount so that root cannot write it either:
// Save says it could not save and leaves the dialog open, CONFIG keeps every
// byte, nothing lands elsewhere.
E2E_GROUP(fault_readonly_config) {
    const std::vector<uint8_t> config = read_file(kKeyConfig);
    check(config.size() == kConfigFileLength, "CONFIG seeded");
    check((GetFileAttributesW(kKeyConfig) & FILE_ATTRIBUTE_READONLY) != 0, "CONFIG carries the read-only attribute");
    check(!opens_for_writing(kKeyConfig), "CONFIG cannot be opened for writing");
    const std::vector<std::wstring> key_before = detailed_listing(kKeyRoot);
    const Surroundings around = surroundings();

    const RunResult result = run_dialog(dll, kEnglish, {
        on_dialog([](HWND dialog) {
            check_text(text_of(dialog, IDC_SAVE), entry_text(Text::save_settings), "the key counts as present");
            click(dialog, IDC_DETAILED_SPEED);
        }),
        on_dialog([](HWND dialog) { click(dialog, IDC_SAVE); }),
        on_error_box(kEnglishLocale, Text::save_failed, "Save to a read-only CONFIG"),
        on_dialog([](HWND dialog) {
            check(IsWindowVisible(dialog) != FALSE, "the dialog stays open after the failed Save");
            cancel(dialog);
        }),
    }, kShortRunMs);
    check(result.load_result == 0, "load returns 0 after Cancel");
    check_bytes(read_file(kKeyConfig), config, "CONFIG keeps every byte");
    check_same(detailed_listing(kKeyRoot), key_before, "nothing on the key changed");
    check_surroundings_unchanged(around, "Save to a read-only CONFIG");
}

// The whole key on a read-only mount: Erase deletes nothing and says so, Save
// says it could not save; the dialog stays open through both, nothing lands
// elsewhere.
E2E_GROUP(fault_readonly_key) {
    check(!write_file(L"K:\\probe", bytes_of("probe")), "nothing can be created on the key");
    check(!opens_for_writing(L"K:\\CARD\\C_20261102_0712_DRIVER1.DDD"), "a download cannot be opened for writing");
    const std::vector<std::wstring> key_before = detailed_listing(kKeyRoot);
    const Surroundings around = surroundings();

    const RunResult result = run_dialog(dll, kEnglish, {
        on_dialog([](HWND dialog) { click(dialog, IDC_ERASE); }),
        on_message_box([](HWND box) { press(box, IDOK); }),
        on_error_box(kEnglishLocale, Text::erase_incomplete, "Erase on a read-only key"),
        on_dialog([](HWND dialog) {
            check(IsWindowVisible(dialog) != FALSE, "the dialog stays open after the failed erase");
            click(dialog, IDC_TECHNICAL_DATA);
        }),
        on_dialog([](HWND dialog) { click(dialog, IDC_SAVE); }),
        on_error_box(kEnglishLocale, Text::save_failed, "Save on a read-only key"),
        on_dialog([](HWND dialog) {
            check(IsWindowVisible(dialog) != FALSE, "the dialog stays open after the failed Save");
            cancel(dialog);
        }),
    }, kShortRunMs);
    check(result.load_result == 0, "load returns 0 after Cancel");
    check_same(detailed_listing(kKeyRoot), key_before, "nothing on the key changed or went");
    check_surroundings_unchanged(around, "Erase and Save on a read-only key");
}

// ---- the key pulled out in the middle of an erase ----

namespace {

// The sweep's eight steps in its order, with many files in the first ones so
// that the key can be pulled while the first step runs.
struct SweepStep {
    const wchar_t* folder;
    const wchar_t* extension;
    int seeded;
};
const SweepStep kSweepSteps[] = {
    {L"CARD", L"dtg", 1200}, {L"CARD", L"ddd", 300}, {L"CARD", L"dtc", 100}, {L"CARD", L"esm", 100},
    {L"TACHO", L"dtg", 100}, {L"TACHO", L"ddd", 100}, {L"TACHO", L"dtc", 50}, {L"TACHO", L"esm", 50},
};

int files_of_step(const SweepStep& step) {
    return static_cast<int>(
        names_matching(key_folder(L'K') + step.folder + L"\\*." + step.extension).size());
}

// A name the sweep may delete: right in a download folder, with an extension it sweeps.
bool is_sweep_target(const std::wstring& listed) {
    const std::wstring path = lower(listed.substr(0, listed.rfind(L' ')));
    for (const SweepStep& step : kSweepSteps) {
        const std::wstring folder = lower(step.folder) + L"\\";
        const std::wstring ending = std::wstring(L".") + step.extension;
        if (starts_with(path, folder) && path.find(L'\\', folder.size()) == std::wstring::npos &&
            path.size() > folder.size() + ending.size() &&
            path.compare(path.size() - ending.size(), ending.size(), ending) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

// The erase makes sure of its key before each of its eight steps. Pulled
// while the first step runs, the erase stops and says so: later steps delete
// nothing, the dialog stays usable and Save, with no key left, writes nothing
// and says so too.
E2E_GROUP(fault_key_removed_mid_erase) {
    int seeded = 0;
    for (const SweepStep& step : kSweepSteps) {
        for (int i = 0; i < step.seeded; ++i) {
            wchar_t name[64];
            swprintf(name, 64, L"K:\\%ls\\D_%05d.%ls", step.folder, i, step.extension);
            seeded += write_file(name, bytes_of("download")) ? 1 : 0;
        }
    }
    check(seeded == 2000, "2,000 downloads seeded (" + std::to_string(seeded) + ")");
    std::vector<int> before_counts;
    for (const SweepStep& step : kSweepSteps) {
        before_counts.push_back(files_of_step(step));
    }
    const std::vector<std::wstring> before = tree_listing(key_folder(L'K'));
    const std::vector<uint8_t> config = read_file(kKeyConfig);

    // The sweep deletes in the order the folder lists, so the first names
    // listed are the first to go.
    const std::wstring first_folder = key_folder(L'K') + kSweepSteps[0].folder + L"\\";
    std::vector<std::wstring> watched;
    for (const std::wstring& name : names_matching(first_folder + L"*." + kSweepSteps[0].extension)) {
        if (watched.size() < 20) {
            watched.push_back(first_folder + name);
        }
    }
    KeyPuller puller(L'K', watched);
    const RunResult result = run_dialog(dll, kEnglish, {
        on_dialog([](HWND dialog) { click(dialog, IDC_ERASE); }),
        on_message_box([](HWND box) { press(box, IDOK); }),
        on_error_box(kEnglishLocale, Text::key_changed, "Erase with the key pulled"),
        on_dialog([](HWND dialog) {
            check(IsWindowVisible(dialog) != FALSE, "the dialog stays open after the erase");
            click(dialog, IDC_DETAILED_SPEED);
        }),
        on_dialog([](HWND dialog) { click(dialog, IDC_SAVE); }),
        on_error_box(kEnglishLocale, Text::key_changed, "Save with the key pulled"),
        on_dialog([](HWND dialog) { cancel(dialog); }),
    });
    check(puller.finish(), "key K: was pulled while the erase ran");
    check(result.load_result == 0, "load returns 0");
    check((GetLogicalDrives() & (1u << (L'K' - L'A'))) == 0, "drive K: is gone");
    check(puller.put_back(), "key K: put back for the checks");

    std::vector<int> after_counts;
    std::string counts_text;
    for (std::size_t i = 0; i < std::size(kSweepSteps); ++i) {
        after_counts.push_back(files_of_step(kSweepSteps[i]));
        counts_text += narrow(kSweepSteps[i].folder) + "\\*." + narrow(kSweepSteps[i].extension) + " " +
                       std::to_string(before_counts[i]) + "->" + std::to_string(after_counts[i]) + "; ";
    }
    printf("files per step: %s\n", counts_text.c_str());
    // Steps run one after another: done, at most one cut short, the rest untouched.
    std::size_t running = 0;
    while (running < after_counts.size() && after_counts[running] == 0) {
        ++running;
    }
    bool later_untouched = true;
    for (std::size_t i = running + 1; i < after_counts.size(); ++i) {
        later_untouched = later_untouched && after_counts[i] == before_counts[i];
    }
    check(later_untouched, "no step after the one running when the key went deleted anything: " + counts_text);
    check(after_counts.back() == before_counts.back(), "the erase stopped before its last step: " + counts_text);

    const std::vector<std::wstring> after = tree_listing(key_folder(L'K'));
    check_same(minus(after, before), {}, "nothing new or changed on the key");
    std::vector<std::wstring> deleted_others;
    for (const std::wstring& gone : minus(before, after)) {
        if (!is_sweep_target(gone)) {
            deleted_others.push_back(gone);
        }
    }
    check_same(deleted_others, {}, "only downloads were deleted");
    check_bytes(read_file(key_folder(L'K') + L"CONFIG"), config, "Save without the key wrote nothing");
}

// ---- hostile files on the key ----

namespace {

std::vector<uint8_t> random_bytes(std::size_t size, uint32_t seed) {
    std::mt19937 generator(seed);
    std::vector<uint8_t> bytes(size);
    for (uint8_t& byte : bytes) {
        byte = static_cast<uint8_t>(generator() & 0xFF);
    }
    return bytes;
}

// The serial number and version a CONFIG of these bytes supplies: the short
// layout of 16 to 19 bytes carries the serial at 17, the full one at 25 and
// the version at 28; only the first 1024 bytes count; bytes past the end read as zero.
struct StoredIdentity {
    uint8_t serial[3] = {};
    uint8_t version[3] = {};
};

StoredIdentity identity_of(const std::vector<uint8_t>& file) {
    constexpr std::size_t kReadLimit = 1024;
    std::vector<uint8_t> read(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(std::min(file.size(), kReadLimit)));
    const std::size_t length = read.size();
    read.resize(kReadLimit, 0);
    StoredIdentity identity;
    if (length >= 16 && length <= 19) {
        if (length >= 19) {
            std::copy_n(read.begin() + 17, 3, identity.serial);
        }
    } else if (length >= 25) {
        std::copy_n(read.begin() + 25, 3, identity.serial);
    }
    if (length >= 30) {
        std::copy_n(read.begin() + 28, 3, identity.version);
    }
    return identity;
}

std::wstring serial_text(const StoredIdentity& identity) {
    if (identity.serial[0] == 0) {
        return entry_text(Text::no_data_available);
    }
    wchar_t text[32];
    swprintf(text, 32, L"QVX/%02d/%04d", static_cast<int8_t>(identity.serial[0]),
             static_cast<int8_t>(identity.serial[1]) * 256 + identity.serial[2]);
    return text;
}

std::wstring version_text(const StoredIdentity& identity) {
    if (identity.version[0] == 0) {
        return entry_text(Text::no_data_available);
    }
    wchar_t text[32];
    swprintf(text, 32, L"%d.%d.%d", static_cast<int8_t>(identity.version[0]),
             static_cast<int8_t>(identity.version[1]), static_cast<int8_t>(identity.version[2]));
    return text;
}

}  // namespace

// CONFIG of random bytes at the lengths where reading changes its mind, and
// far past what is read: the dialog opens, shows what the file holds, and
// Save writes 32 bytes that carry the serial number and version back, bytes
// 25 to 31 exactly as the file has them.
E2E_GROUP(fault_hostile_config) {
    const std::size_t kSizes[] = {0, 1, 15, 16, 19, 24, 1024, 100000};
    const uint32_t kSeeds[] = {7, 1234567, 0xC0FFEE};
    const std::vector<uint8_t> date = read_file(kKeyDate);
    for (const std::size_t size : kSizes) {
        for (const uint32_t seed : kSeeds) {
            const std::string label = "CONFIG of " + std::to_string(size) + " random bytes, seed " + std::to_string(seed);
            const std::vector<uint8_t> stored = random_bytes(size, seed);
            check(write_file(kKeyConfig, stored), label + ": seeded");
            const std::vector<std::wstring> others_before = without(detailed_listing(kKeyRoot), L"CONFIG");
            const StoredIdentity identity = identity_of(stored);
            bool opened = false;
            const RunResult result = run_dialog(dll, kEnglish, {on_dialog([&](HWND dialog) {
                opened = true;
                check_text(text_of(dialog, IDC_SERIAL_VALUE), serial_text(identity), label + ": serial number shown");
                check_text(text_of(dialog, IDC_VERSION_VALUE), version_text(identity), label + ": version shown");
                click(dialog, IDC_SAVE);
            })}, kShortRunMs);
            check(opened && result.load_result == 0, label + ": the dialog opened and Save ended it");
            const std::vector<uint8_t> written = read_file(kKeyConfig);
            check(written.size() == kConfigFileLength, label + ": Save wrote 32 bytes (" + std::to_string(written.size()) + ")");
            if (written.size() == kConfigFileLength) {
                const std::vector<uint8_t> tail(written.begin() + kIdentityOffset, written.end());
                std::vector<uint8_t> expected_tail = {identity.serial[0],  identity.serial[1],  identity.serial[2],
                                                      identity.version[0], identity.version[1], identity.version[2], 0};
                // What the file itself holds there is kept as it is.
                for (std::size_t i = kIdentityOffset; i < std::min(stored.size(), kConfigFileLength); ++i) {
                    expected_tail[i - kIdentityOffset] = stored[i];
                }
                check_bytes(tail, expected_tail, label + ": serial number and version written back");
            }
            check_bytes(read_file(kKeyDate), date, label + ": DATE untouched");
            check_same(without(detailed_listing(kKeyRoot), L"CONFIG"), others_before,
                       label + ": nothing else on the key changed");
        }
    }
}

// CONFIG or DATE a folder: the dialog opens and closes, the folder and what
// it holds stay, and the other file still works.
E2E_GROUP(fault_config_date_folders) {
    const std::vector<uint8_t> config = read_file(kKeyConfig);
    const Surroundings around = surroundings();

    // CONFIG a folder: nothing to read, so nothing shown; Save cannot replace
    // it, says so and leaves the dialog open.
    check(DeleteFileW(kKeyConfig) && CreateDirectoryW(kKeyConfig, nullptr), "CONFIG made a folder");
    check(write_file(L"K:\\CONFIG\\inside", bytes_of("kept")), "a file inside the CONFIG folder");
    std::vector<std::wstring> key_before = detailed_listing(kKeyRoot);
    RunResult result = run_dialog(dll, kEnglish, {
        on_dialog([](HWND dialog) {
            check_text(text_of(dialog, IDC_SERIAL_VALUE), entry_text(Text::no_data_available),
                       "CONFIG folder: no serial number");
            check_text(text_of(dialog, IDC_SAVE), entry_text(Text::save_settings), "CONFIG folder: the key counts as present");
            click(dialog, IDC_SAVE);
        }),
        on_error_box(kEnglishLocale, Text::save_failed, "CONFIG folder: Save"),
        on_dialog([](HWND dialog) { cancel(dialog); }),
    }, kShortRunMs);
    check(result.load_result == 0, "CONFIG folder: load returns 0 after Cancel");
    check((GetFileAttributesW(kKeyConfig) & FILE_ATTRIBUTE_DIRECTORY) != 0, "CONFIG is still a folder");
    check_same(detailed_listing(kKeyRoot), key_before, "CONFIG folder: nothing on the key changed");

    check(DeleteFileW(L"K:\\CONFIG\\inside") && RemoveDirectoryW(kKeyConfig) && write_file(kKeyConfig, config),
          "CONFIG made a file again");

    // DATE a folder: CONFIG is still read and written; the folder stays.
    check(DeleteFileW(kKeyDate) && CreateDirectoryW(kKeyDate, nullptr), "DATE made a folder");
    check(write_file(L"K:\\DATE\\inside", bytes_of("kept")), "a file inside the DATE folder");
    key_before = detailed_listing(kKeyRoot);
    result = run_dialog(dll, kEnglish, {
        on_dialog([](HWND dialog) {
            check_text(text_of(dialog, IDC_SERIAL_VALUE), L"QVX/05/4660", "DATE folder: CONFIG still read");
            click(dialog, IDC_DETAILED_SPEED);
        }),
        on_dialog([](HWND dialog) { click(dialog, IDC_SAVE); }),
    }, kShortRunMs);
    check(result.load_result == 0, "DATE folder: load returns 0 after Save");
    std::vector<uint8_t> expected = config;
    expected[3] = '0';  // detailed speed unchecked
    const std::vector<uint8_t> written = read_file(kKeyConfig);
    check(written.size() == kConfigFileLength && std::equal(written.begin(), written.begin() + 9, expected.begin()) &&
              std::equal(written.begin() + kIdentityOffset, written.end(), expected.begin() + kIdentityOffset),
          "DATE folder: CONFIG written with the new choice and the stored serial number");
    check((GetFileAttributesW(kKeyDate) & FILE_ATTRIBUTE_DIRECTORY) != 0, "DATE is still a folder");
    check_bytes(read_file(L"K:\\DATE\\inside"), bytes_of("kept"), "the file inside the DATE folder is kept");
    check_same(without(detailed_listing(kKeyRoot), L"CONFIG"), without(key_before, L"CONFIG"),
               "DATE folder: nothing else on the key changed");
    check_surroundings_unchanged(around, "CONFIG and DATE folders");
}

// ---- hostile names and a download held open ----

namespace {

// The longest name a Linux file system takes is 255 bytes of UTF-8.
constexpr std::size_t kLongestNameBytes = 255;

struct SeededEntry {
    std::wstring path;  // below the key root
    bool erased;
};

}  // namespace

// Names at the file system's limit, past 260 characters as a path, in other
// scripts, deep below the download folders, and a download that another
// handle holds without delete sharing: the erase takes exactly the downloads
// it can, says that some stayed, and nothing outside CARD\ and TACHO\ goes.
E2E_GROUP(fault_hostile_downloads) {
    const std::wstring deep_folders = repeated(L"d", 100) + L"\\" + repeated(L"e", 100) + L"\\" + repeated(L"f", 100);
    const std::vector<std::wstring> folders = {
        L"TACHO\\" + repeated(L"d", 100), L"TACHO\\" + repeated(L"d", 100) + L"\\" + repeated(L"e", 100),
        L"TACHO\\" + deep_folders, repeated(L"r", 120), repeated(L"r", 120) + L"\\" + repeated(L"s", 150),
        L"CARD\\" + repeated(L"g", 251) + L".ddd"};
    const std::vector<SeededEntry> seeded = {
        {L"CARD\\" + repeated(L"a", kLongestNameBytes - 4) + L".ddd", true},
        {L"CARD\\" + repeated(L"b", kLongestNameBytes - 4) + L".txt", false},
        {L"TACHO\\" + repeated(L"c", kLongestNameBytes - 4) + L".ESM", true},
        {L"CARD\\" + repeated(L"\u017C", 125) + L".dtc", true},  // 254 bytes, 129 characters
        {L"CARD\\\u0141_\u017C\u00F3\u0142w.ddd", true},
        {L"TACHO\\\u03A9.esm", true},
        {L"TACHO\\\u03A9mega.DTG", true},
        {L"CARD\\\u00E4.txt", false},
        {L"TACHO\\\u00E4.txt", false},
        {L"CARD\\\u00E4.dd\u00F0", false},
        {L"TACHO\\" + deep_folders + L"\\inner.esm", false},
        {repeated(L"r", 120) + L"\\" + repeated(L"s", 150) + L"\\root.ddd", false},
        {L"CARD\\" + repeated(L"g", 251) + L".ddd\\inside.ddd", false},
        {L"CARD\\locked.ddd", false},
    };
    for (const std::wstring& folder : folders) {
        check(CreateDirectoryW(extended_path(kKeyRoot + folder).c_str(), nullptr) != FALSE,
              "folder made: " + narrow(folder.substr(0, 40)) + "...");
    }
    for (const SeededEntry& entry_seeded : seeded) {
        check(write_file(extended_path(kKeyRoot + entry_seeded.path), bytes_of("seeded")),
              "file made: " + narrow(entry_seeded.path.substr(0, 60)));
    }
    check(!write_file(extended_path(L"K:\\CARD\\" + repeated(L"a", kLongestNameBytes - 3) + L".ddd"), bytes_of("x")),
          "a name of 256 bytes is refused by the file system");
    check(!write_file(extended_path(L"K:\\CARD\\" + repeated(L"\u017C", 126) + L".ddd"), bytes_of("x")),
          "a name of 130 characters in 256 bytes is refused by the file system");

    const std::vector<std::wstring> before = detailed_listing(kKeyRoot);
    std::vector<std::wstring> expected;
    for (const std::wstring& line : before) {
        const bool erased = std::any_of(seeded.begin(), seeded.end(), [&line](const SeededEntry& entry_seeded) {
            return entry_seeded.erased && starts_with(line, entry_seeded.path + L" ");
        });
        const bool made_by_key_script = starts_with(line, L"CARD\\C_2026") || starts_with(line, L"TACHO\\M_2026");
        if (!erased && !made_by_key_script) {
            expected.push_back(line);
        }
    }
    const auto erased_count = std::count_if(seeded.begin(), seeded.end(),
                                            [](const SeededEntry& entry_seeded) { return entry_seeded.erased; });
    check(before.size() == expected.size() + static_cast<std::size_t>(erased_count) + 4,
          "every seeded download and the key's own four are listed");

    {
        // Held open without delete sharing, as a program still reading it would.
        const HeldFile held(L"K:\\CARD\\locked.ddd", FILE_SHARE_READ | FILE_SHARE_WRITE);
        check(held.is_open(), "locked.ddd held open");
        const RunResult result = run_dialog(dll, kEnglish, {
            on_dialog([](HWND dialog) { click(dialog, IDC_ERASE); }),
            on_message_box([](HWND box) { press(box, IDOK); }),
            on_error_box(kEnglishLocale, Text::erase_incomplete, "Erase with a download held open"),
            on_dialog([](HWND dialog) {
                check(IsWindowVisible(dialog) != FALSE, "the dialog stays open after the erase");
                cancel(dialog);
            }),
        }, kShortRunMs);
        check(result.load_result == 0, "load returns 0");
    }
    check_same(detailed_listing(kKeyRoot), expected,
               "exactly the downloads in CARD\\ and TACHO\\ are gone, the held one stays");
    check_bytes(read_file(L"K:\\CARD\\locked.ddd"), bytes_of("seeded"), "the held download is intact");
}

// ---- nothing written beside the key ----

// A whole session: open, Save; open again, Erase, the format command (refused
// for the size of the host's volume). Only CONFIG and the downloads change.
E2E_GROUP(fault_writes_only_key) {
    const Surroundings around = surroundings();
    const std::vector<std::wstring> key_before = detailed_listing(kKeyRoot);
    const std::vector<uint8_t> config = read_file(kKeyConfig);

    RunResult result = run_dialog(dll, kEnglish, {
        on_dialog([](HWND dialog) { click(dialog, IDC_DETAILED_SPEED); }),
        on_dialog([](HWND dialog) { click(dialog, IDC_SAVE); }),
    });
    check(result.load_result == 0, "first run: load returns 0 after Save");
    result = run_dialog(dll, kEnglish, {
        on_dialog([](HWND dialog) { click(dialog, IDC_ERASE); }),
        on_message_box([](HWND box) { press(box, IDOK); }),
        on_dialog([](HWND dialog) { send_format_command(dialog); }),
        on_message_box([](HWND box) {
            check_text(text_of(box, kMessageBoxTextId), entry_text(Text::incorrect_device_size), "the format is refused");
            press(box, IDOK);
        }),
        on_dialog([](HWND dialog) { cancel(dialog); }),
    });
    check(result.load_result == 0, "second run: load returns 0");

    std::vector<std::wstring> key_expected;
    for (const std::wstring& line : key_before) {
        const bool download = starts_with(line, L"CARD\\C_2026") || starts_with(line, L"TACHO\\M_2026");
        if (!download && !starts_with(line, L"CONFIG ")) {
            key_expected.push_back(line);
        }
    }
    const std::vector<std::wstring> key_after = detailed_listing(kKeyRoot);
    check(key_expected.size() + 5 == key_before.size(), "the key held CONFIG and four downloads");
    check_same(without(key_after, L"CONFIG"), key_expected, "on the key only the downloads went");
    const std::vector<uint8_t> written = read_file(kKeyConfig);
    check(written.size() == kConfigFileLength && written != config && written[3] == '0',
          "CONFIG rewritten with detailed speed off");
    check_surroundings_unchanged(around, "after Save, Erase and the format command");
}

// A format confirmed on a read-only key of an accepted size: the backup is
// made, the shell formats nothing (Wine's stub), so nothing is copied back
// and the backup goes; nothing on the key changes, Save cannot write.
E2E_GROUP(fault_readonly_key_format) {
    check(!write_file(L"K:\\probe", bytes_of("probe")), "nothing can be created on the key");
    const std::vector<std::wstring> key_before = detailed_listing(kKeyRoot);
    const std::vector<std::wstring> temp_before = detailed_listing(temp_folder());

    const RunResult result = run_dialog(dll, kEnglish, {
        on_dialog([](HWND dialog) { send_format_command(dialog); }),
        on_message_box([](HWND box) {
            check_text(text_of(box, kMessageBoxTextId), entry_text(Text::format_confirmation), "the format asks first");
            press(box, IDOK);
        }),
        on_dialog([](HWND dialog) {
            check(IsWindowVisible(dialog) != FALSE, "the dialog stays open after the format");
            click(dialog, IDC_SAVE);
        }),
        on_error_box(kEnglishLocale, Text::save_failed, "Save on a read-only key"),
        on_dialog([](HWND dialog) { cancel(dialog); }),
    }, kShortRunMs);
    check(result.load_result == 0, "load returns 0 after Cancel");
    check_same(detailed_listing(kKeyRoot), key_before, "nothing on the key changed");
    const std::vector<std::wstring> temp_after = detailed_listing(temp_folder());
    check_same(temp_after, temp_before, "no backup folder left in the temporary folder");
    // The prefix is shared with the other groups, which expect no backup left.
    const std::wstring temp = temp_folder();
    const std::vector<std::wstring> added = minus(temp_after, temp_before);
    for (auto line = added.rbegin(); line != added.rend(); ++line) {
        const std::wstring path = temp + line->substr(0, line->find(L' '));
        if (path.back() == L'\\') {
            RemoveDirectoryW(path.c_str());
        } else {
            DeleteFileW(path.c_str());
        }
    }
}
