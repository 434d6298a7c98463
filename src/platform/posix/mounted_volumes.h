// The volumes mounted on a POSIX system with their labels and identities:
// on Linux from /proc/self/mountinfo and the /dev/disk/by-label and by-uuid
// links, without root, and where those say nothing (no udev) from the block
// devices themselves through libblkid, which needs read access to them;
// on macOS from the folders in /Volumes.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace lanternbook::posix {

// Where the system tells about volumes. A test points them at files of its own.
struct VolumeSources {
    std::string by_label = "/dev/disk/by-label";
    std::string by_uuid = "/dev/disk/by-uuid";
    std::string mountinfo = "/proc/self/mountinfo";
    std::string volumes_folder = "/Volumes";
    // Put before the device paths that mountinfo names.
    std::string device_prefix;

    // Every source above below `root` ("" is the system itself).
    static VolumeSources under(const std::string& root);
};

struct MountedVolume {
    std::string mount_point;
    std::string label;  // empty when the volume has none
    std::string uuid;   // empty when unknown
    dev_t device_number = 0;
    uint64_t mount_id = 0;  // the mount's number in the table; 0 when it gives none
    // "/dev/sdb1: Permission denied" when the label had to be read from the
    // device and it could not be opened: the label is unknown, not absent.
    std::string unread_label;
};

// A udev link name ("VOLKARIS\x20KEY") as the label it stands for.
[[nodiscard]] std::string label_from_link_name(const std::string& name);

// Every mount in the mount table, with the label and UUID of its device.
// False when the mount table cannot be read; missing link folders only mean
// that the labels and UUIDs come from the devices, when they can be read.
[[nodiscard]] bool read_mount_table(const VolumeSources& sources, std::vector<MountedVolume>& volumes);

// Every folder in sources.volumes_folder, its name taken as its label.
// False when the folder is there but cannot be read.
[[nodiscard]] bool read_volume_folders(const VolumeSources& sources, std::vector<MountedVolume>& volumes);

// The volume's UUID as a 32-bit serial number: its first eight hex digits,
// which for a FAT volume ("1A2B-3C4D") are the whole serial number.
[[nodiscard]] uint32_t serial_from_uuid(const std::string& uuid);

// A reader of the volumes mounted: read_mount_table or read_volume_folders.
using VolumeReader = bool (*)(const VolumeSources&, std::vector<MountedVolume>&);
#if defined(__APPLE__)
constexpr VolumeReader kSystemVolumes = &read_volume_folders;
#else
constexpr VolumeReader kSystemVolumes = &read_mount_table;
#endif

// The Volumes service on those sources. There are no drive letters, USB
// device sets or label changes here; only identities and sizes.
class PosixVolumes : public Volumes {
public:
    explicit PosixVolumes(VolumeSources sources, VolumeReader read = kSystemVolumes)
        : sources_(std::move(sources)), read_(read) {}
    PosixVolumes(const PosixVolumes&) = delete;
    PosixVolumes& operator=(const PosixVolumes&) = delete;
    ~PosixVolumes() override;

    [[nodiscard]] const VolumeSources& sources() const { return sources_; }
    // The volumes mounted, read once and then shared by the key search and
    // every root's identity until read `afresh` (a new search) or forgotten.
    // Null when they cannot be read.
    [[nodiscard]] const std::vector<MountedVolume>* mounted(bool afresh);

    uint32_t logical_drive_mask() override { return 0; }
    bool drive_display_name(const std::wstring&, std::wstring&) override { return false; }
    bool volume_total_bytes(const std::wstring& root, uint64_t& total_bytes) override;
    // The serial is the volume's UUID where one is known, its device number
    // otherwise; the label comes from the volumes mounted as read above. Each
    // root's folder is then held open: while the same mount is there (its
    // number, which the held folder keeps from being given to another mount,
    // and the held folder's device and inode), the answer stays without a
    // look at the table; another mount there, one the table read does not
    // list, has the table read afresh.
    bool volume_identity(const std::wstring& root, uint32_t& serial_number, std::wstring& label) override;
    bool set_volume_label(const std::wstring&, const std::wstring&) override { return false; }
    // No drive is offered as a blank key here: a folder is named with --key.
    bool is_removable(const std::wstring&) override { return false; }
    std::unique_ptr<UsbDeviceSet> open_usb_devices() override { return nullptr; }
    // Lets go of every root's folder held and of the table read: a program
    // that runs on (watch) must not keep a key's volume busy, so that it can
    // be unmounted, nor keep what it read of mounts long gone.
    void forget();

private:
    // A root asked about, its folder held, and what was read of it.
    struct KnownRoot {
        std::string path;
        int folder = -1;
        uint64_t mount = 0;
        uint32_t serial = 0;
        std::wstring label;
    };
    enum class TableState { unread, read, unreadable };
    // Whether `known` is still the folder at its path now found as `info` on `mount`.
    [[nodiscard]] static bool still_there(const KnownRoot& known, const struct stat& info, uint64_t mount);
    // The identity of the volume of `info` from the volumes mounted; `unlisted`,
    // when set, is a mount that took a known root's place, which a table
    // read before it came cannot list.
    void read_identity(const struct stat& info, const uint64_t* unlisted, uint32_t& serial_number, std::wstring& label);

    VolumeSources sources_;
    VolumeReader read_;
    std::vector<KnownRoot> known_;
    std::vector<MountedVolume> table_;
    TableState table_state_ = TableState::unread;
};

}  // namespace lanternbook::posix
