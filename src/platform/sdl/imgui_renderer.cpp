#include "platform/sdl/imgui_renderer.h"

#include <SDL.h>
#include <imgui.h>

#include <cstddef>

namespace rs::platform::sdl {

ImGuiRenderer::~ImGuiRenderer() {
    dropPictures();
    if (font_) SDL_DestroyTexture(font_);
    if (ImGui::GetCurrentContext()) ImGui::GetIO().Fonts->SetTexID(nullptr);
}

bool ImGuiRenderer::uploadFontAtlas() {
    ImGuiIO& io = ImGui::GetIO();
    unsigned char* pixels = nullptr;
    int width = 0, height = 0;
    io.Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
    if (font_) SDL_DestroyTexture(font_);
    // The atlas's bytes are red, green, blue, alpha in memory.
    font_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ABGR8888, SDL_TEXTUREACCESS_STATIC, width,
                              height);
    if (!font_) {
        io.Fonts->SetTexID(nullptr);
        return false;
    }
    SDL_UpdateTexture(font_, nullptr, pixels, width * 4);
    SDL_SetTextureBlendMode(font_, SDL_BLENDMODE_BLEND);
    SDL_SetTextureScaleMode(font_, SDL_ScaleModeLinear);
    io.Fonts->SetTexID(font_);
    return true;
}

void ImGuiRenderer::render(const ImDrawData* data) {
    if (!data || data->CmdListsCount == 0) return;
    SDL_Rect oldClip;
    SDL_bool clipped = SDL_RenderIsClipEnabled(renderer_);
    SDL_RenderGetClipRect(renderer_, &oldClip);
    ImVec2 origin = data->DisplayPos;
    for (int n = 0; n < data->CmdListsCount; ++n) {
        const ImDrawList* list = data->CmdLists[n];
        const ImDrawVert* vertices = list->VtxBuffer.Data;
        const ImDrawIdx* indices = list->IdxBuffer.Data;
        for (const ImDrawCmd& cmd : list->CmdBuffer) {
            if (cmd.UserCallback) {
                if (cmd.UserCallback != ImDrawCallback_ResetRenderState)
                    cmd.UserCallback(list, &cmd);
                continue;
            }
            float x0 = cmd.ClipRect.x - origin.x, y0 = cmd.ClipRect.y - origin.y;
            float x1 = cmd.ClipRect.z - origin.x, y1 = cmd.ClipRect.w - origin.y;
            if (x1 <= x0 || y1 <= y0) continue;
            SDL_Rect clip{static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0),
                          static_cast<int>(y1 - y0)};
            SDL_RenderSetClipRect(renderer_, &clip);
            const ImDrawVert* v = vertices + cmd.VtxOffset;
            auto* texture = static_cast<SDL_Texture*>(cmd.GetTexID());
            SDL_RenderGeometryRaw(
                renderer_, texture, reinterpret_cast<const float*>(&v->pos), sizeof(ImDrawVert),
                reinterpret_cast<const SDL_Color*>(&v->col), sizeof(ImDrawVert),
                reinterpret_cast<const float*>(&v->uv), sizeof(ImDrawVert),
                static_cast<int>(list->VtxBuffer.Size - cmd.VtxOffset), indices + cmd.IdxOffset,
                static_cast<int>(cmd.ElemCount), sizeof(ImDrawIdx));
        }
    }
    SDL_RenderSetClipRect(renderer_, clipped ? &oldClip : nullptr);
}

SDL_Texture* ImGuiRenderer::pictureTexture(int64_t key, const Picture& picture) {
    if (picture.width <= 0 || picture.height <= 0) return nullptr;
    Held& held = pictures_[key];
    bool same = held.texture && held.picture.width == picture.width &&
                held.picture.height == picture.height && held.picture.pixels == picture.pixels;
    if (same) return held.texture;
    if (held.texture &&
        (held.picture.width != picture.width || held.picture.height != picture.height)) {
        SDL_DestroyTexture(held.texture);
        held.texture = nullptr;
    }
    if (!held.texture) {
        held.texture = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888,
                                         SDL_TEXTUREACCESS_STATIC, picture.width, picture.height);
        if (!held.texture) return nullptr;
        SDL_SetTextureBlendMode(held.texture, SDL_BLENDMODE_BLEND);
        SDL_SetTextureScaleMode(held.texture, SDL_ScaleModeLinear);
    }
    SDL_UpdateTexture(held.texture, nullptr, picture.pixels.data(), picture.width * 4);
    held.picture = picture;
    return held.texture;
}

void ImGuiRenderer::dropPictures() {
    for (auto& [key, held] : pictures_) {
        if (held.texture) SDL_DestroyTexture(held.texture);
    }
    pictures_.clear();
}

void ImGuiRenderer::restore() {
    dropPictures();
    if (ImGui::GetCurrentContext() && font_) uploadFontAtlas();
}

}  // namespace rs::platform::sdl
