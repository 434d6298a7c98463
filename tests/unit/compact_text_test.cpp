#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "l10n/compact_text.h"
#include "l10n/string_tables.h"

// The table sources as the compiler reads them, each in a namespace of its own
// so that they sit beside the compact tables the build made of them. Their own
// include of string_tables.h is skipped: it is already in.
namespace table_sources {
struct StringTable {
    const char* texts;
};
// NOLINTBEGIN(bugprone-suspicious-include)
#include "l10n/tables/bulgarian.cpp"
#include "l10n/tables/croatian.cpp"
#include "l10n/tables/czech.cpp"
#include "l10n/tables/english.cpp"
#include "l10n/tables/estonian.cpp"
#include "l10n/tables/french.cpp"
#include "l10n/tables/german.cpp"
#include "l10n/tables/hungarian.cpp"
#include "l10n/tables/italian.cpp"
#include "l10n/tables/latvian.cpp"
#include "l10n/tables/lithuanian.cpp"
#include "l10n/tables/polish.cpp"
#include "l10n/tables/portuguese.cpp"
#include "l10n/tables/romanian.cpp"
#include "l10n/tables/russian.cpp"
#include "l10n/tables/serbian.cpp"
#include "l10n/tables/slovak.cpp"
#include "l10n/tables/slovenian.cpp"
#include "l10n/tables/spanish.cpp"
// NOLINTEND(bugprone-suspicious-include)
}  // namespace table_sources

namespace lanternbook {
namespace {

// Writes the compact format, to build streams a case needs.
class StreamWriter {
public:
    StreamWriter& literal(const std::string& text) {
        for (const char c : text) {
            write(0, 1);
            write(static_cast<uint8_t>(c), 8);
        }
        return *this;
    }
    StreamWriter& match(std::size_t length, std::size_t distance) {
        write(1, 1);
        gamma(length - 1);
        gamma(((distance - 1) >> 7) + 1);
        write((distance - 1) & 0x7F, 7);
        return *this;
    }
    // Any bits, for streams the encoder never writes.
    StreamWriter& zeros(unsigned count) {
        for (; count > 0; --count) {
            write(0, 1);
        }
        return *this;
    }
    StreamWriter& write(std::size_t value, unsigned width) {
        for (unsigned shift = width; shift-- > 0;) {
            if (bit_count_ % 8 == 0) {
                bytes_.push_back(0);
            }
            if ((value >> shift & 1U) != 0) {
                bytes_.back() = static_cast<uint8_t>(bytes_.back() | 0x80U >> bit_count_ % 8);
            }
            ++bit_count_;
        }
        return *this;
    }
    std::vector<uint8_t> bytes() const { return bytes_; }

private:
    void gamma(std::size_t value) {
        unsigned width = 0;
        while ((value >> width) > 1) {
            ++width;
        }
        write(0, width);
        write(value, width + 1);
    }

    std::vector<uint8_t> bytes_;
    std::size_t bit_count_ = 0;
};

// Decodes into a buffer with a guard behind out_size, which must stay as it was.
struct Decoded {
    bool ok;
    std::string text;
};
constexpr char kGuard = '\x5A';
constexpr std::size_t kGuardSize = 16;

Decoded decode(const std::vector<uint8_t>& stream, std::size_t out_size, std::size_t needed) {
    std::vector<char> out(out_size + kGuardSize, kGuard);
    const bool ok = decode_compact(stream.data(), stream.size(), out.data(), out_size, needed);
    EXPECT_EQ(std::string(out.begin() + static_cast<std::ptrdiff_t>(out_size), out.end()),
              std::string(kGuardSize, kGuard))
        << "written past the output";
    return {ok, ok ? std::string(out.data(), out_size) : std::string()};
}

Decoded decode(const std::vector<uint8_t>& stream, std::size_t out_size) { return decode(stream, out_size, out_size); }

std::string repeated(const std::string& part, std::size_t times) {
    std::string text;
    for (std::size_t i = 0; i < times; ++i) {
        text += part;
    }
    return text;
}

// Letters that repeat only every 26, so no stretch of them matches a nearer one.
std::string sequence(std::size_t size) {
    std::string text;
    for (std::size_t i = 0; i < size; ++i) {
        text += static_cast<char>('a' + i * 7 % 26);
    }
    return text;
}

TEST(CompactText, DecodesWhatTheFormatDescribes) {
    struct Case {
        const char* name;
        std::vector<uint8_t> stream;
        std::size_t out_size;
        bool ok;
        std::string expected;
    };
    const std::string first_300 = sequence(300);
    const Case cases[] = {
        {"empty input, nothing to fill", {}, 0, true, ""},
        {"literals", StreamWriter().literal(std::string("a\0\xFF", 3)).bytes(), 3, true, std::string("a\0\xFF", 3)},
        {"a run copies its own output", StreamWriter().literal("a").match(999, 1).bytes(), 1000, true,
         std::string(1000, 'a')},
        {"an overlapping pair", StreamWriter().literal("ab").match(6, 2).bytes(), 8, true, "abababab"},
        {"distances past the 7 low bits", StreamWriter().literal(first_300).match(5, 300).match(3, 129).bytes(), 308,
         true, first_300 + first_300.substr(0, 5) + first_300.substr(176, 3)},
        {"back to the first byte", StreamWriter().literal("xyz").match(3, 3).bytes(), 6, true, "xyzxyz"},
        {"the length that fills the output", StreamWriter().literal("ab").match(40, 2).bytes(), 42, true,
         repeated("ab", 21)},
        {"what follows a full output is not read", StreamWriter().literal("ab").match(4, 1).bytes(), 2, true, "ab"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Decoded decoded = decode(c.stream, c.out_size);
        EXPECT_EQ(decoded.ok, c.ok);
        EXPECT_EQ(decoded.text, c.expected);
    }
}

// What the output holds past the needed bytes: the guard's value where nothing was written.
TEST(CompactText, DecodesOnlyAsFarAsNeeded) {
    struct Case {
        const char* name;
        std::vector<uint8_t> stream;
        std::size_t out_size;
        std::size_t needed;
        bool ok;
        std::string expected;
    };
    const std::string rest(6, kGuard);
    const Case cases[] = {
        {"stops after the item that completes the needed bytes", StreamWriter().literal("abcdefgh").bytes(), 8, 2, true,
         "ab" + rest},
        {"a stream that ends after the needed bytes", StreamWriter().literal("ab").bytes(), 8, 2, true, "ab" + rest},
        {"a copy that completes them runs on", StreamWriter().literal("ab").match(4, 2).bytes(), 8, 3, true,
         "ababab" + rest.substr(4)},
        {"nothing needed, nothing read", {}, 8, 0, true, std::string(8, kGuard)},
        {"more than the output is only the output", StreamWriter().literal("abcdefghij").bytes(), 8, 9, true,
         "abcdefgh"},
        {"a copy past the output is refused all the same", StreamWriter().literal("ab").match(9, 2).bytes(), 8, 3,
         false, ""},
        {"the stream ends before the needed bytes", StreamWriter().literal("ab").bytes(), 8, 3, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Decoded decoded = decode(c.stream, c.out_size, c.needed);
        EXPECT_EQ(decoded.ok, c.ok);
        EXPECT_EQ(decoded.text, c.expected);
    }
}

TEST(CompactText, RefusesStreamsOutsideTheFormat) {
    struct Case {
        const char* name;
        std::vector<uint8_t> stream;
        std::size_t out_size;
    };
    std::vector<uint8_t> cut = StreamWriter().literal("abc").bytes();
    cut.pop_back();
    const Case cases[] = {
        {"empty input, a byte wanted", {}, 1},
        {"the stream ends inside a literal", cut, 3},
        {"the stream ends before the output is full", StreamWriter().literal("ab").bytes(), 3},
        {"a distance before the first byte", StreamWriter().literal("xyz").match(3, 4).bytes(), 6},
        {"a distance into nothing at the start", StreamWriter().match(2, 1).bytes(), 2},
        {"a length past the end of the output", StreamWriter().literal("ab").match(41, 2).bytes(), 42},
        {"a length code of 25 zero bits", StreamWriter().literal("a").write(1, 1).zeros(25).write(1, 1).bytes(), 2},
        {"a length code longer than any shift", StreamWriter().literal("a").write(1, 1).zeros(70).write(1, 1).bytes(), 2},
        {"a distance code of 25 zero bits",
         StreamWriter().literal("a").write(1, 1).write(1, 1).zeros(25).write(1, 1).bytes(), 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(decode(c.stream, c.out_size).ok);
    }
}

// The sanitized run catches a read past the stream; the guard a write past the output.
TEST(CompactText, RandomBytesStayInsideBothBuffers) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<std::size_t> size(0, 64);
    std::size_t decoded = 0;
    for (int round = 0; round < 20000; ++round) {
        std::vector<uint8_t> stream(size(random));
        for (uint8_t& b : stream) {
            b = static_cast<uint8_t>(byte(random));
        }
        const std::size_t out_size = size(random);
        const Decoded shorter = decode(stream, out_size);
        if (!shorter.ok) {
            continue;
        }
        ++decoded;
        // What a stream gives does not depend on how much is asked of it.
        const Decoded longer = decode(stream, out_size + 1);
        if (longer.ok) {
            EXPECT_EQ(longer.text.substr(0, out_size), shorter.text);
        }
    }
    EXPECT_GT(decoded, 300u) << "too few streams got far enough to test anything";
}

TEST(CompactText, DamagedTableStreamStaysInsideBothBuffers) {
    // Long matches from far back, as only the real stream has them.
    const std::vector<uint8_t> intact(kStringTableStream.bytes, kStringTableStream.bytes + kStringTableStream.size);
    std::mt19937 random(7);
    std::uniform_int_distribution<std::size_t> position(0, intact.size() - 1);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 100; ++round) {
        std::vector<uint8_t> stream = intact;
        for (int change = 0; change < 3; ++change) {
            stream[position(random)] = static_cast<uint8_t>(byte(random));
        }
        if (round % 2 == 0) {
            stream.resize(position(random));
        }
        // Whether it decodes is chance; decode checks the guard either way.
        static_cast<void>(decode(stream, kStringTableStream.decoded_size));
    }
}

// ---------------------------------------------------------------------------
// The stream the build made

struct TablePair {
    const char* name;
    const StringTable& compact;
    const table_sources::StringTable& source;
};

TEST(CompactStringTables, HoldExactlyTheTextsOfTheirSources) {
    const TablePair tables[] = {
        {"Bulgarian", bulgarian_strings, table_sources::lanternbook::bulgarian_strings},
        {"Croatian", croatian_strings, table_sources::lanternbook::croatian_strings},
        {"Czech", czech_strings, table_sources::lanternbook::czech_strings},
        {"English", english_strings, table_sources::lanternbook::english_strings},
        {"Estonian", estonian_strings, table_sources::lanternbook::estonian_strings},
        {"French", french_strings, table_sources::lanternbook::french_strings},
        {"German", german_strings, table_sources::lanternbook::german_strings},
        {"Hungarian", hungarian_strings, table_sources::lanternbook::hungarian_strings},
        {"Italian", italian_strings, table_sources::lanternbook::italian_strings},
        {"Latvian", latvian_strings, table_sources::lanternbook::latvian_strings},
        {"Lithuanian", lithuanian_strings, table_sources::lanternbook::lithuanian_strings},
        {"Polish", polish_strings, table_sources::lanternbook::polish_strings},
        {"Portuguese", portuguese_strings, table_sources::lanternbook::portuguese_strings},
        {"Romanian", romanian_strings, table_sources::lanternbook::romanian_strings},
        {"Russian", russian_strings, table_sources::lanternbook::russian_strings},
        {"Serbian", serbian_strings, table_sources::lanternbook::serbian_strings},
        {"Slovak", slovak_strings, table_sources::lanternbook::slovak_strings},
        {"Slovenian", slovenian_strings, table_sources::lanternbook::slovenian_strings},
        {"Spanish", spanish_strings, table_sources::lanternbook::spanish_strings},
    };
    std::vector<char> decoded(kStringTableStream.decoded_size);
    ASSERT_TRUE(decode_compact(kStringTableStream.bytes, kStringTableStream.size, decoded.data(), decoded.size()));
    std::vector<const TablePair*> in_stream;
    for (const TablePair& table : tables) {
        in_stream.push_back(&table);
    }
    std::sort(in_stream.begin(), in_stream.end(), [](const TablePair* left, const TablePair* right) {
        return left->compact.first_text() < right->compact.first_text();
    });
    std::size_t offset = 0;
    for (std::size_t place = 0; place < in_stream.size(); ++place) {
        const TablePair& table = *in_stream[place];
        SCOPED_TRACE(table.name);
        EXPECT_EQ(table.compact.first_text(), place * kTextCount);
        // kTextCount texts, each with its zero byte.
        std::size_t size = 0;
        for (std::size_t index = 0; index < kTextCount; ++index) {
            size += std::strlen(table.source.texts + size) + 1;
        }
        ASSERT_LE(offset + size, decoded.size());
        EXPECT_EQ(std::string(decoded.data() + offset, size), std::string(table.source.texts, size));
        offset += size;
        // Decoded only through its own end, as the dialog decodes it.
        EXPECT_EQ(table.compact.decoded_end(), offset);
        std::vector<char> through(decoded.size());
        ASSERT_TRUE(decode_compact(kStringTableStream.bytes, kStringTableStream.size, through.data(), through.size(),
                                   table.compact.decoded_end()));
        EXPECT_EQ(std::string(through.data(), offset), std::string(decoded.data(), offset));
    }
    EXPECT_EQ(offset, decoded.size()) << "bytes in the stream beyond the tables";
    EXPECT_LT(kStringTableStream.size, decoded.size() / 2) << "the stream hardly compresses";
}

}  // namespace
}  // namespace lanternbook
