// The commands on the in-memory platform: the drive-letter search of the
// Windows program, and failures and pulled keys that a real folder cannot
// stage.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/commands.h"
#include "dialog_harness.h"

namespace lanternbook {
namespace {

using testing::FakePlatform;
using Bytes = std::vector<uint8_t>;

const Bytes kOldConfig = testing::config_image(testing::flag_bytes("1111104", 14, 0),
                                               {0, 0, 0, 0, 0, 0, 0, 0, 126, 11, 2, 1, 126, 11, 30, 1},
                                               {5, 0x12, 0x34}, {1, 2, 3});
const std::vector<std::wstring> kDownloads{L"K:\\CARD\\a.ddd", L"K:\\CARD\\b.esm", L"K:\\TACHO\\c.dtg"};

class ScriptedTerminal : public cli::Terminal {
public:
    bool interactive() override { return is_terminal; }
    bool read_line(std::string& line) override {
        line = answer;
        return true;
    }
    bool is_terminal = true;
    std::string answer = "y";
};

struct Outcome {
    int exit_code = -1;
    std::string out;
    std::string err;
};

class Commands : public ::testing::Test {
protected:
    Commands() {
        platform.add_drive(L'D', L"DATA (D:)");
        platform.add_drive(L'K', L"VOLKARIS (K:)");
        platform.add_file(L"K:\\CONFIG", kOldConfig);
        platform.add_file(L"K:\\DATE", "111111");
        platform.add_folder(L"K:\\CARD");
        platform.add_folder(L"K:\\TACHO");
        for (const std::wstring& path : kDownloads) {
            platform.add_file(path, "download");
        }
    }

    Outcome run(const std::vector<std::string>& arguments) {
        std::vector<std::string> all{"lanternbook"};
        all.insert(all.end(), arguments.begin(), arguments.end());
        cli::Services services{platform, platform, platform, finder, terminal};
        std::ostringstream out;
        std::ostringstream err;
        Outcome outcome;
        outcome.exit_code = cli::run_command_line(all, services, out, err);
        outcome.out = out.str();
        outcome.err = err.str();
        return outcome;
    }

    FakePlatform platform;
    cli::DriveLetterKeys finder{platform, platform};
    ScriptedTerminal terminal;
};

TEST_F(Commands, DriveLetterSearchListsEveryKeyAndClearsAStaleDevice) {
    platform.usb_devices.push_back({L"BRINDLEX USB Device", true});
    Outcome found = run({"find"});
    EXPECT_EQ(found.exit_code, 0);
    EXPECT_EQ(found.out, "K:\\\n");
    EXPECT_EQ(platform.removed_usb_devices, std::vector<std::size_t>{0});
    EXPECT_EQ(run({"show"}).exit_code, 0);

    platform.add_drive(L'M', L"volkaris backup (M:)");
    found = run({"find"});
    EXPECT_EQ(found.out, "K:\\\nM:\\\n");
    const Outcome show = run({"show"});
    EXPECT_EQ(show.exit_code, 1);
    EXPECT_EQ(show.err, "lanternbook: 2 keys attached; name one with --key: K:\\ M:\\\n");

    platform.remove_drive(L'K');
    platform.remove_drive(L'M');
    EXPECT_EQ(run({"find"}).exit_code, 2);
}

TEST_F(Commands, EraseThatCannotDeleteEverythingSaysSo) {
    platform.locked_paths.insert(L"K:\\CARD\\A.DDD");
    const Outcome outcome = run({"erase", "--yes", "--key", "K:\\"});
    EXPECT_EQ(outcome.exit_code, 3);
    EXPECT_EQ(outcome.err, "lanternbook: K:\\: deleted 2 downloads, but some could not be deleted\n");
    EXPECT_TRUE(platform.exists(L"K:\\CARD\\a.ddd"));
    EXPECT_FALSE(platform.exists(L"K:\\TACHO\\c.dtg"));
}

TEST_F(Commands, EraseStopsWhenAnotherVolumeTakesTheKeysPlace) {
    bool swapped = false;
    platform.before_call = [this, &swapped](int) {
        if (!swapped && !platform.exists(L"K:\\CARD\\a.ddd")) {
            swapped = true;
            platform.remove_drive(L'K');
            platform.add_drive(L'K', L"VOLKARIS (K:)", 0x1234);
            platform.add_folder(L"K:\\TACHO");
            platform.add_file(L"K:\\TACHO\\theirs.dtg", "theirs");
        }
    };
    const Outcome outcome = run({"erase", "--yes", "--key", "K:\\"});
    EXPECT_EQ(outcome.exit_code, 2);
    EXPECT_EQ(outcome.err, "lanternbook: K:\\: the key went away after deleting 1 download\n");
    EXPECT_TRUE(platform.exists(L"K:\\TACHO\\theirs.dtg"));
}

TEST_F(Commands, EraseOnATerminalAsksFirst) {
    terminal.answer = "no";
    EXPECT_EQ(run({"erase"}).exit_code, 1);
    EXPECT_TRUE(platform.exists(kDownloads[0]));
    terminal.answer = "y";
    const Outcome outcome = run({"erase"});
    EXPECT_EQ(outcome.exit_code, 0);
    EXPECT_EQ(outcome.out, "deleted 3 downloads from K:\\\n");
    EXPECT_NE(outcome.err.find("Erase every download in CARD and TACHO on K:\\? [y/N]"), std::string::npos);
}

// Every platform call of `set` failing in turn: CONFIG is always the old or
// the new image, and a run that did not write says so with exit code 2 or 3.
TEST_F(Commands, SetUnderEveryFailingCall) {
    const Outcome dry = run({"set", "--period", "last:30", "--dry-run"});
    ASSERT_EQ(dry.exit_code, 0);
    const Outcome clean = run({"set", "--period", "last:30"});
    ASSERT_EQ(clean.exit_code, 0);
    const Bytes new_config = *platform.file_bytes(L"K:\\CONFIG");
    EXPECT_NE(new_config, kOldConfig);
    const int calls = platform.calls;
    ASSERT_GT(calls, 10);
    for (int failing = 1; failing <= calls; ++failing) {
        SCOPED_TRACE(failing);
        platform.add_file(L"K:\\CONFIG", kOldConfig);
        platform.calls = 0;
        platform.failing_call = failing;
        const Outcome outcome = run({"set", "--key", "K:\\", "--period", "last:30"});
        platform.failing_call.reset();
        const Bytes config = *platform.file_bytes(L"K:\\CONFIG");
        EXPECT_TRUE(config == kOldConfig || config == new_config);
        EXPECT_FALSE(platform.exists(L"K:\\CONFIG.NEW"));
        if (outcome.exit_code == 0) {
            EXPECT_EQ(config, new_config);
        } else {
            EXPECT_TRUE(outcome.exit_code == 2 || outcome.exit_code == 3) << outcome.exit_code;
            EXPECT_EQ(outcome.err.rfind("lanternbook: ", 0), 0u);
        }
    }
}

TEST_F(Commands, SetThatCannotReplaceConfigLeavesIt) {
    platform.failing_replaces.insert(L"K:\\CONFIG");
    const Outcome outcome = run({"set", "--key", "K:\\", "--data", "activities"});
    EXPECT_EQ(outcome.exit_code, 3);
    EXPECT_EQ(outcome.err, "lanternbook: K:\\CONFIG: could not be replaced; left as it was\n");
    EXPECT_EQ(platform.file_bytes(L"K:\\CONFIG"), kOldConfig);
}

}  // namespace
}  // namespace lanternbook
