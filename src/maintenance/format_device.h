// Formats the key through the shell's dialog, keeping its program files, its
// CONFIG and its label across the format.
#pragma once

#include "device/device_drive.h"
#include "l10n/language_table.h"
#include "platform/platform.h"

namespace lanternbook {

enum class FormatOutcome {
    stopped,            // before asking: no key shown, drive A:, size refused
    size_unknown,       // the volume's size could not be read
    declined,           // the user said no
    key_changed,        // the key went or changed after the user confirmed: not formatted
    unreadable,         // CONFIG could not be read: not formatted
    no_backup,          // the files could not be copied away: not formatted
    no_shell_format,    // the shell offers no format
    not_formatted,      // the user closed the shell's dialog without formatting
    formatted,
    unverifiable,       // after the shell's dialog the volume could not be read: nothing written
    other_volume,       // another volume with content took the key's place: nothing written
    settings_lost,      // formatted, but DATE could not be put back
    label_not_set,      // formatted and everything back, but no label naming the key could be set
    files_left_behind,  // formatted, but some files are only in the backup folder
    backup_left_behind, // everything is back, but the backup folder could not be removed
};

struct FormatServices {
    DeviceDrive& device;
    FileSystem& files;
    Volumes& volumes;
    UserMessages& messages;
    ShellFormat& shell;
    Clock& clock;
};

// Formats `key`, the key the dialog shows, only while it is attached.
[[nodiscard]] FormatOutcome format_device(const KeyIdentity& key, const FormatServices& services,
                                          const LanguageTable& strings);

}  // namespace lanternbook
