// The windowing layer: a modal dialog run from a template, bound to its C++
// object before its first message is handled, every message offered to the
// object's dispatch table and the rest left to the default dialog handling.
#pragma once

#include <windows.h>

namespace lanternbook::win32 {

class ModalDialog {
public:
    ModalDialog(HMODULE module, int template_id) : module_(module), template_id_(template_id) {}
    virtual ~ModalDialog() = default;
    ModalDialog(const ModalDialog&) = delete;
    ModalDialog& operator=(const ModalDialog&) = delete;

    // Runs the dialog over the owner; the result a handler ended it with, or
    // -1 when the window could not be created.
    INT_PTR run(HWND owner);

    HWND window() const { return window_; }
    HMODULE module() const { return module_; }
    void end(INT_PTR result) { ::EndDialog(window_, result); }

protected:
    // Offers one message to the dispatch table; false when no row takes it.
    virtual bool dispatch(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) = 0;

private:
    static INT_PTR CALLBACK dialog_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

    HMODULE module_;
    int template_id_;
    HWND window_ = nullptr;
};

}  // namespace lanternbook::win32
