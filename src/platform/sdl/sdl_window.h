// The main window on SDL2: an SDL window with its renderer. Sizes and positions cross this door in
// pixels; SDL's window calls take points, which differ on a HiDPI desktop.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "platform/cursor_pictures.h"
#include "platform/host.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Cursor;

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
    void setCursorHidden(bool hidden) override;
    void setCursorShape(int32_t shape) override;
    void warpPointer(PixelPoint client) override;
    void setTextInputRect(const PixelRect& client) override;
    HeldModifiers heldModifiers(uint32_t waitMs) override;

    // Shown on the desktop (it is made hidden and shown when first placed).
    bool shown() const { return shown_; }
    bool minimised() const;
    // Brings the window to the front (restored when it was minimised): a second start of the
    // game asked for it.
    void raise();
    int64_t raises() const { return raises_; }

    SDL_Window* handle() const { return window_; }
    SDL_Renderer* renderer() const { return renderer_; }
    uint32_t id() const;
    // The caption as SDL holds it (UTF-8).
    std::string titleUtf8() const;
    // Pixels per point (1 except on HiDPI desktops).
    double pixelsPerPoint() const;
    // The last composition rectangle (client pixels) and cursor shape set.
    const std::optional<PixelRect>& textInputRect() const { return textInputRect_; }
    int32_t cursorShape() const { return cursorShape_; }

  private:
    SdlWindow() = default;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    bool shown_ = false;
    // The cursors made so far, by shape.
    std::array<SDL_Cursor*, kLastOwnCursor + 1> cursors_{};
    int32_t cursorShape_ = 0;
    std::optional<PixelRect> textInputRect_;
    int64_t raises_ = 0;
};

}  // namespace rs::platform::sdl
