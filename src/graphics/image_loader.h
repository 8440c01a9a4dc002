// Image files drawn into frames: FD and FE images and Windows bitmaps, told apart by their first
// two bytes, and the size a new frame for an image takes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "graphics/bmp_loader.h"
#include "graphics/png_io.h"

namespace rs::graphics {

struct Frame;

enum class ImageFormat { Unknown, FD, FE, Bitmap };

// By the first two bytes: "FD" and "FE" (either case), "BM"; anything else is unknown.
ImageFormat imageFormatOf(std::span<const uint8_t> file);

struct ImageSize {
    int32_t width = 0;
    int32_t height = 0;
    int32_t depth = 0;
};

// The size and depth of the frame a new image gets, from its header: "8P": 16-bit width and
// height at 2 and 4, depth 8; "F" with "C", "D" or "E": 16-bit width and height at 4 and 6, the
// signed depth byte at 2; otherwise the Windows bitmap header (width at 18, height at 22, depth at
// 28). Header bytes the file does not have read as 0.
ImageSize imageSizeOf(std::span<const uint8_t> file);

// The largest image the loader decodes (pixels); larger headers draw nothing.
constexpr int64_t kMaxDecodedPixels = int64_t{1} << 29;

// An FD or FE file decoded in full (alpha 0 unless its depth is 32). nullopt for another format
// or an image too large to hold. `complete` tells whether the data described every pixel.
std::optional<Image> decodeFdImage(std::span<const uint8_t> file, bool* complete = nullptr);

// drawImage: the image `file` with its top-left at (x, y), by its format. FD and FE images of
// depth 32 are blended pixel by pixel when alphaA = alphaB = 255 or alphaA != alphaB and copied
// otherwise; bitmaps follow drawBitmap. An unknown format draws nothing. Returns the area drawn.
std::optional<DrawnArea> drawImage(Frame& f, int32_t x, int32_t y, std::span<const uint8_t> file,
                                   int32_t alphaA, int32_t alphaB);

// Decoded pixels (rows top to bottom) into the frame at (x, y), clipped: copied row by row, or
// blended with blendPixel. 8-bit frames take the low byte of each pixel.
std::optional<DrawnArea> drawPixels(Frame& f, int32_t x, int32_t y, const uint32_t* pixels,
                                    int32_t width, int32_t height, bool blend);

}  // namespace rs::graphics
