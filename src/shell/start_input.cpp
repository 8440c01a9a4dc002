#include "shell/start_input.h"

#include "platform/host.h"
#include "shell/engine.h"
#include "shell/input.h"

namespace rs::shell {

namespace {

constexpr int32_t kVkShift = 0x10;
constexpr int32_t kVkControl = 0x11;

}  // namespace

HeldAtStart heldAtStart(Engine& e) {
    platform::HeldModifiers held = e.host.window().heldModifiers(kFocusWaitMs);
    // A key the input table already holds (a replayed key at time 0) counts as well.
    return {held.shift || keyHeld(*e.input, kVkShift), held.ctrl || keyHeld(*e.input, kVkControl)};
}

int32_t readStartInput(Engine& e, int32_t index) { return ReadInput(e, index); }

void releaseKeysHeldAtStart(Engine& e) { ReleaseHeldKeys(*e.input); }

}  // namespace rs::shell
