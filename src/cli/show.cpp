// lanternbook show: a key's configuration as the dialog shows it.
#include "cli/commands.h"
#include "cli/configuration_report.h"
#include "cli/key_choice.h"
#include "cli/shown_paths.h"
#include "text/utf8_text.h"

namespace lanternbook::cli {
namespace {

Exit run_show(Invocation& call);
Exit show_all(Invocation& call);
std::optional<ConfigurationReport> read_report(Invocation& call, const std::wstring& root, Exit& exit);

}  // namespace

CommandEntry show_command() {
    return {"show",
            "[-k DIR [--force] | --all] [--json | -q]",

            "Shows a key's configuration as the dialog shows it.",
            "Where CONFIG stores a value the dialog would show otherwise (a day count outside 7-180, a period code "
            "of no period) it is shown beside what the dialog makes of it; what a short CONFIG does not hold is "
            "marked \"not stored\". VDO special data is shown as stored, though the dialog hides it. Only a key "
            "is read: the root of a volume whose label holds VOLKARIS, or a folder holding a CONFIG file; --force "
            "takes any folder.",
            {kKeyOption,
             {"--force", nullptr, "read a --key folder that looks like no key (no VOLKARIS label and no CONFIG)"},
             {"--all", nullptr, "every key attached, one after the other"},
             {"--json", nullptr,
              "a JSON object; with --all, one object listing one per key (with no key, an empty list and exit 0)"},
             kQuietOption},
            {{"lanternbook show", "the configuration of the one key attached"},
             {"lanternbook show --key /media/me/VOLKARIS --json", "a named key's, for scripts"}},
            run_show};
}

namespace {

Exit run_show(Invocation& call) {
    if (call.options.has("--all")) {
        return show_all(call);
    }
    Exit exit = Exit::done;
    const std::optional<std::wstring> root = chosen_root(call, exit);
    if (!root) {
        return exit;
    }
    const std::optional<ConfigurationReport> report = read_report(call, *root, exit);
    if (!report) {
        return exit;
    }
    call.out << (call.options.has("--json") ? report_json(*report) : report_text(*report));
    return Exit::done;
}

Exit show_all(Invocation& call) {
    if (call.options.has("--key") || call.options.has("--force")) {
        return call.errors.fail(Exit::refused, std::string(call.options.has("--key") ? "--key" : "--force") +
                                                   " names a folder; --all takes the keys attached");
    }
    AttachedKeys& finder = call.services.finder;
    const KeySearch search = finder.find_keys();
    if (const std::optional<std::wstring> failure = search_failure(search, finder)) {
        return call.errors.fail(Exit::io_failure, *failure);
    }
    const bool json = call.options.has("--json");
    // An empty list is an answer: a script reading JSON gets it with success.
    Exit exit = search.roots.empty() && !json ? Exit::no_key : Exit::done;
    std::vector<ConfigurationReport> reports;
    for (const std::wstring& root : search.roots) {
        if (std::optional<ConfigurationReport> report = read_report(call, root, exit)) {
            reports.push_back(*report);
        }
    }
    if (json) {
        call.out << reports_json(reports);
    } else {
        for (std::size_t i = 0; i < reports.size(); ++i) {
            call.out << (i == 0 ? "" : "\n") << report_text(reports[i]);
        }
    }
    if (exit == Exit::no_key && search.roots.empty()) {
        call.errors.fail(Exit::no_key, no_key_attached(finder));
    }
    return exit;
}

// The configuration of the key at `root`; when there is none, `exit` says why.
std::optional<ConfigurationReport> read_report(Invocation& call, const std::wstring& root, Exit& exit) {
    Services& services = call.services;
    NamedKeyVolumes volumes(services.volumes, services.files, root);
    DeviceDrive device(volumes, services.files);
    const KeyIdentity key = device.key_at(root);
    if (!key.found()) {
        exit = call.errors.fail(Exit::no_key, shown_path(root, services.separator) + ": the key is gone");
        return std::nullopt;
    }
    const ConfigRead read = device.read_config(key);
    if (read == ConfigRead::unreadable) {
        exit = call.errors.fail(Exit::io_failure, shown_path(config_path_on(root), services.separator) +
                                                      ": cannot be read" + reason_of(services.files));
        return std::nullopt;
    }
    return report_for(device, read, services.clock.utc_now());
}

}  // namespace
}  // namespace lanternbook::cli
