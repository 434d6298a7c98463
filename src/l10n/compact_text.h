// The string tables' compact form: an LZ77 stream of bits, read from the
// first byte on, the highest bit of each byte first. Until the output is full:
//   0, then 8 bits              one byte as it is;
//   1, gamma(L - 1), gamma((D - 1) / 128 + 1), 7 bits of (D - 1) % 128
//                               the L bytes (at least 2) that begin D bytes back,
//                               one by one, so a short D repeats a run.
// gamma(n), n >= 1, is n's bit count less one in 0 bits, then n's bits.
// scripts/make-string-tables.py writes it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lanternbook {

struct CompactText {
    const uint8_t* bytes;
    std::size_t size;
    std::size_t decoded_size;
};

// Fills out[0, needed) from the stream, needed at most out_size; the item
// that completes it may write on, up to out_size. False when the stream ends
// first, reaches back before the output's start or runs past out_size.
// Reads and writes nothing outside the two ranges, whatever the bytes.
[[nodiscard]] bool decode_compact(const uint8_t* stream, std::size_t stream_size, char* out, std::size_t out_size,
                                  std::size_t needed);
[[nodiscard]] inline bool decode_compact(const uint8_t* stream, std::size_t stream_size, char* out,
                                         std::size_t out_size) {
    return decode_compact(stream, stream_size, out, out_size, out_size);
}

}  // namespace lanternbook
