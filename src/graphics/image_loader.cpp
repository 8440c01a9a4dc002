#include "graphics/image_loader.h"

#include <cstring>
#include <new>

#include "graphics/fd_decoder.h"
#include "graphics/frame.h"

namespace rs::graphics {

namespace {

// A little-endian field of the header; bytes past the end of the file read as 0.
uint32_t field(std::span<const uint8_t> b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) {
        if (at + i < b.size()) v |= static_cast<uint32_t>(b[at + i]) << (8 * i);
    }
    return v;
}

bool isLetter(std::span<const uint8_t> b, size_t at, char lower) {
    return at < b.size() && (b[at] | 0x20) == lower;
}

}  // namespace

ImageFormat imageFormatOf(std::span<const uint8_t> file) {
    if (file.size() < 2) return ImageFormat::Unknown;
    if (isLetter(file, 0, 'f') && isLetter(file, 1, 'd')) return ImageFormat::FD;
    if (isLetter(file, 0, 'f') && isLetter(file, 1, 'e')) return ImageFormat::FE;
    if (file[0] == 'B' && file[1] == 'M') return ImageFormat::Bitmap;
    return ImageFormat::Unknown;
}

ImageSize imageSizeOf(std::span<const uint8_t> file) {
    ImageSize s;
    if (file.size() >= 2 && file[0] == '8' && file[1] == 'P') {
        s.width = static_cast<int32_t>(field(file, 2, 2));
        s.height = static_cast<int32_t>(field(file, 4, 2));
        s.depth = 8;
    } else if (isLetter(file, 0, 'f') &&
               (isLetter(file, 1, 'c') || isLetter(file, 1, 'd') || isLetter(file, 1, 'e'))) {
        s.width = static_cast<int32_t>(field(file, 4, 2));
        s.height = static_cast<int32_t>(field(file, 6, 2));
        s.depth = static_cast<int8_t>(field(file, 2, 1));
    } else {
        s.width = static_cast<int32_t>(field(file, 18, 4));
        s.height = static_cast<int32_t>(field(file, 22, 4));
        s.depth = static_cast<int16_t>(field(file, 28, 2));
    }
    return s;
}

std::optional<Image> decodeFdImage(std::span<const uint8_t> file, bool* complete) {
    std::optional<FdHeader> h = readFdHeader(file);
    if (!h) return std::nullopt;
    int64_t total = int64_t{h->width} * h->height;
    if (total > kMaxDecodedPixels) return std::nullopt;
    Image img;
    try {
        img.pixels.resize(static_cast<size_t>(total));
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    img.width = h->width;
    img.height = h->height;
    bool ok = h->fe ? DecodeFE(h->width, h->height, h->depth, file, img.pixels)
                    : DecodeFD(h->width, h->height, h->depth, file, img.pixels);
    if (complete) *complete = ok;
    return img;
}

std::optional<DrawnArea> drawPixels(Frame& f, int32_t x, int32_t y, const uint32_t* pixels,
                                    int32_t width, int32_t height, bool blend) {
    if (f.bpp != 8 && f.bpp != 32) return std::nullopt;
    ClippedPlacement c = clipPlacement(f, x, y, width, height);
    if (c.empty()) return std::nullopt;
    for (int32_t r = c.firstRow; r < c.firstRow + c.rows; ++r) {
        const uint32_t* src = pixels + static_cast<int64_t>(r) * width + c.firstColumn;
        int32_t fy = y + r;
        int32_t fx = x + c.firstColumn;
        if (blend) {
            for (int32_t i = 0; i < c.columns; ++i) blendPixel(f, fx + i, fy, src[i]);
        } else if (f.bpp == 32) {
            std::memcpy(f.row(fy) + static_cast<ptrdiff_t>(fx) * 4, src,
                        static_cast<size_t>(c.columns) * 4);
        } else {
            uint8_t* row = f.row(fy) + fx;
            for (int32_t i = 0; i < c.columns; ++i) row[i] = static_cast<uint8_t>(src[i]);
        }
    }
    return DrawnArea{x + c.firstColumn, y + c.firstRow, x + c.firstColumn + c.columns - 1,
                     y + c.firstRow + c.rows - 1};
}

std::optional<DrawnArea> drawImage(Frame& f, int32_t x, int32_t y, std::span<const uint8_t> file,
                                   int32_t alphaA, int32_t alphaB) {
    switch (imageFormatOf(file)) {
        case ImageFormat::Bitmap: return drawBitmap(f, x, y, file, alphaA, alphaB);
        case ImageFormat::FD:
        case ImageFormat::FE: {
            std::optional<FdHeader> h = readFdHeader(file);
            if (!h || h->width == 0 || h->height == 0) return std::nullopt;
            // Nothing of an image placed wholly outside the frame would be drawn: skip decoding it.
            if (clipPlacement(f, x, y, h->width, h->height).empty()) return std::nullopt;
            std::optional<Image> img = decodeFdImage(file);
            if (!img) return std::nullopt;
            bool blend = h->depth == 32 && ((alphaA == 255 && alphaB == 255) || alphaA != alphaB);
            return drawPixels(f, x, y, img->pixels.data(), img->width, img->height, blend);
        }
        case ImageFormat::Unknown: break;
    }
    return std::nullopt;
}

}  // namespace rs::graphics
