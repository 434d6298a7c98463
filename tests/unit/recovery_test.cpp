// A format cut short is finished at the next start: the backup's record, what
// the start does with each kind of world it finds, and a crash at every call
// of a format (and of the recovery itself) followed by a new start.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "device/device_drive.h"
#include "fakes/fake_platform.h"
#include "l10n/language_table.h"
#include "maintenance/backup_record.h"
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
// CONFIG as the key writes it: serial number 5/4660, version 1.2.3.
const Bytes kConfig{'1', '1', '1', '1', '1', '0', '4', 14, 0, 0, 0, 0, 0, 0, 0, 0, 0, 116, 5, 1, 0, 124, 2, 29, 4,
                    5,   0x12, 0x34, 1, 2, 3, 0};
// Another key's: serial number 6/4660.
const Bytes kAnotherKeysConfig = [] {
    Bytes config = kConfig;
    config[25] = 6;
    return config;
}();
const std::vector<std::wstring> kProgramFiles{L"autorun.inf", L"lanternbook.dll", L"ostrevan.exe"};
const std::wstring kPutBack = L"A format of this device did not finish. Put its program files and settings back on it now?";
const std::wstring kPutOnEmpty = L"A format of this device did not finish, and the device is not attached. Put its program "
                                 L"files and settings on this empty drive?";
const std::wstring kKept = L"A format of this device did not finish. A copy of its program files and settings is kept in:";
const std::wstring kNotBack = L"The device's program files could not be put back. They are kept in:";
const std::wstring kLabelNotSet =
    L"The device's program files and settings were put back, but its volume label could not be set to:";
const std::wstring kSerialLine = L"Device serial number: QVX/05/4660";
const std::wstring kNoSerialLine = L"Device serial number: No data available";

Bytes bytes_of(const std::wstring& text) { return Bytes(text.begin(), text.end()); }

BackupRecord sample_record() {
    BackupRecord record;
    record.serial_before = 0x1234ABCD;
    record.serial_after = 0x0BADF00D;
    record.label = L"VOLKARIS Flotte \u00C4\u00D6";
    record.volume_bytes = kKeySize;
    record.identity = {5, 0x12, 0x34, 1, 2, 3, 0};
    record.made = SystemTime{2026, 12, 1, 7, 10, 30, 5, 0};
    record.held = {true, false, true, true};
    record.sizes = {52, 0, kKeySize, 32};
    record.attributes = {0x27, 0, 0x21, 0x22};
    record.hashes = {1, 0, 0xFEDCBA9876543210ull, 3};
    return record;
}

// Offsets in the layout: the mark (28), serials (8), size (8), identity
// length and bytes (8), the date's six fields (12), each file's flag and size
// (9 each), the label's length and 32 characters, each file's attributes and
// hash (9 each).
constexpr std::size_t kMadeAt = 52;
constexpr std::size_t kFilesAt = 64;
constexpr std::size_t kLabelAt = 100;
constexpr std::size_t kFirstLayoutLength = 165;

TEST(BackupRecordLayout, ReadsBackWhatItWrites) {
    const BackupRecord record = sample_record();
    const Bytes bytes = encode_record(record);
    BackupRecord read;
    ASSERT_TRUE(decode_record(bytes.data(), bytes.size(), read));
    EXPECT_TRUE(read == record);
    // What it is shows to a person who opens it.
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 27), "lanternbook backup record 2");
    BackupRecord longest = sample_record();
    longest.label = std::wstring(kRecordLabelLength, L'V');
    const Bytes longest_bytes = encode_record(longest);
    ASSERT_TRUE(decode_record(longest_bytes.data(), longest_bytes.size(), read));
    EXPECT_TRUE(read == longest);
    // Unused places are zero: the same record is always the same bytes.
    BackupRecord bare;
    bare.made = record.made;
    const Bytes bare_bytes = encode_record(bare);
    EXPECT_TRUE(std::all_of(bare_bytes.begin() + 28, bare_bytes.begin() + kMadeAt, [](uint8_t b) { return b == 0; }));
    EXPECT_TRUE(std::all_of(bare_bytes.begin() + kFilesAt, bare_bytes.end(), [](uint8_t b) { return b == 0; }));
    // No identity at all, and the first and last moments each field allows, read back as they were.
    ASSERT_TRUE(decode_record(bare_bytes.data(), bare_bytes.size(), read));
    EXPECT_TRUE(read == bare);
    for (const SystemTime& made : {SystemTime{1601, 1, 1, 1, 0, 0, 0, 0}, SystemTime{30827, 12, 6, 31, 23, 59, 59, 0}}) {
        BackupRecord edge = sample_record();
        edge.made = made;
        const Bytes edge_bytes = encode_record(edge);
        ASSERT_TRUE(decode_record(edge_bytes.data(), edge_bytes.size(), read)) << made.year;
        EXPECT_TRUE(read == edge) << made.year;
    }
}

// A backup an earlier version left has no attributes and no hashes: it is
// still read, and said to be of that kind.
// Two records that differ in any one field are different, whichever of them holds the larger value:
// the layout test above relies on it.
TEST(BackupRecordLayout, RecordsDifferingInOneFieldAreNotTheSame) {
    const std::vector<std::pair<const char*, std::function<void(BackupRecord&)>>> changes{
        {"serial before", [](BackupRecord& r) { ++r.serial_before; }},
        {"serial after", [](BackupRecord& r) { ++r.serial_after; }},
        {"label", [](BackupRecord& r) { r.label += L'X'; }},
        {"volume bytes", [](BackupRecord& r) { ++r.volume_bytes; }},
        {"identity", [](BackupRecord& r) { ++r.identity[0]; }},
        {"year", [](BackupRecord& r) { ++r.made.year; }},
        {"month", [](BackupRecord& r) { ++r.made.month; }},
        {"day", [](BackupRecord& r) { ++r.made.day; }},
        {"hour", [](BackupRecord& r) { ++r.made.hour; }},
        {"minute", [](BackupRecord& r) { ++r.made.minute; }},
        {"second", [](BackupRecord& r) { ++r.made.second; }},
        {"held", [](BackupRecord& r) { r.held[1] = true; }},
        {"size", [](BackupRecord& r) { ++r.sizes[0]; }},
        {"attributes", [](BackupRecord& r) { ++r.attributes[0]; }},
        {"hash", [](BackupRecord& r) { ++r.hashes[0]; }},
        {"hashed", [](BackupRecord& r) { r.hashed = false; }},
    };
    const BackupRecord record = sample_record();
    EXPECT_TRUE(record == sample_record());
    for (const auto& [field, change] : changes) {
        BackupRecord changed = sample_record();
        change(changed);
        EXPECT_FALSE(changed == record) << field;
        EXPECT_FALSE(record == changed) << field;
    }
}

TEST(BackupRecordLayout, ARecordOfTheFirstLayoutIsStillRead) {
    Bytes first = encode_record(sample_record());
    first.resize(kFirstLayoutLength);
    first[26] = '1';
    BackupRecord read;
    ASSERT_TRUE(decode_record(first.data(), first.size(), read));
    EXPECT_FALSE(read.hashed);
    EXPECT_EQ(read.sizes, sample_record().sizes);
    EXPECT_EQ(read.label, sample_record().label);
    EXPECT_EQ(read.attributes, (std::array<uint8_t, kRecordedFiles>{}));
    // Either mark with the other layout's length is no record, nor is the first layout cut short.
    Bytes mixed = encode_record(sample_record());
    mixed[26] = '1';
    EXPECT_FALSE(decode_record(mixed.data(), mixed.size(), read));
    first.pop_back();
    EXPECT_FALSE(decode_record(first.data(), first.size(), read));
}

TEST(BackupRecordLayout, RefusesAnythingButAWholeRecordWithEveryFieldInItsRange) {
    const Bytes good = encode_record(sample_record());
    const auto changed = [&good](std::size_t at, uint8_t value) {
        Bytes bytes = good;
        bytes[at] = value;
        return bytes;
    };
    const auto made_with = [](uint16_t SystemTime::*field, uint16_t value) {
        BackupRecord record = sample_record();
        record.made.*field = value;
        return encode_record(record);
    };
    Bytes longer = good;
    longer.push_back(0);
    const std::pair<const char*, Bytes> cases[] = {
        {"empty", Bytes()},
        {"cut short", Bytes(good.begin(), good.end() - 1)},
        {"longer", longer},
        {"another kind of file", changed(26, '3')},
        {"an identity too long", changed(44, 8)},
        {"no year 1600", made_with(&SystemTime::year, 1600)},
        {"no year 30828", made_with(&SystemTime::year, 30828)},
        {"no month 0", made_with(&SystemTime::month, 0)},
        {"no month 13", changed(kMadeAt + 2, 13)},
        {"no day 0", changed(kMadeAt + 4, 0)},
        {"no day 32", made_with(&SystemTime::day, 32)},
        {"no 29 February in 2027", [&] {
             BackupRecord record = sample_record();
             record.made.year = 2027;
             record.made.month = 2;
             record.made.day = 29;
             return encode_record(record);
         }()},
        {"no hour 24", changed(kMadeAt + 6, 24)},
        {"no minute 60", made_with(&SystemTime::minute, 60)},
        {"no second 60", changed(kMadeAt + 10, 60)},
        {"a file flag that is no flag", changed(kFilesAt + 9, 2)},
        {"a file larger than the volume", changed(kFilesAt + 9 * 2 + 1, 1)},
        {"a size for a file not held", changed(kFilesAt + 9 + 1, 1)},
        {"a label too long", changed(kLabelAt, 33)},
        {"a control character in the label", changed(kLabelAt + 1 + 2 * 3, 0x1B)},
        {"an attribute no file keeps", changed(kFirstLayoutLength, 0x10)},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.first);
        BackupRecord read = sample_record();
        read.label = L"untouched";
        EXPECT_FALSE(decode_record(row.second.data(), row.second.size(), read));
        EXPECT_EQ(read.label, L"untouched");
    }
    BackupRecord read;
    EXPECT_FALSE(decode_record(nullptr, good.size(), read));
}

// A label keeps what a volume's label can bear, up to each edge of the control characters
// (C0, DEL and C1) and of the halves of a pair.
TEST(BackupRecordLayout, TakesALabelUpToEachEdgeOfWhatItRefuses) {
    const std::pair<uint16_t, bool> units[] = {
        {0x0000, false}, {0x001F, false}, {0x0020, true},  {0x007E, true},  {0x007F, false},
        {0x009F, false}, {0x00A0, true},  {0xD7FF, true},  {0xD800, false}, {0xDFFF, false},
        {0xE000, true},
    };
    for (const auto& [unit, taken] : units) {
        SCOPED_TRACE(::testing::Message() << std::hex << unit);
        BackupRecord record = sample_record();
        record.label = std::wstring(L"KEY") + static_cast<wchar_t>(unit);
        const Bytes bytes = encode_record(record);
        BackupRecord read;
        EXPECT_EQ(decode_record(bytes.data(), bytes.size(), read), taken);
        EXPECT_EQ(read.label, taken ? record.label : std::wstring());
    }
}

// Hashes recorded by any version compare equal only if every version hashes alike.
TEST(BackupRecordLayout, HashesAsFnv1aWithItsPublishedValues) {
    const auto hash_of = [](uint64_t hash, const std::string& text) {
        return hash_bytes(hash, reinterpret_cast<const uint8_t*>(text.data()), text.size());
    };
    // Published 64-bit FNV-1a test vectors, from the test suite of the FNV authors' reference code.
    const std::pair<const char*, uint64_t> vectors[] = {
        {"", 0xcbf29ce484222325ull},
        {"a", 0xaf63dc4c8601ec8cull},
        {"foobar", 0x85944171f73967e8ull},
    };
    for (const auto& [text, hash] : vectors) {
        EXPECT_EQ(hash_of(kHashStart, text), hash) << text;
    }
    // Carried on, a file hashed in pieces hashes as a whole.
    EXPECT_EQ(hash_of(hash_of(kHashStart, "foo"), "bar"), 0x85944171f73967e8ull);
}

// The key's serial number begins at the identity's first byte; zero there is the
// CONFIG we first wrote, whatever follows, and a CONFIG cut short still names the key it reaches.
TEST(BackupRecordLayout, AnIdentityNamesAKeyByItsFirstByte) {
    const std::pair<Bytes, bool> identities[] = {
        {{}, false},
        {{0, 0, 0, 0, 0, 0, 0}, false},
        {{0, 0x12, 0x34, 1, 2, 3, 0}, false},
        {{5, 0x12, 0x34, 1, 2, 3, 0}, true},
        {{5, 0, 0x34, 0, 0, 0, 0}, true},
        {{5}, true},
    };
    for (const auto& [identity, names] : identities) {
        EXPECT_EQ(identity_names_a_key(identity), names) << ::testing::PrintToString(identity);
    }
}

// A key, its format and what a new start finds.
class Recovering : public ::testing::Test {
protected:
    Recovering() {
        strings.select_language(kEnglish);
        install_key();
    }

    void install_key() {
        platform.add_drive(L'K', L"VOLKARIS (K:)");
        key_volume = platform.volume_at(L'K');
        platform.volume_size = kKeySize;
        platform.add_file(kRoot + L"CONFIG", kConfig);
        platform.add_file(kRoot + L"DATE", "111111");
        for (const std::wstring& name : kProgramFiles) {
            platform.add_file(kRoot + name, bytes_of(L"program " + name), testing::kAttrHidden);
        }
        platform.add_drive(L'D', L"DATA (D:)");
        platform.add_file(L"D:\\notes.txt", "theirs");
        platform.add_file(platform.temp_path + L"\\someone.tmp", "theirs");
    }

    FormatOutcome format() {
        DeviceDrive device(platform, platform);
        return format_device(device.find_key(), FormatServices{device, platform, platform, platform, platform, platform},
                             strings);
    }

    // What a format cut short leaves: the backup with its record, and the
    // key formatted or not; the record knows the new serial number or not.
    void leave_unfinished(bool formatted, bool serial_after_known) {
        DeviceDrive device(platform, platform);
        const KeyIdentity key = device.key_at(kRoot);
        // A key that holds no settings yet leaves a record without identity.
        ASSERT_NE(device.read_config(key), ConfigRead::unreadable);
        ProgramFileBackup backup(device, platform, platform);
        ASSERT_TRUE(backup.backup(key));
        BackupRecord record;
        record.serial_before = key.volume_serial;
        record.label = key.label;
        record.volume_bytes = kKeySize;
        record.identity = key_identity_of(device.config_bytes());
        record.made = platform.now;
        if (formatted) {
            platform.reformat_drive(L'K', L"");
            std::wstring label;
            if (serial_after_known) {
                ASSERT_TRUE(platform.volume_identity(kRoot, record.serial_after, label));
            }
        }
        ASSERT_TRUE(backup.write_record(record));
        platform.message_boxes.clear();
    }

    void start_again() {
        DeviceDrive device(platform, platform);
        finish_unfinished_formats(RecoveryServices{device, platform, platform, platform}, platform, strings);
    }

    bool key_whole() {
        const auto contents = platform.volume_contents(key_volume);
        for (const std::wstring& name : kProgramFiles) {
            const auto found = contents.find(to_upper_ascii(name));
            if (found == contents.end() || found->second.data != bytes_of(L"program " + name)) {
                return false;
            }
        }
        const auto config = contents.find(L"CONFIG");
        return config != contents.end() && config->second.data == kConfig;
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
    int key_volume = -1;
};

TEST_F(Recovering, AKeyThatHasEverythingLosesTheFolderQuietly) {
    leave_unfinished(false, false);
    ASSERT_EQ(backups().size(), 1u);

    start_again();

    EXPECT_TRUE(texts().empty());
    EXPECT_TRUE(backups().empty());
    EXPECT_TRUE(key_whole());
}

// What each format cut short came to: kept when the user said no, failed when a yes could not put it back.
TEST_F(Recovering, EachFormatCutShortTellsWhatItCameTo) {
    struct Case {
        const char* label;
        int answer;
        bool put_back_fails;
        Recovery came_to;
    };
    const Case cases[] = {
        {"no", kAnswerNo, false, Recovery::kept},
        {"yes, and the put-back fails", kAnswerYes, true, Recovery::failed},
        {"yes", kAnswerYes, false, Recovery::put_back},
    };
    leave_unfinished(true, true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        platform.message_box_answers = {c.answer};
        if (c.put_back_fails) {
            platform.unopenable_paths.insert(L"K:\\OSTREVAN.EXE.NEW");
        }
        std::vector<UnfinishedFormat> found;
        ASSERT_EQ(find_unfinished_formats(platform, found), Lookup::found);
        ASSERT_EQ(found.size(), 1u);
        DeviceDrive device(platform, platform);

        EXPECT_EQ(finish_unfinished_format(found[0], RecoveryServices{device, platform, platform, platform}, platform,
                                           strings),
                  c.came_to);
        platform.unopenable_paths.clear();
        platform.message_boxes.clear();
    }
}

TEST_F(Recovering, AKeyLeftFormattedIsOfferedItsFilesBack) {
    struct Case {
        const char* label;
        bool serial_after_known;
        const wchar_t* label_after;  // what the key is called when it comes back
        int answer;
    };
    // Without the new serial number the key is known by its label and CONFIG, or not at all.
    const Case cases[] = {
        {"known by serial number, yes", true, L"", kAnswerYes},
        {"known by serial number, no", true, L"", kAnswerNo},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        platform = FakePlatform();
        install_key();
        leave_unfinished(true, row.serial_after_known);
        static_cast<void>(platform.set_volume_label(kRoot, row.label_after));
        ASSERT_FALSE(key_whole());
        platform.message_box_answers = {row.answer};

        start_again();

        const std::vector<std::wstring> shown = texts();
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(shown[0], kPutBack + L"\n" + kSerialLine);
        if (row.answer == kAnswerYes) {
            EXPECT_EQ(shown.size(), 1u);
            EXPECT_TRUE(key_whole());
            EXPECT_TRUE(backups().empty());
            EXPECT_EQ(platform.volume_label(L'K'), L"VOLKARIS");
            EXPECT_EQ(platform.file_bytes(kRoot + L"DATE"), Bytes());
            // The record keeps what the files were: hidden they went, hidden they come back.
            for (const std::wstring& name : kProgramFiles) {
                EXPECT_EQ(platform.attributes(kRoot + name), testing::kAttrHidden) << name.c_str();
            }
        } else {
            ASSERT_EQ(shown.size(), 2u);
            ASSERT_EQ(backups().size(), 1u);
            EXPECT_EQ(shown[1], kKept + L"\n" + platform.temp_path + L"\\volkaris0A1E0000\n" + kSerialLine);
            EXPECT_FALSE(key_whole());
        }
    }
}

// A backup an earlier version left keeps no attributes and no hashes: its
// files go back whole, and a file the key holds keeps the attributes it has.
TEST_F(Recovering, ABackupOfTheFirstLayoutGoesBackAndLeavesAttributesAsTheyAre) {
    leave_unfinished(true, true);
    ASSERT_EQ(backups().size(), 1u);
    const std::wstring record = backups()[0] + L"\\BACKUP.REC";
    Bytes first = *platform.file_bytes(record);
    first.resize(kFirstLayoutLength);
    first[26] = '1';
    platform.add_file(record, first);
    platform.add_file(kRoot + L"CONFIG", kConfig, testing::kAttrHidden);
    platform.message_box_answers = {kAnswerYes};

    start_again();

    EXPECT_TRUE(key_whole());
    EXPECT_TRUE(backups().empty());
    EXPECT_EQ(platform.attributes(kRoot + L"CONFIG"), testing::kAttrHidden);
}

// Without its new serial number (the record could not take it) the key is
// known by its label and its CONFIG together, never by one of them alone;
// another key's serial number is no match whether it sorts after or before.
TEST_F(Recovering, WithoutItsNewSerialNumberTheKeyIsKnownByItsLabelAndConfig) {
    Bytes lower_keys_config = kConfig;
    lower_keys_config[25] = 4;
    struct Case {
        const char* label;
        const wchar_t* label_after;
        Bytes config;
        bool known;
    };
    const Case cases[] = {
        {"its label and its CONFIG", L"VOLKARIS", kConfig, true},
        {"another label", L"ARCHIVE", kConfig, false},
        {"another key's CONFIG", L"VOLKARIS", kAnotherKeysConfig, false},
        {"the CONFIG of a key numbered below it", L"VOLKARIS", lower_keys_config, false},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        platform = FakePlatform();
        install_key();
        leave_unfinished(true, false);
        // The put-back had brought CONFIG back when the process died.
        platform.add_file(kRoot + L"CONFIG", row.config);
        static_cast<void>(platform.set_volume_label(kRoot, row.label_after));
        const auto before = platform.volume_contents(key_volume);
        platform.message_box_answers = {kAnswerYes};

        start_again();

        const std::vector<std::wstring> shown = texts();
        ASSERT_EQ(shown.size(), 1u);
        if (row.known) {
            EXPECT_EQ(shown[0], kPutBack + L"\n" + kSerialLine);
            EXPECT_TRUE(key_whole());
            EXPECT_TRUE(backups().empty());
        } else {
            EXPECT_EQ(shown[0].compare(0, kKept.size(), kKept), 0);
            EXPECT_EQ(platform.volume_contents(key_volume), before);
            EXPECT_EQ(backups().size(), 1u);
        }
    }
}

// Put back over another key's CONFIG, every file would be found in place and
// the only copy of the key's own would go with the folder: whether the other
// key's serial number sorts after the key's own or before it.
class RecoveringOverAnotherKey : public Recovering, public ::testing::WithParamInterface<uint8_t> {};

TEST_P(RecoveringOverAnotherKey, AKeyHoldingAnotherKeysConfigKeepsTheCopy) {
    Bytes theirs = kConfig;
    theirs[25] = GetParam();
    leave_unfinished(false, false);
    platform.add_file(kRoot + L"CONFIG", theirs);
    platform.message_box_answers = {kAnswerYes};

    start_again();

    const std::vector<std::wstring> shown = texts();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], kPutBack + L"\n" + kSerialLine);
    EXPECT_EQ(shown[1].compare(0, kNotBack.size(), kNotBack), 0);
    EXPECT_EQ(platform.file_bytes(kRoot + L"CONFIG"), theirs);
    ASSERT_EQ(backups().size(), 1u);
    EXPECT_EQ(platform.file_bytes(backups()[0] + L"\\CONFIG"), kConfig);
}

INSTANTIATE_TEST_SUITE_P(SerialNumbers, RecoveringOverAnotherKey, ::testing::Values(uint8_t{4}, uint8_t{6}));

// A key emptied by the format that holds another key's CONFIG by now gets
// nothing at all, not even the files it lacks.
TEST_F(Recovering, AFormattedKeyHoldingAnotherKeysConfigGetsNothing) {
    leave_unfinished(true, true);
    platform.add_file(kRoot + L"CONFIG", kAnotherKeysConfig);
    const auto before = platform.volume_contents(key_volume);
    platform.message_box_answers = {kAnswerYes};

    start_again();

    const std::vector<std::wstring> shown = texts();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].compare(0, kNotBack.size(), kNotBack), 0);
    EXPECT_EQ(platform.volume_contents(key_volume), before);
    EXPECT_EQ(backups().size(), 1u);
}

// A start never waits for another process: a format making its backup
// meanwhile, or one that holds the backup it made.
TEST_F(Recovering, AStartNeverWaitsForAnotherProcess) {
    leave_unfinished(true, true);
    struct Case {
        const char* label;
        std::wstring held;
        std::size_t texts;
    };
    const Case cases[] = {
        {"the backup place, while a backup is made", platform.temp_path, 2},
        {"the backup, by the format that made it: it is left alone", backups().at(0), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        platform.process = 2;
        std::unique_ptr<Folder> folder = platform.open_folder(c.held);
        ASSERT_TRUE(folder);
        const std::unique_ptr<FolderLock> holding = folder->lock(0);
        ASSERT_TRUE(holding);
        platform.process = 1;
        const unsigned slept = platform.slept_ms;
        platform.message_box_answers = {kAnswerNo};

        start_again();

        EXPECT_EQ(platform.slept_ms, slept);
        EXPECT_EQ(texts().size(), c.texts);
    }
}

// The key's own CONFIG saved since with other settings is the key's: it stays
// as saved, the rest comes back and the copy goes. So does the first CONFIG
// saved on a key that had none when it was formatted.
TEST_F(Recovering, TheKeysOwnConfigSavedSinceStaysAsSaved) {
    Bytes other_settings = kConfig;
    other_settings[0] = '0';
    struct Case {
        const char* label;
        bool had_config;
        Bytes saved;
        std::wstring serial_line;
    };
    const Case cases[] = {
        {"its own with other settings", true, other_settings, kSerialLine},
        {"the first, on a key that had none", false, kConfig, kNoSerialLine},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        platform = FakePlatform();
        install_key();
        if (!row.had_config) {
            ASSERT_TRUE(platform.delete_file(kRoot + L"CONFIG"));
        }
        leave_unfinished(true, true);
        platform.add_file(kRoot + L"CONFIG", row.saved);
        platform.message_box_answers = {kAnswerYes};

        start_again();

        EXPECT_EQ(texts(), std::vector<std::wstring>{kPutBack + L"\n" + row.serial_line});
        EXPECT_EQ(platform.file_bytes(kRoot + L"CONFIG"), row.saved);
        EXPECT_EQ(platform.file_bytes(kRoot + L"ostrevan.exe"), bytes_of(L"program ostrevan.exe"));
        EXPECT_TRUE(backups().empty());
    }
}

// The DATE the key's device wrote since the format is the device's: a
// put-back leaves it as it is, also when it cannot be looked up.
TEST_F(Recovering, ADateTheKeyHoldsStaysAsItIs) {
    const Bytes written{'2', '6', '1', '2', '0', '7', '2', '6', '1', '2', '0', '8'};
    for (const bool lookup_fails : {false, true}) {
        SCOPED_TRACE(lookup_fails ? "its look-up failing" : "found");
        platform = FakePlatform();
        install_key();
        leave_unfinished(true, true);
        platform.add_file(kRoot + L"DATE", written);
        if (lookup_fails) {
            platform.failing_lookups.insert(L"K:\\DATE");
        }
        platform.message_box_answers = {kAnswerYes};

        start_again();

        EXPECT_EQ(texts(), std::vector<std::wstring>{kPutBack + L"\n" + kSerialLine});
        EXPECT_TRUE(key_whole());
        EXPECT_EQ(platform.file_bytes(kRoot + L"DATE"), written);
        EXPECT_TRUE(backups().empty());
    }
}

// A key whose label cannot be set gets everything back all the same, and the
// user is told which label it lacks.
TEST_F(Recovering, AKeyWhoseLabelCannotBeSetIsPutBackAndTheUserTold) {
    leave_unfinished(true, true);
    platform.label_setting_works = false;
    platform.message_box_answers = {kAnswerYes};

    start_again();

    EXPECT_EQ(texts(), (std::vector<std::wstring>{kPutBack + L"\n" + kSerialLine, kLabelNotSet + L"\nVOLKARIS"}));
    EXPECT_TRUE(key_whole());
    EXPECT_EQ(platform.volume_label(L'K'), L"");
    EXPECT_TRUE(backups().empty());
}

// A put-back onto an empty drive cut short is finished on that drive at the
// next start, though it holds part of the files by then.
TEST_F(Recovering, APutBackOntoAnEmptyDriveCutShortIsFinishedThere) {
    leave_unfinished(false, false);
    platform.remove_drive(L'K');
    platform.add_drive(L'A', L" (A:)");
    platform.removable_drives = {L'A'};
    platform.volume_size = kKeySize;
    // Without CONFIG the drive is known by no label: only by its serial number.
    platform.unopenable_paths.insert(L"A:\\CONFIG.NEW");
    platform.message_box_answers = {kAnswerYes};

    start_again();

    std::vector<std::wstring> shown = texts();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].compare(0, kNotBack.size(), kNotBack), 0);
    ASSERT_TRUE(platform.exists(L"A:\\ostrevan.exe"));
    ASSERT_FALSE(platform.exists(L"A:\\CONFIG"));
    platform.unopenable_paths.clear();
    platform.message_box_answers = {kAnswerYes};

    start_again();

    shown = texts();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], kPutBack + L"\n" + kSerialLine);
    EXPECT_EQ(platform.file_bytes(L"A:\\ostrevan.exe"), bytes_of(L"program ostrevan.exe"));
    EXPECT_EQ(platform.file_bytes(L"A:\\CONFIG"), kConfig);
    EXPECT_TRUE(backups().empty());
}

TEST_F(Recovering, OnlyAnEmptyRemovableDriveOfTheKeysSizeIsOfferedAndOnlyWithAYes) {
    // The key's files are only in the folder; the key itself is gone for good.
    // The empty drive is at A:, the first letter looked at.
    leave_unfinished(false, false);
    platform.remove_drive(L'K');

    struct Case {
        const char* label;
        std::function<void(FakePlatform&)> drive;
        std::optional<int> answer;  // none: no question
        bool put_on;
    };
    const Case cases[] = {
        {"not removable", [](FakePlatform& p) { p.removable_drives.clear(); }, std::nullopt, false},
        {"not empty", [](FakePlatform& p) { p.add_file(L"A:\\photo.jpg", "photo"); }, std::nullopt, false},
        {"another size", [](FakePlatform& p) { p.volume_size = 4000ull * 1024 * 1024; }, std::nullopt, false},
        {"the user says no", [](FakePlatform&) {}, kAnswerNo, false},
        {"empty but for what Windows keeps on any volume, and the user says no",
         [](FakePlatform& p) {
             p.add_folder(L"A:\\System Volume Information");
             p.add_folder(L"A:\\$RECYCLE.BIN");
         },
         kAnswerNo, false},
        {"the user says yes", [](FakePlatform&) {}, kAnswerYes, true},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        platform.add_drive(L'A', L" (A:)");
        platform.removable_drives = {L'A'};
        platform.volume_size = kKeySize;
        row.drive(platform);
        if (row.answer) {
            platform.message_box_answers = {*row.answer};
        }

        start_again();

        const std::vector<std::wstring> shown = texts();
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(shown.size(), row.answer ? (row.put_on ? 1u : 2u) : 1u);
        if (row.answer) {
            EXPECT_EQ(shown[0], kPutOnEmpty + L"\n" + kSerialLine + L"\nA:\\ (980 MiB)");
        }
        if (row.put_on) {
            EXPECT_EQ(platform.file_bytes(L"A:\\CONFIG"), kConfig);
            EXPECT_EQ(platform.file_bytes(L"A:\\ostrevan.exe"), bytes_of(L"program ostrevan.exe"));
            EXPECT_EQ(platform.volume_label(L'A'), L"VOLKARIS");
            EXPECT_TRUE(backups().empty());
        } else {
            EXPECT_EQ(shown.back().compare(0, kKept.size(), kKept), 0);
            EXPECT_FALSE(platform.exists(L"A:\\CONFIG"));
            EXPECT_EQ(backups().size(), 1u);
        }
        platform.remove_drive(L'A');
    }
}

// Without the word in its label the drive would never be found as the key:
// a drive whose label cannot be set gets nothing.
TEST_F(Recovering, AnEmptyDriveWhoseLabelCannotBeSetGetsNothing) {
    leave_unfinished(false, false);
    platform.remove_drive(L'K');
    // At Z:, the last letter looked at.
    platform.add_drive(L'Z', L" (Z:)");
    platform.removable_drives = {L'Z'};
    platform.volume_size = kKeySize;
    platform.label_setting_works = false;
    platform.message_box_answers = {kAnswerYes};

    start_again();

    const std::vector<std::wstring> shown = texts();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].compare(0, kNotBack.size(), kNotBack), 0);
    EXPECT_TRUE(platform.volume_contents(platform.volume_at(L'Z')).empty());
    EXPECT_EQ(backups().size(), 1u);
}

// A volume whose root could not be held when the user was asked about it is
// not known to be the one asked about: it gets nothing and the copy stays,
// whether it can be held once answered or not.
TEST_F(Recovering, AVolumeNotHeldWhenAskedAboutGetsNothing) {
    struct Case {
        const char* label;
        bool the_key;  // else an empty drive with neither serial number nor label
        bool held_once_answered;
        std::wstring asked;
        std::wstring told;
    };
    const Case cases[] = {
        {"the key, never held", true, false, kPutBack, kNotBack},
        {"the key, held once answered", true, true, kPutBack, kKept},
        {"an empty drive without serial number or label, held once answered", false, true, kPutOnEmpty, kKept},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        platform = FakePlatform();
        install_key();
        leave_unfinished(row.the_key, row.the_key);
        const wchar_t letter = row.the_key ? L'K' : L'A';
        if (!row.the_key) {
            platform.remove_drive(L'K');
            platform.add_drive(L'A', L" (A:)");
            platform.set_volume_serial(L'A', 0);
            platform.removable_drives = {L'A'};
            platform.volume_size = kKeySize;
        }
        const auto before = platform.volume_contents(platform.volume_at(letter));
        platform.places_unknown = true;
        platform.while_asking = [this, &row] {
            platform.places_unknown = !row.held_once_answered;
            platform.while_asking = nullptr;
        };
        platform.message_box_answers = {kAnswerYes};

        start_again();

        const std::vector<std::wstring> shown = texts();
        ASSERT_EQ(shown.size(), 2u);
        EXPECT_EQ(shown[0].compare(0, row.asked.size(), row.asked), 0);
        EXPECT_EQ(shown[1].compare(0, row.told.size(), row.told), 0);
        EXPECT_EQ(platform.volume_contents(platform.volume_at(letter)), before);
        EXPECT_EQ(backups().size(), 1u);
    }
}

// A put-back onto an empty drive goes on only once the record can find that
// drive again, and a drive without a serial number leaves the record as it
// was: either way the key, attached later, is still known by its own.
TEST_F(Recovering, APutBackOntoAnEmptyDriveLeavesARecordThatStillKnowsTheKey) {
    struct Case {
        const char* label;
        uint32_t serial;  // of the empty drive
        bool record_rewritable;
    };
    const Case cases[] = {
        {"the record cannot take the drive's serial number", 0x0D15C0DE, false},
        {"a drive without a serial number, the put-back cut short", 0, true},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        platform = FakePlatform();
        install_key();
        leave_unfinished(true, true);
        const int key = platform.remove_drive(L'K');
        platform.add_drive(L'A', L" (A:)");
        platform.set_volume_serial(L'A', row.serial);
        platform.removable_drives = {L'A', L'K'};
        platform.volume_size = kKeySize;
        platform.unopenable_paths.insert(row.record_rewritable ? L"A:\\CONFIG.NEW" : backups().at(0) + L"\\BACKUP.NEW");
        platform.message_box_answers = {kAnswerYes};

        start_again();

        const std::vector<std::wstring> shown = texts();
        ASSERT_EQ(shown.size(), 2u);
        EXPECT_EQ(shown[0].compare(0, kPutOnEmpty.size(), kPutOnEmpty), 0);
        EXPECT_EQ(shown[1].compare(0, kNotBack.size(), kNotBack), 0);
        // Files go onto no drive the record cannot name.
        EXPECT_EQ(platform.volume_contents(platform.volume_at(L'A')).empty(), !row.record_rewritable);
        platform.remove_drive(L'A');
        platform.plug_in(L'K', key);
        platform.unopenable_paths.clear();
        platform.message_box_answers = {kAnswerYes};

        start_again();

        EXPECT_EQ(texts(), std::vector<std::wstring>{kPutBack + L"\n" + kSerialLine});
        EXPECT_TRUE(key_whole());
        EXPECT_TRUE(backups().empty());
    }
}

// A folder standing for a key has no volume serial number, nor has a record
// before the format's new one is known: the two zeros are no match.
TEST_F(Recovering, NoRecordIsMatchedByASerialNumberOfZero) {
    BackupRecord record = sample_record();
    record.serial_after = 0;
    DeviceDrive device(platform, platform);
    const RecoveryServices services{device, platform, platform, platform};
    KeyIdentity folder{L"D:\\copies\\", 3, 0, L""};

    EXPECT_FALSE(record_is_of(record, folder, services));
    folder.volume_serial = record.serial_before;
    EXPECT_TRUE(record_is_of(record, folder, services));
}

TEST_F(Recovering, AFolderWithoutAWholeRecordIsNoneOfOurs) {
    const std::wstring theirs = platform.temp_path + L"\\volkaris00000001";
    platform.add_folder(theirs);
    platform.add_file(theirs + L"\\BACKUP.REC", "lanternbook backup record 1\n..\\..\\Windows\\win.ini\n");
    platform.add_file(theirs + L"\\autorun.inf", "not a key's");
    platform.wipe_drive(L'K');
    const std::map<std::wstring, Entry> before = platform.world();

    start_again();

    EXPECT_TRUE(texts().empty());
    EXPECT_EQ(platform.world(), before);
}

// A folder the test names cannot be listed.
class UnlistablePlatform : public FakePlatform {
public:
    std::wstring unlistable;  // upper-cased

    Lookup held_listing(const std::wstring& folder, const std::wstring& pattern, const std::vector<FolderEntry>& every,
                        std::vector<FolderEntry>& entries) override {
        return to_upper_ascii(folder) == unlistable ? Lookup::failed
                                                    : FakePlatform::held_listing(folder, pattern, every, entries);
    }
};

// The backup place of another machine or account, searched by its path: the
// list handed in holds afterwards what this search found and nothing else,
// and nothing there changes.
TEST(SearchingAnotherFolder, FindsWhatThatFolderHoldsNowAndChangesNothing) {
    const std::wstring copies = L"C:\\Copies";
    const std::wstring backup = copies + L"\\volkaris00000001";
    const std::wstring record = backup + L"\\BACKUP.REC";
    struct Case {
        const char* label;
        std::wstring folder;
        std::function<void(UnlistablePlatform&)> world;
        Lookup answer;
        bool finds_backup;
    };
    const auto as_it_is = [](UnlistablePlatform&) {};
    const Case cases[] = {
        {"a folder with a backup", copies, as_it_is, Lookup::found, true},
        {"a folder whose look-up fails", copies,
         [&](UnlistablePlatform& p) { p.failing_lookups.insert(to_upper_ascii(copies)); }, Lookup::found, true},
        // It may hold the only copy: it is kept until it says whose it is.
        {"a backup whose record cannot be read or looked up now", copies,
         [&](UnlistablePlatform& p) {
             p.unopenable_paths.insert(to_upper_ascii(record));
             p.failing_lookups.insert(to_upper_ascii(record));
         },
         Lookup::found, false},
        {"no folder there", L"C:\\Nowhere", as_it_is, Lookup::missing, false},
        {"no folder named", L"", as_it_is, Lookup::missing, false},
        {"a folder others may write in", copies, [&](UnlistablePlatform& p) { p.set_owner(copies, L"", true); },
         Lookup::failed, false},
        {"a folder that cannot be listed", copies,
         [&](UnlistablePlatform& p) { p.unlistable = to_upper_ascii(copies); }, Lookup::failed, false},
        {"a file", record, as_it_is, Lookup::failed, false},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        UnlistablePlatform platform;
        platform.add_folder(copies);
        platform.add_folder(backup);
        platform.add_file(record, encode_record(sample_record()));
        platform.add_file(backup + L"\\ostrevan.exe", "program ostrevan.exe");
        row.world(platform);
        const std::map<std::wstring, Entry> before = platform.world();
        // What an earlier search left in the list.
        std::vector<UnfinishedFormat> found(1);
        found[0].folder = L"C:\\Elsewhere\\volkaris00000002";

        EXPECT_EQ(find_unfinished_formats_in(platform, row.folder, found), row.answer);

        std::vector<std::wstring> folders;
        for (const UnfinishedFormat& unfinished : found) {
            folders.push_back(unfinished.folder);
        }
        EXPECT_EQ(folders, row.finds_backup ? std::vector<std::wstring>{backup} : std::vector<std::wstring>());
        EXPECT_EQ(platform.world(), before);
    }
}

// ---------------------------------------------------------------- crashes

// A format that dies on the formatted volume, just before or just after it
// names it the key again, has left a record that finds that volume by its
// new serial number and names it as it was.
TEST_F(Recovering, AFormatDyingAtTheLabelIsPutBackUnderTheKeysOwnLabel) {
    ASSERT_TRUE(platform.set_volume_label(kRoot, L"VOLKARIS 7"));
    bool formatted = false;
    platform.on_shell_format = [&](int) {
        platform.reformat_drive(L'K', L"");
        formatted = true;
    };
    platform.calls = 0;
    const FakePlatform initial = platform;
    int labelled_at = 0;
    platform.before_call = [&](int call) {
        if (formatted && labelled_at == 0 && platform.volume_label(L'K') == L"VOLKARIS 7") {
            labelled_at = call;
        }
    };
    ASSERT_EQ(format(), FormatOutcome::formatted);
    ASSERT_GT(labelled_at, 1);
    for (const int dying_at : {labelled_at - 1, labelled_at}) {
        SCOPED_TRACE(dying_at);
        platform = initial;
        platform.calls = 0;
        platform.crashed_at = dying_at;
        static_cast<void>(format());
        platform.crashed_at.reset();
        platform.message_boxes.clear();
        platform.message_box_answers = {kAnswerYes};

        start_again();

        EXPECT_EQ(texts(), std::vector<std::wstring>{kPutBack + L"\n" + kSerialLine});
        EXPECT_TRUE(key_whole());
        EXPECT_EQ(platform.volume_label(L'K'), L"VOLKARIS 7");
        EXPECT_TRUE(backups().empty());
    }
}

TEST_F(Recovering, ACrashAtAnyCallOfAFormatOrOfItsRecoveryLosesNothing) {
    platform.on_shell_format = [this](int) { platform.reformat_drive(L'K', L""); };
    const FakePlatform initial = platform;
    ASSERT_EQ(format(), FormatOutcome::formatted);
    ASSERT_TRUE(key_whole());
    const int clean_calls = platform.calls;
    const auto outside_key = [this](const FakePlatform& p) {
        std::map<std::wstring, Entry> contents;
        const std::wstring ours = to_upper_ascii(p.temp_path + L"\\VOLKARIS");
        for (const auto& entry : p.world()) {
            if (entry.first.compare(0, 3, L"K:\\") != 0 && entry.first.compare(0, ours.size(), ours) != 0) {
                contents[entry.first] = entry.second;
            }
        }
        return contents;
    };
    const std::map<std::wstring, Entry> outside_before = outside_key(initial);

    const auto check_afterwards = [&](const std::string& when) {
        SCOPED_TRACE(when);
        bool told = false;
        for (const testing::MessageBoxCall& box : platform.message_boxes) {
            const std::size_t line = box.text.find(L'\n');
            const std::size_t second = box.text.find(L'\n', line + 1);
            const bool names_folder = box.text.compare(0, kKept.size(), kKept) == 0 ||
                                      box.text.compare(0, kNotBack.size(), kNotBack) == 0;
            if (!names_folder || second == std::wstring::npos) {
                continue;
            }
            const std::wstring folder = box.text.substr(line + 1, second - line - 1);
            bool all = true;
            for (const std::wstring& name : kProgramFiles) {
                all = all && platform.file_bytes(folder + L"\\" + name) == bytes_of(L"program " + name);
            }
            told = told || (all && platform.file_bytes(folder + L"\\CONFIG") == kConfig);
        }
        EXPECT_TRUE(key_whole() || told) << "the key lacks something and the user was not told where all of it is";
        EXPECT_EQ(outside_key(platform), outside_before) << "something off the key and our folder changed";
    };

    for (int call = 1; call <= clean_calls; ++call) {
        for (const bool label_kept : {true, false}) {
            for (const int answer : {kAnswerYes, kAnswerNo}) {
                SCOPED_TRACE("crash at call " + std::to_string(call) + (label_kept ? ", label as left" : ", no label") +
                             (answer == kAnswerYes ? ", yes" : ", no"));
                platform = initial;
                platform.crashed_at = call;
                static_cast<void>(format());
                // A new process on the world the dead one left.
                platform.crashed_at.reset();
                platform.message_boxes.clear();
                platform.calls = 0;
                if (!label_kept) {
                    static_cast<void>(platform.set_volume_label(kRoot, L""));
                }
                const FakePlatform after_crash = platform;
                platform.default_answer = answer;
                start_again();
                check_afterwards("second start");

                // The recovery itself dies at every call of its own; a third start finishes it.
                const int recovery_calls = platform.calls;
                for (int inner = 1; inner <= recovery_calls; ++inner) {
                    platform = after_crash;
                    platform.default_answer = answer;
                    platform.calls = 0;
                    platform.crashed_at = inner;
                    start_again();
                    platform.crashed_at.reset();
                    platform.message_boxes.clear();
                    platform.calls = 0;
                    start_again();
                    check_afterwards("third start after a crash at recovery call " + std::to_string(inner));
                }
            }
        }
    }
}

}  // namespace
}  // namespace lanternbook
