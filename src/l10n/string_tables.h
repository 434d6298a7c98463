// The nineteen string tables. Their sources, l10n/tables/*.cpp, are each one
// block of kTextCount UTF-8 texts, each ended by a zero byte. The build joins
// them into one compact stream (l10n/compact_text.h), so that what the
// languages share is stored once.
#pragma once

#include <cstddef>
#include <string>

#include "l10n/compact_text.h"
#include "l10n/texts.h"

namespace lanternbook {

class StringTable {
public:
    // The table whose texts follow `first_text` texts of the tables before it
    // and end at byte `decoded_end` of the decoded stream.
    constexpr StringTable(std::size_t first_text, std::size_t decoded_end)
        : first_text_(first_text), decoded_end_(decoded_end) {}

    // Position k is element k-1, in UTF-16; the empty text for an empty
    // position or past the end. Each call decodes the stream: for tests and
    // tools, while the dialog takes every text at once through LanguageTable.
    // Not UTF-8 in a std::string, which would bring the narrow string code
    // into the DLL.
    [[nodiscard]] std::wstring operator[](std::size_t index) const;
    [[nodiscard]] std::wstring at(Text text) const { return (*this)[static_cast<std::size_t>(text) - 1]; }
    static constexpr std::size_t size() { return kTextCount; }
    [[nodiscard]] constexpr std::size_t first_text() const { return first_text_; }
    // How much of the stream must be decoded to reach the last of its texts.
    [[nodiscard]] constexpr std::size_t decoded_end() const { return decoded_end_; }

private:
    std::size_t first_text_;
    std::size_t decoded_end_;
};

// Every table, one after the other: kTextCount UTF-8 texts each, each text
// ended by a zero byte.
extern const CompactText kStringTableStream;

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
