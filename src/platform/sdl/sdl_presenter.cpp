#include "platform/sdl/sdl_presenter.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>

#include "platform/sdl/sdl_gpu_scene.h"
#include "platform/sdl/sdl_window.h"

namespace rs::platform::sdl {

namespace {

void destroy(SDL_Texture*& t) {
    if (t) SDL_DestroyTexture(t);
    t = nullptr;
}

}  // namespace

SdlPresenter::SdlPresenter(SdlWindow& window, ScaleFilter filter, BackEndKind kind)
    : window_(window),
      filter_(filter),
      kind_(kind),
      gpu_(std::make_unique<SdlGpuScene>(window.renderer())) {}

SdlPresenter::~SdlPresenter() {
    destroy(prescaled_);
    destroy(texture_);
}

bool SdlPresenter::ensureTexture() {
    if (texture_ && textureWidth_ == picture_.width && textureHeight_ == picture_.height)
        return true;
    destroy(texture_);
    destroy(prescaled_);
    textureWidth_ = textureHeight_ = 0;
    if (picture_.width <= 0 || picture_.height <= 0) return false;
    texture_ = SDL_CreateTexture(window_.renderer(), SDL_PIXELFORMAT_ARGB8888,
                                 SDL_TEXTUREACCESS_STREAMING, picture_.width, picture_.height);
    if (!texture_) {
        std::fprintf(stderr, "runestage: no texture of %d x %d for the screen: %s\n",
                     picture_.width, picture_.height, SDL_GetError());
        return false;
    }
    // The picture is opaque: drawn as it is, without blending.
    SDL_SetTextureBlendMode(texture_, SDL_BLENDMODE_NONE);
    textureWidth_ = picture_.width;
    textureHeight_ = picture_.height;
    return true;
}

void SdlPresenter::upload(const ScreenRect& rect) {
    if (!ensureTexture()) return;
    SDL_Rect r{rect.left, rect.top, rect.right - rect.left + 1, rect.bottom - rect.top + 1};
    const uint32_t* first = picture_.pixels.data() +
                            static_cast<size_t>(rect.top) * static_cast<size_t>(picture_.width) +
                            static_cast<size_t>(rect.left);
    SDL_UpdateTexture(texture_, &r, first, picture_.width * 4);
    ++uploads_;
    uploadedPixels_ += int64_t{r.w} * r.h;
}

SDL_Texture* SdlPresenter::prescaled(int32_t factor) {
    if (prescaled_ && prescaledFactor_ == factor) return prescaled_;
    destroy(prescaled_);
    prescaledFactor_ = 0;
    if (!SDL_RenderTargetSupported(window_.renderer())) return nullptr;
    prescaled_ =
        SDL_CreateTexture(window_.renderer(), SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                          picture_.width * factor, picture_.height * factor);
    if (!prescaled_) return nullptr;
    SDL_SetTextureBlendMode(prescaled_, SDL_BLENDMODE_NONE);
    prescaledFactor_ = factor;
    return prescaled_;
}

bool SdlPresenter::drawsFromTarget() const {
    return kind_ == BackEndKind::Direct3D && gpu_->target();
}

// Draws the picture (`factor` times its size in `source`) into the view's rectangle; a playing
// movie's rectangle is left out, the parts around it drawn each on its own.
void SdlPresenter::copyPicture(SDL_Texture* source, int32_t factor) {
    SDL_Renderer* r = window_.renderer();
    const PixelRect& d = view_.drawRect();
    int32_t gw = picture_.width, gh = picture_.height;
    int32_t mx0 = 0, my0 = 0, mx1 = 0, my1 = 0;
    if (movie_) {
        mx0 = std::clamp(movie_->x, 0, gw);
        my0 = std::clamp(movie_->y, 0, gh);
        mx1 =
            static_cast<int32_t>(std::clamp<int64_t>(int64_t{movie_->x} + movie_->width, mx0, gw));
        my1 =
            static_cast<int32_t>(std::clamp<int64_t>(int64_t{movie_->y} + movie_->height, my0, gh));
    }
    if (mx0 == mx1 || my0 == my1) {
        SDL_Rect dst{d.x, d.y, d.width, d.height};
        SDL_RenderCopy(r, source, nullptr, &dst);
        return;
    }
    auto to = [](int32_t origin, int32_t size, int32_t n, int32_t total) {
        return origin + static_cast<int32_t>(int64_t{n} * size / total);
    };
    auto piece = [&](int32_t x, int32_t y, int32_t w, int32_t h) {
        if (w <= 0 || h <= 0) return;
        SDL_Rect src{x * factor, y * factor, w * factor, h * factor};
        int32_t x0 = to(d.x, d.width, x, gw), x1 = to(d.x, d.width, x + w, gw);
        int32_t y0 = to(d.y, d.height, y, gh), y1 = to(d.y, d.height, y + h, gh);
        SDL_Rect dst{x0, y0, x1 - x0, y1 - y0};
        SDL_RenderCopy(r, source, &src, &dst);
    };
    piece(0, 0, gw, my0);
    piece(0, my1, gw, gh - my1);
    piece(0, my0, mx0, my1 - my0);
    piece(mx1, my0, gw - mx1, my1 - my0);
}

void SdlPresenter::drawMovieOverScene() {
    if (!movieShown_ || !texture_) return;
    const PixelRect& d = view_.drawRect();
    int32_t gw = picture_.width, gh = picture_.height;
    if (gw <= 0 || gh <= 0) return;
    auto to = [](int32_t origin, int32_t size, int32_t n, int32_t total) {
        return origin + static_cast<int32_t>(int64_t{n} * size / total);
    };
    const ScreenRect& m = *movieShown_;
    SDL_Rect src{m.left, m.top, m.right - m.left + 1, m.bottom - m.top + 1};
    int32_t x0 = to(d.x, d.width, m.left, gw), x1 = to(d.x, d.width, m.right + 1, gw);
    int32_t y0 = to(d.y, d.height, m.top, gh), y1 = to(d.y, d.height, m.bottom + 1, gh);
    SDL_Rect dst{x0, y0, x1 - x0, y1 - y0};
    SDL_SetTextureScaleMode(texture_, view_.integerScale() || filter_ == ScaleFilter::Nearest
                                          ? SDL_ScaleModeNearest
                                          : SDL_ScaleModeLinear);
    SDL_RenderCopy(window_.renderer(), texture_, &src, &dst);
}

void SdlPresenter::draw(bool present) {
    SDL_Renderer* r = window_.renderer();
    SDL_SetRenderTarget(r, nullptr);
    int ow = 0, oh = 0;
    SDL_GetRendererOutputSize(r, &ow, &oh);
    view_ = ViewTransform({picture_.width, picture_.height}, {ow, oh}, filter_);
    SDL_SetRenderDrawColor(r, 0, 0, 0, 255);
    SDL_RenderClear(r);
    SDL_Texture* base = drawsFromTarget() ? gpu_->target() : texture_;
    if (base && !view_.drawRect().empty()) {
        SDL_Texture* source = base;
        int32_t factor = 1;
        SDL_ScaleMode mode = SDL_ScaleModeNearest;
        // At an integer scale every filter shows the same pixels: nearest, exactly.
        if (!view_.integerScale() && filter_ != ScaleFilter::Nearest) {
            mode = SDL_ScaleModeLinear;
            SDL_Texture* step = nullptr;
            if (filter_ == ScaleFilter::Sharp && view_.prescale() > 1)
                step = prescaled(view_.prescale());
            if (step) {
                // Sharp: whole pixels repeated into the prescaled texture, then interpolated.
                SDL_SetTextureScaleMode(base, SDL_ScaleModeNearest);
                SDL_SetRenderTarget(r, step);
                SDL_RenderCopy(r, base, nullptr, nullptr);
                SDL_SetRenderTarget(r, nullptr);
                source = step;
                factor = view_.prescale();
            }
        }
        SDL_SetTextureScaleMode(source, mode);
        copyPicture(source, factor);
        if (drawsFromTarget()) drawMovieOverScene();
    }
    if (present) SDL_RenderPresent(r);
}

void SdlPresenter::paintBlack(int32_t width, int32_t height) {
    background_ = false;
    picture_ = blackPicture(width, height);
    if (kind_ == BackEndKind::Direct3D && drawsScenes()) {
        gpu_->clear(picture_.width, picture_.height);
        readBack_.reset();
    } else if (picture_.width > 0 && picture_.height > 0) {
        upload({0, 0, picture_.width - 1, picture_.height - 1});
    }
    draw(true);
}

Picture SdlPresenter::picture() const {
    if (!drawsFromTarget()) return picture_;
    if (!readBack_) {
        readBack_ = gpu_->readTarget();
        // The movie frame shown over the scene is part of the picture.
        if (movieShown_ && readBack_->width == picture_.width &&
            readBack_->height == picture_.height) {
            const ScreenRect& m = *movieShown_;
            for (int32_t y = m.top; y <= m.bottom; ++y) {
                size_t row = static_cast<size_t>(y) * static_cast<size_t>(picture_.width);
                std::copy(picture_.pixels.begin() + static_cast<std::ptrdiff_t>(row + m.left),
                          picture_.pixels.begin() + static_cast<std::ptrdiff_t>(row + m.right + 1),
                          readBack_->pixels.begin() + static_cast<std::ptrdiff_t>(row + m.left));
            }
        }
    }
    return *readBack_;
}

bool SdlPresenter::drawsScenes() { return gpu_->supported(); }

TextureLimits SdlPresenter::textureLimits() const { return gpu_->limits(); }

void SdlPresenter::drawScene(DrawList&& list) {
    if (!drawsScenes()) return;
    bool present = list.present;
    if (present) {
        movie_ = list.movie;
        if (!movie_) movieShown_.reset();
        if (picture_.width != list.width || picture_.height != list.height)
            picture_ = blackPicture(list.width, list.height);
    }
    gpu_->draw(std::move(list));
    if (!present) return;
    readBack_.reset();
    draw(true);
}

void SdlPresenter::transfer(const ScreenPixels& screen, const ScreenRect& rect) {
    background_ = false;
    ScreenRect copied = copyScreenRect(picture_, screen, rect);
    if (copied.left <= copied.right) upload(copied);
    draw(true);
}

void SdlPresenter::transferPicture(const Picture& part, int32_t x, int32_t y) {
    ScreenRect copied = platform::copyPicture(picture_, part, x, y);
    if (copied.left <= copied.right) {
        upload(copied);
        // Kind 2 draws the scene from its target: the movie frame is drawn over it.
        if (drawsFromTarget()) {
            movieShown_ = copied;
            readBack_.reset();
        }
    }
    draw(true);
}

void SdlPresenter::paintBackground() {
    background_ = true;
    drawScene();
    SDL_RenderPresent(window_.renderer());
}

void SdlPresenter::drawScene() {
    if (!background_) {
        draw(false);
        return;
    }
    SDL_Renderer* r = window_.renderer();
    SDL_SetRenderTarget(r, nullptr);
    SDL_SetRenderDrawColor(r, (kBackground >> 16) & 0xFF, (kBackground >> 8) & 0xFF,
                           kBackground & 0xFF, 255);
    SDL_RenderClear(r);
}

void SdlPresenter::redraw() { draw(true); }

void SdlPresenter::restoreTextures() {
    destroy(prescaled_);
    destroy(texture_);
    textureWidth_ = textureHeight_ = 0;
    // Kind 2 draws its scene anew: the engine uploads every frame again after the loss.
    gpu_->lose();
    ++losses_;
    readBack_.reset();
    if (kind_ != BackEndKind::Direct3D && picture_.width > 0 && picture_.height > 0)
        upload({0, 0, picture_.width - 1, picture_.height - 1});
}

Picture SdlPresenter::readWindow() {
    draw(false);
    Picture out;
    SDL_GetRendererOutputSize(window_.renderer(), &out.width, &out.height);
    out.pixels.assign(static_cast<size_t>(out.width) * static_cast<size_t>(out.height), 0);
    SDL_RenderReadPixels(window_.renderer(), nullptr, SDL_PIXELFORMAT_ARGB8888, out.pixels.data(),
                         out.width * 4);
    for (uint32_t& p : out.pixels) p |= 0xFF000000u;
    SDL_RenderPresent(window_.renderer());
    return out;
}

}  // namespace rs::platform::sdl
