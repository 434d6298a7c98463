// What the dialog's initialisation does to its controls, apart from what only
// the window itself can do (centring, icons, the up-down's range, widening).
#pragma once

#include "dialog/control_rules.h"
#include "dialog/dialog_controls.h"
#include "dialog/dialog_state.h"
#include "platform/platform.h"

namespace lanternbook {

// Every control's text from the current language; the caption is the
// window's own and shows Text::product_header.
void put_texts(const DialogState& state, DialogControls& controls);
// The day count a dialog starts with.
void put_default_days(DialogControls& controls);
// The default choices the stored configuration `loaded` makes none of, posted
// after its own: all of them when nothing was read.
void post_default_checks(DialogControls& controls, const StoredSettings& loaded);
// The store-settings box, the stored configuration and the default choices,
// the firmware controls, the format permission and the VDO option, in that order.
void settle_initial_states(DialogState& state, DialogControls& controls, ControlRules& rules,
                           Clock& clock, Module& module);

}  // namespace lanternbook
