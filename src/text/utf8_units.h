// The code points both directions of the UTF-8 conversion agree on.
#pragma once

namespace lanternbook::utf8 {

// A byte that is no UTF-8 travels as the lone surrogate kEscapeBase + byte.
constexpr char32_t kEscapeBase = 0xDC00;
constexpr char32_t kSurrogateFirst = 0xD800;
constexpr char32_t kHighSurrogateLast = 0xDBFF;
constexpr char32_t kSurrogateLast = 0xDFFF;
constexpr char32_t kLastCodePoint = 0x10FFFF;
constexpr char32_t kFirstSupplementary = 0x10000;
constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;

}  // namespace lanternbook::utf8
