// Every platform call of Save, Erase and Format made to fail in turn, and the
// key pulled at every call in turn (with a second key plugged in), on a fresh
// key each time. After every run nothing may be lost: the program files are
// on the key or whole in a backup folder the user was shown, CONFIG holds
// the old or the new 32 bytes, nothing off the key changed, and a run that
// did not do what was asked has said so.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "dialog_harness.h"
#include "dialog/save_action.h"
#include "maintenance/erase_downloads.h"
#include "maintenance/format_device.h"
#include "text/text_utils.h"

namespace lanternbook {
namespace {

using testing::DialogHarness;
using testing::FakePlatform;
using Bytes = std::vector<uint8_t>;

constexpr uint64_t kKeySize = 980ull * 1024 * 1024;
const std::wstring kRoot = L"K:\\";
const Bytes kOldConfig = testing::config_image(testing::flag_bytes("1111104", 14, 0),
                                               {0, 0, 0, 0, 0, 0, 0, 0, 116, 5, 1, 0, 124, 2, 29, 4},
                                               {5, 0x12, 0x34}, {1, 2, 3});
const std::vector<std::wstring> kProgramFileNames{L"autorun.inf", L"lanternbook.dll", L"ostrevan.exe"};
const std::vector<std::wstring> kDownloads{L"K:\\CARD\\a.ddd", L"K:\\CARD\\b.esm", L"K:\\TACHO\\c.dtg"};
const std::wstring kRestoreFailed = L"The device's program files could not be put back. They are kept in:\n";

Bytes bytes_of(const std::wstring& text) { return Bytes(text.begin(), text.end()); }

enum class Fault { failing_call, key_pulled };

// A key, a second key that turns up when the first is pulled, an ordinary
// drive and the user's temporary folder.
class FaultWorld {
public:
    FaultWorld() {
        dialog.attach_key_with_config(kOldConfig);
        FakePlatform& p = platform();
        p.volume_size = kKeySize;
        p.add_file(kRoot + L"DATE", "111111");
        for (const std::wstring& name : kProgramFileNames) {
            p.add_file(kRoot + name, bytes_of(L"program " + name), testing::kAttrHidden);
        }
        p.add_folder(L"K:\\CARD");
        p.add_folder(L"K:\\TACHO");
        for (const std::wstring& path : kDownloads) {
            p.add_file(path, "download");
        }
        p.add_drive(L'D', L"DATA (D:)");
        p.add_folder(L"D:\\CARD");
        p.add_file(L"D:\\CARD\\other.ddd", "not ours");
        p.add_file(L"D:\\CONFIG", kOldConfig);
        p.add_file(p.temp_path + L"\\someone.tmp", "theirs");
        // The format empties the drive and leaves it without its label.
        p.on_shell_format = [this](int drive_index) {
            platform().reformat_drive(static_cast<wchar_t>(L'A' + drive_index), L"");
        };
        dialog.open();
        off_key_before = off_key_contents();
    }

    FakePlatform& platform() { return dialog.platform; }

    void arm(Fault fault, int call) {
        FakePlatform& p = platform();
        p.calls = 0;
        p.message_boxes.clear();
        if (fault == Fault::failing_call) {
            p.failing_call = call;
            return;
        }
        p.before_call = [this, call](int number) {
            if (number != call) {
                return;
            }
            FakePlatform& q = platform();
            label_when_pulled = q.volume_label(L'K');
            q.remove_drive(L'K');
            q.add_drive(L'L', L"VOLKARIS (L:)");
            q.add_folder(L"L:\\CARD");
            q.add_file(L"L:\\CARD\\theirs.ddd", "theirs");
            q.add_file(L"L:\\CONFIG", Bytes(32, 'L'));
        };
    }

    // Everything not on K and not one of our backup folders.
    std::map<std::wstring, Bytes> off_key_contents() {
        std::map<std::wstring, Bytes> contents;
        const std::wstring ours = to_upper_ascii(platform().temp_path + L"\\volkaris");
        for (const std::wstring& path : platform().paths_under(L"")) {
            if (path.compare(0, 3, L"K:\\") == 0 || path.compare(0, 3, L"L:\\") == 0 ||
                path.compare(0, ours.size(), ours) == 0) {
                continue;
            }
            contents[path] = platform().file_bytes(path).value_or(Bytes{0xFF});
        }
        return contents;
    }

    std::vector<std::wstring> errors() { return platform().error_texts(); }

    // The folder the user was told to copy from, if any.
    std::optional<std::wstring> told_backup() {
        for (const std::wstring& text : errors()) {
            if (text.compare(0, kRestoreFailed.size(), kRestoreFailed) == 0) {
                return text.substr(kRestoreFailed.size());
            }
        }
        return std::nullopt;
    }

    // Whole on the key, or whole in the folder the user was told about.
    bool kept(const std::wstring& name, const Bytes& bytes) {
        if (platform().file_bytes(kRoot + name) == bytes) {
            return true;
        }
        const std::optional<std::wstring> folder = told_backup();
        return folder && platform().file_bytes(*folder + L"\\" + name) == bytes;
    }

    void check_nothing_lost(const Bytes& new_config) {
        for (const std::wstring& name : kProgramFileNames) {
            EXPECT_TRUE(kept(name, bytes_of(L"program " + name))) << "lost: " << std::string(name.begin(), name.end());
        }
        const std::optional<Bytes> config = platform().file_bytes(kRoot + L"CONFIG");
        EXPECT_TRUE(config == kOldConfig || config == new_config || kept(L"CONFIG", kOldConfig))
            << "CONFIG is neither the old nor the new image";
        EXPECT_EQ(off_key_contents(), off_key_before) << "something off the key changed";
        if (platform().exists(L"L:\\")) {
            EXPECT_EQ(platform().paths_under(L"L:\\"),
                      (std::vector<std::wstring>{L"L:\\CARD", L"L:\\CARD\\THEIRS.DDD", L"L:\\CONFIG"}));
            EXPECT_EQ(platform().file_bytes(L"L:\\CONFIG"), Bytes(32, 'L'));
        }
        // A backup folder left behind is one the user knows of.
        const std::wstring ours = to_upper_ascii(platform().temp_path + L"\\volkaris");
        for (const std::wstring& path : platform().paths_under(ours)) {
            const std::optional<std::wstring> folder = told_backup();
            EXPECT_TRUE(folder && path.compare(0, folder->size(), to_upper_ascii(*folder)) == 0)
                << "backup left behind silently";
        }
    }

    // The key's label as it was when the key went.
    std::wstring key_label() { return label_when_pulled ? *label_when_pulled : platform().volume_label(L'K'); }

    DialogHarness dialog;
    std::map<std::wstring, Bytes> off_key_before;
    std::optional<std::wstring> label_when_pulled;
};

struct Operation {
    const char* name;
    // Runs the operation; true when it did all the user asked, leaving
    // `new_config` as CONFIG.
    std::function<bool(FaultWorld&, const Bytes& new_config)> run;
    bool rewrites_config;
};

bool run_save(FaultWorld& world, const Bytes& new_config) {
    DialogHarness& dialog = world.dialog;
    dialog.controls.checks[IDC_DETAILED_SPEED] = 0;
    const bool ended = save_from_dialog(dialog.state, dialog.controls, dialog.platform, dialog.platform);
    return ended && world.platform().file_bytes(kRoot + L"CONFIG") == new_config;
}

bool run_erase(FaultWorld& world, const Bytes&) {
    DialogHarness& dialog = world.dialog;
    const EraseResult result =
        erase_downloads(dialog.state.device.key(), dialog.state.device, dialog.platform, dialog.platform,
                        dialog.platform, dialog.state.strings);
    for (const std::wstring& path : kDownloads) {
        if (world.platform().exists(path)) {
            return false;
        }
    }
    return result.outcome == EraseOutcome::erased;
}

bool run_format(FaultWorld& world, const Bytes& new_config) {
    DialogHarness& dialog = world.dialog;
    FakePlatform& p = dialog.platform;
    const FormatOutcome outcome =
        format_device(dialog.state.device.key(), FormatServices{dialog.state.device, p, p, p, p, p},
                      dialog.state.strings);
    for (const std::wstring& name : kProgramFileNames) {
        if (p.file_bytes(kRoot + name) != bytes_of(L"program " + name)) {
            return false;
        }
    }
    return outcome == FormatOutcome::formatted && p.file_bytes(kRoot + L"CONFIG") == new_config &&
           p.file_bytes(kRoot + L"DATE") == Bytes() && world.key_label() == L"VOLKARIS";
}

// Names the case in failure output instead of dumping its bytes.
void PrintTo(const Operation& operation, std::ostream* out) { *out << operation.name; }

class FaultSweep : public ::testing::TestWithParam<Operation> {};

TEST_P(FaultSweep, NothingIsLostAndEveryShortfallIsReported) {
    const Operation& operation = GetParam();
    Bytes new_config = kOldConfig;
    if (operation.rewrites_config) {
        FaultWorld probe;
        static_cast<void>(operation.run(probe, Bytes()));
        new_config = probe.platform().file_bytes(kRoot + L"CONFIG").value_or(Bytes());
        ASSERT_EQ(new_config.size(), 32u);
        ASSERT_NE(new_config, kOldConfig);
    }
    int clean_calls = 0;
    {
        FaultWorld clean;
        clean.arm(Fault::failing_call, 0);
        ASSERT_TRUE(operation.run(clean, new_config)) << "the run without faults did not do its work";
        EXPECT_TRUE(clean.errors().empty());
        clean.check_nothing_lost(new_config);
        clean_calls = clean.platform().calls;
    }
    ASSERT_GT(clean_calls, 5);
    for (const Fault fault : {Fault::failing_call, Fault::key_pulled}) {
        for (int call = 1; call <= clean_calls; ++call) {
            SCOPED_TRACE(std::string(fault == Fault::failing_call ? "failing call " : "key pulled at call ") +
                         std::to_string(call));
            FaultWorld world;
            world.arm(fault, call);
            const bool done = operation.run(world, new_config);
            world.check_nothing_lost(new_config);
            if (!done) {
                EXPECT_FALSE(world.errors().empty()) << "did not do its work and did not say so";
            } else {
                EXPECT_FALSE(world.platform().exists(kRoot + L"CONFIG.NEW"));
            }
        }
    }
}

TEST(FaultSweepSave, SavesTheChoiceAndKeepsTheKeysIdentity) {
    FaultWorld world;
    static_cast<void>(run_save(world, Bytes()));
    const std::optional<Bytes> written = world.platform().file_bytes(kRoot + L"CONFIG");
    ASSERT_TRUE(written.has_value());
    ASSERT_EQ(written->size(), 32u);
    EXPECT_EQ((*written)[3], '0');
    EXPECT_EQ(Bytes(written->begin() + 25, written->end()), Bytes(kOldConfig.begin() + 25, kOldConfig.end()));
}

INSTANTIATE_TEST_SUITE_P(SaveEraseFormat, FaultSweep,
                         ::testing::Values(Operation{"Save", run_save, true}, Operation{"Erase", run_erase, false},
                                           Operation{"Format", run_format, false}),
                         [](const ::testing::TestParamInfo<Operation>& param_info) { return std::string(param_info.param.name); });

}  // namespace
}  // namespace lanternbook
