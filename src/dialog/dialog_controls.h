// The dialog's controls as the portable rules see them. Check changes are
// posted: they land after the running handler returns, in posting order.
// Reads, enabling and texts act at once.
#pragma once

#include <cstddef>
#include <string>

#include "platform/platform.h"

namespace lanternbook {

class DialogControls {
public:
    virtual ~DialogControls() = default;
    // The check state of this moment (BM_GETCHECK: 0 unchecked, 1 checked).
    virtual unsigned check_state(int control_id) = 0;
    virtual void post_check(int control_id, bool checked) = 0;
    // A check change that lands at once (BM_SETCHECK sent, not posted).
    virtual void check_now(int control_id, bool checked) = 0;
    // Hides the control where it stands.
    virtual void hide(int control_id) = 0;
    virtual void enable(int control_id, bool enabled) = 0;
    virtual void set_text(int control_id, const std::wstring& text) = 0;
    // At most max_chars characters of the control's text.
    virtual std::wstring text(int control_id, std::size_t max_chars) = 0;
    // False when the date picker rejects the date and keeps its own.
    virtual bool set_date(int control_id, const SystemTime& date) = 0;
    virtual bool date(int control_id, SystemTime& date) = 0;

    bool is_checked(int control_id) { return check_state(control_id) != 0; }
};

}  // namespace lanternbook
