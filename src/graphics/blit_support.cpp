// Processor detection and change reports of the blits.
#include "graphics/blit.h"
#include "graphics/blit_clip.h"
#include "graphics/frame.h"

namespace rs::graphics {

SimdLevel detectSimd() {
#if defined(__x86_64__) || defined(__i386__)
    static const SimdLevel level = [] {
        __builtin_cpu_init();
        if (__builtin_cpu_supports("avx2")) return SimdLevel::Avx2;
        if (__builtin_cpu_supports("sse2")) return SimdLevel::Sse2;
        return SimdLevel::None;
    }();
    return level;
#else
    return SimdLevel::None;
#endif
}

void TableChangeSink::changed(Frame& frame, int32_t x, int32_t y) {
    frameChanged(table_, frame, x, y);
}

void BlitContext::report(Frame& f, int64_t x, int64_t y) const {
    if (changes) changes->changed(f, detail::clampToInt(x), detail::clampToInt(y));
}

}  // namespace rs::graphics
