// libFuzzer target: WAVE files: the marker search, the format, the copy into the ring and its
// conversion to the mix.
#include <cstddef>
#include <cstdint>

#include "sound/wave_layout.h"
#include "stream_fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > (1u << 22)) return 0;
    rs::sound::readWaveLayout(data + 1, static_cast<int32_t>(size - 1));
    rs::fuzz::playStreamBytes("fuzz.wav", data + 1, size - 1, data[0], 24);
    return 0;
}
