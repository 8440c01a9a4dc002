// The sprite commands (ids 768-783): the screen, sprites, offset groups, the wave, screen-mode
// queries and hit tests.
#pragma once

#include <cstdint>

namespace rs::builtins {
class CommandTable;
}
namespace rs {
class Engine;
}

namespace rs::display {

void registerSpriteCommands(builtins::CommandTable& table);

// The sprite hit test of screen point (x, y): for handle >= 0 that sprite's priority or -1; for a
// negative handle the slot of the sprite with the greatest priority hit (the lowest slot on a
// tie), or -1.
int32_t spriteHit(const Engine& e, int32_t handle, int32_t x, int32_t y);

}  // namespace rs::display
