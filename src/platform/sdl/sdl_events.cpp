#include "platform/sdl/sdl_events.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>

#include "platform/sdl/sdl_message_boxes.h"
#include "platform/sdl/sdl_presenter.h"
#include "platform/sdl/sdl_window.h"
#include "platform/stop_signals.h"

namespace rs::platform::sdl {

std::optional<WindowEvent> hotkeyEvent(int32_t keycode, uint16_t modifiers) {
    if (!(modifiers & KMOD_ALT) || (modifiers & (KMOD_CTRL | KMOD_GUI))) return std::nullopt;
    switch (keycode) {
        case SDLK_RETURN:
        case SDLK_KP_ENTER: return WindowEvent::ToggleFullScreen;
        case SDLK_s: return WindowEvent::Screenshot;
        default: return std::nullopt;
    }
}

std::optional<WindowEvent> translateEvent(const SDL_Event& event, uint32_t windowId) {
    switch (event.type) {
        case SDL_QUIT: return WindowEvent::Stop;
        case SDL_KEYDOWN:
            if (event.key.repeat || event.key.windowID != windowId) return std::nullopt;
            return hotkeyEvent(event.key.keysym.sym, event.key.keysym.mod);
        case SDL_WINDOWEVENT:
            if (event.window.windowID != windowId) return std::nullopt;
            switch (event.window.event) {
                case SDL_WINDOWEVENT_CLOSE: return WindowEvent::Close;
                case SDL_WINDOWEVENT_EXPOSED: return WindowEvent::Expose;
                case SDL_WINDOWEVENT_MINIMIZED: return WindowEvent::Minimised;
                case SDL_WINDOWEVENT_MAXIMIZED: return WindowEvent::Maximised;
                case SDL_WINDOWEVENT_RESTORED: return WindowEvent::Restored;
                case SDL_WINDOWEVENT_SIZE_CHANGED: return WindowEvent::Resized;
                case SDL_WINDOWEVENT_FOCUS_GAINED: return WindowEvent::FocusGained;
                case SDL_WINDOWEVENT_FOCUS_LOST: return WindowEvent::FocusLost;
                default: return std::nullopt;
            }
        default: return std::nullopt;
    }
}

void SdlEventPump::serviceBackground() {
    boxes_.showPending();
    if (instance_ && instance_->takeRaiseRequest()) {
        window_.raise();
        std::fputs("runestage: another start of the game asked for this window\n", stderr);
    }
}

void SdlEventPump::pump(EventSink& sink) {
    serviceBackground();
    if (takeStopSignal()) sink.onWindowEvent(WindowEvent::Stop);
    uint32_t id = window_.id();
    if (!pumped_) {
        pumped_ = true;
        input_.syncLockKeys(sink);
    }
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == boxWakeEventType()) {
            boxes_.showPending();
            continue;
        }
        if (event.type == SDL_RENDER_TARGETS_RESET || event.type == SDL_RENDER_DEVICE_RESET) {
            // The textures lost their contents: uploaded again, and the window repainted.
            presenter_.restoreTextures();
            sink.onWindowEvent(WindowEvent::Expose);
            continue;
        }
        if (event.type == SDL_DROPFILE || event.type == SDL_DROPTEXT) {
            // Files dropped on the game's window mean nothing to a game; SDL's copy is freed.
            SDL_free(event.drop.file);
            continue;
        }
        input_.translate(event, sink);
        if (auto e = translateEvent(event, id)) {
            sink.onWindowEvent(*e);
            // Lock keys switched in another window.
            if (*e == WindowEvent::FocusGained) input_.syncLockKeys(sink);
        }
    }
}

void SdlEventPump::waitFor(Clock& clock, uint32_t ms) {
    if (clock.isVirtual()) {
        clock.sleep(ms);
        return;
    }
    // In slices, so that a stop signal (which wakes no SDL wait) is seen soon.
    constexpr uint32_t kSliceMs = 50;
    Uint64 end = SDL_GetTicks64() + ms;
    for (;;) {
        Uint64 now = SDL_GetTicks64();
        if (now >= end || stopSignalPending()) return;
        Uint64 slice = std::min<Uint64>(end - now, kSliceMs);
        if (SDL_WaitEventTimeout(nullptr, static_cast<int>(slice))) return;
    }
}

}  // namespace rs::platform::sdl
