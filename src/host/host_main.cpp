// lanternbook-host: loads lanternbook.dll from its own folder and calls it.
//   lanternbook-host find        prints what find_device returns
//   lanternbook-host [LOCALE]    opens the configurator (LOCALE as for load)
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

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
    const FARPROC address = GetProcAddress(module, name);
    static_assert(sizeof function == sizeof address, "function pointer sizes differ");
    memcpy(&function, &address, sizeof address);
    return function;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_DATE_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);

    const std::wstring dll_path = own_folder() + L"lanternbook.dll";
    HMODULE dll = LoadLibraryW(dll_path.c_str());
    if (dll == nullptr) {
        fprintf(stderr, "lanternbook-host: cannot load %ls (error %lu)\n", dll_path.c_str(),
                GetLastError());
        return 2;
    }
    const std::wstring command = argc > 1 ? argv[1] : L"";
    int status = 0;
    if (command == L"find") {
        const auto find_device = export_of<FindDevice>(dll, "find_device");
        if (find_device == nullptr) {
            fprintf(stderr, "lanternbook-host: lanternbook.dll has no export find_device\n");
            status = 3;
        } else {
            const wchar_t* root = find_device();
            printf("%ls\n", root != nullptr ? root : L"(null)");
        }
    } else {
        const auto load = export_of<Load>(dll, "load");
        if (load == nullptr) {
            fprintf(stderr, "lanternbook-host: lanternbook.dll has no export load\n");
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
