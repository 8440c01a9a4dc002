// What start-up needs from the input: the modifier keys held when the game starts (Shift shows the
// notice about the last end, Ctrl the settings dialog), the game-pad reading of the stuck-input
// check, and letting go of the keys held at start so that they do not reach the game.
#pragma once

#include <cstdint>

namespace rs {
class Engine;
}

namespace rs::shell {

struct HeldAtStart {
    bool shift = false;
    bool ctrl = false;
};

// How long start-up waits for the window to get the keyboard focus before it reads the keys.
constexpr uint32_t kFocusWaitMs = 500;

// The modifier keys held as the game starts, from the window's keyboard state once it has the
// focus (at most kFocusWaitMs later).
HeldAtStart heldAtStart(Engine& e);

// ReadInput for the stuck-input check: inputs 0 and 1 are the X and Y axes, 2 to 7 buttons.
int32_t readStartInput(Engine& e, int32_t index);

// ReleaseHeldKeys: every key held now is let go.
void releaseKeysHeldAtStart(Engine& e);

}  // namespace rs::shell
