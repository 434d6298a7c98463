// The lanternbook program run as a process on key folders in a temporary
// folder: what it prints, what it writes and its exit codes.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <csignal>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <regex>
#include <set>
#include <sstream>

#include <nlohmann/json.hpp>

#include "cli_process.h"

namespace lanternbook::testing {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using Json = nlohmann::ordered_json;

const std::vector<std::string> kDownloads{"CARD/C_1.DDD", "CARD/c_2.ddd", "TACHO/M_1.ddd", "TACHO/M_1.esm",
                                          "TACHO/x.dtg", "CARD/y.DTC"};
const std::vector<std::string> kKept{"CARD/readme.txt", "CONFIG", "DATE", "ostrevan.exe", "CARD/a.dddx"};
// The keys of `show --json`, in order, as the README lists them.
const std::vector<std::string> kJsonKeys{"format", "key",  "config_bytes", "data",         "period",
                                         "days",   "from", "till",         "range_button", "vdo_special_data",
                                         "serial_number", "software_version", "stored", "not_stored"};

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

std::string hex_of(const Bytes& bytes, const char* separator = " ") {
    std::string text;
    char pair[4];
    for (const uint8_t byte : bytes) {
        std::snprintf(pair, sizeof pair, "%02x", byte);
        text += text.empty() ? "" : separator;
        text += pair;
    }
    return text;
}

bool one_error_line(const ProgramRun& run) {
    return run.err.rfind("lanternbook", 0) == 0 && run.err.find('\n') == run.err.size() - 1;
}

Json json_of(const ProgramRun& run) { return Json::parse(run.out, nullptr, false); }

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

std::size_t widest_line(const std::string& text) {
    std::size_t widest = 0;
    for (const std::string& line : lines_of(text)) {
        widest = std::max(widest, line.size());
    }
    return widest;
}

std::vector<std::string> with_key(const Key& key, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin() + 1, {"--key", key.root()});
    return arguments;
}

// ---------------------------------------------------------------- help, version, usage

TEST(Program, HelpVersionAndShortUsage) {
    const ProgramRun help = run_program({"--help"});
    EXPECT_EQ(help.exit_code, 0);
    for (const char* part : {"find", "show", "set", "erase", "Exit codes", "--version"}) {
        EXPECT_NE(help.out.find(part), std::string::npos) << part;
    }
    for (const std::vector<std::string>& same : std::vector<std::vector<std::string>>{{"help"}, {"-h"}}) {
        const ProgramRun run = run_program(same);
        EXPECT_EQ(run.exit_code, 0);
        EXPECT_EQ(run.out, help.out) << same[0];
    }

    const ProgramRun set_help = run_program({"set", "--help"});
    EXPECT_EQ(set_help.exit_code, 0);
    EXPECT_EQ(set_help.out.rfind("Usage: lanternbook set [-k DIR", 0), 0u) << set_help.out;
    EXPECT_EQ(run_program({"help", "set"}).out, set_help.out);
    EXPECT_EQ(run_program({"--help", "set"}).out, set_help.out);

    for (const char* version : {"--version", "-V"}) {
        const ProgramRun run = run_program({version});
        EXPECT_EQ(run.exit_code, 0);
        EXPECT_EQ(run.out, std::string("lanternbook ") + LANTERNBOOK_EXPECTED_VERSION + "\n");
    }

    const ProgramRun bare = run_program({});
    EXPECT_EQ(bare.exit_code, 1);
    EXPECT_TRUE(bare.out.empty());
    EXPECT_EQ(bare.err, "Usage: lanternbook find|show|set|erase|recover|watch|journal|check-profile|help [OPTIONS]\n"
                        "'lanternbook --help' tells more.\n");
}

// Every kind of usage error, in the program's own words and nothing else.
TEST(Program, UsageErrorsInItsOwnWords) {
    struct Case {
        std::vector<std::string> arguments;
        std::string error;
    };
    const Case cases[] = {
        {{"shwo"}, "lanternbook: unknown command 'shwo'; did you mean 'show'?"},
        {{"frobnicate"}, "lanternbook: unknown command 'frobnicate'"},
        {{"--bogus"}, "lanternbook: unknown option '--bogus'"},
        {{"--verison"}, "lanternbook: unknown option '--verison'; did you mean '--version'?"},
        {{"show", "--jsn"}, "lanternbook show: unknown option '--jsn'; did you mean '--json'?"},
        {{"set", "--dry"}, "lanternbook set: unknown option '--dry'; did you mean '--dry-run'?"},
        {{"erase", "--yse=1"}, "lanternbook erase: unknown option '--yse'; did you mean '--yes'?"},
        {{"show", "--colour"}, "lanternbook show: unknown option '--colour'"},
        {{"show", "-x"}, "lanternbook show: unknown option '-x'"},
        {{"show", "--", "x"}, "lanternbook show: unexpected argument 'x'"},
        {{"recover", "--key", "a", "--key", "b"}, "lanternbook recover: --key is given more than once"},
        {{"set", "--from", "a", "--from", "b"}, "lanternbook set: --from is given more than once"},
        {{"show", "--key"}, "lanternbook show: --key needs a value (DIR)"},
        {{"set", "--period="}, "lanternbook set: --period needs a value (PERIOD)"},
        {{"show", "--json=yes"}, "lanternbook show: --json takes no value"},
        {{"set", "extra"}, "lanternbook set: unexpected argument 'extra'"},
        {{"show", "find"}, "lanternbook show: unexpected argument 'find'"},
        {{"--force", "set"}, "lanternbook set: --force goes after 'set'"},
        {{"--key", "K", "find"}, "lanternbook find: find takes no --key"},
        {{"-k", "a", "recover", "-k", "b"}, "lanternbook recover: --key is given more than once"},
        {{"erase", "--all", "--force"}, "lanternbook erase: --force names a folder; --all takes the keys attached"},
        {{"watch"}, "lanternbook watch: --apply PROFILE is needed: what to apply to each key"},
        {{"watch", "--apply", "p", "--archive", "a"}, "lanternbook watch: --archive goes with --erase"},
        {{"check-profile"}, "lanternbook check-profile: which profile? give its FILE (- for standard input)"},
        {{"check-profile", "a", "b"}, "lanternbook check-profile: unexpected argument 'b'"},
        {{"journal", "--since", "yesterday"}, "lanternbook journal: --since: 'yesterday' is no date; give YYYY-MM-DD"},
        {{"show", "--json", "-q"}, "lanternbook show: --quiet and --json ask for opposite things; give one"},
        {{"-q", "--json", "find"}, "lanternbook find: --quiet and --json ask for opposite things; give one"},
        {{"help", "shwo"}, "lanternbook help: unknown command 'shwo'; did you mean 'show'?"},
        {{"help", "set", "erase"}, "lanternbook help: unexpected argument 'erase'"},
        {{"show", "--all", "--key", "K"}, "lanternbook show: --key names a folder; --all takes the keys attached"},
        {{"set", "--key", "K"}, "lanternbook set: nothing to change; give --data, --period, --range-button, --vdo or --from"},
        {{"set", "-n"}, "lanternbook set: nothing to change; give --data, --period, --range-button, --vdo or --from"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        const ProgramRun run = run_program(c.arguments);
        EXPECT_EQ(run.exit_code, 1);
        EXPECT_EQ(run.err, c.error + "\n");
        EXPECT_TRUE(run.out.empty());
    }
}

TEST(Program, HelpWrapsToTheTerminalAndEndsWithExamples) {
    for (const std::size_t columns : {60, 100, 200}) {
        SCOPED_TRACE(columns);
        for (const char* command : {"--help", "set"}) {
            std::vector<std::string> arguments{command};
            if (arguments[0] == "set") {
                arguments.push_back("--help");
            }
            const ProgramRun run = run_program(arguments, {{"COLUMNS", std::to_string(columns)}});
            ASSERT_EQ(run.exit_code, 0);
            EXPECT_LE(widest_line(run.out), columns);
            // The width is used, not only kept under.
            EXPECT_GT(widest_line(run.out), columns * 3 / 4);
            const std::vector<std::string> lines = lines_of(run.out);
            const auto examples = std::find(lines.begin(), lines.end(), "Examples:");
            ASSERT_NE(examples, lines.end());
            EXPECT_TRUE(std::all_of(examples + 1, lines.end(), [](const std::string& line) {
                return line.rfind("  ", 0) == 0;
            })) << "the examples come last";
        }
    }
    // Empty or nonsense: 80.
    const std::string eighty = run_program({"--help"}, {{"COLUMNS", "80"}}).out;
    for (const char* columns : {"", "wide"}) {
        EXPECT_EQ(run_program({"--help"}, {{"COLUMNS", columns}}).out, eighty) << columns;
    }
    // On a terminal its own width counts, not $COLUMNS.
    const ProgramRun terminal = run_program_on_terminal({"set", "--help"}, "", 72, {{"COLUMNS", "200"}});
    EXPECT_EQ(terminal.exit_code, 0);
    EXPECT_LE(widest_line(terminal.out), 72u);
    EXPECT_GT(widest_line(terminal.out), 60u);
}

// What --help names, the README's command-line section describes.
TEST(Program, HelpNamesOnlyWhatTheReadmeDescribes) {
    std::ifstream file(std::string(LANTERNBOOK_SOURCE_DIR) + "/README.md");
    const std::string readme((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::size_t start = readme.find("\n## The command line");
    ASSERT_NE(start, std::string::npos);
    const std::string section = readme.substr(start, readme.find("\n## ", start + 1) - start);

    const std::regex option("--[a-z][a-z-]*");
    std::set<std::string> named;
    for (const char* command :
         {"find", "show", "set", "erase", "recover", "watch", "journal", "check-profile", "help"}) {
        const std::string help = run_program({command, "--help"}).out + run_program({"--help"}).out;
        for (auto it = std::sregex_iterator(help.begin(), help.end(), option); it != std::sregex_iterator(); ++it) {
            named.insert(it->str());
        }
        EXPECT_NE(section.find(std::string("lanternbook ") + command), std::string::npos) << command;
    }
    ASSERT_GT(named.size(), 10u);
    for (const std::string& name : named) {
        EXPECT_NE(section.find(name), std::string::npos) << name << " is in --help but not in the README";
    }
}

TEST(Program, AFailedWriteToStandardOutputOrErrorExitsThree) {
    const Key key;
    ProgramInput full_output;
    full_output.output_file = "/dev/full";
    const ProgramRun shown = run_program_with(with_key(key, {"show"}), full_output);
    EXPECT_EQ(shown.exit_code, 3);
    EXPECT_EQ(shown.err, "lanternbook show: standard output: cannot be written: No space left on device\n");

    ProgramInput full_error;
    full_error.error_file = "/dev/full";
    EXPECT_EQ(run_program_with({"show", "--key", key / "missing"}, full_error).exit_code, 3);
    EXPECT_EQ(run_program({"show", "--key", key / "missing"}).exit_code, 2);
}

// Short names, the key from the environment, the shared options before the
// command and --quiet: each run means the same as its long form.
TEST(Program, ConventionsPeopleType) {
    const Key key;
    const Key other;
    struct Case {
        std::vector<std::string> arguments;
        std::map<std::string, std::string> environment;
        std::vector<std::string> same_as;
    };
    const Case cases[] = {
        {{"show", "-k", key.root()}, {}, {"show", "--key", key.root()}},
        {{"-k", key.root(), "show"}, {}, {"show", "--key", key.root()}},
        {{"--json", "show", "-k", key.root()}, {}, {"show", "--json", "--key", key.root()}},
        {{"show"}, {{"LANTERNBOOK_KEY", key.root()}}, {"show", "--key", key.root()}},
        {{"show", "-k", key.root()}, {{"LANTERNBOOK_KEY", other.root()}}, {"show", "--key", key.root()}},
        {{"set", "-n", "--period", "last:30"}, {{"LANTERNBOOK_KEY", key.root()}},
         {"set", "--dry-run", "--period", "last:30", "--key", key.root()}},
        {{"erase", "-n", "-k", key.root()}, {}, {"erase", "--dry-run", "--key", key.root()}},
    };
    for (const Case& c : cases) {
        std::string traced;
        for (const std::string& argument : c.arguments) {
            traced += argument + " ";
        }
        SCOPED_TRACE(traced);
        const ProgramRun run = run_program(c.arguments, c.environment);
        const ProgramRun same = run_program(c.same_as);
        EXPECT_EQ(run.exit_code, 0) << run.err;
        EXPECT_EQ(run.out, same.out);
        EXPECT_EQ(run.err, same.err);
    }
    EXPECT_EQ(key.config(), kKeyConfig) << "only dry runs";

    // -y erases without asking; -q prints nothing but errors.
    const ProgramRun erased = run_program({"erase", "-y", "-q"}, {{"LANTERNBOOK_KEY", key.root()}});
    EXPECT_EQ(erased.exit_code, 0) << erased.err;
    EXPECT_EQ(erased.out, "");
    EXPECT_FALSE(exists(key / kDownloads[0]));
    const ProgramRun quiet_set = run_program({"-q", "set", "-k", key.root(), "--period", "last:30"});
    EXPECT_EQ(quiet_set.exit_code, 0) << quiet_set.err;
    EXPECT_EQ(quiet_set.out, "");
    EXPECT_EQ(key.config()[7], 30);
    const ProgramRun quiet_failure = run_program({"show", "-q", "-k", key / "missing"});
    EXPECT_EQ(quiet_failure.exit_code, 2);
    EXPECT_EQ(quiet_failure.err, "lanternbook show: --key " + (key / "missing") + ": no such folder\n");

    // A key named in the environment is checked as --key is, and named as where it came from.
    const ProgramRun wrong = run_program({"set", "--period", "last:30"}, {{"LANTERNBOOK_KEY", key / "CONFIG"}});
    EXPECT_EQ(wrong.exit_code, 2);
    EXPECT_EQ(wrong.err, "lanternbook set: LANTERNBOOK_KEY " + (key / "CONFIG") + ": not a folder\n");
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
                            "VDO special data  off (hidden in the dialog; set keeps it unless --vdo is given)\n"
                            "serial number     QVX/05/4660\n"
                            "software version  1.2.3\n");

    const ProgramRun run = run_program({"show", "--json", "--key", key.root()});
    ASSERT_EQ(run.exit_code, 0) << run.err;
    const Json json = json_of(run);
    std::vector<std::string> keys;
    for (const auto& item : json.items()) {
        keys.push_back(item.key());
    }
    EXPECT_EQ(keys, kJsonKeys);
    EXPECT_EQ(json["format"], 1);
    EXPECT_EQ(json["key"], key.root());
    EXPECT_EQ(json["data"], Json({"activities", "events-and-faults", "detailed-speed", "technical-data"}));
    EXPECT_EQ(json["period"], "everything");
    EXPECT_EQ(json["serial_number"], "QVX/05/4660");
    EXPECT_EQ(key.config(), kKeyConfig) << "show writes nothing";
}

// The JSON period is what --period would take to choose it again.
TEST(Program, JsonPeriodInTheWordsOfPeriod) {
    struct Case {
        uint8_t code;
        Json period;
        bool range_button;
    };
    const Case cases[] = {
        {'1', "from:2026-11-02..2026-11-30", false}, {'2', "last:14", false}, {'3', "since-last", false},
        {'4', "everything", false},                  {'5', nullptr, false},   {'0', "everything", false},
        {'4' + 8, "everything", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        const Key key;
        Bytes config = kKeyConfig;
        config[6] = c.code;
        write_bytes(key / "CONFIG", config);
        const Json json = json_of(run_program({"show", "--json", "--key", key.root()}));
        EXPECT_EQ(json["period"], c.period);
        EXPECT_EQ(json["range_button"], c.range_button);
    }
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
        const Json json = json_of(shown);
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

TEST(Program, MissingConfigShowsTheDefaultsAndAForcedSetMakesOne) {
    const Key key;
    fs::remove(key / "CONFIG");
    const ProgramRun shown = run_program({"show", "--json", "--force", "--key", key.root()});
    ASSERT_EQ(shown.exit_code, 0);
    const Json json = json_of(shown);
    EXPECT_TRUE(json["config_bytes"].is_null());
    EXPECT_EQ(json["period"], "everything");
    EXPECT_EQ(json["days"], 14);
    EXPECT_EQ(json["not_stored"], Json({"data", "period", "range_button", "days", "vdo_special_data"}));
    ASSERT_EQ(run_program({"set", "--force", "--key", key.root(), "--period", "everything"}).exit_code, 0);
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
        EXPECT_EQ(hex_of(key.config(), ""), json_of(dry)["bytes"].get<std::string>());
    }
}

// A folder that is no key is not read as one: a mistyped --key never turns
// into the dialog's defaults copied over a key.
TEST(Program, AMistypedSourceNeverResetsAKey) {
    const Key target;
    Bytes chosen = kKeyConfig;
    chosen[6] = '2';
    chosen[7] = 45;
    write_bytes(target / "CONFIG", chosen);
    TempFolder elsewhere;
    const std::string typo = elsewhere / "TYPO";
    ProgramRun shown = run_program({"show", "--key", typo, "--json"});
    EXPECT_EQ(shown.exit_code, 2);
    EXPECT_EQ(shown.out, "");
    fs::create_directory(typo);
    shown = run_program({"show", "--key", typo, "--json"});
    EXPECT_EQ(shown.exit_code, 2);
    EXPECT_EQ(shown.out, "");
    EXPECT_EQ(shown.err, "lanternbook show: " + typo +
                             ": not a key (no VOLKARIS label and no CONFIG); add --force to use it anyway\n");

    // The pipeline's set gets nothing to read.
    ProgramInput piped;
    piped.standard_input = shown.out;
    ProgramRun copied = run_program_with({"set", "--key", target.root(), "--from", "-"}, piped);
    EXPECT_EQ(copied.exit_code, 1);
    EXPECT_EQ(target.config(), chosen);

    // Read by force, the folder's document holds only defaults: set takes it only by force too.
    shown = run_program({"show", "--force", "--key", typo, "--json"});
    ASSERT_EQ(shown.exit_code, 0) << shown.err;
    piped.standard_input = shown.out;
    copied = run_program_with({"set", "--key", target.root(), "--from", "-"}, piped);
    EXPECT_EQ(copied.exit_code, 1);
    EXPECT_EQ(copied.err,
              "lanternbook set: --from -: \"config_bytes\" is null: read from a folder without CONFIG, it holds only "
              "the dialog's defaults; add --force to use it anyway\n");
    EXPECT_EQ(target.config(), chosen);
    copied = run_program_with({"set", "--force", "--key", target.root(), "--from", "-"}, piped);
    EXPECT_EQ(copied.exit_code, 0) << copied.err;
    EXPECT_EQ(target.config(), kKeyConfig) << "the dialog's defaults, asked for";
}

// What CONFIG stores but the dialog shows otherwise is shown beside what the
// dialog makes of it, and set keeps it unless given what covers it.
TEST(Program, StoredValuesTheDialogShowsOtherwise) {
    struct Case {
        const char* name;
        std::size_t offset;
        uint8_t stored;
        std::string line;
        Json json;
        std::vector<std::string> keeping;
        std::vector<std::string> covering;
        uint8_t covered;
    };
    const Case cases[] = {
        {"a day count past 180", 7, 200,
         "days              14 (stored: 200, outside 7-180; set keeps it unless --period last:N is given)\n",
         {{"days", 200}}, {"--data", "activities", "--period", "since-last"}, {"--period", "last:30"}, 30},
        {"no day count", 7, 0,
         "days              14 (stored: 0, outside 7-180; set keeps it unless --period last:N is given)\n",
         {{"days", 0}}, {"--range-button", "on"}, {"--period", "last:7"}, 7},
        {"a period code of no period", 6, '"',
         "period            everything (stored: code 0x22, no period the dialog shows; set keeps it unless "
         "--period is given)\n",
         {{"period_code", 34}}, {"--data", "technical-data", "--vdo", "off"}, {"--period", "since-last"}, '3'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Key key;
        Bytes config = kKeyConfig;
        config[c.offset] = c.stored;
        write_bytes(key / "CONFIG", config);
        const ProgramRun text = run_program({"show", "--key", key.root()});
        ASSERT_EQ(text.exit_code, 0) << text.err;
        EXPECT_NE(text.out.find(c.line), std::string::npos) << text.out;
        const Json json = json_of(run_program({"show", "--json", "--key", key.root()}));
        EXPECT_EQ(json["stored"], c.json);
        EXPECT_EQ(json["not_stored"], Json::array());

        std::vector<std::string> keeping{"set", "--key", key.root()};
        keeping.insert(keeping.end(), c.keeping.begin(), c.keeping.end());
        ASSERT_EQ(run_program(keeping).exit_code, 0);
        EXPECT_EQ(key.config()[c.offset], c.stored) << "kept";
        EXPECT_NE(key.config(), config) << "the rest was set";
        std::vector<std::string> covering{"set", "--key", key.root()};
        covering.insert(covering.end(), c.covering.begin(), c.covering.end());
        ASSERT_EQ(run_program(covering).exit_code, 0);
        EXPECT_EQ(key.config()[c.offset], c.covered);
    }

    // A CONFIG too short to hold the choices: each is marked as not stored.
    const Key key;
    write_text(key / "CONFIG", "11010");
    const ProgramRun text = run_program({"show", "--key", key.root()});
    EXPECT_EQ(text.out, "key               " + key.root() +
                            "\n"
                            "CONFIG            5 bytes; what it does not hold is shown as the dialog fills it in\n"
                            "data              driver-card-via-tachograph (not stored)\n"
                            "period            everything (not stored)\n"
                            "days              14 (not stored)\n"
                            "from              no data\n"
                            "till              no data\n"
                            "range button      off (not stored)\n"
                            "VDO special data  off (not stored; hidden in the dialog; set keeps it unless --vdo is "
                            "given)\n"
                            "serial number     no data\n"
                            "software version  no data\n");
    const Json json = json_of(run_program({"show", "--json", "--key", key.root()}));
    EXPECT_EQ(json["not_stored"], Json({"data", "period", "range_button", "days", "vdo_special_data"}));
    EXPECT_EQ(json["stored"], Json::object());
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

// VDO special data stays as the key stores it, unless --vdo names it or
// activities go, as they take it with them in the dialog.
TEST(Program, SetKeepsVdoAsStoredUnlessNamed) {
    struct Case {
        std::vector<std::string> options;
        uint8_t stored;
        uint8_t saved;
    };
    const Case cases[] = {
        {{"--period", "last:30"}, 1, 1},
        {{"--data", "activities,technical-data"}, 1, 1},
        {{"--period", "last:30"}, 0, 0},
        {{"--vdo", "off"}, 1, 0},
        {{"--vdo", "on"}, 0, 1},
        {{"--data", "events-and-faults"}, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options[0] + " " + c.options[1] + " on " + std::to_string(c.stored));
        const Key key;
        Bytes config = kKeyConfig;
        config[8] = c.stored;
        write_bytes(key / "CONFIG", config);
        std::vector<std::string> arguments{"set", "--key", key.root()};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        const ProgramRun run = run_program(arguments);
        ASSERT_EQ(run.exit_code, 0) << run.err;
        EXPECT_EQ(key.config()[8], c.saved);
    }
}

TEST(Program, SetThatChangesNothingLeavesConfigAlone) {
    const Key key;
    struct stat before {};
    ASSERT_EQ(::stat((key / "CONFIG").c_str(), &before), 0);
    for (const std::vector<std::string>& options :
         std::vector<std::vector<std::string>>{{"--vdo", "off"}, {"--period", "everything", "--range-button", "off"}}) {
        std::vector<std::string> arguments{"set", "--key", key.root()};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const ProgramRun run = run_program(arguments);
        ASSERT_EQ(run.exit_code, 0) << run.err;
        EXPECT_EQ(run.out, "unchanged " + key.root() + "/CONFIG\n");
    }
    struct stat after {};
    ASSERT_EQ(::stat((key / "CONFIG").c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "CONFIG was replaced";
    EXPECT_EQ(key.config(), kKeyConfig);

    // The same first 32 bytes with more after them are not the same file.
    Bytes longer = kKeyConfig;
    longer.resize(40, 0x41);
    write_bytes(key / "CONFIG", longer);
    const ProgramRun run = run_program({"set", "--key", key.root(), "--vdo", "off"});
    EXPECT_EQ(run.out, "saved " + key.root() + "/CONFIG\n");
    EXPECT_EQ(key.config(), kKeyConfig);
}

// --json after a real save is the dry run's object, with what became of CONFIG.
TEST(Program, SetJsonTellsWhatTheSaveDid) {
    const Key key;
    const std::vector<std::string> arguments{"set", "--json", "--key", key.root(), "--period", "last:30"};
    std::vector<std::string> dry_arguments = arguments;
    dry_arguments.push_back("--dry-run");
    Json dry = json_of(run_program(dry_arguments));
    EXPECT_EQ(dry["bytes"].get<std::string>().size(), 64u);
    EXPECT_EQ(dry["period"], "last:30");
    EXPECT_FALSE(dry.contains("saved"));

    Json saved = json_of(run_program(arguments));
    EXPECT_EQ(saved["saved"], true);
    EXPECT_EQ(hex_of(key.config(), ""), saved["bytes"]);
    saved.erase("saved");
    EXPECT_EQ(saved, dry);

    Json again = json_of(run_program(arguments));
    EXPECT_EQ(again["unchanged"], true);
    again.erase("unchanged");
    EXPECT_EQ(again, dry);
}

// set with nothing to change is a mistake, not a save: nothing is written,
// not even to a CONFIG of random bytes.
TEST(Program, ABareSetIsAUsageErrorAndWritesNothing) {
    std::mt19937 rng(25);
    const Key key;
    Bytes config(32);
    for (uint8_t& byte : config) {
        byte = static_cast<uint8_t>(rng());
    }
    write_bytes(key / "CONFIG", config);
    write_text(key / "DATE", "1");
    struct stat before {};
    ASSERT_EQ(::stat((key / "CONFIG").c_str(), &before), 0);
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"set", "--key", key.root()}, {"set", "--key", key.root(), "--json"}, {"set", "-n", "-k", key.root()}}) {
        const ProgramRun run = run_program(arguments);
        EXPECT_EQ(run.exit_code, 1);
        EXPECT_EQ(run.err, "lanternbook set: nothing to change; give --data, --period, --range-button, --vdo or --from\n");
        EXPECT_EQ(run.out, "");
    }
    // A document that names no choice changes nothing either.
    ProgramInput piped;
    piped.standard_input = R"({"format": 1, "key": "K", "serial_number": "QVX/05/4660"})";
    EXPECT_EQ(run_program_with({"set", "--key", key.root(), "--from", "-"}, piped).exit_code, 1);
    struct stat after {};
    ASSERT_EQ(::stat((key / "CONFIG").c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(key.config(), config);
    EXPECT_EQ(read_bytes(key / "DATE"), Bytes{'1'});
}

// show's object fed to set on another key copies the choices, never the key's identity.
TEST(Program, SetCopiesTheChoicesShowPrints) {
    const Key from;
    const Bytes chosen{'1', '1', '0', '1', '1', '0', '2' + 8, 45, 1, 0x6A, 0xE7, 0xD2, 0x80, 0x6B, 0x0C, 0xBC,
                       0x80, 0x7E, 0x0B, 0x02, 0x01, 126, 11, 30, 1, 5, 0x12, 0x34, 1, 2, 3, 0};
    write_bytes(from / "CONFIG", chosen);
    const Key to;
    Bytes own = kKeyConfig;
    std::copy_n(Bytes{9, 0x56, 0x78, 4, 5, 6, 0}.begin(), 7, own.begin() + 25);
    write_bytes(to / "CONFIG", own);

    const ProgramRun shown = run_program({"show", "--key", from.root(), "--json"});
    ProgramInput piped;
    piped.standard_input = shown.out;
    const ProgramRun copied = run_program_with({"set", "--key", to.root(), "--from", "-"}, piped);
    ASSERT_EQ(copied.exit_code, 0) << copied.err;
    Bytes expected = chosen;
    std::copy(own.begin() + 25, own.end(), expected.begin() + 25);
    EXPECT_EQ(hex_of(to.config()), hex_of(expected));

    // Options beside the document win over it, from a file as from standard input.
    write_text(to / "choices.json", shown.out);
    const ProgramRun overridden =
        run_program({"set", "--key", to.root(), "--from", to / "choices.json", "--period", "since-last"});
    ASSERT_EQ(overridden.exit_code, 0) << overridden.err;
    EXPECT_EQ(to.config()[6], '3' + 8);
    EXPECT_EQ(to.config()[7], 45);
}

TEST(Program, ADocumentSetCannotReadIsRefused) {
    const Key key;
    ProgramInput piped;
    piped.standard_input = R"({"format": 1, "perod": "last:30"})";
    const ProgramRun malformed = run_program_with({"set", "--key", key.root(), "--from", "-"}, piped);
    EXPECT_EQ(malformed.exit_code, 1);
    EXPECT_EQ(malformed.err,
              "lanternbook set: --from -: unknown field \"perod\"; did you mean \"period\"?\n");

    const ProgramRun missing = run_program({"set", "--key", key.root(), "--from", key / "none.json"});
    EXPECT_EQ(missing.exit_code, 3);
    EXPECT_EQ(missing.err, "lanternbook set: " + (key / "none.json") + ": cannot be read: No such file or directory\n");
    EXPECT_EQ(key.config(), kKeyConfig);
}

// A document is refused for what the parser would let pass: a field given
// twice, a NUL, more than 1 MiB.
TEST(Program, ADocumentIsReadWholeOrRefused) {
    const Key key;
    const std::string head = R"({"format": 1, "period": "last:30")";
    struct Case {
        std::string document;
        std::string refusal;
    };
    const Case cases[] = {
        {head + R"(, "period": "everything"})", "\"period\" is given twice"},
        {head + R"(, "data": ["activities"], "data": ["activities"]})", "\"data\" is given twice"},
        {head + "}" + std::string(1, '\0') + R"({"period": "everything"})",
         "a NUL byte at byte 34, after \"period\"; a document is text"},
        {R"({"format": 1, "period": "last:30\u0000everything"})", "\"period\" holds a NUL character"},
        {head + "}" + std::string((std::size_t{1} << 20), ' '), "larger than 1 MiB; a configuration is a few hundred bytes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.refusal);
        ProgramInput piped;
        piped.standard_input = c.document;
        const ProgramRun run = run_program_with({"set", "--key", key.root(), "--from", "-"}, piped);
        EXPECT_EQ(run.exit_code, 1);
        EXPECT_EQ(run.err, "lanternbook set: --from -: " + c.refusal + "\n");
        write_text(key / "doc.json", c.document);
        const ProgramRun file = run_program({"set", "--key", key.root(), "--from", key / "doc.json"});
        EXPECT_EQ(file.exit_code, 1);
        EXPECT_EQ(file.err, "lanternbook set: --from " + (key / "doc.json") + ": " + c.refusal + "\n");
        EXPECT_EQ(key.config(), kKeyConfig);
    }
    // Far more than the limit on standard input: read only so far.
    ProgramInput flood;
    flood.standard_input = std::string(std::size_t{64} << 20, '{');
    const ProgramRun run = run_program_with({"set", "--key", key.root(), "--from", "-"}, flood);
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err, "lanternbook set: --from -: larger than 1 MiB; a configuration is a few hundred bytes\n");
}

// On a terminal, --from - says what it waits for, and takes what is typed.
TEST(Program, FromStandardInputOnATerminalSaysWhatItWaitsFor) {
    const Key key;
    const ProgramRun run = run_program_on_terminal({"set", "--key", key.root(), "--from", "-"},
                                                   "{\"format\": 1, \"period\": \"last:30\"}\n\x04");
    EXPECT_EQ(run.exit_code, 0) << run.out;
    // The terminal's echo of what is typed may come before the hint or after it: the hint has a line of its own.
    const std::size_t hint = run.out.find("lanternbook set: reading the choices from standard input, a JSON object as "
                                          "'lanternbook show --json' prints it; end with Ctrl-D (Ctrl-Z and Enter on "
                                          "Windows)\r\n");
    ASSERT_NE(hint, std::string::npos) << run.out;
    EXPECT_TRUE(hint == 0 || run.out[hint - 1] == '\n') << run.out;
    EXPECT_EQ(key.config()[7], 30);
}

TEST(Program, SetCompletesAShortDateAsTheDialogDoesButADryRunDoesNot) {
    const Key key;
    write_text(key / "DATE", "12");
    ASSERT_EQ(run_program({"set", "--dry-run", "--key", key.root(), "--vdo", "off"}).exit_code, 0);
    EXPECT_EQ(read_bytes(key / "DATE"), (Bytes{'1', '2'}));
    ASSERT_EQ(run_program({"set", "--key", key.root(), "--vdo", "off"}).exit_code, 0);
    EXPECT_EQ(read_bytes(key / "DATE"), (Bytes{'1', '1', '1', '1', '1', '1'}));
}

TEST(Program, RefusedChoicesChangeNothing) {
    struct Case {
        std::vector<std::string> options;
        std::string error;
    };
    const Case cases[] = {
        {{"--data", "activities,speed"},
         "--data: unknown data choice 'speed' (known: activities events-and-faults detailed-speed technical-data "
         "driver-card-via-tachograph)"},
        {{"--data", "activities,driver-card-via-tachograph"},
         "driver-card-via-tachograph cannot be on together with activities"},
        {{"--period", "last:6"}, "--period: 'last:6': the number of days must be 7 to 180"},
        {{"--period", "from:2026-11-20..2026-10-05"}, "--period: From 2026-11-20 is after Till 2026-10-05"},
        {{"--period", "from:2026-10-05..2099-01-01"}, "--period: 2099-01-01 is after today"},
        {{"--period", "from:1969-12-31..2020-01-01"},
         "--period: 1969-12-31 is before 1970-01-01, the first day the key can store"},
        {{"--period", "yesterday"},
         "--period: 'yesterday' is none of since-last, everything, last:N, from:YYYY-MM-DD..YYYY-MM-DD"},
        {{"--range-button", "yes"}, "--range-button: 'yes' is neither on nor off"},
        {{"--vdo", "on", "--data", "events-and-faults"},
         "--vdo on: needs activities on; the dialog clears VDO special data without it"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        const Key key;
        std::vector<std::string> arguments{"set", "--key", key.root()};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        const ProgramRun run = run_program(arguments);
        EXPECT_EQ(run.exit_code, 1);
        EXPECT_TRUE(one_error_line(run)) << run.err;
        EXPECT_EQ(run.err.rfind("lanternbook set: " + c.error, 0), 0u) << run.err;
        EXPECT_EQ(key.config(), kKeyConfig);
    }
}

// The file is named, and the system says why.
TEST(Program, InputOutputFailuresNameTheFileAndTheReason) {
    {
        const Key key;
        ::chmod((key / "CONFIG").c_str(), 0444);
        const ProgramRun run = run_program({"set", "--key", key.root(), "--period", "last:30"});
        EXPECT_EQ(run.exit_code, 3);
        EXPECT_EQ(run.err, "lanternbook set: " + key.root() + "/CONFIG: read-only; left as it was\n");
        EXPECT_EQ(key.config(), kKeyConfig);
        EXPECT_FALSE(exists(key / "CONFIG.NEW"));
    }
    {
        const Key key;
        fs::remove(key / "CONFIG");
        fs::create_directory(key / "CONFIG");
        for (const std::vector<std::string>& arguments :
             std::vector<std::vector<std::string>>{{"show", "--force", "--key", key.root()},
                                                   {"set", "--force", "--key", key.root(), "--period", "last:30"}}) {
            const ProgramRun run = run_program(arguments);
            EXPECT_EQ(run.exit_code, 3);
            EXPECT_EQ(run.err, "lanternbook " + arguments[0] + ": " + key.root() + "/CONFIG: cannot be read: Is a directory\n");
        }
        EXPECT_TRUE(fs::is_directory(key / "CONFIG"));
    }
    {
        // Every name Save may write its new CONFIG under is a link, which is never taken for a helper of ours.
        const Key key;
        TempFolder outside;
        write_text(outside / "theirs", "theirs");
        fs::create_symlink(outside / "theirs", key / "CONFIG.NEW");
        for (char digit = '1'; digit <= '9'; ++digit) {
            fs::create_symlink(outside / "theirs", key / (std::string("CONFIG.NEW") + digit));
        }
        const ProgramRun run = run_program({"set", "--key", key.root(), "--period", "last:30"});
        EXPECT_EQ(run.exit_code, 3);
        EXPECT_EQ(run.err, "lanternbook set: " + key.root() + "/CONFIG: cannot be replaced: File exists; left as it was\n");
        EXPECT_EQ(key.config(), kKeyConfig);
        EXPECT_EQ(read_bytes(outside / "theirs"), std::vector<uint8_t>({'t', 'h', 'e', 'i', 'r', 's'}));
    }
    {
        // Ten Saves cut short left their helpers: the next Save clears them and saves.
        const Key key;
        write_text(key / "CONFIG.NEW", "half");
        for (char digit = '1'; digit <= '9'; ++digit) {
            write_text(key / (std::string("CONFIG.NEW") + digit), "half");
        }
        const ProgramRun run = run_program({"set", "--key", key.root(), "--period", "last:30"});
        EXPECT_EQ(run.exit_code, 0) << run.err;
        EXPECT_EQ(key.config()[7], 30) << "the day count";
        EXPECT_FALSE(exists(key / "CONFIG.NEW"));
        EXPECT_FALSE(exists(key / "CONFIG.NEW9"));
    }
}

// ---------------------------------------------------------------- which folders are keys

TEST(Program, KeyNamedThatIsNoFolder) {
    const Key key;
    for (const std::string command : {"show", "set", "erase"}) {
        SCOPED_TRACE(command);
        const auto run_program = [&command](std::vector<std::string> arguments) {
            if (command == "set") {
                arguments.insert(arguments.end(), {"--period", "last:30"});
            }
            return testing::run_program(arguments);
        };
        ProgramRun run = run_program({command, "--key", key / "missing"});
        EXPECT_EQ(run.exit_code, 2);
        EXPECT_EQ(run.err, "lanternbook " + command + ": --key " + (key / "missing") + ": no such folder\n");
        run = run_program({command, "--key", key / "CONFIG"});
        EXPECT_EQ(run.exit_code, 2);
        EXPECT_EQ(run.err, "lanternbook " + command + ": --key " + (key / "CONFIG") + ": not a folder\n");
    }
}

// show, set and erase take a folder only when it holds a CONFIG (or is a
// labelled key's root, see the key-finding tests), unless forced.
TEST(Program, OnlyKeysAreReadOrChanged) {
    TempFolder notes;
    write_text(notes / "todo.txt", "notes");
    fs::create_directory(notes / "CARD");
    write_text(notes / "CARD/important.ddd", "archived download");
    const std::string refusal =
        ": " + notes.path() + ": not a key (no VOLKARIS label and no CONFIG); add --force to use it anyway\n";

    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"show"}, {"set", "--period", "last:30"}, {"erase", "--yes"}}) {
        SCOPED_TRACE(arguments[0]);
        std::vector<std::string> named{arguments[0], "--key", notes.path()};
        named.insert(named.end(), arguments.begin() + 1, arguments.end());
        const ProgramRun run = run_program(named);
        EXPECT_EQ(run.exit_code, 2);
        EXPECT_EQ(run.err, "lanternbook " + arguments[0] + refusal);
    }
    EXPECT_FALSE(exists(notes / "CONFIG"));
    EXPECT_FALSE(exists(notes / "DATE"));
    EXPECT_TRUE(exists(notes / "CARD/important.ddd"));
    EXPECT_EQ(run_program({"show", "--force", "--key", notes.path()}).exit_code, 0);

    EXPECT_EQ(run_program({"erase", "--yes", "--force", "--key", notes.path()}).exit_code, 0);
    EXPECT_FALSE(exists(notes / "CARD/important.ddd"));
    EXPECT_EQ(run_program({"set", "--force", "--key", notes.path(), "--period", "last:30"}).exit_code, 0);
    EXPECT_EQ(read_bytes(notes / "CONFIG").size(), 32u);
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

TEST(Program, EraseAsksWithTheCountOrNeedsYes) {
    const Key key;
    const std::vector<std::string> before = remaining(key);
    ProgramRun run = run_program({"erase", "--key", key.root()});
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err, "lanternbook erase: nothing erased; without a terminal to ask on, add --yes\n");
    EXPECT_EQ(remaining(key), before);

    const std::string question = "Erase 6 downloads in CARD and TACHO on " + key.root() + "? [y/N]";
    run = run_program_on_terminal({"erase", "--key", key.root()}, "n\n");
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_NE(run.out.find(question), std::string::npos) << run.out;
    EXPECT_EQ(remaining(key), before);

    run = run_program_on_terminal({"erase", "--key", key.root()}, "y\n");
    EXPECT_EQ(run.exit_code, 0) << run.out;
    EXPECT_NE(run.out.find(question), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("deleted 6 downloads from " + key.root()), std::string::npos) << run.out;
    for (const std::string& name : kDownloads) {
        EXPECT_FALSE(exists(key / name)) << name;
    }
    // Nothing left to delete: nothing to ask.
    run = run_program({"erase", "--key", key.root()});
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.out, "deleted 0 downloads from " + key.root() + "\n");
}

// The question is asked on the terminal itself, whatever standard error is;
// the end of the input there ends the question's line and is a no.
TEST(Program, QuestionsAreAskedOnTheTerminal) {
    const Key key;
    const std::vector<std::string> before = remaining(key);
    const std::string question = "Erase 6 downloads in CARD and TACHO on " + key.root() + "? [y/N] ";
    ProgramRun run = run_program_on_terminal({"erase", "--key", key.root()}, "\x04");
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_NE(run.out.find(question + "\r\nlanternbook erase: nothing erased\r\n"), std::string::npos) << run.out;
    EXPECT_EQ(remaining(key), before);

    // Ctrl-C at the question: nothing is erased, and the exit code says why.
    run = run_program_on_terminal({"erase", "--key", key.root()}, "\x03", 0, {}, "", "[y/N] ");
    EXPECT_EQ(run.exit_code, 130);
    EXPECT_NE(run.out.find("\r\nlanternbook erase: interrupted; nothing erased\r\n"), std::string::npos) << run.out;
    EXPECT_EQ(remaining(key), before);

    run = run_program_on_terminal({"erase", "--key", key.root()}, "y\n", 0, {}, "/dev/null");
    EXPECT_EQ(run.exit_code, 0) << run.out;
    EXPECT_NE(run.out.find(question), std::string::npos) << run.out;
    EXPECT_FALSE(exists(key / kDownloads[0]));
}

// Every path in a JSON list, sorted; skips and failures by their "path".
std::vector<std::string> sorted_paths(const Json& list) {
    std::vector<std::string> paths;
    for (const Json& entry : list) {
        paths.push_back(entry.is_string() ? entry.get<std::string>() : entry["path"].get<std::string>());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

TEST(Program, EraseDryRunListsWhatWouldGoAndDeletesNothing) {
    const Key key;
    const std::vector<std::string> before = remaining(key);
    std::vector<std::string> expected;
    for (const std::string& name : kDownloads) {
        expected.push_back(key / name);
    }
    std::sort(expected.begin(), expected.end());

    const ProgramRun text = run_program({"erase", "--dry-run", "--key", key.root()});
    ASSERT_EQ(text.exit_code, 0) << text.err;
    std::vector<std::string> listed;
    for (const std::string& line : lines_of(text.out)) {
        ASSERT_EQ(line.rfind("delete ", 0), 0u) << line;
        listed.push_back(line.substr(7));
    }
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, expected);

    const ProgramRun json = run_program({"erase", "--dry-run", "--json", "--key", key.root()});
    ASSERT_EQ(json.exit_code, 0) << json.err;
    const Json document = json_of(json);
    EXPECT_EQ(document["format"], 1);
    EXPECT_EQ(document["key"], key.root());
    EXPECT_EQ(document["dry_run"], true);
    EXPECT_EQ(sorted_paths(document["deleted"]), expected);
    EXPECT_EQ(document["skipped"], Json::array());
    EXPECT_EQ(document["not_deleted"], Json::array());
    EXPECT_EQ(document["interrupted"], false);
    EXPECT_EQ(remaining(key), before);

    const Json erased = json_of(run_program({"erase", "--yes", "--json", "--key", key.root()}));
    EXPECT_EQ(erased["dry_run"], false);
    EXPECT_EQ(sorted_paths(erased["deleted"]), expected);
}

// What the dry run lists is what the real run deletes and skips, with the
// same reasons; a skip is no failure, the first time or any later one.
TEST(Program, EraseRunsAgreeAndASkipIsNoFailure) {
    const Key key;
    TempFolder outside;
    write_text(outside / "theirs.ddd", "theirs");
    fs::create_directory(outside / "CARD");
    write_text(outside / "CARD/theirs.ddd", "theirs");
    fs::create_symlink(outside / "theirs.ddd", key / "TACHO/L.DDD");
    ASSERT_EQ(::mkfifo((key / "TACHO/pipe.ddd").c_str(), 0644), 0);
    fs::remove_all(key / "CARD");
    fs::create_directory_symlink(outside / "CARD", key / "CARD");
    const Json skips = Json::parse(R"([{"path": ")" + key.root() + R"(/CARD/", "reason": "folder link"},
        {"path": ")" + key.root() + R"(/TACHO/L.DDD", "reason": "link"},
        {"path": ")" + key.root() + R"(/TACHO/pipe.ddd", "reason": "not a regular file"}])");
    std::vector<std::string> going;
    for (const char* name : {"TACHO/M_1.ddd", "TACHO/M_1.esm", "TACHO/x.dtg"}) {
        going.push_back(key / name);
    }

    const ProgramRun dry = run_program({"erase", "-n", "--json", "-k", key.root()});
    ASSERT_EQ(dry.exit_code, 0) << dry.err;
    const Json listed = json_of(dry);
    EXPECT_EQ(sorted_paths(listed["deleted"]), going);
    const auto by_path = [](const Json& a, const Json& b) { return a["path"] < b["path"]; };
    Json listed_skips = listed["skipped"];
    std::sort(listed_skips.begin(), listed_skips.end(), by_path);
    EXPECT_EQ(listed_skips, skips);
    const ProgramRun dry_text = run_program({"erase", "-n", "-k", key.root()});
    EXPECT_NE(dry_text.out.find("skip " + key.root() + "/TACHO/L.DDD (link)\n"), std::string::npos) << dry_text.out;
    EXPECT_NE(dry_text.out.find("skip " + key.root() + "/CARD/ (folder link)\n"), std::string::npos) << dry_text.out;

    const ProgramRun erased = run_program({"erase", "-y", "--json", "-k", key.root()});
    EXPECT_EQ(erased.exit_code, 0) << erased.err;
    EXPECT_EQ(erased.err, "");
    const Json done = json_of(erased);
    EXPECT_EQ(sorted_paths(done["deleted"]), going);
    Json done_skips = done["skipped"];
    std::sort(done_skips.begin(), done_skips.end(), by_path);
    EXPECT_EQ(done_skips, skips);
    EXPECT_EQ(done["not_deleted"], Json::array());
    EXPECT_TRUE(exists(outside / "theirs.ddd"));
    EXPECT_TRUE(exists(outside / "CARD/theirs.ddd"));
    EXPECT_TRUE(exists(key / "TACHO/L.DDD"));
    EXPECT_TRUE(exists(key / "TACHO/pipe.ddd"));

    // Later erases find only the skips, and still succeed.
    const ProgramRun again = run_program({"erase", "-y", "-k", key.root()});
    EXPECT_EQ(again.exit_code, 0) << again.err;
    EXPECT_EQ(again.out.rfind("deleted 0 downloads from " + key.root() + "\nskipped 3, left alone as no plain files "
                              "of the key:\n",
                              0),
              0u)
        << again.out;
    EXPECT_NE(again.out.find("\n  " + key.root() + "/TACHO/pipe.ddd (not a regular file)\n"), std::string::npos);
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
    // The links are left alone, and leaving them is no failure.
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "deleted 3 downloads from " + key.root() +
                           "\nskipped 2, left alone as no plain files of the key:\n  " + key.root() +
                           "/CARD/link.ddd (link)\n  " + key.root() + "/TACHO/ (folder link)\n");
    for (const std::string& name : kKept) {
        EXPECT_TRUE(exists(key / name)) << name;
    }
    EXPECT_TRUE(exists(key / "CARD/link.ddd"));
    EXPECT_TRUE(exists(key / "CARD/folder.ddd"));
    EXPECT_TRUE(exists(outside / "theirs.ddd"));
    EXPECT_TRUE(exists(outside / "TACHO/theirs.ddd"));
    EXPECT_FALSE(exists(key / "CARD/C_1.DDD"));
}

// Ctrl-C or SIGTERM in the middle: the run stops between two files, tells
// exactly what it deleted, and exits 130. What it did not name is there.
TEST(Program, AnInterruptedEraseTellsWhatItDid) {
    for (const int signal : {SIGINT, SIGTERM}) {
        for (const bool json : {true, false}) {
            SCOPED_TRACE(std::to_string(signal) + (json ? " json" : " text"));
            // Enough downloads that the signal comes while they go; more if it came too late.
            bool interrupted = false;
            for (std::size_t count = 4000; count <= 256000 && !interrupted; count *= 4) {
                const Key key;
                for (std::size_t i = 0; i < count; ++i) {
                    write_text(key / ("TACHO/" + std::to_string(i) + ".ddd"), "");
                }
                ProgramInput input;
                input.signal = signal;
                const std::string first = key / "TACHO/0.ddd";
                const std::string last = key / ("TACHO/" + std::to_string(count - 1) + ".ddd");
                input.signal_when = [&] { return !exists(first) || !exists(last); };
                std::vector<std::string> arguments{"erase", "-y", "-k", key.root()};
                if (json) {
                    arguments.push_back("--json");
                }
                const ProgramRun run = run_program_with(arguments, input);
                if (run.exit_code == 0) {
                    continue;
                }
                interrupted = true;
                ASSERT_EQ(run.exit_code, 130) << run.err;
                std::size_t deleted = 0;
                if (json) {
                    const Json document = json_of(run);
                    ASSERT_FALSE(document.is_discarded()) << run.out;
                    EXPECT_EQ(document["interrupted"], true);
                    for (const std::string& path : document["deleted"].get<std::vector<std::string>>()) {
                        EXPECT_FALSE(exists(path)) << path;
                        ++deleted;
                    }
                } else {
                    const std::size_t said = run.out.find("deleted ");
                    ASSERT_EQ(said, 0u) << run.out;
                    deleted = std::stoul(run.out.substr(8));
                }
                // The key's own downloads too, and two files that are none.
                std::size_t left = 0;
                for (const char* folder : {"CARD", "TACHO"}) {
                    left += static_cast<std::size_t>(std::distance(fs::directory_iterator(key / folder), {}));
                }
                EXPECT_EQ(deleted + left, count + kDownloads.size() + 2) << "every download deleted is named, and no other";
                EXPECT_GT(left, 0u);
                EXPECT_EQ(run.err, deleted == 0 ? "lanternbook erase: interrupted; nothing erased\n"
                                                : "lanternbook erase: interrupted after deleting " +
                                                      std::to_string(deleted) + " downloads; the others stay\n");
            }
            EXPECT_TRUE(interrupted) << "every run ended before the signal came";
        }
    }
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
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"show", "--key", key_root}, {"set", "--key", key_root, "--data", "activities"}}) {
        SCOPED_TRACE(arguments[0]);
        const ProgramRun run = run_program(arguments);
        EXPECT_EQ(run.exit_code, 3);
        EXPECT_NE(run.err.find("CONFIG: cannot be read"), std::string::npos) << run.err;
    }
}

}  // namespace
}  // namespace lanternbook::testing
