// A small harness for driving the real DLL and its dialog under Wine: checks
// that count and report, the key's files seen through Win32, and the dialog
// run by the modal driver.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "e2e/listings.h"
#include "support/dll.h"
#include "l10n/texts.h"
#include "support/modal_driver.h"

namespace e2e {

// Where the key's own bytes (serial number and software version) start in CONFIG.
constexpr std::size_t kIdentityOffset = 25;

using support::Dll;
using support::kMessageBoxTextId;
using support::on_dialog;
using support::on_message_box;
using support::own_folder;
using support::Step;

// ---- checks ----
void check(bool ok, const std::string& what);
void check_text(const std::wstring& actual, const std::wstring& expected, const std::string& what);
void check_bytes(const std::vector<uint8_t>& actual, const std::vector<uint8_t>& expected,
                 const std::string& what);
[[nodiscard]] int failures();
[[nodiscard]] int passes();
[[nodiscard]] std::string narrow(const std::wstring& text);

// ---- text ----
[[nodiscard]] bool starts_with(const std::wstring& text, const std::wstring& prefix);
[[nodiscard]] std::wstring lower(std::wstring text);
[[nodiscard]] std::wstring repeated(const std::wstring& part, std::size_t times);

// ---- the key and its files ----
// Key K:, the one key of most groups, and the English the groups ask for.
inline constexpr wchar_t kKeyRoot[] = L"K:\\";
inline constexpr wchar_t kKeyConfig[] = L"K:\\CONFIG";
inline constexpr wchar_t kKeyDate[] = L"K:\\DATE";
inline constexpr char kEnglish[] = "1033";
inline constexpr uint32_t kEnglishLocale = 0x0409;

[[nodiscard]] std::vector<uint8_t> read_file(const std::wstring& path);
[[nodiscard]] bool write_file(const std::wstring& path, const std::vector<uint8_t>& bytes);
[[nodiscard]] bool file_exists(const std::wstring& path);
[[nodiscard]] bool opens_for_writing(const std::wstring& path);
[[nodiscard]] std::vector<uint8_t> bytes_of(const std::string& text);
// The folder of emulated key LETTER as the host file system holds it, reachable
// even when the key's drive letter is gone.
[[nodiscard]] std::wstring key_folder(wchar_t letter);
// Where e2e.sh --link-out moved key LETTER's folders, off the key.
[[nodiscard]] std::wstring outside_folder(wchar_t letter);
// The temporary folder in its long form, as far as it exists.
[[nodiscard]] std::wstring temp_folder();

// A handle of this process, closed when it goes out of scope.
class Handle {
public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    ~Handle() { close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    [[nodiscard]] HANDLE get() const { return handle_; }
    [[nodiscard]] bool is_open() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    void close();

private:
    HANDLE handle_;
};

// A file this process holds open for reading, sharing only what `share`
// allows, as another program on the machine might.
class HeldFile {
public:
    HeldFile(const std::wstring& path, DWORD share);
    [[nodiscard]] bool is_open() const { return handle_.is_open(); }
    void release() { handle_.close(); }

private:
    Handle handle_;
};

// ---- lanternbook.exe ----
struct ProgramResult {
    DWORD exit_code = 0xFFFFFFFF;
    std::string out;
};
// lanternbook.exe from the driver's folder with `arguments`; what it wrote to
// standard output and error together, lines ending in LF.
[[nodiscard]] ProgramResult run_program(const std::wstring& arguments);

// ---- the dialog ----
struct RunResult {
    int load_result = -1;
    bool all_steps_ran = false;
    bool timed_out = false;
};
// Runs load(locale) under run_modal and checks that the run ended in time
// with every step run.
RunResult run_dialog(const Dll& dll, const char* locale, std::vector<Step> steps,
                     DWORD timeout_ms = support::kRunTimeoutMs);

// The text of an entry in the table that a locale picks.
[[nodiscard]] std::wstring entry_text(uint32_t locale, lanternbook::Text text);
// Answers a message box with one of its buttons.
void press(HWND box, int button);
// A step for an error box: checks its caption and that its text is entry
// `entry_index` of the table for `locale`, then answers OK.
[[nodiscard]] Step on_error_box(uint32_t locale, lanternbook::Text message, const std::string& what);
// Sends the format command to the hidden button, as its click would.
void send_format_command(HWND dialog);

[[nodiscard]] bool is_checked(HWND dialog, int id);
[[nodiscard]] bool is_enabled(HWND dialog, int id);
[[nodiscard]] bool is_visible(HWND dialog, int id);
[[nodiscard]] std::wstring text_of(HWND dialog, int id);
[[nodiscard]] std::wstring window_text(HWND window);
[[nodiscard]] RECT screen_rect(HWND dialog, int id);
// A user's click; returns when the control's handler has returned.
void click(HWND dialog, int id);
// One up-down arrow press: the notification the control sends its parent.
void press_updown(HWND dialog, int id, bool up);
void set_picker_date(HWND dialog, int id, WORD year, WORD month, WORD day);
// Checks the date a picker shows: "`what` shows YYYY-MM-DD".
void expect_picker_date(HWND dialog, int id, WORD year, WORD month, WORD day, const std::string& what);
// Ends the dialog as the Cancel command does.
void cancel(HWND dialog);

// Checks each control's state, naming the control and `when` on failure.
void expect_checks(HWND dialog, std::initializer_list<int> checked, std::initializer_list<int> unchecked,
                   const std::string& when);
void expect_checks(HWND dialog, const std::vector<int>& checked, const std::vector<int>& unchecked,
                   const std::string& when);
void expect_enabled(HWND dialog, std::initializer_list<int> enabled, std::initializer_list<int> disabled,
                    const std::string& when);

// Writes a BMP of the window as it appears on the screen.
[[nodiscard]] bool capture_window(HWND window, const std::wstring& path);

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
