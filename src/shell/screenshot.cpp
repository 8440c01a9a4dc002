#include "shell/screenshot.h"

#include "display/display.h"
#include "graphics/png_io.h"
#include "platform/host.h"
#include "shell/engine.h"

namespace rs::shell {

Screenshot::Screenshot(Engine& e, std::string path, int64_t atMs)
    : e_(e), path_(std::move(path)), atMs_(atMs), start_(e.engineTime()) {}

void Screenshot::afterTurn() {
    const display::DisplayState& d = *e_.display;
    if (taken_ || atMs_ < 0 || d.presentations == presentationsSeen_) return;
    presentationsSeen_ = d.presentations;
    // Engine times are 31 bits wide.
    uint32_t elapsed = (d.lastPresentTime - start_) & 0x7FFFFFFFu;
    if (elapsed >= static_cast<uint64_t>(atMs_)) taken_ = e_.host.presenter().picture();
}

bool Screenshot::write(std::string* error) {
    platform::Picture picture = taken_ ? *taken_ : e_.host.presenter().picture();
    if (picture.width <= 0 || picture.height <= 0) {
        if (error) *error = "the game showed no screen; no screenshot was written";
        return false;
    }
    graphics::Image image;
    image.width = picture.width;
    image.height = picture.height;
    image.pixels = std::move(picture.pixels);
    std::string why;
    if (!graphics::writePng(path_, image, false, &why)) {
        if (error) *error = "cannot write the screenshot '" + path_ + "': " + why;
        return false;
    }
    return true;
}

}  // namespace rs::shell
