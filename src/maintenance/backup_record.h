// What a backup folder holds and whose it is, written beside the copied
// files before a format starts and removed only once everything is back on
// the key: a folder that still has one belongs to a format that never
// finished. Plain UTF-8 lines, read back without any library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace lanternbook {

constexpr wchar_t kBackupRecordName[] = L"backup.txt";

struct BackupRecord {
    struct Copied {
        std::wstring name;  // one of the backed-up files' names
        uint64_t size = 0;

        bool operator==(const Copied& other) const { return name == other.name && size == other.size; }
    };

    uint32_t serial_before = 0;  // the key's volume serial number before the format
    uint32_t serial_after = 0;   // the formatted volume's; 0 until it is known
    std::wstring label;          // the key's label before the format
    uint64_t volume_bytes = 0;
    // CONFIG's bytes 25-31 (the key's serial number and version) as read.
    std::vector<uint8_t> identity;
    SystemTime made;
    std::vector<Copied> files;

    bool operator==(const BackupRecord& other) const;
};

[[nodiscard]] std::string encode_record(const BackupRecord& record);
// False, with `record` as it was, for text that is not a whole record of
// this kind: every line known, every number whole, only the names of the
// files a backup holds, and nothing that could name a path.
[[nodiscard]] bool decode_record(const std::string& text, BackupRecord& record);

}  // namespace lanternbook
