#include "cli/commands.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>

#include <CLI/CLI.hpp>

#include "cli/configuration_report.h"
#include "cli/settings_document.h"
#include "dialog/opening_choices.h"
#include "lanternbook_version.h"
#include "maintenance/erase_downloads.h"
#include "maintenance/key_volume.h"
#include "maintenance/program_file_backup.h"
#include "maintenance/recovery.h"
#include "maintenance/save_config.h"
#include "text/utf8_text.h"

namespace lanternbook::cli {
namespace {

constexpr char kOn[] = "on";
constexpr char kOff[] = "off";
// What the parser hands back for an option named without its value.
constexpr char kNoValue[] = "\x1f";
// A flag named on its own.
constexpr char kFlagGiven[] = "true";
constexpr std::size_t kListedPaths = 10;
// A configuration document is a few hundred bytes; anything this long is something else.
constexpr std::size_t kDocumentLimit = std::size_t{1} << 20;
constexpr std::size_t kReadChunk = 4096;
constexpr char kStandardInput[] = "-";

// Errors for one command: usage errors and refusals (exit 1) name the
// command, as they are mended on its command line; the others name only the
// program. Lines after the first are printed as they are.
class Errors {
public:
    Errors(std::ostream& err, std::string command) : err_(err), command_(std::move(command)) {}

    Exit fail(Exit exit, const std::string& message) const {
        err_ << kProgram;
        if (exit == Exit::refused && !command_.empty()) {
            err_ << ' ' << command_;
        }
        err_ << ": " << message << '\n';
        return exit;
    }
    Exit fail(Exit exit, const std::wstring& message) const { return fail(exit, utf8_from_wide(message)); }

private:
    std::ostream& err_;
    std::string command_;
};

// One command's options as the parser read them; an option the command
// does not have is never given.
class Invocation {
public:
    explicit Invocation(const CLI::App& app) : app_(app) {}

    bool has(const char* name) const {
        const CLI::Option* option = app_.get_option_no_throw(name);
        return option != nullptr && option->count() > 0;
    }
    std::string value(const char* name) const {
        const CLI::Option* option = app_.get_option_no_throw(name);
        return option == nullptr || option->results().empty() ? std::string() : option->results().front();
    }

private:
    const CLI::App& app_;
};

std::string quoted(const std::string& text) { return "'" + text + "'"; }

std::string suggestion(const std::string& word, const std::vector<std::string>& candidates) {
    const std::optional<std::string> meant = nearest(word, candidates);
    return meant ? "; did you mean " + quoted(*meant) + "?" : std::string();
}

std::vector<std::string> all_option_names(const std::vector<OptionEntry>& options) {
    std::vector<std::string> names;
    for (const OptionEntry& option : options) {
        const std::vector<std::string> own = option_names(option);
        names.insert(names.end(), own.begin(), own.end());
    }
    return names;
}

std::vector<std::string> command_names() {
    std::vector<std::string> names(commands().size());
    std::transform(commands().begin(), commands().end(), names.begin(),
                   [](const CommandEntry& command) { return command.name; });
    return names;
}

std::string unknown_command(const std::string& name) {
    return "unknown command " + quoted(name) + suggestion(name, command_names());
}

// Every option lets the parser take what it is given, so that this program
// and not the parser words each usage error.
void add_options(CLI::App& target, const std::vector<OptionEntry>& options) {
    for (const OptionEntry& option : options) {
        if (option.value == nullptr) {
            target.add_flag(option.names);
        } else {
            target.add_option(option.names)
                ->expected(0, 1)
                ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
                ->default_str(kNoValue);
        }
    }
}

// The first mistake in how `options` were given to `target`.
std::optional<std::string> option_error(const CLI::App& target, const std::vector<OptionEntry>& options) {
    for (const OptionEntry& option : options) {
        const std::string name = option_names(option).back();
        const std::vector<std::string>& results = target.get_option(name)->results();
        if (option.value == nullptr) {
            if (std::any_of(results.begin(), results.end(), [](const std::string& r) { return r != kFlagGiven; })) {
                return name + " takes no value";
            }
            continue;
        }
        if (std::find(results.begin(), results.end(), kNoValue) != results.end()) {
            return name + " needs a value (" + option.value + ")";
        }
        if (results.size() > 1) {
            return name + " is given more than once";
        }
    }
    return std::nullopt;
}

// What was left over: unknown options, and words where none belong
// (`help` takes one, the command it tells about).
std::optional<std::string> leftover_error(const std::vector<std::string>& leftovers, const CommandEntry* command,
                                          std::optional<std::string>& topic) {
    const std::vector<OptionEntry>& options = command != nullptr ? command->options : program_options();
    for (const std::string& word : leftovers) {
        if (word.size() > 1 && word[0] == '-') {
            const std::string name = word.substr(0, word.find('='));
            const std::vector<std::string> known = all_option_names(options);
            // Only the program's own options come before the command.
            if (command != nullptr && std::find(known.begin(), known.end(), name) != known.end()) {
                return name + " goes after " + quoted(command->name);
            }
            return "unknown option " + quoted(name) + suggestion(name, known);
        }
        if (command == nullptr) {
            return unknown_command(word);
        }
        if (std::string(command->name) == "help" && !topic) {
            topic = word;
            continue;
        }
        return "unexpected argument " + quoted(word);
    }
    return std::nullopt;
}

// ---------------------------------------------------------------- keys

// The key a command works on; reported when there is none to use. `change`
// is set for set and erase, which take a named folder only when it is a key.
std::optional<std::wstring> chosen_root(const Invocation& command, bool change, Services& services,
                                        const Errors& errors, Exit& exit) {
    const std::wstring named = wide_from_utf8(command.value("--key"));
    const ChosenKey chosen = choose_key(command.has("--key") ? &named : nullptr, services.finder, services.files);
    if (chosen.exit != Exit::done) {
        exit = errors.fail(chosen.exit, chosen.error);
        return std::nullopt;
    }
    if (!change || chosen.found || command.has("--force")) {
        return chosen.root;
    }
    switch (kind_of_folder(chosen.root, services.finder, services.files)) {
        case FolderKind::key: return chosen.root;
        case FolderKind::unreadable:
            exit = errors.fail(Exit::io_failure, shown_path(config_path_on(chosen.root), services.separator) +
                                                     ": cannot be read" + utf8_from_wide(reason_of(services.files)));
            return std::nullopt;
        case FolderKind::other: break;
    }
    exit = errors.fail(Exit::no_key, shown_path(chosen.root, services.separator) + ": not a key (no " +
                                         utf8_from_wide(kVolumeWord) +
                                         " label and no CONFIG); add --force to use it anyway");
    return std::nullopt;
}

// ---------------------------------------------------------------- find

Exit run_find(const Invocation& command, Services& services, std::ostream& out, const Errors& errors) {
    const KeySearch search = services.finder.find_keys();
    if (!search.failure.empty()) {
        return errors.fail(Exit::io_failure, L"cannot search for keys: " + search.failure + L" cannot be read");
    }
    if (command.has("--json")) {
        nlohmann::ordered_json json;
        json["format"] = kDocumentFormat;
        json["keys"] = nlohmann::ordered_json::array();
        for (const std::wstring& root : search.roots) {
            json["keys"].push_back({{"root", utf8_from_wide(root)}, {"label", utf8_from_wide(services.finder.label_of(root))}});
        }
        out << json_text(json);
    } else {
        for (const std::wstring& root : search.roots) {
            out << utf8_from_wide(root) << '\n';
        }
    }
    if (search.roots.empty()) {
        return errors.fail(Exit::no_key, L"no key attached (searched " + services.finder.searched() + L")");
    }
    return Exit::done;
}

// ---------------------------------------------------------------- show

// The configuration of the key at `root`; when there is none, `exit` says why.
std::optional<ConfigurationReport> read_report(const std::wstring& root, Services& services, const Errors& errors,
                                               Exit& exit) {
    NamedKeyVolumes volumes(services.volumes, services.files, root);
    DeviceDrive device(volumes, services.files);
    const KeyIdentity key = device.key_at(root);
    if (!key.found()) {
        exit = errors.fail(Exit::no_key, shown_path(root, services.separator) + ": the key is gone");
        return std::nullopt;
    }
    const ConfigRead read = device.read_config(key);
    if (read == ConfigRead::unreadable) {
        exit = errors.fail(Exit::io_failure, shown_path(config_path_on(root), services.separator) + ": cannot be read" +
                                          utf8_from_wide(reason_of(services.files)));
        return std::nullopt;
    }
    return report_for(device, read, services.clock.utc_now());
}

Exit run_show(const Invocation& command, Services& services, std::ostream& out, const Errors& errors) {
    const bool json = command.has("--json");
    if (!command.has("--all")) {
        Exit exit = Exit::done;
        const std::optional<std::wstring> root = chosen_root(command, false, services, errors, exit);
        if (!root) {
            return exit;
        }
        const std::optional<ConfigurationReport> report = read_report(*root, services, errors, exit);
        if (!report) {
            return exit;
        }
        out << (json ? report_json(*report) : report_text(*report));
        return Exit::done;
    }
    if (command.has("--key")) {
        return errors.fail(Exit::refused, std::string("--all and --key name the keys two ways; give one"));
    }
    const KeySearch search = services.finder.find_keys();
    if (!search.failure.empty()) {
        return errors.fail(Exit::io_failure, L"cannot search for keys: " + search.failure + L" cannot be read");
    }
    Exit exit = search.roots.empty() ? Exit::no_key : Exit::done;
    std::vector<ConfigurationReport> reports;
    for (const std::wstring& root : search.roots) {
        if (std::optional<ConfigurationReport> report = read_report(root, services, errors, exit)) {
            reports.push_back(*report);
        }
    }
    if (json) {
        out << reports_json(reports);
    } else {
        for (std::size_t i = 0; i < reports.size(); ++i) {
            out << (i == 0 ? "" : "\n") << report_text(reports[i]);
        }
    }
    if (search.roots.empty()) {
        errors.fail(Exit::no_key, L"no key attached (searched " + services.finder.searched() + L")");
    }
    return exit;
}

// ---------------------------------------------------------------- set

std::optional<std::string> read_on_off(const std::string& text, std::optional<bool>& value) {
    if (text == kOn || text == kOff) {
        value = text == kOn;
        return std::nullopt;
    }
    return quoted(text) + " is neither on nor off";
}

// The bytes of the file `path`, or of standard input for "-".
bool read_document(const std::string& path, Services& services, std::string& text, std::string& failure) {
    if (path == kStandardInput) {
        if (!services.terminal.read_all(text)) {
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
    failure = path + (file ? ": larger than a configuration can be"
                           : ": cannot be read" + utf8_from_wide(reason_of(services.files)));
    return false;
}

// The request from --from and the options beside it, which win; reported
// when refused.
std::optional<SetRequest> read_request(const Invocation& command, Services& services, const SystemTime& now,
                                       const Errors& errors, Exit& exit) {
    SetRequest request;
    std::optional<std::string> refusal;
    if (command.has("--from")) {
        const std::string path = command.value("--from");
        std::string text;
        std::string failure;
        if (!read_document(path, services, text, failure)) {
            exit = errors.fail(Exit::io_failure, failure);
            return std::nullopt;
        }
        if (std::optional<std::string> wrong = read_settings_document(text, now, request)) {
            refusal = "--from " + path + ": " + *wrong;
        }
    }
    const auto read_option = [&](const char* name, const auto& reader) {
        if (refusal || !command.has(name)) {
            return;
        }
        if (std::optional<std::string> wrong = reader(command.value(name))) {
            refusal = std::string(name) + ": " + *wrong;
        }
    };
    read_option("--data", [&request](const std::string& text) { return read_data_list(text, request); });
    read_option("--period", [&](const std::string& text) { return read_period(text, now, request); });
    read_option("--range-button",
                [&request](const std::string& text) { return read_on_off(text, request.range_button); });
    read_option("--vdo", [&request](const std::string& text) { return read_on_off(text, request.vdo_special_data); });
    if (refusal) {
        exit = errors.fail(Exit::refused, *refusal);
        return std::nullopt;
    }
    return request;
}

Exit run_set(const Invocation& command, Services& services, std::ostream& out, const Errors& errors) {
    const SystemTime now = services.clock.utc_now();
    Exit exit = Exit::done;
    const std::optional<SetRequest> request = read_request(command, services, now, errors, exit);
    if (!request) {
        return exit;
    }
    const std::optional<std::wstring> root = chosen_root(command, true, services, errors, exit);
    if (!root) {
        return exit;
    }
    const bool dry_run = command.has("--dry-run");
    const SetResult result = set_configuration(*root, *request, dry_run, services);
    if (result.exit != Exit::done) {
        return errors.fail(result.exit, result.error);
    }
    if (!dry_run && !command.has("--json")) {
        out << (result.unchanged ? "unchanged " : "saved ") << shown_path(config_path_on(*root), services.separator)
            << '\n';
        return Exit::done;
    }
    ConfigurationReport report = report_of_saved(*root, result.image, now);
    if (!dry_run) {
        report.save = result.unchanged ? ConfigurationReport::Save::unchanged : ConfigurationReport::Save::saved;
    }
    out << (command.has("--json") ? report_json(report) : report_text(report));
    return Exit::done;
}

// ---------------------------------------------------------------- erase

std::string count_of(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " download" : " downloads");
}

bool confirmed_on_terminal(std::size_t count, const std::string& shown_root, Terminal& terminal,
                           std::ostream& err) {
    err << "Erase " << count_of(count) << " in CARD and TACHO on " << shown_root << "? [y/N] " << std::flush;
    std::string answer;
    if (!terminal.read_line(answer)) {
        return false;
    }
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "YES" || answer == "Yes";
}

// "\n  path" for each of the first paths, then how many more there are.
std::string listed_paths(const std::vector<std::wstring>& paths, wchar_t separator) {
    std::string text;
    for (std::size_t i = 0; i < paths.size() && i < kListedPaths; ++i) {
        text += "\n  " + shown_path(paths[i], separator);
    }
    if (paths.size() > kListedPaths) {
        text += "\n  and " + std::to_string(paths.size() - kListedPaths) + " more";
    }
    return text;
}

nlohmann::ordered_json shown_paths(const std::vector<std::wstring>& paths, wchar_t separator) {
    std::vector<std::string> shown(paths.size());
    std::transform(paths.begin(), paths.end(), shown.begin(),
                   [separator](const std::wstring& path) { return shown_path(path, separator); });
    return shown;
}

// What an erase did, as text or JSON, and what it failed to do, as errors.
Exit erase_reported(const Invocation& command, const EraseResult& result, const std::string& shown_root,
                    Services& services, std::ostream& out, const Errors& errors) {
    const std::string reason = utf8_from_wide(services.files.failure_reason());
    const std::vector<std::wstring> not_deleted = paths_not_deleted(result);
    if (command.has("--json") && result.outcome != EraseOutcome::key_changed) {
        nlohmann::ordered_json json;
        json["format"] = kDocumentFormat;
        json["key"] = shown_root;
        json["deleted"] = result.deleted;
        json["not_deleted"] = shown_paths(not_deleted, services.separator);
        out << json_text(json);
    }
    switch (result.outcome) {
        case EraseOutcome::erased:
        case EraseOutcome::skipped_some:
            if (!command.has("--json")) {
                out << "deleted " << count_of(result.deleted) << " from " << shown_root << '\n';
            }
            return Exit::done;
        case EraseOutcome::incomplete: {
            const std::string why = reason.empty() ? std::string() : " (" + reason + ")";
            if (not_deleted.empty()) {
                return errors.fail(Exit::io_failure, shown_root + ": deleted " + count_of(result.deleted) +
                                                         ", but some could not be deleted" + why);
            }
            return errors.fail(Exit::io_failure,
                               shown_root + ": deleted " + count_of(result.deleted) + "; " +
                                   std::to_string(not_deleted.size()) + " could not be deleted" + why + ":" +
                                   listed_paths(not_deleted, services.separator));
        }
        case EraseOutcome::no_key:
        case EraseOutcome::key_changed:
        case EraseOutcome::stopped:
        case EraseOutcome::declined: break;
    }
    return errors.fail(Exit::no_key, shown_root + ": the key went away after deleting " + count_of(result.deleted));
}

Exit run_erase(const Invocation& command, Services& services, std::ostream& out, std::ostream& err,
               const Errors& errors) {
    Exit exit = Exit::done;
    const std::optional<std::wstring> root = chosen_root(command, true, services, errors, exit);
    if (!root) {
        return exit;
    }
    const std::string shown_root = shown_path(*root, services.separator);
    NamedKeyVolumes volumes(services.volumes, services.files, *root);
    DeviceDrive device(volumes, services.files);
    const KeyIdentity key = device.key_at(*root);
    if (!key.found()) {
        return errors.fail(Exit::no_key, shown_root + ": the key is gone");
    }
    std::vector<std::wstring> downloads;
    const EraseResult listing = list_downloads(key, device, services.clock, downloads);
    if (listing.outcome == EraseOutcome::key_changed) {
        return errors.fail(Exit::no_key, shown_root + ": the key is gone");
    }
    if (listing.outcome != EraseOutcome::erased) {
        const std::vector<std::wstring> unread = paths_not_deleted(listing);
        return errors.fail(Exit::io_failure, shown_path(unread.empty() ? *root : unread.front(), services.separator) +
                                                 ": cannot be read" + utf8_from_wide(reason_of(services.files)));
    }
    if (command.has("--dry-run")) {
        if (command.has("--json")) {
            nlohmann::ordered_json json;
            json["format"] = kDocumentFormat;
            json["key"] = shown_root;
            json["downloads"] = shown_paths(downloads, services.separator);
            out << json_text(json);
        } else {
            for (const std::wstring& path : downloads) {
                out << shown_path(path, services.separator) << '\n';
            }
        }
        return Exit::done;
    }
    if (!command.has("--yes")) {
        // Nothing to delete needs no one's yes, and nothing is touched.
        if (downloads.empty()) {
            return erase_reported(command, EraseResult{EraseOutcome::erased, 0, 0, {}}, shown_root, services, out, errors);
        }
        if (!services.terminal.interactive()) {
            return errors.fail(Exit::refused, std::string("nothing erased; without a terminal to ask on, add --yes"));
        }
        if (!confirmed_on_terminal(downloads.size(), shown_root, services.terminal, err)) {
            return errors.fail(Exit::refused, std::string("nothing erased"));
        }
    }
    return erase_reported(command, erase_downloads_on(key, device, services.clock), shown_root, services, out, errors);
}

// ---------------------------------------------------------------- recover

std::string two_digits(uint16_t value) { return (value < 10 ? "0" : "") + std::to_string(value); }

std::string made_text(const SystemTime& made) {
    return std::to_string(made.year) + "-" + two_digits(made.month) + "-" + two_digits(made.day) + " " +
           two_digits(made.hour) + ":" + two_digits(made.minute) + " UTC";
}

std::string volume_serial_text(uint32_t serial) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (int shift = 28; shift >= 0; shift -= 4) {
        text += digits[(serial >> shift) & 0xF];
        if (shift == 16) {
            text += '-';
        }
    }
    return text;
}

std::string serial_shown(const BackupRecord& record) {
    const std::wstring serial = key_serial_number(record);
    return serial.empty() ? "unknown" : utf8_from_wide(serial);
}

std::size_t files_held(const BackupRecord& record) {
    return static_cast<std::size_t>(std::count(record.held.begin(), record.held.end(), true));
}

std::string unfinished_text(const UnfinishedFormat& unfinished, wchar_t separator) {
    const BackupRecord& record = unfinished.record;
    std::string text = shown_path(unfinished.folder, separator) + "\n  key " + serial_shown(record) + ", label " +
                       utf8_from_wide(record.label) + ", volume " + volume_serial_text(record.serial_before) + ", " +
                       std::to_string(size_in_mebibytes(record.volume_bytes)) + " MiB; format begun " +
                       made_text(record.made) + "\n  files:";
    for (std::size_t i = 0; i < kRecordedFiles; ++i) {
        if (record.held[i]) {
            text += " " + utf8_from_wide(kBackedUpFiles[i]) + " (" + std::to_string(record.sizes[i]) + " bytes)";
        }
    }
    return text + "\n";
}

nlohmann::ordered_json unfinished_json(const UnfinishedFormat& unfinished, wchar_t separator) {
    const BackupRecord& record = unfinished.record;
    const std::wstring serial = key_serial_number(record);
    nlohmann::ordered_json json;
    json["folder"] = shown_path(unfinished.folder, separator);
    json["serial_number"] = serial.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(utf8_from_wide(serial));
    json["label"] = utf8_from_wide(record.label);
    json["volume_serial"] = volume_serial_text(record.serial_before);
    json["volume_bytes"] = record.volume_bytes;
    const SystemTime& made = record.made;
    json["made"] = std::to_string(made.year) + "-" + two_digits(made.month) + "-" + two_digits(made.day) + "T" +
                   two_digits(made.hour) + ":" + two_digits(made.minute) + ":" + two_digits(made.second) + "Z";
    nlohmann::ordered_json files = nlohmann::ordered_json::array();
    for (std::size_t i = 0; i < kRecordedFiles; ++i) {
        if (record.held[i]) {
            files.push_back({{"name", utf8_from_wide(kBackedUpFiles[i])}, {"bytes", record.sizes[i]}});
        }
    }
    json["files"] = files;
    return json;
}

bool same_folder(const std::wstring& a, const std::wstring& b, wchar_t separator) {
    std::string left = shown_path(a, separator);
    std::string right = shown_path(b, separator);
    for (std::string* path : {&left, &right}) {
        while (path->size() > 1 && path->back() == static_cast<char>(separator)) {
            path->pop_back();
        }
    }
    return left == right;
}

bool put_back_confirmed(const BackupRecord& record, const std::string& shown_root, Terminal& terminal,
                        std::ostream& err) {
    err << "Put the program files and CONFIG of key " << serial_shown(record) << " back onto " << shown_root
        << "? [y/N] " << std::flush;
    std::string answer;
    return terminal.read_line(answer) &&
           (answer == "y" || answer == "Y" || answer == "yes" || answer == "YES" || answer == "Yes");
}

// The backup that goes onto `key`: the one --from names, else the one made of
// that key, else onto an empty folder the only one there is. `own` tells
// whether it was made of that key.
UnfinishedFormat* backup_for(const Invocation& command, std::vector<UnfinishedFormat>& found, const KeyIdentity& key,
                             const RecoveryServices& recovery, Services& services, const Errors& errors, Exit& exit,
                             bool& own) {
    const std::string shown_root = shown_path(key.root, services.separator);
    std::vector<UnfinishedFormat*> candidates;
    if (command.has("--from")) {
        const std::wstring from = wide_from_utf8(command.value("--from"));
        for (UnfinishedFormat& unfinished : found) {
            if (same_folder(unfinished.folder, from, services.separator)) {
                candidates.push_back(&unfinished);
            }
        }
        if (candidates.empty()) {
            exit = errors.fail(Exit::no_key, command.value("--from") + ": no backup folder with a whole record there");
            return nullptr;
        }
    } else {
        for (UnfinishedFormat& unfinished : found) {
            if (record_is_of(unfinished.record, key, recovery)) {
                candidates.push_back(&unfinished);
            }
        }
        if (candidates.empty() && found.size() == 1 && holds_nothing(services.files, key.root)) {
            candidates.push_back(&found.front());
        }
    }
    if (candidates.size() != 1) {
        std::vector<std::wstring> folders(candidates.size());
        std::transform(candidates.begin(), candidates.end(), folders.begin(),
                       [](const UnfinishedFormat* unfinished) { return unfinished->folder; });
        exit = errors.fail(Exit::no_key, candidates.empty()
                                             ? shown_root + ": no backup of this key; name one with --from"
                                             : shown_root + ": " + std::to_string(candidates.size()) +
                                                   " backups of this key; name one with --from:" +
                                                   listed_paths(folders, services.separator));
        return nullptr;
    }
    own = record_is_of(candidates.front()->record, key, recovery);
    return candidates.front();
}

// Whether `root` is a volume's own root, not a folder on one: its parent, if
// any, is on another volume.
bool is_volume_root(const std::wstring& root, Volumes& volumes) {
    std::wstring path = root;
    while (path.size() > 1 && (path.back() == L'\\' || path.back() == L'/')) {
        path.pop_back();
    }
    const std::size_t cut = path.find_last_of(L"\\/");
    uint32_t serial = 0;
    uint32_t parent_serial = 0;
    std::wstring label;
    if (!volumes.volume_identity(root, serial, label)) {
        return false;
    }
    return cut == std::wstring::npos ||
           !volumes.volume_identity(path.substr(0, cut == 0 ? 1 : cut), parent_serial, label) ||
           parent_serial != serial;
}

// Without the word in its label a key is never found again; a folder has no label of its own.
Exit label_put_back(const std::wstring& root, const BackupRecord& record, const std::string& done, Services& services,
                    std::ostream& out, const Errors& errors) {
    out << done;
    uint32_t serial = 0;
    std::wstring label;
    if (!is_volume_root(root, services.volumes) || !services.volumes.volume_identity(root, serial, label) ||
        label_names_key(label) || services.volumes.set_volume_label(root, record.label)) {
        return Exit::done;
    }
    return errors.fail(Exit::io_failure, shown_path(root, services.separator) + ": the label could not be set to " +
                                             utf8_from_wide(record.label) + "; set it, or the key is not found");
}

Exit list_unfinished(const Invocation& command, const std::vector<UnfinishedFormat>& found, const std::wstring& in,
                     const Services& services, std::ostream& out, const Errors& errors) {
    const std::vector<const char*> with_key_only{"--from", "--yes"};
    const auto misplaced = std::find_if(with_key_only.begin(), with_key_only.end(),
                                        [&command](const char* option) { return command.has(option); });
    if (misplaced != with_key_only.end()) {
        return errors.fail(Exit::refused, std::string(*misplaced) + " goes with --key");
    }
    if (command.has("--json")) {
        nlohmann::ordered_json json;
        json["format"] = kDocumentFormat;
        json["unfinished"] = nlohmann::ordered_json::array();
        for (const UnfinishedFormat& unfinished : found) {
            json["unfinished"].push_back(unfinished_json(unfinished, services.separator));
        }
        out << json_text(json);
    } else if (found.empty()) {
        out << "no format cut short: no backup folder in " << shown_path(in, services.separator) << '\n';
    } else {
        for (const UnfinishedFormat& unfinished : found) {
            out << unfinished_text(unfinished, services.separator);
        }
    }
    return Exit::done;
}

Exit put_back_unfinished(const Invocation& command, std::vector<UnfinishedFormat>& found, Services& services,
                         std::ostream& out, std::ostream& err, const Errors& errors) {
    if (command.has("--json")) {
        return errors.fail(Exit::refused, std::string("--json lists; it does not go with --key"));
    }
    // Whether the key is a volume's root is told by its parent: a relative path has none to tell by.
    std::error_code absolute_failed;
    const std::filesystem::path named = std::filesystem::absolute(std::filesystem::u8path(command.value("--key")),
                                                                  absolute_failed).lexically_normal();
    std::wstring root = wide_from_utf8(absolute_failed ? command.value("--key") : named.u8string());
    while (root.size() > 1 && (root.back() == L'/' || (root.back() == L'\\' && root.size() > 3))) {
        root.pop_back();
    }
    const std::string shown_root = shown_path(root, services.separator);
    NamedKeyVolumes volumes(services.volumes, services.files, root);
    DeviceDrive device(volumes, services.files);
    const KeyIdentity key = device.key_at(root);
    if (!key.found()) {
        return errors.fail(Exit::no_key, shown_root + ": no such folder");
    }
    const RecoveryServices recovery{device, services.files, volumes, services.clock};
    Exit exit = Exit::done;
    bool own = false;
    UnfinishedFormat* backup = backup_for(command, found, key, recovery, services, errors, exit, own);
    if (backup == nullptr) {
        return exit;
    }
    const std::string shown_folder = shown_path(backup->folder, services.separator);
    if (own && key_is_whole(*backup, key, recovery)) {
        if (!discard_backup(*backup, recovery)) {
            return errors.fail(Exit::io_failure,
                               shown_folder + ": cannot be removed" + utf8_from_wide(reason_of(services.files)));
        }
        out << shown_root << " already holds everything; removed " << shown_folder << '\n';
        return Exit::done;
    }
    if (!own && !holds_nothing(services.files, root)) {
        return errors.fail(Exit::refused, shown_root + ": neither the key of " + shown_folder +
                                              " nor empty; nothing written");
    }
    if (!command.has("--yes")) {
        if (!services.terminal.interactive()) {
            return errors.fail(Exit::refused, std::string("nothing put back; without a terminal to ask on, add --yes"));
        }
        if (!put_back_confirmed(backup->record, shown_root, services.terminal, err)) {
            return errors.fail(Exit::refused, std::string("nothing put back"));
        }
    }
    const Recovery put = put_back_onto(*backup, root, !own, recovery);
    if (put != Recovery::put_back && put != Recovery::label_not_set) {
        return errors.fail(Exit::io_failure, shown_root + ": not everything could be put back" +
                                                 utf8_from_wide(reason_of(services.files)) + "; the copy stays in " +
                                                 shown_folder);
    }
    const std::size_t count = files_held(backup->record);
    const std::string put_text =
        "put back " + std::to_string(count) + (count == 1 ? " file" : " files") + " onto " + shown_root;
    uint32_t attributes = 0;
    // Every file is back; the copy going too is a second thing, told as it is.
    if (services.files.attributes(backup->folder, attributes) != Lookup::missing) {
        out << put_text << '\n';
        return errors.fail(Exit::io_failure, shown_folder + ": the copy could not be removed" +
                                                 utf8_from_wide(reason_of(services.files)));
    }
    return label_put_back(root, backup->record, put_text + "; removed " + shown_folder + "\n", services, out, errors);
}

Exit run_recover(const Invocation& command, Services& services, std::ostream& out, std::ostream& err,
                 const Errors& errors) {
    std::vector<UnfinishedFormat> found;
    std::wstring in;
    Lookup searched = Lookup::missing;
    if (command.has("--in")) {
        in = wide_from_utf8(command.value("--in"));
        searched = find_unfinished_formats_in(services.files, in, found);
    } else {
        std::unique_ptr<Folder> place = services.files.backup_place(in);
        searched = place ? find_unfinished_formats_in(services.files, in, found) : Lookup::failed;
    }
    const std::string shown_in = in.empty() ? std::string("the backup folder") : shown_path(in, services.separator);
    if (searched == Lookup::missing) {
        return errors.fail(Exit::no_key, shown_in + ": no such folder");
    }
    if (searched == Lookup::failed) {
        // Another user could have put there whatever it holds: nothing of it is read.
        return errors.fail(Exit::refused, shown_in + ": not used" + utf8_from_wide(reason_of(services.files)));
    }
    return command.has("--key") ? put_back_unfinished(command, found, services, out, err, errors)
                                : list_unfinished(command, found, in, services, out, errors);
}

// Why CONFIG was not replaced, with the system's reason where it has one.
std::string save_failure(SaveOutcome outcome, FileSystem& files) {
    switch (outcome) {
        case SaveOutcome::read_only: return "read-only; left as it was";
        case SaveOutcome::unreadable: return "cannot be read" + utf8_from_wide(reason_of(files)) + "; left as it was";
        case SaveOutcome::key_changed:
        case SaveOutcome::failed:
        case SaveOutcome::saved: break;
    }
    return "cannot be replaced" + utf8_from_wide(reason_of(files)) + "; left as it was";
}

// ---------------------------------------------------------------- the program

// The first usage error: words left over (before the command they stay with
// the program), then options given wrongly. `help`'s one word is its topic.
std::optional<std::string> usage_error(const CLI::App& app, const CLI::App& parser, const CommandEntry* entry,
                                       std::optional<std::string>& topic) {
    std::vector<std::string> leftovers = app.remaining();
    if (entry != nullptr) {
        const std::vector<std::string> own = parser.remaining();
        leftovers.insert(leftovers.end(), own.begin(), own.end());
    }
    std::optional<std::string> wrong = leftover_error(leftovers, entry, topic);
    if (!wrong) {
        wrong = option_error(app, program_options());
    }
    if (!wrong && entry != nullptr) {
        wrong = option_error(parser, entry->options);
    }
    return wrong;
}

Exit run_command(const CommandEntry& entry, const Invocation& command, const std::optional<std::string>& topic,
                 Services& services, std::ostream& out, std::ostream& err, const Errors& errors) {
    const std::string name = entry.name;
    if (name == "help") {
        const CommandEntry* about = topic ? command_named(*topic) : nullptr;
        if (topic && about == nullptr) {
            return errors.fail(Exit::refused, unknown_command(*topic));
        }
        out << (about != nullptr ? command_help(*about, services.help_width)
                                 : program_help(LANTERNBOOK_VERSION_TEXT, services.help_width));
        return Exit::done;
    }
    if (name == "find") {
        return run_find(command, services, out, errors);
    }
    if (name == "show") {
        return run_show(command, services, out, errors);
    }
    if (name == "set") {
        return run_set(command, services, out, errors);
    }
    if (name == "recover") {
        return run_recover(command, services, out, err, errors);
    }
    return run_erase(command, services, out, err, errors);
}

Exit run_parsed(const std::vector<std::string>& arguments, Services& services, std::ostream& out,
                std::ostream& err) {
    CLI::App app{"", kProgram};
    app.allow_extras();
    app.require_subcommand(0, 1);
    app.set_help_flag();
    add_options(app, program_options());
    std::vector<std::pair<CLI::App*, const CommandEntry*>> parsers;
    for (const CommandEntry& entry : commands()) {
        CLI::App* parser = app.add_subcommand(entry.name);
        parser->allow_extras();
        parser->set_help_flag();
        add_options(*parser, entry.options);
        parsers.emplace_back(parser, &entry);
    }
    std::vector<const char*> argv(arguments.size());
    std::transform(arguments.begin(), arguments.end(), argv.begin(),
                   [](const std::string& argument) { return argument.c_str(); });
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::ParseError&) {
        // Every option takes what it is given: this is not expected to happen.
        return Errors(err, "").fail(Exit::refused, std::string("cannot read the arguments; see 'lanternbook --help'"));
    }

    const auto chosen = std::find_if(parsers.begin(), parsers.end(), [](const auto& parser) { return bool(*parser.first); });
    const CommandEntry* entry = chosen == parsers.end() ? nullptr : chosen->second;
    const CLI::App& parser = entry == nullptr ? app : *chosen->first;
    const Errors errors(err, entry == nullptr ? std::string() : entry->name);
    std::optional<std::string> topic;
    if (const std::optional<std::string> wrong = usage_error(app, parser, entry, topic)) {
        return errors.fail(Exit::refused, *wrong);
    }
    if (entry == nullptr) {
        if (app.count("--version") > 0) {
            out << kProgram << ' ' << LANTERNBOOK_VERSION_TEXT << '\n';
            return Exit::done;
        }
        if (app.count("--help") > 0) {
            out << program_help(LANTERNBOOK_VERSION_TEXT, services.help_width);
            return Exit::done;
        }
        err << short_usage();
        return Exit::refused;
    }
    const Invocation command(parser);
    if (command.has("--help") || app.count("--help") > 0) {
        out << command_help(*entry, services.help_width);
        return Exit::done;
    }
    return run_command(*entry, command, topic, services, out, err, errors);
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
        result.error = shown_path(config_path_on(root), services.separator) + ": cannot be read" +
                       utf8_from_wide(reason_of(services.files));
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
    const StoredSettings settings = settings_for_save(loaded, applied.choices, now).settings;
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

int run_command_line(const std::vector<std::string>& arguments, Services& services, std::ostream& out,
                     std::ostream& err) {
    Exit exit = run_parsed(arguments, services, out, err);
    out.flush();
    if (!out) {
        const int error = errno;
        err << kProgram << ": standard output: cannot be written"
            << (error != 0 ? std::string(": ") + std::strerror(error) : std::string()) << '\n';
        exit = Exit::io_failure;
    }
    err.flush();
    return code_of(err ? exit : Exit::io_failure);
}

}  // namespace lanternbook::cli
