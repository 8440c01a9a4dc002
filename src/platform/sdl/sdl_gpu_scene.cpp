#include "platform/sdl/sdl_gpu_scene.h"

#include <algorithm>
#include <cstdio>

namespace rs::platform::sdl {

namespace {

// The blends keep the target's alpha: the picture is opaque.
SDL_BlendMode colourBlend(SDL_BlendFactor source, SDL_BlendFactor target) {
    return SDL_ComposeCustomBlendMode(source, target, SDL_BLENDOPERATION_ADD, SDL_BLENDFACTOR_ZERO,
                                      SDL_BLENDFACTOR_ONE, SDL_BLENDOPERATION_ADD);
}

void destroy(SDL_Texture*& t) {
    if (t) SDL_DestroyTexture(t);
    t = nullptr;
}

}  // namespace

SdlGpuScene::SdlGpuScene(SDL_Renderer* renderer)
    : renderer_(renderer),
      alpha_(colourBlend(SDL_BLENDFACTOR_SRC_ALPHA, SDL_BLENDFACTOR_ONE_MINUS_SRC_ALPHA)),
      additive_(colourBlend(SDL_BLENDFACTOR_SRC_ALPHA, SDL_BLENDFACTOR_ONE)),
      hardLightFirst_(colourBlend(SDL_BLENDFACTOR_ONE_MINUS_DST_COLOR, SDL_BLENDFACTOR_ZERO)),
      hardLightSecond_(
          colourBlend(SDL_BLENDFACTOR_DST_COLOR, SDL_BLENDFACTOR_ONE_MINUS_SRC_ALPHA)) {}

SdlGpuScene::~SdlGpuScene() {
    for (auto& [id, t] : textures_) destroy(t.texture);
    destroy(target_);
}

bool SdlGpuScene::supported(std::string* why) {
    if (!supported_) {
        supported_ = false;
        SDL_Texture* target = nullptr;
        SDL_Texture* probe = nullptr;
        if (!SDL_RenderTargetSupported(renderer_)) {
            missing_ = "no target textures";
        } else if (!(target = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888,
                                                SDL_TEXTUREACCESS_TARGET, 4, 4)) ||
                   !(probe = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888,
                                               SDL_TEXTUREACCESS_STATIC, 1, 1))) {
            missing_ = std::string("no textures: ") + SDL_GetError();
        } else {
            bool blends = true;
            for (SDL_BlendMode m : {alpha_, additive_, hardLightFirst_, hardLightSecond_})
                blends = blends && SDL_SetTextureBlendMode(probe, m) == 0;
            SDL_Vertex v[3] = {{{0, 0}, {255, 255, 255, 255}, {0, 0}},
                               {{4, 0}, {255, 255, 255, 255}, {1, 0}},
                               {{0, 4}, {255, 255, 255, 255}, {0, 1}}};
            SDL_SetRenderTarget(renderer_, target);
            bool geometry = SDL_RenderGeometry(renderer_, probe, v, 3, nullptr, 0) == 0;
            SDL_SetRenderTarget(renderer_, nullptr);
            if (!blends) {
                missing_ = "no custom blend modes";
            } else if (!geometry) {
                missing_ = std::string("no geometry: ") + SDL_GetError();
            } else {
                supported_ = true;
            }
        }
        destroy(probe);
        destroy(target);
    }
    if (why) *why = missing_;
    return *supported_;
}

TextureLimits SdlGpuScene::limits() const {
    TextureLimits l;
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer_, &info) == 0) {
        if (info.max_texture_width > 0) l.maxWidth = info.max_texture_width;
        if (info.max_texture_height > 0) l.maxHeight = info.max_texture_height;
    }
    return l;
}

void SdlGpuScene::upload(TextureUpload& u) {
    const TextureImage& image = u.image;
    if (image.width <= 0 || image.height <= 0) return;
    Texture& t = textures_[u.id];
    if (!t.texture || t.width != image.width || t.height != image.height) {
        destroy(t.texture);
        t.texture = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC,
                                      image.width, image.height);
        if (!t.texture) {
            std::fprintf(stderr, "runestage: no texture of %d x %d: %s\n", image.width,
                         image.height, SDL_GetError());
            textures_.erase(u.id);
            return;
        }
        SDL_SetTextureScaleMode(t.texture, SDL_ScaleModeLinear);
        t.width = image.width;
        t.height = image.height;
    }
    SDL_UpdateTexture(t.texture, nullptr, image.texels.data(), image.width * 4);
    ++uploads_;
    uploadedBytes_ += int64_t{image.width} * image.height * 4;
}

bool SdlGpuScene::ensureTarget(int32_t width, int32_t height) {
    if (target_ && targetWidth_ == width && targetHeight_ == height) return true;
    destroy(target_);
    targetWidth_ = targetHeight_ = 0;
    if (width <= 0 || height <= 0) return false;
    target_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                                width, height);
    if (!target_) {
        std::fprintf(stderr, "runestage: no target texture of %d x %d: %s\n", width, height,
                     SDL_GetError());
        return false;
    }
    // The picture is opaque: drawn into the window as it is, without blending.
    SDL_SetTextureBlendMode(target_, SDL_BLENDMODE_NONE);
    targetWidth_ = width;
    targetHeight_ = height;
    return true;
}

void SdlGpuScene::clear(int32_t width, int32_t height) {
    if (!ensureTarget(width, height)) return;
    SDL_SetRenderTarget(renderer_, target_);
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_SetRenderTarget(renderer_, nullptr);
}

void SdlGpuScene::flush() {
    if (batchTexture_ && !indices_.empty()) {
        SDL_RenderGeometry(renderer_, batchTexture_, vertices_.data(),
                           static_cast<int>(vertices_.size()), indices_.data(),
                           static_cast<int>(indices_.size()));
    }
    vertices_.clear();
    indices_.clear();
    batchTexture_ = nullptr;
}

void SdlGpuScene::drawQuads(const DrawList& list) {
    SDL_BlendMode batchBlend = alpha_;
    for (const Quad& q : list.quads) {
        auto it = textures_.find(q.texture);
        if (it == textures_.end()) continue;
        SDL_Texture* t = it->second.texture;
        SDL_BlendMode blend = q.blend == QuadBlend::Additive    ? additive_
                              : q.blend == QuadBlend::HardLight ? hardLightFirst_
                                                                : alpha_;
        // A batch goes on while the texture and the blend stay; hard light draws each quad in two
        // passes of its own.
        if (t != batchTexture_ || blend != batchBlend || q.blend == QuadBlend::HardLight) flush();
        auto base = static_cast<int>(vertices_.size());
        for (const QuadVertex& c : q.corners)
            vertices_.push_back({{c.x, c.y}, {255, 255, 255, q.alpha}, {c.u, c.v}});
        for (int i : {0, 1, 2, 1, 3, 2}) indices_.push_back(base + i);
        batchTexture_ = t;
        batchBlend = blend;
        SDL_SetTextureBlendMode(t, blend);
        if (q.blend == QuadBlend::HardLight) {
            SDL_RenderGeometry(renderer_, t, vertices_.data(), 4, indices_.data(), 6);
            SDL_SetTextureBlendMode(t, hardLightSecond_);
            flush();
        }
    }
    flush();
}

void SdlGpuScene::draw(DrawList&& list) {
    for (uint32_t id : list.released) {
        auto it = textures_.find(id);
        if (it == textures_.end()) continue;
        destroy(it->second.texture);
        textures_.erase(it);
    }
    for (TextureUpload& u : list.uploads) upload(u);
    if (!list.present) return;
    if (!ensureTarget(list.width, list.height)) return;
    SDL_SetRenderTarget(renderer_, target_);
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    drawQuads(list);
    SDL_SetRenderTarget(renderer_, nullptr);
}

Picture SdlGpuScene::readTarget() {
    Picture p;
    if (!target_) return p;
    p.width = targetWidth_;
    p.height = targetHeight_;
    p.pixels.assign(static_cast<size_t>(p.width) * static_cast<size_t>(p.height), 0);
    SDL_SetRenderTarget(renderer_, target_);
    SDL_RenderReadPixels(renderer_, nullptr, SDL_PIXELFORMAT_ARGB8888, p.pixels.data(),
                         p.width * 4);
    SDL_SetRenderTarget(renderer_, nullptr);
    for (uint32_t& px : p.pixels) px |= 0xFF000000u;
    return p;
}

void SdlGpuScene::lose() {
    for (auto& [id, t] : textures_) destroy(t.texture);
    textures_.clear();
    destroy(target_);
    targetWidth_ = targetHeight_ = 0;
}

}  // namespace rs::platform::sdl
