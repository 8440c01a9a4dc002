// The software presentation on SDL2 (back-end kinds 0 and 1): the engine composes the scene into
// its screen buffer; each transfer copies the changed rectangle into a game-sized texture (only
// that rectangle is uploaded) and draws the texture scaled into the window through the view
// transform, with black borders.
#pragma once

#include <cstdint>

#include "platform/presenter.h"
#include "platform/view_transform.h"

struct SDL_Texture;

namespace rs::platform::sdl {

class SdlWindow;

class SdlPresenter final : public Presenter {
  public:
    SdlPresenter(SdlWindow& window, ScaleFilter filter, BackEndKind kind);
    ~SdlPresenter() override;
    SdlPresenter(const SdlPresenter&) = delete;
    SdlPresenter& operator=(const SdlPresenter&) = delete;

    BackEndKind kind() const override { return kind_; }
    void setKind(BackEndKind kind) override { kind_ = kind; }
    void paintBlack(int32_t width, int32_t height) override;
    void transfer(const ScreenPixels& screen, const ScreenRect& rect) override;
    void transferPicture(const Picture& part, int32_t x, int32_t y) override;
    void paintBackground() override;
    Picture picture() const override { return picture_; }

    // Draws the picture into the window again (after an expose or a size change).
    void redraw();
    // The renderer lost its textures (a device reset): the whole picture is uploaded again.
    void restoreTextures();
    // Draws the picture as the window shows it and reads the whole client area back from the
    // renderer: what the player sees, borders included.
    Picture readWindow();

    ScaleFilter filter() const { return filter_; }
    void setFilter(ScaleFilter filter) { filter_ = filter; }
    // The transform of the last drawing.
    const ViewTransform& view() const { return view_; }
    // Uploads and the pixels they carried, for tests and figures.
    int64_t uploads() const { return uploads_; }
    int64_t uploadedPixels() const { return uploadedPixels_; }

    // The plain background of the window: a dark slate blue.
    static constexpr uint32_t kBackground = 0xFF20283Au;

  private:
    // Clears the window black and draws the texture into the view's rectangle; presents when
    // asked.
    void draw(bool present);
    bool ensureTexture();
    void upload(const ScreenRect& rect);
    SDL_Texture* prescaled(int32_t factor);

    SdlWindow& window_;
    ScaleFilter filter_;
    BackEndKind kind_;
    Picture picture_;
    ViewTransform view_;
    SDL_Texture* texture_ = nullptr;
    int32_t textureWidth_ = 0;
    int32_t textureHeight_ = 0;
    SDL_Texture* prescaled_ = nullptr;
    int32_t prescaledFactor_ = 0;
    int64_t uploads_ = 0;
    int64_t uploadedPixels_ = 0;
};

}  // namespace rs::platform::sdl
