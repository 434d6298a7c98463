// One key's erase as `erase` and `watch` run it, apart from their options
// and output: the key found, each download kept before it goes (its digest
// for the journal, a verified copy with an archive) and deleted, and the
// journal's line of it.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/change_journal.h"
#include "cli/command.h"
#include "maintenance/download_archive.h"
#include "maintenance/erase_downloads.h"

namespace lanternbook::cli {

// What became of each download, in the order the run met them.
struct EraseEvent {
    enum class Kind { deleted, skipped, not_deleted } kind;
    std::wstring path;
    // A skip's reason in our words, a failure's in the system's.
    std::string reason;
};

struct EraseReport {
    // result.deleted counts the downloads deleted (in a dry run: that would be).
    EraseResult result;
    // Skips and failures; downloads deleted only where they are shown or kept:
    // a dry run, --json, a keeper.
    std::vector<EraseEvent> events;
    bool interrupted = false;
    // What was kept of each download deleted (or, in a dry run, that would be), in the order met.
    std::vector<KeptDownload> kept;
};

// The archive folder --archive names, held for the whole command.
struct ArchivePlace {
    std::unique_ptr<Folder> folder;
    std::wstring path;
};

// The folder --archive names, checked to be a folder off the key at `root`
// (when given); none, reported with `exit`, otherwise.
[[nodiscard]] std::optional<ArchivePlace> archive_place(Invocation& call, Exit& exit);
// Whether `archive` lies in the key at `root`: refused, so a key never archives onto itself.
[[nodiscard]] bool archive_on_key(const std::wstring& archive, const std::wstring& root);

class KeyErase {
public:
    KeyErase(Invocation& call, const std::wstring& root);

    [[nodiscard]] bool found() const { return key_.found(); }
    [[nodiscard]] const KeyIdentity& key() const { return key_; }
    // The run: every download listed as it would go (dry_run), or erased.
    // With `keeper` the downloads are read first: digests are taken, and
    // with `archive` each is copied there before it goes.
    [[nodiscard]] EraseReport run(EraseMode mode, bool keeper, const ArchivePlace* archive);
    // The journal's line of a run that deleted something; true without one.
    [[nodiscard]] bool journaled(ChangeJournal& journal, const EraseReport& report, std::string& error);

private:
    Invocation& call_;
    NamedKeyVolumes volumes_;
    DeviceDrive device_;
    KeyIdentity key_;
};

[[nodiscard]] std::vector<const EraseEvent*> events_of(const EraseReport& report, EraseEvent::Kind kind);
// "1 download", "12 downloads".
[[nodiscard]] std::string count_of(std::size_t count);

}  // namespace lanternbook::cli
