#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog/dialog_state.h"
#include "fakes/fake_platform.h"
#include "l10n/entries.h"
#include "l10n/language_table.h"
#include "maintenance/erase_downloads.h"

namespace lanternbook {
namespace {

using testing::FakePlatform;
using testing::kAttrHidden;
using testing::kAttrReadOnly;
using testing::kAttrSystem;

constexpr uint32_t kEnglish = 0x0409;
constexpr uint32_t kPolish = 0x0415;

class EraseDownloads : public ::testing::Test {
protected:
    EraseDownloads() : state(platform) {
        state.strings.select_language(kEnglish);
        platform.add_drive(L'K', L"VOLKARIS (K:)");
        platform.add_folder(L"K:\\CARD");
        platform.add_folder(L"K:\\TACHO");
    }

    void add_files(const std::vector<std::wstring>& paths, uint32_t attributes = 0) {
        for (const std::wstring& path : paths) {
            platform.add_file(path, "download", attributes);
        }
    }

    void expect_gone(const std::vector<std::wstring>& paths) {
        for (const std::wstring& path : paths) {
            EXPECT_FALSE(platform.exists(path)) << "still there: " << std::string(path.begin(), path.end());
        }
    }

    void expect_kept(const std::vector<std::wstring>& paths) {
        for (const std::wstring& path : paths) {
            EXPECT_TRUE(platform.exists(path)) << "deleted: " << std::string(path.begin(), path.end());
        }
    }

    FakePlatform platform;
    DialogState state;
};

TEST_F(EraseDownloads, DeletesEveryExtensionInBothFoldersWhateverTheCase) {
    const std::vector<std::wstring> downloads{
        L"K:\\CARD\\X.DDD",    L"K:\\CARD\\a.dtg", L"K:\\CARD\\b.Dtc",   L"K:\\CARD\\c.esm",
        L"K:\\TACHO\\y.Esm",   L"K:\\TACHO\\d.DTG", L"K:\\TACHO\\e.ddd", L"K:\\TACHO\\f.dTc",
        L"K:\\CARD\\long name with spaces.ddd"};
    add_files(downloads);

    EXPECT_EQ(erase_downloads(state, platform), 0);

    expect_gone(downloads);
    EXPECT_EQ(platform.message_boxes.size(), 1u);
}

TEST_F(EraseDownloads, KeepsNamesThatOnlyResembleDownloads) {
    // All of these are listed for a pattern (".ddd" by the wildcard, the
    // longer extensions by short-name matching), so only the name check saves them.
    const std::vector<std::wstring> look_alikes{L"K:\\CARD\\.ddd", L"K:\\CARD\\a.dddx",
                                                L"K:\\TACHO\\b.esmold", L"K:\\TACHO\\.DTG",
                                                L"K:\\CARD\\notes.txt"};
    add_files(look_alikes);
    platform.add_file(L"K:\\CARD\\real.ddd", "download");

    erase_downloads(state, platform);

    expect_kept(look_alikes);
    expect_gone({L"K:\\CARD\\real.ddd"});
}

TEST_F(EraseDownloads, NeverEntersOrRemovesSubfolders) {
    platform.add_folder(L"K:\\CARD\\old.ddd");
    platform.add_folder(L"K:\\TACHO\\archive");
    const std::vector<std::wstring> nested{L"K:\\CARD\\old.ddd\\inner.ddd",
                                           L"K:\\TACHO\\archive\\x.esm",
                                           L"K:\\TACHO\\archive\\y.dtg"};
    add_files(nested);

    erase_downloads(state, platform);

    EXPECT_TRUE(platform.is_folder(L"K:\\CARD\\old.ddd"));
    EXPECT_TRUE(platform.is_folder(L"K:\\TACHO\\archive"));
    expect_kept(nested);
}

TEST_F(EraseDownloads, DeletesProtectedDownloads) {
    const std::vector<std::wstring> protected_files{L"K:\\CARD\\ro.ddd", L"K:\\CARD\\hidden.dtg",
                                                    L"K:\\TACHO\\system.esm"};
    platform.add_file(protected_files[0], "d", kAttrReadOnly);
    platform.add_file(protected_files[1], "d", kAttrHidden);
    platform.add_file(protected_files[2], "d", kAttrReadOnly | kAttrHidden | kAttrSystem);

    erase_downloads(state, platform);

    expect_gone(protected_files);
}

TEST_F(EraseDownloads, KeyWithoutCardFolderStillLosesTachoDownloads) {
    platform.wipe_drive(L'K');
    platform.add_folder(L"K:\\TACHO");
    add_files({L"K:\\TACHO\\a.ddd", L"K:\\TACHO\\b.esm"});

    erase_downloads(state, platform);

    expect_gone({L"K:\\TACHO\\a.ddd", L"K:\\TACHO\\b.esm"});
}

TEST_F(EraseDownloads, TouchesNothingOutsideTheDownloadFolders) {
    const std::vector<std::wstring> others{
        L"K:\\a.ddd",          L"K:\\b.esm",       L"K:\\CONFIG",       L"K:\\DATE",
        L"K:\\autorun.inf",    L"K:\\lanternbook.dll", L"K:\\ostrevan.exe",
        L"K:\\OTHER\\c.ddd",   L"D:\\CARD\\d.ddd", L"D:\\TACHO\\e.esm"};
    platform.add_drive(L'D', L"DATA (D:)");
    platform.add_folder(L"K:\\OTHER");
    platform.add_folder(L"D:\\CARD");
    platform.add_folder(L"D:\\TACHO");
    add_files(others);

    erase_downloads(state, platform);

    expect_kept(others);
}

TEST_F(EraseDownloads, DeclinedConfirmationTouchesNothing) {
    const std::vector<std::wstring> downloads{L"K:\\CARD\\a.ddd", L"K:\\TACHO\\b.esm"};
    add_files(downloads);
    platform.default_answer = kAnswerCancel;

    EXPECT_EQ(erase_downloads(state, platform), 0);

    expect_kept(downloads);
    EXPECT_EQ(platform.drive_mask_calls, 0) << "the key was searched before the user agreed";
}

TEST_F(EraseDownloads, KeyPulledBetweenStepsStopsTheRun) {
    add_files({L"K:\\CARD\\a.dtg", L"K:\\CARD\\b.ddd", L"K:\\CARD\\c.dtc", L"K:\\CARD\\d.esm",
               L"K:\\TACHO\\e.dtg"});
    // The third step (CARD, dtc) no longer finds the key.
    platform.on_drive_mask = [this](int call_number) {
        if (call_number == 3) {
            platform.remove_drive(L'K');
        }
    };

    erase_downloads(state, platform);

    expect_gone({L"K:\\CARD\\a.dtg", L"K:\\CARD\\b.ddd"});
    expect_kept({L"K:\\CARD\\c.dtc", L"K:\\CARD\\d.esm", L"K:\\TACHO\\e.dtg"});
    EXPECT_EQ(platform.drive_mask_calls, 3);
}

TEST_F(EraseDownloads, LockedFileDoesNotStopTheRun) {
    add_files({L"K:\\CARD\\a.ddd", L"K:\\CARD\\b.ddd", L"K:\\CARD\\c.esm", L"K:\\TACHO\\d.dtg"});
    platform.locked_paths.insert(L"K:\\CARD\\A.DDD");

    erase_downloads(state, platform);

    expect_kept({L"K:\\CARD\\a.ddd"});
    expect_gone({L"K:\\CARD\\b.ddd", L"K:\\CARD\\c.esm", L"K:\\TACHO\\d.dtg"});
}

TEST_F(EraseDownloads, NoKeyMeansNothingHappensAfterTheQuestion) {
    add_files({L"K:\\CARD\\a.ddd"});
    platform.remove_drive(L'K');

    EXPECT_EQ(erase_downloads(state, platform), 0);

    expect_kept({L"K:\\CARD\\a.ddd"});
    EXPECT_EQ(platform.drive_mask_calls, 1);
}

TEST(EraseDownloadsMessage, IsTheWholeEntryOfTheLanguage) {
    for (const uint32_t language : {kEnglish, kPolish}) {
        FakePlatform platform;
        platform.default_answer = kAnswerCancel;
        DialogState state(platform);
        state.strings.select_language(language);

        erase_downloads(state, platform);

        const StringTable& table = string_table_for(language);
        ASSERT_EQ(platform.message_boxes.size(), 1u);
        EXPECT_EQ(platform.message_boxes[0].text, table[entry::erase_confirmation - 1]);
        EXPECT_EQ(platform.message_boxes[0].caption, table[entry::caution - 1]);
        EXPECT_EQ(platform.message_boxes[0].style, 0x31u);
    }
    EXPECT_STREQ(string_table_for(kEnglish)[entry::erase_confirmation - 1],
                 L"This will erase all the downloads from device. \nDo you want to continue?");
}

}  // namespace
}  // namespace lanternbook
