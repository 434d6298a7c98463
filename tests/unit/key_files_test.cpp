// The key's files as DeviceDrive opens and makes them: never off the key,
// never over an entry already there, and nothing of another key kept.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/device_drive.h"
#include "fakes/fake_platform.h"
#include "text/text_utils.h"
#include "text/utf8_text.h"
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
    FakePlatform platform;
    platform.add_drive(L'K', L"VOLKARIS (K:)");
    platform.failing_lookups.insert(L"K:\\DATE");
    DeviceDrive device(platform, platform);
    const KeyIdentity key = device.key_at(L"K:\\");

    device.ensure_date_file(key);
    EXPECT_FALSE(device.reset_date_file(key));
    EXPECT_EQ(device.open_on_key(key, L"CONFIG", FileAccess::read, FileDisposition::open_existing), nullptr);

    EXPECT_FALSE(platform.exists(L"K:\\DATE"));
    EXPECT_FALSE(platform.exists(L"K:\\CONFIG")) << "opening what is there makes nothing";
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

// A folder is in place only at its very path on the key's volume, whichever
// way the path it is at sorts against the one it should be at.
TEST(KeyFiles, AFolderIsInPlaceOnlyAtItsOwnPathOnTheKeysVolume) {
    FakePlatform platform;
    platform.add_drive(L'K', L"VOLKARIS (K:)");
    for (const wchar_t* folder : {L"K:\\CARD", L"K:\\OLD", L"K:\\OLD\\CARD", L"K:\\AAA", L"C:\\CARD"}) {
        platform.add_folder(folder);
    }
    DeviceDrive device(platform, platform);
    const KeyIdentity key = device.key_at(L"K:\\");
    struct Case {
        const wchar_t* at;
        bool in_place;
    };
    const Case cases[] = {
        {L"K:\\CARD", true}, {L"k:\\card\\", true}, {L"K:\\OLD\\CARD", false},
        {L"K:\\AAA", false}, {L"C:\\CARD", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(utf8_from_wide(c.at));
        std::unique_ptr<Folder> folder = platform.open_folder(c.at);
        ASSERT_TRUE(folder);
        EXPECT_EQ(DeviceDrive::still_in_place(*folder, key, L"K:\\CARD"), c.in_place);
    }
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

// Each hold of the key's root asks its volume who it is, which costs Wine more
// than the rest of a start's work on the key: a start holds it once, for DATE
// and CONFIG alike, and a root that cannot be held gets neither touched.
TEST(KeyFiles, AStartHoldsTheKeysRootOnceForDateAndConfig) {
    struct CountingRoots : FakePlatform {
        int root_holds = 0;
        std::unique_ptr<Folder> open_folder(const std::wstring& path) override {
            root_holds += with_trailing_backslash(path) == L"K:\\" ? 1 : 0;
            return FakePlatform::open_folder(path);
        }
    };
    for (const bool held : {true, false}) {
        SCOPED_TRACE(held ? "held" : "cannot be held");
        CountingRoots platform;
        platform.add_drive(L'K', L"VOLKARIS (K:)");
        platform.add_file(L"K:\\CONFIG", Bytes(32, 7));
        platform.add_file(L"K:\\DATE", "1");
        DeviceDrive device(platform, platform);
        platform.places_unknown = !held;

        EXPECT_EQ(device.read_config(), held ? ConfigRead::read : ConfigRead::unreadable);

        EXPECT_EQ(platform.root_holds, 1);
        EXPECT_EQ(platform.file_bytes(L"K:\\DATE"), held ? Bytes(6, '1') : Bytes(1, '1'));
        EXPECT_EQ(device.config_bytes(), held ? Bytes(32, 7) : Bytes());
    }
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
// Helpers a Save cut short left are ours and go before the next Save; what
// cannot be taken for ours (a link under a helper's name) stays, and the
// helper takes the first name free of them.
TEST(KeyFiles, StaleHelpersGoAndLinksUnderTheirNamesStay) {
    const std::vector<std::wstring> digits{L"", L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8", L"9"};
    struct Case {
        const char* label;
        std::size_t stale;  // helpers left by Saves cut short, the first names
        std::size_t links;  // links to files off the key under the next names
        ConfigWrite result;
    };
    const Case cases[] = {
        {"nothing in the way", 0, 0, ConfigWrite::written},
        {"ten Saves cut short", 10, 0, ConfigWrite::written},
        {"links under nine names", 0, 9, ConfigWrite::written},
        {"stale helpers and links", 4, 5, ConfigWrite::written},
        {"links under all ten", 0, 10, ConfigWrite::failed},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        FakePlatform platform;
        platform.add_drive(L'K', L"VOLKARIS (K:)");
        platform.add_folder(L"C:\\Outside");
        platform.add_file(L"C:\\Outside\\theirs", "theirs");
        platform.add_file(L"K:\\CONFIG", Bytes(32, '0'));
        for (std::size_t i = 0; i < row.stale; ++i) {
            platform.add_file(L"K:\\CONFIG.NEW" + digits[i], Bytes(16, '1'));
        }
        for (std::size_t i = row.stale; i < row.stale + row.links; ++i) {
            platform.add_file_link(L"K:\\CONFIG.NEW" + digits[i], L"C:\\Outside\\theirs");
        }
        DeviceDrive device(platform, platform);
        ASSERT_EQ(device.read_config(), ConfigRead::read);
        DeviceConfig config = device.config();
        config.flags[0] = '1';

        EXPECT_EQ(device.write_config(device.key(), config), row.result);

        EXPECT_EQ((*platform.file_bytes(L"K:\\CONFIG"))[0], row.result == ConfigWrite::written ? '1' : '0');
        std::vector<std::wstring> expected{L"K:\\CONFIG"};
        for (std::size_t i = row.stale; i < row.stale + row.links; ++i) {
            expected.push_back(to_upper_ascii(L"K:\\CONFIG.NEW" + digits[i]));
        }
        expected.push_back(L"K:\\DATE");
        EXPECT_EQ(platform.paths_under(L"K:\\"), expected);
        EXPECT_EQ(platform.file_bytes(L"C:\\Outside\\theirs"), Bytes({'t', 'h', 'e', 'i', 'r', 's'}));
    }
}

// Saves on one key wait for each other: one that another process holds the key's lock against writes nothing.
TEST(KeyFiles, ASaveWaitsForTheKeysLockAndWritesNothingWithoutIt) {
    FakePlatform platform;
    platform.add_drive(L'K', L"VOLKARIS (K:)");
    platform.add_file(L"K:\\CONFIG", Bytes(32, '0'));
    DeviceDrive device(platform, platform);
    ASSERT_EQ(device.read_config(), ConfigRead::read);
    std::unique_ptr<Folder> root = platform.open_folder(L"K:\\");
    std::unique_ptr<FolderLock> other_save = root->lock(0);
    ASSERT_NE(other_save, nullptr);
    const auto before = platform.world();

    EXPECT_EQ(device.write_config(device.key(), device.config()), ConfigWrite::failed);

    EXPECT_EQ(platform.world(), before);
    EXPECT_GE(platform.slept_ms, kKeyLockWaitMs);
    other_save.reset();
    EXPECT_EQ(device.write_config(device.key(), device.config()), ConfigWrite::written);
}

// DATE is made, or topped up to its marker, and one long enough is left as it is.
TEST(KeyFiles, EnsuringDateMakesOrTopsItUpAndLeavesAWholeOne) {
    struct Case {
        const char* label;
        std::optional<std::string> before;
        std::string after;
    };
    const Case cases[] = {
        {"missing", std::nullopt, "111111"},
        {"short", std::string("12"), "111111"},
        {"long enough", std::string("12345678"), "12345678"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        FakePlatform platform;
        platform.add_drive(L'K', L"VOLKARIS (K:)");
        if (row.before) {
            platform.add_file(L"K:\\DATE", *row.before);
        }
        DeviceDrive device(platform, platform);

        device.ensure_date_file(device.key_at(L"K:\\"));

        EXPECT_EQ(platform.file_bytes(L"K:\\DATE"), Bytes(row.after.begin(), row.after.end()));
    }
}

// Another volume under the key's letter is not the key, whether its serial
// number sorts below the key's or above it: nothing is read or written there.
TEST(KeyFiles, AnotherVolumeUnderTheLettersIsNotTheKeyWhicheverWayItsSerialSorts) {
    for (const uint32_t other : {0x12340000u - 1, 0x12340000u + 1}) {
        SCOPED_TRACE(other);
        FakePlatform platform;
        platform.add_drive(L'K', L"VOLKARIS (K:)", 0x12340000u);
        platform.add_file(L"K:\\CONFIG", Bytes(32, '1'));
        DeviceDrive device(platform, platform);
        const KeyIdentity key = device.key_at(L"K:\\");
        platform.add_drive(L'K', L"VOLKARIS (K:)", other);
        platform.add_file(L"K:\\CONFIG", Bytes(32, '2'));
        const auto before = platform.world();

        EXPECT_FALSE(device.still_attached(key));
        EXPECT_EQ(device.read_config(key), ConfigRead::unreadable);
        EXPECT_TRUE(device.config_bytes().empty());
        EXPECT_NE(device.write_config(key, DeviceConfig{}), ConfigWrite::written);
        EXPECT_EQ(platform.world(), before);
    }
}

}  // namespace
}  // namespace lanternbook
