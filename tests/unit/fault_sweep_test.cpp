// Save, Erase and Format in worlds as hostile as a real key's (links off the
// key under its file names, a pipe for CONFIG, a CONFIG changed behind the
// dialog's back, read-only downloads, no temporary folder, a shell format
// that is cancelled, or during which the key is pulled or swapped), and in
// each world, for every platform call k of a clean run: call k fails, calls k
// and k+1 fail, the write at k stores less than it says, the key is pulled at
// k, or another key takes its letter at k. After every run: nothing is lost,
// nothing but the key and our own backup folders was changed, no file was
// moved into place unflushed, and a run that did not do what was asked has
// said so with that outcome's own message.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "dialog/save_action.h"
#include "dialog_harness.h"
#include "maintenance/erase_downloads.h"
#include "maintenance/format_device.h"
#include "text/text_utils.h"

namespace lanternbook {
namespace {

using testing::DialogHarness;
using testing::Entry;
using testing::FakePlatform;
using Bytes = std::vector<uint8_t>;

constexpr uint64_t kKeySize = 980ull * 1024 * 1024;
const std::wstring kRoot = L"K:\\";
const Bytes kOldConfig = testing::config_image(testing::flag_bytes("1111104", 14, 0),
                                               {0, 0, 0, 0, 0, 0, 0, 0, 116, 5, 1, 0, 124, 2, 29, 4},
                                               {5, 0x12, 0x34}, {1, 2, 3});
const std::vector<std::wstring> kProgramFileNames{L"autorun.inf", L"lanternbook.dll", L"ostrevan.exe"};
const std::vector<std::wstring> kDownloads{L"CARD\\A.DDD", L"CARD\\B.ESM", L"TACHO\\C.DTG"};
const std::wstring kOutside = L"C:\\Outside";

// The messages, as the English table has them.
const std::wstring kSaveFailed = L"The settings could not be saved on the device.";
const std::wstring kKeyChanged = L"The device was removed or changed. The operation was stopped.";
const std::wstring kEraseIncomplete = L"Some downloads could not be erased.";
const std::vector<std::wstring> kFormatMessages{
    kSaveFailed,
    kKeyChanged,
    L"The device's program files could not be copied. Format will not start.",
    L"The device's program files could not be put back. They are kept in:",
    L"The device could not be formatted.",
    L"The device's settings could not be read. Format will not start.",
    L"The device could not be checked after the format. Its program files and settings are kept in:",
    L"The device's files were put back, but their copies could not be removed from:",
    L"Another volume took the device's place during the format. Nothing was written to it. The device's program "
    L"files and settings are kept in:",
    L"The device's program files and settings were put back, but its volume label could not be set to:"};

Bytes bytes_of(const std::wstring& text) { return Bytes(text.begin(), text.end()); }

std::wstring to_lower_ascii_text(std::wstring text) {
    for (wchar_t& c : text) {
        c = to_lower_ascii(c);
    }
    return text;
}

// What the key holds besides the plain layout, and how the shell's format goes.
enum class World {
    plain,
    date_link,          // DATE leads to a short file off the key
    date_dangling,      // DATE leads nowhere: creating it would create a file off the key
    date_device,        // DATE leads to a device
    config_link,        // CONFIG leads to a file off the key
    config_pipe,
    download_links,     // CARD leads off the key; a download is a link to a file off it
    hidden_config,
    config_changed,     // another program rewrote CONFIG, another key's, after the dialog opened
    readonly_downloads,
    no_temp,            // the temporary folder is unusable
    format_cancelled,   // the user closes the shell's dialog without formatting
    pulled_in_format,   // the key goes while the shell's dialog is open
    swapped_in_format,  // another key takes the letter while the shell's dialog is open
};

enum class Mode { clean, failing_call, two_failing, lying_write, key_pulled, key_swapped };

const char* name_of(World world) {
    switch (world) {
        case World::plain: return "plain";
        case World::date_link: return "DATE a link off the key";
        case World::date_dangling: return "DATE a dangling link";
        case World::date_device: return "DATE a link to a device";
        case World::config_link: return "CONFIG a link off the key";
        case World::config_pipe: return "CONFIG a pipe";
        case World::download_links: return "download folder and download links";
        case World::hidden_config: return "hidden CONFIG";
        case World::config_changed: return "CONFIG changed after opening";
        case World::readonly_downloads: return "read-only downloads";
        case World::no_temp: return "no temporary folder";
        case World::format_cancelled: return "format cancelled";
        case World::pulled_in_format: return "key pulled in the format dialog";
        case World::swapped_in_format: return "key swapped in the format dialog";
    }
    return "?";
}

const char* name_of(Mode mode) {
    switch (mode) {
        case Mode::clean: return "clean";
        case Mode::failing_call: return "call k fails";
        case Mode::two_failing: return "calls k and k+1 fail";
        case Mode::lying_write: return "write k lies";
        case Mode::key_pulled: return "key pulled at k";
        case Mode::key_swapped: return "another key at the letter at k";
    }
    return "?";
}

// A key in one of the worlds, a second key that turns up, ordinary drives,
// files off the key that links lead to, and the user's temporary folder.
class FaultWorld {
public:
    explicit FaultWorld(World world) : world_(world) {
        dialog.attach_key_with_config(kOldConfig);
        FakePlatform& p = platform();
        key_volume = p.volume_at(L'K');
        p.volume_size = kKeySize;
        p.add_file(kRoot + L"DATE", "111111");
        for (const std::wstring& name : kProgramFileNames) {
            p.add_file(kRoot + name, bytes_of(L"program " + name), testing::kAttrHidden);
        }
        p.add_folder(L"K:\\CARD");
        p.add_folder(L"K:\\TACHO");
        const uint32_t download_attributes = world == World::readonly_downloads ? testing::kAttrReadOnly : 0;
        for (const std::wstring& path : kDownloads) {
            p.add_file(kRoot + path, "download", download_attributes);
        }
        p.add_drive(L'D', L"DATA (D:)");
        p.add_folder(L"D:\\CARD");
        p.add_file(L"D:\\CARD\\other.ddd", "not ours");
        p.add_file(L"D:\\CONFIG", kOldConfig);
        p.add_file(p.temp_path + L"\\someone.tmp", "theirs");
        p.add_folder(kOutside);
        p.add_file(kOutside + L"\\date.txt", "12", testing::kAttrReadOnly);
        p.add_file(kOutside + L"\\config.bin", Bytes(32, 'X'));
        p.add_file(kOutside + L"\\kept.ddd", "someone's", testing::kAttrReadOnly);
        p.add_special(L"C:\\disk0", testing::Special::device);
        build_world();
        p.on_shell_format = [this](int) { shell_format(); };
        dialog.open();
        if (world == World::config_changed) {
            config_at_start[26] = 0x77;
            p.add_file(kRoot + L"CONFIG", config_at_start);
        }
        before = outside();
    }

    FakePlatform& platform() { return dialog.platform; }

    void arm(Mode mode, int call) {
        FakePlatform& p = platform();
        p.calls = 0;
        p.message_boxes.clear();
        mode_ = mode;
        call_ = call;
        switch (mode) {
            case Mode::clean: break;
            case Mode::failing_call: p.failing_call = call; break;
            case Mode::two_failing: p.failing_calls = {call, call + 1}; break;
            case Mode::lying_write: p.lying_write_call = call; break;
            case Mode::key_pulled:
            case Mode::key_swapped:
                p.before_call = [this, call](int number) {
                    if (number == call) {
                        change_key(mode_ == Mode::key_swapped);
                    }
                };
                break;
        }
    }

    // Everything not on the key's volume and not in one of our backup folders.
    // Keys that turn up mid-run are counted by their volume, wherever they are.
    std::map<std::wstring, Entry> outside() {
        std::map<std::wstring, Entry> contents;
        for (const auto& entry : platform().world()) {
            const int volume = platform().volume_at(entry.first[0]);
            if (volume != key_volume && volume != other_key && volume != swapped_in && !ours(entry.first)) {
                contents[entry.first] = entry.second;
            }
        }
        for (const int volume : {other_key, swapped_in}) {
            add_volume(volume, contents);
        }
        return contents;
    }

    // The key volume's files, wherever it is plugged in now.
    std::optional<Bytes> on_key_volume(const std::wstring& path) const {
        const auto contents = platform_const().volume_contents(key_volume);
        const auto found = contents.find(to_upper_ascii(path));
        if (found == contents.end() || !found->second.link_target.empty()) {
            return std::nullopt;
        }
        return found->second.data;
    }

    std::vector<std::wstring> errors() { return platform().error_texts(); }

    // The folder the user was told to copy from, if any.
    std::optional<std::wstring> told_folder() {
        for (const std::wstring& text : errors()) {
            const std::size_t line = text.find(L'\n');
            if (line != std::wstring::npos) {
                return text.substr(line + 1);
            }
        }
        return std::nullopt;
    }

    // Whole on the key, or whole in the folder the user was told about.
    bool kept(const std::wstring& name, const Bytes& bytes) {
        if (on_key_volume(name) == bytes) {
            return true;
        }
        const std::optional<std::wstring> folder = told_folder();
        return folder && platform().file_bytes(*folder + L"\\" + name) == bytes;
    }

    bool key_changed_before(int calls_made) const {
        return (mode_ == Mode::key_pulled || mode_ == Mode::key_swapped) && call_ <= calls_made;
    }

    void check_nothing_lost(const std::optional<Bytes>& new_config, bool single_fault) {
        for (const std::wstring& name : kProgramFileNames) {
            EXPECT_TRUE(kept(name, bytes_of(L"program " + name))) << "lost: " << std::string(name.begin(), name.end());
        }
        if (world_ != World::config_link && world_ != World::config_pipe) {
            const std::optional<Bytes> config = on_key_volume(L"CONFIG");
            EXPECT_TRUE(config == config_at_start || (new_config && config == *new_config) ||
                        kept(L"CONFIG", config_at_start))
                << "CONFIG is neither the old nor the new image";
        }
        EXPECT_EQ(outside(), before) << "something off the key changed";
        EXPECT_TRUE(platform().unflushed_replaces.empty()) << "a file was moved into place before it was flushed";
        EXPECT_FALSE(formatted_another_volume) << "the shell formatted a volume other than the key";
        // A backup folder left behind with something the key lacks is one the user knows of.
        const std::optional<std::wstring> folder = told_folder();
        const std::wstring backups = to_upper_ascii(platform().temp_path + L"\\volkaris");
        for (const auto& entry : platform().world()) {
            const std::wstring& path = entry.first;
            if (platform().temp_path.empty() || path.compare(0, backups.size(), backups) != 0 ||
                path.find(L'\\', backups.size()) == std::wstring::npos) {
                continue;
            }
            const std::wstring name = path.substr(path.rfind(L'\\') + 1);
            const Bytes original =
                name == L"CONFIG" ? config_at_start : bytes_of(L"program " + to_lower_ascii_text(name));
            const bool on_key_too = on_key_volume(name) == original;
            EXPECT_TRUE(on_key_too || (folder && path.compare(0, folder->size(), to_upper_ascii(*folder)) == 0))
                << "the only copy left behind silently: " << std::string(path.begin(), path.end());
        }
        if (single_fault && platform().volume_at(L'K') == key_volume) {
            for (const auto& entry : platform().volume_contents(key_volume)) {
                EXPECT_EQ(entry.first.find(L"CONFIG.NEW"), std::wstring::npos) << "a helper file was left on the key";
            }
        }
    }

    DialogHarness dialog;
    int key_volume = -1;
    // CONFIG as the run finds it.
    Bytes config_at_start = kOldConfig;
    int other_key = -1;
    int swapped_in = -1;
    bool formatted_another_volume = false;

private:
    const FakePlatform& platform_const() const { return dialog.platform; }

    void add_volume(int volume, std::map<std::wstring, Entry>& contents) const {
        for (const auto& entry : platform_const().volume_contents(volume)) {
            contents[L"volume " + std::to_wstring(volume) + L" " + entry.first] = entry.second;
        }
    }

    bool ours(const std::wstring& path) {
        const std::wstring prefix = to_upper_ascii(platform().temp_path + L"\\volkaris");
        return !platform().temp_path.empty() && to_upper_ascii(path).compare(0, prefix.size(), prefix) == 0;
    }

    void build_world() {
        FakePlatform& p = platform();
        switch (world_) {
            case World::date_link: p.add_file_link(kRoot + L"DATE", kOutside + L"\\date.txt"); break;
            case World::date_dangling: p.add_file_link(kRoot + L"DATE", kOutside + L"\\nothing.txt"); break;
            case World::date_device: p.add_file_link(kRoot + L"DATE", L"C:\\disk0"); break;
            case World::config_link: p.add_file_link(kRoot + L"CONFIG", kOutside + L"\\config.bin"); break;
            case World::config_pipe: p.add_special(kRoot + L"CONFIG", testing::Special::pipe); break;
            case World::download_links:
                p.wipe_drive(L'K');
                p.add_file(kRoot + L"CONFIG", kOldConfig);
                p.add_file(kRoot + L"DATE", "111111");
                for (const std::wstring& name : kProgramFileNames) {
                    p.add_file(kRoot + name, bytes_of(L"program " + name), testing::kAttrHidden);
                }
                p.add_folder_link(L"K:\\CARD", kOutside);
                p.add_folder(L"K:\\TACHO");
                p.add_file(L"K:\\TACHO\\C.DTG", "download");
                p.add_file_link(L"K:\\TACHO\\linked.ddd", kOutside + L"\\kept.ddd");
                break;
            case World::hidden_config: p.add_file(kRoot + L"CONFIG", kOldConfig, testing::kAttrHidden); break;
            case World::no_temp: p.temp_path = L""; break;
            case World::plain:
            case World::config_changed:
            case World::readonly_downloads:
            case World::format_cancelled:
            case World::pulled_in_format:
            case World::swapped_in_format: break;
        }
    }

    // The key goes; a second key turns up at L, or at the key's own letter.
    void change_key(bool same_letter) {
        FakePlatform& p = platform();
        if (p.volume_at(L'K') != key_volume) {
            return;
        }
        p.remove_drive(L'K');
        const wchar_t letter = same_letter ? L'K' : L'L';
        p.add_drive(letter, std::wstring(L"VOLKARIS (") + letter + L":)");
        other_key = p.volume_at(letter);
        const std::wstring root = std::wstring(1, letter) + L":\\";
        p.add_folder(root + L"CARD");
        p.add_file(root + L"CARD\\theirs.ddd", "theirs");
        p.add_file(root + L"CONFIG", Bytes(32, 'L'));
        // A helper file of its own, left by a crash: nothing of ours may move it into place.
        p.add_file(root + L"CONFIG.NEW", Bytes(32, 'N'));
        add_volume(other_key, before);
    }

    void shell_format() {
        FakePlatform& p = platform();
        if (p.volume_at(L'K') != key_volume) {
            formatted_another_volume = true;
            return;
        }
        switch (world_) {
            case World::format_cancelled: return;
            case World::pulled_in_format: p.remove_drive(L'K'); return;
            case World::swapped_in_format:
                p.remove_drive(L'K');
                p.add_drive(L'K', L"VOLKARIS (K:)");
                swapped_in = p.volume_at(L'K');
                p.add_file(L"K:\\CONFIG", Bytes(32, 'S'));
                p.add_file(L"K:\\DATE", "222222");
                add_volume(swapped_in, before);
                return;
            default:
                // A format leaves the volume empty, with a new serial number and no label.
                p.reformat_drive(L'K', L"");
                return;
        }
    }

    World world_;
    Mode mode_ = Mode::clean;
    int call_ = 0;
    std::map<std::wstring, Entry> before;
};

struct Operation {
    const char* name;
    // Runs the operation; true when it did all the user asked.
    std::function<bool(FaultWorld&, const std::optional<Bytes>& new_config)> run;
    // The messages a run that fell short may show.
    std::vector<std::wstring> messages;
};

bool run_save(FaultWorld& world, const std::optional<Bytes>& new_config) {
    DialogHarness& dialog = world.dialog;
    dialog.controls.checks[IDC_DETAILED_SPEED] = 0;
    const bool ended = save_from_dialog(dialog.state, dialog.controls, dialog.platform, dialog.platform);
    return ended && new_config && world.on_key_volume(L"CONFIG") == *new_config;
}

bool run_erase(FaultWorld& world, const std::optional<Bytes>&) {
    DialogHarness& dialog = world.dialog;
    const EraseResult result = erase_downloads(dialog.state.device.key(), dialog.state.device, dialog.platform,
                                               dialog.platform, dialog.state.strings);
    const auto contents = dialog.platform.volume_contents(world.key_volume);
    const bool any_left = std::any_of(contents.begin(), contents.end(), [](const auto& entry) {
        const std::wstring& path = entry.first;
        return (path.compare(0, 5, L"CARD\\") == 0 || path.compare(0, 6, L"TACHO\\") == 0);
    });
    return result.outcome == EraseOutcome::erased && !any_left;
}

bool run_format(FaultWorld& world, const std::optional<Bytes>&) {
    DialogHarness& dialog = world.dialog;
    FakePlatform& p = dialog.platform;
    const FormatOutcome outcome = format_device(dialog.state.device.key(),
                                                FormatServices{dialog.state.device, p, p, p, p, p},
                                                dialog.state.strings);
    for (const std::wstring& name : kProgramFileNames) {
        if (world.on_key_volume(name) != bytes_of(L"program " + name)) {
            return false;
        }
    }
    // The key may be pulled once everything is back on it.
    return (outcome == FormatOutcome::formatted || outcome == FormatOutcome::not_formatted) &&
           world.on_key_volume(L"CONFIG") == world.config_at_start &&
           (p.volume_at(L'K') != world.key_volume || label_names_key(p.volume_label(L'K')));
}

// Names the case in failure output instead of dumping its bytes.
void PrintTo(const Operation& operation, std::ostream* out) { *out << operation.name; }

std::vector<World> worlds_of(const Operation& operation) {
    std::vector<World> worlds = {World::plain,         World::date_link,      World::date_dangling,
                                 World::date_device,   World::config_link,    World::config_pipe,
                                 World::download_links, World::hidden_config, World::config_changed,
                                 World::readonly_downloads, World::no_temp};
    if (std::string(operation.name) == "Format") {
        worlds.insert(worlds.end(), {World::format_cancelled, World::pulled_in_format, World::swapped_in_format});
    }
    return worlds;
}

// The bytes a fault-free Save leaves, or none where it cannot save.
std::optional<Bytes> new_config_in(const Operation& operation, World world) {
    if (std::string(operation.name) != "Save") {
        return std::nullopt;
    }
    FaultWorld probe(world);
    probe.arm(Mode::clean, 0);
    static_cast<void>(run_save(probe, std::nullopt));
    const std::optional<Bytes> written = probe.on_key_volume(L"CONFIG");
    if (!written || *written == kOldConfig || written->size() != 32) {
        return std::nullopt;
    }
    return written;
}

class FaultSweep : public ::testing::TestWithParam<Operation> {};

TEST_P(FaultSweep, NothingLostNothingElseTouchedShortfallsTold) {
    const Operation& operation = GetParam();
    for (const World world : worlds_of(operation)) {
        SCOPED_TRACE(name_of(world));
        const std::optional<Bytes> new_config = new_config_in(operation, world);
        int clean_calls = 0;
        bool clean_done = false;
        {
            FaultWorld clean(world);
            clean.arm(Mode::clean, 0);
            const bool done = operation.run(clean, new_config);
            clean_done = done;
            if (world == World::plain || world == World::date_link || world == World::hidden_config) {
                EXPECT_TRUE(done) << "the run without faults did not do its work";
                EXPECT_TRUE(clean.errors().empty());
            }
            clean.check_nothing_lost(new_config, true);
            clean_calls = clean.platform().calls;
        }
        ASSERT_GT(clean_calls, 3);
        for (const Mode mode :
             {Mode::failing_call, Mode::two_failing, Mode::lying_write, Mode::key_pulled, Mode::key_swapped}) {
            for (int call = 1; call <= clean_calls; ++call) {
                SCOPED_TRACE(std::string(name_of(mode)) + ", k = " + std::to_string(call));
                FaultWorld run(world);
                run.arm(mode, call);
                const bool done = operation.run(run, new_config);
                run.check_nothing_lost(new_config, mode != Mode::two_failing && mode != Mode::key_pulled &&
                                                       mode != Mode::key_swapped);
                const std::vector<std::wstring> errors = run.errors();
                if (!done) {
                    EXPECT_FALSE(errors.empty()) << "did not do its work and did not say so";
                }
                for (const std::wstring& error : errors) {
                    const std::wstring text = error.substr(0, error.find(L'\n'));
                    EXPECT_NE(std::find(operation.messages.begin(), operation.messages.end(), text),
                              operation.messages.end())
                        << "a message of another outcome: " << std::string(text.begin(), text.end());
                }
                // Save and Erase stopped by a key that changed say so, and nothing else.
                if (clean_done && !done && std::string(operation.name) != "Format" &&
                    run.key_changed_before(run.platform().calls)) {
                    EXPECT_EQ(errors, std::vector<std::wstring>{kKeyChanged});
                }
            }
        }
    }
}

TEST(FaultSweepSave, SavesTheChoiceAndKeepsTheKeysIdentity) {
    FaultWorld world(World::plain);
    static_cast<void>(run_save(world, std::nullopt));
    const std::optional<Bytes> written = world.on_key_volume(L"CONFIG");
    ASSERT_TRUE(written.has_value());
    ASSERT_EQ(written->size(), 32u);
    EXPECT_EQ((*written)[3], '0');
    EXPECT_EQ(Bytes(written->begin() + 25, written->end()), Bytes(kOldConfig.begin() + 25, kOldConfig.end()));
}

INSTANTIATE_TEST_SUITE_P(
    SaveEraseFormat, FaultSweep,
    ::testing::Values(Operation{"Save", run_save, {kSaveFailed, kKeyChanged}},
                      Operation{"Erase", run_erase, {kEraseIncomplete, kKeyChanged}},
                      Operation{"Format", run_format, kFormatMessages}),
    [](const ::testing::TestParamInfo<Operation>& param_info) { return std::string(param_info.param.name); });

}  // namespace
}  // namespace lanternbook
