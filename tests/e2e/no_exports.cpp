// A DLL without the configurator's exports: the host must refuse it cleanly.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
