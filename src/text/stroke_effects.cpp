#include "text/stroke_effects.h"

#include <algorithm>
#include <cmath>

#include "graphics/tables.h"

namespace rs::text {

namespace {

// Half-lengths of the weighted stroke test per direction, in units of r.
constexpr int32_t kStrokeWeights[32] = {1, 1, 2, 4, 8, 4, 2, 1, 1, 1, 2, 4, 8, 4, 2, 1,
                                        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

int32_t discHalfWidth(int32_t r, int32_t dy) {
    return static_cast<int32_t>(graphics::isqrt(static_cast<uint32_t>(r * r - dy * dy)));
}

}  // namespace

SubpixelGrid toSubpixels(const BlockGrid& grid) {
    SubpixelGrid sub;
    sub.width = grid.width * 8;
    sub.height = grid.height * 8;
    sub.cells.assign(static_cast<size_t>(sub.width) * static_cast<size_t>(sub.height), 0);
    for (int32_t y = 0; y < sub.height; ++y) {
        for (int32_t x = 0; x < sub.width; ++x) {
            sub.at(x, y) =
                static_cast<uint8_t>((grid.at(x >> 3, y >> 3) >> ((y & 7) * 8 + (x & 7))) & 1);
        }
    }
    return sub;
}

void fromSubpixels(const SubpixelGrid& sub, BlockGrid& grid) {
    std::fill(grid.blocks.begin(), grid.blocks.end(), 0);
    for (int32_t y = 0; y < sub.height; ++y) {
        for (int32_t x = 0; x < sub.width; ++x) {
            if (!sub.at(x, y)) continue;
            grid.blocks[static_cast<size_t>(y >> 3) * static_cast<size_t>(grid.width) +
                        static_cast<size_t>(x >> 3)] |= uint64_t{1} << ((y & 7) * 8 + (x & 7));
        }
    }
}

const std::array<std::array<int32_t, 2>, 32>& strokeDirections() {
    static const std::array<std::array<int32_t, 2>, 32> table = [] {
        std::array<std::array<int32_t, 2>, 32> t{};
        const double pi = 3.14159265358979323846;
        for (int d = 0; d < 32; ++d) {
            double angle = d * pi / 32;
            t[static_cast<size_t>(d)] = {static_cast<int32_t>(std::cos(angle) * 65536.0),
                                         static_cast<int32_t>(std::sin(angle) * 65536.0)};
        }
        return t;
    }();
    return table;
}

SubpixelGrid thicken(const SubpixelGrid& in, int32_t r) {
    SubpixelGrid out = in;
    r = std::min(r, kMaxDiscRadius);
    // Each offset ORs the whole grid, shifted, into the result.
    for (int32_t dy = -r; dy <= r; dy += 2) {
        int32_t w = discHalfWidth(r, dy);
        for (int32_t dx = -w; dx <= w; dx += 2) {
            int32_t y0 = std::max(0, -dy), y1 = std::min(in.height, in.height - dy);
            int32_t x0 = std::max(0, -dx), x1 = std::min(in.width, in.width - dx);
            for (int32_t y = y0; y < y1; ++y) {
                const uint8_t* src =
                    &in.cells[static_cast<size_t>(y) * static_cast<size_t>(in.width)];
                uint8_t* dst =
                    &out.cells[static_cast<size_t>(y + dy) * static_cast<size_t>(in.width)];
                for (int32_t x = x0; x < x1; ++x) dst[x + dx] |= src[x];
            }
        }
    }
    return out;
}

SubpixelGrid thin(const SubpixelGrid& in, int32_t r) {
    SubpixelGrid out = in;
    r = std::min(r, kMaxDiscRadius);
    for (int32_t y = 0; y < in.height; ++y) {
        for (int32_t x = 0; x < in.width; ++x) {
            if (!in.at(x, y)) continue;
            bool keep = true;
            for (int32_t dy = std::max(-r, -y); keep && dy <= r && y + dy < in.height; dy += 2) {
                int32_t w = discHalfWidth(r, dy);
                for (int32_t dx = std::max(-w, -x); dx <= w && x + dx < in.width; dx += 2) {
                    if (!in.at(x + dx, y + dy)) {
                        keep = false;
                        break;
                    }
                }
            }
            if (!keep) out.at(x, y) = 0;
        }
    }
    return out;
}

SubpixelGrid keepStrokes(const SubpixelGrid& in, int32_t r, bool weighted) {
    SubpixelGrid out = in;
    r = std::min(r, kMaxStrokeRadius);
    const auto& dirs = strokeDirections();
    for (int32_t y = 0; y < in.height; ++y) {
        for (int32_t x = 0; x < in.width; ++x) {
            if (!in.at(x, y)) continue;
            bool onStroke = false;
            for (int d = 0; d < 32 && !onStroke; ++d) {
                int32_t half = weighted ? kStrokeWeights[d] * r : r;
                if (weighted && kStrokeWeights[d] == 0) continue;
                int32_t c = dirs[static_cast<size_t>(d)][0], s = dirs[static_cast<size_t>(d)][1];
                bool all = true;
                for (int32_t t = -half; t <= half; t += 2) {
                    int32_t sx = x + c * t / 65536, sy = y + s * t / 65536;
                    if (in.inside(sx, sy) && !in.at(sx, sy)) {
                        all = false;
                        break;
                    }
                }
                onStroke = all;
            }
            if (!onStroke) out.at(x, y) = 0;
        }
    }
    return out;
}

void applyStrokeEffects(BlockGrid& grid, const int32_t* settings) {
    if (grid.width == 0 || grid.height == 0) return;
    if (settings[0] <= 0 && settings[1] <= 0 && settings[2] <= 0 && settings[3] <= 0) return;
    SubpixelGrid sub = toSubpixels(grid);
    if (settings[0] > 0) sub = thicken(sub, settings[0]);
    if (settings[1] > 0) sub = thin(sub, settings[1]);
    if (settings[2] > 0) sub = keepStrokes(sub, settings[2], false);
    if (settings[3] > 0) sub = keepStrokes(sub, settings[3], true);
    fromSubpixels(sub, grid);
}

}  // namespace rs::text
