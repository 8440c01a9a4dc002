// The event pump on SDL2: SDL's window events, the engine's Alt hotkeys and the stop signals
// become window events for the engine; boxes other threads asked for are shown here.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/host.h"

union SDL_Event;

namespace rs::platform::sdl {

class SdlWindow;
class SdlPresenter;
class SdlMessageBoxes;

// The engine's own hotkeys: Alt with Return (full screen on and off) and Alt with S (a
// screenshot). Ctrl or the system key held with them, and every key without Alt, stay the game's.
std::optional<WindowEvent> hotkeyEvent(int32_t keycode, uint16_t modifiers);

// The window event an SDL event means for the game's window, if any (window events of other
// windows and everything the engine does not handle give none).
std::optional<WindowEvent> translateEvent(const SDL_Event& event, uint32_t windowId);

class SdlEventPump final : public EventPump {
  public:
    SdlEventPump(SdlWindow& window, SdlPresenter& presenter, SdlMessageBoxes& boxes)
        : window_(window), presenter_(presenter), boxes_(boxes) {}
    void pump(EventSink& sink) override;
    // On the real clock the wait ends early when an event arrives; a virtual clock just moves.
    void waitFor(Clock& clock, uint32_t ms) override;

  private:
    SdlWindow& window_;
    SdlPresenter& presenter_;
    SdlMessageBoxes& boxes_;
};

}  // namespace rs::platform::sdl
