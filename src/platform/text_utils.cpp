#include "platform/text_utils.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace lanternbook {
namespace {

bool is_c_space(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

template <typename Char>
int32_t parse_prefix(const Char* text) {
    if (text == nullptr) {
        return 0;
    }
    while (is_c_space(static_cast<wchar_t>(*text))) {
        ++text;
    }
    bool negative = false;
    if (*text == '+' || *text == '-') {
        negative = *text == '-';
        ++text;
    }
    int64_t value = 0;
    while (*text >= '0' && *text <= '9') {
        value = value * 10 + (*text - '0');
        if (value > static_cast<int64_t>(INT32_MAX) + 1) {
            value = static_cast<int64_t>(INT32_MAX) + 1;
        }
        ++text;
    }
    if (negative) {
        value = -value;
    }
    if (value > INT32_MAX) {
        value = INT32_MAX;
    }
    return static_cast<int32_t>(value);
}

}  // namespace

int32_t parse_decimal_prefix(const char* text) { return parse_prefix(text); }

int32_t parse_decimal_prefix(const std::wstring& text) { return parse_prefix(text.c_str()); }

std::wstring with_trailing_backslash(const std::wstring& path) {
    if (!path.empty() && path.back() == L'\\') {
        return path;
    }
    return path + L'\\';
}

std::wstring to_upper_ascii(const std::wstring& text) {
    std::wstring upper = text;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](wchar_t c) {
        return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
    });
    return upper;
}

wchar_t to_lower_ascii(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

std::wstring decimal_text(int64_t value, unsigned width) {
    // Built from the last digit; the magnitude as unsigned so INT64_MIN fits.
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    std::wstring digits;
    do {
        digits.push_back(static_cast<wchar_t>(L'0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    // As printf pads: the sign takes one of the places.
    const std::size_t places = value < 0 && width > 0 ? width - 1 : width;
    while (digits.size() < places) {
        digits.push_back(L'0');
    }
    if (value < 0) {
        digits.push_back(L'-');
    }
    return std::wstring(digits.rbegin(), digits.rend());
}

std::wstring hex_text(uint32_t value, unsigned digits) {
    constexpr wchar_t kHexDigits[] = L"0123456789ABCDEF";
    std::wstring text(digits, L'0');
    for (unsigned i = 0; i < digits && value != 0; ++i, value >>= 4) {
        text[digits - 1 - i] = kHexDigits[value & 0xFU];
    }
    return text;
}

std::wstring from_utf8(const char* text) {
    constexpr char32_t kReplacement = 0xFFFD;
    std::wstring wide;
    if (text == nullptr) {
        return wide;
    }
    const std::size_t size = std::strlen(text);
    wide.reserve(size);
    for (std::size_t i = 0; i < size;) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 1;
        char32_t code = lead;
        if (lead >= 0xF0 && lead < 0xF5) {
            length = 4;
            code = lead & 0x07U;
        } else if (lead >= 0xE0) {
            length = lead < 0xF0 ? 3 : 1;
            code = lead & 0x0FU;
        } else if (lead >= 0xC2) {
            length = 2;
            code = lead & 0x1FU;
        } else if (lead >= 0x80) {
            code = kReplacement;
        }
        if (lead >= 0xF5) {
            code = kReplacement;
        }
        bool well_formed = length == 1 || i + length <= size;
        for (std::size_t k = 1; well_formed && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            well_formed = (next & 0xC0U) == 0x80U;
            code = (code << 6) | (next & 0x3FU);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not characters.
        const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (!well_formed || code < least[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) {
            code = kReplacement;
            length = 1;
        }
        if (code >= 0x10000 && sizeof(wchar_t) == 2) {
            code -= 0x10000;
            wide.push_back(static_cast<wchar_t>(0xD800 + (code >> 10)));
            wide.push_back(static_cast<wchar_t>(0xDC00 + (code & 0x3FFU)));
        } else {
            wide.push_back(static_cast<wchar_t>(code));
        }
        i += length;
    }
    return wide;
}

}  // namespace lanternbook
