#include "e2e/harness.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>

#include "l10n/texts.h"
#include "l10n/language_table.h"
#include "resources/resource.h"

namespace e2e {
namespace {

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

std::wstring own_folder() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

template <typename Function>
static Function export_of(HMODULE module, const char* name) {
    Function function = nullptr;
    const FARPROC address = GetProcAddress(module, name);
    memcpy(&function, &address, sizeof address);
    return function;
}

bool load_dll(Dll& dll, const std::wstring& path) {
    const std::wstring dll_path = path.empty() ? own_folder() + L"lanternbook.dll" : path;
    dll.module = LoadLibraryW(dll_path.c_str());
    if (dll.module == nullptr) {
        return false;
    }
    dll.find_device = export_of<decltype(dll.find_device)>(dll.module, "find_device");
    dll.load = export_of<decltype(dll.load)>(dll.module, "load");
    return dll.find_device != nullptr && dll.load != nullptr;
}

void unload_dll(Dll& dll) {
    if (dll.module != nullptr) {
        FreeLibrary(dll.module);
    }
    dll = Dll{};
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

std::wstring key_folder(wchar_t letter) {
    wchar_t folder[MAX_PATH] = {};
    GetEnvironmentVariableW(L"E2E_KEYS", folder, MAX_PATH);
    return std::wstring(folder) + L"\\" + letter + L"\\";
}

namespace {
// Where a pulled key's folder waits; e2e.sh clears what a killed run left.
const wchar_t kPulledSuffix[] = L".pulled";
constexpr DWORD kDeviceTargetRoom = 1024;
}  // namespace

PulledKey::PulledKey(wchar_t letter) : letter_(letter) {
    const wchar_t drive[] = {letter, L':', L'\0'};
    std::vector<wchar_t> target(kDeviceTargetRoom, L'\0');
    if (QueryDosDeviceW(drive, target.data(), kDeviceTargetRoom) == 0) {
        return;
    }
    device_target_ = target.data();
    if (!MoveFileW(folder().c_str(), aside_folder().c_str())) {
        return;
    }
    if (!DefineDosDeviceW(DDD_REMOVE_DEFINITION, drive, nullptr)) {
        MoveFileW(aside_folder().c_str(), folder().c_str());
        return;
    }
    pulled_ = true;
}

PulledKey::~PulledKey() { put_back(); }

std::wstring PulledKey::folder() const {
    std::wstring path = key_folder(letter_);
    path.pop_back();
    return path;
}

std::wstring PulledKey::aside_folder() const { return folder() + kPulledSuffix; }

bool PulledKey::put_back() {
    if (!pulled_) {
        return false;
    }
    const wchar_t drive[] = {letter_, L':', L'\0'};
    pulled_ = !(MoveFileW(aside_folder().c_str(), folder().c_str()) &&
                DefineDosDeviceW(DDD_RAW_TARGET_PATH, drive, device_target_.c_str()));
    return !pulled_;
}

std::vector<uint8_t> bytes_of(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::wstring extended_path(const std::wstring& path) {
    return path.compare(0, 4, L"\\\\?\\") == 0 ? path : L"\\\\?\\" + path;
}

static std::wstring hex_time(const FILETIME& time) {
    wchar_t text[24];
    swprintf(text, 24, L"%08lx%08lx", time.dwHighDateTime, time.dwLowDateTime);
    return text;
}

static void list_into(const std::wstring& folder, const std::wstring& relative, const ListingOptions& options,
                      std::vector<std::wstring>& out) {
    WIN32_FIND_DATAW found{};
    HANDLE listing = FindFirstFileW(extended_path(folder + L"\\*").c_str(), &found);
    if (listing == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        const std::wstring path = relative.empty() ? name : relative + L"\\" + name;
        const bool is_folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (options.skip && options.skip(path, is_folder)) {
            continue;
        }
        if (is_folder && (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
            // A link out of the tree, as Wine makes for the user's folders.
            out.push_back(path + L"\\ (link)");
        } else if (is_folder) {
            out.push_back(path + L"\\");
            list_into(folder + L"\\" + name, path, options, out);
        } else {
            std::wstring line = path + L" " + std::to_wstring(found.nFileSizeLow);
            if (options.write_times) {
                line += L" " + hex_time(found.ftLastWriteTime);
            }
            out.push_back(line);
        }
    } while (FindNextFileW(listing, &found));
    FindClose(listing);
}

std::vector<std::wstring> tree_listing(const std::wstring& folder, const ListingOptions& options) {
    std::vector<std::wstring> out;
    std::wstring base = folder;
    while (!base.empty() && base.back() == L'\\') {
        base.pop_back();
    }
    list_into(base, L"", options, out);
    std::sort(out.begin(), out.end());
    return out;
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

SYSTEMTIME picker_date(HWND dialog, int id) {
    SYSTEMTIME date{};
    SendDlgItemMessageW(dialog, id, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&date));
    return date;
}

void cancel(HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); }

int free_gdi_handles() {
    std::vector<HBITMAP> bitmaps;
    bitmaps.reserve(70000);
    while (bitmaps.size() < 200000) {
        HBITMAP bitmap = CreateBitmap(1, 1, 1, 1, nullptr);
        if (bitmap == nullptr) {
            break;
        }
        bitmaps.push_back(bitmap);
    }
    for (HBITMAP bitmap : bitmaps) {
        DeleteObject(bitmap);
    }
    return static_cast<int>(bitmaps.size());
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
    if (!e2e::load_dll(dll)) {
        printf("cannot load lanternbook.dll beside the driver\n");
        return 2;
    }
    found->second(dll);
    e2e::unload_dll(dll);
    printf("%d passed, %d failed\n", e2e::passes(), e2e::failures());
    return e2e::failures() == 0 ? 0 : 1;
}
