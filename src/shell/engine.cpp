#include "shell/engine.h"

#include "builtins/dispatcher.h"
#include "builtins/random.h"
#include "data/load_cache.h"
#include "data/save_folder.h"
#include "data/script_files.h"
#include "display/display.h"
#include "graphics/blit.h"
#include "graphics/frame.h"
#include "platform/process.h"
#include "runtime/errors.h"
#include "shell/input.h"
#include "shell/input_log.h"
#include "shell/movie.h"
#include "shell/window_events.h"
#include "sound/sound_state.h"
#include "text/font_state.h"

namespace rs {

Engine::Engine(platform::Host& h, shell::AppState a)
    : host(h),
      app(std::move(a)),
      pool(app.variablePoolSize),
      commands(builtins::commandTable()),
      frames(std::make_unique<graphics::FrameTable>()),
      loadCache(std::make_unique<data::LoadCache>()),
      text(text::createTextState()),
      display(std::make_unique<rs::display::DisplayState>(h)),
      files(std::make_unique<data::ScriptFiles>()),
      input(std::make_unique<shell::InputState>()),
      sound(std::make_unique<sound::SoundState>(h, app.playerSound.volume, app.playerSound.mute)),
      movie(std::make_unique<shell::MovieState>()),
      randomState(builtins::startupRandomState()),
      events_(*this) {
    if (app.installPath.empty()) app.installPath = app.programFolder;
    if (app.userDataFolder.empty()) app.userDataFolder = data::userDataRootFromEnvironment();
    // With no home at all, per-user data stays in the game folder.
    if (app.userDataFolder.empty()) app.userDataFolder = app.programFolder;
    if (app.configFolder.empty()) app.configFolder = data::userConfigRootFromEnvironment();
    // Processor detection: the SIMD switch is on when the vector instructions are there.
    if (app.hasMmx < 0)
        app.hasMmx =
            (app.simdAllowed && graphics::detectSimd() != graphics::SimdLevel::None) ? 1 : 0;
    // Replays and recordings count their times from here.
    input->log->start = engineTime();
    pool.setExhaustedHandler([this] { runtime::poolWarning(*this); });
    frames->listener = display.get();
}

Engine::~Engine() {
    // Sound first: its streams and the output stop before anything they report to goes.
    sound::shutdownSound(*this);
    shell::endMovie(*this);
    threads.destroyAll(pool, globals);
    // Frames still being loaded are waited for, with the window kept alive.
    graphics::destroyAllFrames(*this);
    globals.clear(pool);
    // Only now that no thread shares a cached image.
    data::FreeLoadCache(*loadCache);
    // Programs started for the player go on by themselves; only those already ended are reaped.
    platform::reapFinished(files->children);
    frames->listener = nullptr;
    rs::display::destroyDisplay(*this);
}

void Engine::pumpMessages() {
    {
        shell::InputPump input(*this);
        host.events().pump(events_);
    }
    // Background image loads that finished report their changes here, on the main thread.
    graphics::reportFinishedLoads(*frames);
}

void Engine::destroyMainWindow() {
    if (!app.mainWindow) return;
    app.mainWindow = false;
    app.quitLevel = 2;
    // The window's end stops CD audio and MIDI.
    sound::endMusic(*this);
}

void EngineEvents::onWindowEvent(platform::WindowEvent event) {
    shell::onHostWindowEvent(engine_, event);
}

void EngineEvents::onInputEvent(const platform::InputEvent& event) {
    shell::onHostInput(engine_, event);
}

}  // namespace rs
