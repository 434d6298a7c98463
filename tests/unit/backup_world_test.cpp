// The backup and its recovery in the world they live in: another process
// starting while a format runs, another user's folders in the backup place,
// a stick swapped in while a question is open, a temporary folder on the
// key, keys without identity bytes, a put-back cut short at every call with
// its last write half done, and FAT's labels.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "device/device_drive.h"
#include "fakes/fake_platform.h"
#include "l10n/language_table.h"
#include "maintenance/format_device.h"
#include "maintenance/program_file_backup.h"
#include "maintenance/recovery.h"
#include "text/text_utils.h"

namespace lanternbook {
namespace {

using testing::Entry;
using testing::FakePlatform;
using Bytes = std::vector<uint8_t>;

constexpr uint32_t kEnglish = 0x0409;
constexpr uint64_t kKeySize = 980ull * 1024 * 1024;
const std::wstring kRoot = L"K:\\";
// Serial number 5/4660, version 1.2.3.
const Bytes kConfig{'1', '1', '1', '1', '1', '0', '4', 14, 0, 0, 0, 0, 0, 0, 0, 0, 0, 116, 5, 1, 0, 124, 2, 29, 4,
                    5,   0x12, 0x34, 1, 2, 3, 0};
const std::vector<std::wstring> kProgramFiles{L"autorun.inf", L"lanternbook.dll", L"ostrevan.exe"};
const std::wstring kBackupFailed = L"The device's program files could not be copied. Format will not start.";
const std::wstring kKept = L"A format of this device did not finish. A copy of its program files and settings is kept in:";

Bytes bytes_of(const std::wstring& text) { return Bytes(text.begin(), text.end()); }
Bytes program(const std::wstring& name) { return bytes_of(L"program " + name + L" " + std::wstring(300, L'x')); }

class BackupWorld : public ::testing::Test {
protected:
    BackupWorld() {
        strings.select_language(kEnglish);
        install_key(kConfig);
    }

    void install_key(const Bytes& config, uint32_t serial = 0x4B45590A) {
        platform.add_drive(L'K', L"VOLKARIS (K:)", serial);
        platform.volume_size = kKeySize;
        platform.add_file(kRoot + L"CONFIG", config);
        platform.add_file(kRoot + L"DATE", "111111");
        for (const std::wstring& name : kProgramFiles) {
            platform.add_file(kRoot + name, program(name));
        }
    }

    FormatOutcome format() {
        DeviceDrive device(platform, platform);
        return format_device(device.find_key(), FormatServices{device, platform, platform, platform, platform, platform},
                             strings);
    }

    void start_again() {
        DeviceDrive device(platform, platform);
        finish_unfinished_formats(RecoveryServices{device, platform, platform, platform}, platform, strings);
    }

    // A format whose host died in the shell's format: the key emptied, the backup and its record left.
    void leave_unfinished() {
        platform.on_shell_format = [this](int) {
            platform.reformat_drive(L'K', L"");
            platform.crashed_at = platform.calls + 1;
        };
        static_cast<void>(format());
        platform.on_shell_format = nullptr;
        platform.crashed_at.reset();
        platform.end_process(platform.process);
        platform.message_boxes.clear();
    }

    bool key_whole(wchar_t letter = L'K') {
        const std::wstring root{letter, L':', L'\\'};
        for (const std::wstring& name : kProgramFiles) {
            if (platform.file_bytes(root + name) != program(name)) {
                return false;
            }
        }
        return platform.file_bytes(root + L"CONFIG") == kConfig;
    }

    std::vector<std::wstring> backups() {
        std::vector<std::wstring> folders;
        const std::wstring temp = to_upper_ascii(platform.temp_path) + L"\\";
        for (const std::wstring& path : platform.paths_under(temp + L"VOLKARIS")) {
            if (path.find(L'\\', temp.size()) == std::wstring::npos) {
                folders.push_back(path);
            }
        }
        return folders;
    }

    std::vector<std::wstring> texts() {
        std::vector<std::wstring> shown;
        for (const testing::MessageBoxCall& box : platform.message_boxes) {
            shown.push_back(box.text);
        }
        platform.message_boxes.clear();
        return shown;
    }

    FakePlatform platform;
    LanguageTable strings;
};

// A second host started while the shell's format dialog is open, or at any
// other call of a format: its start finds the first one's backup held, says
// nothing and touches nothing.
TEST_F(BackupWorld, ASecondProcessStartingDuringAFormatNeverTouchesItsBackup) {
    platform.on_shell_format = [this](int) { platform.reformat_drive(L'K', L""); };
    const FakePlatform initial = platform;
    ASSERT_EQ(format(), FormatOutcome::formatted);
    const int format_calls = platform.calls;
    for (int call = 1; call <= format_calls; ++call) {
        SCOPED_TRACE("the second process starts at call " + std::to_string(call));
        platform = initial;
        bool started = false;
        std::size_t shown_by_second = 0;
        platform.before_call = [&](int number) {
            if (started || number != call) {
                return;
            }
            started = true;
            // The other process says yes to whatever it is asked.
            platform.process = 2;
            platform.default_answer = kAnswerYes;
            const std::size_t before = platform.message_boxes.size();
            start_again();
            shown_by_second = platform.message_boxes.size() - before;
            platform.end_process(2);
            platform.default_answer = kAnswerOk;
            platform.process = 1;
        };

        EXPECT_EQ(format(), FormatOutcome::formatted);

        EXPECT_EQ(shown_by_second, 0u);
        EXPECT_TRUE(key_whole());
        EXPECT_TRUE(backups().empty());
        EXPECT_TRUE(platform.error_texts().empty());
    }
}

// Another user's folders in the backup place, whatever their records say,
// are never read, written or removed.
TEST_F(BackupWorld, AnotherUsersFoldersInTheBackupPlaceAreNeverTouched) {
    leave_unfinished();
    ASSERT_EQ(backups().size(), 1u);
    const std::wstring ours = backups()[0];
    // Their copies of our folder, record and all, with files of their own.
    const std::wstring theirs = platform.temp_path + L"\\volkarisFFFF0001";
    const std::wstring open_to_all = platform.temp_path + L"\\volkarisFFFF0002";
    for (const std::wstring& folder : {theirs, open_to_all}) {
        platform.acting_user = L"mallory";
        platform.add_folder(folder);
        for (const auto& entry : platform.volume_contents(platform.volume_at(L'C'))) {
            const std::wstring prefix = to_upper_ascii(ours.substr(3)) + L"\\";
            if (entry.first.compare(0, prefix.size(), prefix) == 0) {
                platform.add_file(folder + L"\\" + entry.first.substr(prefix.size()), entry.second.data);
            }
        }
        platform.add_file(folder + L"\\ostrevan.exe", "theirs");
        platform.acting_user.clear();
    }
    platform.set_owner(open_to_all, L"", true);
    // Our own backup is not what the key gets either: only theirs would be asked about.
    const auto our_copy = platform.volume_contents(platform.volume_at(L'C'));
    platform.set_volume_serial(L'K', 0x4B45590A);
    platform.default_answer = kAnswerYes;

    start_again();

    EXPECT_TRUE(key_whole()) << "our own backup, and only it, went back";
    EXPECT_EQ(platform.file_bytes(theirs + L"\\ostrevan.exe"), bytes_of(L"theirs"));
    EXPECT_EQ(platform.file_bytes(open_to_all + L"\\ostrevan.exe"), bytes_of(L"theirs"));
    EXPECT_TRUE(platform.exists(theirs + L"\\BACKUP.REC"));
    EXPECT_TRUE(platform.exists(open_to_all + L"\\BACKUP.REC"));
}

// While our removal of a backup walks its folders, another process swaps a
// folder inside it for a link to a folder of ours elsewhere: at no call does
// the removal reach through it.
TEST_F(BackupWorld, AFolderSwappedForALinkMidRemovalIsNeverStepppedThrough) {
    platform.add_folder(L"C:\\Precious");
    for (int i = 0; i < 3; ++i) {
        platform.add_file(L"C:\\Precious\\" + std::to_wstring(i) + L".doc", "ours");
    }
    leave_unfinished();
    const std::wstring folder = backups()[0];
    platform.add_folder(folder + L"\\junk");
    for (int i = 0; i < 3; ++i) {
        platform.add_file(folder + L"\\junk\\" + std::to_wstring(i) + L".doc", "junk");
    }
    // The key is back whole by other means: the start removes the folder quietly.
    platform.set_volume_serial(L'K', 0x4B45590A);
    for (const std::wstring& name : kProgramFiles) {
        platform.add_file(kRoot + name, program(name));
    }
    platform.add_file(kRoot + L"CONFIG", kConfig);
    const FakePlatform before = platform;
    start_again();
    ASSERT_TRUE(backups().empty());
    const int calls = platform.calls;
    for (int call = 1; call <= calls; ++call) {
        SCOPED_TRACE("swapped at call " + std::to_string(call));
        platform = before;
        platform.calls = 0;
        platform.before_call = [&](int number) {
            if (number == call && platform.is_folder(folder + L"\\junk")) {
                for (int i = 0; i < 3; ++i) {
                    static_cast<void>(platform.delete_file(folder + L"\\junk\\" + std::to_wstring(i) + L".doc"));
                }
                static_cast<void>(platform.remove_folder(folder + L"\\junk"));
                platform.add_folder_link(folder + L"\\junk", L"C:\\Precious");
            }
        };

        start_again();

        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(platform.file_bytes(L"C:\\Precious\\" + std::to_wstring(i) + L".doc"), bytes_of(L"ours")) << i;
        }
    }
}

// The key pulled while the question is open and another stick taking its
// letter: the answer was about the key, so the stick gets nothing, the copy
// stays and the user is told where.
TEST_F(BackupWorld, AVolumeSwappedInWhileTheQuestionIsOpenGetsNothing) {
    for (const bool known_by_serial : {true, false}) {
        SCOPED_TRACE(known_by_serial ? "the key known by its serial number" : "an empty drive offered");
        platform = FakePlatform();
        install_key(kConfig);
        leave_unfinished();
        if (known_by_serial) {
            platform.set_volume_serial(L'K', 0x4B45590A);
        }
        // Wine keeps the first volume's serial number for a folder swapped in: so does this stick.
        platform.while_asking = [this] {
            const uint32_t serial = [this] {
                uint32_t s = 0;
                std::wstring label;
                static_cast<void>(platform.volume_identity(kRoot, s, label));
                return s;
            }();
            platform.add_drive(L'K', L" (K:)", serial);
            platform.add_file(kRoot + L"photo.jpg", "photo");
            platform.while_asking = nullptr;
        };
        platform.default_answer = kAnswerYes;

        start_again();

        const std::vector<std::wstring> shown = texts();
        ASSERT_EQ(shown.size(), 2u);
        EXPECT_EQ(shown[1].compare(0, kKept.size(), kKept), 0) << std::string(shown[1].begin(), shown[1].end());
        EXPECT_EQ(platform.paths_under(kRoot), std::vector<std::wstring>{L"K:\\PHOTO.JPG"});
        EXPECT_EQ(platform.volume_label(L'K'), L"");
        EXPECT_EQ(backups().size(), 1u);
    }
}

// The key changed while the question is open is no longer the volume asked
// about: relabelled, another volume of the same label and names in its place,
// or names that read the same run together. It gets nothing and keeps what it
// was given.
TEST_F(BackupWorld, AKeyChangedWhileTheQuestionIsOpenGetsNothing) {
    struct Case {
        const char* label;
        std::function<void(FakePlatform&)> change;
    };
    const Case cases[] = {
        {"relabelled", [](FakePlatform& p) { static_cast<void>(p.set_volume_label(kRoot, L"PHOTOS")); }},
        {"another volume of no label holding the same names",
         [](FakePlatform& p) {
             p.add_drive(L'K', L" (K:)");
             p.add_file(kRoot + L"ab", "photo");
             p.add_file(kRoot + L"c", "photo");
         }},
        {"ab and c renamed a and bc",
         [](FakePlatform& p) {
             ASSERT_TRUE(p.delete_file(kRoot + L"ab"));
             ASSERT_TRUE(p.delete_file(kRoot + L"c"));
             p.add_file(kRoot + L"a", "photo");
             p.add_file(kRoot + L"bc", "photo");
         }},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        platform = FakePlatform();
        install_key(kConfig);
        leave_unfinished();
        platform.set_volume_serial(L'K', 0x4B45590A);
        platform.add_file(kRoot + L"ab", "photo");
        platform.add_file(kRoot + L"c", "photo");
        std::map<std::wstring, Entry> changed;
        std::wstring label_given;
        platform.while_asking = [&] {
            row.change(platform);
            changed = platform.world();
            label_given = platform.volume_label(L'K');
            platform.while_asking = nullptr;
        };
        platform.default_answer = kAnswerYes;

        start_again();

        const std::vector<std::wstring> shown = texts();
        ASSERT_EQ(shown.size(), 2u);
        EXPECT_EQ(shown[1].compare(0, kKept.size(), kKept), 0);
        EXPECT_EQ(platform.world(), changed);
        EXPECT_EQ(platform.volume_label(L'K'), label_given);
        EXPECT_EQ(backups().size(), 1u);
    }
}

// A temporary folder on the key, or leading onto it, would be wiped by the
// format with the copies in it: the format does not start.
TEST_F(BackupWorld, ATemporaryFolderOnTheKeyStopsTheFormatBeforeItStarts) {
    platform.add_folder(kRoot + L"CARD");
    platform.add_folder(L"C:\\Temp");
    platform.add_folder_link(L"C:\\Temp\\OnKey", kRoot + L"CARD");
    for (const std::wstring& temp : {kRoot.substr(0, 2), kRoot + L"CARD", std::wstring(L"C:\\Temp\\OnKey")}) {
        SCOPED_TRACE(std::string(temp.begin(), temp.end()));
        platform.temp_path = temp;
        platform.message_boxes.clear();
        const auto before = platform.world();

        EXPECT_EQ(format(), FormatOutcome::no_backup);

        EXPECT_EQ(platform.error_texts(), std::vector<std::wstring>{kBackupFailed});
        EXPECT_TRUE(platform.formatted_drive_indexes.empty());
        EXPECT_EQ(platform.world(), before);
    }
}

// Keys whose first CONFIG we wrote all have zeros for their identity: one
// such key never passes for another, and the other's only copy stays.
// So has a CONFIG too short to reach them.
TEST_F(BackupWorld, AKeyWithoutIdentityBytesIsNoOtherSuchKey) {
    Bytes zeros = kConfig;
    std::fill(zeros.begin() + 25, zeros.end(), 0);
    const std::pair<const char*, Bytes> cases[] = {{"zeros", zeros},
                                                   {"cut before them", Bytes(kConfig.begin(), kConfig.begin() + 25)}};
    for (const auto& [label, anonymous] : cases) {
        SCOPED_TRACE(label);
        platform = FakePlatform();
        install_key(anonymous, 0x0000000A);
        leave_unfinished();
        ASSERT_EQ(backups().size(), 1u);
        // Key B: whole, the same program files, the same CONFIG, its own serial number.
        platform.remove_drive(L'K');
        install_key(anonymous, 0x0000000B);
        platform.default_answer = kAnswerYes;

        start_again();

        EXPECT_EQ(backups().size(), 1u);
        const std::vector<std::wstring> shown = texts();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].compare(0, kKept.size(), kKept), 0);
    }
}

// A put-back cut short at any call, its last write half done: every real
// name on the key is absent or whole, and the next start finishes it.
TEST_F(BackupWorld, APutBackCutShortAtAnyCallIsFinishedByTheNextStart) {
    leave_unfinished();
    platform.set_volume_serial(L'K', 0x4B45590A);
    platform.default_answer = kAnswerYes;
    platform.calls = 0;
    const FakePlatform left = platform;
    start_again();
    ASSERT_TRUE(key_whole());
    const int calls = platform.calls;
    for (int call = 1; call <= calls; ++call) {
        SCOPED_TRACE("the put-back dies at call " + std::to_string(call));
        platform = left;
        platform.crashed_at = call;
        start_again();
        platform.crashed_at.reset();
        platform.end_process(platform.process);
        for (const std::wstring& name : kProgramFiles) {
            const auto bytes = platform.file_bytes(kRoot + name);
            EXPECT_TRUE(!bytes || *bytes == program(name)) << std::string(name.begin(), name.end());
        }
        const auto config = platform.file_bytes(kRoot + L"CONFIG");
        EXPECT_TRUE(!config || *config == kConfig) << (config ? config->size() : 0);
        EXPECT_FALSE(backups().empty() && !key_whole()) << "the copy went before the key was whole";

        platform.calls = 0;
        platform.message_boxes.clear();
        start_again();

        EXPECT_TRUE(key_whole());
        EXPECT_TRUE(backups().empty());
        EXPECT_TRUE(platform.paths_under(kRoot + L"AUTORUN.INF.NEW").empty());
    }
}

// Hidden, system and read-only files come back as they were.
TEST_F(BackupWorld, AttributesComeBackThroughAFormat) {
    const std::map<std::wstring, uint32_t> attributes{
        {L"autorun.inf", kAttributeReadOnly | kAttributeHidden | kAttributeSystem | kAttributeArchive},
        {L"ostrevan.exe", kAttributeReadOnly | kAttributeArchive},
        {L"CONFIG", kAttributeHidden | kAttributeArchive}};
    for (const auto& [name, value] : attributes) {
        ASSERT_TRUE(platform.set_attributes(kRoot + name, value));
    }
    platform.on_shell_format = [this](int) { platform.reformat_drive(L'K', L""); };

    ASSERT_EQ(format(), FormatOutcome::formatted);

    for (const auto& [name, value] : attributes) {
        EXPECT_EQ(platform.attributes(kRoot + name), value) << std::string(name.begin(), name.end());
    }
    EXPECT_TRUE(key_whole());
}

}  // namespace
}  // namespace lanternbook
