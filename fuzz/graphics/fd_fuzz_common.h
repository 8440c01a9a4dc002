// Shared by the FD and FE fuzzers: the input is a whole image file; its header gives the size,
// cut down so that one run stays small. Both builds of the decoder run; a difference in pixels or
// result is a finding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "graphics/fd_decoder.h"

namespace rs::fuzz {

template <typename Decode>
void decodeFuzzInput(const uint8_t* data, size_t size, Decode decode) {
    if (size < 8) return;
    int32_t width = data[4] | (data[5] << 8);
    int32_t height = data[6] | (data[7] << 8);
    // At most 2^14 pixels: the decoders' work does not depend on the size beyond that.
    while (int64_t{width} * height > (1 << 14)) {
        width = (width + 1) / 2;
        height = (height + 1) / 2;
    }
    int32_t depth = static_cast<int8_t>(data[2]);
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    std::vector<uint32_t> plain(pixels), best(pixels);
    const std::span<const uint8_t> file(data, size);
    bool plainOk =
        decode(width, height, depth, file, std::span<uint32_t>(plain), graphics::DecodeCode::Plain);
    bool bestOk =
        decode(width, height, depth, file, std::span<uint32_t>(best), graphics::DecodeCode::Best);
    if (plainOk != bestOk || plain != best) std::abort();
}

}  // namespace rs::fuzz
