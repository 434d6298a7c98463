// A dialog without a window: the state, the fake controls and the rules, with
// the defaults that initialisation puts in place before the configuration is
// loaded.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "dialog/config_view.h"
#include "dialog/control_rules.h"
#include "dialog/dialog_state.h"
#include "dialog/initialisation.h"
#include "fakes/fake_controls.h"
#include "fakes/fake_platform.h"
#include "l10n/texts.h"
#include "resources/resource.h"

namespace lanternbook::testing {

constexpr uint32_t kEnglish = 0x409;
constexpr wchar_t kKeyLetter = L'K';
constexpr wchar_t kKeyLabel[] = L"VOLKARIS (K:)";
constexpr wchar_t kKeyConfig[] = L"K:\\CONFIG";

class DialogHarness {
public:
    DialogHarness() { state.strings.select_language(kEnglish); }

    // Texts, dates and the store-settings box as initialisation leaves them
    // before loading.
    void put_defaults() {
        put_texts(state, controls);
        put_default_days(controls);
        // A date picker starts on today.
        SystemTime today = platform.now;
        today.hour = today.minute = today.second = today.milliseconds = 0;
        controls.dates[IDC_FROM_DATE] = today;
        controls.dates[IDC_TILL_DATE] = today;
        controls.check_now(IDC_STORE_SETTINGS, true);
    }
    // Those, and the checks of a key that stores nothing, posted; they have not landed yet.
    void post_defaults() {
        put_defaults();
        post_default_checks(controls, StoredSettings{});
    }

    void attach_key() { platform.add_drive(kKeyLetter, kKeyLabel); }
    void attach_key_with_config(const std::vector<uint8_t>& config) {
        attach_key();
        platform.add_file(kKeyConfig, config);
    }

    // Defaults, then the stored configuration and the default checks it
    // leaves, then every posted change landed.
    void open() {
        put_defaults();
        const ConfigRead read = state.device.read_config();
        fill_controls_from_config(state, controls, rules, read, platform);
        post_default_checks(controls, state.loaded);
        controls.flush();
    }

    bool checked(int id) { return controls.checks[id] != 0; }
    bool enabled(int id) const { return controls.is_enabled(id); }

    FakePlatform platform;
    FakeControls controls;
    DialogState state{platform, platform};
    ControlRules rules{state, controls};
};

// A 32-byte CONFIG: nine flag bytes, the 16-byte date block, serial number,
// software version and the closing zero.
inline std::vector<uint8_t> config_image(const std::vector<uint8_t>& flags,
                                         const std::array<uint8_t, 16>& dates,
                                         const std::array<uint8_t, 3>& serial,
                                         const std::array<uint8_t, 3>& version) {
    std::vector<uint8_t> image(flags.begin(), flags.end());
    image.resize(9, 0);
    image.insert(image.end(), dates.begin(), dates.end());
    image.insert(image.end(), serial.begin(), serial.end());
    image.insert(image.end(), version.begin(), version.end());
    image.push_back(0);
    return image;
}

// Flag bytes written as text, with the days count and the VDO byte appended.
inline std::vector<uint8_t> flag_bytes(const std::string& first_seven, uint8_t days, uint8_t vdo) {
    std::vector<uint8_t> flags(first_seven.begin(), first_seven.end());
    flags.push_back(days);
    flags.push_back(vdo);
    return flags;
}

}  // namespace lanternbook::testing
