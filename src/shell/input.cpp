#include "shell/input.h"

#include <algorithm>

#include "display/display.h"
#include "platform/cursor_pictures.h"
#include "platform/host.h"
#include "shell/engine.h"
#include "shell/input_log.h"
#include "shell/window_events.h"

namespace rs::shell {

namespace {

namespace vk = platform::vk;
using platform::InputKind;

PadState restingPad() {
    PadState p;
    p.axes.fill(platform::kAxisCentre);
    return p;
}

// The generic code of a left or right modifier key, or 0.
int32_t genericOf(int32_t key) {
    switch (key) {
        case vk::kLShift:
        case vk::kRShift: return vk::kShift;
        case vk::kLControl:
        case vk::kRControl: return vk::kControl;
        case vk::kLMenu:
        case vk::kRMenu: return vk::kMenu;
        default: return 0;
    }
}

// The left key of a generic modifier code, or 0.
int32_t leftOf(int32_t key) {
    switch (key) {
        case vk::kShift: return vk::kLShift;
        case vk::kControl: return vk::kLControl;
        case vk::kMenu: return vk::kLMenu;
        default: return 0;
    }
}

void setHeld(InputState& in, int32_t key, bool held) {
    uint8_t& k = in.keys[static_cast<size_t>(key & 0xFF)];
    k = held ? (k | kKeyHeld) : (k & ~kKeyHeld);
}

// The keyboard table as Windows keeps it: the generic Shift, Ctrl and Alt are held while either
// side is; a lock key's toggle flips each time it goes down.
void pressKey(InputState& in, int32_t key, bool down) {
    key &= 0xFF;
    bool wasHeld = keyHeld(in, key);
    if (int32_t generic = genericOf(key)) {
        setHeld(in, key, down);
        int32_t left = leftOf(generic);
        setHeld(in, generic, keyHeld(in, left) || keyHeld(in, left + 1));
    } else if (int32_t left = leftOf(key)) {
        // A generic code alone stands for the left key (what a recording or a person writes).
        setHeld(in, key, down);
        setHeld(in, left, down);
        if (!down) setHeld(in, left + 1, false);
    } else {
        setHeld(in, key, down);
    }
    if (down && !wasHeld && (key == vk::kCapital || key == vk::kNumLock || key == vk::kScroll))
        in.keys[static_cast<size_t>(key)] ^= kKeyToggled;
}

void queueCharacter(InputState& in, int32_t code) {
    // A full queue drops the character.
    if (in.characterCount >= kCharacterQueueSize) return;
    in.characters[static_cast<size_t>(in.characterCount++)] = static_cast<uint16_t>(code);
}

// Windows' message translation: these keys also type a control character, except with Alt held
// (without Ctrl), which makes them system keys.
void translateKey(InputState& in, int32_t key) {
    if (keyHeld(in, vk::kMenu) && !keyHeld(in, vk::kControl)) return;
    switch (key) {
        case vk::kBack: queueCharacter(in, 0x08); break;
        case vk::kTab: queueCharacter(in, 0x09); break;
        case vk::kReturn: queueCharacter(in, 0x0D); break;
        case vk::kEscape: queueCharacter(in, 0x1B); break;
        default: break;
    }
}

void movePointer(Engine& e, int32_t x, int32_t y) {
    e.app.mouseX = x;
    e.app.mouseY = y;
    RefreshMouseButtons(*e.input);
    applyCursorVisibility(e);
}

void pressButton(Engine& e, const platform::InputEvent& ev, bool down) {
    InputState& in = *e.input;
    if (ev.x != e.app.mouseX || ev.y != e.app.mouseY) movePointer(e, ev.x, ev.y);
    auto button = static_cast<platform::MouseButton>(ev.code);
    int32_t latch, key;
    switch (button) {
        case platform::MouseButton::Left:
            latch = 0;
            key = vk::kLButton;
            break;
        case platform::MouseButton::Right:
            latch = 1;
            key = vk::kRButton;
            break;
        case platform::MouseButton::Middle:
            latch = 2;
            key = vk::kMButton;
            break;
        default: return;
    }
    if (down) {
        ClickLatch& l = in.latches[static_cast<size_t>(latch)];
        l.entries[static_cast<size_t>(l.index)] = {latch + 1, ev.x, ev.y};
    }
    setHeld(in, key, down);
    if (button == platform::MouseButton::Middle) {
        in.middleDown = down ? 1 : 0;
    } else {
        RefreshMouseButtons(in);
    }
}

void padEvent(InputState& in, const platform::InputEvent& ev) {
    if (ev.pad < 0 || ev.pad >= platform::kPadCount) return;
    PadState& p = in.pads[static_cast<size_t>(ev.pad)];
    if (ev.kind == InputKind::PadRemoved) {
        p = restingPad();
        return;
    }
    if (!p.present) p = restingPad();
    p.present = true;
    int32_t value = std::clamp(ev.value, 0, platform::kAxisMax);
    if (ev.kind == InputKind::PadAxis) {
        if (ev.item >= 0 && ev.item < platform::kPadAxisCount) {
            p.axes[static_cast<size_t>(ev.item)] = value;
        } else if (ev.item == platform::kPadPovItem) {
            p.pov = value;
        }
    } else if (ev.item >= 0 && ev.item < platform::kPadButtonCount) {
        uint32_t bit = 1u << ev.item;
        p.buttons = ev.value ? (p.buttons | bit) : (p.buttons & ~bit);
    }
}

// Joystick detection: the first pad that answers becomes the joystick.
void detectJoystick(InputState& in) {
    in.joystickSetting = 0;
    for (int32_t j = 0; j < platform::kPadCount; ++j) {
        if (in.pads[static_cast<size_t>(j)].present) {
            in.joystickSetting = 1;
            in.joystickIndex = j;
            return;
        }
    }
}

int32_t axisReading(int32_t keyboard, int32_t position) {
    int32_t centred = position - platform::kAxisCentre;
    if (centred < -kAxisThreshold) return -kAxisReading;
    if (centred > kAxisThreshold) return kAxisReading;
    return keyboard;
}

}  // namespace

InputState::InputState() : log(std::make_unique<InputLog>()) { pads.fill(restingPad()); }
InputState::~InputState() = default;

bool keyHeld(const InputState& input, int32_t virtualKey) {
    return (input.keys[static_cast<size_t>(virtualKey & 0xFF)] & kKeyHeld) != 0;
}

bool keyToggled(const InputState& input, int32_t virtualKey) {
    return (input.keys[static_cast<size_t>(virtualKey & 0xFF)] & kKeyToggled) != 0;
}

void applyInput(Engine& e, const platform::InputEvent& ev) {
    InputState& in = *e.input;
    switch (ev.kind) {
        case InputKind::KeyDown:
            pressKey(in, ev.code, true);
            translateKey(in, ev.code & 0xFF);
            break;
        case InputKind::KeyUp: pressKey(in, ev.code, false); break;
        case InputKind::Character:
            if (ev.code > 0 && ev.code <= 0xFFFF) queueCharacter(in, ev.code);
            break;
        case InputKind::Composition: in.composing = ev.code != 0; break;
        case InputKind::PointerMove: movePointer(e, ev.x, ev.y); break;
        case InputKind::ButtonDown: pressButton(e, ev, true); break;
        case InputKind::ButtonUp: pressButton(e, ev, false); break;
        // The totals wrap around as 32-bit sums.
        case InputKind::Wheel:
            in.wheel = static_cast<int32_t>(static_cast<uint32_t>(in.wheel) +
                                            static_cast<uint32_t>(ev.code));
            break;
        case InputKind::WheelH:
            in.wheelH = static_cast<int32_t>(static_cast<uint32_t>(in.wheelH) +
                                             static_cast<uint32_t>(ev.code));
            break;
        case InputKind::PadAxis:
        case InputKind::PadButton:
        case InputKind::PadRemoved: padEvent(in, ev); break;
        case InputKind::FocusIn: handleWindowEvent(e, platform::WindowEvent::FocusGained); break;
        case InputKind::FocusOut: handleWindowEvent(e, platform::WindowEvent::FocusLost); break;
        case InputKind::Close: handleWindowEvent(e, platform::WindowEvent::Close); break;
    }
}

// The merged reading:
//   -2  the axis threshold 30000       -1  0
//    0  X: (Right - Left) x 32000, or the joystick's X beyond the threshold
//    1  Y: (Down - Up) x 32000, or the joystick's Y beyond the threshold
//    2  Enter or Z          | button bit 0     6  Shift or S                        | bit 4
//    3  pad 0, Escape or X  | bit 1            7  Ctrl, Home, D, Scroll Lock on     | bit 5
//    4  Space or C          | bit 2            8  Pause                             | bit 6
//    5  A                   | bit 3
//    9  the wheel (read even while the window is inactive), 10 the horizontal wheel, other -1.
// While the window is inactive every index but 9 reads 0.
int32_t ReadInput(Engine& e, int32_t index) {
    InputState& in = *e.input;
    if (index != 9 && !e.app.windowActive) return 0;
    if (in.joystickSetting < 0) detectJoystick(in);
    // A pad that is not there reads as centred with no button held.
    PadState pad = restingPad();
    if (in.joystickSetting == 1) {
        const PadState& p = in.pads[static_cast<size_t>(in.joystickIndex & 1)];
        if (p.present) pad = p;
    }
    auto held = [&](int32_t key) { return keyHeld(in, key); };
    auto button = [&](bool keyboard, int32_t bit) {
        return (keyboard || (pad.buttons >> bit & 1)) ? 1 : 0;
    };
    switch (index) {
        case -2: return kAxisThreshold;
        case -1: return 0;
        case 0:
            return axisReading((held(vk::kRight) - held(vk::kLeft)) * kAxisReading, pad.axes[0]);
        case 1: return axisReading((held(vk::kDown) - held(vk::kUp)) * kAxisReading, pad.axes[1]);
        case 2: return button(held(vk::kReturn) || held('Z'), 0);
        case 3: return button(held(vk::kNumpad0) || held(vk::kEscape) || held('X'), 1);
        case 4: return button(held(vk::kSpace) || held('C'), 2);
        case 5: return button(held('A'), 3);
        case 6: return button(held(vk::kShift) || held('S'), 4);
        case 7:
            return button(
                held(vk::kControl) || held(vk::kHome) || held('D') || keyToggled(in, vk::kScroll),
                5);
        case 8: return button(held(vk::kPause), 6);
        case 9: return in.wheel;
        case 10: return in.wheelH;
        default: return -1;
    }
}

int32_t KeyDown(const InputState& input, int32_t virtualKey) {
    return keyHeld(input, virtualKey) ? 1 : 0;
}

//  0-5  the X, Y, Z, R, U, V positions minus 32768; 6 the point of view; 8-39 button (index - 8)
//  as 0/1; -1, 7 and others 0.
int32_t ReadJoystickEx(const InputState& input, bool second, int32_t index) {
    const PadState& p = input.pads[second ? 1 : 0];
    if (!p.present) return -1;
    if (index >= 0 && index < platform::kPadAxisCount)
        return p.axes[static_cast<size_t>(index)] - platform::kAxisCentre;
    if (index == platform::kPadPovItem) return p.pov;
    if (index >= 8 && index < 8 + platform::kPadButtonCount) return (p.buttons >> (index - 8)) & 1;
    return 0;
}

void RefreshMouseButtons(InputState& input) {
    input.leftDown = keyHeld(input, vk::kLButton) ? 1 : 0;
    input.middleDown = keyHeld(input, vk::kMButton) ? 1 : 0;
    input.rightDown = keyHeld(input, vk::kRButton) ? 1 : 0;
}

void ReleaseHeldKeys(InputState& input) {
    for (uint8_t& k : input.keys) k &= ~kKeyHeld;
}

void SetCursorShape(Engine& e, int32_t shape) {
    if (shape < 0 || shape > platform::kLastOwnCursor) return;
    e.input->cursorShape = shape;
    e.host.window().setCursorShape(shape);
}

void applyCursorVisibility(Engine& e) {
    e.host.window().setCursorHidden(e.app.cursorMode == 0 && e.app.windowActive != 0);
}

void onActivation(Engine& e, bool active) {
    if (!active) {
        InputState& in = *e.input;
        in.leftDown = in.rightDown = 0;
        // The buttons' releases may never reach an inactive window: they count as let go, or
        // the next refresh would find them held again.
        setHeld(in, vk::kLButton, false);
        setHeld(in, vk::kRButton, false);
    }
    applyCursorVisibility(e);
}

int32_t takeCharacter(InputState& input) {
    if (input.characterCount <= 0) return 0;
    int32_t c = input.characters[0];
    std::copy(input.characters.begin() + 1, input.characters.begin() + input.characterCount,
              input.characters.begin());
    --input.characterCount;
    return c;
}

void advanceLatch(ClickLatch& latch) {
    latch.entries[static_cast<size_t>(latch.index)].type = 0;
    latch.index = (latch.index + 1) % kClickLatchSize;
}

void placeCompositionWindow(Engine& e, int32_t x, int32_t y) {
    InputState& in = *e.input;
    in.imePointSet = true;
    in.imeX = x;
    in.imeY = y;
    updateCompositionWindow(e);
}

void updateCompositionWindow(Engine& e) {
    const InputState& in = *e.input;
    if (!in.imePointSet) return;
    e.host.window().setTextInputRect(
        e.display->view.toWindow(platform::PixelRect{in.imeX, in.imeY, 0, 0}));
}

}  // namespace rs::shell
