// Every command family of the engine, gathered into one table.
#include "builtins/dispatcher.h"
#include "graphics/blit_commands.h"
#include "text/print_command.h"

namespace rs::builtins {

const CommandTable& commandTable() {
    static const CommandTable table = [] {
        CommandTable t;
        registerCoreCommands(t);
        text::registerPrintCommands(t);
        graphics::registerBlitCommands(t);
        return t;
    }();
    return table;
}

}  // namespace rs::builtins
