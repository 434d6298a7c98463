// Many `lanternbook set` processes on one key at once: they take turns, and
// each one saves.
#include <gtest/gtest.h>

#include <string>

#include "cli_process.h"

namespace lanternbook::testing {
namespace {

TEST(ConcurrentSet, FiftyFourSavesOnOneKeyAllSaveAndCONFIGStaysWhole) {
    TempFolder key;
    write_bytes(key / "CONFIG", kKeyConfig);
    write_text(key / "DATE", "111111");
    // Each process writes its exit code to a file of its own; the shell waits for all.
    const std::string script =
        "i=0; while [ $i -lt 54 ]; do d=$((7 + i)); "
        "(\"$0\" set --key \"$1\" --period last:$d >/dev/null 2>\"$1.err.$i\"; echo $? >\"$1.code.$i\") & "
        "i=$((i + 1)); done; wait";
    const ProgramRun run = run_command({"sh", "-c", script, LANTERNBOOK_CLI_PROGRAM, key.path()});
    ASSERT_EQ(run.exit_code, 0) << run.err;

    int saved = 0;
    for (int i = 0; i < 54; ++i) {
        const std::vector<uint8_t> code = read_bytes(key.path() + ".code." + std::to_string(i));
        const std::vector<uint8_t> err = read_bytes(key.path() + ".err." + std::to_string(i));
        EXPECT_EQ(std::string(code.begin(), code.end()), "0\n") << std::string(err.begin(), err.end());
        saved += std::string(code.begin(), code.end()) == "0\n" ? 1 : 0;
        std::remove((key.path() + ".code." + std::to_string(i)).c_str());
        std::remove((key.path() + ".err." + std::to_string(i)).c_str());
    }
    EXPECT_EQ(saved, 54);
    const std::vector<uint8_t> config = read_bytes(key / "CONFIG");
    ASSERT_EQ(config.size(), 32u);
    EXPECT_GE(config[7], 7);
    EXPECT_LE(config[7], 60);
    EXPECT_FALSE(exists(key / "CONFIG.NEW"));
}

}  // namespace
}  // namespace lanternbook::testing
