#include "shell/main_loop.h"

#include <algorithm>

#include "display/display.h"
#include "platform/host.h"
#include "runtime/interpreter.h"
#include "runtime/script_thread.h"
#include "shell/engine.h"
#include "shell/input.h"
#include "shell/environment_file.h"
#include "shell/movie.h"
#include "sound/sound_state.h"

namespace rs::shell {

using runtime::ScriptThread;

void runChain(Engine& e, uint32_t now) {
    for (;;) {
        int32_t prev = -1;
        int32_t index = 0;
        while (index >= 0) {
            ScriptThread* t = e.threads.at(index);
            if (!t) break;
            bool finished = false;
            while (e.app.quitLevel == 0 && timeBefore(t->wake_time, now)) {
                if (runtime::run(e, *t) != 0) {
                    finished = true;
                    break;
                }
            }
            if (e.app.quitLevel != 0) return;
            int32_t next = t->next_index;
            if (finished) {
                if (prev >= 0) {
                    if (ScriptThread* p = e.threads.at(prev)) p->next_index = next;
                }
                e.threads.destroy(index, e.pool, e.globals);
            } else {
                prev = index;
            }
            index = next;
        }
        ScriptThread* main = e.threads.at(0);
        if (!main || e.app.quitLevel != 0 || !timeBefore(main->wake_time, now)) return;
    }
}

bool mainLoopTurn(Engine& e) {
    RefreshMouseButtons(*e.input);
    ScriptThread* main = e.threads.at(0);
    if (!main) return false;
    uint32_t now = e.engineTime();
    // On a virtual clock the mix catches up with the clock before the scripts of the turn run:
    // what they start sounds from this moment.
    sound::advanceSound(e);
    bool ran = false;
    if (timeBefore(main->wake_time, now) && e.app.quitLevel == 0) {
        runChain(e, now);
        ran = true;
        if (e.app.quitLevel != 0) return false;
        e.sceneChanged = 1;
    }
    display::present(e);
    updateMovie(e);
    // Sleep until the main thread is due: that is the frame pacing the script asks for.
    main = e.threads.at(0);
    if (main) {
        int32_t wait = static_cast<int32_t>((main->wake_time - e.engineTime()) << 1) >> 1;
        // A playing movie's pictures are due more often than a long wait ends.
        if (e.app.moviePlaying && !e.movie->finished) wait = std::min(wait, kMovieTurnMs);
        if (wait > 0) {
            // A window keeps answering while the game waits: an event ends the wait early, and
            // the next turn waits for the rest.
            e.host.events().waitFor(e.host.clock(), static_cast<uint32_t>(wait));
        } else if (!ran) {
            e.host.clock().idle();
        }
    }
    // The pump also reads the pointer's place (the mouse position in game pixels).
    e.pumpMessages();
    return e.app.quitLevel == 0;
}

namespace {

// An orderly end writes the environment file; a run whose window is already gone (a fatal
// script error, the window closed) does not, so its running marker stays.
void endLoop(Engine& e) {
    if (e.app.mainWindow) writeEnvironmentFile(e);
    if (e.app.mainWindow && e.app.quitLevel < 2) e.destroyMainWindow();
    e.app.mainWindow = false;
}

}  // namespace

void runMainLoop(Engine& e, const std::function<void()>& afterTurn) {
    e.pumpMessages();
    if (e.app.quitLevel == 0) {
        for (;;) {
            bool more = mainLoopTurn(e);
            if (afterTurn) afterTurn();
            if (!more || e.app.quitLevel != 0) break;
        }
    }
    endLoop(e);
}

bool runTurns(Engine& e, int64_t maxTurns) {
    e.pumpMessages();
    if (e.app.quitLevel == 0) {
        for (int64_t i = 0; i < maxTurns; ++i) {
            if (!mainLoopTurn(e)) {
                endLoop(e);
                return true;
            }
        }
        return false;
    }
    endLoop(e);
    return true;
}

}  // namespace rs::shell
