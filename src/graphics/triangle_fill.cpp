// Textured triangles: copytrans and the plain and additive triangle fillers of the composer.
#include <algorithm>
#include <cmath>

#include "graphics/blit.h"
#include "graphics/blit_clip.h"
#include "graphics/blit_tables.h"

namespace rs::graphics {

using detail::channel;
using detail::row32;

namespace {

struct EdgePoint {
    double x, u, v;
};

// Where row y crosses the edge a-b (a above b); a horizontal edge gives its lower end.
EdgePoint cross(const TexVertex& a, const TexVertex& b, double y) {
    if (a.y == b.y) return {b.x, b.u, b.v};
    double t = (y - a.y) / (static_cast<double>(b.y) - a.y);
    return {a.x + t * (static_cast<double>(b.x) - a.x), a.u + t * (static_cast<double>(b.u) - a.u),
            a.v + t * (static_cast<double>(b.v) - a.v)};
}

int64_t toFixed16(double v) { return static_cast<int64_t>(std::clamp(v * 65536.0, -9e15, 9e15)); }

// Walks the destination pixels of a triangle, giving each its nearest source position.
template <class Plot>
void rasterise(const TexVertex (&in)[3], int32_t width, int32_t height, Plot plot) {
    TexVertex v[3] = {in[0], in[1], in[2]};
    std::stable_sort(v, v + 3, [](const TexVertex& a, const TexVertex& b) { return a.y < b.y; });
    if (v[0].y == v[2].y) return;
    int64_t yFrom = std::max<int64_t>(
        static_cast<int64_t>(std::clamp(std::ceil(static_cast<double>(v[0].y)), -4e9, 4e9)), 0);
    int64_t yTo = std::min<int64_t>(
        static_cast<int64_t>(std::clamp(std::floor(static_cast<double>(v[2].y)), -4e9, 4e9)),
        height - 1);
    for (int64_t y = yFrom; y <= yTo; ++y) {
        auto yd = static_cast<double>(y);
        EdgePoint a = cross(v[0], v[2], yd);
        EdgePoint b = yd < v[1].y ? cross(v[0], v[1], yd) : cross(v[1], v[2], yd);
        if (b.x < a.x) std::swap(a, b);
        int64_t xs = static_cast<int64_t>(std::clamp(std::ceil(a.x), -4e9, 4e9));
        int64_t xe = static_cast<int64_t>(std::clamp(std::floor(b.x), -4e9, 4e9));
        double span = b.x - a.x;
        int64_t du = span > 0 ? toFixed16((b.u - a.u) / span) : 0;
        int64_t dv = span > 0 ? toFixed16((b.v - a.v) / span) : 0;
        int64_t from = std::max<int64_t>(xs, 0);
        int64_t to = std::min<int64_t>(xe, width - 1);
        int64_t u = toFixed16(a.u) + (from - xs) * du;
        int64_t vv = toFixed16(a.v) + (from - xs) * dv;
        for (int64_t x = from; x <= to; ++x, u += du, vv += dv) {
            plot(static_cast<int32_t>(x), static_cast<int32_t>(y), u >> 16, vv >> 16);
        }
    }
}

bool inside(const Frame& f, int64_t u, int64_t v) {
    return u >= 0 && v >= 0 && u < f.width && v < f.height;
}

// One pixel of the plain filler: a source without alpha is stored, a source with alpha is drawn
// with the keyed-copy rules for alpha sources.
void plainPixel(const Frame& src, int64_t u, int64_t v, Frame& dst, int32_t x, int32_t y) {
    if (!inside(src, u, v)) return;
    auto su = static_cast<int32_t>(u), sv = static_cast<int32_t>(v);
    if (src.bpp != 32 || dst.bpp != 32) {
        putPixel(dst, x, y, getColour(src, su, sv));
        return;
    }
    uint32_t p = row32(src, sv)[su];
    uint32_t* q = row32(dst, y) + x;
    if (!src.alphaValid) {
        *q = p;
        return;
    }
    uint32_t a = p >> 24;
    if (a == 0) return;
    if (&src == &dst) {
        *q = detail::blendPixelValue(*q, p);
    } else if (dst.alphaValid) {
        *q = detail::compositeOver(*q, p, a);
    } else if (a == 255) {
        *q = p | 0xFF000000u;
    } else {
        uint32_t out = 0xFF000000u;
        for (int ch = 0; ch < 3; ++ch) {
            auto dc = static_cast<int32_t>(channel(*q, ch));
            out |= static_cast<uint32_t>(dc +
                                         detail::fade(a, static_cast<int32_t>(channel(p, ch)) - dc))
                   << (8 * ch);
        }
        *q = out;
    }
}

}  // namespace

void fillTriangle(const Frame& src, const TexVertex (&v)[3], Frame& dst) {
    rasterise(v, dst.width, dst.height, [&](int32_t x, int32_t y, int64_t u, int64_t vv) {
        plainPixel(src, u, vv, dst, x, y);
    });
}

// Both frames 32-bit; other depths draw nothing. A source without alpha keeps the destination's
// alpha byte.
void fillTriangleAdditive(const Frame& src, const TexVertex (&v)[3], Frame& dst, int32_t opacity) {
    if (src.bpp != 32 || dst.bpp != 32) return;
    auto a = static_cast<uint32_t>(std::clamp(opacity, 0, 255));
    rasterise(v, dst.width, dst.height, [&](int32_t x, int32_t y, int64_t u, int64_t vv) {
        if (!inside(src, u, vv)) return;
        uint32_t p = row32(src, static_cast<int32_t>(vv))[u];
        uint32_t* q = row32(dst, y) + x;
        *q = detail::additive(*q, p, a, src.alphaValid != 0);
    });
}

void copytrans(const BlitContext& c, const Frame& src, const TexVertex (&v)[3], Frame& dst) {
    fillTriangle(src, v, dst);
    for (const TexVertex& p : v) {
        c.report(dst, static_cast<int64_t>(std::clamp(p.x, -3e9f, 3e9f)),
                 static_cast<int64_t>(std::clamp(p.y, -3e9f, 3e9f)));
    }
}

}  // namespace rs::graphics
