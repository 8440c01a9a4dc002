// The compositing of a source with alpha onto a destination with alpha (blendcopy and ccopy of
// two alpha frames) divides by a per-pixel total. It is computed from a table of shares instead;
// these tests compare it with the division over every pair of alphas, at every vector level, on
// rows whose lengths leave tails for the plain code.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "graphics/blit_tables.h"
#include "graphics/blit_test_support.h"
#include "graphics/simd/row_kernels.h"

namespace rs::test {
namespace {

using namespace graphics;

// The compositing as a division: alpha D / 255, channels (dc * wd + sc * ws) / D.
uint32_t divided(uint32_t d, uint32_t s, uint32_t a) {
    uint32_t da = d >> 24;
    uint32_t wd = (255 - a) * da;
    uint32_t ws = 255 * a;
    uint32_t total = wd + ws;
    if (total == 0) return d;
    uint32_t out = (total / 255) << 24;
    for (int c = 0; c < 3; ++c) {
        uint32_t dc = (d >> (8 * c)) & 0xFF, sc = (s >> (8 * c)) & 0xFF;
        out |= ((dc * wd + sc * ws) / total) << (8 * c);
    }
    return out;
}

std::vector<SimdLevel> allLevels() {
    std::vector<SimdLevel> levels = {SimdLevel::None};
    if (detectSimd() != SimdLevel::None) levels.push_back(SimdLevel::Sse2);
    if (detectSimd() == SimdLevel::Avx2) levels.push_back(SimdLevel::Avx2);
    return levels;
}

TEST(BlitComposite, ShareGivesTheDivisionForEveryAlphaPairAndDistance) {
    // Every channel is the smaller value plus a share of the distance; every alpha pair, every
    // distance both ways, on a base that moves with the case.
    const uint32_t* shares = detail::blendFractionTable();
    for (uint32_t a = 0; a < 256; ++a) {
        for (uint32_t da = 0; da < 256; ++da) {
            uint32_t wd = (255 - a) * da, ws = 255 * a, total = wd + ws;
            if (total == 0) continue;
            uint32_t g = shares[a << 8 | da];
            for (uint32_t dist = 0; dist < 256; ++dist) {
                uint32_t lo = (a * 7 + da * 13 + dist) % (256 - dist), hi = lo + dist;
                uint32_t up = detail::compositeChannel(lo, hi, g);
                uint32_t down = detail::compositeChannel(hi, lo, g);
                if (up != (lo * wd + hi * ws) / total || down != (hi * wd + lo * ws) / total)
                    FAIL() << "A " << a << " da " << da << " distance " << dist;
            }
        }
    }
}

TEST(BlitComposite, EveryLevelGivesTheDivisionForEveryAlphaPair) {
    // Pixel i of the row composites source alpha i >> 8 onto destination alpha i & 255 (the
    // weight 255 keeps the source alpha as it is); rows of odd lengths leave tails.
    std::mt19937 rng(2026);
    std::vector<uint32_t> src(65536), dst(65536);
    for (int round = 0; round < 3; ++round) {
        for (uint32_t i = 0; i < 65536; ++i) {
            src[i] = (i >> 8) << 24 | (rng() & 0xFFFFFF);
            dst[i] = (i & 0xFF) << 24 | (rng() & 0xFFFFFF);
        }
        for (SimdLevel level : allLevels()) {
            std::vector<uint32_t> out = dst;
            const auto& k = simd::kernels(level);
            const int32_t widths[] = {37, 9, 15, 8, 64, 3, 121};
            for (int32_t at = 0, j = 0; at < 65536; at += widths[j % 7], ++j) {
                int32_t len = std::min<int32_t>(widths[j % 7], 65536 - at);
                k.compositeOnto(out.data() + at, src.data() + at, len, 255);
            }
            for (uint32_t i = 0; i < 65536; ++i) {
                ASSERT_EQ(out[i], divided(dst[i], src[i], i >> 8))
                    << "source alpha " << (i >> 8) << " destination alpha " << (i & 0xFF)
                    << " level " << static_cast<int>(level);
            }
        }
    }
}

TEST(BlitComposite, EveryLevelGivesThePlainBytesForAnyWeightAndOpaqueRuns) {
    // Weights that scale the source alpha, and sources and destinations that are opaque in long
    // runs (the vector code's shortcuts) mixed with any alpha.
    std::mt19937 rng(7);
    const int32_t n = 1001;
    std::vector<uint32_t> src(n), dst(n);
    for (uint32_t weight : {0u, 1u, 128u, 254u, 255u, 256u}) {
        for (int32_t i = 0; i < n; ++i) {
            bool opaqueSource = (i / 48) % 3 == 0;
            src[i] = opaqueSource ? rng() | 0xFF000000u : rng();
            bool opaqueRun = (i / 64) % 2 == 0;
            dst[i] = opaqueRun ? rng() | 0xFF000000u : rng();
        }
        std::vector<uint32_t> plain = dst;
        simd::kernels(SimdLevel::None).compositeOnto(plain.data(), src.data(), n, weight);
        for (int32_t i = 0; i < n; ++i) {
            uint32_t sa = std::min<uint32_t>((src[i] >> 24) * weight / 255, 255);
            ASSERT_EQ(plain[i], divided(dst[i], src[i], sa)) << i << " weight " << weight;
        }
        for (SimdLevel level : allLevels()) {
            for (int32_t width : {n, 7, 9, 15, 17, 33}) {
                std::vector<uint32_t> out = dst;
                for (int32_t at = 0; at < n; at += width)
                    simd::kernels(level).compositeOnto(out.data() + at, src.data() + at,
                                                       std::min(width, n - at), weight);
                ASSERT_EQ(out, plain) << "weight " << weight << " level " << static_cast<int>(level)
                                      << " width " << width;
            }
        }
    }
}

TEST(BlitComposite, BlendcopyOfAlphaFramesGivesTheSameBytesAtEveryLevel) {
    std::mt19937 rng(11);
    auto src = makeFrame(203, 7, 32, true);
    auto base = makeFrame(203, 7, 32, true);
    randomise(*src, rng);
    randomise(*base, rng);
    std::unique_ptr<Frame> first;
    for (SimdLevel level : allLevels()) {
        auto dst = cloneFrame(*base);
        BlitContext c = plainContext();
        c.simd = level;
        blendcopy(c, *src, 1, 0, *dst, 0, 1, 201, 6, 100);
        if (!first) {
            first = std::move(dst);
            EXPECT_EQ(px(*first, 0, 1),
                      divided(px(*base, 0, 1), px(*src, 1, 0),
                              std::min<uint32_t>((px(*src, 1, 0) >> 24) * 100 / 255, 255)));
            continue;
        }
        EXPECT_TRUE(samePixels(*first, *dst)) << static_cast<int>(level);
    }
}

}  // namespace
}  // namespace rs::test
