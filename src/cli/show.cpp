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
            "[-k DIR | --all] [--json | -q]",
            "Shows a key's configuration as the dialog shows it.",
            "--key reads any folder, a key or not. VDO special data is shown as stored, though the dialog hides "
            "it.",
            {kKeyOption,
             {"--all", nullptr, "every key attached, one after the other"},
             {"--json", nullptr, "a JSON object; with --all, one object listing one per key"},
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
    const std::optional<std::wstring> root = chosen_root(call, KeyUse::read, exit);
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
    if (call.options.has("--key")) {
        return call.errors.fail(Exit::refused, std::string("--all and --key name the keys two ways; give one"));
    }
    AttachedKeys& finder = call.services.finder;
    const KeySearch search = finder.find_keys();
    if (!search.failure.empty()) {
        return call.errors.fail(Exit::io_failure, L"cannot search for keys: " + search.failure + L" cannot be read");
    }
    Exit exit = search.roots.empty() ? Exit::no_key : Exit::done;
    std::vector<ConfigurationReport> reports;
    for (const std::wstring& root : search.roots) {
        if (std::optional<ConfigurationReport> report = read_report(call, root, exit)) {
            reports.push_back(*report);
        }
    }
    if (call.options.has("--json")) {
        call.out << reports_json(reports);
    } else {
        for (std::size_t i = 0; i < reports.size(); ++i) {
            call.out << (i == 0 ? "" : "\n") << report_text(reports[i]);
        }
    }
    if (search.roots.empty()) {
        call.errors.fail(Exit::no_key, L"no key attached (searched " + finder.searched() + L")");
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
