#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "dialog_harness.h"

namespace lanternbook {
namespace {

using testing::DialogHarness;

const std::vector<int> kPeriodControls = {
    IDC_SINCE_LAST, IDC_FROM_TILL,  IDC_LAST_DAYS, IDC_EVERYTHING,  IDC_FROM_DATE,
    IDC_TILL_DATE,  IDC_TILL_LABEL, IDC_DAYS_EDIT, IDC_DAYS_UPDOWN, IDC_DAYS_LABEL};

class ControlRuleClicks : public ::testing::Test {
protected:
    void SetUp() override {
        dialog.attach_key();
        dialog.post_defaults();
        dialog.controls.flush();
    }

    void click(int id) {
        ASSERT_TRUE(ControlRules::has_click_rule(id)) << "no rule for control " << id;
        dialog.controls.click(id, [this, id] { dialog.rules.on_clicked(id); });
    }

    // What Save would store for VDO special data.
    bool vdo_saved() { return choices_from_controls(dialog.state, dialog.controls).vdo_special_data; }
    // The module runs from elsewhere than the key, or from the key itself.
    void allow_format(bool allowed) {
        dialog.rules.apply_format_permission(L"K:\\", allowed ? L"C:\\host\\lanternbook.dll" : L"K:\\lanternbook.dll");
    }

    void expect_enabled(const std::vector<int>& ids, bool enabled) {
        for (const int id : ids) {
            EXPECT_EQ(dialog.enabled(id), enabled) << "control " << id;
        }
    }
    void expect_checked(const std::vector<int>& ids, bool checked) {
        for (const int id : ids) {
            EXPECT_EQ(dialog.checked(id), checked) << "control " << id;
        }
    }

    DialogHarness dialog;
};

TEST_F(ControlRuleClicks, OverviewNeverStaysUnchecked) {
    click(IDC_OVERVIEW);
    expect_checked({IDC_OVERVIEW}, true);
    click(IDC_OVERVIEW);
    expect_checked({IDC_OVERVIEW}, true);
}

TEST_F(ControlRuleClicks, EverythingStaysCheckedAndDisablesDatesAndDays) {
    click(IDC_EVERYTHING);
    expect_checked({IDC_EVERYTHING}, true);
    expect_checked({IDC_SINCE_LAST, IDC_FROM_TILL, IDC_LAST_DAYS}, false);
    expect_enabled({IDC_FROM_DATE, IDC_TILL_DATE, IDC_TILL_LABEL, IDC_DAYS_EDIT, IDC_DAYS_UPDOWN,
                    IDC_DAYS_LABEL},
                   false);
}

TEST_F(ControlRuleClicks, SinceLastAfterLastDisablesDaysAndDates) {
    click(IDC_LAST_DAYS);
    click(IDC_SINCE_LAST);
    expect_checked({IDC_SINCE_LAST}, true);
    expect_checked({IDC_LAST_DAYS, IDC_EVERYTHING, IDC_FROM_TILL}, false);
    expect_enabled({IDC_DAYS_EDIT, IDC_DAYS_UPDOWN, IDC_TILL_LABEL, IDC_DAYS_LABEL, IDC_FROM_DATE,
                    IDC_TILL_DATE},
                   false);
}

TEST_F(ControlRuleClicks, FromOnEnablesDatesAndOffFallsBackToEverything) {
    click(IDC_FROM_TILL);
    expect_checked({IDC_FROM_TILL}, true);
    expect_checked({IDC_EVERYTHING, IDC_SINCE_LAST, IDC_LAST_DAYS}, false);
    expect_enabled({IDC_FROM_DATE, IDC_TILL_DATE, IDC_TILL_LABEL}, true);
    expect_enabled({IDC_DAYS_EDIT, IDC_DAYS_UPDOWN, IDC_DAYS_LABEL}, false);

    click(IDC_FROM_TILL);
    expect_checked({IDC_EVERYTHING}, true);
    expect_checked({IDC_FROM_TILL}, false);
    expect_enabled({IDC_FROM_DATE, IDC_TILL_DATE, IDC_TILL_LABEL, IDC_DAYS_EDIT, IDC_DAYS_UPDOWN,
                    IDC_DAYS_LABEL},
                   false);
}

TEST_F(ControlRuleClicks, LastEnablesDayCountAndOffFallsBackToEverything) {
    click(IDC_FROM_TILL);
    click(IDC_LAST_DAYS);
    expect_checked({IDC_LAST_DAYS}, true);
    expect_checked({IDC_FROM_TILL, IDC_EVERYTHING, IDC_SINCE_LAST}, false);
    expect_enabled({IDC_DAYS_EDIT, IDC_DAYS_UPDOWN, IDC_DAYS_LABEL}, true);
    expect_enabled({IDC_FROM_DATE, IDC_TILL_DATE, IDC_TILL_LABEL}, false);

    click(IDC_LAST_DAYS);
    expect_checked({IDC_EVERYTHING}, true);
    expect_checked({IDC_LAST_DAYS}, false);
    expect_enabled({IDC_DAYS_EDIT, IDC_DAYS_UPDOWN, IDC_DAYS_LABEL}, false);
}

TEST_F(ControlRuleClicks, CardViaTachographExcludesDataChoicesAndPeriod) {
    click(IDC_VDO_SPECIAL);
    ASSERT_TRUE(vdo_saved());
    click(IDC_CARD_VIA_TACHO);
    expect_checked({IDC_CARD_VIA_TACHO, IDC_OVERVIEW}, true);
    expect_checked({IDC_ACTIVITIES, IDC_EVENTS_FAULTS, IDC_DETAILED_SPEED, IDC_TECHNICAL_DATA,
                    IDC_VDO_SPECIAL},
                   false);
    expect_enabled(kPeriodControls, false);
    expect_enabled({IDC_RANGE_BUTTON, IDC_VDO_SPECIAL}, false);
    EXPECT_FALSE(vdo_saved());

    // Unchecking it changes nothing else.
    click(IDC_CARD_VIA_TACHO);
    expect_checked({IDC_CARD_VIA_TACHO, IDC_ACTIVITIES}, false);
    expect_enabled(kPeriodControls, false);
}

TEST_F(ControlRuleClicks, AnyLaterChoiceUnchecksCardViaTachograph) {
    for (const int id : {IDC_ACTIVITIES, IDC_EVENTS_FAULTS, IDC_DETAILED_SPEED, IDC_TECHNICAL_DATA,
                         IDC_SINCE_LAST, IDC_FROM_TILL, IDC_LAST_DAYS, IDC_EVERYTHING}) {
        SCOPED_TRACE(id);
        dialog.controls.checks[IDC_CARD_VIA_TACHO] = 1;
        dialog.controls.checks[id] = 0;
        click(id);
        expect_checked({id}, true);
        expect_checked({IDC_CARD_VIA_TACHO}, false);
    }
}

TEST_F(ControlRuleClicks, UncheckingADataChoiceLeavesCardViaTachograph) {
    dialog.controls.checks[IDC_CARD_VIA_TACHO] = 1;
    click(IDC_DETAILED_SPEED);
    expect_checked({IDC_DETAILED_SPEED}, false);
    expect_checked({IDC_CARD_VIA_TACHO}, true);
}

TEST_F(ControlRuleClicks, ActivitiesOffDisablesPeriodAndOnRestoresTheChosenOption) {
    allow_format(true);
    click(IDC_LAST_DAYS);
    click(IDC_VDO_SPECIAL);
    ASSERT_TRUE(vdo_saved());

    click(IDC_ACTIVITIES);
    expect_checked({IDC_ACTIVITIES, IDC_VDO_SPECIAL}, false);
    expect_enabled(kPeriodControls, false);
    expect_enabled({IDC_RANGE_BUTTON, IDC_VDO_SPECIAL}, false);
    EXPECT_FALSE(vdo_saved());
    expect_checked({IDC_LAST_DAYS}, true);  // the choice itself is kept
    expect_enabled({IDC_FORMAT, IDC_STORE_SETTINGS}, true);

    click(IDC_ACTIVITIES);
    expect_checked({IDC_ACTIVITIES}, true);
    expect_enabled({IDC_SINCE_LAST, IDC_FROM_TILL, IDC_LAST_DAYS, IDC_EVERYTHING, IDC_RANGE_BUTTON,
                    IDC_VDO_SPECIAL, IDC_DAYS_EDIT, IDC_DAYS_UPDOWN, IDC_DAYS_LABEL},
                   true);
    expect_enabled({IDC_FROM_DATE, IDC_TILL_DATE, IDC_TILL_LABEL}, false);

    click(IDC_FROM_TILL);
    click(IDC_ACTIVITIES);
    click(IDC_ACTIVITIES);
    expect_enabled({IDC_FROM_DATE, IDC_TILL_DATE, IDC_TILL_LABEL}, true);
    expect_enabled({IDC_DAYS_EDIT, IDC_DAYS_UPDOWN, IDC_DAYS_LABEL}, false);
}

TEST_F(ControlRuleClicks, FormatControlsFollowFormatAllowedWhileActivitiesAreOn) {
    for (const bool allowed : {true, false}) {
        allow_format(allowed);
        click(IDC_EVERYTHING);
        expect_enabled({IDC_FORMAT, IDC_STORE_SETTINGS}, allowed);
    }
}

TEST_F(ControlRuleClicks, VdoSpecialFollowsItsBox) {
    click(IDC_VDO_SPECIAL);
    EXPECT_TRUE(vdo_saved());
    click(IDC_VDO_SPECIAL);
    EXPECT_FALSE(vdo_saved());
}

TEST_F(ControlRuleClicks, MissingDeviceDisablesAllButRangeButtonAndRelabelsSave) {
    dialog.rules.disable_for_missing_device();
    expect_enabled(
        {IDC_OVERVIEW, IDC_ACTIVITIES, IDC_EVENTS_FAULTS, IDC_DETAILED_SPEED, IDC_TECHNICAL_DATA,
         IDC_CARD_VIA_TACHO, IDC_VDO_SPECIAL, IDC_STORE_SETTINGS, IDC_FORMAT, IDC_ERASE},
        false);
    expect_enabled(kPeriodControls, false);
    expect_enabled({IDC_RANGE_BUTTON, IDC_SAVE}, true);
    EXPECT_EQ(dialog.controls.texts[IDC_SAVE], L"Exit");
    EXPECT_TRUE(dialog.controls.posted.empty());
}

TEST(ControlRulesFormatPermission, ComparesDriveOfKeyAndModule) {
    struct Case {
        std::wstring root;
        std::wstring module;
        bool allowed_before;
        bool allowed_after;
        bool format_disabled;
    };
    const Case cases[] = {
        {L"K:\\", L"k:\\lanternbook.dll", true, false, true},
        {L"K:\\", L"K:\\tools\\lanternbook.dll", true, false, true},
        {L"K:\\", L"C:\\Program Files\\lanternbook.dll", false, true, false},
        {L"K:\\", L"\\\\server\\share\\lanternbook.dll", false, true, false},
        {L"", L"C:\\lanternbook.dll", false, false, false},  // no key: kept
        {L"", L"C:\\lanternbook.dll", true, true, false},
        {L"K:\\", L"", true, true, false},
        {L"K:\\", L"K", false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.root + L" | " + c.module));
        DialogHarness dialog;
        dialog.state.format_allowed = c.allowed_before;
        dialog.rules.apply_format_permission(c.root, c.module);
        EXPECT_EQ(dialog.enabled(IDC_FORMAT), !c.format_disabled);
        EXPECT_EQ(dialog.enabled(IDC_STORE_SETTINGS), !c.format_disabled);
        // The next period click settles the format controls by the permission.
        dialog.controls.click(IDC_EVERYTHING, [&dialog] { dialog.rules.on_clicked(IDC_EVERYTHING); });
        EXPECT_EQ(dialog.enabled(IDC_FORMAT), c.allowed_after);
    }
}

TEST(DayCount, StepSequences) {
    struct Case {
        int start;
        bool up;
        std::vector<int> steps;
    };
    const Case cases[] = {
        {14, true, {21, 28, 60, 90, 180, 180}},
        {27, true, {34, 60}},
        {28, true, {60}},
        {10, true, {17, 24, 31, 60}},
        {180, true, {180}},
        {180, false, {90, 60, 28, 21, 14, 7, 7}},
        {29, false, {28}},
        {10, false, {7}},
        {7, false, {7}},
        {400, false, {180}},
        {0, true, {7}},
        {-20, true, {7}},
        {INT_MAX, true, {180}},
        {INT_MIN, false, {7}},
        {INT_MIN, true, {7}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "from " << c.start << (c.up ? " up" : " down"));
        int days = c.start;
        for (const int expected : c.steps) {
            days = step_days(days, c.up);
            EXPECT_EQ(days, expected);
        }
    }
}

TEST(DayCount, DeltaReadsAndRewritesTheEdit) {
    struct Case {
        std::wstring text;
        int delta;
        std::wstring expected;
    };
    const Case cases[] = {
        {L"14", 1, L"21"},
        {L"14", -1, L"7"},
        {L"28", 0, L"21"},  // only a positive change counts as up
        {L"", 1, L"7"},
        {L" 15", 1, L"22"},
        {L"60days", -1, L"28"},
        {L"x60", 1, L"7"},
        // Only the first 31 characters are read.
        {std::wstring(31, L'0') + L"90", 1, L"7"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.text));
        DialogHarness dialog;
        dialog.controls.texts[IDC_DAYS_EDIT] = c.text;
        dialog.rules.on_days_delta(c.delta);
        EXPECT_EQ(dialog.controls.texts[IDC_DAYS_EDIT], c.expected);
    }
}

}  // namespace
}  // namespace lanternbook
