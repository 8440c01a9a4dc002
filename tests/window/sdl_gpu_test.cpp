// The GPU composer on SDL's renderer in a real window (under Xvfb, Mesa's software OpenGL): the
// golden scenes against the software composer and the reference GPU, opaque scenes exactly, the
// blend modes against their formulas, uploads of changed frames only and of everything after a
// reset, the picture scaled into the window, and a playing movie's rectangle.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cmath>
#include <string>

#include "display/gpu_scene_support.h"
#include "platform/reference_gpu.h"
#include "platform/sdl/sdl_gpu_scene.h"
#include "window/window_game.h"

namespace rs::test {
namespace {

using platform::Picture;
using platform::QuadBlend;

// The window's presenter running kind 2, at scale 1 for a picture of this size.
struct GpuWindow {
    WindowGame w;
    GpuWindow(int32_t width, int32_t height) {
        EXPECT_TRUE(w.presenter().drawsScenes());
        w.presenter().setKind(platform::BackEndKind::Direct3D);
        w.window().placeClient({100, 100, width, height});
        w.settle();
        w.presenter().paintBlack(width, height);
    }
    // The scene drawn by the presenter, and read back from its target.
    graphics::Image draw(platform::DrawList list) {
        w.presenter().drawScene(std::move(list));
        return imageOf(w.presenter().picture());
    }
};

TEST(SdlGpu, TheRendererDrawsScenesWhereSoftwareRenderersCannot) {
    WindowGame g;
    std::string why;
    EXPECT_TRUE(g.presenter().gpu().supported(&why)) << why;
    SDL_RendererInfo info;
    ASSERT_EQ(SDL_GetRendererInfo(g.window().renderer(), &info), 0);
    std::printf("renderer: %s, textures up to %d x %d\n", info.name, info.max_texture_width,
                info.max_texture_height);
    platform::TextureLimits limits = g.presenter().textureLimits();
    EXPECT_EQ(limits.maxWidth, info.max_texture_width);
    EXPECT_FALSE(limits.powerOfTwo);

    // SDL's software renderer has no custom blend modes: kind 2 is not offered there.
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, 16, 16, 32, SDL_PIXELFORMAT_ARGB8888);
    ASSERT_TRUE(surface);
    SDL_Renderer* software = SDL_CreateSoftwareRenderer(surface);
    ASSERT_TRUE(software);
    {
        platform::sdl::SdlGpuScene scene(software);
        EXPECT_FALSE(scene.supported(&why));
        EXPECT_EQ(why, "no custom blend modes");
    }
    SDL_DestroyRenderer(software);
    SDL_FreeSurface(surface);
}

TEST(SdlGpu, GoldenScenesNearTheSoftwareComposerAndTheReferenceGpu) {
    GpuWindow g(kGoldenWidth, kGoldenHeight);
    for (const GoldenScene& scene : goldenScenes()) {
        SCOPED_TRACE(scene.name);
        auto s = goldenBaseScene();
        scene.build(*s);
        auto expected =
            graphics::readPng(std::string(RS_GOLDEN_DIR) + "/scene_" + scene.name + ".png");
        ASSERT_TRUE(expected);
        platform::DrawList list = s->gpuList(scene.time);
        platform::ReferenceGpu model;
        model.draw(platform::DrawList(list));
        graphics::Image shown = g.draw(std::move(list));
        PictureDifference sw = expectNearSoftware(scene.name, shown, *expected);
        // The device and the model differ only in their arithmetic's last bits.
        PictureDifference ref = pictureDifference(shown, imageOf(model.target()));
        EXPECT_LE(ref.maxChannel, 3) << describe(ref);
        EXPECT_LE(ref.meanChannel, 0.1) << describe(ref);
        std::printf("%-14s software: %s; reference: %s\n", scene.name, describe(sw).c_str(),
                    describe(ref).c_str());
    }
}

TEST(SdlGpu, OpaqueUnscaledScenesAreIdentical) {
    GpuWindow g(kGoldenWidth, kGoldenHeight);
    for (const GoldenScene& scene : opaqueScenes()) {
        SCOPED_TRACE(scene.name);
        auto s = goldenBaseScene();
        scene.build(*s);
        graphics::Image software = softwarePicture(*s);
        graphics::Image shown = g.draw(s->gpuList());
        EXPECT_TRUE(shown == software) << describe(pictureDifference(shown, software));
    }
}

// A flat frame of 4 x 4 pixels of one colour.
std::unique_ptr<graphics::Frame> flat(uint32_t colour, bool alpha) {
    auto f = graphics::createFrame(4, 4, 32, alpha ? 2 : 0);
    for (int32_t y = 0; y < 4; ++y) {
        for (int32_t x = 0; x < 4; ++x) graphics::putPixel(*f, x, y, colour);
    }
    return f;
}

TEST(SdlGpu, BlendModesFollowTheirFormulas) {
    GpuWindow g(4, 4);
    struct Case {
        uint32_t target, colour;
        bool alpha;
        int32_t mode, opacity;
    };
    std::vector<Case> cases;
    for (uint32_t target : {0xFF000000u, 0xFF305070u, 0xFFC0A080u, 0xFFFFFFFFu}) {
        for (uint32_t colour : {0x80C86432u, 0xFF20E080u, 0x00FF8000u}) {
            for (int32_t mode : {0, 1, 7, 8}) {
                for (int32_t a : {255, 100}) {
                    cases.push_back({target, colour, true, mode, a});
                    cases.push_back({target, colour | 0xFF000000u, false, mode, a});
                }
            }
        }
    }
    for (const Case& c : cases) {
        Scene s(4, 4);
        s.add(1, flat(c.target, false));
        s.add(2, flat(c.colour, c.alpha));
        s.show(0, 1, 0, 0, 0);
        s.show(1, 2, 0, 0, 1, mode(c.mode) | opacity(c.opacity));
        uint32_t shown = g.draw(s.gpuList()).at(1, 1);
        double sa = (c.alpha ? (c.colour >> 24) : 255) / 255.0 * c.opacity / 255.0;
        for (int ch = 0; ch < 3; ++ch) {
            double t = ((c.target >> (8 * ch)) & 0xFF) / 255.0;
            double k = ((c.colour >> (8 * ch)) & 0xFF) / 255.0;
            double r = 0;
            switch (c.mode) {
                case 0: r = k * sa + t * (1 - sa); break;
                case 1:
                case 8: r = t + k * sa; break;
                case 7: {
                    double first = std::round(k * (1 - t) * 255) / 255;
                    r = k * first + first * (1 - sa);
                    break;
                }
            }
            auto expected = static_cast<int32_t>(std::lround(std::clamp(r, 0.0, 1.0) * 255));
            auto got = static_cast<int32_t>((shown >> (8 * ch)) & 0xFF);
            EXPECT_NEAR(got, expected, 2)
                << std::hex << "target " << c.target << " colour " << c.colour << std::dec
                << " mode " << c.mode << " opacity " << c.opacity << " channel " << ch;
        }
    }
}

TEST(SdlGpu, OnlyChangedFramesAreUploaded) {
    WindowGame w;
    GpuGame g(w.engine());
    platform::sdl::SdlGpuScene& gpu = w.presenter().gpu();
    g.present();
    EXPECT_EQ(gpu.uploads(), 2);
    EXPECT_EQ(gpu.uploadedBytes(), (64 * 48 + 16 * 16) * 4);
    EXPECT_EQ(gpu.textureCount(), 2u);
    Picture first = w.presenter().picture();
    ASSERT_EQ(first.width, 64);
    EXPECT_EQ(first.pixels[0], graphics::getColour(*g.e.frames->at(1), 0, 0));
    g.run("spmove2", {1, 30, 20});
    g.present();
    EXPECT_EQ(gpu.uploads(), 2);
    g.drawIntoDisc();
    g.present();
    EXPECT_EQ(gpu.uploads(), 3);
    EXPECT_EQ(w.presenter().picture().pixels[(20 + 8) * 64 + 30 + 8], 0xFFFFFFFFu);

    // On the device too: pure green of a frame without alpha is transparent, and an 8-bit frame's
    // index is its alpha.
    auto keyed = graphics::createFrame(2, 1, 32, 0);
    graphics::putPixel(*keyed, 0, 0, 0x0000FF00u);
    graphics::putPixel(*keyed, 1, 0, 0x00FF0000u);
    g.e.frames->place(4, std::move(keyed));
    auto indexed = graphics::createFrame(3, 1, 8, 0);
    indexed->palette[128] = 0xFFFFFFu;
    indexed->palette[255] = 0x0000FFu;
    graphics::putPixel(*indexed, 1, 0, 128);
    graphics::putPixel(*indexed, 2, 0, 255);
    g.e.frames->place(5, std::move(indexed));
    for (int32_t slot : {4, 5}) {
        int32_t h = g.run("spget", {});
        g.run("spset", {h, slot, 0, 0, 0, 0});
        g.run("spmove", {h, 0, 2, 40 + slot, 0, 0, 9, 0.0});
    }
    g.present();
    EXPECT_EQ(gpu.uploads(), 5);
    Picture p = w.presenter().picture();
    auto shown = [&](int32_t x, int32_t y) { return p.pixels[static_cast<size_t>(y * 64 + x)]; };
    auto background = [&](int32_t x, int32_t y) {
        return graphics::getColour(*g.e.frames->at(1), x, y) | 0xFF000000u;
    };
    EXPECT_EQ(shown(2, 44), background(2, 44));
    EXPECT_EQ(shown(3, 44), 0xFFFF0000u);
    EXPECT_EQ(shown(2, 45), background(2, 45));
    EXPECT_EQ(shown(4, 45), 0xFF0000FFu);
    uint32_t bg = background(3, 45);
    for (int ch = 0; ch < 3; ++ch) {
        int32_t t = static_cast<int32_t>((bg >> (8 * ch)) & 0xFF);
        int32_t expected = static_cast<int32_t>(std::lround((255 * 128 + t * 127) / 255.0));
        EXPECT_NEAR(static_cast<int32_t>((shown(3, 45) >> (8 * ch)) & 0xFF), expected, 2);
    }
}

TEST(SdlGpu, AResetUploadsEverythingAgainAndThePictureStays) {
    for (SDL_EventType reset : {SDL_RENDER_TARGETS_RESET, SDL_RENDER_DEVICE_RESET}) {
        SCOPED_TRACE(reset);
        WindowGame w;
        GpuGame g(w.engine());
        g.present();
        platform::sdl::SdlGpuScene& gpu = w.presenter().gpu();
        EXPECT_EQ(gpu.uploads(), 2);
        Picture before = w.presenter().picture();
        uint32_t texture = g.textureOf(1);
        SDL_Event e{};
        e.type = reset;
        SDL_PushEvent(&e);
        w.settle();
        EXPECT_EQ(w.presenter().textureLosses(), 1u);
        EXPECT_EQ(gpu.uploads(), 4);
        EXPECT_EQ(gpu.textureCount(), 2u);
        EXPECT_NE(g.textureOf(1), texture);
        EXPECT_TRUE(w.presenter().picture().pixels == before.pixels);
        // The window shows it too.
        EXPECT_TRUE(w.presenter().readWindow().pixels == before.pixels);
    }
}

TEST(SdlGpu, TheTargetIsScaledToTheWindowInTheSameFrame) {
    for (platform::ScaleFilter filter :
         {platform::ScaleFilter::Nearest, platform::ScaleFilter::Linear,
          platform::ScaleFilter::Sharp}) {
        SCOPED_TRACE(platform::scaleFilterName(filter));
        platform::sdl::SdlHostOptions o = windowTestOptions();
        o.filter = filter;
        WindowGame w(o);
        GpuGame g(w.engine());
        w.window().placeClient({100, 100, 64 * 3, 48 * 3});
        w.settle();
        g.present();
        Picture picture = w.presenter().picture();
        Picture shown = w.presenter().readWindow();
        ASSERT_EQ(shown.width, 64 * 3);
        for (int32_t y = 0; y < 48 * 3; ++y) {
            for (int32_t x = 0; x < 64 * 3; ++x) {
                ASSERT_EQ(shown.pixels[static_cast<size_t>(y * shown.width + x)],
                          picture.pixels[static_cast<size_t>((y / 3) * 64 + x / 3)])
                    << x << "," << y;
            }
        }
        // Another shape: the picture fits the height, centred with black borders.
        w.window().placeClient({100, 100, 200, 100});
        w.settle();
        shown = w.presenter().readWindow();
        EXPECT_EQ(w.presenter().view().drawRect(), (platform::PixelRect{33, 0, 133, 100}));
        EXPECT_EQ(shown.pixels[50 * 200 + 10], 0xFF000000u);
        EXPECT_EQ(shown.pixels[50 * 200 + 190], 0xFF000000u);
    }
}

TEST(SdlGpu, APlayingMovieKeepsItsRectangle) {
    WindowGame w;
    GpuGame g(w.engine());
    g.e.app.moviePlaying = 1;
    g.e.display->movieArea = platform::PixelRect{8, 6, 32, 24};
    g.present();
    Picture picture = w.presenter().picture();
    Picture shown = w.presenter().readWindow();
    ASSERT_EQ(shown.width, 64);
    for (int32_t y = 0; y < 48; ++y) {
        for (int32_t x = 0; x < 64; ++x) {
            bool movie = x >= 8 && x < 40 && y >= 6 && y < 30;
            size_t i = static_cast<size_t>(y * 64 + x);
            ASSERT_EQ(shown.pixels[i], movie ? 0xFF000000u : picture.pixels[i]) << x << "," << y;
        }
    }
}

}  // namespace
}  // namespace rs::test
