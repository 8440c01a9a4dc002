// Scaled copies: zcopy (nearest), hzcopy (smooth, on squared channels), hqcopy (sub-pixel with
// gamma) and the mosaics of mozcopy.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "graphics/blit.h"
#include "graphics/blit_clip.h"
#include "graphics/blit_tables.h"
#include "graphics/simd/area_reduce.h"
#include "graphics/tables.h"

namespace rs::graphics {

using detail::channel;
using detail::row32;

namespace {

// One axis of a scaled copy. The destination span [d, d + dn) shows the source span [s, s + sn);
// a negative size on either side moves that span's start back by the size, and when exactly one
// side was negative the picture is mirrored: the destination pixel k shows what pixel dn - 1 - k
// of the unmirrored copy shows. Only destination pixels inside the destination frame whose source
// pixel lies inside the source frame are kept; they are contiguous.
struct Axis {
    int32_t first = 0;           // destination coordinate of the first kept pixel
    std::vector<int32_t> src;    // source coordinate per kept pixel
    std::vector<uint32_t> frac;  // position between src and src + 1, in 1/256 (enlarging)
    std::vector<int64_t> t;      // index in the unmirrored copy
    int64_t sn = 0;
    int64_t dn = 0;
    int64_t slo = 0;
    int32_t count() const { return static_cast<int32_t>(src.size()); }
};

Axis buildAxis(int32_t d, int32_t dSize, int32_t s, int32_t sSize, int32_t dstLimit,
               int32_t srcLimit) {
    Axis a;
    int64_t dlo = std::min<int64_t>(d, int64_t{d} + dSize);
    a.dn = std::abs(int64_t{dSize});
    a.slo = std::min<int64_t>(s, int64_t{s} + sSize);
    a.sn = std::abs(int64_t{sSize});
    bool mirror = (dSize < 0) != (sSize < 0);
    if (a.dn == 0) return a;
    int64_t kFrom = std::max<int64_t>(0, -dlo);
    int64_t kTo = std::min<int64_t>(a.dn, int64_t{dstLimit} - dlo);
    for (int64_t k = kFrom; k < kTo; ++k) {
        int64_t t = mirror ? a.dn - 1 - k : k;
        int64_t pos = a.slo + t * a.sn / a.dn;
        if (pos < 0 || pos >= srcLimit) {
            if (!a.src.empty()) break;
            continue;
        }
        if (a.src.empty()) a.first = static_cast<int32_t>(dlo + k);
        a.src.push_back(static_cast<int32_t>(pos));
        a.frac.push_back(static_cast<uint32_t>(((t * a.sn) % a.dn) * 256 / a.dn));
        a.t.push_back(t);
    }
    if (a.src.empty()) a.first = detail::clampToInt(dlo);
    return a;
}

void reportAxes(const BlitContext& c, Frame& dst, const Axis& x, const Axis& y) {
    c.reportRect(dst, x.first, y.first, x.count(), y.count());
}

}  // namespace

void zcopy(const BlitContext& c, const Frame& src, int32_t sx, int32_t sy, int32_t sw, int32_t sh,
           Frame& dst, int32_t dx, int32_t dy, int32_t dw, int32_t dh) {
    Axis ax = buildAxis(dx, dw, sx, sw, dst.width, src.width);
    Axis ay = buildAxis(dy, dh, sy, sh, dst.height, src.height);
    int32_t w = ax.count();
    bool opaqueBlend = !dst.alphaValid && src.bpp == 32 && src.alphaValid;
    for (int32_t j = 0; j < ay.count(); ++j) {
        int32_t y = ay.first + j;
        int32_t v = ay.src[static_cast<size_t>(j)];
        if (opaqueBlend) {
            for (int32_t i = 0; i < w; ++i)
                blendPixelOpaque(dst, ax.first + i, y,
                                 row32(src, v)[ax.src[static_cast<size_t>(i)]]);
        } else if (src.bpp == 32 && dst.bpp == 32) {
            // A row showing the same source row as the one above it is that row again.
            if (j > 0 && v == ay.src[static_cast<size_t>(j - 1)] && &src != &dst) {
                std::memcpy(row32(dst, y) + ax.first, row32(dst, y - 1) + ax.first,
                            static_cast<size_t>(w) * 4);
                continue;
            }
            const uint32_t* s = row32(src, v);
            uint32_t* out = row32(dst, y) + ax.first;
            const int32_t* map = ax.src.data();
            for (int32_t i = 0; i < w; ++i) out[i] = s[map[i]];
        } else if (src.bpp == dst.bpp && src.bpp >= 8) {
            int32_t b = src.bpp / 8;
            for (int32_t i = 0; i < w; ++i) {
                std::memcpy(pixelAddress(dst, ax.first + i, y),
                            pixelAddress(src, ax.src[static_cast<size_t>(i)], v),
                            static_cast<size_t>(b));
            }
        } else {
            for (int32_t i = 0; i < w; ++i)
                putPixel(dst, ax.first + i, y, getColour(src, ax.src[static_cast<size_t>(i)], v));
        }
    }
    reportAxes(c, dst, ax, ay);
}

// The scaled blend takes zcopy's geometry (mirroring included) and blendcopy's per-pixel rules.
void blendScaled(const BlitContext& c, const Frame& src, int32_t sx, int32_t sy, int32_t sw,
                 int32_t sh, Frame& dst, int32_t dx, int32_t dy, int32_t dw, int32_t dh,
                 int32_t alpha) {
    auto a = static_cast<uint32_t>(std::clamp(alpha, 0, 256));
    Axis ax = buildAxis(dx, dw, sx, sw, dst.width, src.width);
    Axis ay = buildAxis(dy, dh, sy, sh, dst.height, src.height);
    for (int32_t j = 0; j < ay.count(); ++j) {
        int32_t v = ay.src[static_cast<size_t>(j)];
        for (int32_t i = 0; i < ax.count(); ++i) {
            uint32_t p = getColour(src, ax.src[static_cast<size_t>(i)], v);
            detail::blendPixelInPlace(dst, ax.first + i, ay.first + j, src, p, a);
        }
    }
    reportAxes(c, dst, ax, ay);
}

namespace {

inline uint32_t sq(uint32_t v) { return v * v; }

// Interpolation on squared channels (colours) and on plain values (alpha) with 8-bit weights.
uint32_t smoothPixel(uint32_t a, uint32_t b, uint32_t cc, uint32_t d, int32_t fx, int32_t fy) {
    uint32_t out = 0;
    for (int ch = 0; ch < 3; ++ch) {
        auto pa = static_cast<int32_t>(sq(channel(a, ch)));
        auto pb = static_cast<int32_t>(sq(channel(b, ch)));
        auto pc = static_cast<int32_t>(sq(channel(cc, ch)));
        auto pd = static_cast<int32_t>(sq(channel(d, ch)));
        int32_t top = pa + (((pb - pa) * fx) >> 8);
        int32_t bottom = pc + (((pd - pc) * fx) >> 8);
        int32_t v = top + (((bottom - top) * fy) >> 8);
        out |= isqrt(static_cast<uint32_t>(v)) << (8 * ch);
    }
    auto pa = static_cast<int32_t>(a >> 24), pb = static_cast<int32_t>(b >> 24);
    auto pc = static_cast<int32_t>(cc >> 24), pd = static_cast<int32_t>(d >> 24);
    int32_t top = pa + (((pb - pa) * fx) >> 8);
    int32_t bottom = pc + (((pd - pc) * fx) >> 8);
    out |= static_cast<uint32_t>(top + (((bottom - top) * fy) >> 8)) << 24;
    return out;
}

// The source pixels a reduced destination pixel covers along one axis, with the length each
// covers in units of 1/dn source pixel (together sn). Pixels past the frame's edge read the edge.
struct Tap {
    int32_t pos;
    uint32_t weight;
};
void coverage(const Axis& a, size_t index, int32_t limit, std::vector<Tap>& taps) {
    taps.clear();
    if (a.sn == 0) {
        taps.push_back({a.src[index], 1});
        return;
    }
    int64_t t = a.t[index];
    int64_t from = t * a.sn;  // in units of 1/dn source pixel, from slo
    int64_t to = from + a.sn;
    for (int64_t k = from / a.dn; k * a.dn < to; ++k) {
        int64_t lo = std::max(from, k * a.dn);
        int64_t hi = std::min(to, (k + 1) * a.dn);
        if (hi <= lo) continue;
        int64_t p = std::clamp<int64_t>(a.slo + k, 0, limit - 1);
        taps.push_back({static_cast<int32_t>(p), static_cast<uint32_t>(hi - lo)});
    }
}

void reduceRows(SimdLevel level, const Frame& src, Frame& dst, const Axis& ax, const Axis& ay) {
    int32_t w = ax.count();
    std::vector<int32_t> colStart(static_cast<size_t>(w) + 1);
    std::vector<int32_t> colPos;
    std::vector<uint32_t> colWeight;
    std::vector<Tap> taps;
    for (int32_t i = 0; i < w; ++i) {
        colStart[static_cast<size_t>(i)] = static_cast<int32_t>(colPos.size());
        coverage(ax, static_cast<size_t>(i), src.width, taps);
        for (const Tap& t : taps) {
            colPos.push_back(t.pos);
            colWeight.push_back(t.weight);
        }
    }
    colStart[static_cast<size_t>(w)] = static_cast<int32_t>(colPos.size());
    std::vector<double> colWeightD(colWeight.begin(), colWeight.end());
    std::vector<double> rowWeightD;
    uint64_t total = static_cast<uint64_t>(ax.sn == 0 ? 1 : ax.sn) *
                     static_cast<uint64_t>(ay.sn == 0 ? 1 : ay.sn);
    std::vector<const uint32_t*> rows;
    std::vector<uint32_t> rowWeight;
    for (int32_t j = 0; j < ay.count(); ++j) {
        coverage(ay, static_cast<size_t>(j), src.height, taps);
        rows.clear();
        rowWeight.clear();
        for (const Tap& t : taps) {
            rows.push_back(row32(src, t.pos));
            rowWeight.push_back(t.weight);
        }
        rowWeightD.assign(rowWeight.begin(), rowWeight.end());
        simd::AreaRow r{rows.data(),
                        rowWeight.data(),
                        static_cast<int32_t>(rows.size()),
                        colStart.data(),
                        colPos.data(),
                        colWeight.data(),
                        w,
                        total,
                        colWeightD.data(),
                        rowWeightD.data()};
        uint32_t* out = row32(dst, ay.first + j) + ax.first;
#if defined(__x86_64__)
        if (level == SimdLevel::Avx2) {
            simd::areaReduceRowAvx2(r, out);
            continue;
        }
#endif
        (void)level;
        simd::areaReduceRowPlain(r, out);
    }
}

}  // namespace

namespace {
void hzcopyRows(SimdLevel level, const Frame& src, Frame& dst, const Axis& ax, const Axis& ay);
}  // namespace

// Frames that are not both 32-bit are scaled as zcopy does. Neighbours past the source frame's
// last column or row read that column or row.
void hzcopy(const BlitContext& c, const Frame& src, int32_t sx, int32_t sy, int32_t sw, int32_t sh,
            Frame& dst, int32_t dx, int32_t dy, int32_t dw, int32_t dh) {
    if (src.bpp != 32 || dst.bpp != 32) {
        zcopy(c, src, sx, sy, sw, sh, dst, dx, dy, dw, dh);
        return;
    }
    Axis ax = buildAxis(dx, dw, sx, sw, dst.width, src.width);
    Axis ay = buildAxis(dy, dh, sy, sh, dst.height, src.height);
    if (ax.count() > 0 && ay.count() > 0) {
        // Inside one frame the source is read from a snapshot.
        std::unique_ptr<Frame> snapshot;
        const Frame* from = &src;
        if (&src == &dst) {
            snapshot = createFrame(src.width, src.height, 32, 3);
            if (!snapshot) return;
            std::memcpy(snapshot->pixels, src.pixels,
                        static_cast<size_t>(src.rowBytes()) * static_cast<size_t>(src.height));
            from = snapshot.get();
        }
        hzcopyRows(c.simd, *from, dst, ax, ay);
    }
    reportAxes(c, dst, ax, ay);
}

namespace {
void hzcopyRows(SimdLevel level, const Frame& src, Frame& dst, const Axis& ax, const Axis& ay) {
    {
        if (ax.sn < ax.dn) {
            for (int32_t j = 0; j < ay.count(); ++j) {
                int32_t v = ay.src[static_cast<size_t>(j)];
                const uint32_t* r0 = row32(src, v);
                const uint32_t* r1 = row32(src, std::min(v + 1, src.height - 1));
                auto fy = static_cast<int32_t>(ay.frac[static_cast<size_t>(j)]);
                uint32_t* out = row32(dst, ay.first + j) + ax.first;
                for (int32_t i = 0; i < ax.count(); ++i) {
                    int32_t u = ax.src[static_cast<size_t>(i)];
                    int32_t u1 = std::min(u + 1, src.width - 1);
                    auto fx = static_cast<int32_t>(ax.frac[static_cast<size_t>(i)]);
                    out[i] = smoothPixel(r0[u], r0[u1], r1[u], r1[u1], fx, fy);
                }
            }
        } else {
            reduceRows(level, src, dst, ax, ay);
        }
    }
}
}  // namespace

// Sub-pixel positions are split at the next lower whole number (so the fractions lie in 0..1
// also for negative positions). Neighbours past the source frame's last column or row read that
// column or row. Only 32-bit sources are read this way.
void hqcopy(const BlitContext& c, const Frame& src, float sx, float sy, Frame& dst, int32_t dx,
            int32_t dy, int32_t w, int32_t h, float gamma) {
    float fxf = sx - std::floor(sx);
    float fyf = sy - std::floor(sy);
    auto toInt = [](float v) {
        return detail::clampToInt(static_cast<int64_t>(std::clamp(v, -3e9f, 3e9f)));
    };
    int32_t ix = toInt(std::floor(sx));
    int32_t iy = toInt(std::floor(sy));
    if (fxf == 0.0f && fyf == 0.0f) {
        copy(c, src, ix, iy, dst, dx, dy, w, h);
        return;
    }
    if (detail::clipRects(w, h, {detail::pos(ix, iy, src), detail::pos(dx, dy, dst)}) &&
        src.bpp == 32 && dst.bpp == 32) {
        uint32_t w00[256], w10[256], w01[256], w11[256], inv[256];
        auto level = [](float v) { return std::clamp(v, 0.0f, 255.0f); };
        for (int v = 0; v < 256; ++v) {
            float lv = level(255.0f * std::pow(static_cast<float>(v) / 255.0f, gamma));
            w00[v] = static_cast<uint32_t>(lv * (1.0f - fxf) * (1.0f - fyf));
            w10[v] = fxf > 0 ? static_cast<uint32_t>(lv * fxf * (1.0f - fyf)) : 0;
            w01[v] = fyf > 0 ? static_cast<uint32_t>(lv * (1.0f - fxf) * fyf) : 0;
            w11[v] = (fxf > 0 && fyf > 0) ? static_cast<uint32_t>(lv * fxf * fyf) : 0;
            inv[v] = static_cast<uint32_t>(
                level(255.0f * std::pow(static_cast<float>(v) / 255.0f, 1.0f / gamma)));
        }
        for (int32_t j = 0; j < h; ++j) {
            const uint32_t* r0 = row32(src, iy + j);
            const uint32_t* r1 = row32(src, std::min(iy + j + 1, src.height - 1));
            uint32_t* out = row32(dst, dy + j) + dx;
            for (int32_t i = 0; i < w; ++i) {
                int32_t u = ix + i;
                int32_t u1 = std::min(u + 1, src.width - 1);
                uint32_t p = 0;
                for (int ch = 0; ch < 3; ++ch) {
                    uint32_t sum = w00[channel(r0[u], ch)] + w10[channel(r0[u1], ch)] +
                                   w01[channel(r1[u], ch)] + w11[channel(r1[u1], ch)];
                    p |= inv[std::min<uint32_t>(sum, 255)] << (8 * ch);
                }
                out[i] = p;
            }
        }
    }
    c.reportRect(dst, dx, dy, w, h);
}

namespace {

// Fills a rectangle of the destination (already inside it) as `full` does.
void fillRect(Frame& dst, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour) {
    for (int32_t y = y0; y <= y1; ++y) {
        for (int32_t x = x0; x <= x1; ++x) putPixel(dst, x, y, colour);
    }
}

// The value `point` reads: the 32-bit pixel, an 8-bit index, or -1 outside or for other depths.
uint32_t pointValue(const Frame& f, int32_t x, int32_t y) {
    const uint8_t* p = pixelAddress(f, x, y);
    if (!p) return 0xFFFFFFFFu;
    if (f.bpp == 32) {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
    }
    return f.bpp == 8 ? *p : 0xFFFFFFFFu;
}

// The centred blocks of mozcopy modes 1 and 3 along one axis: block k spans
// len / 2 + k * size .. len / 2 + (k + 1) * size - 1, cut to 0..len - 1.
template <class Fn>
void centredBlocks(int32_t len, int32_t size, Fn fn) {
    int32_t n = ((len + 1) / 2 + size - 1) / size;
    for (int32_t k = -n; k < n; ++k) {
        int64_t a = int64_t{len} / 2 + int64_t{k} * size;
        int64_t b = a + size - 1;
        a = std::max<int64_t>(a, 0);
        b = std::min<int64_t>(b, len - 1);
        if (a <= b) fn(static_cast<int32_t>(a), static_cast<int32_t>(b));
    }
}

}  // namespace

void mozcopy(const BlitContext& c, const Frame& src, int32_t sx, int32_t sy, Frame& dst, int32_t dx,
             int32_t dy, int32_t w, int32_t h, int32_t size, int32_t mode) {
    if (size < 2) {
        copy(c, src, sx, sy, dst, dx, dy, w, h);
        return;
    }
    if (detail::clipRects(w, h, {detail::pos(sx, sy, src), detail::pos(dx, dy, dst)})) {
        if (mode == 0) {
            // Each block mirrored: offsets count back from the start of the next block.
            for (int32_t j = 0; j < h; ++j) {
                int32_t v = sy + (j / size + 1) * size - j % size;
                for (int32_t i = 0; i < w; ++i) {
                    int32_t u = sx + (i / size + 1) * size - i % size;
                    blendPixel(dst, dx + i, dy + j, getColour(src, u, v));
                }
            }
        } else if (mode == 1 || mode == 3) {
            centredBlocks(h, size, [&](int32_t y0, int32_t y1) {
                centredBlocks(w, size, [&](int32_t x0, int32_t x1) {
                    uint32_t colour;
                    if (mode == 1) {
                        colour = pointValue(src, sx + (x0 + x1) / 2, sy + (y0 + y1) / 2);
                    } else {
                        uint64_t sum[3] = {0, 0, 0};
                        for (int32_t y = y0; y <= y1; ++y) {
                            for (int32_t x = x0; x <= x1; ++x) {
                                uint32_t p = getColour(src, sx + x, sy + y);
                                for (int ch = 0; ch < 3; ++ch) sum[ch] += channel(p, ch);
                            }
                        }
                        uint64_t count = uint64_t(x1 - x0 + 1) * uint64_t(y1 - y0 + 1);
                        colour = 0;
                        for (int ch = 0; ch < 3; ++ch)
                            colour |= static_cast<uint32_t>(sum[ch] / count) << (8 * ch);
                    }
                    fillRect(dst, dx + x0, dy + y0, dx + x1, dy + y1, colour);
                });
            });
        } else if (mode == 2) {
            // Each pixel takes the middle of the block edge it faces: the block is cut by its two
            // diagonals into left, bottom, right and top triangles.
            int32_t half = size / 2;
            for (int32_t j = 0; j < h; ++j) {
                int32_t by = j / size * size, ry = j % size;
                for (int32_t i = 0; i < w; ++i) {
                    int32_t bx = i / size * size, rx = i % size;
                    int32_t u, v;
                    if (rx <= ry && rx + ry < size) {
                        u = bx, v = by + half;
                    } else if (rx <= ry) {
                        u = bx + half, v = by + size;
                    } else if (rx + ry >= size) {
                        u = bx + size, v = by + half;
                    } else {
                        u = bx + half, v = by;
                    }
                    blendPixel(dst, dx + i, dy + j, getColour(src, sx + u, sy + v));
                }
            }
        }
    }
    c.reportRect(dst, dx, dy, w, h);
}

namespace simd {

void areaReduceRowPlain(const AreaRow& r, uint32_t* out) {
    for (int32_t i = 0; i < r.width; ++i) {
        uint64_t acc[4] = {0, 0, 0, 0};
        for (int32_t k = 0; k < r.rowCount; ++k) {
            uint64_t line[4] = {0, 0, 0, 0};
            for (int32_t t = r.colStart[i]; t < r.colStart[i + 1]; ++t) {
                uint32_t p = r.rows[k][r.colPos[t]];
                uint64_t wt = r.colWeight[t];
                for (int ch = 0; ch < 3; ++ch) line[ch] += wt * sq(channel(p, ch));
                line[3] += wt * channel(p, 3);
            }
            for (int ch = 0; ch < 4; ++ch) acc[ch] += line[ch] * r.rowWeight[k];
        }
        uint32_t p = static_cast<uint32_t>(acc[3] / r.total) << 24;
        for (int ch = 0; ch < 3; ++ch)
            p |= isqrt(static_cast<uint32_t>(acc[ch] / r.total)) << (8 * ch);
        out[i] = p;
    }
}

}  // namespace simd

}  // namespace rs::graphics
