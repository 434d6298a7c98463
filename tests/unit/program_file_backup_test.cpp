#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/config_codec.h"
#include "fakes/fake_platform.h"
#include "maintenance/backup_record.h"
#include "maintenance/program_file_backup.h"
#include "text/text_utils.h"

namespace lanternbook {
namespace {

using testing::FakePlatform;

std::vector<uint8_t> bytes_of(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

class ProgramFileBackupRun : public ::testing::Test {
protected:
    ProgramFileBackupRun() {
        platform.add_drive(L'K', L"VOLKARIS (K:)");
        platform.add_file(L"K:\\autorun.inf", "[autorun]");
        platform.add_file(L"K:\\lanternbook.dll", "MZ dll");
        platform.add_file(L"K:\\ostrevan.exe", "MZ exe");
        platform.add_file(L"K:\\CONFIG", std::string(32, '1'));
    }

    std::wstring temp_prefix() const { return with_trailing_backslash(platform.temp_path); }
    std::vector<std::wstring> everything() const { return platform.paths_under(L""); }

    KeyIdentity key() { return device.key_at(L"K:\\"); }

    FakePlatform platform;
    DeviceDrive device{platform, platform};
    ProgramFileBackup program_files{device, platform, platform};
};

TEST_F(ProgramFileBackupRun, FilesSurviveAFormatAndNothingIsLeftInTemp) {
    ASSERT_TRUE(program_files.backup(key()));
    EXPECT_EQ(program_files.copied_files().size(), 4u);
    const std::wstring folder = program_files.backup_folder();
    EXPECT_EQ(folder.compare(0, temp_prefix().size(), temp_prefix()), 0);
    EXPECT_NE(folder.back(), L'\\');
    EXPECT_TRUE(platform.is_folder(folder));
    EXPECT_EQ(platform.file_bytes(folder + L"\\ostrevan.exe"), bytes_of("MZ exe"));
    EXPECT_EQ(platform.file_bytes(folder + L"\\CONFIG"), bytes_of(std::string(32, '1')));

    platform.wipe_drive(L'K');
    EXPECT_EQ(program_files.restore(key()), RestoreResult::complete);
    EXPECT_EQ(platform.file_bytes(L"K:\\autorun.inf"), bytes_of("[autorun]"));
    EXPECT_EQ(platform.file_bytes(L"K:\\lanternbook.dll"), bytes_of("MZ dll"));
    EXPECT_EQ(platform.file_bytes(L"K:\\ostrevan.exe"), bytes_of("MZ exe"));
    EXPECT_EQ(platform.file_bytes(L"K:\\CONFIG"), bytes_of(std::string(32, '1')));
    EXPECT_TRUE(platform.paths_under(temp_prefix()).empty());
    EXPECT_TRUE(program_files.copied_files().empty());
}

TEST_F(ProgramFileBackupRun, MissingProgramFileIsNeitherCopiedNorRestored) {
    platform.wipe_drive(L'K');
    platform.add_file(L"K:\\autorun.inf", "[autorun]");
    platform.add_file(L"K:\\lanternbook.dll", "MZ dll");
    ASSERT_TRUE(program_files.backup(key()));
    EXPECT_EQ(program_files.copied_files().size(), 2u);
    platform.wipe_drive(L'K');
    EXPECT_EQ(program_files.restore(key()), RestoreResult::complete);
    EXPECT_EQ(platform.paths_under(L"K:\\"),
              (std::vector<std::wstring>{L"K:\\AUTORUN.INF", L"K:\\LANTERNBOOK.DLL"}));
    EXPECT_TRUE(platform.paths_under(temp_prefix()).empty());
}

TEST_F(ProgramFileBackupRun, RootWithAndWithoutBackslashGiveTheSamePaths) {
    const KeyIdentity bare = device.key_at(L"K:");
    ProgramFileBackup backup(device, platform, platform);
    ASSERT_TRUE(backup.backup(bare));
    ASSERT_EQ(backup.copied_files().size(), 4u);
    platform.wipe_drive(L'K');
    EXPECT_EQ(backup.restore(bare), RestoreResult::complete);
    EXPECT_EQ(platform.paths_under(L"K:\\"), (std::vector<std::wstring>{L"K:\\AUTORUN.INF", L"K:\\CONFIG",
                                                                        L"K:\\LANTERNBOOK.DLL", L"K:\\OSTREVAN.EXE"}));
}

TEST_F(ProgramFileBackupRun, FailedCopyBackKeepsTheBackup) {
    ASSERT_TRUE(program_files.backup(key()));
    const std::wstring folder = program_files.backup_folder();
    platform.wipe_drive(L'K');
    platform.unopenable_paths.insert(L"K:\\LANTERNBOOK.DLL.NEW");
    EXPECT_EQ(program_files.restore(key()), RestoreResult::files_left_behind);
    EXPECT_FALSE(platform.exists(L"K:\\lanternbook.dll"));
    EXPECT_TRUE(platform.exists(L"K:\\ostrevan.exe"));
    EXPECT_EQ(program_files.backup_folder(), folder);
    EXPECT_EQ(platform.file_bytes(folder + L"\\lanternbook.dll"), bytes_of("MZ dll"));
}

TEST_F(ProgramFileBackupRun, OnlyWhatIsMissingIsCopiedBack) {
    ASSERT_TRUE(program_files.backup(key()));
    // Not formatted after all; a protected autorun.inf cannot be copied over.
    platform.add_file(L"K:\\autorun.inf", "[autorun]", testing::kAttrHidden | testing::kAttrReadOnly);
    ASSERT_TRUE(platform.delete_file(L"K:\\ostrevan.exe"));
    EXPECT_EQ(program_files.restore(key()), RestoreResult::complete);
    EXPECT_EQ(platform.file_bytes(L"K:\\ostrevan.exe"), bytes_of("MZ exe"));
    EXPECT_TRUE(platform.paths_under(temp_prefix()).empty());
}

// A file that cannot be looked up may well be there: it is not written, and
// found whole by its bytes it counts as back.
TEST_F(ProgramFileBackupRun, AFileThatCannotBeLookedUpIsNotWrittenButFoundByItsBytes) {
    ASSERT_TRUE(program_files.backup(key()));
    platform.failing_lookups.insert(L"K:\\LANTERNBOOK.DLL");
    EXPECT_EQ(program_files.restore(key()), RestoreResult::complete);
    EXPECT_FALSE(platform.exists(L"K:\\lanternbook.dll.NEW"));
    EXPECT_EQ(platform.file_bytes(L"K:\\lanternbook.dll"), bytes_of("MZ dll"));
}

// A file whose last read gives one byte is read whole: one still in place,
// protected, is found back rather than written over.
TEST_F(ProgramFileBackupRun, AOneByteFileInPlaceIsFoundBack) {
    platform.add_file(L"K:\\autorun.inf", "[", testing::kAttrHidden | testing::kAttrReadOnly);
    ASSERT_TRUE(program_files.backup(key()));
    ASSERT_TRUE(platform.delete_file(L"K:\\ostrevan.exe"));
    EXPECT_EQ(program_files.restore(key()), RestoreResult::complete);
    EXPECT_EQ(platform.file_bytes(L"K:\\autorun.inf"), bytes_of("["));
    EXPECT_EQ(platform.file_bytes(L"K:\\ostrevan.exe"), bytes_of("MZ exe"));
}

// A file of the same size but other bytes is not the key's: it is never
// written over, and the copy stays. Their hashes sort after the copy's and before it.
TEST(ProgramFileBackupOtherBytes, AFileWithOtherBytesKeepsTheCopy) {
    for (const char* theirs : {"MZ EXE", "MZ exf"}) {
        SCOPED_TRACE(theirs);
        FakePlatform platform;
        platform.add_drive(L'K', L"VOLKARIS (K:)");
        platform.add_file(L"K:\\ostrevan.exe", "MZ exe");
        platform.add_file(L"K:\\CONFIG", std::string(32, '1'));
        DeviceDrive device{platform, platform};
        ProgramFileBackup program_files(device, platform, platform);
        const KeyIdentity key = device.key_at(L"K:\\");
        ASSERT_TRUE(program_files.backup(key));
        const std::wstring folder = program_files.backup_folder();
        platform.add_file(L"K:\\ostrevan.exe", theirs);
        EXPECT_EQ(program_files.restore(key), RestoreResult::files_left_behind);
        EXPECT_EQ(platform.file_bytes(L"K:\\ostrevan.exe"), bytes_of(theirs));
        EXPECT_EQ(platform.file_bytes(folder + L"\\ostrevan.exe"), bytes_of("MZ exe"));
    }
}

// Each file goes back under a helper name and takes its own name only once
// it is whole, with the attributes it had; a helper a crash left goes first.
TEST_F(ProgramFileBackupRun, FilesComeBackWholeUnderTheirNamesWithTheirAttributes) {
    const uint32_t autorun = testing::kAttrReadOnly | testing::kAttrHidden | testing::kAttrSystem | testing::kAttrArchive;
    platform.add_file(L"K:\\autorun.inf", "[autorun]", autorun);
    platform.add_file(L"K:\\CONFIG", std::string(32, '1'), testing::kAttrHidden);
    ASSERT_TRUE(program_files.backup(key()));
    platform.wipe_drive(L'K');
    platform.add_file(L"K:\\ostrevan.exe.NEW", "MZ e");
    std::vector<std::wstring> seen_before_the_name;
    platform.before_call = [&](int) {
        for (const wchar_t* name : {L"K:\\autorun.inf", L"K:\\ostrevan.exe"}) {
            const auto bytes = platform.file_bytes(name);
            if (bytes && bytes->size() != (std::wstring(name) == L"K:\\autorun.inf" ? 9u : 6u)) {
                seen_before_the_name.push_back(name);
            }
        }
    };

    EXPECT_EQ(program_files.restore(key()), RestoreResult::complete);

    EXPECT_TRUE(seen_before_the_name.empty());
    EXPECT_EQ(platform.attributes(L"K:\\autorun.inf"), autorun);
    EXPECT_EQ(platform.attributes(L"K:\\CONFIG"), testing::kAttrHidden);
    EXPECT_EQ(platform.file_bytes(L"K:\\ostrevan.exe"), bytes_of("MZ exe"));
    EXPECT_EQ(platform.paths_under(L"K:\\"), (std::vector<std::wstring>{L"K:\\AUTORUN.INF", L"K:\\CONFIG",
                                                                        L"K:\\LANTERNBOOK.DLL", L"K:\\OSTREVAN.EXE"}));
}

TEST_F(ProgramFileBackupRun, RestoresToTheKeyItIsGivenNotToAnotherOne) {
    const KeyIdentity recorded = key();
    ASSERT_TRUE(program_files.backup(recorded));
    platform.wipe_drive(L'K');
    platform.add_drive(L'L', L"VOLKARIS (L:)");
    EXPECT_EQ(program_files.restore(recorded), RestoreResult::complete);
    EXPECT_TRUE(platform.exists(L"K:\\autorun.inf"));
    EXPECT_TRUE(platform.paths_under(L"L:\\").empty());
}

TEST_F(ProgramFileBackupRun, EveryFileWholeOrNoBackupAtAll) {
    struct Case {
        const char* label;
        bool key_found;
        std::wstring temp_path;
        std::wstring failing_copy;
        std::optional<std::size_t> write_limit;
    };
    const std::wstring temp = platform.temp_path;
    const Case cases[] = {
        {"no temp folder", true, L"", L"", std::nullopt},
        {"temp folder missing", true, L"C:\\Gone", L"", std::nullopt},
        {"no key", false, temp, L"", std::nullopt},
        {"one copy fails", true, temp, L"K:\\OSTREVAN.EXE", std::nullopt},
        {"copies come out short", true, temp, L"", 3},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        platform.temp_path = row.temp_path;
        platform.unopenable_paths.clear();
        if (!row.failing_copy.empty()) {
            platform.unopenable_paths.insert(row.failing_copy);
        }
        platform.write_limit = row.write_limit;
        const std::vector<std::wstring> before = everything();
        ProgramFileBackup backup(device, platform, platform);
        EXPECT_FALSE(backup.backup(row.key_found ? key() : KeyIdentity{}));
        EXPECT_TRUE(backup.backup_folder().empty());
        EXPECT_TRUE(backup.copied_files().empty());
        EXPECT_EQ(everything(), before);
    }
}

// Whatever call fails, a backup that is made is held against every other
// process from the start, and one that is not made leaves nothing behind.
TEST_F(ProgramFileBackupRun, AMadeBackupIsHeldAndAFailedOneLeavesNothing) {
    const FakePlatform clean = platform;
    platform.calls = 0;
    ASSERT_TRUE(ProgramFileBackup(device, platform, platform).backup(key()));
    const int calls = platform.calls;
    for (int failing = 1; failing <= calls; ++failing) {
        SCOPED_TRACE(failing);
        platform = clean;
        const std::vector<std::wstring> before = everything();
        platform.calls = 0;
        platform.failing_call = failing;
        ProgramFileBackup backup(device, platform, platform);
        const bool made = backup.backup(key());
        platform.failing_call.reset();
        if (!made) {
            EXPECT_EQ(everything(), before);
            continue;
        }
        std::unique_ptr<Folder> folder = platform.open_folder(backup.backup_folder());
        ASSERT_TRUE(folder);
        platform.process = 2;
        EXPECT_FALSE(folder->lock(0)) << "another process takes a backup in the making";
        platform.process = 1;
    }
}

TEST_F(ProgramFileBackupRun, TakenNamesAreSkippedAndNeverEmptied) {
    // The first names the clock gives are taken by folders and files of others.
    platform.add_folder(platform.temp_path + L"\\volkaris0A1E0000");
    platform.add_file(platform.temp_path + L"\\volkaris0A1E0000\\theirs.txt", "theirs");
    platform.add_file(platform.temp_path + L"\\volkaris0A1E9E37", "a file of theirs");
    ASSERT_TRUE(program_files.backup(key()));
    EXPECT_EQ(program_files.backup_folder(), platform.temp_path + L"\\volkaris0A1F3C6E");
    EXPECT_TRUE(program_files.discard());
    EXPECT_EQ(platform.file_bytes(platform.temp_path + L"\\volkaris0A1E0000\\theirs.txt"), bytes_of("theirs"));
    EXPECT_EQ(platform.file_bytes(platform.temp_path + L"\\volkaris0A1E9E37"), bytes_of("a file of theirs"));
}

TEST_F(ProgramFileBackupRun, RemovalClearsProtectedEntriesButNeverFollowsALink) {
    platform.add_folder(L"C:\\Elsewhere");
    platform.add_file(L"C:\\Elsewhere\\precious.bin", "p", testing::kAttrReadOnly);
    ASSERT_TRUE(program_files.backup(key()));
    const std::wstring folder = program_files.backup_folder();
    platform.add_file(folder + L"\\readonly.bin", "r", testing::kAttrReadOnly);
    platform.add_file(folder + L"\\hidden.bin", "h", testing::kAttrHidden);
    platform.add_file(folder + L"\\system.bin", "s", testing::kAttrSystem | testing::kAttrReadOnly);
    platform.add_folder(folder + L"\\sub", testing::kAttrReadOnly | testing::kAttrHidden);
    platform.add_file(folder + L"\\sub\\inner.bin", "i", testing::kAttrReadOnly);
    platform.add_folder_link(folder + L"\\link", L"C:\\Elsewhere");
    ASSERT_TRUE(platform.set_attributes(folder, testing::kAttrReadOnly));

    EXPECT_TRUE(program_files.discard());
    EXPECT_FALSE(platform.exists(folder));
    EXPECT_TRUE(platform.paths_under(folder).empty());
    EXPECT_EQ(platform.file_bytes(L"C:\\Elsewhere\\precious.bin"), bytes_of("p"));
    EXPECT_EQ(platform.attributes(L"C:\\Elsewhere\\precious.bin"), testing::kAttrReadOnly);
}

// A file of the backup that cannot be removed keeps the record with it: no
// folder of ours is ever left without the record that says whose it is.
TEST_F(ProgramFileBackupRun, AFileThatStaysKeepsTheRecordWithIt) {
    const KeyIdentity recorded = key();
    ASSERT_TRUE(program_files.backup(recorded));
    BackupRecord record;
    record.serial_before = recorded.volume_serial;
    record.label = recorded.label;
    record.volume_bytes = 1024 * 1024;
    record.identity = {5, 0x12, 0x34, 1, 2, 3, 0};
    ASSERT_TRUE(program_files.write_record(record));
    const std::wstring folder = program_files.backup_folder();
    platform.locked_paths.insert(to_upper_ascii(folder + L"\\ostrevan.exe"));

    EXPECT_FALSE(program_files.discard());

    EXPECT_TRUE(platform.exists(folder + L"\\ostrevan.exe"));
    EXPECT_TRUE(platform.exists(folder + L"\\BACKUP.REC"));
}

TEST_F(ProgramFileBackupRun, DeleteTreeEmptiesDeepLongPathsButKeepsItsFolder) {
    const std::wstring top = platform.temp_path + L"\\deep";
    platform.add_folder(top);
    const std::wstring long_name(240, L'n');
    std::wstring path = top;
    for (int level = 0; level < 40; ++level) {
        path += L"\\" + long_name + std::to_wstring(level);
        platform.add_folder(path, level % 2 == 0 ? testing::kAttrReadOnly : 0);
        platform.add_file(path + L"\\file.bin", "x", testing::kAttrReadOnly | testing::kAttrHidden);
    }
    platform.add_file(top + L"\\top.bin", "t");
    platform.add_file(platform.temp_path + L"\\neighbour.bin", "n");
    ASSERT_GT(path.size(), 9000u);

    std::unique_ptr<Folder> held = platform.open_folder(top);
    ASSERT_NE(held, nullptr);
    EXPECT_TRUE(delete_tree(*held));
    EXPECT_TRUE(platform.is_folder(top));
    EXPECT_EQ(platform.paths_under(top), std::vector<std::wstring>{to_upper_ascii(top)});
    EXPECT_TRUE(platform.exists(platform.temp_path + L"\\neighbour.bin"));
}

// A record naming the key by its CONFIG, as a format writes it.
BackupRecord record_of(const KeyIdentity& key, const std::vector<uint8_t>& config) {
    BackupRecord record;
    record.serial_before = key.volume_serial;
    record.label = key.label;
    record.volume_bytes = 1024 * 1024;
    record.identity = key_identity_of(config);
    return record;
}

// What the key holds that is not the copy's is never counted back nor
// touched, even with a CONFIG naming the key beside it; the copy stays.
TEST(ProgramFileBackupNotTheKeys, FilesThatAreNotTheCopysStayAsTheyAreAndKeepTheBackup) {
    const std::string config(31, '1');
    struct Case {
        const char* label;
        const wchar_t* name;
        std::string theirs;
        uint32_t attributes;
        bool unopenable;
    };
    const Case cases[] = {
        {"another program beside a CONFIG naming the key", L"K:\\ostrevan.exe", "MZ EXE", 0, false},
        {"another program, plain where ours was hidden", L"K:\\ostrevan.exe", "MZ exf", 0, false},
        {"a CONFIG cut short whose first bytes still name the key", L"K:\\CONFIG", config, testing::kAttrHidden, false},
        {"an empty file that cannot be opened", L"K:\\autorun.inf", "", 0, true},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        FakePlatform platform;
        platform.add_drive(L'K', L"VOLKARIS (K:)");
        platform.add_file(L"K:\\autorun.inf", "");
        platform.add_file(L"K:\\ostrevan.exe", "MZ exe", testing::kAttrHidden);
        // Its last identity byte is zero, as a key's version byte may be.
        platform.add_file(L"K:\\CONFIG", config + std::string(1, '\0'));
        DeviceDrive device{platform, platform};
        ProgramFileBackup program_files(device, platform, platform);
        const KeyIdentity key = device.key_at(L"K:\\");
        ASSERT_TRUE(program_files.backup(key));
        ASSERT_TRUE(program_files.write_record(record_of(key, *platform.file_bytes(L"K:\\CONFIG"))));
        const std::wstring folder = program_files.backup_folder();
        const std::wstring name = std::wstring(row.name).substr(3);
        const auto copy = platform.file_bytes(folder + L"\\" + name);
        platform.add_file(row.name, row.theirs, row.attributes);
        const uint32_t attributes = platform.attributes(row.name);
        if (row.unopenable) {
            platform.unopenable_paths.insert(to_upper_ascii(row.name));
        }

        EXPECT_EQ(program_files.restore(key), RestoreResult::files_left_behind);

        EXPECT_EQ(platform.file_bytes(row.name), bytes_of(row.theirs));
        EXPECT_EQ(platform.attributes(row.name), attributes);
        EXPECT_EQ(platform.file_bytes(folder + L"\\" + name), copy);
    }
}

// A copy in the backup that is no longer what was recorded (same size,
// other bytes; their hashes sort after the record's and before it), or one
// that cannot be written whole, never takes the file's name, and its helper goes.
TEST_F(ProgramFileBackupRun, APutBackThatIsNotWholeNeverTakesTheNameAndLeavesNoHelper) {
    struct Case {
        const char* label;
        const char* copy;
        std::optional<std::size_t> write_limit;
    };
    const Case cases[] = {
        {"copy changed, hash after", "MZ EXE", std::nullopt},
        {"copy changed, hash before", "MZ exf", std::nullopt},
        {"the key takes three bytes only", "MZ exe", 3},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        ProgramFileBackup backup(device, platform, platform);
        platform.add_file(L"K:\\ostrevan.exe", "MZ exe");
        ASSERT_TRUE(backup.backup(key()));
        const std::wstring folder = backup.backup_folder();
        platform.add_file(folder + L"\\ostrevan.exe", row.copy);
        ASSERT_TRUE(platform.delete_file(L"K:\\ostrevan.exe"));
        platform.write_limit = row.write_limit;

        EXPECT_EQ(backup.restore(key()), RestoreResult::files_left_behind);

        platform.write_limit.reset();
        EXPECT_FALSE(platform.exists(L"K:\\ostrevan.exe"));
        EXPECT_FALSE(platform.exists(L"K:\\ostrevan.exe.NEW"));
        EXPECT_EQ(platform.file_bytes(folder + L"\\ostrevan.exe"), bytes_of(row.copy));
        EXPECT_TRUE(backup.discard());
    }
}

// A file gets back the attributes it had, whether it is put back or made
// anew by the format.
TEST(ProgramFileBackupAttributes, AFileEndsWithTheAttributesItHadBeforeTheFormat) {
    struct Case {
        const char* label;
        const wchar_t* name;
        uint32_t before;
        std::optional<uint32_t> made_anew;  // none: missing after the format
        uint32_t after;
    };
    const Case cases[] = {
        {"read-only alone, put back", L"K:\\ostrevan.exe", testing::kAttrReadOnly, std::nullopt, testing::kAttrReadOnly},
        {"read-only alone, made anew", L"K:\\CONFIG", testing::kAttrReadOnly, 0, testing::kAttrReadOnly},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        FakePlatform platform;
        platform.add_drive(L'K', L"VOLKARIS (K:)");
        platform.add_file(L"K:\\ostrevan.exe", "MZ exe");
        platform.add_file(L"K:\\CONFIG", std::string(32, '1'));
        platform.add_file(row.name, *platform.file_bytes(row.name), row.before);
        DeviceDrive device{platform, platform};
        ProgramFileBackup program_files(device, platform, platform);
        const KeyIdentity key = device.key_at(L"K:\\");
        ASSERT_TRUE(program_files.backup(key));
        const std::vector<uint8_t> bytes = *platform.file_bytes(row.name);
        platform.wipe_drive(L'K');
        if (row.made_anew) {
            platform.add_file(row.name, bytes, *row.made_anew);
        }

        EXPECT_EQ(program_files.restore(key), RestoreResult::complete);

        EXPECT_EQ(platform.file_bytes(row.name), bytes);
        EXPECT_EQ(platform.attributes(row.name), row.after);
    }
}

// A folder made for a backup that another process locks before we do is
// theirs now: given up at once, without waiting, and nothing of ours stays.
TEST_F(ProgramFileBackupRun, AFreshFolderAnotherProcessLocksFirstIsGivenUpAtOnce) {
    std::vector<std::unique_ptr<FolderLock>> theirs;
    bool inside = false;
    platform.before_call = [&](int) {
        if (inside || !theirs.empty()) {
            return;
        }
        for (const std::wstring& path : platform.paths_under(temp_prefix() + L"VOLKARIS")) {
            inside = true;
            platform.process = 2;
            std::unique_ptr<Folder> folder = platform.open_folder(path);
            if (folder) {
                theirs.push_back(folder->lock(0));
            }
            platform.process = 1;
            inside = false;
        }
    };

    EXPECT_FALSE(program_files.backup(key()));

    ASSERT_EQ(theirs.size(), 1u);
    EXPECT_NE(theirs[0], nullptr);
    EXPECT_EQ(platform.slept_ms, 0u);
    EXPECT_TRUE(program_files.backup_folder().empty());
}

// Whatever call fails, emptying a tree says it is empty exactly when it is:
// only the kept name at its top stays, and one of that name below goes.
TEST_F(ProgramFileBackupRun, DeleteTreeIsTrueExactlyWhenOnlyTheKeptNameIsLeft) {
    const std::wstring top = platform.temp_path + L"\\tree";
    const auto build = [&] {
        platform.add_folder(top);
        platform.add_file(top + L"\\BACKUP.REC", "record");
        platform.add_file(top + L"\\a.bin", "a");
        platform.add_folder(top + L"\\sub");
        platform.add_file(top + L"\\sub\\BACKUP.REC", "not the record");
        platform.add_folder(top + L"\\sub\\empty");
    };
    const std::vector<std::wstring> only_kept{to_upper_ascii(top), to_upper_ascii(top + L"\\BACKUP.REC")};
    build();
    std::unique_ptr<Folder> whole = platform.open_folder(top);
    ASSERT_NE(whole, nullptr);
    platform.calls = 0;
    ASSERT_TRUE(delete_tree(*whole, L"BACKUP.REC"));
    ASSERT_EQ(platform.paths_under(top), only_kept);
    const int calls = platform.calls;
    for (int failing = 1; failing <= calls; ++failing) {
        SCOPED_TRACE(failing);
        build();
        std::unique_ptr<Folder> held = platform.open_folder(top);
        ASSERT_NE(held, nullptr);
        platform.calls = 0;
        platform.failing_call = failing;
        const bool emptied = delete_tree(*held, L"BACKUP.REC");
        platform.failing_call.reset();
        EXPECT_EQ(emptied, platform.paths_under(top) == only_kept);
    }
}

// A CONFIG of another key is never counted back, whatever call fails while
// it is looked at; the backup stays whole.
TEST_F(ProgramFileBackupRun, AnotherKeysConfigIsNeverBackWhateverCallFails) {
    const FakePlatform clean = [&] {
        FakePlatform made = platform;
        return made;
    }();
    const auto run = [&](std::optional<int> failing) {
        platform = clean;
        ProgramFileBackup backup(device, platform, platform);
        EXPECT_TRUE(backup.backup(key()));
        EXPECT_TRUE(backup.write_record(record_of(key(), *platform.file_bytes(L"K:\\CONFIG"))));
        const std::wstring folder = backup.backup_folder();
        platform.wipe_drive(L'K');
        platform.add_file(L"K:\\CONFIG", std::string(32, '2'));
        platform.calls = 0;
        platform.failing_call = failing;
        const RestoreResult result = backup.restore(key());
        platform.failing_call.reset();
        EXPECT_NE(result, RestoreResult::complete);
        EXPECT_EQ(platform.file_bytes(L"K:\\CONFIG"), bytes_of(std::string(32, '2')));
        EXPECT_EQ(platform.file_bytes(folder + L"\\CONFIG"), bytes_of(std::string(32, '1')));
        return platform.calls;
    };
    const int calls = run(std::nullopt);
    for (int failing = 1; failing <= calls; ++failing) {
        SCOPED_TRACE(failing);
        run(failing);
    }
}

// A record goes only into a backup of ours, in one step over a helper a
// crash left; a helper that will not go fails the record, said as such.
TEST_F(ProgramFileBackupRun, ARecordIsWrittenOnlyIntoABackupAndOverAStaleHelper) {
    BackupRecord record;
    record.serial_before = key().volume_serial;
    record.label = key().label;
    record.volume_bytes = 1024 * 1024;
    const std::vector<std::wstring> before = everything();
    EXPECT_FALSE(program_files.write_record(record)) << "no backup made";
    EXPECT_EQ(everything(), before);

    for (const bool stale_goes : {true, false}) {
        SCOPED_TRACE(stale_goes);
        ProgramFileBackup backup(device, platform, platform);
        ASSERT_TRUE(backup.backup(key()));
        const std::wstring folder = backup.backup_folder();
        platform.add_file(folder + L"\\BACKUP.NEW", "half a record");
        if (!stale_goes) {
            platform.locked_paths.insert(to_upper_ascii(folder + L"\\BACKUP.NEW"));
        }

        EXPECT_EQ(backup.write_record(record), stale_goes);

        EXPECT_EQ(platform.exists(folder + L"\\BACKUP.REC"), stale_goes);
        platform.locked_paths.clear();
        EXPECT_TRUE(backup.discard());
    }
}

// A backup folder that cannot go keeps being held and said to stay, however
// often its removal is tried.
TEST_F(ProgramFileBackupRun, AFolderThatCannotGoIsNeverSaidGone) {
    ASSERT_TRUE(program_files.backup(key()));
    const std::wstring folder = program_files.backup_folder();
    platform.add_file(folder + L"\\theirs.tmp", "held");
    platform.locked_paths.insert(to_upper_ascii(folder + L"\\theirs.tmp"));

    EXPECT_FALSE(program_files.discard());
    EXPECT_FALSE(program_files.discard());

    EXPECT_EQ(program_files.backup_folder(), folder);
    EXPECT_TRUE(platform.exists(folder + L"\\theirs.tmp"));
    // Once nothing holds the file, the next try empties the folder and removes it.
    platform.locked_paths.clear();
    EXPECT_TRUE(program_files.discard());
    EXPECT_FALSE(platform.exists(folder));
}

// Something put into the folder after its record went keeps the folder: it
// is still named as the place that stays.
TEST_F(ProgramFileBackupRun, AFolderEnteredAfterItsRecordWentIsStillNamed) {
    ASSERT_TRUE(program_files.backup(key()));
    BackupRecord record;
    record.serial_before = key().volume_serial;
    record.label = key().label;
    record.volume_bytes = 1024 * 1024;
    ASSERT_TRUE(program_files.write_record(record));
    const std::wstring folder = program_files.backup_folder();
    bool entered = false;
    platform.before_call = [&](int) {
        if (!entered && !platform.exists(folder + L"\\BACKUP.REC")) {
            entered = true;
            platform.add_file(folder + L"\\late.tmp", "late");
        }
    };

    EXPECT_FALSE(program_files.discard());

    ASSERT_TRUE(entered);
    EXPECT_EQ(program_files.backup_folder(), folder);
    EXPECT_TRUE(platform.exists(folder + L"\\late.tmp"));
    // Once it is empty again, the next try removes it, and only then is it said gone.
    ASSERT_TRUE(platform.delete_file(folder + L"\\late.tmp"));
    EXPECT_TRUE(program_files.discard());
    EXPECT_FALSE(platform.exists(folder));
    EXPECT_TRUE(program_files.backup_folder().empty());
}

TEST_F(ProgramFileBackupRun, DiscardingNothingDoesNothing) {
    const std::vector<std::wstring> before = everything();
    EXPECT_TRUE(program_files.discard());
    EXPECT_EQ(everything(), before);
}

}  // namespace
}  // namespace lanternbook
