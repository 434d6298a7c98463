// The nineteen string tables. Each is one block of kTextCount UTF-8 texts,
// each ended by a zero byte: half the bytes of UTF-16 for these languages,
// and no pointer per text for the loader to relocate.
#pragma once

#include <cstddef>

#include "l10n/texts.h"

namespace lanternbook {

struct StringTable {
    const char* texts;

    // Position k is element k-1; nullptr for an empty position or past the end.
    const char* operator[](std::size_t index) const;
    const char* at(Text text) const { return (*this)[static_cast<std::size_t>(text) - 1]; }
    static constexpr std::size_t size() { return kTextCount; }
};

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


}  // namespace lanternbook
