// Paints the logo in the dialog's top-right corner on every paint message.
#pragma once

#include <windows.h>

namespace lanternbook::win32 {

// Client pixels, whatever the dialog font's scaling.
constexpr int kLogoLeft = 277;
constexpr int kLogoTop = 11;
// The logo's background: shows the dialog face instead.
constexpr COLORREF kLogoTransparentColour = RGB(240, 240, 240);

// Paints the logo of `module`'s resources as the dialog's paint message asks.
void paint_header(HWND dialog, HMODULE module);

}  // namespace lanternbook::win32
