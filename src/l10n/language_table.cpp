#include "l10n/language_table.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "text/text_utils.h"
#include "text/utf8_text.h"

namespace lanternbook {
namespace {

struct LocaleChoice {
    std::initializer_list<uint32_t> locale_ids;
    const StringTable& table;  // cppcheck-suppress unusedStructMember ; read in string_table_for
};

// Compared in this order; the first match wins.
const LocaleChoice kLocaleChoices[] = {
    {{0x0415}, polish_strings},
    {{0x0407, 0x1407, 0x1007, 0x0807, 0x0C07}, german_strings},
    {{0x0405}, czech_strings},
    {{0x0425}, estonian_strings},
    {{0x0418}, romanian_strings},
    {{0x0427}, lithuanian_strings},
    {{0x0426}, latvian_strings},
    {{0x041B}, slovak_strings},
    {{0x0423, 0x0422, 0x0419}, russian_strings},
    {{0x040A, 0x0C0A}, spanish_strings},
    {{0x040C, 0x080C, 0x0C0C, 0x100C, 0x140C}, french_strings},
    {{0x040E}, hungarian_strings},
    {{0x0424}, slovenian_strings},
    {{0x0410, 0x0810}, italian_strings},
    {{0x0416, 0x0816}, portuguese_strings},
    {{0x081A, 0x0C1A, 0x241A, 0x281A}, serbian_strings},
    {{0x0402}, bulgarian_strings},
    {{0x041A}, croatian_strings},
};

// The texts of `table` and of every table before it, the rest left zero:
// the decoding is the opening's costliest step, so no more of it than that.
// None if the stream is damaged.
std::vector<char> texts_through(const StringTable& table) {
    std::vector<char> all(kStringTableStream.decoded_size);
    // A last byte other than zero would let the readers run off the end.
    if (!decode_compact(kStringTableStream.bytes, kStringTableStream.size, all.data(), all.size(),
                        table.decoded_end()) ||
        all.empty() || all.back() != '\0') {
        all.clear();
    }
    return all;
}

}  // namespace

const StringTable& string_table_for(uint32_t locale_id) {
    const auto* const choice =
        std::find_if(std::begin(kLocaleChoices), std::end(kLocaleChoices),
                     [locale_id](const LocaleChoice& candidate) {
                         return std::find(candidate.locale_ids.begin(), candidate.locale_ids.end(),
                                          locale_id) != candidate.locale_ids.end();
                     });
    return choice != std::end(kLocaleChoices) ? choice->table : english_strings;
}

std::wstring StringTable::operator[](std::size_t index) const {
    if (index >= size()) {
        return std::wstring();
    }
    const std::vector<char> all = texts_through(*this);
    std::size_t offset = 0;
    for (std::size_t skipped = 0; skipped < first_text_ + index && offset < all.size(); ++skipped) {
        offset += std::strlen(&all[offset]) + 1;
    }
    return offset < all.size() ? wide_from_utf8(&all[offset], std::strlen(&all[offset])) : std::wstring();
}

void LanguageTable::select_language(uint32_t locale_id) {
    const StringTable& table = string_table_for(locale_id);
    const std::vector<char> all = texts_through(table);
    const std::size_t first = table.first_text();
    std::size_t offset = 0;
    for (std::size_t index = 0; index < first + entries_.size(); ++index) {
        const char* text = offset < all.size() ? &all[offset] : "";
        const std::size_t length = std::strlen(text);
        if (index >= first) {
            entries_[index - first] = wide_from_utf8(text, length);
        }
        offset += length + 1;
    }
}

const wchar_t* LanguageTable::text_at(Text text) const {
    const auto index = static_cast<std::size_t>(text);
    if (index == 0 || index > entries_.size()) {
        return L"";
    }
    return entries_[index - 1].c_str();
}

uint32_t parse_locale_argument(const char* text) {
    return static_cast<uint32_t>(parse_decimal_prefix(text));
}

}  // namespace lanternbook
