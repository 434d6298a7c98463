// The lanternbook program run as a process on key folders in a temporary
// folder: what it prints, what it writes and its exit codes.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <random>

#include <nlohmann/json.hpp>

#include "cli_process.h"

namespace lanternbook::testing {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

// The key as scripts/make-key.sh seeds it: everything, 14 days, From
// 2026-11-02, Till 2026-11-30, serial 5/4660, version 1.2.3.
const Bytes kKeyConfig{'1',  '1',  '1',  '1',  '1',  '0', '4', 14, 0,    0x6A, 0xE7, 0xD2, 0x80, 0x6B, 0x0C, 0xBC,
                       0x80, 0x7E, 0x0B, 0x02, 0x01, 126, 11,  30, 1,    5,    0x12, 0x34, 1,    2,    3,    0};
const std::vector<std::string> kDownloads{"CARD/C_1.DDD", "CARD/c_2.ddd", "TACHO/M_1.ddd", "TACHO/M_1.esm",
                                          "TACHO/x.dtg", "CARD/y.DTC"};
const std::vector<std::string> kKept{"CARD/readme.txt", "CONFIG", "DATE", "ostrevan.exe", "CARD/a.dddx"};
// The keys of `show --json`, in order, as the README lists them.
const std::vector<std::string> kJsonKeys{"key",  "config_bytes", "data",         "period",        "days",
                                         "from", "till",         "range_button", "vdo_special_data",
                                         "serial_number", "software_version"};

void write_text(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class Key {
public:
    Key() {
        fs::create_directory(folder / "CARD");
        fs::create_directory(folder / "TACHO");
        write_bytes(folder / "CONFIG", kKeyConfig);
        write_text(folder / "DATE", "111111");
        write_text(folder / "ostrevan.exe", "program");
        for (const std::string& name : kDownloads) {
            write_text(folder / name, "download");
        }
        write_text(folder / "CARD/readme.txt", "not a download");
        write_text(folder / "CARD/a.dddx", "not a download");
    }
    const std::string& root() const { return folder.path(); }
    std::string operator/(const std::string& name) const { return folder / name; }
    Bytes config() const { return read_bytes(folder / "CONFIG"); }

    TempFolder folder;
};

std::string hex_of(const Bytes& bytes) {
    std::string text;
    char pair[4];
    for (const uint8_t byte : bytes) {
        std::snprintf(pair, sizeof pair, "%02x", byte);
        text += text.empty() ? "" : " ";
        text += pair;
    }
    return text;
}

bool one_error_line(const ProgramRun& run) {
    return run.err.rfind("lanternbook: ", 0) == 0 && run.err.find('\n') == run.err.size() - 1;
}

nlohmann::ordered_json json_of(const ProgramRun& run) { return nlohmann::ordered_json::parse(run.out, nullptr, false); }

// ---------------------------------------------------------------- help and usage

TEST(Program, HelpAndUsageErrors) {
    const ProgramRun help = run_program({"--help"});
    EXPECT_EQ(help.exit_code, 0);
    for (const char* command : {"find", "show", "set", "erase", "Exit codes"}) {
        EXPECT_NE(help.out.find(command), std::string::npos) << command;
    }
    const ProgramRun set_help = run_program({"set", "--help"});
    EXPECT_EQ(set_help.exit_code, 0);
    for (const char* option : {"--data", "--period", "--range-button", "--vdo", "--dry-run", "--key"}) {
        EXPECT_NE(set_help.out.find(option), std::string::npos) << option;
    }
    EXPECT_EQ(run_program({"erase", "--help"}).exit_code, 0);
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{}, {"show", "--colour"}, {"set", "extra"}, {"show", "--key"}}) {
        const ProgramRun run = run_program(arguments);
        EXPECT_EQ(run.exit_code, 1);
        EXPECT_TRUE(one_error_line(run)) << run.err;
    }
}

// ---------------------------------------------------------------- show

TEST(Program, ShowsTheConfigurationAsTextAndJson) {
    const Key key;
    const ProgramRun text = run_program({"show", "--key", key.root()});
    ASSERT_EQ(text.exit_code, 0) << text.err;
    EXPECT_EQ(text.out, "key               " + key.root() +
                            "\n"
                            "CONFIG            32 bytes\n"
                            "data              activities, events-and-faults, detailed-speed, technical-data\n"
                            "period            everything\n"
                            "days              14\n"
                            "from              2026-11-02\n"
                            "till              2026-11-30\n"
                            "range button      off\n"
                            "VDO special data  off (hidden in the dialog, which saves it off)\n"
                            "serial number     QVX/05/4660\n"
                            "software version  1.2.3\n");

    const ProgramRun run = run_program({"show", "--json", "--key", key.root()});
    ASSERT_EQ(run.exit_code, 0) << run.err;
    const nlohmann::ordered_json json = json_of(run);
    std::vector<std::string> keys;
    for (const auto& item : json.items()) {
        keys.push_back(item.key());
    }
    EXPECT_EQ(keys, kJsonKeys);
    EXPECT_EQ(json["key"], key.root());
    EXPECT_EQ(json["data"], nlohmann::ordered_json({"activities", "events-and-faults", "detailed-speed", "technical-data"}));
    EXPECT_EQ(json["period"], "everything");
    EXPECT_EQ(json["serial_number"], "QVX/05/4660");
    EXPECT_EQ(key.config(), kKeyConfig) << "show writes nothing";
}

// Every length class the decoder tells apart: what show has data for, and
// that set turns each into a full 32-byte CONFIG keeping bytes 25-31 of a
// file long enough to have them.
TEST(Program, ConfigOfEveryLength) {
    struct Case {
        std::size_t length;
        bool dates, serial, version;
    };
    const Case cases[] = {
        {0, false, false, false},  {9, false, false, false},  {16, false, false, false}, {18, false, false, false},
        {19, false, true, false},  {20, false, false, false}, {23, false, false, false}, {24, true, false, false},
        {25, true, false, false},  {26, true, true, false},   {29, true, true, false},   {30, true, true, true},
        {31, true, true, true},    {32, true, true, true},    {1500, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        const Key key;
        Bytes config(c.length, 0x41);
        std::copy_n(kKeyConfig.begin(), std::min(c.length, kKeyConfig.size()), config.begin());
        if (c.length == 19) {
            config[17] = 7;  // the older layout's serial number
        }
        write_bytes(key / "CONFIG", config);
        const ProgramRun shown = run_program({"show", "--json", "--key", key.root()});
        ASSERT_EQ(shown.exit_code, 0) << shown.err;
        const nlohmann::ordered_json json = json_of(shown);
        EXPECT_EQ(json["config_bytes"], std::min<std::size_t>(c.length, 1024));
        EXPECT_EQ(!json["from"].is_null(), c.dates);
        EXPECT_EQ(!json["till"].is_null(), c.dates);
        EXPECT_EQ(!json["serial_number"].is_null(), c.serial);
        EXPECT_EQ(!json["software_version"].is_null(), c.version);

        const ProgramRun set = run_program({"set", "--key", key.root(), "--period", "since-last"});
        ASSERT_EQ(set.exit_code, 0) << set.err;
        const Bytes after = key.config();
        ASSERT_EQ(after.size(), 32u);
        EXPECT_EQ(after[6], '3');
        if (c.length > 25) {
            const std::size_t kept = std::min<std::size_t>(c.length, 32);
            EXPECT_EQ(Bytes(after.begin() + 25, after.begin() + static_cast<std::ptrdiff_t>(kept)),
                      Bytes(config.begin() + 25, config.begin() + static_cast<std::ptrdiff_t>(kept)));
        }
    }
}

TEST(Program, MissingConfigShowsTheDefaultsAndSetMakesOne) {
    const Key key;
    fs::remove(key / "CONFIG");
    const ProgramRun shown = run_program({"show", "--json", "--key", key.root()});
    ASSERT_EQ(shown.exit_code, 0);
    const nlohmann::ordered_json json = json_of(shown);
    EXPECT_TRUE(json["config_bytes"].is_null());
    EXPECT_EQ(json["period"], "everything");
    EXPECT_EQ(json["days"], 14);
    ASSERT_EQ(run_program({"set", "--key", key.root()}).exit_code, 0);
    const Bytes config = key.config();
    ASSERT_EQ(config.size(), 32u);
    // The dialog's defaults: "1", four data choices, everything, 14 days.
    EXPECT_EQ(Bytes(config.begin(), config.begin() + 9), (Bytes{'1', '1', '1', '1', '1', '0', '4', 14, 0}));
}

// Random bytes of random lengths: never a crash, show and a dry run agree
// with what set then writes.
TEST(Program, RandomConfigNeverBreaksIt) {
    std::mt19937 rng(7);
    for (int i = 0; i < 40; ++i) {
        const Key key;
        Bytes config(std::uniform_int_distribution<std::size_t>(0, 1300)(rng));
        for (uint8_t& byte : config) {
            byte = static_cast<uint8_t>(rng());
        }
        write_bytes(key / "CONFIG", config);
        SCOPED_TRACE(hex_of(Bytes(config.begin(), config.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(config.size(), 32)))));
        const ProgramRun shown = run_program({"show", "--json", "--key", key.root()});
        ASSERT_EQ(shown.exit_code, 0) << shown.err;
        EXPECT_FALSE(json_of(shown).is_discarded());
        const ProgramRun dry = run_program({"set", "--dry-run", "--json", "--key", key.root(), "--period", "last:20"});
        ASSERT_EQ(dry.exit_code, 0) << dry.err;
        EXPECT_EQ(key.config(), config) << "a dry run writes nothing";
        const ProgramRun set = run_program({"set", "--key", key.root(), "--period", "last:20"});
        ASSERT_EQ(set.exit_code, 0) << set.err;
        EXPECT_EQ(hex_of(key.config()), json_of(dry)["bytes"].get<std::string>());
    }
}

// ---------------------------------------------------------------- set

// Bytes the dialog itself writes for the same choices on the same key, as the
// end-to-end tests of the real DLL record them.
TEST(Program, SetWritesTheDialogsBytes) {
    struct Case {
        const char* name;
        std::vector<std::string> options;
        std::string expected;
    };
    const Case cases[] = {
        {"the dialog's typical use: no detailed speed, last 28 days",
         {"--data", "activities,events-and-faults,technical-data", "--period", "last:28"},
         "31 31 31 30 31 30 32 1c 00 6a e7 d2 80 6b 0c bc 80 7e 0b 02 01 7e 0b 1e 01 05 12 34 01 02 03 00"},
        {"From and Till",
         {"--period", "from:2026-10-05..2026-11-20"},
         "31 31 31 31 31 30 31 0e 00 6a c2 e8 80 6a ff 8d 80 7e 0a 05 01 7e 0b 14 05 05 12 34 01 02 03 00"},
        {"card via tachograph, range button, since last",
         {"--data", "driver-card-via-tachograph", "--period", "since-last", "--range-button", "on"},
         "31 30 30 30 30 31 3b 0e 00 6a e7 d2 80 6b 0c bc 80 7e 0b 02 01 7e 0b 1e 01 05 12 34 01 02 03 00"},
        {"VDO special data and nothing else named",
         {"--vdo", "on"},
         "31 31 31 31 31 30 34 0e 01 6a e7 d2 80 6b 0c bc 80 7e 0b 02 01 7e 0b 1e 01 05 12 34 01 02 03 00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Key key;
        std::vector<std::string> arguments{"set", "--key", key.root()};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        std::vector<std::string> dry = arguments;
        dry.push_back("--dry-run");
        const ProgramRun dry_run = run_program(dry);
        ASSERT_EQ(dry_run.exit_code, 0) << dry_run.err;
        EXPECT_NE(dry_run.out.find("bytes             " + c.expected + "\n"), std::string::npos) << dry_run.out;
        EXPECT_EQ(key.config(), kKeyConfig);

        const ProgramRun run = run_program(arguments);
        ASSERT_EQ(run.exit_code, 0) << run.err;
        EXPECT_EQ(run.out, "saved " + key.root() + "/CONFIG\n");
        EXPECT_EQ(hex_of(key.config()), c.expected);
        EXPECT_FALSE(exists(key / "CONFIG.NEW"));
    }
}

TEST(Program, SetCompletesAShortDateAsTheDialogDoesButADryRunDoesNot) {
    const Key key;
    write_text(key / "DATE", "12");
    ASSERT_EQ(run_program({"set", "--dry-run", "--key", key.root()}).exit_code, 0);
    EXPECT_EQ(read_bytes(key / "DATE"), (Bytes{'1', '2'}));
    ASSERT_EQ(run_program({"set", "--key", key.root()}).exit_code, 0);
    EXPECT_EQ(read_bytes(key / "DATE"), (Bytes{'1', '1', '1', '1', '1', '1'}));
}

TEST(Program, RefusedChoicesChangeNothing) {
    struct Case {
        std::vector<std::string> options;
        std::string error_part;
    };
    const Case cases[] = {
        {{"--data", "activities,speed"}, "--data: unknown data choice 'speed'"},
        {{"--data", "activities,driver-card-via-tachograph"}, "cannot be on together with activities"},
        {{"--period", "last:6"}, "must be 7 to 180"},
        {{"--period", "last:181"}, "must be 7 to 180"},
        {{"--period", "from:2026-11-20..2026-10-05"}, "is after Till"},
        {{"--period", "from:2026-10-05..2099-01-01"}, "is after today"},
        {{"--period", "from:1969-12-31..2020-01-01"}, "before 1970-01-01"},
        {{"--period", "yesterday"}, "is none of"},
        {{"--range-button", "yes"}, "--range-button: 'yes' is neither on nor off"},
        {{"--vdo", "on", "--data", "events-and-faults"}, "--vdo on: needs activities"},
        {{"--json"}, "--dry-run"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error_part);
        const Key key;
        std::vector<std::string> arguments{"set", "--key", key.root()};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        const ProgramRun run = run_program(arguments);
        EXPECT_EQ(run.exit_code, 1);
        EXPECT_TRUE(one_error_line(run)) << run.err;
        EXPECT_NE(run.err.find(c.error_part), std::string::npos) << run.err;
        EXPECT_EQ(key.config(), kKeyConfig);
    }
}

TEST(Program, InputOutputFailuresNameTheFile) {
    {
        const Key key;
        ::chmod((key / "CONFIG").c_str(), 0444);
        const ProgramRun run = run_program({"set", "--key", key.root(), "--period", "last:30"});
        EXPECT_EQ(run.exit_code, 3);
        EXPECT_EQ(run.err, "lanternbook: " + key.root() + "/CONFIG: read-only; left as it was\n");
        EXPECT_EQ(key.config(), kKeyConfig);
        EXPECT_FALSE(exists(key / "CONFIG.NEW"));
    }
    {
        const Key key;
        fs::remove(key / "CONFIG");
        fs::create_directory(key / "CONFIG");
        for (const std::vector<std::string>& arguments :
             std::vector<std::vector<std::string>>{{"show", "--key", key.root()}, {"set", "--key", key.root()}}) {
            const ProgramRun run = run_program(arguments);
            EXPECT_EQ(run.exit_code, 3);
            EXPECT_EQ(run.err, "lanternbook: " + key.root() + "/CONFIG: cannot be read\n");
        }
        EXPECT_TRUE(fs::is_directory(key / "CONFIG"));
    }
}

// ---------------------------------------------------------------- finding the key

TEST(Program, KeyNamedOrFound) {
    const Key key;
    for (const std::string command : {"show", "set", "erase"}) {
        SCOPED_TRACE(command);
        ProgramRun run = run_program({command, "--key", key / "missing"});
        EXPECT_EQ(run.exit_code, 2);
        EXPECT_EQ(run.err, "lanternbook: --key " + (key / "missing") + ": no such folder\n");
        run = run_program({command, "--key", key / "CONFIG"});
        EXPECT_EQ(run.exit_code, 2);
        EXPECT_TRUE(one_error_line(run));
    }

    // A system with no key, one key and two keys mounted.
    TempFolder system;
    fs::create_directories(system / "dev/disk/by-label");
    fs::create_directories(system / "proc/self");
    const std::map<std::string, std::string> environment{{"LANTERNBOOK_SYSTEM_ROOT", system.path()}};
    write_text(system / "proc/self/mountinfo", "22 1 0:21 / /proc rw - proc proc rw\n");
    for (const std::string command : {"find", "show", "set", "erase"}) {
        const ProgramRun run = run_program({command}, environment);
        EXPECT_EQ(run.exit_code, 2) << command;
        EXPECT_EQ(run.err, "lanternbook: no key attached\n") << command;
    }

    const Key second;
    std::string table = "22 1 0:21 / /proc rw - proc proc rw\n";
    int number = 0;
    for (const Key* mounted : {&key, &second}) {
        const std::string device = "sd" + std::string(1, static_cast<char>('b' + number));
        write_text(system / ("dev/" + device), "");
        fs::create_symlink("../../" + device, system / ("dev/disk/by-label/VOLKARIS\\x20" + std::to_string(number)));
        table += "3" + std::to_string(number) + " 1 8:1" + std::to_string(number) + " / " + mounted->root() +
                 " rw - vfat /dev/" + device + " rw\n";
        ++number;
        write_text(system / "proc/self/mountinfo", table);
        const ProgramRun found = run_program({"find"}, environment);
        EXPECT_EQ(found.exit_code, 0);
        EXPECT_EQ(found.out, number == 1 ? key.root() + "\n" : key.root() + "\n" + second.root() + "\n");
        const ProgramRun shown = run_program({"show", "--json"}, environment);
        if (number == 1) {
            EXPECT_EQ(shown.exit_code, 0);
            EXPECT_EQ(json_of(shown)["key"], key.root());
        } else {
            EXPECT_EQ(shown.exit_code, 1);
            EXPECT_EQ(shown.err,
                      "lanternbook: 2 keys attached; name one with --key: " + key.root() + " " + second.root() + "\n");
        }
    }
    EXPECT_EQ(run_program({"set", "--period", "last:9"}, environment).exit_code, 1);
    EXPECT_EQ(key.config(), kKeyConfig);
    EXPECT_EQ(second.config(), kKeyConfig);
}

// ---------------------------------------------------------------- erase

std::vector<std::string> remaining(const Key& key) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(key.root())) {
        names.push_back(fs::relative(entry.path(), key.root()).string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(Program, EraseAsksOrNeedsYes) {
    const Key key;
    const std::vector<std::string> before = remaining(key);
    ProgramRun run = run_program({"erase", "--key", key.root()});
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err, "lanternbook: erase: nothing erased; without a terminal to ask on, add --yes\n");
    EXPECT_EQ(remaining(key), before);

    run = run_program_on_terminal({"erase", "--key", key.root()}, "n\n");
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_NE(run.out.find("Erase every download in CARD and TACHO on " + key.root() + "? [y/N]"), std::string::npos)
        << run.out;
    EXPECT_EQ(remaining(key), before);

    run = run_program_on_terminal({"erase", "--key", key.root()}, "y\n");
    EXPECT_EQ(run.exit_code, 0) << run.out;
    EXPECT_NE(run.out.find("deleted 6 downloads from " + key.root()), std::string::npos) << run.out;
    for (const std::string& name : kDownloads) {
        EXPECT_FALSE(exists(key / name)) << name;
    }
}

TEST(Program, EraseDeletesDownloadsOnlyAndFollowsNoLink) {
    const Key key;
    TempFolder outside;
    write_text(outside / "theirs.ddd", "theirs");
    fs::create_directory(outside / "TACHO");
    write_text(outside / "TACHO/theirs.ddd", "theirs");
    fs::create_symlink(outside / "theirs.ddd", key / "CARD/link.ddd");
    fs::remove_all(key / "TACHO");
    fs::create_directory_symlink(outside / "TACHO", key / "TACHO");
    fs::create_directory(key / "CARD/folder.ddd");
    ::chmod((key / "CARD/C_1.DDD").c_str(), 0444);

    const ProgramRun run = run_program({"erase", "--yes", "--key", key.root()});
    // The link is not deleted, and that is said.
    EXPECT_EQ(run.exit_code, 3) << run.err;
    EXPECT_EQ(run.err, "lanternbook: " + key.root() + ": deleted 3 downloads, but some could not be deleted\n");
    for (const std::string& name : kKept) {
        EXPECT_TRUE(exists(key / name)) << name;
    }
    EXPECT_TRUE(exists(key / "CARD/link.ddd"));
    EXPECT_TRUE(exists(key / "CARD/folder.ddd"));
    EXPECT_TRUE(exists(outside / "theirs.ddd"));
    EXPECT_TRUE(exists(outside / "TACHO/theirs.ddd"));
    EXPECT_FALSE(exists(key / "CARD/C_1.DDD"));

    fs::remove(key / "CARD/link.ddd");
    const ProgramRun again = run_program({"erase", "--yes", "--key", key.root()});
    EXPECT_EQ(again.exit_code, 0);
    EXPECT_EQ(again.out, "deleted 0 downloads from " + key.root() + "\n");
}

// Names on a key are hostile input: a backslash in a name never makes a path
// that leads off the key, a DATE link is never written through, and a pipe
// for CONFIG never makes the program wait.
TEST(Program, HostileNamesOnTheKeyTouchNothingOffIt) {
    TempFolder outside;
    fs::create_directories(outside / "a/b");
    const std::string key_root = outside / "a/b/KEY";
    fs::create_directory(key_root);
    fs::create_directory(key_root + "/CARD");
    write_bytes(key_root + "/CONFIG", kKeyConfig);
    write_text(outside / "a/b/victim.ddd", "keep");
    ::chmod((outside / "a/b/victim.ddd").c_str(), 0444);
    write_text(key_root + "/CARD/..\\..\\victim.ddd", "hostile");
    write_text(outside / "date.txt", "12");
    fs::create_symlink(outside / "date.txt", key_root + "/DATE");

    const ProgramRun erase = run_program({"erase", "--yes", "--key", key_root});
    EXPECT_EQ(erase.exit_code, 0) << erase.err;
    EXPECT_FALSE(exists(key_root + "/CARD/..\\..\\victim.ddd"));
    EXPECT_EQ(read_bytes(outside / "a/b/victim.ddd"), Bytes({'k', 'e', 'e', 'p'}));

    const ProgramRun set = run_program({"set", "--key", key_root, "--data", "activities"});
    EXPECT_EQ(set.exit_code, 0) << set.err;
    EXPECT_EQ(read_bytes(outside / "date.txt"), Bytes({'1', '2'}));
    fs::remove(key_root + "/DATE");
    fs::create_symlink(outside / "nothing.txt", key_root + "/DATE");
    EXPECT_EQ(run_program({"set", "--key", key_root, "--data", "activities"}).exit_code, 0);
    EXPECT_FALSE(exists(outside / "nothing.txt"));

    fs::remove(key_root + "/CONFIG");
    ASSERT_EQ(::mkfifo((key_root + "/CONFIG").c_str(), 0644), 0);
    for (const char* command : {"show", "set"}) {
        SCOPED_TRACE(command);
        const ProgramRun run = run_program({command, "--key", key_root});
        EXPECT_EQ(run.exit_code, 3);
        EXPECT_NE(run.err.find("CONFIG: cannot be read"), std::string::npos) << run.err;
    }
}

}  // namespace
}  // namespace lanternbook::testing
