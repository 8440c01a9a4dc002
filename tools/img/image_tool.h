// rs-img: converts between the engine's image formats (FD, FE, Windows bitmaps) and PNG.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "graphics/png_io.h"

namespace rs::tools {

struct LoadedImage {
    graphics::Image image;
    std::string format;     // "FD", "FE", "BMP" or "PNG"
    int32_t depth = 0;      // the file's depth
    bool hasAlpha = false;  // some pixel is not opaque
};

// Any image the tool reads, from a file's bytes (PNG is read from `path`). Bitmaps are drawn as
// the engine draws them into a fresh 32-bit frame: the pure-blue key of 8- and 24-bit bitmaps
// stays transparent. FD and FE images without an alpha plane come out opaque. nullopt (and a
// message) for anything else.
std::optional<LoadedImage> readImage(const std::string& path, std::span<const uint8_t> bytes,
                                     std::string* error);

// Encodes as FD or FE (32-bit when the picture has alpha) and checks that the file decodes to the
// same picture. Empty (and a message) on failure.
std::vector<uint8_t> encodeChecked(const LoadedImage& img, bool fe, std::string* error);

// The whole program; returns the exit status.
int runImageTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace rs::tools
