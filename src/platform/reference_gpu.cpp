#include "platform/reference_gpu.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace rs::platform {

namespace {

struct Vertex {
    double x, y, u, v;
};

// A colour with channels 0..1: r, g, b, a.
struct Rgba {
    double c[4];
};

double channelOf(uint32_t p, int ch) {
    static constexpr int kShift[4] = {16, 8, 0, 24};
    return static_cast<double>((p >> kShift[ch]) & 0xFF) / 255.0;
}

// Bilinear sample at (u, v), texel centres at (i + 0.5) / size, clamped at the edges.
Rgba sample(const TextureImage& t, double u, double v) {
    if (!std::isfinite(u) || !std::isfinite(v)) u = v = 0;
    double s = u * t.width - 0.5;
    double r = v * t.height - 0.5;
    double fx = std::floor(s), fy = std::floor(r);
    double ax = s - fx, ay = r - fy;
    auto clampX = [&](double i) {
        return static_cast<size_t>(std::clamp(i, 0.0, static_cast<double>(t.width - 1)));
    };
    auto clampY = [&](double i) {
        return static_cast<size_t>(std::clamp(i, 0.0, static_cast<double>(t.height - 1)));
    };
    size_t x0 = clampX(fx), x1 = clampX(fx + 1), y0 = clampY(fy), y1 = clampY(fy + 1);
    auto w = static_cast<size_t>(t.width);
    uint32_t p00 = t.texels[y0 * w + x0], p10 = t.texels[y0 * w + x1];
    uint32_t p01 = t.texels[y1 * w + x0], p11 = t.texels[y1 * w + x1];
    Rgba out{};
    for (int ch = 0; ch < 4; ++ch) {
        double top = channelOf(p00, ch) * (1 - ax) + channelOf(p10, ch) * ax;
        double bottom = channelOf(p01, ch) * (1 - ax) + channelOf(p11, ch) * ax;
        out.c[ch] = top * (1 - ay) + bottom * ay;
    }
    return out;
}

uint32_t toByte(double v) {
    return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0));
}

// One pixel of the target under colour c (alpha already multiplied by the quad's alpha).
uint32_t blend(uint32_t target, const Rgba& c, QuadBlend mode) {
    double s = c.c[3];
    uint32_t out = 0xFF000000u;
    for (int ch = 0; ch < 3; ++ch) {
        double t = channelOf(target, ch);
        double src = c.c[ch];
        double r = t;
        switch (mode) {
            case QuadBlend::Alpha: r = src * s + t * (1 - s); break;
            case QuadBlend::Additive: r = t + src * s; break;
            case QuadBlend::HardLight: {
                // Each pass is stored in the 8-bit target before the next reads it.
                double first = static_cast<double>(toByte(src * (1 - t))) / 255.0;
                r = src * first + first * (1 - s);
                break;
            }
        }
        out |= toByte(r) << (ch == 0 ? 16 : ch == 1 ? 8 : 0);
    }
    return out;
}

// Twice the signed area of (a, b, p): positive when p lies on the inner side of the edge a-b of a
// triangle of positive orientation.
double edge(const Vertex& a, const Vertex& b, double px, double py) {
    return (b.x - a.x) * (py - a.y) - (b.y - a.y) * (px - a.x);
}

// A sample exactly on an edge belongs to the triangle when the edge is a left edge (the inside
// lies to its right) or a top edge (horizontal, the inside below it).
bool ownsEdge(const Vertex& a, const Vertex& b) {
    double dy = b.y - a.y;
    return dy < 0 || (dy == 0 && b.x - a.x > 0);
}

bool covers(double w, bool owned) { return w > 0 || (w == 0 && owned); }

template <class Shade>
void fillTriangle(Vertex a, Vertex b, Vertex c, int32_t width, int32_t height, Shade shade) {
    double area = edge(a, b, c.x, c.y);
    if (area == 0 || !std::isfinite(area)) return;
    if (area < 0) {
        std::swap(b, c);
        area = -area;
    }
    auto lo = [](double v, int32_t limit) {
        return static_cast<int32_t>(
            std::clamp(std::floor(v - 0.5), 0.0, static_cast<double>(limit)));
    };
    auto hi = [](double v, int32_t limit) {
        return static_cast<int32_t>(
            std::clamp(std::ceil(v - 0.5), -1.0, static_cast<double>(limit - 1)));
    };
    int32_t x0 = lo(std::min({a.x, b.x, c.x}), width), x1 = hi(std::max({a.x, b.x, c.x}), width);
    int32_t y0 = lo(std::min({a.y, b.y, c.y}), height);
    int32_t y1 = hi(std::max({a.y, b.y, c.y}), height);
    bool ownA = ownsEdge(b, c), ownB = ownsEdge(c, a), ownC = ownsEdge(a, b);
    for (int32_t y = y0; y <= y1; ++y) {
        double py = y + 0.5;
        for (int32_t x = x0; x <= x1; ++x) {
            double px = x + 0.5;
            double wa = edge(b, c, px, py), wb = edge(c, a, px, py), wc = edge(a, b, px, py);
            if (!covers(wa, ownA) || !covers(wb, ownB) || !covers(wc, ownC)) continue;
            double la = wa / area, lb = wb / area, lc = wc / area;
            shade(x, y, la * a.u + lb * b.u + lc * c.u, la * a.v + lb * b.v + lc * c.v);
        }
    }
}

}  // namespace

void ReferenceGpu::resize(int32_t width, int32_t height) { target_ = blackPicture(width, height); }

const TextureImage* ReferenceGpu::texture(uint32_t id) const {
    auto it = textures_.find(id);
    return it == textures_.end() ? nullptr : &it->second;
}

void ReferenceGpu::draw(DrawList&& list) {
    for (uint32_t id : list.released) textures_.erase(id);
    for (TextureUpload& u : list.uploads) textures_[u.id] = std::move(u.image);
    if (!list.present) return;
    resize(list.width, list.height);
    for (const Quad& q : list.quads) drawQuad(q);
}

void ReferenceGpu::drawQuad(const Quad& q) {
    const TextureImage* t = texture(q.texture);
    if (!t || t->width <= 0 || t->height <= 0) return;
    auto vertex = [&](int i) {
        const QuadVertex& c = q.corners[static_cast<size_t>(i)];
        return Vertex{c.x, c.y, c.u, c.v};
    };
    double alpha = q.alpha / 255.0;
    auto shade = [&](int32_t x, int32_t y, double u, double v) {
        Rgba c = sample(*t, u, v);
        c.c[3] *= alpha;
        uint32_t& p = target_.pixels[static_cast<size_t>(y) * static_cast<size_t>(target_.width) +
                                     static_cast<size_t>(x)];
        p = blend(p, c, q.blend);
    };
    fillTriangle(vertex(0), vertex(1), vertex(2), target_.width, target_.height, shade);
    fillTriangle(vertex(1), vertex(3), vertex(2), target_.width, target_.height, shade);
}

}  // namespace rs::platform
