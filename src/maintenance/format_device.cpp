#include "maintenance/format_device.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "l10n/entries.h"
#include "maintenance/program_file_backup.h"
#include "platform/text_utils.h"

namespace lanternbook {
namespace {

constexpr int kFormatStopped = -1;
constexpr int kFormatFinished = 0;

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

std::wstring date_file_path(const std::wstring& root) {
    return with_trailing_backslash(root) + kDateFileName;
}

// The shell's dialog returns alike whether the user formatted or cancelled.
// A format removes DATE, which read_config has just made sure of, so DATE
// still being there means nothing was formatted and CONFIG and DATE must
// keep what the key holds. A key that cannot be found afterwards could not
// be written to anyway.
bool settings_need_restoring(DeviceDrive& device, Platform& platform, bool date_existed) {
    const std::wstring root = device.find_drive();
    if (root.empty()) {
        return false;
    }
    // Without a DATE before the format there is nothing to tell by.
    return !date_existed || !platform.path_exists(date_file_path(root));
}

}  // namespace

int format_device(DialogState& state, Platform& platform) {
    DeviceDrive& device = state.device;
    device.read_config();
    const DeviceConfig& stored = device.config();
    std::copy_n(stored.flags.begin(), kFlagCount, state.config_flags.begin());
    std::copy_n(stored.dates.begin(), kDateBlockLength, state.config_dates.begin());

    const std::wstring root = device.find_drive();
    const int drive_index = device.drive_index();
    if (root.empty() || !drive_formattable(drive_index)) {
        return kFormatStopped;
    }
    uint64_t total_bytes = 0;
    if (!platform.volume_total_bytes(root, total_bytes)) {
        return kFormatStopped;
    }
    const wchar_t* caption = state.strings.text_at(entry::caution);
    if (!size_accepted(size_in_mebibytes(total_bytes))) {
        platform.message_box(state.strings.text_at(entry::incorrect_device_size), caption,
                             kMessageErrorOk);
        return kFormatStopped;
    }
    if (platform.message_box(state.strings.text_at(entry::format_confirmation), caption,
                             kMessageOkCancelWarning) != kAnswerOk) {
        return kFormatFinished;
    }

    const bool date_existed = platform.path_exists(date_file_path(root));
    ProgramFileBackup program_files(platform);
    program_files.backup(root);
    if (platform.shell_format(drive_index) == ShellFormatOutcome::called &&
        settings_need_restoring(device, platform, date_existed)) {
        device.write_config(state.config_flags.data(), state.config_dates.data(),
                            static_cast<unsigned>(kDateBlockLength));
        device.reset_date_file();
    }
    program_files.restore();
    return kFormatFinished;
}

}  // namespace lanternbook
