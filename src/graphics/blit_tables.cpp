#include "graphics/blit_tables.h"

#include <array>
#include <memory>

namespace rs::graphics::detail {

const int32_t* fadeTable() {
    static const std::unique_ptr<int32_t[]> table = [] {
        auto t = std::make_unique<int32_t[]>(256 * 512);
        for (int32_t a = 0; a < 256; ++a) {
            for (int32_t k = 0; k < 512; ++k)
                t[static_cast<size_t>(a * 512 + k)] = ((k - 256) * a) / 255;
        }
        return t;
    }();
    return table.get();
}

const uint32_t* blendFractionTable() {
    static const std::unique_ptr<uint32_t[]> table = [] {
        auto t = std::make_unique<uint32_t[]>(256 * 256);
        for (uint64_t a = 0; a < 256; ++a) {
            for (uint64_t da = 0; da < 256; ++da) {
                uint64_t ws = 255 * a;
                uint64_t total = (255 - a) * da + ws;
                t[a << 8 | da] = total == 0 ? 0 : static_cast<uint32_t>((ws << 24) / total);
            }
        }
        return t;
    }();
    return table.get();
}

const uint32_t* reciprocalTable() {
    static const std::array<uint32_t, 257> table = [] {
        std::array<uint32_t, 257> t{};
        t[0] = 65536;
        for (uint32_t d = 1; d <= 256; ++d) t[d] = 65536 / d;
        return t;
    }();
    return table.data();
}

}  // namespace rs::graphics::detail
