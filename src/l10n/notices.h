// The message boxes the core shows, with their texts from the current table.
#pragma once

#include <string>

#include "l10n/language_table.h"
#include "platform/platform.h"

namespace lanternbook {

// Tells the user that something they asked for did not happen: an error box
// with the caution caption; `detail` goes on a line of its own.
void show_error(UserMessages& messages, const LanguageTable& strings, Text message,
                const std::wstring& detail = std::wstring());

// A yes/no question; true only for yes. `detail` goes on lines of its own.
[[nodiscard]] bool asked(UserMessages& messages, const LanguageTable& strings, Text message, const std::wstring& detail);

// An OK/Cancel warning; true only for OK.
[[nodiscard]] bool confirmed(UserMessages& messages, const LanguageTable& strings, Text message);

}  // namespace lanternbook
