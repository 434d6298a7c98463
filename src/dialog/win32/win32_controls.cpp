#include "dialog/win32/win32_controls.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "platform/win32/win32_platform.h"

namespace lanternbook::win32 {

void Win32Controls::attach(HWND dialog) {
    dialog_ = dialog;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        items_[static_cast<unsigned>(::GetDlgCtrlID(child)) % items_.size()] = child;
    }
}

HWND Win32Controls::item(int control_id) {
    HWND& held = items_[static_cast<unsigned>(control_id) % items_.size()];
    // Ids that share a place take turns in it.
    if (held == nullptr || ::GetDlgCtrlID(held) != control_id) {
        held = ::GetDlgItem(dialog_, control_id);
    }
    return held;
}

unsigned Win32Controls::check_state(int control_id) {
    return static_cast<unsigned>(send(control_id, BM_GETCHECK, 0, 0));
}

void Win32Controls::post_check(int control_id, bool checked) {
    HWND box = item(control_id);
    const WPARAM state = checked ? BST_CHECKED : BST_UNCHECKED;
    if (sending_checks_) {
        ::SendMessageW(box, BM_SETCHECK, state, 0);
    } else {
        ::PostMessageW(box, BM_SETCHECK, state, 0);
    }
}

void Win32Controls::check_now(int control_id, bool checked) {
    send(control_id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Win32Controls::hide(int control_id) { ::ShowWindow(item(control_id), SW_HIDE); }

void Win32Controls::enable(int control_id, bool enabled) {
    ::EnableWindow(item(control_id), enabled ? TRUE : FALSE);
}

void Win32Controls::set_text(int control_id, const std::wstring& text) {
    ::SetWindowTextW(item(control_id), text.c_str());
}

std::wstring Win32Controls::text(int control_id, std::size_t max_chars) {
    wchar_t buffer[kLongestText + 1];
    const int room = static_cast<int>(std::min(max_chars, kLongestText) + 1);
    const int length = ::GetWindowTextW(item(control_id), buffer, room);
    return std::wstring(buffer, static_cast<std::size_t>(length));
}

bool Win32Controls::set_date(int control_id, const SystemTime& date) {
    SYSTEMTIME system;
    std::memcpy(&system, &date, sizeof system);
    return send(control_id, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&system)) != 0;
}

bool Win32Controls::date(int control_id, SystemTime& date) {
    SYSTEMTIME system{};
    if (send(control_id, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&system)) != GDT_VALID) {
        return false;
    }
    // Trivially copyable, though its members start at zero.
    std::memcpy(static_cast<void*>(&date), &system, sizeof date);
    return true;
}

}  // namespace lanternbook::win32
