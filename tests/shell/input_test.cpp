// The input state as scripts see it through the input commands: the keyboard table, the merged
// game-pad reading with its focus rule and joystick, the extended joystick reading, the mouse
// with its click latches and wheel, the typed-character queue, the input method and the cursor.
// Events come through the headless host's pump as a window would send them.
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>
#include <vector>

#include "shell/input_support.h"

namespace rs::test {
namespace {

namespace vk = platform::vk;
using platform::InputEvent;
using platform::MouseButton;
using platform::PixelPoint;
using platform::PixelRect;
using platform::WindowEvent;

TEST(InputCommands, TheTenCommandsAreRegistered) {
    for (int32_t id : {154, 155, 157, 158, 168, 260, 261, 262, 264, 266}) {
        EXPECT_NE(builtins::commandTable().find(id), nullptr) << id;
    }
}

TEST(Keyboard, TheTableKeepsGenericModifiersTogglesAndCodesModulo256) {
    InputGame g;
    // Either Shift holds the generic Shift; it stays held until both are up.
    g.press(vk::kLShift);
    g.press(vk::kRShift);
    EXPECT_EQ(g.key(vk::kShift), 1);
    EXPECT_EQ(g.key(vk::kLShift), 1);
    g.release(vk::kLShift);
    EXPECT_EQ(g.key(vk::kShift), 1);
    g.release(vk::kRShift);
    EXPECT_EQ(g.key(vk::kShift), 0);
    // A generic code alone (as a person writes it in an input file) is the left key.
    g.press(vk::kControl);
    EXPECT_EQ(g.key(vk::kLControl), 1);
    EXPECT_EQ(g.key(vk::kRControl), 0);
    g.press(vk::kRControl);
    g.release(vk::kControl);
    EXPECT_EQ(g.key(vk::kControl) + g.key(vk::kLControl) + g.key(vk::kRControl), 0);
    g.press(vk::kRMenu);
    EXPECT_EQ(g.key(vk::kMenu), 1);
    g.release(vk::kRMenu);

    // Lock keys toggle when they go down, not on repeats, and not when they come up.
    for (int32_t lock : {vk::kCapital, vk::kNumLock, vk::kScroll}) {
        SCOPED_TRACE(lock);
        g.press(lock);
        g.press(lock);  // a repeat
        EXPECT_TRUE(shell::keyToggled(g.in, lock));
        g.release(lock);
        EXPECT_TRUE(shell::keyToggled(g.in, lock));
        EXPECT_EQ(g.key(lock), 0);
        g.press(lock);
        g.release(lock);
        EXPECT_FALSE(shell::keyToggled(g.in, lock));
    }

    // The key code of a query is taken modulo 256.
    g.press('Q');
    EXPECT_EQ(shell::KeyDown(g.in, 'Q' + 256), 1);
    EXPECT_EQ(shell::KeyDown(g.in, 'Q' - 256), 1);
    EXPECT_EQ(g.key('Q'), 1);
    EXPECT_EQ(g.input(512), -1);
    EXPECT_EQ(g.input(INT_MAX), -1);

    // Held keys are let go at start; toggles stay.
    g.press(vk::kScroll);
    shell::ReleaseHeldKeys(g.in);
    EXPECT_EQ(g.key('Q'), 0);
    EXPECT_EQ(g.key(vk::kScroll), 0);
    EXPECT_TRUE(shell::keyToggled(g.in, vk::kScroll));
}

TEST(ReadInput, EveryRowOfTheKeyboardPart) {
    struct Row {
        int32_t index;
        std::vector<int32_t> keys;
        int32_t expected;
    };
    const std::vector<Row> rows = {
        {0, {}, 0},
        {0, {vk::kRight}, 32000},
        {0, {vk::kLeft}, -32000},
        {0, {vk::kLeft, vk::kRight}, 0},  // both cancel out
        {1, {vk::kDown}, 32000},
        {1, {vk::kUp}, -32000},
        {1, {vk::kUp, vk::kDown}, 0},
        {2, {vk::kReturn}, 1},
        {2, {'Z'}, 1},
        {2, {'X'}, 0},
        {3, {vk::kNumpad0}, 1},
        {3, {vk::kEscape}, 1},
        {3, {'X'}, 1},
        {3, {vk::kInsert}, 0},
        {4, {vk::kSpace}, 1},
        {4, {'C'}, 1},
        {5, {'A'}, 1},
        {5, {'B'}, 0},
        {6, {vk::kLShift}, 1},
        {6, {vk::kRShift}, 1},
        {6, {'S'}, 1},
        {7, {vk::kRControl}, 1},
        {7, {vk::kHome}, 1},
        {7, {'D'}, 1},
        {8, {vk::kPause}, 1},
        {8, {vk::kReturn, 'Z', vk::kSpace}, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.index);
        InputGame g;
        for (int32_t k : r.keys) g.press(k);
        EXPECT_EQ(g.input(r.index), r.expected);
    }
    InputGame g;
    EXPECT_EQ(g.input(-2), 30000);
    EXPECT_EQ(shell::ReadInput(g.e, -1), 0);
    for (int32_t other : {11, 127, -3, INT_MIN}) EXPECT_EQ(g.input(other), -1) << other;
    // Scroll Lock switched on holds button 6 (index 7) after the key is let go.
    g.press(vk::kScroll);
    g.release(vk::kScroll);
    EXPECT_EQ(g.input(7), 1);
    g.press(vk::kScroll);
    g.release(vk::kScroll);
    EXPECT_EQ(g.input(7), 0);
}

TEST(ReadInput, AnInactiveWindowReadsZeroExceptTheWheel) {
    InputGame g;
    g.press(vk::kRight);
    g.press(vk::kReturn);
    g.post({InputEvent::wheel(false, 240), InputEvent::wheel(true, -120),
            InputEvent::button(true, MouseButton::Left, 5, 6),
            InputEvent::button(true, MouseButton::Right, 5, 6)});
    EXPECT_EQ(g.mouse(2), 1);
    EXPECT_EQ(g.mouse(-1), 1);
    g.post(WindowEvent::FocusLost);
    EXPECT_EQ(g.mouse(-1), 0);
    for (int32_t i = -2; i <= 10; ++i) {
        if (i == 9) continue;
        EXPECT_EQ(shell::ReadInput(g.e, i), 0) << i;
    }
    EXPECT_EQ(g.input(9), 240);
    EXPECT_EQ(g.input(10), 0);  // only the vertical wheel is read while inactive
    EXPECT_EQ(g.mouse(128), 240);
    // The buttons are let go, and stay so at the next turn's refresh.
    shell::RefreshMouseButtons(g.in);
    EXPECT_EQ(g.mouse(2), 0);
    EXPECT_EQ(g.mouse(3), 0);
    // The key table itself is still read.
    EXPECT_EQ(g.key(vk::kRight), 1);
    g.post(WindowEvent::FocusGained);
    EXPECT_EQ(g.input(0), 32000);
    EXPECT_EQ(g.input(2), 1);
    EXPECT_EQ(g.input(10), -120);
}

TEST(ReadInput, AJoystickBeyondTheThresholdOverridesTheKeyboard) {
    InputGame g;
    auto axis = [&](int32_t item, int32_t value) { g.post({InputEvent::padAxis(0, item, value)}); };
    axis(0, 32768);
    // Off: the pad is not merged.
    axis(0, 0);
    EXPECT_EQ(g.input(0), 0);
    g.in.joystickSetting = 1;
    EXPECT_EQ(g.input(0), -32000);
    struct Case {
        int32_t position;
        bool rightHeld;
        int32_t expected;
    };
    for (const Case& c :
         {Case{32768 + 30000, false, 0}, Case{32768 + 30000, true, 32000},
          Case{32768 + 30001, false, 32000}, Case{32768 - 30000, true, 32000},
          Case{32768 - 30001, true, -32000}, Case{65535, false, 32000}, Case{32768, true, 32000}}) {
        SCOPED_TRACE(c.position);
        if (c.rightHeld) g.press(vk::kRight);
        axis(0, c.position);
        EXPECT_EQ(g.input(0), c.expected);
        g.release(vk::kRight);
    }
    axis(1, 0);
    EXPECT_EQ(g.input(1), -32000);
    axis(1, 32768);
    // Buttons 0-6 or the keyboard give buttons 1-7.
    for (int32_t b = 0; b < 7; ++b) {
        SCOPED_TRACE(b);
        g.post({InputEvent::padButton(0, b, true)});
        for (int32_t i = 2; i <= 8; ++i) EXPECT_EQ(g.input(i), i == b + 2 ? 1 : 0) << i;
        g.post({InputEvent::padButton(0, b, false)});
    }
    g.post({InputEvent::padButton(0, 7, true)});
    for (int32_t i = 2; i <= 8; ++i) EXPECT_EQ(g.input(i), 0) << i;

    // Unplugged, the pad reads as centred and the keyboard stands (not as pushed up and left).
    g.post({InputEvent::padRemoved(0)});
    EXPECT_EQ(g.input(0), 0);
    EXPECT_EQ(g.input(1), 0);
    g.press(vk::kLeft);
    EXPECT_EQ(g.input(0), -32000);
}

TEST(ReadJoystickEx, ItemsOfBothJoysticksAndAMissingOne) {
    InputGame g;
    EXPECT_EQ(g.input(128), -1);
    EXPECT_EQ(g.input(192 + 8), -1);
    g.post({InputEvent::padAxis(1, 0, 65535), InputEvent::padAxis(1, 1, 0),
            InputEvent::padAxis(1, 5, 40000), InputEvent::padAxis(1, 6, 27000),
            InputEvent::padButton(1, 0, true), InputEvent::padButton(1, 31, true)});
    EXPECT_EQ(g.input(128), -1);  // joystick 0 is still missing
    const std::vector<std::pair<int32_t, int32_t>> items = {
        {0, 32767}, {1, -32768}, {2, 0},  {3, 0},  {5, 40000 - 32768}, {6, 27000}, {7, 0}, {8, 1},
        {9, 0},     {39, 1},     {40, 0}, {63, 0},
    };
    for (auto [item, expected] : items) EXPECT_EQ(g.input(192 + item), expected) << item;
    EXPECT_EQ(shell::ReadJoystickEx(g.in, true, -1), 0);
    // Not subject to the focus rule.
    g.post(WindowEvent::FocusLost);
    EXPECT_EQ(g.input(192), 32767);
    EXPECT_EQ(g.input(192 + 6), 27000);
    // Unplugged.
    g.post({InputEvent::padRemoved(1)});
    EXPECT_EQ(g.input(192), -1);
}

TEST(ReadInput, JoystickDetectionTakesTheFirstPadThatAnswers) {
    // input(setting, -1): the setting is written before the -1.
    auto detect = [](InputGame& g, int32_t setting) { return g.run("input", {setting, -1}); };
    {
        InputGame g;
        EXPECT_EQ(detect(g, -1), 0);  // no pad
        EXPECT_EQ(detect(g, 1), 1);   // 1 stays 1 without a pad
        EXPECT_EQ(detect(g, 0), 0);
        EXPECT_EQ(detect(g, 5), 5);  // stored as given
    }
    {
        InputGame g;
        g.post({InputEvent::padAxis(1, 0, 0)});
        EXPECT_EQ(detect(g, -1), 1);
        EXPECT_EQ(g.in.joystickIndex, 1);
        EXPECT_EQ(g.input(0), -32000);  // the second pad is the one read
        g.post({InputEvent::padAxis(0, 0, 65535)});
        EXPECT_EQ(g.input(0), -32000);
    }
    {
        // While inactive the reading stops before the detection.
        InputGame g;
        g.post({InputEvent::padAxis(0, 0, 0)});
        g.post(WindowEvent::FocusLost);
        EXPECT_EQ(detect(g, -1), -1);
        g.post(WindowEvent::FocusGained);
        EXPECT_EQ(g.input(0), -32000);  // any reading detects
        EXPECT_EQ(g.in.joystickSetting, 1);
    }
}

TEST(Mouse, ClickLatchesKeepTheLatestUnconsumedClickOfEachButton) {
    InputGame g;
    g.run("screen", {320, 240, 0, 4});
    auto click = [&](MouseButton b, int32_t x, int32_t y) {
        g.post({InputEvent::button(true, b, x, y), InputEvent::button(false, b, x, y)});
    };
    click(MouseButton::Left, 10, 20);
    click(MouseButton::Left, 30, 40);  // overwrites the first: it was not taken yet
    EXPECT_EQ(g.mouse(256), 1);
    EXPECT_EQ(g.mouse(257), 30);
    EXPECT_EQ(g.mouse(258), 40);
    EXPECT_EQ(g.mouse(259), 0);  // taken; the next entry is empty
    EXPECT_EQ(g.mouse(256), 0);
    EXPECT_EQ(g.mouse(257), 0);
    click(MouseButton::Right, 5, 6);
    click(MouseButton::Middle, 7, 8);
    EXPECT_EQ(g.mouse(260), 2);
    EXPECT_EQ(g.mouse(261), 5);
    EXPECT_EQ(g.mouse(262), 6);
    EXPECT_EQ(g.mouse(264), 3);
    EXPECT_EQ(g.mouse(265), 7);
    EXPECT_EQ(g.mouse(266), 8);
    EXPECT_EQ(g.mouse(256), 0);  // the left latch saw none of them
    // Sixteen entries in a ring.
    for (int i = 0; i < 15; ++i) EXPECT_EQ(g.mouse(263), 0);
    EXPECT_EQ(g.in.latches[1].index, 15);
    click(MouseButton::Right, 1, 2);
    EXPECT_EQ(g.mouse(260), 2);
    EXPECT_EQ(g.mouse(261), 1);
    EXPECT_EQ(g.mouse(263), 0);  // back at the first entry, taken before
    EXPECT_EQ(g.in.latches[1].index, 0);

    // Held states: left and right through the refresh, middle directly.
    g.post({InputEvent::button(true, MouseButton::Left, 0, 0),
            InputEvent::button(true, MouseButton::Middle, 0, 0)});
    EXPECT_EQ(g.mouse(2), 1);
    EXPECT_EQ(g.mouse(3), 0);
    EXPECT_EQ(g.mouse(4), 1);
    EXPECT_EQ(g.key(vk::kLButton), 1);
    EXPECT_EQ(g.key(vk::kMButton), 1);
    g.post({InputEvent::button(false, MouseButton::Middle, 0, 0)});
    EXPECT_EQ(g.mouse(4), 0);
    for (int32_t s : {5, 6}) EXPECT_EQ(g.mouse(s), 0);
    for (int32_t s : {-2, 7, 127, 130, 255, 268, INT_MIN}) EXPECT_EQ(g.mouse(s), -1) << s;
}

TEST(Mouse, PositionsAreGamePixelsAndCountOnPastTheEdges) {
    InputGame g;
    g.window.allowFullScreen(true);
    g.e.app.windowScale = 2;
    g.run("screen", {320, 240, 0, 4});
    g.post({InputEvent::pointer(101, 51)});
    EXPECT_EQ(g.mouse(0), 50);
    EXPECT_EQ(g.mouse(1), 25);
    // A click at another place moves the pointer there first.
    g.post({InputEvent::button(true, MouseButton::Left, 20, 640)});
    EXPECT_EQ(g.mouse(0), 10);
    EXPECT_EQ(g.mouse(1), 320);
    EXPECT_EQ(g.mouse(258), 320);
    // The pointer's place is read at every pump, outside the window too.
    g.window.setCursorPosition(PixelPoint{-9, 481});
    g.e.pumpMessages();
    EXPECT_EQ(g.mouse(0), -5);
    EXPECT_EQ(g.mouse(1), 240);
    // Full screen: the picture is centred in 1920 x 1080 at a scale of 4.5.
    g.run("screenmode", {1});
    g.window.setCursorPosition(std::nullopt);
    g.post({InputEvent::pointer(240 + 9, 9)});
    EXPECT_EQ(g.mouse(0), 2);
    EXPECT_EQ(g.mouse(1), 2);
    // Absurd places give absurd but defined positions.
    g.post({InputEvent::pointer(INT32_MIN, INT32_MAX)});
    EXPECT_LT(g.mouse(0), -400000000);
    EXPECT_GT(g.mouse(1), 400000000);
}

TEST(Mouse, TheWheelAddsUpBothWays) {
    InputGame g;
    g.post({InputEvent::wheel(false, 120), InputEvent::wheel(false, 120),
            InputEvent::wheel(false, -360), InputEvent::wheel(true, 60)});
    EXPECT_EQ(g.mouse(128), -120);
    EXPECT_EQ(g.mouse(129), 60);
    EXPECT_EQ(g.input(9), -120);
    EXPECT_EQ(g.mouse(128), -120);  // reading does not take it
    // The totals wrap as 32-bit sums.
    g.post({InputEvent::wheel(false, INT32_MAX), InputEvent::wheel(false, INT32_MAX)});
    EXPECT_EQ(g.mouse(128), -122);
}

TEST(TypedText, TheQueueHolds256CharactersAndKeysTypeControlCharacters) {
    InputGame g;
    EXPECT_EQ(g.run("inkey"), 0);
    g.post(
        {InputEvent::character('a'), InputEvent::character(0x82A0), InputEvent::character(0xB1)});
    EXPECT_EQ(g.run("inkey"), 'a');
    EXPECT_EQ(g.run("inkey"), 0x82A0);
    EXPECT_EQ(g.run("inkey"), 0xB1);
    EXPECT_EQ(g.run("inkey"), 0);
    // Backspace, Tab, Enter and Escape type their control characters (repeats too).
    for (int32_t k : {vk::kBack, vk::kTab, vk::kReturn, vk::kEscape, vk::kBack}) g.press(k);
    g.press('Q');
    for (int32_t c : {0x08, 0x09, 0x0D, 0x1B, 0x08}) EXPECT_EQ(g.run("inkey"), c);
    EXPECT_EQ(g.run("inkey"), 0);
    // With Alt held they are system keys: no character. With Ctrl and Alt they type again.
    g.press(vk::kLMenu);
    g.press(vk::kReturn);
    EXPECT_EQ(g.run("inkey"), 0);
    EXPECT_EQ(g.key(vk::kReturn), 1);  // the key itself is held, as Windows records it
    g.press(vk::kLControl);
    g.press(vk::kEscape);
    EXPECT_EQ(g.run("inkey"), 0x1B);
    // The 257th character is dropped; the queue shifts as it is read.
    for (int i = 0; i < 300; ++i) g.host.headlessEvents().post(InputEvent::character(1000 + i));
    g.e.pumpMessages();
    EXPECT_EQ(g.in.characterCount, 256);
    EXPECT_EQ(g.run("inkey"), 1000);
    g.post({InputEvent::character(7)});
    EXPECT_EQ(g.in.characterCount, 256);
    EXPECT_EQ(g.in.characters[254], 1255);
    EXPECT_EQ(g.in.characters[255], 7);
    g.run("chrclear");
    EXPECT_EQ(g.run("inkey"), 0);
}

TEST(InputMethod, ACompositionHidesKeysAndTheWindowFollowsThePicture) {
    InputGame g;
    EXPECT_FALSE(g.in.imeOpen);  // the game starts with it closed
    g.run("imeon");
    EXPECT_TRUE(g.in.imeOpen);
    g.run("imeon");
    EXPECT_TRUE(g.in.imeOpen);
    g.run("imeoff");
    EXPECT_FALSE(g.in.imeOpen);

    g.press('K');
    EXPECT_EQ(g.key('K'), 1);
    g.post({InputEvent::composition(true)});
    EXPECT_EQ(g.key('K'), 0);
    EXPECT_EQ(g.input(2 + 0), 0);
    EXPECT_EQ(g.input(511), 0);
    g.press(vk::kRight);
    EXPECT_EQ(g.input(0), 32000);  // the merged reading is not hidden
    g.post({InputEvent::composition(false)});
    EXPECT_EQ(g.key('K'), 1);

    // The composition window at a game point, mapped to the window, and moved with the picture.
    g.window.allowFullScreen(true);
    g.e.app.windowScale = 2;
    g.run("screen", {320, 240, 0, 4});
    EXPECT_FALSE(g.window.textInputRect());
    g.run("imepos", {30, 40});
    EXPECT_EQ(g.window.textInputRect(), (PixelRect{60, 80, 0, 0}));
    g.run("screenmode", {1});
    EXPECT_EQ(g.window.textInputRect(), (PixelRect{240 + 135, 180, 0, 0}));
    g.run("imepos", {INT32_MAX, INT32_MIN});  // kept to what the window can hold
    EXPECT_EQ(g.window.textInputRect()->x, INT32_MAX);
}

TEST(Cursor, HiddenOnlyOverTheActiveWindowWithShapesOneToFourteen) {
    InputGame g;
    EXPECT_FALSE(g.window.cursorHidden());
    g.run("cursor", {0});
    EXPECT_EQ(g.e.app.cursorMode, 0);
    EXPECT_TRUE(g.window.cursorHidden());
    g.post(WindowEvent::FocusLost);
    EXPECT_FALSE(g.window.cursorHidden());
    g.post(WindowEvent::FocusGained);
    EXPECT_TRUE(g.window.cursorHidden());
    // A box shows the cursor; the next move over the window hides it again.
    g.window.showCursor();
    EXPECT_FALSE(g.window.cursorHidden());
    g.post({InputEvent::pointer(3, 3)});
    EXPECT_TRUE(g.window.cursorHidden());

    g.run("cursor", {3});
    EXPECT_EQ(g.e.app.cursorMode, -1);
    EXPECT_FALSE(g.window.cursorHidden());
    EXPECT_EQ(g.window.cursorShape(), 2);
    g.run("cursor", {14});
    EXPECT_EQ(g.window.cursorShape(), 13);
    g.run("cursor", {15});  // no such shape: it stays
    EXPECT_EQ(g.window.cursorShape(), 13);
    g.run("cursor", {0});
    g.run("cursor", {-4});  // shown, the shape kept
    EXPECT_FALSE(g.window.cursorHidden());
    EXPECT_EQ(g.in.cursorShape, 13);
    g.run("cursor", {1});
    EXPECT_EQ(g.window.cursorShape(), 0);
}

TEST(Cursor, SetMouseMovesThePointerToTheGamePointWhileActive) {
    InputGame g;
    g.window.allowFullScreen(true);
    g.e.app.windowScale = 3;
    g.run("screen", {160, 120, 0, 4});
    g.run("setmouse", {50, 60});
    EXPECT_EQ(g.window.cursorPosition(), (PixelPoint{150, 180}));
    g.e.pumpMessages();  // the move arrives as the system's would
    EXPECT_EQ(g.mouse(0), 50);
    EXPECT_EQ(g.mouse(1), 60);
    g.run("screenmode", {1});
    g.run("setmouse", {-10, 119});
    g.e.pumpMessages();
    EXPECT_EQ(g.mouse(0), -10);
    EXPECT_EQ(g.mouse(1), 119);
    g.post(WindowEvent::FocusLost);
    int32_t warps = g.window.warps();
    g.run("setmouse", {1, 1});
    EXPECT_EQ(g.window.warps(), warps);
}

TEST(InputFloods, RandomEventsNeverBreakTheState) {
    InputGame g;
    g.run("screen", {64, 48, 0, 4});
    std::mt19937 rng(13);
    auto any = [&] { return static_cast<int32_t>(rng()); };
    for (int round = 0; round < 20; ++round) {
        for (int i = 0; i < 5000; ++i) {
            InputEvent ev;
            ev.kind = static_cast<platform::InputKind>(rng() % 12);
            ev.code = rng() % 4 ? any() & 0x1FF : any();
            ev.x = any();
            ev.y = any();
            ev.pad = rng() % 4 ? static_cast<int32_t>(rng() % 3) : any();
            ev.item = rng() % 4 ? static_cast<int32_t>(rng() % 40) : any();
            ev.value = any();
            g.host.headlessEvents().post(ev);
        }
        g.e.pumpMessages();
        for (int32_t n = -3; n < 520; ++n) g.input(n);
        for (int32_t s = -1; s < 270; ++s) g.mouse(s);
        EXPECT_LE(g.in.characterCount, 256);
        for (const auto& pad : g.in.pads) {
            for (int32_t a : pad.axes) EXPECT_TRUE(a >= 0 && a <= 65535);
        }
    }
}

}  // namespace
}  // namespace rs::test
