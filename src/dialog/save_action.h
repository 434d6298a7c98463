// The dialog's Save button, apart from the window.
#pragma once

#include "dialog/dialog_controls.h"
#include "dialog/dialog_state.h"
#include "platform/platform.h"

namespace lanternbook {

// Saves the controls' choices to the key read at start, while it is still
// there. True when the dialog may end: saved, or nothing to save (no key at
// start). Otherwise the user has been told and the dialog stays open.
[[nodiscard]] bool save_from_dialog(DialogState& state, DialogControls& controls, UserMessages& messages,
                                    Clock& clock);

}  // namespace lanternbook
