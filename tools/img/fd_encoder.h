// Encoders of the FD and FE image formats. The formats fix only the decoder; this encoder parses
// each picture greedily by estimated bit cost: for every pixel it weighs the cheapest prediction
// (each neighbour, and in FE the left and upper gradients too) against runs copied from earlier
// places (found through a hash of the next pixels and a few fixed offsets), and a literal as the
// last resort. The output always decodes to exactly the input.
#pragma once

#include <cstdint>
#include <vector>

#include "graphics/png_io.h"

namespace rs::tools {

// Encodes the picture (at most 65535 x 65535) as an FD or FE file. With `withAlpha` the depth is
// 32 and the alpha bytes are stored; otherwise the depth is 24 and only the colour is kept. An
// empty result means the picture cannot be stored.
std::vector<uint8_t> encodeFD(const graphics::Image& image, bool withAlpha);
std::vector<uint8_t> encodeFE(const graphics::Image& image, bool withAlpha);

// The bit writer matching the decoder's reader: bits from the most significant end of each byte,
// numbers in the universal code.
class BitWriter {
  public:
    // The low n bits of v (n <= 32), most significant first.
    void bits(uint32_t v, int n);
    void number(uint64_t v);
    // The bytes written, the last one padded with zero bits.
    std::vector<uint8_t> finish();
    uint64_t bitCount() const { return bytes_.size() * 8 + static_cast<uint64_t>(count_); }

  private:
    std::vector<uint8_t> bytes_;
    uint64_t acc_ = 0;  // pending bits, right-aligned
    int count_ = 0;
};

// Bits of the universal code of v.
inline int numberBits(uint64_t v) { return 2 * (63 - __builtin_clzll(v + 2)); }

}  // namespace rs::tools
