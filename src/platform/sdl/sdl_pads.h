// Game pads on SDL2: the first two pads plugged in are joysticks 0 and 1 (a pad plugged in later
// takes the first free place). Pads with a controller mapping are read as controllers, with
// their buttons in the engine's order; others as raw joysticks.
//
// Controller: X and Y the left stick (the d-pad drives them to the extremes), Z both triggers
// (the left one raises it toward 65535, the right one lowers it toward 0), R and U the right
// stick's Y and X, V at rest; the point of view from the d-pad; buttons 0-10 A, B, X, Y, left
// shoulder, right shoulder, back, start, left stick, right stick, guide.
// Raw joystick: axes 0-5 as X, Y, Z, R, U, V, the first hat as the point of view (and, like the
// d-pad, X and Y), buttons 0-31.
#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>

#include "platform/host.h"

namespace rs::platform::sdl {

// The point of view of a d-pad or hat, in hundredths of degrees (kPovCentred when centred).
int32_t povFromDirections(bool up, bool right, bool down, bool left);

class SdlPads {
  public:
    // Starts SDL's game-controller subsystem; without it there are no pads.
    SdlPads();
    ~SdlPads();
    SdlPads(const SdlPads&) = delete;
    SdlPads& operator=(const SdlPads&) = delete;

    // Handles SDL's pad events (plugging, unplugging, axes, buttons, hats); false for others.
    bool translate(const SDL_Event& event, EventSink& sink);
    // The engine's pad number of an SDL joystick instance, -1 when it has none.
    int32_t padOf(SDL_JoystickID instance) const;
    bool started() const { return started_; }

  private:
    struct Slot {
        SDL_Joystick* joystick = nullptr;
        SDL_GameController* controller = nullptr;
        SDL_JoystickID instance = -1;
        // The axes and point of view, and the buttons, as the engine was last told.
        std::array<int32_t, kPadAxisCount + 1> items{};
        uint32_t buttons = 0;
    };

    void open(int deviceIndex, EventSink& sink);
    void close(int32_t pad, EventSink& sink);
    // Opens pads waiting for a free place.
    void fillFreePlaces(EventSink& sink);
    // Reads the pad and reports what changed.
    void refresh(int32_t pad, EventSink& sink);

    bool started_ = false;
    std::array<Slot, kPadCount> slots_{};
};

}  // namespace rs::platform::sdl
