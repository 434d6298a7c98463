// The help's wrapping and the suggestions for names mistyped.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/usage.h"

namespace lanternbook::cli {
namespace {

TEST(Usage, SuggestsOnlyNamesCloseToWhatWasTyped) {
    const std::vector<std::string> commands{"find", "show", "set", "erase", "help"};
    const std::vector<std::string> options{"--key", "--force", "--from", "--data", "--period", "--range-button",
                                           "--vdo", "--dry-run", "--json", "-h", "--help"};
    struct Case {
        std::string typed;
        const std::vector<std::string>& candidates;
        std::string meant;  // "" for no suggestion
    };
    const Case cases[] = {
        {"shwo", commands, "show"},       {"sow", commands, "show"},       {"erase", commands, "erase"},
        {"ers", commands, ""},            {"frobnicate", commands, ""},    {"fnid", commands, "find"},
        {"--jsn", options, "--json"},     {"--perod", options, "--period"}, {"--dry", options, "--dry-run"},
        {"--range", options, "--range-button"}, {"--d", options, ""},        {"--colour", options, ""},
        {"--fro", options, "--from"},     {"--forse", options, "--force"},  {"--", options, ""},
        {"-x", options, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        EXPECT_EQ(nearest(c.typed, c.candidates).value_or(""), c.meant);
    }
}

TEST(Usage, WrappingKeepsWordsWholeAndLinesWithinTheWidth) {
    const std::string text = "the data choices that are on, all others off: a comma-separated list of activities";
    for (const std::size_t width : {20, 30, 45, 200}) {
        SCOPED_TRACE(width);
        const std::string lines = std::string(10, ' ') + wrapped(text, width, 10, 4);
        std::istringstream stream(lines);
        std::string joined;
        for (std::string line; std::getline(stream, line);) {
            EXPECT_LE(line.size(), width);
            joined += (joined.empty() ? "" : " ") + line.substr(line.find_first_not_of(' '));
        }
        EXPECT_EQ(joined, text);
    }
    // A word longer than the line stands alone rather than being cut.
    EXPECT_EQ(wrapped("a driver-card-via-tachograph b", 10, 0, 0), "a\ndriver-card-via-tachograph\nb");
}

}  // namespace
}  // namespace lanternbook::cli
