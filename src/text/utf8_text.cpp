#include "text/utf8_text.h"
#include "text/utf8_units.h"

#include <cstddef>

namespace lanternbook {
namespace {

using namespace utf8;  // NOLINT(google-build-using-namespace): the units named once

bool is_continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The code point that starts at text[at] and its length in bytes; zero
// length when the bytes there are no well-formed UTF-8.
std::size_t decode_one(const char* text, std::size_t size, std::size_t at, char32_t& code) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 0;
    char32_t smallest = 0;
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        code = lead & 0x1FU;
        smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        code = lead & 0x0FU;
        smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        code = lead & 0x07U;
        smallest = kFirstSupplementary;
    } else {
        return 0;
    }
    if (at + length > size) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[at + i]);
        if (!is_continuation(byte)) {
            return 0;
        }
        code = (code << 6) | (byte & 0x3FU);
    }
    // Overlong forms and encoded surrogates would not come back as the same bytes.
    if (code < smallest || code > kLastCodePoint || (code >= kSurrogateFirst && code <= kSurrogateLast)) {
        return 0;
    }
    return length;
}

void append_wide(std::wstring& wide, char32_t code) {
    if (kWideIsUtf16 && code >= kFirstSupplementary) {
        const char32_t offset = code - kFirstSupplementary;
        wide.push_back(static_cast<wchar_t>(kSurrogateFirst + (offset >> 10)));
        wide.push_back(static_cast<wchar_t>(kEscapeBase + (offset & 0x3FFU)));
        return;
    }
    wide.push_back(static_cast<wchar_t>(code));
}


}  // namespace

std::wstring wide_from_utf8(const char* text, std::size_t size) {
    std::wstring wide;
    if (text == nullptr) {
        return wide;
    }
    wide.reserve(size);
    std::size_t at = 0;
    while (at < size) {
        char32_t code = 0;
        const std::size_t length = decode_one(text, size, at, code);
        if (length == 0) {
            append_wide(wide, kEscapeBase + static_cast<unsigned char>(text[at]));
            ++at;
            continue;
        }
        append_wide(wide, code);
        at += length;
    }
    return wide;
}


}  // namespace lanternbook
