#include "graphics/png_io.h"

#include <png.h>

#include <cstring>

#include "graphics/frame.h"

namespace rs::graphics {

bool writePng(const std::string& path, const Image& image, bool withAlpha, std::string* error) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    // 0xAARRGGBB little-endian is B, G, R, A in memory.
    png.format = withAlpha ? PNG_FORMAT_BGRA : PNG_FORMAT_BGR;
    std::vector<uint8_t> packed;
    const void* buffer = image.pixels.data();
    if (!withAlpha) {
        packed.reserve(image.pixels.size() * 3);
        for (uint32_t p : image.pixels) {
            packed.push_back(static_cast<uint8_t>(p));
            packed.push_back(static_cast<uint8_t>(p >> 8));
            packed.push_back(static_cast<uint8_t>(p >> 16));
        }
        buffer = packed.data();
    }
    if (!png_image_write_to_file(&png, path.c_str(), 0, buffer, 0, nullptr)) {
        if (error) *error = png.message;
        png_image_free(&png);
        return false;
    }
    return true;
}

std::optional<Image> readPng(const std::string& path, std::string* error, int32_t* depth) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) {
        if (error) *error = png.message;
        return std::nullopt;
    }
    if (depth) {
        int32_t channelBits = (png.format & PNG_FORMAT_FLAG_LINEAR) ? 16 : 8;
        *depth = (png.format & PNG_FORMAT_FLAG_COLORMAP)
                     ? 8
                     : static_cast<int32_t>(PNG_IMAGE_SAMPLE_CHANNELS(png.format)) * channelBits;
    }
    png.format = PNG_FORMAT_BGRA;
    Image img;
    img.width = static_cast<int32_t>(png.width);
    img.height = static_cast<int32_t>(png.height);
    img.pixels.resize(static_cast<size_t>(png.width) * png.height);
    if (!png_image_finish_read(&png, nullptr, img.pixels.data(), 0, nullptr)) {
        if (error) *error = png.message;
        png_image_free(&png);
        return std::nullopt;
    }
    return img;
}

Image imageFromFrame(const Frame& f) {
    Image img;
    img.width = f.width;
    img.height = f.height;
    img.pixels.assign(static_cast<size_t>(f.width) * static_cast<size_t>(f.height), 0);
    for (int32_t y = 0; y < f.height; ++y) {
        for (int32_t x = 0; x < f.width; ++x) {
            uint32_t v = 0;
            if (f.bpp == 32) {
                v = getColour(f, x, y);
            } else if (f.bpp == 8) {
                v = getColour(f, x, y) | 0xFF000000u;
            }
            img.pixels[static_cast<size_t>(y) * static_cast<size_t>(f.width) +
                       static_cast<size_t>(x)] = v;
        }
    }
    return img;
}

}  // namespace rs::graphics
