// The row kernels of every vector level the processor has give the plain kernels' bytes: rows of
// 0 to 40 pixels (whole registers and every tail length) and wide rows, sources of alpha 0, 255,
// mixed and translucent, opaque and clear destinations. Guard pixels around each row must stay as
// they are.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "graphics/simd/row_kernels.h"

namespace rs::test {
namespace {

using graphics::SimdLevel;
using graphics::simd::RowKernels;

struct Level {
    SimdLevel level;
    const char* name;
};

std::vector<Level> vectorLevels() {
    std::vector<Level> out;
    if (graphics::detectSimd() >= SimdLevel::Sse2) out.push_back({SimdLevel::Sse2, "sse2"});
    if (graphics::detectSimd() >= SimdLevel::Avx2) out.push_back({SimdLevel::Avx2, "avx2"});
    return out;
}

// Row lengths: every length up to 40, then wide rows that are not a multiple of a register.
std::vector<int32_t> rowLengths() {
    std::vector<int32_t> n;
    for (int32_t i = 0; i <= 40; ++i) n.push_back(i);
    for (int32_t i : {63, 64, 255, 1001}) n.push_back(i);
    return n;
}

enum class Alpha { Clear, Opaque, Mixed, Translucent };
constexpr Alpha kAlphas[] = {Alpha::Clear, Alpha::Opaque, Alpha::Mixed, Alpha::Translucent};
const char* alphaName(Alpha a) {
    switch (a) {
        case Alpha::Clear: return "alpha 0";
        case Alpha::Opaque: return "alpha 255";
        case Alpha::Mixed: return "mixed alpha";
        case Alpha::Translucent: return "alpha 1..254";
    }
    return "";
}

// Random colours with the given alpha; a mixed row also holds keyed colours and the extremes.
uint32_t pixel(std::mt19937& rng, Alpha alpha) {
    uint32_t p = rng();
    switch (alpha) {
        case Alpha::Clear: return p & 0x00FFFFFFu;
        case Alpha::Opaque: return p | 0xFF000000u;
        case Alpha::Translucent: return (p & 0x00FFFFFFu) | (1 + rng() % 254) << 24;
        case Alpha::Mixed: break;
    }
    switch (rng() % 8) {
        case 0: return (p & 0xFF000000u) | 0x0000FF00u;  // green key
        case 1: return (p & 0xFF000000u) | 0x000000FFu;  // blue key
        case 2: return p & 0x00FFFFFFu;
        case 3: return p | 0xFF000000u;
        case 4: return p & 0xFF000000u;
        case 5: return p | 0x00FFFFFFu;
        default: return p;
    }
}

constexpr int32_t kGuard = 9;  // pixels before and after each row
constexpr uint32_t kGuardValue = 0xA5C3E1F7u;

// A row of n pixels between guards; row() points at the first pixel.
struct Row {
    std::vector<uint32_t> px;
    Row(std::mt19937& rng, int32_t n, Alpha alpha) : px(static_cast<size_t>(n + 2 * kGuard)) {
        for (auto& p : px) p = kGuardValue;
        for (int32_t i = 0; i < n; ++i) px[static_cast<size_t>(kGuard + i)] = pixel(rng, alpha);
    }
    uint32_t* row() { return px.data() + kGuard; }
};

// Mask weights: all 0, all 255 or random.
std::vector<uint8_t> weights(std::mt19937& rng, int32_t n, int kind) {
    std::vector<uint8_t> m(static_cast<size_t>(n) + kGuard);
    for (auto& v : m) v = kind == 0 ? 0 : kind == 1 ? 255 : static_cast<uint8_t>(rng());
    return m;
}

// Runs `kernel` on the plain kernels and on each vector level over copies of the same rows, and
// compares every pixel, guards included.
template <class Fn>
void expectSameBytes(const std::string& what, const Row& d, const Row& s1, const Row& s2,
                     Fn kernel) {
    Row plainD = d, plain1 = s1, plain2 = s2;
    kernel(graphics::simd::plainKernels(), plainD.row(), plain1.row(), plain2.row());
    for (const Level& l : vectorLevels()) {
        Row fastD = d, fast1 = s1, fast2 = s2;
        kernel(graphics::simd::kernels(l.level), fastD.row(), fast1.row(), fast2.row());
        auto diff = std::mismatch(fastD.px.begin(), fastD.px.end(), plainD.px.begin());
        if (diff.first != fastD.px.end()) {
            ADD_FAILURE() << what << " at " << l.name << ": pixel "
                          << (diff.first - fastD.px.begin()) - kGuard << " is " << std::hex
                          << *diff.first << ", the plain kernel gives " << *diff.second;
            return;
        }
    }
}

constexpr uint32_t kAlphaArgs[] = {0, 1, 64, 127, 128, 200, 254, 255, 256};

// The kernels of one source row, without and with an alpha argument.
using Copy = void (*RowKernels::*)(uint32_t*, const uint32_t*, int32_t);
using Blend = void (*RowKernels::*)(uint32_t*, const uint32_t*, int32_t, uint32_t);
const std::pair<const char*, Copy> kCopies[] = {{"opaqueCopy", &RowKernels::opaqueCopy},
                                                {"greenKeyCopy", &RowKernels::greenKeyCopy},
                                                {"invert", &RowKernels::invert},
                                                {"fadeOver", &RowKernels::fadeOver}};
const std::pair<const char*, Blend> kBlends[] = {{"blendOnto", &RowKernels::blendOnto},
                                                 {"compositeOnto", &RowKernels::compositeOnto}};

TEST(SimdKernels, EveryLevelGivesThePlainBytes) {
    if (vectorLevels().empty()) GTEST_SKIP() << "no vector instructions";
    std::mt19937 rng(2112);
    for (int32_t n : rowLengths()) {
        for (Alpha da : kAlphas) {
            for (Alpha sa : kAlphas) {
                Row d(rng, n, da), s1(rng, n, sa), s2(rng, n, Alpha::Mixed);
                std::string what = std::to_string(n) + " pixels, destination " + alphaName(da) +
                                   ", source " + alphaName(sa) + ": ";
                using K = const RowKernels&;
                for (auto [name, kernel] : kCopies) {
                    expectSameBytes(
                        what + name, d, s1, s2,
                        [&](K k, uint32_t* o, uint32_t* p, uint32_t*) { (k.*kernel)(o, p, n); });
                }
                for (uint32_t a : kAlphaArgs) {
                    std::string at = " a " + std::to_string(a);
                    for (auto [name, kernel] : kBlends) {
                        expectSameBytes(what + name + at, d, s1, s2,
                                        [&](K k, uint32_t* o, uint32_t* p, uint32_t*) {
                                            (k.*kernel)(o, p, n, a);
                                        });
                    }
                    for (bool mmx : {false, true}) {
                        expectSameBytes(what + "blendMix" + at + (mmx ? " mmx" : ""), d, s1, s2,
                                        [&](K k, uint32_t* o, uint32_t* p, uint32_t* q) {
                                            k.blendMix(o, p, q, n, a, mmx);
                                        });
                    }
                }
                for (int kind = 0; kind < 3; ++kind) {
                    std::vector<uint8_t> m = weights(rng, n, kind);
                    for (bool mmx : {false, true}) {
                        expectSameBytes(
                            what + "maskMix weights " + std::to_string(kind) + (mmx ? " mmx" : ""),
                            d, s1, s2, [&](K k, uint32_t* o, uint32_t* p, uint32_t* q) {
                                k.maskMix(o, p, q, m.data(), n, mmx);
                            });
                    }
                }
                if (HasFailure()) return;
            }
        }
    }
}

// Compositing divides by sums of alpha weights: every pair of source and destination alpha, with
// channels at the extremes and in between.
TEST(SimdKernels, CompositingEveryPairOfAlphas) {
    std::mt19937 rng(3);
    Row d(rng, 65536, Alpha::Clear), s(rng, 65536, Alpha::Clear);
    const uint32_t colours[][2] = {
        {0x000000, 0xFFFFFF}, {0xFFFFFF, 0x000000}, {0x80FF01, 0x7F00FE}};
    for (const auto& c : colours) {
        for (uint32_t i = 0; i < 65536; ++i) {
            d.row()[i] = (i & 0xFF) << 24 | c[0];
            s.row()[i] = (i >> 8) << 24 | (i % 3 ? c[1] : rng() & 0xFFFFFF);
        }
        for (uint32_t a : {128u, 255u, 256u}) {
            expectSameBytes("compositeOnto a " + std::to_string(a), d, s, s,
                            [&](const RowKernels& k, uint32_t* o, uint32_t* p, uint32_t*) {
                                k.compositeOnto(o, p, 65536, a);
                            });
        }
    }
}

TEST(SimdKernels, BigCopiesAtEveryAlignment) {
    std::mt19937 rng(7);
    std::vector<uint8_t> src(5000);
    for (auto& b : src) b = static_cast<uint8_t>(rng());
    for (const Level& l : vectorLevels()) {
        const RowKernels& k = graphics::simd::kernels(l.level);
        for (size_t offset = 0; offset < 33; ++offset) {
            for (size_t n : {size_t{0}, size_t{1}, size_t{31}, size_t{64}, size_t{129},
                             size_t{4000} + offset}) {
                std::vector<uint8_t> dst(src.size() + 64, 0x5A);
                k.bigCopy(dst.data() + offset, src.data() + 3, n);
                k.finish();
                for (size_t i = 0; i < dst.size(); ++i) {
                    bool inside = i >= offset && i < offset + n;
                    ASSERT_EQ(dst[i], inside ? src[i - offset + 3] : 0x5A)
                        << l.name << " offset " << offset << " size " << n << " byte " << i;
                }
            }
        }
    }
}

}  // namespace
}  // namespace rs::test
