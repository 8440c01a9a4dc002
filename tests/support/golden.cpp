#include "support/golden.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace rs::test {

void expectMatchesGolden(const graphics::Image& image, const std::string& name) {
    namespace fs = std::filesystem;
    fs::path golden = fs::path(RS_GOLDEN_DIR) / (name + ".png");
    const char* update = std::getenv("RS_UPDATE_GOLDEN");
    if (update && *update && std::string(update) != "0") {
        fs::create_directories(golden.parent_path());
        std::string err;
        ASSERT_TRUE(graphics::writePng(golden.string(), image, true, &err)) << err;
        return;
    }
    std::string err;
    auto expected = graphics::readPng(golden.string(), &err);
    ASSERT_TRUE(expected) << "no golden image " << golden << " (" << err
                          << "); run with RS_UPDATE_GOLDEN=1 to create it";
    if (*expected == image) return;
    fs::path actual = fs::current_path() / (name + ".actual.png");
    graphics::writePng(actual.string(), image, true);
    int differing = 0;
    std::string first;
    if (expected->width == image.width && expected->height == image.height) {
        for (int32_t y = 0; y < image.height; ++y) {
            for (int32_t x = 0; x < image.width; ++x) {
                if (expected->at(x, y) != image.at(x, y)) {
                    if (differing++ == 0) {
                        char buf[96];
                        std::snprintf(buf, sizeof buf, "first at (%d,%d): expected %08x, got %08x",
                                      x, y, expected->at(x, y), image.at(x, y));
                        first = buf;
                    }
                }
            }
        }
    }
    ADD_FAILURE() << "picture differs from golden " << golden << ": size " << image.width << "x"
                  << image.height << " vs " << expected->width << "x" << expected->height << ", "
                  << differing << " pixels differ, " << first << "; actual written to " << actual;
}

}  // namespace rs::test
