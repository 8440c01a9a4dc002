// The reference GPU: the model of what an OpenGL device draws, so that the GPU composer's lists
// can be checked without a display. Pixel centres and the fill rule, sampling and the blends.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/reference_gpu.h"

namespace rs::platform {
namespace {

TextureUpload texture(uint32_t id, int32_t w, int32_t h, std::vector<uint32_t> texels) {
    return {id, {w, h, std::move(texels)}};
}

Quad rect(uint32_t id, float x0, float y0, float x1, float y1, uint8_t alpha = 255,
          QuadBlend blend = QuadBlend::Alpha) {
    Quad q;
    q.texture = id;
    q.corners = {QuadVertex{x0, y0, 0, 0}, QuadVertex{x1, y0, 1, 0}, QuadVertex{x0, y1, 0, 1},
                 QuadVertex{x1, y1, 1, 1}};
    q.alpha = alpha;
    q.blend = blend;
    return q;
}

uint32_t at(const ReferenceGpu& g, int32_t x, int32_t y) {
    return g.target().pixels[static_cast<size_t>(y * g.target().width + x)];
}

TEST(ReferenceGpu, QuadsCoverThePixelsWhoseCentresTheyHold) {
    ReferenceGpu g;
    DrawList list;
    list.width = 8;
    list.height = 4;
    list.uploads.push_back(texture(1, 1, 1, {0xFF101010u}));
    // Two quads sharing the edge x = 4 and a third on half pixels: additive, so a pixel drawn
    // twice would show it.
    list.quads.push_back(rect(1, 0, 0, 4, 2, 255, QuadBlend::Additive));
    list.quads.push_back(rect(1, 4, 0, 8, 2, 255, QuadBlend::Additive));
    list.quads.push_back(rect(1, 0.5f, 2.5f, 2.5f, 4, 255, QuadBlend::Additive));
    g.draw(std::move(list));
    for (int32_t x = 0; x < 8; ++x) {
        EXPECT_EQ(at(g, x, 0), 0xFF101010u) << x;
        EXPECT_EQ(at(g, x, 1), 0xFF101010u) << x;
    }
    // Centres 0.5 and 1.5 lie inside [0.5, 2.5); 2.5 is on its right edge and stays out. Row 2's
    // centre 2.5 is on the top edge and belongs to the quad.
    EXPECT_EQ(at(g, 0, 2), 0xFF101010u);
    EXPECT_EQ(at(g, 1, 3), 0xFF101010u);
    EXPECT_EQ(at(g, 2, 2), 0xFF000000u);
    EXPECT_EQ(at(g, 3, 3), 0xFF000000u);
}

TEST(ReferenceGpu, SamplingIsBilinearWithTexelCentresAtHalves) {
    ReferenceGpu g;
    DrawList list;
    list.width = 4;
    list.height = 1;
    list.uploads.push_back(texture(1, 2, 1, {0xFF000000u, 0xFFC8C8C8u}));
    // Unscaled on whole pixels: the texels exactly.
    list.quads.push_back(rect(1, 0, 0, 2, 1));
    // Stretched over four pixels: centres at u = 1/8, 3/8, 5/8, 7/8, the edges clamped.
    list.quads.push_back(rect(1, 2, 0, 4, 1));
    g.draw(std::move(list));
    EXPECT_EQ(at(g, 0, 0), 0xFF000000u);
    EXPECT_EQ(at(g, 1, 0), 0xFFC8C8C8u);
    EXPECT_EQ(at(g, 2, 0), 0xFF000000u);
    EXPECT_EQ(at(g, 3, 0), 0xFFC8C8C8u);
    DrawList wide;
    wide.width = 4;
    wide.height = 1;
    wide.quads.push_back(rect(1, 0, 0, 4, 1));
    g.draw(std::move(wide));
    EXPECT_EQ(at(g, 0, 0), 0xFF000000u);
    EXPECT_EQ(at(g, 1, 0), 0xFF323232u);  // a quarter of the way: 200 / 4
    EXPECT_EQ(at(g, 2, 0), 0xFF969696u);
    EXPECT_EQ(at(g, 3, 0), 0xFFC8C8C8u);
}

TEST(ReferenceGpu, BlendsAndTextureWork) {
    // Background 100, colour 200 with texel alpha 128 and quad alpha 200.
    auto drawn = [](QuadBlend blend) {
        ReferenceGpu g;
        DrawList list;
        list.width = 2;
        list.height = 1;
        list.uploads.push_back(texture(1, 1, 1, {0xFF646464u}));
        list.uploads.push_back(texture(2, 1, 1, {0x80C8C8C8u}));
        list.quads.push_back(rect(1, 0, 0, 2, 1));
        list.quads.push_back(rect(2, 0, 0, 1, 1, 200, blend));
        g.draw(std::move(list));
        EXPECT_EQ(at(g, 1, 0), 0xFF646464u);
        return at(g, 0, 0) & 0xFF;
    };
    double s = 128.0 / 255 * 200 / 255, c = 200.0 / 255, t = 100.0 / 255;
    EXPECT_EQ(drawn(QuadBlend::Alpha), std::lround((c * s + t * (1 - s)) * 255));
    EXPECT_EQ(drawn(QuadBlend::Additive), std::lround((t + c * s) * 255));
    double first = std::lround(c * (1 - t) * 255) / 255.0;
    EXPECT_EQ(drawn(QuadBlend::HardLight), std::lround((c * first + first * (1 - s)) * 255));

    // Released textures are gone, unknown ones ignored; a list that does not present leaves the
    // picture as it was.
    ReferenceGpu g;
    g.resize(1, 1);
    DrawList keep;
    keep.uploads.push_back(texture(5, 1, 1, {0xFFFFFFFFu}));
    keep.released = {9};
    keep.present = false;
    g.draw(std::move(keep));
    EXPECT_TRUE(g.texture(5));
    EXPECT_EQ(at(g, 0, 0), 0xFF000000u);
    DrawList drop;
    drop.released = {5};
    drop.present = false;
    g.draw(std::move(drop));
    EXPECT_EQ(g.textureCount(), 0u);
}

}  // namespace
}  // namespace rs::platform
