/* lanternbook.h: the two functions of lanternbook.dll, for C and C++ hosts.
 *
 * Link with lanternbook.lib (MSVC) or liblanternbook.dll.a (MinGW), or pass
 * the DLL itself to a MinGW linker, and keep lanternbook.dll beside the host
 * program. A 32-bit host needs the 32-bit DLL, a 64-bit host the 64-bit one.
 *
 * Threads: the DLL holds no lock. Call it from one thread at a time; the
 * thread that calls load() owns the dialog for as long as load() runs.
 */
#ifndef LANTERNBOOK_H
#define LANTERNBOOK_H

#include <stddef.h> /* wchar_t in C */

#if defined(LANTERNBOOK_BUILDING_DLL)
#define LANTERNBOOK_API __declspec(dllexport)
#else
#define LANTERNBOOK_API __declspec(dllimport)
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Searches the drives A: to Z: for the key (a drive whose name shown by the
 * shell contains "VOLKARIS") and returns the root of the first one found,
 * such as L"E:\\", or an empty text when no key is attached or the search
 * failed. Never NULL.
 *
 * The text belongs to the DLL: it holds this result until the next call of
 * find_device() overwrites it, and is gone once the DLL is unloaded. Copy it
 * to keep it.
 *
 * Any thread may call it, one call at a time: every call writes the same
 * text. It shows no window and returns once the search is done. */
LANTERNBOOK_API const wchar_t* __cdecl find_device(void);

/* Runs the configurator dialog modally over the calling thread's active
 * window and returns when the user closes it (Save or the close box).
 *
 * locale: a decimal locale identifier ("1045" for Polish, "1033" for
 * English), or "0" or NULL for the user's own language; a language the
 * dialog does not have shows the English texts.
 *
 * Call it on a GUI thread: one whose windows are served by a message loop.
 * The dialog runs its own message loop on that thread until it closes, and
 * the thread's other windows are disabled meanwhile, as for any modal dialog.
 * Before the first call the process must have registered the date-picker
 * and up-down classes:
 *
 *     INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_DATE_CLASSES | ICC_UPDOWN_CLASS};
 *     InitCommonControlsEx(&classes);
 *
 * Returns 0, whatever the user did; what was saved or erased is on the
 * key, and the dialog tells the user about every failure itself. */
LANTERNBOOK_API int __cdecl load(const char* locale);

#ifdef __cplusplus
}
#endif

#endif /* LANTERNBOOK_H */
