#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "graphics/image_loader.h"
#include "img/fd_encoder.h"
#include "img/sample_pictures.h"

namespace rs::test {
namespace {

using graphics::Image;

Image generated(int32_t w, int32_t h, const std::function<uint32_t(int32_t, int32_t)>& f) {
    Image img;
    img.width = w;
    img.height = h;
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) img.pixels.push_back(f(x, y));
    }
    return img;
}

uint32_t noise(int32_t x, int32_t y) {
    uint32_t v = static_cast<uint32_t>(x) * 73856093u ^ static_cast<uint32_t>(y) * 19349663u;
    v ^= v >> 13;
    v *= 0x5bd1e995u;
    return v ^ (v >> 15);
}

struct Picture {
    const char* name;
    Image image;
};

std::vector<Picture> pictures() {
    return {
        {"empty", generated(0, 0, noise)},
        {"one pixel", generated(1, 1, [](int32_t, int32_t) { return 0xFF123456u; })},
        {"one column", generated(1, 9, noise)},
        {"one row", generated(9, 1, noise)},
        {"narrow", generated(3, 40, noise)},
        {"noise", generated(37, 23, noise)},
        {"flat", generated(64, 48, [](int32_t, int32_t) { return 0xFF336699u; })},
        {"horizontal ramp",
         generated(64, 48, [](int32_t x, int32_t) { return 0xFF000000u | (x * 3u) << 16 | x; })},
        {"plane", generated(64, 48,
                            [](int32_t x, int32_t y) {
                                return 0xFF000000u | ((x + 2u * y) & 0xFF) << 8 |
                                       ((3u * x + y) & 0xFF);
                            })},
        {"checker", generated(33, 17,
                              [](int32_t x, int32_t y) {
                                  return ((x / 4 + y / 4) & 1) ? 0xFFFFFFFFu : 0xFF000000u;
                              })},
        {"wrapping channels", generated(16, 16,
                                        [](int32_t x, int32_t y) {
                                            return ((x * 37u + y * 91u) & 1) ? 0xFFFFFF00u
                                                                             : 0xFF0000FFu;
                                        })},
        {"photo", tools::samplePhoto(160, 120, 1)},
        {"artwork", tools::sampleArtwork(96, 80, 2)},
    };
}

void expectRoundTrip(const Picture& p, bool fe, bool withAlpha) {
    std::vector<uint8_t> file =
        fe ? tools::encodeFE(p.image, withAlpha) : tools::encodeFD(p.image, withAlpha);
    ASSERT_GE(file.size(), 16u) << p.name;
    bool complete = false;
    std::optional<Image> back = graphics::decodeFdImage(file, &complete);
    ASSERT_TRUE(back) << p.name;
    EXPECT_TRUE(complete) << p.name;
    ASSERT_EQ(back->width, p.image.width);
    ASSERT_EQ(back->height, p.image.height);
    uint32_t mask = withAlpha ? 0xFFFFFFFFu : 0x00FFFFFFu;
    size_t wrong = 0;
    for (size_t i = 0; i < back->pixels.size(); ++i) {
        if (back->pixels[i] != (p.image.pixels[i] & mask)) ++wrong;
    }
    EXPECT_EQ(wrong, 0u) << p.name << (fe ? " FE" : " FD") << (withAlpha ? " with alpha" : "");
}

TEST(FdEncoder, EveryPictureRoundTripsExactly) {
    for (const Picture& p : pictures()) {
        for (bool fe : {false, true}) {
            for (bool alpha : {false, true}) expectRoundTrip(p, fe, alpha);
        }
    }
}

// Bits per pixel of the encoded colour (and alpha) data.
double bitsPerPixel(const std::vector<uint8_t>& file, const Image& img) {
    return static_cast<double>(file.size() - 16) * 8.0 / static_cast<double>(img.pixels.size());
}

TEST(FdEncoder, PredictionsAndRunsBeatLiteralsByAWideMargin) {
    // A literal costs 28 bits in FD (a 4-bit code and 24 bits of colour).
    Image photo = tools::samplePhoto(320, 240, 5);
    double fd = bitsPerPixel(tools::encodeFD(photo, false), photo);
    double fe = bitsPerPixel(tools::encodeFE(photo, false), photo);
    EXPECT_LT(fd, 28.0 * 0.7);
    EXPECT_LT(fe, 28.0 * 0.7);
    EXPECT_LT(fe, fd);

    Image art = tools::sampleArtwork(320, 240, 5);
    EXPECT_LT(bitsPerPixel(tools::encodeFD(art, true), art), 4.0);
    EXPECT_LT(bitsPerPixel(tools::encodeFE(art, true), art), 4.0);

    // A plane collapses into a few shaped FD runs; FE, whose gradient copies cover at most two
    // pixels, still needs well under 4 bits per pixel.
    Image ramp = generated(
        256, 256, [](int32_t x, int32_t y) { return 0xFF000000u | (x & 0xFF) << 8 | (y & 0xFF); });
    EXPECT_LT(tools::encodeFD(ramp, false).size(), 400u);
    EXPECT_LT(bitsPerPixel(tools::encodeFE(ramp, false), ramp), 4.0);
    Image flat = generated(256, 256, [](int32_t, int32_t) { return 0xFF204080u; });
    EXPECT_LT(tools::encodeFD(flat, false).size(), 30u);
    EXPECT_LT(tools::encodeFE(flat, false).size(), 30u);
}

TEST(FdEncoder, PicturesTooLargeForTheHeaderAreRefused) {
    Image wide;
    wide.width = 65536;
    wide.height = 1;
    wide.pixels.assign(65536, 0);
    EXPECT_TRUE(tools::encodeFD(wide, false).empty());
    EXPECT_TRUE(tools::encodeFE(wide, false).empty());
    Image wrongSize;
    wrongSize.width = 2;
    wrongSize.height = 2;
    wrongSize.pixels.assign(3, 0);
    EXPECT_TRUE(tools::encodeFD(wrongSize, false).empty());
}

}  // namespace
}  // namespace rs::test
