#include "cli/posix_key_search.h"

#include <algorithm>

#include "text/utf8_text.h"

namespace lanternbook::cli {

MountedKeys MountedKeys::in_mount_table(const posix::VolumeSources& sources) {
    return MountedKeys(sources, &posix::read_mount_table, sources.mountinfo);
}

MountedKeys MountedKeys::in_volume_folders(const posix::VolumeSources& sources) {
    return MountedKeys(sources, &posix::read_volume_folders, sources.volumes_folder);
}

KeySearch MountedKeys::find_keys() {
    KeySearch search;
    std::vector<posix::MountedVolume> volumes;
    if (!read_(sources_, volumes)) {
        search.failure = wide_from_utf8(source_);
        return search;
    }
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

}  // namespace lanternbook::cli
