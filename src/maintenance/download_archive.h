// What an erase keeps of each download before it deletes it: its size and
// SHA-256 for the journal, and with an archive folder a verified copy there,
// in ARCHIVE\<key>\<CARD|TACHO>\<name>. Only a copy written, flushed, given
// the download's time and read back equal lets the download go.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "maintenance/erase_downloads.h"
#include "platform/platform.h"

namespace lanternbook {

// A download as it was just before the erase deleted it.
struct KeptDownload {
    std::wstring path;  // on the key
    uint64_t size = 0;
    Sha256 sha256{};
    // Its copy's path in the archive, or where a dry run would put it; empty without an archive.
    std::wstring archived;
    // A copy with the same bytes was there already: it was not copied again.
    bool already_archived = false;
};

// The downloads larger than this stay on the key: no tachograph writes one.
constexpr uint64_t kLargestDownload = uint64_t{64} << 20;
// How many numbered names beside a taken one are tried.
constexpr unsigned kArchiveNameAttempts = 1000;

// The key's folder in an archive: its serial number ("QVX-05-4660") where
// CONFIG holds one, else its volume serial number ("1A2B-3C4D").
[[nodiscard]] std::wstring archive_folder_name(const std::vector<uint8_t>& config, uint32_t volume_serial);

// "C_1~2.DDD": the numbered name beside `name` (number 0 is the name itself).
[[nodiscard]] std::wstring numbered_name(const std::wstring& name, unsigned number);

class DownloadArchive : public DownloadRemover {
public:
    // Only digests, for the journal.
    DownloadArchive(Session& session, FileSystem& files) : session_(session), files_(files) {}
    // Digests and copies into `archive` (held, opened by `files`, outliving
    // this; its path `archive_path`), in the key's folder `key_folder`, made
    // when missing.
    DownloadArchive(Session& session, FileSystem& files, Folder& archive, std::wstring archive_path,
                    std::wstring key_folder)
        : session_(session),
          files_(files),
          archive_(&archive),
          archive_path_(std::move(archive_path)),
          key_folder_(std::move(key_folder)) {}

    [[nodiscard]] Removal remove_download(Folder& folder, const std::wstring& folder_name, const FolderEntry& entry,
                                          const std::wstring& path, bool dry_run, std::wstring& reason) override;

    // What was kept of each download, in the order met. A download the erase
    // could not delete afterwards may be here too.
    [[nodiscard]] const std::vector<KeptDownload>& kept() const { return kept_; }
    // The entry of a download by its path on the key; null when there is none.
    [[nodiscard]] const KeptDownload* kept_of(const std::wstring& path) const;
    [[nodiscard]] bool archives() const { return archive_ != nullptr; }

private:
    // The digest of the open download, and its copy with an archive.
    bool keep(File& download, const std::wstring& folder, const FolderEntry& entry, const std::wstring& path,
              bool dry_run, std::wstring& reason);
    // The download folder of the key's folder in the archive, held; made
    // unless `dry_run`. Null with the reason, or without one for a dry run
    // where it is not there yet.
    Folder* archive_folder(const std::wstring& folder, bool dry_run, std::wstring& reason);
    // A name in the archive for a download's copy: the first numbered name
    // of `name` that is free, or that already holds these very bytes.
    struct NameInArchive {
        std::wstring name;  // empty when there is none, with the reason
        bool holds_copy = false;
    };
    bool archive_copy(File& download, const std::wstring& folder, const std::wstring& name,
                      const std::vector<uint8_t>& bytes, bool dry_run, KeptDownload& record, std::wstring& reason);
    NameInArchive free_name(Folder& target, const std::wstring& name, const std::vector<uint8_t>& bytes,
                            std::wstring& reason);
    // Writes the copy under a helper name, reads it back and gives it `name`
    // (or, where that was taken meanwhile, the next free one, into `name`).
    bool place_copy(Folder& target, std::wstring& name, const std::vector<uint8_t>& bytes, const FileTime& time,
                    std::wstring& reason);
    // A name for the copy while it is written; empty when none is free.
    static std::wstring helper_name(Folder& target, const std::wstring& name);
    bool named_copy(Folder& target, File& copy, std::wstring& name, const std::vector<uint8_t>& bytes,
                    std::wstring& reason);
    bool write_copy(Folder& target, const std::wstring& helper, const std::vector<uint8_t>& bytes,
                    const FileTime& time, std::wstring& reason);
    // "not archived: " and the system's reason for the last failure, or `otherwise`.
    std::wstring not_archived(const wchar_t* otherwise);

    Session& session_;
    FileSystem& files_;
    Folder* archive_ = nullptr;
    std::wstring archive_path_;
    std::wstring key_folder_;
    std::unique_ptr<Folder> key_archive_;
    std::map<std::wstring, std::unique_ptr<Folder>> download_folders_;
    std::vector<KeptDownload> kept_;
    // Where in kept_ each path's latest entry is: an erase of 100,000 looks each up.
    std::unordered_map<std::wstring, std::size_t> index_;
};

}  // namespace lanternbook
