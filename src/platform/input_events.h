// Input as the host reports it to the engine: keys by Windows virtual-key code (the numbering the
// games' scripts use), typed characters as code page 932 codes, the pointer in client-area
// pixels, the wheel in Windows units and the game pads. The SDL host translates its events into
// these; the headless host delivers what is posted to it.
#pragma once

#include <cstdint>

namespace rs::platform {

// Windows virtual-key codes: the index of a key in the engine's 256-entry keyboard table.
namespace vk {
constexpr int32_t kLButton = 0x01;
constexpr int32_t kRButton = 0x02;
constexpr int32_t kMButton = 0x04;
constexpr int32_t kXButton1 = 0x05;
constexpr int32_t kXButton2 = 0x06;
constexpr int32_t kBack = 0x08;
constexpr int32_t kTab = 0x09;
constexpr int32_t kClear = 0x0C;
constexpr int32_t kReturn = 0x0D;
constexpr int32_t kShift = 0x10;
constexpr int32_t kControl = 0x11;
constexpr int32_t kMenu = 0x12;  // Alt
constexpr int32_t kPause = 0x13;
constexpr int32_t kCapital = 0x14;  // Caps Lock
constexpr int32_t kKana = 0x15;
constexpr int32_t kKanji = 0x19;
constexpr int32_t kEscape = 0x1B;
constexpr int32_t kConvert = 0x1C;
constexpr int32_t kNonConvert = 0x1D;
constexpr int32_t kSpace = 0x20;
constexpr int32_t kPrior = 0x21;  // Page Up
constexpr int32_t kNext = 0x22;   // Page Down
constexpr int32_t kEnd = 0x23;
constexpr int32_t kHome = 0x24;
constexpr int32_t kLeft = 0x25;
constexpr int32_t kUp = 0x26;
constexpr int32_t kRight = 0x27;
constexpr int32_t kDown = 0x28;
constexpr int32_t kSnapshot = 0x2C;  // Print Screen
constexpr int32_t kInsert = 0x2D;
constexpr int32_t kDelete = 0x2E;
constexpr int32_t k0 = 0x30;  // '0'..'9' are 0x30..0x39
constexpr int32_t kA = 0x41;  // 'A'..'Z' are 0x41..0x5A
constexpr int32_t kLWin = 0x5B;
constexpr int32_t kRWin = 0x5C;
constexpr int32_t kApps = 0x5D;
constexpr int32_t kNumpad0 = 0x60;  // numeric pad 0..9 are 0x60..0x69
constexpr int32_t kMultiply = 0x6A;
constexpr int32_t kAdd = 0x6B;
constexpr int32_t kSeparator = 0x6C;
constexpr int32_t kSubtract = 0x6D;
constexpr int32_t kDecimal = 0x6E;
constexpr int32_t kDivide = 0x6F;
constexpr int32_t kF1 = 0x70;  // F1..F24 are 0x70..0x87
constexpr int32_t kNumLock = 0x90;
constexpr int32_t kScroll = 0x91;  // Scroll Lock
constexpr int32_t kLShift = 0xA0;
constexpr int32_t kRShift = 0xA1;
constexpr int32_t kLControl = 0xA2;
constexpr int32_t kRControl = 0xA3;
constexpr int32_t kLMenu = 0xA4;
constexpr int32_t kRMenu = 0xA5;
// The punctuation keys, named by their place on a US keyboard.
constexpr int32_t kOem1 = 0xBA;  // ; :
constexpr int32_t kOemPlus = 0xBB;
constexpr int32_t kOemComma = 0xBC;
constexpr int32_t kOemMinus = 0xBD;
constexpr int32_t kOemPeriod = 0xBE;
constexpr int32_t kOem2 = 0xBF;  // / ?
constexpr int32_t kOem3 = 0xC0;  // ` ~
constexpr int32_t kOem4 = 0xDB;  // [ {
constexpr int32_t kOem5 = 0xDC;  // \ | (the yen key of a Japanese keyboard)
constexpr int32_t kOem6 = 0xDD;  // ] }
constexpr int32_t kOem7 = 0xDE;  // ' "
constexpr int32_t kOem102 =
    0xE2;  // the extra key beside the left Shift (ろ on a Japanese keyboard)
}  // namespace vk

// The game pads the engine reads: the first two are joysticks 0 and 1.
constexpr int32_t kPadCount = 2;
// Axis items of a pad: X, Y, Z, R, U, V, then the point of view.
constexpr int32_t kPadAxisCount = 6;
constexpr int32_t kPadPovItem = 6;
constexpr int32_t kPadButtonCount = 32;
// Axis positions run from 0 to 65535; at rest an axis is here.
constexpr int32_t kAxisCentre = 32768;
constexpr int32_t kAxisMax = 65535;
// The point of view in hundredths of degrees clockwise from up; this when centred.
constexpr int32_t kPovCentred = 65535;

enum class MouseButton : int32_t { Left = 0, Right = 1, Middle = 2 };

enum class InputKind : int32_t {
    KeyDown,      // code: the virtual key (a repeat is another KeyDown)
    KeyUp,        // code: the virtual key
    Character,    // code: a typed character: a byte, or lead byte << 8 | trail byte
    Composition,  // code: 1 while the input method holds a composition string, 0 when not
    PointerMove,  // x, y: the pointer
    ButtonDown,   // code: the MouseButton; x, y: where
    ButtonUp,     // code: the MouseButton; x, y: where
    Wheel,        // code: the vertical wheel's delta (120 a notch, positive away from the user)
    WheelH,       // code: the horizontal wheel's delta (positive to the right)
    PadAxis,      // pad; item 0-5 an axis, 6 the point of view; value its position
    PadButton,    // pad; item the button 0-31; value 1 down, 0 up
    PadRemoved,   // pad: unplugged
    // Window events as input files carry them; the host reports these as window events.
    FocusIn,
    FocusOut,
    Close,
};

// One input event. Pointer positions are client-area pixels as the host reports them; the engine
// maps them to game pixels (input files and recordings hold game pixels).
struct InputEvent {
    InputKind kind = InputKind::KeyDown;
    int32_t code = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t pad = 0;
    int32_t item = 0;
    int32_t value = 0;

    static InputEvent key(bool down, int32_t vk) {
        return {down ? InputKind::KeyDown : InputKind::KeyUp, vk};
    }
    static InputEvent character(int32_t code) { return {InputKind::Character, code}; }
    static InputEvent composition(bool pending) {
        return {InputKind::Composition, pending ? 1 : 0};
    }
    static InputEvent pointer(int32_t x, int32_t y) { return {InputKind::PointerMove, 0, x, y}; }
    static InputEvent button(bool down, MouseButton b, int32_t x, int32_t y) {
        return {down ? InputKind::ButtonDown : InputKind::ButtonUp, static_cast<int32_t>(b), x, y};
    }
    static InputEvent wheel(bool horizontal, int32_t delta) {
        return {horizontal ? InputKind::WheelH : InputKind::Wheel, delta};
    }
    static InputEvent padAxis(int32_t pad, int32_t item, int32_t value) {
        return {InputKind::PadAxis, 0, 0, 0, pad, item, value};
    }
    static InputEvent padButton(int32_t pad, int32_t button, bool down) {
        return {InputKind::PadButton, 0, 0, 0, pad, button, down ? 1 : 0};
    }
    static InputEvent padRemoved(int32_t pad) { return {InputKind::PadRemoved, 0, 0, 0, pad}; }
    static InputEvent of(InputKind kind) { return {kind}; }

    bool operator==(const InputEvent&) const = default;
    // Pointer events carry a position.
    bool hasPosition() const {
        return kind == InputKind::PointerMove || kind == InputKind::ButtonDown ||
               kind == InputKind::ButtonUp;
    }
};

}  // namespace rs::platform
