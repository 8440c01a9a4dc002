// A GPU drawn in software: it keeps textures and draws draw lists as an OpenGL device draws them
// (pixel centres at +0.5, the top-left fill rule, bilinear sampling clamped at the texture's
// edges, blending in floating point rounded to 8 bits per channel). The headless presenter runs
// back-end kind 2 on it, and tests use it as the model of what a GPU shows.
#pragma once

#include <cstdint>
#include <unordered_map>

#include "platform/draw_list.h"
#include "platform/presenter.h"

namespace rs::platform {

class ReferenceGpu {
  public:
    // The target becomes opaque black at this size; the textures stay.
    void resize(int32_t width, int32_t height);
    // The list's texture work; then, when it presents, the target cleared to opaque black and
    // every quad drawn.
    void draw(DrawList&& list);
    // Every texture is gone (a lost device).
    void loseTextures() { textures_.clear(); }

    const Picture& target() const { return target_; }
    const TextureImage* texture(uint32_t id) const;
    size_t textureCount() const { return textures_.size(); }

  private:
    void drawQuad(const Quad& q);
    std::unordered_map<uint32_t, TextureImage> textures_;
    Picture target_;
};

}  // namespace rs::platform
