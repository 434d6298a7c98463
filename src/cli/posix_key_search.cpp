#include "cli/posix_key_search.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/utf8_text.h"

namespace lanternbook::cli {
namespace {

KeySearch keys_among(const std::vector<posix::MountedVolume>& volumes) {
    KeySearch search;
    for (const posix::MountedVolume& volume : volumes) {
        const std::wstring root = wide_from_utf8(volume.mount_point);
        // A volume mounted twice is one key with two roots; each is listed once.
        if (label_names_key(wide_from_utf8(volume.label)) &&
            std::find(search.roots.begin(), search.roots.end(), root) == search.roots.end()) {
            search.roots.push_back(root);
        }
    }
    return search;
}

}  // namespace

namespace {

using VolumeReader = bool (*)(const posix::VolumeSources&, std::vector<posix::MountedVolume>&);

// The keys among what `read` finds; a source that cannot be read is named.
KeySearch keys_read_by(VolumeReader read, const posix::VolumeSources& sources, const std::string& source) {
    std::vector<posix::MountedVolume> volumes;
    if (!read(sources, volumes)) {
        KeySearch search;
        search.failure = wide_from_utf8(source);
        return search;
    }
    return keys_among(volumes);
}

}  // namespace

KeySearch keys_in_mount_table(const posix::VolumeSources& sources) {
    return keys_read_by(&posix::read_mount_table, sources, sources.mountinfo);
}

KeySearch keys_in_volume_folders(const posix::VolumeSources& sources) {
    return keys_read_by(&posix::read_volume_folders, sources, sources.volumes_folder);
}

}  // namespace lanternbook::cli
