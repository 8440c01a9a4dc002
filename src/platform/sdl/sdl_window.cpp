#include "platform/sdl/sdl_window.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>

#include "platform/encoding.h"
#include "platform/window_icon.h"

namespace rs::platform::sdl {

namespace {

PixelRect scaled(const SDL_Rect& r, double k) {
    return {static_cast<int32_t>(std::lround(r.x * k)), static_cast<int32_t>(std::lround(r.y * k)),
            static_cast<int32_t>(std::lround(r.w * k)), static_cast<int32_t>(std::lround(r.h * k))};
}

int toPoints(int32_t pixels, double k) {
    return std::max(1, static_cast<int>(std::lround(pixels / k)));
}

}  // namespace

std::unique_ptr<SdlWindow> SdlWindow::create(const SdlWindowOptions& options, std::string* error) {
    std::unique_ptr<SdlWindow> w(new SdlWindow());
    if (options.failWindow) {
        if (error) *error = "SDL could not create the window: a failure asked for by the test hook";
        return nullptr;
    }
    Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
    w->window_ =
        SDL_CreateWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 240, 120, flags);
    if (!w->window_) {
        if (error) *error = std::string("SDL could not create the window: ") + SDL_GetError();
        return nullptr;
    }
    if (options.failRenderer) {
        if (error) *error = "SDL could not create a renderer: a failure asked for by the test hook";
        return nullptr;
    }
    Uint32 vsync = options.vsync ? SDL_RENDERER_PRESENTVSYNC : 0;
    w->renderer_ = SDL_CreateRenderer(w->window_, -1, SDL_RENDERER_ACCELERATED | vsync);
    // Without a GPU driver, SDL's software renderer still shows the picture.
    if (!w->renderer_) w->renderer_ = SDL_CreateRenderer(w->window_, -1, SDL_RENDERER_SOFTWARE);
    if (!w->renderer_) {
        if (error) *error = std::string("SDL could not create a renderer: ") + SDL_GetError();
        return nullptr;
    }
    return w;
}

SdlWindow::~SdlWindow() {
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (window_) SDL_DestroyWindow(window_);
}

uint32_t SdlWindow::id() const { return SDL_GetWindowID(window_); }

double SdlWindow::pixelsPerPoint() const {
    int points = 0, pixels = 0, h = 0;
    SDL_GetWindowSize(window_, &points, &h);
    if (SDL_GetRendererOutputSize(renderer_, &pixels, &h) != 0 || points <= 0 || pixels <= 0)
        return 1.0;
    return static_cast<double>(pixels) / points;
}

void SdlWindow::setTitle(std::string_view cp932Title) {
    SDL_SetWindowTitle(window_, cp932ToUtf8(cp932Title).c_str());
}

std::string SdlWindow::titleUtf8() const { return SDL_GetWindowTitle(window_); }

void SdlWindow::setIcon(WindowIcon icon) {
    Picture p = windowIconPicture(icon);
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(p.pixels.data(), p.width, p.height, 32,
                                                        p.width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!s) return;
    SDL_SetWindowIcon(window_, s);
    SDL_FreeSurface(s);
}

void SdlWindow::showCursor() { SDL_ShowCursor(SDL_ENABLE); }

SizeInPixels SdlWindow::desktopSize() const {
    SDL_Rect r{0, 0, 0, 0};
    int display = std::max(0, SDL_GetWindowDisplayIndex(window_));
    SDL_GetDisplayBounds(display, &r);
    PixelRect p = scaled(r, pixelsPerPoint());
    return {p.width, p.height};
}

PixelRect SdlWindow::usableArea() const {
    SDL_Rect r{0, 0, 0, 0};
    int display = std::max(0, SDL_GetWindowDisplayIndex(window_));
    if (SDL_GetDisplayUsableBounds(display, &r) != 0) SDL_GetDisplayBounds(display, &r);
    return scaled(r, pixelsPerPoint());
}

PixelRect SdlWindow::virtualScreen() const {
    SDL_Rect all{0, 0, 0, 0};
    int n = SDL_GetNumVideoDisplays();
    for (int i = 0; i < n; ++i) {
        SDL_Rect r;
        if (SDL_GetDisplayBounds(i, &r) != 0) continue;
        if (all.w == 0) {
            all = r;
        } else {
            SDL_UnionRect(&all, &r, &all);
        }
    }
    return scaled(all, pixelsPerPoint());
}

FrameExtents SdlWindow::frameExtents() const {
    int top = 0, left = 0, bottom = 0, right = 0;
    if (SDL_GetWindowBordersSize(window_, &top, &left, &bottom, &right) != 0) return {};
    double k = pixelsPerPoint();
    auto px = [k](int v) { return static_cast<int32_t>(std::lround(v * k)); };
    return {px(left), px(top), px(right), px(bottom)};
}

SizeInPixels SdlWindow::clientSize() const {
    int w = 0, h = 0;
    SDL_GetRendererOutputSize(renderer_, &w, &h);
    return {w, h};
}

void SdlWindow::placeClient(const PixelRect& client) {
    double k = pixelsPerPoint();
    SDL_SetWindowSize(window_, toPoints(client.width, k), toPoints(client.height, k));
    SDL_SetWindowPosition(window_, static_cast<int>(std::lround(client.x / k)),
                          static_cast<int>(std::lround(client.y / k)));
    if (!shown_) {
        SDL_ShowWindow(window_);
        SDL_RaiseWindow(window_);
        shown_ = true;
    }
}

bool SdlWindow::setFullScreen(bool on) {
    if (on) {
        if (!shown_) {
            SDL_ShowWindow(window_);
            shown_ = true;
        }
        // The maximise button leads here: the window leaves the maximised state first, so that
        // leaving full screen later brings back a plain window.
        if (SDL_GetWindowFlags(window_) & SDL_WINDOW_MAXIMIZED) SDL_RestoreWindow(window_);
        return SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0;
    }
    return SDL_SetWindowFullscreen(window_, 0) == 0;
}

bool SdlWindow::fullScreen() const {
    return (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
}

void SdlWindow::setOpacity(int32_t alpha) {
    SDL_SetWindowOpacity(window_, static_cast<float>(std::clamp(alpha, 0, 255)) / 255.0f);
}

std::optional<PixelPoint> SdlWindow::cursorPosition() const {
    int gx = 0, gy = 0, wx = 0, wy = 0;
    SDL_GetGlobalMouseState(&gx, &gy);
    SDL_GetWindowPosition(window_, &wx, &wy);
    double k = pixelsPerPoint();
    return PixelPoint{static_cast<int32_t>(std::lround((gx - wx) * k)),
                      static_cast<int32_t>(std::lround((gy - wy) * k))};
}

}  // namespace rs::platform::sdl
