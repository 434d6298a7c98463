#include "fakes/fake_controls.h"

#include "config/calendar.h"

namespace lanternbook::testing {
namespace {

bool valid_date(const SystemTime& date) {
    static const int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (date.year < 1601 || date.month < 1 || date.month > 12 || date.day < 1) {
        return false;
    }
    const bool leap = (date.year % 4 == 0 && date.year % 100 != 0) || date.year % 400 == 0;
    const int days = kDaysInMonth[date.month - 1] + (date.month == 2 && leap ? 1 : 0);
    return date.day <= days;
}

}  // namespace

bool FakeControls::set_date(int control_id, const SystemTime& date_now) {
    // Like the date picker: an impossible date is refused and the old one stays.
    if (!valid_date(date_now)) {
        return false;
    }
    SystemTime held = date_now;
    // The picker keeps the weekday it computes, not the one it was given.
    int64_t file_time = 0;
    if (system_time_to_file_time(held, file_time)) {
        SystemTime computed;
        if (file_time_to_system_time(file_time, computed)) {
            held.day_of_week = computed.day_of_week;
        }
    }
    dates[control_id] = held;
    return true;
}

bool FakeControls::date(int control_id, SystemTime& date_now) {
    const auto found = dates.find(control_id);
    if (found == dates.end()) {
        return false;
    }
    date_now = found->second;
    return true;
}

void FakeControls::flush() {
    while (!posted.empty()) {
        const auto change = posted.front();
        posted.pop_front();
        checks[change.first] = change.second ? 1 : 0;
    }
}

}  // namespace lanternbook::testing
