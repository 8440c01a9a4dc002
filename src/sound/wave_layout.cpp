#include "sound/wave_layout.h"

#include <algorithm>
#include <cstring>

namespace rs::sound {

namespace {

int32_t find(const uint8_t* data, int32_t size, int32_t from, const char* marker) {
    for (int32_t i = std::max(0, from); i + 4 <= size; ++i) {
        if (std::memcmp(data + i, marker, 4) == 0) return i;
    }
    return -1;
}

uint32_t le(const uint8_t* p, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | p[i];
    return v;
}

}  // namespace

std::optional<WaveLayout> readWaveLayout(const uint8_t* data, int32_t size) {
    int32_t fmt = find(data, size, 0, "fmt ");
    if (fmt < 0 || int64_t{fmt} + 8 + 16 > size) return std::nullopt;
    const uint8_t* f = data + fmt + 8;
    WaveLayout w;
    w.formatTag = static_cast<uint16_t>(le(f, 2));
    w.format.channels = static_cast<int32_t>(le(f + 2, 2));
    w.format.rate = static_cast<int32_t>(std::min<uint32_t>(le(f + 4, 4), INT32_MAX));
    w.bytesPerSecond = le(f + 8, 4);
    w.blockAlign = static_cast<uint16_t>(le(f + 12, 2));
    w.format.bits = static_cast<int32_t>(le(f + 14, 2));
    int32_t marker = find(data, size, fmt + 8 + 16, "data");
    if (marker < 0 || marker + 8 > size) return std::nullopt;
    w.pcmOffset = marker + 8;
    int64_t declared = le(data + marker + 4, 4);
    w.pcmSize = static_cast<int32_t>(std::clamp<int64_t>(declared, 0, size - w.pcmOffset));
    return w;
}

int32_t waveDuration(int32_t fileSize, uint32_t bytesPerSecond) {
    if (bytesPerSecond == 0) return 0;
    return static_cast<int32_t>(static_cast<uint64_t>(static_cast<uint32_t>(fileSize)) * 1000 /
                                bytesPerSecond);
}

}  // namespace rs::sound
