#include "graphics/sprite_layer.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace rs::graphics {

namespace {

int32_t clampToInt(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// A real truncated toward zero; values out of range (and NaN) are held at the range's ends.
int64_t truncateReal(float v) {
    if (std::isnan(v)) return 0;
    return static_cast<int64_t>(std::clamp(v, -4e18f, 4e18f));
}

// x reduced into 0 .. n - 1, also for negative x.
int64_t wrapInto(int64_t x, int32_t n) {
    int64_t r = x % n;
    return r < 0 ? r + n : r;
}

}  // namespace

void DirtyRect::mark(int64_t x, int64_t y) {
    int32_t cx = clampToInt(x);
    int32_t cy = clampToInt(y);
    if (cx < left) left = cx;
    if (cx > right) right = cx;
    if (cy < top) top = cy;
    if (cy > bottom) bottom = cy;
}

void DirtyRect::clip(int32_t width, int32_t height) {
    if (left < 0) left = 0;
    if (top < 0) top = 0;
    if (right > width - 1) right = width - 1;
    if (bottom > height - 1) bottom = height - 1;
}

WrapCopies wrapCopies(int64_t x, int64_t y, int32_t attributes, int32_t screenWidth,
                      int32_t screenHeight) {
    // A screen without width (or height) has nothing to wrap around.
    bool wx = (attributes & spriteattr::kWrapX) && screenWidth > 0;
    bool wy = (attributes & spriteattr::kWrapY) && screenHeight > 0;
    if (wx) x = wrapInto(x, screenWidth);
    if (wy) y = wrapInto(y, screenHeight);
    WrapCopies c;
    c.at[c.count++] = {x, y};
    if (wx) c.at[c.count++] = {x - screenWidth, y};
    if (wy) c.at[c.count++] = {x, y - screenHeight};
    if (wx && wy) c.at[c.count++] = {x - screenWidth, y - screenHeight};
    return c;
}

SpriteLayer::SpriteLayer() { groups[0].groupAlpha = 255; }

ScreenPoint SpriteLayer::offsetOf(const Sprite& s) const {
    ScreenPoint p{groups[0].offsetX, groups[0].offsetY};
    int32_t g = s.group();
    if (g != 0) {
        p.x += groups[static_cast<size_t>(g)].offsetX;
        p.y += groups[static_cast<size_t>(g)].offsetY;
    }
    return p;
}

// A group alpha above 255 cannot make a sprite more than opaque.
int32_t SpriteLayer::opacityOf(const Sprite& s) const {
    int64_t a = int64_t{groups[0].groupAlpha} * s.opacity() / 255;
    if (s.group() != 0) a = int64_t{groups[static_cast<size_t>(s.group())].groupAlpha} * a / 255;
    return static_cast<int32_t>(std::clamp<int64_t>(a, 0, 255));
}

void SpriteLayer::widenForWave(int32_t width) {
    if (wave.amplitude == 0 || wave.top >= wave.bottom) return;
    dirty.left = 0;
    dirty.right = width - 1;
    dirty.top = std::min(dirty.top, wave.top);
    dirty.bottom = std::max(dirty.bottom, wave.bottom);
}

void SpriteLayer::markRectangle(int64_t x, int64_t y, int64_t w, int64_t h, float angle) {
    if (angle == 0) {
        dirty.mark(x, y);
        dirty.mark(x + w, y + h);
        return;
    }
    // The corners of the rectangle turned about its centre; the margin covers the rounding of
    // the drawn triangles.
    int64_t hw = w / 2;
    int64_t hh = h / 2;
    int64_t cx = x + hw;
    int64_t cy = y + hh;
    float c = std::cos(angle);
    float s = std::sin(angle);
    const int64_t corners[4][2] = {{-hw, -hh}, {hw, -hh}, {hw, hh}, {-hw, hh}};
    for (const auto& k : corners) {
        auto dx = static_cast<float>(k[0]);
        auto dy = static_cast<float>(k[1]);
        int64_t px = cx + truncateReal(dx * c - dy * s);
        int64_t py = cy + truncateReal(dx * s + dy * c);
        dirty.mark(px - 2, py - 2);
        dirty.mark(px + 2, py + 2);
    }
}

// Besides the placement as the sprite gives it, the copies a wrapping sprite is drawn at are
// marked, so that a wrapped copy is redrawn when the sprite changes.
// A turned sprite with a mask is drawn unturned (masked drawing ignores the angle): both shapes
// are marked.
void SpriteLayer::markArea(const Sprite& s) {
    ScreenPoint o = offsetOf(s);
    int64_t x = int64_t{s.x} + o.x;
    int64_t y = int64_t{s.y} + o.y;
    bool alsoUnturned = s.angle != 0 && s.maskFrame >= 0;
    auto mark = [&](int64_t px, int64_t py) {
        markRectangle(px, py, s.width, s.height, s.angle);
        if (alsoUnturned) markRectangle(px, py, s.width, s.height, 0);
    };
    mark(x, y);
    if (s.attributes & (spriteattr::kWrapX | spriteattr::kWrapY)) {
        WrapCopies copies = wrapCopies(x, y, s.attributes, screenWidth, screenHeight);
        for (int32_t i = 0; i < copies.count; ++i) mark(copies.at[i].x, copies.at[i].y);
    }
}

void SpriteLayer::markScreen(int32_t width, int32_t height) {
    dirty.mark(0, 0);
    dirty.mark(width, height);
}

void SpriteLayer::unlink(int32_t index) {
    Sprite& s = sprites[static_cast<size_t>(index)];
    bool listed = s.prev >= 0 || head == index;
    if (listed) {
        if (s.prev >= 0) {
            sprites[static_cast<size_t>(s.prev)].next = s.next;
        } else {
            head = s.next;
        }
        if (s.next >= 0) sprites[static_cast<size_t>(s.next)].prev = s.prev;
    }
    s.prev = -1;
    s.next = -1;
}

void SpriteLayer::insert(int32_t index) {
    Sprite& s = sprites[static_cast<size_t>(index)];
    int32_t before = -1;  // the first sprite with a greater priority
    int32_t last = -1;
    for (int32_t i = head, steps = 0; i >= 0 && steps <= count();
         i = sprites[static_cast<size_t>(i)].next, ++steps) {
        if (sprites[static_cast<size_t>(i)].priority > s.priority) {
            before = i;
            break;
        }
        last = i;
        if (selfLinked(i)) break;
    }
    s.next = before;
    s.prev = last;
    if (last >= 0) {
        sprites[static_cast<size_t>(last)].next = index;
    } else {
        head = index;
    }
    if (before >= 0) sprites[static_cast<size_t>(before)].prev = index;
}

// The point is taken relative to the source rectangle, held inside it, scaled to the shown size
// and moved to the sprite's place. Where a point cannot stand for the change, the sprite's whole
// area is marked instead: a rotated sprite (the point would miss the turned picture), a sprite
// with an empty source rectangle, and a sprite that uses the frame as its mask.
bool SpriteLayer::frameChanged(int32_t slot, int32_t x, int32_t y) {
    if (slot < 0) return true;
    for (int32_t i = head, steps = 0; i >= 0 && steps <= count();
         i = sprites[static_cast<size_t>(i)].next, ++steps) {
        const Sprite& s = sprites[static_cast<size_t>(i)];
        if (s.frame == slot) {
            if (s.angle != 0 || s.srcWidth <= 0 || s.srcHeight <= 0) {
                markArea(s);
            } else {
                int64_t px = std::clamp<int64_t>(int64_t{x} - s.srcX, 0, s.srcWidth - 1);
                int64_t py = std::clamp<int64_t>(int64_t{y} - s.srcY, 0, s.srcHeight - 1);
                // An enlarged source pixel covers several screen pixels: the first and the last
                // of them are marked, so that a change at the source's edge reaches the edge of
                // the shown picture.
                int64_t firstX = px * s.width / s.srcWidth;
                int64_t firstY = py * s.height / s.srcHeight;
                int64_t lastX = std::max(firstX, ((px + 1) * s.width - 1) / s.srcWidth);
                int64_t lastY = std::max(firstY, ((py + 1) * s.height - 1) / s.srcHeight);
                ScreenPoint o = offsetOf(s);
                int64_t sx = int64_t{s.x} + o.x;
                int64_t sy = int64_t{s.y} + o.y;
                auto markAt = [&](int64_t ox, int64_t oy) {
                    dirty.mark(ox + firstX, oy + firstY);
                    dirty.mark(ox + lastX, oy + lastY);
                };
                markAt(sx, sy);
                if (s.attributes & (spriteattr::kWrapX | spriteattr::kWrapY)) {
                    WrapCopies copies = wrapCopies(sx, sy, s.attributes, screenWidth, screenHeight);
                    for (int32_t k = 0; k < copies.count; ++k)
                        markAt(copies.at[k].x, copies.at[k].y);
                }
            }
        } else if (s.maskFrame == slot && slot >= 0) {
            markArea(s);
        }
        if (selfLinked(i)) return false;
    }
    return true;
}

int32_t SpriteLayer::usedCount() const {
    return static_cast<int32_t>(
        std::count_if(sprites.begin(), sprites.end(), [](const Sprite& s) { return s.used != 0; }));
}

int32_t SpriteLayer::withFrameCount() const {
    return static_cast<int32_t>(std::count_if(sprites.begin(), sprites.end(), [](const Sprite& s) {
        return s.used != 0 && s.frame >= 0;
    }));
}

}  // namespace rs::graphics
