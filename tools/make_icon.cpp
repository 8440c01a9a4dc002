// rs-make-icon OUT.png: writes the engine's window icon as a PNG for the desktop entry (a build
// step; the icon itself is drawn in code).
#include <cstdio>

#include "graphics/png_io.h"
#include "platform/presenter.h"
#include "platform/window_icon.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("Usage: rs-make-icon OUT.png\n", stderr);
        return 2;
    }
    rs::platform::Picture icon = rs::platform::windowIconPicture(rs::platform::WindowIcon::Normal);
    rs::graphics::Image image;
    image.width = icon.width;
    image.height = icon.height;
    image.pixels = icon.pixels;
    std::string error;
    if (!rs::graphics::writePng(argv[1], image, true, &error)) {
        std::fprintf(stderr, "rs-make-icon: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
