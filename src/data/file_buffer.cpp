#include "data/file_buffer.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace rs::data {

namespace {

constexpr int64_t kGrowthStep = 4096;

}  // namespace

void clearBuffer(FileBuffer& b) {
    b.data.reset();
    b.capacity = 0;
    b.size = 0;
    b.position = 0;
}

void freeBufferData(FileBuffer& b) { b.data.reset(); }

bool resizeBuffer(FileBuffer& b, int32_t newSize) {
    if (newSize <= 0) {
        b.data.reset();
        b.capacity = 0;
        b.size = 0;
        return true;
    }
    if (!b.data || b.capacity <= 0) {
        std::unique_ptr<uint8_t[]> fresh(new (std::nothrow)
                                             uint8_t[static_cast<size_t>(newSize)]());
        if (!fresh) return false;
        b.data = std::move(fresh);
        b.capacity = newSize;
        b.size = newSize;
        return true;
    }
    int64_t rounded = (int64_t{newSize} + kGrowthStep - 1) / kGrowthStep * kGrowthStep;
    // The last step below 2 GiB: a capacity must stay a 32-bit count.
    if (rounded > INT32_MAX) rounded = INT32_MAX;
    auto capacity = static_cast<int32_t>(rounded);
    if (capacity != b.capacity) {
        std::unique_ptr<uint8_t[]> fresh(new (std::nothrow)
                                             uint8_t[static_cast<size_t>(capacity)]());
        if (!fresh) return false;
        int32_t keep = std::min({b.size, b.capacity, capacity});
        if (keep > 0) std::memcpy(fresh.get(), b.data.get(), static_cast<size_t>(keep));
        b.data = std::move(fresh);
        b.capacity = capacity;
    } else if (newSize > b.size && b.size >= 0) {
        // Bytes that were in use before a shrink read as zero when the buffer grows again.
        std::memset(b.data.get() + b.size, 0, static_cast<size_t>(newSize - b.size));
    }
    b.size = newSize;
    return true;
}

bool writeAtPosition(FileBuffer& b, std::span<const uint8_t> bytes) {
    if (bytes.empty()) return true;
    if (b.position < 0) return false;
    int64_t end = int64_t{b.position} + static_cast<int64_t>(bytes.size());
    if (end > INT32_MAX) return false;
    if (end > b.size && !resizeBuffer(b, static_cast<int32_t>(end))) return false;
    std::memcpy(b.data.get() + b.position, bytes.data(), bytes.size());
    b.position = static_cast<int32_t>(end);
    return true;
}

std::span<const uint8_t> readAtPosition(FileBuffer& b, int32_t n) {
    int32_t take = std::min(std::max(n, 0), b.remaining());
    if (take == 0) return {};
    std::span<const uint8_t> out(b.data.get() + b.position, static_cast<size_t>(take));
    b.position += take;
    return out;
}

}  // namespace rs::data
