// Finding the attached keys for the command line, and settling which one a
// command works on.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "cli/exit_codes.h"
#include "device/device_drive.h"
#include "platform/platform.h"

namespace lanternbook::cli {

struct KeySearch {
    std::vector<std::wstring> roots;
    // Set when the search could not be made: what could not be read.
    std::wstring failure;
};

// Each platform has its own way of listing the keys.
using KeyFinder = std::function<KeySearch()>;

// True for a volume label that names a key: it holds the volume word in any case.
[[nodiscard]] bool label_names_key(const std::wstring& label);

// Windows: every drive whose display name holds the volume word, by the
// dialog's own search, after its stale-device removal.
[[nodiscard]] KeySearch keys_by_drive_letter(DeviceDrive& device, Volumes& volumes);

struct ChosenKey {
    Exit exit = Exit::done;
    std::wstring root;
    std::wstring error;  // one line when exit is not done
};

// The folder named with --key when there is one, or the only key attached.
[[nodiscard]] ChosenKey choose_key(const std::wstring* named_root, const KeyFinder& finder, FileSystem& files);

}  // namespace lanternbook::cli
