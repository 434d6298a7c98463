#include "platform/posix/mounted_volumes.h"

#include <dirent.h>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>

#if defined(__linux__)
#include <blkid/blkid.h>
#include <libmount/libmount.h>
#endif

#include "platform/posix/posix_files.h"
#include "text/utf8_text.h"

namespace lanternbook::posix {
namespace {

constexpr std::size_t kSerialDigits = 8;
constexpr int kHexBase = 16;

struct FolderCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};
using FolderHandle = std::unique_ptr<DIR, FolderCloser>;

struct PathFree {
    void operator()(char* path) const { std::free(path); }  // NOLINT(cppcoreguidelines-no-malloc): realpath's buffer
};

// The path with every link resolved, or the path itself when it cannot be.
std::string canonical(const std::string& path) {
    const std::unique_ptr<char, PathFree> resolved(::realpath(path.c_str(), nullptr));
    return resolved ? std::string(resolved.get()) : path;
}

int hex_value(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// The names of the links in `folder`, keyed by the device each leads to;
// none where the folder cannot be read, which leaves volumes without labels.
void read_device_links(const std::string& folder, std::map<std::string, std::string>& names) {
    const FolderHandle dir(::opendir(folder.c_str()));
    if (!dir) {
        return;
    }
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        std::string target(PATH_MAX, '\0');
        const ssize_t length = ::readlink(joined_path(folder, name).c_str(), target.data(), target.size());
        if (length <= 0) {
            continue;
        }
        target.resize(static_cast<std::size_t>(length));
        if (target[0] != '/') {
            target = joined_path(folder, target);
        }
        names.emplace(canonical(target), name);
    }
}

#if defined(__linux__)
// The label and UUID written in the file system on `device` (a block device,
// or an image file standing for one), read from the device itself.
void probe_device(const std::string& device, MountedVolume& volume) {
    struct stat info {};
    if (::stat(device.c_str(), &info) != 0 || !(S_ISBLK(info.st_mode) || S_ISREG(info.st_mode))) {
        return;
    }
    struct ProbeRelease {
        void operator()(blkid_struct_probe* probe) const { blkid_free_probe(probe); }
    };
    errno = 0;
    const std::unique_ptr<blkid_struct_probe, ProbeRelease> probe(blkid_new_probe_from_filename(device.c_str()));
    if (!probe && errno != 0) {
        volume.unread_label = device + ": " + std::strerror(errno);
    }
    if (!probe || blkid_probe_enable_superblocks(probe.get(), 1) != 0 ||
        blkid_probe_set_superblocks_flags(probe.get(), BLKID_SUBLKS_LABEL | BLKID_SUBLKS_UUID) != 0 ||
        blkid_do_safeprobe(probe.get()) != 0) {
        return;
    }
    const char* value = nullptr;
    if (blkid_probe_lookup_value(probe.get(), "LABEL", &value, nullptr) == 0 && value != nullptr) {
        volume.label = value;
    }
    if (volume.uuid.empty() && blkid_probe_lookup_value(probe.get(), "UUID", &value, nullptr) == 0 &&
        value != nullptr) {
        volume.uuid = value;
    }
}
#endif

// The number of the mount that holds `path` (relative to the folder
// `folder`, as statx takes them); false where the system cannot tell it.
bool mount_of(int folder, const char* path, int flags, uint64_t& mount) {
#if defined(__linux__) && defined(STATX_MNT_ID)
    struct statx info {};
    if (::statx(folder, path, flags, STATX_MNT_ID, &info) != 0 || (info.stx_mask & STATX_MNT_ID) == 0) {
        return false;
    }
    mount = info.stx_mnt_id;
    return true;
#else
    static_cast<void>(folder);
    static_cast<void>(path);
    static_cast<void>(flags);
    static_cast<void>(mount);
    return false;
#endif
}

template <typename Value>
std::string value_or_empty(const std::map<std::string, Value>& map, const std::string& key) {
    const auto found = map.find(key);
    return found == map.end() ? std::string() : found->second;
}

}  // namespace

VolumeSources VolumeSources::under(const std::string& root) {
    VolumeSources sources;
    sources.by_label = root + sources.by_label;
    sources.by_uuid = root + sources.by_uuid;
    sources.mountinfo = root + sources.mountinfo;
    sources.volumes_folder = root + sources.volumes_folder;
    sources.device_prefix = root;
    return sources;
}

std::string label_from_link_name(const std::string& name) {
    std::string label;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x') {
            const int high = hex_value(name[i + 2]);
            const int low = hex_value(name[i + 3]);
            if (high >= 0 && low >= 0) {
                label.push_back(static_cast<char>(high * kHexBase + low));
                i += 3;
                continue;
            }
        }
        label.push_back(name[i]);
    }
    return label;
}

uint32_t serial_from_uuid(const std::string& uuid) {
    uint32_t serial = 0;
    std::size_t digits = 0;
    for (const char c : uuid) {
        const int value = hex_value(c);
        if (value < 0) {
            continue;
        }
        serial = (serial << 4) | static_cast<uint32_t>(value);
        if (++digits == kSerialDigits) {
            break;
        }
    }
    return serial;
}

bool read_mount_table(const VolumeSources& sources, std::vector<MountedVolume>& volumes) {
    volumes.clear();
#if defined(__linux__)
    std::map<std::string, std::string> labels;
    std::map<std::string, std::string> uuids;
    // Unreadable link folders leave volumes without labels, not the table unread.
    read_device_links(sources.by_label, labels);
    read_device_links(sources.by_uuid, uuids);

    struct TableRelease {
        void operator()(libmnt_table* table) const { mnt_unref_table(table); }
    };
    struct IteratorRelease {
        void operator()(libmnt_iter* iterator) const { mnt_free_iter(iterator); }
    };
    const std::unique_ptr<libmnt_table, TableRelease> table(mnt_new_table());
    const std::unique_ptr<libmnt_iter, IteratorRelease> iterator(mnt_new_iter(MNT_ITER_FORWARD));
    if (!table || !iterator || ::access(sources.mountinfo.c_str(), R_OK) != 0 ||
        mnt_table_parse_file(table.get(), sources.mountinfo.c_str()) != 0) {
        return false;
    }
    // Devices udev's links say nothing about are asked themselves, once each.
    std::map<std::string, MountedVolume> probed;
    libmnt_fs* fs = nullptr;
    while (mnt_table_next_fs(table.get(), iterator.get(), &fs) == 0) {
        const char* target = mnt_fs_get_target(fs);
        if (target == nullptr) {
            continue;
        }
        MountedVolume volume;
        volume.mount_point = target;
        volume.device_number = mnt_fs_get_devno(fs);
        volume.mount_id = static_cast<uint64_t>(mnt_fs_get_id(fs) > 0 ? mnt_fs_get_id(fs) : 0);
        const char* source = mnt_fs_get_srcpath(fs);
        if (source != nullptr && source[0] == '/') {
            const std::string device = canonical(sources.device_prefix + source);
            volume.label = label_from_link_name(value_or_empty(labels, device));
            volume.uuid = value_or_empty(uuids, device);
            if (volume.label.empty()) {
                const auto known = probed.find(device);
                if (known == probed.end()) {
                    probe_device(device, volume);
                    probed.emplace(device, volume);
                } else {
                    volume.label = known->second.label;
                    volume.uuid = known->second.uuid;
                    volume.unread_label = known->second.unread_label;
                }
            }
        }
        volumes.push_back(volume);
    }
    return true;
#else
    static_cast<void>(sources);
    return false;
#endif
}

bool read_volume_folders(const VolumeSources& sources, std::vector<MountedVolume>& volumes) {
    volumes.clear();
    const FolderHandle dir(::opendir(sources.volumes_folder.c_str()));
    if (!dir) {
        return errno == ENOENT || errno == ENOTDIR;
    }
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        MountedVolume volume;
        volume.mount_point = joined_path(sources.volumes_folder, name);
        volume.label = name;
        struct stat info {};
        if (::stat(volume.mount_point.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            continue;
        }
        volume.device_number = info.st_dev;
        volumes.push_back(volume);
    }
    return true;
}

bool PosixVolumes::volume_total_bytes(const std::wstring& root, uint64_t& total_bytes) {
    struct statvfs info {};
    if (::statvfs(system_path(root).c_str(), &info) != 0) {
        return false;
    }
    total_bytes = static_cast<uint64_t>(info.f_blocks) * info.f_frsize;
    return true;
}

PosixVolumes::~PosixVolumes() { forget(); }

const std::vector<MountedVolume>* PosixVolumes::mounted(bool afresh) {
    if (afresh || table_state_ == TableState::unread) {
        table_state_ = read_(sources_, table_) ? TableState::read : TableState::unreadable;
    }
    return table_state_ == TableState::read ? &table_ : nullptr;
}

void PosixVolumes::forget() {
    for (const KnownRoot& known : known_) {
        static_cast<void>(::close(known.folder));
    }
    known_.clear();
    table_.clear();
    table_state_ = TableState::unread;
}

bool PosixVolumes::volume_identity(const std::wstring& root, uint32_t& serial_number, std::wstring& label) {
    const std::string path = system_path(root);
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        return false;
    }
    uint64_t mount = 0;
    const bool mount_told = mount_of(AT_FDCWD, path.c_str(), 0, mount);
    const auto known =
        std::find_if(known_.begin(), known_.end(), [&path](const KnownRoot& held) { return held.path == path; });
    if (known != known_.end() && mount_told && still_there(*known, info, mount)) {
        serial_number = known->serial;
        label = known->label;
        return true;
    }
    const bool replaced = known != known_.end();
    read_identity(info, replaced && mount_told ? &mount : nullptr, serial_number, label);
    if (replaced) {
        static_cast<void>(::close(known->folder));
        known_.erase(known);
    }
    if (!mount_told) {
        return true;
    }
    // Held from now on, so that this mount's number is nobody else's while it is asked by it.
    const int folder = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    uint64_t held_mount = 0;
    if (folder < 0 || !mount_of(folder, "", AT_EMPTY_PATH, held_mount) || held_mount != mount) {
        if (folder >= 0) {
            static_cast<void>(::close(folder));
        }
        return true;
    }
    known_.push_back(KnownRoot{path, folder, mount, serial_number, label});
    return true;
}

bool PosixVolumes::still_there(const KnownRoot& known, const struct stat& info, uint64_t mount) {
    struct stat held {};
    return known.mount == mount && ::fstat(known.folder, &held) == 0 && held.st_dev == info.st_dev &&
           held.st_ino == info.st_ino;
}

void PosixVolumes::read_identity(const struct stat& info, const uint64_t* unlisted, uint32_t& serial_number,
                                 std::wstring& label) {
    // 64-bit device numbers folded so that major and minor both count.
    const auto device = static_cast<uint64_t>(info.st_dev);
    serial_number = static_cast<uint32_t>(device ^ (device >> 32));
    label.clear();
    const std::vector<MountedVolume>* table = mounted(false);
    if (table != nullptr && unlisted != nullptr &&
        std::none_of(table->begin(), table->end(), [unlisted](const MountedVolume& volume) {
            return volume.mount_id == *unlisted;
        })) {
        table = mounted(true);
    }
    if (table == nullptr) {
        return;
    }
    for (const MountedVolume& volume : *table) {
        if (volume.device_number != info.st_dev || (volume.label.empty() && volume.uuid.empty())) {
            continue;
        }
        if (!volume.uuid.empty()) {
            serial_number = serial_from_uuid(volume.uuid);
        }
        label = wide_from_utf8(volume.label);
        break;
    }
}

}  // namespace lanternbook::posix
