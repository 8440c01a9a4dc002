// Generated pictures for trying the image encoders: nothing here comes from a file.
#pragma once

#include <cstdint>

#include "graphics/png_io.h"

namespace rs::tools {

// A picture with the traits of a photograph: smooth lighting gradients, shapes with hard edges
// and their own shading, fine texture and sensor-like noise. Opaque. The same seed gives the same
// picture.
graphics::Image samplePhoto(int32_t width, int32_t height, uint32_t seed);

// A picture with the traits of drawn game art: flat colour areas, straight gradients, outlines
// and a transparent surround with soft alpha edges.
graphics::Image sampleArtwork(int32_t width, int32_t height, uint32_t seed);

}  // namespace rs::tools
