// Keyboard, mouse, typed text and the input method on SDL2: SDL's events become the engine's
// input events. Keys become Windows virtual-key codes, text becomes code page 932 characters,
// pointer positions become client pixels; the pads are SdlPads'.
#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>

#include "platform/encoding.h"
#include "platform/host.h"
#include "platform/sdl/sdl_pads.h"

namespace rs::platform::sdl {

class SdlWindow;

// The virtual key of an SDL key, 0 when the engine has none for it. Letters follow the layout
// (the key that types A is VK 'A'); the other keys go by their place on the keyboard. Without
// `numLock` the numeric pad's keys are its cursor keys (7 Home, 8 Up ... 0 Insert, . Delete).
int32_t virtualKeyFor(SDL_Scancode scancode, SDL_Keycode keycode, bool numLock);

class SdlInput {
  public:
    explicit SdlInput(SdlWindow& window) : window_(window) {}

    // Reports the input an SDL event carries (events of other windows carry none); false when
    // the event is no input event.
    bool translate(const SDL_Event& event, EventSink& sink);
    // The lock keys as the system has them now: each that differs from what the engine was told
    // is reported pressed and released (at start and when the window gets the focus back).
    void syncLockKeys(EventSink& sink);

    SdlPads& pads() { return pads_; }

  private:
    void key(const SDL_KeyboardEvent& event, EventSink& sink);
    void text(const char* utf8, EventSink& sink);
    void wheel(const SDL_MouseWheelEvent& event, EventSink& sink);
    PixelPoint toPixels(int32_t x, int32_t y) const;

    SdlWindow& window_;
    // The virtual key each held key reported, so that its release reports the same.
    std::array<int32_t, SDL_NUM_SCANCODES> downKeys_{};
    // KMOD_CAPS, KMOD_NUM and KMOD_SCROLL as the engine has them.
    uint16_t locks_ = 0;
    bool composing_ = false;
    Cp932CharacterEncoder encoder_;
    // Wheel movement below one Windows unit, carried to the next event.
    double wheelRest_ = 0;
    double hwheelRest_ = 0;
    SdlPads pads_;
};

}  // namespace rs::platform::sdl
