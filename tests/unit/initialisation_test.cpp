#include <gtest/gtest.h>

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
