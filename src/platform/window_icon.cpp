#include "platform/window_icon.h"

#include <algorithm>
#include <cmath>

#include "platform/snowflake.h"

namespace rs::platform {

namespace {

constexpr int32_t kSize = 48;
constexpr double kPi = 3.14159265358979323846;

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
    std::vector<Segment> arms = snowflake(c, c, kSize * 0.40, -kPi / 2);
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
                    if (distanceBelow(px, py, arms, 1.6) < 1.6) flakeCover += 1;
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
