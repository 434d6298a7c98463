// CONFIG's bytes: where each part sits, and the one decoder and encoder of
// them. Nothing else in the system knows an offset into CONFIG.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace lanternbook {

constexpr std::size_t kFlagCount = 9;
constexpr std::size_t kDateBlockLength = 16;
constexpr std::size_t kConfigFileLength = 32;
constexpr std::size_t kConfigReadLimit = 1024;
// From this length on, CONFIG holds the whole date block, calendar bytes included.
constexpr std::size_t kFullDatesLength = 24;

// Positions inside the flag bytes.
constexpr std::size_t kFirstFlag = 0;
constexpr std::size_t kFirstDataFlag = 1;
constexpr std::size_t kPeriodFlag = 6;
constexpr std::size_t kDaysFlag = 7;
constexpr std::size_t kVdoFlag = 8;

// Positions inside the date block: two big-endian seconds counts, then the
// calendar bytes (year since 1900, month, day, weekday) of each date.
constexpr std::size_t kFromSecondsAt = 0;
constexpr std::size_t kTillSecondsAt = 4;
constexpr std::size_t kFromCalendarAt = 8;
constexpr std::size_t kTillCalendarAt = 12;

constexpr std::size_t kSerialNumberLength = 3;
constexpr std::size_t kSoftwareVersionLength = 3;

using ConfigImage = std::array<uint8_t, kConfigFileLength>;

// The image of CONFIG as last read.
struct DeviceConfig {
    std::array<uint8_t, 32> flags{};
    std::array<uint8_t, 32> dates{};
    std::array<uint8_t, 4> serial_number{};
    std::array<uint8_t, 5> software_version{};
};

// Copies into config the parts that a CONFIG of `length` bytes supplies.
// Any length and any bytes are accepted; at most kConfigReadLimit are used.
void decode_config(const uint8_t* data, std::size_t length, DeviceConfig& config);

// The full 32-byte layout: the nine flags, the date block, the serial number
// and the software version, and a closing zero.
[[nodiscard]] ConfigImage encode_config(const DeviceConfig& config);

// Bytes 25-31 are the key's own (serial number and software version): a
// CONFIG about to be replaced passes on those it holds, as read in `current`.
// Only the full layout keeps them at those offsets.
void keep_key_identity(const std::vector<uint8_t>& current, ConfigImage& image);
// Bytes 25-31 of a CONFIG as read, as far as it goes.
[[nodiscard]] std::vector<uint8_t> key_identity_of(const std::vector<uint8_t>& config);
// Whether two CONFIGs as read hold the same bytes 25-31, as far as each goes.
[[nodiscard]] bool same_key_identity(const std::vector<uint8_t>& one, const std::vector<uint8_t>& other);

}  // namespace lanternbook
