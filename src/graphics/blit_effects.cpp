// Map-driven copies: modcopy (displacement) and uvcopy (coordinate map).
#include "graphics/blit.h"
#include "graphics/blit_clip.h"
#include "graphics/blit_tables.h"

namespace rs::graphics {

using detail::clipRects;
using detail::pos;

namespace {

// A signed 12-bit number.
int32_t signed12(uint32_t v) { return static_cast<int32_t>(v << 20) >> 20; }

}  // namespace

// Maps of depths other than 8 and 24 bits draw nothing.
void modcopy(const BlitContext& c, const Frame& src, int32_t sx, int32_t sy, const Frame& map,
             int32_t mx, int32_t my, Frame& dst, int32_t dx, int32_t dy, int32_t w, int32_t h,
             int32_t strength) {
    if (clipRects(w, h, {pos(sx, sy, src), pos(mx, my, map), pos(dx, dy, dst)}) &&
        (map.bpp == 8 || map.bpp == 24)) {
        for (int32_t j = 0; j < h; ++j) {
            const uint8_t* m = map.row(my + j) + static_cast<ptrdiff_t>(mx) * (map.bpp / 8);
            for (int32_t i = 0; i < w; ++i) {
                int64_t ox, oy;
                if (map.bpp == 8) {
                    int32_t v = m[i];
                    if (v == 0) continue;
                    ox = (int64_t{(v & 15) - 8} * strength) / 16;
                    oy = (int64_t{(v >> 4) - 8} * strength) / 16;
                } else {
                    const uint8_t* b = m + 3 * i;
                    if (b[0] == 255 && b[1] == 255 && b[2] == 255) continue;
                    ox = signed12(b[0] + (b[1] & 15u) * 256);
                    oy = signed12((b[1] >> 4) + b[2] * 16u);
                }
                int32_t u = detail::clampToInt(sx + i + ox);
                int32_t v = detail::clampToInt(sy + j + oy);
                putPixel(dst, dx + i, dy + j, getColour(src, u, v));
            }
        }
    }
    c.reportRect(dst, dx, dy, w, h);
}

// An 8-bit map addresses through offsets that are all 0: every non-zero index stores source
// pixel (0, 0), as the 24-bit map stores its pixels; index 0 is skipped.
void uvcopy(const BlitContext& c, const Frame& src, const Frame& map, int32_t mx, int32_t my,
            Frame& dst, int32_t dx, int32_t dy, int32_t w, int32_t h) {
    if (clipRects(w, h, {pos(mx, my, map), pos(dx, dy, dst)})) {
        for (int32_t j = 0; j < h; ++j) {
            const uint8_t* m = map.row(my + j);
            for (int32_t i = 0; i < w; ++i) {
                int32_t x = dx + i, y = dy + j;
                if (map.bpp == 32) {
                    if (dst.bpp != 32) break;
                    uint32_t v = detail::row32(map, my + j)[mx + i];
                    if ((v >> 24) == 0) continue;
                    uint32_t p = getColour(src, static_cast<int32_t>(v & 0xFFF),
                                           static_cast<int32_t>((v >> 12) & 0xFFF));
                    uint32_t* q = detail::row32(dst, y) + x;
                    *q = detail::blendOpaqueChannels(*q, p, p >> 24) | 0xFF000000u;
                } else if (map.bpp == 24) {
                    const uint8_t* b = m + 3 * (mx + i);
                    if (b[0] == 255 && b[1] == 255 && b[2] == 255) continue;
                    uint32_t v = b[0] | (uint32_t{b[1]} << 8) | (uint32_t{b[2]} << 16);
                    putPixel(dst, x, y,
                             getColour(src, static_cast<int32_t>(v & 0xFFF),
                                       static_cast<int32_t>((v >> 12) & 0xFFF)));
                } else if (map.bpp == 8) {
                    if (m[mx + i] == 0) continue;
                    putPixel(dst, x, y, getColour(src, 0, 0));
                }
            }
        }
    }
    c.reportRect(dst, dx, dy, w, h);
}

}  // namespace rs::graphics
