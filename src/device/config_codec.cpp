#include "device/config_codec.h"

#include <algorithm>

namespace lanternbook {
namespace {

// Where the parts start in the full layout.
constexpr std::size_t kDateBlockOffset = kFlagCount;
constexpr std::size_t kSerialNumberOffset = 25;
constexpr std::size_t kSoftwareVersionOffset = 28;
constexpr std::size_t kKeyIdentityOffset = kSerialNumberOffset;

// The device's own older layout: 8 date bytes, then the serial number.
constexpr std::size_t kShortLayoutMin = 16;
constexpr std::size_t kShortLayoutMax = 19;
constexpr std::size_t kShortDateLength = 8;
constexpr std::size_t kShortSerialOffset = 17;
constexpr std::size_t kShortSerialMin = 19;

constexpr std::size_t kSerialMin = 25;
constexpr std::size_t kVersionMin = 30;

template <std::size_t N>
void copy_from(const std::array<uint8_t, kConfigReadLimit>& buffer, std::size_t offset,
               std::size_t count, std::array<uint8_t, N>& target) {
    std::copy_n(buffer.begin() + static_cast<std::ptrdiff_t>(offset), count, target.begin());
}

template <std::size_t N>
void copy_into(const std::array<uint8_t, N>& source, std::size_t count, ConfigImage& image, std::size_t offset) {
    std::copy_n(source.begin(), count, image.begin() + static_cast<std::ptrdiff_t>(offset));
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
            copy_from(buffer, kShortSerialOffset, kSerialNumberLength, config.serial_number);
        }
    } else if (n >= kFullDatesLength) {
        copy_from(buffer, kDateBlockOffset, kDateBlockLength, config.dates);
        if (n >= kSerialMin) {
            copy_from(buffer, kSerialNumberOffset, kSerialNumberLength, config.serial_number);
        }
    }
    if (n >= kVersionMin) {
        copy_from(buffer, kSoftwareVersionOffset, kSoftwareVersionLength, config.software_version);
    }
}

ConfigImage encode_config(const DeviceConfig& config) {
    ConfigImage image{};
    copy_into(config.flags, kFlagCount, image, 0);
    copy_into(config.dates, kDateBlockLength, image, kDateBlockOffset);
    copy_into(config.serial_number, kSerialNumberLength, image, kSerialNumberOffset);
    copy_into(config.software_version, kSoftwareVersionLength, image, kSoftwareVersionOffset);
    return image;
}

// Only the full layout keeps them at those offsets.
std::vector<uint8_t> key_identity_of(const std::vector<uint8_t>& config) {
    if (config.size() <= kKeyIdentityOffset) {
        return {};
    }
    const std::size_t end = std::min(config.size(), kConfigFileLength);
    return std::vector<uint8_t>(config.begin() + kKeyIdentityOffset, config.begin() + static_cast<std::ptrdiff_t>(end));
}

void keep_key_identity(const std::vector<uint8_t>& current, ConfigImage& image) {
    const std::vector<uint8_t> identity = key_identity_of(current);
    std::copy(identity.begin(), identity.end(), image.begin() + kKeyIdentityOffset);
}

bool same_key_identity(const std::vector<uint8_t>& one, const std::vector<uint8_t>& other) {
    return key_identity_of(one) == key_identity_of(other);
}

}  // namespace lanternbook
