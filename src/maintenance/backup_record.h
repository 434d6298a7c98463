// What a backup folder holds and whose it is, written beside the copied
// files before a format starts and removed only once everything is back on
// the key: a folder that still has one belongs to a format that never
// finished. A fixed layout of little-endian fields, read without any library.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace lanternbook {

constexpr wchar_t kBackupRecordName[] = L"BACKUP.REC";
// The files a backup holds, in this order; the record keeps a size for each.
constexpr std::size_t kRecordedFiles = 4;
constexpr std::size_t kRecordLabelLength = 32;

struct BackupRecord {
    uint32_t serial_before = 0;  // the key's volume serial number before the format
    uint32_t serial_after = 0;   // the formatted volume's; 0 until it is known
    std::wstring label;          // the key's label before the format, at most 32 characters
    uint64_t volume_bytes = 0;
    // CONFIG's bytes 25-31 (the key's serial number and version) as read.
    std::vector<uint8_t> identity;
    SystemTime made;
    // Whether each of the backed-up files is in the folder, and its size.
    std::array<bool, kRecordedFiles> held{};
    std::array<uint64_t, kRecordedFiles> sizes{};

    bool operator==(const BackupRecord& other) const;
};

[[nodiscard]] std::vector<uint8_t> encode_record(const BackupRecord& record);
// False, with `record` as it was, for bytes that are not a whole record of
// this kind: the right length, its own mark, and no field out of its range.
[[nodiscard]] bool decode_record(const uint8_t* data, std::size_t size, BackupRecord& record);

}  // namespace lanternbook
