#include "text/text_drawing.h"

#include <algorithm>
#include <limits>

#include "graphics/frame.h"
#include "platform/encoding.h"
#include "text/font_state.h"
#include "text/glyph_renderer.h"
#include "text/stroke_effects.h"

namespace rs::text {

namespace {

int32_t saturate(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

int64_t magnitude(int32_t v) { return v < 0 ? -int64_t{v} : int64_t{v}; }

// A rectangle as its top-left and bottom-right corners.
struct Corners {
    int64_t x1, y1, x2, y2;
};

}  // namespace

platform::FontRequest fontFor(TextState& state, uint16_t code, int32_t charWidth,
                              int32_t fontHeight, bool supersampled) {
    platform::FontRequest f;
    f.face = code == 0x8145 ? std::string(kMiddleDotFace) : state.fontName;
    f.vertical = fontHeight < 0;
    int64_t scale = supersampled ? 8 : 1;
    int64_t h = magnitude(fontHeight);
    int64_t w = magnitude(charWidth / 2);
    int64_t height = f.vertical ? 2 * w * scale : h * scale;
    int64_t width = f.vertical ? h / 2 * scale : w * scale;
    f.height = saturate(height);
    f.width = saturate(width);
    int32_t normalise = state.settings[4];
    if (!supersampled || normalise < 1) return f;
    // Sizes no font source draws are left as they are (and their squares cannot overflow).
    if (height > (int64_t{1} << 24) || width > (int64_t{1} << 24)) return f;
    platform::TextMetrics m;
    // A font without ascent (or without width) keeps its size: the ratios have no divisor.
    if (!state.fonts->metrics(f, m) || m.ascent <= 0) return f;
    int64_t h2 = height * height / m.ascent;
    int64_t w2 = width;
    if (normalise == 1) {
        w2 = h2 * width / m.ascent;
    } else if (m.maxCharWidth / 2 > 0) {
        w2 = width * width / (m.maxCharWidth / 2);
    }
    f.height = saturate(h2);
    f.width = saturate(w2);
    return f;
}

void drawText(TextState& state, graphics::FrameTable& table, graphics::Frame& frame,
              const TextDrawing& d, std::string_view text) {
    if (d.x < 0 || d.y < 0) return;
    bool vertical = d.fontHeight < 0;
    bool supersampled = d.renderer != Renderer::Monochrome;
    int64_t h = magnitude(d.fontHeight);
    int64_t halfWidth = d.charWidth / 2;
    int64_t x = d.x, y = d.y;
    size_t i = 0;
    while (i < text.size() && text[i] != 0) {
        auto lead = static_cast<uint8_t>(text[i]);
        bool wide = platform::isLeadByte(lead);
        uint16_t code = lead;
        if (wide) {
            if (i + 1 >= text.size() || text[i + 1] == 0) break;
            code = static_cast<uint16_t>(lead << 8 | static_cast<uint8_t>(text[i + 1]));
            i += 2;
        } else {
            i += 1;
        }

        // The cell: horizontal text advances by charWidth (half for single-byte characters). In
        // vertical writing the pen moves down by the height of the upright glyph: |fontHeight|
        // for double-byte characters, 2 * |charWidth / 2| for single-byte ones (the vertical
        // face sizes them by the column's width).
        int64_t cellW, cellH;
        if (!vertical) {
            cellW = wide ? d.charWidth : halfWidth;
            cellH = h;
        } else if (wide) {
            cellW = 2 * magnitude(static_cast<int32_t>(halfWidth));
            cellH = h;
        } else {
            cellW = h / 2;
            cellH = 2 * magnitude(static_cast<int32_t>(halfWidth));
        }

        auto px = static_cast<int32_t>(std::clamp<int64_t>(x, INT32_MIN / 2, INT32_MAX / 2));
        auto py = static_cast<int32_t>(std::clamp<int64_t>(y, INT32_MIN / 2, INT32_MAX / 2));
        Corners report{x, y, x + cellW + 4, y + cellH + 4};
        auto include = [&](int32_t ax, int32_t ay, int32_t aw, int32_t ah) {
            if (aw <= 0 || ah <= 0) return;
            report.x1 = std::min<int64_t>(report.x1, int64_t{px} + ax);
            report.y1 = std::min<int64_t>(report.y1, int64_t{py} + ay);
            report.x2 = std::max<int64_t>(report.x2, int64_t{px} + ax + aw);
            report.y2 = std::max<int64_t>(report.y2, int64_t{py} + ay + ah);
        };

        platform::FontRequest font = fontFor(state, code, d.charWidth, d.fontHeight, supersampled);
        platform::TextMetrics metrics;
        const platform::GlyphBitmap* glyph = nullptr;
        if (state.fonts->metrics(font, metrics))
            glyph = state.fonts->glyph(font, code, vertical && wide);
        if (glyph) {
            if (d.renderer == Renderer::Monochrome) {
                drawMonochrome(frame, *glyph, px, py, metrics.ascent, d.colours.text);
                CellArea a = monochromeArea(*glyph, metrics.ascent);
                include(a.x, a.y, a.width, a.height);
            } else {
                BlockGrid grid = buildBlocks(*glyph, metrics.ascent);
                CoverageMap map;
                if (d.renderer == Renderer::Outlined) {
                    applyStrokeEffects(grid, state.settings.data());
                    map = outlinedCoverage(grid, d.style);
                } else {
                    map = smoothCoverage(grid);
                }
                writeCoverage(frame, px + map.x, py + map.y, map, d.colours);
                include(map.x, map.y, map.width, map.height);
            }
        }

        graphics::frameChanged(table, frame, saturate(std::min(report.x1, report.x2)),
                               saturate(std::min(report.y1, report.y2)));
        graphics::frameChanged(table, frame, saturate(std::max(report.x1, report.x2)),
                               saturate(std::max(report.y1, report.y2)));
        if (vertical) {
            y += cellH;
        } else {
            x += wide ? d.charWidth : halfWidth;
        }
    }
}

}  // namespace rs::text
