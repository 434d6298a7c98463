// Formats the key through the shell's dialog, keeping its program files and
// its CONFIG across the format.
#pragma once

#include "dialog/dialog_state.h"
#include "platform/platform.h"

namespace lanternbook {

// 0 when the run went to its end or the user declined; -1 when it stopped
// before asking (no key, drive A:, size unreadable or refused).
int format_device(DialogState& state, Platform& platform);

}  // namespace lanternbook
