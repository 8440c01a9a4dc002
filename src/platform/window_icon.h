// The engine's own window icons, drawn in code: a six-armed snowflake on a night-blue tile, and a
// grey one for the minimised (paused) window.
#pragma once

#include "platform/host.h"

namespace rs::platform {

// The icon as a 48 x 48 picture; pixels 0xAARRGGBB with a transparent ground around the tile.
Picture windowIconPicture(WindowIcon icon);

}  // namespace rs::platform
