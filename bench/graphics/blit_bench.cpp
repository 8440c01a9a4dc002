// 800 x 600 32-bit frames: the blits beside the nearest operations of SDL2 and pixman and a
// memcpy of the same bytes. Each benchmark's time is one whole frame.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "graphics/blit.h"
#include "graphics/frame.h"

namespace {

using namespace rs::graphics;

constexpr int32_t kW = 800;
constexpr int32_t kH = 600;

// A picture with every kind of pixel: gradients, keyed colours and an alpha ramp.
std::unique_ptr<Frame> picture(int32_t w, int32_t h, bool alpha, uint32_t seed) {
    auto f = createFrame(w, h, 32, alpha ? 2 : 0);
    std::mt19937 rng(seed);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            uint32_t p =
                static_cast<uint32_t>((x * 255 / w) << 16 | (y * 255 / h) << 8 | (rng() & 0xFF));
            uint32_t a = alpha ? static_cast<uint32_t>((x + y) & 0xFF) : 0xFFu;
            if (rng() % 16 == 0) p = 0x0000FF00;
            putPixel(*f, x, y, (a << 24) | (p & 0xFFFFFF));
        }
    }
    return f;
}

std::unique_ptr<Frame> mask8(int32_t w, int32_t h) {
    auto f = createFrame(w, h, 8, 0);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) putPixel(*f, x, y, static_cast<uint32_t>((x ^ y) & 0xFF));
    }
    return f;
}

BlitContext fast() {
    BlitContext c;
    c.mmx = true;
    c.simd = detectSimd();
    return c;
}

// ---- The engine ----

// Argument 0: the store kind chosen from the size and the processor's cache; 1: stores past the
// cache forced.
void BM_copy(benchmark::State& s) {
    auto src = picture(kW, kH, false, 1), dst = picture(kW, kH, false, 2);
    auto c = fast();
    if (s.range(0) == 1) c.streamBytes = 1;
    for (auto _ : s) copy(c, *src, 0, 0, *dst, 0, 0, kW, kH);
    benchmark::DoNotOptimize(dst->pixels);
}
// A copy and then a read of the copied frame, as the next blit or the window's upload does.
void BM_copy_then_read(benchmark::State& s) {
    auto src = picture(kW, kH, false, 1), dst = picture(kW, kH, false, 2);
    auto c = fast();
    if (s.range(0) == 1) c.streamBytes = 1;
    std::vector<uint8_t> out(static_cast<size_t>(kW) * kH * 4);
    for (auto _ : s) {
        copy(c, *src, 0, 0, *dst, 0, 0, kW, kH);
        std::memcpy(out.data(), dst->pixels, out.size());
        benchmark::ClobberMemory();
    }
}
void BM_memcpy_then_read(benchmark::State& s) {
    std::vector<uint8_t> a(static_cast<size_t>(kW) * kH * 4, 1), b(a.size()), out(a.size());
    for (auto _ : s) {
        std::memcpy(b.data(), a.data(), a.size());
        std::memcpy(out.data(), b.data(), b.size());
        benchmark::ClobberMemory();
    }
}
void BM_ccopy(benchmark::State& s) {
    auto src = picture(kW, kH, false, 1), dst = picture(kW, kH, false, 2);
    auto c = fast();
    for (auto _ : s) ccopy(c, *src, 0, 0, *dst, 0, 0, kW, kH);
}
void BM_blendcopy_plain(benchmark::State& s) {
    auto src = picture(kW, kH, false, 1), dst = picture(kW, kH, false, 2);
    auto c = fast();
    for (auto _ : s) blendcopy(c, *src, 0, 0, *dst, 0, 0, kW, kH, 128);
}
void BM_blendcopy_alpha(benchmark::State& s) {
    // Argument 0: a destination of mixed alphas, restored after every frame (outside the timing);
    // 1: an opaque destination.
    auto src = picture(kW, kH, true, 1), dst = picture(kW, kH, s.range(0) == 0, 2);
    auto base = picture(kW, kH, s.range(0) == 0, 2);
    dst->alphaValid = 1;
    auto c = fast();
    for (auto _ : s) {
        blendcopy(c, *src, 0, 0, *dst, 0, 0, kW, kH, 128);
        s.PauseTiming();
        std::memcpy(dst->pixels, base->pixels, static_cast<size_t>(kW) * kH * 4);
        s.ResumeTiming();
    }
}
void BM_acmcopy(benchmark::State& s) {
    auto a = picture(kW, kH, false, 1), b = picture(kW, kH, false, 2),
         d = picture(kW, kH, false, 3);
    auto m = mask8(kW, kH);
    auto c = fast();
    c.mmx = s.range(0) != 0;
    for (auto _ : s)
        acmcopy(c, *a, 0, 0, *b, 0, 0, m.get(), 0, 0, *d, 0, 0, kW, kH, MaskCurve{0, 40, 2});
}
void BM_zcopy_2x(benchmark::State& s) {
    auto src = picture(kW / 2, kH / 2, false, 1), dst = picture(kW, kH, false, 2);
    auto c = fast();
    for (auto _ : s) zcopy(c, *src, 0, 0, kW / 2, kH / 2, *dst, 0, 0, kW, kH);
}
void BM_hzcopy_down3(benchmark::State& s) {
    auto src = picture(kW, kH, false, 1), dst = picture(kW / 3, kH / 3, false, 2);
    auto c = fast();
    for (auto _ : s) hzcopy(c, *src, 0, 0, kW, kH, *dst, 0, 0, kW / 3, kH / 3);
}
void BM_copyrot(benchmark::State& s) {
    auto src = picture(kW, kH, false, 1), dst = picture(kW, kH, false, 2);
    auto c = fast();
    for (auto _ : s) copyrot(c, *src, 0, 0, kW, kH, *dst, 0, 0, kW, kH, 0.5f);
}

// ---- memcpy ----

void BM_memcpy(benchmark::State& s) {
    std::vector<uint8_t> a(static_cast<size_t>(kW) * kH * 4, 1), b(a.size());
    for (auto _ : s) {
        std::memcpy(b.data(), a.data(), a.size());
        benchmark::ClobberMemory();
    }
}

// ---- SDL2 ----

struct SdlSurfaces {
    SDL_Surface* src;
    SDL_Surface* dst;
    SdlSurfaces(int sw, int sh, int dw, int dh, bool alpha) {
        src = SDL_CreateRGBSurfaceWithFormat(0, sw, sh, 32, SDL_PIXELFORMAT_ARGB8888);
        dst = SDL_CreateRGBSurfaceWithFormat(0, dw, dh, 32, SDL_PIXELFORMAT_ARGB8888);
        auto pic = picture(sw, sh, alpha, 1);
        for (int y = 0; y < sh; ++y)
            std::memcpy(static_cast<uint8_t*>(src->pixels) + y * src->pitch, pic->row(y),
                        static_cast<size_t>(sw) * 4);
        auto back = picture(dw, dh, false, 2);
        for (int y = 0; y < dh; ++y)
            std::memcpy(static_cast<uint8_t*>(dst->pixels) + y * dst->pitch, back->row(y),
                        static_cast<size_t>(dw) * 4);
    }
    ~SdlSurfaces() {
        SDL_FreeSurface(src);
        SDL_FreeSurface(dst);
    }
};

void BM_sdl_opaque(benchmark::State& s) {
    SdlSurfaces k(kW, kH, kW, kH, false);
    SDL_SetSurfaceBlendMode(k.src, SDL_BLENDMODE_NONE);
    for (auto _ : s) SDL_BlitSurface(k.src, nullptr, k.dst, nullptr);
}
void BM_sdl_colourkey(benchmark::State& s) {
    SdlSurfaces k(kW, kH, kW, kH, false);
    SDL_SetSurfaceBlendMode(k.src, SDL_BLENDMODE_NONE);
    SDL_SetColorKey(k.src, SDL_TRUE, 0xFF00FF00);
    for (auto _ : s) SDL_BlitSurface(k.src, nullptr, k.dst, nullptr);
}
void BM_sdl_blend(benchmark::State& s) {
    SdlSurfaces k(kW, kH, kW, kH, true);
    SDL_SetSurfaceBlendMode(k.src, SDL_BLENDMODE_BLEND);
    for (auto _ : s) SDL_BlitSurface(k.src, nullptr, k.dst, nullptr);
}
void BM_sdl_blend_alphamod128(benchmark::State& s) {
    SdlSurfaces k(kW, kH, kW, kH, false);
    SDL_SetSurfaceBlendMode(k.src, SDL_BLENDMODE_BLEND);
    SDL_SetSurfaceAlphaMod(k.src, 128);
    for (auto _ : s) SDL_BlitSurface(k.src, nullptr, k.dst, nullptr);
}
void BM_sdl_scaled_2x(benchmark::State& s) {
    SdlSurfaces k(kW / 2, kH / 2, kW, kH, false);
    SDL_SetSurfaceBlendMode(k.src, SDL_BLENDMODE_NONE);
    for (auto _ : s) SDL_BlitScaled(k.src, nullptr, k.dst, nullptr);
}

// ---- pixman ----

struct PixmanImages {
    std::unique_ptr<Frame> srcPic, dstPic;
    pixman_image_t* src;
    pixman_image_t* dst;
    PixmanImages(int sw, int sh, int dw, int dh, bool alpha) {
        srcPic = picture(sw, sh, alpha, 1);
        dstPic = picture(dw, dh, false, 2);
        src = pixman_image_create_bits(alpha ? PIXMAN_a8r8g8b8 : PIXMAN_x8r8g8b8, sw, sh,
                                       reinterpret_cast<uint32_t*>(srcPic->pixels), sw * 4);
        dst = pixman_image_create_bits(PIXMAN_x8r8g8b8, dw, dh,
                                       reinterpret_cast<uint32_t*>(dstPic->pixels), dw * 4);
    }
    ~PixmanImages() {
        pixman_image_unref(src);
        pixman_image_unref(dst);
    }
};

void BM_pixman_src(benchmark::State& s) {
    PixmanImages k(kW, kH, kW, kH, false);
    for (auto _ : s)
        pixman_image_composite32(PIXMAN_OP_SRC, k.src, nullptr, k.dst, 0, 0, 0, 0, 0, 0, kW, kH);
}
void BM_pixman_over(benchmark::State& s) {
    PixmanImages k(kW, kH, kW, kH, true);
    for (auto _ : s)
        pixman_image_composite32(PIXMAN_OP_OVER, k.src, nullptr, k.dst, 0, 0, 0, 0, 0, 0, kW, kH);
}
void BM_pixman_over_solidmask128(benchmark::State& s) {
    PixmanImages k(kW, kH, kW, kH, false);
    pixman_color_t half{0x8080, 0x8080, 0x8080, 0x8080};
    pixman_image_t* m = pixman_image_create_solid_fill(&half);
    for (auto _ : s)
        pixman_image_composite32(PIXMAN_OP_OVER, k.src, m, k.dst, 0, 0, 0, 0, 0, 0, kW, kH);
    pixman_image_unref(m);
}
void BM_pixman_over_a8mask(benchmark::State& s) {
    PixmanImages k(kW, kH, kW, kH, false);
    auto m8 = mask8(kW, kH);
    pixman_image_t* m =
        pixman_image_create_bits(PIXMAN_a8, kW, kH, reinterpret_cast<uint32_t*>(m8->pixels), kW);
    for (auto _ : s)
        pixman_image_composite32(PIXMAN_OP_OVER, k.src, m, k.dst, 0, 0, 0, 0, 0, 0, kW, kH);
    pixman_image_unref(m);
}
void BM_pixman_scale_2x_nearest(benchmark::State& s) {
    PixmanImages k(kW / 2, kH / 2, kW, kH, false);
    pixman_transform_t t;
    pixman_transform_init_scale(&t, pixman_double_to_fixed(0.5), pixman_double_to_fixed(0.5));
    pixman_image_set_transform(k.src, &t);
    pixman_image_set_filter(k.src, PIXMAN_FILTER_NEAREST, nullptr, 0);
    for (auto _ : s)
        pixman_image_composite32(PIXMAN_OP_SRC, k.src, nullptr, k.dst, 0, 0, 0, 0, 0, 0, kW, kH);
}
void BM_pixman_scale_down3_bilinear(benchmark::State& s) {
    PixmanImages k(kW, kH, kW / 3, kH / 3, false);
    pixman_transform_t t;
    pixman_transform_init_scale(&t, pixman_double_to_fixed(3.0), pixman_double_to_fixed(3.0));
    pixman_image_set_transform(k.src, &t);
    pixman_image_set_filter(k.src, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    for (auto _ : s)
        pixman_image_composite32(PIXMAN_OP_SRC, k.src, nullptr, k.dst, 0, 0, 0, 0, 0, 0, kW / 3,
                                 kH / 3);
}
// The area-weighted reduction of pixman: a separable convolution with box kernels.
void BM_pixman_scale_down3_box(benchmark::State& s) {
    PixmanImages k(kW, kH, kW / 3, kH / 3, false);
    pixman_transform_t t;
    pixman_transform_init_scale(&t, pixman_double_to_fixed(3.0), pixman_double_to_fixed(3.0));
    pixman_image_set_transform(k.src, &t);
    int n = 0;
    pixman_fixed_t* params = pixman_filter_create_separable_convolution(
        &n, pixman_double_to_fixed(3.0), pixman_double_to_fixed(3.0), PIXMAN_KERNEL_IMPULSE,
        PIXMAN_KERNEL_IMPULSE, PIXMAN_KERNEL_BOX, PIXMAN_KERNEL_BOX, 0, 0);
    pixman_image_set_filter(k.src, PIXMAN_FILTER_SEPARABLE_CONVOLUTION, params, n);
    free(params);
    for (auto _ : s)
        pixman_image_composite32(PIXMAN_OP_SRC, k.src, nullptr, k.dst, 0, 0, 0, 0, 0, 0, kW / 3,
                                 kH / 3);
}
void BM_pixman_rotate_bilinear(benchmark::State& s) {
    PixmanImages k(kW, kH, kW, kH, false);
    pixman_transform_t t;
    pixman_transform_init_identity(&t);
    pixman_transform_translate(&t, nullptr, pixman_int_to_fixed(-kW / 2),
                               pixman_int_to_fixed(-kH / 2));
    pixman_transform_rotate(&t, nullptr, pixman_double_to_fixed(std::cos(0.5)),
                            pixman_double_to_fixed(std::sin(0.5)));
    pixman_transform_translate(&t, nullptr, pixman_int_to_fixed(kW / 2),
                               pixman_int_to_fixed(kH / 2));
    pixman_image_set_transform(k.src, &t);
    pixman_image_set_filter(k.src, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    for (auto _ : s)
        pixman_image_composite32(PIXMAN_OP_SRC, k.src, nullptr, k.dst, 0, 0, 0, 0, 0, 0, kW, kH);
}

}  // namespace

BENCHMARK(BM_memcpy);
BENCHMARK(BM_copy)->Arg(0)->Arg(1);
BENCHMARK(BM_memcpy_then_read);
BENCHMARK(BM_copy_then_read)->Arg(0)->Arg(1);
BENCHMARK(BM_sdl_opaque);
BENCHMARK(BM_pixman_src);
BENCHMARK(BM_ccopy);
BENCHMARK(BM_sdl_colourkey);
BENCHMARK(BM_blendcopy_plain);
BENCHMARK(BM_sdl_blend_alphamod128);
BENCHMARK(BM_pixman_over_solidmask128);
BENCHMARK(BM_blendcopy_alpha)->Arg(0)->Arg(1);
BENCHMARK(BM_sdl_blend);
BENCHMARK(BM_pixman_over);
BENCHMARK(BM_acmcopy)->Arg(0)->Arg(1);
BENCHMARK(BM_pixman_over_a8mask);
BENCHMARK(BM_zcopy_2x);
BENCHMARK(BM_sdl_scaled_2x);
BENCHMARK(BM_pixman_scale_2x_nearest);
BENCHMARK(BM_hzcopy_down3);
BENCHMARK(BM_pixman_scale_down3_bilinear);
BENCHMARK(BM_pixman_scale_down3_box);
BENCHMARK(BM_copyrot);
BENCHMARK(BM_pixman_rotate_bilinear);

BENCHMARK_MAIN();
