// Processor detection and change reports of the blits.
#include <unistd.h>

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

size_t lastLevelCacheBytes() {
    static const size_t bytes = [] {
        long size = 0;
#if defined(_SC_LEVEL3_CACHE_SIZE)
        size = sysconf(_SC_LEVEL3_CACHE_SIZE);
        if (size <= 0) size = sysconf(_SC_LEVEL2_CACHE_SIZE);
#endif
        return size > 0 ? static_cast<size_t>(size) : size_t{0};
    }();
    return bytes;
}

size_t streamingCopyBytes(size_t cacheBytes) {
    // A processor that does not report its cache is taken to have 8 MiB.
    constexpr size_t kAssumedCache = size_t{8} << 20;
    return (cacheBytes != 0 ? cacheBytes : kAssumedCache) / 4;
}

void TableChangeSink::changed(Frame& frame, int32_t x, int32_t y) {
    frameChanged(table_, frame, x, y);
}

void BlitContext::report(Frame& f, int64_t x, int64_t y) const {
    if (changes) changes->changed(f, detail::clampToInt(x), detail::clampToInt(y));
}

}  // namespace rs::graphics
