// Input through SDL: keys as virtual keys (by layout for letters, by place for the rest, the
// numeric pad with and without Num Lock, the Japanese keys), the Alt hotkeys that still hold
// their keys but type nothing, typed text as code page 932 characters, the input method's
// composition, the mouse mapped through the view with its buttons and wheel, game pads through
// SDL's virtual joysticks with hot-plugging, the cursor, and a replay in a window. Events are
// pushed into SDL's queue as the window system would send them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/scene_support.h"
#include "platform/sdl/sdl_input.h"
#include "shell/input.h"
#include "shell/input_support.h"
#include "support/program_run.h"
#include "window/window_game.h"

namespace rs::test {
namespace {

namespace vk = platform::vk;
using platform::PixelPoint;
using platform::PixelRect;

class InputWindow : public WindowGame {
  public:
    shell::InputState& in() { return *engine().input; }
    int32_t run(const char* name, std::initializer_list<Arg> args = {}) {
        return command(engine(), name, args);
    }
    int32_t key(int32_t k) { return run("input", {256 + k}); }

    void pushEditing(const std::string& utf8) {
        SDL_Event e{};
        e.type = SDL_TEXTEDITING;
        e.edit.windowID = window().id();
        std::snprintf(e.edit.text, sizeof e.edit.text, "%s", utf8.c_str());
        SDL_PushEvent(&e);
    }
    void pushMotion(int32_t x, int32_t y) {
        SDL_Event e{};
        e.type = SDL_MOUSEMOTION;
        e.motion.windowID = window().id();
        e.motion.x = x;
        e.motion.y = y;
        SDL_PushEvent(&e);
    }
    void pushButton(bool down, Uint8 button, int32_t x, int32_t y) {
        SDL_Event e{};
        e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        e.button.windowID = window().id();
        e.button.button = button;
        e.button.x = x;
        e.button.y = y;
        SDL_PushEvent(&e);
    }
    void pushWheel(float dy, float dx, bool flipped = false) {
        SDL_Event e{};
        e.type = SDL_MOUSEWHEEL;
        e.wheel.windowID = window().id();
        e.wheel.preciseY = dy;
        e.wheel.preciseX = dx;
        e.wheel.direction = flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
        SDL_PushEvent(&e);
    }
    void pump() { engine().pumpMessages(); }
};

TEST(SdlKeys, VirtualKeysByLayoutForLettersAndByPlaceForTheRest) {
    using platform::sdl::virtualKeyFor;
    struct Case {
        SDL_Scancode scancode;
        SDL_Keycode keycode;
        bool numLock;
        int32_t expected;
    };
    const Case cases[] = {
        {SDL_SCANCODE_A, SDLK_a, true, 'A'},
        {SDL_SCANCODE_Q, SDLK_a, true, 'A'},  // the key that types A on a French layout
        {SDL_SCANCODE_W, 0x0446, true, 'W'},  // a Cyrillic layout: the letter's place
        {SDL_SCANCODE_1, SDLK_AMPERSAND, true, '1'},
        {SDL_SCANCODE_0, SDLK_0, true, '0'},
        {SDL_SCANCODE_F1, SDLK_F1, true, vk::kF1},
        {SDL_SCANCODE_F12, SDLK_F12, true, vk::kF1 + 11},
        {SDL_SCANCODE_F13, SDLK_F13, true, vk::kF1 + 12},
        {SDL_SCANCODE_F24, SDLK_F24, true, vk::kF1 + 23},
        {SDL_SCANCODE_KP_0, SDLK_KP_0, true, vk::kNumpad0},
        {SDL_SCANCODE_KP_0, SDLK_KP_0, false, vk::kInsert},
        {SDL_SCANCODE_KP_7, SDLK_KP_7, true, vk::kNumpad0 + 7},
        {SDL_SCANCODE_KP_7, SDLK_KP_7, false, vk::kHome},
        {SDL_SCANCODE_KP_5, SDLK_KP_5, false, vk::kClear},
        {SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, true, vk::kDecimal},
        {SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, false, vk::kDelete},
        {SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, true, vk::kReturn},
        {SDL_SCANCODE_KP_DIVIDE, SDLK_KP_DIVIDE, false, vk::kDivide},
        {SDL_SCANCODE_RETURN, SDLK_RETURN, true, vk::kReturn},
        {SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, true, vk::kEscape},
        {SDL_SCANCODE_SPACE, SDLK_SPACE, true, vk::kSpace},
        {SDL_SCANCODE_TAB, SDLK_TAB, true, vk::kTab},
        {SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, true, vk::kBack},
        {SDL_SCANCODE_PAUSE, SDLK_PAUSE, true, vk::kPause},
        {SDL_SCANCODE_SCROLLLOCK, SDLK_SCROLLLOCK, true, vk::kScroll},
        {SDL_SCANCODE_CAPSLOCK, SDLK_CAPSLOCK, true, vk::kCapital},
        {SDL_SCANCODE_NUMLOCKCLEAR, SDLK_NUMLOCKCLEAR, true, vk::kNumLock},
        {SDL_SCANCODE_LEFT, SDLK_LEFT, true, vk::kLeft},
        {SDL_SCANCODE_PAGEUP, SDLK_PAGEUP, true, vk::kPrior},
        {SDL_SCANCODE_PAGEDOWN, SDLK_PAGEDOWN, true, vk::kNext},
        {SDL_SCANCODE_INSERT, SDLK_INSERT, true, vk::kInsert},
        {SDL_SCANCODE_DELETE, SDLK_DELETE, true, vk::kDelete},
        {SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, true, vk::kLShift},
        {SDL_SCANCODE_RCTRL, SDLK_RCTRL, true, vk::kRControl},
        {SDL_SCANCODE_RALT, SDLK_RALT, true, vk::kRMenu},
        {SDL_SCANCODE_LGUI, SDLK_LGUI, true, vk::kLWin},
        {SDL_SCANCODE_SEMICOLON, SDLK_SEMICOLON, true, vk::kOem1},
        {SDL_SCANCODE_GRAVE, SDLK_BACKQUOTE, true, vk::kOem3},
        {SDL_SCANCODE_INTERNATIONAL1, 0, true, vk::kOem102},
        {SDL_SCANCODE_INTERNATIONAL2, 0, true, vk::kKana},
        {SDL_SCANCODE_INTERNATIONAL3, 0, true, vk::kOem5},
        {SDL_SCANCODE_INTERNATIONAL4, 0, true, vk::kConvert},
        {SDL_SCANCODE_INTERNATIONAL5, 0, true, vk::kNonConvert},
        {SDL_SCANCODE_LANG1, 0, true, vk::kKana},
        {SDL_SCANCODE_LANG2, 0, true, vk::kKanji},
        {SDL_SCANCODE_UNKNOWN, SDLK_UNKNOWN, true, 0},
        {SDL_SCANCODE_VOLUMEUP, SDLK_VOLUMEUP, true, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(virtualKeyFor(c.scancode, c.keycode, c.numLock), c.expected)
            << SDL_GetScancodeName(c.scancode) << " " << c.numLock;
    }
}

TEST(SdlKeys, KeyEventsFillTheKeyboardTable) {
    InputWindow g;
    g.pushKey(true, SDL_SCANCODE_Z, SDLK_z);
    g.pushKey(true, SDL_SCANCODE_RSHIFT, SDLK_RSHIFT);
    g.pushKey(true, SDL_SCANCODE_INTERNATIONAL4, 0);
    g.pushKey(true, SDL_SCANCODE_F13, SDLK_F13);
    g.pushKey(true, SDL_SCANCODE_X, SDLK_x, KMOD_NONE, false, g.window().id() + 100);
    g.pump();
    EXPECT_EQ(g.key('Z'), 1);
    EXPECT_EQ(g.key(vk::kShift), 1);
    EXPECT_EQ(g.key(vk::kRShift), 1);
    EXPECT_EQ(g.key(vk::kConvert), 1);
    EXPECT_EQ(g.key(vk::kF1 + 12), 1);
    EXPECT_EQ(g.key('X'), 0);  // another window's key
    EXPECT_EQ(g.run("input", {2}), 1);
    EXPECT_EQ(g.run("input", {6}), 1);
    // A key released after Num Lock changed lets go of what it pressed.
    g.pushKey(true, SDL_SCANCODE_KP_8, SDLK_KP_8, KMOD_NUM);
    g.pump();
    EXPECT_EQ(g.key(vk::kNumpad0 + 8), 1);
    g.pushKey(false, SDL_SCANCODE_KP_8, SDLK_KP_8, KMOD_NONE);
    g.pushKey(false, SDL_SCANCODE_RSHIFT, SDLK_RSHIFT);
    g.pump();
    EXPECT_EQ(g.key(vk::kNumpad0 + 8), 0);
    EXPECT_EQ(g.key(vk::kUp), 0);
    EXPECT_EQ(g.key(vk::kShift), 0);
    // Held Backspace repeats its character; a lock key toggles once however long it is held.
    g.pushKey(true, SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE);
    g.pushKey(true, SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, KMOD_NONE, true);
    g.pushKey(true, SDL_SCANCODE_SCROLLLOCK, SDLK_SCROLLLOCK);
    g.pushKey(true, SDL_SCANCODE_SCROLLLOCK, SDLK_SCROLLLOCK, KMOD_NONE, true);
    g.pushKey(false, SDL_SCANCODE_SCROLLLOCK, SDLK_SCROLLLOCK);
    g.pump();
    EXPECT_EQ(g.run("inkey"), 0x08);
    EXPECT_EQ(g.run("inkey"), 0x08);
    EXPECT_EQ(g.run("inkey"), 0);
    EXPECT_TRUE(shell::keyToggled(g.in(), vk::kScroll));
    EXPECT_EQ(g.run("input", {7}), 1);
}

TEST(SdlKeys, AltHotkeysHoldTheirKeysButTypeNothing) {
    InputWindow g;
    g.run("screen", {320, 240, 0, 4});
    g.settle();
    g.pushKey(true, SDL_SCANCODE_LALT, SDLK_LALT, KMOD_LALT);
    g.pushKey(true, SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LALT);
    g.pump();
    EXPECT_EQ(g.engine().display->mode.fullScreenState, 1);
    EXPECT_EQ(g.key(vk::kReturn), 1);  // the key is held, as Windows records a system key
    EXPECT_EQ(g.key(vk::kMenu), 1);
    EXPECT_EQ(g.run("inkey"), 0);  // but it types no character
    // Text typed with Alt held is a system character: it never reaches the game.
    SDL_SetModState(KMOD_LALT);
    g.pushText("s");
    g.pump();
    EXPECT_EQ(g.run("inkey"), 0);
    SDL_SetModState(static_cast<SDL_Keymod>(KMOD_LALT | KMOD_LCTRL));  // AltGr on Windows
    g.pushText("@");
    SDL_SetModState(KMOD_NONE);
    g.pump();
    g.pushText("s");
    g.pump();
    EXPECT_EQ(g.run("inkey"), '@');
    EXPECT_EQ(g.run("inkey"), 's');
    EXPECT_EQ(g.run("inkey"), 0);
    g.pushKey(false, SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LALT);
    g.pushKey(false, SDL_SCANCODE_LALT, SDLK_LALT);
    g.pushKey(true, SDL_SCANCODE_RETURN, SDLK_RETURN);
    g.pump();
    EXPECT_EQ(g.engine().display->mode.fullScreenState, 1);  // Enter alone is the game's
    EXPECT_EQ(g.run("inkey"), 0x0D);
}

TEST(SdlText, TypedTextAndTheInputMethod) {
    InputWindow g;
    g.pushText(u8(u8"あい😀ｱ"));
    g.pump();
    for (int32_t c : {0x82A0, 0x82A2, 0xB1, 0}) EXPECT_EQ(g.run("inkey"), c);
    // While a composition is pending, key queries read 0.
    g.pushKey(true, SDL_SCANCODE_K, SDLK_k);
    g.pushEditing(u8(u8"か"));
    g.pump();
    EXPECT_TRUE(g.in().composing);
    EXPECT_EQ(g.key('K'), 0);
    g.pushEditing("");
    g.pump();
    EXPECT_EQ(g.key('K'), 1);
    // Committing ends the composition too.
    g.pushEditing(u8(u8"き"));
    g.pushText(u8(u8"木"));
    g.pump();
    EXPECT_FALSE(g.in().composing);
    EXPECT_EQ(g.run("inkey"), 0x96D8);
    // The composition window goes to the game point, mapped to the window.
    g.engine().app.windowScale = 2;
    g.run("screen", {320, 240, 0, 4});
    g.settle();
    g.run("imepos", {100, 50});
    EXPECT_EQ(g.window().textInputRect(), (PixelRect{200, 100, 0, 0}));
}

// Collects what the SDL side reports.
struct Collected final : platform::EventSink {
    std::vector<platform::InputEvent> events;
    void onWindowEvent(platform::WindowEvent) override {}
    void onInputEvent(const platform::InputEvent& e) override { events.push_back(e); }
};

TEST(SdlMouse, EventsBecomeClientPixelsButtonsAndWheelUnits) {
    using platform::InputEvent;
    using platform::MouseButton;
    InputWindow g;
    platform::sdl::SdlInput input(g.window());
    Collected out;
    auto feed = [&](auto push) {
        push();
        SDL_Event e;
        while (SDL_PollEvent(&e)) input.translate(e, out);
    };
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    feed([&] { g.pushMotion(201, 99); });
    feed([&] { g.pushButton(true, SDL_BUTTON_LEFT, 40, 60); });
    feed([&] { g.pushButton(false, SDL_BUTTON_RIGHT, 42, 62); });
    feed([&] { g.pushButton(true, SDL_BUTTON_MIDDLE, 44, 64); });
    feed([&] { g.pushButton(true, SDL_BUTTON_X1, 0, 0); });
    feed([&] { g.pushButton(false, SDL_BUTTON_X2, 0, 0); });
    // 120 a notch, half a notch 60 (as a fine wheel reports on Windows); a flipped wheel is
    // turned back.
    feed([&] { g.pushWheel(1, 0); });
    feed([&] { g.pushWheel(0.5f, -2); });
    feed([&] { g.pushWheel(0.5f, 0); });
    feed([&] { g.pushWheel(1, 1, true); });
    std::vector<InputEvent> expected = {
        InputEvent::pointer(201, 99),
        InputEvent::button(true, MouseButton::Left, 40, 60),
        InputEvent::button(false, MouseButton::Right, 42, 62),
        InputEvent::button(true, MouseButton::Middle, 44, 64),
        InputEvent::key(true, vk::kXButton1),
        InputEvent::key(false, vk::kXButton2),
        InputEvent::wheel(false, 120),
        InputEvent::wheel(false, 60),
        InputEvent::wheel(true, -240),
        InputEvent::wheel(false, 60),
        InputEvent::wheel(false, -120),
        InputEvent::wheel(true, -120),
    };
    EXPECT_EQ(out.events, expected);
}

TEST(SdlMouse, ThePointerAndButtonsInGamePixels) {
    InputWindow g;
    g.engine().app.windowScale = 2;
    g.run("screen", {320, 240, 0, 4});
    g.settle();
    ASSERT_EQ(g.window().clientSize(), (platform::SizeInPixels{640, 480}));
    SDL_WarpMouseInWindow(g.window().handle(), 201, 99);
    g.pump();
    EXPECT_EQ(g.run("mouse", {0}), 100);
    EXPECT_EQ(g.run("mouse", {1}), 49);
    g.pushButton(true, SDL_BUTTON_LEFT, 40, 60);
    g.pushButton(true, SDL_BUTTON_RIGHT, 42, 62);
    g.pushButton(true, SDL_BUTTON_MIDDLE, 44, 64);
    g.pushButton(true, SDL_BUTTON_X1, 44, 64);
    g.pump();
    EXPECT_EQ(g.run("mouse", {2}) + g.run("mouse", {3}) + g.run("mouse", {4}), 3);
    EXPECT_EQ(g.run("mouse", {256}), 1);
    EXPECT_EQ(g.run("mouse", {257}), 20);
    EXPECT_EQ(g.run("mouse", {261}), 21);
    EXPECT_EQ(g.run("mouse", {266}), 32);
    EXPECT_EQ(g.key(vk::kXButton1), 1);
    g.pushButton(false, SDL_BUTTON_LEFT, 40, 60);
    g.pushButton(false, SDL_BUTTON_X1, 44, 64);
    g.pushWheel(-2, 0);
    g.pump();
    EXPECT_EQ(g.run("mouse", {2}), 0);
    EXPECT_EQ(g.key(vk::kXButton1), 0);
    EXPECT_EQ(g.run("mouse", {128}), -240);
    // Outside the window the count goes on past the picture's edges.
    SDL_WarpMouseInWindow(g.window().handle(), -10, 500);
    g.pump();
    EXPECT_EQ(g.run("mouse", {0}), -5);
    EXPECT_EQ(g.run("mouse", {1}), 250);
}

TEST(SdlCursor, HiddenOverTheActiveWindowShapesAndWarps) {
    InputWindow g;
    g.engine().app.windowScale = 2;
    g.run("screen", {320, 240, 0, 4});
    g.settle();
    g.sendWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    g.pump();
    g.run("cursor", {0});
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    g.sendWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    g.pump();
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    g.sendWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    g.pump();
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    for (int32_t n = 1; n <= 14; ++n) {
        g.run("cursor", {n});
        EXPECT_EQ(g.window().cursorShape(), n - 1);
        EXPECT_NE(SDL_GetCursor(), nullptr);
    }
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    // The pointer to a game point, mapped to the window.
    g.run("setmouse", {30, 40});
    g.pump();
    int x = 0, y = 0;
    SDL_GetMouseState(&x, &y);
    EXPECT_EQ((PixelPoint{x, y}), (PixelPoint{60, 80}));
    EXPECT_EQ(g.run("mouse", {0}), 30);
    EXPECT_EQ(g.run("mouse", {1}), 40);
}

TEST(SdlKeys, LockKeysFollowTheSystemWhenTheWindowGetsTheFocus) {
    InputWindow g;
    g.pump();
    SDL_SetModState(KMOD_NUM);
    g.sendWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    g.pump();
    EXPECT_TRUE(shell::keyToggled(g.in(), vk::kNumLock));
    EXPECT_EQ(g.key(vk::kNumLock), 0);
    SDL_SetModState(KMOD_SCROLL);
    g.sendWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    g.pump();
    EXPECT_FALSE(shell::keyToggled(g.in(), vk::kNumLock));
    EXPECT_TRUE(shell::keyToggled(g.in(), vk::kScroll));
    SDL_SetModState(KMOD_NONE);
}

// A virtual pad, opened as the test's own handle to move its controls.
struct VirtualPad {
    int device = -1;
    SDL_Joystick* joystick = nullptr;
    VirtualPad(SDL_JoystickType type, int axes, int buttons, int hats) {
        device = SDL_JoystickAttachVirtual(type, axes, buttons, hats);
        joystick = device >= 0 ? SDL_JoystickOpen(device) : nullptr;
    }
    ~VirtualPad() { detach(); }
    void detach() {
        if (!joystick) return;
        SDL_JoystickID id = SDL_JoystickInstanceID(joystick);
        SDL_JoystickClose(joystick);
        joystick = nullptr;
        for (int i = 0; i < SDL_NumJoysticks(); ++i) {
            if (SDL_JoystickGetDeviceInstanceID(i) == id) SDL_JoystickDetachVirtual(i);
        }
    }
};

TEST(SdlPads, VirtualPadsAreJoysticksZeroAndOneWithHotPlugging) {
    InputWindow g;
    VirtualPad controller(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 6, 15, 0);
    ASSERT_TRUE(controller.joystick) << SDL_GetError();
    g.pump();
    EXPECT_EQ(g.run("input", {128}), 0);  // joystick 0, X at rest
    EXPECT_EQ(g.run("input", {128 + 6}), 65535);
    EXPECT_EQ(g.run("input", {192}), -1);
    // The virtual controller's mapping: axes 0-5 left x, left y, right x, right y, the
    // triggers; buttons a, b, x, y, back, guide, start, left stick, right stick, left shoulder,
    // right shoulder, d-pad up, down, left, right.
    SDL_JoystickSetVirtualAxis(controller.joystick, 0, 20000);
    SDL_JoystickSetVirtualAxis(controller.joystick, 2, -32768);
    SDL_JoystickSetVirtualAxis(controller.joystick, 4, 32767);
    SDL_JoystickSetVirtualButton(controller.joystick, 0, 1);   // A
    SDL_JoystickSetVirtualButton(controller.joystick, 9, 1);   // left shoulder
    SDL_JoystickSetVirtualButton(controller.joystick, 5, 1);   // guide
    SDL_JoystickSetVirtualButton(controller.joystick, 11, 1);  // d-pad up
    SDL_JoystickSetVirtualButton(controller.joystick, 14, 1);  // d-pad right
    SDL_PumpEvents();
    g.pump();
    EXPECT_EQ(g.run("input", {128 + 0}), 32767);  // the d-pad pushes X to the right end
    EXPECT_EQ(g.run("input", {128 + 1}), -32768);
    EXPECT_EQ(g.run("input", {128 + 2}), 32767);   // the left trigger raises Z
    EXPECT_EQ(g.run("input", {128 + 4}), -32768);  // U: the right stick's X
    EXPECT_EQ(g.run("input", {128 + 6}), 4500);
    for (int32_t b = 0; b < 32; ++b) {
        int32_t expected = (b == 0 || b == 4 || b == 10) ? 1 : 0;
        EXPECT_EQ(g.run("input", {128 + 8 + b}), expected) << b;
    }
    SDL_JoystickSetVirtualButton(controller.joystick, 11, 0);
    SDL_JoystickSetVirtualButton(controller.joystick, 14, 0);
    SDL_PumpEvents();
    g.pump();
    EXPECT_EQ(g.run("input", {128 + 0}), 20000);
    EXPECT_EQ(g.run("input", {128 + 6}), 65535);
    // Merged into the game-pad reading once the joystick is on.
    EXPECT_EQ(g.run("input", {-1, -1}), 1);
    EXPECT_EQ(g.run("input", {2}), 1);
    EXPECT_EQ(g.run("input", {6}), 1);

    // A raw joystick without a mapping is joystick 1: its axes, hat and buttons as they are.
    VirtualPad raw(SDL_JOYSTICK_TYPE_UNKNOWN, 4, 12, 1);
    ASSERT_TRUE(raw.joystick) << SDL_GetError();
    g.pump();
    SDL_JoystickSetVirtualHat(raw.joystick, 0, SDL_HAT_LEFTDOWN);
    SDL_JoystickSetVirtualButton(raw.joystick, 11, 1);
    SDL_JoystickSetVirtualAxis(raw.joystick, 3, 1000);
    SDL_PumpEvents();
    g.pump();
    EXPECT_EQ(g.run("input", {192 + 0}), -32768);
    EXPECT_EQ(g.run("input", {192 + 1}), 32767);
    EXPECT_EQ(g.run("input", {192 + 3}), 1000);
    EXPECT_EQ(g.run("input", {192 + 5}), 0);  // no such axis: at rest
    EXPECT_EQ(g.run("input", {192 + 6}), 22500);
    EXPECT_EQ(g.run("input", {192 + 8 + 11}), 1);

    // A third pad waits; unplugging the first gives it the free place.
    VirtualPad third(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 2, 0);
    ASSERT_TRUE(third.joystick);
    SDL_JoystickSetVirtualAxis(third.joystick, 0, -32768);
    SDL_PumpEvents();
    g.pump();
    EXPECT_EQ(g.run("input", {128 + 0}), 20000);
    controller.detach();
    SDL_PumpEvents();
    g.pump();
    EXPECT_EQ(g.run("input", {128 + 0}), -32768);
    raw.detach();
    SDL_PumpEvents();
    g.pump();
    EXPECT_EQ(g.run("input", {192}), -1);
}

TEST(WindowInput, AReplayInAWindowShowsWhatAHeadlessRunShows) {
    TempDir dir;
    writeGame(dir, kInputReader);
    // The last event lies after the end, so the replay decides the input for the whole run.
    dir.write("in.txt", u8(u8"12 key down A\n22 mouse move 33 44\n31 text 花\n"
                           u8"45 key up A\n99999 close\n"));
    std::string args = "--virtual-clock --timeout 60 --exit-at 95 --input '" + dir.path() +
                       "/in.txt' '" + dir.path() + "'";
    ProgramRun window = runestage(args);
    ProgramRun headless = runestage("--headless " + args);
    EXPECT_EQ(window.status, 0) << window.err;
    EXPECT_EQ(headless.status, 0) << headless.err;
    EXPECT_EQ(window.err, headless.err);
    EXPECT_NE(headless.err.find(u8(u8"[情報] 1 k1 p0,0 c0 j0 a1 l0\n"
                                   u8"[情報] 2 k1 p33,44 c35284 j0 a1 l0\n")),
              std::string::npos)
        << headless.err;
}

}  // namespace
}  // namespace rs::test
