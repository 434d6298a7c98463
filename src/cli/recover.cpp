// lanternbook recover: the formats cut short, listed, and a key's files put
// back from the backup folder one of them left.
#include <algorithm>
#include <filesystem>

#include "cli/change_journal.h"
#include "cli/commands.h"
#include "cli/json_document.h"
#include "cli/shown_paths.h"
#include "maintenance/key_volume.h"
#include "maintenance/program_file_backup.h"
#include "maintenance/recovery.h"
#include "text/utf8_text.h"

namespace lanternbook::cli {
namespace {

Exit run_recover(Invocation& call);
Exit list_unfinished(Invocation& call, const std::vector<UnfinishedFormat>& found, const std::wstring& in);
Exit put_back_unfinished(Invocation& call, std::vector<UnfinishedFormat>& found);
std::wstring absolute_root(const std::string& named);
UnfinishedFormat* backup_for(Invocation& call, std::vector<UnfinishedFormat>& found, const KeyIdentity& key,
                             const RecoveryServices& recovery, Exit& exit, bool& own);
bool put_back_confirmed(Invocation& call, const BackupRecord& record, const std::string& shown_root);
Recovery put_back_recorded(Invocation& call, UnfinishedFormat& backup, const KeyIdentity& key, bool onto_empty,
                           const RecoveryServices& recovery, ChangeJournal& journal);
Exit label_put_back(Invocation& call, const std::wstring& root, const BackupRecord& record, const std::string& done);
bool is_volume_root(const std::wstring& root, Volumes& volumes);
bool same_folder(const std::wstring& a, const std::wstring& b, wchar_t separator);
std::string unfinished_text(const UnfinishedFormat& unfinished, wchar_t separator);
nlohmann::ordered_json unfinished_json(const UnfinishedFormat& unfinished, wchar_t separator);
std::string serial_shown(const BackupRecord& record);
std::size_t files_held(const BackupRecord& record);

}  // namespace

CommandEntry recover_command() {
    return {"recover",
            "[--in DIR] [--json | -q] | -k DIR [--from FOLDER] [--in DIR] [-y] [--no-journal] [-q]",
            "Lists the formats cut short, and puts a key's files back.",
            std::string("A format that never finished (the host program crashed or was ended, the power went) "
                        "leaves the key's program files and CONFIG in a backup folder with a record of whose "
                        "they are. Without --key each such folder is listed: the key's serial number, when the "
                        "format began, the files it holds. ") +
                "With --key they go back: onto the key the backup was made of, or onto an empty folder with "
                "the only backup found or the one --from names. A file already there is never written over, "
                "and the backup folder goes only once everything is back. On a terminal it asks first; "
                "otherwise it needs --yes.",
            {{"-k,--key", "DIR", "the key, or an empty folder, to put the files back onto"},
             {"--from", "FOLDER", "the backup folder to put back, when more than one could be meant"},
             {"--in", "DIR",
              "where the backup folders are; without it, the backup place ($XDG_STATE_HOME/lanternbook/backups, "
              "by default ~/.local/state/lanternbook/backups; %TEMP% on Windows)"},
             {"-y,--yes", nullptr, "do not ask; needed when there is no terminal to ask on"},
             kNoJournalOption,
             {"--json", nullptr, "the list as a JSON object"},
             kQuietOption},
            {{"lanternbook recover", "the formats cut short, and what each kept"},
             {"lanternbook recover --key /media/me/VOLKARIS --yes", "the key's own files back onto it"}},
            run_recover};
}

namespace {

// ---------------------------------------------------------------- options

Exit run_recover(Invocation& call) {
    Services& services = call.services;
    std::vector<UnfinishedFormat> found;
    std::wstring in;
    Lookup searched = Lookup::missing;
    if (call.options.has("--in")) {
        in = wide_from_utf8(call.options.value("--in"));
        uint32_t attributes = 0;
        if (services.files.attributes(in, attributes) == Lookup::found && (attributes & kAttributeFolder) == 0) {
            return call.errors.fail(Exit::no_key, shown_path(in, services.separator) + ": not a folder");
        }
        searched = find_unfinished_formats_in(services.files, in, found);
    } else {
        const std::unique_ptr<Folder> place = services.files.backup_place(in);
        searched = place ? find_unfinished_formats_in(services.files, in, found) : Lookup::failed;
    }
    const std::string shown_in = in.empty() ? std::string("the backup folder") : shown_path(in, services.separator);
    if (searched == Lookup::missing) {
        return call.errors.fail(Exit::no_key, shown_in + ": no such folder");
    }
    if (searched == Lookup::failed) {
        // Another user could have put there whatever it holds: nothing of it is read.
        return call.errors.fail(Exit::refused, shown_in + ": not used" + reason_of(services.files));
    }
    return call.options.has("--key") ? put_back_unfinished(call, found) : list_unfinished(call, found, in);
}

// ---------------------------------------------------------------- the list

Exit list_unfinished(Invocation& call, const std::vector<UnfinishedFormat>& found, const std::wstring& in) {
    const std::vector<const char*> with_key_only{"--from", "--yes", "--no-journal"};
    const auto misplaced = std::find_if(with_key_only.begin(), with_key_only.end(),
                                        [&call](const char* option) { return call.options.has(option); });
    if (misplaced != with_key_only.end()) {
        return call.errors.fail(Exit::refused, std::string(*misplaced) + " goes with --key");
    }
    const wchar_t separator = call.services.separator;
    if (call.options.has("--json")) {
        nlohmann::ordered_json json = json_document();
        json["unfinished"] = nlohmann::ordered_json::array();
        for (const UnfinishedFormat& unfinished : found) {
            json["unfinished"].push_back(unfinished_json(unfinished, separator));
        }
        call.out << json_text(json);
    } else if (found.empty()) {
        call.out << "no format cut short: no backup folder in " << shown_path(in, separator) << '\n';
    } else {
        for (const UnfinishedFormat& unfinished : found) {
            call.out << unfinished_text(unfinished, separator);
        }
    }
    return Exit::done;
}

// ---------------------------------------------------------------- the put-back

Exit put_back_unfinished(Invocation& call, std::vector<UnfinishedFormat>& found) {
    Services& services = call.services;
    if (call.options.has("--json")) {
        return call.errors.fail(Exit::refused, std::string("--json lists; it does not go with --key"));
    }
    const std::wstring root = absolute_root(call.options.value("--key"));
    const std::string shown_root = shown_path(root, services.separator);
    NamedKeyVolumes volumes(services.volumes, services.files, root);
    DeviceDrive device(volumes, services.files);
    const KeyIdentity key = device.key_at(root);
    if (!key.found()) {
        uint32_t attributes = 0;
        return call.errors.fail(Exit::no_key, shown_root + (services.files.attributes(root, attributes) == Lookup::found
                                                                ? ": not a folder"
                                                                : ": no such folder"));
    }
    const RecoveryServices recovery{device, services.files, volumes, services.clock};
    Exit exit = Exit::done;
    bool own = false;
    UnfinishedFormat* backup = backup_for(call, found, key, recovery, exit, own);
    if (backup == nullptr) {
        return exit;
    }
    const std::string shown_folder = shown_path(backup->folder, services.separator);
    if (own && key_is_whole(*backup, key, recovery)) {
        if (!discard_backup(*backup, recovery)) {
            return call.errors.fail(Exit::io_failure, shown_folder + ": cannot be removed" + reason_of(services.files));
        }
        call.out << shown_root << " already holds everything; removed " << shown_folder << '\n';
        return Exit::done;
    }
    if (!own && !holds_nothing(services.files, root)) {
        return call.errors.fail(Exit::refused,
                                shown_root + ": neither the key of " + shown_folder + " nor empty; nothing written");
    }
    if (!call.options.has("--yes")) {
        if (!services.terminal.can_ask()) {
            return call.errors.fail(Exit::refused,
                                    std::string("nothing put back; without a terminal to ask on, add --yes"));
        }
        if (!put_back_confirmed(call, backup->record, shown_root)) {
            return call.errors.fail(Exit::refused, std::string("nothing put back"));
        }
    }
    Exit not_opened = Exit::done;
    std::optional<ChangeJournal> journal = ChangeJournal::opened(call, "recover", true, not_opened);
    if (!journal) {
        return not_opened;
    }
    const Recovery put = put_back_recorded(call, *backup, key, !own, recovery, *journal);
    if (put != Recovery::put_back && put != Recovery::label_not_set) {
        return call.errors.fail(Exit::io_failure, shown_root + ": not everything could be put back" +
                                                      reason_of(services.files) + "; the copy stays in " +
                                                      shown_folder);
    }
    const std::size_t count = files_held(backup->record);
    const std::string put_text =
        "put back " + std::to_string(count) + (count == 1 ? " file" : " files") + " onto " + shown_root;
    uint32_t attributes = 0;
    // Every file is back; the copy going too is a second thing, told as it is.
    if (services.files.attributes(backup->folder, attributes) != Lookup::missing) {
        call.out << put_text << '\n';
        return call.errors.fail(Exit::io_failure,
                                shown_folder + ": the copy could not be removed" + reason_of(services.files));
    }
    return label_put_back(call, root, backup->record, put_text + "; removed " + shown_folder + "\n");
}

// CONFIG's bytes as they are; none without one.
std::optional<std::vector<uint8_t>> config_now(DeviceDrive& device, const KeyIdentity& key) {
    std::vector<uint8_t> bytes;
    const ConfigRead read = device.read_config_bytes(key, bytes);
    return read == ConfigRead::read || read == ConfigRead::empty ? std::optional<std::vector<uint8_t>>(bytes)
                                                                 : std::nullopt;
}

// The put-back, and its line in the journal: CONFIG before and after.
Recovery put_back_recorded(Invocation& call, UnfinishedFormat& backup, const KeyIdentity& key, bool onto_empty,
                           const RecoveryServices& recovery, ChangeJournal& journal) {
    JournalEntry entry = journal.entry_for(key, config_now(recovery.device, key));
    const Recovery put = put_back_onto(backup, key.root, onto_empty, recovery);
    entry.config_after = config_now(recovery.device, key);
    std::string not_recorded;
    if (put != Recovery::kept && !journal.record(std::move(entry), not_recorded)) {
        call.errors.fail(Exit::io_failure, not_recorded + "; the files were put back");
    }
    return put;
}

// Whether the key is a volume's root is told by its parent: a relative path has none to tell by.
std::wstring absolute_root(const std::string& named) {
    std::error_code absolute_failed;
    const std::filesystem::path path =
        std::filesystem::absolute(std::filesystem::u8path(named), absolute_failed).lexically_normal();
    std::wstring root = wide_from_utf8(absolute_failed ? named : path.u8string());
    while (root.size() > 1 && (root.back() == L'/' || (root.back() == L'\\' && root.size() > 3))) {
        root.pop_back();
    }
    return root;
}

// The backup that goes onto `key`: the one --from names, else the one made of
// that key, else onto an empty folder the only one there is. `own` tells
// whether it was made of that key.
UnfinishedFormat* backup_for(Invocation& call, std::vector<UnfinishedFormat>& found, const KeyIdentity& key,
                             const RecoveryServices& recovery, Exit& exit, bool& own) {
    Services& services = call.services;
    const std::string shown_root = shown_path(key.root, services.separator);
    std::vector<UnfinishedFormat*> candidates;
    if (call.options.has("--from")) {
        const std::wstring from = wide_from_utf8(call.options.value("--from"));
        for (UnfinishedFormat& unfinished : found) {
            if (same_folder(unfinished.folder, from, services.separator)) {
                candidates.push_back(&unfinished);
            }
        }
        if (candidates.empty()) {
            exit = call.errors.fail(Exit::no_key,
                                    call.options.value("--from") + ": no backup folder with a whole record there");
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
        exit = call.errors.fail(Exit::no_key, candidates.empty()
                                                  ? shown_root + ": no backup of this key; name one with --from"
                                                  : shown_root + ": " + std::to_string(candidates.size()) +
                                                        " backups of this key; name one with --from:" +
                                                        listed_paths(folders, services.separator));
        return nullptr;
    }
    own = record_is_of(candidates.front()->record, key, recovery);
    return candidates.front();
}

bool put_back_confirmed(Invocation& call, const BackupRecord& record, const std::string& shown_root) {
    return is_yes(call.services.terminal.ask("Put the program files and CONFIG of key " + serial_shown(record) +
                                             " back onto " + shown_root + "? [y/N] "));
}

// Without the word in its label a key is never found again; a folder has no label of its own.
Exit label_put_back(Invocation& call, const std::wstring& root, const BackupRecord& record, const std::string& done) {
    Volumes& volumes = call.services.volumes;
    call.out << done;
    uint32_t serial = 0;
    std::wstring label;
    if (!is_volume_root(root, volumes) || !volumes.volume_identity(root, serial, label) || label_names_key(label) ||
        volumes.set_volume_label(root, record.label)) {
        return Exit::done;
    }
    return call.errors.fail(Exit::io_failure, shown_path(root, call.services.separator) +
                                                  ": the label could not be set to " + shown_text(record.label) +
                                                  "; set it, or the key is not found");
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

// ---------------------------------------------------------------- presentation

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
                       shown_text(record.label) + ", volume " + volume_serial_text(record.serial_before) + ", " +
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
    json["folder"] = json_path(unfinished.folder, separator);
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

}  // namespace
}  // namespace lanternbook::cli
