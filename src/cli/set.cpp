// lanternbook set: saves a configuration as the dialog's Save would.
#include "cli/set.h"

#include <algorithm>
#include <memory>

#include "cli/commands.h"
#include "cli/configuration_report.h"
#include "cli/key_choice.h"
#include "cli/settings_document.h"
#include "cli/shown_paths.h"
#include "maintenance/save_config.h"
#include "text/utf8_text.h"

namespace lanternbook::cli {
namespace {

constexpr char kOn[] = "on";
constexpr char kOff[] = "off";
constexpr char kStandardInput[] = "-";
// A configuration document is a few hundred bytes; anything this long is something else.
constexpr std::size_t kDocumentLimit = std::size_t{1} << 20;
constexpr std::size_t kReadChunk = 4096;

Exit run_set(Invocation& call);
std::optional<SetRequest> read_request(Invocation& call, const SystemTime& now, Exit& exit);
bool read_document(Invocation& call, const std::string& path, std::string& text, std::string& failure);
std::optional<std::string> read_on_off(const std::string& text, std::optional<bool>& value);
std::string save_failure(SaveOutcome outcome, FileSystem& files);
void print_result(Invocation& call, const std::wstring& root, const SetResult& result, const SystemTime& now);

const char kOnlyKeys[] =
    "Only a key is changed: the root of a volume whose label holds VOLKARIS, or a folder holding a CONFIG "
    "file; --force takes any folder, and a --from document of a folder without CONFIG.";

}  // namespace

CommandEntry set_command() {
    return {"set",
            "[-k DIR] [--force] [--from FILE] [--data LIST] [--period PERIOD] [--range-button on|off] "
            "[--vdo on|off] [-n] [--json | -q]",
            "Saves a configuration as the dialog's Save would.",
            std::string("It starts from the choices the dialog holds after opening on the key, changes only what "
                        "is given, and writes the bytes the dialog's Save writes, through the same safe "
                        "replacement of CONFIG. What the dialog would overwrite without being asked stays as "
                        "stored: VDO special data unless --vdo is given (as in the dialog, it goes off with "
                        "activities), a period code of no period unless --period is given, a day count outside "
                        "7-180 unless --period last:N is given. A set that changes nothing leaves CONFIG as it is "
                        "and says \"unchanged\"; one given nothing to change is refused. ") +
                kOnlyKeys,
            {kKeyOption,
             {"--force", nullptr,
              "use a --key folder that looks like no key (no VOLKARIS label and no CONFIG), or a --from document "
              "read from a folder without CONFIG (\"config_bytes\": null)"},
             {"--from", "FILE",
              "the choices in a JSON object as show --json prints it (- for standard input), at most 1 MiB; the "
              "options below win over it, and the key's serial number and version are never taken from it"},
             {"--data", "LIST",
              "the data choices that are on, all others off: a comma-separated list of activities, "
              "events-and-faults, detailed-speed, technical-data, driver-card-via-tachograph (\"\" for none)"},
             {"--period", "PERIOD", "since-last, everything, last:N (7 to 180 days) or from:YYYY-MM-DD..YYYY-MM-DD"},
             {"--range-button", "on|off", "the range is chosen with the key's button"},
             {"--vdo", "on|off", "VDO special data; on needs activities"},
             {"-n,--dry-run", nullptr, "write nothing; print the result and its 32 bytes"},
             {"--json", nullptr, "the result as a JSON object"},
             kQuietOption},
            {{"lanternbook set --data activities,technical-data --period last:45",
              "activities and technical data of the last 45 days"},
             {"lanternbook set --period from:2026-10-05..2026-11-20 --dry-run",
              "what a From and Till period would write, without writing it"},
             {"lanternbook show --key A --json |\n  lanternbook set --key B --from -", "key A's choices copied to key B"}},
            run_set};
}

namespace {

// ---------------------------------------------------------------- options

Exit run_set(Invocation& call) {
    const SystemTime now = call.services.clock.utc_now();
    Exit exit = Exit::done;
    const std::optional<SetRequest> request = read_request(call, now, exit);
    if (!request) {
        return exit;
    }
    const std::optional<std::wstring> root = chosen_root(call, exit);
    if (!root) {
        return exit;
    }
    const SetResult result = set_configuration(*root, *request, call.options.has("--dry-run"), call.services);
    if (result.exit != Exit::done) {
        return call.errors.fail(result.exit, result.error);
    }
    print_result(call, *root, result, now);
    return Exit::done;
}

// The request from --from and the options beside it, which win; reported
// when refused.
std::optional<SetRequest> read_request(Invocation& call, const SystemTime& now, Exit& exit) {
    SetRequest request;
    std::optional<std::string> refusal;
    if (call.options.has("--from")) {
        const std::string path = call.options.value("--from");
        std::string text;
        std::string failure;
        if (!read_document(call, path, text, failure)) {
            exit = call.errors.fail(Exit::io_failure, failure);
            return std::nullopt;
        }
        if (text.size() > kDocumentLimit) {
            refusal = "--from " + path + ": larger than 1 MiB; a configuration is a few hundred bytes";
        } else if (std::optional<std::string> wrong =
                       read_settings_document(text, now, request, call.options.has("--force"))) {
            refusal = "--from " + path + ": " + *wrong;
        }
    }
    const auto read_option = [&](const char* name, const auto& reader) {
        if (refusal || !call.options.has(name)) {
            return;
        }
        if (std::optional<std::string> wrong = reader(call.options.value(name))) {
            refusal = std::string(name) + ": " + *wrong;
        }
    };
    read_option("--data", [&request](const std::string& text) { return read_data_list(text, request); });
    read_option("--period", [&](const std::string& text) { return read_period(text, now, request); });
    read_option("--range-button",
                [&request](const std::string& text) { return read_on_off(text, request.range_button); });
    read_option("--vdo", [&request](const std::string& text) { return read_on_off(text, request.vdo_special_data); });
    if (!refusal && !changes_something(request)) {
        refusal = "nothing to change; give --data, --period, --range-button, --vdo or --from";
    }
    if (refusal) {
        exit = call.errors.fail(Exit::refused, *refusal);
        return std::nullopt;
    }
    return request;
}

// The bytes of the file `path`, or of standard input for "-", to one byte
// past the limit.
bool read_document(Invocation& call, const std::string& path, std::string& text, std::string& failure) {
    Services& services = call.services;
    if (path == kStandardInput) {
        if (services.terminal.input_is_terminal()) {
            services.terminal.tell("lanternbook set: reading the choices from standard input, a JSON object as "
                                   "'lanternbook show --json' prints it; end with Ctrl-D (Ctrl-Z and Enter on "
                                   "Windows)");
        }
        if (!services.terminal.read_input(text, kDocumentLimit)) {
            failure = "standard input: cannot be read";
            return false;
        }
        return true;
    }
    // The file the user named, reached as named, links and all.
    const std::wstring named = as_named(wide_from_utf8(path));
    const std::size_t cut = named.find_last_of(L"\\/");
    std::unique_ptr<Folder> folder =
        services.files.open_folder(cut == std::wstring::npos ? std::wstring(L".") : named.substr(0, cut == 0 ? 1 : cut));
    std::unique_ptr<File> file =
        folder ? folder->open_file(named.substr(cut + 1), FileAccess::read, FileDisposition::open_existing) : nullptr;
    std::vector<uint8_t> chunk(kReadChunk);
    std::size_t count = 0;
    while (file && text.size() <= kDocumentLimit) {
        if (!file->read(chunk.data(), chunk.size(), count)) {
            file.reset();
            break;
        }
        if (count == 0) {
            return true;
        }
        text.append(chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(count));
    }
    if (file) {
        return true;
    }
    std::string reason = reason_of(services.files);
    uint32_t attributes = 0;
    // Where the folder's open gives no reason, looking the file up tells one (Windows: it is not there).
    if (reason.empty() && services.files.attributes(named, attributes) != Lookup::found) {
        reason = reason_of(services.files);
    }
    failure = path + ": cannot be read" + reason;
    return false;
}

std::optional<std::string> read_on_off(const std::string& text, std::optional<bool>& value) {
    if (text == kOn || text == kOff) {
        value = text == kOn;
        return std::nullopt;
    }
    return "'" + text + "' is neither on nor off";
}

}  // namespace

// ---------------------------------------------------------------- action

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
        result.error =
            shown_path(config_path_on(root), services.separator) + ": cannot be read" + reason_of(services.files);
        return result;
    }
    const StoredSettings loaded = settings_from(device.config());
    // One reading of the clock for the choices and the save, as Save has.
    const SystemTime now = services.clock.utc_now();
    const AppliedChoices applied = apply_request(held_for_set(loaded, request, now), request);
    if (applied.refusal) {
        result.exit = Exit::refused;
        result.error = *applied.refusal;
        return result;
    }
    const StoredSettings settings = with_unshown_kept(settings_for_save(loaded, applied.choices, now).settings,
                                                      loaded, device.config_bytes().size(), request);
    result.image = image_to_save(device, settings);
    const std::vector<uint8_t>& current = device.config_bytes();
    result.unchanged = std::equal(current.begin(), current.end(), result.image.begin(), result.image.end());
    if (dry_run) {
        return result;
    }
    // What the dialog does on opening: the device needs its DATE marker.
    device.ensure_date_file(key);
    if (result.unchanged) {
        return result;
    }
    const SaveOutcome saved = save_config(key, device, config_from(settings));
    if (saved == SaveOutcome::key_changed) {
        result.exit = Exit::no_key;
        result.error = shown_path(root, services.separator) + ": the key went away; nothing written";
    } else if (saved != SaveOutcome::saved) {
        result.exit = Exit::io_failure;
        result.error =
            shown_path(config_path_on(root), services.separator) + ": " + save_failure(saved, services.files);
    }
    return result;
}

namespace {

// Why CONFIG was not replaced, with the system's reason where it has one.
std::string save_failure(SaveOutcome outcome, FileSystem& files) {
    switch (outcome) {
        case SaveOutcome::read_only: return "read-only; left as it was";
        case SaveOutcome::unreadable: return "cannot be read" + reason_of(files) + "; left as it was";
        case SaveOutcome::key_changed:
        case SaveOutcome::failed:
        case SaveOutcome::saved: break;
    }
    return "cannot be replaced" + reason_of(files) + "; left as it was";
}

// ---------------------------------------------------------------- presentation

void print_result(Invocation& call, const std::wstring& root, const SetResult& result, const SystemTime& now) {
    const bool dry_run = call.options.has("--dry-run");
    if (!dry_run && !call.options.has("--json")) {
        call.out << (result.unchanged ? "unchanged " : "saved ")
                 << shown_path(config_path_on(root), call.services.separator) << '\n';
        return;
    }
    ConfigurationReport report = report_of_saved(root, result.image, now);
    if (!dry_run) {
        report.save = result.unchanged ? ConfigurationReport::Save::unchanged : ConfigurationReport::Save::saved;
    }
    call.out << (call.options.has("--json") ? report_json(report) : report_text(report));
}

}  // namespace
}  // namespace lanternbook::cli
