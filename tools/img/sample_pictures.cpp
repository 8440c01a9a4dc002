#include "img/sample_pictures.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace rs::tools {

namespace {

// A small deterministic generator (the pictures must not depend on the C library).
struct Random {
    uint32_t state;
    uint32_t next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    double unit() { return (next() >> 8) / 16777216.0; }
    double range(double lo, double hi) { return lo + (hi - lo) * unit(); }
};

uint32_t pack(double r, double g, double b, double a = 255.0) {
    auto c = [](double v) { return static_cast<uint32_t>(std::clamp(std::lround(v), 0L, 255L)); };
    return (c(a) << 24) | (c(r) << 16) | (c(g) << 8) | c(b);
}

struct Shape {
    bool ellipse;
    double cx, cy, rx, ry;
    double r, g, b;
    double shade;  // brightness change across the shape
};

}  // namespace

graphics::Image samplePhoto(int32_t width, int32_t height, uint32_t seed) {
    Random rnd{seed * 2654435761u + 1};
    std::vector<Shape> shapes;
    for (int i = 0; i < 14; ++i) {
        Shape s;
        s.ellipse = rnd.unit() < 0.5;
        s.cx = rnd.range(0, width);
        s.cy = rnd.range(0, height);
        s.rx = rnd.range(width * 0.04, width * 0.22);
        s.ry = rnd.range(height * 0.04, height * 0.22);
        s.r = rnd.range(20, 235);
        s.g = rnd.range(20, 235);
        s.b = rnd.range(20, 235);
        s.shade = rnd.range(-60, 60);
        shapes.push_back(s);
    }
    const double phase = rnd.range(0, 6.28);
    graphics::Image img;
    img.width = width;
    img.height = height;
    img.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int32_t y = 0; y < height; ++y) {
        double fy = static_cast<double>(y) / std::max(height, 1);
        for (int32_t x = 0; x < width; ++x) {
            double fx = static_cast<double>(x) / std::max(width, 1);
            // Lighting: a sky-like gradient with slow waves.
            double r = 70 + 110 * fy + 25 * std::sin(6.28 * (fx * 1.3) + phase);
            double g = 100 + 70 * fy + 20 * std::cos(6.28 * (fx * 0.7 + fy * 0.9));
            double b = 190 - 90 * fy + 15 * std::sin(6.28 * (fx + fy) * 1.1);
            for (const Shape& s : shapes) {
                double dx = (x - s.cx) / s.rx;
                double dy = (y - s.cy) / s.ry;
                bool inside = s.ellipse ? dx * dx + dy * dy <= 1.0
                                        : std::fabs(dx) <= 1.0 && std::fabs(dy) <= 1.0;
                if (!inside) continue;
                double light = s.shade * (dx * 0.6 + dy * 0.4);
                r = s.r + light;
                g = s.g + light;
                b = s.b + light;
            }
            // Texture and noise.
            double texture = 6 * std::sin(x * 0.9 + std::sin(y * 0.31) * 3) * std::cos(y * 0.77);
            double n1 = rnd.range(-2.5, 2.5) + rnd.range(-2.5, 2.5);
            double n2 = rnd.range(-2.5, 2.5) + rnd.range(-2.5, 2.5);
            double n3 = rnd.range(-2.5, 2.5) + rnd.range(-2.5, 2.5);
            img.pixels[static_cast<size_t>(y) * static_cast<size_t>(width) +
                       static_cast<size_t>(x)] =
                pack(r + texture + n1, g + texture + n2, b + texture + n3);
        }
    }
    return img;
}

graphics::Image sampleArtwork(int32_t width, int32_t height, uint32_t seed) {
    Random rnd{seed * 2246822519u + 7};
    graphics::Image img;
    img.width = width;
    img.height = height;
    img.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0x00000000u);
    const double cx = width / 2.0, cy = height / 2.0;
    const double rx = width * 0.42, ry = height * 0.45;
    const double bands = rnd.range(3, 7);
    const double pr = rnd.range(60, 220), pg = rnd.range(60, 220), pb = rnd.range(60, 220);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            double dx = (x - cx) / rx, dy = (y - cy) / ry;
            double d = std::sqrt(dx * dx + dy * dy);
            uint32_t& p = img.pixels[static_cast<size_t>(y) * static_cast<size_t>(width) +
                                     static_cast<size_t>(x)];
            if (d > 1.0) continue;  // transparent surround
            // Cel shading: flat bands, a straight gradient inside each, an outline near the edge.
            double band = std::floor((dx + dy + 2) * bands) / bands;
            double r = pr * (0.6 + 0.4 * band) + 10 * dy;
            double g = pg * (0.6 + 0.4 * band) + 10 * dy;
            double b = pb * (0.6 + 0.4 * band) + 10 * dy;
            double alpha = d > 0.97 ? 255.0 * (1.0 - d) / 0.03 : 255.0;
            if (d > 0.93) r = g = b = 30;
            p = pack(r, g, b, alpha);
        }
    }
    return img;
}

}  // namespace rs::tools
