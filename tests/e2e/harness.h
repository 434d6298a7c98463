// A small harness for driving the real DLL and its dialog under Wine: checks
// that count and report, the key's files seen through Win32, and the dialog
// run by the modal driver.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "e2e/modal_driver.h"
#include "l10n/texts.h"

namespace e2e {

// Where the key's own bytes (serial number and software version) start in CONFIG.
constexpr std::size_t kIdentityOffset = 25;

// ---- checks ----
void check(bool ok, const std::string& what);
void check_text(const std::wstring& actual, const std::wstring& expected, const std::string& what);
void check_bytes(const std::vector<uint8_t>& actual, const std::vector<uint8_t>& expected,
                 const std::string& what);
int failures();
int passes();
std::string narrow(const std::wstring& text);

// ---- the DLL ----
struct Dll {
    HMODULE module = nullptr;
    const wchar_t*(__cdecl* find_device)() = nullptr;
    int(__cdecl* load)(const char*) = nullptr;
};
// Loads lanternbook.dll from the given path (default: beside this program).
bool load_dll(Dll& dll, const std::wstring& path = std::wstring());
void unload_dll(Dll& dll);
std::wstring own_folder();

// ---- files on the emulated key ----
std::vector<uint8_t> read_file(const std::wstring& path);
bool write_file(const std::wstring& path, const std::vector<uint8_t>& bytes);
bool file_exists(const std::wstring& path);
std::vector<uint8_t> bytes_of(const std::string& text);
// The folder of emulated key LETTER as the host file system holds it, reachable
// even when the key's drive letter is gone.
std::wstring key_folder(wchar_t letter);

// A handle of this process, closed when it goes out of scope.
class Handle {
public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    ~Handle() { close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return handle_; }
    bool is_open() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    void close();

private:
    HANDLE handle_;
};

// A file this process holds open for reading, sharing only what `share`
// allows, as another program on the machine might.
class HeldFile {
public:
    HeldFile(const std::wstring& path, DWORD share);
    bool is_open() const { return handle_.is_open(); }
    void release() { handle_.close(); }

private:
    Handle handle_;
};

// Emulated key LETTER pulled out: its folder moves aside and its drive
// letter goes. Removing the letter alone is not enough under Wine, whose
// paths through the letter keep reaching the folder.
class PulledKey {
public:
    explicit PulledKey(wchar_t letter);
    ~PulledKey();
    PulledKey(const PulledKey&) = delete;
    PulledKey& operator=(const PulledKey&) = delete;
    bool pulled() const { return pulled_; }
    // The same key plugged in again at the same letter; true when it is back.
    bool put_back();
    // Where the key's files are while it is out.
    std::wstring aside_folder() const;

private:
    std::wstring folder() const;

    wchar_t letter_;
    std::wstring device_target_;
    bool pulled_ = false;
};
// Every file and folder below a folder, relative paths with sizes, sorted.
// Paths past the classic limit are reached; links out of the tree are noted,
// not followed.
struct ListingOptions {
    bool write_times = false;
    // Entries (relative path, is_folder) left out together with what they hold.
    std::function<bool(const std::wstring& relative, bool is_folder)> skip;
};
std::vector<std::wstring> tree_listing(const std::wstring& folder,
                                       const ListingOptions& options = ListingOptions());
// The extended form of a path, for paths past the classic limit.
std::wstring extended_path(const std::wstring& path);

// ---- the dialog ----
struct RunResult {
    int load_result = -1;
    bool all_steps_ran = false;
    bool timed_out = false;
};
// Runs load(locale) under run_modal and checks that the run ended in time
// with every step run.
RunResult run_dialog(const Dll& dll, const char* locale, std::vector<Step> steps,
                     DWORD timeout_ms = kRunTimeoutMs);

// The text of an entry in the table that a locale picks.
std::wstring entry_text(uint32_t locale, lanternbook::Text text);
// Answers a message box with one of its buttons.
void press(HWND box, int button);
// A step for an error box: checks its caption and that its text is entry
// `entry_index` of the table for `locale`, then answers OK.
Step on_error_box(uint32_t locale, lanternbook::Text message, const std::string& what);
// Sends the format command to the hidden button, as its click would.
void send_format_command(HWND dialog);

bool is_checked(HWND dialog, int id);
bool is_enabled(HWND dialog, int id);
bool is_visible(HWND dialog, int id);
std::wstring text_of(HWND dialog, int id);
std::wstring window_text(HWND window);
RECT screen_rect(HWND dialog, int id);
// A user's click; returns when the control's handler has returned.
void click(HWND dialog, int id);
// One up-down arrow press: the notification the control sends its parent.
void press_updown(HWND dialog, int id, bool up);
void set_picker_date(HWND dialog, int id, WORD year, WORD month, WORD day);
SYSTEMTIME picker_date(HWND dialog, int id);
// Ends the dialog as the Cancel command does.
void cancel(HWND dialog);

// Free GDI handles of this process, counted by allocating until refused.
int free_gdi_handles();

// Writes a BMP of the window as it appears on the screen.
bool capture_window(HWND window, const std::wstring& path);

// ---- groups ----
using GroupFunction = void (*)(Dll& dll);
struct GroupRegistration {
    GroupRegistration(const char* name, GroupFunction function);
};
#define E2E_GROUP(name)                                                  \
    static void group_##name(e2e::Dll& dll);                       \
    static const e2e::GroupRegistration registration_##name(#name, group_##name); \
    static void group_##name(e2e::Dll& dll)

}  // namespace e2e
