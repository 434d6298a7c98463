// Reading `set`'s option texts and making the changes to the dialog's choices.
#include <gtest/gtest.h>

#include <string>

#include "cli/set_request.h"
#include "random_cases.h"

namespace lanternbook::cli {
namespace {

const SystemTime kNow = testing::day_from_epoch(20794);  // Monday 2026-12-07

TEST(SetRequest, DataListsNameTheCompleteSet) {
    struct Case {
        std::string text;
        std::string on;  // one digit a choice, "" for refused
    };
    const Case cases[] = {
        {"activities", "10000"},
        {"technical-data,activities", "10010"},
        {"events-and-faults,detailed-speed,", "01100"},
        {"driver-card-via-tachograph", "00001"},
        {"", "00000"},
        {"Activities", ""},
        {"activities,speed", ""},
        {" activities", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        SetRequest request;
        const std::optional<std::string> refusal = read_data_list(c.text, request);
        if (c.on.empty()) {
            ASSERT_TRUE(refusal);
            EXPECT_EQ(refusal->rfind("unknown data choice", 0), 0u) << *refusal;
            EXPECT_FALSE(request.data);
            continue;
        }
        ASSERT_FALSE(refusal) << *refusal;
        std::string on;
        for (const bool choice : *request.data) {
            on += choice ? '1' : '0';
        }
        EXPECT_EQ(on, c.on);
    }
}

TEST(SetRequest, PeriodsAndTheirLimits) {
    struct Case {
        std::string text;
        bool accepted;
        Period period;
        int days;
        std::string from, till;
        std::string refusal_part;
    };
    const Case cases[] = {
        {"since-last", true, Period::since_last, 0, "", "", ""},
        {"everything", true, Period::everything, 0, "", "", ""},
        {"last:7", true, Period::last_days, 7, "", "", ""},
        {"last:180", true, Period::last_days, 180, "", "", ""},
        {"last:6", false, {}, 0, "", "", "must be 7 to 180"},
        {"last:181", false, {}, 0, "", "", "must be 7 to 180"},
        {"last:0030", true, Period::last_days, 30, "", "", ""},
        {"last:", false, {}, 0, "", "", "must be 7 to 180"},
        {"last:1e2", false, {}, 0, "", "", "must be 7 to 180"},
        {"from:2026-10-05..2026-11-20", true, Period::from_till, 0, "2026-10-05", "2026-11-20", ""},
        {"from:1970-01-01..2026-12-07", true, Period::from_till, 0, "1970-01-01", "2026-12-07", ""},
        {"from:2026-12-07..2026-12-07", true, Period::from_till, 0, "2026-12-07", "2026-12-07", ""},
        {"from:1969-12-31..2026-01-01", false, {}, 0, "", "", "before 1970-01-01"},
        {"from:2026-01-01..2026-12-08", false, {}, 0, "", "", "after today (2026-12-07)"},
        {"from:2026-11-20..2026-10-05", false, {}, 0, "", "", "From 2026-11-20 is after Till 2026-10-05"},
        {"from:2026-02-29..2026-03-01", false, {}, 0, "", "", "two real dates"},
        {"from:2024-02-29..2024-03-01", true, Period::from_till, 0, "2024-02-29", "2024-03-01", ""},
        {"from:2026-1-5..2026-11-20", false, {}, 0, "", "", "two real dates"},
        {"from:2026-10-05", false, {}, 0, "", "", "two real dates"},
        {"Everything", false, {}, 0, "", "", "is none of"},
        {"last-days", false, {}, 0, "", "", "is none of"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        SetRequest request;
        const std::optional<std::string> refusal = read_period(c.text, kNow, request);
        if (!c.accepted) {
            ASSERT_TRUE(refusal);
            EXPECT_NE(refusal->find(c.refusal_part), std::string::npos) << *refusal;
            EXPECT_FALSE(request.period);
            continue;
        }
        ASSERT_FALSE(refusal) << *refusal;
        EXPECT_EQ(request.period->period, c.period);
        if (c.period == Period::last_days) {
            EXPECT_EQ(request.period->days, c.days);
        }
        if (c.period == Period::from_till) {
            EXPECT_EQ(date_text(request.period->from), c.from);
            EXPECT_EQ(date_text(request.period->till), c.till);
            // The weekday a picker works out for the day.
            EXPECT_EQ(request.period->from.day_of_week, testing::day_from_epoch(testing::epoch_day(request.period->from)).day_of_week);
        }
    }
}

Choices held_choices() {
    Choices held;
    held.data = {true, true, false, true, false};
    held.period = Period::last_days;
    held.days = 30;
    held.range_button = true;
    held.from_date = testing::day_from_epoch(20000);
    held.till_date = testing::day_from_epoch(20100);
    return held;
}

TEST(SetRequest, ChangesOnlyWhatIsNamed) {
    SetRequest request;
    request.range_button = false;
    const AppliedChoices applied = apply_request(held_choices(), request);
    ASSERT_FALSE(applied.refusal);
    Choices expected = held_choices();
    expected.range_button = false;
    EXPECT_EQ(applied.choices.data, expected.data);
    EXPECT_EQ(applied.choices.period, Period::last_days);
    EXPECT_EQ(applied.choices.days, 30);
    EXPECT_FALSE(applied.choices.range_button);
    EXPECT_EQ(date_text(*applied.choices.from_date), date_text(*expected.from_date));
}

TEST(SetRequest, APeriodChecksOneBoxAndKeepsTheOtherPeriodValues) {
    SetRequest request;
    ASSERT_FALSE(read_period("from:2020-01-01..2020-02-01", kNow, request));
    AppliedChoices applied = apply_request(held_choices(), request);
    ASSERT_FALSE(applied.refusal);
    EXPECT_EQ(applied.choices.period, Period::from_till);
    EXPECT_EQ(applied.choices.days, 30);
    EXPECT_EQ(date_text(*applied.choices.from_date), "2020-01-01");
    EXPECT_EQ(date_text(*applied.choices.till_date), "2020-02-01");

    ASSERT_FALSE(read_period("last:90", kNow, request));
    applied = apply_request(held_choices(), request);
    EXPECT_EQ(applied.choices.days, 90);
    EXPECT_EQ(date_text(*applied.choices.from_date), date_text(*held_choices().from_date));
}

TEST(SetRequest, ChoicesTheDialogCannotMakeAreRefused) {
    struct Case {
        const char* name;
        std::string data;  // "" for no --data
        std::optional<bool> vdo;
        std::string refusal_part;  // "" when accepted
    };
    const Case cases[] = {
        {"card with activities", "activities,driver-card-via-tachograph", std::nullopt, "cannot be on together with activities"},
        {"card with technical data", "technical-data,driver-card-via-tachograph", std::nullopt, "together with technical-data"},
        {"card alone", "driver-card-via-tachograph", std::nullopt, ""},
        {"VDO with activities held", "", true, ""},
        {"VDO with activities named", "activities", true, ""},
        {"VDO without activities", "events-and-faults", true, "--vdo on: needs activities"},
        {"VDO with the card", "driver-card-via-tachograph", true, "--vdo on: needs activities"},
        {"VDO off without activities", "detailed-speed", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetRequest request;
        if (!c.data.empty()) {
            ASSERT_FALSE(read_data_list(c.data, request));
        }
        request.vdo_special_data = c.vdo;
        const AppliedChoices applied = apply_request(held_choices(), request);
        if (c.refusal_part.empty()) {
            EXPECT_FALSE(applied.refusal) << *applied.refusal;
            EXPECT_EQ(applied.choices.vdo_special_data, c.vdo.value_or(false));
        } else {
            ASSERT_TRUE(applied.refusal);
            EXPECT_NE(applied.refusal->find(c.refusal_part), std::string::npos) << *applied.refusal;
        }
    }
}

// The day count and the dates Save stores whatever the period; a period
// named beside them brings its own.
TEST(SetRequest, DaysAndDatesBesideAPeriod) {
    SetRequest request;
    request.days = 60;
    request.from_date = testing::day_from_epoch(20300);
    request.till_date = testing::day_from_epoch(20400);
    ASSERT_FALSE(read_period("everything", kNow, request));
    AppliedChoices applied = apply_request(held_choices(), request);
    EXPECT_EQ(applied.choices.period, Period::everything);
    EXPECT_EQ(applied.choices.days, 60);
    EXPECT_EQ(date_text(*applied.choices.from_date), date_text(testing::day_from_epoch(20300)));
    EXPECT_EQ(date_text(*applied.choices.till_date), date_text(testing::day_from_epoch(20400)));

    ASSERT_FALSE(read_period("last:90", kNow, request));
    applied = apply_request(held_choices(), request);
    EXPECT_EQ(applied.choices.days, 90);
    EXPECT_EQ(date_text(*applied.choices.from_date), date_text(testing::day_from_epoch(20300)));
}

}  // namespace
}  // namespace lanternbook::cli
