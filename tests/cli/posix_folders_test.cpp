// Held folders of the POSIX layer on temporary folders: never a link at any
// level, private folders, locks between descriptions, and an erase that a
// download folder swapped for a link mid-run never leads off the key.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "cli_process.h"
#include "device/device_drive.h"
#include "maintenance/erase_downloads.h"
#include "platform/posix/posix_files.h"
#include "text/utf8_text.h"

namespace lanternbook {
namespace {

using testing::TempFolder;
using testing::exists;
using testing::read_bytes;
using testing::write_text;
namespace fs = std::filesystem;

std::wstring wide(const std::string& text) { return wide_from_utf8(text); }

mode_t mode_of(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

class PosixFolders : public ::testing::Test {
protected:
    TempFolder folder;
    posix::PosixFileSystem files;
};

TEST_F(PosixFolders, ALinkAtAnyLevelOfThePathIsRefused) {
    fs::create_directories(folder / "real/inner");
    fs::create_directory_symlink(folder / "real", folder / "link");

    EXPECT_NE(files.open_folder(wide(folder / "real/inner")), nullptr);
    EXPECT_EQ(files.open_folder(wide(folder / "link/inner")), nullptr);
    EXPECT_EQ(files.open_folder(wide(folder / "link")), nullptr);
    EXPECT_EQ(files.failure_reason(), L"a symbolic link");

    std::unique_ptr<Folder> real = files.open_folder(wide(folder.path()));
    ASSERT_NE(real, nullptr);
    EXPECT_EQ(real->open_folder(L"link"), nullptr);
    EXPECT_EQ(files.failure_reason(), L"a symbolic link");
    EXPECT_TRUE(real->leads_elsewhere(L"link"));
    EXPECT_FALSE(real->leads_elsewhere(L"real"));
}

// A backup place on the key's own volume would go with its format: two folders
// of one file system are on the same volume, and /proc is on another.
TEST_F(PosixFolders, FoldersTellWhetherTheyAreOnOneVolume) {
    fs::create_directories(folder / "a");
    fs::create_directories(folder / "b");
    std::unique_ptr<Folder> a = files.open_folder(wide(folder / "a"));
    std::unique_ptr<Folder> b = files.open_folder(wide(folder / "b"));
    std::unique_ptr<Folder> proc = files.open_folder(L"\\proc");
    ASSERT_TRUE(a && b && proc);
    EXPECT_TRUE(a->on_same_volume(*b));
    EXPECT_FALSE(a->on_same_volume(*proc));
    EXPECT_FALSE(proc->on_same_volume(*a)) << "whichever device number is the greater";
}

TEST_F(PosixFolders, EntriesAreReachedRelativeToTheHeldFolderWhereverItsPathLeadsNow) {
    fs::create_directory(folder / "key");
    write_text(folder / "key/a.ddd", "ours");
    std::unique_ptr<Folder> key = files.open_folder(wide(folder / "key"));
    ASSERT_NE(key, nullptr);
    fs::rename(folder / "key", folder / "moved");
    fs::create_directory(folder / "key");
    write_text(folder / "key/a.ddd", "theirs");

    EXPECT_TRUE(key->delete_file(L"a.ddd"));

    EXPECT_FALSE(exists(folder / "moved/a.ddd"));
    EXPECT_EQ(read_bytes(folder / "key/a.ddd"), std::vector<uint8_t>({'t', 'h', 'e', 'i', 'r', 's'}));
}

TEST_F(PosixFolders, LinksAreRemovedThemselvesAndNeverOpened) {
    fs::create_directory(folder / "elsewhere");
    write_text(folder / "elsewhere/target", "kept");
    fs::create_directory(folder / "held");
    fs::create_symlink(folder / "elsewhere/target", folder / "held/file-link");
    fs::create_directory_symlink(folder / "elsewhere", folder / "held/folder-link");
    std::unique_ptr<Folder> held = files.open_folder(wide(folder / "held"));
    ASSERT_NE(held, nullptr);

    EXPECT_EQ(held->open_file(L"file-link", FileAccess::read, FileDisposition::open_existing), nullptr);
    EXPECT_TRUE(held->delete_file(L"file-link"));
    EXPECT_TRUE(held->remove_folder(L"folder-link"));

    EXPECT_EQ(read_bytes(folder / "elsewhere/target"), std::vector<uint8_t>({'k', 'e', 'p', 't'}));
    EXPECT_FALSE(fs::exists(fs::symlink_status(folder / "held/file-link")));
    EXPECT_FALSE(fs::exists(fs::symlink_status(folder / "held/folder-link")));
}

TEST_F(PosixFolders, AMadeFolderIsPrivateAndAMoveNeverReplaces) {
    std::unique_ptr<Folder> base = files.open_folder(wide(folder.path()));
    ASSERT_NE(base, nullptr);
    std::unique_ptr<Folder> made = base->create_folder(L"mine");
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(mode_of(folder / "mine"), 0700u);
    EXPECT_TRUE(made->private_to_user());
    EXPECT_EQ(base->create_folder(L"mine"), nullptr);

    write_text(folder / "mine/taken", "there first");
    std::unique_ptr<File> helper = made->open_file(L"helper", FileAccess::write, FileDisposition::create_new);
    ASSERT_NE(helper, nullptr);
    EXPECT_FALSE(helper->move_to(L"taken"));
    EXPECT_TRUE(helper->move_to(L"free"));
    EXPECT_EQ(read_bytes(folder / "mine/taken"), std::vector<uint8_t>({'t', 'h', 'e', 'r', 'e', ' ', 'f', 'i', 'r', 's', 't'}));
    EXPECT_TRUE(exists(folder / "mine/free"));

    ::chmod((folder / "mine").c_str(), 0777);
    EXPECT_FALSE(made->private_to_user());
}

TEST_F(PosixFolders, ALockIsOneHoldersAtATimeAndGoesWithItsObject) {
    std::unique_ptr<Folder> one = files.open_folder(wide(folder.path()));
    std::unique_ptr<Folder> other = files.open_folder(wide(folder.path()));
    ASSERT_NE(one, nullptr);
    ASSERT_NE(other, nullptr);

    std::unique_ptr<FolderLock> held = one->lock(0);
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(other->lock(30), nullptr);
    EXPECT_EQ(one->lock(0), nullptr);
    // Patience of 300 ms gives up within seconds, not minutes.
    const auto asked = std::chrono::steady_clock::now();
    EXPECT_EQ(other->lock(300), nullptr);
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(5));
    held.reset();
    EXPECT_NE(other->lock(0), nullptr);
}

// The backup place: made private where missing, refused where another user could change it.
TEST_F(PosixFolders, TheBackupPlaceIsTheUsersAlone) {
    const char* saved = std::getenv("XDG_STATE_HOME");
    const std::string before = saved != nullptr ? saved : "";
    fs::create_directory(folder / "state");
    ::chmod((folder / "state").c_str(), 0700);
    ::setenv("XDG_STATE_HOME", (folder / "state").c_str(), 1);

    std::wstring shown;
    std::unique_ptr<Folder> place = files.backup_place(shown);
    ASSERT_NE(place, nullptr);
    EXPECT_EQ(mode_of(folder / "state/lanternbook"), 0700u);
    EXPECT_EQ(mode_of(folder / "state/lanternbook/backups"), 0700u);
    EXPECT_NE(shown.find(L"lanternbook\\backups"), std::wstring::npos);

    ::chmod((folder / "state/lanternbook/backups").c_str(), 0777);
    EXPECT_EQ(files.backup_place(shown), nullptr);
    ::chmod((folder / "state/lanternbook/backups").c_str(), 0700);
    ::chmod((folder / "state").c_str(), 0777);
    EXPECT_EQ(files.backup_place(shown), nullptr);
    EXPECT_EQ(files.failure_reason(), L"another user owns it or may write in it");
    ::chmod((folder / "state").c_str(), 0700);
    // Another user's folder on the way, though nobody else may write in it: its owner may swap what is in it.
    if (::chown((folder / "state").c_str(), 65534, 65534) == 0) {
        EXPECT_EQ(files.backup_place(shown), nullptr);
        EXPECT_EQ(files.failure_reason(), L"another user owns it or may write in it");
        ASSERT_EQ(::chown((folder / "state").c_str(), ::geteuid(), ::getegid()), 0);
        EXPECT_NE(files.backup_place(shown), nullptr);
    }

    // A link where a folder of the place should be is refused, not followed.
    fs::remove_all(folder / "state/lanternbook");
    fs::create_directory(folder / "elsewhere");
    fs::create_directory_symlink(folder / "elsewhere", folder / "state/lanternbook");
    EXPECT_EQ(files.backup_place(shown), nullptr);
    EXPECT_FALSE(fs::exists(folder / "elsewhere/backups"));

    if (saved != nullptr) {
        ::setenv("XDG_STATE_HOME", before.c_str(), 1);
    } else {
        ::unsetenv("XDG_STATE_HOME");
    }
}

// A state home not made yet, reached through a link the user put there on
// purpose (a home elsewhere): the link is taken once, and the place is made
// where it leads, never relative to the working folder.
TEST_F(PosixFolders, TheBackupPlaceIsMadeWhereTheStateHomeLeads) {
    const char* saved = std::getenv("XDG_STATE_HOME");
    const std::string before = saved != nullptr ? saved : "";
    fs::create_directory(folder / "home");
    fs::create_directory_symlink(folder / "home", folder / "home-link");
    ::setenv("XDG_STATE_HOME", (folder / "home-link/state").c_str(), 1);

    std::wstring shown;
    EXPECT_NE(files.backup_place(shown), nullptr) << std::string(shown.begin(), shown.end());
    EXPECT_EQ(mode_of(folder / "home/state/lanternbook/backups"), 0700u);
    EXPECT_EQ(shown.find(L"\\\\"), std::wstring::npos) << "one separator between parts";

    // Only an absolute XDG_STATE_HOME counts; else the state is in HOME's.
    const char* saved_home = std::getenv("HOME");
    const std::string home_before = saved_home != nullptr ? saved_home : "";
    ::setenv("HOME", (folder / "home").c_str(), 1);
    for (const char* state : {"state", "-state", ""}) {
        SCOPED_TRACE(state);
        if (*state != '\0') {
            ::setenv("XDG_STATE_HOME", state, 1);
        } else {
            ::unsetenv("XDG_STATE_HOME");
        }
        EXPECT_NE(files.backup_place(shown), nullptr);
        EXPECT_NE(shown.find(L"home\\.local\\state\\lanternbook"), std::wstring::npos);
        EXPECT_EQ(mode_of(folder / "home/.local/state/lanternbook/backups"), 0700u);
        EXPECT_FALSE(fs::exists(fs::path(state) / "lanternbook/backups")) << "never below the working folder";
    }
    if (saved_home != nullptr) {
        ::setenv("HOME", home_before.c_str(), 1);
    } else {
        ::unsetenv("HOME");
    }

    if (saved != nullptr) {
        ::setenv("XDG_STATE_HOME", before.c_str(), 1);
    } else {
        ::unsetenv("XDG_STATE_HOME");
    }
}

// Every folder is one volume: a serial number of its own and the word in its label.
class FolderVolumes : public Volumes {
public:
    uint32_t logical_drive_mask() override { return 0; }
    bool drive_display_name(const std::wstring&, std::wstring&) override { return false; }
    bool volume_total_bytes(const std::wstring&, uint64_t&) override { return false; }
    bool volume_identity(const std::wstring&, uint32_t& serial_number, std::wstring& label) override {
        serial_number = 0x1234;
        label = L"VOLKARIS";
        return true;
    }
    bool set_volume_label(const std::wstring&, const std::wstring&) override { return false; }
    bool is_removable(const std::wstring&) override { return false; }
    std::unique_ptr<UsbDeviceSet> open_usb_devices() override { return nullptr; }
};

// Swaps CARD for a link to an archive off the key before the second download.
class SwapCard : public EraseObserver {
public:
    SwapCard(const TempFolder& folder) : folder_(folder) {}
    bool stop_requested() override {
        if (++asked_ == 2) {
            fs::rename(folder_ / "key/CARD", folder_ / "key/CARD.moved");
            fs::create_directory_symlink(folder_ / "archive", folder_ / "key/CARD");
        }
        return false;
    }

private:
    const TempFolder& folder_;
    int asked_ = 0;
};

TEST_F(PosixFolders, CardSwappedForALinkMidEraseNeverLeadsOffTheKey) {
    fs::create_directories(folder / "key/CARD");
    fs::create_directory(folder / "archive");
    for (const char* name : {"a.ddd", "b.ddd", "c.ddd"}) {
        write_text(folder / (std::string("key/CARD/") + name), "download");
        write_text(folder / (std::string("archive/") + name), "archived");
    }
    FolderVolumes volumes;
    DeviceDrive device(volumes, files);
    posix::PosixClock clock;
    SwapCard swap(folder);

    const EraseResult result = erase_downloads_on(device.key_at(wide(folder / "key")), device, clock, &swap);

    for (const char* name : {"a.ddd", "b.ddd", "c.ddd"}) {
        EXPECT_EQ(read_bytes(folder / (std::string("archive/") + name)),
                  std::vector<uint8_t>({'a', 'r', 'c', 'h', 'i', 'v', 'e', 'd'}))
            << name;
    }
    // What the held folder reached was the key's own CARD, wherever it was moved.
    EXPECT_EQ(result.deleted, 3u);
    EXPECT_FALSE(exists(folder / "key/CARD.moved/b.ddd"));
}

}  // namespace
}  // namespace lanternbook
