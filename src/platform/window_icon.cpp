#include "platform/window_icon.h"

#include <algorithm>
#include <cmath>

namespace rs::platform {

namespace {

constexpr int32_t kSize = 48;
constexpr double kPi = 3.14159265358979323846;

struct Segment {
    double x0, y0, x1, y1;
};

double distanceToSegment(double px, double py, const Segment& s) {
    double dx = s.x1 - s.x0, dy = s.y1 - s.y0;
    double t = ((px - s.x0) * dx + (py - s.y0) * dy) / (dx * dx + dy * dy);
    t = std::clamp(t, 0.0, 1.0);
    double ex = s.x0 + t * dx - px, ey = s.y0 + t * dy - py;
    return std::sqrt(ex * ex + ey * ey);
}

// The snowflake: six arms, each with two pairs of side branches.
std::vector<Segment> snowflake(double c, double radius) {
    std::vector<Segment> out;
    for (int arm = 0; arm < 6; ++arm) {
        double a = arm * kPi / 3 - kPi / 2;
        double ux = std::cos(a), uy = std::sin(a);
        out.push_back({c, c, c + ux * radius, c + uy * radius});
        for (double along : {0.45, 0.7}) {
            double bx = c + ux * radius * along, by = c + uy * radius * along;
            double len = radius * (along < 0.5 ? 0.32 : 0.22);
            for (double side : {-1.0, 1.0}) {
                double b = a + side * kPi / 4;
                out.push_back({bx, by, bx + std::cos(b) * len, by + std::sin(b) * len});
            }
        }
    }
    return out;
}

uint32_t mix(uint32_t under, uint32_t over, double coverage) {
    auto channel = [&](int shift) {
        double u = (under >> shift) & 0xFF, o = (over >> shift) & 0xFF;
        return static_cast<uint32_t>(std::lround(u + (o - u) * coverage)) << shift;
    };
    return channel(24) | channel(16) | channel(8) | channel(0);
}

}  // namespace

Picture windowIconPicture(WindowIcon icon) {
    bool paused = icon == WindowIcon::Paused;
    uint32_t tile = paused ? 0xFF3A3A40u : 0xFF1C2A54u;
    uint32_t flake = paused ? 0xFF9A9AA0u : 0xFFEAF2FFu;
    Picture p;
    p.width = kSize;
    p.height = kSize;
    p.pixels.assign(kSize * kSize, 0);
    double c = (kSize - 1) / 2.0;
    std::vector<Segment> arms = snowflake(c, kSize * 0.40);
    // Four samples per pixel in each direction smooth the edges.
    constexpr int kSamples = 4;
    for (int32_t y = 0; y < kSize; ++y) {
        for (int32_t x = 0; x < kSize; ++x) {
            double tileCover = 0, flakeCover = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    double px = x + (sx + 0.5) / kSamples, py = y + (sy + 0.5) / kSamples;
                    // A tile with rounded corners of radius 8.
                    double qx = std::max(std::abs(px - kSize / 2.0) - (kSize / 2.0 - 9), 0.0);
                    double qy = std::max(std::abs(py - kSize / 2.0) - (kSize / 2.0 - 9), 0.0);
                    if (std::sqrt(qx * qx + qy * qy) > 8) continue;
                    tileCover += 1;
                    double d = 1e9;
                    for (const Segment& s : arms) d = std::min(d, distanceToSegment(px, py, s));
                    if (d < 1.6) flakeCover += 1;
                }
            }
            constexpr double kAll = kSamples * kSamples;
            uint32_t colour = mix(tile, flake, tileCover > 0 ? flakeCover / tileCover : 0);
            uint32_t alpha = static_cast<uint32_t>(std::lround(255 * tileCover / kAll));
            p.pixels[static_cast<size_t>(y * kSize + x)] = (colour & 0x00FFFFFFu) | alpha << 24;
        }
    }
    return p;
}

}  // namespace rs::platform
