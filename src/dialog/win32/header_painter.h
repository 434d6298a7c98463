// Paints the logo in the dialog's top-right corner on every paint message.
#pragma once

#include <windows.h>

namespace lanternbook::win32 {

// Client pixels, whatever the dialog font's scaling.
constexpr int kLogoLeft = 277;
constexpr int kLogoTop = 11;
// The logo's background: shows the dialog face instead.
constexpr COLORREF kLogoTransparentColour = RGB(240, 240, 240);

// The template's hidden picture holds the logo: loaded with the template,
// it is not loaded again for each paint.
constexpr int kLogoPictureId = -1;

// Paints `logo`, when there is one, as the dialog's paint message asks.
void paint_header(HWND dialog, HBITMAP logo);

}  // namespace lanternbook::win32
