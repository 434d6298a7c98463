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

// The erase sweep alone: the same eight listings of the download folders,
// each listed file made archive-only and deleted.
void bare_erase(const std::wstring& root);

// One create, write and close.
bool bare_write(const std::wstring& path, const std::vector<uint8_t>& bytes);

}  // namespace bench
