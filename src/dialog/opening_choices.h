// What the dialog holds right after opening on a key, worked out without
// controls: the starting point of any save made from outside the dialog.
#pragma once

#include <optional>

#include "config/stored_settings.h"
#include "platform/platform.h"

namespace lanternbook {

// The choices an untouched dialog would hand to Save on a key whose CONFIG
// gave `loaded` (all zero when nothing was read), at the moment `now`.
[[nodiscard]] Choices choices_after_opening(const StoredSettings& loaded, const SystemTime& now);

// A date picker that starts on `today` and is then given `shown`: it keeps
// a date it accepts, with the weekday it computes, and stays on today otherwise.
[[nodiscard]] SystemTime picker_date_after(const SystemTime& shown, const SystemTime& today);

// The day of `now` at midnight, as a fresh picker holds it.
[[nodiscard]] SystemTime midnight_of(const SystemTime& now);

}  // namespace lanternbook
