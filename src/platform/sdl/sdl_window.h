// The main window on SDL2: an SDL window with its renderer. Sizes and positions cross this door in
// pixels; SDL's window calls take points, which differ on a HiDPI desktop.
#pragma once

#include <memory>
#include <string>

#include "platform/host.h"

struct SDL_Window;
struct SDL_Renderer;

namespace rs::platform::sdl {

struct SdlWindowOptions {
    // Present in step with the display's vertical sync.
    bool vsync = false;
    // Tests: fail as a system would, at the window or at the renderer.
    bool failWindow = false;
    bool failRenderer = false;
};

class SdlWindow final : public Window {
  public:
    // Creates the window hidden (it is shown when first placed) with its renderer. Null with a
    // message naming the cause when either cannot be made.
    static std::unique_ptr<SdlWindow> create(const SdlWindowOptions& options, std::string* error);
    ~SdlWindow() override;
    SdlWindow(const SdlWindow&) = delete;
    SdlWindow& operator=(const SdlWindow&) = delete;

    void setTitle(std::string_view cp932Title) override;
    void setIcon(WindowIcon icon) override;
    void showCursor() override;
    SizeInPixels desktopSize() const override;
    PixelRect usableArea() const override;
    PixelRect virtualScreen() const override;
    FrameExtents frameExtents() const override;
    SizeInPixels clientSize() const override;
    void placeClient(const PixelRect& client) override;
    bool fullScreenAvailable() const override { return true; }
    bool setFullScreen(bool on) override;
    bool fullScreen() const override;
    void setOpacity(int32_t alpha) override;
    std::optional<PixelPoint> cursorPosition() const override;

    SDL_Window* handle() const { return window_; }
    SDL_Renderer* renderer() const { return renderer_; }
    uint32_t id() const;
    // The caption as SDL holds it (UTF-8).
    std::string titleUtf8() const;
    // Pixels per point (1 except on HiDPI desktops).
    double pixelsPerPoint() const;

  private:
    SdlWindow() = default;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    bool shown_ = false;
};

}  // namespace rs::platform::sdl
