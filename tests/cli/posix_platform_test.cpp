// The POSIX file system, volumes and key search on temporary folders, with a
// fake /dev/disk and mount table standing in for the system's.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>

#include "cli/posix_key_search.h"
#include "cli_process.h"
#include "platform/posix/mounted_volumes.h"
#include "platform/posix/posix_files.h"
#include "text/utf8_text.h"

namespace lanternbook {
namespace {

using testing::TempFolder;
namespace fs = std::filesystem;

std::wstring wide(const std::string& text) { return wide_from_utf8(text); }

void write_text(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary);
    file << text;
}

TEST(Utf8Text, RoundTripsEveryByteSequence) {
    const std::string cases[] = {
        "plain", "Zażółć gęślą jaźń", "\xF0\x9F\x9A\x9A truck", "latin-1 \xE9t\xE9", "\xC0\xAF overlong",
        "\xED\xA0\x80 encoded surrogate", "cut \xE2\x82", std::string("nul\0inside", 10),
    };
    for (const std::string& text : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(utf8_from_wide(wide_from_utf8(text)), text);
    }
    EXPECT_EQ(wide_from_utf8("Zażółć"), L"Zażółć");
    EXPECT_EQ(wide_from_utf8("\xE9"), std::wstring(1, static_cast<wchar_t>(0xDCE9)));
}

// The descriptor open on `path`, or -1.
int descriptor_of(const std::string& path) {
    for (const fs::directory_entry& entry : fs::directory_iterator("/proc/self/fd")) {
        std::error_code ignored;
        if (fs::read_symlink(entry.path(), ignored) == path) {
            return std::stoi(entry.path().filename().string());
        }
    }
    return -1;
}

// What descriptor `number` is open on; empty when it is not open.
fs::path path_of_descriptor(int number) {
    std::error_code ignored;
    return fs::read_symlink("/proc/self/fd/" + std::to_string(number), ignored);
}

// Someone else's file under `number`, as their next open could get it once we let it go.
bool someone_elses_file_at(int number) {
    const int theirs = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (theirs < 0 || theirs == number) {
        return theirs == number;
    }
    const bool moved = ::dup2(theirs, number) == number;
    ::close(theirs);
    return moved;
}

class PosixFiles : public ::testing::Test {
protected:
    std::wstring path(const std::string& name) const { return wide(folder / name); }
    // A folder below the test's own, held.
    std::unique_ptr<Folder> held(const std::string& name) { return files.open_folder(path(name)); }
    // A file by its path, through its folder held.
    std::unique_ptr<File> open(const std::wstring& full, FileAccess access, FileDisposition disposition) {
        const std::size_t cut = full.find_last_of(L"/\\");
        std::unique_ptr<Folder> parent = files.open_folder(full.substr(0, cut == 0 ? 1 : cut));
        return parent ? parent->open_file(full.substr(cut + 1), access, disposition) : nullptr;
    }
    TempFolder folder;
    posix::PosixFileSystem files;
};

TEST_F(PosixFiles, AttributesOfFilesFoldersLinksAndMissingPaths) {
    fs::create_directory(folder / "CARD");
    write_text(folder / "plain", "x");
    write_text(folder / "locked", "x");
    ::chmod((folder / "locked").c_str(), 0444);
    write_text(folder / ".hidden", "x");
    write_text(folder / ".h", "x");
    write_text(folder / "-shown", "x");
    ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0644), 0);
    fs::create_directory_symlink(folder / "CARD", folder / "folder-link");
    fs::create_symlink(folder / "plain", folder / "file-link");
    fs::create_symlink(folder / "nowhere", folder / "dangling");
    struct Case {
        std::string name;
        Lookup lookup;
        uint32_t attributes;
    };
    const Case cases[] = {
        {"CARD", Lookup::found, kAttributeFolder},
        {"plain", Lookup::found, kAttributeArchive},
        {"locked", Lookup::found, kAttributeArchive | kAttributeReadOnly},
        {".hidden", Lookup::found, kAttributeArchive | kAttributeHidden},
        {".h", Lookup::found, kAttributeArchive | kAttributeHidden},
        {"-shown", Lookup::found, kAttributeArchive},
        {"pipe", Lookup::found, kAttributeArchive | kAttributeDevice},
        {"folder-link", Lookup::found, kAttributeLink | kAttributeFolder},
        {"file-link", Lookup::found, kAttributeLink},
        {"dangling", Lookup::found, kAttributeLink},
        {"missing", Lookup::missing, 0},
        {"plain/below", Lookup::missing, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        uint32_t attributes = 0;
        EXPECT_EQ(files.attributes(path(c.name), attributes), c.lookup);
        if (c.lookup == Lookup::found) {
            EXPECT_EQ(attributes, c.attributes);
        }
    }
}

TEST_F(PosixFiles, BackslashesSeparateParts) {
    fs::create_directory(folder / "CARD");
    write_text(folder / "CARD/a.ddd", "abc");
    uint64_t size = 0;
    std::unique_ptr<File> file =
        open(wide(folder.path()) + L"\\CARD\\a.ddd", FileAccess::read, FileDisposition::open_existing);
    ASSERT_TRUE(file);
    EXPECT_TRUE(file->size(size));
    EXPECT_EQ(size, 3u);
}

TEST_F(PosixFiles, ListingMatchesThePatternInAnyCase) {
    fs::create_directory(folder / "CARD");
    for (const char* name : {"a.ddd", "B.DDD", "c.Ddd", "d.dddx", "e.esm", ".f.ddd"}) {
        write_text(folder / ("CARD/" + std::string(name)), "x");
    }
    fs::create_directory(folder / "CARD/g.ddd");
    std::unique_ptr<Folder> card = held("CARD");
    ASSERT_TRUE(card);
    std::vector<FolderEntry> entries;
    ASSERT_EQ(card->list(L"*.ddd", entries), Lookup::found);
    std::vector<std::wstring> names;
    for (const FolderEntry& entry : entries) {
        names.push_back(entry.name + (entry.is_folder() ? L"/" : L""));
        // What the listing tells of each entry is what attributes() does.
        uint32_t attributes = 0;
        ASSERT_EQ(card->attributes(entry.name, attributes), Lookup::found);
        EXPECT_EQ(entry.attributes, attributes) << entry.name;
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L".f.ddd", L"B.DDD", L"a.ddd", L"c.Ddd", L"g.ddd/"}));
    EXPECT_EQ(card->list(L"*.dtg", entries), Lookup::missing);
    EXPECT_EQ(held("TACHO"), nullptr);

    // As on Windows, "*.*" is every name: one with no dot, such as CONFIG, too; "." and ".." never.
    write_text(folder / "CARD/CONFIG", "x");
    ASSERT_EQ(card->list(L"*.*", entries), Lookup::found);
    EXPECT_EQ(entries.size(), 8u);
    ASSERT_EQ(card->list(L"CONFIG.*", entries), Lookup::found);
    EXPECT_EQ(entries.size(), 1u);
    write_text(folder / "CARD/.h", "x");
    ASSERT_EQ(card->list(L".h", entries), Lookup::found);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].attributes, kAttributeArchive | kAttributeHidden);
}

// A relative path is walked from the working folder, whatever its first character.
TEST_F(PosixFiles, RelativePathsStartAtTheWorkingFolder) {
    fs::create_directory(folder / "CARD");
    write_text(folder / "CARD/a.ddd", "x");
    const fs::path was = fs::current_path();
    fs::current_path(folder.path());
    uint32_t attributes = 0;
    for (const wchar_t* relative : {L"CARD", L"./CARD", L"CARD/../CARD"}) {
        SCOPED_TRACE(utf8_from_wide(relative));
        std::unique_ptr<Folder> card = files.open_folder(relative);
        EXPECT_TRUE(card && card->attributes(L"a.ddd", attributes) == Lookup::found);
    }
    fs::current_path(was);
}

// Characters past the private one that stands for a backslash stay what
// they are; folders others may write in on the way are no reason to refuse
// a folder the user names.
TEST_F(PosixFiles, NamesBeyondThePrivateRangeAndFoldersOthersWriteIn) {
    fs::create_directories(folder / "shared/CARD");
    ::chmod((folder / "shared").c_str(), 0777);
    write_text(folder / "shared/CARD/truck\xF0\x9F\x9A\x9A\xEF\xBF\xBD.ddd", "x");
    std::unique_ptr<Folder> card = files.open_folder(path("shared/CARD"));
    ASSERT_TRUE(card);
    uint32_t attributes = 0;
    EXPECT_EQ(card->attributes(L"truck\U0001F69A\uFFFD.ddd", attributes), Lookup::found);
}

// The clock's date is today's, its day of the week too.
TEST(PosixClockTest, TodayWithItsDayOfTheWeek) {
    const SystemTime now = posix::PosixClock().utc_now();
    const std::time_t seconds = std::time(nullptr);
    std::tm parts{};
    ::gmtime_r(&seconds, &parts);
    if (parts.tm_mday != now.day) {
        GTEST_SKIP() << "midnight passed between the two readings";
    }
    EXPECT_EQ(now.year, parts.tm_year + 1900);
    EXPECT_EQ(now.month, parts.tm_mon + 1);
    EXPECT_EQ(now.day_of_week, parts.tm_wday);
}

// A folder below a held one is never one of another file system mounted there.
TEST_F(PosixFiles, AFolderBelowIsNeverAnotherMount) {
    std::unique_ptr<Folder> root = files.open_folder(L"\\");
    ASSERT_TRUE(root);
    EXPECT_EQ(root->open_folder(L"proc"), nullptr);
    EXPECT_EQ(files.failure_reason(), L"another file system is mounted there");
}

TEST_F(PosixFiles, FilesOpenWriteAndReplaceInOneStep) {
    const std::wstring target = path("CONFIG");
    const std::wstring helper = path("CONFIG.NEW");
    write_text(folder / "CONFIG", "old");
    {
        std::unique_ptr<File> file = open(helper, FileAccess::write, FileDisposition::create_new);
        ASSERT_TRUE(file);
        const uint8_t data[] = {'n', 'e', 'w', '!'};
        std::size_t written = 0;
        ASSERT_TRUE(file->write(data, sizeof data, written));
        EXPECT_EQ(written, sizeof data);
        ASSERT_TRUE(file->flush());
        // The folder moves: the file still goes where it was opened.
        fs::rename(folder.path(), folder.path() + ".moved");
        ASSERT_TRUE(file->replace(target));
        ASSERT_TRUE(file->close());
        fs::rename(folder.path() + ".moved", folder.path());
    }
    EXPECT_EQ(testing::read_bytes(folder / "CONFIG"), (std::vector<uint8_t>{'n', 'e', 'w', '!'}));
    EXPECT_FALSE(testing::exists(folder / "CONFIG.NEW"));

    std::unique_ptr<File> file = open(target, FileAccess::read, FileDisposition::open_existing);
    ASSERT_TRUE(file);
    uint8_t buffer[16] = {};
    std::size_t read = 0;
    ASSERT_TRUE(file->read(buffer, sizeof buffer, read));
    EXPECT_EQ(read, 4u);
    EXPECT_FALSE(open(path("missing"), FileAccess::read, FileDisposition::open_existing));
    fs::create_directory(folder / "folder");
    EXPECT_FALSE(open(path("folder"), FileAccess::read, FileDisposition::open_existing));
}

// A file made anew may be read and written by everyone the umask lets;
// a single byte is written whole; a name too long is a failure, not missing.
TEST_F(PosixFiles, NewFilesSingleBytesAndNamesTooLong) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    {
        std::unique_ptr<File> file = open(path("fresh"), FileAccess::write, FileDisposition::create_new);
        ASSERT_TRUE(file);
        const uint8_t byte = 'x';
        std::size_t written = 0;
        EXPECT_TRUE(file->write(&byte, 1, written));
        EXPECT_EQ(written, 1u);
        uint8_t back = 0;
        std::size_t read = 1;
        EXPECT_FALSE(file->read(&back, 1, read)) << "a file opened for writing is not read";
        EXPECT_EQ(read, 0u);
        EXPECT_EQ(files.failure_reason(), L"Bad file descriptor");
        // Another failure, not ours, then a success of ours: the reason stays ours.
        EXPECT_NE(::access((folder / "none").c_str(), F_OK), 0);
        EXPECT_TRUE(file->write(&byte, 0, written));
        EXPECT_EQ(files.failure_reason(), L"Bad file descriptor");
        const int number = descriptor_of(folder / "fresh");
        ASSERT_GE(number, 0);
        ASSERT_TRUE(file->close());
        // Someone else's file under the number it had: the file's end leaves it alone.
        ASSERT_TRUE(someone_elses_file_at(number));
        file.reset();
        EXPECT_EQ(path_of_descriptor(number), "/dev/null") << "a file closed was closed again";
        ::close(number);
    }
    struct stat info {};
    ASSERT_EQ(::stat((folder / "fresh").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);
    EXPECT_EQ(testing::read_bytes(folder / "fresh"), std::vector<uint8_t>{'x'});
    uint32_t attributes = 0;
    EXPECT_EQ(files.attributes(path(std::string(300, 'a')), attributes), Lookup::failed);
    std::unique_ptr<Folder> top = files.open_folder(wide(folder.path()));
    ASSERT_TRUE(top);
    EXPECT_EQ(top->attributes(std::wstring(300, L'a'), attributes), Lookup::failed);
}

TEST_F(PosixFiles, OnlyPlainFilesOpenNeverThroughALinkAndNeverWaiting) {
    write_text(folder / "outside", "12");
    fs::create_symlink(folder / "outside", folder / "DATE");
    fs::create_symlink(folder / "nowhere", folder / "dangling");
    fs::create_symlink("/dev/null", folder / "device");
    ASSERT_EQ(::mkfifo((folder / "CONFIG").c_str(), 0644), 0);
    struct Case {
        const char* name;
        FileAccess access;
        FileDisposition disposition;
    };
    const Case cases[] = {
        {"DATE", FileAccess::read_write, FileDisposition::open_always},
        {"DATE", FileAccess::read, FileDisposition::open_existing},
        {"dangling", FileAccess::write, FileDisposition::open_always},
        {"dangling", FileAccess::write, FileDisposition::create_new},
        {"device", FileAccess::write, FileDisposition::open_existing},
        // A pipe with no one at the other end would block a plain open for ever.
        {"CONFIG", FileAccess::read, FileDisposition::open_existing},
        {"CONFIG", FileAccess::read_write, FileDisposition::open_always},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_FALSE(open(path(row.name), row.access, row.disposition));
    }
    EXPECT_EQ(testing::read_bytes(folder / "outside"), (std::vector<uint8_t>{'1', '2'}));
    EXPECT_FALSE(testing::exists(folder / "nowhere"));
}

TEST_F(PosixFiles, AnOpenFileIsRemovedAndMarkedReadOnlyByItself) {
    write_text(folder / "a.ddd", "x");
    std::unique_ptr<File> file = open(path("a.ddd"), FileAccess::entry, FileDisposition::open_existing);
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->set_attributes(kAttributeReadOnly));
    EXPECT_EQ(fs::status(folder / "a.ddd").permissions() & fs::perms::owner_write, fs::perms::none);
    ASSERT_TRUE(file->set_attributes(kAttributeArchive));
    ASSERT_TRUE(file->remove());
    EXPECT_FALSE(testing::exists(folder / "a.ddd"));
}

TEST_F(PosixFiles, TruncateAndCloseReportWhatHappened) {
    write_text(folder / "DATE", "111111");
    std::unique_ptr<File> file = open(path("DATE"), FileAccess::write, FileDisposition::open_always);
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->truncate());
    ASSERT_TRUE(file->close());
    EXPECT_FALSE(file->flush());
    EXPECT_EQ(testing::read_bytes(folder / "DATE"), std::vector<uint8_t>());
    uint32_t serial = 0;
    std::wstring where;
    EXPECT_EQ(file->location(serial, where), FilePlace::not_linked);
}

TEST_F(PosixFiles, ANameHoldingABackslashIsOneNameAndGoesByItself) {
    // The name would lead two folders up if it were taken for a path.
    fs::create_directories(folder / "KEY/CARD");
    write_text(folder / "victim.ddd", "keep");
    ::chmod((folder / "victim.ddd").c_str(), 0444);
    write_text(folder / "KEY/CARD/..\\..\\victim.ddd", "hostile");
    std::unique_ptr<Folder> card = held("KEY/CARD");
    ASSERT_TRUE(card);
    std::vector<FolderEntry> entries;
    ASSERT_EQ(card->list(L"*.ddd", entries), Lookup::found);
    ASSERT_EQ(entries.size(), 1u);
    const std::wstring name = entries[0].name;
    EXPECT_EQ(name.find(L'\\'), std::wstring::npos);
    uint32_t attributes = 0;
    ASSERT_EQ(files.attributes(path("KEY/CARD") + L"\\" + name, attributes), Lookup::found);
    std::unique_ptr<File> entry = card->open_file(name, FileAccess::entry, FileDisposition::open_existing);
    ASSERT_TRUE(entry);
    ASSERT_TRUE(entry->set_attributes(kAttributeArchive));
    ASSERT_TRUE(card->delete_file(name));
    EXPECT_FALSE(testing::exists(folder / "KEY/CARD/..\\..\\victim.ddd"));
    EXPECT_EQ(testing::read_bytes(folder / "victim.ddd"), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
    EXPECT_EQ(fs::status(folder / "victim.ddd").permissions() & fs::perms::owner_write, fs::perms::none);
}

TEST_F(PosixFiles, ReadOnlyIsTheWriteBitsAndLinksStayAsTheyAre) {
    write_text(folder / "file", "x");
    std::unique_ptr<File> file = open(path("file"), FileAccess::entry, FileDisposition::open_existing);
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->set_attributes(kAttributeReadOnly | kAttributeHidden));
    EXPECT_EQ(fs::status(folder / "file").permissions() &
                  (fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write),
              fs::perms::none);
    ASSERT_TRUE(file->set_attributes(kAttributeArchive));
    EXPECT_NE(fs::status(folder / "file").permissions() & fs::perms::owner_write, fs::perms::none);

    write_text(folder / "target", "x");
    ::chmod((folder / "target").c_str(), 0444);
    fs::create_symlink(folder / "target", folder / "link");
    std::unique_ptr<Folder> top = files.open_folder(wide(folder.path()));
    ASSERT_TRUE(top);
    EXPECT_TRUE(top->delete_file(L"link"));
    EXPECT_EQ(fs::status(folder / "target").permissions() & fs::perms::owner_write, fs::perms::none);
    EXPECT_TRUE(testing::exists(folder / "target"));

    // Only the write bits change: execute bits stay, whoever has them.
    write_text(folder / "program", "x");
    ::chmod((folder / "program").c_str(), 0755);
    std::unique_ptr<File> program = open(path("program"), FileAccess::entry, FileDisposition::open_existing);
    ASSERT_TRUE(program);
    ASSERT_TRUE(program->set_attributes(kAttributeReadOnly));
    struct stat info {};
    ASSERT_EQ(::stat((folder / "program").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0555u);
}

// Out of descriptors, a held folder can be neither listed nor locked, and says why.
TEST_F(PosixFiles, WithoutADescriptorLeftNoListingNorLock) {
    std::unique_ptr<Folder> top = files.open_folder(wide(folder.path()));
    ASSERT_TRUE(top);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The lowest number free is the limit: every number below it is taken.
        const int lowest_free = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        ::close(lowest_free);
        const rlimit none_left{static_cast<rlim_t>(lowest_free), static_cast<rlim_t>(lowest_free)};
        std::vector<FolderEntry> entries;
        const bool right = ::setrlimit(RLIMIT_NOFILE, &none_left) == 0 && top->list(L"*", entries) == Lookup::failed &&
                           files.failure_reason() == L"Too many open files" && top->lock(0) == nullptr &&
                           files.failure_reason() == L"Too many open files";
        ::_exit(right ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// Another user's file: an attribute it already has is set without asking
// the system, and one it would refuse is a failure with its reason; their
// folder is not private to us.
TEST_F(PosixFiles, AttributesOfAnotherUsersFile) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "making a file another user's needs root";
    }
    write_text(folder / "theirs", "x");
    ::chmod((folder / "theirs").c_str(), 0644);
    ::chmod(folder.path().c_str(), 0755);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
            ::_exit(2);
        }
        posix::PosixFileSystem as_nobody;
        std::unique_ptr<Folder> top = as_nobody.open_folder(wide(folder.path()));
        std::unique_ptr<File> file = top ? top->open_file(L"theirs", FileAccess::entry, FileDisposition::open_existing) : nullptr;
        const bool right = file && file->set_attributes(kAttributeArchive) && !file->set_attributes(kAttributeReadOnly) &&
                           as_nobody.failure_reason() == L"Operation not permitted" && !top->private_to_user();
        ::_exit(right ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    struct stat info {};
    ASSERT_EQ(::stat((folder / "theirs").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u);
}

// A file follows its own renames, and once closed answers nothing; a file
// read only is never emptied; a new modification time leaves the access time.
TEST_F(PosixFiles, AnOpenFileFollowsItsNamesAndEndsWhenClosed) {
    write_text(folder / "a", "a");
    std::unique_ptr<File> file = open(path("a"), FileAccess::read_write, FileDisposition::open_existing);
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->move_to(path("b")));
    ASSERT_TRUE(file->replace(path("c")));
    ASSERT_TRUE(file->remove());
    EXPECT_FALSE(testing::exists(folder / "a"));
    EXPECT_FALSE(testing::exists(folder / "b"));
    EXPECT_FALSE(testing::exists(folder / "c"));
    ASSERT_TRUE(file->close());
    uint64_t bytes = 0;
    FileTime time;
    EXPECT_FALSE(file->size(bytes));
    EXPECT_FALSE(file->modified_time(time));

    write_text(folder / "kept", "kept");
    const timespec old_times[2] = {{1600000000, 0}, {1600000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (folder / "kept").c_str(), old_times, 0), 0);
    std::unique_ptr<File> kept = open(path("kept"), FileAccess::read, FileDisposition::open_existing);
    ASSERT_TRUE(kept);
    EXPECT_FALSE(kept->truncate());
    EXPECT_TRUE(kept->set_modified_time(FileTime{1700000000, 5}));
    struct stat info {};
    ASSERT_EQ(::stat((folder / "kept").c_str(), &info), 0);
    EXPECT_EQ(info.st_atim.tv_sec, 1600000000);
    EXPECT_EQ(info.st_mtim.tv_sec, 1700000000);
    EXPECT_EQ(testing::read_bytes(folder / "kept"), (std::vector<uint8_t>{'k', 'e', 'p', 't'}));
}

TEST_F(PosixFiles, NamesThatAreNoUtf8CanBeDeleted) {
    fs::create_directory(folder / "CARD");
    const std::string name = "caf\xE9.ddd";
    write_text(folder / ("CARD/" + std::string(name)), "x");
    std::unique_ptr<Folder> card = held("CARD");
    ASSERT_TRUE(card);
    std::vector<FolderEntry> entries;
    ASSERT_EQ(card->list(L"*.ddd", entries), Lookup::found);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_TRUE(card->delete_file(entries[0].name));
    EXPECT_FALSE(testing::exists(folder / ("CARD/" + std::string(name))));
}

// Each failure leaves the system's reason; a later success does not clear it.
TEST_F(PosixFiles, FailuresTellTheSystemsReason) {
    EXPECT_EQ(files.failure_reason(), L"");
    fs::create_directory(folder / "CARD");
    write_text(folder / "CARD/a.ddd", "x");
    write_text(folder / "plain", "x");
    std::unique_ptr<Folder> top = files.open_folder(wide(folder.path()));
    ASSERT_TRUE(top);
    struct Case {
        const char* name;
        std::function<bool()> call;
        std::wstring reason;
    };
    const Case cases[] = {

        {"open a missing file",
         [&] { return open(path("missing"), FileAccess::read, FileDisposition::open_existing) != nullptr; },
         L"No such file or directory"},
        {"open a folder",
         [&] { return open(path("CARD"), FileAccess::read, FileDisposition::open_existing) != nullptr; },
         L"Is a directory"},
        {"delete a folder", [&] { return top->delete_file(L"CARD"); }, L"Is a directory"},
        {"make a folder that is there", [&] { return top->create_folder(L"CARD") != nullptr; }, L"File exists"},
        {"remove a folder that is not empty", [&] { return top->remove_folder(L"CARD"); }, L"Directory not empty"},
        {"delete a missing file", [&] { return top->delete_file(L"missing"); }, L"No such file or directory"},
        {"hold a file as a folder", [&] { return files.open_folder(path("plain")) != nullptr; }, L"Not a directory"},
        {"put a file in a folder's place",
         [&] {
             const std::unique_ptr<File> plain =
                 open(path("plain"), FileAccess::write, FileDisposition::open_existing);
             return plain && plain->replace(path("CARD"));
         },
         L"Is a directory"},
        {"open a device",
         [&] { return open(L"/dev/full", FileAccess::write, FileDisposition::open_existing) != nullptr; },
         L"not a regular file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(c.call());
        EXPECT_EQ(files.failure_reason(), c.reason);
        uint32_t attributes = 0;
        ASSERT_EQ(files.attributes(path("plain"), attributes), Lookup::found);
        EXPECT_EQ(files.failure_reason(), c.reason) << "a success keeps the last failure's reason";
    }
    // A failure not ours, then a success of ours: the reason stays ours.
    EXPECT_FALSE(top->remove_folder(L"CARD"));
    EXPECT_NE(::access((folder / "none").c_str(), F_OK), 0);
    std::vector<FolderEntry> entries;
    EXPECT_EQ(top->list(L"*", entries), Lookup::found);
    EXPECT_EQ(files.failure_reason(), L"Directory not empty");
}

// A system root with udev's link folders, device files and a mount table.
class FakeSystem {
public:
    FakeSystem() {
        fs::create_directories(root / "dev/disk/by-label");
        fs::create_directories(root / "dev/disk/by-uuid");
        fs::create_directories(root / "proc/self");
    }
    // A device with a label and UUID, mounted at each of `mount_points` (escaped as in the table).
    void add_volume(const std::string& device, const std::string& link_name, const std::string& uuid,
                    const std::vector<std::string>& escaped_mount_points) {
        write_text(root / ("dev/" + device), "");
        if (!link_name.empty()) {
            fs::create_symlink("../../" + device, root / ("dev/disk/by-label/" + link_name));
        }
        if (!uuid.empty()) {
            fs::create_symlink("../../" + device, root / ("dev/disk/by-uuid/" + uuid));
        }
        for (const std::string& mount_point : escaped_mount_points) {
            table += std::to_string(30 + lines) + " 1 8:" + std::to_string(lines) + " / " + mount_point +
                     " rw,relatime shared:1 - vfat /dev/" + device + " rw,fmask=0022\n";
            ++lines;
        }
    }
    void write_table() { write_text(root / "proc/self/mountinfo", table); }
    posix::VolumeSources sources() const { return posix::VolumeSources::under(root.path()); }

    TempFolder root;
    std::string table = "22 1 0:21 / /proc rw,nosuid - proc proc rw\n";
    int lines = 0;
};

TEST(MountedVolumes, LinkNamesAndSerialNumbers) {
    EXPECT_EQ(posix::label_from_link_name("VOLKARIS\\x20KEY"), "VOLKARIS KEY");
    EXPECT_EQ(posix::label_from_link_name("A\\x2fB\\x5c"), "A/B\\");
    EXPECT_EQ(posix::label_from_link_name("cut\\x2"), "cut\\x2");
    EXPECT_EQ(posix::label_from_link_name("not\\xzz"), "not\\xzz");
    EXPECT_EQ(posix::label_from_link_name("plain"), "plain");
    EXPECT_EQ(posix::label_from_link_name("TRUCK_x41"), "TRUCK_x41") << "only a backslash starts an escape";
    EXPECT_EQ(posix::label_from_link_name("TRUCK-x41"), "TRUCK-x41") << "only a backslash starts an escape";
    EXPECT_EQ(posix::label_from_link_name("A\\041B\\y41"), "A\\041B\\y41") << "only \\x escapes";
    EXPECT_EQ(posix::label_from_link_name("A\\xz4B\\x4z"), "A\\xz4B\\x4z") << "both digits or none";
    EXPECT_EQ(posix::serial_from_uuid("1A2B-3C4D"), 0x1A2B3C4Du);
    EXPECT_EQ(posix::serial_from_uuid("0f3e1c2a-9b7d-4e1f-8a6b-1234567890ab"), 0x0f3e1c2au);
    EXPECT_EQ(posix::serial_from_uuid(""), 0u);
    // Each end of each digit range, beside the characters just outside it.
    EXPECT_EQ(posix::serial_from_uuid("/0:9`a-fg@AFG"), 0x09AFAFu);
    EXPECT_EQ(posix::label_from_link_name("KEY\\x39\\x0A"), "KEY9\n");
}

TEST(MountedVolumes, KeysAreTheMountsOfVolumesLabelledWithTheWord) {
    FakeSystem system;
    system.add_volume("sdb1", "VOLKARIS\\x20A", "1111-2222", {"/media/user/VOLKARIS\\040A"});
    system.add_volume("sdc1", "volkaris", "3333-4444", {"/media/user/volkaris", "/mnt/second"});
    system.add_volume("sdd1", "DATA", "5555-6666", {"/media/user/DATA"});
    system.add_volume("sde1", "OldVolkarisKey", "", {});
    // A name sorting before ".", a link by its absolute path, and entries
    // that are no links: none hides a key.
    system.add_volume("sdf1", "(VOLKARIS)", "7777-8888", {"/media/user/(VOLKARIS)"});
    system.add_volume("sdg1", "", "", {"/media/user/absolute"});
    fs::create_symlink(system.root / "dev/sdg1", system.root / "dev/disk/by-label/VOLKARIS_ABSOLUTE");
    write_text(system.root / "dev/disk/by-label/stray", "");
    fs::create_directories(system.root / "dev/disk/by-label/folder");
    // A device path that is a folder is nothing to probe, nor a label said unread.
    system.add_volume("sdh1", "", "", {"/media/user/folder"});
    fs::remove(system.root / "dev/sdh1");
    fs::create_directory(system.root / "dev/sdh1");
    // A device read that finds no file system says nothing either.
    system.add_volume("sdi1", "", "", {"/media/user/blank"});
    system.write_table();
    std::vector<posix::MountedVolume> volumes;
    ASSERT_TRUE(posix::read_mount_table(system.sources(), volumes));
    ASSERT_EQ(volumes.size(), 9u);
    EXPECT_EQ(volumes[7].unread_label, "");
    EXPECT_EQ(volumes[8].unread_label, "");
    EXPECT_EQ(volumes[1].mount_point, "/media/user/VOLKARIS A");
    EXPECT_EQ(volumes[1].label, "VOLKARIS A");
    EXPECT_EQ(volumes[1].uuid, "1111-2222");

    posix::PosixVolumes mounted(system.sources());
    const KeySearch search = cli::MountedKeys::in_mount_table(mounted).find_keys();
    EXPECT_TRUE(search.failure.empty());
    EXPECT_EQ(search.roots, (std::vector<std::wstring>{L"/media/user/VOLKARIS A", L"/media/user/volkaris",
                                                       L"/mnt/second", L"/media/user/(VOLKARIS)",
                                                       L"/media/user/absolute"}));
}

TEST(MountedVolumes, NoLabelsAtAllAndAnUnreadableTable) {
    FakeSystem system;
    fs::remove_all(system.root / "dev/disk");
    system.write_table();
    posix::PosixVolumes volumes(system.sources());
    cli::MountedKeys keys = cli::MountedKeys::in_mount_table(volumes);
    const KeySearch none = keys.find_keys();
    EXPECT_TRUE(none.roots.empty());
    EXPECT_TRUE(none.failure.empty());

    fs::remove(system.root / "proc/self/mountinfo");
    const KeySearch failed = keys.find_keys();
    EXPECT_TRUE(failed.roots.empty());
    EXPECT_EQ(failed.failure, wide(system.root / "proc/self/mountinfo"));
}

TEST(MountedVolumes, VolumeFoldersAsOnMacOs) {
    TempFolder root;
    fs::create_directories(root / "Volumes/VOLKARIS");
    fs::create_directories(root / "Volumes/Macintosh HD");
    fs::create_directories(root / "Volumes/my volkaris 2");
    fs::create_directories(root / "Volumes/- volkaris -");
    write_text(root / "Volumes/VOLKARIS.txt", "not a volume");
    const posix::VolumeSources sources = posix::VolumeSources::under(root.path());
    posix::PosixVolumes volumes(sources, &posix::read_volume_folders);
    KeySearch search = cli::MountedKeys::in_volume_folders(volumes).find_keys();
    std::sort(search.roots.begin(), search.roots.end());
    EXPECT_EQ(search.roots, (std::vector<std::wstring>{wide(root / "Volumes/- volkaris -"),
                                                       wide(root / "Volumes/VOLKARIS"),
                                                       wide(root / "Volumes/my volkaris 2")}));

    // No folder of volumes is no volume; one that cannot be read is a failure.
    std::vector<posix::MountedVolume> listed(1);
    TempFolder elsewhere;
    EXPECT_TRUE(posix::read_volume_folders(posix::VolumeSources::under(elsewhere.path()), listed));
    EXPECT_TRUE(listed.empty());
    write_text(elsewhere / "Volumes", "a file");
    EXPECT_TRUE(posix::read_volume_folders(posix::VolumeSources::under(elsewhere.path()), listed));
    fs::remove(elsewhere / "Volumes");
    fs::create_symlink("Volumes", elsewhere / "Volumes");
    EXPECT_FALSE(posix::read_volume_folders(posix::VolumeSources::under(elsewhere.path()), listed));

    // A volume's label is the name of the folder on its device.
    TempFolder alone;
    fs::create_directories(alone / "Volumes/VOLKARIS");
    posix::PosixVolumes one(posix::VolumeSources::under(alone.path()), &posix::read_volume_folders);
    uint32_t serial = 0;
    std::wstring label;
    ASSERT_TRUE(one.volume_identity(wide(alone / "Volumes/VOLKARIS"), serial, label));
    EXPECT_EQ(label, L"VOLKARIS");
}

TEST(MountedVolumes, IdentityOfAFolderComesFromItsDevice) {
    FakeSystem system;
    system.write_table();
    TempFolder key;
    posix::PosixVolumes volumes(system.sources());
    uint32_t serial = 0;
    uint32_t again = 1;
    std::wstring label = L"unset";
    ASSERT_TRUE(volumes.volume_identity(wide(key.path()), serial, label));
    EXPECT_TRUE(label.empty());
    ASSERT_TRUE(volumes.volume_identity(wide(key.path()), again, label));
    EXPECT_EQ(serial, again);
    struct stat info {};
    ASSERT_EQ(::stat(key.path().c_str(), &info), 0);
    const auto device = static_cast<uint64_t>(info.st_dev);
    EXPECT_EQ(serial, static_cast<uint32_t>(device ^ (device >> 32))) << "the device number, folded";
    EXPECT_FALSE(volumes.volume_identity(wide(key / "missing"), serial, label));
    uint64_t total = 0;
    EXPECT_TRUE(volumes.volume_total_bytes(wide(key.path()), total));
    EXPECT_GT(total, 0u);
    EXPECT_FALSE(volumes.volume_total_bytes(wide(key / "missing"), total));

    // Its device in the table, labelled without a UUID, then again under
    // another label: the first entry tells, and the serial stays the device's.
    const std::string numbers = std::to_string(major(info.st_dev)) + ":" + std::to_string(minor(info.st_dev));
    write_text(system.root / "dev/sdk1", "");
    write_text(system.root / "dev/sdk2", "");
    fs::create_symlink("../../sdk1", system.root / "dev/disk/by-label/VOLKARIS");
    fs::create_symlink("../../sdk2", system.root / "dev/disk/by-label/OTHER");
    system.table += "40 1 " + numbers + " / /media/user/a rw - vfat /dev/sdk1 rw\n";
    system.table += "41 1 " + numbers + " / /media/user/b rw - vfat /dev/sdk2 rw\n";
    system.write_table();
    posix::PosixVolumes listed(system.sources());
    ASSERT_TRUE(listed.volume_identity(wide(key.path()), serial, label));
    EXPECT_EQ(label, L"VOLKARIS");
    EXPECT_EQ(serial, again);

    // A table that cannot be read leaves the label empty.
    fs::remove(system.root / "proc/self/mountinfo");
    posix::PosixVolumes unread(system.sources());
    label = L"unset";
    ASSERT_TRUE(unread.volume_identity(wide(key.path()), serial, label));
    EXPECT_EQ(label, L"");
    EXPECT_EQ(serial, again);
}

// The clock counts in milliseconds of the system's monotonic clock, and
// sleeps as long as it is asked.
TEST(PosixClockTest, TicksAndSleepsInMilliseconds) {
    posix::PosixClock clock;
    const auto steady_ms = [] {
        return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                         std::chrono::steady_clock::now().time_since_epoch())
                                         .count());
    };
    const uint64_t before = steady_ms();
    const uint64_t ticks = clock.ticks_ms();
    EXPECT_LE(before, ticks);
    EXPECT_LE(ticks, steady_ms());
    clock.sleep_ms(1100);
    const uint64_t slept = clock.ticks_ms() - ticks;
    EXPECT_GE(slept, 1100u);
    EXPECT_LT(slept, 5000u);
    EXPECT_LT(clock.utc_now().milliseconds, 1000);
}

// A source that is no path ("tmpfs", "none") names no device, whatever a
// device of that name would be labelled.
TEST(MountedVolumes, ASourceThatIsNoPathNamesNoDevice) {
    FakeSystem system;
    system.add_volume("sdz", "VOLKARIS", "", {});
    system.add_volume("+sdy", "VOLKARIS_2", "", {});
    system.table += "40 1 8:40 / /media/user/z rw - vfat sdz rw\n41 1 8:41 / /media/user/y rw - vfat +sdy rw\n";
    system.write_table();
    posix::VolumeSources sources = system.sources();
    sources.device_prefix = system.root / "dev/";
    std::vector<posix::MountedVolume> volumes;
    ASSERT_TRUE(posix::read_mount_table(sources, volumes));
    ASSERT_EQ(volumes.size(), 3u);
    EXPECT_EQ(volumes[1].label, "");
    EXPECT_EQ(volumes[2].label, "");
}

// A device that only its own file system labels, mounted twice: both
// mounts get what it says.
TEST(MountedVolumes, ADeviceMountedTwiceIsReadForBoth) {
    FakeSystem system;
    system.add_volume("sdz", "", "", {"/media/user/first", "/media/user/second"});
    fs::resize_file(system.root / "dev/sdz", std::uintmax_t{8} << 20);
    if (testing::run_command({"mkfs.vfat", "-n", "VOLKARIS", "-i", "1A2B3C4D", system.root / "dev/sdz"}).exit_code != 0) {
        GTEST_SKIP() << "mkfs.vfat is missing: scripts/deps.sh installs dosfstools";
    }
    system.write_table();
    std::vector<posix::MountedVolume> volumes;
    ASSERT_TRUE(posix::read_mount_table(system.sources(), volumes));
    ASSERT_EQ(volumes.size(), 3u);
    for (std::size_t i = 1; i < volumes.size(); ++i) {
        EXPECT_EQ(volumes[i].label, "VOLKARIS") << volumes[i].mount_point;
        EXPECT_EQ(volumes[i].uuid, "1A2B-3C4D") << volumes[i].mount_point;
    }
}

std::size_t open_descriptors() {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator("/proc/self/fd"), {}));
}


// A root's folder, held for its mount number, is let go when the volumes
// are forgotten or die, and a descriptor let go is never closed again.
TEST(MountedVolumes, HeldFoldersAreLetGoOnce) {
    TempFolder key;
    struct statx mount {};
    if (::statx(AT_FDCWD, key.path().c_str(), 0, STATX_MNT_ID, &mount) != 0 || (mount.stx_mask & STATX_MNT_ID) == 0) {
        GTEST_SKIP() << "the system tells no mount numbers";
    }
    FakeSystem system;
    system.write_table();
    const std::string root = key / "root";
    fs::create_directory(root);
    const std::size_t before = open_descriptors();
    {
        posix::PosixVolumes volumes(system.sources());
        uint32_t serial = 0;
        std::wstring label;
        ASSERT_TRUE(volumes.volume_identity(wide(root), serial, label));
        EXPECT_EQ(open_descriptors(), before + 1) << "the root's folder is held";
        const int held = descriptor_of(root);
        ASSERT_GE(held, 0);
        volumes.forget();
        EXPECT_EQ(open_descriptors(), before);
        // Someone else's file under the number the held folder had.
        ASSERT_TRUE(someone_elses_file_at(held));
        ASSERT_TRUE(volumes.volume_identity(wide(root), serial, label));
        EXPECT_EQ(path_of_descriptor(held), "/dev/null") << "a descriptor let go was closed again";
        ::close(held);

        // Another folder in the root's place: the old one is let go, the new one held.
        fs::rename(root, key / "old");
        fs::create_directory(root);
        ASSERT_TRUE(volumes.volume_identity(wide(root), serial, label));
        EXPECT_EQ(open_descriptors(), before + 1);
        EXPECT_GE(descriptor_of(root), 0);
    }
    EXPECT_EQ(open_descriptors(), before) << "the volumes died holding a folder";
}

// The mount table is read once, and what it says of a root stays while the
// same mount is there; another mount there, even of the same device (a bind
// mount here, another key in the same slot in life), is read about afresh.
// That part runs in a process and mount namespace of its own; it is
// skipped where mounting is not permitted.
TEST(MountedVolumes, TheTableIsReadOnceAndAgainForAnotherMount) {
    FakeSystem system;
    TempFolder key;
    TempFolder beside;
    struct stat info {};
    struct statx mount {};
    ASSERT_EQ(::stat(key.path().c_str(), &info), 0);
    if (::statx(AT_FDCWD, key.path().c_str(), 0, STATX_MNT_ID, &mount) != 0 || (mount.stx_mask & STATX_MNT_ID) == 0) {
        GTEST_SKIP() << "the system tells no mount numbers";
    }
    write_text(system.root / "dev/sdk1", "");
    fs::create_symlink("../../sdk1", system.root / "dev/disk/by-label/VOLKARIS");
    fs::create_symlink("../../sdk1", system.root / "dev/disk/by-uuid/1A2B-3C4D");
    system.table += std::to_string(mount.stx_mnt_id) + " 1 " + std::to_string(major(info.st_dev)) + ":" +
                    std::to_string(minor(info.st_dev)) + " / " + key.path() + " rw - vfat /dev/sdk1 rw\n";
    system.write_table();
    posix::PosixVolumes volumes(system.sources());
    uint32_t serial = 0;
    std::wstring label;
    ASSERT_TRUE(volumes.volume_identity(wide(key.path()), serial, label));
    EXPECT_EQ(serial, 0x1A2B3C4Du);
    EXPECT_EQ(label, L"VOLKARIS");

    fs::remove(system.root / "dev/disk/by-uuid/1A2B-3C4D");
    fs::create_symlink("../../sdk1", system.root / "dev/disk/by-uuid/5E6F-7A8B");
    fs::remove(system.root / "proc/self/mountinfo");
    label = L"unset";
    ASSERT_TRUE(volumes.volume_identity(wide(key.path()), serial, label));
    EXPECT_EQ(serial, 0x1A2B3C4Du) << "the same mount: the table is not read again";
    EXPECT_EQ(label, L"VOLKARIS");
    ASSERT_TRUE(volumes.volume_identity(wide(beside.path()), serial, label));
    EXPECT_EQ(serial, 0x1A2B3C4Du) << "another root of a mount the table lists: not read again either";

    system.write_table();
    constexpr int kNotPermitted = 77;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount(key.path().c_str(), key.path().c_str(), nullptr, MS_BIND, nullptr) != 0) {
            ::_exit(kNotPermitted);
        }
        uint32_t remounted = 0;
        ::_exit(volumes.volume_identity(wide(key.path()), remounted, label) && remounted == 0x5E6F7A8Bu ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    volumes.forget();
    ASSERT_TRUE(volumes.volume_identity(wide(key.path()), serial, label));
    EXPECT_EQ(serial, 0x5E6F7A8Bu) << "all forgotten: the table is read afresh";
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == kNotPermitted) {
        GTEST_SKIP() << "no mount namespace here";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0) << "another mount at the root is read about afresh";
}

}  // namespace
}  // namespace lanternbook
