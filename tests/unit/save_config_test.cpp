#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "device/device_drive.h"
#include "fakes/fake_platform.h"
#include "maintenance/save_config.h"

namespace lanternbook {
namespace {

using testing::FakePlatform;
using Bytes = std::vector<uint8_t>;

const std::wstring kConfigPath = L"K:\\CONFIG";

Bytes key_config(uint8_t serial) {
    Bytes config(32, '1');
    config[25] = serial;
    config[31] = 0;
    return config;
}

// Each way a save can end, as the dialog tells the user: only a key that is
// gone or another key is "changed"; the rest leave CONFIG as it was.
TEST(SaveConfig, EachOutcomeIsTheOneThatHappened) {
    struct Case {
        const char* label;
        std::function<void(FakePlatform&)> after_reading;
        SaveOutcome outcome;
    };
    const Case cases[] = {
        {"saved", [](FakePlatform&) {}, SaveOutcome::saved},
        {"key pulled", [](FakePlatform& p) { p.remove_drive(L'K'); }, SaveOutcome::key_changed},
        {"another key at the letter",
         [](FakePlatform& p) {
             p.add_drive(L'K', L"VOLKARIS (K:)");
             p.add_file(kConfigPath, key_config(9));
         },
         SaveOutcome::key_changed},
        {"another key's CONFIG on this volume", [](FakePlatform& p) { p.add_file(kConfigPath, key_config(9)); },
         SaveOutcome::key_changed},
        {"another key's CONFIG, numbered below", [](FakePlatform& p) { p.add_file(kConfigPath, key_config(3)); },
         SaveOutcome::key_changed},
        // The same volume, renamed: no longer the key, whatever its CONFIG holds.
        {"relabelled without the word",
         [](FakePlatform& p) { ASSERT_TRUE(p.set_volume_label(L"K:\\", L"DATA")); }, SaveOutcome::key_changed},
        {"read-only CONFIG",
         [](FakePlatform& p) { p.add_file(kConfigPath, key_config(5), testing::kAttrReadOnly); },
         SaveOutcome::read_only},
        {"CONFIG cannot be opened", [](FakePlatform& p) { p.unopenable_paths.insert(kConfigPath); },
         SaveOutcome::unreadable},
        {"CONFIG opens but cannot be read", [](FakePlatform& p) { p.unreadable_paths.insert(kConfigPath); },
         SaveOutcome::unreadable},
        {"CONFIG cannot be replaced", [](FakePlatform& p) { p.failing_replaces.insert(kConfigPath); },
         SaveOutcome::failed},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        FakePlatform platform;
        platform.add_drive(L'K', L"VOLKARIS (K:)");
        platform.add_file(kConfigPath, key_config(5));
        DeviceDrive device(platform, platform);
        ASSERT_EQ(device.read_config(), ConfigRead::read);
        const KeyIdentity key = device.key();
        DeviceConfig config = device.config();
        config.flags[0] = '0';
        row.after_reading(platform);
        const auto before = platform.world();

        EXPECT_EQ(save_config(key, device, config), row.outcome);

        if (row.outcome == SaveOutcome::saved) {
            EXPECT_EQ((*platform.file_bytes(kConfigPath))[0], '0');
        } else {
            EXPECT_EQ(platform.world(), before);
        }
    }
}

}  // namespace
}  // namespace lanternbook
