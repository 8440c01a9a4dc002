// Properties over random frames, rectangles and alphas: every vector level gives the plain
// path's bytes; nothing is written outside the destination; the change report covers every
// pixel that changed.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <random>
#include <string>

#include "graphics/blit_test_support.h"

namespace rs::test {
namespace {

using namespace graphics;

// The frames of one random case: three sources (one 8-bit mask) and a destination.
struct Case {
    std::vector<std::unique_ptr<Frame>> owned;
    Frame* a = nullptr;
    Frame* b = nullptr;
    Frame* mask = nullptr;
    Frame* dst = nullptr;
    std::array<int32_t, 16> n{};  // random numbers for positions, sizes and parameters

    Frame* own(std::unique_ptr<Frame> f) {
        owned.push_back(std::move(f));
        return owned.back().get();
    }
    // A deep copy; a destination that is also the first source stays one frame.
    Case clone() const {
        Case c;
        c.n = n;
        c.b = c.own(cloneFrame(*b));
        c.mask = c.own(cloneFrame(*mask));
        c.dst = c.own(cloneFrame(*dst));
        c.a = a == dst ? c.dst : c.own(cloneFrame(*a));
        return c;
    }
};

// Half of the cases are wide: frames up to 300 pixels wide and rectangles that mostly fit in
// them, so that whole rows of vector registers are drawn.
Case makeCase(std::mt19937& rng) {
    bool wide = rng() % 2 == 0;
    auto frame = [&](int32_t bpp) {
        int32_t w = 1 + static_cast<int32_t>(rng() % (wide ? 300 : 40));
        int32_t h = 1 + static_cast<int32_t>(rng() % (wide ? 12 : 30));
        auto f = createFrame(w, h, bpp, (bpp == 32 && rng() % 2) ? 2 : 0);
        randomiseSpecial(*f, rng);
        for (auto& p : f->palette) p = rng();
        return f;
    };
    Case c;
    c.a = c.own(frame(rng() % 6 == 0 ? 8 : 32));
    c.b = c.own(frame(32));
    c.mask = c.own(frame(rng() % 3 == 0 ? 32 : 8));
    c.dst = c.own(frame(rng() % 8 == 0 ? 8 : 32));
    // Whole frames of one alpha take the vector kernels' shortcuts.
    auto setAlpha = [](Frame& f, uint32_t a) {
        if (f.bpp != 32) return;
        for (int32_t y = 0; y < f.height; ++y) {
            for (int32_t x = 0; x < f.width; ++x)
                putPixel(f, x, y, (getColour(f, x, y) & 0x00FFFFFFu) | a << 24);
        }
    };
    if (rng() % 3 == 0) setAlpha(*c.dst, 255);
    if (rng() % 8 == 0) setAlpha(*c.b, 0);
    if (rng() % 8 == 0) setAlpha(*c.a, 0);
    // Flat areas, as pictures have them: averages come out as whole numbers.
    if (rng() % 4 == 0) {
        uint32_t colour = rng();
        for (int32_t y = 0; y < c.a->height; ++y) {
            for (int32_t x = 0; x < c.a->width; ++x) {
                if ((x + 7 * y) % 23 == 0) colour = rng();
                putPixel(*c.a, x, y, colour);
            }
        }
    }
    // A quarter of the cases draw in place: the destination is also the first source.
    if (rng() % 4 == 0) c.a = c.dst;
    for (auto& v : c.n) v = static_cast<int32_t>(rng() % 90) - 25;
    if (wide) {
        for (auto& v : c.n) v = static_cast<int32_t>(rng() % 16) - 3;
        for (int i : {4, 9}) c.n[i] = static_cast<int32_t>(rng() % 320);  // widths
        for (int i : {5, 10}) c.n[i] = static_cast<int32_t>(rng() % 14);  // heights
        c.n[6] = static_cast<int32_t>(rng() % 70) - 3;                    // alphas and the like
    }
    return c;
}

using Runner = std::function<void(const BlitContext&, Case&)>;

struct Member {
    const char* name;
    Runner run;
};

const std::vector<Member>& members() {
    static const std::vector<Member> list = {
        {"copy",
         [](auto& c, Case& k) {
             copy(c, *k.a, k.n[0], k.n[1], *k.dst, k.n[2], k.n[3], k.n[4], k.n[5]);
         }},
        {"ccopy",
         [](auto& c, Case& k) {
             ccopy(c, *k.a, k.n[0], k.n[1], *k.dst, k.n[2], k.n[3], k.n[4], k.n[5]);
         }},
        {"blendcopy",
         [](auto& c, Case& k) {
             blendcopy(c, *k.b, k.n[0], k.n[1], *k.dst, k.n[2], k.n[3], k.n[4], k.n[5], k.n[6] * 4);
         }},
        {"acopy",
         [](auto& c, Case& k) {
             acopy(c, *k.a, k.n[0], k.n[1], *k.b, k.n[7], k.n[8], *k.dst, k.n[2], k.n[3], k.n[4],
                   k.n[5], k.n[6] * 4);
         }},
        {"gcopy",
         [](auto& c, Case& k) {
             gcopy(c, *k.a, k.n[0], k.n[1], *k.dst, k.n[2], k.n[3], k.n[4], k.n[5],
                   static_cast<uint32_t>(k.n[6]) * 0x01030507u);
         }},
        {"ncopy",
         [](auto& c, Case& k) {
             ncopy(c, *k.a, k.n[0], k.n[1], *k.dst, k.n[2], k.n[3], k.n[4], k.n[5]);
         }},
        {"hqcopy",
         [](auto& c, Case& k) {
             hqcopy(c, *k.a, k.n[0] * 0.37f, k.n[1] * 0.61f, *k.dst, k.n[2], k.n[3], k.n[4], k.n[5],
                    0.5f + (k.n[6] & 7) * 0.3f);
         }},
        {"shufull",
         [](auto& c, Case& k) {
             shufull(c, *k.dst, k.n[2], k.n[3], k.n[4], k.n[5], 0x12345678, k.n[6] * 3, k.n[7] * 3);
         }},
        {"shucopy",
         [](auto& c, Case& k) {
             shucopy(c, *k.a, k.n[0], k.n[1], *k.dst, k.n[2], k.n[3], k.n[4], k.n[5], k.n[6] * 3,
                     k.n[7] * 3);
         }},
        {"zcopy",
         [](auto& c, Case& k) {
             zcopy(c, *k.a, k.n[0], k.n[1], k.n[9], k.n[10], *k.dst, k.n[2], k.n[3], k.n[4],
                   k.n[5]);
         }},
        {"hzcopy",
         [](auto& c, Case& k) {
             hzcopy(c, *k.a, k.n[0], k.n[1], k.n[9], k.n[10], *k.dst, k.n[2], k.n[3], k.n[4],
                    k.n[5]);
         }},
        {"mozcopy",
         [](auto& c, Case& k) {
             mozcopy(c, *k.a, k.n[0], k.n[1], *k.dst, k.n[2], k.n[3], k.n[4], k.n[5], k.n[6] & 7,
                     (k.n[7] & 7) % 5);
         }},
        {"acmcopy",
         [](auto& c, Case& k) {
             acmcopy(c, *k.a, k.n[0], k.n[1], *k.b, k.n[7], k.n[8], k.mask, k.n[11], k.n[12],
                     *k.dst, k.n[2], k.n[3], k.n[4], k.n[5],
                     MaskCurve{k.n[13], k.n[14], k.n[15] % 5});
         }},
        {"acmcopyScaled",
         [](auto& c, Case& k) {
             acmcopyScaled(c, FrameRect{k.a, k.n[0], k.n[1], k.n[9], k.n[10]},
                           FrameRect{k.b, k.n[7], k.n[8], k.n[10], k.n[9]},
                           FrameRect{k.mask, k.n[11], k.n[12], k.n[4], k.n[5]}, *k.dst, k.n[2],
                           k.n[3], k.n[4], k.n[5], MaskCurve{k.n[13], k.n[14], k.n[15] % 5});
         }},
        {"blendScaled",
         [](auto& c, Case& k) {
             blendScaled(c, *k.b, k.n[0], k.n[1], k.n[9], k.n[10], *k.dst, k.n[2], k.n[3], k.n[4],
                         k.n[5], k.n[6] * 4);
         }},
        {"modcopy",
         [](auto& c, Case& k) {
             modcopy(c, *k.a, k.n[0], k.n[1], *k.mask, k.n[11], k.n[12], *k.dst, k.n[2], k.n[3],
                     k.n[4], k.n[5], k.n[6]);
         }},
        {"uvcopy",
         [](auto& c, Case& k) {
             uvcopy(c, *k.a, *k.mask, k.n[11], k.n[12], *k.dst, k.n[2], k.n[3], k.n[4], k.n[5]);
         }},
        {"pscopydiv",
         [](auto& c, Case& k) {
             pscopydiv(c, *k.a, k.n[0], k.n[1], *k.b, k.n[7], k.n[8], *k.dst, k.n[2], k.n[3],
                       k.n[4], k.n[5], k.n[6] * 4);
         }},
        {"copyrot",
         [](auto& c, Case& k) {
             copyrot(c, *k.a, k.n[0] * 0.5f, k.n[1] * 0.5f, k.n[9] * 0.7f, k.n[10] * 0.9f, *k.dst,
                     k.n[2], k.n[3], k.n[4], k.n[5], k.n[6] * 0.1f);
         }},
        {"copytrape",
         [](auto& c, Case& k) {
             QuadPoints q;
             float x0 = k.n[2] * 0.9f, y0 = k.n[3] * 0.8f, x1 = k.n[4] * 1.1f, y1 = k.n[5] * 1.3f;
             bool vertical = (k.n[6] & 1) != 0;
             float xs[4] = {x0, x1, vertical ? x0 : k.n[7] * 0.7f, vertical ? x1 : k.n[8] * 1.2f};
             float ys[4] = {y0, vertical ? k.n[7] * 0.7f : y0, y1, vertical ? k.n[8] * 1.2f : y1};
             for (int i = 0; i < 4; ++i) q.x[i] = xs[i], q.y[i] = ys[i];
             copytrape(c, *k.a, k.n[0], k.n[1], k.n[9], k.n[10], *k.dst, q);
         }},
        {"copytrans",
         [](auto& c, Case& k) {
             TexVertex v[3] = {{k.n[2] * 0.9f, k.n[3] * 0.8f, k.n[0] * 0.5f, k.n[1] * 0.5f},
                               {k.n[4] * 1.1f, k.n[5] * 0.7f, k.n[9] * 0.6f, k.n[10] * 0.4f},
                               {k.n[7] * 0.9f, k.n[8] * 1.3f, k.n[11] * 0.8f, k.n[12] * 0.3f}};
             copytrans(c, *k.a, v, *k.dst);
         }},
    };
    return list;
}

TEST(BlitProperties, VectorLevelsGiveThePlainBytes) {
    std::vector<SimdLevel> levels = {SimdLevel::Sse2};
    if (detectSimd() == SimdLevel::Avx2) levels.push_back(SimdLevel::Avx2);
    if (detectSimd() == SimdLevel::None) GTEST_SKIP() << "no vector instructions";
    std::mt19937 rng(20261206);
    for (const Member& m : members()) {
        for (int round = 0; round < 250; ++round) {
            Case k = makeCase(rng);
            for (bool mmx : {false, true}) {
                Case plain = k.clone();
                m.run(plainContext(nullptr, mmx), plain);
                for (SimdLevel level : levels) {
                    Case fast = k.clone();
                    BlitContext ctx = plainContext(nullptr, mmx);
                    ctx.simd = level;
                    m.run(ctx, fast);
                    ASSERT_TRUE(samePixels(*plain.dst, *fast.dst))
                        << m.name << " round " << round << " level " << static_cast<int>(level)
                        << " mmx " << mmx;
                }
            }
        }
    }
}

TEST(BlitProperties, WritesStayInsideAndReportsCoverThem) {
    std::mt19937 rng(77);
    for (const Member& m : members()) {
        for (int round = 0; round < 300; ++round) {
            Case k = makeCase(rng);
            auto before = cloneFrame(*k.dst);
            size_t bytes =
                static_cast<size_t>(k.dst->rowBytes()) * static_cast<size_t>(k.dst->height);
            // The spare bytes after the pixels must stay as they are.
            std::fill(k.dst->pixels + bytes, k.dst->pixels + bytes + 32, uint8_t{0xA5});
            RecordingSink sink;
            BlitContext ctx = plainContext(&sink, round % 2 == 1);
            ctx.simd = detectSimd();
            m.run(ctx, k);
            for (size_t i = 0; i < 32; ++i)
                ASSERT_EQ(k.dst->pixels[bytes + i], 0xA5) << m.name << " round " << round;
            ASSERT_GE(sink.points.size(), 2u) << m.name;  // a report is made even for nothing drawn
            int32_t x0 = INT32_MAX, y0 = INT32_MAX, x1 = INT32_MIN, y1 = INT32_MIN;
            for (auto [x, y] : sink.points) {
                x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x),
                y1 = std::max(y1, y);
            }
            for (int32_t y = 0; y < k.dst->height; ++y) {
                for (int32_t x = 0; x < k.dst->width; ++x) {
                    if (px(*k.dst, x, y) == px(*before, x, y)) continue;
                    ASSERT_TRUE(x >= x0 && x <= x1 && y >= y0 && y <= y1)
                        << m.name << " round " << round << ": (" << x << "," << y
                        << ") changed outside the report (" << x0 << "," << y0 << ")-(" << x1 << ","
                        << y1 << ")";
                }
            }
        }
    }
}

TEST(BlitProperties, CopiesStoringPastTheCacheOrThroughItKeepTheBytes) {
    std::mt19937 rng(5);
    auto src = makeFrame(1023, 300);
    randomise(*src, rng);
    // streamBytes 1: every copy stores past the cache; SIZE_MAX: none does.
    for (size_t streamFrom : {size_t{1}, SIZE_MAX}) {
        for (SimdLevel level : {SimdLevel::None, SimdLevel::Sse2, detectSimd()}) {
            auto dst = makeFrame(1030, 301, 32, false, 0x5A5A5A5A);
            BlitContext c = plainContext();
            c.simd = level;
            c.streamBytes = streamFrom;
            copy(c, *src, 0, 0, *dst, 3, 1, 1023, 300);
            for (int32_t y = 0; y < 301; ++y) {
                for (int32_t x = 0; x < 1030; ++x) {
                    bool inside = x >= 3 && x < 1026 && y >= 1;
                    ASSERT_EQ(px(*dst, x, y), inside ? px(*src, x - 3, y - 1) : 0x5A5A5A5Au)
                        << x << "," << y << " level " << static_cast<int>(level) << " from "
                        << streamFrom;
                }
            }
        }
    }
}

TEST(BlitProperties, OnlyCopiesTooLargeForTheCacheStorePastIt) {
    // A 32 MiB cache: an 800 x 600 frame (1.9 MB) stays cached, a 4096 x 4096 one does not.
    size_t from = streamingCopyBytes(size_t{32} << 20);
    EXPECT_GT(from, size_t{800} * 600 * 4);
    EXPECT_LT(from, size_t{4096} * 4096 * 4);
    // A processor that reports no cache size is taken as a small one, never as no cache.
    EXPECT_GT(streamingCopyBytes(0), size_t{800} * 600 * 4);
    EXPECT_LE(streamingCopyBytes(0), from);
}

}  // namespace
}  // namespace rs::test
