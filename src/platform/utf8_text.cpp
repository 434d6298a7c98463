#include "platform/utf8_text.h"

#include <cstddef>
#include <type_traits>

namespace lanternbook {
namespace {

constexpr char32_t kEscapeBase = 0xDC00;
constexpr char32_t kSurrogateFirst = 0xD800;
constexpr char32_t kSurrogateLast = 0xDFFF;
constexpr char32_t kHighSurrogateLast = 0xDBFF;
constexpr char32_t kLastCodePoint = 0x10FFFF;
constexpr char32_t kFirstSupplementary = 0x10000;
constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;

bool is_continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The code point that starts at text[at] and its length in bytes; zero
// length when the bytes there are no well-formed UTF-8.
std::size_t decode_one(const std::string& text, std::size_t at, char32_t& code) {
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
    if (at + length > text.size()) {
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

std::wstring wide_from_utf8(const std::string& text) {
    std::wstring wide;
    wide.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        char32_t code = 0;
        const std::size_t length = decode_one(text, at, code);
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
