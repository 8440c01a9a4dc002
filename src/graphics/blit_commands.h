// The script commands of the blit family and the geometric blits.
#pragma once

namespace rs::builtins {
class CommandTable;
}

namespace rs::graphics {

void registerBlitCommands(builtins::CommandTable& table);

}  // namespace rs::graphics
