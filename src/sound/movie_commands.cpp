// The movie commands of the sound group. This build plays no movies: a movie plays nothing, as a
// file that cannot be rendered; the status is -1 as after a movie's end; stopping repaints the
// whole screen as it always does.
#include "builtins/dispatcher.h"
#include "display/display.h"
#include "runtime/fetch.h"
#include "runtime/script_thread.h"
#include "shell/engine.h"
#include "sound/sound_commands.h"

namespace rs::sound {

namespace {

using runtime::ScriptThread;

// MovieStatus without a movie.
constexpr int32_t kMovieNotRunning = -1;
// MovieStop pauses this long for the video window to go.
constexpr uint32_t kMovieStopPauseMs = 100;

// movie(file, x, y, width, height, volume)
void cmdMoviePlay(Engine& e, ScriptThread& t) {
    for (int i = 0; i < 5; ++i) runtime::ngetint(e, t);
    if (t.failed) return;
    runtime::ngetstr(e, t);
}

void cmdMovieMode(Engine& e, ScriptThread& t) { runtime::pushInteger(e, t, e.app.movieMode); }

void cmdMovieStatus(Engine& e, ScriptThread& t) { runtime::pushInteger(e, t, kMovieNotRunning); }

// MovieStop: whether or not a movie played, the window is kept alive, a short pause, and the
// whole screen is redrawn at the next presentation.
void cmdMovieStop(Engine& e, ScriptThread&) {
    e.pumpMessages();
    e.host.clock().sleep(kMovieStopPauseMs);
    if (e.display->display) {
        e.display->sprites.dirty.mark(0, 0);
        e.display->sprites.dirty.mark(e.display->params.width - 1, e.display->params.height - 1);
    }
}

// movie seek(start, stop)
void cmdMovieSeek(Engine& e, ScriptThread& t) {
    runtime::ngetint(e, t);
    runtime::ngetint(e, t);
}

// movie volume(volume)
void cmdMovieVolume(Engine& e, ScriptThread& t) { runtime::ngetint(e, t); }

constexpr builtins::CommandEntry kMovieCommands[] = {
    {0x50b, "movie", cmdMoviePlay},         {0x510, "moviemode", cmdMovieMode},
    {0x511, "moviestatus", cmdMovieStatus}, {0x512, "moviestop", cmdMovieStop},
    {0x513, "movieseek", cmdMovieSeek},     {0x514, "movievolume", cmdMovieVolume},
};

}  // namespace

void registerMovieCommands(builtins::CommandTable& table) { table.add(kMovieCommands); }

}  // namespace rs::sound
