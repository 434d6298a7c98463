// The Win32 held folder itself under Wine: what it lists, what it refuses
// to open or delete, and what it does when the key's letter or folder
// changes under it.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "e2e/harness.h"
#include "e2e/listings.h"
#include "e2e/pulled_key.h"
#include "platform/win32/win32_platform.h"

using namespace e2e;
using lanternbook::FileAccess;
using lanternbook::FileDisposition;
using lanternbook::Folder;
using lanternbook::FolderEntry;
using lanternbook::FolderLock;
using lanternbook::Lookup;

namespace {

const std::wstring kCard = L"K:\\CARD";
const std::vector<std::wstring> kSeededDownloads = {L"C_20261102_0712_DRIVER1.DDD", L"C_20261103_0650_DRIVER2.ddd"};
// Events between this driver and a process of its own that holds a lock.
const wchar_t kLockTaken[] = L"Local\\lanternbook-e2e-lock-taken";
const wchar_t kLockRelease[] = L"Local\\lanternbook-e2e-lock-release";
constexpr DWORD kProcessWaitMs = 30000;

lanternbook::win32::Win32Platform platform() { return lanternbook::win32::Win32Platform(GetModuleHandleW(nullptr)); }

std::set<std::wstring> names_of(const std::vector<FolderEntry>& entries) {
    std::set<std::wstring> names;
    for (const FolderEntry& entry : entries) {
        names.insert(entry.name);
    }
    return names;
}

std::string joined_names(const std::set<std::wstring>& names) {
    std::string text;
    for (const std::wstring& name : names) {
        text += (text.empty() ? "" : ", ") + narrow(name);
    }
    return text;
}

void check_names(const std::set<std::wstring>& actual, const std::set<std::wstring>& expected, const std::string& what) {
    check(actual == expected, what + ": listed {" + joined_names(actual) + "}, expected {" + joined_names(expected) + "}");
}

// Name and attributes of every entry of a folder but "." and "..", as FindFirstFileW lists them.
std::vector<std::pair<std::wstring, DWORD>> found_entries(const std::wstring& folder) {
    std::vector<std::pair<std::wstring, DWORD>> entries;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return entries;
    }
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") {
            entries.emplace_back(name, found.dwFileAttributes);
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(entries.begin(), entries.end());
    return entries;
}

std::vector<std::pair<std::wstring, DWORD>> sorted(const std::vector<FolderEntry>& entries) {
    std::vector<std::pair<std::wstring, DWORD>> pairs;
    for (const FolderEntry& entry : entries) {
        pairs.emplace_back(entry.name, entry.attributes);
    }
    std::sort(pairs.begin(), pairs.end());
    return pairs;
}

bool writes(lanternbook::File& file, const std::string& text) {
    std::size_t written = 0;
    return file.write(reinterpret_cast<const uint8_t*>(text.data()), text.size(), written) && file.close();
}

// Runs this driver's group `group` in a process of its own.
HANDLE start_group(const wchar_t* group) {
    wchar_t own_path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, own_path, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(own_path) + L"\" " + group;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(own_path, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return nullptr;
    }
    CloseHandle(process.hThread);
    return process.hProcess;
}

// Key K:'s letter taken by key S:'s folder; given back when it dies.
class SwappedLetter {
public:
    SwappedLetter() {
        swapped_ = map_letter(L'K', key_folder(L'S'));
        for (int waited = 0; swapped_ && !file_exists(L"K:\\CARD\\theirs.ddd") && waited < 100; ++waited) {
            Sleep(50);
        }
    }
    ~SwappedLetter() {
        if (swapped_) {
            static_cast<void>(map_letter(L'K', key_folder(L'K')));
        }
    }
    SwappedLetter(const SwappedLetter&) = delete;
    SwappedLetter& operator=(const SwappedLetter&) = delete;
    [[nodiscard]] bool swapped() const { return swapped_; }

private:
    bool swapped_ = false;
};

}  // namespace

// Listing through the held handle: the platform's pattern match (the
// core checks names again), every entry with its attributes across many
// buffers of the listing, each pattern of its own on the same folder.
E2E_GROUP(folder_listing) {
    static_cast<void>(dll);
    std::set<std::wstring> downloads(kSeededDownloads.begin(), kSeededDownloads.end());
    bool seeded = CreateDirectoryW(L"K:\\CARD\\sub.ddd", nullptr) != FALSE &&
                  write_file(L"K:\\CARD\\x.dddx", bytes_of("longer extension"));
    // Long names fill a listing buffer many times over.
    for (int i = 0; i < 1500; ++i) {
        const std::wstring name = L"C_" + std::to_wstring(i) + L"_" + std::wstring(120, L'd') + L".ddd";
        seeded = write_file(kCard + L"\\" + name, bytes_of("d")) && seeded;
        downloads.insert(name);
    }
    check(seeded, "CARD seeded with 1,500 more downloads, a folder and a longer extension");
    auto files = platform();
    std::unique_ptr<Folder> card = files.open_folder(kCard + L"\\");
    check(card != nullptr, "K:\\CARD held");
    if (!card) {
        return;
    }
    std::vector<FolderEntry> entries;
    check(card->list(L"*.*", entries) == Lookup::found, "*.* lists");
    check(sorted(entries) == found_entries(kCard), "*.* lists every entry with FindFirstFileW's attributes, no . or ..");

    check(card->list(L"*.ddd", entries) == Lookup::found, "*.ddd lists");
    std::set<std::wstring> listed = names_of(entries);
    listed.erase(L"x.dddx");  // the platform's match may add it; the core checks names again
    std::set<std::wstring> expected = downloads;
    expected.insert(L"sub.ddd");
    check_names(listed, expected, "*.ddd");
    const auto sub = std::find_if(entries.begin(), entries.end(), [](const FolderEntry& entry) { return entry.name == L"sub.ddd"; });
    check(sub != entries.end() && sub->is_folder() && !sub->is_link(), "a folder is listed as a folder");

    check(card->list(L"*.txt", entries) == Lookup::found, "another pattern on the same folder lists");
    check_names(names_of(entries), {L"readme.txt"}, "*.txt after *.ddd");
    check(card->list(L"*.esm", entries) == Lookup::missing && entries.empty(), "a pattern nothing matches: missing");

    uint32_t attributes = 0;
    check(card->attributes(L"readme.txt", attributes) == Lookup::found && attributes == GetFileAttributesW(L"K:\\CARD\\readme.txt"),
          "a file's attributes");
    check(card->attributes(L"sub.ddd", attributes) == Lookup::found && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
          "a folder's attributes");
    check(card->attributes(L"none.ddd", attributes) == Lookup::missing, "no such entry: missing");
    for (const wchar_t* path_name : {L"..\\CONFIG", L"sub.ddd\\x", L".."}) {
        check(card->attributes(path_name, attributes) == Lookup::failed && !card->open_file(path_name, FileAccess::read,
                                                                                          FileDisposition::open_existing),
              "a path is no name: " + narrow(path_name));
    }
}

// A link to a file and links to folders inside a held folder: never
// opened, never deleted through, and what they lead to stays whole.
// FileSystem::open_folder steps through no link, at its end or before.
E2E_GROUP(folder_links_inside) {
    static_cast<void>(dll);
    const std::wstring outside = outside_folder(L'K');
    const std::vector<std::wstring> outside_before = detailed_listing(outside);
    check(outside_before.size() >= 4, "the links' targets seeded off the key");
    auto files = platform();
    std::unique_ptr<Folder> card = files.open_folder(kCard);
    check(card != nullptr, "K:\\CARD held");
    if (!card) {
        return;
    }
    std::vector<FolderEntry> entries;
    check(card->list(L"*", entries) == Lookup::found, "CARD lists");
    const auto folder_link = std::find_if(entries.begin(), entries.end(), [](const FolderEntry& entry) { return entry.name == L"folder.ddd"; });
    check(folder_link != entries.end() && folder_link->is_link() && folder_link->is_folder(),
          "a folder link is listed as a link");
    uint32_t attributes = 0;
    check(card->attributes(L"link.ddd", attributes) == Lookup::found && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0,
          "a file link's attributes tell a link, though it lists as a plain file");

    for (const FileAccess access : {FileAccess::read, FileAccess::write, FileAccess::entry}) {
        check(!card->open_file(L"link.ddd", access, FileDisposition::open_existing), "a file link is not opened");
    }
    check(!card->open_file(L"link.ddd", FileAccess::write, FileDisposition::open_always), "nor opened to be made");
    check(!card->open_file(L"dangling.ddd", FileAccess::write, FileDisposition::create_new) &&
              !card->open_file(L"dangling.ddd", FileAccess::write, FileDisposition::open_always),
          "nothing is made through a dangling link");
    check(!card->open_file(L"folder.ddd", FileAccess::read, FileDisposition::open_existing), "a folder link is no file");
    check(!card->open_folder(L"folder.ddd") && !card->open_folder(L"empty-link"), "a folder link is not held");
    check(!card->delete_file(L"link.ddd"), "a file link is not deleted");
    check(!card->delete_file(L"folder.ddd"), "a folder link is not deleted as a file");
    check(!card->remove_folder(L"empty-link") && !card->remove_folder(L"folder.ddd"), "a folder link is not removed");
    check(!files.open_folder(L"K:\\CARD\\folder.ddd"), "open_folder refuses a link at the path's end");
    check(!files.open_folder(L"K:\\CARD\\folder.ddd\\inner"), "open_folder refuses a link on the way");
    check(files.open_folder(L"K:\\CARD") != nullptr, "and holds the real folder");

    check_same(detailed_listing(outside), outside_before, "what the links lead to is untouched");
    std::vector<FolderEntry> after;
    check(card->list(L"*", after) == Lookup::found, "CARD lists again");
    check_names(names_of(after), names_of(entries), "every link is still in CARD");
    check(!file_exists(outside + L"none.ddd"), "the dangling link still leads nowhere");
}

// Another folder takes the key's letter after CARD was held: whatever is
// done through the held folder, at once or once Wine has noticed, never
// touches the folder that took the letter.
E2E_GROUP(folder_swapped_letter) {
    static_cast<void>(dll);
    check(write_file(L"S:\\CARD\\theirs.ddd", bytes_of("the other volume's")), "the other folder has a file of its own");
    const std::vector<std::wstring> other_before = detailed_listing(key_folder(L'S'));
    auto files = platform();
    std::unique_ptr<Folder> card = files.open_folder(kCard);
    check(card != nullptr, "K:\\CARD held");
    if (!card) {
        return;
    }
    SwappedLetter swapped;
    check(swapped.swapped() && file_exists(L"K:\\CARD\\theirs.ddd"), "K: leads to the other folder now");

    std::vector<FolderEntry> entries;
    check(card->list(L"*.ddd", entries) == Lookup::found && names_of(entries).count(L"theirs.ddd") == 0,
          "the held folder still lists the key's own CARD");
    check(!card->open_file(L"theirs.ddd", FileAccess::read, FileDisposition::open_existing),
          "the other folder's file is not reached");
    static_cast<void>(card->delete_file(kSeededDownloads[0]));
    if (auto made = card->open_file(L"made.ddd", FileAccess::write, FileDisposition::create_new)) {
        check(writes(*made, "made"), "a file made in the held folder is written");
    }
    // Wine notices the swap about a second later: its name for the held folder changes.
    Sleep(1500);
    static_cast<void>(card->delete_file(kSeededDownloads[1]));
    static_cast<void>(card->delete_file(L"theirs.ddd"));
    static_cast<void>(card->open_file(L"later.ddd", FileAccess::write, FileDisposition::create_new));
    check_same(detailed_listing(key_folder(L'S')), other_before, "nothing in the folder that took the letter changed");
    check(!file_exists(key_folder(L'K') + L"CARD\\later.ddd"), "a held folder whose name changed makes nothing");
}

// The key's folder moved away under a held CARD: whatever a delete
// through it reports, nothing goes, and a listing through the held handle
// afterwards still shows every file, so an erase can tell.
E2E_GROUP(folder_moved_away) {
    static_cast<void>(dll);
    const std::wstring key = key_folder(L'K');
    // Where e2e.sh looks for what a killed run left.
    const std::wstring moved = key.substr(0, key.size() - 1) + L".pulled";
    auto files = platform();
    std::unique_ptr<Folder> card = files.open_folder(kCard);
    check(card != nullptr, "K:\\CARD held");
    if (!card) {
        return;
    }
    const std::vector<std::wstring> before = detailed_listing(key);
    check(MoveFileW(key.substr(0, key.size() - 1).c_str(), moved.c_str()) != FALSE, "the key's folder moved away");
    for (const std::wstring& name : kSeededDownloads) {
        static_cast<void>(card->delete_file(name));
    }
    static_cast<void>(card->delete_file(L"readme.txt"));
    std::vector<FolderEntry> entries;
    const Lookup listed = card->list(L"*.*", entries);
    const std::set<std::wstring> names = names_of(entries);
    check(listed == Lookup::found && names.count(kSeededDownloads[0]) == 1 && names.count(kSeededDownloads[1]) == 1 &&
              names.count(L"readme.txt") == 1,
          "the listing through the held folder still shows every file");
    check_same(detailed_listing(moved), before, "nothing went from the moved folder");
    check(MoveFileW(moved.c_str(), key.substr(0, key.size() - 1).c_str()) != FALSE, "the key's folder moved back");
}

// A file moves into a name of its held folder only where nothing is: an
// existing file or folder stays as it was, and the file keeps its own name.
E2E_GROUP(folder_move_to_never_replaces) {
    static_cast<void>(dll);
    const std::vector<uint8_t> config = read_file(kKeyConfig);
    auto files = platform();
    std::unique_ptr<Folder> root = files.open_folder(kKeyRoot);
    check(root != nullptr, "K:\\ held");
    if (!root) {
        return;
    }
    std::unique_ptr<lanternbook::File> made = root->open_file(L"CONFIG.NEW", FileAccess::write, FileDisposition::create_new);
    std::size_t written = 0;
    check(made && made->write(reinterpret_cast<const uint8_t*>("new"), 3, written) && made->flush(), "CONFIG.NEW written");
    if (!made) {
        return;
    }
    check(!made->move_to(L"CONFIG"), "not moved onto CONFIG");
    check(!made->move_to(L"CARD"), "not moved onto a folder");
    check_bytes(read_file(kKeyConfig), config, "CONFIG keeps its bytes");
    check(made->move_to(L"FRESH"), "moved to a free name");
    check(made->close(), "closed");
    check_bytes(read_file(L"K:\\FRESH"), bytes_of("new"), "FRESH holds what was written");
    check(!file_exists(L"K:\\CONFIG.NEW"), "CONFIG.NEW is gone with the move");
    check(!root->open_file(L"FRESH", FileAccess::write, FileDisposition::create_new), "create_new refuses a file there");
    std::unique_ptr<lanternbook::File> replacement = root->open_file(L"CONFIG.NEW", FileAccess::write, FileDisposition::create_new);
    check(replacement && writes(*replacement, "x"), "another CONFIG.NEW written");
    replacement = root->open_file(L"CONFIG.NEW", FileAccess::write, FileDisposition::open_existing);
    check(replacement && replacement->replace(L"K:\\CONFIG") && replacement->close(), "replace takes CONFIG's place");
    check_bytes(read_file(kKeyConfig), bytes_of("x"), "CONFIG replaced in one step");
}

// Run by the lock groups in a process of its own: takes CARD's lock, says
// so, and keeps it until told to let go (or until it is ended).
E2E_GROUP(folder_lock_holder) {
    static_cast<void>(dll);
    auto files = platform();
    std::unique_ptr<Folder> card = files.open_folder(kCard);
    std::unique_ptr<FolderLock> lock = card ? card->lock(0) : nullptr;
    check(lock != nullptr, "the holder takes CARD's lock");
    Handle taken(CreateEventW(nullptr, TRUE, FALSE, kLockTaken));
    Handle release(CreateEventW(nullptr, TRUE, FALSE, kLockRelease));
    SetEvent(taken.get());
    check(WaitForSingleObject(release.get(), kProcessWaitMs) == WAIT_OBJECT_0, "the holder was told to let go");
}

namespace {

// A process of this driver holding CARD's lock; null when it did not say so in time.
HANDLE start_holder(Handle& taken) {
    HANDLE holder = start_group(L"folder_lock_holder");
    check(holder != nullptr && WaitForSingleObject(taken.get(), kProcessWaitMs) == WAIT_OBJECT_0,
          "another process holds CARD's lock");
    return holder;
}

}  // namespace

// A folder's lock held by one process refuses another, however the
// folder's path is spelt, for as long as it is held; let go, it is had.
E2E_GROUP(folder_lock_across_processes) {
    static_cast<void>(dll);
    Handle taken(CreateEventW(nullptr, TRUE, FALSE, kLockTaken));
    Handle release(CreateEventW(nullptr, TRUE, FALSE, kLockRelease));
    Handle holder(start_holder(taken));
    auto files = platform();
    std::unique_ptr<Folder> card = files.open_folder(L"k:\\card");
    check(card != nullptr, "CARD held here too");
    if (!card || !holder.is_open()) {
        return;
    }
    const DWORD started = GetTickCount();
    check(card->lock(300) == nullptr, "the lock is refused while the other process holds it");
    check(GetTickCount() - started >= 250, "after waiting for it");
    SetEvent(release.get());
    DWORD code = 1;
    check(WaitForSingleObject(holder.get(), kProcessWaitMs) == WAIT_OBJECT_0 && GetExitCodeProcess(holder.get(), &code) &&
              code == 0,
          "the holder let go and ended well");
    check(card->lock(1000) != nullptr, "the lock is had once let go");
}

// A process that ends holding a folder's lock, as a crash ends it, lets
// go of it: the next one takes it.
E2E_GROUP(folder_lock_after_crash) {
    static_cast<void>(dll);
    Handle taken(CreateEventW(nullptr, TRUE, FALSE, kLockTaken));
    Handle holder(start_holder(taken));
    if (!holder.is_open()) {
        return;
    }
    check(TerminateProcess(holder.get(), 9) != FALSE && WaitForSingleObject(holder.get(), kProcessWaitMs) == WAIT_OBJECT_0,
          "the holder ended without letting go");
    auto files = platform();
    std::unique_ptr<Folder> card = files.open_folder(kCard);
    check(card && card->lock(1000) != nullptr, "the lock is had after its holder ended");
}
