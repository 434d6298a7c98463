#include "e2e/harness.h"

#include <commctrl.h>

#include <cstdio>
#include <cwctype>
#include <map>

#include "e2e/control_names.h"
#include "l10n/texts.h"
#include "l10n/language_table.h"
#include "platform/win32/handles.h"
#include "resources/resource.h"

namespace e2e {
namespace {

using support::ModalOutcome;
using support::Pacing;
using support::run_modal;

int g_passed = 0;
int g_failed = 0;

}  // namespace

void check(bool ok, const std::string& what) {
    if (ok) {
        ++g_passed;
    } else {
        ++g_failed;
        printf("FAIL: %s\n", what.c_str());
        fflush(stdout);
    }
}

std::string narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) {
        if (c >= 32 && c < 127) {
            out.push_back(static_cast<char>(c));
        } else {
            char escaped[12];
            snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(c));
            out += escaped;
        }
    }
    return out;
}

void check_text(const std::wstring& actual, const std::wstring& expected, const std::string& what) {
    check(actual == expected, what + ": got \"" + narrow(actual) + "\", expected \"" + narrow(expected) + "\"");
}

static std::string hex(const std::vector<uint8_t>& bytes) {
    std::string out;
    char part[4];
    for (uint8_t b : bytes) {
        snprintf(part, sizeof part, "%02x ", b);
        out += part;
    }
    return out;
}

void check_bytes(const std::vector<uint8_t>& actual, const std::vector<uint8_t>& expected,
                 const std::string& what) {
    check(actual == expected, what + ":\n  got      " + hex(actual) + "\n  expected " + hex(expected));
}

int failures() { return g_failed; }
int passes() { return g_passed; }

bool starts_with(const std::wstring& text, const std::wstring& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::wstring lower(std::wstring text) {
    for (wchar_t& c : text) {
        c = static_cast<wchar_t>(towlower(c));
    }
    return text;
}

std::wstring repeated(const std::wstring& part, std::size_t times) {
    std::wstring text;
    for (std::size_t i = 0; i < times; ++i) {
        text += part;
    }
    return text;
}

void Handle::close() {
    if (is_open()) {
        CloseHandle(handle_);
    }
    handle_ = INVALID_HANDLE_VALUE;
}

HeldFile::HeldFile(const std::wstring& path, DWORD share)
    : handle_(CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr)) {}

std::vector<uint8_t> read_file(const std::wstring& path) {
    std::vector<uint8_t> bytes;
    const Handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    if (!file.is_open()) {
        return bytes;
    }
    uint8_t buffer[4096];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    return bytes;
}

bool write_file(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    const Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!file.is_open()) {
        return false;
    }
    DWORD put = 0;
    const BOOL ok =
        bytes.empty() || WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    return ok && put == bytes.size();
}

bool file_exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool opens_for_writing(const std::wstring& path) {
    const Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    return file.is_open();
}

static std::wstring folder_of_letter(const wchar_t* variable, wchar_t letter) {
    wchar_t folder[MAX_PATH] = {};
    GetEnvironmentVariableW(variable, folder, MAX_PATH);
    return std::wstring(folder) + L"\\" + letter + L"\\";
}

std::wstring key_folder(wchar_t letter) { return folder_of_letter(L"E2E_KEYS", letter); }

std::wstring outside_folder(wchar_t letter) { return folder_of_letter(L"E2E_OUTSIDE", letter); }

std::wstring temp_folder() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    wchar_t long_form[MAX_PATH] = {};
    const DWORD length = GetLongPathNameW(temp, long_form, MAX_PATH);
    return length > 0 && length < MAX_PATH ? long_form : temp;
}

std::vector<uint8_t> bytes_of(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::wstring entry_text(uint32_t locale, lanternbook::Text text) {
    lanternbook::LanguageTable table;
    table.select_language(locale);
    return table.text_at(text);
}

void press(HWND box, int button) { PostMessageW(box, WM_COMMAND, button, 0); }

Step on_error_box(uint32_t locale, lanternbook::Text message, const std::string& what) {
    return on_message_box([locale, message, what](HWND box) {
        check_text(window_text(box), entry_text(locale, lanternbook::Text::caution), what + ": caption");
        check_text(text_of(box, kMessageBoxTextId), entry_text(locale, message), what + ": text");
        press(box, IDOK);
    });
}

void send_format_command(HWND dialog) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_FORMAT, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_FORMAT)));
}

RunResult run_dialog(const Dll& dll, const char* locale, std::vector<Step> steps, DWORD timeout_ms) {
    const std::size_t step_count = steps.size();
    Pacing pacing;
    pacing.timeout_ms = timeout_ms;
    RunResult result;
    const ModalOutcome outcome =
        run_modal([&] { result.load_result = dll.load(locale); }, std::move(steps), pacing);
    result.timed_out = outcome.timed_out;
    result.all_steps_ran = outcome.all_steps_ran;
    check(!result.timed_out, "the dialog run ended before its time-out");
    check(result.all_steps_ran, "every scripted step ran (" + std::to_string(outcome.steps_ran) + " of " +
                                    std::to_string(step_count) + ")");
    return result;
}

bool is_checked(HWND dialog, int id) {
    return SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}
bool is_enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
bool is_visible(HWND dialog, int id) {
    return (GetWindowLongW(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

std::wstring window_text(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(window, &text[0], length + 1);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

std::wstring text_of(HWND dialog, int id) { return window_text(GetDlgItem(dialog, id)); }

RECT screen_rect(HWND dialog, int id) {
    RECT rect{};
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    return rect;
}

void click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

void press_updown(HWND dialog, int id, bool up) {
    HWND updown = GetDlgItem(dialog, id);
    RECT client{};
    GetClientRect(updown, &client);
    const LPARAM where = MAKELPARAM(client.right / 2, up ? 1 : client.bottom - 2);
    SendMessageW(updown, WM_LBUTTONDOWN, MK_LBUTTON, where);
    SendMessageW(updown, WM_LBUTTONUP, 0, where);
}

void set_picker_date(HWND dialog, int id, WORD year, WORD month, WORD day) {
    SYSTEMTIME date{};
    date.wYear = year;
    date.wMonth = month;
    date.wDay = day;
    SendDlgItemMessageW(dialog, id, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&date));
}

static SYSTEMTIME picker_date(HWND dialog, int id) {
    SYSTEMTIME date{};
    SendDlgItemMessageW(dialog, id, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&date));
    return date;
}

static std::string date_text(WORD year, WORD month, WORD day) {
    char text[16];
    snprintf(text, sizeof text, "%04u-%02u-%02u", year, month, day);
    return text;
}

void expect_picker_date(HWND dialog, int id, WORD year, WORD month, WORD day, const std::string& what) {
    const SYSTEMTIME shown = picker_date(dialog, id);
    check(shown.wYear == year && shown.wMonth == month && shown.wDay == day,
          what + " shows " + date_text(year, month, day) + " (got " +
              date_text(shown.wYear, shown.wMonth, shown.wDay) + ")");
}

void cancel(HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); }

void expect_checks(HWND dialog, const std::vector<int>& checked, const std::vector<int>& unchecked,
                   const std::string& when) {
    for (int id : checked) {
        check(is_checked(dialog, id), when + ": " + control_name(id) + " checked");
    }
    for (int id : unchecked) {
        check(!is_checked(dialog, id), when + ": " + control_name(id) + " unchecked");
    }
}

void expect_checks(HWND dialog, std::initializer_list<int> checked, std::initializer_list<int> unchecked,
                   const std::string& when) {
    expect_checks(dialog, std::vector<int>(checked), std::vector<int>(unchecked), when);
}

void expect_enabled(HWND dialog, std::initializer_list<int> enabled, std::initializer_list<int> disabled,
                    const std::string& when) {
    for (int id : enabled) {
        check(is_enabled(dialog, id), when + ": " + control_name(id) + " enabled");
    }
    for (int id : disabled) {
        check(!is_enabled(dialog, id), when + ": " + control_name(id) + " disabled");
    }
}

bool capture_window(HWND window, const std::wstring& path) {
    RECT rect{};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, previous);

    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const DWORD row_bytes = static_cast<DWORD>((width * 3 + 3) & ~3);
    std::vector<uint8_t> pixels(row_bytes * static_cast<DWORD>(height));
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
              reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file_header{};
    file_header.bfType = 0x4D42;
    file_header.bfOffBits = sizeof file_header + sizeof header;
    file_header.bfSize = file_header.bfOffBits + static_cast<DWORD>(pixels.size());
    std::vector<uint8_t> bytes(reinterpret_cast<uint8_t*>(&file_header),
                               reinterpret_cast<uint8_t*>(&file_header) + sizeof file_header);
    bytes.insert(bytes.end(), reinterpret_cast<uint8_t*>(&header),
                 reinterpret_cast<uint8_t*>(&header) + sizeof header);
    bytes.insert(bytes.end(), pixels.begin(), pixels.end());
    return write_file(path, bytes);
}

ProgramResult run_program(const std::wstring& arguments) {
    using lanternbook::win32::FileHandle;
    ProgramResult result;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read_handle = nullptr;
    HANDLE write_handle = nullptr;
    if (!CreatePipe(&read_handle, &write_handle, &inherit, 0)) {
        return result;
    }
    const FileHandle read_end(read_handle);
    FileHandle write_end(write_handle);
    SetHandleInformation(read_end.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write_end.get();
    startup.hStdError = write_end.get();
    startup.hStdInput = nullptr;
    std::wstring command = L"\"" + own_folder() + L"lanternbook.exe\" " + arguments;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                       nullptr, &startup, &process);
    // Only the child holds the write end now: reading ends when it exits.
    write_end.reset();
    if (!started) {
        return result;
    }
    const FileHandle thread(process.hThread);
    const FileHandle child(process.hProcess);
    char buffer[512];
    DWORD count = 0;
    while (ReadFile(read_end.get(), buffer, sizeof buffer, &count, nullptr) && count > 0) {
        result.out.append(buffer, count);
    }
    WaitForSingleObject(child.get(), 30000);
    GetExitCodeProcess(child.get(), &result.exit_code);
    // Text-mode output ends its lines with CR LF, as Windows programs do.
    std::string text;
    for (const char c : result.out) {
        if (c != '\r') {
            text.push_back(c);
        }
    }
    result.out = text;
    return result;
}


static std::map<std::string, GroupFunction>& groups() {
    static std::map<std::string, GroupFunction> registered;
    return registered;
}

GroupRegistration::GroupRegistration(const char* name, GroupFunction function) {
    groups()[name] = function;
}

}  // namespace e2e

int wmain(int argc, wchar_t** argv) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_DATE_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
    const std::string group = argc > 1 ? e2e::narrow(argv[1]) : "";
    const auto found = e2e::groups().find(group);
    if (found == e2e::groups().end()) {
        printf("usage: lanternbook-e2e GROUP; groups:");
        for (const auto& entry : e2e::groups()) {
            printf(" %s", entry.first.c_str());
        }
        printf("\n");
        return 2;
    }
    e2e::Dll dll;
    if (!dll.open()) {
        printf("cannot load lanternbook.dll beside the driver\n");
        return 2;
    }
    const DWORD started = GetTickCount();
    found->second(dll);
    printf("%s ran %lu ms\n", group.c_str(), GetTickCount() - started);
    printf("%d passed, %d failed\n", e2e::passes(), e2e::failures());
    return e2e::failures() == 0 ? 0 : 1;
}
