#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

#include "text/text_utils.h"
#include "text/utf8_text.h"

namespace lanternbook {
namespace {

std::wstring widened(const char* ascii) { return std::wstring(ascii, ascii + std::char_traits<char>::length(ascii)); }

// printf is the reference the formatters replace.
TEST(TextUtils, DecimalAndHexTextPrintLikePrintf) {
    const int32_t values[] = {0,   1,    -1,    7,     -7,    42,    -42,         255,
                              999, -999, 4660,  -123,  32767, -32768, 1000000007, -1000000007,
                              std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min()};
    for (const int32_t value : values) {
        for (const unsigned width : {0u, 1u, 2u, 4u, 6u}) {
            char expected[64];
            std::snprintf(expected, sizeof expected, "%0*d", static_cast<int>(width), value);
            EXPECT_EQ(decimal_text(value, width), widened(expected)) << value << " width " << width;
        }
    }
    for (const uint32_t value : {0u, 0xAu, 0x1A2Bu, 0x0A1E9E37u, 0xFFFFFFFFu}) {
        char expected[16];
        std::snprintf(expected, sizeof expected, "%08X", value);
        EXPECT_EQ(hex_text(value, 8), widened(expected));
    }
}

// The string tables and file names both come this way; bytes that are no
// UTF-8 must come back out as the same bytes.
TEST(TextUtils, Utf8BecomesWideTextAndMalformedBytesSurviveTheRoundTrip) {
    struct Case {
        const char* utf8;
        std::wstring wide;
    };
    const Case cases[] = {
        {"", L""},
        {"Save settings", L"Save settings"},
        {"\xC2\xA7 Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87", L"\u00A7 Za\u017C\u00F3\u0142\u0107"},
        {"\xD0\x9B\xD0\xB0", L"\u041B\u0430"},
        {"\xE2\x80\x99", L"\u2019"},
        {"\xF0\x9F\x94\x91", std::wstring(sizeof(wchar_t) == 2 ? L"\xD83D\xDD11" : L"\U0001F511")},
        {"a\x80" "b", std::wstring{L'a', wchar_t(0xDC80), L'b'}},                 // a lone continuation byte
        {"\xC0\xAF", std::wstring{wchar_t(0xDCC0), wchar_t(0xDCAF)}},                // overlong
        {"\xED\xA0\x80", std::wstring{wchar_t(0xDCED), wchar_t(0xDCA0), wchar_t(0xDC80)}},  // a surrogate
        {"\xE2\x80", std::wstring{wchar_t(0xDCE2), wchar_t(0xDC80)}},                // cut short
        {"\xF5\x80", std::wstring{wchar_t(0xDCF5), wchar_t(0xDC80)}},
    };
    for (const Case& row : cases) {
        EXPECT_EQ(wide_from_utf8(row.utf8), row.wide) << row.utf8;
        EXPECT_EQ(utf8_from_wide(row.wide), row.utf8);
    }
    EXPECT_EQ(wide_from_utf8(nullptr, 0), L"");
}

}  // namespace
}  // namespace lanternbook
