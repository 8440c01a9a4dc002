#include "display/display.h"

#include <algorithm>
#include <new>
#include <vector>

#include "graphics/blit.h"
#include "graphics/composer.h"
#include "platform/host.h"
#include "shell/engine.h"

namespace rs::display {

namespace {

constexpr const char* kLinkLoopTitle = "スプライトリンクがループしています";

// The window is placed for the new screen and painted black; the whole screen is then redrawn,
// as the repaint that follows a window's new placement asks.
void showNewScreen(Engine& e, DisplayState& d, int32_t width, int32_t height) {
    d.sprites.screenWidth = width;
    d.sprites.screenHeight = height;
    placeWindow(e);
    e.host.presenter().paintBlack(width, height);
    d.sprites.markScreen(width, height);
}

// The colour depth stored for the screen: 0 keeps the current one, and so does every value when
// the back-end draws through DirectX.
int32_t chosenDepth(Engine& e, const DisplayState& d, int32_t bpp) {
    if (bpp == 0 || e.host.presenter().kind() != platform::BackEndKind::Software)
        return d.params.bitsPerPixel;
    return bpp;
}

std::unique_ptr<graphics::Frame> makeScreenBuffer(Engine& e, int32_t width, int32_t height) {
    if (width < 0 || height < 0) return nullptr;
    auto screen = graphics::createFrame(width, height, 32, 0);
    if (screen)
        screen->placement = e.host.presenter().kind() == platform::BackEndKind::Software ? 0 : 1;
    return screen;
}

}  // namespace

void DisplayState::frameChanged(const graphics::Frame& frame, int32_t x, int32_t y) {
    // Frames outside the table are shown by no sprite.
    if (frame.slot < 0) return;
    if (!sprites.frameChanged(frame.slot, x, y)) host_.window().setTitle(kLinkLoopTitle);
}

bool createDisplay(Engine& e, int32_t width, int32_t height, int32_t bpp, int32_t spriteCount) {
    DisplayState& d = *e.display;
    if (spriteCount < 0 || spriteCount > kMaxSpriteCount) return false;
    auto screen = makeScreenBuffer(e, width, height);
    if (!screen) return false;
    std::vector<graphics::Sprite> table;
    try {
        table.resize(static_cast<size_t>(spriteCount));
    } catch (const std::bad_alloc&) {
        return false;
    }
    d.params = {width, height, chosenDepth(e, d, bpp)};
    d.display = std::make_unique<Display>();
    d.display->screen = std::move(screen);
    d.display->displayWidth = width;
    d.display->displayHeight = height;
    d.sprites.sprites = std::move(table);
    d.sprites.head = -1;
    showNewScreen(e, d, width, height);
    return true;
}

bool recreateDisplay(Engine& e, int32_t width, int32_t height, int32_t bpp) {
    DisplayState& d = *e.display;
    if (!d.display) return false;
    auto screen = makeScreenBuffer(e, width, height);
    if (!screen) return false;
    d.params = {width, height, chosenDepth(e, d, bpp)};
    d.display->screen = std::move(screen);
    d.display->displayWidth = width;
    d.display->displayHeight = height;
    showNewScreen(e, d, width, height);
    return true;
}

void destroyDisplay(Engine& e) {
    DisplayState& d = *e.display;
    d.display.reset();
    d.sprites.sprites.clear();
    d.sprites.head = -1;
}

// A rectangle is transferred whenever it holds a pixel: a change one pixel wide or high is shown
// at once instead of being dropped with the emptied rectangle.
bool transferRect(const graphics::DirtyRect& dirty, int32_t width, int32_t height,
                  graphics::DirtyRect& out) {
    out = dirty;
    out.clip(width, height);
    return !out.empty();
}

namespace {

// The presentation has been made: the rectangle starts empty again.
void presented(Engine& e, DisplayState& d) {
    d.sprites.dirty.reset();
    e.sceneChanged = 0;
    ++d.presentations;
    d.lastPresentTime = e.engineTime();
}

// Back-end kind 2: after a change the whole scene is drawn again by the presenter; a turn in which
// nothing changed presents nothing.
void presentDirect3D(Engine& e, DisplayState& d, const graphics::Frame& screen) {
    platform::Presenter& presenter = e.host.presenter();
    if (presenter.textureLosses() != d.gpu.lossesSeen) {
        d.gpu.lossesSeen = presenter.textureLosses();
        graphics::releaseAllSurfaces(*e.frames);
        d.gpu.forgetScratch();
    }
    d.sprites.widenForWave(screen.width);
    if (d.sprites.dirty.empty()) return;
    d.sprites.markScreen(screen.width, screen.height);
    platform::DrawList list;
    GpuComposer c{d.sprites,
                  *e.frames,
                  d.gpu,
                  presenter.textureLimits(),
                  screen.width,
                  screen.height,
                  static_cast<float>(e.engineTime()) / 1000.0f};
    graphics::ComposeResult result = composeDirect3D(c, list);
    if (d.movieArea && !d.movieArea->empty()) list.movie = *d.movieArea;
    presenter.drawScene(std::move(list));
    if (result == graphics::ComposeResult::SpriteLinkLoop) {
        e.host.window().setTitle(kLinkLoopTitle);
        return;
    }
    presented(e, d);
}

}  // namespace

void present(Engine& e) {
    DisplayState& d = *e.display;
    if (!d.display) return;
    // A centred movie owns the window until it stops.
    if (d.movieCentred) return;
    graphics::Frame& screen = *d.display->screen;
    d.sprites.dirty.clip(screen.width, screen.height);
    if (e.app.quitLevel > 0) return;
    if (e.sceneChanged == 0) return;
    if (e.host.presenter().kind() == platform::BackEndKind::Direct3D) {
        presentDirect3D(e, d, screen);
        return;
    }

    graphics::BlitContext blit;
    blit.mmx = e.app.hasMmx > 0;
    blit.simd = e.app.simdAllowed ? graphics::detectSimd() : graphics::SimdLevel::None;
    float seconds = static_cast<float>(e.engineTime()) / 1000.0f;
    graphics::Composer c{screen, d.sprites, *e.frames, blit, seconds};
    if (graphics::composeSoftware(c, true) == graphics::ComposeResult::SpriteLinkLoop) {
        e.host.window().setTitle(kLinkLoopTitle);
        return;
    }
    graphics::DirtyRect r;
    if (transferRect(d.sprites.dirty, screen.width, screen.height, r)) {
        platform::ScreenPixels pixels{screen.pixels, screen.width, screen.height};
        std::vector<graphics::DirtyRect> parts{r};
        if (d.movieArea && !d.movieArea->empty()) {
            const platform::PixelRect& m = *d.movieArea;
            parts = rectsAround(r, {m.x, m.y, m.x + m.width - 1, m.y + m.height - 1});
        }
        for (const graphics::DirtyRect& p : parts)
            e.host.presenter().transfer(pixels,
                                        platform::ScreenRect{p.left, p.top, p.right, p.bottom});
    }
    presented(e, d);
}

std::vector<graphics::DirtyRect> rectsAround(const graphics::DirtyRect& rect,
                                             const graphics::DirtyRect& hole) {
    std::vector<graphics::DirtyRect> out;
    auto add = [&out](int32_t l, int32_t t, int32_t r, int32_t b) {
        if (l <= r && t <= b) out.push_back({l, t, r, b});
    };
    if (hole.right < rect.left || hole.left > rect.right || hole.bottom < rect.top ||
        hole.top > rect.bottom) {
        out.push_back(rect);
        return out;
    }
    int32_t top = std::max(rect.top, hole.top), bottom = std::min(rect.bottom, hole.bottom);
    add(rect.left, rect.top, rect.right, top - 1);
    add(rect.left, top, std::min(rect.right, hole.left - 1), bottom);
    add(std::max(rect.left, hole.right + 1), top, rect.right, bottom);
    add(rect.left, bottom + 1, rect.right, rect.bottom);
    return out;
}

void markWholeScreen(Engine& e) {
    DisplayState& d = *e.display;
    d.sprites.markScreen(d.params.width, d.params.height);
    e.sceneChanged = 1;
}

int32_t DisplayState::spriteStatistic(int32_t which) const {
    switch (which) {
        case 0: return sprites.count();
        case 1: return sprites.usedCount();
        case 2: return sprites.withFrameCount();
        default: return -1;
    }
}

int32_t spriteStatistic(const Engine& e, int32_t which) {
    return e.display->spriteStatistic(which);
}

}  // namespace rs::display
