// Core commands that load scripts: chain (replace this thread's script) and spawn (start a thread).
#pragma once

namespace rs::builtins {

class CommandTable;

void registerScriptCommands(CommandTable& table);

}  // namespace rs::builtins
