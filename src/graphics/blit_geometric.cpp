// Geometric blits by inverse mapping: copyrot (rotation with scaling) and copytrape (rectangle
// onto a trapezoid).
#include <algorithm>
#include <cmath>

#include "graphics/blit.h"
#include "graphics/blit_clip.h"
#include "graphics/blit_tables.h"

#if defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace rs::graphics {

using detail::channel;
using detail::row32;

namespace {

// Bilinear sample with 4-bit weights; neighbours outside the source read 0; alpha 0.
uint32_t bilinearPlain(const Frame& s, int64_t iu, int64_t iv, uint32_t fx, uint32_t fy) {
    auto at = [&](int64_t x, int64_t y) -> uint32_t {
        if (x < 0 || y < 0 || x >= s.width || y >= s.height) return 0;
        return row32(s, static_cast<int32_t>(y))[x];
    };
    uint32_t p00 = at(iu, iv), p10 = at(iu + 1, iv), p01 = at(iu, iv + 1), p11 = at(iu + 1, iv + 1);
    uint32_t out = 0;
    for (int ch = 0; ch < 3; ++ch) {
        uint32_t top = channel(p00, ch) * (16 - fx) + channel(p10, ch) * fx;
        uint32_t bottom = channel(p01, ch) * (16 - fx) + channel(p11, ch) * fx;
        out |= ((top * (16 - fy) + bottom * fy) >> 8) << (8 * ch);
    }
    return out;
}

#if defined(__x86_64__)
// The same with both neighbour pairs inside the source, two pixels per load.
inline uint32_t bilinearSse2(const uint32_t* r0, const uint32_t* r1, uint32_t fx, uint32_t fy) {
    __m128i z = _mm_setzero_si128();
    __m128i top = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(r0)), z);
    __m128i bottom = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(r1)), z);
    auto ifx = static_cast<int16_t>(16 - fx), ffx = static_cast<int16_t>(fx);
    __m128i wx = _mm_set_epi16(ffx, ffx, ffx, ffx, ifx, ifx, ifx, ifx);
    top = _mm_mullo_epi16(top, wx);
    bottom = _mm_mullo_epi16(bottom, wx);
    top = _mm_add_epi16(top, _mm_srli_si128(top, 8));
    bottom = _mm_add_epi16(bottom, _mm_srli_si128(bottom, 8));
    __m128i v = _mm_add_epi16(_mm_mullo_epi16(top, _mm_set1_epi16(static_cast<int16_t>(16 - fy))),
                              _mm_mullo_epi16(bottom, _mm_set1_epi16(static_cast<int16_t>(fy))));
    v = _mm_srli_epi16(v, 8);
    return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(v, v))) & 0x00FFFFFFu;
}
#endif

// The low byte of a pixel as stored (the index of an 8-bit pixel); 0 outside.
uint32_t lowByte(const Frame& f, int64_t x, int64_t y) {
    if (x < 0 || y < 0 || x >= f.width || y >= f.height || f.bpp < 8) return 0;
    return *pixelAddress(f, static_cast<int32_t>(x), static_cast<int32_t>(y));
}

}  // namespace

void copyrot(const BlitContext& c, const Frame& src, float sx, float sy, float sw, float sh,
             Frame& dst, int32_t dx, int32_t dy, int32_t w, int32_t h, float angle) {
    int32_t x0 = std::max(dx, 0), y0 = std::max(dy, 0);
    int32_t x1 = detail::clampToInt(std::min<int64_t>(int64_t{dx} + w, dst.width));
    int32_t y1 = detail::clampToInt(std::min<int64_t>(int64_t{dy} + h, dst.height));
    if (w > 0 && h > 0 && x0 < x1 && y0 < y1) {
        // The centres in 11-bit fixed point, the source's from reals, the destination's from
        // integers; the steps from the angle and the two size ratios.
        auto fixed = [](double v) { return static_cast<int64_t>(std::clamp(v, -9e15, 9e15)); };
        int64_t cu = fixed((((double)sx + sw) / 2 - sx) * 2048);
        int64_t cv = fixed((((double)sy + sh) / 2 - sy) * 2048);
        int64_t cx = ((int64_t{dx} + w) * 2048) / 2 - int64_t{dx} * 2048;
        int64_t cy = ((int64_t{dy} + h) * 2048) / 2 - int64_t{dy} * 2048;
        double a = -static_cast<double>(angle);
        int64_t S = fixed(std::sin(a) * sw / w * 2048);
        int64_t C = fixed(std::cos(a) * sh / h * 2048);
        int64_t uStart = cu + (C * -cx - S * -cy) / 2048;
        int64_t vStart = cv + (S * -cx + C * -cy) / 2048;
        bool both32 = src.bpp == 32 && dst.bpp == 32;
        bool vec = c.simd != SimdLevel::None;
        for (int32_t y = y0; y < y1; ++y) {
            int64_t r = y - dy, col = x0 - dx;
            int64_t u = uStart - r * S + col * C;
            int64_t v = vStart + r * C + col * S;
            uint32_t* out = both32 ? row32(dst, y) : nullptr;
            for (int32_t x = x0; x < x1; ++x, u += C, v += S) {
                int64_t iu = u >> 11, iv = v >> 11;
                if (both32) {
                    auto fx = static_cast<uint32_t>((u >> 7) & 15),
                         fy = static_cast<uint32_t>((v >> 7) & 15);
#if defined(__x86_64__)
                    if (vec && iu >= 0 && iv >= 0 && iu + 1 < src.width && iv + 1 < src.height) {
                        out[x] =
                            bilinearSse2(row32(src, static_cast<int32_t>(iv)) + iu,
                                         row32(src, static_cast<int32_t>(iv + 1)) + iu, fx, fy);
                        continue;
                    }
#endif
                    out[x] = bilinearPlain(src, iu, iv, fx, fy);
                } else {
                    auto fu = static_cast<uint32_t>(u & 2047);
                    uint32_t p =
                        (lowByte(src, iu, iv) * (2048 - fu) + lowByte(src, iu + 1, iv) * fu) >> 11;
                    blendPixel(dst, x, y, p);
                }
            }
        }
    }
    c.reportRect(dst, x0, y0, int64_t{x1} - x0, int64_t{y1} - y0);
}

namespace {

// Copies one source pixel, when it lies inside the source, to (x, y) of the destination.
inline void trapePixel(const Frame& src, int64_t u, int64_t v, Frame& dst, int32_t x, int32_t y) {
    if (u < 0 || v < 0 || u >= src.width || v >= src.height) return;
    auto su = static_cast<int32_t>(u), sv = static_cast<int32_t>(v);
    if (src.bpp == 32 && dst.bpp == 32) {
        row32(dst, y)[x] = row32(src, sv)[su];
    } else {
        putPixel(dst, x, y, getColour(src, su, sv));
    }
}

int64_t ceilInt(double v) { return static_cast<int64_t>(std::clamp(std::ceil(v), -4e9, 4e9)); }
int64_t floorInt(double v) { return static_cast<int64_t>(std::clamp(std::floor(v), -4e9, 4e9)); }

// One side of the trapezoid family, written for horizontal parallel sides; the vertical variant
// calls it with x and y exchanged. Lines (rows, or columns when exchanged) run from a to b along
// the outer axis; on line t the span runs from ceil(l0 + t * (l1 - l0) / n) to
// floor(r0 + t * (r1 - r0) / n). `plot(line, pos, s, t16)` draws the pixel at line `line`,
// position `pos` with outer source coordinate s and inner 16.16 source coordinate t16.
template <class Plot>
void trapeLines(double a, double b, double l0, double l1, double r0, double r1, int32_t lineLimit,
                int32_t posLimit, int32_t s1Outer, int32_t s2Outer, int32_t s1Inner,
                int32_t s2Inner, Plot plot) {
    int64_t first = ceilInt(std::min(a, b));
    int64_t last = floorInt(std::max(a, b));
    int64_t n = last - first + 1;
    if (n <= 0) return;
    for (int64_t line = std::max<int64_t>(first, 0); line <= std::min<int64_t>(last, lineLimit - 1);
         ++line) {
        int64_t t = line - first;
        int64_t left = ceilInt(l0 + static_cast<double>(t) * (l1 - l0) / static_cast<double>(n));
        int64_t right = floorInt(r0 + static_cast<double>(t) * (r1 - r0) / static_cast<double>(n));
        int64_t visLeft = std::max<int64_t>(left, 0);
        int64_t visRight = std::min<int64_t>(right, posLimit - 1);
        int64_t outer = s1Outer + (t * (int64_t{s2Outer} - s1Outer)) / n;
        int64_t range = int64_t{s2Inner} - s1Inner;
        if (right == left) {
            // A span of one pixel shows the first source column of its line.
            if (left >= 0 && left < posLimit) plot(line, left, outer, int64_t{s1Inner} << 16);
            continue;
        }
        if (visLeft > visRight) continue;
        int64_t start = s1Inner + ((visLeft - left) * range) / (right - left);
        int64_t step = (range * 65536) / (right - left);
        int64_t pos16 = start * 65536;
        for (int64_t p = visLeft; p <= visRight; ++p, pos16 += step) plot(line, p, outer, pos16);
    }
}

}  // namespace

// Source pixels outside the source frame are not drawn.
void copytrape(const BlitContext& c, const Frame& src, int32_t sx1, int32_t sy1, int32_t sx2,
               int32_t sy2, Frame& dst, const QuadPoints& q) {
    const float* x = q.x;
    const float* y = q.y;
    if (y[0] == y[1] && y[2] == y[3]) {
        trapeLines(y[0], y[2], x[0], x[2], x[1], x[3], dst.height, dst.width, sy1, sy2, sx1, sx2,
                   [&](int64_t row, int64_t col, int64_t v, int64_t u16) {
                       trapePixel(src, u16 >> 16, v, dst, static_cast<int32_t>(col),
                                  static_cast<int32_t>(row));
                   });
    } else if (x[0] == x[2] && x[1] == x[3]) {
        trapeLines(x[0], x[1], y[0], y[1], y[2], y[3], dst.width, dst.height, sx1, sx2, sy1, sy2,
                   [&](int64_t col, int64_t row, int64_t u, int64_t v16) {
                       trapePixel(src, u, v16 >> 16, dst, static_cast<int32_t>(col),
                                  static_cast<int32_t>(row));
                   });
    }
    for (int k = 0; k < 4; ++k) {
        c.report(dst, static_cast<int64_t>(std::clamp(x[k], -3e9f, 3e9f)),
                 static_cast<int64_t>(std::clamp(y[k], -3e9f, 3e9f)));
    }
}

}  // namespace rs::graphics
