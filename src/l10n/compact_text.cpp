#include "l10n/compact_text.h"

#include <algorithm>

namespace lanternbook {
namespace {

constexpr unsigned kLowDistanceBits = 7;
// Longer codes would overflow a 32-bit size; no table comes near them.
constexpr unsigned kMaxGammaZeros = 24;

// The stream's bits, highest first. Past the end every bit is 0 and the
// reader counts on, so that the caller can tell.
class BitReader {
public:
    BitReader(const uint8_t* bytes, std::size_t size) : bytes_(bytes), size_(size) {}

    [[nodiscard]] std::size_t bits(unsigned count) {
        std::size_t value = 0;
        for (; count > 0; --count, ++position_) {
            const std::size_t byte = position_ / 8;
            value = (value << 1) | (byte < size_ ? (bytes_[byte] >> (7 - position_ % 8)) & 1U : 0U);
        }
        return value;
    }

    // 0, which is no gamma value, for a code too long.
    [[nodiscard]] std::size_t gamma() {
        unsigned zeros = 0;
        while (bits(1) == 0) {
            if (++zeros > kMaxGammaZeros) {
                return 0;
            }
        }
        return (std::size_t{1} << zeros) | bits(zeros);
    }

    [[nodiscard]] bool overran() const { return (position_ + 7) / 8 > size_; }

private:
    const uint8_t* bytes_;
    std::size_t size_;
    std::size_t position_ = 0;
};

}  // namespace

bool decode_compact(const uint8_t* stream, std::size_t stream_size, char* out, std::size_t out_size,
                    std::size_t needed) {
    BitReader reader(stream, stream_size);
    std::size_t done = 0;
    needed = std::min(needed, out_size);
    // Stops at the first item read past the end, rather than fill the rest with zeros.
    while (done < needed && !reader.overran()) {
        if (reader.bits(1) == 0) {
            out[done++] = static_cast<char>(reader.bits(8));
            continue;
        }
        const std::size_t length = reader.gamma() + 1;
        const std::size_t high = reader.gamma();
        if (length < 2 || high == 0) {
            return false;
        }
        const std::size_t distance = (((high - 1) << kLowDistanceBits) | reader.bits(kLowDistanceBits)) + 1;
        if (distance > done || length > out_size - done) {
            return false;
        }
        for (std::size_t copied = 0; copied < length; ++copied, ++done) {
            out[done] = out[done - distance];
        }
    }
    return done >= needed && !reader.overran();
}

}  // namespace lanternbook
