// UploadTexture for back-end kind 2: the size of a frame's texture under the device's limits and
// the texels it holds.
#pragma once

#include <cstdint>

#include "platform/draw_list.h"
#include "platform/view_transform.h"

namespace rs::graphics {
struct Frame;
}

namespace rs::display {

// The frame's size (at least 1 x 1), rounded up to powers of two where the device asks for them,
// capped by the device's largest texture, and made square (the larger side) where the device
// allows only square textures.
platform::SizeInPixels textureSize(int32_t frameWidth, int32_t frameHeight,
                                   const platform::TextureLimits& limits);

// The texels of the frame in a texture of `size`. An 8-bit frame gives its palette colour with
// alpha = the palette index; a 32-bit frame without valid alpha gives its pixels opaque, except
// pure green (0xFF00FF00 once opaque), which becomes fully transparent 0; a frame with valid alpha
// gives its pixels as they are; other depths give 0. A texture smaller than the frame samples it
// nearest (x * frameWidth / textureWidth); texels beyond a smaller frame are 0.
platform::TextureImage textureImage(const graphics::Frame& f, platform::SizeInPixels size);

}  // namespace rs::display
