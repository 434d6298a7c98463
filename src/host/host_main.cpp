// lanternbook-host: loads lanternbook.dll from its own folder and calls it.
//   lanternbook-host find        prints what find_device returns
//   lanternbook-host [LOCALE]    opens the configurator (LOCALE as for load)
//   lanternbook-host --close-after MS [LOCALE]
//                                the same, closing the dialog after MS milliseconds
//                                (for runs without anybody at the screen)
//   lanternbook-host --version   prints the release's version
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "lanternbook_version.h"

namespace {

using FindDevice = const wchar_t*(__cdecl*)();
using Load = int(__cdecl*)(const char*);

std::wstring own_folder() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    const std::size_t slash = folder.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash + 1);
}

template <typename Function>
Function export_of(HMODULE module, const char* name) {
    Function function = nullptr;
    auto* const address = GetProcAddress(module, name);
    static_assert(sizeof function == sizeof address, "function pointer sizes differ");
    memcpy(&function, &address, sizeof address);
    return function;
}

BOOL CALLBACK cancel_dialog(HWND window, LPARAM) {
    wchar_t class_name[16] = {};
    GetClassNameW(window, class_name, 16);
    if (lstrcmpW(class_name, L"#32770") == 0) {
        PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    }
    return TRUE;
}

void CALLBACK close_dialogs(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), cancel_dialog, 0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 2 && std::wstring(argv[1]) == L"--version") {
        return printf("lanternbook-host %s\n", LANTERNBOOK_VERSION_TEXT) < 0 ? 4 : 0;
    }
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_DATE_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);

    const std::wstring dll_path = own_folder() + L"lanternbook.dll";
    HMODULE dll = LoadLibraryW(dll_path.c_str());
    if (dll == nullptr) {
        // When stderr itself fails there is nobody left to tell.
        static_cast<void>(fprintf(stderr, "lanternbook-host: cannot load %ls (error %lu)\n",
                                  dll_path.c_str(), GetLastError()));
        return 2;
    }
    int next_argument = 1;
    if (argc > 2 && std::wstring(argv[1]) == L"--close-after") {
        SetTimer(nullptr, 0, static_cast<UINT>(_wtoi(argv[2])), close_dialogs);
        next_argument = 3;
    }
    const std::wstring command = argc > next_argument ? argv[next_argument] : L"";
    int status = 0;
    if (command == L"find") {
        const auto find_device = export_of<FindDevice>(dll, "find_device");
        if (find_device == nullptr) {
            static_cast<void>(
                fprintf(stderr, "lanternbook-host: lanternbook.dll has no export find_device\n"));
            status = 3;
        } else {
            const wchar_t* root = find_device();
            // The caller reads the root from stdout: a line that never got there is a failure.
            if (printf("%ls\n", root != nullptr ? root : L"(null)") < 0) {
                status = 4;
            }
        }
    } else {
        const auto load = export_of<Load>(dll, "load");
        if (load == nullptr) {
            static_cast<void>(
                fprintf(stderr, "lanternbook-host: lanternbook.dll has no export load\n"));
            status = 3;
        } else {
            char locale[32] = {};
            WideCharToMultiByte(CP_ACP, 0, command.c_str(), -1, locale, sizeof locale - 1, nullptr, nullptr);
            status = load(locale);
        }
    }
    FreeLibrary(dll);
    return status;
}
