#include "l10n/compact_text.h"

namespace lanternbook {
namespace {

constexpr unsigned kLowDistanceBits = 7;
// Longer codes would overflow a 32-bit size; no table comes near them.
constexpr unsigned kMaxGammaZeros = 24;

class BitReader {
public:
    BitReader(const uint8_t* bytes, std::size_t size) : next_(bytes), end_(bytes + size) {}

    // Past the end every bit is 0 and the reader is spent.
    [[nodiscard]] std::size_t bit() {
        if (mask_ == 0) {
            if (next_ == end_) {
                spent_ = true;
                return 0;
            }
            byte_ = *next_++;
            mask_ = 0x80;
        }
        const std::size_t value = (byte_ & mask_) != 0 ? 1 : 0;
        mask_ >>= 1;
        return value;
    }

    [[nodiscard]] std::size_t bits(unsigned count) {
        std::size_t value = 0;
        for (; count > 0; --count) {
            value = value << 1 | bit();
        }
        return value;
    }

    // 0, never a gamma value, for a code past the end or too long.
    [[nodiscard]] std::size_t gamma() {
        unsigned zeros = 0;
        while (bit() == 0) {
            if (spent_ || ++zeros > kMaxGammaZeros) {
                return 0;
            }
        }
        return std::size_t{1} << zeros | bits(zeros);
    }

    [[nodiscard]] bool spent() const { return spent_; }

private:
    const uint8_t* next_;
    const uint8_t* end_;
    unsigned byte_ = 0;
    unsigned mask_ = 0;
    bool spent_ = false;
};

}  // namespace

bool decode_compact(const uint8_t* stream, std::size_t stream_size, char* out, std::size_t out_size) {
    BitReader reader(stream, stream_size);
    std::size_t done = 0;
    while (done < out_size) {
        if (reader.bit() == 0) {
            out[done++] = static_cast<char>(reader.bits(8));
        } else {
            const std::size_t length = reader.gamma() + 1;
            const std::size_t high = reader.gamma();
            if (length < 2 || high == 0) {
                return false;
            }
            const std::size_t distance = ((high - 1) << kLowDistanceBits | reader.bits(kLowDistanceBits)) + 1;
            if (distance > done || length > out_size - done) {
                return false;
            }
            for (const std::size_t end = done + length; done < end; ++done) {
                out[done] = out[done - distance];
            }
        }
        if (reader.spent()) {
            return false;
        }
    }
    return true;
}

}  // namespace lanternbook
