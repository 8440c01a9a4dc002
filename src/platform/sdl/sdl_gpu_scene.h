// Back-end kind 2 on SDL's renderer: the textures of the draw lists, the target texture of the game
// screen's size they are drawn into (textured triangles through SDL_RenderGeometry, the blends
// through SDL_ComposeCustomBlendMode, linear filtering) and the picture read back from it.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/draw_list.h"
#include "platform/presenter.h"

namespace rs::platform::sdl {

class SdlGpuScene {
  public:
    explicit SdlGpuScene(SDL_Renderer* renderer);
    ~SdlGpuScene();
    SdlGpuScene(const SdlGpuScene&) = delete;
    SdlGpuScene& operator=(const SdlGpuScene&) = delete;

    // Whether the renderer has target textures, every blend the lists use and geometry: tried
    // once by drawing into a small target. `why` receives the missing piece.
    bool supported(std::string* why = nullptr);
    TextureLimits limits() const;

    // The list's texture work; when it presents, the target (made at the list's size) cleared to
    // opaque black and every quad drawn into it.
    void draw(DrawList&& list);
    // The target at this size, opaque black.
    void clear(int32_t width, int32_t height);
    // The target texture (null before the first list or clear).
    SDL_Texture* target() const { return target_; }
    // The target's pixels, rows top down, opaque.
    Picture readTarget();
    // The device lost its textures: every texture and the target are dropped.
    void lose();

    // Uploads and their bytes so far; textures held now.
    int64_t uploads() const { return uploads_; }
    int64_t uploadedBytes() const { return uploadedBytes_; }
    size_t textureCount() const { return textures_.size(); }

  private:
    struct Texture {
        SDL_Texture* texture = nullptr;
        int32_t width = 0;
        int32_t height = 0;
    };
    void upload(TextureUpload& u);
    bool ensureTarget(int32_t width, int32_t height);
    // Draws the batch of vertices gathered so far.
    void flush();
    void drawQuads(const DrawList& list);

    SDL_Renderer* renderer_;
    std::unordered_map<uint32_t, Texture> textures_;
    SDL_Texture* target_ = nullptr;
    int32_t targetWidth_ = 0;
    int32_t targetHeight_ = 0;
    std::optional<bool> supported_;
    std::string missing_;
    SDL_BlendMode alpha_;
    SDL_BlendMode additive_;
    SDL_BlendMode hardLightFirst_;
    SDL_BlendMode hardLightSecond_;
    // The batch: consecutive quads of one texture and blend drawn in one call.
    SDL_Texture* batchTexture_ = nullptr;
    std::vector<SDL_Vertex> vertices_;
    std::vector<int> indices_;
    int64_t uploads_ = 0;
    int64_t uploadedBytes_ = 0;
};

}  // namespace rs::platform::sdl
