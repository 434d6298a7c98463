#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "dialog_harness.h"

namespace lanternbook {
namespace {

using testing::DialogHarness;
using testing::config_image;
using testing::flag_bytes;

constexpr std::array<uint8_t, 16> kNoDates{};

// Defaults, then what initialisation settles after them, every posted change landed.
void initialise(DialogHarness& dialog) {
    dialog.put_defaults();
    settle_initial_states(dialog.state, dialog.controls, dialog.rules, dialog.platform, dialog.platform);
    dialog.controls.flush();
}

// The template's texts stay where they are the language's already; every other is set.
TEST(Initialisation, TextsAreSetOnlyWhereTheControlsHoldOthers) {
    struct Case {
        const char* name;
        int control_id;
        const wchar_t* held;
        const wchar_t* expected;
        bool set;
    };
    const Case cases[] = {
        {"the same text", IDC_OVERVIEW, L"Overview*", L"Overview*", false},
        {"the same day count", IDC_DAYS_EDIT, L"14", L"14", false},
        {"a longer text that begins with it", IDC_ERASE, L"Erase it", L"Erase", true},
        {"a shorter text it begins with", IDC_ACTIVITIES, L"Activ", L"Activities*", true},
        {"another text", IDC_SAVE, L"Exit", L"Save settings", true},
        {"no text", IDC_EVERYTHING, L"", L"Everything", true},
    };
    DialogHarness dialog;
    for (const Case& c : cases) {
        dialog.controls.texts[c.control_id] = c.held;
    }
    put_texts(dialog.state, dialog.controls);
    put_default_days(dialog.controls);
    const std::vector<int>& set = dialog.controls.texts_set;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(dialog.controls.texts[c.control_id], c.expected);
        EXPECT_EQ(std::count(set.begin(), set.end(), c.control_id), c.set ? 1 : 0);
    }
}

// Each posted check costs a message: the stored configuration's own choices get no default before them.
TEST(Initialisation, DefaultChecksArePostedWhereTheKeyStoresNoChoice) {
    using Posted = std::vector<std::pair<int, bool>>;
    const Posted all = {{IDC_OVERVIEW, true},       {IDC_ACTIVITIES, true},     {IDC_EVENTS_FAULTS, true},
                        {IDC_DETAILED_SPEED, true}, {IDC_TECHNICAL_DATA, true}, {IDC_EVERYTHING, true},
                        {IDC_CARD_VIA_TACHO, false}, {IDC_RANGE_BUTTON, false}, {IDC_VDO_SPECIAL, false}};
    struct Case {
        const char* name;
        uint8_t first_byte;
        Posted expected;
    };
    const Case cases[] = {
        {"nothing read", 0, all},
        {"choices stored", '1', {{IDC_OVERVIEW, true}}},
        {"a first byte no choice knows", 0xFF, {{IDC_OVERVIEW, true}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DialogHarness dialog;
        StoredSettings loaded;
        loaded.first_byte = c.first_byte;
        post_default_checks(dialog.controls, loaded);
        EXPECT_EQ(Posted(dialog.controls.posted.begin(), dialog.controls.posted.end()), c.expected);
    }
}

// However the key is found, the overview ends checked and the stored choices win.
TEST(Initialisation, OverviewIsCheckedWhateverTheKeyStores) {
    DialogHarness stored;
    stored.attach_key_with_config(config_image(flag_bytes("0000003", 14, 0x00), kNoDates, {5, 0x12, 0x34}, {1, 2, 3}));
    initialise(stored);
    EXPECT_TRUE(stored.checked(IDC_OVERVIEW));
    EXPECT_FALSE(stored.checked(IDC_ACTIVITIES));
    EXPECT_FALSE(stored.checked(IDC_EVERYTHING));

    DialogHarness no_key;
    initialise(no_key);
    EXPECT_TRUE(no_key.checked(IDC_OVERVIEW));
    EXPECT_TRUE(no_key.checked(IDC_ACTIVITIES));
    EXPECT_TRUE(no_key.checked(IDC_EVERYTHING));
}

// The dialog lands initialisation's check changes at once instead of through
// the queue: that must leave every control as the queue does.
TEST(Initialisation, ChecksLandedAtOnceLeaveWhatTheQueueLeaves) {
    struct Case {
        const char* name;
        bool key;
        std::string flags;
        uint8_t vdo;
    };
    const Case cases[] = {
        {"no key", false, "", 0},
        {"no CONFIG", true, "", 0},
        {"everything", true, "1111104", 0},
        {"activities off", true, "1011104", 0},
        {"from till", true, "1111101", 0},
        {"last days", true, "1111102", 0},
        {"since the last download", true, "1111103", 0},
        {"card via tachograph", true, "1000014", 0},
        {"range button, VDO data", true, "111110<", 1},
        {"an unknown period", true, "1111107", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DialogHarness queued;
        DialogHarness at_once;
        at_once.controls.land_at_once = true;
        for (DialogHarness* dialog : {&queued, &at_once}) {
            if (c.key && c.flags.empty()) {
                dialog->attach_key();
            } else if (c.key) {
                dialog->attach_key_with_config(config_image(flag_bytes(c.flags, 14, c.vdo), kNoDates, {5, 0x12, 0x34},
                                                            {1, 2, 3}));
            }
            initialise(*dialog);
        }
        EXPECT_TRUE(queued.controls.read_while_posted.empty());
        EXPECT_EQ(at_once.controls.checks, queued.controls.checks);
        EXPECT_EQ(at_once.controls.enabled, queued.controls.enabled);
        EXPECT_EQ(at_once.controls.texts, queued.controls.texts);
        EXPECT_EQ(at_once.state.vdo_special_data, queued.state.vdo_special_data);
        EXPECT_EQ(at_once.state.last_days_selected, queued.state.last_days_selected);
        EXPECT_EQ(at_once.state.from_till_selected, queued.state.from_till_selected);
    }
}

TEST(Initialisation, StoredVdoSpecialDataStartsHiddenAndOff) {
    DialogHarness dialog;
    dialog.attach_key_with_config(
        config_image(flag_bytes("1111104", 14, 0x01), kNoDates, {5, 0x12, 0x34}, {1, 2, 3}));
    initialise(dialog);
    EXPECT_TRUE(dialog.controls.hidden.count(IDC_VDO_SPECIAL));
    EXPECT_FALSE(dialog.checked(IDC_VDO_SPECIAL));
    EXPECT_FALSE(dialog.state.vdo_special_data);
    EXPECT_TRUE(dialog.state.device_ready);
}

TEST(Initialisation, FirmwareControlsDisabledAndStoreSettingsChecked) {
    DialogHarness dialog;
    dialog.attach_key();
    initialise(dialog);
    for (const int id : {IDC_FIRMWARE_BROWSE, IDC_UPGRADE, IDC_FIRMWARE_PATH, IDC_FIRMWARE_LABEL,
                         IDC_RESET_AFTER_UPGRADE}) {
        EXPECT_FALSE(dialog.enabled(id)) << "control " << id;
    }
    EXPECT_TRUE(dialog.checked(IDC_STORE_SETTINGS));
}

TEST(Initialisation, FormatAllowedOnlyWhenTheModuleRunsElsewhere) {
    DialogHarness beside_host;
    beside_host.attach_key();
    initialise(beside_host);
    EXPECT_TRUE(beside_host.state.format_allowed);

    DialogHarness on_key;
    on_key.attach_key();
    on_key.platform.module_file = L"k:\\lanternbook.dll";
    initialise(on_key);
    EXPECT_FALSE(on_key.state.format_allowed);
    EXPECT_FALSE(on_key.enabled(IDC_FORMAT));
    EXPECT_FALSE(on_key.enabled(IDC_STORE_SETTINGS));

    DialogHarness no_key;
    initialise(no_key);
    EXPECT_FALSE(no_key.state.format_allowed);
    EXPECT_EQ(no_key.controls.texts[IDC_SAVE], L"Exit");
}

}  // namespace
}  // namespace lanternbook
