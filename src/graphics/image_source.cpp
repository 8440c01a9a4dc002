#include "graphics/image_source.h"

#include <climits>
#include <cstdio>
#include <new>
#include <optional>
#include <string>

#include "platform/host_path.h"
#include "shell/engine.h"

namespace rs::graphics {

namespace {

// Loose files only: the game folder, then the data folder. This is where the archive-aware
// resource lookup takes over; it returns sizes the same way.
int32_t readLooseFile(platform::PathResolver& paths, const std::string& gameFolder, const std::string& dataFolder,
                      std::string_view name, std::unique_ptr<uint8_t[]>& data) {
    std::optional<std::string> path = paths.findExisting(gameFolder, name);
    if (!path && !dataFolder.empty()) path = paths.findExisting(dataFolder, name);
    if (!path) return -1;
    std::FILE* f = std::fopen(path->c_str(), "rb");
    if (!f) return -1;
    int32_t result = -1;
    if (std::fseek(f, 0, SEEK_END) == 0) {
        long size = std::ftell(f);
        if (size == 0) {
            result = 0;
        } else if (size > 0 && size <= INT32_MAX && std::fseek(f, 0, SEEK_SET) == 0) {
            std::unique_ptr<uint8_t[]> buf(new (std::nothrow) uint8_t[static_cast<size_t>(size)]);
            if (!buf) {
                result = 0;
            } else if (std::fread(buf.get(), 1, static_cast<size_t>(size), f) == static_cast<size_t>(size)) {
                data = std::move(buf);
                result = static_cast<int32_t>(size);
            }
        }
    }
    std::fclose(f);
    return result;
}

}  // namespace

ImageFileReader imageFileReader(Engine& e) {
    platform::PathResolver* paths = &e.paths;
    std::string gameFolder = e.app.programFolder;
    std::string dataFolder = e.app.dataFolderPrefix;
    return [paths, gameFolder, dataFolder](std::string_view name, std::unique_ptr<uint8_t[]>& data) {
        return readLooseFile(*paths, gameFolder, dataFolder, name, data);
    };
}

}  // namespace rs::graphics
