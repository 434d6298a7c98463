// Formats the key through the shell's dialog, keeping its program files, its
// CONFIG and its label across the format.
#pragma once

#include "device/device_drive.h"
#include "l10n/language_table.h"
#include "platform/platform.h"

namespace lanternbook {

enum class FormatOutcome {
    stopped,           // before asking: no key, drive A:, size unreadable or refused
    declined,          // the user said no
    key_changed,       // the key went or changed after the user confirmed
    unreadable,        // CONFIG could not be read: not formatted
    no_backup,         // the files could not be copied away: not formatted
    no_shell_format,   // the shell offers no format
    not_formatted,     // the user closed the shell's dialog without formatting
    formatted,
    settings_lost,     // formatted, but CONFIG could not be written back
    files_left_behind, // formatted, but some files are only in the backup folder
};

struct FormatServices {
    DeviceDrive& device;
    FileSystem& files;
    Volumes& volumes;
    UserMessages& messages;
    ShellFormat& shell;
    Clock& clock;
};

[[nodiscard]] FormatOutcome format_device(const FormatServices& services, const LanguageTable& strings);

}  // namespace lanternbook
