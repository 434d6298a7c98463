// What the dialog holds right after opening on a key, worked out without
// controls: the starting point of any save made from outside the dialog.
#pragma once

#include <optional>

#include "config/stored_settings.h"
#include "platform/platform.h"

namespace lanternbook {

// The years a stored date may show as it is; others show 1 January of the first.
constexpr uint16_t kFirstFromYear = 2013;
constexpr uint16_t kFirstTillYear = 2000;

// A stored date as its picker gets it. Years from first_year to the current
// one are shown as stored, and so is 1900, the year of an all-zero block.
[[nodiscard]] SystemTime date_to_show(const StoredDate& stored, uint16_t first_year, uint16_t current_year);

// The choices an untouched dialog would hand to Save on a key whose CONFIG
// gave `loaded` (all zero when nothing was read), at the moment `now`.
[[nodiscard]] Choices choices_after_opening(const StoredSettings& loaded, const SystemTime& now);

// The period box checked once the stored period has been shown; none for a
// stored "no period option".
[[nodiscard]] std::optional<Period> period_box_after_opening(Period stored);

// A date picker that starts on `today` and is then given `shown`: it keeps
// a date it accepts, with the weekday it computes, and stays on today otherwise.
[[nodiscard]] SystemTime picker_date_after(const SystemTime& shown, const SystemTime& today);

// The day of `now` at midnight, as a fresh picker holds it.
[[nodiscard]] SystemTime midnight_of(const SystemTime& now);

}  // namespace lanternbook
