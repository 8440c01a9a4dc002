// How the frame loaders read image files by their game names.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

namespace rs {
class Engine;
}

namespace rs::graphics {

// Reads a whole file by game name into a new buffer: the size (> 0) on success, 0 or less when
// nothing was loaded.
using ImageFileReader =
    std::function<int32_t(std::string_view name, std::unique_ptr<uint8_t[]>& data)>;

// The engine's reader: resource lookup (a loose file, else an archive member). It keeps its own
// copy of what a lookup needs, so loader threads may call it while the main thread runs on.
ImageFileReader imageFileReader(Engine& e);

}  // namespace rs::graphics
