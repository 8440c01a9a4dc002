// The presentation on SDL2. Back-end kinds 0 and 1: the engine composes the scene into its screen
// buffer; each transfer copies the changed rectangle into a game-sized texture (only that
// rectangle is uploaded). Kind 2: the engine's draw lists are drawn into a game-sized target
// texture (sdl_gpu_scene.h). Either texture is drawn scaled into the window through the view
// transform, with black borders.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/presenter.h"
#include "platform/view_transform.h"

struct SDL_Texture;

namespace rs::platform::sdl {

class SdlWindow;
class SdlGpuScene;

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
    // Kind 2 reads the picture back from the target.
    Picture picture() const override;
    bool drawsScenes() override;
    TextureLimits textureLimits() const override;
    void drawScene(DrawList&& list) override;
    uint32_t textureLosses() const override { return losses_; }

    // Draws the picture into the window again (after an expose or a size change).
    void redraw();
    // Draws what the window shows now, the plain background or the picture, without presenting
    // it (a dialog is drawn over it).
    void drawScene();
    // The renderer lost its textures (a device reset): the whole picture is uploaded again; with
    // kind 2 every texture is dropped and the loss counted, so that the engine uploads its frames
    // again and draws the scene anew.
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
    // Kind 2: the drawing of scenes.
    SdlGpuScene& gpu() const { return *gpu_; }

    // The plain background of the window: a dark slate blue.
    static constexpr uint32_t kBackground = 0xFF20283Au;

  private:
    // Clears the window black and draws the texture into the view's rectangle; presents when
    // asked.
    void draw(bool present);
    bool ensureTexture();
    void upload(const ScreenRect& rect);
    SDL_Texture* prescaled(int32_t factor);
    bool drawsFromTarget() const;
    void copyPicture(SDL_Texture* source, int32_t factor);
    // Kind 2: the latest movie frame over the scene, in the window.
    void drawMovieOverScene();

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
    // The window shows the plain background (until the first picture).
    bool background_ = true;
    int64_t uploads_ = 0;
    int64_t uploadedPixels_ = 0;
    std::unique_ptr<SdlGpuScene> gpu_;
    uint32_t losses_ = 0;
    // The rectangle a playing movie covers (game pixels), left out of the picture drawn.
    std::optional<PixelRect> movie_;
    // Kind 2: the part of the picture holding the latest movie frame (uploaded into the software
    // picture's texture), drawn over the scene until a scene without a movie comes.
    std::optional<ScreenRect> movieShown_;
    // Kind 2: the picture read back from the target, until the next scene.
    mutable std::optional<Picture> readBack_;
};

}  // namespace rs::platform::sdl
