// One golden picture per member over a fixed pair of pictures built here: a colour gradient with
// shapes and keyed areas, and a picture with an alpha ramp.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "graphics/blit_test_support.h"
#include "support/golden.h"

namespace rs::test {
namespace {

using namespace graphics;

constexpr int32_t kW = 64;
constexpr int32_t kH = 48;

// Picture A: red across, green down, a blue disc, a green-keyed bar and a blue-keyed square.
std::unique_ptr<Frame> pictureA(bool alpha = false) {
    auto f = makeFrame(kW, kH, 32, alpha);
    for (int32_t y = 0; y < kH; ++y) {
        for (int32_t x = 0; x < kW; ++x) {
            uint32_t r = static_cast<uint32_t>(x * 255 / (kW - 1)),
                     g = static_cast<uint32_t>(y * 255 / (kH - 1));
            uint32_t b = ((x - 40) * (x - 40) + (y - 20) * (y - 20) < 144) ? 230u : 40u;
            uint32_t a = alpha ? static_cast<uint32_t>((x * 4 + y * 2) & 0xFF) : 0xFFu;
            uint32_t p = a << 24 | r << 16 | g << 8 | b;
            if (y >= 30 && y < 34) p = (p & 0xFF000000u) | 0x0000FF00u;
            if (x >= 4 && x < 12 && y >= 4 && y < 12) p = (p & 0xFF000000u) | 0x000000FFu;
            putPixel(*f, x, y, p);
        }
    }
    return f;
}

// Picture B: diagonal stripes in cyan and purple, alpha rising from left (0) to right (255) and
// a fully transparent corner.
std::unique_ptr<Frame> pictureB(bool alpha = true) {
    auto f = makeFrame(kW, kH, 32, alpha);
    for (int32_t y = 0; y < kH; ++y) {
        for (int32_t x = 0; x < kW; ++x) {
            bool stripe = ((x + y) / 6) % 2 == 0;
            uint32_t c = stripe ? 0x0020E0E0u : 0x00A020C0u;
            uint32_t a = static_cast<uint32_t>(x * 255 / (kW - 1));
            if (x < 8 && y < 8) a = 0;
            putPixel(*f, x, y, (a << 24) | c);
        }
    }
    return f;
}

// An 8-bit picture: concentric rings of indices with a grey palette.
std::unique_ptr<Frame> pictureIndex() {
    auto f = makeFrame(kW, kH, 8);
    for (int32_t i = 0; i < 256; ++i)
        f->palette[static_cast<size_t>(i)] = static_cast<uint32_t>(i * 0x010101);
    for (int32_t y = 0; y < kH; ++y) {
        for (int32_t x = 0; x < kW; ++x) {
            double d = std::sqrt((x - 32.0) * (x - 32.0) + (y - 24.0) * (y - 24.0));
            putPixel(*f, x, y, static_cast<uint32_t>(d * 9) & 0xFF);
        }
    }
    return f;
}

void check(const Frame& f, const char* name) {
    expectMatchesGolden(imageFromFrame(f), std::string("blit_") + name);
}

struct GoldenCase {
    const char* name;
    std::function<std::unique_ptr<Frame>()> draw;
};

TEST(BlitGolden, EveryMember) {
    auto c = plainContext();
    auto cm = plainContext(nullptr, true);
    auto a = pictureA();
    auto aa = pictureA(true);
    auto b = pictureB();
    auto idx = pictureIndex();
    std::vector<GoldenCase> cases = {
        {"copy",
         [&] {
             auto d = pictureB();
             copy(c, *a, 10, 5, *d, -4, 8, 50, 50);
             return d;
         }},
        {"ccopy",
         [&] {
             auto d = pictureA();
             ccopy(c, *b, 0, 0, *d, 6, 3, 64, 48);
             ccopy(c, *a, 0, 20, *d, 30, 0, 30, 20);
             return d;
         }},
        {"blendcopy_plain",
         [&] {
             auto d = pictureB(false);
             blendcopy(c, *a, 0, 0, *d, 0, 0, kW, kH, 128);
             return d;
         }},
        {"blendcopy_alpha",
         [&] {
             auto d = pictureA(true);
             blendcopy(c, *b, 0, 0, *d, 4, 4, kW, kH, 200);
             return d;
         }},
        {"acopy",
         [&] {
             auto d = makeFrame(kW, kH);
             auto a2 = pictureB(false);
             acopy(c, *a, 0, 0, *a2, 0, 0, *d, 0, 0, kW, kH, 96);
             return d;
         }},
        {"acopy_mmx",
         [&] {
             auto d = makeFrame(kW, kH);
             auto a2 = pictureB(false);
             acopy(cm, *a, 0, 0, *a2, 0, 0, *d, 0, 0, kW, kH, 96);
             return d;
         }},
        {"acopy_alpha",
         [&] {
             auto d = makeFrame(kW, kH, 32, true);
             acopy(c, *aa, -10, 0, *b, 10, 0, *d, 0, 0, kW, kH, 128);
             return d;
         }},
        {"gcopy",
         [&] {
             auto d = pictureB(false);
             gcopy(c, *a, 0, 0, *d, 0, 0, kW, kH, 0xC0FFA040);
             return d;
         }},
        {"ncopy",
         [&] {
             auto d = pictureB(false);
             ncopy(c, *a, 8, 8, *d, 0, 0, 40, 30);
             return d;
         }},
        {"hqcopy",
         [&] {
             auto d = makeFrame(kW, kH);
             hqcopy(c, *a, 0.25f, 0.75f, *d, 0, 0, kW, kH, 2.2f);
             return d;
         }},
        {"shufull",
         [&] {
             auto d = pictureA();
             shufull(c, *d, 3, 3, 58, 40, 0xFF202020, 40, 170);
             return d;
         }},
        {"shucopy",
         [&] {
             auto d = pictureA();
             shucopy(c, *b, 0, 0, *d, 0, 0, kW, kH, 0, 128);
             return d;
         }},
        {"zcopy_mirror",
         [&] {
             auto d = pictureB(false);
             zcopy(c, *a, 8, 4, 32, 24, *d, 60, 2, -56, 44);
             return d;
         }},
        {"zcopy_alpha",
         [&] {
             auto d = pictureA();
             zcopy(c, *b, 0, 0, kW, kH, *d, 10, 10, 40, 30);
             return d;
         }},
        {"hzcopy_up",
         [&] {
             auto d = makeFrame(kW, kH);
             hzcopy(c, *a, 30, 10, 16, 12, *d, 0, 0, kW, kH);
             return d;
         }},
        {"hzcopy_down",
         [&] {
             auto d = makeFrame(kW, kH);
             hzcopy(c, *a, 0, 0, kW, kH, *d, 2, 2, 21, 16);
             hzcopy(c, *b, 0, 0, kW, kH, *d, 30, 20, -30, 25);
             return d;
         }},
        {"mozcopy_0",
         [&] {
             auto d = pictureB(false);
             mozcopy(c, *a, 0, 0, *d, 0, 0, kW, kH, 6, 0);
             return d;
         }},
        {"mozcopy_1",
         [&] {
             auto d = pictureB(false);
             mozcopy(c, *a, 0, 0, *d, 0, 0, kW, kH, 7, 1);
             return d;
         }},
        {"mozcopy_2",
         [&] {
             auto d = pictureB(false);
             mozcopy(c, *a, 0, 0, *d, 0, 0, kW, kH, 8, 2);
             return d;
         }},
        {"mozcopy_3",
         [&] {
             auto d = pictureB(false);
             mozcopy(c, *a, 0, 0, *d, 0, 0, kW, kH, 5, 3);
             return d;
         }},
        {"acmcopy",
         [&] {
             auto d = makeFrame(kW, kH);
             acmcopy(c, *a, 0, 0, *b, 0, 0, idx.get(), 0, 0, *d, 0, 0, kW, kH,
                     MaskCurve{-60, 30, 2});
             return d;
         }},
        {"acmcopy_mmx",
         [&] {
             auto d = makeFrame(kW, kH);
             acmcopy(cm, *a, 0, 0, *b, 0, 0, idx.get(), 0, 0, *d, 0, 0, kW, kH,
                     MaskCurve{-60, 30, 2});
             return d;
         }},
        {"acmcopy_scaled",
         [&] {
             auto d = makeFrame(kW, kH);
             acmcopyScaled(c, FrameRect{a.get(), 0, 0, 32, 24}, FrameRect{b.get(), 0, 0, kW, kH},
                           FrameRect{idx.get(), 16, 12, 32, 24}, *d, 0, 0, kW, kH,
                           MaskCurve{-100, 0, 3});
             return d;
         }},
        {"blend_scaled",
         [&] {
             auto d = pictureA();
             blendScaled(c, *b, 0, 0, 32, 24, *d, 0, 0, kW, kH, 180);
             return d;
         }},
        {"modcopy",
         [&] {
             auto d = makeFrame(kW, kH);
             modcopy(c, *a, 0, 0, *idx, 0, 0, *d, 0, 0, kW, kH, 12);
             return d;
         }},
        {"uvcopy",
         [&] {
             auto map = makeFrame(kW, kH);
             for (int32_t y = 0; y < kH; ++y)
                 for (int32_t x = 0; x < kW; ++x)
                     putPixel(*map, x, y,
                              (x < 4 ? 0u : 0x01000000u) |
                                  static_cast<uint32_t>((kW - 1 - x) | ((y / 2) << 12)));
             auto d = pictureB(false);
             uvcopy(c, *aa, *map, 0, 0, *d, 0, 0, kW, kH);
             return d;
         }},
        {"pscopydiv",
         [&] {
             auto d = pictureA();
             pscopydiv(c, *a, 0, 0, *b, 0, 0, *d, 0, 0, kW, kH, 160);
             return d;
         }},
        {"pscopydiv_plain",
         [&] {
             auto d = makeFrame(kW, kH);
             auto bp = pictureB(false);
             pscopydiv(c, *a, 0, 0, *bp, 0, 0, *d, 0, 0, kW, kH, 160);
             return d;
         }},
        {"cnvcopy",
         [&] {
             FrameTable table;
             table.place(3, pictureB(false));
             std::array<int32_t, 256> values{};
             for (int32_t i = 0; i < 256; ++i)
                 values[static_cast<size_t>(i)] =
                     i % 3 == 0
                         ? 3
                         : static_cast<int32_t>(0xFF000000u | static_cast<uint32_t>(i * 0x010203));
             auto d = makeFrame(kW, kH);
             cnvcopy(c, *idx, 0, 0, *d, 0, 0, kW, kH, values, table);
             return d;
         }},
        {"copyrot",
         [&] {
             auto d = makeFrame(kW, kH);
             copyrot(c, *a, 0, 0, kW, kH, *d, 0, 0, kW, kH, 0.6f);
             return d;
         }},
        {"copyrot_scaled",
         [&] {
             auto d = makeFrame(kW, kH);
             copyrot(c, *a, 0, 0, 32, 24, *d, 0, 0, kW, kH, -2.0f);
             return d;
         }},
        {"copytrans",
         [&] {
             auto d = pictureB(false);
             TexVertex v[3] = {{2, 40, 0, 0}, {60, 30, 63, 0}, {20, 2, 0, 47}};
             copytrans(c, *a, v, *d);
             return d;
         }},
        {"triangle_additive",
         [&] {
             auto d = pictureA();
             TexVertex v[3] = {{0, 0, 0, 0}, {63, 10, 63, 0}, {10, 47, 0, 47}};
             fillTriangleAdditive(*b, v, *d, 200);
             return d;
         }},
        {"copytrape",
         [&] {
             auto d = makeFrame(kW, kH);
             QuadPoints q;
             float xs[4] = {20, 44, 2, 62}, ys[4] = {4, 4, 44, 44};
             for (int i = 0; i < 4; ++i) q.x[i] = xs[i], q.y[i] = ys[i];
             copytrape(c, *a, 0, 0, kW, kH, *d, q);
             return d;
         }},
        {"copytrape_vertical",
         [&] {
             auto d = makeFrame(kW, kH);
             QuadPoints q;
             float xs[4] = {4, 60, 4, 60}, ys[4] = {2, 14, 46, 34};
             for (int i = 0; i < 4; ++i) q.x[i] = xs[i], q.y[i] = ys[i];
             copytrape(c, *a, 0, 0, kW, kH, *d, q);
             return d;
         }},
    };
    for (const GoldenCase& g : cases) {
        SCOPED_TRACE(g.name);
        auto f = g.draw();
        check(*f, g.name);
    }
}

}  // namespace
}  // namespace rs::test
