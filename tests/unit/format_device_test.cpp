#include <gtest/gtest.h>

#include <cstdint>
#include <cwchar>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "device/device_drive.h"
#include "fakes/fake_platform.h"
#include "l10n/texts.h"
#include "l10n/language_table.h"
#include "text/text_utils.h"
#include "maintenance/format_device.h"

namespace lanternbook {
namespace {

using testing::FakePlatform;

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kEnglish = 0x0409;
constexpr uint32_t kPolish = 0x0415;
constexpr uint64_t kMebibyte = 1024 * 1024;

// CONFIG as the key writes it: flags, date block, serial number, version, zero.
const Bytes kStoredConfig{'1',  '1',  '0',  '1',  '1',  '0',  '2',  28,   0x01, 0x10, 0x11,
                          0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C,
                          0x1D, 0x1E, 0x1F, 7,    0x12, 0x34, 2,    5,    9,    0};
const Bytes kStoredDate{'1', '2', '3', '4', '5', '6', '7', '8', '9'};
const std::vector<std::wstring> kProgramFileNames{L"autorun.inf", L"lanternbook.dll",
                                                  L"ostrevan.exe"};

class FormatDevice : public ::testing::Test {
protected:
    FormatDevice() {
        strings.select_language(kEnglish);
        platform.volume_size = 980 * kMebibyte;
    }

    std::wstring install_key(wchar_t letter, const Bytes& config = kStoredConfig) {
        const std::wstring root{letter, L':', L'\\'};
        platform.add_drive(letter, std::wstring(L"VOLKARIS (") + letter + L":)");
        platform.add_file(root + L"CONFIG", config);
        platform.add_file(root + L"DATE", kStoredDate);
        for (const std::wstring& name : kProgramFileNames) {
            platform.add_file(root + name, "program " + std::string(name.begin(), name.end()));
        }
        platform.add_folder(root + L"CARD");
        platform.add_file(root + L"CARD\\a.ddd", "download");
        return root;
    }

    void expect_program_files_back(const std::wstring& root) {
        for (const std::wstring& name : kProgramFileNames) {
            const auto bytes = platform.file_bytes(root + name);
            ASSERT_TRUE(bytes) << "missing: " << std::string(name.begin(), name.end());
            const std::string expected = "program " + std::string(name.begin(), name.end());
            EXPECT_EQ(*bytes, Bytes(expected.begin(), expected.end()));
        }
    }

    void expect_no_backup_left() {
        EXPECT_TRUE(platform.paths_under(platform.temp_path + L"\\").empty());
    }

    void expect_settings_untouched(const std::wstring& root, const Bytes& config) {
        EXPECT_EQ(platform.file_bytes(root + L"CONFIG"), config);
        EXPECT_EQ(platform.file_bytes(root + L"DATE"), kStoredDate);
    }

    FormatOutcome run() {
        return format_device(device.find_key(),
                             FormatServices{device, platform, platform, platform, platform, platform}, strings);
    }

    std::vector<std::wstring> error_texts() const { return platform.error_texts(); }

    FakePlatform platform;
    DeviceDrive device{platform, platform};
    LanguageTable strings;
};

FormatOutcome format_with(FakePlatform& platform, const LanguageTable& strings) {
    DeviceDrive device(platform, platform);
    return format_device(device.find_key(), FormatServices{device, platform, platform, platform, platform, platform},
                         strings);
}

struct SizeCase {
    uint64_t total_bytes;
    bool accepted;
};

TEST_F(FormatDevice, AcceptsOnlyTheKeysVolumeSizes) {
    const std::wstring root = install_key(L'K');
    const SizeCase cases[] = {
        {509'607'935, false},                          // just under 486 MiB
        {509'607'936, true},                           // 486 MiB
        {489 * kMebibyte + kMebibyte - 1, true},       // 489 MiB
        {490 * kMebibyte, false},
        {959 * kMebibyte + kMebibyte - 1, false},
        {960 * kMebibyte, true},
        {1000 * kMebibyte + kMebibyte - 1, true},
        {1001 * kMebibyte, false},
        {0, false},
        {uint64_t{1} << 41, false},
    };
    platform.default_answer = kAnswerCancel;
    for (const SizeCase& size : cases) {
        SCOPED_TRACE(size.total_bytes);
        platform.volume_size = size.total_bytes;
        platform.message_boxes.clear();

        const FormatOutcome result = run();

        ASSERT_EQ(platform.message_boxes.size(), 1u);
        const testing::MessageBoxCall& shown = platform.message_boxes[0];
        EXPECT_EQ(shown.caption, L"Caution");
        if (size.accepted) {
            EXPECT_EQ(result, FormatOutcome::declined);
            EXPECT_EQ(shown.text, L"Format will erase all the data stored in the device.");
            EXPECT_EQ(shown.style, 0x31u);
        } else {
            EXPECT_EQ(result, FormatOutcome::stopped);
            EXPECT_EQ(shown.text, L"Incorrect device size detected. Format will not continue.");
            EXPECT_EQ(shown.style, 0x10u);
        }
    }
    EXPECT_TRUE(platform.formatted_drive_indexes.empty());
    expect_settings_untouched(root, kStoredConfig);
    expect_no_backup_left();
}

TEST(FormatDeviceDrives, AnyDriveButAIsFormatted) {
    struct DriveCase {
        wchar_t letter;
        FormatOutcome expected_result;
        std::vector<int> formatted;
    };
    const DriveCase cases[] = {{L'A', FormatOutcome::stopped, {}},
                                {L'B', FormatOutcome::not_formatted, {1}},
                                {L'Z', FormatOutcome::not_formatted, {25}}};
    for (const DriveCase& drive : cases) {
        SCOPED_TRACE(static_cast<char>(drive.letter));
        FakePlatform fresh;
        fresh.volume_size = 980 * kMebibyte;
        LanguageTable strings;
        strings.select_language(kEnglish);
        fresh.add_drive(drive.letter, L"VOLKARIS");
        fresh.add_file(std::wstring{drive.letter, L':', L'\\'} + L"CONFIG", kStoredConfig);

        EXPECT_EQ(format_with(fresh, strings), drive.expected_result);

        EXPECT_EQ(fresh.formatted_drive_indexes, drive.formatted);
        EXPECT_EQ(fresh.message_boxes.size(), drive.formatted.size());
    }
}

TEST_F(FormatDevice, NoKeyStopsSilentlyButAnUnreadableSizeIsReported) {
    EXPECT_EQ(run(), FormatOutcome::stopped);
    EXPECT_TRUE(platform.message_boxes.empty());

    const std::wstring root = install_key(L'K');
    platform.volume_size.reset();
    EXPECT_EQ(run(), FormatOutcome::size_unknown);
    EXPECT_EQ(error_texts(), std::vector<std::wstring>{L"The device could not be formatted."});
    EXPECT_TRUE(platform.formatted_drive_indexes.empty());
    expect_settings_untouched(root, kStoredConfig);
}

TEST_F(FormatDevice, DeclinedConfirmationBacksUpAndWritesNothing) {
    Bytes long_config = kStoredConfig;
    long_config.insert(long_config.end(), {'t', 'a', 'i', 'l'});
    const std::wstring root = install_key(L'K', long_config);
    platform.default_answer = kAnswerCancel;

    EXPECT_EQ(run(), FormatOutcome::declined);

    EXPECT_TRUE(platform.formatted_drive_indexes.empty());
    expect_settings_untouched(root, long_config);
    expect_no_backup_left();
}

TEST_F(FormatDevice, CompletedFormatPutsProgramFilesAndSettingsBack) {
    const std::wstring root = install_key(L'K');
    platform.on_shell_format = [this](int) { platform.reformat_drive(L'K', L"VOLKARIS"); };

    EXPECT_EQ(run(), FormatOutcome::formatted);

    EXPECT_EQ(platform.formatted_drive_indexes, std::vector<int>{10});
    EXPECT_TRUE(error_texts().empty());
    expect_program_files_back(root);
    EXPECT_EQ(platform.file_bytes(root + L"CONFIG"), kStoredConfig);
    EXPECT_EQ(platform.file_bytes(root + L"DATE"), Bytes());
    EXPECT_FALSE(platform.exists(root + L"CARD\\a.ddd"));
    expect_no_backup_left();
}

// A format may give any other serial number: one below the key's is a
// format all the same, not a key that was left as it was.
TEST_F(FormatDevice, ANewSerialNumberBelowTheOldOneIsAFormatToo) {
    const std::wstring root = install_key(L'K');
    platform.on_shell_format = [this](int) {
        platform.reformat_drive(L'K', L"VOLKARIS");
        platform.set_volume_serial(L'K', 1);
    };

    EXPECT_EQ(run(), FormatOutcome::formatted);

    expect_program_files_back(root);
    EXPECT_EQ(platform.file_bytes(root + L"CONFIG"), kStoredConfig);
    expect_no_backup_left();
}

// A key that holds no settings yet, or an empty CONFIG, is formatted all the
// same: only a CONFIG that cannot be read stops a format.
TEST_F(FormatDevice, AKeyWithoutSettingsIsFormattedAndGetsWhatItHad) {
    for (const bool empty_config : {false, true}) {
        SCOPED_TRACE(empty_config ? "an empty CONFIG" : "no CONFIG");
        const std::wstring root = install_key(L'K');
        if (empty_config) {
            platform.add_file(root + L"CONFIG", Bytes());
        } else {
            ASSERT_TRUE(platform.delete_file(root + L"CONFIG"));
        }
        platform.on_shell_format = [this](int) { platform.reformat_drive(L'K', L"VOLKARIS"); };

        EXPECT_EQ(run(), FormatOutcome::formatted);

        expect_program_files_back(root);
        EXPECT_EQ(platform.file_bytes(root + L"CONFIG"), empty_config ? std::optional<Bytes>(Bytes()) : std::nullopt);
        expect_no_backup_left();
    }
}

TEST_F(FormatDevice, CancelledShellDialogKeepsTheKeysSettings) {
    // A rewrite would cut the tail off CONFIG and empty DATE, losing the
    // key's since-last-download marker although nothing was formatted.
    Bytes long_config = kStoredConfig;
    long_config.insert(long_config.end(), {'t', 'a', 'i', 'l'});
    const std::wstring root = install_key(L'K', long_config);
    // Copying over a hidden file fails: nothing is copied back over itself.
    platform.add_file(root + L"autorun.inf", "program autorun.inf", testing::kAttrHidden | testing::kAttrReadOnly);

    EXPECT_EQ(run(), FormatOutcome::not_formatted);

    EXPECT_EQ(platform.formatted_drive_indexes, std::vector<int>{10});
    EXPECT_TRUE(error_texts().empty());
    expect_settings_untouched(root, long_config);
    expect_program_files_back(root);
    EXPECT_TRUE(platform.exists(root + L"CARD\\a.ddd"));
    expect_no_backup_left();
}

// A Save of this key while the shell's dialog was open, which then formatted
// nothing: the CONFIG it wrote holds the key's own identity and is the key's.
TEST_F(FormatDevice, ACancelledFormatKeepsTheKeysCONFIGSavedMeanwhile) {
    const std::wstring root = install_key(L'K');
    Bytes saved_meanwhile = kStoredConfig;
    saved_meanwhile[7] = 45;
    platform.on_shell_format = [&](int) { platform.add_file(root + L"CONFIG", saved_meanwhile); };

    EXPECT_EQ(run(), FormatOutcome::not_formatted);

    EXPECT_EQ(platform.file_bytes(root + L"CONFIG"), saved_meanwhile);
    expect_program_files_back(root);
    expect_no_backup_left();
}

TEST_F(FormatDevice, MissingShellFormatWritesNothingButCleansUp) {
    for (const ShellFormatOutcome outcome :
         {ShellFormatOutcome::library_missing, ShellFormatOutcome::entry_missing}) {
        SCOPED_TRACE(static_cast<int>(outcome));
        const std::wstring root = install_key(L'K');
        platform.format_outcome = outcome;
        platform.on_shell_format = [this](int) { platform.reformat_drive(L'K', L"VOLKARIS"); };

        EXPECT_EQ(run(), FormatOutcome::no_shell_format);

        EXPECT_EQ(error_texts().back(), L"The device could not be formatted.");
        expect_settings_untouched(root, kStoredConfig);
        expect_program_files_back(root);
        expect_no_backup_left();
    }
}

TEST_F(FormatDevice, KeyRelabelledByTheFormatGetsEverythingBackAndItsLabel) {
    const std::wstring root = install_key(L'K');
    platform.add_drive(L'L', L"VOLKARIS (L:)");
    platform.on_shell_format = [this](int) { platform.reformat_drive(L'K', L"NEW VOLUME"); };

    EXPECT_EQ(run(), FormatOutcome::formatted);

    expect_program_files_back(root);
    EXPECT_EQ(platform.file_bytes(root + L"CONFIG"), kStoredConfig);
    EXPECT_EQ(platform.file_bytes(root + L"DATE"), Bytes());
    EXPECT_EQ(platform.volume_label(L'K'), L"VOLKARIS");
    // The other key found by a new search gets nothing.
    EXPECT_TRUE(platform.paths_under(L"L:\\").empty());
    expect_no_backup_left();
}

// After a format the key is known by the label its volume has: the key's own,
// the part of it FAT keeps, or the one the shell's format gave it.
TEST_F(FormatDevice, TheKeyIsRememberedByTheLabelItsVolumeHasNow) {
    for (const wchar_t* given_by_the_format : {L"NEW VOLUME", L"VOLKARIS 7"}) {
        SCOPED_TRACE(std::string(given_by_the_format, given_by_the_format + std::wcslen(given_by_the_format)));
        install_key(L'K');
        platform.on_shell_format = [&](int) { platform.reformat_drive(L'K', given_by_the_format); };

        EXPECT_EQ(run(), FormatOutcome::formatted);

        EXPECT_EQ(device.key().label, platform.volume_label(L'K'));
    }
}

TEST_F(FormatDevice, IncompleteBackupMeansNoFormat) {
    struct Case {
        const char* label;
        std::function<void(FakePlatform&)> fault;
    };
    const Case cases[] = {
        {"no temp folder", [](FakePlatform& p) { p.temp_path = L"C:\\Nowhere"; }},
        {"one copy fails", [](FakePlatform& p) { p.unopenable_paths.insert(L"K:\\OSTREVAN.EXE"); }},
        {"copies come out short", [](FakePlatform& p) { p.write_limit = 4; }},
        // The first backup folder the run tries, as the clock names it.
        {"CONFIG cannot be copied",
         [](FakePlatform& p) { p.unopenable_paths.insert(to_upper_ascii(p.temp_path + L"\\volkaris0A1E0000\\CONFIG")); }},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        FakePlatform fresh;
        fresh.volume_size = 980 * kMebibyte;
        platform.message_boxes.clear();
        std::swap(platform, fresh);
        const std::wstring root = install_key(L'K');
        platform.on_shell_format = [this](int) { platform.reformat_drive(L'K', L"VOLKARIS"); };
        row.fault(platform);

        EXPECT_EQ(run(), FormatOutcome::no_backup);

        EXPECT_TRUE(platform.formatted_drive_indexes.empty());
        expect_program_files_back(root);
        EXPECT_EQ(error_texts(), std::vector<std::wstring>{
                                     L"The device's program files could not be copied. Format will not start."});
        platform.temp_path = L"C:\\Users\\user\\AppData\\Local\\Temp";
        expect_no_backup_left();
    }
}

TEST_F(FormatDevice, SomeoneElsesFolderUnderOurNameIsLeftAlone) {
    const std::wstring root = install_key(L'K');
    // Every name the run may try first is taken by a folder of someone else.
    const std::wstring theirs = platform.temp_path + L"\\volkaris0A1E0000";
    platform.add_folder(theirs);
    platform.add_file(theirs + L"\\keep.txt", "theirs");
    platform.on_shell_format = [this](int) { platform.reformat_drive(L'K', L"VOLKARIS"); };

    EXPECT_EQ(run(), FormatOutcome::formatted);

    expect_program_files_back(root);
    EXPECT_EQ(platform.paths_under(platform.temp_path + L"\\"),
              (std::vector<std::wstring>{L"C:\\USERS\\USER\\APPDATA\\LOCAL\\TEMP\\VOLKARIS0A1E0000",
                                         L"C:\\USERS\\USER\\APPDATA\\LOCAL\\TEMP\\VOLKARIS0A1E0000\\KEEP.TXT"}));
}

TEST_F(FormatDevice, UnreadableConfigMeansNoFormat) {
    const std::wstring root = install_key(L'K');
    platform.unopenable_paths.insert(L"K:\\CONFIG");

    EXPECT_EQ(run(), FormatOutcome::unreadable);

    EXPECT_TRUE(platform.formatted_drive_indexes.empty());
    EXPECT_EQ(error_texts(), std::vector<std::wstring>{
                                 L"The device's settings could not be read. Format will not start."});
    expect_no_backup_left();
}

TEST_F(FormatDevice, FilesThatCannotGoBackStayInTheBackupTheUserIsShown) {
    const std::wstring root = install_key(L'K');
    platform.on_shell_format = [this](int) {
        platform.reformat_drive(L'K', L"VOLKARIS");
        platform.unopenable_paths.insert(L"K:\\LANTERNBOOK.DLL");
    };

    EXPECT_EQ(run(), FormatOutcome::files_left_behind);

    const std::vector<std::wstring> errors = error_texts();
    ASSERT_EQ(errors.size(), 1u);
    const std::wstring prefix = L"The device's program files could not be put back. They are kept in:\n";
    ASSERT_EQ(errors[0].compare(0, prefix.size(), prefix), 0);
    const std::wstring folder = errors[0].substr(prefix.size());
    EXPECT_EQ(platform.file_bytes(folder + L"\\lanternbook.dll"),
              Bytes({'p', 'r', 'o', 'g', 'r', 'a', 'm', ' ', 'l', 'a', 'n', 't', 'e', 'r', 'n', 'b', 'o', 'o', 'k',
                     '.', 'd', 'l', 'l'}));
    EXPECT_EQ(platform.file_bytes(root + L"CONFIG"), kStoredConfig);
}

TEST_F(FormatDevice, KeySwappedWhileTheQuestionWasOpenIsNotFormatted) {
    const std::wstring root = install_key(L'K');
    const int key_volume = platform.volume_at(L'K');
    platform.before_call = [this](int) {
        if (!platform.message_boxes.empty() && platform.volume_label(L'K') == L"VOLKARIS") {
            platform.add_drive(L'K', L"VOLKARIS (K:)");  // another key, same letter
            platform.before_call = nullptr;
        }
    };

    EXPECT_EQ(run(), FormatOutcome::key_changed);

    EXPECT_TRUE(platform.formatted_drive_indexes.empty());
    EXPECT_TRUE(platform.paths_under(root).empty());
    platform.plug_in(L'K', key_volume);
    expect_settings_untouched(root, kStoredConfig);
}

// What the drive holds once the shell's dialog closes decides what goes back,
// and the user is told the folder whenever the backup is still there.
TEST_F(FormatDevice, OnlyTheVolumeThatWasFormattedGetsTheFilesBack) {
    struct Case {
        const char* label;
        std::function<void(FakePlatform&)> after_shell;
        FormatOutcome outcome;
        const wchar_t* message;  // followed by the backup folder; none for a clean end
        bool files_back;
    };
    const Case cases[] = {
        {"formatted", [](FakePlatform& p) { p.reformat_drive(L'K', L""); }, FormatOutcome::formatted, nullptr, true},
        {"cancelled", [](FakePlatform&) {}, FormatOutcome::not_formatted, nullptr, true},
        {"no volume to read",
         [](FakePlatform& p) {
             p.reformat_drive(L'K', L"");
             p.failing_call = p.calls + 1;
         },
         FormatOutcome::unverifiable,
         L"The device could not be checked after the format. Its program files and settings are kept in:", false},
        {"another volume with content",
         [](FakePlatform& p) {
             p.remove_drive(L'K');
             p.add_drive(L'K', L"PHOTOS (K:)");
             p.add_file(L"K:\\holiday.jpg", "photo");
         },
         FormatOutcome::other_volume,
         L"Another volume took the device's place during the format. Nothing was written to it. The device's "
         L"program files and settings are kept in:",
         false},
        // As a volume's serial number is seen where the system remembers it.
        {"another key's files under the same serial number",
         [](FakePlatform& p) {
             p.wipe_drive(L'K');
             Bytes theirs = kStoredConfig;
             theirs[25] = 9;
             p.add_file(L"K:\\CONFIG", theirs);
             p.add_file(L"K:\\holiday.jpg", "photo");
         },
         FormatOutcome::other_volume,
         L"Another volume took the device's place during the format. Nothing was written to it. The device's "
         L"program files and settings are kept in:",
         false},
        {"the key pulled",
         [](FakePlatform& p) { p.remove_drive(L'K'); }, FormatOutcome::unverifiable,
         L"The device could not be checked after the format. Its program files and settings are kept in:", false},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        FakePlatform fresh;
        fresh.volume_size = 980 * kMebibyte;
        std::swap(platform, fresh);
        const std::wstring root = install_key(L'K');
        const int key_volume = platform.volume_at(L'K');
        platform.on_shell_format = [this, &row](int) { row.after_shell(platform); };

        EXPECT_EQ(run(), row.outcome);

        const std::vector<std::wstring> errors = error_texts();
        if (row.message == nullptr) {
            EXPECT_TRUE(errors.empty());
            expect_no_backup_left();
        } else {
            ASSERT_EQ(errors.size(), 1u);
            const std::wstring prefix = std::wstring(row.message) + L"\n";
            ASSERT_EQ(errors[0].compare(0, prefix.size(), prefix), 0);
            const std::wstring folder = errors[0].substr(prefix.size());
            EXPECT_EQ(platform.file_bytes(folder + L"\\CONFIG"), kStoredConfig);
            EXPECT_EQ(platform.file_bytes(folder + L"\\ostrevan.exe"), Bytes({'p', 'r', 'o', 'g', 'r', 'a', 'm', ' ', 'o',
                                                                               's', 't', 'r', 'e', 'v', 'a', 'n', '.',
                                                                               'e', 'x', 'e'}));
        }
        if (row.outcome == FormatOutcome::other_volume) {
            // Nothing of ours went onto the volume that took the letter.
            const std::vector<std::wstring> theirs = platform.paths_under(root);
            EXPECT_TRUE(theirs == std::vector<std::wstring>{L"K:\\HOLIDAY.JPG"} ||
                        theirs == (std::vector<std::wstring>{L"K:\\CONFIG", L"K:\\HOLIDAY.JPG"}));
            EXPECT_NE(platform.file_bytes(root + L"CONFIG"), kStoredConfig);
        }
        if (platform.volume_at(L'K') != key_volume) {
            platform.plug_in(L'K', key_volume);
        }
        if (row.files_back) {
            expect_program_files_back(root);
            EXPECT_EQ(platform.file_bytes(root + L"CONFIG"), kStoredConfig);
        }
    }
}

TEST_F(FormatDevice, ABackupThatCannotGoAfterEverythingIsBackIsSaidToBeJustThat) {
    const std::wstring root = install_key(L'K');
    std::wstring folder;
    platform.on_shell_format = [this, &folder](int) {
        platform.reformat_drive(L'K', L"");
        // Something of someone else's in our folder keeps it from going.
        folder = platform.paths_under(platform.temp_path + L"\\VOLKARIS").front();
        platform.add_file(folder + L"\\held.tmp", "held");
        platform.locked_paths.insert(folder + L"\\HELD.TMP");
    };

    EXPECT_EQ(run(), FormatOutcome::backup_left_behind);

    expect_program_files_back(root);
    EXPECT_EQ(platform.file_bytes(root + L"CONFIG"), kStoredConfig);
    const std::wstring prefix = L"The device's files were put back, but their copies could not be removed from:\n";
    const std::vector<std::wstring> errors = error_texts();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], prefix + platform.temp_path + L"\\volkaris0A1E0000");
    EXPECT_TRUE(platform.exists(folder));
}

TEST(FormatDeviceMessages, AreTheWholeEntriesOfTheLanguage) {
    for (const uint32_t language : {kEnglish, kPolish}) {
        FakePlatform platform;
        platform.add_drive(L'K', L"VOLKARIS (K:)");
        platform.default_answer = kAnswerCancel;
        LanguageTable strings;
        strings.select_language(language);
        const StringTable& table = string_table_for(language);

        platform.volume_size = 100 * kMebibyte;
        EXPECT_EQ(format_with(platform, strings), FormatOutcome::stopped);
        platform.volume_size = 488 * kMebibyte;
        EXPECT_EQ(format_with(platform, strings), FormatOutcome::declined);

        ASSERT_EQ(platform.message_boxes.size(), 2u);
        EXPECT_EQ(platform.message_boxes[0].text, table.at(Text::incorrect_device_size));
        EXPECT_EQ(platform.message_boxes[1].text, table.at(Text::format_confirmation));
        for (const auto& shown : platform.message_boxes) {
            EXPECT_EQ(shown.caption, table.at(Text::caution));
        }
    }
}

}  // namespace
}  // namespace lanternbook
