#include "shell/screenshot.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>

#include "data/save_folder.h"
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

namespace {

bool writePicture(platform::Picture picture, const std::string& path, std::string* error) {
    if (picture.width <= 0 || picture.height <= 0) {
        if (error) *error = "the game showed no screen; no screenshot was written";
        return false;
    }
    graphics::Image image;
    image.width = picture.width;
    image.height = picture.height;
    image.pixels = std::move(picture.pixels);
    std::string why;
    if (!graphics::writePng(path, image, false, &why)) {
        if (error) *error = "cannot write the screenshot '" + path + "': " + why;
        return false;
    }
    return true;
}

}  // namespace

bool Screenshot::write(std::string* error) {
    return writePicture(taken_ ? *taken_ : e_.host.presenter().picture(), path_, error);
}

std::string screenshotFileName(const platform::LocalTime& t, int sequence) {
    char name[64];
    std::snprintf(name, sizeof name, "%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    if (sequence > 1) {
        size_t used = std::strlen(name);
        std::snprintf(name + used, sizeof name - used, "-%d", sequence);
    }
    return std::string(name) + ".png";
}

std::optional<std::string> saveScreenshotToFolder(Engine& e, std::string* error) {
    platform::Picture picture = e.host.presenter().picture();
    std::string folder = data::saveFolderPath(e.app.userDataFolder, e.app.gameKey) + "/screenshots";
    platform::LocalTime now = e.host.clock().localTime();
    std::string path;
    for (int sequence = 1;; ++sequence) {
        path = folder + "/" + screenshotFileName(now, sequence);
        struct stat st;
        if (stat(path.c_str(), &st) != 0) break;
    }
    if (picture.width > 0 && !data::createFoldersFor(path, e.paths)) {
        if (error) *error = "cannot make the folder '" + folder + "'";
        return std::nullopt;
    }
    if (!writePicture(std::move(picture), path, error)) return std::nullopt;
    return path;
}

}  // namespace rs::shell
