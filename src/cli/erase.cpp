// lanternbook erase: deletes the downloads in the key's CARD and TACHO
// folders, as the dialog's Erase does. Its dry run is the same run with
// nothing deleted, so the two tell the same downloads and the same skips.
#include <algorithm>

#include "cli/commands.h"
#include "cli/json_document.h"
#include "cli/key_choice.h"
#include "cli/shown_paths.h"
#include "maintenance/erase_downloads.h"
#include "text/utf8_text.h"

namespace lanternbook::cli {
namespace {

// What became of each download, in the order the run met them.
struct EraseEvent {
    enum class Kind { deleted, skipped, not_deleted } kind;
    std::wstring path;
    // A skip's reason in our words, a failure's in the system's.
    std::string reason;
};

struct EraseReport {
    EraseResult result;
    std::vector<EraseEvent> events;
    bool interrupted = false;
};

Exit run_erase(Invocation& call);
EraseReport run_on(Invocation& call, const KeyIdentity& key, DeviceDrive& device, EraseMode mode);
bool confirmed(Invocation& call, std::size_t count, const std::string& shown_root);
Exit reported(Invocation& call, const EraseReport& report, const std::wstring& root, bool dry_run);
std::vector<const EraseEvent*> events_of(const EraseReport& report, EraseEvent::Kind kind);
std::string count_of(std::size_t count);

}  // namespace

CommandEntry erase_command() {
    return {"erase",
            "[-k DIR] [--force] [-y | -n] [--json | -q]",
            "Deletes the downloads in the key's CARD and TACHO folders, as the dialog's Erase does.",
            "Only plain files with a download extension (.ddd, .dtg, .dtc, .esm) go. A link, a pipe or a device "
            "under a download's name, and a CARD or TACHO that is a link, are skipped and named with the reason; a "
            "skip is no failure. On a terminal it asks first, telling how many files would go; otherwise it needs "
            "--yes. Ctrl-C stops it between two files, and it tells what it deleted. Only a key is erased: the "
            "root of a volume whose label holds VOLKARIS, or a folder holding a CONFIG file; --force takes any "
            "folder.",
            {kKeyOption,
             kForceOption,
             {"-y,--yes", nullptr, "do not ask; needed when there is no terminal to ask on"},
             {"-n,--dry-run", nullptr,
              "delete nothing; list what an erase would delete and skip, one path a line"},
             {"--json", nullptr, "every path deleted, skipped and not deleted, as a JSON object"},
             kQuietOption},
            {{"lanternbook erase --dry-run", "the downloads an erase would delete, and what it would skip"},
             {"lanternbook erase --yes --key /media/me/VOLKARIS", "deletes them without asking"}},
            run_erase};
}

namespace {

// ---------------------------------------------------------------- options and action

Exit run_erase(Invocation& call) {
    Services& services = call.services;
    Exit exit = Exit::done;
    const std::optional<std::wstring> root = chosen_root(call, exit);
    if (!root) {
        return exit;
    }
    const std::string shown_root = shown_path(*root, services.separator);
    NamedKeyVolumes volumes(services.volumes, services.files, *root);
    DeviceDrive device(volumes, services.files);
    const KeyIdentity key = device.key_at(*root);
    if (!key.found()) {
        return call.errors.fail(Exit::no_key, shown_root + ": the key is gone");
    }
    // From the first listing on, Ctrl-C only stops the run between two files.
    const HeldInterrupts held(services.terminal);
    const bool dry_run = call.options.has("--dry-run");
    // Without a question to ask, nothing needs counting first.
    if (!dry_run && call.options.has("--yes")) {
        return reported(call, run_on(call, key, device, EraseMode::erase), *root, false);
    }
    const EraseReport listing = run_on(call, key, device, EraseMode::dry_run);
    if (listing.result.outcome == EraseOutcome::key_changed) {
        return call.errors.fail(Exit::no_key, shown_root + ": the key is gone");
    }
    if (dry_run) {
        return reported(call, listing, *root, true);
    }
    const EraseReport nothing_done{EraseResult{}, {}, true};
    if (listing.interrupted) {
        return reported(call, nothing_done, *root, false);
    }
    const std::size_t count = events_of(listing, EraseEvent::Kind::deleted).size();
    // Nothing to delete needs no one's yes: what would be skipped is told all the same.
    if (count == 0) {
        return reported(call, listing, *root, false);
    }
    if (!call.options.has("--yes")) {
        if (!services.terminal.can_ask()) {
            return call.errors.fail(Exit::refused,
                                    std::string("nothing erased; without a terminal to ask on, add --yes"));
        }
        if (!confirmed(call, count, shown_root)) {
            return services.terminal.interrupted() ? reported(call, nothing_done, *root, false)
                                                   : call.errors.fail(Exit::refused, std::string("nothing erased"));
        }
    }
    return reported(call, run_on(call, key, device, EraseMode::erase), *root, false);
}

// Notes each download as the run meets it, and asks it to stop once Ctrl-C was pressed.
class Recorder : public EraseObserver {
public:
    explicit Recorder(Terminal& terminal, std::vector<EraseEvent>& events) : terminal_(terminal), events_(events) {}

    void deleted(const std::wstring& path) override { events_.push_back({EraseEvent::Kind::deleted, path, {}}); }
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
};

EraseReport run_on(Invocation& call, const KeyIdentity& key, DeviceDrive& device, EraseMode mode) {
    EraseReport report;
    Recorder recorder(call.services.terminal, report.events);
    report.result = erase_downloads_on(key, device, call.services.clock, &recorder, mode);
    report.interrupted = report.result.outcome == EraseOutcome::stopped;
    return report;
}

bool confirmed(Invocation& call, std::size_t count, const std::string& shown_root) {
    return is_yes(call.services.terminal.ask("Erase " + count_of(count) + " in CARD and TACHO on " + shown_root +
                                             "? [y/N] "));
}

// ---------------------------------------------------------------- presentation

std::vector<const EraseEvent*> events_of(const EraseReport& report, EraseEvent::Kind kind) {
    std::vector<const EraseEvent*> chosen;
    for (const EraseEvent& event : report.events) {
        if (event.kind == kind) {
            chosen.push_back(&event);
        }
    }
    return chosen;
}

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

void print_json(Invocation& call, const EraseReport& report, const std::wstring& root, bool dry_run) {
    const wchar_t separator = call.services.separator;
    nlohmann::ordered_json json = json_document();
    json["key"] = json_path(root, separator);
    json["dry_run"] = dry_run;
    json["deleted"] = events_json(events_of(report, EraseEvent::Kind::deleted), separator, false);
    json["skipped"] = events_json(events_of(report, EraseEvent::Kind::skipped), separator, true);
    json["not_deleted"] = events_json(events_of(report, EraseEvent::Kind::not_deleted), separator, true);
    json["interrupted"] = report.interrupted;
    call.out << json_text(json);
}

// A dry run: one line a download, "delete PATH" or "skip PATH (reason)", in the order met.
void print_listing(Invocation& call, const EraseReport& report) {
    for (const EraseEvent& event : report.events) {
        const std::string path = shown_path(event.path, call.services.separator);
        if (event.kind == EraseEvent::Kind::deleted) {
            call.out << "delete " << path << '\n';
        } else if (event.kind == EraseEvent::Kind::skipped) {
            call.out << "skip " << path << " (" << event.reason << ")\n";
        }
    }
}

void print_summary(Invocation& call, const EraseReport& report, const std::string& shown_root) {
    const std::vector<const EraseEvent*> skipped = events_of(report, EraseEvent::Kind::skipped);
    call.out << "deleted " << count_of(events_of(report, EraseEvent::Kind::deleted).size()) << " from " << shown_root
             << '\n';
    if (!skipped.empty()) {
        call.out << "skipped " << skipped.size() << ", left alone as no plain files of the key:"
                 << listed_events(skipped, call.services.separator, " (", ")") << '\n';
    }
}

// What the run did, as text or JSON, and what it failed to do, as errors.
Exit reported(Invocation& call, const EraseReport& report, const std::wstring& root, bool dry_run) {
    const std::string shown_root = shown_path(root, call.services.separator);
    const std::size_t deleted = events_of(report, EraseEvent::Kind::deleted).size();
    const bool gone = report.result.outcome == EraseOutcome::key_changed;
    if (call.options.has("--json")) {
        print_json(call, report, root, dry_run);
    } else if (dry_run) {
        print_listing(call, report);
    } else if (!gone && !(report.interrupted && deleted == 0)) {
        print_summary(call, report, shown_root);
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

std::string count_of(std::size_t count) { return std::to_string(count) + (count == 1 ? " download" : " downloads"); }

}  // namespace
}  // namespace lanternbook::cli
