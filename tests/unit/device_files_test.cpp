#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "device/device_drive.h"
#include "fakes/fake_platform.h"

namespace lanternbook {
namespace {

using testing::FakePlatform;

const std::wstring kRoot = L"K:\\";
const std::wstring kConfigPath = L"K:\\CONFIG";
const std::wstring kDatePath = L"K:\\DATE";
constexpr uint8_t kEarlier = 0xEE;

std::vector<uint8_t> bytes_of(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

// Never zero, and different at every offset a field is read from.
uint8_t pattern_byte(std::size_t offset) { return static_cast<uint8_t>(offset % 200 + 1); }

std::vector<uint8_t> pattern_file(std::size_t length) {
    std::vector<uint8_t> file(length);
    for (std::size_t i = 0; i < length; ++i) {
        file[i] = pattern_byte(i);
    }
    return file;
}

// A configuration of these flag and date bytes, serial number and version zero.
DeviceConfig config_of(const std::vector<uint8_t>& flags, const std::vector<uint8_t>& dates) {
    DeviceConfig config;
    std::copy(flags.begin(), flags.end(), config.flags.begin());
    std::copy(dates.begin(), dates.end(), config.dates.begin());
    return config;
}

// What a file of `length` pattern bytes holds at `offset`: zero past its end.
uint8_t file_byte(std::size_t offset, std::size_t length) {
    return offset < length ? pattern_byte(offset) : 0;
}

class DeviceFiles : public ::testing::Test {
protected:
    DeviceFiles() { platform.add_drive(L'K', L"VOLKARIS (K:)"); }

    // Fills every field the file format carries with kEarlier.
    void read_earlier_config() {
        platform.add_file(kConfigPath, std::vector<uint8_t>(32, kEarlier));
        ASSERT_EQ(device.read_config(), ConfigRead::read);
    }

    KeyIdentity key() { return device.key_at(kRoot); }

    FakePlatform platform;
    DeviceDrive device{platform, platform};
};

enum class Dates { kept, short_block, full_block };
enum class Serial { kept, short_layout, full_layout };

struct LengthCase {
    std::size_t length;
    bool flags_taken;
    Dates dates;
    Serial serial;
    bool version_taken;
};

class DeviceFilesLength : public DeviceFiles,
                          public ::testing::WithParamInterface<LengthCase> {};

TEST_P(DeviceFilesLength, TakesExactlyThePartsTheFileSupplies) {
    const LengthCase row = GetParam();
    read_earlier_config();
    platform.add_file(kConfigPath, pattern_file(row.length));
    static_cast<void>(device.read_config());  // what it reads is checked below
    const DeviceConfig& config = device.config();
    const std::size_t n = row.length;

    for (std::size_t i = 0; i < 32; ++i) {
        const uint8_t expected = i >= 9 ? uint8_t{0} : row.flags_taken ? file_byte(i, n) : kEarlier;
        EXPECT_EQ(config.flags[i], expected) << "flags byte " << i;
    }
    for (std::size_t i = 0; i < 32; ++i) {
        uint8_t expected = i < 16 ? kEarlier : 0;
        if ((row.dates == Dates::short_block && i < 8) || (row.dates == Dates::full_block && i < 16)) {
            expected = file_byte(9 + i, n);
        }
        EXPECT_EQ(config.dates[i], expected) << "dates byte " << i;
    }
    for (std::size_t i = 0; i < 3; ++i) {
        uint8_t expected = kEarlier;
        if (row.serial == Serial::short_layout) {
            expected = file_byte(17 + i, n);
        } else if (row.serial == Serial::full_layout) {
            expected = file_byte(25 + i, n);
        }
        EXPECT_EQ(config.serial_number[i], expected) << "serial byte " << i;
    }
    EXPECT_EQ(config.serial_number[3], 0);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(config.software_version[i], row.version_taken ? file_byte(28 + i, n) : kEarlier)
            << "version byte " << i;
    }
    EXPECT_EQ(config.software_version[3], 0);
    EXPECT_EQ(config.software_version[4], 0);
}

INSTANTIATE_TEST_SUITE_P(
    DeviceFilesEveryLength, DeviceFilesLength,
    ::testing::Values(LengthCase{0, false, Dates::kept, Serial::kept, false},
                      LengthCase{1, true, Dates::kept, Serial::kept, false},
                      LengthCase{9, true, Dates::kept, Serial::kept, false},
                      LengthCase{15, true, Dates::kept, Serial::kept, false},
                      LengthCase{16, true, Dates::short_block, Serial::kept, false},
                      LengthCase{18, true, Dates::short_block, Serial::kept, false},
                      LengthCase{19, true, Dates::short_block, Serial::short_layout, false},
                      LengthCase{20, true, Dates::kept, Serial::kept, false},
                      LengthCase{23, true, Dates::kept, Serial::kept, false},
                      LengthCase{24, true, Dates::full_block, Serial::kept, false},
                      LengthCase{25, true, Dates::full_block, Serial::full_layout, false},
                      LengthCase{29, true, Dates::full_block, Serial::full_layout, false},
                      LengthCase{30, true, Dates::full_block, Serial::full_layout, true},
                      LengthCase{32, true, Dates::full_block, Serial::full_layout, true},
                      LengthCase{1023, true, Dates::full_block, Serial::full_layout, true},
                      LengthCase{1024, true, Dates::full_block, Serial::full_layout, true},
                      LengthCase{5000, true, Dates::full_block, Serial::full_layout, true}),
    [](const ::testing::TestParamInfo<LengthCase>& param_info) {
        return "Bytes" + std::to_string(param_info.param.length);
    });

TEST_F(DeviceFiles, DecodeOfNoDataChangesNothing) {
    DeviceConfig config;
    config.flags[0] = kEarlier;
    decode_config(nullptr, 32, config);
    EXPECT_EQ(config.flags[0], kEarlier);
}

TEST_F(DeviceFiles, WrittenConfigIsTheThirtyTwoByteImageAndReadsBack) {
    std::vector<uint8_t> earlier = pattern_file(32);
    earlier[31] = 0;
    platform.add_file(kConfigPath, earlier);
    ASSERT_EQ(device.read_config(), ConfigRead::read);

    std::vector<uint8_t> flags = bytes_of("1101014");
    flags.push_back(28);
    flags.push_back(1);
    std::vector<uint8_t> dates(16);
    for (std::size_t i = 0; i < dates.size(); ++i) {
        dates[i] = static_cast<uint8_t>(0xA0 + i);
    }
    ASSERT_EQ(device.write_config(key(), config_of(flags, dates)), ConfigWrite::written);

    std::vector<uint8_t> expected = flags;
    expected.insert(expected.end(), dates.begin(), dates.end());
    expected.insert(expected.end(), earlier.begin() + 25, earlier.end());
    EXPECT_EQ(platform.file_bytes(kConfigPath), expected);
    // The image in memory is what was last read, not what was written.
    EXPECT_EQ(device.config().flags[1], pattern_byte(1));

    DeviceDrive reader(platform, platform);
    ASSERT_EQ(reader.read_config(), ConfigRead::read);
    EXPECT_TRUE(std::equal(flags.begin(), flags.end(), reader.config().flags.begin()));
    EXPECT_TRUE(std::equal(dates.begin(), dates.end(), reader.config().dates.begin()));
    EXPECT_EQ(reader.config().serial_number, device.config().serial_number);
    EXPECT_EQ(reader.config().software_version, device.config().software_version);
}

TEST_F(DeviceFiles, WrittenConfigIsAlwaysThirtyTwoBytes) {
    // Whatever the image holds past its flags and date block stays off the key.
    DeviceConfig config = config_of(std::vector<uint8_t>(32, '1'), std::vector<uint8_t>(32, 0x33));
    config.serial_number = {5, 6, 7, 8};
    config.software_version = {1, 2, 3, 4, 5};
    ASSERT_EQ(device.write_config(key(), config), ConfigWrite::written);
    std::vector<uint8_t> expected(9, '1');
    expected.resize(25, 0x33);
    expected.insert(expected.end(), {5, 6, 7, 1, 2, 3, 0});
    EXPECT_EQ(platform.file_bytes(kConfigPath), expected);
}

TEST_F(DeviceFiles, IncompleteWriteIsAFailure) {
    const DeviceConfig config = config_of(std::vector<uint8_t>(9, '1'), std::vector<uint8_t>(16, 0));
    for (const std::size_t limit : {0u, 9u, 25u, 31u}) {
        platform.write_limit = limit;
        EXPECT_NE(device.write_config(key(), config), ConfigWrite::written) << "limit " << limit;
    }
    platform.write_limit = 32;
    EXPECT_EQ(device.write_config(key(), config), ConfigWrite::written);
}

TEST_F(DeviceFiles, UnwritableConfigIsAFailure) {
    const DeviceConfig config = config_of(std::vector<uint8_t>(9, '1'), std::vector<uint8_t>(16, 0));
    platform.add_file(kConfigPath, pattern_file(32), testing::kAttrReadOnly);
    EXPECT_NE(device.write_config(key(), config), ConfigWrite::written);
    platform.add_file(kConfigPath, pattern_file(32));
    platform.unopenable_paths.insert(kConfigPath);
    EXPECT_NE(device.write_config(key(), config), ConfigWrite::written);
    EXPECT_EQ(platform.file_bytes(kConfigPath), pattern_file(32));
}

TEST_F(DeviceFiles, NoDriveChangesNothing) {
    FakePlatform empty;
    DeviceDrive absent(empty, empty);
    const std::vector<std::wstring> before = empty.paths_under(L"");
    EXPECT_EQ(absent.read_config(), ConfigRead::no_key);
    const KeyIdentity none = absent.find_key();
    EXPECT_FALSE(absent.reset_date_file(none));
    absent.ensure_date_file(none);
    EXPECT_EQ(absent.write_config(none, config_of(std::vector<uint8_t>(9, '1'), {})), ConfigWrite::no_key);
    EXPECT_EQ(empty.paths_under(L""), before);
    EXPECT_EQ(absent.config().flags, DeviceConfig().flags);
}

struct DateCase {
    const char* label;
    bool present;
    std::string contents;
    std::string expected;
};

class DeviceFilesDate : public DeviceFiles, public ::testing::WithParamInterface<DateCase> {};

TEST_P(DeviceFilesDate, ReadingConfigLeavesAtLeastSixBytes) {
    const DateCase row = GetParam();
    if (row.present) {
        platform.add_file(kDatePath, row.contents);
    }
    static_cast<void>(device.read_config());  // what it reads is checked below
    EXPECT_EQ(platform.file_bytes(kDatePath), bytes_of(row.expected));
}

INSTANTIATE_TEST_SUITE_P(
    DeviceFilesDateSizes, DeviceFilesDate,
    ::testing::Values(DateCase{"Missing", false, "", "111111"},
                      DateCase{"Empty", true, "", "111111"},
                      DateCase{"ThreeBytes", true, "abc", "111111"},
                      DateCase{"FiveBytes", true, std::string("\0\x01\x02\x03\x04", 5), "111111"},
                      DateCase{"SixBytes", true, "000000", "000000"},
                      DateCase{"TenBytes", true, std::string("\x7f\0abcdefgh", 10),
                               std::string("\x7f\0abcdefgh", 10)}),
    [](const ::testing::TestParamInfo<DateCase>& param_info) {
        return std::string(param_info.param.label);
    });

TEST_F(DeviceFiles, MissingConfigStillGetsDateAndKeepsTheImage) {
    read_earlier_config();
    platform.add_file(kDatePath, "");
    platform.unopenable_paths.insert(kConfigPath);
    EXPECT_EQ(device.read_config(), ConfigRead::unreadable);
    EXPECT_EQ(platform.file_bytes(kDatePath), bytes_of("111111"));
    EXPECT_EQ(device.config().flags[0], kEarlier);
    EXPECT_EQ(device.config().software_version[0], kEarlier);
}

TEST_F(DeviceFiles, UnopenableDateDoesNotStopTheRead) {
    platform.unopenable_paths.insert(kDatePath);
    platform.add_file(kConfigPath, pattern_file(32));
    EXPECT_EQ(device.read_config(), ConfigRead::read);
    EXPECT_FALSE(platform.exists(kDatePath));
    EXPECT_EQ(device.config().software_version[2], pattern_byte(30));
}

TEST_F(DeviceFiles, ResetEmptiesDateUntilTheNextRead) {
    platform.add_file(kDatePath, "20261207");
    const KeyIdentity attached = key();
    EXPECT_TRUE(device.reset_date_file(attached));
    EXPECT_EQ(platform.file_bytes(kDatePath), std::vector<uint8_t>());
    EXPECT_EQ(device.read_config(), ConfigRead::no_config);
    EXPECT_EQ(platform.file_bytes(kDatePath), bytes_of("111111"));

    const int key_volume = platform.remove_drive(L'K');
    EXPECT_FALSE(device.reset_date_file(attached));
    platform.plug_in(L'K', key_volume);
    EXPECT_EQ(platform.file_bytes(kDatePath), bytes_of("111111"));
}

}  // namespace
}  // namespace lanternbook

namespace lanternbook {
namespace {

class ConfigReplacement : public ::testing::Test {
protected:
    ConfigReplacement() { platform.add_drive(L'K', L"VOLKARIS (K:)"); }

    // Save as the dialog does: with the identity read at start.
    ConfigWrite save() {
        DeviceConfig config = device.config();
        std::fill_n(config.flags.begin(), 9, '1');
        std::fill_n(config.dates.begin(), 16, 0x44);
        return device.write_config(device.key_at(L"K:\\"), config);
    }

    testing::FakePlatform platform;
    DeviceDrive device{platform, platform};
};

TEST_F(ConfigReplacement, IdentityBytesComeFromTheFileBeingReplaced) {
    // Unreadable at start (nothing decoded), readable again at Save.
    platform.add_file(kConfigPath, pattern_file(32));
    platform.unopenable_paths.insert(kConfigPath);
    EXPECT_EQ(device.read_config(), ConfigRead::unreadable);
    EXPECT_EQ(save(), ConfigWrite::unreadable);
    EXPECT_EQ(platform.file_bytes(kConfigPath), pattern_file(32));
    platform.unopenable_paths.clear();

    ASSERT_EQ(save(), ConfigWrite::written);
    const std::vector<uint8_t> written = *platform.file_bytes(kConfigPath);
    ASSERT_EQ(written.size(), 32u);
    const std::vector<uint8_t> original = pattern_file(32);
    EXPECT_EQ(std::vector<uint8_t>(written.begin() + 25, written.end()),
              std::vector<uint8_t>(original.begin() + 25, original.end()));
    EXPECT_EQ(written[0], '1');
    EXPECT_FALSE(platform.exists(L"K:\\CONFIG.NEW"));
}

TEST_F(ConfigReplacement, WithoutAConfigTheIdentityReadAtStartIsUsed) {
    platform.add_file(kConfigPath, pattern_file(32));
    EXPECT_EQ(device.read_config(), ConfigRead::read);
    ASSERT_TRUE(platform.delete_file(kConfigPath));
    ASSERT_EQ(save(), ConfigWrite::written);
    const std::vector<uint8_t> original = pattern_file(32);
    const std::vector<uint8_t> written = *platform.file_bytes(kConfigPath);
    EXPECT_EQ(std::vector<uint8_t>(written.begin() + 25, written.begin() + 31),
              std::vector<uint8_t>(original.begin() + 25, original.begin() + 31));
}

TEST_F(ConfigReplacement, AttributesDecideWhatHappens) {
    struct Case {
        const char* label;
        uint32_t attributes;
        ConfigWrite result;
    };
    const Case cases[] = {
        {"plain", testing::kAttrArchive, ConfigWrite::written},
        {"hidden", testing::kAttrHidden | testing::kAttrArchive, ConfigWrite::written},
        {"hidden and system", testing::kAttrHidden | testing::kAttrSystem, ConfigWrite::written},
        {"read-only", testing::kAttrReadOnly | testing::kAttrArchive, ConfigWrite::read_only},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        platform.add_file(kConfigPath, pattern_file(32), row.attributes);
        EXPECT_EQ(save(), row.result);
        EXPECT_EQ(platform.attributes(kConfigPath), row.attributes);
        EXPECT_EQ(platform.file_bytes(kConfigPath) == pattern_file(32), row.result != ConfigWrite::written);
        EXPECT_FALSE(platform.exists(L"K:\\CONFIG.NEW"));
    }
}

TEST_F(ConfigReplacement, AFailedReplacementLeavesTheOldFileWholeAndNoHelper) {
    platform.add_file(kConfigPath, pattern_file(32));
    platform.failing_replaces.insert(kConfigPath);
    EXPECT_EQ(save(), ConfigWrite::failed);
    EXPECT_EQ(platform.file_bytes(kConfigPath), pattern_file(32));
    EXPECT_FALSE(platform.exists(L"K:\\CONFIG.NEW"));
}

}  // namespace
}  // namespace lanternbook

namespace lanternbook {
namespace {

TEST(ConfigReplacementHelper, AnEntryAlreadyUnderTheHelperNameIsNeverWrittenThrough) {
    testing::FakePlatform platform;
    platform.add_drive(L'K', L"VOLKARIS (K:)");
    platform.add_file(kConfigPath, pattern_file(32));
    // A link off the key under the helper's name: not ours, and never written through.
    platform.add_folder(L"C:\\Outside");
    platform.add_file(L"C:\\Outside\\theirs", "not ours");
    platform.add_file_link(L"K:\\CONFIG.NEW", L"C:\\Outside\\theirs");
    DeviceDrive device(platform, platform);

    ASSERT_EQ(device.write_config(device.key_at(L"K:\\"), config_of(std::vector<uint8_t>(9, '1'), {})),
              ConfigWrite::written);

    EXPECT_EQ(platform.file_bytes(L"C:\\Outside\\theirs"), (std::vector<uint8_t>{'n', 'o', 't', ' ', 'o', 'u', 'r', 's'}));
    EXPECT_TRUE(platform.exists(L"K:\\CONFIG.NEW"));
    EXPECT_FALSE(platform.exists(L"K:\\CONFIG.NEW1"));
    EXPECT_EQ((*platform.file_bytes(kConfigPath))[0], '1');
}

// Entries under the helper's names that are no file of ours (a pipe, a
// folder) are never removed; the Save takes the next free name, the first
// of them too.
TEST(ConfigReplacementHelper, EntriesUnderHelperNamesThatAreNoFilesStayAndTheNextNameIsTaken) {
    struct Case {
        const char* label;
        std::vector<std::wstring> folders;
        std::wstring pipe;
    };
    std::vector<std::wstring> all_but_the_first;
    for (unsigned i = 1; i < kConfigHelperAttempts; ++i) {
        all_but_the_first.push_back(L"K:\\CONFIG.NEW" + std::to_wstring(i));
    }
    const Case cases[] = {
        {"a pipe and a folder first", {L"K:\\CONFIG.NEW1"}, L"K:\\CONFIG.NEW"},
        {"every name but the first", all_but_the_first, L""},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        testing::FakePlatform platform;
        platform.add_drive(L'K', L"VOLKARIS (K:)");
        platform.add_file(kConfigPath, pattern_file(32));
        for (const std::wstring& folder : row.folders) {
            platform.add_folder(folder);
        }
        if (!row.pipe.empty()) {
            platform.add_special(row.pipe, testing::Special::pipe);
        }
        DeviceDrive device(platform, platform);

        EXPECT_EQ(device.write_config(device.key_at(L"K:\\"), config_of(std::vector<uint8_t>(9, '1'), {})),
                  ConfigWrite::written);

        EXPECT_EQ((*platform.file_bytes(kConfigPath))[0], '1');
        for (const std::wstring& folder : row.folders) {
            EXPECT_TRUE(platform.is_folder(folder));
        }
        EXPECT_TRUE(row.pipe.empty() || platform.exists(row.pipe));
    }
}

// A CONFIG of no bytes is replaced by a whole one.
TEST(ConfigReplacementHelper, AnEmptyConfigIsReplaced) {
    testing::FakePlatform platform;
    platform.add_drive(L'K', L"VOLKARIS (K:)");
    platform.add_file(kConfigPath, "");
    DeviceDrive device(platform, platform);
    ASSERT_EQ(device.read_config(), ConfigRead::empty);

    EXPECT_EQ(device.write_config(device.key(), config_of(std::vector<uint8_t>(9, '1'), {})), ConfigWrite::written);

    EXPECT_EQ(platform.file_bytes(kConfigPath)->size(), 32u);
}

}  // namespace
}  // namespace lanternbook
