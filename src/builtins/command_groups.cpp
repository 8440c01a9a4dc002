// Every command family of the engine, gathered into one table.
#include "builtins/dispatcher.h"
#include "builtins/script_commands.h"
#include "display/sprite_commands.h"
#include "graphics/blit_commands.h"
#include "graphics/frame_commands.h"
#include "sound/sound_commands.h"
#include "text/font_state.h"
#include "text/print_command.h"

namespace rs::builtins {

const CommandTable& commandTable() {
    static const CommandTable table = [] {
        CommandTable t;
        registerCoreCommands(t);
        registerMathCommands(t);
        registerStringCommands(t);
        registerTimingCommands(t);
        registerFileCommands(t);
        registerScriptCommands(t);
        text::registerPrintCommands(t);
        text::registerFontCommands(t);
        graphics::registerBlitCommands(t);
        graphics::registerFrameCommands(t);
        graphics::registerDrawCommands(t);
        graphics::registerImageLoadCommands(t);
        display::registerSpriteCommands(t);
        sound::registerSoundCommands(t);
        sound::registerMusicCommands(t);
        sound::registerMovieCommands(t);
        return t;
    }();
    return table;
}

}  // namespace rs::builtins
