// `lanternbook recover` as a process: the backups a format cut short left
// behind, listed and put back onto a key folder.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include <nlohmann/json.hpp>

#include "cli_process.h"
#include "maintenance/backup_record.h"

namespace lanternbook::testing {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using Json = nlohmann::ordered_json;

constexpr std::size_t kIdentityOffset = 25;
const std::vector<std::pair<std::string, std::string>> kProgramFiles{
    {"autorun.inf", "[autorun]\r\n"}, {"lanternbook.dll", "the configurator"}, {"ostrevan.exe", "the key's program"}};

// A backup folder as a format leaves it when its host dies: the key's files and the record.
class Backup {
public:
    Backup(const std::string& in, const std::string& name, uint32_t serial) : folder(in + "/" + name) {
        fs::create_directory(folder);
        BackupRecord record;
        record.serial_before = serial;
        record.label = L"VOLKARIS";
        record.volume_bytes = uint64_t{487} * 1024 * 1024;
        record.identity.assign(kKeyConfig.begin() + kIdentityOffset, kKeyConfig.begin() + kIdentityOffset + 7);
        record.made = SystemTime{2026, 12, 0, 7, 14, 2, 3, 0};
        for (std::size_t i = 0; i < kProgramFiles.size(); ++i) {
            const std::string& content = kProgramFiles[i].second;
            write_text(folder + "/" + kProgramFiles[i].first, content);
            record.held[i] = true;
            record.sizes[i] = content.size();
            record.hashes[i] =
                hash_bytes(kHashStart, reinterpret_cast<const uint8_t*>(content.data()), content.size());
        }
        write_bytes(folder + "/CONFIG", kKeyConfig);
        record.held[3] = true;
        record.sizes[3] = kKeyConfig.size();
        record.hashes[3] = hash_bytes(kHashStart, kKeyConfig.data(), kKeyConfig.size());
        write_bytes(folder + "/BACKUP.REC", encode_record(record));
    }
    std::string folder;
};

void expect_whole_key(const std::string& root) {
    for (const auto& [name, content] : kProgramFiles) {
        EXPECT_EQ(read_bytes(root + "/" + name), Bytes(content.begin(), content.end())) << name;
    }
    EXPECT_EQ(read_bytes(root + "/CONFIG"), kKeyConfig);
}

bool is_empty(const std::string& folder) { return fs::is_empty(folder); }

TEST(Recover, ListsEachBackupWithItsKeyAndFiles) {
    TempFolder in;
    const ProgramRun none = run_program({"recover", "--in", in.path()});
    EXPECT_EQ(none.exit_code, 0);
    EXPECT_EQ(none.out, "no format cut short: no backup folder in " + in.path() + "\n");

    const Backup backup(in.path(), "volkaris0F20C5BA", 0x0F20C5BA);
    fs::create_directory(in / "volkarisFFFFFFFF");  // no record: none of ours
    const ProgramRun text = run_program({"recover", "--in", in.path()});
    EXPECT_EQ(text.exit_code, 0) << text.err;
    EXPECT_EQ(text.out, backup.folder +
                            "\n  key QVX/05/4660, label VOLKARIS, volume 0F20-C5BA, 487 MiB; format begun 2026-12-07 "
                            "14:02 UTC\n  files: autorun.inf (11 bytes) lanternbook.dll (16 bytes) ostrevan.exe "
                            "(17 bytes) CONFIG (32 bytes)\n");

    // Without --in: the user's own backup place under the state folder.
    TempFolder state;
    fs::create_directories(state / "lanternbook/backups");
    const Backup kept(state / "lanternbook/backups", "volkaris0F20C5BA", 0x0F20C5BA);
    const ProgramRun json = run_program({"recover", "--json"}, {{"XDG_STATE_HOME", state.path()}});
    EXPECT_EQ(json.exit_code, 0) << json.err;
    const Json listed = Json::parse(json.out);
    EXPECT_EQ(listed["format"], 1);
    ASSERT_EQ(listed["unfinished"].size(), 1u);
    const Json& first = listed["unfinished"][0];
    EXPECT_EQ(first["folder"], kept.folder);
    EXPECT_EQ(first["serial_number"], "QVX/05/4660");
    EXPECT_EQ(first["made"], "2026-12-07T14:02:03Z");
    EXPECT_EQ(first["files"][3], Json({{"name", "CONFIG"}, {"bytes", 32}}));

    const ProgramRun missing = run_program({"recover", "--in", in / "gone"});
    EXPECT_EQ(missing.exit_code, 2);
    EXPECT_EQ(missing.err.rfind("lanternbook recover: " + in / "gone" + ": no such folder", 0), 0u) << missing.err;
}

// recover keeps the program's conventions: an empty JSON list is a success,
// a file is "not a folder", -k, -y and -q, and LANTERNBOOK_KEY never turns a
// listing into a put-back.
TEST(Recover, KeepsTheProgramsConventions) {
    TempFolder in;
    const ProgramRun none = run_program({"recover", "--json", "--in", in.path()});
    EXPECT_EQ(none.exit_code, 0) << none.err;
    EXPECT_EQ(Json::parse(none.out), Json::parse(R"({"format": 1, "unfinished": []})"));

    write_text(in / "file", "");
    TempFolder key;
    const Backup backup(in.path(), "volkaris0F20C5BA", 0x0F20C5BA);
    const ProgramRun in_file = run_program({"recover", "--in", in / "file"});
    EXPECT_EQ(in_file.exit_code, 2);
    EXPECT_EQ(in_file.err, "lanternbook recover: " + (in / "file") + ": not a folder\n");
    const ProgramRun key_file = run_program({"recover", "--in", in.path(), "-k", in / "file", "-y"});
    EXPECT_EQ(key_file.exit_code, 2);
    EXPECT_EQ(key_file.err, "lanternbook recover: " + (in / "file") + ": not a folder\n");

    const ProgramRun listed = run_program({"recover", "--in", in.path()}, {{"LANTERNBOOK_KEY", key.path()}});
    EXPECT_EQ(listed.exit_code, 0) << listed.err;
    EXPECT_EQ(listed.out.rfind(backup.folder + "\n", 0), 0u) << listed.out;
    EXPECT_TRUE(is_empty(key.path()));

    const ProgramRun quiet = run_program({"-q", "recover", "--in", in.path(), "-k", key.path(), "-y"});
    EXPECT_EQ(quiet.exit_code, 0) << quiet.err;
    EXPECT_EQ(quiet.out, "");
    expect_whole_key(key.path());
}

TEST(Recover, PutsTheFilesBackOntoAnEmptyFolderOnlyWithAYes) {
    TempFolder in;
    TempFolder key;
    const Backup backup(in.path(), "volkaris0F20C5BA", 0x0F20C5BA);
    const std::vector<std::string> put_back{"recover", "--in", in.path(), "--key", key.path()};

    const ProgramRun unasked = run_program(put_back);
    EXPECT_EQ(unasked.exit_code, 1);
    EXPECT_EQ(unasked.err, "lanternbook recover: nothing put back; without a terminal to ask on, add --yes\n");
    const ProgramRun declined = run_program_on_terminal(put_back, "n\n");
    EXPECT_EQ(declined.exit_code, 1);
    EXPECT_NE(declined.out.find("Put the program files and CONFIG of key QVX/05/4660 back onto " + key.path() + "? [y/N]"),
              std::string::npos)
        << declined.out;
    EXPECT_TRUE(is_empty(key.path()));
    EXPECT_TRUE(exists(backup.folder + "/BACKUP.REC"));

    std::vector<std::string> yes = put_back;
    yes.push_back("--yes");
    const TempFolder state;
    const ProgramRun run = run_program(yes, {{"XDG_STATE_HOME", state.path()}});
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.out, "put back 4 files onto " + key.path() + "; removed " + backup.folder + "\n");
    expect_whole_key(key.path());
    EXPECT_TRUE(exists(key / "DATE")) << "a fresh DATE for the key to fill";
    EXPECT_FALSE(exists(backup.folder));

    // The put-back is a change of the key's: one line in the journal, CONFIG from none to the key's own.
    const Bytes journal = read_bytes(state / "lanternbook/journal.jsonl");
    const Json line = Json::parse(std::string(journal.begin(), journal.end()), nullptr, false);
    ASSERT_FALSE(line.is_discarded()) << std::string(journal.begin(), journal.end());
    EXPECT_EQ(line["command"], "recover");
    EXPECT_EQ(line["key"], key.path());
    EXPECT_EQ(line["serial_number"], "QVX/05/4660");
    EXPECT_EQ(line["config_before"], nullptr);
    std::string hex;
    for (const uint8_t byte : kKeyConfig) {
        hex += "0123456789abcdef"[byte >> 4];
        hex += "0123456789abcdef"[byte & 0xF];
    }
    EXPECT_EQ(line["config_after"], hex);
}

// A put-back reads the mount table once, though it asks about the key, and
// about its parent to tell whether the key is a volume's root.
TEST(Recover, APutBackReadsTheMountTableOnce) {
    TempFolder system;
    fs::create_directories(system / "proc/self");
    write_text(system / "proc/self/mountinfo", "22 1 0:21 / /proc rw - proc proc rw\n");
    ReadCount reads(system / "proc/self/mountinfo");
    ASSERT_EQ(reads.taken(), 0) << "reads of the table cannot be watched here";
    TempFolder in;
    TempFolder key;
    // Onto an empty folder; then a second backup of that key, which it already holds whole.
    for (const char* expected : {"put back 4 files", "already holds everything"}) {
        SCOPED_TRACE(expected);
        const Backup backup(in.path(), "volkaris0F20C5BA", 0x0F20C5BA);
        const ProgramRun run = run_program({"recover", "--in", in.path(), "--key", key.path(), "--yes"},
                                           {{"LANTERNBOOK_SYSTEM_ROOT", system.path()}});
        EXPECT_EQ(run.exit_code, 0) << run.err;
        EXPECT_NE(run.out.find(expected), std::string::npos) << run.out;
        EXPECT_EQ(reads.taken(), 1);
    }
}

TEST(Recover, FinishesItsOwnKeyNeverWritingOverAFile) {
    TempFolder in;
    TempFolder key;
    const Backup backup(in.path(), "volkaris0F20C5BA", 0x0F20C5BA);
    // A put-back cut short: CONFIG, which tells the key, is back; the rest is not.
    write_bytes(key / "CONFIG", kKeyConfig);
    write_text(key / "autorun.inf", "someone else's");
    const std::vector<std::string> put_back{"recover", "--in", in.path(), "--key", key.path(), "--yes"};

    const ProgramRun blocked = run_program(put_back);
    EXPECT_EQ(blocked.exit_code, 3);
    EXPECT_NE(blocked.err.find("not everything could be put back"), std::string::npos) << blocked.err;
    EXPECT_NE(blocked.err.find("the copy stays in " + backup.folder), std::string::npos) << blocked.err;
    const std::string theirs = "someone else's";
    EXPECT_EQ(read_bytes(key / "autorun.inf"), Bytes(theirs.begin(), theirs.end()));
    EXPECT_TRUE(exists(backup.folder + "/BACKUP.REC"));

    fs::remove(key / "autorun.inf");
    const ProgramRun run = run_program(put_back);
    EXPECT_EQ(run.exit_code, 0) << run.err;
    expect_whole_key(key.path());
    EXPECT_FALSE(exists(backup.folder));

    // Whole already: a second backup of the same key just goes.
    const Backup stale(in.path(), "volkaris0F20C5BA", 0x0F20C5BA);
    const ProgramRun again = run_program(put_back);
    EXPECT_EQ(again.exit_code, 0) << again.err;
    EXPECT_EQ(again.out, key.path() + " already holds everything; removed " + stale.folder + "\n");
    EXPECT_FALSE(exists(stale.folder));
}

TEST(Recover, WritesNothingOntoAFolderThatIsNeitherItsKeyNorEmpty) {
    TempFolder in;
    TempFolder other;
    write_text(other / "notes.txt", "mine");
    const Backup first(in.path(), "volkaris0F20C5BA", 0x0F20C5BA);

    const ProgramRun refused = run_program({"recover", "--in", in.path(), "--key", other.path(), "--yes", "--from",
                                            first.folder});
    EXPECT_EQ(refused.exit_code, 1);
    EXPECT_EQ(refused.err, "lanternbook recover: " + other.path() + ": neither the key of " + first.folder +
                               " nor empty; nothing written\n");
    EXPECT_EQ(fs::directory_iterator(other.path())->path().filename(), "notes.txt");

    // Two backups and an empty folder: which one goes must be named.
    const Backup second(in.path(), "volkaris11111111", 0x11111111);
    TempFolder empty;
    const ProgramRun which = run_program({"recover", "--in", in.path(), "--key", empty.path(), "--yes"});
    EXPECT_EQ(which.exit_code, 2);
    EXPECT_EQ(which.err, "lanternbook recover: " + empty.path() + ": no backup of this key; name one with --from\n");
    EXPECT_TRUE(is_empty(empty.path()));
    const ProgramRun named =
        run_program({"recover", "--in", in.path(), "--key", empty.path(), "--yes", "--from", second.folder + "/"});
    EXPECT_EQ(named.exit_code, 0) << named.err;
    expect_whole_key(empty.path());
    EXPECT_FALSE(exists(second.folder));
    EXPECT_TRUE(exists(first.folder + "/BACKUP.REC"));
}

}  // namespace
}  // namespace lanternbook::testing

namespace lanternbook::testing {
namespace {

// Another user could have put anything into a folder they may write: it is
// not read, and the user is told why.
TEST(RecoverPlaces, AFolderOthersMayWriteIsRefusedWithTheReason) {
    TempFolder in;
    const Backup backup(in.path(), "volkaris0F20C5BA", 0x0F20C5BA);
    fs::permissions(in.path(), fs::perms::all);

    const ProgramRun run = run_program({"recover", "--in", in.path()});

    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err, "lanternbook recover: " + in.path() + ": not used: another user owns it or may write in it\n");
    EXPECT_TRUE(exists(backup.folder + "/BACKUP.REC"));
}

// A backup folder another user made in our place is neither listed nor put
// back, whatever its record says (as root, which can make files another's).
// Without HOME, or with one that is no absolute path, the backup place is in
// the home the user's own record names (nobody's does not exist: it is said so).
// A state home that is no absolute path is none.
TEST(RecoverPlaces, WithoutAHomeThePlaceComesFromTheUsersRecord) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "running as another user needs root";
    }
    const char* saved = std::getenv("HOME");
    const std::string home = saved != nullptr ? saved : "";
    for (const bool relative : {false, true}) {
        SCOPED_TRACE(relative ? "a relative HOME" : "no HOME");
        ProgramInput input;
        input.environment = {{"XDG_STATE_HOME", "relative"}};
        if (relative) {
            input.environment["HOME"] = "relative";
        } else {
            ::unsetenv("HOME");
        }
        const ProgramRun run = run_command(
            {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", LANTERNBOOK_CLI_PROGRAM, "recover"}, input);
        if (saved != nullptr) {
            ::setenv("HOME", home.c_str(), 1);
        }
        if (run.exit_code == 127) {
            GTEST_SKIP() << "setpriv is missing: util-linux has it";
        }
        EXPECT_EQ(run.exit_code, 1);
        EXPECT_EQ(run.err, "lanternbook recover: /nonexistent/.local/state/lanternbook/backups: not used: "
                           "Permission denied\n");
    }
}

TEST(RecoverPlaces, AnotherUsersBackupFolderIsNeverListed) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to give a folder to another user";
    }
    TempFolder state;
    fs::create_directories(state / "lanternbook/backups");
    const Backup ours(state / "lanternbook/backups", "volkaris0F20C5BA", 0x0F20C5BA);
    const Backup theirs(state / "lanternbook/backups", "volkaris11111111", 0x11111111);
    ASSERT_EQ(::chown(theirs.folder.c_str(), 65534, 65534), 0);

    const ProgramRun run = run_program({"recover", "--json"}, {{"XDG_STATE_HOME", state.path()}});

    EXPECT_EQ(run.exit_code, 0) << run.err;
    const Json listed = Json::parse(run.out);
    ASSERT_EQ(listed["unfinished"].size(), 1u);
    EXPECT_EQ(listed["unfinished"][0]["folder"], ours.folder);
}

// The key named as a relative path is the same key: the put-back ends as it does for any other.
TEST(RecoverPlaces, ARelativeKeyIsTheKeyItNames) {
    TempFolder in;
    TempFolder key;
    const Backup backup(in.path(), "volkaris0F20C5BA", 0x0F20C5BA);
    const fs::path relative = fs::relative(key.path(), fs::current_path());

    const ProgramRun run = run_program({"recover", "--in", in.path(), "--key", relative.string(), "--yes"});

    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.err, "");
    expect_whole_key(key.path());
    EXPECT_FALSE(exists(backup.folder));
}

}  // namespace
}  // namespace lanternbook::testing

namespace lanternbook::testing {
namespace {

// Names on a key or in a backup place are anyone's: a control character in
// one reaches the terminal only as text, and JSON carries the name as it is.
TEST(RecoverPlaces, ControlCharactersInNamesAreShownNeverSent) {
    TempFolder in;
    const Backup backup(in.path(), "volkaris\x1b[2J", 0x0F20C5BA);
    TempFolder key;
    fs::create_directories(key / "CARD");
    write_text(key / "CARD/x\x1b]0;owned\x07.ddd", "download");
    write_bytes(key / "CONFIG", kKeyConfig);

    const ProgramRun listed = run_program({"recover", "--in", in.path()});
    const ProgramRun erased = run_program({"erase", "--dry-run", "--key", key.path()});
    const ProgramRun json = run_program({"recover", "--in", in.path(), "--json"});

    EXPECT_EQ(listed.exit_code, 0) << listed.err;
    EXPECT_EQ(listed.out.find('\x1b'), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("volkaris\\x1b[2J"), std::string::npos) << listed.out;
    EXPECT_EQ(erased.exit_code, 0) << erased.err;
    EXPECT_EQ(erased.out.find_first_of("\x1b\x07"), std::string::npos) << erased.out;
    EXPECT_NE(erased.out.find("x\\x1b]0;owned\\x07.ddd"), std::string::npos) << erased.out;
    ASSERT_EQ(json.exit_code, 0) << json.err;
    EXPECT_EQ(Json::parse(json.out)["unfinished"][0]["folder"], backup.folder);
}

}  // namespace
}  // namespace lanternbook::testing
