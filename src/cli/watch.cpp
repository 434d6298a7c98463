// lanternbook watch: waits for keys to be attached and applies a profile
// once to each new one, erasing (and archiving) its downloads if asked.
#include <algorithm>
#include <map>

#include "cli/change_journal.h"
#include "cli/commands.h"
#include "cli/json_document.h"
#include "cli/key_choice.h"
#include "cli/key_erase.h"
#include "cli/profile.h"
#include "cli/set.h"
#include "cli/shown_paths.h"
#include "device/config_codec.h"
#include "text/utf8_text.h"

namespace lanternbook::cli {
namespace {

// How long a wait lasts before the keys are searched again anyway: a label
// link may come a moment after its mount.
constexpr unsigned kRescanMs = 1000;
// Without a way to be told of changes, the wait is cut in slices, so Ctrl-C ends it soon.
constexpr unsigned kSliceMs = 100;

// A key as watch knows it: its volume and its own CONFIG bytes 25-31.
struct KnownKey {
    uint32_t volume_serial = 0;
    std::vector<uint8_t> identity;

    bool operator==(const KnownKey& other) const {
        return volume_serial == other.volume_serial && identity == other.identity;
    }
};

class Watch {
public:
    Watch(Invocation& call, SetRequest profile, const ArchivePlace* archive, ChangeJournal& journal)
        : call_(call), profile_(profile), archive_(archive), journal_(journal) {}

    // Until Ctrl-C or SIGTERM.
    void run();

private:
    void look();
    void handle(const std::wstring& root);
    std::optional<KnownKey> known_key(const std::wstring& root);
    void apply(const std::wstring& root, nlohmann::ordered_json& result, std::string& line, std::string& error,
               Exit& exit);
    void erase(const std::wstring& root, nlohmann::ordered_json& result, std::string& line, std::string& error,
               Exit& exit);
    void tell(const std::wstring& root, const nlohmann::ordered_json& result, const std::string& line,
              const std::string& error, Exit exit);
    void wait();

    Invocation& call_;
    const SetRequest profile_;
    const ArchivePlace* archive_;
    ChangeJournal& journal_;
    // The roots attached at the last look: each was handled once.
    std::vector<std::wstring> attached_;
    // The keys applied to: never again in this run, wherever attached.
    std::vector<KnownKey> applied_;
    std::wstring last_failure_;
};

Exit run_watch(Invocation& call);

}  // namespace

CommandEntry watch_command() {
    return {"watch",
            "--apply PROFILE [--erase [--archive DIR]] [--no-journal] [--json | -q]",
            "Waits for keys and applies a profile once to each key attached.",
            "Each key attached while it runs (and each attached when it starts) gets the profile's choices, as "
            "set --from PROFILE would save them, and with --erase its downloads are erased without asking, with "
            "--archive DIR only after a verified copy of each (see erase). A key is known by its volume serial "
            "number and its own serial number in CONFIG: one applied to once is left alone when attached again "
            "in the same run. A key that fails is told and not tried again until it is attached again. Each key "
            "gets one line led by its path (with --json one JSON object a line) as soon as it is done, and every "
            "change goes into the journal. Linux is told of mounts by /proc/self/mountinfo; Windows looks at the "
            "drive letters every 500 ms. Ctrl-C or SIGTERM ends it, after the key at hand, with exit code 0.",
            {{"--apply", "PROFILE", "the profile to apply, a file as check-profile takes it"},
             {"--erase", nullptr, "erase each key's downloads after applying the profile, without asking"},
             {"--archive", "DIR", "with --erase, copy each download into this folder first, as erase --archive does"},
             kNoJournalOption,
             {"--json", nullptr, "one JSON object a line per key, as it is done"},
             kQuietOption},
            {{"lanternbook watch --apply depot.json", "every key plugged in gets depot.json's choices"},
             {"lanternbook watch --apply depot.json --erase --archive /srv/tacho",
              "and is emptied into the archive"}},
            run_watch};
}

namespace {

Exit run_watch(Invocation& call) {
    if (!call.options.has("--apply")) {
        return call.errors.fail(Exit::refused, std::string("--apply PROFILE is needed: what to apply to each key"));
    }
    if (call.options.has("--archive") && !call.options.has("--erase")) {
        return call.errors.fail(Exit::refused, std::string("--archive goes with --erase"));
    }
    Exit exit = Exit::done;
    std::optional<SetRequest> profile = read_profile(call, call.options.value("--apply"), exit);
    if (!profile) {
        return exit;
    }
    std::optional<ArchivePlace> archive;
    if (call.options.has("--archive") && !(archive = archive_place(call, exit))) {
        return exit;
    }
    std::optional<ChangeJournal> journal = ChangeJournal::opened(call, "watch", true, exit);
    if (!journal) {
        return exit;
    }
    const HeldInterrupts held(call.services.terminal);
    Watch(call, *profile, archive ? &*archive : nullptr, *journal).run();
    return Exit::done;
}

void Watch::run() {
    Terminal& terminal = call_.services.terminal;
    while (!terminal.interrupted()) {
        look();
        if (!terminal.interrupted()) {
            wait();
        }
    }
}

void Watch::look() {
    AttachedKeys& finder = call_.services.finder;
    const KeySearch search = finder.find_keys();
    if (const std::optional<std::wstring> failure = search_failure(search, finder)) {
        // Told once, not at every look; the watch goes on.
        if (*failure != last_failure_) {
            call_.errors.fail(Exit::io_failure, *failure);
            last_failure_ = *failure;
        }
        return;
    }
    last_failure_.clear();
    // A key taken away is handled again when it comes back.
    attached_.erase(std::remove_if(attached_.begin(), attached_.end(),
                                   [&search](const std::wstring& root) {
                                       return std::find(search.roots.begin(), search.roots.end(), root) ==
                                              search.roots.end();
                                   }),
                    attached_.end());
    for (const std::wstring& root : search.roots) {
        if (call_.services.terminal.interrupted()) {
            return;
        }
        if (std::find(attached_.begin(), attached_.end(), root) == attached_.end()) {
            attached_.push_back(root);
            handle(root);
        }
    }
}

std::optional<KnownKey> Watch::known_key(const std::wstring& root) {
    Services& services = call_.services;
    NamedKeyVolumes volumes(services.volumes, services.files, root);
    DeviceDrive device(volumes, services.files);
    const KeyIdentity key = device.key_at(root);
    std::vector<uint8_t> config;
    if (!key.found() || device.read_config_bytes(key, config) == ConfigRead::unreadable) {
        return std::nullopt;
    }
    return KnownKey{key.volume_serial, key_identity_of(config)};
}

void Watch::handle(const std::wstring& root) {
    nlohmann::ordered_json result;
    std::string line;
    std::string error;
    Exit exit = Exit::done;
    const std::optional<KnownKey> before = known_key(root);
    if (before && std::find(applied_.begin(), applied_.end(), *before) != applied_.end()) {
        result["seen_before"] = true;
        tell(root, result, "seen before in this run; left alone", error, exit);
        return;
    }
    apply(root, result, line, error, exit);
    if (exit == Exit::done && call_.options.has("--erase")) {
        erase(root, result, line, error, exit);
    }
    if (exit == Exit::done) {
        if (before) {
            applied_.push_back(*before);
        }
        // Its CONFIG as it is now names it too, when the profile gave it one.
        if (const std::optional<KnownKey> after = known_key(root)) {
            applied_.push_back(*after);
        }
    }
    tell(root, result, line, error, exit);
}

void Watch::apply(const std::wstring& root, nlohmann::ordered_json& result, std::string& line, std::string& error,
                  Exit& exit) {
    const SetResult set = set_configuration(root, profile_, false, call_.services);
    if (set.exit != Exit::done) {
        exit = set.exit;
        error = set.error;
        return;
    }
    result["config"] = set.unchanged ? "unchanged" : "saved";
    line = set.unchanged ? "CONFIG unchanged" : "CONFIG saved";
    if (set.unchanged) {
        return;
    }
    JournalEntry entry = journal_.entry_for(set.key, set.before);
    entry.config_after = std::vector<uint8_t>(set.image.begin(), set.image.end());
    if (!journal_.record(std::move(entry), error)) {
        exit = Exit::io_failure;
        error += "; " + shown_path(root, call_.services.separator) + ": CONFIG was saved";
    }
}

void Watch::erase(const std::wstring& root, nlohmann::ordered_json& result, std::string& line, std::string& error,
                  Exit& exit) {
    const std::string shown = shown_path(root, call_.services.separator);
    KeyErase erasing(call_, root);
    if (!erasing.found()) {
        exit = Exit::no_key;
        error = shown + ": the key is gone";
        return;
    }
    if (archive_ != nullptr && archive_on_key(archive_->path, root)) {
        exit = Exit::refused;
        error = shown + ": holds the archive folder; nothing erased";
        return;
    }
    const EraseReport report = erasing.run(EraseMode::erase, true, archive_);
    const std::size_t deleted = report.result.deleted;
    const std::vector<const EraseEvent*> failed = events_of(report, EraseEvent::Kind::not_deleted);
    result["deleted"] = deleted;
    result["archived"] = archive_ != nullptr ? nlohmann::ordered_json(report.kept.size()) : nlohmann::ordered_json();
    nlohmann::ordered_json not_deleted = nlohmann::ordered_json::array();
    for (const EraseEvent* event : failed) {
        not_deleted.push_back(
            {{"path", json_path(event->path, call_.services.separator)}, {"reason", event->reason}});
    }
    result["not_deleted"] = not_deleted;
    line += ", deleted " + count_of(deleted) +
            (archive_ != nullptr ? " (archived in " + shown_path(archive_->path, call_.services.separator) + ")" : "");
    if (report.result.outcome == EraseOutcome::key_changed) {
        exit = Exit::no_key;
        error = shown + ": the key went away after deleting " + count_of(deleted);
    } else if (report.interrupted) {
        exit = Exit::interrupted;
        error = shown + ": interrupted after deleting " + count_of(deleted) + "; the others stay";
    } else if (!failed.empty()) {
        exit = Exit::io_failure;
        error = shown + ": " + line + "; " + std::to_string(failed.size()) + " not deleted: " +
                shown_path(failed.front()->path, call_.services.separator) + ": " + failed.front()->reason +
                (failed.size() > 1 ? " and " + std::to_string(failed.size() - 1) + " more" : "");
    }
    std::string not_recorded;
    if (!erasing.journaled(journal_, report, not_recorded)) {
        exit = Exit::io_failure;
        error = not_recorded + "; " + shown + ": " + count_of(deleted) + " deleted";
    }
}

void Watch::tell(const std::wstring& root, const nlohmann::ordered_json& result, const std::string& line,
                 const std::string& error, Exit exit) {
    const std::string shown = shown_path(root, call_.services.separator);
    if (call_.options.has("--json")) {
        nlohmann::ordered_json json = json_document();
        json["key"] = json_path(root, call_.services.separator);
        json["ok"] = exit == Exit::done;
        if (exit != Exit::done) {
            json["exit"] = code_of(exit);
            json["error"] = error;
        }
        for (const auto& field : result.items()) {
            json[field.key()] = field.value();
        }
        call_.out << json.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
    } else if (exit == Exit::done) {
        call_.out << shown << ": " << line << '\n';
    } else {
        call_.errors.fail(exit, error);
    }
    // Whoever reads the lines reads each as soon as its key is done.
    call_.out.flush();
}

void Watch::wait() {
    Services& services = call_.services;
    if (services.mount_changes != nullptr && services.mount_changes->wait(kRescanMs) != MountChanges::Wait::failed) {
        return;
    }
    for (unsigned waited = 0; waited < kRescanMs && !services.terminal.interrupted(); waited += kSliceMs) {
        services.clock.sleep_ms(kSliceMs);
    }
}

}  // namespace
}  // namespace lanternbook::cli
