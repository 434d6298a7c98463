#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "device/device_drive.h"
#include "fakes/fake_platform.h"
#include "l10n/texts.h"
#include "l10n/language_table.h"
#include "text/text_utils.h"
#include "text/utf8_text.h"
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
    EraseDownloads() {
        strings.select_language(kEnglish);
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

    // The key the dialog shows, found before the user is asked.
    EraseResult run() {
        const KeyIdentity key = device.find_key();
        platform.drive_mask_calls = 0;
        return erase_downloads(key, device, platform, platform, strings);
    }

    std::vector<std::wstring> error_texts() const { return platform.error_texts(); }

    FakePlatform platform;
    DeviceDrive device{platform, platform};
    LanguageTable strings;
};

const std::wstring kDeviceChanged = L"The device was removed or changed. The operation was stopped.";

TEST_F(EraseDownloads, DeletesEveryExtensionInBothFoldersWhateverTheCase) {
    const std::vector<std::wstring> downloads{
        L"K:\\CARD\\X.DDD",    L"K:\\CARD\\a.dtg", L"K:\\CARD\\b.Dtc",   L"K:\\CARD\\c.esm",
        L"K:\\TACHO\\y.Esm",   L"K:\\TACHO\\d.DTG", L"K:\\TACHO\\e.ddd", L"K:\\TACHO\\f.dTc",
        L"K:\\CARD\\long name with spaces.ddd"};
    add_files(downloads);

    const EraseResult result = run();

    EXPECT_EQ(result.outcome, EraseOutcome::erased);
    EXPECT_EQ(result.deleted, downloads.size());
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

    EXPECT_EQ(run().outcome, EraseOutcome::erased);

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

    EXPECT_EQ(run().outcome, EraseOutcome::erased);

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

    EXPECT_EQ(run().outcome, EraseOutcome::erased);

    expect_gone(protected_files);
}

TEST_F(EraseDownloads, KeyWithoutCardFolderStillLosesTachoDownloads) {
    platform.wipe_drive(L'K');
    platform.add_folder(L"K:\\TACHO");
    add_files({L"K:\\TACHO\\a.ddd", L"K:\\TACHO\\b.esm"});

    EXPECT_EQ(run().outcome, EraseOutcome::erased);

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

    EXPECT_EQ(run().outcome, EraseOutcome::erased);

    expect_kept(others);
}

TEST_F(EraseDownloads, DeclinedConfirmationTouchesNothing) {
    const std::vector<std::wstring> downloads{L"K:\\CARD\\a.ddd", L"K:\\TACHO\\b.esm"};
    add_files(downloads);
    platform.default_answer = kAnswerCancel;

    EXPECT_EQ(run().outcome, EraseOutcome::declined);

    expect_kept(downloads);
    EXPECT_EQ(platform.drive_mask_calls, 0) << "the key was searched before the user agreed";
}

TEST_F(EraseDownloads, KeyPulledBetweenStepsStopsTheRunAndNeverMovesToAnotherKey) {
    add_files({L"K:\\CARD\\a.dtg", L"K:\\CARD\\b.ddd", L"K:\\CARD\\c.dtc", L"K:\\CARD\\d.esm",
               L"K:\\TACHO\\e.dtg"});
    platform.add_drive(L'L', L"VOLKARIS (L:)");
    platform.add_folder(L"L:\\CARD");
    add_files({L"L:\\CARD\\x.dtc", L"L:\\CARD\\y.esm"});
    // Once the second pass has deleted its file, the key goes and another
    // key stays: the third pass must not sweep that one.
    int pulled = -1;
    platform.before_call = [&](int) {
        if (pulled < 0 && !platform.exists(L"K:\\CARD\\b.ddd")) {
            pulled = platform.remove_drive(L'K');
        }
    };

    const EraseResult result = run();
    platform.plug_in(L'K', pulled);

    EXPECT_EQ(result.outcome, EraseOutcome::key_changed);
    EXPECT_EQ(result.deleted, 2u);
    expect_gone({L"K:\\CARD\\a.dtg", L"K:\\CARD\\b.ddd"});
    expect_kept({L"K:\\CARD\\c.dtc", L"K:\\CARD\\d.esm", L"K:\\TACHO\\e.dtg", L"L:\\CARD\\x.dtc",
                 L"L:\\CARD\\y.esm"});
    EXPECT_EQ(error_texts(), std::vector<std::wstring>{kDeviceChanged});
}

TEST_F(EraseDownloads, AnotherVolumeUnderTheSameLetterStopsTheRun) {
    add_files({L"K:\\CARD\\a.dtg", L"K:\\TACHO\\b.ddd"});
    const int key_volume = platform.volume_at(L'K');
    bool swapped = false;
    platform.before_call = [&](int) {
        if (!swapped && !platform.exists(L"K:\\CARD\\a.dtg")) {
            swapped = true;
            platform.add_drive(L'K', L"VOLKARIS (K:)");  // another key, another serial number
            platform.add_folder(L"K:\\TACHO");
            platform.add_file(L"K:\\TACHO\\theirs.ddd", "theirs");
        }
    };

    EXPECT_EQ(run().outcome, EraseOutcome::key_changed);
    expect_kept({L"K:\\TACHO\\theirs.ddd"});
    platform.plug_in(L'K', key_volume);
    expect_kept({L"K:\\TACHO\\b.ddd"});
}

TEST_F(EraseDownloads, LockedFileDoesNotStopTheRunButIsReported) {
    add_files({L"K:\\CARD\\b.ddd", L"K:\\CARD\\c.esm", L"K:\\TACHO\\d.dtg"});
    platform.add_file(L"K:\\CARD\\a.ddd", "held", kAttrHidden | kAttrReadOnly);
    platform.locked_paths.insert(L"K:\\CARD\\A.DDD");

    const EraseResult result = run();

    EXPECT_EQ(result.outcome, EraseOutcome::incomplete);
    EXPECT_EQ(result.deleted, 3u);
    EXPECT_EQ(paths_not_deleted(result), std::vector<std::wstring>{L"K:\\CARD\\a.ddd"});
    expect_kept({L"K:\\CARD\\a.ddd"});
    // What was cleared to try the deletion is put back.
    EXPECT_EQ(platform.attributes(L"K:\\CARD\\a.ddd"), kAttrHidden | kAttrReadOnly);
    expect_gone({L"K:\\CARD\\b.ddd", L"K:\\CARD\\c.esm", L"K:\\TACHO\\d.dtg"});
    EXPECT_EQ(error_texts(), std::vector<std::wstring>{L"Some downloads could not be erased."});
}

TEST_F(EraseDownloads, NeverStepsThroughALink) {
    // CARD leads off the key; TACHO holds a link among its downloads.
    platform.add_folder(L"C:\\Fleet");
    add_files({L"C:\\Fleet\\kept.ddd", L"C:\\Fleet\\kept.esm"});
    platform.wipe_drive(L'K');
    platform.add_folder_link(L"K:\\CARD", L"C:\\Fleet");
    platform.add_folder(L"K:\\TACHO");
    platform.add_folder_link(L"K:\\TACHO\\more.ddd", L"C:\\Fleet");
    add_files({L"K:\\TACHO\\a.ddd", L"K:\\TACHO\\b.dtg"});

    const EraseResult result = run();
    EXPECT_EQ(result.outcome, EraseOutcome::skipped_some);
    EXPECT_EQ(result.skipped, 2u);

    expect_kept({L"C:\\Fleet\\kept.ddd", L"C:\\Fleet\\kept.esm", L"K:\\TACHO\\more.ddd"});
    expect_gone({L"K:\\TACHO\\a.ddd", L"K:\\TACHO\\b.dtg"});
}

// What a listing names is what the erase then deletes, and the listing deletes nothing.
TEST_F(EraseDownloads, ListingNamesExactlyWhatAnEraseDeletes) {
    platform.add_folder(L"C:\\Fleet");
    add_files({L"C:\\Fleet\\theirs.ddd"});
    platform.add_folder_link(L"K:\\TACHO\\more.ddd", L"C:\\Fleet");
    platform.add_file_link(L"K:\\TACHO\\link.ddd", L"C:\\Fleet\\theirs.ddd");
    platform.add_folder(L"K:\\CARD\\old.ddd");
    const std::vector<std::wstring> downloads{L"K:\\CARD\\X.DDD", L"K:\\CARD\\c.esm", L"K:\\TACHO\\d.DTG"};
    add_files(downloads);
    add_files({L"K:\\CARD\\a.dddx", L"K:\\CARD\\notes.txt"});
    const KeyIdentity key = device.find_key();

    // What the list held before is no part of the listing.
    std::vector<std::wstring> listed{L"K:\\CARD\\stale.ddd"};
    ASSERT_EQ(list_downloads(key, device, platform, listed).outcome, EraseOutcome::erased);
    std::sort(listed.begin(), listed.end());
    std::vector<std::wstring> expected = downloads;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listed, expected);
    expect_kept(downloads);

    const EraseResult result = erase_downloads_on(key, device, platform);
    EXPECT_EQ(result.outcome, EraseOutcome::skipped_some);
    EXPECT_EQ(result.deleted, listed.size());
    EXPECT_EQ(result.skipped, 2u);
    EXPECT_TRUE(paths_not_deleted(result).empty());
    expect_gone(downloads);
    expect_kept({L"C:\\Fleet\\theirs.ddd"});
}

TEST_F(EraseDownloads, NoKeyAfterTheQuestionIsReported) {
    add_files({L"K:\\CARD\\a.ddd"});
    const int key_volume = platform.remove_drive(L'K');

    EXPECT_EQ(run().outcome, EraseOutcome::no_key);
    platform.plug_in(L'K', key_volume);

    expect_kept({L"K:\\CARD\\a.ddd"});
    EXPECT_EQ(error_texts(), std::vector<std::wstring>{kDeviceChanged});
}

TEST(EraseDownloadsMessage, IsTheWholeEntryOfTheLanguage) {
    for (const uint32_t language : {kEnglish, kPolish}) {
        FakePlatform platform;
        platform.default_answer = kAnswerCancel;
        DeviceDrive device(platform, platform);
        LanguageTable strings;
        strings.select_language(language);

        EXPECT_EQ(erase_downloads(KeyIdentity{}, device, platform, platform, strings).outcome,
                  EraseOutcome::declined);

        const StringTable& table = string_table_for(language);
        ASSERT_EQ(platform.message_boxes.size(), 1u);
        EXPECT_EQ(platform.message_boxes[0].text, table.at(Text::erase_confirmation));
        EXPECT_EQ(platform.message_boxes[0].caption, table.at(Text::caution));
        EXPECT_EQ(platform.message_boxes[0].style, 0x31u);
    }
    EXPECT_EQ(string_table_for(kEnglish).at(Text::erase_confirmation),
              L"This will erase all the downloads from device. \nDo you want to continue?");
}

}  // namespace
}  // namespace lanternbook

namespace lanternbook {
namespace {

using testing::FakePlatform;

// A listing that ignores its pattern, as a file system without short names
// or a redirector may: every entry of the folder comes back.
class UnfilteredListing : public FakePlatform {
public:
    Lookup held_listing(const std::wstring& /*folder*/, const std::wstring& /*pattern*/,
                        const std::vector<FolderEntry>& every, std::vector<FolderEntry>& entries) override {
        entries = every;
        return entries.empty() ? Lookup::missing : Lookup::found;
    }
};

TEST(EraseDownloadsNames, OnlyTheNameDecidesWhatIsADownloadWhateverTheListingReturns) {
    UnfilteredListing platform;
    platform.add_drive(L'K', L"VOLKARIS (K:)");
    platform.add_folder(L"K:\\CARD");
    platform.add_folder(L"K:\\TACHO");
    const std::vector<std::wstring> downloads{L"K:\\CARD\\a.ddd", L"K:\\CARD\\b.DTG", L"K:\\TACHO\\c.dtc",
                                              L"K:\\TACHO\\d.Esm", L"K:\\TACHO\\e.x.ddd"};
    const std::vector<std::wstring> others{
        L"K:\\CARD\\addd",  L"K:\\CARD\\a_ddd",  L"K:\\CARD\\a.xdd",  L"K:\\CARD\\a.dxd",
        L"K:\\CARD\\a.ddx", L"K:\\CARD\\a.dd",   L"K:\\TACHO\\a.esn", L"K:\\TACHO\\a.txt",
        L"K:\\TACHO\\a.ddd.txt", L"K:\\TACHO\\dtg", L"K:\\TACHO\\a.dddd"};
    for (const std::wstring& path : downloads) {
        platform.add_file(path, "download");
    }
    for (const std::wstring& path : others) {
        platform.add_file(path, "other");
    }
    DeviceDrive device(platform, platform);

    const EraseResult result = erase_downloads_on(device.find_key(), device, platform);

    EXPECT_EQ(result.outcome, EraseOutcome::erased);
    EXPECT_EQ(result.deleted, downloads.size());
    for (const std::wstring& path : downloads) {
        EXPECT_FALSE(platform.exists(path)) << "still there: " << std::string(path.begin(), path.end());
    }
    for (const std::wstring& path : others) {
        EXPECT_TRUE(platform.exists(path)) << "deleted: " << std::string(path.begin(), path.end());
    }
}

// A listing of CARD that breaks off part-way, as reading a folder can on
// POSIX: what it did list comes back with the failure.
class BrokenCardListing : public FakePlatform {
public:
    Lookup held_listing(const std::wstring& folder, const std::wstring& pattern,
                        const std::vector<FolderEntry>& every, std::vector<FolderEntry>& entries) override {
        const Lookup listed = FakePlatform::held_listing(folder, pattern, every, entries);
        return listed == Lookup::found && to_upper_ascii(folder) == L"K:\\CARD" ? Lookup::failed : listed;
    }
};

// A key at K: with one download in CARD and one in TACHO.
void add_key_with_a_download_in_each_folder(FakePlatform& platform) {
    platform.add_drive(L'K', L"VOLKARIS (K:)");
    platform.add_folder(L"K:\\CARD");
    platform.add_folder(L"K:\\TACHO");
    platform.add_file(L"K:\\CARD\\a.ddd", "download");
    platform.add_file(L"K:\\TACHO\\b.ddd", "download");
}

// The key goes once TACHO's listing after its deletes showed every download gone.
class PulledAfterTheLastListing : public FakePlatform {
public:
    Lookup held_listing(const std::wstring& folder, const std::wstring& pattern,
                        const std::vector<FolderEntry>& every, std::vector<FolderEntry>& entries) override {
        const Lookup listed = FakePlatform::held_listing(folder, pattern, every, entries);
        if (to_upper_ascii(folder) == L"K:\\TACHO" && ++tacho_listings == 2) {
            pulled = remove_drive(L'K');
        }
        return listed;
    }

    int tacho_listings = 0;
    int pulled = -1;
};

TEST(EraseDownloadsKeyPulled, AKeyPulledAfterItsLastDownloadWasSeenGoneWasErased) {
    PulledAfterTheLastListing platform;
    add_key_with_a_download_in_each_folder(platform);
    DeviceDrive device(platform, platform);

    const EraseResult result = erase_downloads_on(device.find_key(), device, platform);

    ASSERT_EQ(platform.tacho_listings, 2);
    ASSERT_GE(platform.pulled, 0);
    EXPECT_EQ(result.outcome, EraseOutcome::erased);
    EXPECT_EQ(result.deleted, 2u);
}

// The paths that stayed travel as one text, each ended by a null, and come
// back whole however many there are.
TEST(EraseDownloadsListing, PathsNotDeletedComeBackWhole) {
    const std::vector<std::wstring> all{L"K:\\CARD\\a.ddd", L"K:\\TACHO\\", L"K:\\TACHO\\b.esm"};
    for (std::size_t count = 0; count <= all.size(); ++count) {
        SCOPED_TRACE(count);
        const std::vector<std::wstring> paths(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(count));
        EraseResult result;
        for (const std::wstring& path : paths) {
            result.not_deleted += path;
            result.not_deleted += L'\0';
        }

        EXPECT_EQ(paths_not_deleted(result), paths);
    }
}

TEST(EraseDownloadsListing, WhatAFailedListingListedIsLeftAndTheRunSaysSo) {
    BrokenCardListing platform;
    add_key_with_a_download_in_each_folder(platform);
    DeviceDrive device(platform, platform);

    const EraseResult result = erase_downloads_on(device.find_key(), device, platform);

    EXPECT_EQ(result.outcome, EraseOutcome::incomplete);
    EXPECT_EQ(result.deleted, 1u);
    EXPECT_TRUE(platform.exists(L"K:\\CARD\\a.ddd"));
    EXPECT_FALSE(platform.exists(L"K:\\TACHO\\b.ddd"));

    // A folder that cannot be read is not an empty one to a listing either.
    std::vector<std::wstring> listed;
    const EraseResult unread = list_downloads(device.find_key(), device, platform, listed);
    EXPECT_EQ(unread.outcome, EraseOutcome::incomplete);
    EXPECT_EQ(paths_not_deleted(unread), std::vector<std::wstring>{L"K:\\CARD\\"});
}

TEST_F(EraseDownloads, ALinkUnderADownloadsNameStaysAndTheRunSaysSo) {
    // A link that reports itself as one, as a symbolic link on NTFS does.
    platform.add_file(L"K:\\CARD\\link.ddd", "leads elsewhere", kAttributeLink);
    add_files({L"K:\\CARD\\a.ddd"});

    const EraseResult result = run();

    EXPECT_EQ(result.outcome, EraseOutcome::skipped_some);
    EXPECT_EQ(result.deleted, 1u);
    EXPECT_EQ(result.skipped, 1u);
    expect_kept({L"K:\\CARD\\link.ddd"});
    EXPECT_EQ(error_texts(), std::vector<std::wstring>{L"Some downloads could not be erased."});
}

// A key whose volume fails to answer once, at the first question asked from
// `drops_at` on; opening a download takes `open_ms`, and nothing else takes time.
class DroppingKey : public FakePlatform {
public:
    static constexpr uint64_t kOpenMs = 125;

    DroppingKey() { ms_per_call = 0; }

    void touching_held(const std::wstring& path) override {
        if (path.find(L"\\CARD\\") != std::wstring::npos || path.find(L"\\TACHO\\") != std::wstring::npos) {
            ticks += open_ms;
        }
    }

    bool volume_identity(const std::wstring& root, uint32_t& serial_number, std::wstring& label) override {
        if (!dropped && ticks >= drops_at && to_upper_ascii(root) == L"K:\\") {
            dropped = true;
            return false;
        }
        return FakePlatform::volume_identity(root, serial_number, label);
    }

    uint64_t drops_at = 0;
    uint64_t open_ms = kOpenMs;
    bool dropped = false;
};

// The key is asked again before a download once 250 ms of deleting have
// passed since it last answered, not before; whatever was to follow a drop stays.
TEST(EraseDownloadsKeyCheck, AKeyThatDropsOutIsNoticedWithin250MsOfDeleting) {
    struct Case {
        const char* label;
        const wchar_t* pattern;  // where the six downloads are, with %d for their number
        uint64_t drops_at;
        std::size_t deleted;
        uint64_t open_ms;
    };
    // Downloads are opened at 0, 125, 250, ... ms of the pass (0, 83, 166, 249, 332 at 83 ms each).
    const Case cases[] = {
        {"first pass, drop before 250 ms", L"K:\\CARD\\%d.dtg", 100, 2, DroppingKey::kOpenMs},
        {"first pass, drop at 250 ms", L"K:\\CARD\\%d.dtg", 250, 2, DroppingKey::kOpenMs},
        {"first pass, drop after 250 ms", L"K:\\CARD\\%d.dtg", 260, 4, DroppingKey::kOpenMs},
        {"last pass", L"K:\\TACHO\\%d.esm", 250, 2, DroppingKey::kOpenMs},
        {"not asked at 249 ms, asked at 332", L"K:\\CARD\\%d.dtg", 249, 4, 83},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        DroppingKey platform;
        platform.add_drive(L'K', L"VOLKARIS (K:)");
        platform.add_folder(L"K:\\CARD");
        platform.add_folder(L"K:\\TACHO");
        std::vector<std::wstring> downloads;
        for (int i = 0; i < 6; ++i) {
            std::wstring path = row.pattern;
            path.replace(path.find(L"%d"), 2, std::to_wstring(i));
            platform.add_file(path, "download");
            downloads.push_back(path);
        }
        platform.drops_at = row.drops_at;
        platform.open_ms = row.open_ms;
        DeviceDrive device(platform, platform);

        const EraseResult result = erase_downloads_on(device.find_key(), device, platform);

        EXPECT_EQ(result.outcome, EraseOutcome::key_changed);
        EXPECT_EQ(result.deleted, row.deleted);
        for (std::size_t i = 0; i < downloads.size(); ++i) {
            EXPECT_EQ(platform.exists(downloads[i]), i >= row.deleted) << i;
        }
    }
}

}  // namespace
}  // namespace lanternbook

namespace lanternbook {
namespace {

using testing::FakePlatform;

// What an observer was told, in order, one line each.
class Told : public EraseObserver {
public:
    void deleted(const std::wstring& path) override { lines.push_back(L"deleted " + path); }
    void skipped(const std::wstring& path, SkipReason reason) override {
        const wchar_t* why = reason == SkipReason::link ? L"link" : reason == SkipReason::not_regular ? L"device"
                                                                                                      : L"folder link";
        lines.push_back(L"skipped " + path + L" (" + why + L")");
    }
    void not_deleted(const std::wstring& path, const std::wstring& reason) override {
        lines.push_back(L"kept " + path + L" (" + reason + L")");
    }
    bool stop_requested() override { return ++asked > stop_after && !(stop_once && asked > stop_after + 1); }

    std::vector<std::wstring> lines;
    std::size_t asked = 0;
    std::size_t stop_after = static_cast<std::size_t>(-1);
    // Says stop only the first time it is asked past stop_after.
    bool stop_once = false;
};

class EraseHeldFolders : public ::testing::Test {
protected:
    EraseHeldFolders() {
        platform.add_drive(L'K', L"VOLKARIS (K:)");
        platform.add_folder(L"K:\\CARD");
        platform.add_folder(L"K:\\TACHO");
        platform.add_file(L"K:\\CONFIG", std::vector<uint8_t>(32, '1'));
        platform.add_folder(L"C:\\Archive");
        platform.add_file(L"C:\\Archive\\a.ddd", "archived");
        platform.add_file(L"C:\\Archive\\b.ddd", "archived");
    }
    EraseResult erase(Told& told, EraseMode mode = EraseMode::erase) {
        return erase_downloads_on(device.find_key(), device, platform, &told, mode);
    }

    FakePlatform platform;
    DeviceDrive device{platform, platform};
};

TEST_F(EraseHeldFolders, TheDryRunAndTheEraseTellTheSameOfEveryEntry) {
    platform.add_file(L"K:\\CARD\\a.ddd", "d");
    platform.add_file_link(L"K:\\CARD\\b.ddd", L"C:\\Archive\\b.ddd");
    platform.add_special(L"K:\\CARD\\c.ddd", testing::Special::pipe);
    platform.add_file(L"K:\\TACHO\\d.esm", "d");
    platform.wipe_drive(L'C');  // nothing off the key to reach but what the links name
    platform.add_folder(L"C:\\Archive");
    platform.add_file(L"C:\\Archive\\b.ddd", "archived");

    Told dry;
    const EraseResult listed = erase(dry, EraseMode::dry_run);
    EXPECT_TRUE(platform.exists(L"K:\\CARD\\a.ddd"));
    Told real;
    const EraseResult erased = erase(real);

    const std::vector<std::wstring> expected{L"skipped K:\\CARD\\b.ddd (link)", L"skipped K:\\CARD\\c.ddd (device)",
                                             L"deleted K:\\CARD\\a.ddd", L"deleted K:\\TACHO\\d.esm"};
    EXPECT_EQ(dry.lines, expected);
    EXPECT_EQ(real.lines, expected);
    EXPECT_EQ(listed.outcome, EraseOutcome::skipped_some);
    EXPECT_EQ(erased.outcome, EraseOutcome::skipped_some);
    EXPECT_EQ(erased.deleted, 2u);
    EXPECT_EQ(platform.file_bytes(L"C:\\Archive\\b.ddd"), std::vector<uint8_t>({'a', 'r', 'c', 'h', 'i', 'v', 'e', 'd'}));
}

TEST_F(EraseHeldFolders, ADownloadFolderThatIsALinkIsSkippedByName) {
    platform.wipe_drive(L'K');
    platform.add_folder_link(L"K:\\CARD", L"C:\\Archive");
    Told told;

    EXPECT_EQ(erase(told).outcome, EraseOutcome::skipped_some);

    EXPECT_EQ(told.lines, std::vector<std::wstring>{L"skipped K:\\CARD\\ (folder link)"});
    EXPECT_TRUE(platform.exists(L"C:\\Archive\\a.ddd"));
}

// Another process swaps CARD for a link to an archive off the key mid-run:
// the held folder never reaches the archive.
// A file under a download folder's name holds no downloads: it is no fault
// of the erase either.
TEST_F(EraseHeldFolders, AFileUnderADownloadFoldersNameIsPassedOver) {
    platform.wipe_drive(L'K');
    platform.add_file(L"K:\\CONFIG", std::vector<uint8_t>(32, '1'));
    platform.add_file(L"K:\\CARD", "a file");
    platform.add_folder(L"K:\\TACHO");
    platform.add_file(L"K:\\TACHO\\a.ddd", "d");
    Told told;

    const EraseResult result = erase(told);

    EXPECT_EQ(result.outcome, EraseOutcome::erased);
    EXPECT_EQ(told.lines, std::vector<std::wstring>{L"deleted K:\\TACHO\\a.ddd"});
    EXPECT_TRUE(platform.exists(L"K:\\CARD"));
}

TEST_F(EraseHeldFolders, CardSwappedForALinkMidRunNeverReachesWhereTheLinkLeads) {
    for (const wchar_t* name : {L"a.ddd", L"b.ddd", L"c.ddd"}) {
        platform.add_file(std::wstring(L"K:\\CARD\\") + name, "d");
    }
    bool swapped = false;
    platform.before_call = [&](int) {
        if (!swapped && !platform.exists(L"K:\\CARD\\a.ddd")) {
            swapped = true;
            platform.wipe_drive(L'K');
            platform.add_file(L"K:\\CONFIG", std::vector<uint8_t>(32, '1'));
            platform.add_folder(L"K:\\TACHO");
            platform.add_folder_link(L"K:\\CARD", L"C:\\Archive");
        }
    };
    Told told;

    const EraseResult result = erase(told);

    EXPECT_NE(result.outcome, EraseOutcome::erased);
    EXPECT_EQ(platform.file_bytes(L"C:\\Archive\\a.ddd"), std::vector<uint8_t>({'a', 'r', 'c', 'h', 'i', 'v', 'e', 'd'}));
    EXPECT_EQ(platform.file_bytes(L"C:\\Archive\\b.ddd"), std::vector<uint8_t>({'a', 'r', 'c', 'h', 'i', 'v', 'e', 'd'}));
    EXPECT_EQ(result.deleted, 1u);
}

// Another process puts a new CARD in the place of the one held mid-run: the
// erase stops, tells the key changed, and the new folder keeps its files.
TEST_F(EraseHeldFolders, ACardFolderReplacedMidRunStopsTheErase) {
    for (const wchar_t* name : {L"a.ddd", L"b.ddd", L"c.ddd"}) {
        platform.add_file(std::wstring(L"K:\\CARD\\") + name, "d");
    }
    bool replaced = false;
    platform.before_call = [&](int) {
        if (!replaced && !platform.exists(L"K:\\CARD\\a.ddd")) {
            replaced = true;
            platform.wipe_drive(L'K');
            platform.add_file(L"K:\\CONFIG", std::vector<uint8_t>(32, '1'));
            platform.add_folder(L"K:\\TACHO");
            platform.add_folder(L"K:\\CARD");
            platform.add_file(L"K:\\CARD\\x.ddd", "new");
        }
    };
    Told told;

    const EraseResult result = erase(told);

    EXPECT_EQ(result.outcome, EraseOutcome::key_changed);
    EXPECT_EQ(result.deleted, 1u);
    EXPECT_TRUE(platform.exists(L"K:\\CARD\\x.ddd"));
}

// As under Wine through a folder moved away under its handle: the system
// says the file went, and the folder read again says it did not.
TEST_F(EraseHeldFolders, ADeletionTheFolderBeliesIsReportedNotErased) {
    platform.add_file(L"K:\\CARD\\a.ddd", "d");
    platform.add_file(L"K:\\CARD\\b.ddd", "d");
    // Listed after the one belied, and never counted.
    platform.add_file(L"K:\\CARD\\notes.txt", "not a download");
    platform.phantom_removes.insert(L"K:\\CARD\\B.DDD");
    Told told;

    const EraseResult result = erase(told);

    EXPECT_EQ(result.outcome, EraseOutcome::incomplete);
    EXPECT_EQ(result.deleted, 1u);
    EXPECT_EQ(told.lines, (std::vector<std::wstring>{L"deleted K:\\CARD\\a.ddd",
                                                     L"kept K:\\CARD\\b.ddd (still there after it was deleted)"}));
}

// Each extension has its pass, so the folder read again lists what stayed in
// another order than it was deleted in: every one is still found.
TEST_F(EraseHeldFolders, DeletionsBeliedInAnotherOrderThanMadeAreAllReported) {
    platform.add_file(L"K:\\CARD\\a.esm", "d");
    platform.add_file(L"K:\\CARD\\b.ddd", "d");
    platform.phantom_removes = {L"K:\\CARD\\A.ESM", L"K:\\CARD\\B.DDD"};
    Told told;

    const EraseResult result = erase(told);

    EXPECT_EQ(result.outcome, EraseOutcome::incomplete);
    EXPECT_EQ(result.deleted, 0u);
    EXPECT_EQ(told.lines, (std::vector<std::wstring>{L"kept K:\\CARD\\b.ddd (still there after it was deleted)",
                                                     L"kept K:\\CARD\\a.esm (still there after it was deleted)"}));
}

// A stop is seen once: nothing goes after it, in the folder's later passes or
// the next folder, whether or not the stop is still asked for.
TEST_F(EraseHeldFolders, AStopAskedForEndsTheRunBetweenDownloadsWithWhatWasDoneTold) {
    for (const bool once : {false, true}) {
        SCOPED_TRACE(once ? "asked for once" : "asked for until the end");
        for (const wchar_t* name : {L"CARD\\a.ddd", L"CARD\\b.ddd", L"CARD\\c.ddd", L"CARD\\d.esm", L"TACHO\\e.ddd"}) {
            platform.add_file(std::wstring(L"K:\\") + name, "d");
        }
        Told told;
        told.stop_after = 2;
        told.stop_once = once;

        const EraseResult result = erase(told);

        EXPECT_EQ(result.outcome, EraseOutcome::stopped);
        EXPECT_EQ(result.deleted, 2u);
        EXPECT_EQ(told.lines.size(), 2u);
        for (const wchar_t* kept : {L"K:\\CARD\\c.ddd", L"K:\\CARD\\d.esm", L"K:\\TACHO\\e.ddd"}) {
            EXPECT_TRUE(platform.exists(kept)) << utf8_from_wide(kept);
        }
    }
}

// Under Wine a volume swapped in under the letter keeps the first one's
// serial number; another key's CONFIG there still stops the run.
// Another key's identity is another key, whether its bytes sort before the key's own or after.
TEST_F(EraseHeldFolders, AnotherKeysConfigUnderTheLetterStopsTheRun) {
    for (const uint8_t theirs_first : {uint8_t{9}, uint8_t{0x7F}}) {
        SCOPED_TRACE(static_cast<int>(theirs_first));
        platform.add_file(L"K:\\CONFIG", std::vector<uint8_t>(32, '1'));
        platform.ms_per_call = 100;
        for (int i = 0; i < 6; ++i) {
            platform.add_file(L"K:\\TACHO\\" + std::to_wstring(i) + L".ddd", "d");
        }
        bool changed = false;
        platform.before_call = [&](int) {
            if (!changed && !platform.exists(L"K:\\TACHO\\0.ddd")) {
                changed = true;
                std::vector<uint8_t> theirs(32, '1');
                theirs[25] = theirs_first;
                platform.add_file(L"K:\\CONFIG", theirs);
            }
        };
        Told told;

        const EraseResult result = erase(told);

        EXPECT_EQ(result.outcome, EraseOutcome::key_changed);
        EXPECT_LT(result.deleted, 6u);
        EXPECT_TRUE(platform.exists(L"K:\\TACHO\\5.ddd"));
        platform.before_call = nullptr;
    }
}

// A listing of a key that another volume replaced mid-way is no whole listing.
TEST_F(EraseHeldFolders, AListingOfAKeySwappedMidWayIsNoListing) {
    platform.add_file(L"K:\\CARD\\a.dtg", "d");
    platform.add_file(L"K:\\TACHO\\b.ddd", "d");
    const KeyIdentity key = device.find_key();
    const int key_volume = platform.volume_at(L'K');
    bool swapped = false;
    platform.before_call = [&](int) {
        if (!swapped) {
            swapped = true;
            platform.add_drive(L'K', L"VOLKARIS (K:)");  // another key, another serial number
        }
    };
    std::vector<std::wstring> listed;

    const EraseResult result = list_downloads(key, device, platform, listed);

    platform.before_call = nullptr;
    platform.plug_in(L'K', key_volume);
    EXPECT_EQ(result.outcome, EraseOutcome::key_changed);
    EXPECT_TRUE(platform.exists(L"K:\\CARD\\a.dtg"));
    EXPECT_TRUE(platform.exists(L"K:\\TACHO\\b.ddd"));
}

}  // namespace
}  // namespace lanternbook
