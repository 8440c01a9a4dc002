// The presentation back-end: how the composed scene reaches the window. With back-end kinds 0 and
// 1 the engine composes the scene in software into its screen buffer and hands the changed
// rectangle to the presenter, which copies it into what the window shows. With kind 2 the engine
// hands the presenter a draw list (platform/draw_list.h) and the presenter draws the scene itself.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/draw_list.h"

namespace rs::platform {

// The screen buffer as the presenter reads it: 32-bit pixels 0xAARRGGBB, rows packed and stored
// bottom-up (the first row in memory is the bottom row of the picture).
struct ScreenPixels {
    const uint8_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
};

// A rectangle of the screen with inclusive edges.
struct ScreenRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = -1;
    int32_t bottom = -1;
};

// A picture as the player sees it: rows top to bottom, pixels 0xFFRRGGBB.
struct Picture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;
};

// The back-end kinds scripts are told about.
enum class BackEndKind : int32_t { Software = 0, DirectDraw = 1, Direct3D = 2 };

class Presenter {
  public:
    virtual ~Presenter() = default;
    // The kind that runs, as `screen` reports it.
    virtual BackEndKind kind() const = 0;
    virtual void setKind(BackEndKind kind) = 0;
    // The window was placed for a game screen of this size and painted black.
    virtual void paintBlack(int32_t width, int32_t height) = 0;
    // Copies the rectangle (inside the screen) of the screen buffer into the window at the same
    // place; the alpha bytes are not shown.
    virtual void transfer(const ScreenPixels& screen, const ScreenRect& rect) = 0;
    // Shows a picture (a movie's) with its upper-left corner at (x, y) of the game screen, over
    // what the window shows there; the parts outside the screen are not shown.
    virtual void transferPicture(const Picture& part, int32_t x, int32_t y) = 0;
    // Fills the window with the engine's plain background: what the window shows before the
    // game has a screen and while a modal box covers it.
    virtual void paintBackground() = 0;
    // The game picture at the game's resolution, as the window shows it before any scaling
    // (empty before the first paintBlack).
    virtual Picture picture() const = 0;

    // Back-end kind 2. True when the presenter can draw draw lists: textured quads with every
    // blend of QuadBlend into a target texture.
    virtual bool drawsScenes() = 0;
    virtual TextureLimits textureLimits() const = 0;
    // Does the list's texture work and, when it presents, draws the scene as the game picture and
    // shows it in the window. The texels are taken from the list.
    virtual void drawScene(DrawList&& list) = 0;
    // How often the device lost its textures so far: after a change every texture is to be
    // uploaded again.
    virtual uint32_t textureLosses() const = 0;
};

// The picture of a screen painted black.
Picture blackPicture(int32_t width, int32_t height);
// Copies the rectangle of the screen buffer (bottom-up rows) into the picture (top-down rows),
// opaque. A picture of another size than the screen receives only where both overlap. Returns
// the rectangle copied, empty (right < left) when nothing was.
ScreenRect copyScreenRect(Picture& picture, const ScreenPixels& screen, const ScreenRect& rect);
// Copies `part` into the picture at (x, y), opaque, clipped to the picture. Returns the rectangle
// of the picture that changed, empty (right < left) when none did.
ScreenRect copyPicture(Picture& picture, const Picture& part, int32_t x, int32_t y);

}  // namespace rs::platform
