// Bare versions of the work the DLL does: the floors its times are set against.
// Each makes the same system calls on the same objects and nothing else.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

// The label search alone: one display-name lookup per existing drive, in
// letter order, up to the first whose name holds the volume word.
std::wstring bare_find_by_label();

// The USB walk alone: the present devices of the USB setup class, each
// description read and compared with the prefix, nothing removed. Returns the
// number of devices whose description was read.
int bare_usb_walk();

// An extended template of the configurator's size, style and font, no controls.
std::vector<uint8_t> empty_dialog_template();

// Returns TRUE to WM_INITDIALOG, paints nothing but the background, ends on
// IDOK and IDCANCEL; nothing else.
INT_PTR CALLBACK bare_dialog_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// The search for the key as the DLL must make it: the USB walk, then the
// label search. Returns the key's root, or the empty text.
std::wstring bare_search();

// Where the opening's bare procedure finds the key; set before it runs.
void set_bare_key(const std::wstring& root);

// The work the opening must do, bare: WM_INITDIALOG makes the two searches
// and reads CONFIG and DATE of the key found, then returns TRUE; otherwise as
// bare_dialog_procedure.
INT_PTR CALLBACK bare_opening_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// The start-up look for formats cut short, bare: the temporary folder
// listed for backup folders. Returns how many it found.
int bare_backup_scan();

// The erase sweep alone: the same eight listings of the download folders,
// each listed file made archive-only and deleted.
void bare_erase(const std::wstring& root);

// Save's mandated work, bare: the search, then `bytes` written to a helper
// beside CONFIG, flushed, and moved over CONFIG in one step.
bool bare_save(const std::vector<uint8_t>& bytes);

}  // namespace bench
