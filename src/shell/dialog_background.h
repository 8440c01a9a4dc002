// The background picture of the settings dialog: a night sky with falling snow and snow crystals,
// drawn here (the engine ships no picture it did not make).
#pragma once

#include <cstdint>

#include "platform/presenter.h"

namespace rs::shell {

// The picture at this size in pixels (opaque 0xFFRRGGBB). The same size gives the same picture.
platform::Picture settingsBackground(int32_t width, int32_t height);

}  // namespace rs::shell
