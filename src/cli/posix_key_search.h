// The keys attached to a POSIX system: mounted volumes whose label names the
// key (Linux: the mount table, udev's label links and the devices' own
// labels; macOS: /Volumes).
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "cli/key_search.h"
#include "platform/posix/mounted_volumes.h"

namespace lanternbook::cli {

class MountedKeys : public AttachedKeys {
public:
    // Linux: the mount table, udev's label links and the devices' own labels.
    [[nodiscard]] static MountedKeys in_mount_table(const posix::VolumeSources& sources);
    // macOS: the folders in /Volumes.
    [[nodiscard]] static MountedKeys in_volume_folders(const posix::VolumeSources& sources);

    KeySearch find_keys() override;
    // The same folder as a key's root once every link is resolved.
    bool is_key_root(const std::wstring& folder) override;
    std::wstring searched() override { return searched_; }
    std::wstring label_of(const std::wstring& root) override;
    std::vector<std::wstring> unread_labels() override { return unread_labels_; }

private:
    using VolumeReader = bool (*)(const posix::VolumeSources&, std::vector<posix::MountedVolume>&);
    MountedKeys(const posix::VolumeSources& sources, VolumeReader read, std::string source, std::wstring searched)
        : sources_(sources), read_(read), source_(std::move(source)), searched_(std::move(searched)) {}

    const posix::VolumeSources& sources_;
    VolumeReader read_;
    // What is read, named when it cannot be.
    std::string source_;
    std::wstring searched_;
    // The labels the last search read, by root, and those it could not.
    std::map<std::wstring, std::wstring> labels_;
    std::vector<std::wstring> unread_labels_;
};

}  // namespace lanternbook::cli
