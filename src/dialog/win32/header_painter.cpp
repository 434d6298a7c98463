#include "dialog/win32/header_painter.h"

#include "platform/win32/handles.h"

namespace lanternbook::win32 {
namespace {

// BeginPaint and EndPaint as one scope.
class PaintScope {
public:
    explicit PaintScope(HWND window) : window_(window), dc_(::BeginPaint(window, &paint_)) {}
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    ~PaintScope() { ::EndPaint(window_, &paint_); }
    HDC dc() const { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

}  // namespace

void paint_header(HWND dialog, HBITMAP logo) {
    PaintScope paint(dialog);
    BITMAP size{};
    if (paint.dc() == nullptr || logo == nullptr || ::GetObjectW(logo, sizeof size, &size) == 0) {
        return;
    }
    MemoryDc memory(::CreateCompatibleDC(paint.dc()));
    if (!memory) {
        return;
    }
    SelectedObject selected(memory.get(), logo);
    ::TransparentBlt(paint.dc(), kLogoLeft, kLogoTop, size.bmWidth, size.bmHeight, memory.get(), 0, 0,
                     size.bmWidth, size.bmHeight, kLogoTransparentColour);
}

}  // namespace lanternbook::win32
