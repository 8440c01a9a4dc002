// Scenes for the composer tests: a screen buffer, a frame table and a sprite layer built in code,
// pictures drawn for them, and sprite commands run directly on an engine.
#pragma once

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "builtins/dispatcher.h"
#include "display/display.h"
#include "display/gpu_composer.h"
#include "graphics/composer.h"
#include "graphics/frame.h"
#include "graphics/png_io.h"
#include "graphics/sprite_layer.h"
#include "runtime/fetch.h"
#include "shell/engine.h"
#include "support/test_game.h"

namespace rs::test {

// A colour gradient without alpha: red across, blue down, a darker grid every 8 pixels.
inline std::unique_ptr<graphics::Frame> gradientPicture(int32_t w, int32_t h) {
    auto f = graphics::createFrame(w, h, 32, 0);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            uint32_t r = static_cast<uint32_t>(x * 255 / std::max(1, w - 1));
            uint32_t b = static_cast<uint32_t>(y * 255 / std::max(1, h - 1));
            uint32_t g = (x % 8 == 0 || y % 8 == 0) ? 40u : 120u;
            graphics::putPixel(*f, x, y, 0xFF000000u | r << 16 | g << 8 | b);
        }
    }
    return f;
}

// A disc with a soft edge on a transparent ground (a frame with alpha), in one colour.
inline std::unique_ptr<graphics::Frame> discPicture(int32_t size, uint32_t colour) {
    auto f = graphics::createFrame(size, size, 32, 2);
    double c = (size - 1) / 2.0;
    for (int32_t y = 0; y < size; ++y) {
        for (int32_t x = 0; x < size; ++x) {
            double d = std::sqrt((x - c) * (x - c) + (y - c) * (y - c)) / (size / 2.0);
            double a = std::clamp((1.0 - d) * 3.0, 0.0, 1.0);
            // A lighter stripe shows how the picture is turned and scaled.
            uint32_t p = (x > y && x < y + 3) ? 0x00FFFFFFu : (colour & 0x00FFFFFFu);
            graphics::putPixel(*f, x, y, static_cast<uint32_t>(a * 255) << 24 | p);
        }
    }
    return f;
}

// A picture without alpha with a green-keyed frame around a chequered middle.
inline std::unique_ptr<graphics::Frame> keyedPicture(int32_t w, int32_t h) {
    auto f = graphics::createFrame(w, h, 32, 0);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            bool border = x < 3 || y < 3 || x >= w - 3 || y >= h - 3;
            uint32_t p = border ? 0x0000FF00u : (((x / 4 + y / 4) % 2) ? 0xFFF0C040u : 0xFF4040C0u);
            graphics::putPixel(*f, x, y, p);
        }
    }
    return f;
}

// A grey ramp used as a mask (an 8-bit frame read by index).
inline std::unique_ptr<graphics::Frame> rampMask(int32_t w, int32_t h) {
    auto f = graphics::createFrame(w, h, 8, 0);
    for (int32_t i = 0; i < 256; ++i)
        f->palette[static_cast<size_t>(i)] = static_cast<uint32_t>(i) * 0x010101u;
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x)
            graphics::putPixel(
                *f, x, y, static_cast<uint32_t>((x * 255 / std::max(1, w - 1) + y * 2) & 0xFF));
    }
    return f;
}

// A scene composed without an engine.
struct Scene {
    std::unique_ptr<graphics::FrameTable> frames = std::make_unique<graphics::FrameTable>();
    graphics::SpriteLayer layer;
    std::unique_ptr<graphics::Frame> screen;

    Scene(int32_t w, int32_t h, int32_t spriteCount = 16)
        : screen(graphics::createFrame(w, h, 32, 0)) {
        layer.sprites.resize(static_cast<size_t>(spriteCount));
        layer.screenWidth = w;
        layer.screenHeight = h;
    }
    graphics::Frame& add(int32_t slot, std::unique_ptr<graphics::Frame> f) {
        return *frames->place(slot, std::move(f));
    }

    // A listed sprite showing the whole frame in `slot` at its own size.
    graphics::Sprite& show(int32_t index, int32_t slot, int32_t x, int32_t y, int32_t priority,
                           int32_t attributes = 0) {
        graphics::Sprite& s = layer.sprites[static_cast<size_t>(index)];
        s.used = 1;
        s.frame = slot;
        const graphics::Frame* f = frames->at(slot);
        s.srcX = s.srcY = 0;
        s.srcWidth = s.width = f ? f->width : 0;
        s.srcHeight = s.height = f ? f->height : 0;
        s.x = x;
        s.y = y;
        s.attributes = attributes;
        s.priority = priority;
        layer.insert(index);
        return s;
    }

    // Composes the whole screen at time t (seconds).
    graphics::ComposeResult composeAll(float t = 0) {
        layer.dirty.reset();
        layer.markScreen(screen->width, screen->height);
        layer.dirty.clip(screen->width, screen->height);
        return compose(t);
    }
    graphics::ComposeResult compose(float t = 0) {
        graphics::Composer c{*screen, layer, *frames, graphics::BlitContext{}, t};
        return graphics::composeSoftware(c, true);
    }
    graphics::Image image() const { return graphics::imageFromFrame(*screen); }

    // The GPU composer's draw list of the whole scene at time t.
    platform::DrawList gpuList(float t = 0, platform::TextureLimits limits = {}) {
        platform::DrawList list;
        display::GpuComposer c{layer, *frames, gpu, limits, screen->width, screen->height, t};
        display::composeDirect3D(c, list);
        return list;
    }
    display::GpuTextures gpu;
};

// Runs command `name` on thread 0 of the engine with integer (and real) arguments in script
// order; returns the integer it pushed, or `none` when it pushed nothing.
struct Arg {
    bool real;
    double v;
    Arg(int v_) : real(false), v(v_) {}
    Arg(double v_) : real(true), v(v_) {}
};
inline int32_t command(Engine& e, const char* name, const std::vector<Arg>& args,
                       int32_t none = -12345) {
    runtime::ScriptThread* t = e.threads.at(0);
    if (!t) t = e.threads.create(0);
    for (const Arg& a : args) {
        if (a.real) {
            runtime::pushReal(e, *t, static_cast<float>(a.v));
        } else {
            runtime::pushInteger(e, *t, static_cast<int32_t>(a.v));
        }
    }
    const builtins::CommandEntry* entry = e.commands.findByName(name);
    int32_t before = t->psp;
    builtins::dispatch(e, *t, entry->id);
    if (t->psp <= before - static_cast<int32_t>(args.size())) return none;
    return runtime::ngetint(e, *t);
}

}  // namespace rs::test
