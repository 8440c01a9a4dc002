// The software scene composer: draws the sprites of the display list, lowest priority first,
// into the screen buffer, limited where it can be to the dirty rectangle.
#pragma once

#include <cstdint>

#include "graphics/blit.h"
#include "graphics/sprite_layer.h"

namespace rs::graphics {

struct Frame;
struct FrameTable;

// What one composition works on.
struct Composer {
    Frame& screen;             // 32-bit screen buffer
    SpriteLayer& layer;        // sprites, groups, wave, dirty rectangle
    const FrameTable& frames;  // the frames sprites and masks name
    BlitContext blit;          // vector level and MMX switch; no change reports
    float time = 0;            // seconds, for the wave
};

// How a sprite is drawn: the first of the list, a later one, a later one with attribute bit 2.
enum class Manner : int32_t { First = 0, Other = 1, OtherResetting = 2 };

// The rectangle of one placement: where, how large, and which part of the source.
struct SpriteRect {
    int64_t x = 0;
    int64_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t srcX = 0;
    int32_t srcY = 0;
    int32_t srcWidth = 0;
    int32_t srcHeight = 0;
};

enum class ComposeResult { Present, SpriteLinkLoop };

// ComposeSoftware: with the wave on, widens the dirty rectangle over the wave's rows; when the
// scene changed, clears the whole screen buffer and draws every listed sprite that shows a frame.
// SpriteLinkLoop when a sprite linked to itself was met: nothing is to be presented.
ComposeResult composeSoftware(Composer& c, bool sceneChanged);

// DrawSprite: one sprite with its own rectangle.
void drawSprite(Composer& c, const Sprite& s, const Frame& source, Manner manner);

// DrawSpriteRect: position with offsets and wrapping, opacity of the sprite and its groups, then
// the masked drawing or the placements (rotated, or by blend mode).
void drawSpriteRect(Composer& c, const Sprite& s, const Frame& source, const SpriteRect& r,
                    Manner manner);

// The wave's horizontal shift of display row r at time t (seconds).
int32_t waveShift(const WaveParams& w, int32_t row, float t);

// The display rows of the first sprite the wave draws: rows that land above or below the screen
// draw nothing and are left out, unless the sprite wraps vertically or is turned.
struct WaveRows {
    int32_t first = 0;
    int32_t last = 0;  // one past the last
};
WaveRows waveRows(const SpriteLayer& layer, const Sprite& s, int32_t screenHeight);
// The placement of display row `row` with the wave: one row high, shifted sideways, showing
// source row srcY + srcHeight * row / height with a source height of srcHeight / height.
SpriteRect waveRowRect(const WaveParams& wave, const Sprite& s, int32_t row, float t);

}  // namespace rs::graphics
