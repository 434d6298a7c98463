// The nineteen string tables. Position k of a table is element k-1; empty
// positions hold nullptr.
#pragma once

#include <array>

#include "l10n/entries.h"

namespace lanternbook {

using StringTable = std::array<const wchar_t*, entry::count>;

extern const StringTable english_strings;
extern const StringTable polish_strings;
extern const StringTable german_strings;
extern const StringTable czech_strings;
extern const StringTable estonian_strings;
extern const StringTable romanian_strings;
extern const StringTable lithuanian_strings;
extern const StringTable latvian_strings;
extern const StringTable slovak_strings;
extern const StringTable russian_strings;
extern const StringTable spanish_strings;
extern const StringTable french_strings;
extern const StringTable hungarian_strings;
extern const StringTable slovenian_strings;
extern const StringTable italian_strings;
extern const StringTable portuguese_strings;
extern const StringTable serbian_strings;
extern const StringTable bulgarian_strings;
extern const StringTable croatian_strings;

// The product header shared by every table but the Bulgarian one.
extern const wchar_t kProductHeader[];

}  // namespace lanternbook
