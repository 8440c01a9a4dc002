// --screenshot: the picture the window shows, written as a PNG (24-bit RGB).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

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

}  // namespace rs::shell
