// `set --from`: the choices of a JSON object as `show --json` prints it.
#pragma once

#include <optional>
#include <string>

#include "cli/json_document.h"
#include "cli/set_request.h"
#include "platform/platform.h"

namespace lanternbook::cli {

// Fills `request` from `text`: data, period, days, from, till, range_button
// and vdo_special_data. The key's own identity (serial number, software
// version) and what show adds about the key are passed over; any other
// field, a field given twice, a NUL, a wrong type or a value set would
// refuse gives the one-line reason the document is refused. So does a
// document of a folder without CONFIG ("config_bytes": null), which holds
// only the dialog's defaults, unless `defaults_taken`.
[[nodiscard]] std::optional<std::string> read_settings_document(const std::string& text, const SystemTime& now,
                                                                SetRequest& request, bool defaults_taken = false);

}  // namespace lanternbook::cli
