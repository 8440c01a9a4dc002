// Built with AVX2 enabled; called only when the processor has it. Every value is a whole number
// below 2^53, so the double arithmetic is exact; a quotient below 2^16 of divisors below 2^32
// truncates exactly, and so does the square root of a whole number.
#include <immintrin.h>

#include "graphics/simd/area_reduce.h"

namespace rs::graphics::simd {

void areaReduceRowAvx2(const AreaRow& r, uint32_t* out) {
    const __m128i alphaOne = _mm_set_epi32(1, 0, 0, 0);
    const __m256d total = _mm256_set1_pd(static_cast<double>(r.total));
    for (int32_t i = 0; i < r.width; ++i) {
        __m256d acc = _mm256_setzero_pd();
        int32_t from = r.colStart[i], to = r.colStart[i + 1];
        for (int32_t k = 0; k < r.rowCount; ++k) {
            const uint32_t* row = r.rows[k];
            __m256d line = _mm256_setzero_pd();
            for (int32_t t = from; t < to; ++t) {
                __m128i v = _mm_cvtepu8_epi32(_mm_cvtsi32_si128(static_cast<int32_t>(row[r.colPos[t]])));
                // b^2, g^2, r^2 and a * 1.
                __m128i sq = _mm_mullo_epi32(v, _mm_blend_epi32(v, alphaOne, 8));
                line = _mm256_add_pd(line, _mm256_mul_pd(_mm256_cvtepi32_pd(sq), _mm256_set1_pd(r.colWeight[t])));
            }
            acc = _mm256_add_pd(acc, _mm256_mul_pd(line, _mm256_set1_pd(r.rowWeight[k])));
        }
        __m256d q = _mm256_round_pd(_mm256_div_pd(acc, total), _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
        __m256d root = _mm256_round_pd(_mm256_sqrt_pd(q), _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
        __m128i v = _mm256_cvttpd_epi32(_mm256_blend_pd(root, q, 8));
        v = _mm_packus_epi32(v, v);
        out[i] = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(v, v)));
    }
}

}  // namespace rs::graphics::simd
