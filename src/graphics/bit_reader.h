// The bit stream of the FD and FE image formats. Bits are taken from the most significant end of
// each byte. Numbers use a universal code: for v >= 0 let r = v + 2 with L bits after its leading
// one; the code is L - 1 one bits, a zero, then the low L bits of r (0 -> 00, 2 -> 1000,
// 6 -> 110000).
//
// The reader keeps up to 64 unread bits in an accumulator, left-aligned and followed by zeros, and
// refills it eight bytes at a time while the data lasts. Reading past the end of the data, or a
// number longer than any image can need, sets `failed` and yields 0.
//
// The reader is a small value: a decoding loop works on a local copy of it so that its state stays
// in registers rather than in memory the pixel stores might reach.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace rs::graphics {

// Payload bits of the longest number accepted. Counts and offsets of a 65535 x 65535 image fit
// in 33 bits; longer codes only come from corrupt data.
constexpr int kMaxNumberBits = 40;

class BitReader {
  public:
    BitReader(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}

    bool failed() const { return failed_; }

    // The next n bits (1 <= n <= 32) as an unsigned value, first bit most significant.
    uint32_t bits(int n) {
        if (count_ < n) refill();
        if (count_ < n) return fail();
        auto v = static_cast<uint32_t>(acc_ >> (64 - n));
        consume(n);
        return v;
    }

    // Tops the accumulator up to at least 56 bits while eight bytes of data remain (near the end
    // the numbers refill as they need). Cheap enough to call before every symbol, after which the
    // numbers of an ordinary symbol take the short path below without refilling.
    void fill() {
        if (end_ - p_ >= 8) refill();
    }

    // The next number of the universal code. The bits held usually suffice; the accumulator is
    // refilled only when they do not, which keeps refills off the path of most numbers.
    uint64_t number() {
        // Bits past count_ are zero, so the run of ones never reaches past the bits held.
        int ones = std::countl_one(acc_);
        int length = ones + 1;
        if (2 * length < count_) {  // (a shift by 64 is left to the long path)
            uint64_t payload = (acc_ << length) >> (64 - length);
            acc_ <<= 2 * length;
            count_ -= 2 * length;
            return ((uint64_t{1} << length) | payload) - 2;
        }
        return numberAfterRefill();
    }

  private:
    uint64_t numberAfterRefill() {
        refill();
        int ones = std::countl_one(acc_);
        if (ones >= count_) return fail();  // no terminating zero before the data or the limit ends
        int length = ones + 1;
        if (length > kMaxNumberBits) return fail();
        if (2 * length <= count_) {
            uint64_t payload = (acc_ << ones << 1) >> (64 - length);
            consume(2 * length);
            return ((uint64_t{1} << length) | payload) - 2;
        }
        consume(length);
        refill();
        if (count_ < length) return fail();
        uint64_t payload = acc_ >> (64 - length);
        consume(length);
        return ((uint64_t{1} << length) | payload) - 2;
    }

    uint32_t fail() {
        failed_ = true;
        count_ = 0;
        acc_ = 0;
        p_ = end_;
        return 0;
    }

    void consume(int n) {
        acc_ = (acc_ << 1) << (n - 1);  // n may be 64
        count_ -= n;
    }

    void refill() {
        if (end_ - p_ >= 8) {
            // Whole bytes are taken (at least 56 bits held afterwards); the bits of a partly taken
            // byte are cleared and read again next time.
            uint64_t w;
            std::memcpy(&w, p_, 8);
            w = __builtin_bswap64(w);
            acc_ |= w >> count_;
            p_ += (63 - count_) >> 3;
            count_ |= 56;
            acc_ &= ~(~uint64_t{0} >> count_);
            return;
        }
        while (count_ <= 56 && p_ < end_) {
            acc_ |= static_cast<uint64_t>(*p_++) << (56 - count_);
            count_ += 8;
        }
    }

    const uint8_t* p_;
    const uint8_t* end_;
    uint64_t acc_ = 0;
    int64_t count_ = 0;  // not an int: stores of 32-bit pixels cannot alias it
    bool failed_ = false;
};

// The reader operations by the names the format uses.
inline uint64_t ReadNumber(BitReader& r) { return r.number(); }
inline uint32_t ReadBits8(BitReader& r) { return r.bits(8); }
inline uint32_t ReadBits24(BitReader& r) { return r.bits(24); }

}  // namespace rs::graphics
