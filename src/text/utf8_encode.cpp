// The way back to UTF-8, apart from the way in: the DLL reads UTF-8 but
// never writes it, and a unit of its own keeps the narrow string out of it.
#include <cstddef>
#include <type_traits>

#include "text/utf8_text.h"
#include "text/utf8_units.h"

namespace lanternbook {
namespace {

using namespace utf8;  // NOLINT(google-build-using-namespace): the units named once

void append_utf8(std::string& text, char32_t code) {
    if (code < 0x80) {
        text.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        text.push_back(static_cast<char>(0xC0 | (code >> 6)));
        text.push_back(static_cast<char>(0x80 | (code & 0x3FU)));
    } else if (code < kFirstSupplementary) {
        text.push_back(static_cast<char>(0xE0 | (code >> 12)));
        text.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3FU)));
        text.push_back(static_cast<char>(0x80 | (code & 0x3FU)));
    } else {
        text.push_back(static_cast<char>(0xF0 | (code >> 18)));
        text.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3FU)));
        text.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3FU)));
        text.push_back(static_cast<char>(0x80 | (code & 0x3FU)));
    }
}

}  // namespace

std::string utf8_from_wide(const std::wstring& wide) {
    std::string text;
    text.reserve(wide.size());
    for (std::size_t i = 0; i < wide.size(); ++i) {
        auto code = static_cast<char32_t>(static_cast<std::make_unsigned_t<wchar_t>>(wide[i]));
        if (code >= kEscapeBase + 0x80 && code <= kEscapeBase + 0xFF) {
            text.push_back(static_cast<char>(code - kEscapeBase));
            continue;
        }
        if (kWideIsUtf16 && code >= kSurrogateFirst && code <= kHighSurrogateLast && i + 1 < wide.size()) {
            const auto low = static_cast<char32_t>(static_cast<std::make_unsigned_t<wchar_t>>(wide[i + 1]));
            if (low >= kEscapeBase && low <= kSurrogateLast) {
                code = kFirstSupplementary + ((code - kSurrogateFirst) << 10) + (low - kEscapeBase);
                ++i;
            }
        }
        append_utf8(text, code);
    }
    return text;
}

}  // namespace lanternbook
