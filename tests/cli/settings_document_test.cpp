// `set --from`: reading back the object `show --json` prints.
#include <gtest/gtest.h>

#include <string>

#include "cli/settings_document.h"
#include "random_cases.h"

namespace lanternbook::cli {
namespace {

const SystemTime kNow = testing::day_from_epoch(20794);  // Monday 2026-12-07

// What show --json prints for a key, less nothing.
const char kShown[] = R"({
  "format": 1,
  "key": "/media/me/VOLKARIS",
  "config_bytes": 32,
  "data": ["activities", "technical-data"],
  "period": "last:45",
  "days": 45,
  "from": "2026-11-02",
  "till": "2026-11-30",
  "range_button": true,
  "vdo_special_data": true,
  "serial_number": "QVX/05/4660",
  "software_version": "1.2.3",
  "bytes": "3131",
  "saved": true
})";

TEST(SettingsDocument, ReadsTheChoicesShowPrints) {
    SetRequest request;
    const std::optional<std::string> refusal = read_settings_document(kShown, kNow, request);
    ASSERT_FALSE(refusal) << *refusal;
    EXPECT_EQ(*request.data, (std::array<bool, kDataChoiceCount>{true, false, false, true, false}));
    ASSERT_TRUE(request.period);
    EXPECT_EQ(request.period->period, Period::last_days);
    EXPECT_EQ(request.period->days, 45);
    EXPECT_EQ(request.days, 45);
    EXPECT_EQ(date_text(*request.from_date), "2026-11-02");
    EXPECT_EQ(date_text(*request.till_date), "2026-11-30");
    EXPECT_EQ(request.range_button, true);
    // As stored, not as a --vdo: it goes with activities like the key's own bit.
    EXPECT_EQ(request.vdo_as_stored, true);
    EXPECT_FALSE(request.vdo_special_data);
}

TEST(SettingsDocument, RefusalsSayWhatIsWrong) {
    struct Case {
        std::string text;
        std::string refusal;
    };
    const Case cases[] = {
        {"{\"format\": 1,", "not valid JSON (at byte 14)"},
        {"[1, 2]", "not a JSON object as show --json prints it"},
        {R"({"period": "everything"})", "\"format\" is missing; this program reads format 1"},
        {R"({"format": 2})", "\"format\" is 2; this program reads format 1"},
        {R"({"format": "1"})", "\"format\" is \"1\"; this program reads format 1"},
        {R"({"format": 1, "range-button": true})", "unknown field \"range-button\"; did you mean \"range_button\"?"},
        {R"({"format": 1, "colour": "red"})", "unknown field \"colour\""},
        {R"({"format": 1, "data": "activities"})", "\"data\" must be a list of data choice names"},
        {R"({"format": 1, "data": ["speed"]})",
         "\"data\": unknown data choice 'speed' (known: activities events-and-faults detailed-speed technical-data "
         "driver-card-via-tachograph)"},
        {R"({"format": 1, "period": "last:6"})", "\"period\": 'last:6': the number of days must be 7 to 180"},
        {R"({"format": 1, "period": 45})", "\"period\": must be a --period text or null"},
        {R"({"format": 1, "days": "30"})", "\"days\" must be a whole number from 7 to 180, or null"},
        {R"({"format": 1, "days": 200})", "\"days\" must be a whole number from 7 to 180, or null"},
        {R"({"format": 1, "from": "2026-02-30"})", "\"from\": '2026-02-30' is not a real date YYYY-MM-DD"},
        {R"({"format": 1, "till": "2027-01-01"})",
         "\"till\": 2027-01-01 is after today (2026-12-07); the dialog would store today instead"},
        {R"({"format": 1, "range_button": "on"})", "\"range_button\" must be true or false"},
        {R"({"format": 1, "period": "last:45", "days": 30})", "\"days\" is 30 but \"period\" is last:45"},
        {R"({"format": 1, "period": "from:2026-10-05..2026-11-20", "till": "2026-11-21"})",
         "\"till\" is 2026-11-21 but \"period\" has 2026-11-20"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        SetRequest request;
        request.range_button = false;
        const std::optional<std::string> refusal = read_settings_document(c.text, kNow, request);
        ASSERT_TRUE(refusal);
        EXPECT_EQ(*refusal, c.refusal);
        EXPECT_EQ(request.range_button, false) << "a refused document changes nothing";
        EXPECT_FALSE(request.period);
    }
}

}  // namespace
}  // namespace lanternbook::cli
