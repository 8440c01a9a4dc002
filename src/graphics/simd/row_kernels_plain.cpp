#include <cstring>

#include "graphics/blit_tables.h"
#include "graphics/simd/row_kernels.h"

namespace rs::graphics::simd {

namespace {

using detail::channel;

void opaqueCopy(uint32_t* d, const uint32_t* s, int32_t n) {
    for (int32_t i = 0; i < n; ++i) d[i] = s[i] | 0xFF000000u;
}

void greenKeyCopy(uint32_t* d, const uint32_t* s, int32_t n) {
    for (int32_t i = 0; i < n; ++i) {
        if (!detail::greenKeyed(s[i])) d[i] = s[i];
    }
}

void invert(uint32_t* d, const uint32_t* s, int32_t n) {
    for (int32_t i = 0; i < n; ++i) d[i] = ~s[i];
}

void fadeOver(uint32_t* d, const uint32_t* s, int32_t n) {
    for (int32_t i = 0; i < n; ++i) {
        uint32_t p = s[i];
        uint32_t a = p >> 24;
        if (a == 0) continue;
        if (a == 255) {
            d[i] = p | 0xFF000000u;
            continue;
        }
        uint32_t q = d[i];
        uint32_t out = 0xFF000000u;
        for (int c = 0; c < 3; ++c) {
            int32_t dc = static_cast<int32_t>(channel(q, c));
            int32_t sc = static_cast<int32_t>(channel(p, c));
            out |= static_cast<uint32_t>(dc + detail::fade(a, sc - dc)) << (8 * c);
        }
        d[i] = out;
    }
}

void blendOnto(uint32_t* d, const uint32_t* s, int32_t n, uint32_t a) {
    // T1[v] = v * a, T2[v] = v * (256 - a): the weights of source and destination.
    uint32_t t1[256];
    uint32_t t2[256];
    for (uint32_t v = 0; v < 256; ++v) {
        t1[v] = v * a;
        t2[v] = v * (256 - a);
    }
    for (int32_t i = 0; i < n; ++i) {
        uint32_t p = s[i];
        if (detail::blueKeyed(p)) continue;
        uint32_t q = d[i];
        uint32_t out = 0;
        for (int c = 0; c < 3; ++c)
            out |= ((t2[channel(q, c)] + t1[channel(p, c)]) >> 8) << (8 * c);
        d[i] = out;
    }
}

void blendMix(uint32_t* d, const uint32_t* s1, const uint32_t* s2, int32_t n, uint32_t a,
              bool mmx) {
    if (mmx) {
        for (int32_t i = 0; i < n; ++i) {
            uint32_t out = 0;
            for (int c = 0; c < 4; ++c) {
                uint32_t v = (channel(s2[i], c) * a + channel(s1[i], c) * (256 - a)) >> 8;
                out |= (v > 255 ? 255 : v) << (8 * c);
            }
            d[i] = out;
        }
        return;
    }
    // deltaTable: entry k (k = -256..255) = (k * a) >> 8, an arithmetic shift.
    int32_t delta[512];
    for (int32_t k = -256; k < 256; ++k) delta[k + 256] = (k * static_cast<int32_t>(a)) >> 8;
    for (int32_t i = 0; i < n; ++i) {
        uint32_t out = 0;
        for (int c = 0; c < 3; ++c) {
            int32_t c1 = static_cast<int32_t>(channel(s1[i], c));
            int32_t c2 = static_cast<int32_t>(channel(s2[i], c));
            out |= static_cast<uint32_t>(c1 + delta[c2 - c1 + 256]) << (8 * c);
        }
        d[i] = out;
    }
}

void compositeOnto(uint32_t* d, const uint32_t* s, int32_t n, uint32_t a) {
    for (int32_t i = 0; i < n; ++i) {
        uint32_t sa = ((s[i] >> 24) * a) / 255;
        if (sa > 255) sa = 255;
        d[i] = detail::compositeOver(d[i], s[i], sa);
    }
}

void maskMix(uint32_t* d, const uint32_t* s1, const uint32_t* s2, const uint8_t* m, int32_t n,
             bool mmx) {
    if (mmx) {
        for (int32_t i = 0; i < n; ++i) d[i] = maskMixPacked(s1[i], s2[i], m[i]);
    } else {
        for (int32_t i = 0; i < n; ++i) d[i] = maskMixPlain(s1[i], s2[i], m[i]);
    }
}

void bigCopy(uint8_t* d, const uint8_t* s, size_t n) { std::memcpy(d, s, n); }
void finish() {}

constexpr RowKernels kPlain{opaqueCopy, greenKeyCopy,  invert,  fadeOver, blendOnto,
                            blendMix,   compositeOnto, maskMix, bigCopy,  finish};

}  // namespace

const RowKernels& plainKernels() { return kPlain; }

}  // namespace rs::graphics::simd
