// Where the game picture lies in the window. The game screen is drawn scaled to the window's
// client area with its aspect ratio kept, centred, with black borders around it; the same
// transform maps window pixels back to game pixels (the mouse) and game pixels to the window (a
// text-input rectangle, a movie's place). Every presenter, software or GPU, and every consumer of
// window coordinates uses this one transform, so the picture and the mouse always agree.
//
// All sizes are in pixels of the output (never in the desktop's points): on a HiDPI desktop the
// window's client area in pixels is what counts.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace rs::platform {

struct SizeInPixels {
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const SizeInPixels&) const = default;
};

struct PixelPoint {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const PixelPoint&) const = default;
};

// A rectangle by its upper-left corner and size.
struct PixelRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const PixelRect&) const = default;
    bool empty() const { return width <= 0 || height <= 0; }
};

// How the picture is scaled: `Nearest` repeats pixels, `Linear` interpolates, `Sharp` repeats
// pixels by the largest integer factor that fits and interpolates only the rest (crisp pixels
// without the uneven widths of a non-integer nearest scale).
enum class ScaleFilter : int32_t { Nearest, Linear, Sharp };

// "nearest", "linear", "sharp".
const char* scaleFilterName(ScaleFilter filter);
std::optional<ScaleFilter> parseScaleFilter(std::string_view name);

// The largest window scale the engine offers, also the limit of --scale.
constexpr int32_t kMaxWindowScale = 16;

// The default window scale: the largest integer factor at which the game screen fits in 90% of
// the usable desktop (both in pixels), at least 1 and at most kMaxWindowScale.
int32_t defaultWindowScale(SizeInPixels game, SizeInPixels usableDesktop);

class ViewTransform {
  public:
    // No picture yet: an empty draw rectangle; points map unchanged.
    ViewTransform() = default;
    // `game`: the game screen's size; `output`: the client area's size; `filter` decides the
    // sharp prescale only (the draw rectangle is the same for every filter).
    ViewTransform(SizeInPixels game, SizeInPixels output,
                  ScaleFilter filter = ScaleFilter::Nearest);

    SizeInPixels game() const { return game_; }
    SizeInPixels output() const { return output_; }
    ScaleFilter filter() const { return filter_; }

    // The largest rectangle of the game's aspect ratio inside the output, centred (an odd border
    // pixel goes to the right or bottom). At an integer scale its size is exactly the game size
    // times the scale.
    const PixelRect& drawRect() const { return rect_; }
    // True when the draw rectangle is the game size times one integer factor in both directions:
    // then every filter shows the same, pixel-exact picture.
    bool integerScale() const { return integerScale_; }
    // The integer factor of the sharp filter's nearest-neighbour step: the largest whole number
    // of times the game fits in the draw rectangle (at least 1). 1 for the other filters.
    int32_t prescale() const { return prescale_; }

    // Window pixel -> game pixel: the game pixel shown under the window pixel's centre (what a
    // nearest-neighbour scale draws there). Outside the picture the count goes on past the edges
    // (negative left of and above it). At an integer scale k this is (p - origin) / k rounded
    // down, exactly.
    PixelPoint toGame(PixelPoint window) const;
    // Game pixel -> the first window pixel (from the upper left) that shows it;
    // toGame(toWindow(p)) == p whenever the picture is not scaled down.
    PixelPoint toWindow(PixelPoint game) const;
    // A game rectangle as the window rectangle that covers its scaled area.
    PixelRect toWindow(const PixelRect& game) const;

  private:
    SizeInPixels game_;
    SizeInPixels output_;
    ScaleFilter filter_ = ScaleFilter::Nearest;
    PixelRect rect_;
    bool integerScale_ = false;
    int32_t prescale_ = 1;
};

}  // namespace rs::platform
