#include "graphics/tables.h"

#include "builtins/random.h"

#include <cmath>
#include <utility>

namespace rs::graphics {

const std::array<uint8_t, 1024>& sqrtTable() {
    static const std::array<uint8_t, 1024> table = [] {
        std::array<uint8_t, 1024> t{};
        for (uint32_t i = 0; i < 1024; ++i) {
            auto r = static_cast<uint32_t>(std::sqrt(64.0 * i));
            while (r * r > 64 * i) --r;
            while ((r + 1) * (r + 1) <= 64 * i) ++r;
            t[i] = static_cast<uint8_t>(r);
        }
        return t;
    }();
    return table;
}

const std::array<uint32_t, 256>& shuffleTable() {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) t[i] = i;
        // The start-up draws of the engine's generator.
        uint32_t state = builtins::kStartupRandomSeed;
        for (uint32_t i = 0; i < 256; ++i) {
            auto j = static_cast<uint32_t>(builtins::nextRandom(state)) & 0xFF;
            std::swap(t[i], t[j]);
        }
        return t;
    }();
    return table;
}

}  // namespace rs::graphics
