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

// Keys looked for in what `volumes` reads of the volumes mounted: the same
// reading each root's identity then comes from, so a command reads it once.
class MountedKeys : public AttachedKeys {
public:
    // Linux: the mount table, udev's label links and the devices' own labels.
    [[nodiscard]] static MountedKeys in_mount_table(posix::PosixVolumes& volumes);
    // macOS: the folders in /Volumes.
    [[nodiscard]] static MountedKeys in_volume_folders(posix::PosixVolumes& volumes);

    // Reads the volumes afresh: a search is a new look at what is attached (watch makes one a round).
    KeySearch find_keys() override;
    // The same folder as a key's root once every link is resolved, by what was read last.
    bool is_key_root(const std::wstring& folder) override;
    std::wstring searched() override { return searched_; }
    std::wstring label_of(const std::wstring& root) override;
    std::vector<std::wstring> unread_labels() override { return unread_labels_; }

private:
    MountedKeys(posix::PosixVolumes& volumes, std::string source, std::wstring searched)
        : volumes_(volumes), source_(std::move(source)), searched_(std::move(searched)) {}
    // The keys among `volumes`; none, with the failure told, when they could not be read.
    KeySearch keys_in(const std::vector<posix::MountedVolume>* volumes);

    posix::PosixVolumes& volumes_;
    // What is read, named when it cannot be.
    std::string source_;
    std::wstring searched_;
    // The labels the last search read, by root, and those it could not.
    std::map<std::wstring, std::wstring> labels_;
    std::vector<std::wstring> unread_labels_;
};

}  // namespace lanternbook::cli
