// Sprites: placements of frame rectangles on the game screen, the priority-ordered display list,
// the offset groups, the wave parameters and the dirty rectangle that tells the composer which
// part of the screen to redraw.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace rs::graphics {

constexpr int32_t kOffsetGroupCount = 16;

// Attribute bits of a sprite.
namespace spriteattr {
constexpr int32_t kWrapX = 1;           // repeated one screen width to the left
constexpr int32_t kWrapY = 2;           // repeated one screen height up
constexpr int32_t kResetPlacement = 4;  // drawing it resets the screen buffer's placement field
constexpr int32_t kHasOpacity = 8;      // bits 8-15 hold the opacity
}  // namespace spriteattr

struct Sprite {
    int32_t used = 0;
    int32_t prev = -1;   // previous sprite of the display list, -1 at the head
    int32_t next = -1;   // next sprite of the display list, -1 at the end
    int32_t frame = -1;  // the frame-table slot shown (whatever frame is in it), -1 for none
    int32_t srcX = 0;
    int32_t srcY = 0;
    int32_t srcWidth = 0;
    int32_t srcHeight = 0;
    int32_t attributes = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t priority = -1;  // negative: not in the display list
    float angle = 0;        // radians about the centre
    int32_t maskFrame = -1;
    int32_t maskParam1 = 0;
    int32_t maskParam2 = 0;
    int32_t maskParam3 = 1;

    int32_t group() const { return (attributes >> 4) & 15; }
    int32_t opacity() const {
        return (attributes & spriteattr::kHasOpacity) ? (attributes >> 8) & 0xFF : 255;
    }
    int32_t blendMode() const { return (attributes >> 16) & 15; }
    bool inList() const { return priority >= 0; }
};

struct OffsetGroup {
    int32_t offsetX = 0;
    int32_t offsetY = 0;
    int32_t groupAlpha = 0;
};

struct WaveParams {
    int32_t amplitude = 0;  // 0: off
    int32_t top = 0;
    int32_t bottom = 480;
    float paramA = 2.0943334f;   // kept for a cosine modulation over time, not used
    float paramB = 1.57075f;     // phase speed over time
    float paramC = 0.13089584f;  // phase step per row
};

// Inclusive edges; empty when left > right (the empty rectangle is 1000, 1000, -1, -1).
struct DirtyRect {
    int32_t left = 1000;
    int32_t top = 1000;
    int32_t right = -1;
    int32_t bottom = -1;

    bool empty() const { return left > right || top > bottom; }
    void reset() { *this = DirtyRect{}; }
    // Extends the rectangle to hold the point; each edge is compared on its own.
    void mark(int64_t x, int64_t y);
    // Keeps the rectangle inside a screen of this size.
    void clip(int32_t width, int32_t height);
    bool operator==(const DirtyRect&) const = default;
};

// A screen position (before clipping), wide enough for any sum of script values.
struct ScreenPoint {
    int64_t x = 0;
    int64_t y = 0;
};

// The positions one placement is drawn at: a wrapping sprite is reduced into the screen and
// drawn again one screen width to the left and/or one screen height up.
struct WrapCopies {
    ScreenPoint at[4];
    int32_t count = 0;
};
WrapCopies wrapCopies(int64_t x, int64_t y, int32_t attributes, int32_t screenWidth,
                      int32_t screenHeight);

// The sprite table with its display list, the offset groups, the wave and the dirty rectangle.
class SpriteLayer {
  public:
    SpriteLayer();

    std::vector<Sprite> sprites;  // empty until the screen exists
    int32_t head = -1;
    std::array<OffsetGroup, kOffsetGroupCount> groups{};
    WaveParams wave;
    DirtyRect dirty;
    // The screen size wrapping sprites repeat at.
    int32_t screenWidth = 0;
    int32_t screenHeight = 0;

    int32_t count() const { return static_cast<int32_t>(sprites.size()); }
    Sprite* at(int32_t handle) {
        return handle >= 0 && handle < count() ? &sprites[static_cast<size_t>(handle)] : nullptr;
    }
    const Sprite* at(int32_t handle) const {
        return handle >= 0 && handle < count() ? &sprites[static_cast<size_t>(handle)] : nullptr;
    }

    // Group 0's offsets plus, for groups 1-15, the sprite's own group's.
    ScreenPoint offsetOf(const Sprite& s) const;
    // The opacity the sprite is drawn with: its own times group 0's alpha and, for groups 1-15,
    // its group's alpha (each / 255, toward zero), at most 255; 0 or less draws nothing.
    int32_t opacityOf(const Sprite& s) const;
    // While the wave is on, the rows it moves are redrawn at every composition: the dirty
    // rectangle is widened to the screen's width and to rows waveTop and waveBottom.
    void widenForWave(int32_t width);
    // Marks what the sprite covers on the screen: its rectangle (x, y)-(x + width, y + height)
    // moved by the offsets, or with an angle the rotated corners with a margin of 2 pixels; a
    // wrapping sprite's copies too.
    void markArea(const Sprite& s);
    // Marks the whole screen of the given size.
    void markScreen(int32_t width, int32_t height);

    // Display-list links: unlink leaves a sprite that is not in the list alone; insert places it
    // after every sprite of the same or a lower priority.
    void unlink(int32_t index);
    void insert(int32_t index);
    // True when the link after `index` points back to it (the walk must stop).
    bool selfLinked(int32_t index) const {
        return sprites[static_cast<size_t>(index)].next == index;
    }

    // A frame in `slot` changed at (x, y): the point is mapped through every listed sprite that
    // shows the slot and marked. False when the walk stopped at a sprite linked to itself.
    bool frameChanged(int32_t slot, int32_t x, int32_t y);

    // The sprite statistics: slots, slots in use, slots in use that show a frame slot.
    int32_t usedCount() const;
    int32_t withFrameCount() const;

  private:
    void markRectangle(int64_t x, int64_t y, int64_t w, int64_t h, float angle);
};

}  // namespace rs::graphics
