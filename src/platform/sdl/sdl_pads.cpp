#include "platform/sdl/sdl_pads.h"

#include <algorithm>

namespace rs::platform::sdl {

namespace {

// The engine's button order of a controller.
constexpr SDL_GameControllerButton kButtonOrder[] = {
    SDL_CONTROLLER_BUTTON_A,
    SDL_CONTROLLER_BUTTON_B,
    SDL_CONTROLLER_BUTTON_X,
    SDL_CONTROLLER_BUTTON_Y,
    SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
    SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
    SDL_CONTROLLER_BUTTON_BACK,
    SDL_CONTROLLER_BUTTON_START,
    SDL_CONTROLLER_BUTTON_LEFTSTICK,
    SDL_CONTROLLER_BUTTON_RIGHTSTICK,
    SDL_CONTROLLER_BUTTON_GUIDE,
};

int32_t position(Sint16 v) { return int32_t{v} + kAxisCentre; }

struct Reading {
    std::array<int32_t, kPadAxisCount + 1> items{};
    uint32_t buttons = 0;
};

// A d-pad or hat also pushes X and Y to their extremes.
void applyDirections(Reading& r, bool up, bool right, bool down, bool left) {
    if (left != right) r.items[0] = left ? 0 : kAxisMax;
    if (up != down) r.items[1] = up ? 0 : kAxisMax;
    r.items[kPadPovItem] = povFromDirections(up, right, down, left);
}

Reading readController(SDL_GameController* c) {
    Reading r;
    auto axis = [c](SDL_GameControllerAxis a) { return SDL_GameControllerGetAxis(c, a); };
    auto button = [c](SDL_GameControllerButton b) {
        return SDL_GameControllerGetButton(c, b) != 0;
    };
    r.items[0] = position(axis(SDL_CONTROLLER_AXIS_LEFTX));
    r.items[1] = position(axis(SDL_CONTROLLER_AXIS_LEFTY));
    int32_t triggers = int32_t{axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT)} -
                       int32_t{axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT)};
    r.items[2] = std::clamp(kAxisCentre + triggers, 0, kAxisMax);
    r.items[3] = position(axis(SDL_CONTROLLER_AXIS_RIGHTY));
    r.items[4] = position(axis(SDL_CONTROLLER_AXIS_RIGHTX));
    r.items[5] = kAxisCentre;
    applyDirections(
        r, button(SDL_CONTROLLER_BUTTON_DPAD_UP), button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT),
        button(SDL_CONTROLLER_BUTTON_DPAD_DOWN), button(SDL_CONTROLLER_BUTTON_DPAD_LEFT));
    for (size_t i = 0; i < std::size(kButtonOrder); ++i) {
        if (button(kButtonOrder[i])) r.buttons |= 1u << i;
    }
    return r;
}

Reading readJoystick(SDL_Joystick* j) {
    Reading r;
    int axes = SDL_JoystickNumAxes(j);
    for (int k = 0; k < kPadAxisCount; ++k)
        r.items[static_cast<size_t>(k)] =
            k < axes ? position(SDL_JoystickGetAxis(j, k)) : kAxisCentre;
    r.items[kPadPovItem] = kPovCentred;
    if (SDL_JoystickNumHats(j) > 0) {
        Uint8 hat = SDL_JoystickGetHat(j, 0);
        applyDirections(r, hat & SDL_HAT_UP, hat & SDL_HAT_RIGHT, hat & SDL_HAT_DOWN,
                        hat & SDL_HAT_LEFT);
    }
    int buttons = std::min(SDL_JoystickNumButtons(j), kPadButtonCount);
    for (int b = 0; b < buttons; ++b) {
        if (SDL_JoystickGetButton(j, b)) r.buttons |= 1u << b;
    }
    return r;
}

}  // namespace

int32_t povFromDirections(bool up, bool right, bool down, bool left) {
    int dx = (right && !left) - (left && !right);
    int dy = (down && !up) - (up && !down);
    // Clockwise from up, in eighths of a turn.
    static const int32_t kPov[3][3] = {
        {31500, 0, 4500},  // up-left, up, up-right
        {27000, kPovCentred, 9000},
        {22500, 18000, 13500},  // down-left, down, down-right
    };
    return kPov[dy + 1][dx + 1];
}

SdlPads::SdlPads() {
    // Pads are read whether or not the window has the focus, as the system's joystick readings
    // are; the engine's own rules decide what an inactive window sees.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    started_ = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
}

SdlPads::~SdlPads() {
    if (!started_) return;
    for (Slot& s : slots_) {
        if (s.controller) {
            SDL_GameControllerClose(s.controller);
        } else if (s.joystick) {
            SDL_JoystickClose(s.joystick);
        }
    }
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

int32_t SdlPads::padOf(SDL_JoystickID instance) const {
    for (int32_t p = 0; p < kPadCount; ++p) {
        if (slots_[static_cast<size_t>(p)].joystick &&
            slots_[static_cast<size_t>(p)].instance == instance)
            return p;
    }
    return -1;
}

void SdlPads::open(int deviceIndex, EventSink& sink) {
    SDL_JoystickID instance = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    if (instance < 0 || padOf(instance) >= 0) return;
    auto free =
        std::find_if(slots_.begin(), slots_.end(), [](const Slot& s) { return !s.joystick; });
    if (free == slots_.end()) return;
    Slot s;
    if (SDL_IsGameController(deviceIndex)) {
        s.controller = SDL_GameControllerOpen(deviceIndex);
        if (s.controller) s.joystick = SDL_GameControllerGetJoystick(s.controller);
    }
    if (!s.joystick) s.joystick = SDL_JoystickOpen(deviceIndex);
    if (!s.joystick) return;
    s.instance = SDL_JoystickInstanceID(s.joystick);
    // Every item is reported once: the pad is there from its first event.
    s.items.fill(-1);
    *free = s;
    refresh(static_cast<int32_t>(free - slots_.begin()), sink);
}

void SdlPads::close(int32_t pad, EventSink& sink) {
    Slot& s = slots_[static_cast<size_t>(pad)];
    if (s.controller) {
        SDL_GameControllerClose(s.controller);
    } else if (s.joystick) {
        SDL_JoystickClose(s.joystick);
    }
    s = Slot{};
    sink.onInputEvent(InputEvent::padRemoved(pad));
}

void SdlPads::fillFreePlaces(EventSink& sink) {
    int n = SDL_NumJoysticks();
    for (int i = 0; i < n; ++i) open(i, sink);
}

void SdlPads::refresh(int32_t pad, EventSink& sink) {
    Slot& s = slots_[static_cast<size_t>(pad)];
    if (!s.joystick) return;
    Reading r = s.controller ? readController(s.controller) : readJoystick(s.joystick);
    for (int32_t k = 0; k <= kPadAxisCount; ++k) {
        int32_t& told = s.items[static_cast<size_t>(k)];
        if (told != r.items[static_cast<size_t>(k)]) {
            told = r.items[static_cast<size_t>(k)];
            sink.onInputEvent(InputEvent::padAxis(pad, k, told));
        }
    }
    uint32_t changed = s.buttons ^ r.buttons;
    for (int32_t b = 0; b < kPadButtonCount; ++b) {
        if (changed >> b & 1) sink.onInputEvent(InputEvent::padButton(pad, b, r.buttons >> b & 1));
    }
    s.buttons = r.buttons;
}

bool SdlPads::translate(const SDL_Event& event, EventSink& sink) {
    if (!started_) return false;
    switch (event.type) {
        case SDL_JOYDEVICEADDED: open(event.jdevice.which, sink); return true;
        case SDL_JOYDEVICEREMOVED: {
            int32_t pad = padOf(event.jdevice.which);
            if (pad >= 0) {
                close(pad, sink);
                fillFreePlaces(sink);
            }
            return true;
        }
        case SDL_JOYAXISMOTION:
        case SDL_JOYHATMOTION:
        case SDL_JOYBUTTONDOWN:
        case SDL_JOYBUTTONUP: {
            // Every pad event has its instance at the same place.
            int32_t pad = padOf(event.jaxis.which);
            if (pad >= 0) refresh(pad, sink);
            return true;
        }
        case SDL_CONTROLLERAXISMOTION:
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
        case SDL_CONTROLLERDEVICEREMAPPED: {
            int32_t pad = padOf(event.caxis.which);
            if (pad >= 0) refresh(pad, sink);
            return true;
        }
        case SDL_CONTROLLERDEVICEADDED:
        case SDL_CONTROLLERDEVICEREMOVED:
        case SDL_JOYBALLMOTION: return true;
        default: return false;
    }
}

}  // namespace rs::platform::sdl
