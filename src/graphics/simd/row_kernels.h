// Row kernels of the 32-bit blits: a plain version of each and vector versions that give the
// same bytes. The blits pick a set by the processor's vector level.
#pragma once

#include <cstddef>
#include <cstdint>

#include "graphics/blit.h"

namespace rs::graphics::simd {

struct RowKernels {
    // d = s with the alpha byte forced to 0xFF.
    void (*opaqueCopy)(uint32_t* d, const uint32_t* s, int32_t n);
    // d = s except where s is green-keyed (low 24 bits 0x00FF00).
    void (*greenKeyCopy)(uint32_t* d, const uint32_t* s, int32_t n);
    // d = ~s (every byte inverted).
    void (*invert)(uint32_t* d, const uint32_t* s, int32_t n);
    // Source alpha onto an opaque destination: alpha 0 skipped, otherwise each channel
    // d + (s - d) * a / 255 (truncating toward zero) and alpha 0xFF.
    void (*fadeOver)(uint32_t* d, const uint32_t* s, int32_t n);
    // In-place blend of plain frames: blue-keyed sources skipped, each channel
    // (d * (256 - a) + s * a) >> 8, alpha 0. a in 0..256.
    void (*blendOnto)(uint32_t* d, const uint32_t* s, int32_t n, uint32_t a);
    // Three-frame blend: each channel c1 + ((c2 - c1) * a >> 8); the alpha byte 0, or with
    // `mmx` blended like the colours. a in 0..256.
    void (*blendMix)(uint32_t* d, const uint32_t* s1, const uint32_t* s2, int32_t n, uint32_t a,
                     bool mmx);
    // Alpha compositing of a source with alpha onto a destination with alpha: source alpha
    // scaled to min(255, sa * a / 255), then compositeOver. a in 0..256.
    void (*compositeOnto)(uint32_t* d, const uint32_t* s, int32_t n, uint32_t a);
    // Masked mix with per-pixel weights m (0..255): the plain form mixes red and blue together in
    // 32-bit arithmetic (alpha 0); with `mmx` every byte is (s2 * (255 - m) + s1 * m) >> 8.
    void (*maskMix)(uint32_t* d, const uint32_t* s1, const uint32_t* s2, const uint8_t* m,
                    int32_t n, bool mmx);
    // Copies n bytes between frames that do not overlap, for copies too large for the cache;
    // `finish` is called once after the last one.
    void (*bigCopy)(uint8_t* d, const uint8_t* s, size_t n);
    void (*finish)();
};

// The plain kernels.
const RowKernels& plainKernels();
const RowKernels& sse2Kernels();
const RowKernels& avx2Kernels();

inline const RowKernels& kernels(SimdLevel level) {
#if defined(__x86_64__)
    if (level == SimdLevel::Avx2) return avx2Kernels();
    if (level == SimdLevel::Sse2) return sse2Kernels();
#endif
    (void)level;
    return plainKernels();
}

// The plain single-pixel forms the kernels are built from.
inline uint32_t maskMixPlain(uint32_t s1, uint32_t s2, uint32_t m) {
    uint32_t rb =
        ((((s1 & 0x00FF00FFu) - (s2 & 0x00FF00FFu)) * m >> 8) + (s2 & 0x00FF00FFu)) & 0x00FF00FFu;
    uint32_t g =
        ((((s1 & 0x0000FF00u) - (s2 & 0x0000FF00u)) * m >> 8) + (s2 & 0x0000FF00u)) & 0x0000FF00u;
    return rb + g;
}
inline uint32_t maskMixPacked(uint32_t s1, uint32_t s2, uint32_t m) {
    uint32_t out = 0;
    for (int c = 0; c < 4; ++c) {
        uint32_t a = (s1 >> (8 * c)) & 0xFF;
        uint32_t b = (s2 >> (8 * c)) & 0xFF;
        out |= ((b * (255 - m) + a * m) >> 8) << (8 * c);
    }
    return out;
}

}  // namespace rs::graphics::simd
