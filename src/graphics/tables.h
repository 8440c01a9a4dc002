// Lookup tables shared by the drawing code: integer square roots and the dissolve shuffle.
#pragma once

#include <array>
#include <cstdint>

namespace rs::graphics {

// sqrtTable: entry i = floor(sqrt(64 * i)), for i = 0..1023.
const std::array<uint8_t, 1024>& sqrtTable();

// isqrt: floor(sqrt(n)) for 0 <= n < 65536, from the table.
inline uint32_t isqrt(uint32_t n) {
    const auto& t = sqrtTable();
    if (n < 1024) return t[n] >> 3;
    uint32_t r = t[n >> 6];
    return (r + 2) * r < n ? r + 1 : r;
}

// shuffle: a permutation of 0..255 made by seeding the C-runtime style generator with 3 and
// swapping entry i with entry (draw & 0xFF) for i = 0..255. Its first entries are 255, 21, 78,
// 87, ... and the last is 88.
const std::array<uint32_t, 256>& shuffleTable();

}  // namespace rs::graphics
