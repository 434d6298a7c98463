#include "maintenance/format_device.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <vector>
#include <string>
#include <utility>

#include "l10n/texts.h"
#include "l10n/notices.h"
#include "maintenance/key_volume.h"
#include "maintenance/program_file_backup.h"
#include "maintenance/save_config.h"
#include "text/text_utils.h"

namespace lanternbook {
namespace {

// A: is never formatted.
constexpr int kFirstFormattableDrive = 1;
constexpr int kLastFormattableDrive = 25;

bool drive_formattable(int drive_index) {
    return drive_index >= kFirstFormattableDrive && drive_index <= kLastFormattableDrive;
}

class FormatRun {
public:
    FormatRun(KeyIdentity key, const FormatServices& services, const LanguageTable& strings)
        : key_(std::move(key)),
          s_(services),
          strings_(strings),
          backup_(services.device, services.files, services.clock) {}

    FormatOutcome run();

private:
    FormatOutcome format_and_put_back(const KeyIdentity& key);
    FormatOutcome put_back(const KeyIdentity& formatted);
    FormatOutcome restored(FormatOutcome outcome, RestoreResult result);
    FormatOutcome finish(FormatOutcome outcome);

    const KeyIdentity key_;
    const FormatServices& s_;
    const LanguageTable& strings_;
    ProgramFileBackup backup_;
    BackupRecord record_;
};

FormatOutcome FormatRun::run() {
    const KeyIdentity& key = key_;
    if (!key.found() || !drive_formattable(key.drive_index)) {
        return FormatOutcome::stopped;
    }
    if (!s_.device.still_attached(key)) {
        return finish(FormatOutcome::key_changed);
    }
    const ConfigRead read = s_.device.read_config(key, true);
    uint64_t total_bytes = 0;
    if (!s_.volumes.volume_total_bytes(key.root, total_bytes)) {
        return finish(s_.device.still_attached(key) ? FormatOutcome::size_unknown : FormatOutcome::key_changed);
    }
    if (!size_accepted(total_bytes)) {
        show_error(s_.messages, strings_, Text::incorrect_device_size);
        return FormatOutcome::stopped;
    }
    if (!confirmed(s_.messages, strings_, Text::format_confirmation)) {
        return FormatOutcome::declined;
    }
    // The key is the one the user confirmed for.
    if (!s_.device.still_attached(key)) {
        return finish(FormatOutcome::key_changed);
    }
    if (read == ConfigRead::unreadable) {
        return finish(FormatOutcome::unreadable);
    }
    // No format starts before the backup says, on its own, whose it is.
    record_.serial_before = key.volume_serial;
    record_.label = key.label;
    record_.volume_bytes = total_bytes;
    record_.identity = key_identity_of(s_.device.config_bytes());
    record_.made = s_.clock.utc_now();
    if (!backup_.backup(key) || !backup_.write_record(record_)) {
        static_cast<void>(backup_.discard());
        return finish(FormatOutcome::no_backup);
    }
    return format_and_put_back(key);
}

FormatOutcome FormatRun::format_and_put_back(const KeyIdentity& key) {
    // The backup holds everything; before the shell has touched the key,
    // a key that changed keeps what it has and the backup is not needed.
    if (!s_.device.still_attached(key)) {
        return restored(FormatOutcome::key_changed, backup_.discard() ? RestoreResult::complete
                                                                      : RestoreResult::folder_left_behind);
    }
    if (s_.shell.shell_format(key.drive_index) != ShellFormatOutcome::called) {
        return restored(FormatOutcome::no_shell_format, backup_.restore(key));
    }
    // The shell's dialog may have been open for minutes: what the drive
    // holds now is looked at afresh.
    KeyIdentity now{key.root, key.drive_index, 0, std::wstring()};
    if (!s_.volumes.volume_identity(key.root, now.volume_serial, now.label)) {
        return finish(FormatOutcome::unverifiable);
    }
    // The same volume, and still this key: the user closed the dialog without formatting.
    if (now.volume_serial == key.volume_serial) {
        return s_.device.still_holds_config(key) ? restored(FormatOutcome::not_formatted, backup_.restore(key))
                                                  : finish(FormatOutcome::other_volume);
    }
    if (!holds_nothing(s_.files, key.root)) {
        return finish(FormatOutcome::other_volume);
    }
    // The formatted volume's own serial number, so that a run cut short from
    // here on finds the key again by it.
    record_.serial_after = now.volume_serial;
    static_cast<void>(backup_.write_record(record_));
    return put_back(now);
}

// Everything goes back to the volume that was formatted, never to whatever a
// new search would find.
FormatOutcome FormatRun::put_back(const KeyIdentity& formatted_volume) {
    KeyIdentity formatted = formatted_volume;
    // Without the word in its label the key would never be found again.
    // The key is remembered by the label the volume has now.
    const bool labelled =
        label_names_key(formatted.label) || set_key_label(s_.volumes, formatted.root, key_.label, formatted.label);
    // A format gives the volume a new serial number; it is still the key shown.
    s_.device.remember_key(formatted);
    // A CONFIG that cannot be written goes back as it was, from the backup; so
    // does one of another length than Save writes, which Save would change.
    if (s_.device.config_bytes().size() == kConfigFileLength) {
        static_cast<void>(save_config(formatted, s_.device, s_.device.config()));
    }
    const bool date_back = s_.device.reset_date_file(formatted);
    const FormatOutcome outcome = !date_back ? FormatOutcome::settings_lost
                                  : labelled ? FormatOutcome::formatted
                                             : FormatOutcome::label_not_set;
    return restored(outcome, backup_.restore(formatted));
}

FormatOutcome FormatRun::restored(FormatOutcome outcome, RestoreResult result) {
    switch (result) {
        case RestoreResult::complete: break;
        case RestoreResult::files_left_behind: return finish(FormatOutcome::files_left_behind);
        case RestoreResult::folder_left_behind:
            return finish(outcome == FormatOutcome::formatted || outcome == FormatOutcome::not_formatted
                              ? FormatOutcome::backup_left_behind
                              : outcome);
    }
    return finish(outcome);
}

FormatOutcome FormatRun::finish(FormatOutcome outcome) {
    const std::wstring& folder = backup_.backup_folder();
    switch (outcome) {
        case FormatOutcome::key_changed: show_error(s_.messages, strings_, Text::key_changed, folder); break;
        case FormatOutcome::unreadable: show_error(s_.messages, strings_, Text::settings_unreadable); break;
        case FormatOutcome::no_backup: show_error(s_.messages, strings_, Text::backup_failed); break;
        case FormatOutcome::size_unknown:
        case FormatOutcome::no_shell_format: show_error(s_.messages, strings_, Text::format_failed, folder); break;
        case FormatOutcome::unverifiable: show_error(s_.messages, strings_, Text::format_unverifiable, folder); break;
        case FormatOutcome::other_volume: show_error(s_.messages, strings_, Text::other_volume, folder); break;
        case FormatOutcome::settings_lost: show_error(s_.messages, strings_, Text::save_failed, folder); break;
        case FormatOutcome::label_not_set: show_error(s_.messages, strings_, Text::label_not_set, key_.label); break;
        case FormatOutcome::files_left_behind: show_error(s_.messages, strings_, Text::restore_failed, folder); break;
        case FormatOutcome::backup_left_behind:
            show_error(s_.messages, strings_, Text::backup_not_removed, folder);
            break;
        case FormatOutcome::stopped:
        case FormatOutcome::declined:
        case FormatOutcome::not_formatted:
        case FormatOutcome::formatted: break;
    }
    return outcome;
}

}  // namespace

FormatOutcome format_device(const KeyIdentity& key, const FormatServices& services, const LanguageTable& strings) {
    return FormatRun(key, services, strings).run();
}

}  // namespace lanternbook
