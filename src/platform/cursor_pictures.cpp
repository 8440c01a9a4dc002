#include "platform/cursor_pictures.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace rs::platform {

namespace {

struct Vec {
    double x, y;
};

// Signed distance from a point to a shape part: negative inside, positive outside.
using Part = std::function<double(Vec)>;

double length(double x, double y) { return std::sqrt(x * x + y * y); }

double segmentDistance(Vec p, Vec a, Vec b) {
    double dx = b.x - a.x, dy = b.y - a.y;
    double t = ((p.x - a.x) * dx + (p.y - a.y) * dy) / (dx * dx + dy * dy);
    t = std::clamp(t, 0.0, 1.0);
    return length(a.x + t * dx - p.x, a.y + t * dy - p.y);
}

// A stroke of radius r from a to b, with round ends.
Part capsule(Vec a, Vec b, double r) {
    return [=](Vec p) { return segmentDistance(p, a, b) - r; };
}

Part disc(Vec c, double r) {
    return [=](Vec p) { return length(p.x - c.x, p.y - c.y) - r; };
}

// A ring of middle radius r and half width w.
Part ring(Vec c, double r, double w) {
    return [=](Vec p) { return std::abs(length(p.x - c.x, p.y - c.y) - r) - w; };
}

Part polygon(std::vector<Vec> v) {
    return [v = std::move(v)](Vec p) {
        double d = 1e9;
        bool inside = false;
        for (size_t i = 0, j = v.size() - 1; i < v.size(); j = i++) {
            d = std::min(d, segmentDistance(p, v[j], v[i]));
            if ((v[i].y > p.y) != (v[j].y > p.y) &&
                p.x < (v[j].x - v[i].x) * (p.y - v[i].y) / (v[j].y - v[i].y) + v[i].x) {
                inside = !inside;
            }
        }
        return inside ? -d : d;
    };
}

struct Shape {
    const char* name;
    PixelPoint hotSpot;
    std::vector<Part> parts;
    // Parts drawn one over the other, each with its own outline (the fingers of a hand), rather
    // than as one outlined figure.
    bool layered = false;
};

// The broad arrow pointing left; the others are the same arrow turned.
std::vector<Vec> leftArrow() {
    return {{2.5, 16}, {14, 4.5}, {14, 11}, {29, 11}, {29, 21}, {14, 21}, {14, 27.5}};
}

std::vector<Vec> turned(std::vector<Vec> v, int quarterTurns) {
    for (Vec& p : v) {
        for (int i = 0; i < quarterTurns; ++i) p = {32 - p.y, p.x};  // clockwise about the centre
    }
    return v;
}

Shape shapeFor(int32_t shape) {
    switch (shape) {
        case 2:
            return {"hand",
                    {12, 2},
                    {polygon({{9.5, 16}, {27.1, 17}, {27, 22}, {24, 28}, {13, 28}, {9.5, 23}}),
                     capsule({9.8, 22}, {5.2, 17.5}, 2.3), capsule({25, 15}, {25, 19}, 2.1),
                     capsule({21, 13}, {21, 18}, 2.3), capsule({16.6, 12}, {16.6, 18}, 2.4),
                     capsule({12, 4.5}, {12, 19}, 2.6)},
                    true};
        case 3:
            return {"grab",
                    {17, 21},
                    {polygon({{9.5, 17}, {25.8, 18}, {26, 23}, {23, 29}, {13, 29}, {9.5, 24}}),
                     capsule({10.5, 23}, {5, 16}, 2.3), capsule({23.5, 19}, {25.5, 9}, 2.1),
                     capsule({19.6, 18}, {20.6, 5}, 2.3), capsule({15.5, 18}, {15.5, 4}, 2.4),
                     capsule({11.5, 19}, {10.5, 6}, 2.3)},
                    true};
        case 4:
            return {"crosshair",
                    {16, 16},
                    {capsule({16.5, 3}, {16.5, 12.5}, 0.9), capsule({16.5, 20.5}, {16.5, 30}, 0.9),
                     capsule({3, 16.5}, {12.5, 16.5}, 0.9), capsule({20.5, 16.5}, {30, 16.5}, 0.9),
                     disc({16.5, 16.5}, 1.2)}};
        case 5:
            return {"magnifier",
                    {13, 13},
                    {ring({13.5, 13.5}, 8.5, 1.5), capsule({20, 20}, {28, 28}, 2.4)}};
        case 6: return {"left", {1, 16}, {polygon(leftArrow())}};
        case 7: return {"right", {30, 16}, {polygon(turned(leftArrow(), 2))}};
        case 8: return {"up", {16, 1}, {polygon(turned(leftArrow(), 1))}};
        case 9: return {"down", {16, 30}, {polygon(turned(leftArrow(), 3))}};
        case 10:
            return {"text",
                    {16, 16},
                    {capsule({16.5, 5}, {16.5, 28}, 1.0), capsule({12.5, 4}, {20.5, 4}, 1.0),
                     capsule({12.5, 29}, {20.5, 29}, 1.0)}};
        case 11:
            return {"forbidden",
                    {16, 16},
                    {ring({16.5, 16.5}, 10.5, 2.0), capsule({9.3, 9.3}, {23.7, 23.7}, 2.0)}};
        case 12: {
            // The pen's axis runs from the nib up to the right.
            Vec tip{3, 29}, dir{0.7071, -0.7071}, n{0.7071, 0.7071};
            Vec cone{tip.x + 7 * dir.x, tip.y + 7 * dir.y};
            Vec end{tip.x + 31 * dir.x, tip.y + 31 * dir.y};
            double w = 3.6;
            return {"pen",
                    {3, 28},
                    {polygon({tip,
                              {cone.x + w * n.x, cone.y + w * n.y},
                              {end.x + w * n.x, end.y + w * n.y},
                              {end.x - w * n.x, end.y - w * n.y},
                              {cone.x - w * n.x, cone.y - w * n.y}})}};
        }
        case 13:
            return {"move",
                    {16, 16},
                    {capsule({16.5, 6}, {16.5, 27}, 1.6), capsule({6, 16.5}, {27, 16.5}, 1.6),
                     polygon({{16.5, 1.5}, {10.5, 8}, {22.5, 8}}),
                     polygon({{16.5, 31.5}, {10.5, 25}, {22.5, 25}}),
                     polygon({{1.5, 16.5}, {8, 10.5}, {8, 22.5}}),
                     polygon({{31.5, 16.5}, {25, 10.5}, {25, 22.5}})}};
        default: return {"", {0, 0}, {}};
    }
}

// The width of the black outline around the white shape, in pixels.
constexpr double kOutline = 1.3;

}  // namespace

CursorPicture cursorPicture(int32_t shape) {
    Shape s = shapeFor(shape);
    CursorPicture c;
    c.name = s.name;
    c.hotSpot = s.hotSpot;
    if (s.parts.empty()) return c;
    c.picture.width = kCursorSize;
    c.picture.height = kCursorSize;
    c.picture.pixels.assign(kCursorSize * kCursorSize, 0);
    // Four samples per pixel in each direction smooth the edges.
    constexpr int kSamples = 4;
    for (int32_t y = 0; y < kCursorSize; ++y) {
        for (int32_t x = 0; x < kCursorSize; ++x) {
            int fill = 0, outline = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    Vec p{x + (sx + 0.5) / kSamples, y + (sy + 0.5) / kSamples};
                    double d = 1e9;
                    if (s.layered) {
                        // The last part that reaches the sample, with its outline, decides.
                        for (const Part& part : s.parts) {
                            double pd = part(p);
                            if (pd <= kOutline) d = pd;
                        }
                    } else {
                        for (const Part& part : s.parts) d = std::min(d, part(p));
                    }
                    if (d <= 0) {
                        ++fill;
                    } else if (d <= kOutline) {
                        ++outline;
                    }
                }
            }
            int covered = fill + outline;
            if (covered == 0) continue;
            auto alpha = static_cast<uint32_t>(covered * 255 / (kSamples * kSamples));
            auto grey = static_cast<uint32_t>(fill * 255 / covered);
            c.picture.pixels[static_cast<size_t>(y) * kCursorSize + x] =
                alpha << 24 | grey << 16 | grey << 8 | grey;
        }
    }
    return c;
}

}  // namespace rs::platform
