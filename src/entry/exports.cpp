// The two exports the host calls, and the module's start-up.
// Declared by the public header, so a signature that drifts from it fails here.
#define LANTERNBOOK_BUILDING_DLL
#include <windows.h>

#include <string>

#include "device/device_drive.h"
#include "dialog/win32/configurator_dialog.h"
#include "entry/module.h"
#include "l10n/language_table.h"
#include "lanternbook.h"
#include "platform/win32/win32_platform.h"

namespace lanternbook {
namespace {

HMODULE g_module_instance = nullptr;
// What find_device last returned; lanternbook.h promises it stays until the
// next call or the unload.
std::wstring g_device_root;

}  // namespace

HMODULE module_instance() { return g_module_instance; }

}  // namespace lanternbook

// The C runtime's start-up calls it from outside the optimised whole.
#if defined(__GNUC__)
#define LANTERNBOOK_CALLED_FROM_OUTSIDE __attribute__((externally_visible))
#else
#define LANTERNBOOK_CALLED_FROM_OUTSIDE
#endif

extern "C" LANTERNBOOK_CALLED_FROM_OUTSIDE BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) {
        lanternbook::g_module_instance = instance;
    }
    return TRUE;
}

// No C++ exception may reach the host: each export catches everything.
extern "C" LANTERNBOOK_API const wchar_t* __cdecl find_device() {
    try {
        lanternbook::win32::Win32Platform platform(lanternbook::module_instance());
        lanternbook::DeviceDrive device(platform, platform);
        lanternbook::g_device_root = device.find_drive();
    } catch (...) {
        lanternbook::g_device_root.clear();
    }
    return lanternbook::g_device_root.c_str();
}

extern "C" LANTERNBOOK_API int __cdecl load(const char* locale_text) {
    try {
        const uint32_t language_override = lanternbook::parse_locale_argument(locale_text);
        lanternbook::win32::run_configurator(lanternbook::module_instance(), language_override);
    } catch (...) {
        return 0;
    }
    return 0;
}
