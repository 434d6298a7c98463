// The keys attached to a POSIX system: mounted volumes whose label names the
// key (Linux: the mount table and udev's label links; macOS: /Volumes).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "device/device_drive.h"
#include "platform/posix/mounted_volumes.h"

namespace lanternbook::cli {

class MountedKeys : public KeyFinder {
public:
    // Linux: the mount table and udev's label links.
    [[nodiscard]] static MountedKeys in_mount_table(const posix::VolumeSources& sources);
    // macOS: the folders in /Volumes.
    [[nodiscard]] static MountedKeys in_volume_folders(const posix::VolumeSources& sources);

    KeySearch find_keys() override;

private:
    using VolumeReader = bool (*)(const posix::VolumeSources&, std::vector<posix::MountedVolume>&);
    MountedKeys(const posix::VolumeSources& sources, VolumeReader read, std::string source)
        : sources_(sources), read_(read), source_(std::move(source)) {}

    const posix::VolumeSources& sources_;
    VolumeReader read_;
    // What is read, named when it cannot be.
    std::string source_;
};

}  // namespace lanternbook::cli
