// Input commands: the typed-character queue, the input method, the pointer and its click
// latches, the cursor, and the keyboard, game-pad and joystick readings (shell/input.h keeps
// the state).
#include <cstdint>

#include "builtins/dispatcher.h"
#include "display/display.h"
#include "platform/host.h"
#include "runtime/fetch.h"
#include "runtime/script_thread.h"
#include "shell/engine.h"
#include "shell/input.h"

namespace rs::builtins {

namespace {

using runtime::ScriptThread;
using shell::InputState;

InputState& inputOf(Engine& e) { return *e.input; }

void cmdClearCharacters(Engine& e, ScriptThread&) { inputOf(e).characterCount = 0; }

void cmdNextCharacter(Engine& e, ScriptThread& t) {
    runtime::pushInteger(e, t, shell::takeCharacter(inputOf(e)));
}

// imepos(x, y): the composition window at that game point.
void cmdImePosition(Engine& e, ScriptThread& t) {
    int32_t y = runtime::ngetint(e, t);
    int32_t x = runtime::ngetint(e, t);
    if (t.failed) return;
    shell::placeCompositionWindow(e, x, y);
}

void cmdImeOff(Engine& e, ScriptThread&) {
    if (inputOf(e).imeOpen) inputOf(e).imeOpen = false;
}

void cmdImeOn(Engine& e, ScriptThread&) {
    if (!inputOf(e).imeOpen) inputOf(e).imeOpen = true;
}

// The click latches' selectors: 256 + 4 * latch + 0..2 read the current entry's type, x and y,
// + 3 advances the latch and gives the new entry's type.
int32_t latchSelector(InputState& in, int32_t selector) {
    shell::ClickLatch& latch = in.latches[static_cast<size_t>((selector - 256) / 4)];
    const shell::ClickLatch::Entry* entry = &latch.entries[static_cast<size_t>(latch.index)];
    switch ((selector - 256) % 4) {
        case 0: return entry->type;
        case 1: return entry->x;
        case 2: return entry->y;
        default:
            shell::advanceLatch(latch);
            return latch.entries[static_cast<size_t>(latch.index)].type;
    }
}

// mouse(selector): -1 the window is active; 0, 1 the pointer; 2, 3, 4 left, right and middle
// held; 5, 6 0; 128, 129 the wheels; 256-267 the left, right and middle click latches; else -1.
void cmdPointer(Engine& e, ScriptThread& t) {
    int32_t selector = runtime::ngetint(e, t);
    if (t.failed) return;
    InputState& in = inputOf(e);
    int32_t result = -1;
    switch (selector) {
        case -1: result = e.app.windowActive ? 1 : 0; break;
        case 0: result = e.app.mouseX; break;
        case 1: result = e.app.mouseY; break;
        case 2: result = in.leftDown; break;
        case 3: result = in.rightDown; break;
        case 4: result = in.middleDown; break;
        case 5:
        case 6: result = 0; break;
        case 128: result = in.wheel; break;
        case 129: result = in.wheelH; break;
        default:
            if (selector >= 256 && selector <= 267) result = latchSelector(in, selector);
            break;
    }
    runtime::pushInteger(e, t, result);
}

// cursor(n): 0 hides the cursor over the active window; any other value shows it, and n >= 1
// selects shape n - 1.
void cmdCursor(Engine& e, ScriptThread& t) {
    int32_t n = runtime::ngetint(e, t);
    if (t.failed) return;
    e.app.cursorMode = n == 0 ? 0 : -1;
    shell::applyCursorVisibility(e);
    if (n >= 1) shell::SetCursorShape(e, n - 1);
}

// input(n): -2 the axis threshold; -1 (after a further integer, the joystick setting, written
// before it) sets the joystick setting, reads once (detecting when it is -1) and gives the
// setting; 0-127 ReadInput; 128-191 and 192-255 joystick 0 and 1; 256-511 a virtual key (0
// while a composition is pending); 512 and above -1.
void cmdInput(Engine& e, ScriptThread& t) {
    int32_t n = runtime::ngetint(e, t);
    if (t.failed) return;
    InputState& in = inputOf(e);
    int32_t result;
    if (n == -1) {
        int32_t setting = runtime::ngetint(e, t);
        if (t.failed) return;
        in.joystickSetting = setting;
        shell::ReadInput(e, 0);
        result = in.joystickSetting;
    } else if (n < 128) {
        result = shell::ReadInput(e, n);
    } else if (n < 256) {
        result = shell::ReadJoystickEx(in, n >= 192, n < 192 ? n - 128 : n - 192);
    } else if (n < 512) {
        result = in.composing ? 0 : shell::KeyDown(in, n - 256);
    } else {
        result = -1;
    }
    runtime::pushInteger(e, t, result);
}

// setmouse(x, y): the pointer to that game point, while the window is active.
void cmdSetPointer(Engine& e, ScriptThread& t) {
    int32_t y = runtime::ngetint(e, t);
    int32_t x = runtime::ngetint(e, t);
    if (t.failed || !e.app.windowActive) return;
    e.host.window().warpPointer(e.display->view.toWindow(platform::PixelPoint{x, y}));
}

constexpr CommandEntry kInputCommands[] = {
    {154, "chrclear", cmdClearCharacters},
    {155, "inkey", cmdNextCharacter},
    {157, "imepos", cmdImePosition},
    {158, "imeoff", cmdImeOff},
    {168, "imeon", cmdImeOn},
    {260, "mouse", cmdPointer},
    {261, "cursor", cmdCursor},
    {262, "input", cmdInput},
    {264, "setmouse", cmdSetPointer},
};

}  // namespace

void registerInputCommands(CommandTable& table) { table.add(kInputCommands); }

}  // namespace rs::builtins
