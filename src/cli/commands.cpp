#include "cli/commands.h"

#include <algorithm>
#include <memory>
#include <ostream>

#include <CLI/CLI.hpp>

#include "cli/configuration_report.h"
#include "dialog/opening_choices.h"
#include "maintenance/erase_downloads.h"
#include "maintenance/save_config.h"
#include "text/utf8_text.h"

namespace lanternbook::cli {
namespace {

constexpr char kProgram[] = "lanternbook";
constexpr char kOn[] = "on";
constexpr char kOff[] = "off";

struct Options {
    std::string key;
    bool json = false;
    std::string data;
    std::string period;
    std::string range_button;
    std::string vdo;
    bool dry_run = false;
    bool yes = false;
};

void print_error(std::ostream& err, const std::string& message) { err << kProgram << ": " << message << '\n'; }

CLI::Option* add_key_option(CLI::App& command, Options& options) {
    return command.add_option("--key", options.key,
                              "the key's root folder; without it, the one key attached")
        ->type_name("DIR");
}

// The key a command works on; reports and returns false when there is none to use.
bool chosen_root(const CLI::App& command, const Options& options, Services& services, std::ostream& err,
                 std::wstring& root, Exit& exit) {
    const std::wstring named = wide_from_utf8(options.key);
    const bool has_named = command.count("--key") > 0;
    const ChosenKey chosen = choose_key(has_named ? &named : nullptr, services.finder, services.files);
    if (chosen.exit != Exit::done) {
        print_error(err, utf8_from_wide(chosen.error));
        exit = chosen.exit;
        return false;
    }
    root = chosen.root;
    return true;
}

Exit run_find(Services& services, std::ostream& out, std::ostream& err) {
    const KeySearch search = services.finder.find_keys();
    if (!search.failure.empty()) {
        print_error(err, "cannot search for keys: " + utf8_from_wide(search.failure) + " cannot be read");
        return Exit::io_failure;
    }
    if (search.roots.empty()) {
        print_error(err, "no key attached");
        return Exit::no_key;
    }
    for (const std::wstring& root : search.roots) {
        out << utf8_from_wide(root) << '\n';
    }
    return Exit::done;
}

Exit run_show(const CLI::App& command, const Options& options, Services& services, std::ostream& out,
              std::ostream& err) {
    std::wstring root;
    Exit exit = Exit::done;
    if (!chosen_root(command, options, services, err, root, exit)) {
        return exit;
    }
    NamedKeyVolumes volumes(services.volumes, services.files, root);
    DeviceDrive device(volumes, services.files);
    const KeyIdentity key = device.key_at(root);
    if (!key.found()) {
        print_error(err, shown_path(root, services.separator) + ": the key is gone");
        return Exit::no_key;
    }
    const ConfigRead read = device.read_config(key);
    if (read == ConfigRead::unreadable) {
        print_error(err, shown_path(config_path_on(root), services.separator) + ": cannot be read");
        return Exit::io_failure;
    }
    const ConfigurationReport report = report_for(device, read, services.clock.utc_now());
    out << (options.json ? report_json(report) : report_text(report));
    return Exit::done;
}

std::optional<std::string> read_on_off(const std::string& option, const std::string& text, std::optional<bool>& value) {
    if (text == kOn || text == kOff) {
        value = text == kOn;
        return std::nullopt;
    }
    return option + ": '" + text + "' is neither on nor off";
}

Exit run_set(const CLI::App& command, const Options& options, Services& services, std::ostream& out,
             std::ostream& err) {
    SetRequest request;
    const SystemTime now = services.clock.utc_now();
    std::optional<std::string> refusal;
    if (!refusal && command.count("--data") > 0) {
        refusal = read_data_list(options.data, request);
    }
    if (!refusal && command.count("--period") > 0) {
        refusal = read_period(options.period, now, request);
    }
    if (!refusal && command.count("--range-button") > 0) {
        refusal = read_on_off("--range-button", options.range_button, request.range_button);
    }
    if (!refusal && command.count("--vdo") > 0) {
        refusal = read_on_off("--vdo", options.vdo, request.vdo_special_data);
    }
    if (refusal) {
        print_error(err, *refusal);
        return Exit::refused;
    }
    std::wstring root;
    Exit exit = Exit::done;
    if (!chosen_root(command, options, services, err, root, exit)) {
        return exit;
    }
    const SetResult result = set_configuration(root, request, options.dry_run, services);
    if (result.exit != Exit::done) {
        print_error(err, result.error);
        return result.exit;
    }
    if (!options.dry_run) {
        out << "saved " << shown_path(config_path_on(root), services.separator) << '\n';
        return Exit::done;
    }
    const ConfigurationReport report = report_of_saved(root, result.image, now);
    out << (options.json ? report_json(report) : report_text(report));
    return Exit::done;
}

bool confirmed_on_terminal(const std::string& shown_root, Terminal& terminal, std::ostream& err) {
    err << "Erase every download in CARD and TACHO on " << shown_root << "? [y/N] " << std::flush;
    std::string answer;
    if (!terminal.read_line(answer)) {
        return false;
    }
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "YES" || answer == "Yes";
}

Exit run_erase(const CLI::App& command, const Options& options, Services& services, std::ostream& out,
               std::ostream& err) {
    std::wstring root;
    Exit exit = Exit::done;
    if (!chosen_root(command, options, services, err, root, exit)) {
        return exit;
    }
    if (!options.yes) {
        if (!services.terminal.interactive()) {
            print_error(err, "erase: nothing erased; without a terminal to ask on, add --yes");
            return Exit::refused;
        }
        if (!confirmed_on_terminal(shown_path(root, services.separator), services.terminal, err)) {
            print_error(err, "erase: nothing erased");
            return Exit::refused;
        }
    }
    NamedKeyVolumes volumes(services.volumes, services.files, root);
    DeviceDrive device(volumes, services.files);
    const KeyIdentity key = device.key_at(root);
    if (!key.found()) {
        print_error(err, shown_path(root, services.separator) + ": the key is gone");
        return Exit::no_key;
    }
    const EraseResult result = erase_downloads_on(key, device, services.files, services.clock);
    const std::string count = std::to_string(result.deleted) + (result.deleted == 1 ? " download" : " downloads");
    switch (result.outcome) {
        case EraseOutcome::erased:
            out << "deleted " << count << " from " << shown_path(root, services.separator) << '\n';
            return Exit::done;
        case EraseOutcome::incomplete:
            print_error(err, shown_path(root, services.separator) + ": deleted " + count + ", but some could not be deleted");
            return Exit::io_failure;
        case EraseOutcome::no_key:
        case EraseOutcome::key_changed:
        case EraseOutcome::declined: break;
    }
    print_error(err, shown_path(root, services.separator) + ": the key went away after deleting " + count);
    return Exit::no_key;
}

const char* save_failure(SaveOutcome outcome) {
    switch (outcome) {
        case SaveOutcome::read_only: return "read-only; left as it was";
        case SaveOutcome::unreadable: return "cannot be read; left as it was";
        case SaveOutcome::key_changed:
        case SaveOutcome::failed:
        case SaveOutcome::saved: break;
    }
    return "could not be replaced; left as it was";
}

}  // namespace

std::string shown_path(const std::wstring& path, wchar_t separator) {
    std::wstring shown = path;
    std::replace(shown.begin(), shown.end(), L'\\', separator);
    return utf8_from_wide(shown);
}

SetResult set_configuration(const std::wstring& root, const SetRequest& request, bool dry_run, Services& services) {
    SetResult result;
    NamedKeyVolumes volumes(services.volumes, services.files, root);
    DeviceDrive device(volumes, services.files);
    const KeyIdentity key = device.key_at(root);
    if (!key.found()) {
        result.exit = Exit::no_key;
        result.error = shown_path(root, services.separator) + ": the key is gone";
        return result;
    }
    if (device.read_config(key) == ConfigRead::unreadable) {
        result.exit = Exit::io_failure;
        result.error = shown_path(config_path_on(root), services.separator) + ": cannot be read";
        return result;
    }
    const StoredSettings loaded = settings_from(device.config());
    // One reading of the clock for the choices and the save, as Save has.
    const SystemTime now = services.clock.utc_now();
    const AppliedChoices applied = apply_request(choices_after_opening(loaded, now), request);
    if (applied.refusal) {
        result.exit = Exit::refused;
        result.error = *applied.refusal;
        return result;
    }
    const StoredSettings settings = settings_for_save(loaded, applied.choices, now).settings;
    result.image = image_to_save(device, settings);
    if (dry_run) {
        return result;
    }
    // What the dialog does on opening: the device needs its DATE marker.
    device.ensure_date_file(key);
    const SaveOutcome saved = save_config(key, device, config_from(settings));
    if (saved == SaveOutcome::key_changed) {
        result.exit = Exit::no_key;
        result.error = shown_path(root, services.separator) + ": the key went away; nothing written";
    } else if (saved != SaveOutcome::saved) {
        result.exit = Exit::io_failure;
        result.error = shown_path(config_path_on(root), services.separator) + ": " + save_failure(saved);
    }
    return result;
}

int run_command_line(const std::vector<std::string>& arguments, Services& services, std::ostream& out,
                     std::ostream& err) {
    Options options;
    CLI::App app{"Shows, sets and erases the configuration of a tachograph download key.", kProgram};
    app.require_subcommand(1);
    app.footer("Exit codes: 0 done, 1 usage or a refused choice, 2 no key (or --key names no folder), "
               "3 an I/O failure.");

    CLI::App* find = app.add_subcommand("find", "Lists the roots of the attached keys, one a line.");
    CLI::App* show = app.add_subcommand("show", "Shows the key's configuration as the dialog shows it.");
    add_key_option(*show, options);
    show->add_flag("--json", options.json, "JSON instead of text (keys listed in the README)");

    CLI::App* set = app.add_subcommand(
        "set", "Saves a configuration as the dialog's Save would, changing only what is given. "
               "VDO special data is hidden and off in the dialog: it is saved off unless --vdo on.");
    add_key_option(*set, options);
    set->add_option("--data", options.data,
                    "the data choices that are on, all others off: a comma-separated list of activities, "
                    "events-and-faults, detailed-speed, technical-data, driver-card-via-tachograph")
        ->type_name("LIST");
    set->add_option("--period", options.period,
                    "since-last | everything | last:N (7-180 days) | from:YYYY-MM-DD..YYYY-MM-DD")
        ->type_name("PERIOD");
    set->add_option("--range-button", options.range_button, "on | off: the range is chosen with the key's button")
        ->type_name("on|off");
    set->add_option("--vdo", options.vdo, "on | off: VDO special data (needs activities on)")->type_name("on|off");
    CLI::Option* dry_run = set->add_flag("--dry-run", options.dry_run, "write nothing; print the result and its 32 bytes");
    set->add_flag("--json", options.json, "the --dry-run result as JSON")->needs(dry_run);

    CLI::App* erase = app.add_subcommand(
        "erase", "Deletes the downloads in the key's CARD and TACHO folders, as the dialog's Erase does.");
    add_key_option(*erase, options);
    erase->add_flag("--yes", options.yes, "do not ask; needed when not on a terminal");

    std::vector<const char*> argv(arguments.size());
    std::transform(arguments.begin(), arguments.end(), argv.begin(),
                   [](const std::string& argument) { return argument.c_str(); });
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        return code_of(Exit::done);
    } catch (const CLI::ParseError& error) {
        std::string message = error.what();
        if (message.empty()) {
            message = "a command is needed: find, show, set or erase (see --help)";
        }
        // One line, whatever the library's message holds.
        std::replace(message.begin(), message.end(), '\n', ' ');
        print_error(err, message);
        return code_of(Exit::refused);
    }

    Exit exit = Exit::refused;
    if (*find) {
        exit = run_find(services, out, err);
    } else if (*show) {
        exit = run_show(*show, options, services, out, err);
    } else if (*set) {
        exit = run_set(*set, options, services, out, err);
    } else if (*erase) {
        exit = run_erase(*erase, options, services, out, err);
    }
    return code_of(exit);
}

}  // namespace lanternbook::cli
