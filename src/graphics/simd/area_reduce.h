// One destination row of an area-averaged reduction on squared channels (hzcopy reducing): the
// plain version and an AVX2 version that gives the same bytes.
#pragma once

#include <cstdint>

namespace rs::graphics::simd {

struct AreaRow {
    const uint32_t* const* rows;  // the source rows this destination row covers
    const uint32_t* rowWeight;    // and how much of each
    int32_t rowCount;
    const int32_t* colStart;  // destination pixel i uses taps colStart[i] .. colStart[i + 1] - 1
    const int32_t* colPos;    // source column of each tap
    const uint32_t* colWeight;
    int32_t width;
    uint64_t total;            // the sum of all weights of one destination pixel
    const double* colWeightD;  // the weights as doubles, for the vector version
    const double* rowWeightD;
};

// Each colour channel becomes isqrt(sum(weight * c^2) / total), the alpha sum(weight * a) / total.
void areaReduceRowPlain(const AreaRow& r, uint32_t* out);
void areaReduceRowAvx2(const AreaRow& r, uint32_t* out);

}  // namespace rs::graphics::simd
