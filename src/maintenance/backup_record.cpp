#include "maintenance/backup_record.h"

#include <algorithm>
#include <iterator>

namespace lanternbook {
namespace {

// Tells a person who opens the file, and the program, what it is.
constexpr char kMark[] = "lanternbook backup record 1\n";
constexpr std::size_t kMarkLength = sizeof kMark - 1;
constexpr std::size_t kIdentityMaxBytes = 7;
constexpr std::size_t kMadeFields = 6;
constexpr std::size_t kRecordLength = kMarkLength + 4 + 4 + 8 + 1 + kIdentityMaxBytes + 2 * kMadeFields +
                                      kRecordedFiles * (1 + 8) + 1 + 2 * kRecordLabelLength;

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

}  // namespace

bool BackupRecord::operator==(const BackupRecord& other) const {
    return serial_before == other.serial_before && serial_after == other.serial_after && label == other.label &&
           volume_bytes == other.volume_bytes && identity == other.identity && made.year == other.made.year &&
           made.month == other.made.month && made.day == other.made.day && made.hour == other.made.hour &&
           made.minute == other.made.minute && made.second == other.made.second && held == other.held &&
           sizes == other.sizes;
}

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
    for (const auto field : kMadeFieldsInOrder) {
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
    return w.out;
}

bool decode_record(const uint8_t* data, std::size_t size, BackupRecord& record) {
    if (data == nullptr || size != kRecordLength || !std::equal(kMark, kMark + kMarkLength, data)) {
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
    for (const auto field : kMadeFieldsInOrder) {
        read.made.*field = static_cast<uint16_t>(r.number(2));
    }
    bool flags_whole = identity <= kIdentityMaxBytes;
    for (std::size_t i = 0; i < kRecordedFiles; ++i) {
        const uint64_t held = r.number(1);
        flags_whole = flags_whole && held <= 1;
        read.held[i] = held == 1;
        read.sizes[i] = r.number(8);
    }
    const auto label = static_cast<std::size_t>(r.number(1));
    for (std::size_t i = 0; i < kRecordLabelLength; ++i) {
        const auto c = static_cast<wchar_t>(r.number(2));
        if (i < label) {
            read.label.push_back(c);
        }
    }
    if (!flags_whole || label > kRecordLabelLength) {
        return false;
    }
    record = read;
    return true;
}

}  // namespace lanternbook
