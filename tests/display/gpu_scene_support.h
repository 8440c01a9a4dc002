// What the GPU composer's pictures of the golden scenes may differ by from the software
// composer's, and the check of it. The GPU draws the same scene with linear filtering where the
// software composer scales and turns nearest-neighbour, places the edges of turned sprites half a
// pixel further out, rounds its blends to nearest instead of down, shows pure green of frames
// without alpha as transparent, and draws blend mode 8 additively and mode 7 in two passes: those
// parts are left out here (the blend modes are compared with their formulas on their own).
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "display/golden_scenes.h"
#include "display/screen_mode.h"
#include "graphics/png_io.h"
#include "platform/view_transform.h"
#include "support/picture_compare.h"

namespace rs::test {

struct GpuTolerance {
    const char* scene;
    // Scaled or turned sprites: each pixel is compared with the range of its 3 x 3 neighbourhood.
    bool neighbourhood;
    int32_t maxChannel;
    double meanChannel;
    // Left out of the comparison: the parts that differ by design.
    std::vector<platform::PixelRect> byDesign;
};

inline const std::vector<GpuTolerance>& gpuTolerances() {
    // Alpha: blends rounded to nearest against blends rounded down. Scaled and turned: linear
    // filtering spreads each texel's edge over the scale factor's width.
    static const std::vector<GpuTolerance> t = {
        {"priorities", false, 3, 0.12, {}},
        {"offset_groups", false, 3, 0.12, {}},
        {"wrapping", false, 3, 0.12, {}},
        // The keyed picture scaled: green shown by the software composer.
        {"scaling", true, 40, 0.3, {{69, 9, 52, 16}}},
        // The keyed picture turned: green shown by the software composer.
        {"rotation", true, 40, 0.3, {{19, 59, 30, 22}}},
        // Modes 7 and 8.
        {"blend_modes", false, 3, 0.12, {{51, 7, 58, 34}, {55, 51, 50, 18}}},
        {"masks", false, 3, 0.12, {}},
        {"wave", false, 3, 0.12, {}},
    };
    return t;
}

inline const GpuTolerance* gpuTolerance(const std::string& scene) {
    for (const GpuTolerance& t : gpuTolerances()) {
        if (scene == t.scene) return &t;
    }
    return nullptr;
}

// The picture with the by-design parts painted black.
inline graphics::Image withoutParts(graphics::Image image,
                                    const std::vector<platform::PixelRect>& parts) {
    for (const platform::PixelRect& r : parts) {
        for (int32_t y = std::max(r.y, 0); y < std::min(r.y + r.height, image.height); ++y) {
            for (int32_t x = std::max(r.x, 0); x < std::min(r.x + r.width, image.width); ++x)
                image.pixels[static_cast<size_t>(y) * static_cast<size_t>(image.width) +
                             static_cast<size_t>(x)] = 0xFF000000u;
        }
    }
    return image;
}

// The GPU's picture of a golden scene against the software composer's, within the tolerance.
inline PictureDifference expectNearSoftware(const std::string& scene, const graphics::Image& gpu,
                                            const graphics::Image& software) {
    const GpuTolerance* t = gpuTolerance(scene);
    EXPECT_TRUE(t) << scene;
    if (!t) return {};
    graphics::Image a = withoutParts(gpu, t->byDesign), b = withoutParts(software, t->byDesign);
    PictureDifference d =
        t->neighbourhood ? neighbourhoodDifference(a, b) : pictureDifference(a, b);
    EXPECT_LE(d.maxChannel, t->maxChannel) << scene << ": " << describe(d);
    EXPECT_LE(d.meanChannel, t->meanChannel) << scene << ": " << describe(d);
    return d;
}

// The software composer's picture of the whole scene at time t, opaque as a window shows it.
inline graphics::Image softwarePicture(Scene& s, float t = 0) {
    s.composeAll(t);
    graphics::Image image = s.image();
    for (uint32_t& p : image.pixels) p |= 0xFF000000u;
    return image;
}

// Opaque pixels of every colour but pure green, without alpha.
inline std::unique_ptr<graphics::Frame> noisePicture(int32_t w, int32_t h, uint32_t seed) {
    auto f = graphics::createFrame(w, h, 32, 0);
    uint32_t v = seed;
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            v = v * 1664525u + 1013904223u;
            uint32_t p = 0xFF000000u | (v >> 8);
            if (p == 0xFF00FF00u) p ^= 1;
            graphics::putPixel(*f, x, y, p);
        }
    }
    return f;
}

// Scenes of opaque frames drawn unscaled and unturned at full opacity, on goldenBaseScene(): the
// GPU composer shows exactly the software composer's pixels. Keyed pictures after the first
// sprite lose their green in both.
inline std::vector<GoldenScene> opaqueScenes() {
    using graphics::Sprite;
    using graphics::spriteattr::kWrapX;
    using graphics::spriteattr::kWrapY;
    return {
        {"opaque_keyed",
         [](Scene& s) {
             s.layer.groups[1] = {5, 3, 255};
             s.show(1, 4, 10, 10, 1);
             s.show(2, 4, 40, 50, 2, group(1));
             s.show(3, 4, 110, 84, 3, kWrapX | kWrapY);
             s.show(4, 5, -6, 70, 4, opacity(255));
             Sprite& part = s.show(5, 1, 70, 30, 5);
             part.srcX = 30, part.srcY = 20, part.srcWidth = part.width = 40;
             part.srcHeight = part.height = 30;
         }},
        {"opaque_noise",
         [](Scene& s) {
             s.add(7, noisePicture(37, 23, 7));
             s.add(8, noisePicture(16, 16, 8));
             s.show(1, 7, 3, 5, 1);
             s.show(2, 7, 101, -7, 2);
             Sprite& part = s.show(3, 7, 33, 41, 3);
             part.srcX = 5, part.srcY = 4, part.srcWidth = part.width = 20;
             part.srcHeight = part.height = 11;
             // A source rectangle reaching past the frame shows the frame's part of it.
             Sprite& past = s.show(4, 8, 60, 70, 4);
             past.srcX = -4, past.srcY = 6, past.srcWidth = past.width = 24;
             past.srcHeight = past.height = 16;
             s.show(5, 8, -9, 88, 5, kWrapX);
         }},
    };
}

// A game over any host that runs back-end kind 2 with a 64 x 48 screen: frame 1 a background of
// noise under sprite 0, frame 2 a disc with alpha under sprite 1, frame 3 shown by no sprite.
struct GpuGame {
    Engine& e;
    explicit GpuGame(Engine& engine) : e(engine) {
        e.app.backEndRequest = 2;
        display::openMainWindow(e);
        EXPECT_EQ(e.host.presenter().kind(), platform::BackEndKind::Direct3D);
        EXPECT_EQ(run("screen", {64, 48, 0, 8}), 2);
        e.frames->place(1, noisePicture(64, 48, 1));
        e.frames->place(2, discPicture(16, 0x3060F0));
        e.frames->place(3, noisePicture(16, 16, 3));
        for (int32_t slot : {1, 2}) {
            int32_t h = run("spget", {});
            run("spset", {h, slot, 0, 0, 0, 0});
            run("spmove", {h, 0, 10 * h, 5 * h, 0, 0, h, 0.0});
        }
    }
    int32_t run(const char* name, std::initializer_list<Arg> args) {
        return command(e, name, args);
    }
    // A turn's presentation after the scripts ran.
    void present() {
        e.sceneChanged = 1;
        display::present(e);
    }
    // A white pixel drawn into the disc's middle, reported as a drawing command reports it.
    void drawIntoDisc() {
        graphics::Frame& disc = *e.frames->at(2);
        graphics::putPixel(disc, 8, 8, 0xFFFFFFFFu);
        graphics::frameChanged(*e.frames, disc, 8, 8);
    }
    uint32_t textureOf(int32_t slot) const {
        return display::GpuTextures::idOf(*e.frames->at(slot));
    }
};

}  // namespace rs::test
