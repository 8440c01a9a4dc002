// PNG files for tools, screenshots and golden-image tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace rs::graphics {

struct Frame;

// A picture in memory: rows top to bottom, pixels 0xAARRGGBB.
struct Image {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;

    uint32_t at(int32_t x, int32_t y) const {
        return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    }
    bool operator==(const Image&) const = default;
};

// Writes an 8-bit-per-channel PNG: RGBA with `withAlpha`, else RGB (the alpha bytes dropped).
bool writePng(const std::string& path, const Image& image, bool withAlpha,
              std::string* error = nullptr);
// Reads any PNG as 0xAARRGGBB pixels (alpha 0xFF where the file has none). `depth`, when given,
// receives the file's own bits per pixel: 8 for a palette, else channels times bits per channel
// (24 for RGB, 32 for RGBA, 8 for grey ...).
std::optional<Image> readPng(const std::string& path, std::string* error = nullptr,
                             int32_t* depth = nullptr);

// The pixels of a frame as an image: 32-bit frames as they are, 8-bit frames through their
// palette with alpha 0xFF, other depths as 0.
Image imageFromFrame(const Frame& frame);

}  // namespace rs::graphics
