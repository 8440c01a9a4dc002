#include "support/picture_compare.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace rs::test {

namespace {

int32_t channel(uint32_t p, int ch) { return static_cast<int32_t>((p >> (8 * ch)) & 0xFF); }

template <class ChannelDifference>
PictureDifference compare(const graphics::Image& a, const graphics::Image& b,
                          ChannelDifference diff) {
    PictureDifference d;
    if (a.width != b.width || a.height != b.height) {
        d.maxChannel = 255;
        d.meanChannel = 255;
        d.pixels = -1;
        return d;
    }
    int64_t sum = 0;
    for (int32_t y = 0; y < a.height; ++y) {
        for (int32_t x = 0; x < a.width; ++x) {
            int32_t worst = 0;
            for (int ch = 0; ch < 3; ++ch) {
                int32_t v = diff(x, y, ch);
                sum += v;
                worst = std::max(worst, v);
            }
            d.maxChannel = std::max(d.maxChannel, worst);
            d.pixels += worst > 0;
        }
    }
    int64_t n = int64_t{a.width} * a.height * 3;
    d.meanChannel = n > 0 ? static_cast<double>(sum) / static_cast<double>(n) : 0;
    return d;
}

}  // namespace

PictureDifference pictureDifference(const graphics::Image& a, const graphics::Image& b) {
    return compare(a, b, [&](int32_t x, int32_t y, int ch) {
        return std::abs(channel(a.at(x, y), ch) - channel(b.at(x, y), ch));
    });
}

PictureDifference neighbourhoodDifference(const graphics::Image& a, const graphics::Image& b) {
    return compare(a, b, [&](int32_t x, int32_t y, int ch) {
        int32_t lo = 255, hi = 0;
        for (int32_t j = std::max(y - 1, 0); j <= std::min(y + 1, b.height - 1); ++j) {
            for (int32_t i = std::max(x - 1, 0); i <= std::min(x + 1, b.width - 1); ++i) {
                lo = std::min(lo, channel(b.at(i, j), ch));
                hi = std::max(hi, channel(b.at(i, j), ch));
            }
        }
        int32_t v = channel(a.at(x, y), ch);
        return v < lo ? lo - v : v > hi ? v - hi : 0;
    });
}

std::string describe(const PictureDifference& d) {
    char buf[128];
    std::snprintf(buf, sizeof buf, "max %d, mean %.3f, %lld pixels differ", d.maxChannel,
                  d.meanChannel, static_cast<long long>(d.pixels));
    return buf;
}

graphics::Image imageOf(const platform::Picture& p) {
    graphics::Image image;
    image.width = p.width;
    image.height = p.height;
    image.pixels = p.pixels;
    return image;
}

}  // namespace rs::test
