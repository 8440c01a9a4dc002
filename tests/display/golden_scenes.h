// The golden scenes of the composers: a gradient background with priorities and ties, offset
// groups and their alpha, wrapping, scaling, rotation, the blend modes, masks and the wave. The
// software composer's pictures of them are the golden images scene_<name>.png; the GPU composer
// is compared with those.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "display/scene_support.h"

namespace rs::test {

constexpr int32_t kGoldenWidth = 128;
constexpr int32_t kGoldenHeight = 96;

// Frames: 1 background, 2 and 3 discs, 4 a keyed chequer, 5 a small gradient, 6 a mask ramp.
inline std::unique_ptr<Scene> goldenBaseScene() {
    auto s = std::make_unique<Scene>(kGoldenWidth, kGoldenHeight, 16);
    s->add(1, gradientPicture(kGoldenWidth, kGoldenHeight));
    s->add(2, discPicture(32, 0xE04030));
    s->add(3, discPicture(24, 0x30C0F0));
    s->add(4, keyedPicture(28, 20));
    s->add(5, gradientPicture(24, 16));
    s->add(6, rampMask(32, 32));
    s->show(0, 1, 0, 0, 0);
    return s;
}

inline int32_t opacity(int32_t a) { return graphics::spriteattr::kHasOpacity | a << 8; }
inline int32_t group(int32_t g) { return g << 4; }
inline int32_t mode(int32_t m) { return m << 16; }

struct GoldenScene {
    const char* name;
    std::function<void(Scene&)> build;
    float time = 0;
};

// The golden scenes, each built on goldenBaseScene().
inline std::vector<GoldenScene> goldenScenes() {
    using namespace graphics;
    return {
        {"priorities",
         [](Scene& s) {
             s.show(1, 2, 20, 20, 5);
             s.show(2, 3, 36, 28, 5);  // same priority, listed later: on top
             s.show(3, 4, 10, 30, 3);  // lower priority: below both
             s.show(4, 2, 70, 40, 9);
             s.show(5, 4, 60, 30, 9, opacity(255));
         }},
        {"offset_groups",
         [](Scene& s) {
             s.layer.groups[0] = {4, -3, 255};
             s.layer.groups[1] = {20, 10, 160};
             s.layer.groups[2] = {-8, 30, 255};
             s.show(1, 2, 10, 10, 1);
             s.show(2, 2, 10, 10, 2, group(1));
             s.show(3, 3, 60, 10, 3, group(2));
             s.show(4, 4, 90, 60, 4, group(3));  // group 3 keeps alpha 0: not shown
             s.show(5, 5, 90, 20, 5, group(1) | opacity(128));
         }},
        {"wrapping",
         [](Scene& s) {
             s.show(1, 2, -12, 40, 1, spriteattr::kWrapX);
             s.show(2, 4, 110, 84, 2, spriteattr::kWrapX | spriteattr::kWrapY);
             s.show(3, 3, 50, -10, 3, spriteattr::kWrapY);
         }},
        {"scaling",
         [](Scene& s) {
             Sprite& a = s.show(1, 2, 4, 4, 1);
             a.width = 64, a.height = 48;
             Sprite& b = s.show(2, 4, 70, 10, 2, opacity(140));
             b.width = 50, b.height = 14;
             Sprite& c = s.show(3, 5, 80, 50, 3);
             c.srcX = 4, c.srcY = 2, c.srcWidth = 12, c.srcHeight = 8, c.width = 40, c.height = 40;
             Sprite& d = s.show(4, 3, 40, 70, 4, opacity(255));
             d.width = 12, d.height = 12;
         }},
        {"rotation",
         [](Scene& s) {
             Sprite& a = s.show(1, 5, 10, 10, 1);
             a.angle = 0.5f;
             Sprite& b = s.show(2, 2, 50, 20, 2);
             b.angle = -1.2f;
             b.width = 48, b.height = 40;
             Sprite& c = s.show(3, 3, 90, 50, 3, mode(1) | opacity(200));
             c.angle = 2.0f;
             Sprite& d = s.show(4, 4, 20, 60, 4, spriteattr::kWrapX);
             d.angle = 3.14159265f;
         }},
        {"blend_modes",
         [](Scene& s) {
             const int32_t modes[] = {0, 1, 7, 8, 2};
             for (int32_t i = 0; i < 5; ++i) {
                 s.show(1 + i, 2, 2 + i * 25, 8, 1, mode(modes[i]) | opacity(i == 0 ? 120 : 255));
                 s.show(6 + i, 5, 6 + i * 25, 52, 1, mode(modes[i]) | opacity(180));
             }
         }},
        {"masks",
         [](Scene& s) {
             Sprite& a = s.show(1, 5, 10, 10, 1);
             a.maskFrame = 6, a.maskParam1 = 0, a.maskParam2 = 0, a.maskParam3 = 1;
             Sprite& b = s.show(2, 4, 50, 20, 2, mode(1) | spriteattr::kWrapX);
             b.maskFrame = 6, b.maskParam1 = -60, b.maskParam2 = 40, b.maskParam3 = 3;
             b.angle = 0.7f;  // not turned: masked drawing ignores the angle
             Sprite& c = s.show(3, 2, 70, 40, 3);
             c.width = 56, c.height = 48;
             c.maskFrame = 6, c.maskParam3 = 2;
         }},
        {"wave",
         [](Scene& s) {
             s.layer.wave = {6, 10, 80, 2.0943334f, 1.57075f, 0.13089584f};
             s.show(1, 3, 52, 36, 1);
         },
         2.5f},
    };
}

}  // namespace rs::test
