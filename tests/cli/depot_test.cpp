// A depot's tools as processes: several keys in one call, profiles, watch
// on keys mounted one after another, erase's archive and the journal of
// changes. Key folders stand in for keys; tmpfs mounts in a mount namespace
// of their own stand in for real ones where the tests may mount (root).
#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include <nlohmann/json.hpp>

#include "cli_process.h"

namespace lanternbook::testing {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using Json = nlohmann::ordered_json;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kSerialAt = 25;
constexpr char kProcMounts[] = "22 1 0:21 / /proc rw - proc proc rw\n";
// What `set --period last:30` writes over the seeded key's first bytes: last 30 days.
const std::string kLast30 = "313131313130321e";

Json json_of(const std::string& text) { return Json::parse(text, nullptr, false); }

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::string hex_of(const Bytes& bytes) {
    std::string text;
    char pair[3];
    for (const uint8_t byte : bytes) {
        std::snprintf(pair, sizeof pair, "%02x", byte);
        text += pair;
    }
    return text;
}

// A key folder seeded as make-key.sh seeds one, with serial number 5/`serial`
// and downloads named as given, each holding its own name.
class Key {
public:
    explicit Key(uint16_t serial = 0x1234, const std::vector<std::string>& downloads = {"CARD/C_1.DDD", "TACHO/M_1.ddd"}) {
        fs::create_directory(folder / "CARD");
        fs::create_directory(folder / "TACHO");
        Bytes config = kKeyConfig;
        config[kSerialAt + 1] = static_cast<uint8_t>(serial >> 8);
        config[kSerialAt + 2] = static_cast<uint8_t>(serial & 0xFF);
        write_bytes(folder / "CONFIG", config);
        write_text(folder / "DATE", "111111");
        for (const std::string& name : downloads) {
            write_text(folder / name, "download " + name);
        }
    }
    const std::string& root() const { return folder.path(); }
    std::string operator/(const std::string& name) const { return folder / name; }
    Bytes config() const { return read_bytes(folder / "CONFIG"); }

    TempFolder folder;
};

// The journal the runs of one test append to, and the runs themselves.
class Depot {
public:
    ProgramRun run(const std::vector<std::string>& arguments, const std::map<std::string, std::string>& more = {}) const {
        std::map<std::string, std::string> environment = more;
        environment.emplace("XDG_STATE_HOME", state.path());
        return run_program(arguments, environment);
    }
    std::string journal_path() const { return state / "lanternbook/journal.jsonl"; }
    std::vector<Json> journal() const {
        std::vector<Json> entries;
        for (const std::string& line : lines_of(exists(journal_path()) ? read_text() : std::string())) {
            entries.push_back(json_of(line));
        }
        return entries;
    }

    TempFolder state;

private:
    std::string read_text() const {
        const Bytes bytes = read_bytes(journal_path());
        return std::string(bytes.begin(), bytes.end());
    }
};

std::string sha256_of(const std::string& path) {
    const ProgramRun run = run_command({"sha256sum", path});
    return run.out.substr(0, run.out.find(' '));
}

// ---------------------------------------------------------------- several keys

// Three keys and two that fail: a folder that is no key (exit 2) and a key
// whose CONFIG cannot be read (exit 3). The others are done, each on its
// own line, and the exit code is the worst of the keys'.
TEST(SeveralKeys, EachKeyOnItsOwnAndTheWorstExit) {
    const Depot depot;
    const Key first(1);
    const Key second(2);
    const TempFolder not_a_key;
    const Key unreadable(3);
    fs::remove(unreadable / "CONFIG");
    ASSERT_EQ(::mkfifo((unreadable / "CONFIG").c_str(), 0644), 0);
    const std::vector<std::string> keys{"-k", first.root(), "-k", not_a_key.path(), "-k", unreadable.root(),
                                        "-k", second.root()};
    const auto with_keys = [&keys](std::vector<std::string> arguments) {
        arguments.insert(arguments.begin() + 1, keys.begin(), keys.end());
        return arguments;
    };

    const ProgramRun shown = depot.run(with_keys({"show"}));
    EXPECT_EQ(shown.exit_code, 3);
    const std::vector<std::string> lines = lines_of(shown.out);
    ASSERT_EQ(lines.size(), 2u) << shown.out;
    EXPECT_EQ(lines[0].rfind(first.root() + ": data activities,", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find("serial number QVX/05/0001"), std::string::npos) << lines[0];
    EXPECT_EQ(lines[1].rfind(second.root() + ": data ", 0), 0u) << lines[1];
    EXPECT_EQ(shown.err, "lanternbook show: " + not_a_key.path() +
                             ": not a key (no VOLKARIS label and no CONFIG); add --force to use it anyway\n"
                             "lanternbook show: " +
                             unreadable.root() + "/CONFIG: cannot be read: not a regular file\n");

    const ProgramRun json = depot.run(with_keys({"show", "--json"}));
    EXPECT_EQ(json.exit_code, 3);
    const Json document = json_of(json.out);
    ASSERT_EQ(document["results"].size(), 4u) << json.out;
    EXPECT_EQ(document["format"], 1);
    const std::vector<std::pair<bool, int>> expected{{true, 0}, {false, 2}, {false, 3}, {true, 0}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Json& result = document["results"][i];
        EXPECT_EQ(result["key"], keys[2 * i + 1]);
        EXPECT_EQ(result["ok"], expected[i].first) << i;
        EXPECT_EQ(result.value("exit", 0), expected[i].second) << i;
        EXPECT_EQ(result.contains("error"), !expected[i].first) << i;
    }
    EXPECT_EQ(document["results"][3]["serial_number"], "QVX/05/0002") << "each result is what show --json prints";

    // set goes on past the failures; with --fail-fast it stops at the first.
    const ProgramRun set = depot.run(with_keys({"set", "--period", "last:30"}));
    EXPECT_EQ(set.exit_code, 3) << set.err;
    EXPECT_EQ(set.out, first.root() + ": saved\n" + second.root() + ": saved\n");
    EXPECT_EQ(hex_of(second.config()).rfind(kLast30, 0), 0u);
    const Bytes second_saved = second.config();
    const ProgramRun fast = depot.run(with_keys({"set", "--period", "last:45", "--fail-fast"}));
    EXPECT_EQ(fast.exit_code, 2);
    EXPECT_EQ(fast.out, first.root() + ": saved\n");
    EXPECT_NE(fast.err.find("lanternbook set: stopped at the first failure; 2 keys not tried\n"), std::string::npos)
        << fast.err;
    EXPECT_EQ(second.config(), second_saved) << "a key after the failure is not touched";

    // erase asks once for every key, then empties each.
    const ProgramRun refused = depot.run(with_keys({"erase"}));
    EXPECT_EQ(refused.exit_code, 1);
    EXPECT_TRUE(exists(first / "CARD/C_1.DDD"));
    const ProgramRun erased = depot.run({"erase", "-k", first.root(), "-k", second.root(), "--yes", "--json"});
    EXPECT_EQ(erased.exit_code, 0) << erased.err;
    const Json erase_document = json_of(erased.out);
    ASSERT_EQ(erase_document["results"].size(), 2u) << erased.out;
    EXPECT_EQ(erase_document["results"][1]["deleted"],
              Json::array({second / "CARD/C_1.DDD", second / "TACHO/M_1.ddd"}));
    EXPECT_FALSE(exists(first / "CARD/C_1.DDD"));
    EXPECT_FALSE(exists(second / "TACHO/M_1.ddd"));
}

// ---------------------------------------------------------------- profiles

TEST(Profiles, ARefusedProfileNamesTheField) {
    const TempFolder folder;
    struct Case {
        std::string document;
        std::string error;  // empty: a profile
    };
    const Case cases[] = {
        {R"({"format": 1, "period": "last:45", "range_button": true})", ""},
        {R"({"format": 1, "data": ["activities", "technical-data"]})", ""},
        {R"({"format": 1, "dayz": 30})", R"(unknown field "dayz"; did you mean "days"?)"},
        {R"({"format": 1, "range_button": "yes"})", R"("range_button")"},
        {R"({"format": 1, "data": ["activities", "speeding"]})", R"("data": )"},
        {R"({"format": 1, "period": "last:300"})", R"("period")"},
        {R"({"format": 1, "days": 30, "days": 40})", R"("days" is given twice)"},
        {R"({"period": "everything"})", R"("format" is missing)"},
        {R"({"format": 1})", "sets nothing"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.document);
        write_text(folder / "depot.json", c.document);
        const ProgramRun run = run_program({"check-profile", folder / "depot.json"});
        const bool valid = c.error.empty();
        EXPECT_EQ(run.exit_code, valid ? 0 : 1) << run.err;
        if (valid) {
            EXPECT_EQ(run.out.rfind(folder / "depot.json: a profile; it sets ", 0), 0u) << run.out;
            continue;
        }
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.rfind("lanternbook check-profile: " + (folder / "depot.json") + ": ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find(c.error), std::string::npos) << run.err;
    }
    write_text(folder / "depot.json", R"({"format": 1, "period": "last:45", "range_button": true})");
    const Json json = json_of(run_program({"check-profile", folder / "depot.json", "--json"}).out);
    EXPECT_EQ(json["sets"], Json::array({"period", "range_button"}));
    const ProgramRun missing = run_program({"check-profile", folder / "none.json"});
    EXPECT_EQ(missing.exit_code, 3);
    EXPECT_EQ(missing.err, "lanternbook check-profile: " + (folder / "none.json") +
                               ": cannot be read: No such file or directory\n");
}

// ---------------------------------------------------------------- watch

// A mount table and udev's label links below LANTERNBOOK_SYSTEM_ROOT; the
// table either a plain file the test writes, or the real one of the
// process reading it (`live`), for mounts made in a namespace of its own.
class FakeSystem {
public:
    explicit FakeSystem(bool live = false) {
        fs::create_directories(root / "dev/disk/by-label");
        fs::create_directories(root / "dev/disk/by-uuid");
        fs::create_directories(root / "proc/self");
        if (live) {
            fs::create_symlink("/proc/self/mountinfo", root / "proc/self/mountinfo");
        } else {
            write_text(root / "proc/self/mountinfo", kProcMounts);
        }
    }
    // A device labelled VOLKARIS_NAME, with a UUID of its own.
    std::string device(const std::string& name, const std::string& uuid) {
        write_text(root / ("dev/" + name), "");
        fs::create_symlink("../../" + name, root / ("dev/disk/by-label/VOLKARIS_" + name));
        fs::create_symlink("../../" + name, root / ("dev/disk/by-uuid/" + uuid));
        return "/dev/" + name;
    }
    void set_mounts(const std::vector<std::pair<std::string, std::string>>& mounts) {
        std::string table = kProcMounts;
        int number = 30;
        for (const auto& [device, folder] : mounts) {
            table += std::to_string(number) + " 1 8:" + std::to_string(number) + " / " + folder + " rw - vfat " +
                     device + " rw\n";
            ++number;
        }
        // Whole or not at all, as the kernel's table reads: a watch reading
        // a half-written file would see keys come and go that never did.
        write_text(root / "proc/self/mountinfo.new", table);
        fs::rename(root / "proc/self/mountinfo.new", root / "proc/self/mountinfo");
    }
    std::map<std::string, std::string> environment(const Depot& depot) const {
        return {{"LANTERNBOOK_SYSTEM_ROOT", root.path()}, {"XDG_STATE_HOME", depot.state.path()}};
    }

    TempFolder root;
};

// Keys mounted one after another each get the profile once, a key that
// fails is told once while it stays, and a key taken away and attached again
// is left alone. The mount table is a file here, read again every second.
TEST(Watch, AppliesOnceToEachKeyMountedOneAfterAnother) {
    const Depot depot;
    FakeSystem system;
    const Key first(1);
    const Key second(2);
    const Key broken(3);
    fs::remove(broken / "CONFIG");
    ASSERT_EQ(::mkfifo((broken / "CONFIG").c_str(), 0644), 0);
    const std::string first_device = system.device("a", "1111-0001");
    const std::string second_device = system.device("b", "1111-0002");
    const std::string broken_device = system.device("c", "1111-0003");
    const TempFolder profiles;
    write_text(profiles / "depot.json", R"({"format": 1, "period": "last:30"})");

    std::vector<std::pair<std::string, std::string>> mounts{{first_device, first.root()}};
    system.set_mounts(mounts);
    int step = 0;
    Clock::time_point since = Clock::now();
    const auto after = [&since](int ms) { return Clock::now() - since > std::chrono::milliseconds(ms); };
    ProgramInput input;
    input.environment = system.environment(depot);
    input.signal = SIGTERM;
    input.signal_when = [&] {
        if (after(15000)) {
            return true;  // a step that never comes: the checks below tell which
        }
        const bool saved = hex_of(step == 0 ? first.config() : second.config()).rfind(kLast30, 0) == 0;
        if ((step == 0 || step == 1) && saved) {
            mounts.emplace_back(step == 0 ? second_device : broken_device, step == 0 ? second.root() : broken.root());
        } else if (step == 2 && after(2500)) {
            mounts.erase(mounts.begin());  // the first key taken away
        } else if (step == 3 && after(2500)) {
            mounts.emplace_back(first_device, first.root());  // and attached again
        } else if (step == 4 && after(2500)) {
            return true;
        } else {
            return false;
        }
        system.set_mounts(mounts);
        since = Clock::now();
        ++step;
        return false;
    };
    const ProgramRun run = run_program_with({"watch", "--apply", profiles / "depot.json"}, input);
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.out, first.root() + ": CONFIG saved\n" + second.root() + ": CONFIG saved\n" + first.root() +
                           ": seen before in this run; left alone\n");
    EXPECT_EQ(run.err, "lanternbook watch: " + broken.root() + "/CONFIG: cannot be read: not a regular file\n")
        << "a key that fails is told once while it stays attached";
    const std::vector<Json> journal = depot.journal();
    ASSERT_EQ(journal.size(), 2u);
    EXPECT_EQ(journal[1]["command"], "watch");
    EXPECT_EQ(journal[1]["key"], second.root());
    EXPECT_EQ(journal[1]["config_after"], hex_of(second.config()));
}

// Real mounts, in a mount namespace of the test's own: tmpfs keys mounted
// one after another are each set as soon as the mount table tells of them,
// and a bind mount of the first (the same key again) is left alone.
TEST(Watch, TmpfsKeysMountedOneAfterAnother) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "mounting needs root";
    }
    const Depot depot;
    FakeSystem system(true);
    const TempFolder work;
    std::string devices;
    for (const std::string name : {"k1", "k2", "k3"}) {
        devices += " " + system.device(name, "2222-00" + name.substr(1) + "0");
        fs::create_directory(work / name);
    }
    fs::create_directory(work / "again");
    write_text(work / "depot.json", R"({"format": 1, "data": ["activities"], "period": "everything"})");
    // Each key must be set within ten seconds of its mount.
    const std::string script = R"(
        set -u
        work=$1 program=$2; shift 2
        "$program" watch --apply "$work/depot.json" --json > "$work/out" 2> "$work/err" &
        watching=$!
        sleep 0.5
        wait_for() { n=0; until [ -e "$1" ] || [ $n -ge 200 ]; do sleep 0.05; n=$((n + 1)); done; }
        for name in k1 k2 k3; do
            device=$1; shift
            mount -t tmpfs -o size=1m "$device" "$work/$name" || { kill $watching; exit 99; }
            wait_for "$work/$name/CONFIG"
        done
        mount --bind "$work/k1" "$work/again"
        n=0; until grep -q again "$work/out" || [ $n -ge 200 ]; do sleep 0.05; n=$((n + 1)); done
        # A key the watch has done with can be unmounted while it waits for the next.
        sleep 0.3
        umount "$work/again" && umount "$work/k3" || echo "a key is held busy" >&2
        kill -TERM $watching; wait $watching; echo "watch $?"
        cat "$work/out" "$work/err" >&2
        od -An -tx1 -N8 "$work/k2/CONFIG"
    )";
    std::vector<std::string> command{"unshare", "--mount", "--propagation", "private", "sh", "-c", script, "sh",
                                     work.path(), LANTERNBOOK_CLI_PROGRAM};
    std::istringstream device_words(devices);
    for (std::string device; device_words >> device;) {
        command.push_back(device);
    }
    ProgramInput input;
    input.environment = system.environment(depot);
    const ProgramRun run = run_command(command, input);
    if (run.exit_code == 99 || run.exit_code == 127 || run.err.rfind("unshare:", 0) == 0) {
        GTEST_SKIP() << "no tmpfs mounts here: " << run.err;
    }
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.out.rfind("watch 0\n", 0), 0u) << run.out << run.err;
    EXPECT_EQ(run.err.find("held busy"), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("31 31 30 30 30 30 34"), std::string::npos) << "activities only, everything: " << run.out;
    const std::vector<std::string> lines = lines_of(run.err);
    ASSERT_EQ(lines.size(), 4u) << run.err;
    for (std::size_t i = 0; i < 3; ++i) {
        const Json line = json_of(lines[i]);
        EXPECT_EQ(line["key"], work / ("k" + std::to_string(i + 1))) << lines[i];
        EXPECT_EQ(line["ok"], true) << lines[i];
        EXPECT_EQ(line["config"], "saved") << lines[i];
    }
    const Json again = json_of(lines[3]);
    EXPECT_EQ(again["key"], work / "again");
    EXPECT_EQ(again["seen_before"], true);
}

// ---------------------------------------------------------------- archive

// Same-named copies are never written over, the same bytes are not copied
// twice, times are kept, and the dry run tells where each would go.
TEST(Archive, CopiesBesideAndNeverTwice) {
    const Depot depot;
    const Key key(0x1234, {"CARD/C_1.DDD", "CARD/C_2.DDD", "TACHO/M_1.ddd"});
    const TempFolder archive;
    const std::string card = archive / "QVX-05-4660/CARD";
    fs::create_directories(card);
    write_text(card + "/C_1.DDD", "another key's download");
    write_text(card + "/C_2.DDD", "download CARD/C_2.DDD");
    const timeval old_times[2] = {{1600000000, 0}, {1600000000, 250000}};
    ASSERT_EQ(::utimes((key / "TACHO/M_1.ddd").c_str(), old_times), 0);

    const ProgramRun dry = depot.run({"erase", "-k", key.root(), "--archive", archive.path(), "--dry-run"});
    EXPECT_EQ(dry.exit_code, 0) << dry.err;
    std::vector<std::string> listed = lines_of(dry.out);
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::string>{
                          "delete " + (key / "CARD/C_1.DDD") + " -> " + card + "/C_1~1.DDD",
                          "delete " + (key / "CARD/C_2.DDD") + " (already archived as " + card + "/C_2.DDD)",
                          "delete " + (key / "TACHO/M_1.ddd") + " -> " + (archive / "QVX-05-4660/TACHO/M_1.ddd")}));
    EXPECT_FALSE(exists(archive / "QVX-05-4660/TACHO")) << "a dry run makes nothing";

    const ProgramRun run = depot.run({"erase", "-k", key.root(), "--archive", archive.path(), "--yes", "--json"});
    EXPECT_EQ(run.exit_code, 0) << run.err;
    const Json document = json_of(run.out);
    EXPECT_EQ(document["archive"], archive.path());
    ASSERT_EQ(document["archived"].size(), 3u) << run.out;
    const Json there{{"path", key / "CARD/C_2.DDD"}, {"to", card + "/C_2.DDD"}, {"already_there", true}};
    EXPECT_NE(std::find(document["archived"].begin(), document["archived"].end(), there), document["archived"].end())
        << run.out;
    const Bytes theirs = read_bytes(card + "/C_1.DDD");
    EXPECT_EQ(std::string(theirs.begin(), theirs.end()), "another key's download");
    const Bytes ours = read_bytes(card + "/C_1~1.DDD");
    EXPECT_EQ(std::string(ours.begin(), ours.end()), "download CARD/C_1.DDD");
    EXPECT_FALSE(exists(card + "/C_2~1.DDD")) << "the same bytes are not copied twice";
    struct stat copied {};
    ASSERT_EQ(::stat((archive / "QVX-05-4660/TACHO/M_1.ddd").c_str(), &copied), 0);
    EXPECT_EQ(copied.st_mtim.tv_sec, 1600000000);
    EXPECT_EQ(copied.st_mtim.tv_nsec, 250000000);
    for (const char* name : {"CARD/C_1.DDD", "CARD/C_2.DDD", "TACHO/M_1.ddd"}) {
        EXPECT_FALSE(exists(key / name)) << name;
    }

    // An archive in the key, or none at all, is refused before anything goes.
    const Key other(0x0042);
    fs::create_directory(other / "old");
    const ProgramRun inside = depot.run({"erase", "-k", other.root(), "--archive", other / "old", "--yes"});
    EXPECT_EQ(inside.exit_code, 1);
    EXPECT_EQ(inside.err, "lanternbook erase: --archive " + (other / "old") + ": on the key " + other.root() +
                              "; an archive is kept off the key\n");
    const ProgramRun missing = depot.run({"erase", "-k", other.root(), "--archive", other / "none", "--yes"});
    EXPECT_EQ(missing.exit_code, 1);
    EXPECT_EQ(missing.err, "lanternbook erase: --archive " + (other / "none") + ": no such folder\n");
    EXPECT_TRUE(exists(other / "CARD/C_1.DDD"));
}

// An archive on a tmpfs of a few hundred KiB fills up mid-way: what was
// copied whole is deleted, the rest stays on the key, each named with the
// reason, and no partial copy is left in the archive.
TEST(Archive, AFullArchiveLeavesTheRestOnTheKey) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "mounting needs root";
    }
    const Depot depot;
    std::vector<std::string> names;
    for (int i = 0; i < 8; ++i) {
        names.push_back("TACHO/M_" + std::to_string(i) + ".ddd");
    }
    const Key key(0x0777, names);
    for (const std::string& name : names) {
        write_text(key / name, std::string(96 * 1024, static_cast<char>('a' + name[8] - '0')));
    }
    const TempFolder archive;
    const std::string script = R"(
        mount -t tmpfs -o size=400k lanternbook-archive "$1" || exit 99
        "$2" erase -k "$3" --archive "$1" --yes --json; code=$?
        echo "exit $code" >&2
        find "$1" -type f | sort >&2
        for file in $(find "$1" -type f | sort); do sha256sum "$file" >&2; done
    )";
    ProgramInput input;
    input.environment = {{"XDG_STATE_HOME", depot.state.path()}};
    const ProgramRun run =
        run_command({"unshare", "--mount", "--propagation", "private", "sh", "-c", script, "sh", archive.path(),
                     LANTERNBOOK_CLI_PROGRAM, key.root()},
                    input);
    if (run.exit_code == 99 || run.exit_code == 127 || run.err.rfind("unshare:", 0) == 0) {
        GTEST_SKIP() << "no tmpfs mounts here: " << run.err;
    }
    EXPECT_NE(run.err.find("exit 3\n"), std::string::npos) << run.err;
    const Json document = json_of(run.out);
    ASSERT_FALSE(document.is_discarded()) << run.out;
    const std::size_t deleted = document["deleted"].size();
    const std::size_t left = document["not_deleted"].size();
    EXPECT_GT(deleted, 0u);
    EXPECT_GT(left, 0u);
    EXPECT_EQ(deleted + left, names.size());
    for (const Json& stayed : document["not_deleted"]) {
        EXPECT_TRUE(exists(stayed["path"].get<std::string>())) << stayed;
        EXPECT_EQ(stayed["reason"], "not archived: No space left on device") << stayed;
    }
    for (const Json& gone : document["deleted"]) {
        EXPECT_FALSE(exists(gone.get<std::string>())) << gone;
    }
    EXPECT_EQ(run.err.find(".copying"), std::string::npos) << "no copy cut short stays: " << run.err;
    // Each copy in the archive is whole, as the journal's digest of its download says.
    const std::vector<Json> journal = depot.journal();
    ASSERT_EQ(journal.size(), 1u);
    ASSERT_EQ(journal[0]["erased"].size(), deleted);
    for (const Json& erased : journal[0]["erased"]) {
        EXPECT_NE(run.err.find(erased["sha256"].get<std::string>() + "  " + erased["archived"].get<std::string>()),
                  std::string::npos)
            << erased;
        EXPECT_EQ(erased["bytes"], 96 * 1024);
    }
}

// ---------------------------------------------------------------- journal

// One line per change, with CONFIG's bytes before and after and every
// download's SHA-256; nothing for a dry run, an unchanged CONFIG or
// --no-journal; and a journal that cannot be written stops a command before
// it changes the key.
// A moment as the journal writes it: UTC, to the millisecond.
std::string utc_text(std::chrono::system_clock::time_point moment) {
    const auto since = moment.time_since_epoch();
    const std::time_t seconds = std::chrono::duration_cast<std::chrono::seconds>(since).count();
    const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(since).count() % 1000;
    std::tm parts{};
    ::gmtime_r(&seconds, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &parts);
    char millis[8];
    std::snprintf(millis, sizeof millis, ".%03dZ", static_cast<int>(milliseconds));
    return std::string(text) + millis;
}

TEST(Journal, ALinePerChangeWithTheRightHashes) {
    const Depot depot;
    const Key key(0x0105);
    const Bytes before = key.config();
    const std::string download = key / "CARD/C_1.DDD";
    const std::string digest = sha256_of(download);
    ASSERT_EQ(digest.size(), 64u);

    EXPECT_EQ(depot.run({"set", "-k", key.root(), "--period", "last:30", "--dry-run"}).exit_code, 0);
    const std::string before_set = utc_text(std::chrono::system_clock::now());
    EXPECT_EQ(depot.run({"set", "-k", key.root(), "--period", "last:30"}).exit_code, 0);
    const std::string after_set = utc_text(std::chrono::system_clock::now());
    EXPECT_EQ(depot.run({"set", "-k", key.root(), "--period", "last:30"}).out, "unchanged " + key.root() + "/CONFIG\n");
    EXPECT_EQ(depot.run({"erase", "-k", key.root(), "--dry-run"}).exit_code, 0);
    EXPECT_EQ(depot.run({"erase", "-k", key.root(), "--yes"}).exit_code, 0);
    EXPECT_EQ(depot.run({"set", "-k", key.root(), "--period", "last:40", "--no-journal"}).exit_code, 0);

    const std::vector<Json> journal = depot.journal();
    ASSERT_EQ(journal.size(), 2u);
    const Json& set = journal[0];
    EXPECT_EQ(set["format"], 1);
    EXPECT_EQ(set["command"], "set");
    EXPECT_EQ(set["key"], key.root());
    EXPECT_EQ(set["serial_number"], "QVX/05/0261");
    EXPECT_EQ(set["config_before"], hex_of(before));
    EXPECT_EQ(set["config_after"].get<std::string>().rfind(kLast30, 0), 0u);
    const passwd* user = ::getpwuid(::geteuid());
    ASSERT_NE(user, nullptr);
    EXPECT_EQ(set["user"], user->pw_name);
    EXPECT_TRUE(std::regex_match(set["time"].get<std::string>(),
                                 std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z)")))
        << set["time"];
    // The same layout sorts as time does: the change was made while the command ran.
    EXPECT_LE(before_set, set["time"].get<std::string>());
    EXPECT_LE(set["time"].get<std::string>(), after_set);
    const Json& erase = journal[1];
    EXPECT_EQ(erase["command"], "erase");
    EXPECT_EQ(erase["config_before"], erase["config_after"]);
    ASSERT_EQ(erase["erased"].size(), 2u);
    EXPECT_EQ(erase["erased"][0], Json({{"path", download},
                                        {"bytes", std::string("download CARD/C_1.DDD").size()},
                                        {"sha256", digest},
                                        {"archived", nullptr}}));

    // The journal command prints them, filtered by key and by date.
    const ProgramRun listed = depot.run({"journal"});
    EXPECT_EQ(listed.exit_code, 0);
    const std::vector<std::string> lines = lines_of(listed.out);
    ASSERT_EQ(lines.size(), 2u) << listed.out;
    EXPECT_NE(lines[0].find(" set " + key.root() + " (QVX/05/0261) by "), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find(": CONFIG kept; 2 downloads erased"), std::string::npos) << lines[1];
    EXPECT_EQ(json_of(depot.run({"journal", "--key", "QVX/05/0261", "--json"}).out)["entries"].size(), 2u);
    EXPECT_EQ(json_of(depot.run({"journal", "--key", "QVX/05/9999", "--json"}).out)["entries"].size(), 0u);
    EXPECT_EQ(json_of(depot.run({"journal", "--since", "2999-01-01", "--json"}).out)["entries"].size(), 0u);
    EXPECT_EQ(json_of(depot.run({"journal", "-k", key.root(), "--since", "2000-01-01", "--json"}).out)["entries"].size(),
              2u);

    // A torn line is passed over and told.
    {
        std::ofstream append(depot.journal_path(), std::ios::app);
        append << "{\"format\":1,\"ti";
    }
    const ProgramRun torn = depot.run({"journal"});
    EXPECT_EQ(torn.exit_code, 0);
    EXPECT_EQ(lines_of(torn.out).size(), 2u);
    EXPECT_EQ(torn.err, "lanternbook journal: " + depot.journal_path() + ": line 3 is no entry; passed over\n");

    // No journal to write: nothing changes.
    const Key untouched(0x0106);
    const Bytes kept = untouched.config();
    const TempFolder blocked;
    write_text(blocked / "lanternbook", "a file where the journal's folder goes");
    const std::map<std::string, std::string> nowhere{{"XDG_STATE_HOME", blocked.path()}};
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"set", "-k", untouched.root(), "--period", "last:30"}, {"erase", "-k", untouched.root(), "--yes"}}) {
        SCOPED_TRACE(arguments[0]);
        const ProgramRun run = run_program(arguments, nowhere);
        EXPECT_EQ(run.exit_code, 3);
        EXPECT_EQ(run.err, "lanternbook " + arguments[0] + ": " + (blocked / "lanternbook/journal.jsonl") +
                               ": the journal cannot be written: Not a directory; nothing changed (--no-journal goes "
                               "without it)\n");
    }
    EXPECT_EQ(untouched.config(), kept);
    EXPECT_TRUE(exists(untouched / "CARD/C_1.DDD"));
}

}  // namespace
}  // namespace lanternbook::testing
