#include <gtest/gtest.h>

#include "device/device_drive.h"
#include "fakes/fake_platform.h"

namespace lanternbook {
namespace {

using testing::FakePlatform;

TEST(DeviceSearch, NoDriveQualifies) {
    FakePlatform platform;
    platform.add_drive(L'D', L"DATA (D:)");
    DeviceDrive device(platform);
    EXPECT_EQ(device.find_drive(), L"");
    EXPECT_EQ(device.drive_index(), 0);
    EXPECT_TRUE(device.not_found());
}

}  // namespace
}  // namespace lanternbook
