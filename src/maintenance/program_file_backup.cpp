#include "maintenance/program_file_backup.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "text/text_utils.h"

namespace lanternbook {
namespace {

constexpr wchar_t kEveryEntry[] = L"*.*";
constexpr wchar_t kRecordHelperName[] = L"BACKUP.NEW";
constexpr std::size_t kCopyChunk = std::size_t{64} * 1024;

// The hash of what is left of `file`; false when it cannot be read whole.
bool hash_of(File& file, uint64_t size, uint64_t& hash) {
    std::vector<uint8_t> chunk(kCopyChunk);
    hash = kHashStart;
    uint64_t seen = 0;
    std::size_t got = 0;
    while (file.read(chunk.data(), chunk.size(), got) && got > 0) {
        hash = hash_bytes(hash, chunk.data(), got);
        seen += got;
    }
    return got == 0 && seen == size;
}

}  // namespace

bool copy_whole(File& from, File& to, uint64_t size, uint64_t& hash) {
    std::vector<uint8_t> chunk(kCopyChunk);
    uint64_t copied = 0;
    while (true) {
        std::size_t got = 0;
        if (!from.read(chunk.data(), chunk.size(), got)) {
            return false;
        }
        if (got == 0) {
            break;
        }
        std::size_t put = 0;
        if (!to.write(chunk.data(), got, put) || put != got) {
            return false;
        }
        hash = hash_bytes(hash, chunk.data(), got);
        copied += got;
    }
    uint64_t on_disk = 0;
    return copied == size && to.flush() && to.size(on_disk) && on_disk == size;
}

namespace {

// One folder of a tree being emptied: its handle (none for the top, which
// stays), its name in its parent, and what is left of its listing.
struct OpenFolder {
    std::unique_ptr<Folder> held;
    std::wstring name;
    std::vector<FolderEntry> entries;
    std::size_t next = 0;
};

// Removes one entry that is no real folder: a link goes by itself, never
// what it leads to, or stays where the platform cannot tell it apart.
bool remove_entry(Folder& folder, const FolderEntry& entry) {
    return entry.is_folder() ? folder.remove_folder(entry.name) : folder.delete_file(entry.name);
}

}  // namespace

bool delete_tree(Folder& folder, const std::wstring& keep) {
    // Depth first without recursion: a tree of any depth cannot exhaust the stack.
    std::vector<OpenFolder> open;
    bool all_gone = true;
    open.push_back(OpenFolder{nullptr, std::wstring(), {}, 0});
    all_gone = folder.list(kEveryEntry, open.back().entries) != Lookup::failed;
    while (!open.empty()) {
        OpenFolder& current = open.back();
        Folder& here = current.held ? *current.held : folder;
        if (current.next == current.entries.size()) {
            const std::wstring emptied = current.name;
            open.pop_back();
            if (!open.empty()) {
                all_gone = (open.back().held ? *open.back().held : folder).remove_folder(emptied) && all_gone;
            }
            continue;
        }
        const FolderEntry entry = current.entries[current.next++];
        const bool kept = open.size() == 1 && !keep.empty() && to_upper_ascii(entry.name) == to_upper_ascii(keep);
        if (kept) {
            continue;
        }
        if (!entry.is_folder() || entry.is_link()) {
            all_gone = remove_entry(here, entry) && all_gone;
            continue;
        }
        OpenFolder below{here.open_folder(entry.name), entry.name, {}, 0};
        if (!below.held) {
            all_gone = false;
            continue;
        }
        // Unlisted, a folder's own removal tells whether it was empty.
        static_cast<void>(below.held->list(kEveryEntry, below.entries));
        open.push_back(std::move(below));
    }
    return all_gone;
}

bool ProgramFileBackup::make_backup_folder(Folder& root) {
    std::wstring path;
    std::unique_ptr<Folder> place = files_.backup_place(path);
    // A backup on the volume being formatted would go with it.
    if (!place || place->on_same_volume(root)) {
        return false;
    }
    const SystemTime now = clock_.utc_now();
    uint32_t number = (uint32_t{now.hour} << 24) ^ (uint32_t{now.minute} << 16) ^
                      (uint32_t{now.second} << 10) ^ now.milliseconds;
    // A start that cleans up our folders without a record waits while this one is made and locked.
    const std::unique_ptr<FolderLock> making = place->lock(kKeyLockWaitMs);
    for (unsigned attempt = 0; making && attempt < kBackupFolderAttempts; ++attempt, number += 0x9E37) {
        const std::wstring name = kBackupFolderPrefix + hex_text(number, 8);
        // Creation fails on anything already there, so the folder is ours alone.
        std::unique_ptr<Folder> folder = place->create_folder(name);
        if (!folder) {
            continue;
        }
        std::unique_ptr<FolderLock> lock = folder->lock(0);
        if (!lock) {
            static_cast<void>(place->remove_folder(name));
            return false;
        }
        held_ = HeldBackup{std::move(place), std::move(folder), std::move(lock), name,
                           with_trailing_backslash(path) + name};
        return true;
    }
    return false;
}

bool ProgramFileBackup::copy_away(Folder& root, std::size_t index, uint32_t attributes) {
    const wchar_t* name = kBackedUpFiles[index];
    std::unique_ptr<File> from = root.open_file(name, FileAccess::read, FileDisposition::open_existing);
    std::unique_ptr<File> to =
        from ? held_.folder->open_file(name, FileAccess::write, FileDisposition::create_new) : nullptr;
    CopiedFile copied{index, 0, attributes & kKeptFileAttributes, kHashStart};
    if (!to || !from->size(copied.size) || !copy_whole(*from, *to, copied.size, copied.hash) || !to->close()) {
        return false;
    }
    copied_files_.push_back(copied);
    return true;
}

bool ProgramFileBackup::backup(const KeyIdentity& key) {
    copied_files_.clear();
    std::unique_ptr<Folder> root = device_.open_root(key);
    if (!root || !make_backup_folder(*root)) {
        return false;
    }
    for (std::size_t i = 0; i < std::size(kBackedUpFiles); ++i) {
        uint32_t attributes = 0;
        const Lookup found = root->attributes(kBackedUpFiles[i], attributes);
        if (found == Lookup::missing) {
            continue;  // not on this key: nothing to keep
        }
        if (found == Lookup::failed || (attributes & (kAttributeFolder | kAttributeLink | kAttributeDevice)) != 0 ||
            !copy_away(*root, i, attributes)) {
            static_cast<void>(discard());
            return false;
        }
    }
    return true;
}

bool is_back(Folder& root, const CopiedFile& copied, const std::vector<uint8_t>& identity) {
    std::unique_ptr<File> file = root.open_file(copied.name(), FileAccess::read, FileDisposition::open_existing);
    uint64_t size = 0;
    uint64_t hash = 0;
    if (!file || !file->size(size)) {
        return false;
    }
    if (size == copied.size && hash_of(*file, size, hash) && hash == copied.hash) {
        return true;
    }
    if (copied.name() != kConfigFileName || !identity_names_a_key(identity)) {
        return false;
    }
    std::unique_ptr<File> config = root.open_file(kConfigFileName, FileAccess::read, FileDisposition::open_existing);
    std::vector<uint8_t> bytes(kConfigReadLimit, 0);
    std::size_t read = 0;
    if (!config || !config->read(bytes.data(), bytes.size(), read)) {
        return false;
    }
    bytes.resize(read);
    return key_identity_of(bytes) == identity;
}

bool ProgramFileBackup::put_back(Folder& root, const CopiedFile& copied) const {
    const std::wstring helper = std::wstring(copied.name()) + kPutBackSuffix;
    // A helper of ours that a crash left: the name is ours alone.
    uint32_t ignored = 0;
    if (root.attributes(helper, ignored) != Lookup::missing && !root.delete_file(helper)) {
        return false;
    }
    std::unique_ptr<File> from = held_.folder->open_file(copied.name(), FileAccess::read, FileDisposition::open_existing);
    std::unique_ptr<File> to = from ? root.open_file(helper, FileAccess::write, FileDisposition::create_new) : nullptr;
    if (!to) {
        return false;
    }
    uint64_t hash = kHashStart;
    // The real name is absent or whole: the file takes it only once all of it is written.
    if (copy_whole(*from, *to, copied.size, hash) && hash == copied.hash &&
        (copied.attributes == 0 || to->set_attributes(copied.attributes)) && to->move_to(copied.name())) {
        return to->close();
    }
    static_cast<void>(to->set_attributes(kAttributeArchive) && to->remove());
    return false;
}

RestoreResult ProgramFileBackup::restore(const KeyIdentity& key) {
    std::unique_ptr<Folder> root = device_.open_root(key);
    // A Save on the same key finishes first: its helper is never taken for one of ours.
    std::unique_ptr<FolderLock> lock = root ? root->lock(kKeyLockWaitMs) : nullptr;
    if (!lock || !held_.folder) {
        return RestoreResult::files_left_behind;
    }
    bool all_back = true;
    for (const CopiedFile& copied : copied_files_) {
        // Only what is missing: nothing already on the key is ever written over.
        uint32_t attributes = 0;
        const Lookup there = root->attributes(copied.name(), attributes);
        if (there == Lookup::missing && !put_back(*root, copied)) {
            all_back = false;
            continue;
        }
        if (!is_back(*root, copied, identity_)) {
            all_back = false;
            continue;
        }
        // Made anew after the format (CONFIG is), a file gets the attributes it had.
        if (there == Lookup::found && copied.attributes != 0 && (attributes & kKeptFileAttributes) != copied.attributes) {
            std::unique_ptr<File> file = root->open_file(copied.name(), FileAccess::entry, FileDisposition::open_existing);
            all_back = file && file->set_attributes(copied.attributes) && all_back;
        }
    }
    if (!all_back) {
        return RestoreResult::files_left_behind;
    }
    copied_files_.clear();
    lock.reset();
    return remove_backup_folder() ? RestoreResult::complete : RestoreResult::folder_left_behind;
}

static_assert(std::size(kBackedUpFiles) == kRecordedFiles, "the record keeps a size for each backed-up file");

bool ProgramFileBackup::write_record(BackupRecord record) {
    if (!held_.folder) {
        return false;
    }
    for (const CopiedFile& copied : copied_files_) {
        record.held[copied.index] = true;
        record.sizes[copied.index] = copied.size;
        record.attributes[copied.index] = static_cast<uint8_t>(copied.attributes);
        record.hashes[copied.index] = copied.hash;
    }
    record.hashed = true;
    identity_ = record.identity;
    const std::vector<uint8_t> text = encode_record(record);
    Folder& folder = *held_.folder;
    // A helper a crash left is ours: the folder is.
    uint32_t ignored = 0;
    if (folder.attributes(kRecordHelperName, ignored) != Lookup::missing && !folder.delete_file(kRecordHelperName)) {
        return false;
    }
    // A new record takes the old one's place in one step, so that there is always one.
    std::unique_ptr<File> file = folder.open_file(kRecordHelperName, FileAccess::write, FileDisposition::create_new);
    std::size_t written = 0;
    uint64_t size = 0;
    if (!file || !file->write(text.data(), text.size(), written) || written != text.size() || !file->flush() ||
        !file->size(size) || size != text.size() || !file->replace(kBackupRecordName) || !file->close()) {
        if (file) {
            static_cast<void>(file->remove());
        }
        return false;
    }
    return true;
}

std::vector<CopiedFile> files_recorded(const BackupRecord& record, Folder& folder) {
    std::vector<CopiedFile> files;
    for (std::size_t i = 0; i < kRecordedFiles; ++i) {
        if (!record.held[i]) {
            continue;
        }
        CopiedFile copied{i, record.sizes[i], record.attributes[i], record.hashes[i]};
        std::unique_ptr<File> file =
            record.hashed ? nullptr : folder.open_file(copied.name(), FileAccess::read, FileDisposition::open_existing);
        if (!record.hashed && !(file && hash_of(*file, copied.size, copied.hash))) {
            copied.hash = 0;
        }
        files.push_back(copied);
    }
    return files;
}

void ProgramFileBackup::adopt(HeldBackup held, const BackupRecord& record) {
    held_ = std::move(held);
    identity_ = record.identity;
    copied_files_ = held_.folder ? files_recorded(record, *held_.folder) : std::vector<CopiedFile>();
}

bool ProgramFileBackup::discard() {
    copied_files_.clear();
    return remove_backup_folder();
}

bool ProgramFileBackup::remove_backup_folder() {
    if (!held_.folder) {
        // Emptied by an earlier try whose removal failed: only the removal is left.
        return held_.name.empty() || remove_emptied_folder();
    }
    // Every file first and the record last: a folder half removed still says whose it is.
    static_cast<void>(delete_tree(*held_.folder, kBackupRecordName));
    std::vector<FolderEntry> left;
    const Lookup listed = held_.folder->list(kEveryEntry, left);
    const bool only_the_record =
        listed == Lookup::missing ||
        (listed == Lookup::found && left.size() == 1 && to_upper_ascii(left[0].name) == kBackupRecordName);
    if (!only_the_record || (listed == Lookup::found && !held_.folder->delete_file(kBackupRecordName))) {
        return false;
    }
    held_.folder.reset();
    return remove_emptied_folder();
}

bool ProgramFileBackup::remove_emptied_folder() {
    const bool removed = held_.place && held_.place->remove_folder(held_.name);
    if (removed) {
        held_ = HeldBackup{};
    }
    return removed;
}

}  // namespace lanternbook
