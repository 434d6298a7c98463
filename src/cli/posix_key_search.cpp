#include "cli/posix_key_search.h"

#include <climits>
#include <cstdlib>

#include <algorithm>
#include <memory>

#include "platform/posix/posix_files.h"
#include "text/utf8_text.h"

namespace lanternbook::cli {
namespace {

struct PathFree {
    void operator()(char* path) const { std::free(path); }  // NOLINT(cppcoreguidelines-no-malloc): realpath's buffer
};

// The path with every link resolved; empty when it cannot be.
std::string resolved(const std::string& path) {
    const std::unique_ptr<char, PathFree> full(::realpath(path.c_str(), nullptr));
    return full ? std::string(full.get()) : std::string();
}

}  // namespace

MountedKeys MountedKeys::in_mount_table(posix::PosixVolumes& volumes) {
    const posix::VolumeSources& sources = volumes.sources();
    return MountedKeys(volumes, sources.mountinfo,
                       wide_from_utf8(sources.mountinfo + ", " + sources.by_label + " and the block devices' labels"));
}

MountedKeys MountedKeys::in_volume_folders(posix::PosixVolumes& volumes) {
    return MountedKeys(volumes, volumes.sources().volumes_folder, wide_from_utf8(volumes.sources().volumes_folder));
}

KeySearch MountedKeys::find_keys() { return keys_in(volumes_.mounted(true)); }

KeySearch MountedKeys::keys_in(const std::vector<posix::MountedVolume>* volumes) {
    KeySearch search;
    labels_.clear();
    unread_labels_.clear();
    if (volumes == nullptr) {
        search.failure = wide_from_utf8(source_);
        return search;
    }
    for (const posix::MountedVolume& volume : *volumes) {
        const std::wstring root = wide_from_utf8(volume.mount_point);
        // A volume mounted twice is one key with two roots; each is listed once.
        const std::wstring unread = wide_from_utf8(volume.unread_label);
        if (!unread.empty() && std::find(unread_labels_.begin(), unread_labels_.end(), unread) == unread_labels_.end()) {
            unread_labels_.push_back(unread);
        }
        const std::wstring label = wide_from_utf8(volume.label);
        if (label_names_key(label) && std::find(search.roots.begin(), search.roots.end(), root) == search.roots.end()) {
            search.roots.push_back(root);
            labels_.emplace(root, label);
        }
    }
    return search;
}

std::wstring MountedKeys::label_of(const std::wstring& root) {
    const auto found = labels_.find(root);
    return found == labels_.end() ? std::wstring() : found->second;
}

bool MountedKeys::is_key_root(const std::wstring& folder) {
    const std::string wanted = resolved(posix::system_path(folder));
    if (wanted.empty()) {
        return false;
    }
    const KeySearch search = keys_in(volumes_.mounted(false));
    return std::any_of(search.roots.begin(), search.roots.end(), [&wanted](const std::wstring& root) {
        return resolved(posix::system_path(root)) == wanted;
    });
}

}  // namespace lanternbook::cli
