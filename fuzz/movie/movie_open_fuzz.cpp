// libFuzzer target: opening a movie from arbitrary bytes and decoding its first pictures at an
// output size and kept part chosen by the first two bytes (scaled up, down, cropped, refused).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/video_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2 || size > (1u << 20)) return 0;
    int32_t width = 1 + data[0] % 97, height = 1 + data[1] % 61;
    auto bytes = std::make_shared<const std::vector<uint8_t>>(data + 2, data + size);
    std::string error;
    std::unique_ptr<rs::platform::VideoDecoder> video = rs::platform::openVideoMemory(bytes, error);
    if (!video) return 0;
    rs::platform::SizeInPixels native = video->nativeSize();
    if (native.width <= 0 || native.height <= 0) __builtin_trap();
    // Odd first bytes crop a part out of the middle.
    rs::platform::PixelRect keep{0, 0, width, height};
    if (data[0] & 1) keep = {width / 4, height / 4, width - width / 4, height - height / 4};
    video->setOutput({width, height}, keep);
    rs::platform::VideoFrame frame;
    for (int i = 0; i < 4 && video->next(frame); ++i) {
        if (frame.picture.pixels.size() !=
            static_cast<size_t>(frame.picture.width) * static_cast<size_t>(frame.picture.height))
            __builtin_trap();
    }
    if (data[1] & 1) {
        video->seek(0);
        video->next(frame);
    }
    return 0;
}
