// The load cache: script objects are opened again and again (every thread that runs a script),
// so the first 128 distinct names loaded through it stay in memory until exit and are shared.
// Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/resource.h"

namespace rs::data {

constexpr int32_t kLoadCacheSlots = 128;

// A loaded resource as its holder sees it: the cache's bytes (cached) or its own.
struct ResourceBuffer {
    const uint8_t* data = nullptr;
    int32_t size = 0;
    int32_t position = 0;  // read cursor
    bool cached = false;   // the bytes belong to the cache: never freed by the holder
    std::unique_ptr<uint8_t[]> owned;
};

class LoadCache {
  public:
    struct Slot {
        std::string name;
        int32_t size = 0;
        std::unique_ptr<uint8_t[]> data;
    };

    int32_t usedCount() const { return static_cast<int32_t>(slots_.size()); }
    const Slot& slot(int32_t i) const { return slots_[static_cast<size_t>(i)]; }

  private:
    friend bool OpenCachedResource(LoadCache&, const ResourceContext&, ResourceBuffer&,
                                   std::string_view);
    friend void FreeLoadCache(LoadCache&);
    std::vector<Slot> slots_;
};

// OpenCachedResource: releases what the buffer held, then points it at the cached copy of `name`
// (names compare exactly, byte for byte), loading it into a free slot on a miss; with every slot
// used, the resource is loaded into the buffer itself. True when the buffer holds more than 0
// bytes.
bool OpenCachedResource(LoadCache& cache, const ResourceContext& ctx, ResourceBuffer& buffer,
                        std::string_view name);

// ReleaseResourceBuffer: frees the bytes unless they are cached; the buffer becomes empty.
void ReleaseResourceBuffer(ResourceBuffer& buffer);

// FreeLoadCache: frees every slot (at shutdown, after the threads that share the bytes).
void FreeLoadCache(LoadCache& cache);

}  // namespace rs::data
