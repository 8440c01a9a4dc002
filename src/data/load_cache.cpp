#include "data/load_cache.h"

#include "data/archive_format.h"

namespace rs::data {

void ReleaseResourceBuffer(ResourceBuffer& buffer) {
    buffer.owned.reset();
    buffer.data = nullptr;
    buffer.size = 0;
    buffer.position = 0;
    buffer.cached = false;
}

bool OpenCachedResource(LoadCache& cache, const ResourceContext& ctx, ResourceBuffer& buffer,
                        std::string_view name) {
    ReleaseResourceBuffer(buffer);
    for (const LoadCache::Slot& s : cache.slots_) {
        if (s.name == name) {
            buffer.data = s.data.get();
            buffer.size = s.size;
            buffer.cached = true;
            return true;
        }
    }
    std::unique_ptr<uint8_t[]> bytes;
    int32_t size = LoadResource(ctx, name, bytes);
    if (size <= 0) return false;
    if (cache.usedCount() < kLoadCacheSlots && name.size() <= kMaxResourceName) {
        LoadCache::Slot& s = cache.slots_.emplace_back();
        s.name = std::string(name);
        s.size = size;
        s.data = std::move(bytes);
        buffer.data = s.data.get();
        buffer.size = size;
        buffer.cached = true;
        return true;
    }
    buffer.owned = std::move(bytes);
    buffer.data = buffer.owned.get();
    buffer.size = size;
    return true;
}

void FreeLoadCache(LoadCache& cache) { cache.slots_.clear(); }

}  // namespace rs::data
