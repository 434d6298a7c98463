// The byte image of CONFIG as the configurator writes it; the reading side,
// decode_config, is declared with DeviceDrive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "device/device_drive.h"

namespace lanternbook {

// The nine flag bytes, the first min(dates_length, 32) bytes of the date
// block, serial number bytes 0-2 and software version bytes 0-3 of `config`.
// `flags` must not be null; `dates` may be null only when dates_length is 0.
std::vector<uint8_t> encode_config(const uint8_t* flags, const uint8_t* dates,
                                   std::size_t dates_length, const DeviceConfig& config);

}  // namespace lanternbook
