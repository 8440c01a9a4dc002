// The input state scripts poll: the keyboard table of 256 virtual keys, the mouse (position,
// buttons held, three click latches, the wheel), the typed-character queue, the game pads and
// the input method's state; the window procedure's input messages that fill it; and the readings
// computed from it (ReadInput, KeyDown, ReadJoystickEx).
//
// Other parts of the engine use: keyHeld (Shift or Ctrl held at start), ReadInput (the
// stuck-joystick check), ReleaseHeldKeys, RefreshMouseButtons, and `joystickSetting`, which the
// configuration reads and writes.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "platform/input_events.h"

namespace rs {
class Engine;
}

namespace rs::shell {

class InputLog;

// The axis threshold of ReadInput: a joystick beyond it counts as pushed.
constexpr int32_t kAxisThreshold = 30000;
// What ReadInput gives for an axis pushed to one side.
constexpr int32_t kAxisReading = 32000;
constexpr int32_t kClickLatchSize = 16;
constexpr int32_t kCharacterQueueSize = 256;

// A keyboard table entry: bit 7 the key is held, bit 0 it is toggled on (Caps, Num and Scroll
// Lock).
constexpr uint8_t kKeyHeld = 0x80;
constexpr uint8_t kKeyToggled = 0x01;

// The clicks of one mouse button that the script has not taken yet: a new click overwrites the
// current entry until the script advances the latch.
struct ClickLatch {
    struct Entry {
        int32_t type = 0;  // 0 none, 1 left, 2 right, 3 middle
        int32_t x = 0;
        int32_t y = 0;
    };
    std::array<Entry, kClickLatchSize> entries{};
    int32_t index = 0;
};

// One game pad as the engine last saw it. A pad is present from its first event until it is
// unplugged.
struct PadState {
    bool present = false;
    std::array<int32_t, platform::kPadAxisCount> axes{};  // 0..65535
    int32_t pov = platform::kPovCentred;
    uint32_t buttons = 0;  // bit n: button n held
};

struct InputState {
    InputState();
    ~InputState();

    std::array<uint8_t, 256> keys{};
    int32_t leftDown = 0;
    int32_t middleDown = 0;
    int32_t rightDown = 0;
    // Left, right and middle.
    std::array<ClickLatch, 3> latches{};
    int32_t wheel = 0;
    int32_t wheelH = 0;
    std::array<uint16_t, kCharacterQueueSize> characters{};
    int32_t characterCount = 0;

    // -1 detect at the next reading, 0 off, 1 on (the configuration's joystick line).
    int32_t joystickSetting = 0;
    // The pad ReadInput merges: the one detection found, else the first.
    int32_t joystickIndex = 0;
    std::array<PadState, platform::kPadCount> pads{};

    // The engine's input-method state: the game starts with it closed. On Linux the platform's
    // input method itself is switched by the player's own hot key.
    bool imeOpen = false;
    // True while the input method holds a composition string.
    bool composing = false;
    // The game point the script placed the composition window at (157), if any.
    bool imePointSet = false;
    int32_t imeX = 0;
    int32_t imeY = 0;

    // The cursor shape last set (0 the arrow).
    int32_t cursorShape = 0;

    // Replayed and recorded input (shell/input_log.h).
    std::unique_ptr<InputLog> log;
};

bool keyHeld(const InputState& input, int32_t virtualKey);
bool keyToggled(const InputState& input, int32_t virtualKey);

// The window procedure's part for one input event; pointer positions in game pixels.
void applyInput(Engine& e, const platform::InputEvent& event);

// ReadInput: the merged game-pad reading of keyboard and joystick (see the table in input.cpp).
int32_t ReadInput(Engine& e, int32_t index);
// KeyDown: 1 when the key (taken modulo 256) is held.
int32_t KeyDown(const InputState& input, int32_t virtualKey);
// ReadJoystickEx: item `index` of joystick 1 (`second`) or 0; -1 when that pad is not there.
int32_t ReadJoystickEx(const InputState& input, bool second, int32_t index);
// RefreshMouseButtons: leftDown, middleDown and rightDown from the keyboard table's buttons.
void RefreshMouseButtons(InputState& input);
// ReleaseHeldKeys: every held key is let go (toggles stay), so that keys held at start do not
// reach the game.
void ReleaseHeldKeys(InputState& input);
// SetCursorShape: 0 arrow, 1 wait, 2-13 the engine's own cursors; other values change nothing.
void SetCursorShape(Engine& e, int32_t shape);
// WM_NCHITTEST's part: the cursor is hidden over the client area of the active window while
// cursorMode is 0, shown otherwise.
void applyCursorVisibility(Engine& e);
// WM_ACTIVATE: losing the focus lets go of the left and right buttons; either way the cursor
// follows.
void onActivation(Engine& e, bool active);

// The typed-character queue: the oldest character and the rest shifted down (0 when empty).
int32_t takeCharacter(InputState& input);
// Takes the current click of a latch: its entry is emptied and the next one becomes current.
void advanceLatch(ClickLatch& latch);

// The composition window at the game point (x, y), mapped to the window; placed again whenever
// the picture moves in the window.
void placeCompositionWindow(Engine& e, int32_t x, int32_t y);
void updateCompositionWindow(Engine& e);

}  // namespace rs::shell
