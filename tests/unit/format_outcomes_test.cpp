// Which volume a format works on, what that volume holds afterwards (its
// label, the identity the device remembers, DATE) and what the user is told,
// also when the backup folder cannot go.
#include <gtest/gtest.h>

#include <cwchar>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "device/device_drive.h"
#include "fakes/fake_platform.h"
#include "l10n/language_table.h"
#include "maintenance/format_device.h"
#include "maintenance/save_config.h"
#include "text/text_utils.h"

namespace lanternbook {
namespace {

using testing::FakePlatform;
using Bytes = std::vector<uint8_t>;

constexpr uint32_t kEnglish = 0x0409;
constexpr uint64_t kKeySize = 980ull * 1024 * 1024;
const std::wstring kRoot = L"K:\\";
const std::wstring kKeyChanged = L"The device was removed or changed. The operation was stopped.";

Bytes bytes_of(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Flags, date block, serial number 7/0x1234, version 2.5.9 and the closing zero.
Bytes stored_config() {
    Bytes config = bytes_of("110110201");
    for (uint8_t i = 0; i < 16; ++i) {
        config.push_back(static_cast<uint8_t>(0x10 + i));
    }
    config.insert(config.end(), {7, 0x12, 0x34, 2, 5, 9, 0});
    return config;
}

class FormatOutcomes : public ::testing::Test {
protected:
    FormatOutcomes() {
        strings.select_language(kEnglish);
        platform.volume_size = kKeySize;
    }

    // A key at K: with its program files, CONFIG, DATE and a download.
    void install_key(const std::wstring& display_name, const Bytes& config) {
        platform.add_drive(L'K', display_name);
        platform.add_file(kRoot + L"CONFIG", config);
        platform.add_file(kRoot + L"DATE", "123456789");
        platform.add_file(kRoot + L"autorun.inf", "[autorun]");
        platform.add_file(kRoot + L"lanternbook.dll", "MZ dll");
        platform.add_file(kRoot + L"ostrevan.exe", "MZ exe");
        platform.add_folder(kRoot + L"CARD");
        platform.add_file(kRoot + L"CARD\\a.ddd", "download");
    }

    FormatOutcome format(const KeyIdentity& key) {
        return format_device(key, FormatServices{device, platform, platform, platform, platform, platform}, strings);
    }

    FakePlatform platform;
    DeviceDrive device{platform, platform};
    LanguageTable strings;
};

// Another key with files of its own under the letter, before the user is
// asked or while the question is open: it is neither asked about, nor backed
// up, nor written to, and the user is told the key changed.
TEST_F(FormatOutcomes, AnotherKeyUnderTheLetterIsToldApartAndLeftAlone) {
    struct Case {
        const char* label;
        bool while_asking;
        std::size_t boxes;  // the question, if it was asked, and the error
    };
    const Case cases[] = {{"before the question", false, 1}, {"while the question is open", true, 2}};
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        FakePlatform fresh;
        fresh.volume_size = kKeySize;
        std::swap(platform, fresh);
        install_key(L"VOLKARIS (K:)", stored_config());
        const KeyIdentity shown = device.find_key();
        std::map<std::wstring, testing::Entry> theirs;
        bool swapped = false;
        const auto swap_in_theirs = [this, &theirs, &swapped] {
            install_key(L"VOLKARIS (K:)", bytes_of("theirs"));
            platform.add_file(kRoot + L"DATE", "1");
            theirs = platform.volume_contents(platform.volume_at(L'K'));
            swapped = true;
        };
        if (row.while_asking) {
            platform.before_call = [this, &swap_in_theirs, &swapped](int) {
                if (!swapped && !platform.message_boxes.empty()) {
                    swap_in_theirs();
                }
            };
        } else {
            swap_in_theirs();
        }

        EXPECT_EQ(format(shown), FormatOutcome::key_changed);

        EXPECT_TRUE(platform.formatted_drive_indexes.empty());
        ASSERT_EQ(platform.message_boxes.size(), row.boxes);
        EXPECT_EQ(platform.error_texts().back().substr(0, kKeyChanged.size()), kKeyChanged);
        ASSERT_TRUE(swapped);
        EXPECT_EQ(platform.volume_contents(platform.volume_at(L'K')), theirs);
        EXPECT_TRUE(platform.paths_under(platform.temp_path + L"\\").empty());
    }
}

TEST_F(FormatOutcomes, AShortDateIsToppedUpEvenWhenTheUserDeclines) {
    install_key(L"VOLKARIS (K:)", stored_config());
    platform.add_file(kRoot + L"DATE", "12");
    platform.default_answer = kAnswerCancel;

    EXPECT_EQ(format(device.find_key()), FormatOutcome::declined);

    EXPECT_EQ(platform.file_bytes(kRoot + L"DATE"), bytes_of("111111"));
}

// What the format left in the label decides whether it is set back: a label
// that still names the key is the user's choice and stays, even where labels
// cannot be set.
TEST_F(FormatOutcomes, TheLabelIsSetBackOnlyWhenItNoLongerNamesTheKey) {
    struct Case {
        const char* label_after_format;
        bool labels_settable;
        FormatOutcome outcome;
        const wchar_t* label_at_end;
    };
    const Case cases[] = {
        {"", true, FormatOutcome::formatted, L"Fleet VOLKARIS"},
        {"NEW VOLUME", true, FormatOutcome::formatted, L"Fleet VOLKARIS"},
        {"VOLKARIS 2", true, FormatOutcome::formatted, L"VOLKARIS 2"},
        {"volkaris", false, FormatOutcome::formatted, L"volkaris"},
        {"", false, FormatOutcome::label_not_set, L""},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label_after_format);
        FakePlatform fresh;
        fresh.volume_size = kKeySize;
        std::swap(platform, fresh);
        install_key(L"Fleet VOLKARIS (K:)", stored_config());
        platform.label_setting_works = row.labels_settable;
        const std::string after(row.label_after_format);
        platform.on_shell_format = [this, after](int) {
            platform.reformat_drive(L'K', std::wstring(after.begin(), after.end()));
        };

        EXPECT_EQ(format(device.find_key()), row.outcome);

        EXPECT_EQ(platform.volume_label(L'K'), row.label_at_end);
        EXPECT_EQ(platform.file_bytes(kRoot + L"ostrevan.exe"), bytes_of("MZ exe"));
        // Everything else is back all the same, and the user is told what is not.
        EXPECT_EQ(platform.file_bytes(kRoot + L"DATE"), Bytes());
        if (row.outcome == FormatOutcome::label_not_set) {
            EXPECT_EQ(platform.error_texts(), std::vector<std::wstring>{L"The device's program files and settings were put back, "
                                                               L"but its volume label could not be set to:\nFleet VOLKARIS"});
        }
    }
}

// FAT keeps 11 characters of a label: the key gets the part of its label that
// still names it, or the word alone, never a label no search finds.
TEST_F(FormatOutcomes, ALabelTooLongForFatComesBackAsMuchAsStillNamesTheKey) {
    struct Case {
        const wchar_t* label;
        const wchar_t* label_at_end;
    };
    const Case cases[] = {
        {L"VOLKARIS Fleet 12", L"VOLKARIS Fl"},
        {L"Fleet 12 VOLKARIS", L"VOLKARIS"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(std::string(row.label, row.label + std::wcslen(row.label)));
        FakePlatform fresh;
        fresh.volume_size = kKeySize;
        std::swap(platform, fresh);
        install_key(std::wstring(row.label) + L" (K:)", stored_config());
        platform.make_fat(L'K');
        platform.on_shell_format = [this](int) { platform.reformat_drive(L'K', L""); };

        EXPECT_EQ(format(device.find_key()), FormatOutcome::formatted);

        EXPECT_EQ(platform.volume_label(L'K'), row.label_at_end);
        // The key is remembered under the name it bears now.
        EXPECT_EQ(device.key().label, row.label_at_end);
        EXPECT_TRUE(platform.error_texts().empty());
    }
}

TEST_F(FormatOutcomes, AfterAFormatTheKeyIsKnownByItsNewSerialNumber) {
    install_key(L"VOLKARIS (K:)", stored_config());
    const KeyIdentity before = device.find_key();
    platform.on_shell_format = [this](int) { platform.reformat_drive(L'K', L"VOLKARIS"); };

    ASSERT_EQ(format(before), FormatOutcome::formatted);

    EXPECT_NE(device.key().volume_serial, before.volume_serial);
    EXPECT_TRUE(device.still_attached(device.key()));
    // The dialog's next Save goes to the key it shows.
    EXPECT_EQ(save_config(device.key(), device, device.config()), SaveOutcome::saved);
}

// A backup folder that cannot be removed is named to the user whatever the
// run's end: beside what went wrong, or on its own after a clean end.
TEST_F(FormatOutcomes, ABackupFolderThatStaysIsAlwaysNamed) {
    struct Case {
        const char* label;
        ShellFormatOutcome shell;
        bool formats_without_date;  // the volume is formatted, and DATE cannot be made on it
        FormatOutcome outcome;
        const wchar_t* message;
    };
    const Case cases[] = {
        {"dialog closed without formatting", ShellFormatOutcome::called, false, FormatOutcome::backup_left_behind,
         L"The device's files were put back, but their copies could not be removed from:"},
        {"no shell format", ShellFormatOutcome::entry_missing, false, FormatOutcome::no_shell_format,
         L"The device could not be formatted."},
        {"formatted, DATE not made", ShellFormatOutcome::called, true, FormatOutcome::settings_lost,
         L"The settings could not be saved on the device."},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        FakePlatform fresh;
        fresh.volume_size = kKeySize;
        std::swap(platform, fresh);
        install_key(L"VOLKARIS (K:)", stored_config());
        platform.format_outcome = row.shell;
        if (row.formats_without_date) {
            platform.on_shell_format = [this](int) {
                platform.reformat_drive(L'K', L"VOLKARIS");
                platform.unopenable_paths.insert(L"K:\\DATE");
            };
        }
        // Once the backup is whole, something of someone else's in its folder keeps it from going.
        std::wstring folder;
        platform.before_call = [this, &folder](int) {
            const std::vector<std::wstring> ours = platform.paths_under(platform.temp_path + L"\\VOLKARIS");
            if (!folder.empty() || ours.empty() ||
                platform.file_bytes(ours.front() + L"\\CONFIG") != stored_config()) {
                return;
            }
            folder = ours.front();
            platform.add_file(folder + L"\\held.tmp", "held");
            platform.locked_paths.insert(folder + L"\\HELD.TMP");
        };

        EXPECT_EQ(format(device.find_key()), row.outcome);

        ASSERT_FALSE(folder.empty());
        EXPECT_TRUE(platform.exists(folder));
        EXPECT_EQ(platform.error_texts(), std::vector<std::wstring>{std::wstring(row.message) + L"\n" +
                                                                    platform.temp_path + L"\\volkaris0A1E0000"});
    }
}

// After a format the settings are saved as Save saves them; the copy in the
// backup is only there for when that fails.
TEST_F(FormatOutcomes, TheSettingsAreSavedAfterTheFormatEvenWhenTheirCopyCannotBeRead) {
    install_key(L"VOLKARIS (K:)", stored_config());
    platform.on_shell_format = [this](int) {
        platform.reformat_drive(L'K', L"VOLKARIS");
        platform.unopenable_paths.insert(to_upper_ascii(platform.temp_path + L"\\volkaris0A1E0000\\CONFIG"));
    };

    EXPECT_EQ(format(device.find_key()), FormatOutcome::formatted);

    EXPECT_TRUE(platform.error_texts().empty());
    EXPECT_EQ(platform.file_bytes(kRoot + L"CONFIG"), std::optional<Bytes>(stored_config()));
    EXPECT_EQ(platform.file_bytes(kRoot + L"ostrevan.exe"), bytes_of("MZ exe"));
}

// A CONFIG that is not exactly 32 bytes (the device's older layout, or bytes
// after the 32) comes back from the backup as it was, and the format ends
// without a word and without a backup left behind.
TEST_F(FormatOutcomes, AConfigOfAnyLengthComesBackWithoutAWord) {
    for (const std::size_t length : {19u, 36u}) {
        SCOPED_TRACE(length);
        FakePlatform fresh;
        fresh.volume_size = kKeySize;
        std::swap(platform, fresh);
        Bytes config = stored_config();
        config.resize(length, 't');
        install_key(L"VOLKARIS (K:)", config);
        platform.on_shell_format = [this](int) { platform.reformat_drive(L'K', L"VOLKARIS"); };

        EXPECT_EQ(format(device.find_key()), FormatOutcome::formatted);

        EXPECT_TRUE(platform.error_texts().empty());
        EXPECT_TRUE(platform.paths_under(platform.temp_path + L"\\").empty());
        EXPECT_EQ(platform.file_bytes(kRoot + L"CONFIG"), std::optional<Bytes>(config));
    }
}

}  // namespace
}  // namespace lanternbook
