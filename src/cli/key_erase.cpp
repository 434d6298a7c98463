#include "cli/key_erase.h"

#include <algorithm>

#include "cli/shown_paths.h"
#include "text/text_utils.h"
#include "text/utf8_text.h"

namespace lanternbook::cli {
namespace {

// Notes each download as the run meets it, and asks it to stop once Ctrl-C was pressed.
class Recorder : public EraseObserver {
public:
    Recorder(Terminal& terminal, std::vector<EraseEvent>& events, bool deleted_too)
        : terminal_(terminal), events_(events), deleted_too_(deleted_too) {}

    void deleted(const std::wstring& path) override {
        if (deleted_too_) {
            events_.push_back({EraseEvent::Kind::deleted, path, {}});
        }
    }
    void skipped(const std::wstring& path, SkipReason reason) override {
        events_.push_back({EraseEvent::Kind::skipped, path, reason_text(reason)});
    }
    void not_deleted(const std::wstring& path, const std::wstring& reason) override {
        events_.push_back({EraseEvent::Kind::not_deleted, path, utf8_from_wide(reason)});
    }
    bool stop_requested() override { return terminal_.interrupted(); }

private:
    static std::string reason_text(SkipReason reason) {
        switch (reason) {
            case SkipReason::link: return "link";
            case SkipReason::not_regular: return "not a regular file";
            case SkipReason::folder_link: break;
        }
        return "folder link";
    }

    Terminal& terminal_;
    std::vector<EraseEvent>& events_;
    // An erase of 100,000 that only tells its count keeps no path of what it deleted.
    const bool deleted_too_;
};

// A path compared as the system compares it: Windows' drive letters and names in any case.
std::wstring compared(const std::wstring& path) {
    std::wstring text = with_trailing_backslash(path);
    std::replace(text.begin(), text.end(), L'/', L'\\');
    return text.size() > 1 && text[1] == L':' ? to_upper_ascii(text) : text;
}

}  // namespace

bool archive_on_key(const std::wstring& archive, const std::wstring& root) {
    const std::wstring in = compared(archive);
    const std::wstring key = compared(root);
    return in.compare(0, key.size(), key) == 0;
}

std::optional<ArchivePlace> archive_place(Invocation& call, Exit& exit) {
    Services& services = call.services;
    const std::string named = call.options.value("--archive");
    ArchivePlace place;
    place.path = as_named(wide_from_utf8(named));
    uint32_t attributes = 0;
    const Lookup found = services.files.attributes(place.path, attributes);
    if (found == Lookup::missing || (found == Lookup::found && (attributes & kAttributeFolder) == 0)) {
        exit = call.errors.fail(Exit::refused, "--archive " + named +
                                                   (found == Lookup::missing ? ": no such folder" : ": not a folder"));
        return std::nullopt;
    }
    place.folder = services.files.open_folder(place.path);
    if (!place.folder) {
        exit = call.errors.fail(Exit::io_failure, "--archive " + named + ": cannot be opened" + reason_of(services.files));
        return std::nullopt;
    }
    return place;
}

KeyErase::KeyErase(Invocation& call, const std::wstring& root)
    : call_(call),
      volumes_(call.services.volumes, call.services.files, root),
      device_(volumes_, call.services.files),
      key_(device_.key_at(root)) {}

EraseReport KeyErase::run(EraseMode mode, bool keeper, const ArchivePlace* archive) {
    Services& services = call_.services;
    EraseReport report;
    std::unique_ptr<DownloadArchive> keeping;
    if (archive != nullptr) {
        std::vector<uint8_t> config;
        static_cast<void>(device_.read_config_bytes(key_, config));
        keeping = std::make_unique<DownloadArchive>(services.session, services.files, *archive->folder, archive->path,
                                                    archive_folder_name(config, key_.volume_serial));
    } else if (keeper) {
        keeping = std::make_unique<DownloadArchive>(services.session, services.files);
    }
    Recorder recorder(services.terminal, report.events,
                      mode == EraseMode::dry_run || keeping != nullptr || call_.options.has("--json"));
    report.result = keeping ? erase_downloads_keeping(key_, device_, services.clock, &recorder, mode, *keeping)
                            : erase_downloads_on(key_, device_, services.clock, &recorder, mode);
    report.interrupted = report.result.outcome == EraseOutcome::stopped;
    if (keeping) {
        for (const EraseEvent* event : events_of(report, EraseEvent::Kind::deleted)) {
            if (const KeptDownload* kept = keeping->kept_of(event->path)) {
                report.kept.push_back(*kept);
            }
        }
    }
    return report;
}

bool KeyErase::journaled(ChangeJournal& journal, const EraseReport& report, std::string& error) {
    if (report.result.deleted == 0) {
        return true;
    }
    std::vector<uint8_t> config;
    const ConfigRead read = device_.read_config_bytes(key_, config);
    const bool has_config = read == ConfigRead::read || read == ConfigRead::empty;
    JournalEntry entry = journal.entry_for(key_, has_config ? std::optional<std::vector<uint8_t>>(config)
                                                            : std::nullopt);
    std::vector<KeptDownload> erased = report.kept;
    const wchar_t separator = call_.services.separator;
    for (KeptDownload& kept : erased) {
        kept.path = wide_from_utf8(json_path(kept.path, separator));
        kept.archived = kept.archived.empty() ? kept.archived : wide_from_utf8(json_path(kept.archived, separator));
    }
    entry.erased = erased;
    return journal.record(std::move(entry), error);
}

std::vector<const EraseEvent*> events_of(const EraseReport& report, EraseEvent::Kind kind) {
    std::vector<const EraseEvent*> chosen;
    for (const EraseEvent& event : report.events) {
        if (event.kind == kind) {
            chosen.push_back(&event);
        }
    }
    return chosen;
}

std::string count_of(std::size_t count) { return std::to_string(count) + (count == 1 ? " download" : " downloads"); }

}  // namespace lanternbook::cli
