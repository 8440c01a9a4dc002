// The display object (the screen buffer and the sprite table), its creation by the `screen`
// command, and the presentation of the composed scene through the host's presenter.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "display/gpu_composer.h"
#include "display/screen_mode.h"
#include "graphics/frame.h"
#include "graphics/sprite_layer.h"
#include "platform/view_transform.h"

namespace rs {
class Engine;
}
namespace rs::platform {
class Host;
}

namespace rs::display {

// The game screen's size and colour depth as scripts set and query them.
struct ScreenParams {
    int32_t width = 240;
    int32_t height = 120;
    int32_t bitsPerPixel = 32;
};

// The display object: the 32-bit screen buffer the scene is composed in, and the size of the
// display it is shown on (the game screen's size in window mode).
struct Display {
    std::unique_ptr<graphics::Frame> screen;
    int32_t displayWidth = 0;
    int32_t displayHeight = 0;
};

// The most sprites a screen can hold; a larger table is refused like an allocation failure.
constexpr int32_t kMaxSpriteCount = 1 << 20;

// Everything of the display subsystem the engine keeps. It listens to frame changes and marks
// what they change on the screen.
class DisplayState final : public graphics::FrameChangeListener {
  public:
    explicit DisplayState(platform::Host& host) : host_(host) {}

    ScreenParams params;
    std::unique_ptr<Display> display;  // null until the first `screen`
    // The sprite table (empty until the display exists), display list, offset groups, wave and
    // dirty rectangle.
    graphics::SpriteLayer sprites;
    // Window or full screen, and where the picture lies in the window.
    ScreenModeState mode;
    platform::ViewTransform view;
    // Back-end kind 2: the textures the presenter holds for the frames.
    GpuTextures gpu;
    // While a movie plays: the part of the screen it shows in, which presentation leaves alone,
    // and whether it is centred at its own size (presentation then does nothing at all).
    std::optional<platform::PixelRect> movieArea;
    bool movieCentred = false;
    // Presentations so far and the engine time of the last one.
    int64_t presentations = 0;
    uint32_t lastPresentTime = 0;

    void frameChanged(const graphics::Frame& frame, int32_t x, int32_t y) override;
    // framesize(-3, which): 0 the sprite slots, 1 the slots in use, 2 the slots in use that show
    // a frame slot; -1 for any other `which`. All 0 before the screen exists.
    int32_t spriteStatistic(int32_t which) const override;

  private:
    platform::Host& host_;
};

// CreateDisplay: the screen buffer of width x height (32 bits per pixel whatever `bpp` says; bpp
// 0 takes the current depth) and a sprite table of `spriteCount` free slots; the window is placed
// for the screen and painted black, and the whole screen is to be redrawn. False (and no display)
// when the size or the count cannot be held.
bool createDisplay(Engine& e, int32_t width, int32_t height, int32_t bpp, int32_t spriteCount);
// RecreateDisplay: a new screen buffer at the new size; the sprite table stays. False, with the
// old buffer kept, when the new one cannot be made.
bool recreateDisplay(Engine& e, int32_t width, int32_t height, int32_t bpp);
// DestroyDisplay: frees the screen buffer and the sprite table and empties the display list.
void destroyDisplay(Engine& e);

// The whole screen is to be drawn again and shown at the next presentation (a repaint).
void markWholeScreen(Engine& e);

// Present: nothing while a movie centred at its own size plays; clips the dirty rectangle to the
// screen; unless the program is stopping or the scene did not change, composes the scene and
// shows it, then empties the rectangle and clears sceneChanged. Back-end kinds 0 and 1 compose in
// software and transfer the dirty rectangle to the window; kind 2 draws the whole scene through
// the presenter's draw list, when anything changed at all (the wave counts as a change while it
// is on). The wave's time is the engine clock's, so runs on a virtual clock are repeatable.
void present(Engine& e);

// The rectangle a presentation transfers: the dirty rectangle inside the screen, or nothing.
bool transferRect(const graphics::DirtyRect& dirty, int32_t width, int32_t height,
                  graphics::DirtyRect& out);

// The parts of `rect` outside `hole` (both with inclusive edges): at most four rectangles, the
// band above, the parts left and right, the band below.
std::vector<graphics::DirtyRect> rectsAround(const graphics::DirtyRect& rect,
                                             const graphics::DirtyRect& hole);

// The sprite statistics `framesize(-3, which)` reports (DisplayState::spriteStatistic).
int32_t spriteStatistic(const Engine& e, int32_t which);

}  // namespace rs::display
