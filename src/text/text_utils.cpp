#include "text/text_utils.h"

#include <algorithm>
#include <climits>

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

std::wstring decimal_text(int32_t value, unsigned width) {
    // Built from the last digit; the magnitude as unsigned so INT32_MIN fits.
    // 32 bits: 64-bit division would bring its helper routines into the DLL.
    uint32_t magnitude = value < 0 ? 0 - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
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

}  // namespace lanternbook
