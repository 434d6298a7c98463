#include "maintenance/key_volume.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <vector>

#include "device/device_drive.h"
#include "text/text_utils.h"

namespace lanternbook {
namespace {

constexpr uint64_t kBytesPerKibibyte = 1024;

// The two volume sizes the key is made with, in MiB.
constexpr int64_t kSmallVolumeMin = 486;
constexpr int64_t kSmallVolumeMax = 489;
constexpr int64_t kLargeVolumeMin = 960;
constexpr int64_t kLargeVolumeMax = 1000;
// The longest label a FAT volume bears.
constexpr std::size_t kFatLabelLength = 11;

// Entries a freshly formatted volume may already hold: the file system's
// own, and Wine's record of a volume's label and serial number.
constexpr const wchar_t* kFreshVolumeEntries[] = {L"System Volume Information", L"$RECYCLE.BIN",
                                                  L".windows-label", L".windows-serial"};
constexpr wchar_t kEveryEntry[] = L"*.*";

}  // namespace

int64_t size_in_mebibytes(uint64_t total_bytes) {
    return static_cast<int64_t>(total_bytes / kBytesPerKibibyte / kBytesPerKibibyte);
}

bool size_accepted(uint64_t total_bytes) {
    const int64_t mebibytes = size_in_mebibytes(total_bytes);
    return (mebibytes >= kSmallVolumeMin && mebibytes <= kSmallVolumeMax) ||
           (mebibytes >= kLargeVolumeMin && mebibytes <= kLargeVolumeMax);
}

bool holds_nothing(Folder& root) {
    std::vector<FolderEntry> entries;
    if (root.list(kEveryEntry, entries) == Lookup::failed) {
        return false;
    }
    return std::all_of(entries.begin(), entries.end(), [](const FolderEntry& entry) {
        return std::any_of(std::begin(kFreshVolumeEntries), std::end(kFreshVolumeEntries),
                           [&entry](const wchar_t* fresh) { return to_upper_ascii(entry.name) == to_upper_ascii(fresh); });
    });
}

bool holds_nothing(FileSystem& files, const std::wstring& root) {
    std::unique_ptr<Folder> folder = files.open_folder(root);
    return folder && holds_nothing(*folder);
}

bool set_key_label(Volumes& volumes, const std::wstring& root, const std::wstring& label, std::wstring& given) {
    const std::wstring fitted = label.substr(0, kFatLabelLength);
    if (volumes.set_volume_label(root, label)) {
        given = label;
    } else if (fitted != label && label_names_key(fitted) && volumes.set_volume_label(root, fitted)) {
        given = fitted;
    } else if (label != kVolumeWord && volumes.set_volume_label(root, kVolumeWord)) {
        given = kVolumeWord;
    } else {
        return false;
    }
    return true;
}

}  // namespace lanternbook
