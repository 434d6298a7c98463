// The commands on the in-memory platform: the drive-letter search of the
// Windows program, and failures and pulled keys that a real folder cannot
// stage.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/key_choice.h"
#include "cli/program.h"
#include "dialog_harness.h"
#include "scripted_terminal.h"
#include "text/text_utils.h"

namespace lanternbook {
namespace {

using testing::FakePlatform;
using Bytes = std::vector<uint8_t>;

const Bytes kOldConfig = testing::config_image(testing::flag_bytes("1111104", 14, 0),
                                               {0, 0, 0, 0, 0, 0, 0, 0, 126, 11, 2, 1, 126, 11, 30, 1},
                                               {5, 0x12, 0x34}, {1, 2, 3});
const std::vector<std::wstring> kDownloads{L"K:\\CARD\\a.ddd", L"K:\\CARD\\b.esm", L"K:\\TACHO\\c.dtg"};

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
    testing::ScriptedTerminal terminal;
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
    EXPECT_EQ(show.err, "lanternbook show: 2 keys attached; name one with --key:\n  K:\\\n  M:\\\n");
    EXPECT_EQ(run({"find", "--json"}).out,
              "{\n  \"format\": 1,\n  \"keys\": [\n    {\n      \"root\": \"K:\\\\\",\n      \"label\": \"VOLKARIS\"\n"
              "    },\n    {\n      \"root\": \"M:\\\\\",\n      \"label\": \"volkaris backup\"\n    }\n  ]\n}\n");

    platform.remove_drive(L'K');
    platform.remove_drive(L'M');
    const Outcome none = run({"find"});
    EXPECT_EQ(none.exit_code, 2);
    EXPECT_EQ(none.err, "lanternbook find: no key attached (searched the labels of drives A: to Z:)\n");
}

// A drive's root is a key by its label; any other folder only by its CONFIG.
TEST_F(Commands, DriveRootsAreKeysByTheirLabel) {
    platform.add_folder(L"K:\\sub");
    platform.add_folder(L"D:\\notes");
    platform.add_folder(L"D:\\copy");
    platform.add_file(L"D:\\copy\\CONFIG", kOldConfig);
    struct Case {
        std::wstring folder;
        bool key;
    };
    const Case cases[] = {
        {L"K:\\", true}, {L"k:", true}, {L"K:/", true}, {L"D:\\", false},
        {L"K:\\sub", false}, {L"D:\\notes", false}, {L"D:\\copy", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.folder.begin(), c.folder.end()));
        EXPECT_EQ(cli::kind_of_folder(c.folder, finder, platform), c.key ? cli::FolderKind::key : cli::FolderKind::other);
    }
    platform.failing_call = platform.calls + 1;
    EXPECT_EQ(cli::kind_of_folder(L"D:\\copy", finder, platform), cli::FolderKind::unreadable);
    platform.failing_call.reset();

    const Outcome refused = run({"erase", "--yes", "--key", "D:\\notes"});
    EXPECT_EQ(refused.exit_code, 2);
    EXPECT_EQ(refused.err,
              "lanternbook erase: D:\\notes: not a key (no VOLKARIS label and no CONFIG); add --force to use it anyway\n");
}

// Each download that stayed is named, the first ten of them, with the system's reason.
TEST_F(Commands, EraseThatCannotDeleteEverythingNamesWhatStayed) {
    platform.locked_paths.insert(L"K:\\CARD\\A.DDD");
    Outcome outcome = run({"erase", "--yes", "--key", "K:\\"});
    EXPECT_EQ(outcome.exit_code, 3);
    EXPECT_EQ(outcome.out, "deleted 2 downloads from K:\\\n");
    EXPECT_EQ(outcome.err, "lanternbook erase: K:\\: 1 could not be deleted:\n  K:\\CARD\\a.ddd: injected failure\n");
    EXPECT_TRUE(platform.exists(L"K:\\CARD\\a.ddd"));
    EXPECT_FALSE(platform.exists(L"K:\\TACHO\\c.dtg"));

    for (int i = 10; i < 23; ++i) {
        const std::wstring name = L"K:\\TACHO\\" + std::to_wstring(i) + L".ddd";
        platform.add_file(name, "download");
        platform.locked_paths.insert(to_upper_ascii(name));
    }
    outcome = run({"erase", "--yes", "--key", "K:\\"});
    std::string expected = "lanternbook erase: K:\\: 14 could not be deleted:\n  K:\\CARD\\a.ddd: injected failure\n";
    for (int i = 10; i < 19; ++i) {
        expected += "  K:\\TACHO\\" + std::to_string(i) + ".ddd: injected failure\n";
    }
    EXPECT_EQ(outcome.err, expected + "  and 4 more\n");
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
    EXPECT_EQ(outcome.err, "lanternbook erase: K:\\: the key went away after deleting 1 download\n");
    EXPECT_TRUE(platform.exists(L"K:\\TACHO\\theirs.dtg"));
}

TEST_F(Commands, EraseOnATerminalAsksFirst) {
    terminal.answer = "no";
    EXPECT_EQ(run({"erase"}).exit_code, 1);
    EXPECT_TRUE(platform.exists(kDownloads[0]));
    terminal.answer = "y";
    terminal.asked.clear();
    const Outcome outcome = run({"erase"});
    EXPECT_EQ(outcome.exit_code, 0);
    EXPECT_EQ(outcome.out, "deleted 3 downloads from K:\\\n");
    EXPECT_EQ(terminal.asked, "Erase 3 downloads in CARD and TACHO on K:\\? [y/N] ");
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
            EXPECT_EQ(outcome.err.rfind("lanternbook set: ", 0), 0u);
        }
    }
}

TEST_F(Commands, SetThatCannotReplaceConfigLeavesIt) {
    platform.failing_replaces.insert(L"K:\\CONFIG");
    const Outcome outcome = run({"set", "--key", "K:\\", "--data", "activities"});
    EXPECT_EQ(outcome.exit_code, 3);
    EXPECT_EQ(outcome.err, "lanternbook set: K:\\CONFIG: cannot be replaced: injected failure; left as it was\n");
    EXPECT_EQ(platform.file_bytes(L"K:\\CONFIG"), kOldConfig);
}

}  // namespace
}  // namespace lanternbook
