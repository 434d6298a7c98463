// lanternbook erase: deletes the downloads in the key's CARD and TACHO
// folders, as the dialog's Erase does.
#include "cli/commands.h"
#include "cli/json_document.h"
#include "cli/key_choice.h"
#include "cli/shown_paths.h"
#include "maintenance/erase_downloads.h"
#include "text/utf8_text.h"

namespace lanternbook::cli {
namespace {

Exit run_erase(Invocation& call);
bool confirmed(Invocation& call, std::size_t count, const std::string& shown_root);
void print_listing(Invocation& call, const std::string& shown_root, const std::vector<std::wstring>& downloads);
Exit erase_reported(Invocation& call, const EraseResult& result, const std::string& shown_root);
std::string count_of(std::size_t count);

}  // namespace

CommandEntry erase_command() {
    return {"erase",
            "[-k DIR] [--force] [-y | -n] [--json | -q]",
            "Deletes the downloads in the key's CARD and TACHO folders, as the dialog's Erase does.",
            "Only files with a download extension (.ddd, .dtg, .dtc, .esm) go, and no link is followed. On a "
            "terminal it asks first, telling how many files would go; otherwise it needs --yes. Only a key is "
            "erased: the root of a volume whose label holds VOLKARIS, or a folder holding a CONFIG file; "
            "--force takes any folder.",
            {kKeyOption,
             kForceOption,
             {"-y,--yes", nullptr, "do not ask; needed when there is no terminal to ask on"},
             {"-n,--dry-run", nullptr, "delete nothing; list what would go, one path a line"},
             {"--json", nullptr, "the list, or what was deleted, as a JSON object"},
             kQuietOption},
            {{"lanternbook erase --dry-run", "the downloads an erase would delete"},
             {"lanternbook erase --yes --key /media/me/VOLKARIS", "deletes them without asking"}},
            run_erase};
}

namespace {

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
    std::vector<std::wstring> downloads;
    const EraseResult listing = list_downloads(key, device, services.clock, downloads);
    if (listing.outcome == EraseOutcome::key_changed) {
        return call.errors.fail(Exit::no_key, shown_root + ": the key is gone");
    }
    if (listing.outcome != EraseOutcome::erased) {
        const std::vector<std::wstring> unread = paths_not_deleted(listing);
        return call.errors.fail(Exit::io_failure,
                                shown_path(unread.empty() ? *root : unread.front(), services.separator) +
                                    ": cannot be read" + reason_of(services.files));
    }
    if (call.options.has("--dry-run")) {
        print_listing(call, shown_root, downloads);
        return Exit::done;
    }
    if (!call.options.has("--yes")) {
        // Nothing to delete needs no one's yes, and nothing is touched.
        if (downloads.empty()) {
            return erase_reported(call, EraseResult{EraseOutcome::erased, 0, 0, {}}, shown_root);
        }
        if (!services.terminal.can_ask()) {
            return call.errors.fail(Exit::refused,
                                    std::string("nothing erased; without a terminal to ask on, add --yes"));
        }
        if (!confirmed(call, downloads.size(), shown_root)) {
            return call.errors.fail(Exit::refused, std::string("nothing erased"));
        }
    }
    return erase_reported(call, erase_downloads_on(key, device, services.clock), shown_root);
}

bool confirmed(Invocation& call, std::size_t count, const std::string& shown_root) {
    return is_yes(call.services.terminal.ask("Erase " + count_of(count) + " in CARD and TACHO on " + shown_root +
                                             "? [y/N] "));
}

// ---------------------------------------------------------------- presentation

void print_listing(Invocation& call, const std::string& shown_root, const std::vector<std::wstring>& downloads) {
    if (call.options.has("--json")) {
        nlohmann::ordered_json json = json_document();
        json["key"] = shown_root;
        json["downloads"] = paths_json(downloads, call.services.separator);
        call.out << json_text(json);
        return;
    }
    for (const std::wstring& path : downloads) {
        call.out << shown_path(path, call.services.separator) << '\n';
    }
}

// What an erase did, as text or JSON, and what it failed to do, as errors.
Exit erase_reported(Invocation& call, const EraseResult& result, const std::string& shown_root) {
    Services& services = call.services;
    const std::string reason = utf8_from_wide(services.files.failure_reason());
    const std::vector<std::wstring> not_deleted = paths_not_deleted(result);
    const bool json = call.options.has("--json");
    if (json && result.outcome != EraseOutcome::key_changed) {
        nlohmann::ordered_json document = json_document();
        document["key"] = shown_root;
        document["deleted"] = result.deleted;
        document["not_deleted"] = paths_json(not_deleted, services.separator);
        call.out << json_text(document);
    }
    switch (result.outcome) {
        case EraseOutcome::erased:
        case EraseOutcome::skipped_some:
            if (!json) {
                call.out << "deleted " << count_of(result.deleted) << " from " << shown_root << '\n';
            }
            return Exit::done;
        case EraseOutcome::incomplete: {
            const std::string why = reason.empty() ? std::string() : " (" + reason + ")";
            if (not_deleted.empty()) {
                return call.errors.fail(Exit::io_failure, shown_root + ": deleted " + count_of(result.deleted) +
                                                              ", but some could not be deleted" + why);
            }
            return call.errors.fail(Exit::io_failure, shown_root + ": deleted " + count_of(result.deleted) + "; " +
                                                          std::to_string(not_deleted.size()) +
                                                          " could not be deleted" + why + ":" +
                                                          listed_paths(not_deleted, services.separator));
        }
        case EraseOutcome::no_key:
        case EraseOutcome::key_changed:
        case EraseOutcome::stopped:
        case EraseOutcome::declined: break;
    }
    return call.errors.fail(Exit::no_key,
                            shown_root + ": the key went away after deleting " + count_of(result.deleted));
}

std::string count_of(std::size_t count) { return std::to_string(count) + (count == 1 ? " download" : " downloads"); }

}  // namespace
}  // namespace lanternbook::cli
