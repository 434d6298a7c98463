#include "dialog/win32/header_painter.h"

#include <cstring>

#include "resources/resource.h"

namespace lanternbook::win32 {
namespace {

constexpr DWORD kLogoColours = 256;

// A packed DIB's header with room for every colour of an 8-bit one.
struct LogoInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colours[kLogoColours];
};

// BeginPaint and EndPaint as one scope.
class PaintScope {
public:
    // BeginPaint fills the paint structure, and only then is it used.
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-member-init)
    explicit PaintScope(HWND window) : window_(window), dc_(::BeginPaint(window, &paint_)) {}
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    // BeginPaint fills the structure; one that failed gave nothing to end.
    ~PaintScope() {
        if (dc_ != nullptr) {
            ::EndPaint(window_, &paint_);
        }
    }
    HDC dc() const { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_;
    HDC dc_;
};

}  // namespace

void paint_header(HWND dialog, HMODULE module) {
    PaintScope paint(dialog);
    // The logo's resource is a packed 8-bit DIB: its header, its colours, then its pixels.
    HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(IDB_LOGO), RT_BITMAP);
    const auto* packed =
        resource != nullptr ? static_cast<const BITMAPINFOHEADER*>(::LockResource(::LoadResource(module, resource)))
                            : nullptr;
    // make-images.py states how many colours it used.
    const DWORD used = packed != nullptr ? packed->biClrUsed : 0;
    if (paint.dc() == nullptr || used == 0 || used > kLogoColours) {
        return;
    }
    // The header and colours copied, the background colour made the face's,
    // which the paint's erasing left behind the logo: one copy then paints what
    // a transparent one did, in a fraction of the time.
    LogoInfo info;  // NOLINT(cppcoreguidelines-pro-type-member-init)
    std::memcpy(&info, packed, sizeof info.header + used * sizeof(RGBQUAD));
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    for (DWORD i = 0; i < used; ++i) {
        RGBQUAD& colour = info.colours[i];
        if (RGB(colour.rgbRed, colour.rgbGreen, colour.rgbBlue) == kLogoTransparentColour) {
            colour = RGBQUAD{GetBValue(face), GetGValue(face), GetRValue(face), 0};
        }
    }
    const int width = info.header.biWidth;
    const int height = info.header.biHeight;
    ::StretchDIBits(paint.dc(), kLogoLeft, kLogoTop, width, height, 0, 0, width, height,
                    reinterpret_cast<const RGBQUAD*>(packed + 1) + used, reinterpret_cast<const BITMAPINFO*>(&info),
                    DIB_RGB_COLORS, SRCCOPY);
}

}  // namespace lanternbook::win32
