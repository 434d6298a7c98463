// Faults and hostile input on the real DLL under Wine: many dialog runs in one
// process, keys that cannot be written, a key pulled in the middle of an
// erase, hostile files and names on the key, and nothing written beside it.
#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <iterator>
#include <optional>
#include <random>

#include "device/device_drive.h"
#include "e2e/harness.h"
#include "l10n/texts.h"
#include "resources/resource.h"

using namespace e2e;
using lanternbook::Text;

namespace {

const wchar_t kKeyRoot[] = L"K:\\";
const wchar_t kKeyConfig[] = L"K:\\CONFIG";
const wchar_t kKeyDate[] = L"K:\\DATE";
const char kEnglish[] = "1033";
constexpr uint32_t kEnglishLocale = 0x0409;
constexpr std::size_t kWrittenConfigSize = 32;

std::wstring entry_text(Text text) { return e2e::entry_text(kEnglishLocale, text); }

class GroupClock {
public:
    explicit GroupClock(const char* group) : group_(group), started_(GetTickCount()) {}
    ~GroupClock() { printf("%s ran %lu ms\n", group_, GetTickCount() - started_); }
    GroupClock(const GroupClock&) = delete;
    GroupClock& operator=(const GroupClock&) = delete;

private:
    const char* group_;
    DWORD started_;
};

// ---- listings that also see times ----

std::wstring without_trailing_backslash(std::wstring path) {
    while (!path.empty() && path.back() == L'\\') {
        path.pop_back();
    }
    return path;
}

using SkipEntry = std::function<bool(const std::wstring& relative, bool is_folder)>;

// Files with sizes and write times, folders by name, sorted.
std::vector<std::wstring> detailed_listing(const std::wstring& folder, const SkipEntry& skip = SkipEntry()) {
    return tree_listing(folder, ListingOptions{true, skip});
}

std::vector<std::wstring> minus(const std::vector<std::wstring>& from, const std::vector<std::wstring>& taken) {
    std::vector<std::wstring> rest;
    std::set_difference(from.begin(), from.end(), taken.begin(), taken.end(), std::back_inserter(rest));
    return rest;
}

std::string some_lines(const std::vector<std::wstring>& lines) {
    constexpr std::size_t kShown = 12;
    std::string text;
    for (std::size_t i = 0; i < lines.size() && i < kShown; ++i) {
        text += "\n      " + narrow(lines[i]);
    }
    if (lines.size() > kShown) {
        text += "\n      ... " + std::to_string(lines.size() - kShown) + " more";
    }
    return text;
}

// Compares sorted listings and shows only what differs.
void check_same(const std::vector<std::wstring>& actual, const std::vector<std::wstring>& expected,
                const std::string& what) {
    const std::vector<std::wstring> extra = minus(actual, expected);
    const std::vector<std::wstring> missing = minus(expected, actual);
    check(extra.empty() && missing.empty(),
          what + "\n    not expected:" + some_lines(extra) + "\n    missing:" + some_lines(missing));
}

bool starts_with(const std::wstring& text, const std::wstring& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::wstring lower(std::wstring text) {
    for (wchar_t& c : text) {
        c = static_cast<wchar_t>(towlower(c));
    }
    return text;
}

// ---- the host around the key: the Wine prefix, the temporary folder, the registry ----

std::wstring prefix_folder() {
    wchar_t unix_path[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"WINEPREFIX", unix_path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return std::wstring();
    }
    std::wstring path = L"Z:" + std::wstring(unix_path, length);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

std::wstring temp_folder() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    wchar_t long_form[MAX_PATH] = {};
    GetLongPathNameW(temp, long_form, MAX_PATH);
    return long_form;
}

// dosdevices holds the drive links (Z: is the whole host file system); the
// *.reg files are the registry that wineserver rewrites whole whenever it
// flushes, so their sizes and times tell nothing about who wrote what (the
// registry is compared key by key instead); the temporary folder is where a
// format may keep its backup and is checked on its own.
std::vector<std::wstring> prefix_listing() {
    const std::wstring temp = lower(without_trailing_backslash(temp_folder()));
    const std::wstring temp_in_prefix = starts_with(temp, L"c:\\") ? L"drive_c\\" + temp.substr(3) : std::wstring();
    return detailed_listing(prefix_folder(), [&temp_in_prefix](const std::wstring& relative, bool is_folder) {
        const std::wstring name = lower(relative);
        const bool top_level = name.find(L'\\') == std::wstring::npos;
        const bool registry_file = !is_folder && top_level && name.size() > 4 &&
                                   name.compare(name.size() - 4, 4, L".reg") == 0;
        return name == L"dosdevices" || registry_file || (!temp_in_prefix.empty() && name == temp_in_prefix);
    });
}

// Wine's volatile cache of system parameters, which its user32 fills the
// first time any window needs them.
const wchar_t kWineParameterCache[] = L"Software\\Wine\\Temporary System Parameters";

void registry_into(HKEY parent, const std::wstring& path, std::vector<std::wstring>& out) {
    if (parent == HKEY_CURRENT_USER && starts_with(path, kWineParameterCache)) {
        return;
    }
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return;
    }
    out.push_back(path + L"\\");
    std::vector<wchar_t> name(16384);
    std::vector<BYTE> data(1 << 16);
    for (DWORD index = 0;; ++index) {
        DWORD name_length = static_cast<DWORD>(name.size());
        DWORD type = 0;
        DWORD data_size = static_cast<DWORD>(data.size());
        LONG status = RegEnumValueW(key, index, name.data(), &name_length, nullptr, &type, data.data(), &data_size);
        if (status == ERROR_MORE_DATA && data_size > data.size()) {
            data.resize(data_size);
            name_length = static_cast<DWORD>(name.size());
            status = RegEnumValueW(key, index, name.data(), &name_length, nullptr, &type, data.data(), &data_size);
        }
        if (status != ERROR_SUCCESS || name_length > name.size() || data_size > data.size()) {
            break;
        }
        std::wstring line = path + L" : " + std::wstring(name.data(), name_length) + L" = " +
                            std::to_wstring(type) + L"/" + std::to_wstring(data_size) + L"/";
        for (DWORD i = 0; i < data_size; ++i) {
            line += static_cast<wchar_t>(L'a' + (data[i] >> 4));
            line += static_cast<wchar_t>(L'a' + (data[i] & 15));
        }
        out.push_back(line);
    }
    std::vector<std::wstring> children;
    for (DWORD index = 0;; ++index) {
        DWORD name_length = static_cast<DWORD>(name.size());
        if (RegEnumKeyExW(key, index, name.data(), &name_length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        children.emplace_back(name.data(), name_length);
    }
    RegCloseKey(key);
    for (const std::wstring& child : children) {
        registry_into(parent, path.empty() ? child : path + L"\\" + child, out);
    }
}

// Every key and value of the user's hive and of the machine's software hive.
std::vector<std::wstring> registry_listing() {
    std::vector<std::wstring> out;
    std::vector<std::wstring> user;
    registry_into(HKEY_CURRENT_USER, L"", user);
    for (const std::wstring& line : user) {
        out.push_back(L"HKCU\\" + line);
    }
    std::vector<std::wstring> machine;
    registry_into(HKEY_LOCAL_MACHINE, L"Software", machine);
    for (const std::wstring& line : machine) {
        out.push_back(L"HKLM\\" + line);
    }
    std::sort(out.begin(), out.end());
    return out;
}

// What the system may not change: the Wine prefix with drive C:, the
// temporary folder, the registry.
struct Surroundings {
    std::vector<std::wstring> prefix;
    std::vector<std::wstring> temp;
    std::vector<std::wstring> registry;
};

Surroundings surroundings() {
    return Surroundings{prefix_listing(), detailed_listing(temp_folder()), registry_listing()};
}

void check_surroundings_unchanged(const Surroundings& before, const std::string& when) {
    const Surroundings after = surroundings();
    check(before.prefix.size() > 100, "the Wine prefix was listed (" + std::to_string(before.prefix.size()) + " entries)");
    check(before.registry.size() > 100, "the registry was listed (" + std::to_string(before.registry.size()) + " lines)");
    check_same(after.prefix, before.prefix, when + ": the Wine prefix and drive C: are unchanged");
    check_same(after.temp, before.temp, when + ": the temporary folder is unchanged");
    check_same(after.registry, before.registry, when + ": the registry is unchanged");
}

// ---- what the process holds ----

struct ProcessUse {
    SIZE_T private_bytes = 0;
    SIZE_T heap_bytes = 0;
    unsigned handles = 0;
};

// Committed private memory, as PrivateUsage counts it; Wine reports zeros
// through K32GetProcessMemoryInfo, so the address space is walked instead.
SIZE_T private_committed_bytes() {
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION region{};
    const char* address = nullptr;
    while (VirtualQuery(address, &region, sizeof region) == sizeof region) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) {
            total += region.RegionSize;
        }
        const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
        if (next <= address) {
            break;
        }
        address = next;
    }
    return total;
}

SIZE_T heap_bytes_in_use() {
    std::vector<HANDLE> heaps(256);
    const DWORD count = GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
    SIZE_T total = 0;
    for (DWORD i = 0; i < count && i < heaps.size(); ++i) {
        PROCESS_HEAP_ENTRY walked{};
        HeapLock(heaps[i]);
        while (HeapWalk(heaps[i], &walked)) {
            if (walked.wFlags & PROCESS_HEAP_ENTRY_BUSY) {
                total += walked.cbData;
            }
        }
        HeapUnlock(heaps[i]);
    }
    return total;
}

// Wine reports no count through GetProcessHandleCount, so this process's
// entries are counted in the system's handle table.
unsigned open_handle_count() {
    struct HandleEntry {
        ULONG owner_pid;
        BYTE object_type;
        BYTE flags;
        USHORT handle;
        PVOID object;
        ULONG access;
    };
    constexpr ULONG kSystemHandleInformation = 16;
    using Query = NTSTATUS(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    Query query = nullptr;
    const FARPROC address = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation");
    std::memcpy(&query, &address, sizeof address);
    if (query == nullptr) {
        return 0;
    }
    std::vector<uint8_t> buffer(1 << 22);
    ULONG length = 0;
    if (query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &length) != 0) {
        return 0;
    }
    ULONG count = 0;
    std::memcpy(&count, buffer.data(), sizeof count);
    const std::size_t room = (buffer.size() - sizeof(ULONG)) / sizeof(HandleEntry);
    unsigned own = 0;
    for (ULONG i = 0; i < count && i < room; ++i) {
        HandleEntry handle_entry{};
        std::memcpy(&handle_entry, buffer.data() + sizeof(ULONG) + i * sizeof(HandleEntry), sizeof handle_entry);
        own += handle_entry.owner_pid == GetCurrentProcessId() ? 1 : 0;
    }
    return own;
}

ProcessUse process_use() { return ProcessUse{private_committed_bytes(), heap_bytes_in_use(), open_handle_count()}; }

INT_PTR CALLBACK bare_dialog_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    if (message == WM_INITDIALOG) {
        return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wparam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

void CALLBACK close_active_dialog(HWND, UINT, UINT_PTR, DWORD) {
    if (HWND dialog = GetActiveWindow()) {
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }
}

// The DLL's own template run by a procedure that does nothing: what Wine
// itself keeps per dialog. Its static control never frees the logo bitmap it
// loads for the template's hidden picture, one GDI object per dialog.
int bare_template_runs(const Dll& dll, int runs) {
    int completed = 0;
    for (int i = 0; i < runs; ++i) {
        const UINT_PTR timer = SetTimer(nullptr, 0, 40, close_active_dialog);
        completed += DialogBoxParamW(dll.module, MAKEINTRESOURCEW(IDD_CONFIGURATOR), nullptr,
                                     bare_dialog_procedure, 0) == IDCANCEL ? 1 : 0;
        KillTimer(nullptr, timer);
    }
    return completed;
}

}  // namespace

// ---- many runs in one process ----

// Open and close the dialog 100 times, by Cancel, Save, a declined erase and
// a refused format in turn: GDI objects, handles and memory stay level once
// Wine's first-use caches are filled (after 10 runs).
E2E_GROUP(fault_open_close_cycles) {
    const GroupClock clock("fault_open_close_cycles");
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
    bare_template_runs(dll, kBareWarmUpCycles);
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
    check(bare_completed == kMeasuredCycles, "the bare template runs all ended");
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

namespace {

bool opens_for_writing(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(file);
    return true;
}

constexpr DWORD kShortRunMs = 15000;

}  // namespace

// CONFIG read-only, on a read-only mount so that root cannot write it either:
// Save says it could not save and leaves the dialog open, CONFIG keeps every
// byte, nothing lands elsewhere.
E2E_GROUP(fault_readonly_config) {
    const GroupClock clock("fault_readonly_config");
    const std::vector<uint8_t> config = read_file(kKeyConfig);
    check(config.size() == kWrittenConfigSize, "CONFIG seeded");
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
    const GroupClock clock("fault_readonly_key");
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

std::vector<std::wstring> names_matching(const std::wstring& pattern) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE listing = FindFirstFileW(pattern.c_str(), &found);
    if (listing == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            names.push_back(found.cFileName);
        }
    } while (FindNextFileW(listing, &found));
    FindClose(listing);
    return names;
}

int files_of_step(const SweepStep& step) {
    return static_cast<int>(
        names_matching(key_folder(L'K') + step.folder + L"\\*." + step.extension).size());
}

// Pulls key K: out as soon as one of the watched files is gone.
class KeyPuller {
public:
    explicit KeyPuller(std::vector<std::wstring> watched)
        : watched_(std::move(watched)), thread_(CreateThread(nullptr, 0, run, this, 0, nullptr)) {
        // It must see the first deletions before the sweep's first step ends.
        SetThreadPriority(thread_.get(), THREAD_PRIORITY_HIGHEST);
    }
    ~KeyPuller() { finish(); }
    KeyPuller(const KeyPuller&) = delete;
    KeyPuller& operator=(const KeyPuller&) = delete;

    // Waits for the thread; true when it pulled the key.
    bool finish() {
        if (thread_.is_open()) {
            InterlockedExchange(&stop_, 1);
            WaitForSingleObject(thread_.get(), INFINITE);
            thread_.close();
        }
        return pulled_ && pulled_->pulled();
    }
    bool put_back() { return finish() && pulled_->put_back(); }

private:
    static DWORD WINAPI run(void* self_address) {
        auto* self = static_cast<KeyPuller*>(self_address);
        while (InterlockedCompareExchange(&self->stop_, 0, 0) == 0) {
            for (const std::wstring& path : self->watched_) {
                if (!file_exists(path)) {
                    self->pulled_.emplace(L'K');
                    return 0;
                }
            }
            Sleep(1);
        }
        return 0;
    }

    std::vector<std::wstring> watched_;
    std::optional<PulledKey> pulled_;
    volatile LONG stop_ = 0;
    Handle thread_;
};

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
    const GroupClock clock("fault_key_removed_mid_erase");
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
    KeyPuller puller(watched);
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

std::vector<std::wstring> without(std::vector<std::wstring> listing, const std::wstring& name) {
    listing.erase(std::remove_if(listing.begin(), listing.end(),
                                 [&name](const std::wstring& line) { return starts_with(line, name + L" "); }),
                  listing.end());
    return listing;
}

}  // namespace

// CONFIG of random bytes at the lengths where reading changes its mind, and
// far past what is read: the dialog opens, shows what the file holds, and
// Save writes 32 bytes that carry the serial number and version back, bytes
// 25 to 31 exactly as the file has them.
E2E_GROUP(fault_hostile_config) {
    const GroupClock clock("fault_hostile_config");
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
            check(written.size() == kWrittenConfigSize, label + ": Save wrote 32 bytes (" + std::to_string(written.size()) + ")");
            if (written.size() == kWrittenConfigSize) {
                const std::vector<uint8_t> tail(written.begin() + kIdentityOffset, written.end());
                std::vector<uint8_t> expected_tail = {identity.serial[0],  identity.serial[1],  identity.serial[2],
                                                      identity.version[0], identity.version[1], identity.version[2], 0};
                // What the file itself holds there is kept as it is.
                for (std::size_t i = kIdentityOffset; i < std::min(stored.size(), kWrittenConfigSize); ++i) {
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
    const GroupClock clock("fault_config_date_folders");
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
    check(written.size() == kWrittenConfigSize && std::equal(written.begin(), written.begin() + 9, expected.begin()) &&
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

std::wstring repeated(const std::wstring& part, std::size_t times) {
    std::wstring text;
    for (std::size_t i = 0; i < times; ++i) {
        text += part;
    }
    return text;
}

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
    const GroupClock clock("fault_hostile_downloads");
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
    const GroupClock clock("fault_writes_only_key");
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
    check(written.size() == kWrittenConfigSize && written != config && written[3] == '0',
          "CONFIG rewritten with detailed speed off");
    check_surroundings_unchanged(around, "after Save, Erase and the format command");
}

// A format confirmed on a read-only key of an accepted size: the backup is
// made, the shell formats nothing (Wine's stub), so nothing is copied back
// and the backup goes; nothing on the key changes, Save cannot write.
E2E_GROUP(fault_readonly_key_format) {
    const GroupClock clock("fault_readonly_key_format");
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
