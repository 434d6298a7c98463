// Small text helpers shared by the core.
#pragma once

#include <cstdint>
#include <string>

namespace lanternbook {

// Reads a decimal integer the C way: leading white space, an optional sign,
// digits up to the first other character; 0 when there are no digits.
// Saturates at the 32-bit signed range instead of overflowing.
int32_t parse_decimal_prefix(const char* text);
int32_t parse_decimal_prefix(const std::wstring& text);

// A directory path with exactly one trailing backslash appended when missing.
std::wstring with_trailing_backslash(const std::wstring& path);

// Letters a to z upper-cased; every other character unchanged.
std::wstring to_upper_ascii(const std::wstring& text);

// A whole number in decimal as "%0*d" prints it: a minus sign first when
// negative, zero-padded to at least `width` characters, sign included.
// No printf: the DLL carries none.
std::wstring decimal_text(int32_t value, unsigned width = 1);
// Upper-case hexadecimal, zero-padded to `digits` digits ("%0*X").
std::wstring hex_text(uint32_t value, unsigned digits);

// Letters A to Z lower-cased; every other character unchanged.
wchar_t to_lower_ascii(wchar_t c);

}  // namespace lanternbook
