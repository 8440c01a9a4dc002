// Drawing a line of Shift-JIS text into a frame: layout, font sizing per character, the three
// renderers and the change reports.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/font_source.h"
#include "text/text_writers.h"

namespace rs::graphics {
struct Frame;
struct FrameTable;
}  // namespace rs::graphics

namespace rs::text {

struct TextState;

enum class Renderer { Monochrome, Smooth, Outlined };

struct TextDrawing {
    int32_t x = 0;
    int32_t y = 0;
    int32_t charWidth = 0;
    int32_t fontHeight = 0;  // negative: vertical writing
    Renderer renderer = Renderer::Outlined;
    uint32_t style = 0;  // the outlined renderer's neighbourhood masks
    TextColours colours;
};

// The face that draws "・" whatever face is chosen.
inline constexpr const char* kMiddleDotFace = "ＭＳ ゴシック";

// The font one character is drawn with: height = fontHeight and width = charWidth / 2 (in
// vertical writing height = 2 * |charWidth / 2| and width = |fontHeight| / 2, as the vertical face
// is turned), times 8 for the supersampling renderers, which also apply the size normalisation
// of text setting 4.
platform::FontRequest fontFor(TextState& state, uint16_t code, int32_t charWidth,
                              int32_t fontHeight, bool supersampled);

// Draws the text (up to its first zero byte) and reports each character's change.
void drawText(TextState& state, graphics::FrameTable& table, graphics::Frame& frame,
              const TextDrawing& d, std::string_view text);

}  // namespace rs::text
