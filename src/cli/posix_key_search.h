// The keys attached to a POSIX system: mounted volumes whose label names the
// key (Linux: the mount table and udev's label links; macOS: /Volumes).
#pragma once

#include "cli/key_search.h"
#include "platform/posix/mounted_volumes.h"

namespace lanternbook::cli {

[[nodiscard]] KeySearch keys_in_mount_table(const posix::VolumeSources& sources);
[[nodiscard]] KeySearch keys_in_volume_folders(const posix::VolumeSources& sources);

}  // namespace lanternbook::cli
