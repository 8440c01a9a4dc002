#include "graphics/composer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "graphics/blit_clip.h"
#include "graphics/blit_tables.h"
#include "graphics/frame.h"

namespace rs::graphics {

using detail::channel;
using detail::row32;

namespace {

int32_t toInt(int64_t v) { return detail::clampToInt(v); }

// Hard light of source s over d at opacity a: with s' = (sc - 128) * sa, a darker source
// multiplies, a lighter one screens; the result is held inside 0..255 and mixed with the
// destination by a. A source without alpha counts as opaque.
uint32_t hardLight(uint32_t d, uint32_t s, uint32_t a, bool sourceAlpha) {
    int32_t sa = sourceAlpha ? static_cast<int32_t>(s >> 24) : 255;
    uint32_t out = 0xFF000000u;
    for (int ch = 0; ch < 3; ++ch) {
        auto dc = static_cast<int32_t>(channel(d, ch));
        int32_t sp = (static_cast<int32_t>(channel(s, ch)) - 128) * sa;
        int32_t r;
        if (sp < 0) {
            r = (dc * (sp + 32640)) >> 15;
        } else {
            r = ((((dc * 256 - (((sp + 32640) * dc) >> 8)) + sp) * 2 + 65280) >> 8) - 256;
        }
        auto rc = static_cast<uint32_t>(std::clamp(r, 0, 255));
        uint32_t v = (rc * a + static_cast<uint32_t>(dc) * (255 - a)) / 255;
        out |= std::min<uint32_t>(v, 255) << (8 * ch);
    }
    return out;
}

// The part of the destination rectangle inside the dirty rectangle, with the source position
// moved along.
struct Clipped {
    int32_t dx, dy, sx, sy, w, h;
};
bool clipToDirty(const DirtyRect& dirty, int64_t x, int64_t y, int32_t w, int32_t h, int32_t sx,
                 int32_t sy, Clipped& out) {
    if (w <= 0 || h <= 0) return false;
    int64_t x0 = std::max<int64_t>(x, dirty.left);
    int64_t y0 = std::max<int64_t>(y, dirty.top);
    int64_t x1 = std::min<int64_t>(x + w - 1, dirty.right);
    int64_t y1 = std::min<int64_t>(y + h - 1, dirty.bottom);
    if (x0 > x1 || y0 > y1) return false;
    out = {toInt(x0),          toInt(y0),         toInt(sx + (x0 - x)), toInt(sy + (y0 - y)),
           toInt(x1 - x0 + 1), toInt(y1 - y0 + 1)};
    return true;
}

// Runs `fn(d, s)` for every screen pixel of the placement inside the screen and the dirty
// rectangle whose source pixel (nearest, srcX + i * srcWidth / width) lies inside the source.
template <class Fn>
void eachPixel(Composer& c, const Frame& src, int64_t x, int64_t y, const SpriteRect& r, Fn fn) {
    if (r.width <= 0 || r.height <= 0) return;
    const DirtyRect& d = c.layer.dirty;
    int64_t x0 = std::max<int64_t>({x, 0, d.left});
    int64_t y0 = std::max<int64_t>({y, 0, d.top});
    int64_t x1 = std::min<int64_t>({x + r.width - 1, c.screen.width - 1, d.right});
    int64_t y1 = std::min<int64_t>({y + r.height - 1, c.screen.height - 1, d.bottom});
    if (x0 > x1 || y0 > y1) return;
    std::vector<int32_t> cols(static_cast<size_t>(x1 - x0 + 1));
    for (int64_t px = x0; px <= x1; ++px) {
        int64_t u = r.srcX + (px - x) * r.srcWidth / r.width;
        cols[static_cast<size_t>(px - x0)] = u >= 0 && u < src.width ? static_cast<int32_t>(u) : -1;
    }
    bool direct = src.bpp == 32;
    for (int64_t py = y0; py <= y1; ++py) {
        int64_t v = r.srcY + (py - y) * r.srcHeight / r.height;
        if (v < 0 || v >= src.height) continue;
        auto sv = static_cast<int32_t>(v);
        const uint32_t* srow = direct ? row32(src, sv) : nullptr;
        uint32_t* out = row32(c.screen, static_cast<int32_t>(py));
        for (int64_t px = x0; px <= x1; ++px) {
            int32_t u = cols[static_cast<size_t>(px - x0)];
            if (u < 0) continue;
            uint32_t s = direct ? srow[u] : getColour(src, u, sv);
            out[px] = fn(out[px], s);
        }
    }
}

// Two textured triangles over the rectangle turned by `angle` about its centre.
void drawRotated(Composer& c, const Frame& src, int64_t x, int64_t y, const SpriteRect& r,
                 float angle, int32_t a, int32_t mode) {
    if (!std::isfinite(angle)) return;
    float hx = static_cast<float>(r.width - 1) / 2;
    float hy = static_cast<float>(r.height - 1) / 2;
    float cs = std::cos(angle);
    float sn = std::sin(angle);
    auto corner = [&](float dx, float dy, float u, float v) {
        float rx = dx - hx;
        float ry = dy - hy;
        return TexVertex{static_cast<float>(x) + hx + rx * cs - ry * sn,
                         static_cast<float>(y) + hy + rx * sn + ry * cs, u, v};
    };
    float u0 = static_cast<float>(r.srcX);
    float v0 = static_cast<float>(r.srcY);
    float u1 = static_cast<float>(int64_t{r.srcX} + r.srcWidth - 1);
    float v1 = static_cast<float>(int64_t{r.srcY} + r.srcHeight - 1);
    float w1 = static_cast<float>(r.width - 1);
    float h1 = static_cast<float>(r.height - 1);
    TexVertex tl = corner(0, 0, u0, v0), tr = corner(w1, 0, u1, v0), bl = corner(0, h1, u0, v1),
              br = corner(w1, h1, u1, v1);
    const TexVertex first[3] = {tl, tr, bl};
    const TexVertex second[3] = {tr, br, bl};
    if (mode == 1) {
        fillTriangleAdditive(src, first, c.screen, a);
        fillTriangleAdditive(src, second, c.screen, a);
    } else {
        fillTriangle(src, first, c.screen);
        fillTriangle(src, second, c.screen);
    }
}

// One copy of the placement at (x, y).
void place(Composer& c, const Frame& src, int64_t x, int64_t y, const SpriteRect& r, Manner manner,
           float angle, int32_t a, int32_t mode) {
    if (angle != 0) {
        drawRotated(c, src, x, y, r, angle, a, mode);
        return;
    }
    auto ua = static_cast<uint32_t>(a);
    bool alpha = src.alphaValid != 0;
    switch (mode) {
        case 0:
            if (r.width == r.srcWidth && r.height == r.srcHeight) {
                Clipped k{};
                if (!clipToDirty(c.layer.dirty, x, y, r.width, r.height, r.srcX, r.srcY, k)) return;
                if (a < 255) {
                    blendcopy(c.blit, src, k.sx, k.sy, c.screen, k.dx, k.dy, k.w, k.h, a);
                } else if (manner == Manner::First) {
                    copy(c.blit, src, k.sx, k.sy, c.screen, k.dx, k.dy, k.w, k.h);
                } else {
                    ccopy(c.blit, src, k.sx, k.sy, c.screen, k.dx, k.dy, k.w, k.h);
                }
            } else if (a < 255) {
                blendScaled(c.blit, src, r.srcX, r.srcY, r.srcWidth, r.srcHeight, c.screen,
                            toInt(x), toInt(y), r.width, r.height, a);
            } else {
                zcopy(c.blit, src, r.srcX, r.srcY, r.srcWidth, r.srcHeight, c.screen, toInt(x),
                      toInt(y), r.width, r.height);
            }
            break;
        case 1:
            eachPixel(c, src, x, y, r,
                      [&](uint32_t d, uint32_t s) { return detail::additive(d, s, ua, alpha); });
            break;
        case 7:
            eachPixel(c, src, x, y, r,
                      [&](uint32_t d, uint32_t s) { return hardLight(d, s, ua, alpha); });
            break;
        case 8: {
            bool full = src.bpp == 32 && alpha;
            eachPixel(c, src, x, y, r, [&](uint32_t d, uint32_t s) {
                return detail::colourDodge(d, s, d, full, ua);
            });
            break;
        }
        default: break;  // other blend modes draw nothing
    }
}

// The masked cross-fade of the sprite over what the screen shows, by a mask frame aligned with
// the sprite's source rectangle; the three mask parameters are the curve's bias, offset and gain.
void drawMasked(Composer& c, const Frame& src, const Frame& mask, const Sprite& s, int64_t x,
                int64_t y, const SpriteRect& r) {
    MaskCurve curve{s.maskParam1, s.maskParam2, s.maskParam3};
    int32_t dx = toInt(x);
    int32_t dy = toInt(y);
    if (r.width == r.srcWidth && r.height == r.srcHeight) {
        acmcopy(c.blit, src, r.srcX, r.srcY, c.screen, dx, dy, &mask, r.srcX, r.srcY, c.screen, dx,
                dy, r.width, r.height, curve);
    } else {
        acmcopyScaled(c.blit, FrameRect{&src, r.srcX, r.srcY, r.srcWidth, r.srcHeight},
                      FrameRect{&c.screen, dx, dy, r.width, r.height},
                      FrameRect{&mask, r.srcX, r.srcY, r.srcWidth, r.srcHeight}, c.screen, dx, dy,
                      r.width, r.height, curve);
    }
}

// The first sprite with the wave: every display row is drawn on its own, shifted sideways.
void drawWave(Composer& c, const Sprite& s, const Frame& source) {
    WaveRows rows = waveRows(c.layer, s, c.screen.height);
    for (int32_t row = rows.first; row < rows.last; ++row)
        drawSpriteRect(c, s, source, waveRowRect(c.layer.wave, s, row, c.time), Manner::First);
}

}  // namespace

int32_t waveShift(const WaveParams& w, int32_t row, float t) {
    if (row < w.top || row >= w.bottom) return 0;
    // The modulation factor is 1: the amplitude does not change over time.
    constexpr float m = 1.0f;
    float shift = static_cast<float>(w.amplitude) * m *
                  std::sin(static_cast<float>(row) * w.paramC + w.paramB * t);
    if (std::isnan(shift)) return 0;
    return static_cast<int32_t>(std::clamp(shift, -2e9f, 2e9f));
}

WaveRows waveRows(const SpriteLayer& layer, const Sprite& s, int32_t screenHeight) {
    int64_t first = 0;
    int64_t last = s.height;
    if (!(s.attributes & spriteattr::kWrapY) && s.angle == 0) {
        int64_t top = int64_t{s.y} + layer.offsetOf(s).y;
        first = std::max<int64_t>(first, -top);
        last = std::min<int64_t>(last, screenHeight - top);
    }
    return {toInt(first), toInt(std::max(first, last))};
}

SpriteRect waveRowRect(const WaveParams& wave, const Sprite& s, int32_t row, float t) {
    SpriteRect r;
    r.x = int64_t{s.x} + waveShift(wave, row, t);
    r.y = int64_t{s.y} + row;
    r.width = s.width;
    r.height = 1;
    r.srcX = s.srcX;
    r.srcY = toInt(s.srcY + int64_t{s.srcHeight} * row / s.height);
    r.srcWidth = s.srcWidth;
    r.srcHeight = s.srcHeight / s.height;
    return r;
}

void drawSpriteRect(Composer& c, const Sprite& s, const Frame& source, const SpriteRect& r,
                    Manner manner) {
    const SpriteLayer& layer = c.layer;
    ScreenPoint o = layer.offsetOf(s);
    int64_t x = r.x + o.x;
    int64_t y = r.y + o.y;

    int32_t opacity = layer.opacityOf(s);
    if (opacity <= 0) return;

    WrapCopies copies = wrapCopies(x, y, s.attributes, c.screen.width, c.screen.height);
    if (s.maskFrame >= 0) {
        if (const Frame* mask = c.frames.at(s.maskFrame)) {
            drawMasked(c, source, *mask, s, copies.at[0].x, copies.at[0].y, r);
            return;
        }
    }
    for (int32_t i = 0; i < copies.count; ++i) {
        place(c, source, copies.at[i].x, copies.at[i].y, r, manner, s.angle, opacity,
              s.blendMode());
    }
}

void drawSprite(Composer& c, const Sprite& s, const Frame& source, Manner manner) {
    if (manner == Manner::OtherResetting) {
        if (s.attributes & spriteattr::kResetPlacement) {
            c.screen.placement = 0;
        } else {
            manner = Manner::Other;
        }
    }
    SpriteRect r{s.x, s.y, s.width, s.height, s.srcX, s.srcY, s.srcWidth, s.srcHeight};
    drawSpriteRect(c, s, source, r, manner);
}

ComposeResult composeSoftware(Composer& c, bool sceneChanged) {
    SpriteLayer& layer = c.layer;
    const WaveParams& wave = layer.wave;
    layer.widenForWave(c.screen.width);
    if (!sceneChanged) return ComposeResult::Present;
    std::memset(c.screen.pixels, 0,
                static_cast<size_t>(c.screen.rowBytes()) * static_cast<size_t>(c.screen.height));
    bool first = true;
    // A walk longer than the table has met a loop in the links.
    for (int32_t i = layer.head, steps = 0; i >= 0;
         i = layer.sprites[static_cast<size_t>(i)].next, ++steps) {
        if (steps > layer.count()) return ComposeResult::SpriteLinkLoop;
        const Sprite& s = layer.sprites[static_cast<size_t>(i)];
        if (const Frame* f = c.frames.at(s.frame)) {
            if (first && wave.amplitude != 0) {
                drawWave(c, s, *f);
            } else {
                drawSprite(c, s, *f, first ? Manner::First : Manner::OtherResetting);
            }
        }
        first = false;
        if (layer.selfLinked(i)) return ComposeResult::SpriteLinkLoop;
    }
    return ComposeResult::Present;
}

}  // namespace rs::graphics
