#include "platform/sdl/sdl_presenter.h"

#include <SDL.h>

#include <cstdio>

#include "platform/sdl/sdl_window.h"

namespace rs::platform::sdl {

namespace {

void destroy(SDL_Texture*& t) {
    if (t) SDL_DestroyTexture(t);
    t = nullptr;
}

}  // namespace

SdlPresenter::SdlPresenter(SdlWindow& window, ScaleFilter filter, BackEndKind kind)
    : window_(window), filter_(filter), kind_(kind) {}

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

void SdlPresenter::draw(bool present) {
    SDL_Renderer* r = window_.renderer();
    SDL_SetRenderTarget(r, nullptr);
    int ow = 0, oh = 0;
    SDL_GetRendererOutputSize(r, &ow, &oh);
    view_ = ViewTransform({picture_.width, picture_.height}, {ow, oh}, filter_);
    SDL_SetRenderDrawColor(r, 0, 0, 0, 255);
    SDL_RenderClear(r);
    if (texture_ && !view_.drawRect().empty()) {
        SDL_Texture* source = texture_;
        SDL_ScaleMode mode = SDL_ScaleModeNearest;
        // At an integer scale every filter shows the same pixels: nearest, exactly.
        if (!view_.integerScale() && filter_ != ScaleFilter::Nearest) {
            mode = SDL_ScaleModeLinear;
            SDL_Texture* step = nullptr;
            if (filter_ == ScaleFilter::Sharp && view_.prescale() > 1)
                step = prescaled(view_.prescale());
            if (step) {
                // Sharp: whole pixels repeated into the prescaled texture, then interpolated.
                SDL_SetTextureScaleMode(texture_, SDL_ScaleModeNearest);
                SDL_SetRenderTarget(r, step);
                SDL_RenderCopy(r, texture_, nullptr, nullptr);
                SDL_SetRenderTarget(r, nullptr);
                source = step;
            }
        }
        SDL_SetTextureScaleMode(source, mode);
        const PixelRect& d = view_.drawRect();
        SDL_Rect dst{d.x, d.y, d.width, d.height};
        SDL_RenderCopy(r, source, nullptr, &dst);
    }
    if (present) SDL_RenderPresent(r);
}

void SdlPresenter::paintBlack(int32_t width, int32_t height) {
    picture_ = blackPicture(width, height);
    if (picture_.width > 0 && picture_.height > 0)
        upload({0, 0, picture_.width - 1, picture_.height - 1});
    draw(true);
}

void SdlPresenter::transfer(const ScreenPixels& screen, const ScreenRect& rect) {
    ScreenRect copied = copyScreenRect(picture_, screen, rect);
    if (copied.left <= copied.right) upload(copied);
    draw(true);
}

void SdlPresenter::transferPicture(const Picture& part, int32_t x, int32_t y) {
    ScreenRect copied = copyPicture(picture_, part, x, y);
    if (copied.left <= copied.right) upload(copied);
    draw(true);
}

void SdlPresenter::paintBackground() {
    SDL_Renderer* r = window_.renderer();
    SDL_SetRenderTarget(r, nullptr);
    SDL_SetRenderDrawColor(r, (kBackground >> 16) & 0xFF, (kBackground >> 8) & 0xFF,
                           kBackground & 0xFF, 255);
    SDL_RenderClear(r);
    SDL_RenderPresent(r);
}

void SdlPresenter::redraw() { draw(true); }

void SdlPresenter::restoreTextures() {
    destroy(prescaled_);
    destroy(texture_);
    textureWidth_ = textureHeight_ = 0;
    if (picture_.width > 0 && picture_.height > 0)
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
