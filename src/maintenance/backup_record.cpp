#include "maintenance/backup_record.h"

#include <algorithm>
#include <iterator>

#include "config/calendar.h"

namespace lanternbook {
namespace {

// Tells a person who opens the file, and the program, what it is.
constexpr char kMark[] = "lanternbook backup record 2\n";
constexpr char kFirstMark[] = "lanternbook backup record 1\n";
constexpr std::size_t kMarkLength = sizeof kMark - 1;
constexpr std::size_t kIdentityMaxBytes = 7;
constexpr std::size_t kMadeFields = 6;
constexpr std::size_t kFirstRecordLength = kMarkLength + 4 + 4 + 8 + 1 + kIdentityMaxBytes + 2 * kMadeFields +
                                           kRecordedFiles * (1 + 8) + 1 + 2 * kRecordLabelLength;
constexpr std::size_t kRecordLength = kFirstRecordLength + kRecordedFiles * (1 + 8);
constexpr uint64_t kHashPrime = 1099511628211ULL;

class Writer {
public:
    void bytes(const uint8_t* data, std::size_t count) { out.insert(out.end(), data, data + count); }
    void number(uint64_t value, std::size_t width) {
        for (std::size_t i = 0; i < width; ++i) {
            out.push_back(static_cast<uint8_t>(value >> (8 * i)));
        }
    }
    std::vector<uint8_t> out;
};

class Reader {
public:
    Reader(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    uint64_t number(std::size_t width) {
        uint64_t value = 0;
        for (std::size_t i = 0; i < width && at_ < size_; ++i, ++at_) {
            value |= uint64_t{data_[at_]} << (8 * i);
        }
        return value;
    }

private:
    const uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = kMarkLength;
};

// When the backup was made, to the second, in this order.
constexpr uint16_t SystemTime::*kMadeFieldsInOrder[kMadeFields] = {
    &SystemTime::year, &SystemTime::month, &SystemTime::day, &SystemTime::hour, &SystemTime::minute, &SystemTime::second};

// A label as a volume can bear it: no control character, no half of a pair.
bool printable(const std::wstring& label) {
    return std::none_of(label.begin(), label.end(), [](wchar_t c) {
        // UTF-16 units, as the record keeps them.
        const auto unit = static_cast<uint32_t>(static_cast<uint16_t>(c));
        return unit < 0x20 || (unit >= 0x7F && unit < 0xA0) || (unit >= 0xD800 && unit < 0xE000);
    });
}

}  // namespace

bool BackupRecord::operator==(const BackupRecord& other) const {
    return serial_before == other.serial_before && serial_after == other.serial_after && label == other.label &&
           volume_bytes == other.volume_bytes && identity == other.identity && made.year == other.made.year &&
           made.month == other.made.month && made.day == other.made.day && made.hour == other.made.hour &&
           made.minute == other.made.minute && made.second == other.made.second && held == other.held &&
           sizes == other.sizes && attributes == other.attributes && hashes == other.hashes && hashed == other.hashed;
}

uint64_t hash_bytes(uint64_t hash, const uint8_t* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        hash = (hash ^ data[i]) * kHashPrime;
    }
    return hash;
}

bool identity_names_a_key(const std::vector<uint8_t>& identity) { return !identity.empty() && identity[0] != 0; }

std::vector<uint8_t> encode_record(const BackupRecord& record) {
    Writer w;
    w.bytes(reinterpret_cast<const uint8_t*>(kMark), kMarkLength);
    w.number(record.serial_before, 4);
    w.number(record.serial_after, 4);
    w.number(record.volume_bytes, 8);
    const std::size_t identity = std::min(record.identity.size(), kIdentityMaxBytes);
    w.number(identity, 1);
    for (std::size_t i = 0; i < kIdentityMaxBytes; ++i) {
        w.number(i < identity ? record.identity[i] : 0, 1);
    }
    for (uint16_t SystemTime::*const field : kMadeFieldsInOrder) {
        w.number(record.made.*field, 2);
    }
    for (std::size_t i = 0; i < kRecordedFiles; ++i) {
        w.number(record.held[i] ? 1 : 0, 1);
        w.number(record.sizes[i], 8);
    }
    const std::size_t label = std::min(record.label.size(), kRecordLabelLength);
    w.number(label, 1);
    for (std::size_t i = 0; i < kRecordLabelLength; ++i) {
        w.number(i < label ? static_cast<uint16_t>(record.label[i]) : 0, 2);
    }
    for (std::size_t i = 0; i < kRecordedFiles; ++i) {
        w.number(record.attributes[i], 1);
        w.number(record.hashes[i], 8);
    }
    return w.out;
}

bool decode_record(const uint8_t* data, std::size_t size, BackupRecord& record) {
    const bool current = size == kRecordLength && data != nullptr && std::equal(kMark, kMark + kMarkLength, data);
    const bool first = size == kFirstRecordLength && data != nullptr &&
                       std::equal(kFirstMark, kFirstMark + kMarkLength, data);
    if (!current && !first) {
        return false;
    }
    Reader r(data, size);
    BackupRecord read;
    read.serial_before = static_cast<uint32_t>(r.number(4));
    read.serial_after = static_cast<uint32_t>(r.number(4));
    read.volume_bytes = r.number(8);
    const auto identity = static_cast<std::size_t>(r.number(1));
    for (std::size_t i = 0; i < kIdentityMaxBytes; ++i) {
        const auto byte = static_cast<uint8_t>(r.number(1));
        if (i < identity) {
            read.identity.push_back(byte);
        }
    }
    bool in_range = identity <= kIdentityMaxBytes;
    for (uint16_t SystemTime::*const field : kMadeFieldsInOrder) {
        read.made.*field = static_cast<uint16_t>(r.number(2));
    }
    // A day its month has, as the platform's own calendar takes it.
    in_range = in_range && is_valid_system_time(read.made);
    for (std::size_t i = 0; i < kRecordedFiles; ++i) {
        const uint64_t held = r.number(1);
        read.held[i] = held == 1;
        read.sizes[i] = r.number(8);
        in_range = in_range && held <= 1 && (read.held[i] || read.sizes[i] == 0) && read.sizes[i] <= read.volume_bytes;
    }
    const auto label = static_cast<std::size_t>(r.number(1));
    for (std::size_t i = 0; i < kRecordLabelLength; ++i) {
        const auto c = static_cast<wchar_t>(r.number(2));
        if (i < label) {
            read.label.push_back(c);
        }
    }
    read.hashed = current;
    for (std::size_t i = 0; current && i < kRecordedFiles; ++i) {
        const uint64_t attributes = r.number(1);
        in_range = in_range && (attributes & ~uint64_t{kKeptFileAttributes}) == 0;
        read.attributes[i] = static_cast<uint8_t>(attributes);
        read.hashes[i] = r.number(8);
    }
    if (!in_range || label > kRecordLabelLength || !printable(read.label)) {
        return false;
    }
    record = read;
    return true;
}

}  // namespace lanternbook
