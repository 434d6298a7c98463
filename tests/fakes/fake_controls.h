// The dialog's controls without a window. Check changes wait in a queue until
// flush(), as posted BM_SETCHECK messages wait for the running handler to return.
#pragma once

#include <deque>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "dialog/dialog_controls.h"

namespace lanternbook::testing {

class FakeControls : public DialogControls {
public:
    unsigned check_state(int control_id) override {
        for (const auto& change : posted) {
            if (change.first == control_id) {
                read_while_posted.insert(control_id);
            }
        }
        return checks[control_id];
    }
    void post_check(int control_id, bool checked) override {
        if (land_at_once) {
            checks[control_id] = checked ? 1 : 0;
            return;
        }
        posted.emplace_back(control_id, checked);
    }
    void check_now(int control_id, bool checked) override { checks[control_id] = checked ? 1 : 0; }
    void hide(int control_id) override { hidden.insert(control_id); }
    void enable(int control_id, bool enabled_now) override { enabled[control_id] = enabled_now; }
    void set_text(int control_id, const std::wstring& text_now) override {
        texts[control_id] = text_now;
        texts_set.push_back(control_id);
    }
    std::wstring text(int control_id, std::size_t max_chars) override {
        return texts[control_id].substr(0, max_chars);
    }
    bool set_date(int control_id, const SystemTime& date_now) override;
    bool date(int control_id, SystemTime& date_now) override;

    // Lands every posted check change, in posting order.
    void flush();
    // A user's click on an auto check box: toggles it, then runs the handler.
    template <typename Handler>
    void click(int control_id, Handler handler) {
        checks[control_id] = checks[control_id] ? 0 : 1;
        handler();
        flush();
    }
    bool is_enabled(int control_id) const {
        const auto found = enabled.find(control_id);
        return found == enabled.end() || found->second;
    }

    std::map<int, unsigned> checks;
    std::map<int, bool> enabled;  // absent: enabled
    std::map<int, std::wstring> texts;
    std::vector<int> texts_set;  // each set_text's control, in order
    std::map<int, SystemTime> dates;
    std::set<int> hidden;
    std::deque<std::pair<int, bool>> posted;
    // As the real dialog's initialisation lands its check changes: at once.
    bool land_at_once = false;
    // Boxes read while a change posted to them waited.
    std::set<int> read_while_posted;
};

}  // namespace lanternbook::testing
