#include "platform/sdl/sdl_host.h"

#include "platform/sdl/sdl_audio_device.h"

#include <SDL.h>

#include <cstdlib>

namespace rs::platform::sdl {

bool SdlVideo::start(std::string* error) {
    // The close box only reports the request: the engine decides (a confirmation, or the script).
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // SIGINT and SIGTERM are the engine's (platform/stop_signals.h).
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // The window class the desktop groups the window by.
    setenv("SDL_VIDEO_X11_WMCLASS", "RuneStage", 0);
    // Without a Wayland session there is nothing for SDL's Wayland probe to find but noise.
    if (!std::getenv("SDL_VIDEODRIVER") && !std::getenv("WAYLAND_DISPLAY"))
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11,kmsdrm");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        if (error) {
            *error = std::string("SDL cannot start its video: ") + SDL_GetError();
            if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
                *error = "no display: DISPLAY and WAYLAND_DISPLAY are unset; " + *error;
        }
        return false;
    }
    started_ = true;
    // Without a display SDL falls back to drivers that draw into memory: a window nobody sees and
    // nobody can close. Those count only when asked for by name.
    std::string driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    if ((driver == "offscreen" || driver == "dummy") && !(asked && driver == asked)) {
        if (error) *error = "no display found (SDL offers only its " + driver + " driver)";
        return false;
    }
    return true;
}

SdlVideo::~SdlVideo() {
    if (!started_) return;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
}

std::unique_ptr<SdlHost> SdlHost::create(std::unique_ptr<Clock> clock,
                                         const SdlHostOptions& options, std::string* error) {
    std::unique_ptr<SdlHost> host(new SdlHost());
    if (!host->video_.start(error)) return nullptr;
    host->clock_ = std::move(clock);
    SdlWindowOptions w;
    w.vsync = options.vsync;
    w.failWindow = options.failWindow;
    w.failRenderer = options.failRenderer;
    host->window_ = SdlWindow::create(w, error);
    if (!host->window_) return nullptr;
    host->presenter_ = std::make_unique<SdlPresenter>(*host->window_, options.filter, options.kind);
    host->boxes_ = std::make_unique<SdlMessageBoxes>(options.boxEcho, options.boxAnswer);
    host->audio_ = createAudioDevice();
    host->boxes_->setOwner(host->window_.get());
    host->events_ =
        std::make_unique<SdlEventPump>(*host->window_, *host->presenter_, *host->boxes_);
    return host;
}

SdlHost::~SdlHost() = default;

}  // namespace rs::platform::sdl
