// The controls interface of the portable rules on a real dialog window.
#pragma once

#include <windows.h>

#include <array>

#include "dialog/dialog_controls.h"

namespace lanternbook::win32 {

class Win32Controls : public DialogControls {
public:
    // Takes in every control of `dialog` in one walk: under Wine each step
    // costs half a lookup by id, which asks the server for every child.
    void attach(HWND dialog);
    // The control's window; looked up by id only when the walk left another in its place.
    HWND item(int control_id);

    unsigned check_state(int control_id) override;
    // BM_SETCHECK through the queue: lands after the running handler returns.
    // While sending, it lands at once.
    void post_check(int control_id, bool checked) override;
    // Check changes posted from now on land at once, not through the queue,
    // which costs Wine two trips to the server for each. For a handler that
    // reads no box after posting a change to it.
    void send_checks(bool sending) { sending_checks_ = sending; }
    void check_now(int control_id, bool checked) override;
    void hide(int control_id) override;
    void enable(int control_id, bool enabled) override;
    void set_text(int control_id, const std::wstring& text) override;
    // At most kLongestText characters, however many are asked for.
    std::wstring text(int control_id, std::size_t max_chars) override;
    bool set_date(int control_id, const SystemTime& date) override;
    bool date(int control_id, SystemTime& date) override;

    // Longer than any text of the string tables (203 characters at most): a
    // longer one would read as another, and be set again.
    static constexpr std::size_t kLongestText = 255;

private:
    LRESULT send(int control_id, UINT message, WPARAM wparam, LPARAM lparam) {
        return ::SendMessageW(item(control_id), message, wparam, lparam);
    }

    HWND dialog_ = nullptr;
    bool sending_checks_ = false;
    // By id modulo 64: the template's ids from IDC_FILES_GROUP to IDC_FOOTNOTE each have a place of their own.
    std::array<HWND, 64> items_{};
};

}  // namespace lanternbook::win32
