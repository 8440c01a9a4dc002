#include "sound/sample_convert.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace rs::sound {

int16_t convertExact(float x) {
    // Written without branches so that loops over it vectorise. A magnitude of 1 or more
    // becomes 1 and a not-a-number 0 before the conversion; scaling by 2^15 is exact, so the
    // truncation sees the true product.
    float magnitude = std::fabs(x);
    magnitude = magnitude < 1.0f ? magnitude : (magnitude >= 1.0f ? 1.0f : 0.0f);
    int32_t m = std::min(static_cast<int32_t>(magnitude * 32768.0f), 32767);
    return static_cast<int16_t>(x < 0 ? -m : m);
}

int16_t convertWithGain(float x, int32_t gain) {
    double t = std::trunc(static_cast<double>(x) * 32767.0 * static_cast<double>(gain));
    if (std::isnan(t)) return 0;
    if (t < -32728.0) return -32768;
    if (t > 32727.0) return 32767;
    return static_cast<int16_t>(t);
}

namespace {

#if defined(__SSE2__)
// Four samples of the exact conversion: not-a-number lanes are cleared, the rest clamped to
// [-1, 1] (which truncates to the same result as clamping the product), scaled, truncated and
// limited to +-32767.
inline __m128i exactFour(__m128 x) {
    const __m128 one = _mm_set1_ps(1.0f);
    x = _mm_and_ps(x, _mm_cmpord_ps(x, x));
    x = _mm_max_ps(_mm_min_ps(x, one), _mm_sub_ps(_mm_setzero_ps(), one));
    __m128i t = _mm_cvttps_epi32(_mm_mul_ps(x, _mm_set1_ps(32768.0f)));
    // Packing saturates to [-32768, 32767]; -32768 can only come from -1.0 and becomes -32767.
    return t;
}

void convertExactSimd(const float* left, const float* right, int32_t frames, int16_t* out) {
    const __m128i lowest = _mm_set1_epi16(-32767);
    int32_t i = 0;
    for (; i + 4 <= frames; i += 4) {
        __m128i l = exactFour(_mm_loadu_ps(left + i));
        __m128i r = exactFour(_mm_loadu_ps(right + i));
        // Interleave left and right as 32-bit lanes, then pack to 16 bits with saturation.
        __m128i lo = _mm_unpacklo_epi32(l, r);  // l0 r0 l1 r1
        __m128i hi = _mm_unpackhi_epi32(l, r);  // l2 r2 l3 r3
        __m128i packed = _mm_max_epi16(_mm_packs_epi32(lo, hi), lowest);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * i), packed);
    }
    for (; i < frames; ++i) {
        out[2 * i] = convertExact(left[i]);
        out[2 * i + 1] = convertExact(right[i]);
    }
}
#endif

}  // namespace

void convertFrames(const float* left, const float* right, int32_t frames, int32_t gain, bool simd,
                   int16_t* out) {
    if (gain != 1) {
        for (int32_t i = 0; i < frames; ++i) {
            out[2 * i] = convertWithGain(left[i], gain);
            out[2 * i + 1] = convertWithGain(right[i], gain);
        }
        return;
    }
#if defined(__SSE2__)
    if (simd) {
        convertExactSimd(left, right, frames, out);
        return;
    }
#else
    (void)simd;
#endif
    for (int32_t i = 0; i < frames; ++i) {
        out[2 * i] = convertExact(left[i]);
        out[2 * i + 1] = convertExact(right[i]);
    }
}

}  // namespace rs::sound
