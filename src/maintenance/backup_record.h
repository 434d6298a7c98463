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
// The attributes a file keeps through a backup.
constexpr uint32_t kKeptFileAttributes = kAttributeReadOnly | kAttributeHidden | kAttributeSystem | kAttributeArchive;

struct BackupRecord {
    uint32_t serial_before = 0;  // the key's volume serial number before the format
    uint32_t serial_after = 0;   // the formatted volume's, or the one put back onto; 0 until known
    std::wstring label;          // the key's label before the format, at most 32 characters
    uint64_t volume_bytes = 0;
    // CONFIG's bytes 25-31 (the key's serial number and version) as read.
    std::vector<uint8_t> identity;
    SystemTime made;
    // Whether each of the backed-up files is in the folder, its size, its
    // attributes on the key and a hash of its bytes.
    std::array<bool, kRecordedFiles> held{};
    std::array<uint64_t, kRecordedFiles> sizes{};
    std::array<uint8_t, kRecordedFiles> attributes{};
    std::array<uint64_t, kRecordedFiles> hashes{};
    // A record of the first layout keeps no attributes and no hashes.
    bool hashed = true;

    bool operator==(const BackupRecord& other) const;
};

[[nodiscard]] std::vector<uint8_t> encode_record(const BackupRecord& record);
// False, with `record` as it was, for bytes that are not a whole record of
// this kind: the right length, its own mark, and no field out of its range
// (a date that is none, a file larger than the volume, a label with a
// control character).
[[nodiscard]] bool decode_record(const uint8_t* data, std::size_t size, BackupRecord& record);

// Whether the identity bytes say that the key stores a serial number: a
// key whose first CONFIG we wrote has zeros there, as every such key has.
[[nodiscard]] bool identity_names_a_key(const std::vector<uint8_t>& identity);

// A 64-bit FNV-1a hash of bytes, carried on from `hash` (start at kHashStart).
constexpr uint64_t kHashStart = 14695981039346656037ULL;
[[nodiscard]] uint64_t hash_bytes(uint64_t hash, const uint8_t* data, std::size_t size);

}  // namespace lanternbook
