// The stored configuration shown in the dialog's controls, and the controls
// turned back into the stored configuration.
#pragma once

#include <cstdint>

#include "dialog/control_rules.h"
#include "dialog/dialog_controls.h"
#include "dialog/dialog_state.h"
#include "platform/platform.h"

namespace lanternbook {

// Reads CONFIG and makes the controls show it; settles device_ready.
void fill_controls_from_config(DialogState& state, DialogControls& controls, ControlRules& rules,
                               Platform& platform);
// Rebuilds config_flags and config_dates from the controls.
void build_config_from_controls(DialogState& state, DialogControls& controls, Platform& platform);
// What Save does: writes CONFIG to the key read at start, when it is still
// there. True when the dialog may end: saved, or nothing to save (no key at
// start). Otherwise the user has been told and the dialog stays open.
[[nodiscard]] bool save_configuration(DialogState& state, DialogControls& controls, Platform& platform);
// The current UTC time as 100-nanosecond units since 1601-01-01.
int64_t current_file_time(Platform& platform);

}  // namespace lanternbook
