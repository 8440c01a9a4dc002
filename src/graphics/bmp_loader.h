// Windows bitmaps drawn into frames.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace rs::graphics {

struct Frame;

// The area an image load drew, with inclusive corners.
struct DrawnArea {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    bool operator==(const DrawnArea&) const = default;
};

// The rectangle of frame pixels that an image of w x h placed at (x, y) covers: image columns
// and rows left of or above the frame are skipped, those past its right and bottom edges cut.
struct ClippedPlacement {
    int32_t firstColumn = 0;  // first image column and row drawn
    int32_t firstRow = 0;
    int32_t columns = 0;  // how many are drawn
    int32_t rows = 0;
    bool empty() const { return columns <= 0 || rows <= 0; }
};
ClippedPlacement clipPlacement(const Frame& f, int32_t x, int32_t y, int64_t w, int64_t h);

// drawBitmap: the Windows bitmap `file` with its top-left at (x, y). Width, height and depth are
// read at offsets 18, 22 and 28; pixels start at 54 (8-bit images: palette at 54, pixels at
// 1078), rows bottom-up, each padded to 4 bytes. 8-bit, 24-bit and 16-bit (5-5-5) pixels are
// stored with alpha 0xFF, except that pure blue (0x0000FF) of 8- and 24-bit images is skipped;
// 32-bit pixels are stored as they are when alphaA = alphaB, else blended. An 8-bit image into an
// 8-bit frame copies the indices. Other depths, and headers whose sizes do not fit the file, draw
// nothing. Returns the area drawn, if any.
std::optional<DrawnArea> drawBitmap(Frame& f, int32_t x, int32_t y, std::span<const uint8_t> file,
                                    int32_t alphaA, int32_t alphaB);

}  // namespace rs::graphics
