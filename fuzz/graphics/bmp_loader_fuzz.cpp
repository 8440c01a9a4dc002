// libFuzzer target: Windows bitmaps drawn into 32-bit and 8-bit frames, partly outside them, and
// the size a new frame for the file would get.
#include <cstddef>
#include <cstdint>
#include <span>

#include "graphics/bmp_loader.h"
#include "graphics/frame.h"
#include "graphics/image_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::span<const uint8_t> file(data, size);
    static auto deep = rs::graphics::createFrame(61, 47, 32, 0);
    static auto indexed = rs::graphics::createFrame(23, 29, 8, 0);
    rs::graphics::drawBitmap(*deep, -3, 2, file, 0, 0);
    rs::graphics::drawBitmap(*deep, 40, -7, file, 0, 255);
    rs::graphics::drawBitmap(*indexed, 5, -1, file, 1, 1);
    rs::graphics::imageSizeOf(file);
    return 0;
}
