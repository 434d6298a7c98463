// The dialog's texts in one language, in the UTF-16 the dialog shows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <array>

#include "l10n/string_tables.h"
#include "l10n/texts.h"

namespace lanternbook {

// The table that serves a locale identifier, compared whole (sort bits
// included); English for every identifier no table serves.
const StringTable& string_table_for(uint32_t locale_id);

class LanguageTable {
public:
    void select_language(uint32_t locale_id);
    // Texts 1 to kTextCount; the empty text for an empty position or past the end.
    const wchar_t* text_at(Text text) const;
    std::size_t size() const { return entries_.size(); }

private:
    std::array<std::wstring, kTextCount> entries_;
};

// The locale argument of load: leading white space, optional sign, digits up
// to the first other character; no digits gives 0, negatives wrap to unsigned.
// A null pointer reads as the empty text.
uint32_t parse_locale_argument(const char* text);

}  // namespace lanternbook
