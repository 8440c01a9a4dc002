// Characters per second drawn by the outlined renderer at 24 pixels into an 800 x 600 frame,
// with and without the glyph cache.
#include <benchmark/benchmark.h>

#include <string>

#include "graphics/frame.h"
#include "text/font_state.h"
#include "text/text_drawing.h"

namespace {

using namespace rs;

// A line of 33 characters: kanji, kana, punctuation and ASCII.
const std::string kLine = "吾輩は猫である。名前はまだ無い。ABCDEFGH 12345678";

void drawLines(benchmark::State& state, text::Renderer renderer, bool cached) {
    auto ts = text::createTextState();
    ts->fontName = "ＭＳ ゴシック";
    ts->fonts->setCaching(cached);
    graphics::FrameTable table;
    graphics::Frame* frame = table.place(0, graphics::createFrame(800, 600, 32, 0));
    text::TextDrawing d;
    d.charWidth = 24;
    d.fontHeight = 24;
    d.renderer = renderer;
    d.style = text::kOutlineStyle;
    d.colours = {0xFFFFFFFF, 0xFF000000, 0};
    int64_t characters = 0;
    int32_t row = 0;
    for (auto _ : state) {
        d.x = 8;
        d.y = 8 + (row++ % 20) * 28;
        text::drawText(*ts, table, *frame, d, kLine);
        characters += 33;
    }
    state.SetItemsProcessed(characters);
}

void BM_OutlinedCached(benchmark::State& s) { drawLines(s, text::Renderer::Outlined, true); }
void BM_OutlinedUncached(benchmark::State& s) { drawLines(s, text::Renderer::Outlined, false); }
void BM_SmoothCached(benchmark::State& s) { drawLines(s, text::Renderer::Smooth, true); }
void BM_MonochromeCached(benchmark::State& s) { drawLines(s, text::Renderer::Monochrome, true); }

BENCHMARK(BM_OutlinedCached);
BENCHMARK(BM_OutlinedUncached);
BENCHMARK(BM_SmoothCached);
BENCHMARK(BM_MonochromeCached);

}  // namespace
