// Deletes the downloads kept in the key's CARD\ and TACHO\ folders.
#pragma once

#include "dialog/dialog_state.h"
#include "platform/platform.h"

namespace lanternbook {

// Asks first; always 0.
int erase_downloads(DialogState& state, Platform& platform);

}  // namespace lanternbook
