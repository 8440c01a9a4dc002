// Script commands of the sprite group: arguments are popped last first; sprite handles are
// checked with the messages scripts know; every change to what a listed sprite shows marks its
// old and new area dirty.
#include "display/sprite_commands.h"

#include <algorithm>
#include <array>

#include "builtins/dispatcher.h"
#include "display/display.h"
#include "graphics/frame.h"
#include "platform/host.h"
#include "runtime/errors.h"
#include "runtime/fetch.h"
#include "runtime/format.h"
#include "runtime/script_thread.h"
#include "shell/engine.h"

namespace rs::display {

namespace {

using graphics::Sprite;
using graphics::SpriteLayer;
using runtime::ScriptThread;

// Pops n integers; out[0] is the first argument the script wrote.
template <size_t N>
bool popInts(Engine& e, ScriptThread& t, std::array<int32_t, N>& out) {
    for (size_t i = N; i-- > 0;) out[i] = runtime::ngetint(e, t);
    return !t.failed;
}

SpriteLayer& layerOf(Engine& e) { return e.display->sprites; }

// The commands that work on the sprite table need the screen that holds it; before the first
// `screen` they stop the script.
bool haveTable(Engine& e, ScriptThread& t, const char* place) {
    if (e.display->display) return true;
    runtime::scriptError(e, t, "スクリーンが作成されていません", place);
    return false;
}

// The handle checks of spset, spmove, spmove2 and spatr: reported, and the command is skipped.
Sprite* checkHandle(Engine& e, ScriptThread& t, int32_t handle, const char* place) {
    SpriteLayer& layer = layerOf(e);
    if (handle < 0) {
        runtime::scriptWarning(e, t, "ハンドルが負数です", place);
        return nullptr;
    }
    if (handle >= layer.count()) {
        runtime::scriptWarning(e, t, "ハンドルが範囲を超えています", place);
        return nullptr;
    }
    Sprite* s = layer.at(handle);
    if (!s->used) {
        runtime::scriptWarning(e, t, "使用していないスプライト番号です", place);
        return nullptr;
    }
    return s;
}

// screen(width, height, bitsPerPixel, spriteCount): the back-end kind, -1 without a screen, -2
// when a new screen buffer could not be made. A full screen goes back to window mode first; a new
// display then takes the configured screen mode.
void cmdScreen(Engine& e, ScriptThread& t) {
    std::array<int32_t, 4> a{};
    if (!popInts(e, t, a)) return;
    if (e.display->mode.fullScreenState == 1) setScreenMode(e, 0);
    bool failed = false;
    if (e.display->display) {
        failed = !recreateDisplay(e, a[0], a[1], a[2]);
    } else if (createDisplay(e, a[0], a[1], a[2], a[3])) {
        setScreenMode(e, e.app.windowModeSetting);
    }
    int32_t result;
    if (!e.display->display) {
        result = -1;
    } else if (failed) {
        result = -2;
    } else {
        result = static_cast<int32_t>(e.host.presenter().kind());
    }
    centreForFullScreen(e);
    runtime::pushInteger(e, t, result);
}

// spset(handle, frame, srcX, srcY, srcWidth, srcHeight).
void cmdSpset(Engine& e, ScriptThread& t) {
    std::array<int32_t, 6> a{};
    if (!popInts(e, t, a) || !haveTable(e, t, "spset")) return;
    Sprite* s = checkHandle(e, t, a[0], "spset");
    if (!s) return;
    int32_t frame = a[1];
    if (frame >= 0 && frame == s->frame && a[2] == s->srcX && a[3] == s->srcY &&
        a[4] == s->srcWidth && a[5] == s->srcHeight) {
        return;
    }
    s->srcX = a[2];
    s->srcY = a[3];
    if (frame >= 0) {
        // A number past the table names a slot that never holds a frame: the sprite shows nothing.
        s->frame = frame;
        const graphics::Frame* f = e.frames->at(frame);
        s->srcWidth = (a[4] <= 0 && f) ? f->width : a[4];
        s->srcHeight = (a[5] <= 0 && f) ? f->height : a[5];
    }
    if (s->inList()) layerOf(e).markArea(*s);
}

// spmove(handle, attributes, x, y, width, height, priority, angle).
void cmdSpmove(Engine& e, ScriptThread& t) {
    float angle = runtime::ngetreal(e, t);
    std::array<int32_t, 7> a{};
    if (!popInts(e, t, a) || !haveTable(e, t, "spmove")) return;
    Sprite* s = checkHandle(e, t, a[0], "spmove");
    if (!s) return;
    int32_t attributes = a[1], x = a[2], y = a[3], width = a[4], height = a[5], priority = a[6];
    if (attributes == s->attributes && x == s->x && y == s->y && width == s->width &&
        height == s->height && priority == s->priority && angle == s->angle) {
        return;
    }
    if (width <= 0) width = s->srcWidth;
    if (height <= 0) height = s->srcHeight;
    SpriteLayer& layer = layerOf(e);
    bool differs = attributes != s->attributes || x != s->x || y != s->y || width != s->width ||
                   height != s->height || priority != s->priority || !(angle == s->angle);
    if (s->inList() && differs) layer.markArea(*s);
    s->attributes = attributes;
    s->x = x;
    s->y = y;
    s->width = width;
    s->height = height;
    s->angle = angle;
    if (priority >= 0) layer.markArea(*s);
    if (priority != s->priority) {
        int32_t index = a[0];
        layer.unlink(index);
        s->priority = priority;
        if (priority >= 0) layer.insert(index);
    }
}

// spget(): the lowest free slot, made ready for spset and spmove.
void cmdSpget(Engine& e, ScriptThread& t) {
    if (!haveTable(e, t, "spget")) return;
    SpriteLayer& layer = layerOf(e);
    for (int32_t i = 0; i < layer.count(); ++i) {
        Sprite& s = *layer.at(i);
        if (s.used) continue;
        s.used = 1;
        s.frame = -1;
        s.priority = -1;
        s.maskFrame = -1;
        s.maskParam1 = 0;
        s.maskParam2 = 0;
        s.maskParam3 = 1;
        s.prev = -1;
        s.next = -1;
        runtime::pushInteger(e, t, i);
        return;
    }
    runtime::scriptError(e, t, "スプライトが足りません", "spget");
}

// spreset(handle): frees the slot; a bad handle stops the script.
void cmdSpreset(Engine& e, ScriptThread& t) {
    int32_t handle = runtime::ngetint(e, t);
    if (t.failed || !haveTable(e, t, "spreset")) return;
    SpriteLayer& layer = layerOf(e);
    if (handle < 0 || handle >= layer.count()) {
        runtime::scriptError(e, t, runtime::formatMessage("無効なスプライト番号「%d」です", handle),
                             "spreset");
        return;
    }
    Sprite& s = *layer.at(handle);
    if (!s.used) {
        runtime::scriptError(e, t,
                             runtime::formatMessage("%dは使用していないスプライト番号です", handle),
                             "spreset");
        return;
    }
    if (s.inList()) layer.markArea(s);
    layer.unlink(handle);
    s.used = 0;
}

// spmove2(handle, x, y): moves without changing anything else.
void cmdSpmove2(Engine& e, ScriptThread& t) {
    std::array<int32_t, 3> a{};
    if (!popInts(e, t, a) || !haveTable(e, t, "spmove2")) return;
    Sprite* s = checkHandle(e, t, a[0], "spmove2");
    if (!s) return;
    SpriteLayer& layer = layerOf(e);
    if (s->inList()) layer.markArea(*s);
    s->x = a[1];
    s->y = a[2];
    if (s->inList()) layer.markArea(*s);
}

// splayer(group, offsetX, offsetY, alpha): group -1 sets the window's opacity.
void cmdSplayer(Engine& e, ScriptThread& t) {
    std::array<int32_t, 4> a{};
    if (!popInts(e, t, a)) return;
    int32_t group = a[0];
    if (group == -1) {
        // 255 and above: an opaque window; below, the alpha as a byte.
        e.host.window().setOpacity(a[3] >= 255 ? 255 : (a[3] & 0xFF));
        return;
    }
    // Only the sixteen groups exist: other numbers are ignored.
    if (group < 0 || group >= graphics::kOffsetGroupCount) return;
    SpriteLayer& layer = layerOf(e);
    graphics::OffsetGroup& g = layer.groups[static_cast<size_t>(group)];
    if (g.offsetX == a[1] && g.offsetY == a[2] && g.groupAlpha == a[3]) return;
    layer.markScreen(e.display->params.width, e.display->params.height);
    g = {a[1], a[2], a[3]};
}

// spwave(amplitude, top, bottom, paramA, paramB, paramC): the composer marks the rows itself.
void cmdSpwave(Engine& e, ScriptThread& t) {
    float c = runtime::ngetreal(e, t);
    float b = runtime::ngetreal(e, t);
    float pa = runtime::ngetreal(e, t);
    std::array<int32_t, 3> a{};
    if (!popInts(e, t, a)) return;
    layerOf(e).wave = {a[0], a[1], a[2], pa, b, c};
}

// screenmode(n): sizes of the desktop, the game screen and the window, or a mode switch; the
// result of a switch is 1 when the screen is full screen afterwards.
void cmdScreenmode(Engine& e, ScriptThread& t) {
    int32_t n = runtime::ngetint(e, t);
    if (t.failed) return;
    platform::Window& window = e.host.window();
    const ScreenParams& p = e.display->params;
    auto fullScreen = [&e] { return e.display->mode.fullScreenState == 1 ? 1 : 0; };
    int32_t result;
    switch (n) {
        case -2: result = window.desktopSize().width; break;
        case -3: result = window.desktopSize().height; break;
        case -4: result = window.virtualScreenSize().width; break;
        case -5: result = window.virtualScreenSize().height; break;
        case -6: result = p.width; break;
        case -7: result = p.height; break;
        case -8: result = p.bitsPerPixel; break;
        case -9: result = window.clientSize().width; break;
        case -10: result = window.clientSize().height; break;
        case 0:
            if (fullScreen()) setScreenMode(e, 0);
            result = fullScreen();
            break;
        case 1:
            if (!fullScreen()) maximiseWindow(e);
            result = fullScreen();
            break;
        default: result = fullScreen(); break;
    }
    runtime::pushInteger(e, t, result);
}

// spatr(handle, maskFrame, maskParam1, maskParam2, maskParam3).
void cmdSpatr(Engine& e, ScriptThread& t) {
    std::array<int32_t, 5> a{};
    if (!popInts(e, t, a) || !haveTable(e, t, "spatr")) return;
    Sprite* s = checkHandle(e, t, a[0], "spatr");
    if (!s) return;
    SpriteLayer& layer = layerOf(e);
    if (s->inList()) layer.markArea(*s);
    s->maskFrame = a[1];
    s->maskParam1 = a[2];
    s->maskParam2 = a[3];
    s->maskParam3 = a[4];
    if (s->inList()) layer.markArea(*s);
}

// sphit(handle, x, y).
void cmdSphit(Engine& e, ScriptThread& t) {
    std::array<int32_t, 3> a{};
    if (!popInts(e, t, a) || !haveTable(e, t, "sphit")) return;
    runtime::pushInteger(e, t, spriteHit(e, a[0], a[1], a[2]));
}

// The reserved ids take their arguments and do nothing.
void cmdReserved2(Engine& e, ScriptThread& t) {
    std::array<int32_t, 2> a{};
    popInts(e, t, a);
}
void cmdReservedResult(Engine& e, ScriptThread& t) {
    runtime::ngetint(e, t);
    if (!t.failed) runtime::pushInteger(e, t, 0);
}
void cmdReserved1(Engine& e, ScriptThread& t) { runtime::ngetint(e, t); }

// The test of one sprite: its priority when the point hits a pixel it shows, else -1.
int32_t hitOne(const Engine& e, const Sprite& s, int32_t px, int32_t py) {
    if (!s.used) return -1;
    const SpriteLayer& layer = e.display->sprites;
    graphics::ScreenPoint o = layer.offsetOf(s);
    int64_t x = int64_t{px} - o.x;
    int64_t y = int64_t{py} - o.y;
    if (x < s.x || y < s.y || x >= int64_t{s.x} + s.width || y >= int64_t{s.y} + s.height)
        return -1;
    const graphics::Frame* f = e.frames->at(s.frame);
    if (!f) return -1;
    int64_t sx = (x - s.x) * s.srcWidth / s.width + s.srcX;
    int64_t sy = (y - s.y) * s.srcHeight / s.height + s.srcY;
    bool inside = sx >= 0 && sy >= 0 && sx < f->width && sy < f->height;
    uint32_t p =
        inside ? graphics::getColour(*f, static_cast<int32_t>(sx), static_cast<int32_t>(sy)) : 0;
    if (f->bpp == 32 && f->alphaValid && (p >> 24) == 0) return -1;
    return s.priority;
}

constexpr builtins::CommandEntry kSpriteCommands[] = {
    {768, "screen", cmdScreen},   {769, "spset", cmdSpset},           {770, "spmove", cmdSpmove},
    {771, "spget", cmdSpget},     {772, "spreset", cmdSpreset},       {773, "sp773", cmdReserved2},
    {774, "spmove2", cmdSpmove2}, {775, "sp775", cmdReservedResult},  {776, "splayer", cmdSplayer},
    {777, "spwave", cmdSpwave},   {778, "screenmode", cmdScreenmode}, {779, "sp779", cmdReserved1},
    {782, "spatr", cmdSpatr},     {783, "sphit", cmdSphit},
};

}  // namespace

int32_t spriteHit(const Engine& e, int32_t handle, int32_t x, int32_t y) {
    const SpriteLayer& layer = e.display->sprites;
    if (handle >= 0) {
        const Sprite* s = layer.at(handle);
        return s ? hitOne(e, *s, x, y) : -1;
    }
    int32_t best = -1;
    int32_t bestPriority = -1;
    for (int32_t i = 0; i < layer.count(); ++i) {
        int32_t r = hitOne(e, *layer.at(i), x, y);
        if (r > bestPriority) {
            bestPriority = r;
            best = i;
        }
    }
    return best;
}

void registerSpriteCommands(builtins::CommandTable& table) { table.add(kSpriteCommands); }

}  // namespace rs::display
