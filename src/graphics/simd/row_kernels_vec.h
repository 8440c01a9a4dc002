// The row kernels written once over a register-width trait (vec_traits.h). Every kernel handles
// whole registers and leaves the tail of the row to the plain kernel, so the bytes are the same.
#pragma once

#include "graphics/blit_tables.h"
#include "graphics/simd/row_kernels.h"
#include "graphics/simd/vec_traits.h"

namespace rs::graphics::simd::vec {

template <class V>
struct Kernels {
    using I = typename V::I;
    using F = typename V::F;
    static constexpr int L = V::kLanes;

    static void opaqueCopy(uint32_t* d, const uint32_t* s, int32_t n) {
        int32_t i = 0;
        I a = V::set32(0xFF000000u);
        for (; i + L <= n; i += L) V::store(d + i, V::or_(V::load(s + i), a));
        plainKernels().opaqueCopy(d + i, s + i, n - i);
    }

    static void greenKeyCopy(uint32_t* d, const uint32_t* s, int32_t n) {
        int32_t i = 0;
        I low = V::set32(0x00FFFFFFu);
        I green = V::set32(0x0000FF00u);
        for (; i + L <= n; i += L) {
            I p = V::load(s + i);
            I keyed = V::cmpeq32(V::and_(p, low), green);
            V::store(d + i, V::select(keyed, V::load(d + i), p));
        }
        plainKernels().greenKeyCopy(d + i, s + i, n - i);
    }

    static void invert(uint32_t* d, const uint32_t* s, int32_t n) {
        int32_t i = 0;
        I ones = V::set32(0xFFFFFFFFu);
        for (; i + L <= n; i += L) V::store(d + i, V::xor_(V::load(s + i), ones));
        plainKernels().invert(d + i, s + i, n - i);
    }

    // floor(x / 255) for 16-bit x, per word.
    static I div255(I x) { return V::srli16(V::mulhiU16(x, V::set16(0x8081)), 7); }

    static void fadeOver(uint32_t* d, const uint32_t* s, int32_t n) {
        int32_t i = 0;
        I z = V::zero();
        I alphaMask = V::set32(0xFF000000u);
        for (; i + L <= n; i += L) {
            I p = V::load(s + i);
            I q = V::load(d + i);
            I diff = V::or_(V::subsU8(p, q), V::subsU8(q, p));  // |s - d| per byte
            I lo = V::mullo16(V::unpackLo8(diff, z), V::broadcastAlpha16(V::unpackLo8(p, z)));
            I hi = V::mullo16(V::unpackHi8(diff, z), V::broadcastAlpha16(V::unpackHi8(p, z)));
            I step = V::packU16(div255(lo), div255(hi));
            I up = V::cmpeq8(V::subsU8(q, p), z);  // d <= s: the channel rises
            I out = V::select(up, V::add8(q, step), V::sub8(q, step));
            out = V::or_(out, alphaMask);
            I clear = V::cmpeq32(V::and_(p, alphaMask), z);
            V::store(d + i, V::select(clear, q, out));
        }
        plainKernels().fadeOver(d + i, s + i, n - i);
    }

    // (a * wa + b * wb) >> 8 per byte, weights as words summing to at most 256.
    static I mix16(I a, I b, I wa, I wb) {
        I z = V::zero();
        I lo = V::add16(V::mullo16(V::unpackLo8(a, z), wa), V::mullo16(V::unpackLo8(b, z), wb));
        I hi = V::add16(V::mullo16(V::unpackHi8(a, z), wa), V::mullo16(V::unpackHi8(b, z), wb));
        return V::packU16(V::srli16(lo, 8), V::srli16(hi, 8));
    }

    static void blendOnto(uint32_t* d, const uint32_t* s, int32_t n, uint32_t a) {
        int32_t i = 0;
        I ws = V::set16(a);
        I wd = V::set16(256 - a);
        I low = V::set32(0x00FFFFFFu);
        I blue = V::set32(0x000000FFu);
        for (; i + L <= n; i += L) {
            I p = V::load(s + i);
            I q = V::load(d + i);
            I out = V::and_(mix16(q, p, wd, ws), low);
            I keyed = V::cmpeq32(V::and_(p, low), blue);
            V::store(d + i, V::select(keyed, q, out));
        }
        plainKernels().blendOnto(d + i, s + i, n - i, a);
    }

    static void blendMix(uint32_t* d, const uint32_t* s1, const uint32_t* s2, int32_t n, uint32_t a,
                         bool mmx) {
        int32_t i = 0;
        I w2 = V::set16(a);
        I w1 = V::set16(256 - a);
        I keep = V::set32(mmx ? 0xFFFFFFFFu : 0x00FFFFFFu);
        for (; i + L <= n; i += L) {
            V::store(d + i, V::and_(mix16(V::load(s1 + i), V::load(s2 + i), w1, w2), keep));
        }
        plainKernels().blendMix(d + i, s1 + i, s2 + i, n - i, a, mmx);
    }

    // Alpha compositing without a division: the channels of compositeOver from the 24-bit share
    // of the table (compositeChannel), the new alpha D / 255 by a multiply and a shift.
    static void compositeOnto(uint32_t* d, const uint32_t* s, int32_t n, uint32_t a) {
        int32_t i = 0;
        const uint32_t* fractions = detail::blendFractionTable();
        I alphaMask = V::set32(0xFF000000u);
        I a16 = V::set16(a);
        I byte = V::set32(0xFF);
        I f255 = V::set32(255);
        I one = V::set32(1);
        I whole = V::set32(1u << 24);
        for (; i + L <= n; i += L) {
            I p = V::load(s + i);
            I q = V::load(d + i);
            // Scaled source alpha per pixel, sa * a / 255 held at 255, in 16-bit words.
            I z = V::zero();
            I saLo = V::mullo16(V::broadcastAlpha16(V::unpackLo8(p, z)), a16);
            I saHi = V::mullo16(V::broadcastAlpha16(V::unpackHi8(p, z)), a16);
            saLo = div255(saLo);
            saHi = div255(saHi);
            I sa8 = V::packU16(saLo, saHi);  // 256 saturates to 255 in every byte
            if (V::allZero(V::and_(sa8, alphaMask))) continue;  // nothing shows: D leaves d
            if (V::allOnes(V::cmpeq32(V::and_(sa8, alphaMask), alphaMask))) {
                // An opaque source: D = ws = 65025, so the source's colours with alpha 255.
                V::store(d + i, V::or_(p, alphaMask));
                continue;
            }
            if (V::allOnes(V::cmpeq32(V::and_(q, alphaMask), alphaMask))) {
                // Opaque destination: D = 65025, so alpha 255 and (dc * (255 - A) + sc * A) / 255.
                I wsLo = V::unpackLo8(sa8, z), wsHi = V::unpackHi8(sa8, z);
                I w255 = V::set16(255);
                I wdLo = V::add16(w255, V::mullo16(wsLo, V::set16(0xFFFF)));
                I wdHi = V::add16(w255, V::mullo16(wsHi, V::set16(0xFFFF)));
                I lo = V::add16(V::mullo16(V::unpackLo8(q, z), wdLo),
                                V::mullo16(V::unpackLo8(p, z), wsLo));
                I hi = V::add16(V::mullo16(V::unpackHi8(q, z), wdHi),
                                V::mullo16(V::unpackHi8(p, z), wsHi));
                V::store(d + i, V::or_(V::packU16(div255(lo), div255(hi)), alphaMask));
                continue;
            }
            I sa = V::srli32(sa8, 24);
            I da = V::srli32(q, 24);
            I g = V::gather32(fractions, V::or_(V::slli32(sa, 8), da));
            // D = (255 - A) * da + 255 * A, below 2^16: the 16-bit product is exact.
            I total = V::add32(V::mullo16(V::sub32(f255, sa), da), V::sub32(V::slli32(sa, 8), sa));
            I out = V::slli32(div255(total), 24);
            I shareUp = V::add32(g, one);
            I shareDown = V::sub32(whole, g);
            I low = V::minU8(p, q);
            I dist = V::or_(V::subsU8(p, q), V::subsU8(q, p));
            I up = V::cmpeq8(V::subsU8(q, p), z);  // dc <= sc
            for (int c = 0; c < 3; ++c) {
                I share = V::select(V::srai32(V::slli32(up, 24 - 8 * c), 31), shareUp, shareDown);
                I step = V::srli32(V::mullo32(V::and_(V::srli32(dist, 8 * c), byte), share), 24);
                I v = V::add32(V::and_(V::srli32(low, 8 * c), byte), step);
                out = V::or_(out, V::slli32(v, 8 * c));
            }
            V::store(d + i, out);
        }
        plainKernels().compositeOnto(d + i, s + i, n - i, a);
    }

    static void maskMix(uint32_t* d, const uint32_t* s1, const uint32_t* s2, const uint8_t* m,
                        int32_t n, bool mmx) {
        int32_t i = 0;
        if (mmx) {
            I f255 = V::set16(255);
            for (; i + L <= n; i += L) {
                I m32 = V::loadBytes32(m + i);
                I m16 = V::or_(m32, V::slli32(m32, 16));
                I mlo = V::unpackLo32(m16, m16);  // the weight of each pixel in its four words
                I mhi = V::unpackHi32(m16, m16);
                I a = V::load(s1 + i);
                I b = V::load(s2 + i);
                I z = V::zero();
                I lo = V::add16(V::mullo16(V::unpackLo8(b, z),
                                           V::add16(f255, V::mullo16(mlo, V::set16(0xFFFF)))),
                                V::mullo16(V::unpackLo8(a, z), mlo));
                I hi = V::add16(V::mullo16(V::unpackHi8(b, z),
                                           V::add16(f255, V::mullo16(mhi, V::set16(0xFFFF)))),
                                V::mullo16(V::unpackHi8(a, z), mhi));
                V::store(d + i, V::packU16(V::srli16(lo, 8), V::srli16(hi, 8)));
            }
        } else {
            I rbMask = V::set32(0x00FF00FFu);
            I gMask = V::set32(0x0000FF00u);
            for (; i + L <= n; i += L) {
                I mm = V::loadBytes32(m + i);
                I a = V::load(s1 + i);
                I b = V::load(s2 + i);
                I rb2 = V::and_(b, rbMask);
                I g2 = V::and_(b, gMask);
                I rb = V::and_(
                    V::add32(V::srli32(V::mullo32(V::sub32(V::and_(a, rbMask), rb2), mm), 8), rb2),
                    rbMask);
                I g = V::and_(
                    V::add32(V::srli32(V::mullo32(V::sub32(V::and_(a, gMask), g2), mm), 8), g2),
                    gMask);
                V::store(d + i, V::add32(rb, g));
            }
        }
        plainKernels().maskMix(d + i, s1 + i, s2 + i, m + i, n - i, mmx);
    }

    // A copy between different frames too large for the cache: stores that bypass it, as the
    // destination could not stay there anyway.
    static void bigCopy(uint8_t* d, const uint8_t* s, size_t n) {
        constexpr size_t R = sizeof(I);
        while (n > 0 && (reinterpret_cast<uintptr_t>(d) & (R - 1)) != 0) {
            *d++ = *s++;
            --n;
        }
        for (; n >= 4 * R; n -= 4 * R, d += 4 * R, s += 4 * R) {
            I v0 = V::loadBytes(s), v1 = V::loadBytes(s + R), v2 = V::loadBytes(s + 2 * R),
              v3 = V::loadBytes(s + 3 * R);
            V::stream(d, v0);
            V::stream(d + R, v1);
            V::stream(d + 2 * R, v2);
            V::stream(d + 3 * R, v3);
        }
        if (n > 0) __builtin_memcpy(d, s, n);
    }

    static void finish() { _mm_sfence(); }

    static constexpr RowKernels table() {
        return RowKernels{opaqueCopy, greenKeyCopy,  invert,  fadeOver, blendOnto,
                          blendMix,   compositeOnto, maskMix, bigCopy,  finish};
    }
};

}  // namespace rs::graphics::simd::vec
