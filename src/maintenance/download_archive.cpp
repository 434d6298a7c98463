#include "maintenance/download_archive.h"

#include <algorithm>

#include "config/stored_settings.h"
#include "device/config_codec.h"
#include "text/text_utils.h"

namespace lanternbook {
namespace {

constexpr std::size_t kReadChunk = 65536;
constexpr wchar_t kNumberMark = L'~';
// A copy is written under its name and this, then renamed: a real name is absent or whole.
constexpr wchar_t kCopyingSuffix[] = L".copying";
constexpr unsigned kHelperAttempts = 10;
constexpr wchar_t kNotArchived[] = L"not archived: ";

enum class Holding { same, different, unreadable };

// The whole file, up to `limit` bytes and one; false when it cannot be read.
bool read_all(File& file, uint64_t limit, std::vector<uint8_t>& bytes) {
    bytes.clear();
    std::vector<uint8_t> chunk(kReadChunk);
    while (bytes.size() <= limit) {
        std::size_t count = 0;
        if (!file.read(chunk.data(), chunk.size(), count)) {
            return false;
        }
        if (count == 0) {
            return true;
        }
        bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(count));
    }
    return true;
}

Holding holds_bytes(Folder& folder, const std::wstring& name, const std::vector<uint8_t>& bytes) {
    std::unique_ptr<File> there = folder.open_file(name, FileAccess::read, FileDisposition::open_existing);
    std::vector<uint8_t> held;
    if (!there || !read_all(*there, bytes.size(), held)) {
        return Holding::unreadable;
    }
    return held == bytes ? Holding::same : Holding::different;
}

bool is_plain_file(uint32_t attributes) {
    return (attributes & (kAttributeFolder | kAttributeLink | kAttributeDevice)) == 0;
}

}  // namespace

std::wstring archive_folder_name(const std::vector<uint8_t>& config, uint32_t volume_serial) {
    DeviceConfig decoded;
    decode_config(config.data(), config.size(), decoded);
    const StoredSettings settings = settings_from(decoded);
    if (settings.has_serial_number()) {
        // "QVX/05/4660" with what a file name cannot hold made a dash.
        std::wstring name = serial_number_text(settings);
        std::replace(name.begin(), name.end(), L'/', L'-');
        return name;
    }
    return hex_text(volume_serial >> 16, 4) + L"-" + hex_text(volume_serial & 0xFFFF, 4);
}

std::wstring numbered_name(const std::wstring& name, unsigned number) {
    if (number == 0) {
        return name;
    }
    const std::size_t dot = name.find_last_of(L'.');
    const std::size_t cut = dot == std::wstring::npos || dot == 0 ? name.size() : dot;
    return name.substr(0, cut) + kNumberMark + std::to_wstring(number) + name.substr(cut);
}

const KeptDownload* DownloadArchive::kept_of(const std::wstring& path) const {
    const auto found = index_.find(path);
    return found == index_.end() ? nullptr : &kept_[found->second];
}

std::wstring DownloadArchive::not_archived(const wchar_t* otherwise) {
    const std::wstring reason = files_.failure_reason();
    return kNotArchived + (reason.empty() ? std::wstring(otherwise) : reason);
}

Removal DownloadArchive::remove_download(Folder& folder, const std::wstring& folder_name, const FolderEntry& entry,
                                         const std::wstring& path, bool dry_run, std::wstring& reason) {
    std::unique_ptr<File> download =
        folder.open_file(entry.name, FileAccess::read_entry, FileDisposition::open_existing);
    if (!download) {
        reason = files_.failure_reason();
        return folder.leads_elsewhere(entry.name) ? Removal::link : Removal::not_deleted;
    }
    if (!keep(*download, folder_name, entry, path, dry_run, reason)) {
        return Removal::not_deleted;
    }
    // Read-only, hidden and system downloads go too; one that stays gets its attributes back.
    if (dry_run || (download->set_attributes(kAttributeArchive) && download->remove() && download->close())) {
        return Removal::deleted;
    }
    reason = files_.failure_reason();
    static_cast<void>(download->set_attributes(entry.attributes));
    return Removal::not_deleted;
}

bool DownloadArchive::keep(File& download, const std::wstring& folder, const FolderEntry& entry,
                           const std::wstring& path, bool dry_run, std::wstring& reason) {
    KeptDownload record;
    record.path = path;
    std::vector<uint8_t> bytes;
    if (!read_all(download, kLargestDownload, bytes)) {
        const std::wstring system = files_.failure_reason();
        reason = L"cannot be read for its digest" + (system.empty() ? std::wstring() : L": " + system);
        return false;
    }
    if (bytes.size() > kLargestDownload) {
        reason = L"larger than 64 MiB; no download is";
        return false;
    }
    record.size = bytes.size();
    std::unique_ptr<Digest> digest = session_.sha256();
    if (!digest) {
        reason = L"its SHA-256 cannot be taken";
        return false;
    }
    digest->add(bytes.data(), bytes.size());
    record.sha256 = digest->finish();
    if (archive_ != nullptr && !archive_copy(download, folder, entry.name, bytes, dry_run, record, reason)) {
        return false;
    }
    index_[record.path] = kept_.size();
    kept_.push_back(record);
    return true;
}

bool DownloadArchive::archive_copy(File& download, const std::wstring& folder, const std::wstring& name,
                                   const std::vector<uint8_t>& bytes, bool dry_run, KeptDownload& record,
                                   std::wstring& reason) {
    FileTime time;
    if (!download.modified_time(time)) {
        reason = not_archived(L"its time cannot be read");
        return false;
    }
    const std::wstring in_archive = with_trailing_backslash(with_trailing_backslash(archive_path_) + key_folder_) +
                                    with_trailing_backslash(folder);
    Folder* target = archive_folder(folder, dry_run, reason);
    if (target == nullptr) {
        // A dry run where the folder is not made yet: the name is free.
        record.archived = in_archive + name;
        return reason.empty();
    }
    const NameInArchive chosen = free_name(*target, name, bytes, reason);
    if (chosen.name.empty()) {
        return false;
    }
    record.archived = in_archive + chosen.name;
    record.already_archived = chosen.holds_copy;
    if (dry_run || chosen.holds_copy) {
        return true;
    }
    std::wstring placed = chosen.name;
    if (!place_copy(*target, placed, bytes, time, reason)) {
        return false;
    }
    record.archived = in_archive + placed;
    return true;
}

Folder* DownloadArchive::archive_folder(const std::wstring& folder, bool dry_run, std::wstring& reason) {
    const auto held = download_folders_.find(folder);
    if (held != download_folders_.end()) {
        return held->second.get();
    }
    // A folder another made meanwhile is opened rather than made.
    const auto opened = [dry_run](Folder& parent, const std::wstring& name) {
        std::unique_ptr<Folder> found = parent.open_folder(name);
        if (!found && !dry_run) {
            found = parent.create_folder(name);
            if (!found) {
                found = parent.open_folder(name);
            }
        }
        return found;
    };
    if (!key_archive_) {
        key_archive_ = opened(*archive_, key_folder_);
    }
    std::unique_ptr<Folder> made = key_archive_ ? opened(*key_archive_, folder) : nullptr;
    if (!made) {
        if (!dry_run) {
            reason = not_archived(L"its folder cannot be made");
        }
        return nullptr;
    }
    return download_folders_.emplace(folder, std::move(made)).first->second.get();
}

DownloadArchive::NameInArchive DownloadArchive::free_name(Folder& target, const std::wstring& name,
                                                          const std::vector<uint8_t>& bytes, std::wstring& reason) {
    for (unsigned number = 0; number < kArchiveNameAttempts; ++number) {
        const std::wstring candidate = numbered_name(name, number);
        uint32_t attributes = 0;
        const Lookup found = target.attributes(candidate, attributes);
        if (found == Lookup::missing) {
            return NameInArchive{candidate, false};
        }
        if (found == Lookup::failed) {
            reason = not_archived(L"the archive cannot be read");
            return NameInArchive{};
        }
        // Whatever else has the name is left as it is; a plain file with these very bytes is this copy.
        const Holding holding = is_plain_file(attributes) ? holds_bytes(target, candidate, bytes) : Holding::different;
        if (holding == Holding::unreadable) {
            reason = not_archived(L"a file of its name in the archive cannot be read");
            return NameInArchive{};
        }
        if (holding == Holding::same) {
            return NameInArchive{candidate, true};
        }
    }
    reason = std::wstring(kNotArchived) + L"no free name for it in the archive";
    return NameInArchive{};
}

bool DownloadArchive::place_copy(Folder& target, std::wstring& name, const std::vector<uint8_t>& bytes,
                                 const FileTime& time, std::wstring& reason) {
    const std::wstring helper = helper_name(target, name);
    if (helper.empty()) {
        reason = std::wstring(kNotArchived) + L"no name free for its copy";
        return false;
    }
    if (!write_copy(target, helper, bytes, time, reason)) {
        return false;
    }
    std::unique_ptr<File> copy = target.open_file(helper, FileAccess::read_entry, FileDisposition::open_existing);
    std::vector<uint8_t> read_back;
    const bool read = copy && read_all(*copy, bytes.size(), read_back);
    if (!read || read_back != bytes) {
        reason = read ? std::wstring(kNotArchived) + L"its copy read back differs"
                      : not_archived(L"its copy cannot be read back");
        // Our own handle shares no deletion: it goes first, or the helper would stay on Windows.
        copy.reset();
        static_cast<void>(target.delete_file(helper));
        return false;
    }
    return named_copy(target, *copy, name, bytes, reason);
}

std::wstring DownloadArchive::helper_name(Folder& target, const std::wstring& name) {
    uint32_t attributes = 0;
    for (unsigned attempt = 0; attempt < kHelperAttempts; ++attempt) {
        std::wstring tried = name + kCopyingSuffix + (attempt == 0 ? L"" : std::to_wstring(attempt));
        if (target.attributes(tried, attributes) == Lookup::missing) {
            return tried;
        }
    }
    return std::wstring();
}

bool DownloadArchive::named_copy(Folder& target, File& copy, std::wstring& name, const std::vector<uint8_t>& bytes,
                                 std::wstring& reason) {
    uint32_t attributes = 0;
    // A name taken meanwhile is never written over: the copy goes under the next free one.
    while (!copy.move_to(name)) {
        const std::wstring failure = not_archived(L"its copy cannot be named");
        const NameInArchive next = target.attributes(name, attributes) == Lookup::found
                                       ? free_name(target, name, bytes, reason)
                                       : NameInArchive{};
        if (next.name.empty() || next.holds_copy) {
            // Another put these very bytes there meanwhile: that is the copy.
            static_cast<void>(copy.remove());
            static_cast<void>(copy.close());
            reason = next.holds_copy ? std::wstring() : (reason.empty() ? failure : reason);
            name = next.holds_copy ? next.name : name;
            return next.holds_copy;
        }
        name = next.name;
    }
    static_cast<void>(copy.close());
    return true;
}

bool DownloadArchive::write_copy(Folder& target, const std::wstring& helper, const std::vector<uint8_t>& bytes,
                                 const FileTime& time, std::wstring& reason) {
    std::unique_ptr<File> copy = target.open_file(helper, FileAccess::write, FileDisposition::create_new);
    if (!copy) {
        reason = not_archived(L"its copy cannot be made");
        return false;
    }
    std::size_t written = 0;
    if (copy->write(bytes.data(), bytes.size(), written) && copy->flush() && copy->set_modified_time(time) &&
        copy->close()) {
        return true;
    }
    reason = not_archived(L"its copy cannot be written");
    // A copy cut short goes: only whole copies stay in the archive.
    static_cast<void>(copy->remove());
    static_cast<void>(copy->close());
    static_cast<void>(target.delete_file(helper));
    return false;
}

}  // namespace lanternbook
