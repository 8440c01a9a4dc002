#include "shell/engine.h"

#include "builtins/dispatcher.h"
#include "builtins/random.h"
#include "data/load_cache.h"
#include "graphics/blit.h"
#include "graphics/frame.h"
#include "runtime/errors.h"
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
      randomState(builtins::startupRandomState()),
      events_(*this) {
    if (app.installPath.empty()) app.installPath = app.programFolder;
    // Processor detection: the SIMD switch is on when the vector instructions are there.
    if (app.hasMmx < 0) app.hasMmx = (app.simdAllowed && graphics::detectSimd() != graphics::SimdLevel::None) ? 1 : 0;
    pool.setExhaustedHandler([this] { runtime::poolWarning(*this); });
}

Engine::~Engine() {
    threads.destroyAll(pool, globals);
    // Frames still being loaded are waited for, with the window kept alive.
    graphics::destroyAllFrames(*this);
    globals.clear(pool);
    // Only now that no thread shares a cached image.
    data::FreeLoadCache(*loadCache);
}

void Engine::pumpMessages() {
    host.events().pump(events_);
    // Background image loads that finished report their changes here, on the main thread.
    graphics::reportFinishedLoads(*frames);
}

void Engine::destroyMainWindow() {
    if (!app.mainWindow) return;
    app.mainWindow = false;
    app.quitLevel = 2;
}

void EngineEvents::onCloseRequest() {
    shell::AppState& app = engine_.app;
    if (app.closeByScript == 1) {
        app.closeRequested = 1;
        return;
    }
    if (runtime::confirmExit(engine_)) engine_.destroyMainWindow();
}

void EngineEvents::onCharacter(uint16_t /*code*/) {}

}  // namespace rs
