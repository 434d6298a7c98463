// The backup folder of a format: where it may be made, how many names are
// tried for it, and what its removal reports.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "device/device_drive.h"
#include "fakes/fake_platform.h"
#include "maintenance/program_file_backup.h"
#include "platform_variants.h"
#include "text/text_utils.h"

namespace lanternbook {
namespace {

using testing::FakePlatform;

class BackupFolder : public ::testing::Test {
protected:
    BackupFolder() {
        platform.add_drive(L'K', L"VOLKARIS (K:)");
        platform.add_file(L"K:\\autorun.inf", "[autorun]");
        platform.add_file(L"K:\\CONFIG", std::string(32, '1'));
    }

    KeyIdentity key() { return device.key_at(L"K:\\"); }

    FakePlatform platform;
    DeviceDrive device{platform, platform};
};

TEST_F(BackupFolder, NamesAreTriedSixtyFourTimesBeforeGivingUp) {
    // Backups left behind at one moment take the names the clock gives, one each.
    std::vector<std::wstring> folders;
    for (int i = 0; i < 64; ++i) {
        ProgramFileBackup backup(device, platform, platform);
        ASSERT_TRUE(backup.backup(key())) << i;
        folders.push_back(backup.backup_folder());
    }
    const std::vector<std::wstring> before = platform.paths_under(L"");

    ProgramFileBackup one_too_many(device, platform, platform);
    EXPECT_FALSE(one_too_many.backup(key()));

    EXPECT_TRUE(one_too_many.backup_folder().empty());
    EXPECT_EQ(platform.paths_under(L""), before);
    for (const std::wstring& folder : folders) {
        EXPECT_EQ(platform.file_bytes(folder + L"\\autorun.inf"), (std::vector<uint8_t>{'[', 'a', 'u', 't', 'o', 'r',
                                                                                          'u', 'n', ']'}));
    }
}

TEST(BackupFolderPlace, WithoutATemporaryFolderNoBackupIsMadeAnywhere) {
    testing::CurrentDriveRoot platform;
    platform.add_drive(L'K', L"VOLKARIS (K:)");
    platform.add_file(L"K:\\autorun.inf", "[autorun]");
    platform.temp_path.clear();
    DeviceDrive device(platform, platform);
    const std::vector<std::wstring> before = platform.paths_under(L"");

    ProgramFileBackup backup(device, platform, platform);
    EXPECT_FALSE(backup.backup(device.key_at(L"K:\\")));

    EXPECT_TRUE(backup.backup_folder().empty());
    EXPECT_EQ(platform.paths_under(L""), before);
}

TEST_F(BackupFolder, AFolderThatCannotBeListedIsNotCalledEmptied) {
    const std::wstring folder = platform.temp_path + L"\\tree";
    platform.add_folder(folder);
    platform.add_file(folder + L"\\kept.bin", "k");
    std::unique_ptr<Folder> held = platform.open_folder(folder);
    ASSERT_NE(held, nullptr);
    platform.failing_call = platform.calls + 1;

    EXPECT_FALSE(delete_tree(*held));

    EXPECT_TRUE(platform.exists(folder + L"\\kept.bin"));
}

TEST_F(BackupFolder, ALinkThatCannotGoMeansTheFolderIsNotEmptied) {
    const std::wstring folder = platform.temp_path + L"\\tree";
    platform.add_folder(folder);
    // A link that reports itself as one, as a symbolic link on NTFS does.
    platform.add_file(folder + L"\\link", "leads elsewhere", kAttributeLink);
    platform.locked_paths.insert(to_upper_ascii(folder + L"\\link"));
    std::unique_ptr<Folder> held = platform.open_folder(folder);
    ASSERT_NE(held, nullptr);

    EXPECT_FALSE(delete_tree(*held));

    EXPECT_TRUE(platform.exists(folder + L"\\link"));
}

// A listing that fails for one folder, whatever it holds.
class UnlistableFolder : public FakePlatform {
public:
    Lookup held_listing(const std::wstring& folder, const std::wstring& pattern, const std::vector<FolderEntry>& every,
                        std::vector<FolderEntry>& entries) override {
        if (to_upper_ascii(folder) == to_upper_ascii(unlistable)) {
            entries.clear();
            return Lookup::failed;
        }
        return FakePlatform::held_listing(folder, pattern, every, entries);
    }
    std::wstring unlistable;
};

// A backup folder that went, although a listing inside it failed on the way,
// is not reported left behind: the user would be shown a folder that is gone.
TEST(BackupFolderRemoval, AFolderThatWentIsNotReportedLeftBehind) {
    UnlistableFolder platform;
    platform.add_drive(L'K', L"VOLKARIS (K:)");
    platform.add_file(L"K:\\autorun.inf", "[autorun]");
    DeviceDrive device(platform, platform);
    ProgramFileBackup backup(device, platform, platform);
    ASSERT_TRUE(backup.backup(device.key_at(L"K:\\")));
    const std::wstring folder = backup.backup_folder();
    // An empty folder of someone else's that cannot be listed, yet goes.
    platform.add_folder(folder + L"\\empty");
    platform.unlistable = folder + L"\\empty";

    const bool discarded = backup.discard();

    ASSERT_FALSE(platform.exists(folder));
    EXPECT_TRUE(discarded);
    EXPECT_TRUE(backup.backup_folder().empty());
}

}  // namespace
}  // namespace lanternbook
