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

std::vector<char> StringTable::texts() const {
    std::vector<char> all(kStringTableStream.decoded_size);
    if (!decode_compact(kStringTableStream.bytes, kStringTableStream.size, all.data(), all.size())) {
        return {};
    }
    // The table begins after place_ tables of kTextCount texts.
    const std::size_t first = place_ * kTextCount;
    std::size_t begin = 0;
    std::size_t ended = 0;
    for (std::size_t at = 0; at < all.size(); ++at) {
        if (all[at] != '\0') {
            continue;
        }
        ++ended;
        if (ended == first) {
            begin = at + 1;
        } else if (ended == first + kTextCount) {
            return std::vector<char>(all.begin() + static_cast<std::ptrdiff_t>(begin),
                                     all.begin() + static_cast<std::ptrdiff_t>(at + 1));
        }
    }
    return {};
}

std::wstring StringTable::operator[](std::size_t index) const {
    const std::vector<char> block = texts();
    std::size_t at = 0;
    for (std::size_t skipped = 0; skipped < index && at < block.size(); ++skipped) {
        at += std::strlen(&block[at]) + 1;
    }
    return at < block.size() ? wide_from_utf8(&block[at], std::strlen(&block[at])) : std::wstring();
}

void LanguageTable::select_language(uint32_t locale_id) {
    const std::vector<char> texts = string_table_for(locale_id).texts();
    std::size_t at = 0;
    for (std::wstring& entry : entries_) {
        // texts holds every text or none.
        const char* text = at < texts.size() ? &texts[at] : "";
        const std::size_t length = std::strlen(text);
        entry = wide_from_utf8(text, length);
        at += length + 1;
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
