// The main loop: runs the due script threads of the run chain each turn, presents, and sleeps
// until the main thread's next wake time.
#pragma once

#include <cstdint>
#include <functional>

namespace rs {
class Engine;
}

namespace rs::shell {

// Runs every due thread of the chain once (repeating while the main thread stays due) at time
// `now`; finished threads are unlinked and destroyed.
void runChain(Engine& e, uint32_t now);

// Step 7 of a turn: the mouse position in game pixels, from the pointer's place in the window
// through the view transform (unchanged when the host does not know the pointer).
void updateMousePosition(Engine& e);

// One turn of the loop; false when the loop must end.
bool mainLoopTurn(Engine& e);

// MainLoop: turns until the main thread is gone or the program is stopping, then closes the
// window unless it is already going. `afterTurn`, when given, is called after every turn.
void runMainLoop(Engine& e, const std::function<void()>& afterTurn = {});

// Runs at most `maxTurns` turns (tests use it with a virtual clock); true when the loop ended.
bool runTurns(Engine& e, int64_t maxTurns);

}  // namespace rs::shell
