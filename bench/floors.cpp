#include "bench/floors.h"

#include <setupapi.h>
#include <shellapi.h>

#include <cwchar>

#include "platform/win32/handles.h"

namespace bench {
namespace {

using lanternbook::win32::DeviceInfoSet;
using lanternbook::win32::FileHandle;
using lanternbook::win32::FindHandle;

constexpr wchar_t kVolumeWord[] = L"VOLKARIS";
constexpr wchar_t kUsbPrefix[] = L"BRINDLEX";
const GUID kUsbClassGuid = {0x36FC9E60, 0xC465, 0x11CF, {0x80, 0x56, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
constexpr DWORD kDescriptionBytes = 1024;
constexpr int kDriveLetters = 26;

constexpr const wchar_t* kDownloadFolders[] = {L"CARD\\", L"TACHO\\"};
constexpr wchar_t kConfigName[] = L"CONFIG";
constexpr wchar_t kHelperName[] = L"CONFIG.NEW";
constexpr wchar_t kDateName[] = L"DATE";
constexpr wchar_t kBackupFolders[] = L"volkaris*";
constexpr DWORD kReadBytes = 1024;
constexpr int kOpeningSearches = 2;
std::wstring g_bare_key;
constexpr const wchar_t* kDownloadPatterns[] = {L"*.dtg", L"*.ddd", L"*.dtc", L"*.esm"};

// The configurator's template: 312 x 322 units, caption, system menu, font.
constexpr DWORD kDialogStyle = 0x00C80040;
constexpr short kDialogWidth = 312;
constexpr short kDialogHeight = 322;
constexpr WORD kFontPoints = 8;
constexpr wchar_t kFontName[] = L"MS Sans Serif";
constexpr wchar_t kCaption[] = L"Lanternbook configurator";

void upper_ascii(wchar_t* text) {
    for (; *text != L'\0'; ++text) {
        if (*text >= L'a' && *text <= L'z') {
            *text = static_cast<wchar_t>(*text - L'a' + L'A');
        }
    }
}

class TemplateWriter {
public:
    void word(WORD value) { append(&value, sizeof value); }
    void dword(DWORD value) { append(&value, sizeof value); }
    void byte(BYTE value) { bytes_.push_back(value); }
    void text(const wchar_t* value) { append(value, (wcslen(value) + 1) * sizeof(wchar_t)); }
    std::vector<uint8_t> take() { return std::move(bytes_); }

private:
    void append(const void* data, std::size_t size) {
        const auto* first = static_cast<const uint8_t*>(data);
        bytes_.insert(bytes_.end(), first, first + size);
    }
    std::vector<uint8_t> bytes_;
};

}  // namespace

std::wstring bare_find_by_label() {
    const DWORD mask = ::GetLogicalDrives();
    for (int i = 0; i < kDriveLetters; ++i) {
        if ((mask & (DWORD{1} << i)) == 0) {
            continue;
        }
        const wchar_t root[] = {static_cast<wchar_t>(L'A' + i), L':', L'\\', L'\0'};
        SHFILEINFOW info{};
        if (::SHGetFileInfoW(root, 0, &info, sizeof info, SHGFI_DISPLAYNAME) == 0) {
            continue;
        }
        upper_ascii(info.szDisplayName);
        if (wcsstr(info.szDisplayName, kVolumeWord) != nullptr) {
            return root;
        }
    }
    return std::wstring();
}

int bare_usb_walk() {
    DeviceInfoSet devices(::SetupDiGetClassDevsW(&kUsbClassGuid, nullptr, nullptr, DIGCF_PRESENT));
    if (!devices) {
        return 0;
    }
    BYTE description[kDescriptionBytes + sizeof(wchar_t)] = {};
    int read = 0;
    for (DWORD index = 0;; ++index) {
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof device;
        if (!::SetupDiEnumDeviceInfo(devices.get(), index, &device) ||
            !::SetupDiGetDeviceRegistryPropertyW(devices.get(), &device, SPDRP_DEVICEDESC, nullptr,
                                                 description, kDescriptionBytes, nullptr)) {
            break;
        }
        ++read;
        auto* text = reinterpret_cast<wchar_t*>(description);
        upper_ascii(text);
        if (wcsncmp(text, kUsbPrefix, wcslen(kUsbPrefix)) == 0) {
            break;
        }
    }
    return read;
}

std::vector<uint8_t> empty_dialog_template() {
    TemplateWriter out;
    out.word(1);        // version
    out.word(0xFFFF);   // extended template
    out.dword(0);       // help id
    out.dword(0);       // extended style
    out.dword(kDialogStyle);
    out.word(0);        // controls
    out.word(0);        // x
    out.word(0);        // y
    out.word(static_cast<WORD>(kDialogWidth));
    out.word(static_cast<WORD>(kDialogHeight));
    out.word(0);        // no menu
    out.word(0);        // the dialog class
    out.text(kCaption);
    out.word(kFontPoints);
    out.word(0);        // weight
    out.byte(0);        // not italic
    out.byte(0);        // character set
    out.text(kFontName);
    return out.take();
}

INT_PTR CALLBACK bare_dialog_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM /*lparam*/) {
    if (message == WM_INITDIALOG) {
        return TRUE;
    }
    // What the default handling does, but here, so that the probe sees its end.
    if (message == WM_PAINT) {
        PAINTSTRUCT paint{};
        ::BeginPaint(dialog, &paint);
        ::EndPaint(dialog, &paint);
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL)) {
        ::EndDialog(dialog, LOWORD(wparam));
        return TRUE;
    }
    return FALSE;
}

std::wstring bare_search() {
    bare_usb_walk();
    return bare_find_by_label();
}

void set_bare_key(const std::wstring& root) { g_bare_key = root; }

// One open, read of up to kReadBytes and close.
bool bare_read(const std::wstring& path) {
    FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    uint8_t bytes[kReadBytes];
    DWORD read = 0;
    return file && ::ReadFile(file.get(), bytes, kReadBytes, &read, nullptr);
}

INT_PTR CALLBACK bare_opening_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        std::wstring root;
        for (int search = 0; search < kOpeningSearches; ++search) {
            root = bare_search();
        }
        if (root != g_bare_key || !bare_read(root + kDateName) || !bare_read(root + kConfigName)) {
            ::MessageBeep(MB_ICONERROR);
        }
        return TRUE;
    }
    return bare_dialog_procedure(dialog, message, wparam, lparam);
}

int bare_backup_scan() {
    wchar_t temp[MAX_PATH + 1] = {};
    if (::GetTempPathW(MAX_PATH + 1, temp) == 0) {
        return 0;
    }
    WIN32_FIND_DATAW found{};
    FindHandle listing(::FindFirstFileW((std::wstring(temp) + kBackupFolders).c_str(), &found));
    int folders = 0;
    if (listing) {
        do {
            ++folders;
        } while (::FindNextFileW(listing.get(), &found));
    }
    return folders;
}

void bare_erase(const std::wstring& root) {
    for (const wchar_t* folder : kDownloadFolders) {
        const std::wstring folder_path = root + folder;
        for (const wchar_t* pattern : kDownloadPatterns) {
            WIN32_FIND_DATAW found{};
            FindHandle listing(::FindFirstFileW((folder_path + pattern).c_str(), &found));
            if (!listing) {
                continue;
            }
            do {
                if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                    continue;
                }
                const std::wstring path = folder_path + found.cFileName;
                ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_ARCHIVE);
                ::DeleteFileW(path.c_str());
            } while (::FindNextFileW(listing.get(), &found));
        }
    }
}

bool bare_save(const std::vector<uint8_t>& bytes) {
    const std::wstring root = bare_search();
    if (root.empty()) {
        return false;
    }
    const std::wstring helper = root + kHelperName;
    FileHandle file(::CreateFileW(helper.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    const bool whole = file &&
                       ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                       written == bytes.size() && ::FlushFileBuffers(file.get());
    file.reset();
    return whole && ::MoveFileExW(helper.c_str(), (root + kConfigName).c_str(),
                                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

}  // namespace bench
