// A test game over the SDL host (a real window on the test's X server) on the virtual clock, and
// SDL events as the window system would send them.
#pragma once

#include <SDL.h>

#include <cstdio>
#include <memory>
#include <string>

#include "platform/sdl/sdl_host.h"
#include "shell/engine.h"
#include "support/test_game.h"

namespace rs::test {

// Boxes answered with their default button, the scale 1, pictures shown with `nearest`.
inline platform::sdl::SdlHostOptions windowTestOptions() {
    platform::sdl::SdlHostOptions o;
    o.filter = platform::ScaleFilter::Nearest;
    o.boxAnswer = platform::sdl::BoxAnswerHook::Default;
    return o;
}

class WindowGame {
  public:
    explicit WindowGame(platform::sdl::SdlHostOptions options = windowTestOptions())
        : game_([this, options](std::unique_ptr<platform::VirtualClock> clock) {
              std::string error;
              auto host = platform::sdl::SdlHost::create(std::move(clock), options, &error);
              if (!host) ADD_FAILURE() << error;
              host_ = host.get();
              return host;
          }) {
        engine().app.scaleFilter = options.filter;
    }

    TestGame& game() { return game_; }
    Engine& engine() { return game_.engine(); }
    platform::sdl::SdlHost& host() { return *host_; }
    platform::sdl::SdlWindow& window() { return host_->sdlWindow(); }
    platform::sdl::SdlPresenter& presenter() { return host_->sdlPresenter(); }

    // A window event for the game's window, as the window system sends it.
    void sendWindowEvent(SDL_WindowEventID id) {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.windowID = window().id();
        e.window.event = static_cast<Uint8>(id);
        SDL_PushEvent(&e);
    }
    // A key event in the game's window (or in the window `windowId`) with these modifiers held.
    void pushKey(bool down, SDL_Scancode scancode, SDL_Keycode keycode, Uint16 mod = KMOD_NONE,
                 bool repeat = false, Uint32 windowId = 0) {
        SDL_Event e{};
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.windowID = windowId ? windowId : window().id();
        e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.key.repeat = repeat;
        e.key.keysym.scancode = scancode;
        e.key.keysym.sym = keycode;
        e.key.keysym.mod = mod;
        SDL_PushEvent(&e);
    }
    // A key press in the game's window with these modifiers held.
    void sendKey(SDL_Keycode key, Uint16 modifiers) {
        pushKey(true, SDL_GetScancodeFromKey(key), key, modifiers);
    }
    // Text typed into the window (UTF-8), as the input method hands it over.
    void pushText(const std::string& utf8) {
        SDL_Event e{};
        e.type = SDL_TEXTINPUT;
        e.text.windowID = window().id();
        std::snprintf(e.text.text, sizeof e.text.text, "%s", utf8.c_str());
        SDL_PushEvent(&e);
    }
    // Lets the window system's own events arrive and the engine handle them.
    void settle() {
        for (int i = 0; i < 5; ++i) {
            SDL_Delay(10);
            engine().pumpMessages();
        }
    }

  private:
    platform::sdl::SdlHost* host_ = nullptr;
    TestGame game_;
};

}  // namespace rs::test
