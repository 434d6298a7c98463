// The program finding keys on a system: a mount table and udev's label links
// faked below LANTERNBOOK_SYSTEM_ROOT, devices that only their own file
// system labels, and a file system image really mounted.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include <nlohmann/json.hpp>

#include "cli_process.h"

namespace lanternbook::testing {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

constexpr char kProcMounts[] = "22 1 0:21 / /proc rw - proc proc rw\n";
constexpr std::uintmax_t kImageBytes = std::uintmax_t{8} << 20;

Json json_of(const ProgramRun& run) { return Json::parse(run.out, nullptr, false); }

// A folder standing for the system's root: udev's links, device files and
// the mount table, which lists mounts of real folders elsewhere.
class FakeSystem {
public:
    FakeSystem() {
        fs::create_directories(root / "dev/disk/by-label");
        fs::create_directories(root / "proc/self");
        write_table();
    }
    // A device whose label only udev knows, mounted at `folder`.
    void mount_labelled(const std::string& device, const std::string& link_name, const std::string& folder) {
        write_text(root / ("dev/" + device), "");
        fs::create_symlink("../../" + device, root / ("dev/disk/by-label/" + link_name));
        add_mount(device, folder);
    }
    void add_mount(const std::string& device, const std::string& folder) {
        table += std::to_string(30 + mounts) + " 1 8:" + std::to_string(mounts) + " / " + folder +
                 " rw - vfat /dev/" + device + " rw\n";
        ++mounts;
        write_table();
    }
    std::map<std::string, std::string> environment() const { return {{"LANTERNBOOK_SYSTEM_ROOT", root.path()}}; }
    std::string searched() const {
        return "searched " + (root / "proc/self/mountinfo") + ", " + (root / "dev/disk/by-label") +
               " and the block devices' labels";
    }

    TempFolder root;

private:
    void write_table() { write_text(root / "proc/self/mountinfo", table); }

    std::string table = kProcMounts;
    int mounts = 0;
};

// A folder such as a key holds; its CONFIG is left out when `with_config` is false.
void seed_key(const TempFolder& key, bool with_config = true) {
    fs::create_directories(key / "CARD");
    write_text(key / "CARD/a.ddd", "download");
    if (with_config) {
        write_text(key / "CONFIG", "1111104");
    }
}

// An empty file system image labelled `label`, or false when no maker is installed.
bool make_image(const std::string& path, const std::vector<std::string>& maker) {
    write_text(path, "");
    fs::resize_file(path, kImageBytes);
    std::vector<std::string> command = maker;
    command.push_back(path);
    return run_command(command).exit_code == 0;
}

const std::vector<std::string> kFatMaker{"mkfs.vfat", "-n", "VOLKARIS"};

TEST(KeyFinding, NoneOneAndTwoKeysInTheMountTable) {
    FakeSystem system;
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"find"}, {"show"}, {"show", "--all"}, {"set", "--period", "last:30"}, {"erase"}}) {
        const std::string& command = arguments[0];
        const ProgramRun run = run_program(arguments, system.environment());
        EXPECT_EQ(run.exit_code, 2) << command;
        EXPECT_EQ(run.err, "lanternbook " + command + ": no key attached (" + system.searched() + ")\n");
    }
    // In JSON an empty list is an answer, and a success: a pipeline under
    // `set -o pipefail` goes on.
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"find", "--json"}, {"show", "--all", "--json"}, {"set", "--all", "--period", "last:30", "--json"},
             {"erase", "--all", "--yes", "--json"}}) {
        const ProgramRun none = run_program(arguments, system.environment());
        EXPECT_EQ(none.exit_code, 0) << arguments[0];
        EXPECT_EQ(none.err, "");
        EXPECT_EQ(json_of(none), Json::parse(arguments[0] == "find" ? R"({"format": 1, "keys": []})"
                                                                    : R"({"format": 1, "results": []})"))
            << arguments[0];
    }

    TempFolder first;
    seed_key(first);
    system.mount_labelled("sdb", "VOLKARIS\\x20A", first.path());
    ProgramRun found = run_program({"find", "--json"}, system.environment());
    EXPECT_EQ(found.exit_code, 0);
    EXPECT_EQ(json_of(found),
              Json::parse(R"({"format": 1, "keys": [{"root": ")" + first.path() + R"(", "label": "VOLKARIS A"}]})"));
    EXPECT_EQ(json_of(run_program({"show", "--json"}, system.environment()))["key"], first.path());

    TempFolder second;
    seed_key(second);
    system.mount_labelled("sdc", "volkaris", second.path());
    found = run_program({"find"}, system.environment());
    EXPECT_EQ(found.out, first.path() + "\n" + second.path() + "\n");
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"show"}, {"set", "--period", "last:30"}, {"erase"}}) {
        const std::string& command = arguments[0];
        const ProgramRun run = run_program(arguments, system.environment());
        EXPECT_EQ(run.exit_code, 1);
        EXPECT_EQ(run.err, "lanternbook " + command + ": 2 keys attached; name one with --key:\n  " + first.path() +
                               "\n  " + second.path() + "\n");
    }
    EXPECT_TRUE(exists(first / "CARD/a.ddd"));

    const Json all = json_of(run_program({"show", "--all", "--json"}, system.environment()));
    EXPECT_EQ(all["format"], 1);
    ASSERT_EQ(all["results"].size(), 2u);
    EXPECT_EQ(all["results"][0]["key"], first.path());
    EXPECT_EQ(all["results"][1]["key"], second.path());
    EXPECT_EQ(all["results"][1]["ok"], true);
    EXPECT_EQ(all["results"][1]["config_bytes"], 7) << "each result holds what show --json prints for that key";
    const ProgramRun text = run_program({"show", "--all"}, system.environment());
    EXPECT_EQ(text.out.find(first.path() + ": data activities,events-and-faults,detailed-speed,technical-data;"), 0u)
        << text.out;
    EXPECT_NE(text.out.find("\n" + second.path() + ": data "), std::string::npos) << text.out;
}

// The root of a labelled volume is a key without any CONFIG yet; a folder
// below it is not, unless it holds one.
TEST(KeyFinding, ALabelledRootIsAKeyWithoutConfig) {
    FakeSystem system;
    TempFolder key;
    seed_key(key, false);
    system.mount_labelled("sdb", "VOLKARIS", key.path());
    fs::create_directory(key / "sub");
    fs::create_directory_symlink(key.path(), key / "sub/back");

    const ProgramRun below = run_program({"set", "--key", key / "CARD", "--period", "last:30"}, system.environment());
    EXPECT_EQ(below.exit_code, 2);
    EXPECT_NE(below.err.find("not a key"), std::string::npos);

    // Reached through a link, the root is still the root.
    const ProgramRun set = run_program({"set", "--key", key / "sub/back", "--period", "last:30"}, system.environment());
    EXPECT_EQ(set.exit_code, 0) << set.err;
    EXPECT_EQ(read_bytes(key / "CONFIG").size(), 32u);
}

// Choosing the key and each look at it afterwards share one reading of the
// mount table.
TEST(KeyFinding, EachCommandReadsTheMountTableOnce) {
    FakeSystem system;
    TempFolder key;
    seed_key(key);
    system.mount_labelled("sdb", "VOLKARIS", key.path());
    // Another volume's folder, a key only by its CONFIG: found by no search.
    TempFolder other;
    seed_key(other);
    system.add_mount("sdc", other.path());
    ReadCount reads(system.root / "proc/self/mountinfo");
    ASSERT_EQ(reads.taken(), 0) << "reads of the table cannot be watched here";
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"find"},
             {"show"},
             {"show", "--all"},
             {"show", "--key", key.path(), "--key", other.path()},
             {"set", "--period", "last:30"},
             {"set", "--key", other.path(), "--period", "last:30"},
             {"erase", "--dry-run"},
             {"erase", "--yes", "--key", key.path()},
             {"erase", "--yes", "--key", key.path(), "--key", other.path()},
             {"erase", "--all", "--yes"}}) {
        SCOPED_TRACE(::testing::PrintToString(arguments));
        const ProgramRun run = run_program(arguments, system.environment());
        EXPECT_EQ(run.exit_code, 0) << run.err;
        EXPECT_EQ(reads.taken(), 1);
    }
}

// No udev: the label comes from the device itself, a FAT image file standing
// for it. Where udev has a link for a device, that is what counts.
TEST(KeyFinding, LabelsReadFromTheDevicesWhenUdevSaysNothing) {
    FakeSystem system;
    TempFolder data;
    system.mount_labelled("sdc", "DATA", data.path());
    if (!make_image(system.root / "dev/sdd", kFatMaker) || !make_image(system.root / "dev/sdc", kFatMaker)) {
        GTEST_SKIP() << "mkfs.vfat is missing: scripts/deps.sh installs dosfstools";
    }
    TempFolder key;
    seed_key(key);
    system.add_mount("sdd", key.path());

    // udev's folder there, without this device; then no udev folder at all.
    for (const bool udev_folder : {true, false}) {
        SCOPED_TRACE(udev_folder);
        if (!udev_folder) {
            fs::remove_all(system.root / "dev/disk");
        }
        const ProgramRun found = run_program({"find"}, system.environment());
        EXPECT_EQ(found.exit_code, 0) << found.err;
        EXPECT_EQ(found.out, udev_folder ? key.path() + "\n" : data.path() + "\n" + key.path() + "\n");
    }
}

// A device whose label cannot be read may be the key: with none found, that
// is said, as an I/O failure, not taken for no key at all.
TEST(KeyFinding, ALabelThatCannotBeReadIsSaidSo) {
    FakeSystem system;
    if (!make_image(system.root / "dev/sdd", kFatMaker)) {
        GTEST_SKIP() << "mkfs.vfat is missing: scripts/deps.sh installs dosfstools";
    }
    TempFolder key;
    seed_key(key);
    system.add_mount("sdd", key.path());
    ::chmod((system.root / "dev/sdd").c_str(), 0);
    // Root reads the device whatever its mode: the program runs as nobody then.
    std::vector<std::string> as_user;
    if (::geteuid() == 0) {
        as_user = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
        fs::permissions(system.root.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                                fs::perms::others_read | fs::perms::others_exec);
    }
    ProgramInput input;
    input.environment = system.environment();
    const std::string error = ": cannot read the labels (" + fs::canonical(system.root / "dev/sdd").string() +
                              ": Permission denied); a key there is not found\n";
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"find"}, {"find", "--json"}, {"show"}, {"show", "--all", "--json"}, {"set", "--period", "last:30"}}) {
        SCOPED_TRACE(arguments[0]);
        std::vector<std::string> command = as_user;
        command.push_back(LANTERNBOOK_CLI_PROGRAM);
        command.insert(command.end(), arguments.begin(), arguments.end());
        const ProgramRun run = run_command(command, input);
        if (run.exit_code == 127) {
            GTEST_SKIP() << "setpriv is missing: util-linux has it";
        }
        EXPECT_EQ(run.exit_code, 3);
        EXPECT_EQ(run.err, "lanternbook " + arguments[0] + error);
        EXPECT_EQ(run.out, "");
    }
    ::chmod((system.root / "dev/sdd").c_str(), 0644);
    const ProgramRun found = run_program({"find"}, system.environment());
    EXPECT_EQ(found.exit_code, 0) << found.err;
    EXPECT_EQ(found.out, key.path() + "\n");
}

// A FAT image loop-mounted in a mount namespace of its own, so that no other
// process sees it and it goes when the run ends. Kernels without FAT get an
// ext2 image instead: the label still comes from the device through libblkid.
TEST(KeyFinding, AMountedImageIsFound) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "mounting an image needs root";
    }
    // The volume's serial number comes from its file system's own id (FAT's, or the first half of ext2's UUID).
    std::vector<std::string> fat = kFatMaker;
    fat.insert(fat.end(), {"-i", "1A2B3C4D"});
    const std::vector<std::vector<std::string>> makers{
        fat, {"mke2fs", "-q", "-F", "-L", "VOLKARIS", "-U", "1a2b3c4d-5e6f-4a1b-8c2d-3e4f5a6b7c8d"}};
    const std::string script =
        "mount -o loop \"$1\" \"$2\" || exit 99; export XDG_STATE_HOME=\"$4\"; \"$3\" find --json && "
        "\"$3\" set --key \"$2\" --period last:30 && od -An -tx1 -N8 \"$2/CONFIG\" && "
        "grep -o '\"volume_serial\": *\"[^\"]*\"' \"$4/lanternbook/journal.jsonl\"";
    std::string skipped;
    for (const std::vector<std::string>& maker : makers) {
        TempFolder work;
        fs::create_directory(work / "mnt");
        if (!make_image(work / "key.img", maker)) {
            skipped += maker[0] + " is missing; ";
            continue;
        }
        const ProgramRun run = run_command({"unshare", "--mount", "--propagation", "private", "sh", "-c", script, "sh",
                                            work / "key.img", work / "mnt", LANTERNBOOK_CLI_PROGRAM, work / "state"});
        // No mount, no unshare, or no right to use it.
        if (run.exit_code == 99 || run.exit_code == 127 || run.err.rfind("unshare:", 0) == 0) {
            skipped += maker[0] + " image not mounted: " + run.err + "; ";
            continue;
        }
        ASSERT_EQ(run.exit_code, 0) << run.err;
        const std::string document = run.out.substr(0, run.out.rfind('}') + 1);
        const Json found = Json::parse(document, nullptr, false);
        ASSERT_FALSE(found.is_discarded()) << run.out;
        const Json ours = {{"root", fs::canonical(work / "mnt").string()}, {"label", "VOLKARIS"}};
        EXPECT_NE(std::find(found["keys"].begin(), found["keys"].end(), ours), found["keys"].end()) << run.out;
        // A fresh volume has no CONFIG: its label alone makes it a key that set writes.
        EXPECT_NE(run.out.find("saved " + fs::canonical(work / "mnt").string() + "/CONFIG"), std::string::npos);
        EXPECT_NE(run.out.find("31 31 31 31 31 30 32 1e"), std::string::npos) << run.out;
        EXPECT_NE(run.out.find("\"1A2B-3C4D\""), std::string::npos) << run.out;
        return;
    }
    GTEST_SKIP() << skipped;
}

}  // namespace
}  // namespace lanternbook::testing
