#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_platform.h"
#include "maintenance/program_file_backup.h"
#include "platform/text_utils.h"

namespace lanternbook {
namespace {

using testing::FakePlatform;

std::vector<uint8_t> bytes_of(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

class ProgramFileBackupTest : public ::testing::Test {
protected:
    ProgramFileBackupTest() {
        platform.add_drive(L'K', L"VOLKARIS (K:)");
        platform.add_file(L"K:\\autorun.inf", "[autorun]");
        platform.add_file(L"K:\\lanternbook.dll", "MZ dll");
        platform.add_file(L"K:\\ostrevan.exe", "MZ exe");
        platform.add_file(L"K:\\CONFIG", std::string(32, '1'));
    }

    std::wstring temp_prefix() const { return with_trailing_backslash(platform.temp_path); }
    std::vector<std::wstring> everything() const { return platform.paths_under(L""); }

    FakePlatform platform;
    ProgramFileBackup program_files{platform};
};

using ProgramFileBackupRun = ProgramFileBackupTest;

TEST_F(ProgramFileBackupRun, FilesSurviveAFormatAndNothingIsLeftInTemp) {
    ASSERT_EQ(program_files.backup(L"K:\\"), 3u);
    const std::wstring folder = program_files.backup_folder();
    EXPECT_EQ(folder.compare(0, temp_prefix().size(), temp_prefix()), 0);
    EXPECT_NE(folder.back(), L'\\');
    EXPECT_TRUE(platform.is_folder(folder));
    EXPECT_EQ(platform.file_bytes(folder + L"\\ostrevan.exe"), bytes_of("MZ exe"));

    platform.wipe_drive(L'K');
    EXPECT_EQ(program_files.restore(), 3u);
    EXPECT_EQ(platform.file_bytes(L"K:\\autorun.inf"), bytes_of("[autorun]"));
    EXPECT_EQ(platform.file_bytes(L"K:\\lanternbook.dll"), bytes_of("MZ dll"));
    EXPECT_EQ(platform.file_bytes(L"K:\\ostrevan.exe"), bytes_of("MZ exe"));
    EXPECT_FALSE(platform.exists(L"K:\\CONFIG"));
    EXPECT_TRUE(platform.paths_under(temp_prefix()).empty());
    EXPECT_TRUE(program_files.copied_files().empty());
}

TEST_F(ProgramFileBackupRun, MissingProgramFileIsNeitherCopiedNorRestored) {
    platform.wipe_drive(L'K');
    platform.add_file(L"K:\\autorun.inf", "[autorun]");
    platform.add_file(L"K:\\lanternbook.dll", "MZ dll");
    ASSERT_EQ(program_files.backup(L"K:\\"), 2u);
    platform.wipe_drive(L'K');
    EXPECT_EQ(program_files.restore(), 2u);
    EXPECT_EQ(platform.paths_under(L"K:\\"),
              (std::vector<std::wstring>{L"K:\\AUTORUN.INF", L"K:\\LANTERNBOOK.DLL"}));
    EXPECT_TRUE(platform.paths_under(temp_prefix()).empty());
}

TEST_F(ProgramFileBackupRun, RootWithAndWithoutBackslashGiveTheSamePaths) {
    ProgramFileBackup bare(platform);
    ProgramFileBackup slashed(platform);
    ASSERT_EQ(bare.backup(L"K:"), 3u);
    ASSERT_EQ(slashed.backup(L"K:\\"), 3u);
    ASSERT_EQ(bare.copied_files().size(), slashed.copied_files().size());
    for (std::size_t i = 0; i < bare.copied_files().size(); ++i) {
        EXPECT_EQ(bare.copied_files()[i].device_path, slashed.copied_files()[i].device_path);
        EXPECT_EQ(bare.copied_files()[i].device_path, std::wstring(L"K:\\") + kProgramFiles[i]);
    }
}

TEST_F(ProgramFileBackupRun, FailedCopyBackKeepsTheBackup) {
    ASSERT_EQ(program_files.backup(L"K:\\"), 3u);
    const std::wstring folder = program_files.backup_folder();
    platform.wipe_drive(L'K');
    platform.failing_copies.insert(L"K:\\LANTERNBOOK.DLL");
    EXPECT_EQ(program_files.restore(), 3u);
    EXPECT_FALSE(platform.exists(L"K:\\lanternbook.dll"));
    EXPECT_TRUE(platform.exists(L"K:\\ostrevan.exe"));
    EXPECT_EQ(platform.file_bytes(folder + L"\\lanternbook.dll"), bytes_of("MZ dll"));
}

TEST_F(ProgramFileBackupRun, KeyMovedToAnotherLetterStillRestoresToRecordedPaths) {
    ASSERT_EQ(program_files.backup(L"K:\\"), 3u);
    platform.wipe_drive(L'K');
    platform.add_drive(L'L', L"VOLKARIS (L:)");
    EXPECT_EQ(program_files.restore(), 3u);
    EXPECT_TRUE(platform.exists(L"K:\\autorun.inf"));
    EXPECT_TRUE(platform.paths_under(L"L:\\").empty());
}

struct NoFolderCase {
    const char* label;
    std::wstring root;
    bool temp_names;
    std::wstring temp_path;
};

class ProgramFileBackupNoFolder : public ProgramFileBackupTest,
                                  public ::testing::WithParamInterface<NoFolderCase> {};

TEST_P(ProgramFileBackupNoFolder, CopiesNothingAndCreatesNothing) {
    const NoFolderCase row = GetParam();
    platform.temp_file_creation_works = row.temp_names;
    platform.temp_path = row.temp_path;
    const std::vector<std::wstring> before = everything();
    EXPECT_EQ(program_files.backup(row.root), 0u);
    EXPECT_TRUE(program_files.backup_folder().empty());
    EXPECT_EQ(everything(), before);
    EXPECT_EQ(program_files.restore(), 0u);
    EXPECT_EQ(everything(), before);
}

INSTANTIATE_TEST_SUITE_P(
    NoFolder, ProgramFileBackupNoFolder,
    ::testing::Values(
        NoFolderCase{"NoTempName", L"K:\\", false, L"C:\\Users\\user\\AppData\\Local\\Temp"},
        NoFolderCase{"NoTempFolder", L"K:\\", true, L""},
        NoFolderCase{"EmptyRoot", L"", true, L"C:\\Users\\user\\AppData\\Local\\Temp"}),
    [](const ::testing::TestParamInfo<NoFolderCase>& param_info) {
        return std::string(param_info.param.label);
    });

TEST_F(ProgramFileBackupTest, EmptyRootAfterABackupNeverRemovesThatBackup) {
    ASSERT_EQ(program_files.backup(L"K:\\"), 3u);
    const std::wstring first_folder = program_files.backup_folder();
    EXPECT_EQ(program_files.backup(L""), 0u);
    program_files.restore();
    EXPECT_TRUE(platform.exists(first_folder + L"\\autorun.inf"));
}

TEST_F(ProgramFileBackupTest, RemoveFolderClearsProtectedEntries) {
    ASSERT_EQ(program_files.backup(L"K:\\"), 3u);
    const std::wstring folder = program_files.backup_folder();
    platform.add_file(folder + L"\\readonly.bin", "r", testing::kAttrReadOnly);
    platform.add_file(folder + L"\\hidden.bin", "h", testing::kAttrHidden);
    platform.add_file(folder + L"\\system.bin", "s", testing::kAttrSystem | testing::kAttrReadOnly);
    platform.add_folder(folder + L"\\sub", testing::kAttrReadOnly | testing::kAttrHidden);
    platform.add_file(folder + L"\\sub\\inner.bin", "i", testing::kAttrReadOnly);
    platform.add_folder(folder, testing::kAttrReadOnly);

    EXPECT_EQ(program_files.remove_folder(), 0);
    EXPECT_FALSE(platform.exists(folder));
    EXPECT_TRUE(platform.paths_under(folder).empty());
}

TEST_F(ProgramFileBackupTest, DeleteTreeEmptiesDeepLongPathsButKeepsItsFolder) {
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

    program_files.delete_tree(top + L"\\");
    EXPECT_TRUE(platform.is_folder(top));
    EXPECT_EQ(platform.paths_under(top), std::vector<std::wstring>{to_upper_ascii(top)});
    EXPECT_TRUE(platform.exists(platform.temp_path + L"\\neighbour.bin"));
}

TEST_F(ProgramFileBackupTest, DeleteTreeOfNothingDoesNothing) {
    const std::vector<std::wstring> before = everything();
    program_files.delete_tree(L"");
    program_files.delete_tree(platform.temp_path + L"\\absent");
    EXPECT_EQ(program_files.remove_folder(), 0);
    EXPECT_EQ(everything(), before);
}

}  // namespace
}  // namespace lanternbook
