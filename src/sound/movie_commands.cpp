// The movie commands of the sound group: play, mode, status, stop, seek and volume (shell/movie.h).
#include <optional>
#include <string>

#include "builtins/dispatcher.h"
#include "data/engine_resources.h"
#include "data/host_file.h"
#include "runtime/fetch.h"
#include "runtime/script_thread.h"
#include "shell/engine.h"
#include "shell/movie.h"
#include "sound/sound_commands.h"

namespace rs::sound {

namespace {

using runtime::ScriptThread;

// movie(file, x, y, width, height, volume): the file is a loose file only, never an archive
// member: the name as given (in the game folder), else in the -path folder. When it is in
// neither place nothing happens.
void cmdMoviePlay(Engine& e, ScriptThread& t) {
    int32_t volume = runtime::ngetint(e, t);
    int32_t height = runtime::ngetint(e, t);
    int32_t width = runtime::ngetint(e, t);
    int32_t y = runtime::ngetint(e, t);
    int32_t x = runtime::ngetint(e, t);
    if (t.failed) return;
    std::optional<std::string> name = runtime::ngetstr(e, t);
    if (t.failed) return;
    data::ResourceContext ctx = data::resourceContext(e);
    std::optional<std::string> path = data::findLooseFile(ctx, name.value_or(""));
    if (!path || !data::HostFile::openRead(*path).isOpen()) return;
    shell::moviePlay(e, *path, x, y, width, height, volume);
}

void cmdMovieMode(Engine& e, ScriptThread& t) { runtime::pushInteger(e, t, e.app.movieMode); }

void cmdMovieStatus(Engine& e, ScriptThread& t) {
    runtime::pushInteger(e, t, shell::movieStatus(e));
}

void cmdMovieStop(Engine& e, ScriptThread&) { shell::movieStop(e); }

// movie seek(start, stop), in 100-nanosecond units.
void cmdMovieSeek(Engine& e, ScriptThread& t) {
    int32_t stop = runtime::ngetint(e, t);
    int32_t start = runtime::ngetint(e, t);
    if (t.failed) return;
    shell::movieSeek(e, start, stop);
}

// movie volume(volume), in hundredths of a decibel.
void cmdMovieVolume(Engine& e, ScriptThread& t) {
    int32_t volume = runtime::ngetint(e, t);
    if (t.failed) return;
    shell::movieVolume(e, volume);
}

constexpr builtins::CommandEntry kMovieCommands[] = {
    {0x50b, "movie", cmdMoviePlay},         {0x510, "moviemode", cmdMovieMode},
    {0x511, "moviestatus", cmdMovieStatus}, {0x512, "moviestop", cmdMovieStop},
    {0x513, "movieseek", cmdMovieSeek},     {0x514, "movievolume", cmdMovieVolume},
};

}  // namespace

void registerMovieCommands(builtins::CommandTable& table) { table.add(kMovieCommands); }

}  // namespace rs::sound
