#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "config/calendar.h"
#include "dialog_harness.h"
#include "dialog/save_action.h"

namespace lanternbook {
namespace {

using testing::config_image;
using testing::DialogHarness;
using testing::flag_bytes;
using testing::kKeyConfig;

constexpr std::array<uint8_t, 16> kNoDates{};
constexpr std::array<uint8_t, 3> kSerial{5, 0x12, 0x34};
constexpr std::array<uint8_t, 3> kVersion{1, 2, 3};
const std::vector<int> kPeriodOptions = {IDC_SINCE_LAST, IDC_FROM_TILL, IDC_LAST_DAYS,
                                         IDC_EVERYTHING};

SystemTime date_of(uint16_t year, uint16_t month, uint16_t day, uint16_t day_of_week = 0) {
    SystemTime date;
    date.year = year;
    date.month = month;
    date.day = day;
    date.day_of_week = day_of_week;
    return date;
}

// A CONFIG with the usual serial number and version and no dates.
std::vector<uint8_t> stored_config(const std::string& flags, uint8_t days, uint8_t vdo) {
    return config_image(flag_bytes(flags, days, vdo), kNoDates, kSerial, kVersion);
}

// Date block with only the calendar bytes of From and Till set.
std::array<uint8_t, 16> calendar_dates(std::array<uint8_t, 4> from, std::array<uint8_t, 4> till) {
    std::array<uint8_t, 16> dates{};
    for (std::size_t i = 0; i < 4; ++i) {
        dates[8 + i] = from[i];
        dates[12 + i] = till[i];
    }
    return dates;
}

void expect_date(const SystemTime& actual, uint16_t year, uint16_t month, uint16_t day) {
    EXPECT_EQ(actual.year, year);
    EXPECT_EQ(actual.month, month);
    EXPECT_EQ(actual.day, day);
}

std::vector<int> checked_among(DialogHarness& dialog, const std::vector<int>& ids) {
    std::vector<int> checked;
    for (const int id : ids) {
        if (dialog.checked(id)) {
            checked.push_back(id);
        }
    }
    return checked;
}

// ---------------------------------------------------------------- loading

TEST(ConfigLoad, NoKeyLeavesTheDialogInItsMissingDeviceState) {
    DialogHarness dialog;
    dialog.open();
    EXPECT_FALSE(dialog.state.device_ready);
    EXPECT_EQ(dialog.controls.texts[IDC_SAVE], L"Exit");
    EXPECT_EQ(dialog.controls.texts[IDC_SERIAL_VALUE], L"No data available");
    EXPECT_EQ(dialog.controls.texts[IDC_VERSION_VALUE], L"No data available");
    EXPECT_EQ(dialog.controls.texts[IDC_DAYS_EDIT], L"14");
    for (const int id : {IDC_ACTIVITIES, IDC_EVERYTHING, IDC_DAYS_EDIT, IDC_ERASE, IDC_OVERVIEW}) {
        EXPECT_FALSE(dialog.enabled(id)) << id;
    }
    EXPECT_TRUE(dialog.enabled(IDC_RANGE_BUTTON));
    EXPECT_EQ(checked_among(dialog,
                            {IDC_OVERVIEW, IDC_ACTIVITIES, IDC_EVENTS_FAULTS, IDC_DETAILED_SPEED,
                             IDC_TECHNICAL_DATA, IDC_EVERYTHING, IDC_SINCE_LAST, IDC_FROM_TILL,
                             IDC_LAST_DAYS, IDC_CARD_VIA_TACHO, IDC_RANGE_BUTTON, IDC_VDO_SPECIAL}),
              (std::vector<int>{IDC_OVERVIEW, IDC_ACTIVITIES, IDC_EVENTS_FAULTS, IDC_DETAILED_SPEED,
                                IDC_TECHNICAL_DATA, IDC_EVERYTHING}));
    EXPECT_EQ(dialog.platform.slept_ms, 200u);
}

TEST(ConfigLoad, KeyWithoutConfigKeepsTheDefaults) {
    DialogHarness dialog;
    dialog.attach_key();
    dialog.open();
    EXPECT_TRUE(dialog.state.device_ready);
    EXPECT_EQ(dialog.controls.texts[IDC_SAVE], L"Save settings");
    EXPECT_EQ(dialog.controls.texts[IDC_SERIAL_VALUE], L"No data available");
    EXPECT_EQ(dialog.controls.texts[IDC_VERSION_VALUE], L"No data available");
    EXPECT_EQ(dialog.controls.texts[IDC_DAYS_EDIT], L"14");
    EXPECT_TRUE(dialog.controls.enabled.empty());
    EXPECT_EQ(
        checked_among(dialog, {IDC_ACTIVITIES, IDC_EVERYTHING, IDC_LAST_DAYS, IDC_CARD_VIA_TACHO}),
        (std::vector<int>{IDC_ACTIVITIES, IDC_EVERYTHING}));
    EXPECT_EQ(dialog.platform.file_bytes(L"K:\\DATE"),
              (std::vector<uint8_t>{'1', '1', '1', '1', '1', '1'}));
}

TEST(ConfigLoad, CardViaTachographWinsOverDataChoicesAndRangeButtonComesBack) {
    DialogHarness dialog;
    dialog.attach_key_with_config(stored_config("111111:", '0', 0));
    dialog.open();
    EXPECT_TRUE(dialog.checked(IDC_CARD_VIA_TACHO));
    for (const int id :
         {IDC_ACTIVITIES, IDC_EVENTS_FAULTS, IDC_DETAILED_SPEED, IDC_TECHNICAL_DATA}) {
        EXPECT_FALSE(dialog.checked(id)) << id;
    }
    EXPECT_TRUE(dialog.checked(IDC_RANGE_BUTTON));
    EXPECT_EQ(checked_among(dialog, kPeriodOptions), std::vector<int>{IDC_LAST_DAYS});
    EXPECT_EQ(dialog.state.loaded.period, Period::last_days);
    EXPECT_EQ(dialog.controls.texts[IDC_DAYS_EDIT], L"48");
}

TEST(ConfigLoad, PeriodModes) {
    struct Case {
        std::string flags;
        std::vector<int> checked_options;
        bool range_button;
        bool dates_enabled;
        bool days_enabled;
        Period stored;
    };
    const Case cases[] = {
        {"1111100", {IDC_EVERYTHING}, false, false, false, Period::not_stored},
        {"1111101", {IDC_FROM_TILL}, false, true, false, Period::from_till},
        {"1111102", {IDC_LAST_DAYS}, false, false, true, Period::last_days},
        {"1111103", {IDC_SINCE_LAST}, false, false, false, Period::since_last},
        {"1111104", {IDC_EVERYTHING}, false, false, false, Period::everything},
        {"1111105", {}, false, false, false, Period::none},
        {"111110=", {}, true, false, false, Period::none},
        {"111110<", {IDC_EVERYTHING}, true, false, false, Period::everything},
        {"111110:", {IDC_LAST_DAYS}, true, false, true, Period::last_days},
        // From/Till stored with the range button still gets its date pickers.
        {"1111109", {IDC_FROM_TILL}, true, true, false, Period::from_till},
        // Activities off: the day count stays disabled whatever the mode.
        {"1011102", {IDC_LAST_DAYS}, false, false, false, Period::last_days},
        // A byte above 0x7F is no range-button mode.
        {std::string("111110") + '\xB4', {IDC_EVERYTHING}, false, false, false, Period::unknown},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        DialogHarness dialog;
        dialog.attach_key_with_config(stored_config(c.flags, 30, 0));
        dialog.open();
        EXPECT_EQ(checked_among(dialog, kPeriodOptions), c.checked_options);
        EXPECT_EQ(dialog.checked(IDC_RANGE_BUTTON), c.range_button);
        EXPECT_EQ(dialog.enabled(IDC_FROM_DATE), c.dates_enabled);
        EXPECT_EQ(dialog.enabled(IDC_TILL_DATE), c.dates_enabled);
        EXPECT_EQ(dialog.enabled(IDC_DAYS_EDIT), c.days_enabled);
        EXPECT_EQ(dialog.enabled(IDC_DAYS_UPDOWN), c.days_enabled);
        EXPECT_EQ(dialog.state.from_till_selected, c.dates_enabled);
        EXPECT_EQ(dialog.state.loaded.period, c.stored);
        EXPECT_EQ(dialog.enabled(IDC_EVERYTHING), c.flags[1] == '1');
        EXPECT_EQ(dialog.checked(IDC_ACTIVITIES), c.flags[1] == '1');
    }
}

TEST(ConfigLoad, DataChoicesFollowTheirFlags) {
    DialogHarness dialog;
    dialog.attach_key_with_config(stored_config("1101004", 14, 0));
    dialog.open();
    EXPECT_EQ(checked_among(dialog, {IDC_OVERVIEW, IDC_ACTIVITIES, IDC_EVENTS_FAULTS,
                                     IDC_DETAILED_SPEED, IDC_TECHNICAL_DATA, IDC_CARD_VIA_TACHO}),
              (std::vector<int>{IDC_OVERVIEW, IDC_ACTIVITIES, IDC_DETAILED_SPEED}));
}

TEST(ConfigLoad, DayCountShownOnlyWithinRange) {
    const std::pair<uint8_t, std::wstring> cases[] = {{6, L"14"},    {7, L"7"},    {90, L"90"},
                                                      {180, L"180"}, {181, L"14"}, {255, L"14"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int{c.first});
        DialogHarness dialog;
        dialog.attach_key_with_config(stored_config("1111102", c.first, 0));
        dialog.open();
        EXPECT_EQ(dialog.controls.texts[IDC_DAYS_EDIT], c.second);
    }
}

TEST(ConfigLoad, VersionAndSerialLabels) {
    struct Case {
        std::array<uint8_t, 3> serial;
        std::array<uint8_t, 3> version;
        std::wstring serial_text;
        std::wstring version_text;
    };
    const Case cases[] = {
        {{5, 0x12, 0x34}, {1, 2, 3}, L"QVX/05/4660", L"1.2.3"},
        {{0, 0x12, 0x34}, {0, 2, 3}, L"No data available", L"No data available"},
        {{12, 0, 7}, {200, 255, 128}, L"QVX/12/0007", L"-56.-1.-128"},
        {{0x85, 0xFF, 0xFF}, {2, 0, 0}, L"QVX/-123/-001", L"2.0.0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.serial_text));
        DialogHarness dialog;
        dialog.attach_key_with_config(
            config_image(flag_bytes("1111104", 14, 0), kNoDates, c.serial, c.version));
        dialog.open();
        EXPECT_EQ(dialog.controls.texts[IDC_SERIAL_VALUE], c.serial_text);
        EXPECT_EQ(dialog.controls.texts[IDC_VERSION_VALUE], c.version_text);
    }
}

TEST(ConfigLoad, DatesWithinTheirYearsAreShownAsStored) {
    // The clock says 2026: dates up to the current year are real dates.
    struct Case {
        std::array<uint8_t, 4> stored;
        uint16_t year, month, day;
    };
    const Case from_cases[] = {
        {{113, 1, 2, 3}, 2013, 1, 2},     {{112, 6, 30, 6}, 2013, 1, 1},
        {{126, 11, 30, 1}, 2026, 11, 30}, {{127, 1, 5, 2}, 2013, 1, 1},
        {{120, 2, 29, 6}, 2020, 2, 29},   {{0, 5, 5, 6}, 1900, 5, 5},
    };
    const Case till_cases[] = {
        {{99, 12, 31, 5}, 2000, 1, 1}, {{105, 7, 8, 5}, 2005, 7, 8}, {{126, 12, 7, 1}, 2026, 12, 7},
        {{127, 3, 3, 3}, 2000, 1, 1},  {{100, 1, 1, 6}, 2000, 1, 1}, {{0, 5, 5, 6}, 1900, 5, 5},
    };
    for (std::size_t i = 0; i < std::size(from_cases); ++i) {
        const Case& from = from_cases[i];
        const Case& till = till_cases[i];
        SCOPED_TRACE(i);
        DialogHarness dialog;
        dialog.attach_key_with_config(config_image(flag_bytes("1111101", 14, 0),
                                                   calendar_dates(from.stored, till.stored),
                                                   kSerial, kVersion));
        dialog.open();
        const SystemTime shown_from = date_to_show(dialog.state.loaded.from, kFirstFromYear, 2026);
        expect_date(shown_from, from.year, from.month, from.day);
        expect_date(dialog.controls.dates[IDC_FROM_DATE], from.year, from.month, from.day);
        EXPECT_EQ(shown_from.day_of_week, from.stored[3]);
        expect_date(date_to_show(dialog.state.loaded.till, kFirstTillYear, 2026), till.year, till.month, till.day);
        expect_date(dialog.controls.dates[IDC_TILL_DATE], till.year, till.month, till.day);
    }
}

TEST(ConfigLoad, YearBoundFollowsTheClock) {
    for (const uint16_t clock_year : {uint16_t{2026}, uint16_t{2031}}) {
        SCOPED_TRACE(clock_year);
        DialogHarness dialog;
        dialog.platform.now.year = clock_year;
        const auto this_year = static_cast<uint8_t>(clock_year - 1900);
        const auto next_year = static_cast<uint8_t>(this_year + 1);
        dialog.attach_key_with_config(config_image(
            flag_bytes("1111101", 14, 0),
            calendar_dates({this_year, 4, 1, 0}, {next_year, 4, 1, 0}), kSerial, kVersion));
        dialog.open();
        expect_date(dialog.controls.dates[IDC_FROM_DATE], clock_year, 4, 1);
        expect_date(dialog.controls.dates[IDC_TILL_DATE], 2000, 1, 1);
    }
}

TEST(ConfigLoad, ZeroDatesLeaveThePickersAlone) {
    DialogHarness dialog;
    dialog.attach_key_with_config(stored_config("1111104", 14, 0));
    dialog.open();
    expect_date(date_to_show(dialog.state.loaded.from, kFirstFromYear, 2026), 1900, 0, 0);
    expect_date(dialog.controls.dates[IDC_FROM_DATE], 2026, 12, 7);
    expect_date(dialog.controls.dates[IDC_TILL_DATE], 2026, 12, 7);
}

TEST(ConfigLoad, VdoSpecialFromBitZero) {
    const std::pair<uint8_t, bool> cases[] = {
        {0x01, true}, {'1', true}, {'0', false}, {0xFE, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int{c.first});
        DialogHarness dialog;
        dialog.attach_key_with_config(stored_config("1111104", 14, c.first));
        dialog.open();
        EXPECT_EQ(dialog.checked(IDC_VDO_SPECIAL), c.second);
        EXPECT_EQ(dialog.state.vdo_special_data, c.second);
    }
}

// ---------------------------------------------------------------- saving

class ConfigSaveFromControls : public ::testing::Test {
protected:
    void SetUp() override {
        dialog.attach_key_with_config(stored_config("1111104", 14, 0));
        dialog.open();
    }
    void build() { image = encode_config(config_from(build_config_from_controls(dialog.state, dialog.controls, dialog.platform))); }
    void set_checks(std::initializer_list<int> on, std::initializer_list<int> off) {
        for (const int id : on) dialog.controls.checks[id] = 1;
        for (const int id : off) dialog.controls.checks[id] = 0;
    }
    // Offsets within the date block, which starts at byte 9.
    std::array<uint8_t, 4> dates_at(std::size_t offset) const {
        const std::size_t at = 9 + offset;
        return {image[at], image[at + 1], image[at + 2], image[at + 3]};
    }

    DialogHarness dialog;
    ConfigImage image{};
};

TEST_F(ConfigSaveFromControls, PeriodModeFromTheFirstCheckedOption) {
    struct Case {
        std::vector<int> checked;
        unsigned range_button_state;
        Period loaded;
        uint8_t mode;
    };
    const Case cases[] = {
        {{IDC_EVERYTHING, IDC_FROM_TILL}, 0, Period::everything, '4'},
        {{IDC_LAST_DAYS}, 1, Period::everything, ':'},
        {{IDC_SINCE_LAST, IDC_LAST_DAYS}, 0, Period::everything, '3'},
        {{IDC_FROM_TILL}, 1, Period::everything, '9'},
        {{}, 0, Period::none, '5'},
        {{}, 1, Period::not_stored, '8'},
        {{IDC_LAST_DAYS}, 2, Period::everything, '2'},  // only a plain "checked" counts
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "expected " << char(c.mode));
        set_checks({}, {IDC_SINCE_LAST, IDC_FROM_TILL, IDC_LAST_DAYS, IDC_EVERYTHING});
        for (const int id : c.checked) dialog.controls.checks[id] = 1;
        dialog.controls.checks[IDC_RANGE_BUTTON] = c.range_button_state;
        dialog.state.loaded.period = c.loaded;
        build();
        EXPECT_EQ(image[6], c.mode);
    }
}

TEST_F(ConfigSaveFromControls, DayCountText) {
    const std::pair<std::wstring, uint8_t> cases[] = {
        {L"6", 52}, {L"181", 52},  {L"", 52},     {L"x1", 52},  {L"-7", 52},
        {L"7", 7},  {L"180", 180}, {L"12ab", 12}, {L" 15", 15}, {L"+30", 30},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.first));
        dialog.controls.texts[IDC_DAYS_EDIT] = c.first;
        build();
        EXPECT_EQ(image[7], c.second);
    }
}

TEST_F(ConfigSaveFromControls, DataChoicesAndVdoByte) {
    set_checks({IDC_ACTIVITIES, IDC_TECHNICAL_DATA},
               {IDC_EVENTS_FAULTS, IDC_DETAILED_SPEED, IDC_CARD_VIA_TACHO});
    dialog.state.vdo_special_data = true;
    build();
    EXPECT_EQ(std::string(image.begin(), image.begin() + 6), "110010");
    EXPECT_EQ(image[8], 0x01);

    // Card via tachograph with every data choice: nothing is cleared on the way out.
    set_checks({IDC_CARD_VIA_TACHO, IDC_ACTIVITIES, IDC_EVENTS_FAULTS, IDC_DETAILED_SPEED,
                IDC_TECHNICAL_DATA},
               {});
    dialog.state.vdo_special_data = false;
    build();
    EXPECT_EQ(std::string(image.begin(), image.begin() + 6), "111111");
    EXPECT_EQ(image[8], 0x00);
}

TEST_F(ConfigSaveFromControls, UnknownFirstFlagIsReplaced) {
    const std::pair<uint8_t, uint8_t> cases[] = {{'0', '0'}, {'1', '1'}, {0, '1'}, {'7', '1'}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int{c.first});
        dialog.state.loaded.first_byte = c.first;
        dialog.state.loaded.period = Period::none;
        set_checks({}, {IDC_EVERYTHING});
        build();
        EXPECT_EQ(image[0], c.second);
        // The replacement brings mode "4" along; a kept flag 0 keeps the mode.
        EXPECT_EQ(image[6], c.first == c.second ? '5' : '4');
    }
}

TEST_F(ConfigSaveFromControls, PastDatesStoredAtMidnight) {
    SystemTime from = date_of(2015, 3, 10, 2);
    from.hour = 13;
    from.minute = 45;
    dialog.controls.dates[IDC_FROM_DATE] = from;
    dialog.controls.dates[IDC_TILL_DATE] = date_of(2024, 2, 29, 4);
    build();
    EXPECT_EQ(dates_at(0), (std::array<uint8_t, 4>{0x54, 0xFE, 0x34, 0x00}));
    EXPECT_EQ(dates_at(8), (std::array<uint8_t, 4>{115, 3, 10, 2}));
    EXPECT_EQ(dates_at(4), (std::array<uint8_t, 4>{0x65, 0xDF, 0xC9, 0x00}));
    EXPECT_EQ(dates_at(12), (std::array<uint8_t, 4>{124, 2, 29, 4}));
    // Serial number and version go back as read.
    EXPECT_EQ(std::vector<uint8_t>(image.begin() + 25, image.end()), (std::vector<uint8_t>{5, 0x12, 0x34, 1, 2, 3, 0}));
    // Today counts as past: midnight of today.
    dialog.controls.dates[IDC_FROM_DATE] = date_of(2026, 12, 7, 1);
    build();
    EXPECT_EQ(dates_at(0), (std::array<uint8_t, 4>{0x6B, 0x15, 0xF7, 0x00}));
}

TEST_F(ConfigSaveFromControls, FutureDatesBecomeNow) {
    dialog.controls.dates[IDC_FROM_DATE] = date_of(2027, 12, 7, 2);
    dialog.controls.dates[IDC_TILL_DATE] = date_of(2026, 12, 8, 2);
    build();
    // 2026-12-07 10:30:00 UTC, a Monday.
    EXPECT_EQ(dates_at(0), (std::array<uint8_t, 4>{0x6B, 0x16, 0x8A, 0xA8}));
    EXPECT_EQ(dates_at(8), (std::array<uint8_t, 4>{126, 12, 7, 1}));
    EXPECT_EQ(dates_at(4), (std::array<uint8_t, 4>{0x6B, 0x16, 0x8A, 0xA8}));
    EXPECT_EQ(dates_at(12), (std::array<uint8_t, 4>{126, 12, 7, 1}));
    int64_t now = 0;
    ASSERT_TRUE(system_time_to_file_time(dialog.platform.now, now));
    EXPECT_EQ(int64_t{0x6B168AA8} * kFileTimeUnitsPerSecond + kUnixEpochFileTime, now);
    expect_date(dialog.controls.dates[IDC_FROM_DATE], 2026, 12, 7);
    expect_date(dialog.controls.dates[IDC_TILL_DATE], 2026, 12, 8);  // not put back
}

TEST_F(ConfigSaveFromControls, DatesBefore1970BecomeTheEpoch) {
    dialog.controls.dates[IDC_FROM_DATE] = date_of(1969, 7, 20, 0);
    dialog.controls.dates[IDC_TILL_DATE] = date_of(1970, 1, 2, 5);
    build();
    EXPECT_EQ(dates_at(0), (std::array<uint8_t, 4>{0, 0, 0, 0}));
    EXPECT_EQ(dates_at(8), (std::array<uint8_t, 4>{70, 1, 1, 4}));
    EXPECT_EQ(dates_at(4), (std::array<uint8_t, 4>{0x00, 0x01, 0x51, 0x80}));
    EXPECT_EQ(dates_at(12), (std::array<uint8_t, 4>{70, 1, 2, 5}));
}

TEST(ConfigSave, TheClockAsAFileTime) {
    testing::FakePlatform platform;
    int64_t now = 0;
    ASSERT_TRUE(system_time_to_file_time(platform.utc_now(), now));
    EXPECT_EQ(now, kUnixEpochFileTime + 1796639400LL * kFileTimeUnitsPerSecond);
}

TEST(ConfigSave, NoPeriodOptionSurvivesLoadAndSave) {
    // "5" is a mode of its own, not "everything" with the range button.
    for (const std::string flags : {"1111105", "111110="}) {
        SCOPED_TRACE(flags);
        DialogHarness dialog;
        dialog.attach_key_with_config(stored_config(flags, 14, 0));
        dialog.open();
        EXPECT_TRUE(save_from_dialog(dialog.state, dialog.controls, dialog.platform, dialog.platform));
        const auto written = dialog.platform.file_bytes(kKeyConfig);
        ASSERT_TRUE(written.has_value());
        EXPECT_EQ((*written)[6], flags[6]);
    }
}

TEST(ConfigSave, AbsentConfigIsWrittenWithFlagsStartingOne) {
    DialogHarness dialog;
    dialog.attach_key();
    dialog.open();
    dialog.controls.checks[IDC_EVERYTHING] = 0;
    EXPECT_TRUE(save_from_dialog(dialog.state, dialog.controls, dialog.platform, dialog.platform));
    const auto written = dialog.platform.file_bytes(kKeyConfig);
    ASSERT_TRUE(written.has_value());
    ASSERT_EQ(written->size(), 32u);
    EXPECT_EQ(std::string(written->begin(), written->begin() + 8),
              std::string("1111104") + char(14));
    EXPECT_EQ((*written)[8], 0);
    // No serial number or version was read: zeros go back.
    EXPECT_EQ(std::vector<uint8_t>(written->begin() + 25, written->end()),
              std::vector<uint8_t>(7, 0));
}

TEST(ConfigSave, NothingWrittenWithoutTheKey) {
    const std::vector<uint8_t> stored = stored_config("1111104", 14, 0);
    DialogHarness pulled;
    pulled.attach_key_with_config(stored);
    pulled.open();
    const int key_volume = pulled.platform.remove_drive(L'K');
    // The dialog stays open and says why.
    EXPECT_FALSE(save_from_dialog(pulled.state, pulled.controls, pulled.platform, pulled.platform));
    ASSERT_EQ(pulled.platform.message_boxes.size(), 1u);
    EXPECT_EQ(pulled.platform.message_boxes[0].text,
              L"The device was removed or changed. The operation was stopped.");
    pulled.platform.plug_in(L'K', key_volume);
    EXPECT_EQ(pulled.platform.file_bytes(kKeyConfig), stored);

    // Missing when the dialog opened, plugged in before Save: Exit writes nothing.
    DialogHarness late;
    late.open();
    late.attach_key();
    EXPECT_TRUE(save_from_dialog(late.state, late.controls, late.platform, late.platform));
    EXPECT_FALSE(late.platform.exists(kKeyConfig));
}

TEST(ConfigSave, TypicalUseRewritesTheChoiceAndKeepsSerialAndVersion) {
    DialogHarness dialog;
    dialog.attach_key_with_config(
        config_image(flag_bytes("1111104", 14, 0),
                     {0x57, 0x25, 0x47, 0x00, 0x65, 0xDF, 0xC9, 0x00, 116, 5, 1, 0, 124, 2, 29, 4},
                     kSerial, kVersion));
    dialog.open();
    ControlRules& rules = dialog.rules;
    dialog.controls.click(IDC_DETAILED_SPEED,
                          [&] { rules.on_clicked(IDC_DETAILED_SPEED); });
    dialog.controls.click(IDC_LAST_DAYS, [&] { rules.on_clicked(IDC_LAST_DAYS); });
    EXPECT_TRUE(dialog.enabled(IDC_DAYS_UPDOWN));
    rules.on_days_delta(1);
    rules.on_days_delta(1);
    EXPECT_TRUE(save_from_dialog(dialog.state, dialog.controls, dialog.platform, dialog.platform));

    const std::vector<uint8_t> expected = {
        '1',  '1',  '1',  '0',  '1',  '0',  '2',  28,   0x00,  // flags
        0x57, 0x25, 0x47, 0x00, 0x65, 0xDF, 0xC9, 0x00,        // From, Till seconds
        116,  5,    1,    0,    124,  2,    29,   4,           // From, Till dates
        5,    0x12, 0x34, 1,    2,    3,    0};                // serial, version
    EXPECT_EQ(dialog.platform.file_bytes(kKeyConfig), expected);
}

}  // namespace
}  // namespace lanternbook
