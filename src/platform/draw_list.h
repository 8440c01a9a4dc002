// The scene as the GPU composer (back-end kind 2) hands it to the presenter each time it is drawn:
// the textures to drop and to fill, then textured quads in drawing order, drawn over a target of
// the game screen's size cleared to opaque black. The presenter samples textures with linear
// filtering, clamped at their edges, and positions and texture coordinates follow the pixel-centre
// convention of OpenGL and of SDL's renderers: pixel (x, y) covers [x, x + 1) x [y, y + 1) and is
// sampled at its centre, so a quad on whole pixels showing as many texels as it covers shows them
// exactly.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/view_transform.h"

namespace rs::platform {

// The sizes a device's textures may have.
struct TextureLimits {
    int32_t maxWidth = 16384;
    int32_t maxHeight = 16384;
    // Sizes are rounded up to powers of two.
    bool powerOfTwo = false;
    // Width and height are equal.
    bool squareOnly = false;
};

// Texels of a texture: rows top down, 0xAARRGGBB.
struct TextureImage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> texels;
};

// New contents for texture `id`; the presenter makes the texture when it has none of this size.
struct TextureUpload {
    uint32_t id = 0;
    TextureImage image;
};

// How a quad's colour c (the texel; the vertex colour is white) with alpha s (the texel's alpha
// times the quad's alpha) meets the target t.
enum class QuadBlend : int32_t {
    Alpha,     // c * s + t * (1 - s)
    Additive,  // t + c * s
    // Two passes over the quad: first t' = c * (1 - t), then t'' = c * t' + t' * (1 - s).
    HardLight,
};

// A corner of a quad: position in pixels of the game screen, texture coordinates 0..1 across the
// texture.
struct QuadVertex {
    float x = 0;
    float y = 0;
    float u = 0;
    float v = 0;
};

struct Quad {
    uint32_t texture = 0;
    // Upper-left, upper-right, lower-left and lower-right corner of the source rectangle; drawn as
    // the triangles (0, 1, 2) and (1, 3, 2).
    std::array<QuadVertex, 4> corners{};
    // The alpha of the vertex colour.
    uint8_t alpha = 255;
    QuadBlend blend = QuadBlend::Alpha;
};

struct DrawList {
    // The game screen: the size of the target.
    int32_t width = 0;
    int32_t height = 0;
    // Textures no longer used (their frames went away): dropped first. Unknown ids are ignored.
    std::vector<uint32_t> released;
    std::vector<TextureUpload> uploads;
    std::vector<Quad> quads;
    // False when the composition stopped: the texture work is done, the picture stays as it was.
    bool present = true;
    // A playing movie covers this rectangle of the game screen: only the picture around it is
    // shown.
    std::optional<PixelRect> movie;
};

// The bytes of texels the uploads of a list carry.
int64_t uploadBytes(const DrawList& list);

}  // namespace rs::platform
