#include "maintenance/backup_record.h"

#include <algorithm>
#include <iterator>

#include "maintenance/program_file_backup.h"
#include "text/utf8_text.h"

namespace lanternbook {
namespace {

// The first line tells a person who finds the folder what it is.
constexpr char kHeading[] = "A copy of a tachograph download key's program files and settings, made before a format.";
constexpr char kFormatLine[] = "record 1";
constexpr char kSerialBefore[] = "serial-before";
constexpr char kSerialAfter[] = "serial-after";
constexpr char kLabel[] = "label";
constexpr char kSize[] = "size";
constexpr char kIdentity[] = "identity";
constexpr char kMade[] = "made";
constexpr char kFile[] = "file";
constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr std::size_t kIdentityMaxBytes = 7;
constexpr std::size_t kMadeFields = 6;
constexpr std::size_t kSizeDigitsLimit = 19;

std::string decimal(uint64_t value, std::size_t width = 1) {
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + value % 10));
        value /= 10;
    } while (value != 0);
    if (digits.size() < width) {
        digits.insert(digits.begin(), width - digits.size(), '0');
    }
    return digits;
}

std::string hex(uint64_t value, std::size_t digits) {
    std::string text(digits, '0');
    for (std::size_t i = digits; i-- > 0; value >>= 4) {
        text[i] = kHexDigits[value & 0x0F];
    }
    return text;
}

void add(std::string& text, const char* key, const std::string& value) {
    text += key;
    text += ' ';
    text += value;
    text += '\n';
}

// A whole number of at most `max_digits` digits in `base`; nothing else.
bool read_number(const std::string& text, unsigned base, std::size_t max_digits, uint64_t& value) {
    if (text.empty() || text.size() > max_digits) {
        return false;
    }
    value = 0;
    for (const char c : text) {
        const char* digit = std::find(kHexDigits, kHexDigits + base, c >= 'a' && c <= 'f' ? c - 'a' + 'A' : c);
        if (digit == kHexDigits + base) {
            return false;
        }
        value = value * base + static_cast<uint64_t>(digit - kHexDigits);
    }
    return true;
}

bool read_serial(const std::string& text, uint32_t& serial) {
    uint64_t value = 0;
    if (!read_number(text, 16, 8, value)) {
        return false;
    }
    serial = static_cast<uint32_t>(value);
    return true;
}

bool read_identity(const std::string& text, std::vector<uint8_t>& bytes) {
    if (text == "-") {
        bytes.clear();
        return true;
    }
    if (text.size() % 2 != 0 || text.size() > 2 * kIdentityMaxBytes) {
        return false;
    }
    bytes.clear();
    for (std::size_t i = 0; i < text.size(); i += 2) {
        uint64_t value = 0;
        if (!read_number(text.substr(i, 2), 16, 2, value)) {
            return false;
        }
        bytes.push_back(static_cast<uint8_t>(value));
    }
    return true;
}

bool read_made(const std::string& text, SystemTime& made) {
    // "2026-12-07 10:30:00"
    constexpr std::size_t kLength = 19;
    if (text.size() != kLength || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' ||
        text[16] != ':') {
        return false;
    }
    const std::size_t starts[kMadeFields] = {0, 5, 8, 11, 14, 17};
    const std::size_t lengths[kMadeFields] = {4, 2, 2, 2, 2, 2};
    uint16_t* const fields[kMadeFields] = {&made.year, &made.month, &made.day, &made.hour, &made.minute, &made.second};
    for (std::size_t i = 0; i < kMadeFields; ++i) {
        uint64_t value = 0;
        if (!read_number(text.substr(starts[i], lengths[i]), 10, lengths[i], value)) {
            return false;
        }
        *fields[i] = static_cast<uint16_t>(value);
    }
    return true;
}

// Only the names a backup holds: nothing read here may lead anywhere else.
bool read_file_line(const std::string& text, BackupRecord::Copied& copied) {
    const std::size_t space = text.find(' ');
    if (space == std::string::npos) {
        return false;
    }
    const std::wstring name = wide_from_utf8(text.substr(0, space));
    const bool known = std::any_of(std::begin(kBackedUpFiles), std::end(kBackedUpFiles),
                                   [&name](const wchar_t* backed_up) { return name == backed_up; });
    if (!known || !read_number(text.substr(space + 1), 10, kSizeDigitsLimit, copied.size)) {
        return false;
    }
    copied.name = name;
    return true;
}

// True the first time only: a line given twice makes no record.
bool first_time(bool& seen) {
    const bool first = !seen;
    seen = true;
    return first;
}

}  // namespace

bool BackupRecord::operator==(const BackupRecord& other) const {
    return serial_before == other.serial_before && serial_after == other.serial_after && label == other.label &&
           volume_bytes == other.volume_bytes && identity == other.identity && made.year == other.made.year &&
           made.month == other.made.month && made.day == other.made.day && made.hour == other.made.hour &&
           made.minute == other.made.minute && made.second == other.made.second && files == other.files;
}

std::string encode_record(const BackupRecord& record) {
    std::string text = kHeading;
    text += '\n';
    text += kFormatLine;
    text += '\n';
    add(text, kSerialBefore, hex(record.serial_before, 8));
    add(text, kSerialAfter, hex(record.serial_after, 8));
    add(text, kLabel, utf8_from_wide(record.label));
    add(text, kSize, decimal(record.volume_bytes));
    std::string identity;
    for (const uint8_t byte : record.identity) {
        identity += hex(byte, 2);
    }
    add(text, kIdentity, identity.empty() ? "-" : identity);
    const SystemTime& made = record.made;
    add(text, kMade, decimal(made.year, 4) + "-" + decimal(made.month, 2) + "-" + decimal(made.day, 2) + " " +
                         decimal(made.hour, 2) + ":" + decimal(made.minute, 2) + ":" + decimal(made.second, 2));
    for (const BackupRecord::Copied& copied : record.files) {
        add(text, kFile, utf8_from_wide(copied.name) + " " + decimal(copied.size));
    }
    return text;
}

bool decode_record(const std::string& text, BackupRecord& record) {
    BackupRecord read;
    std::size_t start = 0;
    std::size_t line_number = 0;
    bool seen[6] = {};
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        ++line_number;
        if (line_number == 1) {
            continue;  // the heading is for people
        }
        if (line_number == 2) {
            if (line != kFormatLine) {
                return false;
            }
            continue;
        }
        const std::size_t space = line.find(' ');
        const std::string key = line.substr(0, space);
        const std::string value = space == std::string::npos ? std::string() : line.substr(space + 1);
        uint64_t number = 0;
        bool ok = space != std::string::npos;
        if (key == kSerialBefore) {
            ok = ok && first_time(seen[0]) && read_serial(value, read.serial_before);
        } else if (key == kSerialAfter) {
            ok = ok && first_time(seen[1]) && read_serial(value, read.serial_after);
        } else if (key == kLabel) {
            read.label = wide_from_utf8(value);
            ok = ok && first_time(seen[2]);
        } else if (key == kSize) {
            ok = ok && first_time(seen[3]) && read_number(value, 10, kSizeDigitsLimit, number);
            read.volume_bytes = number;
        } else if (key == kIdentity) {
            ok = ok && first_time(seen[4]) && read_identity(value, read.identity);
        } else if (key == kMade) {
            ok = ok && first_time(seen[5]) && read_made(value, read.made);
        } else if (key == kFile) {
            BackupRecord::Copied copied;
            ok = ok && read_file_line(value, copied) &&
                 std::none_of(read.files.begin(), read.files.end(),
                              [&copied](const BackupRecord::Copied& other) { return other.name == copied.name; });
            read.files.push_back(copied);
        } else {
            ok = false;
        }
        if (!ok) {
            return false;
        }
    }
    if (!std::all_of(std::begin(seen), std::end(seen), [](bool line_seen) { return line_seen; })) {
        return false;
    }
    record = read;
    return true;
}

}  // namespace lanternbook
