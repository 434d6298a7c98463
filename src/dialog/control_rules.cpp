#include "dialog/control_rules.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <initializer_list>

#include "l10n/texts.h"
#include "text/text_utils.h"
#include "resources/resource.h"

namespace lanternbook {
namespace {

constexpr int kDataChoices[] = {IDC_ACTIVITIES, IDC_EVENTS_FAULTS, IDC_DETAILED_SPEED,
                                IDC_TECHNICAL_DATA};
// Room for the day count's text; the edit never holds more than a few digits.
constexpr std::size_t kDaysTextLimit = 31;
// Up-arrow landmarks above four weeks; below them the count moves by a week.
constexpr int kFourWeeks = 28;
constexpr int kTwoMonths = 60;
constexpr int kThreeMonths = 90;
constexpr int kWeek = 7;

void enable_all(DialogControls& controls, std::initializer_list<int> ids, bool enabled) {
    for (const int id : ids) {
        controls.enable(id, enabled);
    }
}

}  // namespace

int step_days(int days, bool up) {
    // 64-bit so that a count at either end of the int range cannot overflow.
    int64_t n = days;
    if (up) {
        if (n >= kFourWeeks && n < kTwoMonths) {
            n = kTwoMonths;
        } else if (n >= kTwoMonths && n < kThreeMonths) {
            n = kThreeMonths;
        } else if (n >= kThreeMonths && n < kMaxDays) {
            n = kMaxDays;
        } else {
            n += kWeek;
        }
    } else {
        if (n > kMaxDays) {
            n = kMaxDays;
        } else if (n > kThreeMonths) {
            n = kThreeMonths;
        } else if (n > kTwoMonths) {
            n = kTwoMonths;
        } else if (n > kFourWeeks) {
            n = kFourWeeks;
        } else {
            n -= kWeek;
        }
    }
    if (n < kMinDays) {
        n = kMinDays;
    }
    if (n > kMaxDays) {
        n = kMaxDays;
    }
    return static_cast<int>(n);
}

void ControlRules::update_period_controls(bool activities_on) {
    if (!activities_on) {
        enable_all(controls_,
                   {IDC_SINCE_LAST, IDC_FROM_TILL, IDC_LAST_DAYS, IDC_EVERYTHING, IDC_FROM_DATE,
                    IDC_TILL_DATE, IDC_TILL_LABEL, IDC_DAYS_EDIT, IDC_DAYS_UPDOWN, IDC_DAYS_LABEL,
                    IDC_RANGE_BUTTON},
                   false);
        controls_.post_check(IDC_VDO_SPECIAL, false);
        state_.vdo_special_data = false;
        controls_.enable(IDC_VDO_SPECIAL, false);
        return;
    }
    enable_all(controls_,
               {IDC_SINCE_LAST, IDC_FROM_TILL, IDC_LAST_DAYS, IDC_EVERYTHING, IDC_RANGE_BUTTON,
                IDC_VDO_SPECIAL},
               true);
    state_.last_days_selected = controls_.is_checked(IDC_LAST_DAYS);
    enable_all(controls_, {IDC_DAYS_EDIT, IDC_DAYS_UPDOWN, IDC_DAYS_LABEL},
               state_.last_days_selected);
    controls_.enable(IDC_TILL_LABEL, false);
    enable_all(controls_, {IDC_FROM_DATE, IDC_TILL_DATE, IDC_TILL_LABEL},
               state_.from_till_selected);
    enable_all(controls_, {IDC_FORMAT, IDC_STORE_SETTINGS}, state_.format_allowed);
}

void ControlRules::disable_for_missing_device() {
    // The range-button box is left alone: it stays as initialisation set it.
    enable_all(controls_,
               {IDC_OVERVIEW,       IDC_ACTIVITIES,     IDC_EVENTS_FAULTS, IDC_DETAILED_SPEED,
                IDC_TECHNICAL_DATA, IDC_CARD_VIA_TACHO, IDC_VDO_SPECIAL,   IDC_SINCE_LAST,
                IDC_FROM_TILL,      IDC_LAST_DAYS,      IDC_EVERYTHING,    IDC_STORE_SETTINGS,
                IDC_FROM_DATE,      IDC_TILL_DATE,      IDC_DAYS_EDIT,     IDC_DAYS_UPDOWN,
                IDC_TILL_LABEL,     IDC_DAYS_LABEL,     IDC_FORMAT,        IDC_ERASE},
               false);
    controls_.set_text(IDC_SAVE, state_.strings.text_at(Text::exit));
}

// Which rule a click on each check box runs.
const ControlRules::ClickRule ControlRules::kClickRules[] = {
    {IDC_OVERVIEW, &ControlRules::on_overview_clicked},
    {IDC_ACTIVITIES, &ControlRules::on_activities_clicked},
    {IDC_EVENTS_FAULTS, &ControlRules::on_data_choice_clicked},
    {IDC_DETAILED_SPEED, &ControlRules::on_data_choice_clicked},
    {IDC_TECHNICAL_DATA, &ControlRules::on_data_choice_clicked},
    {IDC_CARD_VIA_TACHO, &ControlRules::on_card_via_tachograph_clicked},
    {IDC_VDO_SPECIAL, &ControlRules::on_vdo_special_clicked},
    {IDC_SINCE_LAST, &ControlRules::on_period_clicked},
    {IDC_FROM_TILL, &ControlRules::on_period_clicked},
    {IDC_LAST_DAYS, &ControlRules::on_period_clicked},
    {IDC_EVERYTHING, &ControlRules::on_period_clicked},
};

const ControlRules::ClickRule* ControlRules::click_rule(int control_id) {
    const auto* const found = std::find_if(std::begin(kClickRules), std::end(kClickRules),
                                           [control_id](const ClickRule& rule) { return rule.control_id == control_id; });
    return found != std::end(kClickRules) ? found : nullptr;
}

bool ControlRules::has_click_rule(int control_id) { return click_rule(control_id) != nullptr; }

void ControlRules::on_clicked(int control_id) {
    if (const ClickRule* rule = click_rule(control_id)) {
        (this->*(rule->handler))(control_id);
    }
}

void ControlRules::on_overview_clicked(int /*control_id*/) { controls_.post_check(IDC_OVERVIEW, true); }

void ControlRules::on_activities_clicked(int /*control_id*/) {
    if (controls_.is_checked(IDC_ACTIVITIES)) {
        update_period_controls(true);
        controls_.post_check(IDC_CARD_VIA_TACHO, false);
    } else {
        update_period_controls(false);
    }
}

void ControlRules::on_data_choice_clicked(int control_id) {
    if (controls_.is_checked(control_id)) {
        controls_.post_check(IDC_CARD_VIA_TACHO, false);
    }
}

void ControlRules::on_card_via_tachograph_clicked(int /*control_id*/) {
    if (!controls_.is_checked(IDC_CARD_VIA_TACHO)) {
        return;
    }
    for (const int id : kDataChoices) {
        controls_.post_check(id, false);
    }
    update_period_controls(false);
}

void ControlRules::on_vdo_special_clicked(int /*control_id*/) {
    state_.vdo_special_data = controls_.is_checked(IDC_VDO_SPECIAL);
}

void ControlRules::on_period_clicked(int control_id) {
    const bool left_checked = controls_.is_checked(control_id);
    if (left_checked) {
        for (const PeriodBox& box : kPeriodBoxes) {
            if (box.control_id != control_id) {
                controls_.post_check(box.control_id, false);
            }
        }
        controls_.post_check(IDC_CARD_VIA_TACHO, false);
        state_.from_till_selected = control_id == IDC_FROM_TILL;
        state_.last_days_selected = control_id == IDC_LAST_DAYS;
    } else {
        // Everything is the fallback, and cannot itself be left unchecked.
        controls_.post_check(IDC_EVERYTHING, true);
        if (control_id == IDC_FROM_TILL) {
            state_.from_till_selected = false;
            state_.last_days_selected = false;
        } else if (control_id == IDC_LAST_DAYS) {
            state_.last_days_selected = false;
        }
    }
    update_period_controls(true);
    if (!left_checked) {
        return;
    }
    // The pass above read the Last box before its posted uncheck landed; the
    // day-count controls get their final state here.
    switch (control_id) {
        case IDC_SINCE_LAST:
        case IDC_EVERYTHING:
            enable_all(controls_, {IDC_DAYS_EDIT, IDC_DAYS_UPDOWN, IDC_TILL_LABEL, IDC_DAYS_LABEL},
                       false);
            break;
        case IDC_FROM_TILL:
            enable_all(controls_, {IDC_DAYS_EDIT, IDC_DAYS_UPDOWN, IDC_DAYS_LABEL}, false);
            break;
        default: break;
    }
}

void ControlRules::on_days_delta(int delta) {
    const int days = parse_decimal_prefix(controls_.text(IDC_DAYS_EDIT, kDaysTextLimit));
    controls_.set_text(IDC_DAYS_EDIT, decimal_text(step_days(days, delta > 0)));
}

void ControlRules::apply_format_permission(const std::wstring& device_root,
                                           const std::wstring& module_path) {
    if (device_root.size() < 2 || module_path.size() < 2) {
        return;
    }
    const bool same_drive = to_lower_ascii(device_root[0]) == to_lower_ascii(module_path[0]) &&
                            to_lower_ascii(device_root[1]) == to_lower_ascii(module_path[1]);
    if (same_drive) {
        controls_.enable(IDC_FORMAT, false);
        controls_.enable(IDC_STORE_SETTINGS, false);
    }
    state_.format_allowed = !same_drive;
}

}  // namespace lanternbook
