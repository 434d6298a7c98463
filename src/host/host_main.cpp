// lanternbook-host: calls lanternbook.dll through lanternbook.h and its import
// library, as any host would; the DLL is found beside the program.
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

#include "lanternbook.h"
#include "lanternbook_version.h"

namespace {

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

    int next_argument = 1;
    if (argc > 2 && std::wstring(argv[1]) == L"--close-after") {
        SetTimer(nullptr, 0, static_cast<UINT>(_wtoi(argv[2])), close_dialogs);
        next_argument = 3;
    }
    const std::wstring command = argc > next_argument ? argv[next_argument] : L"";
    if (command == L"find") {
        // The caller reads the root from stdout: a line that never got there is a failure.
        return printf("%ls\n", find_device()) < 0 ? 4 : 0;
    }
    char locale[32] = {};
    WideCharToMultiByte(CP_ACP, 0, command.c_str(), -1, locale, sizeof locale - 1, nullptr, nullptr);
    return load(locale);
}
