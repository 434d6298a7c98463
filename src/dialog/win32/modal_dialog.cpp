#include "dialog/win32/modal_dialog.h"

namespace lanternbook::win32 {
namespace {

// The dialog this thread is creating: its window's first message binds the
// two. Per thread, so dialogs created on other threads never see it.
thread_local ModalDialog* t_dialog_being_created = nullptr;

}  // namespace

INT_PTR ModalDialog::run(HWND owner) {
    ModalDialog* outer = t_dialog_being_created;
    t_dialog_being_created = this;
    const INT_PTR result = ::DialogBoxParamW(module_, MAKEINTRESOURCEW(template_id_), owner,
                                             &ModalDialog::dialog_proc, 0);
    t_dialog_being_created = outer;
    window_ = nullptr;
    return result;
}

INT_PTR CALLBACK ModalDialog::dialog_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* dialog = reinterpret_cast<ModalDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
    if (dialog == nullptr) {
        dialog = t_dialog_being_created;
        if (dialog == nullptr) {
            return FALSE;
        }
        t_dialog_being_created = nullptr;
        dialog->window_ = window;
        ::SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(dialog));
    }
    LRESULT result = 0;
    try {
        if (!dialog->dispatch(message, wparam, lparam, result)) {
            return FALSE;
        }
    } catch (...) {
        // Nothing may unwind through the system's dialog code: the dialog
        // ends instead, and load returns as usual.
        ::EndDialog(window, IDCANCEL);
        return TRUE;
    }
    if (message == WM_INITDIALOG) {
        return static_cast<INT_PTR>(result);
    }
    ::SetWindowLongPtrW(window, DWLP_MSGRESULT, static_cast<LONG_PTR>(result));
    return TRUE;
}

}  // namespace lanternbook::win32
