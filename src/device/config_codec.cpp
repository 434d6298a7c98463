#include "device/config_codec.h"

#include <algorithm>
#include <array>

namespace lanternbook {
namespace {

// The device's own older layout: 8 date bytes, then the serial number.
constexpr std::size_t kShortLayoutMin = 16;
constexpr std::size_t kShortLayoutMax = 19;
constexpr std::size_t kShortDateLength = 8;
constexpr std::size_t kShortSerialOffset = 17;
constexpr std::size_t kShortSerialMin = 19;

constexpr std::size_t kFullDatesMin = 24;
constexpr std::size_t kSerialMin = 25;
constexpr std::size_t kVersionMin = 30;

constexpr std::size_t kSerialLength = 3;
constexpr std::size_t kVersionReadLength = 3;
// The fourth version byte is always zero on disk and pads the file to 32.
constexpr std::size_t kVersionWriteLength = 4;

template <std::size_t N>
void copy_from(const std::array<uint8_t, kConfigReadLimit>& buffer, std::size_t offset,
               std::size_t count, std::array<uint8_t, N>& target) {
    std::copy_n(buffer.begin() + static_cast<std::ptrdiff_t>(offset), count, target.begin());
}

}  // namespace

void decode_config(const uint8_t* data, std::size_t length, DeviceConfig& config) {
    const std::size_t n = data == nullptr ? 0 : std::min(length, kConfigReadLimit);
    // Bytes past the end read as zero, so short files never reach beyond the input.
    std::array<uint8_t, kConfigReadLimit> buffer{};
    std::copy_n(data, n, buffer.begin());

    if (n >= 1) {
        copy_from(buffer, 0, kFlagCount, config.flags);
    }
    if (n >= kShortLayoutMin && n <= kShortLayoutMax) {
        copy_from(buffer, kDateBlockOffset, kShortDateLength, config.dates);
        if (n >= kShortSerialMin) {
            copy_from(buffer, kShortSerialOffset, kSerialLength, config.serial_number);
        }
    } else if (n >= kFullDatesMin) {
        copy_from(buffer, kDateBlockOffset, kDateBlockLength, config.dates);
        if (n >= kSerialMin) {
            copy_from(buffer, kSerialNumberOffset, kSerialLength, config.serial_number);
        }
    }
    if (n >= kVersionMin) {
        copy_from(buffer, kSoftwareVersionOffset, kVersionReadLength, config.software_version);
    }
}

std::vector<uint8_t> encode_config(const uint8_t* flags, const uint8_t* dates,
                                   std::size_t dates_length, const DeviceConfig& config) {
    std::vector<uint8_t> image(flags, flags + kFlagCount);
    if (dates_length > 0) {
        image.insert(image.end(), dates, dates + std::min(dates_length, config.dates.size()));
    }
    image.insert(image.end(), config.serial_number.begin(),
                 config.serial_number.begin() + kSerialLength);
    image.insert(image.end(), config.software_version.begin(),
                 config.software_version.begin() + kVersionWriteLength);
    return image;
}

}  // namespace lanternbook
