// The GPU composer (back-end kind 2) over the headless host, whose presenter draws the lists on
// the reference GPU: texture sizes and texels, the quads of sprites, uploads of changed frames
// only, lost textures, the self-linked sprite, the wave and a playing movie.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "display/gpu_scene_support.h"
#include "display/texture_upload.h"
#include "platform/headless_host.h"
#include "shell/window_events.h"

namespace rs::test {
namespace {

using graphics::Sprite;
using platform::Quad;
using platform::QuadBlend;
using platform::SizeInPixels;
using platform::TextureLimits;

TEST(GpuComposer, TextureSizesFollowTheDeviceLimits) {
    EXPECT_EQ(display::textureSize(300, 200, {}), (SizeInPixels{300, 200}));
    TextureLimits pow2{2048, 2048, true, false};
    EXPECT_EQ(display::textureSize(300, 200, pow2), (SizeInPixels{512, 256}));
    EXPECT_EQ(display::textureSize(256, 1, pow2), (SizeInPixels{256, 1}));
    TextureLimits square{2048, 2048, true, true};
    EXPECT_EQ(display::textureSize(300, 200, square), (SizeInPixels{512, 512}));
    // Larger frames get the largest texture the device allows.
    EXPECT_EQ(display::textureSize(5000, 40, TextureLimits{4096, 4096, false, false}),
              (SizeInPixels{4096, 40}));
    EXPECT_EQ(display::textureSize(5000, 40, TextureLimits{4096, 1024, true, true}),
              (SizeInPixels{1024, 1024}));
    EXPECT_EQ(display::textureSize(0, 0, {}), (SizeInPixels{1, 1}));
}

TEST(GpuComposer, TexelsOfEachKindOfFrame) {
    // Without alpha: opaque, pure green (whatever its alpha byte) fully transparent.
    auto plain = graphics::createFrame(4, 1, 32, 0);
    const uint32_t in[4] = {0x0000FF00u, 0x8000FF00u, 0x0000FE00u, 0x00123456u};
    for (int32_t x = 0; x < 4; ++x) graphics::putPixel(*plain, x, 0, in[x]);
    platform::TextureImage t = display::textureImage(*plain, {4, 1});
    EXPECT_EQ(t.texels, (std::vector<uint32_t>{0, 0, 0xFF00FE00u, 0xFF123456u}));
    // With alpha: as they are, green included.
    auto alpha = graphics::createFrame(4, 1, 32, 2);
    for (int32_t x = 0; x < 4; ++x) graphics::putPixel(*alpha, x, 0, in[x]);
    EXPECT_EQ(display::textureImage(*alpha, {4, 1}).texels, (std::vector<uint32_t>(in, in + 4)));
    // 8-bit: the palette colour with the index as alpha.
    auto indexed = graphics::createFrame(3, 1, 8, 0);
    indexed->palette[0] = 0x112233u;
    indexed->palette[7] = 0x445566u;
    indexed->palette[255] = 0xFF778899u;
    graphics::putPixel(*indexed, 1, 0, 7);
    graphics::putPixel(*indexed, 2, 0, 255);
    EXPECT_EQ(display::textureImage(*indexed, {3, 1}).texels,
              (std::vector<uint32_t>{0x00112233u, 0x07445566u, 0xFF778899u}));
    // A power-of-two texture holds the frame in its upper-left corner, the rest 0.
    platform::TextureImage padded = display::textureImage(*indexed, {4, 2});
    EXPECT_EQ(padded.texels,
              (std::vector<uint32_t>{0x00112233u, 0x07445566u, 0xFF778899u, 0, 0, 0, 0, 0}));
    // A texture smaller than the frame samples it nearest: x * 10 / 4.
    auto wide = graphics::createFrame(10, 3, 32, 2);
    for (int32_t y = 0; y < 3; ++y) {
        for (int32_t x = 0; x < 10; ++x)
            graphics::putPixel(*wide, x, y, static_cast<uint32_t>(y * 16 + x));
    }
    EXPECT_EQ(display::textureImage(*wide, {4, 2}).texels,
              (std::vector<uint32_t>{0, 2, 5, 7, 16, 18, 21, 23}));
}

// The quad's corners as (x, y, u, v) in order.
std::vector<float> cornersOf(const Quad& q) {
    std::vector<float> out;
    for (const auto& c : q.corners) out.insert(out.end(), {c.x, c.y, c.u, c.v});
    return out;
}

TEST(GpuComposer, QuadsPlaceSpritesAsTheSoftwareComposerDoes) {
    Scene s(100, 80);
    s.add(1, noisePicture(20, 10, 1));
    s.add(2, discPicture(16, 0x3060F0));
    s.layer.groups[0] = {2, 1, 255};
    s.layer.groups[1] = {3, 4, 128};
    s.show(0, 1, 10, 20, 0, group(1));
    Sprite& scaled = s.show(1, 1, 0, 0, 1, mode(1) | opacity(200));
    scaled.srcX = 5, scaled.srcY = 2, scaled.srcWidth = 10, scaled.srcHeight = 4;
    scaled.width = 30, scaled.height = 8;
    Sprite& turned = s.show(2, 2, 50, 40, 2, mode(7));
    turned.angle = static_cast<float>(M_PI / 2);
    s.show(3, 2, 0, 0, 3, mode(2));                         // draws nothing
    s.show(4, 1, -5, 60, 4, graphics::spriteattr::kWrapX);  // and its copy one width left
    s.show(5, 2, 200, 10, 5);                               // off the screen
    s.show(6, 2, 70, 0, 6, mode(8));                        // additive
    s.show(7, 1, 0, 0, 7, group(2));                        // group 2 has alpha 0
    platform::DrawList list = s.gpuList();
    EXPECT_EQ(list.width, 100);
    EXPECT_TRUE(list.present);
    ASSERT_EQ(list.uploads.size(), 2u);  // frame 1 once, however many sprites show it
    uint32_t t1 = display::GpuTextures::idOf(*s.frames->at(1));
    uint32_t t2 = display::GpuTextures::idOf(*s.frames->at(2));
    EXPECT_EQ(list.uploads[0].id, t1);
    EXPECT_EQ(list.uploads[1].id, t2);
    EXPECT_EQ(s.frames->at(1)->dirty, 0);
    ASSERT_EQ(list.quads.size(), 6u);
    const Quad& q0 = list.quads[0];
    EXPECT_EQ(q0.texture, t1);
    EXPECT_EQ(q0.alpha, 128);  // 255 in group 0 at 255, then group 1 at 128
    EXPECT_EQ(q0.blend, QuadBlend::Alpha);
    EXPECT_EQ(cornersOf(q0),
              (std::vector<float>{15, 25, 0, 0, 35, 25, 1, 0, 15, 35, 0, 1, 35, 35, 1, 1}));
    const Quad& q1 = list.quads[1];
    EXPECT_EQ(q1.alpha, 200);
    EXPECT_EQ(q1.blend, QuadBlend::Additive);
    // u = srcX / textureWidth: 5 / 20 to 15 / 20, v = 2 / 10 to 6 / 10.
    EXPECT_EQ(cornersOf(q1), (std::vector<float>{2, 1, 0.25f, 0.2f, 32, 1, 0.75f, 0.2f, 2, 9, 0.25f,
                                                 0.6f, 32, 9, 0.75f, 0.6f}));
    // Turned a quarter about its centre (60, 49): the upper-left corner goes to the upper right.
    const Quad& q2 = list.quads[2];
    EXPECT_EQ(q2.blend, QuadBlend::HardLight);
    EXPECT_NEAR(q2.corners[0].x, 68, 1e-4);
    EXPECT_NEAR(q2.corners[0].y, 41, 1e-4);
    EXPECT_NEAR(q2.corners[3].x, 52, 1e-4);
    EXPECT_NEAR(q2.corners[3].y, 57, 1e-4);
    EXPECT_EQ(q2.corners[0].u, 0);
    // Wrapped: at x = -5 + 2 reduced into the screen (97), and one width to the left (-3).
    EXPECT_EQ(list.quads[3].corners[0].x, 97);
    EXPECT_EQ(list.quads[4].corners[0].x, -3);
    EXPECT_EQ(list.quads[4].corners[0].y, 61);
    EXPECT_EQ(list.quads[5].blend, QuadBlend::Additive);
    EXPECT_EQ(list.quads[5].corners[0].x, 72);

    // The next composition uploads nothing: no frame changed.
    EXPECT_TRUE(s.gpuList().uploads.empty());
    // A turned sprite with an angle that is not a number draws nothing, as in software.
    turned.angle = std::nanf("");
    EXPECT_EQ(s.gpuList().quads.size(), 5u);
}

TEST(GpuComposer, OnlyChangedFramesAreUploaded) {
    TestGame game;
    GpuGame g(game.engine());
    auto& presenter = game.host().presenter();
    auto& headless = dynamic_cast<platform::HeadlessPresenter&>(presenter);
    g.present();
    EXPECT_EQ(headless.scenes(), 1);
    // The two frames sprites show, not frame 3.
    EXPECT_EQ(headless.uploads(), 2);
    EXPECT_EQ(headless.uploadedBytes(), (64 * 48 + 16 * 16) * 4);
    EXPECT_EQ(g.textureOf(3), 0u);
    platform::Picture first = presenter.picture();
    EXPECT_EQ(first.width, 64);
    // The background is the noise exactly.
    EXPECT_EQ(first.pixels[0], graphics::getColour(*g.e.frames->at(1), 0, 0));

    // A turn in which nothing changed presents nothing.
    g.present();
    EXPECT_EQ(headless.scenes(), 1);
    // A moved sprite: the scene is drawn again, nothing uploaded.
    g.run("spmove2", {1, 30, 20});
    g.present();
    EXPECT_EQ(headless.scenes(), 2);
    EXPECT_EQ(headless.uploads(), 2);
    // Drawing into frame 2 uploads it alone.
    g.drawIntoDisc();
    g.present();
    EXPECT_EQ(headless.uploads(), 3);
    EXPECT_EQ(headless.uploadedBytes(), (64 * 48 + 16 * 16 * 2) * 4);
    EXPECT_EQ(presenter.picture().pixels[(20 + 8) * 64 + 30 + 8], 0xFFFFFFFFu);
    platform::Picture before = presenter.picture();

    // Lost textures: every frame is uploaded again, and the picture is the same.
    uint32_t old = g.textureOf(1);
    headless.loseTextures();
    EXPECT_EQ(headless.gpu().textureCount(), 0u);
    dynamic_cast<platform::HeadlessHost&>(game.host())
        .headlessEvents()
        .post(platform::WindowEvent::Expose);
    game.engine().pumpMessages();
    EXPECT_EQ(headless.uploads(), 5);
    EXPECT_NE(g.textureOf(1), old);
    EXPECT_TRUE(presenter.picture().pixels == before.pixels);

    // A frame that goes releases its texture; its sprite then shows nothing.
    uint32_t discTexture = g.textureOf(2);
    g.e.frames->destroy(2);
    g.run("spmove2", {1, 31, 20});
    g.present();
    EXPECT_FALSE(headless.gpu().texture(discTexture));
    EXPECT_EQ(headless.gpu().textureCount(), 1u);
    EXPECT_EQ(presenter.picture().pixels[(20 + 8) * 64 + 31 + 8],
              graphics::getColour(*g.e.frames->at(1), 31 + 8, 20 + 8));
    // A frame made anew in the slot is uploaded under a new texture.
    g.e.frames->place(2, discPicture(16, 0x3060F0));
    g.run("spmove2", {1, 30, 20});
    g.present();
    EXPECT_NE(g.textureOf(2), 0u);
    EXPECT_NE(g.textureOf(2), discTexture);
    EXPECT_EQ(headless.uploads(), 6);
}

TEST(GpuComposer, ASelfLinkedSpriteStopsThePresentation) {
    TestGame game;
    GpuGame g(game.engine());
    auto& headless = dynamic_cast<platform::HeadlessPresenter&>(game.host().presenter());
    graphics::SpriteLayer& layer = g.e.display->sprites;
    layer.sprites[1].next = 1;
    g.present();
    EXPECT_EQ(headless.scenes(), 0);
    // The frames were uploaded all the same: they are not uploaded again.
    EXPECT_EQ(headless.uploads(), 2);
    EXPECT_EQ(dynamic_cast<platform::HeadlessWindow&>(game.host().window()).title(),
              "スプライトリンクがループしています");
    EXPECT_EQ(g.e.sceneChanged, 1);
    layer.sprites[1].next = -1;
    g.present();
    EXPECT_EQ(headless.scenes(), 1);
    EXPECT_EQ(headless.uploads(), 2);
}

TEST(GpuComposer, TheWaveDrawsRowStripsEveryTurn) {
    TestGame game;
    GpuGame g(game.engine());
    auto& headless = dynamic_cast<platform::HeadlessPresenter&>(game.host().presenter());
    g.present();
    graphics::WaveParams wave{4, 10, 30, 2.0943334f, 1.57075f, 0.13089584f};
    g.e.display->sprites.wave = wave;
    Scene s(64, 48);
    s.add(1, noisePicture(64, 48, 1));
    s.show(0, 1, 0, 0, 0);
    s.layer.wave = wave;
    platform::DrawList list = s.gpuList(1.5f);
    // One quad per row, each showing one source row, moved by the software composer's shift.
    ASSERT_EQ(list.quads.size(), 48u);
    for (int32_t row = 0; row < 48; ++row) {
        const Quad& q = list.quads[static_cast<size_t>(row)];
        int32_t shift = graphics::waveShift(wave, row, 1.5f);
        EXPECT_EQ(q.corners[0].x, static_cast<float>(shift)) << row;
        EXPECT_EQ(q.corners[0].y, static_cast<float>(row));
        EXPECT_EQ(q.corners[3].y, static_cast<float>(row + 1));
        EXPECT_FLOAT_EQ(q.corners[0].v, row / 48.0f);
        EXPECT_FLOAT_EQ(q.corners[3].v, (row + 1) / 48.0f);
    }
    // The software composer's picture of the same scene, exactly: the rows are unscaled.
    platform::ReferenceGpu gpu;
    gpu.draw(std::move(list));
    EXPECT_TRUE(imageOf(gpu.target()) == softwarePicture(s, 1.5f));

    // While the wave is on every turn draws the scene, though nothing else changed.
    int64_t scenes = headless.scenes();
    g.present();
    g.present();
    EXPECT_EQ(headless.scenes(), scenes + 2);
    EXPECT_EQ(headless.uploads(), 2);
}

TEST(GpuComposer, AMovieLeavesItsRectangle) {
    TestGame game;
    GpuGame g(game.engine());
    auto& headless = dynamic_cast<platform::HeadlessPresenter&>(game.host().presenter());
    g.e.app.moviePlaying = 1;
    g.e.display->movieArea = platform::PixelRect{8, 6, 32, 24};
    g.present();
    EXPECT_EQ(headless.scenes(), 1);
    ASSERT_TRUE(headless.lastMovie());
    EXPECT_EQ(*headless.lastMovie(), (platform::PixelRect{8, 6, 32, 24}));
    // A movie centred at its own size: nothing is presented while it plays.
    g.e.display->movieCentred = true;
    g.run("spmove2", {1, 30, 20});
    g.present();
    EXPECT_EQ(headless.scenes(), 1);
    g.e.app.moviePlaying = 0;
    g.e.display->movieArea.reset();
    g.e.display->movieCentred = false;
    g.present();
    EXPECT_EQ(headless.scenes(), 2);
    EXPECT_FALSE(headless.lastMovie());
}

}  // namespace
}  // namespace rs::test
