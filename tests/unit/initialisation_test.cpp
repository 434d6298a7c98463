#include <gtest/gtest.h>

#include <algorithm>
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
    dialog.post_defaults();
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
