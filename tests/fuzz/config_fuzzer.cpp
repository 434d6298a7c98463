// CONFIG comes from a removable drive, so any length and any bytes must decode
// without reading past the input, and what the configurator writes must read
// back unchanged.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "device/config_codec.h"
#include "device/device_drive.h"

namespace {

using lanternbook::DeviceConfig;

void require(bool holds) {
    if (!holds) {
        std::abort();
    }
}

template <std::size_t N>
bool zero_from(const std::array<uint8_t, N>& bytes, std::size_t first) {
    return std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(first), bytes.end(),
                       [](uint8_t byte) { return byte == 0; });
}

bool same(const DeviceConfig& left, const DeviceConfig& right) {
    return left.flags == right.flags && left.dates == right.dates &&
           left.serial_number == right.serial_number &&
           left.software_version == right.software_version;
}

// A decoded byte is zero or the input byte at `offset`, never one past the input.
bool from_input(uint8_t decoded, std::size_t offset, const uint8_t* data, std::size_t n) {
    return decoded == 0 || (offset < n && decoded == data[offset]);
}

void check_decoded(const uint8_t* data, std::size_t size) {
    const std::size_t n = std::min(size, lanternbook::kConfigReadLimit);
    DeviceConfig config;
    lanternbook::decode_config(data, size, config);

    require(zero_from(config.flags, lanternbook::kFlagCount));
    require(zero_from(config.dates, lanternbook::kDateBlockLength));
    require(zero_from(config.serial_number, 3));
    require(zero_from(config.software_version, 3));
    for (std::size_t i = 0; i < lanternbook::kFlagCount; ++i) {
        require(from_input(config.flags[i], i, data, n));
    }
    for (std::size_t i = 0; i < lanternbook::kDateBlockLength; ++i) {
        require(from_input(config.dates[i], 9 + i, data, n));
    }
    for (std::size_t i = 0; i < 3; ++i) {
        const bool short_layout = n >= 16 && n <= 19;
        require(from_input(config.serial_number[i], (short_layout ? 17 : 25) + i, data, n));
        require(from_input(config.software_version[i], 28 + i, data, n));
    }
    // Lengths between the two layouts carry nothing but the flags.
    if (n < 16 || (n >= 20 && n < 24)) {
        require(zero_from(config.dates, 0) && zero_from(config.serial_number, 0) &&
                zero_from(config.software_version, 0));
    }

    // Writing back what was read reproduces the full layout: offsets 0 to 27
    // as read (zero past the input), the version only from a file that had
    // one, offset 31 always zero.
    const lanternbook::ConfigImage image = lanternbook::encode_config(config);
    if (n >= 24) {
        for (std::size_t i = 0; i < image.size(); ++i) {
            const bool kept = i < n && i != 31 && (i < 28 || n >= 30);
            require(image[i] == (kept ? data[i] : 0));
        }
    }
}

// Any configuration the configurator can hold survives a write and a read.
void check_round_trip(const uint8_t* data, std::size_t size) {
    std::array<uint8_t, 9 + 16 + 3 + 3> fields{};
    std::copy_n(data, std::min(size, fields.size()), fields.begin());
    DeviceConfig written;
    std::copy_n(fields.begin(), 9, written.flags.begin());
    std::copy_n(fields.begin() + 9, 16, written.dates.begin());
    std::copy_n(fields.begin() + 25, 3, written.serial_number.begin());
    std::copy_n(fields.begin() + 28, 3, written.software_version.begin());

    const lanternbook::ConfigImage image = lanternbook::encode_config(written);
    DeviceConfig read_back;
    lanternbook::decode_config(image.data(), image.size(), read_back);
    require(same(read_back, written));
}

// A CONFIG being replaced passes on its bytes 25-31 where it has them, and
// nothing else: any length, any bytes.
void check_key_identity_kept(const uint8_t* data, std::size_t size) {
    const std::vector<uint8_t> current(data, data + size);
    lanternbook::ConfigImage image{};
    image.fill(0xA5);
    lanternbook::keep_key_identity(current, image);
    for (std::size_t i = 0; i < image.size(); ++i) {
        const bool kept = i >= 25 && i < size && size > 25;
        require(image[i] == (kept ? data[i] : 0xA5));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    check_decoded(data, size);
    check_round_trip(data, size);
    check_key_identity_kept(data, size);
    return 0;
}
