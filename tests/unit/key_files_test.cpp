// The key's files as DeviceDrive opens and makes them: never off the key,
// never over an entry already there, and nothing of another key kept.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/device_drive.h"
#include "fakes/fake_platform.h"
#include "platform_variants.h"

namespace lanternbook {
namespace {

using testing::FakePlatform;
using Bytes = std::vector<uint8_t>;

TEST(KeyFiles, AKeyNotFoundOpensNothingOnTheCurrentDrive) {
    testing::CurrentDriveRoot platform;
    platform.add_file(L"C:\\CONFIG", "not a key's");
    platform.add_file(L"C:\\DATE", "");
    DeviceDrive device(platform, platform);
    const KeyIdentity none;
    const auto before = platform.world();

    EXPECT_EQ(device.open_on_key(none, L"CONFIG", FileAccess::read, FileDisposition::open_existing), nullptr);
    EXPECT_EQ(device.read_config(none), ConfigRead::no_key);
    device.ensure_date_file(none);
    EXPECT_FALSE(device.reset_date_file(none));

    EXPECT_EQ(platform.world(), before);
}

TEST(KeyFiles, NothingIsMadeWhereTheKeyCannotSayWhatIsThere) {
    testing::FailingLookup platform;
    platform.add_drive(L'K', L"VOLKARIS (K:)");
    platform.failing_path = L"K:\\DATE";
    DeviceDrive device(platform, platform);
    const KeyIdentity key = device.key_at(L"K:\\");

    device.ensure_date_file(key);
    EXPECT_FALSE(device.reset_date_file(key));

    EXPECT_FALSE(platform.exists(L"K:\\DATE"));
}

// A file that cannot tell where it is might be anywhere a link leads: it is
// neither read, nor written, nor made.
TEST(KeyFiles, AFileThatCannotTellWhereItIsIsLeftAlone) {
    FakePlatform platform;
    platform.add_drive(L'K', L"VOLKARIS (K:)");
    platform.add_file(L"K:\\CONFIG", Bytes(32, 7));
    DeviceDrive device(platform, platform);
    const KeyIdentity key = device.key_at(L"K:\\");
    platform.places_unknown = true;
    const auto before = platform.world();

    EXPECT_EQ(device.open_on_key(key, L"CONFIG", FileAccess::read, FileDisposition::open_existing), nullptr);
    EXPECT_EQ(device.read_config(key), ConfigRead::unreadable);
    device.ensure_date_file(key);
    EXPECT_NE(device.write_config(key, DeviceConfig{}), ConfigWrite::written);

    EXPECT_EQ(platform.world(), before);
}

// A file made on a volume that took the key's letter is undone through its own handle.
TEST(KeyFiles, AFileMadeOnAnotherVolumeIsUndone) {
    FakePlatform platform;
    platform.add_drive(L'K', L"VOLKARIS (K:)");
    DeviceDrive device(platform, platform);
    const KeyIdentity key = device.key_at(L"K:\\");
    platform.add_drive(L'K', L"VOLKARIS (K:)");  // another key, another serial number
    const auto theirs = platform.volume_contents(platform.volume_at(L'K'));

    device.ensure_date_file(key);
    EXPECT_FALSE(device.reset_date_file(key));

    EXPECT_EQ(platform.volume_contents(platform.volume_at(L'K')), theirs);
}

// CONFIG's bytes are those of the last read: a read that gets none keeps
// nothing of an earlier CONFIG, whose serial number would then be passed on.
TEST(KeyFiles, AReadThatGetsNoConfigKeepsNoBytesOfAnEarlierOne) {
    for (const bool unreadable : {false, true}) {
        SCOPED_TRACE(unreadable ? "unreadable" : "missing");
        FakePlatform platform;
        platform.add_drive(L'K', L"VOLKARIS (K:)");
        platform.add_file(L"K:\\CONFIG", Bytes(32, 7));
        DeviceDrive device(platform, platform);
        ASSERT_EQ(device.read_config(), ConfigRead::read);
        if (unreadable) {
            platform.unopenable_paths.insert(L"K:\\CONFIG");
        } else {
            ASSERT_TRUE(platform.delete_file(L"K:\\CONFIG"));
        }

        EXPECT_EQ(device.read_config(), unreadable ? ConfigRead::unreadable : ConfigRead::no_config);

        EXPECT_TRUE(device.config_bytes().empty());
    }
}

// Only a plain file under CONFIG is ever replaced: a folder or a link there
// stays as it is, and the write says it failed, not that CONFIG was unreadable.
TEST(KeyFiles, NoFolderOrLinkUnderConfigIsReplaced) {
    for (const bool folder : {true, false}) {
        SCOPED_TRACE(folder ? "folder" : "link");
        FakePlatform platform;
        platform.add_drive(L'K', L"VOLKARIS (K:)");
        if (folder) {
            platform.add_folder(L"K:\\CONFIG");
        } else {
            // A link that reports itself as one, as a symbolic link on NTFS does.
            platform.add_file(L"K:\\CONFIG", Bytes(32, '0'), kAttributeLink);
        }
        DeviceDrive device(platform, platform);
        const auto before = platform.world();

        EXPECT_EQ(device.write_config(device.key_at(L"K:\\"), DeviceConfig{}), ConfigWrite::failed);

        EXPECT_EQ(platform.world(), before);
    }
}

// Save writes into a new file of its own beside CONFIG: CONFIG.NEW, or with a
// digit 1 to 9 where that is taken, and gives up when all ten are.
TEST(KeyFiles, TheHelperTakesTheFirstFreeOfTenNames) {
    const std::vector<std::wstring> digits{L"", L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8", L"9"};
    struct Case {
        const char* label;
        std::vector<std::size_t> taken;  // which of the ten names are taken
        ConfigWrite result;
    };
    const Case cases[] = {
        {"all free", {}, ConfigWrite::written},
        {"only the plain name free", {1, 2, 3, 4, 5, 6, 7, 8, 9}, ConfigWrite::written},
        {"only the last free", {0, 1, 2, 3, 4, 5, 6, 7, 8}, ConfigWrite::written},
        {"all ten taken", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, ConfigWrite::failed},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        FakePlatform platform;
        platform.add_drive(L'K', L"VOLKARIS (K:)");
        platform.add_file(L"K:\\CONFIG", Bytes(32, '0'));
        for (const std::size_t taken : row.taken) {
            platform.add_file(L"K:\\CONFIG.NEW" + digits[taken], "not ours");
        }
        DeviceDrive device(platform, platform);
        ASSERT_EQ(device.read_config(), ConfigRead::read);
        DeviceConfig config = device.config();
        config.flags[0] = '1';
        const auto before = platform.world();

        EXPECT_EQ(device.write_config(device.key(), config), row.result);

        // Nothing but CONFIG changed, and every name taken holds what it held.
        auto after = platform.world();
        auto expected = before;
        if (row.result == ConfigWrite::written) {
            EXPECT_EQ((*platform.file_bytes(L"K:\\CONFIG"))[0], '1');
            after.erase(L"K:\\CONFIG");
            expected.erase(L"K:\\CONFIG");
        }
        EXPECT_EQ(after, expected);
    }
}

}  // namespace
}  // namespace lanternbook
