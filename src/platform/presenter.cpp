#include "platform/presenter.h"

#include <algorithm>
#include <cstring>

namespace rs::platform {

Picture blackPicture(int32_t width, int32_t height) {
    Picture p;
    p.width = std::max(width, 0);
    p.height = std::max(height, 0);
    p.pixels.assign(static_cast<size_t>(p.width) * static_cast<size_t>(p.height), 0xFF000000u);
    return p;
}

ScreenRect copyScreenRect(Picture& picture, const ScreenPixels& screen, const ScreenRect& rect) {
    ScreenRect r;
    r.left = std::max(rect.left, 0);
    r.top = std::max(rect.top, 0);
    r.right = std::min({rect.right, screen.width - 1, picture.width - 1});
    r.bottom = std::min({rect.bottom, screen.height - 1, picture.height - 1});
    if (!screen.pixels || r.left > r.right || r.top > r.bottom) return ScreenRect{};
    size_t rowBytes = static_cast<size_t>(screen.width) * 4;
    for (int32_t y = r.top; y <= r.bottom; ++y) {
        const uint8_t* row = screen.pixels + static_cast<size_t>(screen.height - 1 - y) * rowBytes;
        uint32_t* out =
            picture.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(picture.width);
        for (int32_t x = r.left; x <= r.right; ++x) {
            uint32_t p;
            std::memcpy(&p, row + static_cast<size_t>(x) * 4, 4);
            out[x] = p | 0xFF000000u;
        }
    }
    return r;
}

ScreenRect copyPicture(Picture& picture, const Picture& part, int32_t x, int32_t y) {
    ScreenRect r;
    r.left = std::max(x, 0);
    r.top = std::max(y, 0);
    r.right = static_cast<int32_t>(std::min<int64_t>(int64_t{x} + part.width, picture.width) - 1);
    r.bottom =
        static_cast<int32_t>(std::min<int64_t>(int64_t{y} + part.height, picture.height) - 1);
    if (r.left > r.right || r.top > r.bottom) return ScreenRect{};
    for (int32_t row = r.top; row <= r.bottom; ++row) {
        const uint32_t* from = part.pixels.data() +
                               static_cast<size_t>(row - y) * static_cast<size_t>(part.width) +
                               static_cast<size_t>(r.left - x);
        uint32_t* to = picture.pixels.data() +
                       static_cast<size_t>(row) * static_cast<size_t>(picture.width) +
                       static_cast<size_t>(r.left);
        for (int32_t i = 0; i <= r.right - r.left; ++i) to[i] = from[i] | 0xFF000000u;
    }
    return r;
}

}  // namespace rs::platform
