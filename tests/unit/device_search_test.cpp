#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/device_drive.h"
#include "fakes/fake_platform.h"

namespace lanternbook {
namespace {

using testing::FakePlatform;
using testing::FakeUsbDevice;

TEST(DeviceSearch, NoDriveQualifies) {
    FakePlatform platform;
    platform.add_drive(L'D', L"DATA (D:)");
    DeviceDrive device(platform, platform);
    EXPECT_EQ(device.find_drive(), L"");
    EXPECT_EQ(device.drive_index(), 0);
    EXPECT_TRUE(device.not_found());
}

TEST(DeviceSearch, NoDrivesAtAll) {
    FakePlatform platform;
    platform.remove_drive(L'C');
    DeviceDrive device(platform, platform);
    EXPECT_EQ(device.find_drive(), L"");
    EXPECT_EQ(device.drive_index(), 0);
}

struct SearchCase {
    const char* label;
    std::vector<std::pair<wchar_t, std::wstring>> drives;
    std::wstring root;
    int drive_index;
};

class DeviceSearchDrives : public ::testing::TestWithParam<SearchCase> {};

TEST_P(DeviceSearchDrives, FirstQualifyingDriveWins) {
    const SearchCase row = GetParam();
    FakePlatform platform;
    for (const auto& drive : row.drives) {
        platform.add_drive(drive.first, drive.second);
    }
    DeviceDrive device(platform, platform);
    EXPECT_EQ(device.find_drive(), row.root);
    EXPECT_EQ(device.drive_index(), row.drive_index);
    EXPECT_FALSE(device.not_found());
}

INSTANTIATE_TEST_SUITE_P(
    DeviceSearchCases, DeviceSearchDrives,
    ::testing::Values(
        SearchCase{"TwoKeysLowerLetterWins",
                   {{L'G', L"VOLKARIS (G:)"}, {L'E', L"VOLKARIS (E:)"}}, L"E:\\", 4},
        SearchCase{"MixedCaseLabel", {{L'F', L"my VolKaris key (F:)"}}, L"F:\\", 5},
        SearchCase{"KeyOnA", {{L'A', L"VOLKARIS (A:)"}}, L"A:\\", 0},
        SearchCase{"KeyOnZ", {{L'Z', L"Removable VOLKARIS"}}, L"Z:\\", 25},
        SearchCase{"NamelessDriveSkipped", {{L'D', L""}, {L'H', L"VOLKARIS (H:)"}}, L"H:\\", 7}),
    [](const ::testing::TestParamInfo<SearchCase>& param_info) {
        return std::string(param_info.param.label);
    });

TEST(DeviceSearch, FailedSearchAfterSuccessKeepsNotFoundFalse) {
    FakePlatform platform;
    platform.add_drive(L'G', L"VOLKARIS (G:)");
    DeviceDrive device(platform, platform);
    ASSERT_EQ(device.find_drive(), L"G:\\");
    ASSERT_EQ(device.drive_index(), 6);
    platform.remove_drive(L'G');
    EXPECT_EQ(device.find_drive(), L"");
    EXPECT_EQ(device.drive_index(), 0);
    EXPECT_FALSE(device.not_found());
}

struct UsbCase {
    const char* label;
    std::vector<FakeUsbDevice> devices;
    std::vector<std::size_t> removed;
};

class DeviceSearchUsb : public ::testing::TestWithParam<UsbCase> {};

TEST_P(DeviceSearchUsb, RemovesAtMostTheFirstMatchingDevice) {
    const UsbCase row = GetParam();
    FakePlatform platform;
    platform.add_drive(L'K', L"VOLKARIS (K:)");
    platform.usb_devices = row.devices;
    DeviceDrive device(platform, platform);
    EXPECT_EQ(device.find_drive(), L"K:\\");
    EXPECT_EQ(platform.removed_usb_devices, row.removed);
}

INSTANTIATE_TEST_SUITE_P(
    Usb, DeviceSearchUsb,
    ::testing::Values(
        UsbCase{"NoDevices", {}, {}},
        UsbCase{"OnlyFirstMatchRemoved",
                {{L"USB Root Hub", true}, {L"BRINDLEX Mass Storage", true}, {L"BRINDLEX 2", true}},
                {1}},
        UsbCase{"LowerCasePrefixMatches", {{L"brindlex disk", true}}, {0}},
        UsbCase{"PrefixMustStartTheDescription", {{L"Old BRINDLEX disk", true}}, {}},
        UsbCase{"DescriptionShorterThanPrefix", {{L"BRINDLE", true}}, {}},
        UsbCase{"WalkStopsAtUnreadableDescription",
                {{L"USB Root Hub", true}, {L"", false}, {L"BRINDLEX Mass Storage", true}},
                {}}),
    [](const ::testing::TestParamInfo<UsbCase>& param_info) {
        return std::string(param_info.param.label);
    });

TEST(DeviceSearch, EverySearchRunsTheRemovalStep) {
    FakePlatform platform;
    platform.usb_devices = {{L"BRINDLEX", true}};
    DeviceDrive device(platform, platform);
    device.find_drive();
    device.find_drive();
    EXPECT_EQ(platform.removed_usb_devices, (std::vector<std::size_t>{0, 0}));
}

// The old volume a stale device shows is never the key found once the
// device has gone; while it stays, the search finds what is there.
TEST(DeviceSearch, AStaleDevicesOldVolumeGoesWithItBeforeTheKeyIsFound) {
    struct Case {
        const char* label;
        bool goes;
        const wchar_t* found;
    };
    const Case cases[] = {{"the device goes", true, L"K:\\"}, {"the device stays", false, L"F:\\"}};
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        FakePlatform platform;
        platform.add_drive(L'F', L"VOLKARIS (F:)");
        platform.add_drive(L'K', L"VOLKARIS (K:)");
        platform.usb_devices = {{L"USB Root Hub", true}, {L"BRINDLEX Mass Storage", true, L'F', row.goes}};
        DeviceDrive device(platform, platform);
        EXPECT_EQ(device.find_drive(), row.found);
        EXPECT_EQ(platform.removed_usb_devices, std::vector<std::size_t>{1});
    }
}

TEST(DeviceSearch, MissingUsbSetStillSearches) {
    FakePlatform platform;
    platform.usb_set_available = false;
    platform.add_drive(L'K', L"VOLKARIS (K:)");
    DeviceDrive device(platform, platform);
    EXPECT_EQ(device.find_drive(), L"K:\\");
    EXPECT_TRUE(platform.removed_usb_devices.empty());
}

}  // namespace
}  // namespace lanternbook
