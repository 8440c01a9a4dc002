// Dear ImGui drawn with an SDL renderer: the font atlas as a texture, the draw lists as
// triangles with their clip rectangles, and pictures as textures ImGui can show. The ImGui
// context itself belongs to the caller.
#pragma once

#include <cstdint>
#include <map>

#include "platform/presenter.h"

struct SDL_Renderer;
struct SDL_Texture;
struct ImDrawData;

namespace rs::platform::sdl {

class ImGuiRenderer {
  public:
    explicit ImGuiRenderer(SDL_Renderer* renderer) : renderer_(renderer) {}
    ~ImGuiRenderer();
    ImGuiRenderer(const ImGuiRenderer&) = delete;
    ImGuiRenderer& operator=(const ImGuiRenderer&) = delete;

    // Uploads the current context's font atlas (after it was built); false when no texture can
    // be made.
    bool uploadFontAtlas();
    // Draws the draw data into the renderer's current target, over what is there.
    void render(const ImDrawData* data);

    // A texture holding a picture (0xAARRGGBB pixels, blended by their alpha), kept under `key`
    // and uploaded again when the picture's pixels change. Null when the picture is empty.
    SDL_Texture* pictureTexture(int64_t key, const Picture& picture);
    // Forgets every texture (the renderer lost them, or the dialog that used them ended).
    void dropPictures();
    // After a device reset: every texture is made again when next used.
    void restore();

  private:
    struct Held {
        SDL_Texture* texture = nullptr;
        Picture picture;
    };
    SDL_Renderer* renderer_;
    SDL_Texture* font_ = nullptr;
    std::map<int64_t, Held> pictures_;
};

}  // namespace rs::platform::sdl
