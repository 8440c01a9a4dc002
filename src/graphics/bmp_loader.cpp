#include "graphics/bmp_loader.h"

#include <algorithm>
#include <cstring>

#include "graphics/frame.h"

namespace rs::graphics {

namespace {

constexpr int64_t kBitmapPixelsAt = 54;
constexpr int64_t kPalettedPixelsAt = 54 + 256 * 4;
constexpr uint32_t kPureBlue = 0x000000FF;  // the colour key of 8- and 24-bit bitmaps

int32_t readS32(std::span<const uint8_t> b, size_t at) {
    return static_cast<int32_t>(
        static_cast<uint32_t>(b[at]) | (static_cast<uint32_t>(b[at + 1]) << 8) |
        (static_cast<uint32_t>(b[at + 2]) << 16) | (static_cast<uint32_t>(b[at + 3]) << 24));
}

int32_t readS16(std::span<const uint8_t> b, size_t at) {
    return static_cast<int16_t>(static_cast<uint16_t>(b[at] | (b[at + 1] << 8)));
}

// Writes one computed colour into a frame row: 32-bit frames take the value, 8-bit frames its
// low byte.
inline void store(uint8_t* row, int32_t bpp, int32_t x, uint32_t colour) {
    if (bpp == 32) {
        std::memcpy(row + static_cast<ptrdiff_t>(x) * 4, &colour, 4);
    } else {
        row[x] = static_cast<uint8_t>(colour);
    }
}

}  // namespace

ClippedPlacement clipPlacement(const Frame& f, int32_t x, int32_t y, int64_t w, int64_t h) {
    ClippedPlacement c;
    int64_t firstX = std::max<int64_t>(0, -int64_t{x});
    int64_t firstY = std::max<int64_t>(0, -int64_t{y});
    int64_t endX = std::min<int64_t>(w, int64_t{f.width} - x);
    int64_t endY = std::min<int64_t>(h, int64_t{f.height} - y);
    if (endX <= firstX || endY <= firstY) return c;
    c.firstColumn = static_cast<int32_t>(firstX);
    c.firstRow = static_cast<int32_t>(firstY);
    c.columns = static_cast<int32_t>(endX - firstX);
    c.rows = static_cast<int32_t>(endY - firstY);
    return c;
}

std::optional<DrawnArea> drawBitmap(Frame& f, int32_t x, int32_t y, std::span<const uint8_t> file,
                                    int32_t alphaA, int32_t alphaB) {
    if (file.size() < static_cast<size_t>(kBitmapPixelsAt)) return std::nullopt;
    int32_t width = readS32(file, 18);
    int32_t height = readS32(file, 22);
    int32_t depth = readS16(file, 28);
    if (width <= 0 || height <= 0) return std::nullopt;
    if (depth != 8 && depth != 16 && depth != 24 && depth != 32) return std::nullopt;
    if (f.bpp != 8 && f.bpp != 32) return std::nullopt;

    const int64_t start = depth == 8 ? kPalettedPixelsAt : kBitmapPixelsAt;
    const int64_t pixelBytes = depth / 8;
    const int64_t rowSize = (int64_t{width} * pixelBytes + 3) & ~int64_t{3};
    // Every pixel must lie inside the file (the last row may lack its padding). Checked by
    // division: width * height of a forged header overflows any product.
    const int64_t available = static_cast<int64_t>(file.size()) - start - width * pixelBytes;
    if (available < 0 || (height - 1) > available / rowSize) return std::nullopt;

    ClippedPlacement c = clipPlacement(f, x, y, width, height);
    if (c.empty()) return std::nullopt;
    const uint8_t* palette = file.data() + kBitmapPixelsAt;
    const bool keepAlpha = alphaA == alphaB;

    for (int32_t r = c.firstRow; r < c.firstRow + c.rows; ++r) {
        const uint8_t* src =
            file.data() + start + (height - 1 - r) * rowSize + c.firstColumn * pixelBytes;
        int32_t fy = y + r;
        uint8_t* row = f.row(fy);
        int32_t fx = x + c.firstColumn;
        if (depth == 8 && f.bpp == 8) {
            std::memcpy(row + fx, src, static_cast<size_t>(c.columns));
            continue;
        }
        for (int32_t i = 0; i < c.columns; ++i, ++fx) {
            uint32_t colour;
            switch (depth) {
                case 8: {
                    const uint8_t* e = palette + 4 * src[i];
                    colour = e[0] | (e[1] << 8) | (static_cast<uint32_t>(e[2]) << 16);
                    if (colour == kPureBlue) continue;
                    colour |= 0xFF000000u;
                    break;
                }
                case 16: {
                    uint32_t w = src[2 * i] | (src[2 * i + 1] << 8);
                    colour = 0xFF000000u | (((w >> 10) & 31) << 19) | (((w >> 5) & 31) << 11) |
                             ((w & 31) << 3);
                    break;
                }
                case 24: {
                    const uint8_t* s = src + 3 * i;
                    colour = s[0] | (s[1] << 8) | (static_cast<uint32_t>(s[2]) << 16);
                    if (colour == kPureBlue) continue;
                    colour |= 0xFF000000u;
                    break;
                }
                default: {
                    std::memcpy(&colour, src + 4 * i, 4);
                    if (!keepAlpha) {
                        blendPixel(f, fx, fy, colour);
                        continue;
                    }
                    break;
                }
            }
            store(row, f.bpp, fx, colour);
        }
    }
    return DrawnArea{x + c.firstColumn, y + c.firstRow, x + c.firstColumn + c.columns - 1,
                     y + c.firstRow + c.rows - 1};
}

}  // namespace rs::graphics
