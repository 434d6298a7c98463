// lanternbook erase: deletes the downloads in the key's CARD and TACHO
// folders, as the dialog's Erase does, with --archive after a verified copy
// of each. Its dry run is the same run with nothing deleted, so the two tell
// the same downloads and the same skips.
#include <algorithm>
#include <unordered_map>

#include "cli/commands.h"
#include "cli/json_document.h"
#include "cli/key_choice.h"
#include "cli/key_erase.h"
#include "cli/key_results.h"
#include "cli/shown_paths.h"
#include "text/utf8_text.h"

namespace lanternbook::cli {
namespace {

// The keys of a run, as found, with the count each would lose (without a
// question to ask, not counted: 1).
struct Erasing {
    std::unique_ptr<KeyErase> key;
    std::size_t count = 0;
};

Exit run_erase(Invocation& call);
Exit erase_several(Invocation& call, const ArchivePlace* archive, ChangeJournal& journal);
bool confirmed(Invocation& call, std::size_t count, const std::string& where);
Exit reported(Invocation& call, const EraseReport& report, const std::wstring& root, bool dry_run,
              const ArchivePlace* archive);
nlohmann::ordered_json report_fields(const Invocation& call, const EraseReport& report, bool dry_run,
                                     const ArchivePlace* archive);
std::string listed_events(const std::vector<const EraseEvent*>& events, wchar_t separator, const char* open,
                          const char* close);
void print_listing(Invocation& call, const EraseReport& report);
Exit erased(Invocation& call, KeyErase& erase, const std::wstring& root, bool keeper, const ArchivePlace* archive,
            ChangeJournal& journal);
bool listed_key(Invocation& call, const KeyTarget& target, const ArchivePlace* archive, KeyResults& results,
                std::vector<Erasing>& erasing, std::size_t& total);
KeyOutcome erased_key(const Invocation& call, Erasing& one, const ArchivePlace* archive, ChangeJournal& journal);

}  // namespace

CommandEntry erase_command() {
    return {"erase",
            "[-k DIR... [--force] | --all] [--archive DIR] [-y | -n] [--fail-fast] [--no-journal] [--json | -q]",
            "Deletes the downloads in the key's CARD and TACHO folders, as the dialog's Erase does.",
            "Only plain files with a download extension (.ddd, .dtg, .dtc, .esm) go. A link, a pipe or a device "
            "under a download's name, and a CARD or TACHO that is a link, are skipped and named with the reason; a "
            "skip is no failure. With --archive each download is first copied to DIR/KEY/CARD or DIR/KEY/TACHO "
            "(KEY: the key's serial number, else its volume serial number), with its time, flushed and read back; "
            "only a copy equal byte for byte lets it go. A different file of its name there is never written "
            "over (the copy gets a numbered name, C_1~1.DDD), and one with the same bytes is not copied again; a "
            "download whose copy fails stays on the key. Each erase is recorded in the journal of changes, every "
            "download with its size and SHA-256. On a terminal it asks first, telling how many files would go; "
            "otherwise it needs --yes. Ctrl-C stops it between two files, and it tells what it deleted. Only a "
            "key is erased: the root of a volume whose label holds VOLKARIS, or a folder holding a CONFIG file; "
            "--force takes any folder. With several keys (--key again, or --all) it asks once for all of them "
            "and tells one line per key.",
            {kKeysOption,
             kForceOption,
             kAllOption,
             {"--archive", "DIR", "copy each download into this folder, and delete only what was copied whole"},
             {"-y,--yes", nullptr, "do not ask; needed when there is no terminal to ask on"},
             {"-n,--dry-run", nullptr,
              "delete nothing; list what an erase would delete (and with --archive where each would go) and skip, "
              "one path a line"},
             kFailFastOption,
             kNoJournalOption,
             {"--json", nullptr,
              "every path deleted, archived, skipped and not deleted, as a JSON object; with several keys, "
              R"({"format": 1, "results": [...]}, one per key)"},
             kQuietOption},
            {{"lanternbook erase --dry-run", "the downloads an erase would delete, and what it would skip"},
             {"lanternbook erase --yes --key /media/me/VOLKARIS", "deletes them without asking"},
             {"lanternbook erase --all --archive /srv/tacho --yes", "every key attached emptied into the archive"}},
            run_erase};
}

namespace {

// ---------------------------------------------------------------- options and action

Exit run_erase(Invocation& call) {
    Services& services = call.services;
    Exit exit = Exit::done;
    const bool dry_run = call.options.has("--dry-run");
    std::optional<ArchivePlace> archive;
    if (call.options.has("--archive") && !(archive = archive_place(call, exit))) {
        return exit;
    }
    const ArchivePlace* archiving = archive ? &*archive : nullptr;
    std::optional<ChangeJournal> journal = ChangeJournal::opened(call, "erase", !dry_run, exit);
    if (!journal) {
        return exit;
    }
    // Digests for the journal, copies for the archive: each download is read first.
    const bool keeper = archiving != nullptr || !journal->path().empty();
    if (several_keys(call.options)) {
        return erase_several(call, archiving, *journal);
    }
    const std::optional<std::wstring> root = chosen_root(call, exit);
    if (!root) {
        return exit;
    }
    const std::string shown_root = shown_path(*root, services.separator);
    if (archiving != nullptr && archive_on_key(archiving->path, *root)) {
        return call.errors.fail(Exit::refused, "--archive " + call.options.value("--archive") + ": on the key " +
                                                   shown_root + "; an archive is kept off the key");
    }
    KeyErase erase(call, *root);
    if (!erase.found()) {
        return call.errors.fail(Exit::no_key, shown_root + ": the key is gone");
    }
    // From the first listing on, Ctrl-C only stops the run between two files.
    const HeldInterrupts held(services.terminal);
    // Without a question to ask, nothing needs counting first.
    if (!dry_run && call.options.has("--yes")) {
        return erased(call, erase, *root, keeper, archiving, *journal);
    }
    // Where each download would go is only read for a dry run the user reads.
    const EraseReport listing =
        erase.run(EraseMode::dry_run, dry_run && archiving != nullptr, dry_run ? archiving : nullptr);
    if (listing.result.outcome == EraseOutcome::key_changed) {
        return call.errors.fail(Exit::no_key, shown_root + ": the key is gone");
    }
    if (dry_run) {
        return reported(call, listing, *root, true, archiving);
    }
    const EraseReport nothing_done{EraseResult{}, {}, true, {}};
    if (listing.interrupted) {
        return reported(call, nothing_done, *root, false, archiving);
    }
    const std::size_t count = listing.result.deleted;
    // Nothing to delete needs no one's yes: what would be skipped is told all the same.
    if (count == 0) {
        return reported(call, listing, *root, false, archiving);
    }
    if (!services.terminal.can_ask()) {
        return call.errors.fail(Exit::refused, std::string("nothing erased; without a terminal to ask on, add --yes"));
    }
    if (!confirmed(call, count, shown_root)) {
        return services.terminal.interrupted() ? reported(call, nothing_done, *root, false, archiving)
                                               : call.errors.fail(Exit::refused, std::string("nothing erased"));
    }
    return erased(call, erase, *root, keeper, archiving, *journal);
}

// The erase itself, its journal line, and what it did told.
Exit erased(Invocation& call, KeyErase& erase, const std::wstring& root, bool keeper, const ArchivePlace* archive,
            ChangeJournal& journal) {
    const EraseReport report = erase.run(EraseMode::erase, keeper, archive);
    std::string error;
    const bool recorded = erase.journaled(journal, report, error);
    const Exit done = reported(call, report, root, false, archive);
    if (!recorded) {
        return call.errors.fail(Exit::io_failure, error + "; the downloads named above were deleted");
    }
    return done;
}

// Each key listed first, one question for all, then each erased on its own.
Exit erase_several(Invocation& call, const ArchivePlace* archive, ChangeJournal& journal) {
    Services& services = call.services;
    Exit exit = Exit::done;
    const std::optional<std::vector<KeyTarget>> targets = chosen_keys(call, exit);
    if (!targets) {
        return exit;
    }
    const HeldInterrupts held(services.terminal);
    KeyResults results(call);
    std::vector<Erasing> erasing;
    std::size_t total = 0;
    bool going = true;
    for (auto target = targets->begin(); going && target != targets->end(); ++target) {
        going = listed_key(call, *target, archive, results, erasing, total);
    }
    if (going && total > 0 && !call.options.has("--yes")) {
        if (!services.terminal.can_ask()) {
            return call.errors.fail(Exit::refused,
                                    std::string("nothing erased; without a terminal to ask on, add --yes"));
        }
        if (!confirmed(call, total, std::to_string(erasing.size()) + " keys")) {
            const bool interrupted = services.terminal.interrupted();
            return call.errors.fail(interrupted ? Exit::interrupted : Exit::refused,
                                    std::string(interrupted ? "interrupted; " : "") + "nothing erased");
        }
    }
    for (auto one = erasing.begin(); going && one != erasing.end(); ++one) {
        going = results.add(erased_key(call, *one, archive, journal));
    }
    return results.finish(targets->size());
}

// A key of several listed: told at once when it cannot be erased or the run
// is a dry run, else kept for the erase with the count it would lose. False
// when the run stops here.
bool listed_key(Invocation& call, const KeyTarget& target, const ArchivePlace* archive, KeyResults& results,
                std::vector<Erasing>& erasing, std::size_t& total) {
    if (!target.usable()) {
        return results.add_unusable(target);
    }
    KeyOutcome outcome;
    outcome.key = target.root;
    auto erase = std::make_unique<KeyErase>(call, target.root);
    if (archive != nullptr && archive_on_key(archive->path, target.root)) {
        outcome.exit = Exit::refused;
        outcome.error = "--archive " + call.options.value("--archive") + ": on the key " +
                        shown_key(call, target.root) + "; an archive is kept off the key";
        return results.add(std::move(outcome));
    }
    if (!erase->found()) {
        outcome.exit = Exit::no_key;
        outcome.error = shown_key(call, target.root) + ": the key is gone";
        return results.add(std::move(outcome));
    }
    if (call.options.has("--dry-run")) {
        const EraseReport listing = erase->run(EraseMode::dry_run, archive != nullptr, archive);
        outcome.line = "would delete " + count_of(listing.result.deleted);
        outcome.fields = report_fields(call, listing, true, archive);
        if (!call.options.has("--json")) {
            // Each path of the listing, then the key's line.
            print_listing(call, listing);
        }
        return results.add(std::move(outcome));
    }
    // Without a question to ask, nothing needs counting first.
    const std::size_t count =
        call.options.has("--yes")
            ? 1
            : erase->run(EraseMode::dry_run, false, nullptr).result.deleted;
    total += count;
    erasing.push_back(Erasing{std::move(erase), count});
    return true;
}

// One key of several erased, its downloads kept first, and its journal line.
KeyOutcome erased_key(const Invocation& call, Erasing& one, const ArchivePlace* archive, ChangeJournal& journal) {
    const wchar_t separator = call.services.separator;
    const bool keeper = archive != nullptr || !journal.path().empty();
    KeyOutcome outcome;
    outcome.key = one.key->key().root;
    const std::string shown = shown_key(call, outcome.key);
    const EraseReport report = one.count == 0 ? EraseReport{} : one.key->run(EraseMode::erase, keeper, archive);
    const std::size_t deleted = report.result.deleted;
    const std::vector<const EraseEvent*> failed = events_of(report, EraseEvent::Kind::not_deleted);
    outcome.fields = report_fields(call, report, false, archive);
    outcome.line = "deleted " + count_of(deleted) +
                   (report.kept.empty() || archive == nullptr ? std::string()
                                                              : ", archived in " + shown_path(archive->path, separator));
    if (report.result.outcome == EraseOutcome::key_changed) {
        outcome.exit = Exit::no_key;
        outcome.error = shown + ": the key went away after deleting " + count_of(deleted);
    } else if (report.interrupted) {
        outcome.exit = Exit::interrupted;
        outcome.error = shown + ": interrupted after deleting " + count_of(deleted);
    } else if (!failed.empty()) {
        outcome.exit = Exit::io_failure;
        outcome.error = shown + ": deleted " + count_of(deleted) + "; " + std::to_string(failed.size()) +
                        " could not be deleted:" + listed_events(failed, separator, ": ", "");
    }
    std::string error;
    if (!one.key->journaled(journal, report, error)) {
        outcome.exit = Exit::io_failure;
        outcome.error = error + "; " + shown + ": " + count_of(deleted) + " deleted";
    }
    return outcome;
}

bool confirmed(Invocation& call, std::size_t count, const std::string& where) {
    return is_yes(call.services.terminal.ask("Erase " + count_of(count) + " in CARD and TACHO on " + where +
                                             "? [y/N] "));
}

// ---------------------------------------------------------------- presentation

nlohmann::ordered_json events_json(const std::vector<const EraseEvent*>& events, wchar_t separator, bool reasons) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const EraseEvent* event : events) {
        const std::string path = json_path(event->path, separator);
        list.push_back(reasons ? nlohmann::ordered_json{{"path", path}, {"reason", event->reason}}
                               : nlohmann::ordered_json(path));
    }
    return list;
}

// "\n  path (reason)" for each of the first events, then how many more there are.
std::string listed_events(const std::vector<const EraseEvent*>& events, wchar_t separator, const char* open,
                          const char* close) {
    std::vector<std::wstring> paths(events.size());
    std::transform(events.begin(), events.end(), paths.begin(), [open, close](const EraseEvent* event) {
        return event->path + wide_from_utf8(event->reason.empty() ? "" : open + event->reason + close);
    });
    return listed_paths(paths, separator);
}

nlohmann::ordered_json report_fields(const Invocation& call, const EraseReport& report, bool dry_run,
                                     const ArchivePlace* archive) {
    const wchar_t separator = call.services.separator;
    nlohmann::ordered_json json;
    json["dry_run"] = dry_run;
    json["deleted"] = events_json(events_of(report, EraseEvent::Kind::deleted), separator, false);
    json["skipped"] = events_json(events_of(report, EraseEvent::Kind::skipped), separator, true);
    json["not_deleted"] = events_json(events_of(report, EraseEvent::Kind::not_deleted), separator, true);
    json["interrupted"] = report.interrupted;
    if (archive != nullptr) {
        json["archive"] = json_path(archive->path, separator);
        std::vector<nlohmann::ordered_json> archived(report.kept.size());
        std::transform(report.kept.begin(), report.kept.end(), archived.begin(), [separator](const KeptDownload& kept) {
            return nlohmann::ordered_json{{"path", json_path(kept.path, separator)},
                                          {"to", json_path(kept.archived, separator)},
                                          {"already_there", kept.already_archived}};
        });
        json["archived"] = archived;
    }
    return json;
}

void print_json(Invocation& call, const EraseReport& report, const std::wstring& root, bool dry_run,
                const ArchivePlace* archive) {
    nlohmann::ordered_json json = json_document();
    json["key"] = json_path(root, call.services.separator);
    const nlohmann::ordered_json fields = report_fields(call, report, dry_run, archive);
    for (const auto& field : fields.items()) {
        json[field.key()] = field.value();
    }
    call.out << json_text(json);
}

// A dry run: one line a download, "delete PATH" (with " -> COPY" where the archive
// would take it) or "skip PATH (reason)", in the order met.
void print_listing(Invocation& call, const EraseReport& report) {
    const wchar_t separator = call.services.separator;
    std::unordered_map<std::wstring, const KeptDownload*> kept_by_path;
    for (const KeptDownload& kept : report.kept) {
        kept_by_path[kept.path] = &kept;
    }
    for (const EraseEvent& event : report.events) {
        const std::string path = shown_path(event.path, separator);
        if (event.kind == EraseEvent::Kind::deleted) {
            const auto found = kept_by_path.find(event.path);
            const KeptDownload* kept = found == kept_by_path.end() ? nullptr : found->second;
            call.out << "delete " << path;
            if (kept != nullptr && !kept->archived.empty()) {
                call.out << (kept->already_archived ? " (already archived as " : " -> ")
                         << shown_path(kept->archived, separator) << (kept->already_archived ? ")" : "");
            }
            call.out << '\n';
        } else if (event.kind == EraseEvent::Kind::skipped) {
            call.out << "skip " << path << " (" << event.reason << ")\n";
        }
    }
}

void print_summary(Invocation& call, const EraseReport& report, const std::string& shown_root,
                   const ArchivePlace* archive) {
    const std::vector<const EraseEvent*> skipped = events_of(report, EraseEvent::Kind::skipped);
    const std::size_t deleted = report.result.deleted;
    call.out << "deleted " << count_of(deleted) << " from " << shown_root;
    if (archive != nullptr && deleted > 0) {
        const auto already = static_cast<std::size_t>(std::count_if(
            report.kept.begin(), report.kept.end(), [](const KeptDownload& kept) { return kept.already_archived; }));
        call.out << ", each archived first in " << shown_path(archive->path, call.services.separator)
                 << (already == 0 ? std::string() : " (" + std::to_string(already) + " there already)");
    }
    call.out << '\n';
    if (!skipped.empty()) {
        call.out << "skipped " << skipped.size() << ", left alone as no plain files of the key:"
                 << listed_events(skipped, call.services.separator, " (", ")") << '\n';
    }
}

// What the run did, as text or JSON, and what it failed to do, as errors.
Exit reported(Invocation& call, const EraseReport& report, const std::wstring& root, bool dry_run,
              const ArchivePlace* archive) {
    const std::string shown_root = shown_path(root, call.services.separator);
    const std::size_t deleted = report.result.deleted;
    const bool gone = report.result.outcome == EraseOutcome::key_changed;
    if (call.options.has("--json")) {
        print_json(call, report, root, dry_run, archive);
    } else if (dry_run) {
        print_listing(call, report);
    } else if (!gone && !(report.interrupted && deleted == 0)) {
        print_summary(call, report, shown_root, archive);
    }
    const std::vector<const EraseEvent*> failed = events_of(report, EraseEvent::Kind::not_deleted);
    if (!failed.empty()) {
        call.errors.fail(Exit::io_failure, shown_root + ": " + std::to_string(failed.size()) +
                                               (dry_run ? " cannot be read:" : " could not be deleted:") +
                                               listed_events(failed, call.services.separator, ": ", ""));
    }
    if (gone) {
        return call.errors.fail(Exit::no_key, shown_root + ": the key went away after deleting " + count_of(deleted));
    }
    if (report.interrupted) {
        return call.errors.fail(Exit::interrupted,
                                dry_run        ? std::string("interrupted; the list is not whole")
                                : deleted == 0 ? std::string("interrupted; nothing erased")
                                               : "interrupted after deleting " + count_of(deleted) +
                                                     "; the others stay");
    }
    return failed.empty() ? Exit::done : Exit::io_failure;
}

}  // namespace
}  // namespace lanternbook::cli
