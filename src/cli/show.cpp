// lanternbook show: a key's configuration as the dialog shows it.
#include "cli/commands.h"
#include "cli/configuration_report.h"
#include "cli/key_choice.h"
#include "cli/key_results.h"
#include "cli/shown_paths.h"
#include "text/utf8_text.h"

namespace lanternbook::cli {
namespace {

Exit run_show(Invocation& call);
Exit show_several(Invocation& call);
std::optional<ConfigurationReport> read_report(Invocation& call, const std::wstring& root, Exit& exit,
                                               std::string& error);

}  // namespace

CommandEntry show_command() {
    return {"show",
            "[-k DIR... [--force] | --all] [--fail-fast] [--json | -q]",

            "Shows a key's configuration as the dialog shows it.",
            "Where CONFIG stores a value the dialog would show otherwise (a day count outside 7-180, a period code "
            "of no period) it is shown beside what the dialog makes of it; what a short CONFIG does not hold is "
            "marked \"not stored\". VDO special data is shown as stored, though the dialog hides it. Only a key "
            "is read: the root of a volume whose label holds VOLKARIS, or a folder holding a CONFIG file; --force "
            "takes any folder. With several keys (--key again, or --all) each is shown on one line led by its "
            "path, a key that fails does not stop the others, and the exit code is the worst of the keys'.",
            {kKeysOption,
             {"--force", nullptr, "read a --key folder that looks like no key (no VOLKARIS label and no CONFIG)"},
             kAllOption,
             kFailFastOption,
             {"--json", nullptr,
              "a JSON object; with several keys, " R"({"format": 1, "results": [...]})" ", one result per key (with "
              "no key attached, an empty list and exit 0)"},
             kQuietOption},
            {{"lanternbook show", "the configuration of the one key attached"},
             {"lanternbook show --key /media/me/VOLKARIS --json", "a named key's, for scripts"},
             {"lanternbook show --all", "every attached key's, one line each"}},
            run_show};
}

namespace {

Exit run_show(Invocation& call) {
    if (several_keys(call.options)) {
        return show_several(call);
    }
    Exit exit = Exit::done;
    const std::optional<std::wstring> root = chosen_root(call, exit);
    if (!root) {
        return exit;
    }
    std::string error;
    const std::optional<ConfigurationReport> report = read_report(call, *root, exit, error);
    if (!report) {
        return call.errors.fail(exit, error);
    }
    call.out << (call.options.has("--json") ? report_json(*report) : report_text(*report));
    return Exit::done;
}

Exit show_several(Invocation& call) {
    Exit exit = Exit::done;
    const std::optional<std::vector<KeyTarget>> targets = chosen_keys(call, exit);
    if (!targets) {
        return exit;
    }
    KeyResults results(call);
    for (const KeyTarget& target : *targets) {
        if (!target.usable()) {
            if (!results.add_unusable(target)) {
                break;
            }
            continue;
        }
        KeyOutcome outcome;
        outcome.key = target.root;
        if (const std::optional<ConfigurationReport> report = read_report(call, target.root, outcome.exit,
                                                                          outcome.error)) {
            outcome.line = report_line(*report);
            outcome.fields = report_fields(*report);
        }
        if (!results.add(std::move(outcome))) {
            break;
        }
    }
    return results.finish(targets->size());
}

// The configuration of the key at `root`; when there is none, `exit` and `error` say why.
std::optional<ConfigurationReport> read_report(Invocation& call, const std::wstring& root, Exit& exit,
                                               std::string& error) {
    Services& services = call.services;
    NamedKeyVolumes volumes(services.volumes, services.files, root);
    DeviceDrive device(volumes, services.files);
    const KeyIdentity key = device.key_at(root);
    if (!key.found()) {
        exit = Exit::no_key;
        error = shown_path(root, services.separator) + ": the key is gone";
        return std::nullopt;
    }
    const ConfigRead read = device.read_config(key);
    if (read == ConfigRead::unreadable) {
        exit = Exit::io_failure;
        error = shown_path(config_path_on(root), services.separator) + ": cannot be read" + reason_of(services.files);
        return std::nullopt;
    }
    return report_for(device, read, services.clock.utc_now());
}

}  // namespace
}  // namespace lanternbook::cli
