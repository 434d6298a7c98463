// The key's stored configuration shown in the dialog's controls, and the
// controls read back into what Save stores. No file is touched here.
#pragma once

#include <cstdint>

#include "config/stored_settings.h"
#include "dialog/control_rules.h"
#include "dialog/dialog_controls.h"
#include "dialog/dialog_state.h"
#include "dialog/opening_choices.h"
#include "platform/platform.h"

namespace lanternbook {

// Makes the controls show the configuration the dialog's key gave when read
// (`read` tells how that went), and settles device_ready.
void fill_controls_from_config(DialogState& state, DialogControls& controls, ControlRules& rules, ConfigRead read,
                               Clock& clock);
// The controls as Save finds them.
Choices choices_from_controls(const DialogState& state, DialogControls& controls);
// What Save stores for the controls; a From date in the future is shown as today.
StoredSettings build_config_from_controls(const DialogState& state, DialogControls& controls, Clock& clock);
}  // namespace lanternbook
