#include "maintenance/format_device.h"

#include <cstdint>
#include <string>
#include <utility>

#include "l10n/texts.h"
#include "l10n/notices.h"
#include "maintenance/program_file_backup.h"
#include "maintenance/save_config.h"
#include "text/text_utils.h"

namespace lanternbook {
namespace {

constexpr uint64_t kBytesPerKibibyte = 1024;

// The two volume sizes the key is made with, in MiB.
constexpr int64_t kSmallVolumeMin = 486;
constexpr int64_t kSmallVolumeMax = 489;
constexpr int64_t kLargeVolumeMin = 960;
constexpr int64_t kLargeVolumeMax = 1000;

// A: is never formatted.
constexpr int kFirstFormattableDrive = 1;
constexpr int kLastFormattableDrive = 25;

int64_t size_in_mebibytes(uint64_t total_bytes) {
    return static_cast<int64_t>(total_bytes / kBytesPerKibibyte / kBytesPerKibibyte);
}

bool size_accepted(int64_t mebibytes) {
    return (mebibytes >= kSmallVolumeMin && mebibytes <= kSmallVolumeMax) ||
           (mebibytes >= kLargeVolumeMin && mebibytes <= kLargeVolumeMax);
}

bool drive_formattable(int drive_index) {
    return drive_index >= kFirstFormattableDrive && drive_index <= kLastFormattableDrive;
}

class FormatRun {
public:
    FormatRun(KeyIdentity key, const FormatServices& services, const LanguageTable& strings)
        : key_(std::move(key)), s_(services), strings_(strings), backup_(services.files, services.clock) {}

    FormatOutcome run();

private:
    FormatOutcome format_and_put_back(const KeyIdentity& key);
    FormatOutcome put_settings_back(const KeyIdentity& key);
    FormatOutcome finish(FormatOutcome outcome);

    const KeyIdentity key_;
    const FormatServices& s_;
    const LanguageTable& strings_;
    ProgramFileBackup backup_;
};

FormatOutcome FormatRun::run() {
    const KeyIdentity& key = key_;
    if (!key.found() || !drive_formattable(key.drive_index)) {
        return FormatOutcome::stopped;
    }
    if (!s_.device.still_attached(key)) {
        return finish(FormatOutcome::key_changed);
    }
    s_.device.ensure_date_file(key);
    const ConfigRead read = s_.device.read_config(key);
    uint64_t total_bytes = 0;
    if (!s_.volumes.volume_total_bytes(key.root, total_bytes)) {
        return finish(s_.device.still_attached(key) ? FormatOutcome::size_unknown : FormatOutcome::key_changed);
    }
    if (!size_accepted(size_in_mebibytes(total_bytes))) {
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
    if (!backup_.backup(key.root)) {
        return finish(FormatOutcome::no_backup);
    }
    return format_and_put_back(key);
}

FormatOutcome FormatRun::format_and_put_back(const KeyIdentity& key) {
    // read_config has just made sure of DATE; a format removes it.
    const bool date_existed = s_.files.path_exists(date_path_on(key.root));
    FormatOutcome outcome = FormatOutcome::formatted;
    if (!s_.device.still_attached(key)) {
        outcome = FormatOutcome::key_changed;
    } else if (s_.shell.shell_format(key.drive_index) != ShellFormatOutcome::called) {
        outcome = FormatOutcome::no_shell_format;
    } else if (date_existed && s_.files.path_exists(date_path_on(key.root))) {
        // The shell's dialog returns alike whether the user formatted or cancelled.
        outcome = FormatOutcome::not_formatted;
    } else {
        outcome = put_settings_back(key);
    }
    // Whatever happened, the key gets back what it lacks.
    if (!backup_.restore()) {
        return finish(FormatOutcome::files_left_behind);
    }
    return finish(outcome);
}

// Everything goes back to the root that was formatted, never to whatever a
// new search would find.
FormatOutcome FormatRun::put_settings_back(const KeyIdentity& key) {
    uint32_t serial = 0;
    std::wstring label;
    if (!s_.volumes.volume_identity(key.root, serial, label)) {
        return FormatOutcome::files_left_behind;
    }
    // Without the word in its label the key would never be found again.
    if (!label_names_key(label)) {
        if (!s_.volumes.set_volume_label(key.root, key.label)) {
            return FormatOutcome::settings_lost;
        }
        label = key.label;
    }
    // A format gives the volume a new serial number; it is still the key shown.
    const KeyIdentity formatted{key.root, key.drive_index, serial, label};
    s_.device.remember_key(formatted);
    if (save_config(formatted, s_.device, s_.device.config()) != SaveOutcome::saved ||
        !s_.device.reset_date_file(formatted)) {
        return FormatOutcome::settings_lost;
    }
    return FormatOutcome::formatted;
}

FormatOutcome FormatRun::finish(FormatOutcome outcome) {
    switch (outcome) {
        case FormatOutcome::key_changed: show_error(s_.messages, strings_, Text::key_changed); break;
        case FormatOutcome::unreadable: show_error(s_.messages, strings_, Text::settings_unreadable); break;
        case FormatOutcome::no_backup: show_error(s_.messages, strings_, Text::backup_failed); break;
        case FormatOutcome::size_unknown:
        case FormatOutcome::no_shell_format: show_error(s_.messages, strings_, Text::format_failed); break;
        case FormatOutcome::settings_lost: show_error(s_.messages, strings_, Text::save_failed); break;
        case FormatOutcome::files_left_behind:
            show_error(s_.messages, strings_, Text::restore_failed, backup_.backup_folder());
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
