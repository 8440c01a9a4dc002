// --screenshot: the picture the window shows, written as a PNG (24-bit RGB).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/clock.h"
#include "platform/presenter.h"

namespace rs {
class Engine;
}

namespace rs::shell {

class Screenshot {
  public:
    // `atMs` < 0: the picture shown at the end of the run; otherwise the picture of the first
    // presentation made at least `atMs` milliseconds of engine time after now (the start of the
    // run), or the one shown at the end when the run ends before.
    Screenshot(Engine& e, std::string path, int64_t atMs);

    // Called after every turn of the main loop.
    void afterTurn();
    // Writes the picture; false with a message when there is none or the file cannot be written.
    bool write(std::string* error);

  private:
    Engine& e_;
    std::string path_;
    int64_t atMs_;
    uint32_t start_;
    int64_t presentationsSeen_ = 0;
    std::optional<platform::Picture> taken_;
};

// Alt+S: writes the game picture into the save folder's "screenshots" folder as
// YYYYMMDD-HHMMSS.png by the local time ("-2", "-3" ... added for more in the same second).
// Returns the file written, or nothing (with a message) when there is no picture or no file.
std::optional<std::string> saveScreenshotToFolder(Engine& e, std::string* error);

// The file name of a screenshot taken at `t`; `sequence` 1 for the first of its second.
std::string screenshotFileName(const platform::LocalTime& t, int sequence);

}  // namespace rs::shell
