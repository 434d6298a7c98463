// Which volumes the search takes for keys, and the drive a key is on: the
// drive index decides what the shell formats.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/device_drive.h"
#include "fakes/fake_platform.h"
#include "platform_variants.h"

namespace lanternbook {
namespace {

using testing::FakePlatform;

// Every root names a volume, as a folder a volume is mounted in does.
class EveryRootAVolume : public FakePlatform {
public:
    bool volume_identity(const std::wstring& root, uint32_t& serial_number, std::wstring& label) override {
        static_cast<void>(begin_call());
        serial_number = 0x1234;
        label = root;
        return true;
    }
};

// Only a root "X:\" with X a letter is on drive X; anything else counts as
// A:, which is never formatted, and never as another drive.
TEST(KeySearchDriveIndex, OnlyADriveLettersRootIsThatDrive) {
    struct Case {
        const wchar_t* root;
        int drive_index;
    };
    const Case cases[] = {
        {L"A:\\", 0},          {L"K:\\", 10},     {L"k:\\", 10},  {L"Z:\\", 25},
        {L"K:", 0},            {L"K:/", 0},       {L"K;\\", 0},   {L"KK\\", 0},
        {L"C:\\Mount\\Key\\", 0}, {L"\\\\server\\share\\", 0}, {L"1:\\", 0}, {L"[:\\", 0},
        {L"/media/key/", 0},
    };
    EveryRootAVolume platform;
    DeviceDrive device(platform, platform);
    for (const Case& row : cases) {
        const std::wstring root = row.root;
        SCOPED_TRACE(std::string(root.begin(), root.end()));
        const KeyIdentity key = device.key_at(root);
        ASSERT_TRUE(key.found());
        EXPECT_EQ(key.root, root);
        EXPECT_EQ(key.drive_index, row.drive_index);
    }
}

TEST(KeySearchIdentity, NoVolumeAtARootIsNoKey) {
    FakePlatform platform;
    platform.add_drive(L'K', L"VOLKARIS (K:)");
    DeviceDrive device(platform, platform);
    const KeyIdentity key = device.key_at(L"K:\\");
    const int key_volume = platform.remove_drive(L'K');

    for (const std::wstring& root : {std::wstring(L"K:\\"), std::wstring(L"Q:\\"), std::wstring()}) {
        SCOPED_TRACE(std::string(root.begin(), root.end()));
        const KeyIdentity none = device.key_at(root);
        EXPECT_FALSE(none.found());
        EXPECT_EQ(none.drive_index, 0);
    }
    EXPECT_FALSE(device.still_attached(key));
    platform.plug_in(L'K', key_volume);
    EXPECT_TRUE(device.still_attached(key));
}

// Whatever an empty root leads to, a key that was not found is not attached:
// here the current drive is a key whose serial number is 0, as a key not found has.
TEST(KeySearchIdentity, AKeyNotFoundIsNeverAttached) {
    testing::CurrentDriveRoot platform;
    platform.add_drive(L'C', L"VOLKARIS (C:)");
    platform.set_volume_serial(L'C', 0);
    DeviceDrive device(platform, platform);

    EXPECT_FALSE(device.still_attached(KeyIdentity{}));
    EXPECT_TRUE(device.still_attached(device.key_at(L"C:\\")));
}

// Every key attached, in letter order, each once; drives next to each other
// and at both ends of the alphabet included.
TEST(KeySearchAll, FindsEveryKeyOnceInLetterOrder) {
    struct Case {
        const char* label;
        std::vector<std::pair<wchar_t, std::wstring>> drives;
        std::vector<std::wstring> roots;
    };
    const Case cases[] = {
        {"none", {{L'D', L"DATA (D:)"}}, {}},
        {"one", {{L'D', L"DATA (D:)"}, {L'K', L"VOLKARIS (K:)"}}, {L"K:\\"}},
        {"on A and B", {{L'A', L"VOLKARIS (A:)"}, {L'B', L"VOLKARIS (B:)"}}, {L"A:\\", L"B:\\"}},
        {"side by side and apart",
         {{L'E', L"VOLKARIS (E:)"}, {L'F', L"volkaris (F:)"}, {L'G', L"VOLKARIS 2 (G:)"}, {L'H', L"DATA (H:)"},
          {L'Z', L"VOLKARIS (Z:)"}},
         {L"E:\\", L"F:\\", L"G:\\", L"Z:\\"}},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        FakePlatform platform;
        for (const auto& drive : row.drives) {
            platform.add_drive(drive.first, drive.second);
        }
        DeviceDrive device(platform, platform);

        const KeySearch search = device.find_keys();

        EXPECT_EQ(search.roots, row.roots);
        EXPECT_TRUE(search.failure.empty());
    }
}

}  // namespace
}  // namespace lanternbook
