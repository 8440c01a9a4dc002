#include "platform/sdl/sdl_input.h"

#include <algorithm>
#include <cmath>

#include "platform/encoding.h"
#include "platform/sdl/sdl_window.h"

namespace rs::platform::sdl {

namespace {

// Keys that map one to one, by their place.
struct KeyPlace {
    SDL_Scancode scancode;
    int32_t key;
};

constexpr KeyPlace kPlaces[] = {
    {SDL_SCANCODE_RETURN, vk::kReturn},
    {SDL_SCANCODE_ESCAPE, vk::kEscape},
    {SDL_SCANCODE_BACKSPACE, vk::kBack},
    {SDL_SCANCODE_TAB, vk::kTab},
    {SDL_SCANCODE_SPACE, vk::kSpace},
    {SDL_SCANCODE_MINUS, vk::kOemMinus},
    {SDL_SCANCODE_EQUALS, vk::kOemPlus},
    {SDL_SCANCODE_LEFTBRACKET, vk::kOem4},
    {SDL_SCANCODE_RIGHTBRACKET, vk::kOem6},
    {SDL_SCANCODE_BACKSLASH, vk::kOem5},
    {SDL_SCANCODE_NONUSHASH, vk::kOem5},
    {SDL_SCANCODE_SEMICOLON, vk::kOem1},
    {SDL_SCANCODE_APOSTROPHE, vk::kOem7},
    {SDL_SCANCODE_GRAVE, vk::kOem3},
    {SDL_SCANCODE_COMMA, vk::kOemComma},
    {SDL_SCANCODE_PERIOD, vk::kOemPeriod},
    {SDL_SCANCODE_SLASH, vk::kOem2},
    {SDL_SCANCODE_NONUSBACKSLASH, vk::kOem102},
    {SDL_SCANCODE_CAPSLOCK, vk::kCapital},
    {SDL_SCANCODE_PRINTSCREEN, vk::kSnapshot},
    {SDL_SCANCODE_SCROLLLOCK, vk::kScroll},
    {SDL_SCANCODE_PAUSE, vk::kPause},
    {SDL_SCANCODE_INSERT, vk::kInsert},
    {SDL_SCANCODE_HOME, vk::kHome},
    {SDL_SCANCODE_PAGEUP, vk::kPrior},
    {SDL_SCANCODE_DELETE, vk::kDelete},
    {SDL_SCANCODE_END, vk::kEnd},
    {SDL_SCANCODE_PAGEDOWN, vk::kNext},
    {SDL_SCANCODE_RIGHT, vk::kRight},
    {SDL_SCANCODE_LEFT, vk::kLeft},
    {SDL_SCANCODE_DOWN, vk::kDown},
    {SDL_SCANCODE_UP, vk::kUp},
    {SDL_SCANCODE_NUMLOCKCLEAR, vk::kNumLock},
    {SDL_SCANCODE_KP_DIVIDE, vk::kDivide},
    {SDL_SCANCODE_KP_MULTIPLY, vk::kMultiply},
    {SDL_SCANCODE_KP_MINUS, vk::kSubtract},
    {SDL_SCANCODE_KP_PLUS, vk::kAdd},
    {SDL_SCANCODE_KP_ENTER, vk::kReturn},
    {SDL_SCANCODE_KP_COMMA, vk::kSeparator},
    {SDL_SCANCODE_APPLICATION, vk::kApps},
    {SDL_SCANCODE_MENU, vk::kApps},
    {SDL_SCANCODE_LCTRL, vk::kLControl},
    {SDL_SCANCODE_LSHIFT, vk::kLShift},
    {SDL_SCANCODE_LALT, vk::kLMenu},
    {SDL_SCANCODE_LGUI, vk::kLWin},
    {SDL_SCANCODE_RCTRL, vk::kRControl},
    {SDL_SCANCODE_RSHIFT, vk::kRShift},
    {SDL_SCANCODE_RALT, vk::kRMenu},
    {SDL_SCANCODE_MODE, vk::kRMenu},  // AltGr on some layouts
    {SDL_SCANCODE_RGUI, vk::kRWin},
    // The keys of a Japanese keyboard.
    {SDL_SCANCODE_INTERNATIONAL1, vk::kOem102},      // ろ
    {SDL_SCANCODE_INTERNATIONAL2, vk::kKana},        // カタカナ/ひらがな
    {SDL_SCANCODE_INTERNATIONAL3, vk::kOem5},        // ¥
    {SDL_SCANCODE_INTERNATIONAL4, vk::kConvert},     // 変換
    {SDL_SCANCODE_INTERNATIONAL5, vk::kNonConvert},  // 無変換
    {SDL_SCANCODE_LANG1, vk::kKana},                 // かな
    {SDL_SCANCODE_LANG2, vk::kKanji},                // 英数
    {SDL_SCANCODE_LANG3, vk::kKana},
    {SDL_SCANCODE_LANG4, vk::kKana},
    {SDL_SCANCODE_LANG5, vk::kKanji},  // 半角/全角
};

// The numeric pad's digit keys 1-9, 0 and its point: with Num Lock, and without.
struct PadKey {
    SDL_Scancode scancode;
    int32_t withNumLock;
    int32_t without;
};

constexpr PadKey kPadKeys[] = {
    {SDL_SCANCODE_KP_1, vk::kNumpad0 + 1, vk::kEnd},
    {SDL_SCANCODE_KP_2, vk::kNumpad0 + 2, vk::kDown},
    {SDL_SCANCODE_KP_3, vk::kNumpad0 + 3, vk::kNext},
    {SDL_SCANCODE_KP_4, vk::kNumpad0 + 4, vk::kLeft},
    {SDL_SCANCODE_KP_5, vk::kNumpad0 + 5, vk::kClear},
    {SDL_SCANCODE_KP_6, vk::kNumpad0 + 6, vk::kRight},
    {SDL_SCANCODE_KP_7, vk::kNumpad0 + 7, vk::kHome},
    {SDL_SCANCODE_KP_8, vk::kNumpad0 + 8, vk::kUp},
    {SDL_SCANCODE_KP_9, vk::kNumpad0 + 9, vk::kPrior},
    {SDL_SCANCODE_KP_0, vk::kNumpad0, vk::kInsert},
    {SDL_SCANCODE_KP_PERIOD, vk::kDecimal, vk::kDelete},
};

int32_t lockKey(uint16_t lockBit) {
    switch (lockBit) {
        case KMOD_CAPS: return vk::kCapital;
        case KMOD_NUM: return vk::kNumLock;
        default: return vk::kScroll;
    }
}

uint16_t lockBitOf(int32_t key) {
    switch (key) {
        case vk::kCapital: return KMOD_CAPS;
        case vk::kNumLock: return KMOD_NUM;
        case vk::kScroll: return KMOD_SCROLL;
        default: return 0;
    }
}

}  // namespace

int32_t virtualKeyFor(SDL_Scancode scancode, SDL_Keycode keycode, bool numLock) {
    if (keycode >= SDLK_a && keycode <= SDLK_z) return vk::kA + (keycode - SDLK_a);
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z)
        return vk::kA + (scancode - SDL_SCANCODE_A);
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9)
        return vk::k0 + 1 + (scancode - SDL_SCANCODE_1);
    if (scancode == SDL_SCANCODE_0) return vk::k0;
    if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12)
        return vk::kF1 + (scancode - SDL_SCANCODE_F1);
    if (scancode >= SDL_SCANCODE_F13 && scancode <= SDL_SCANCODE_F24)
        return vk::kF1 + 12 + (scancode - SDL_SCANCODE_F13);
    for (const PadKey& p : kPadKeys) {
        if (p.scancode == scancode) return numLock ? p.withNumLock : p.without;
    }
    for (const KeyPlace& p : kPlaces) {
        if (p.scancode == scancode) return p.key;
    }
    return 0;
}

PixelPoint SdlInput::toPixels(int32_t x, int32_t y) const {
    double k = window_.pixelsPerPoint();
    return {static_cast<int32_t>(std::lround(x * k)), static_cast<int32_t>(std::lround(y * k))};
}

void SdlInput::key(const SDL_KeyboardEvent& event, EventSink& sink) {
    auto scancode = static_cast<size_t>(event.keysym.scancode);
    if (scancode >= downKeys_.size()) return;
    bool down = event.type == SDL_KEYDOWN;
    int32_t k = downKeys_[scancode];
    if (down || k == 0)
        k = virtualKeyFor(event.keysym.scancode, event.keysym.sym, event.keysym.mod & KMOD_NUM);
    if (k == 0) return;
    downKeys_[scancode] = down ? k : 0;
    if (down && !event.repeat) locks_ ^= lockBitOf(k);
    sink.onInputEvent(InputEvent::key(down, k));
}

void SdlInput::text(const char* utf8, EventSink& sink) {
    if (composing_) {
        composing_ = false;
        sink.onInputEvent(InputEvent::composition(false));
    }
    // With Alt held (and no Ctrl) Windows makes system characters of the keys, which never
    // reach the game.
    SDL_Keymod mod = SDL_GetModState();
    if ((mod & KMOD_ALT) && !(mod & KMOD_CTRL)) return;
    auto codes = encoder_.codes(utf8);
    if (!codes) return;
    for (uint16_t c : *codes) sink.onInputEvent(InputEvent::character(c));
}

void SdlInput::wheel(const SDL_MouseWheelEvent& event, EventSink& sink) {
    // 120 a notch, as Windows counts; smooth scrolling gives parts of notches.
    double dy = event.preciseY != 0 ? event.preciseY : event.y;
    double dx = event.preciseX != 0 ? event.preciseX : event.x;
    if (event.direction == SDL_MOUSEWHEEL_FLIPPED) {
        dy = -dy;
        dx = -dx;
    }
    auto report = [&](double delta, double& rest, bool horizontal) {
        rest += delta * 120;
        double whole = std::trunc(rest);
        if (whole == 0 || !std::isfinite(whole)) return;
        rest -= whole;
        sink.onInputEvent(
            InputEvent::wheel(horizontal, static_cast<int32_t>(std::clamp(whole, -1e9, 1e9))));
    };
    report(dy, wheelRest_, false);
    report(dx, hwheelRest_, true);
}

bool SdlInput::translate(const SDL_Event& event, EventSink& sink) {
    uint32_t id = window_.id();
    switch (event.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            if (event.key.windowID == id) key(event.key, sink);
            return true;
        case SDL_TEXTINPUT:
            if (event.text.windowID == id) text(event.text.text, sink);
            return true;
        case SDL_TEXTEDITING: {
            if (event.edit.windowID != id) return true;
            bool pending = event.edit.text[0] != '\0';
            if (pending != composing_) {
                composing_ = pending;
                sink.onInputEvent(InputEvent::composition(pending));
            }
            return true;
        }
        case SDL_MOUSEMOTION:
            if (event.motion.windowID == id) {
                PixelPoint p = toPixels(event.motion.x, event.motion.y);
                sink.onInputEvent(InputEvent::pointer(p.x, p.y));
            }
            return true;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            if (event.button.windowID != id) return true;
            bool down = event.type == SDL_MOUSEBUTTONDOWN;
            PixelPoint p = toPixels(event.button.x, event.button.y);
            switch (event.button.button) {
                case SDL_BUTTON_LEFT:
                    sink.onInputEvent(InputEvent::button(down, MouseButton::Left, p.x, p.y));
                    break;
                case SDL_BUTTON_RIGHT:
                    sink.onInputEvent(InputEvent::button(down, MouseButton::Right, p.x, p.y));
                    break;
                case SDL_BUTTON_MIDDLE:
                    sink.onInputEvent(InputEvent::button(down, MouseButton::Middle, p.x, p.y));
                    break;
                // The side buttons are only keys of the keyboard table.
                case SDL_BUTTON_X1: sink.onInputEvent(InputEvent::key(down, vk::kXButton1)); break;
                case SDL_BUTTON_X2: sink.onInputEvent(InputEvent::key(down, vk::kXButton2)); break;
                default: break;
            }
            return true;
        }
        case SDL_MOUSEWHEEL:
            if (event.wheel.windowID == id) wheel(event.wheel, sink);
            return true;
        default: return pads_.translate(event, sink);
    }
}

void SdlInput::syncLockKeys(EventSink& sink) {
    auto now = static_cast<uint16_t>(SDL_GetModState() & (KMOD_CAPS | KMOD_NUM | KMOD_SCROLL));
    for (uint16_t bit : {uint16_t{KMOD_CAPS}, uint16_t{KMOD_NUM}, uint16_t{KMOD_SCROLL}}) {
        if ((now ^ locks_) & bit) {
            sink.onInputEvent(InputEvent::key(true, lockKey(bit)));
            sink.onInputEvent(InputEvent::key(false, lockKey(bit)));
            locks_ ^= bit;
        }
    }
}

}  // namespace rs::platform::sdl
