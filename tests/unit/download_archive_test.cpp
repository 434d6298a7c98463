// The archive an erase copies each download into before deleting it, on the
// in-memory platform: every platform call failing in turn never loses a
// download, names are never written over, and the journal's line is JSON
// whatever a name holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "device/device_drive.h"
#include "fakes/fake_platform.h"
#include "maintenance/download_archive.h"
#include "maintenance/journal.h"
#include "text/text_utils.h"
#include "text/utf8_text.h"

namespace lanternbook {
namespace {

using testing::FakePlatform;
using Bytes = std::vector<uint8_t>;

// A digest that only has to tell different bytes apart here: SHA-256 itself
// is the system's, checked against sha256sum by the process tests.
class SumDigest : public Digest {
public:
    void add(const uint8_t* data, std::size_t size) override {
        for (std::size_t i = 0; i < size; ++i) {
            digest_[i % digest_.size()] = static_cast<uint8_t>(digest_[i % digest_.size()] * 31 + data[i] + 1);
        }
    }
    Sha256 finish() override { return digest_; }

private:
    Sha256 digest_{};
};

class TestSession : public Session {
public:
    std::wstring user_name() override { return L"depot"; }
    std::unique_ptr<Digest> sha256() override { return digests ? std::make_unique<SumDigest>() : nullptr; }
    // False as where the system's SHA-256 cannot be had.
    bool digests = true;
};

Sha256 digest_of(const std::vector<uint8_t>& bytes) {
    SumDigest digest;
    digest.add(bytes.data(), bytes.size());
    return digest.finish();
}

const std::map<std::wstring, std::string> kDownloads{
    {L"K:\\CARD\\C_1.DDD", "card one"}, {L"K:\\CARD\\C_2.DDD", "card two, longer"}, {L"K:\\TACHO\\M_1.ddd", "tacho"}};
constexpr wchar_t kArchive[] = L"D:\\Archive";
constexpr FileTime kTime{1600000000, 250000000};

std::wstring archived_path(const std::wstring& download) {
    const std::size_t name = download.rfind(L'\\');
    const std::size_t folder = download.rfind(L'\\', name - 1);
    return std::wstring(kArchive) + L"\\QVX-05-4660" + download.substr(folder, name - folder) + download.substr(name);
}

Bytes bytes_of(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Why each download stayed on the key.
class StayReasons : public EraseObserver {
public:
    void not_deleted(const std::wstring& path, const std::wstring& reason) override { reasons[path] = reason; }
    std::map<std::wstring, std::wstring> reasons;
};

class Archive : public ::testing::Test {
protected:
    Archive() { build_world(); }

    // The key with its downloads, and the archive's drive.
    void build_world() {
        platform = FakePlatform();
        platform.add_drive(L'K', L"VOLKARIS (K:)");
        platform.add_drive(L'D', L"DATA (D:)");
        platform.add_folder(kArchive);
        platform.add_folder(L"K:\\CARD");
        platform.add_folder(L"K:\\TACHO");
        platform.add_file(L"K:\\CONFIG", Bytes{'1', '1', '1', '1', '1', '0', '4', 14, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                               0, 0, 0, 0, 0, 0, 0, 0, 5, 0x12, 0x34, 1, 2, 3, 0});
        for (const auto& [path, text] : kDownloads) {
            platform.add_file(path, text);
            std::unique_ptr<File> file = platform.open_file(path, FileAccess::write, FileDisposition::open_existing);
            EXPECT_TRUE(file && file->set_modified_time(kTime));
        }
    }

    // An erase that keeps a copy of each download in the archive first.
    EraseResult erase(std::vector<KeptDownload>& kept, EraseMode mode = EraseMode::erase,
                      EraseObserver* observer = nullptr) {
        const KeyIdentity key = device.key_at(L"K:\\");
        std::unique_ptr<Folder> archive = platform.open_folder(kArchive);
        if (!archive) {
            return EraseResult{};
        }
        DownloadArchive keeper(session, platform, *archive, kArchive, L"QVX-05-4660");
        const EraseResult result = erase_downloads_keeping(key, device, platform, observer, mode, keeper);
        kept = keeper.kept();
        return result;
    }

    // Every file on the archive's drive, by upper-cased path.
    std::map<std::wstring, Bytes> archive_files() const {
        std::map<std::wstring, Bytes> files;
        for (const auto& [path, entry] : platform.world()) {
            if (path.compare(0, 3, L"D:\\") == 0 && (entry.attributes & kAttributeFolder) == 0) {
                files[path] = entry.data;
            }
        }
        return files;
    }

    FileTime time_of(const std::wstring& path) {
        FileTime time;
        std::unique_ptr<File> file = platform.open_file(path, FileAccess::read, FileDisposition::open_existing);
        EXPECT_TRUE(file && file->modified_time(time));
        return time;
    }

    FakePlatform platform;
    DeviceDrive device{platform, platform};
    TestSession session;
};

TEST(ArchiveNames, NumberedNamesAndTheKeysFolder) {
    struct Case {
        std::wstring name;
        unsigned number;
        std::wstring numbered;
    };
    const Case cases[] = {{L"C_1.DDD", 0, L"C_1.DDD"},  {L"C_1.DDD", 1, L"C_1~1.DDD"},
                          {L"a.b.ddd", 12, L"a.b~12.ddd"}, {L"noext", 2, L"noext~2"},
                          {L".ddd", 3, L".ddd~3"}};
    for (const Case& c : cases) {
        EXPECT_EQ(numbered_name(c.name, c.number), c.numbered) << utf8_from_wide(c.name) << " " << c.number;
    }
    const Bytes with_serial{'1', '1', '1', '1', '1', '0', '4', 14, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                            0,   0,   0,   0,   0,   0,   0,   0, 5, 0x12, 0x34, 1, 2, 3, 0};
    EXPECT_EQ(archive_folder_name(with_serial, 0x1A2B3C4D), L"QVX-05-4660");
    EXPECT_EQ(archive_folder_name(Bytes{'1', '1'}, 0x1A2B3C4D), L"1A2B-3C4D");
    EXPECT_EQ(archive_folder_name(Bytes{}, 0x00000A0B), L"0000-0A0B");
}

TEST_F(Archive, EachDownloadGoesOnlyAfterAWholeCopyWithItsTime) {
    platform.add_folder(L"D:\\Archive\\QVX-05-4660");
    platform.add_folder(L"D:\\Archive\\QVX-05-4660\\CARD");
    platform.add_file(L"D:\\Archive\\QVX-05-4660\\CARD\\C_1.DDD", "another key's");
    platform.add_file(L"D:\\Archive\\QVX-05-4660\\CARD\\C_1~1.DDD", "yet another");
    platform.add_file(L"D:\\Archive\\QVX-05-4660\\CARD\\C_2.DDD", "card two, longer");

    std::vector<KeptDownload> planned;
    EXPECT_EQ(erase(planned, EraseMode::dry_run).outcome, EraseOutcome::erased);
    ASSERT_EQ(planned.size(), 3u);
    EXPECT_EQ(platform.paths_under(L"D:\\ARCHIVE\\QVX-05-4660\\TACHO").size(), 0u) << "a dry run makes nothing";

    std::vector<KeptDownload> kept;
    const EraseResult result = erase(kept);
    EXPECT_EQ(result.outcome, EraseOutcome::erased);
    EXPECT_EQ(result.deleted, 3u);
    ASSERT_EQ(kept.size(), 3u);
    std::map<std::wstring, KeptDownload> by_path;
    for (const KeptDownload& one : kept) {
        by_path[one.path] = one;
    }
    const KeptDownload& first = by_path[L"K:\\CARD\\C_1.DDD"];
    EXPECT_EQ(first.archived, L"D:\\Archive\\QVX-05-4660\\CARD\\C_1~2.DDD");
    EXPECT_FALSE(first.already_archived);
    EXPECT_EQ(*platform.file_bytes(L"D:\\Archive\\QVX-05-4660\\CARD\\C_1.DDD"), bytes_of("another key's"));
    EXPECT_EQ(*platform.file_bytes(L"D:\\Archive\\QVX-05-4660\\CARD\\C_1~1.DDD"), bytes_of("yet another"));
    EXPECT_EQ(*platform.file_bytes(first.archived), bytes_of("card one"));
    EXPECT_EQ(time_of(first.archived), kTime);
    EXPECT_TRUE(by_path[L"K:\\CARD\\C_2.DDD"].already_archived);
    EXPECT_FALSE(platform.exists(L"D:\\Archive\\QVX-05-4660\\CARD\\C_2~1.DDD"));
    EXPECT_EQ(by_path[L"K:\\TACHO\\M_1.ddd"].size, 5u);
    for (const KeptDownload& one : planned) {
        EXPECT_EQ(one.archived, by_path[one.path].archived) << "the dry run tells where each went";
    }
}

// A download longer than one read comes into the archive whole and in order,
// and afterwards each download is found by its path with where it went, its
// size and its own digest for the journal.
TEST_F(Archive, ALongDownloadComesWholeAndEachIsFoundByItsPath) {
    Bytes long_one(150000);
    for (std::size_t i = 0; i < long_one.size(); ++i) {
        long_one[i] = static_cast<uint8_t>(i * 7 + i / 251);
    }
    platform.add_file(L"K:\\TACHO\\M_2.ddd", long_one);
    const KeyIdentity key = device.key_at(L"K:\\");
    std::unique_ptr<Folder> archive = platform.open_folder(kArchive);
    ASSERT_TRUE(archive);
    DownloadArchive keeper(session, platform, *archive, kArchive, L"QVX-05-4660");

    const EraseResult result = erase_downloads_keeping(key, device, platform, nullptr, EraseMode::erase, keeper);

    EXPECT_EQ(result.deleted, kDownloads.size() + 1);
    EXPECT_EQ(platform.file_bytes(archived_path(L"K:\\TACHO\\M_2.ddd")), long_one);
    std::map<std::wstring, Bytes> downloads{{L"K:\\TACHO\\M_2.ddd", long_one}};
    for (const auto& [path, text] : kDownloads) {
        downloads[path] = bytes_of(text);
    }
    for (const auto& [path, bytes] : downloads) {
        const KeptDownload* kept = keeper.kept_of(path);
        ASSERT_NE(kept, nullptr) << utf8_from_wide(path);
        EXPECT_EQ(kept->archived, archived_path(path));
        EXPECT_EQ(kept->size, bytes.size());
        EXPECT_EQ(kept->sha256, digest_of(bytes)) << utf8_from_wide(path);
    }
    EXPECT_EQ(keeper.kept_of(L"K:\\TACHO\\none.ddd"), nullptr);
}

// A name in the archive holding the download's bytes and more is another
// file: the copy goes under the next name, even when the download fills
// whole reads exactly.
TEST_F(Archive, AnArchivedFileLongerThanTheDownloadIsNoCopyOfIt) {
    const Bytes download(65536, 'd');
    Bytes longer = download;
    longer.push_back('+');
    platform.add_file(L"K:\\TACHO\\M_2.ddd", download);
    platform.add_folder(L"D:\\Archive\\QVX-05-4660");
    platform.add_folder(L"D:\\Archive\\QVX-05-4660\\TACHO");
    platform.add_file(L"D:\\Archive\\QVX-05-4660\\TACHO\\M_2.ddd", longer);

    std::vector<KeptDownload> kept;
    ASSERT_EQ(erase(kept).outcome, EraseOutcome::erased);

    EXPECT_EQ(platform.file_bytes(L"D:\\Archive\\QVX-05-4660\\TACHO\\M_2.ddd"), longer);
    EXPECT_EQ(platform.file_bytes(L"D:\\Archive\\QVX-05-4660\\TACHO\\M_2~1.ddd"), download);
}

// A file of the download's name in the archive that cannot be read may be its
// copy: the download stays on the key, told why, and no second copy is made.
TEST_F(Archive, AFileOfItsNameThatCannotBeReadKeepsTheDownloadOnTheKey) {
    const std::wstring there = archived_path(L"K:\\TACHO\\M_1.ddd");
    platform.add_folder(L"D:\\Archive\\QVX-05-4660");
    platform.add_folder(L"D:\\Archive\\QVX-05-4660\\TACHO");
    platform.add_file(there, "tacho");
    platform.unopenable_paths.insert(to_upper_ascii(there));
    StayReasons stayed;
    std::vector<KeptDownload> kept;

    EXPECT_EQ(erase(kept, EraseMode::erase, &stayed).outcome, EraseOutcome::incomplete);

    EXPECT_TRUE(platform.exists(L"K:\\TACHO\\M_1.ddd"));
    EXPECT_EQ(stayed.reasons.size(), 1u);
    EXPECT_EQ(stayed.reasons[L"K:\\TACHO\\M_1.ddd"], std::wstring(L"not archived: ") + testing::kFakeFailureReason);
    EXPECT_FALSE(platform.exists(L"D:\\Archive\\QVX-05-4660\\TACHO\\M_1~1.ddd"));
}

// Why a download stays on the key, in the words the user is told. Whatever
// the cause, the download stays as it was, all the archive held stays as it
// was, and the archive holds nothing more than the copies of what went and
// what the cause leaves there.
TEST_F(Archive, EachDownloadThatStaysIsToldWhy) {
    const std::wstring card_one = L"K:\\CARD\\C_1.DDD";
    const std::wstring card_two = L"K:\\CARD\\C_2.DDD";
    const std::wstring copy = archived_path(card_one);
    const std::wstring not_archived = std::wstring(L"not archived: ") + testing::kFakeFailureReason;
    const auto archive_card = [this] {
        platform.add_folder(L"D:\\Archive\\QVX-05-4660");
        platform.add_folder(L"D:\\Archive\\QVX-05-4660\\CARD");
    };
    struct Case {
        const char* what;
        std::function<void()> arrange;
        std::vector<std::wstring> staying;
        std::wstring reason;
        std::map<std::wstring, Bytes> left;  // in the archive besides what it held and the copies of what went
    };
    const Case cases[] = {
        {"no SHA-256 to be had", [this] { session.digests = false; },
         {card_one, card_two, L"K:\\TACHO\\M_1.ddd"}, L"its SHA-256 cannot be taken", {}},
        {"read-only and hidden, and cannot be deleted",
         [&] {
             ASSERT_TRUE(platform.set_attributes(card_one, testing::kAttrReadOnly | testing::kAttrHidden));
             platform.locked_paths.insert(to_upper_ascii(card_one));
         },
         {card_one}, testing::kFakeFailureReason, {{copy, bytes_of("card one")}}},
        {"its name in the archive cannot be looked up", [&] { platform.failing_lookups.insert(to_upper_ascii(copy)); },
         {card_one}, not_archived, {}},
        {"its name in the archive cannot be looked up and is another's",
         [&] {
             archive_card();
             platform.add_file(copy, "theirs");
             platform.failing_lookups.insert(to_upper_ascii(copy));
         },
         {card_one}, not_archived, {}},
        {"every numbered name of it taken",
         [&] {
             archive_card();
             for (unsigned number = 0; number < kArchiveNameAttempts; ++number) {
                 platform.add_file(L"D:\\Archive\\QVX-05-4660\\CARD\\" + numbered_name(L"C_1.DDD", number), "theirs");
             }
         },
         {card_one}, L"not archived: no free name for it in the archive", {}},
        {"its copy cut short, its helper held by another",
         [&] {
             platform.write_limit = 10;
             platform.locked_paths.insert(to_upper_ascii(archived_path(card_two) + L".copying"));
         },
         {card_two}, not_archived, {{archived_path(card_two) + L".copying", bytes_of("card two, ")}}},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        build_world();
        session.digests = true;
        row.arrange();
        const std::map<std::wstring, testing::Entry> before = platform.world();
        std::map<std::wstring, Bytes> archive = archive_files();
        StayReasons stayed;
        std::vector<KeptDownload> kept;

        EXPECT_EQ(erase(kept, EraseMode::erase, &stayed).outcome, EraseOutcome::incomplete);

        const std::map<std::wstring, testing::Entry> after = platform.world();
        std::map<std::wstring, std::wstring> told;
        for (const auto& [path, text] : kDownloads) {
            const std::wstring key = to_upper_ascii(path);
            if (std::find(row.staying.begin(), row.staying.end(), path) != row.staying.end()) {
                told[path] = row.reason;
                EXPECT_TRUE(after.count(key) != 0 && after.at(key) == before.at(key)) << utf8_from_wide(path);
            } else {
                EXPECT_EQ(after.count(key), 0u) << utf8_from_wide(path);
                archive[to_upper_ascii(archived_path(path))] = bytes_of(text);
            }
        }
        for (const auto& [path, bytes] : row.left) {
            archive[to_upper_ascii(path)] = bytes;
        }
        EXPECT_EQ(stayed.reasons, told);
        EXPECT_EQ(archive_files(), archive);
    }
}

// Names another takes while the copy is written are never written over: the
// copy goes under the next free one, or, where another put these very bytes
// there meanwhile, that is the copy. Either way it is told where it is, and
// its helper goes.
TEST_F(Archive, ANameTakenMeanwhileIsKeptAndTheCopyToldWhereItWent) {
    const std::wstring taken = archived_path(L"K:\\CARD\\C_1.DDD");
    const std::wstring next = L"D:\\Archive\\QVX-05-4660\\CARD\\C_1~1.DDD";
    struct Case {
        const char* what;
        std::map<std::wstring, std::string> meanwhile;
        std::wstring archived;
    };
    const Case cases[] = {
        {"another's file", {{taken, "theirs"}}, next},
        {"these very bytes", {{taken, "card one"}}, taken},
        {"another's file, and these very bytes beside it", {{taken, "theirs"}, {next, "card one"}}, next},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        build_world();
        bool done = false;
        platform.before_call = [&](int) {
            if (!done && platform.exists(taken + L".copying")) {
                done = true;
                for (const auto& [path, text] : row.meanwhile) {
                    platform.add_file(path, text);
                }
            }
        };
        std::vector<KeptDownload> kept;

        ASSERT_EQ(erase(kept).outcome, EraseOutcome::erased);
        platform.before_call = nullptr;

        ASSERT_TRUE(done);
        const auto copy = std::find_if(kept.begin(), kept.end(),
                                       [](const KeptDownload& one) { return one.path == L"K:\\CARD\\C_1.DDD"; });
        ASSERT_NE(copy, kept.end());
        EXPECT_EQ(copy->archived, row.archived);
        EXPECT_EQ(platform.file_bytes(copy->archived), bytes_of("card one"));
        for (const auto& [path, text] : row.meanwhile) {
            EXPECT_EQ(platform.file_bytes(path), bytes_of(text));
        }
        EXPECT_FALSE(platform.exists(L"D:\\Archive\\QVX-05-4660\\CARD\\C_1~2.DDD"));
        for (const std::wstring& path : platform.paths_under(L"D:\\ARCHIVE\\")) {
            EXPECT_EQ(path.find(L".COPYING"), std::wstring::npos) << utf8_from_wide(path);
        }
    }
}

// A copy that cannot be given its name, which nobody took, goes: its download
// stays, told why, and nothing of it is left in the archive.
TEST_F(Archive, ACopyThatCannotBeNamedGoesAndItsDownloadStays) {
    const std::wstring download = L"K:\\CARD\\C_1.DDD";
    const std::wstring copy = archived_path(download);
    const FakePlatform clean = platform;
    int naming = 0;
    platform.calls = 0;
    platform.before_call = [&](int call) {
        if (naming == 0 && platform.exists(copy)) {
            naming = call - 1;
        }
    };
    std::vector<KeptDownload> kept;
    ASSERT_EQ(erase(kept).outcome, EraseOutcome::erased);
    ASSERT_GT(naming, 0);

    platform = clean;
    platform.calls = 0;
    platform.failing_call = naming;
    StayReasons stayed;
    EXPECT_EQ(erase(kept, EraseMode::erase, &stayed).outcome, EraseOutcome::incomplete);
    platform.failing_call.reset();

    EXPECT_EQ(stayed.reasons, (std::map<std::wstring, std::wstring>{
                                  {download, std::wstring(L"not archived: ") + testing::kFakeFailureReason}}));
    EXPECT_EQ(platform.file_bytes(download), bytes_of("card one"));
    EXPECT_FALSE(platform.exists(copy));
    EXPECT_FALSE(platform.exists(copy + L".copying"));
}

// Helper names others left in the archive are never written over, nor one
// that cannot be looked up: the copy takes the next free one, up to ten; past
// that the download stays, told why.
TEST_F(Archive, HelperNamesTakenByOthersAreSkippedAndNeverWrittenOver) {
    struct Case {
        unsigned taken;
        bool first_unreadable;
        bool archived;
    };
    for (const Case row : {Case{9, false, true}, Case{10, false, false}, Case{1, true, true}}) {
        SCOPED_TRACE(row.taken);
        build_world();
        const std::wstring copy = archived_path(L"K:\\CARD\\C_1.DDD");
        platform.add_folder(L"D:\\Archive\\QVX-05-4660");
        platform.add_folder(L"D:\\Archive\\QVX-05-4660\\CARD");
        for (unsigned i = 0; i < row.taken; ++i) {
            platform.add_file(copy + L".copying" + (i == 0 ? L"" : std::to_wstring(i)), "theirs");
        }
        if (row.first_unreadable) {
            platform.failing_lookups.insert(to_upper_ascii(copy + L".copying"));
        }
        StayReasons stayed;
        std::vector<KeptDownload> kept;

        static_cast<void>(erase(kept, EraseMode::erase, &stayed));

        EXPECT_EQ(platform.exists(L"K:\\CARD\\C_1.DDD"), !row.archived);
        EXPECT_EQ(platform.file_bytes(copy), row.archived ? std::optional<Bytes>(bytes_of("card one")) : std::nullopt);
        if (!row.archived) {
            EXPECT_EQ(stayed.reasons[L"K:\\CARD\\C_1.DDD"], L"not archived: no name free for its copy");
        }
        for (unsigned i = 0; i < row.taken; ++i) {
            EXPECT_EQ(platform.file_bytes(copy + L".copying" + (i == 0 ? L"" : std::to_wstring(i))), bytes_of("theirs"));
        }
    }
}

// Whenever another process makes the archive's folders, before or while
// this erase makes them, every download goes into them.
TEST_F(Archive, FoldersAnotherMakesMeanwhileAreUsed) {
    const std::wstring folders[] = {L"D:\\Archive\\QVX-05-4660", L"D:\\Archive\\QVX-05-4660\\CARD",
                                    L"D:\\Archive\\QVX-05-4660\\TACHO"};
    const FakePlatform clean = platform;
    std::vector<KeptDownload> kept;
    platform.calls = 0;
    ASSERT_EQ(erase(kept).outcome, EraseOutcome::erased);
    const int calls = platform.calls;
    for (int at = 1; at <= calls; ++at) {
        SCOPED_TRACE(at);
        platform = clean;
        platform.calls = 0;
        platform.before_call = [this, at, &folders](int call) {
            if (call == at) {
                for (const std::wstring& folder : folders) {
                    if (!platform.exists(folder)) {
                        platform.add_folder(folder);
                    }
                }
            }
        };
        const EraseResult result = erase(kept);
        platform.before_call = nullptr;
        EXPECT_EQ(result.outcome, EraseOutcome::erased);
        for (const auto& [path, text] : kDownloads) {
            EXPECT_FALSE(platform.exists(path));
            EXPECT_EQ(platform.file_bytes(archived_path(path)), bytes_of(text));
        }
    }
}

// A helper name another takes while this erase picks or makes its own is
// never written over nor deleted, whenever that comes.
TEST_F(Archive, AHelperNameTakenMeanwhileIsNeverTouched) {
    const std::wstring helper = archived_path(L"K:\\CARD\\C_1.DDD") + L".copying";
    const FakePlatform clean = platform;
    std::vector<KeptDownload> kept;
    platform.calls = 0;
    ASSERT_EQ(erase(kept).outcome, EraseOutcome::erased);
    const int calls = platform.calls;
    for (int at = 1; at <= calls; ++at) {
        SCOPED_TRACE(at);
        platform = clean;
        platform.calls = 0;
        bool taken = false;
        platform.before_call = [&](int call) {
            if (call == at && platform.is_folder(L"D:\\Archive\\QVX-05-4660\\CARD") && !platform.exists(helper)) {
                platform.add_file(helper, "theirs");
                taken = true;
            }
        };
        static_cast<void>(erase(kept));
        platform.before_call = nullptr;
        if (taken) {
            EXPECT_EQ(platform.file_bytes(helper), bytes_of("theirs"));
        }
        for (const auto& [path, text] : kDownloads) {
            EXPECT_TRUE(platform.exists(path) || platform.file_bytes(archived_path(path)) == bytes_of(text))
                << utf8_from_wide(path) << " is lost";
        }
    }
}

// The archive's folders are held for the whole erase: one of thousands of
// downloads asks for each no more often than one of a few.
TEST_F(Archive, ArchiveFoldersAreOpenedNoMoreOftenForMoreDownloads) {
    const auto archive_folders_opened = [this] {
        std::map<std::wstring, int> opened;
        for (const auto& [folder, count] : platform.folders_opened) {
            if (folder.compare(0, 3, L"D:\\") == 0) {
                opened[folder] = count;
            }
        }
        return opened;
    };
    std::vector<KeptDownload> kept;
    ASSERT_EQ(erase(kept).outcome, EraseOutcome::erased);
    const std::map<std::wstring, int> for_a_few = archive_folders_opened();
    EXPECT_EQ(for_a_few.size(), 3u);

    build_world();
    for (int i = 3; i <= 30; ++i) {
        platform.add_file(L"K:\\CARD\\C_" + std::to_wstring(i) + L".DDD", "card " + std::to_string(i));
        platform.add_file(L"K:\\TACHO\\M_" + std::to_wstring(i) + L".ddd", "tacho " + std::to_string(i));
    }
    ASSERT_EQ(erase(kept).outcome, EraseOutcome::erased);

    EXPECT_EQ(kept.size(), kDownloads.size() + 56);
    EXPECT_EQ(archive_folders_opened(), for_a_few);
}

// No download is larger than 64 MiB: one that is, is something else and stays,
// neither cut nor copied; one of 64 MiB exactly goes like any other.
TEST_F(Archive, ADownloadLargerThanAnyIsLeftOnTheKey) {
    const std::wstring large = L"K:\\TACHO\\M_2.ddd";
    for (const uint64_t size : {kLargestDownload, kLargestDownload + 1}) {
        SCOPED_TRACE(size);
        build_world();
        platform.add_file(large, Bytes(size, 'd'));
        const bool stays = size > kLargestDownload;
        StayReasons stayed;
        std::vector<KeptDownload> kept;

        EXPECT_EQ(erase(kept, EraseMode::erase, &stayed).outcome,
                  stays ? EraseOutcome::incomplete : EraseOutcome::erased);

        EXPECT_EQ(platform.exists(large), stays);
        const std::optional<Bytes> copy = platform.file_bytes(archived_path(large));
        EXPECT_EQ(copy ? copy->size() : 0u, stays ? 0u : size);
        EXPECT_EQ(stayed.reasons[large], stays ? L"larger than 64 MiB; no download is" : L"");
        EXPECT_EQ(kept.size(), kDownloads.size() + (stays ? 0 : 1));
    }
}

// A link among the downloads is told as skipped and neither copied nor followed.
TEST_F(Archive, ALinkAmongTheDownloadsIsSkipped) {
    platform.add_file(L"D:\\theirs.ddd", "theirs");
    platform.add_file_link(L"K:\\CARD\\C_3.DDD", L"D:\\theirs.ddd");

    std::vector<KeptDownload> kept;
    const EraseResult result = erase(kept);

    EXPECT_EQ(result.outcome, EraseOutcome::skipped_some);
    EXPECT_EQ(result.skipped, 1u);
    EXPECT_EQ(result.deleted, kDownloads.size());
    EXPECT_EQ(platform.file_bytes(L"D:\\theirs.ddd"), bytes_of("theirs"));
    EXPECT_FALSE(platform.exists(archived_path(L"K:\\CARD\\C_3.DDD")));
}

// A copy cut short goes, by its handle or else by its name, so even when one
// call of clearing it away fails: its download stays on the key.
TEST_F(Archive, ACopyCutShortLeavesItsDownloadOnTheKey) {
    platform.write_limit = 10;
    const FakePlatform clean = platform;
    std::vector<KeptDownload> kept;
    platform.calls = 0;
    const EraseResult result = erase(kept);
    const int calls = platform.calls;
    EXPECT_EQ(result.outcome, EraseOutcome::incomplete);
    const std::vector<std::wstring> stayed = paths_not_deleted(result);
    EXPECT_EQ(stayed, (std::vector<std::wstring>{L"K:\\CARD\\C_2.DDD"}));
    EXPECT_FALSE(platform.exists(L"K:\\CARD\\C_1.DDD"));
    for (int failing = 1; failing <= calls; ++failing) {
        SCOPED_TRACE(failing);
        platform = clean;
        platform.calls = 0;
        platform.failing_call = failing;
        static_cast<void>(erase(kept));
        platform.failing_call.reset();
        EXPECT_TRUE(platform.exists(L"K:\\CARD\\C_2.DDD"));
        for (const std::wstring& path : platform.paths_under(L"D:\\ARCHIVE\\")) {
            EXPECT_EQ(path.find(L".COPYING"), std::wstring::npos) << "a copy cut short goes";
        }
    }
}

// Every platform call of an archived erase failing in turn: a download is
// either on the key or whole in the archive, a copy's own name only ever
// holds the whole copy, and no helper is left.
TEST_F(Archive, NoDownloadIsLostWhateverCallFails) {
    const FakePlatform clean = platform;
    std::vector<KeptDownload> kept;
    platform.calls = 0;
    ASSERT_EQ(erase(kept).outcome, EraseOutcome::erased);
    const int calls = platform.calls;
    ASSERT_GT(calls, 40);
    for (int failing = 1; failing <= calls; ++failing) {
        SCOPED_TRACE(failing);
        platform = clean;
        platform.calls = 0;
        platform.failing_call = failing;
        StayReasons stayed;
        static_cast<void>(erase(kept, EraseMode::erase, &stayed));
        platform.failing_call.reset();
        for (const auto& [path, reason] : stayed.reasons) {
            EXPECT_FALSE(reason.empty()) << utf8_from_wide(path) << " stayed without a word why";
        }
        for (const auto& [path, text] : kDownloads) {
            const std::wstring copy = archived_path(path);
            if (!platform.exists(path)) {
                ASSERT_TRUE(platform.exists(copy)) << utf8_from_wide(path) << " is lost";
                EXPECT_EQ(*platform.file_bytes(copy), bytes_of(text));
                EXPECT_EQ(time_of(copy), kTime);
            } else if (platform.exists(copy)) {
                EXPECT_EQ(*platform.file_bytes(copy), bytes_of(text)) << "a name holds the whole copy or nothing";
            }
        }
        for (const std::wstring& path : platform.paths_under(L"D:\\ARCHIVE\\")) {
            EXPECT_EQ(path.find(L".COPYING"), std::wstring::npos) << "no helper is left";
        }
    }
}

// A write that stores less than it says is caught by reading the copy back:
// the download stays and the copy's helper goes.
TEST_F(Archive, ACopyThatReadsBackOtherwiseGoesAndItsDownloadStays) {
    const FakePlatform clean = platform;
    std::vector<KeptDownload> kept;
    platform.calls = 0;
    ASSERT_EQ(erase(kept).outcome, EraseOutcome::erased);
    const int calls = platform.calls;
    int caught = 0;
    for (int lying = 1; lying <= calls; ++lying) {
        SCOPED_TRACE(lying);
        platform = clean;
        platform.calls = 0;
        platform.lying_write_call = lying;
        const EraseResult result = erase(kept);
        platform.lying_write_call.reset();
        caught += result.outcome == EraseOutcome::incomplete ? 1 : 0;
        for (const std::wstring& path : platform.paths_under(L"D:\\ARCHIVE\\")) {
            EXPECT_EQ(path.find(L".COPYING"), std::wstring::npos) << utf8_from_wide(path);
        }
        for (const auto& [path, text] : kDownloads) {
            const std::optional<Bytes> copy = platform.file_bytes(archived_path(path));
            EXPECT_TRUE(platform.exists(path) || copy == bytes_of(text)) << utf8_from_wide(path) << " is lost";
            EXPECT_TRUE(!copy || copy == bytes_of(text)) << "a name holds the whole copy or nothing";
        }
    }
    EXPECT_EQ(caught, static_cast<int>(kDownloads.size())) << "one lying write for each copy";
}

TEST(JournalLine, OneLineOfJsonWhateverTheNamesHold) {
    JournalEntry entry;
    entry.time = SystemTime{2026, 12, 1, 7, 10, 30, 5, 42};
    entry.command = L"erase";
    entry.user = L"d\u00e9p\u00f4t";
    entry.key = L"/media/a \"quoted\"\\key\n";
    entry.volume_serial = 0x1A2B3C4D;
    entry.config_before = Bytes{0x31, 0x00, 0xff};
    entry.config_after = std::nullopt;
    KeptDownload download;
    // A byte of a name that is no UTF-8, as the POSIX layer carries it.
    download.path = std::wstring(L"/media/k/CARD/x") + static_cast<wchar_t>(0xDCFF) + L".ddd";
    download.size = 8;
    download.sha256[0] = 0xAB;
    download.sha256[31] = 0x01;
    entry.erased = std::vector<KeptDownload>{download};

    const std::string line = journal_line(entry);
    ASSERT_FALSE(line.empty());
    EXPECT_EQ(line.back(), '\n');
    EXPECT_EQ(std::count(line.begin(), line.end(), '\n'), 1);
    const nlohmann::ordered_json json = nlohmann::ordered_json::parse(line, nullptr, false);
    ASSERT_FALSE(json.is_discarded()) << line;
    EXPECT_EQ(json.begin().key(), "format");
    EXPECT_EQ(json["time"], "2026-12-07T10:30:05.042Z");
    EXPECT_EQ(json["user"], "d\u00e9p\u00f4t");
    EXPECT_EQ(json["key"], "/media/a \"quoted\"\\key\n");
    EXPECT_EQ(json["volume_serial"], "1A2B-3C4D");
    EXPECT_EQ(json["serial_number"], nullptr);
    EXPECT_EQ(json["config_before"], "3100ff");
    EXPECT_EQ(json["config_after"], nullptr);
    EXPECT_EQ(json["erased"][0]["path"], "/media/k/CARD/x\xEF\xBF\xBD.ddd");
    EXPECT_EQ(json["erased"][0]["bytes"], 8);
    EXPECT_EQ(json["erased"][0]["sha256"], "ab" + std::string(60, '0') + "01");
    EXPECT_EQ(json["erased"][0]["archived"], nullptr);
}

}  // namespace
}  // namespace lanternbook
