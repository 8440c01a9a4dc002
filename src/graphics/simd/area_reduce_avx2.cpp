// Built with AVX2 enabled; called only when the processor has it. Every value is a whole number
// below 2^53, so the double arithmetic is exact; the quotient is corrected by its remainder, and
// the square root of a whole number below 2^16 truncates exactly in single precision.
#include <immintrin.h>

#include "graphics/simd/area_reduce.h"

namespace rs::graphics::simd {

namespace {

// The b, g, r, a bytes of a pixel as doubles, colours squared.
inline __m256d squares(uint32_t p) {
    __m256d v = _mm256_cvtepi32_pd(_mm_cvtepu8_epi32(_mm_cvtsi32_si128(static_cast<int32_t>(p))));
    return _mm256_mul_pd(v, _mm256_blend_pd(v, _mm256_set1_pd(1.0), 8));
}

}  // namespace

void areaReduceRowAvx2(const AreaRow& r, uint32_t* out) {
    const double totalD = static_cast<double>(r.total);
    const __m256d total = _mm256_set1_pd(totalD);
    const __m256d rcp = _mm256_set1_pd(1.0 / totalD);
    const __m256d one = _mm256_set1_pd(1.0);
    const __m256d zero = _mm256_setzero_pd();
    for (int32_t i = 0; i < r.width; ++i) {
        // One accumulator per source row: the rows' sums do not wait on each other.
        __m256d acc = _mm256_setzero_pd();
        int32_t from = r.colStart[i], to = r.colStart[i + 1];
        for (int32_t k = 0; k < r.rowCount; ++k) {
            const uint32_t* row = r.rows[k];
            __m256d line =
                _mm256_mul_pd(squares(row[r.colPos[from]]), _mm256_set1_pd(r.colWeightD[from]));
            for (int32_t t = from + 1; t < to; ++t) {
                line = _mm256_add_pd(line, _mm256_mul_pd(squares(row[r.colPos[t]]),
                                                         _mm256_set1_pd(r.colWeightD[t])));
            }
            acc = _mm256_add_pd(acc, _mm256_mul_pd(line, _mm256_set1_pd(r.rowWeightD[k])));
        }
        __m256d q =
            _mm256_round_pd(_mm256_mul_pd(acc, rcp), _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
        __m256d rem = _mm256_sub_pd(acc, _mm256_mul_pd(q, total));
        q = _mm256_add_pd(q, _mm256_and_pd(_mm256_cmp_pd(rem, total, _CMP_GE_OQ), one));
        q = _mm256_sub_pd(q, _mm256_and_pd(_mm256_cmp_pd(rem, zero, _CMP_LT_OQ), one));
        __m128 qf = _mm256_cvtpd_ps(q);
        __m128 root = _mm_blend_ps(_mm_sqrt_ps(qf), qf, 8);
        __m128i v = _mm_cvttps_epi32(root);
        v = _mm_packus_epi32(v, v);
        out[i] = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(v, v)));
    }
}

}  // namespace rs::graphics::simd
