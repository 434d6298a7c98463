#include "dialog/initialisation.h"

#include "dialog/config_view.h"
#include "l10n/entries.h"
#include "resources/resource.h"

namespace lanternbook {
namespace {

struct ControlText {
    int control_id;
    unsigned entry_index;
};
constexpr ControlText kControlTexts[] = {
    {IDC_SAVE, entry::save_settings},
    {IDC_FILES_GROUP, entry::files_to_download},
    {IDC_FOOTNOTE, entry::footnote},
    {IDC_SOFTWARE_UPDATE, entry::software_update},
    {IDC_OVERVIEW, entry::overview},
    {IDC_ACTIVITIES, entry::activities},
    {IDC_EVENTS_FAULTS, entry::events_and_faults},
    {IDC_DETAILED_SPEED, entry::detailed_speed},
    {IDC_TECHNICAL_DATA, entry::technical_data},
    {IDC_SINCE_LAST, entry::since_last_download},
    {IDC_FROM_TILL, entry::from},
    {IDC_LAST_DAYS, entry::last},
    {IDC_DAYS_LABEL, entry::days},
    {IDC_EVERYTHING, entry::everything},
    {IDC_TILL_LABEL, entry::till},
    {IDC_FORMAT_GROUP, entry::format_the_device},
    {IDC_STORE_SETTINGS, entry::store_device_settings},
    {IDC_FORMAT, entry::format},
    {IDC_PRODUCT_HEADER, entry::product_header},
    {IDC_RESET_AFTER_UPGRADE, entry::reset_after_upgrade},
    {IDC_FIRMWARE_LABEL, entry::firmware_path},
    {IDC_UPGRADE, entry::upgrade},
    {IDC_VERSION_LABEL, entry::software_version},
    {IDC_SERIAL_LABEL, entry::device_serial_number},
    {IDC_SERIAL_VALUE, entry::no_data_available},
    {IDC_VERSION_VALUE, entry::no_data_available},
    {IDC_ERASE_GROUP, entry::erasing_the_memory},
    {IDC_ERASE, entry::erase},
    {IDC_CARD_VIA_TACHO, entry::card_via_tachograph},
    {IDC_RANGE_BUTTON, entry::range_button},
    {IDC_VDO_SPECIAL, entry::vdo_special_data},
};

struct DefaultCheck {
    int control_id;
    bool checked;
};
constexpr DefaultCheck kDefaultChecks[] = {
    {IDC_OVERVIEW, true},        {IDC_ACTIVITIES, true},     {IDC_EVENTS_FAULTS, true},
    {IDC_DETAILED_SPEED, true},  {IDC_TECHNICAL_DATA, true}, {IDC_EVERYTHING, true},
    {IDC_CARD_VIA_TACHO, false}, {IDC_RANGE_BUTTON, false},  {IDC_VDO_SPECIAL, false},
};

// The firmware update has no function: its controls stay disabled.
constexpr int kFirmwareControls[] = {IDC_FIRMWARE_BROWSE, IDC_UPGRADE, IDC_FIRMWARE_PATH,
                                     IDC_FIRMWARE_LABEL, IDC_RESET_AFTER_UPGRADE};

}  // namespace

void put_texts(const DialogState& state, DialogControls& controls) {
    for (const ControlText& text : kControlTexts) {
        controls.set_text(text.control_id, state.strings.text_at(text.entry_index));
    }
}

void post_default_checks(DialogControls& controls) {
    for (const DefaultCheck& check : kDefaultChecks) {
        controls.post_check(check.control_id, check.checked);
    }
}

void settle_initial_states(DialogState& state, DialogControls& controls, ControlRules& rules,
                           Clock& clock, ShellFormat& shell) {
    controls.check_now(IDC_STORE_SETTINGS, true);
    fill_controls_from_config(state, controls, rules, clock);
    for (const int firmware_control : kFirmwareControls) {
        controls.enable(firmware_control, false);
    }
    rules.apply_format_permission(state.device.key().root, shell.module_path());
    // The VDO option is never offered: it starts hidden and off whatever the key stores.
    controls.post_check(IDC_VDO_SPECIAL, false);
    controls.hide(IDC_VDO_SPECIAL);
    state.vdo_special_data = false;
}

}  // namespace lanternbook
