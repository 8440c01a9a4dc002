#include "display/texture_upload.h"

#include <algorithm>

#include "graphics/frame.h"

namespace rs::display {

namespace {

int32_t powerOfTwoAtLeast(int32_t n) {
    int32_t p = 1;
    while (p < n && p < (1 << 30)) p <<= 1;
    return p;
}

uint32_t texel(const graphics::Frame& f, int32_t x, int32_t y) {
    if (f.bpp == 8) {
        uint8_t index = f.row(y)[x];
        return static_cast<uint32_t>(index) << 24 | (f.palette[index] & 0x00FFFFFFu);
    }
    if (f.bpp != 32) return 0;
    uint32_t p = reinterpret_cast<const uint32_t*>(f.row(y))[x];
    if (f.alphaValid) return p;
    p |= 0xFF000000u;
    return p == 0xFF00FF00u ? 0 : p;
}

}  // namespace

platform::SizeInPixels textureSize(int32_t frameWidth, int32_t frameHeight,
                                   const platform::TextureLimits& limits) {
    int32_t w = std::max(frameWidth, 1);
    int32_t h = std::max(frameHeight, 1);
    if (limits.powerOfTwo) {
        w = powerOfTwoAtLeast(w);
        h = powerOfTwoAtLeast(h);
    }
    w = std::min(w, std::max(limits.maxWidth, 1));
    h = std::min(h, std::max(limits.maxHeight, 1));
    if (limits.squareOnly) w = h = std::min({std::max(w, h), limits.maxWidth, limits.maxHeight});
    return {std::max(w, 1), std::max(h, 1)};
}

platform::TextureImage textureImage(const graphics::Frame& f, platform::SizeInPixels size) {
    platform::TextureImage t;
    t.width = size.width;
    t.height = size.height;
    t.texels.assign(static_cast<size_t>(size.width) * static_cast<size_t>(size.height), 0);
    if (f.width <= 0 || f.height <= 0) return t;
    bool sampleX = size.width < f.width;
    bool sampleY = size.height < f.height;
    int32_t cols = sampleX ? size.width : f.width;
    int32_t rows = sampleY ? size.height : f.height;
    for (int32_t ty = 0; ty < rows; ++ty) {
        auto fy = sampleY ? static_cast<int32_t>(int64_t{ty} * f.height / size.height) : ty;
        uint32_t* out = t.texels.data() + static_cast<size_t>(ty) * static_cast<size_t>(size.width);
        for (int32_t tx = 0; tx < cols; ++tx) {
            auto fx = sampleX ? static_cast<int32_t>(int64_t{tx} * f.width / size.width) : tx;
            out[tx] = texel(f, fx, fy);
        }
    }
    return t;
}

}  // namespace rs::display
