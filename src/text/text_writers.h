// Blending text coverage into frames. Colours are mixed on squared channel values (a
// gamma-correct mix), the square root taken with the shared table.
#pragma once

#include <cstdint>

#include "text/glyph_renderer.h"

namespace rs::graphics {
struct Frame;
}

namespace rs::text {

// Text colour, edge colour (0xAARRGGBB) and background: -1 mixes with the frame's own pixels,
// any other value is a fixed colour to mix with.
struct TextColours {
    uint32_t text = 0;
    uint32_t edge = 0;
    int32_t background = -1;
};

// A 32-bit pixel after mixing body coverage c1 and edge coverage c2 (0..64 each, c1 + c2 <= 64).
// An alpha byte of 0 counts as 255; the result is opaque.
uint32_t mixPixel32(uint32_t pixel, int32_t c1, int32_t c2, const TextColours& colours);

// The same for a frame whose pixels carry alpha: the text is laid over what the pixel holds and
// the alpha byte grows with the coverage. Alpha bytes are taken as they are here.
uint32_t mixPixelAlpha32(uint32_t pixel, int32_t c1, int32_t c2, const TextColours& colours);

// The same for a pixel without alpha (0x00RRGGBB), as 24- and 16-bit frames hold them.
uint32_t mixPixelRgb(uint32_t pixel, int32_t c1, int32_t c2, const TextColours& colours);

// An 8-bit pixel (a palette index): the text or edge colour's low byte where the text covers at
// least half the pixel, whichever of the two weighs more; otherwise the index stays.
uint8_t mixPixel8(uint8_t pixel, int32_t c1, int32_t c2, const TextColours& colours);

// 16-bit pixels are 1-5-5-5 (red in bits 10-14); channels widen by repeating their top bits.
uint32_t rgbFrom555(uint16_t p);
uint16_t rgbTo555(uint32_t rgb);

// Writes a coverage map whose top-left pixel is (left, top) into a frame of 8, 16, 24 or 32 bits
// (other depths are left alone). A 32-bit frame with alphaValid and a negative background takes
// the alpha-building mix. Pixels with no coverage and pixels outside the frame are untouched.
void writeCoverage(graphics::Frame& frame, int32_t left, int32_t top, const CoverageMap& map,
                   const TextColours& colours);

// One pixel in a solid colour, for the monochrome renderer: 32-bit frames get the colour (an
// alpha byte of 0 becomes 0xFF), 24- and 16-bit frames its channels, 8-bit frames its low byte.
void writeSolid(graphics::Frame& frame, int32_t x, int32_t y, uint32_t colour);

}  // namespace rs::text
