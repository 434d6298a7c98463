// The key's stored configuration shown in the dialog's controls, and the
// controls read back into what Save stores.
#pragma once

#include <cstdint>

#include "config/stored_settings.h"
#include "dialog/control_rules.h"
#include "dialog/dialog_controls.h"
#include "dialog/dialog_state.h"
#include "platform/platform.h"

namespace lanternbook {

// The years a stored date may show as it is; others show 1 January of the first.
constexpr uint16_t kFirstFromYear = 2013;
constexpr uint16_t kFirstTillYear = 2000;

// A stored date as its picker gets it. Years from first_year to the current
// one are shown as stored, and so is 1900, the year of an all-zero block.
SystemTime date_to_show(const StoredDate& stored, uint16_t first_year, uint16_t current_year);

// Reads CONFIG and makes the controls show it; settles device_ready.
void fill_controls_from_config(DialogState& state, DialogControls& controls, ControlRules& rules, Clock& clock);
// The controls as Save finds them.
Choices choices_from_controls(const DialogState& state, DialogControls& controls);
// What Save stores for the controls; a From date in the future is shown as today.
StoredSettings build_config_from_controls(const DialogState& state, DialogControls& controls, Clock& clock);
// What Save does: writes CONFIG to the key read at start, when it is still
// there. True when the dialog may end: saved, or nothing to save (no key at
// start). Otherwise the user has been told and the dialog stays open.
[[nodiscard]] bool save_configuration(DialogState& state, DialogControls& controls, UserMessages& messages,
                                      Clock& clock);

}  // namespace lanternbook
