#include "shell/start_input.h"

#include "platform/host.h"
#include "shell/engine.h"

namespace rs::shell {

HeldAtStart heldAtStart(Engine& e) {
    platform::HeldModifiers held = e.host.window().heldModifiers(kFocusWaitMs);
    return {held.shift, held.ctrl};
}

int32_t readStartInput(Engine&, int32_t) { return 0; }

void releaseKeysHeldAtStart(Engine&) {}

}  // namespace rs::shell
