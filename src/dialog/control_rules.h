// How the dialog's choices exclude and imply each other, and which controls
// apply. Check changes are posted and land after the handler returns.
#pragma once

#include "config/stored_settings.h"
#include "dialog/dialog_controls.h"
#include "dialog/dialog_state.h"
#include "resources/resource.h"

namespace lanternbook {

// The day count a dialog starts with.
constexpr int kDefaultDays = 14;

struct PeriodBox {
    Period period;
    int control_id;
};
// The period check boxes, in the order Save looks at them: the first checked decides.
constexpr PeriodBox kPeriodBoxes[] = {
    {Period::everything, IDC_EVERYTHING},
    {Period::since_last, IDC_SINCE_LAST},
    {Period::last_days, IDC_LAST_DAYS},
    {Period::from_till, IDC_FROM_TILL},
};

// The day count one up-down step away from `days`, always 7 to 180.
int step_days(int days, bool up);

class ControlRules {
public:
    ControlRules(DialogState& state, DialogControls& controls) : state_(state), controls_(controls) {}

    void update_period_controls(bool activities_on);
    void disable_for_missing_device();

    // Whether a click on this control runs a rule; the dialog's message
    // table and the tests both ask here.
    static bool has_click_rule(int control_id);
    // The rule of a clicked check box, after the box has toggled.
    void on_clicked(int control_id);
    // The up-down proposes a change; only its sign counts.
    void on_days_delta(int delta);

    // Settles format_allowed from where the module runs: not from the key's drive.
    void apply_format_permission(const std::wstring& device_root, const std::wstring& module_path);

private:
    // Reached through kClickRules only, which cppcheck does not follow.
    void on_overview_clicked(int control_id);  // cppcheck-suppress unusedPrivateFunction
    void on_activities_clicked(int control_id);  // cppcheck-suppress unusedPrivateFunction
    // Events, detailed speed, technical data.
    void on_data_choice_clicked(int control_id);  // cppcheck-suppress unusedPrivateFunction
    void on_card_via_tachograph_clicked(int control_id);  // cppcheck-suppress unusedPrivateFunction
    void on_vdo_special_clicked(int control_id);  // cppcheck-suppress unusedPrivateFunction
    // Since last, from/till, last days, everything.
    void on_period_clicked(int control_id);  // cppcheck-suppress unusedPrivateFunction

    struct ClickRule {
        int control_id;
        void (ControlRules::*handler)(int control_id);
    };
    static const ClickRule kClickRules[];
    static const ClickRule* click_rule(int control_id);

    DialogState& state_;
    DialogControls& controls_;
};

}  // namespace lanternbook
