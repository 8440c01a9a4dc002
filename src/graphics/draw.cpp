#include "graphics/draw.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "graphics/frame.h"

namespace rs::graphics {

namespace {

// One axis of a line: the coordinate of point i.
struct Axis {
    int64_t start;
    int64_t delta;
    int64_t n;
    // Wide arithmetic: i * delta needs up to 64 bits plus a sign.
    int64_t at(int64_t i) const {
        __int128 num = static_cast<__int128>(n / 2) + static_cast<__int128>(i) * delta;
        return start + static_cast<int64_t>(num / n);
    }
};

// The smallest i in [0, n] for which `pred` holds, where pred is false up to some i and true
// from there on; n + 1 when it never holds.
template <typename Pred>
int64_t firstTrue(int64_t n, Pred pred) {
    int64_t lo = 0;
    int64_t hi = n + 1;
    while (lo < hi) {
        int64_t mid = lo + (hi - lo) / 2;
        if (pred(mid)) {
            hi = mid;
        } else {
            lo = mid + 1;
        }
    }
    return lo;
}

// The points whose coordinate on this axis lies in 0..size-1: [first, last] (empty when
// first > last). The coordinate is monotone in i, so both ends are found by bisection.
std::pair<int64_t, int64_t> visibleRange(const Axis& a, int64_t size) {
    if (a.delta >= 0) {
        int64_t first = firstTrue(a.n, [&](int64_t i) { return a.at(i) >= 0; });
        int64_t last = firstTrue(a.n, [&](int64_t i) { return a.at(i) > size - 1; }) - 1;
        return {first, last};
    }
    int64_t first = firstTrue(a.n, [&](int64_t i) { return a.at(i) <= size - 1; });
    int64_t last = firstTrue(a.n, [&](int64_t i) { return a.at(i) < 0; }) - 1;
    return {first, last};
}

uint32_t load32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

void store32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }

}  // namespace

std::optional<ClippedRect> clipRect(const Frame& f, int32_t x, int32_t y, int32_t w, int32_t h) {
    int64_t cx = x, cy = y, cw = w, ch = h;
    if (cx < 0) {
        cw += cx;
        cx = 0;
    }
    if (cy < 0) {
        ch += cy;
        cy = 0;
    }
    cw = std::min<int64_t>(cw, f.width - cx);
    ch = std::min<int64_t>(ch, f.height - cy);
    if (cw <= 0 || ch <= 0) return std::nullopt;
    return ClippedRect{static_cast<int32_t>(cx), static_cast<int32_t>(cy), static_cast<int32_t>(cw),
                       static_cast<int32_t>(ch)};
}

int32_t pointValue(const Frame& f, int32_t x, int32_t y) {
    const uint8_t* p = pixelAddress(f, x, y);
    if (!p) return -1;
    if (f.bpp == 32) return static_cast<int32_t>(load32(p));
    if (f.bpp == 8) return *p;
    return -1;
}

void drawLine(Frame& f, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
    int64_t dx = int64_t{x2} - x1;
    int64_t dy = int64_t{y2} - y1;
    if (dx == 0 && dy == 0) {
        blendPixel(f, x1, y1, colour);
        return;
    }
    int64_t n = std::max(dx < 0 ? -dx : dx, dy < 0 ? -dy : dy);
    Axis ax{x1, dx, n};
    Axis ay{y1, dy, n};
    auto [firstX, lastX] = visibleRange(ax, f.width);
    auto [firstY, lastY] = visibleRange(ay, f.height);
    int64_t first = std::max(firstX, firstY);
    int64_t last = std::min(lastX, lastY);
    for (int64_t i = first; i <= last; ++i) {
        blendPixel(f, static_cast<int32_t>(ax.at(i)), static_cast<int32_t>(ay.at(i)), colour);
    }
}

std::optional<ClippedRect> fillRect(Frame& f, int32_t x, int32_t y, int32_t w, int32_t h,
                                    uint32_t colour) {
    std::optional<ClippedRect> r = clipRect(f, x, y, w, h);
    if (!r) return r;
    if (f.bpp == 32) {
        std::vector<uint32_t> line(static_cast<size_t>(r->w), colour);
        for (int32_t j = 0; j < r->h; ++j) {
            std::memcpy(f.row(r->y + j) + static_cast<ptrdiff_t>(r->x) * 4, line.data(),
                        line.size() * 4);
        }
    } else if (f.bpp == 8) {
        for (int32_t j = 0; j < r->h; ++j)
            std::memset(f.row(r->y + j) + r->x, static_cast<uint8_t>(colour),
                        static_cast<size_t>(r->w));
    }
    return r;
}

std::optional<ClippedRect> fillRectAlpha(Frame& f, int32_t x, int32_t y, int32_t w, int32_t h,
                                         uint32_t colour) {
    const uint32_t a = colour >> 24;
    if (a == 0) return fillRect(f, x, y, w, h, colour & 0x00FFFFFFu);
    std::optional<ClippedRect> r = clipRect(f, x, y, w, h);
    if (!r) return r;
    if (f.bpp == 8) {
        // blendPixel stores the low byte into 8-bit frames.
        for (int32_t j = 0; j < r->h; ++j)
            std::memset(f.row(r->y + j) + r->x, static_cast<uint8_t>(colour),
                        static_cast<size_t>(r->w));
        return r;
    }
    if (f.bpp != 32) return r;
    const uint32_t s[3] = {colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF};  // B, G, R
    if (f.alphaValid) {
        for (int32_t j = 0; j < r->h; ++j) {
            uint8_t* p = f.row(r->y + j) + static_cast<ptrdiff_t>(r->x) * 4;
            for (int32_t i = 0; i < r->w; ++i, p += 4) {
                uint32_t da = p[3];
                int64_t d = int64_t{255 - a} * da + int64_t{255} * a;
                if (d <= 0) continue;
                for (int c = 0; c < 3; ++c) {
                    p[c] = static_cast<uint8_t>(
                        (int64_t{p[c]} * (255 - a) * da + int64_t{s[c]} * 255 * a) / d);
                }
                p[3] = static_cast<uint8_t>(d / 255);
            }
        }
        return r;
    }
    // Without valid alpha: one table per channel, filled once for this colour.
    uint32_t table[3][256];
    for (int c = 0; c < 3; ++c) {
        for (uint32_t d = 0; d < 256; ++d)
            table[c][d] = ((s[c] * a + d * (256 - a)) / 256) << (8 * c);
    }
    for (int32_t j = 0; j < r->h; ++j) {
        uint8_t* p = f.row(r->y + j) + static_cast<ptrdiff_t>(r->x) * 4;
        for (int32_t i = 0; i < r->w; ++i, p += 4)
            store32(p, table[0][p[0]] | table[1][p[1]] | table[2][p[2]]);
    }
    return r;
}

}  // namespace rs::graphics
