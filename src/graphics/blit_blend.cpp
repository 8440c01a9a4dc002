// Blends: the two-source blend behind blendcopy and acopy, the masked cross-fade acmcopy and its
// scaled form, the colour dodge pscopydiv, and the scaled blend the composer uses.
#include <algorithm>
#include <vector>

#include "graphics/blit.h"
#include "graphics/blit_clip.h"
#include "graphics/blit_tables.h"
#include "graphics/simd/row_kernels.h"

namespace rs::graphics {

using detail::channel;
using detail::clipRects;
using detail::pos;
using detail::row32;

namespace {

// One pixel of the in-place blend onto a frame without alpha from a source with alpha.
void blendWithAlpha(Frame& d, int32_t x, int32_t y, uint32_t p, uint32_t a) {
    if (detail::blueKeyed(p)) return;
    uint32_t sa = detail::scaledAlpha(p, a);
    if (sa == 0) return;
    blendPixel(d, x, y, (p & 0x00FFFFFFu) | (sa << 24));
}

// The in-place blend of row j: D and S2 are already clipped.
void blendRowInPlace(const BlitContext& c, Frame& d, int32_t dx, int32_t dy, const Frame& s2,
                     int32_t x2, int32_t y2, int32_t w, uint32_t a, bool overlap) {
    const auto& k = simd::kernels(overlap ? SimdLevel::None : c.simd);
    if (d.alphaValid && s2.alphaValid) {
        k.compositeOnto(row32(d, dy) + dx, row32(s2, y2) + x2, w, a);
    } else if (d.alphaValid) {
        // The source has no alpha: every pixel but the blue-keyed ones is stored opaque.
        if (s2.bpp != 32 && s2.bpp != 8) return;
        uint32_t* out = row32(d, dy) + dx;
        for (int32_t i = 0; i < w; ++i) {
            uint32_t p = getColour(s2, x2 + i, y2);
            if (!detail::blueKeyed(p)) out[i] = p | 0xFF000000u;
        }
    } else if (s2.alphaValid) {
        if (d.bpp != 32 && d.bpp != 8) return;
        for (int32_t i = 0; i < w; ++i) blendWithAlpha(d, dx + i, dy, row32(s2, y2)[x2 + i], a);
    } else if (d.bpp == 32 && s2.bpp == 32) {
        k.blendOnto(row32(d, dy) + dx, row32(s2, y2) + x2, w, a);
    }
}

// The three-frame blend where all frames have alpha: the sources are not clipped to their own
// frames; a pixel only one source covers is that source with its alpha weighted.
uint32_t mixWithAlpha(bool in1, uint32_t p1, bool in2, uint32_t p2, uint32_t a) {
    uint32_t w2 = std::min<uint32_t>(a, 255);
    uint32_t w1 = 255 - w2;
    if (in1 && in2) {
        uint32_t wa = (p1 >> 24) * w1;
        uint32_t wb = (p2 >> 24) * w2;
        uint32_t total = wa + wb;
        if (total == 0) return 0;
        uint32_t k = (1u << 24) / total;
        uint32_t f1 = (k * wa) >> 16;
        uint32_t f2 = (k * wb) >> 16;
        uint32_t out = (total / 255) << 24;
        for (int ch = 0; ch < 3; ++ch)
            out |= ((channel(p2, ch) * f2 + channel(p1, ch) * f1) >> 8) << (8 * ch);
        return out;
    }
    if (in1) return (p1 & 0x00FFFFFFu) | ((((p1 >> 24) * w1) / 255) << 24);
    if (in2) return (p2 & 0x00FFFFFFu) | ((((p2 >> 24) * w2) / 255) << 24);
    return 0;
}

uint32_t mixPlain(uint32_t p1, uint32_t p2, uint32_t a) {
    uint32_t out = 0;
    for (int ch = 0; ch < 3; ++ch) {
        auto c1 = static_cast<int32_t>(channel(p1, ch));
        auto c2 = static_cast<int32_t>(channel(p2, ch));
        out |= static_cast<uint32_t>(c1 + (((c2 - c1) * static_cast<int32_t>(a)) >> 8)) << (8 * ch);
    }
    return out;
}

struct Source {
    const Frame* f;
    int32_t x;
    int32_t y;
};

void blend(const BlitContext& c, Source s1, Source s2, Frame& d, int32_t dx, int32_t dy, int32_t w,
           int32_t h, int32_t alpha) {
    uint32_t a = static_cast<uint32_t>(std::clamp(alpha, 0, 256));
    if (&d == s2.f) {
        std::swap(s1, s2);
        a = 256 - a;
    }
    if (&d == s1.f) {
        if (clipRects(w, h, {pos(dx, dy, d), pos(s1.x, s1.y, *s1.f), pos(s2.x, s2.y, *s2.f)})) {
            bool overlap = detail::overlapSameFrame(d, dx, dy, *s2.f, s2.x, s2.y, w, h);
            for (int32_t j = 0; j < h; ++j)
                blendRowInPlace(c, d, dx, dy + j, *s2.f, s2.x, s2.y + j, w, a, overlap);
        }
    } else if (d.bpp == 32 && s1.f->bpp == 32 && s2.f->bpp == 32 && d.alphaValid &&
               s1.f->alphaValid && s2.f->alphaValid) {
        // Only the destination clips; sources may lie partly outside their frames.
        int32_t ox = dx;
        int32_t oy = dy;
        if (clipRects(w, h, {pos(dx, dy, d)})) {
            int32_t x1 = s1.x + (dx - ox), y1 = s1.y + (dy - oy);
            int32_t x2 = s2.x + (dx - ox), y2 = s2.y + (dy - oy);
            for (int32_t j = 0; j < h; ++j) {
                uint32_t* out = row32(d, dy + j) + dx;
                for (int32_t i = 0; i < w; ++i) {
                    bool in1 = s1.f->contains(x1 + i, y1 + j);
                    bool in2 = s2.f->contains(x2 + i, y2 + j);
                    uint32_t p1 = in1 ? row32(*s1.f, y1 + j)[x1 + i] : 0;
                    uint32_t p2 = in2 ? row32(*s2.f, y2 + j)[x2 + i] : 0;
                    out[i] = mixWithAlpha(in1, p1, in2, p2, a);
                }
            }
        }
    } else if (clipRects(w, h, {pos(s1.x, s1.y, *s1.f), pos(s2.x, s2.y, *s2.f), pos(dx, dy, d)})) {
        if (d.bpp == 32 && s1.f->bpp == 32 && s2.f->bpp == 32) {
            const auto& k = simd::kernels(c.simd);
            for (int32_t j = 0; j < h; ++j) {
                k.blendMix(row32(d, dy + j) + dx, row32(*s1.f, s1.y + j) + s1.x,
                           row32(*s2.f, s2.y + j) + s2.x, w, a, c.mmx);
            }
        } else {
            for (int32_t j = 0; j < h; ++j) {
                for (int32_t i = 0; i < w; ++i) {
                    uint32_t p1 = getColour(*s1.f, s1.x + i, s1.y + j);
                    uint32_t p2 = getColour(*s2.f, s2.x + i, s2.y + j);
                    putPixel(d, dx + i, dy + j, mixPlain(p1, p2, a));
                }
            }
        }
    }
    c.reportRect(d, dx, dy, w, h);
}

}  // namespace

void blendcopy(const BlitContext& c, const Frame& src, int32_t sx, int32_t sy, Frame& dst,
               int32_t dx, int32_t dy, int32_t w, int32_t h, int32_t alpha) {
    blend(c, Source{&dst, dx, dy}, Source{&src, sx, sy}, dst, dx, dy, w, h, alpha);
}

void acopy(const BlitContext& c, const Frame& src1, int32_t x1, int32_t y1, const Frame& src2,
           int32_t x2, int32_t y2, Frame& dst, int32_t dx, int32_t dy, int32_t w, int32_t h,
           int32_t alpha) {
    blend(c, Source{&src1, x1, y1}, Source{&src2, x2, y2}, dst, dx, dy, w, h, alpha);
}

namespace detail {

// The in-place blend's per-pixel rules, for the scaled form (blendcopy's rows run them in bulk).
void blendPixelInPlace(Frame& dst, int32_t x, int32_t y, const Frame& src, uint32_t p, uint32_t a) {
    if (dst.alphaValid && src.alphaValid) {
        uint32_t* q = row32(dst, y) + x;
        *q = compositeOver(*q, p, scaledAlpha(p, a));
    } else if (dst.alphaValid) {
        if ((src.bpp == 32 || src.bpp == 8) && !blueKeyed(p)) putPixel(dst, x, y, p | 0xFF000000u);
    } else if (src.alphaValid) {
        if (dst.bpp == 32 || dst.bpp == 8) blendWithAlpha(dst, x, y, p, a);
    } else if (dst.bpp == 32 && src.bpp == 32 && !blueKeyed(p)) {
        uint32_t q = row32(dst, y)[x];
        uint32_t out = 0;
        for (int ch = 0; ch < 3; ++ch)
            out |= ((channel(q, ch) * (256 - a) + channel(p, ch) * a) >> 8) << (8 * ch);
        row32(dst, y)[x] = out;
    }
}

}  // namespace detail

namespace {

// The mask curve: clamp((((offset + i) & 0xFF) + bias) * gain) to 0..255.
void maskCurve(MaskCurve k, uint8_t (&table)[256]) {
    for (int32_t i = 0; i < 256; ++i) {
        int64_t m = (static_cast<int64_t>((k.offset + i) & 0xFF) + k.bias) * k.gain;
        table[i] = static_cast<uint8_t>(std::clamp<int64_t>(m, 0, 255));
    }
}

}  // namespace

// A mask of any depth is read as one index byte per pixel (the blue byte of a 32-bit pixel).
void acmcopy(const BlitContext& c, const Frame& src1, int32_t x1, int32_t y1, const Frame& src2,
             int32_t x2, int32_t y2, const Frame* mask, int32_t mx, int32_t my, Frame& dst,
             int32_t dx, int32_t dy, int32_t w, int32_t h, MaskCurve curve) {
    if (mask &&
        clipRects(w, h,
                  {pos(x1, y1, src1), pos(x2, y2, src2), pos(mx, my, *mask), pos(dx, dy, dst)})) {
        uint8_t table[256];
        maskCurve(curve, table);
        bool fast = src1.bpp == 32 && src2.bpp == 32 && dst.bpp == 32;
        bool overlap = detail::overlapSameFrame(src1, x1, y1, dst, dx, dy, w, h) ||
                       detail::overlapSameFrame(src2, x2, y2, dst, dx, dy, w, h);
        const auto& k = simd::kernels(overlap ? SimdLevel::None : c.simd);
        constexpr int32_t kChunk = 512;
        uint8_t m[kChunk];
        for (int32_t j = 0; j < h; ++j) {
            for (int32_t i0 = 0; i0 < w; i0 += kChunk) {
                int32_t n = std::min(kChunk, w - i0);
                if (mask->bpp == 8) {
                    const uint8_t* mrow = mask->row(my + j) + mx + i0;
                    for (int32_t i = 0; i < n; ++i) m[i] = table[mrow[i]];
                } else {
                    for (int32_t i = 0; i < n; ++i)
                        m[i] = table[detail::indexByte(*mask, mx + i0 + i, my + j)];
                }
                if (fast) {
                    k.maskMix(row32(dst, dy + j) + dx + i0, row32(src1, y1 + j) + x1 + i0,
                              row32(src2, y2 + j) + x2 + i0, m, n, c.mmx);
                    continue;
                }
                for (int32_t i = 0; i < n; ++i) {
                    uint32_t p1 = getColour(src1, x1 + i0 + i, y1 + j);
                    uint32_t p2 = getColour(src2, x2 + i0 + i, y2 + j);
                    putPixel(dst, dx + i0 + i, dy + j, simd::maskMixPlain(p1, p2, m[i]));
                }
            }
        }
    }
    c.reportRect(dst, dx, dy, w, h);
}

namespace {

// Nearest-neighbour source index of destination offset i for a span of sw source pixels shown
// over dw destination pixels (dw > 0).
int32_t nearest(int32_t i, int32_t sw, int32_t dw) {
    return static_cast<int32_t>((static_cast<int64_t>(i) * sw) / dw);
}

}  // namespace

void acmcopyScaled(const BlitContext& c, FrameRect src1, FrameRect src2, FrameRect mask, Frame& dst,
                   int32_t dx, int32_t dy, int32_t dw, int32_t dh, MaskCurve curve) {
    bool frames = src1.frame && src2.frame && mask.frame;
    // Only the destination pixels inside the destination frame are visited.
    int32_t jFrom = static_cast<int32_t>(std::clamp<int64_t>(-int64_t{dy}, 0, std::max(dh, 0)));
    int32_t jTo =
        static_cast<int32_t>(std::clamp<int64_t>(int64_t{dst.height} - dy, 0, std::max(dh, 0)));
    int32_t iFrom = static_cast<int32_t>(std::clamp<int64_t>(-int64_t{dx}, 0, std::max(dw, 0)));
    int32_t iTo =
        static_cast<int32_t>(std::clamp<int64_t>(int64_t{dst.width} - dx, 0, std::max(dw, 0)));
    for (int32_t j = jFrom; frames && j < jTo; ++j) {
        int32_t y = dy + j;
        for (int32_t i = iFrom; i < iTo; ++i) {
            int32_t x = dx + i;
            uint32_t mi = detail::indexByte(*mask.frame, mask.x + nearest(i, mask.w, dw),
                                            mask.y + nearest(j, mask.h, dh));
            int64_t m = (static_cast<int64_t>((curve.offset + static_cast<int32_t>(mi)) & 0xFF) +
                         curve.bias) *
                        curve.gain;
            uint32_t p1 = getColour(*src1.frame, src1.x + nearest(i, src1.w, dw),
                                    src1.y + nearest(j, src1.h, dh));
            uint32_t p2 = getColour(*src2.frame, src2.x + nearest(i, src2.w, dw),
                                    src2.y + nearest(j, src2.h, dh));
            uint32_t out;
            if (m <= 0) {
                out = p2;
            } else if (m >= 255) {
                out = p1;
            } else {
                auto mm = static_cast<uint32_t>(m);
                out = 0;
                for (int ch = 0; ch < 4; ++ch)
                    out |= ((channel(p2, ch) * (255 - mm) + channel(p1, ch) * mm) / 255)
                           << (8 * ch);
            }
            putPixel(dst, x, y, out);
        }
    }
    c.reportRect(dst, dx, dy, dw, dh);
}

void maskedOverlay(FrameRect src, const Frame& mask, int32_t w, int32_t h, PartRect part,
                   MaskCurve curve, uint32_t* out) {
    if (!src.frame) return;
    uint8_t table[256];
    maskCurve(curve, table);
    bool scaled = w != src.w || h != src.h;
    for (int32_t j = 0; j < part.h; ++j) {
        int32_t pj = part.y + j;
        for (int32_t i = 0; i < part.w; ++i) {
            int32_t pi = part.x + i;
            int32_t x = src.x + (scaled ? nearest(pi, src.w, w) : pi);
            int32_t y = src.y + (scaled ? nearest(pj, src.h, h) : pj);
            uint32_t texel = 0;
            // Unscaled, acmcopy draws only where the source and the mask both have the pixel.
            if (scaled || (src.frame->contains(x, y) && mask.contains(x, y))) {
                uint32_t m = table[detail::indexByte(mask, x, y)];
                texel = m << 24 | (getColour(*src.frame, x, y) & 0x00FFFFFFu);
            }
            *out++ = texel;
        }
    }
}

void pscopydiv(const BlitContext& c, const Frame& base, int32_t x1, int32_t y1, const Frame& layer,
               int32_t x2, int32_t y2, Frame& dst, int32_t dx, int32_t dy, int32_t w, int32_t h,
               int32_t opacity) {
    uint32_t op = static_cast<uint32_t>(std::clamp(opacity, 0, 255));
    if (clipRects(w, h, {pos(x1, y1, base), pos(x2, y2, layer), pos(dx, dy, dst)})) {
        bool full = base.bpp == 32 && layer.bpp == 32 && dst.bpp == 32 && layer.alphaValid;
        for (int32_t j = 0; j < h; ++j) {
            for (int32_t i = 0; i < w; ++i) {
                uint32_t b = getColour(base, x1 + i, y1 + j);
                uint32_t l = getColour(layer, x2 + i, y2 + j);
                uint32_t d = full ? row32(dst, dy + j)[dx + i] : 0;
                putPixel(dst, dx + i, dy + j, detail::colourDodge(b, l, d, full, op));
            }
        }
    }
    c.reportRect(dst, dx, dy, w, h);
}

}  // namespace rs::graphics
