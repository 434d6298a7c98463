#include "dialog/initialisation.h"

#include "dialog/config_view.h"
#include "l10n/texts.h"
#include "resources/resource.h"
#include "text/text_utils.h"

namespace lanternbook {
namespace {

struct ControlText {
    int control_id;
    Text text;
};
constexpr ControlText kControlTexts[] = {
    {IDC_SAVE, Text::save_settings},
    {IDC_FILES_GROUP, Text::files_to_download},
    {IDC_FOOTNOTE, Text::footnote},
    {IDC_SOFTWARE_UPDATE, Text::software_update},
    {IDC_OVERVIEW, Text::overview},
    {IDC_ACTIVITIES, Text::activities},
    {IDC_EVENTS_FAULTS, Text::events_and_faults},
    {IDC_DETAILED_SPEED, Text::detailed_speed},
    {IDC_TECHNICAL_DATA, Text::technical_data},
    {IDC_SINCE_LAST, Text::since_last_download},
    {IDC_FROM_TILL, Text::from},
    {IDC_LAST_DAYS, Text::last},
    {IDC_DAYS_LABEL, Text::days},
    {IDC_EVERYTHING, Text::everything},
    {IDC_TILL_LABEL, Text::till},
    {IDC_FORMAT_GROUP, Text::format_the_device},
    {IDC_STORE_SETTINGS, Text::store_device_settings},
    {IDC_FORMAT, Text::format},
    {IDC_PRODUCT_HEADER, Text::product_header},
    {IDC_RESET_AFTER_UPGRADE, Text::reset_after_upgrade},
    {IDC_FIRMWARE_LABEL, Text::firmware_path},
    {IDC_UPGRADE, Text::upgrade},
    {IDC_VERSION_LABEL, Text::software_version},
    {IDC_SERIAL_LABEL, Text::device_serial_number},
    {IDC_ERASE_GROUP, Text::erasing_the_memory},
    {IDC_ERASE, Text::erase},
    {IDC_CARD_VIA_TACHO, Text::card_via_tachograph},
    {IDC_RANGE_BUTTON, Text::range_button},
    {IDC_VDO_SPECIAL, Text::vdo_special_data},
};

struct DefaultCheck {
    int control_id;
    bool checked;
    bool stored;  // a stored configuration chooses it
};
constexpr DefaultCheck kDefaultChecks[] = {
    {IDC_OVERVIEW, true, false},        {IDC_ACTIVITIES, true, true},     {IDC_EVENTS_FAULTS, true, true},
    {IDC_DETAILED_SPEED, true, true},   {IDC_TECHNICAL_DATA, true, true}, {IDC_EVERYTHING, true, true},
    {IDC_CARD_VIA_TACHO, false, true},  {IDC_RANGE_BUTTON, false, true},  {IDC_VDO_SPECIAL, false, true},
};

// The firmware update has no function: its controls stay disabled.
constexpr int kFirmwareControls[] = {IDC_FIRMWARE_BROWSE, IDC_UPGRADE, IDC_FIRMWARE_PATH,
                                     IDC_FIRMWARE_LABEL, IDC_RESET_AFTER_UPGRADE};

// A text the control holds already, as the template gave it, is left: under
// Wine setting one costs as much as twenty readings.
void put_text(DialogControls& controls, int control_id, const std::wstring& text) {
    if (controls.text(control_id, text.size() + 1) != text) {
        controls.set_text(control_id, text);
    }
}

}  // namespace

void put_texts(const DialogState& state, DialogControls& controls) {
    for (const ControlText& text : kControlTexts) {
        put_text(controls, text.control_id, state.strings.text_at(text.text));
    }
}

void put_default_days(DialogControls& controls) { put_text(controls, IDC_DAYS_EDIT, decimal_text(kDefaultDays)); }

void post_default_checks(DialogControls& controls, const StoredSettings& loaded) {
    for (const DefaultCheck& check : kDefaultChecks) {
        // A stored choice is posted already; each posted check costs a message.
        if (!check.stored || loaded.nothing_read()) {
            controls.post_check(check.control_id, check.checked);
        }
    }
}

void settle_initial_states(DialogState& state, DialogControls& controls, ControlRules& rules,
                           Clock& clock, Module& module) {
    controls.check_now(IDC_STORE_SETTINGS, true);
    const ConfigRead read = state.device.read_config();
    fill_controls_from_config(state, controls, rules, read, clock);
    post_default_checks(controls, state.loaded);
    for (const int firmware_control : kFirmwareControls) {
        controls.enable(firmware_control, false);
    }
    rules.apply_format_permission(state.device.key().root, module.module_path());
    // The VDO option is never offered: it starts hidden and off whatever the key stores.
    controls.post_check(IDC_VDO_SPECIAL, false);
    controls.hide(IDC_VDO_SPECIAL);
    state.vdo_special_data = false;
}

}  // namespace lanternbook
