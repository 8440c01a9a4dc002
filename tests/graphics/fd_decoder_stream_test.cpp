// The FD and FE decoders over many generated streams: random symbol sequences of every kind with
// numbers of every length, encoded pictures, and damaged copies of both (bits flipped, data cut
// short). The decoders' pixels and results over the whole set are pinned by a fingerprint taken
// from the first, bit-at-a-time decoder, so any later speed-up must give the same bytes and the
// same verdicts on good and bad data alike. Both builds of the decoders (for any processor and
// for BMI2) are checked; the second is the first on processors without it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "graphics/fd_decoder.h"
#include "graphics/image_test_util.h"
#include "img/fd_encoder.h"

namespace rs::test {
namespace {

struct Fingerprint {
    uint64_t h = 1469598103934665603u;
    int decodedWhole = 0;
    void add(uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            h ^= (v >> (8 * i)) & 0xFF;
            h *= 1099511628211u;
        }
    }
};

// A number with a length drawn from a skewed spread: mostly short, sometimes very long.
uint64_t randomNumber(std::mt19937_64& rng) {
    int kind = static_cast<int>(rng() % 100);
    if (kind < 60) return rng() % 4;
    if (kind < 90) return rng() % 64;
    if (kind < 98) return rng() % 5000;
    return rng() >> (24 + rng() % 40);
}

// A random stream of symbols for a width x height image: predictions, literals, runs, copies and
// gradients with small or large operands, an alpha pass for depth 32. Symbols are mostly chosen
// so that what they refer to lies in the image; with `badCodes` a code that names no symbol
// comes now and then.
std::vector<uint8_t> randomStream(std::mt19937_64& rng, bool fe, int32_t depth, int32_t width,
                                  int32_t height, bool badCodes) {
    SymbolWriter w(fe);
    const int64_t total = int64_t{width} * height;
    auto in = [&](int64_t i, int64_t count = 1) { return i >= 0 && i + count <= total; };
    auto offset = [&](int k) {
        graphics::Neighbour n = fe ? graphics::kFeNeighbours[k] : graphics::kFdNeighbours[k];
        return int64_t{n.dy} * width + n.dx;
    };
    int64_t p = 0;
    while (p < total + 2) {
        if (badCodes && rng() % 400 == 0) {
            w.number(fe ? 163 + rng() % 4 : 38 + rng() % 4);
            continue;
        }
        int s = fe ? static_cast<int>(rng() % 163) : static_cast<int>(rng() % 39);
        if (!fe && s == 1) s = 0;
        // The source of a run: mostly a place just left or up, sometimes far away.
        bool far = rng() % 60 == 0;
        uint64_t sa = far ? randomNumber(rng) : rng() % 4;
        uint64_t sb = far ? randomNumber(rng) : rng() % 3;
        int64_t src =
            (sa & 1) ? p - static_cast<int64_t>((sa + 1) / 2) * width + static_cast<int64_t>(sb)
                     : p - static_cast<int64_t>(sa / 2) * width - static_cast<int64_t>(sb) - 1;
        uint64_t n = rng() % 4 == 0 ? randomNumber(rng) : rng() % 6;
        int64_t count = 1;
        bool valid = true;
        if (!fe && s >= 2 && s < 20) {
            valid = in(p + offset(s - 2));
        } else if (!fe && s >= 20) {
            count = static_cast<int64_t>(std::min<uint64_t>(n + 1, static_cast<uint64_t>(total)));
            count = std::min(count, std::max<int64_t>(total - p, 1));
            valid = in(src, count) &&
                    (s == 38 || (in(p + offset(s - 20), count) && in(src + offset(s - 20), count)));
        } else if (fe && (s == 1 || s == 2)) {
            count = s == 1 ? static_cast<int64_t>(std::min<uint64_t>(n + 2, 1u << 30)) : 1;
            count = std::min(count, std::max<int64_t>(total - p, 1));
            valid = in(src, count);
        } else if (fe && s >= 3 && s < 43) {
            int64_t o = offset(s - 3);
            valid = in(p + o) && in(src + o) && in(src) && in(p + 1 + o) && in(src + 1 + o) &&
                    in(src + 1);
            count = 1 + static_cast<int64_t>(rng() & 1);
        } else if (fe && s >= 43) {
            int64_t q = p + offset((s - 43) % 40);
            valid = in(q) &&
                    (s < 83 || (s < 123 ? in(q - 1) && in(p - 1) : in(q - width) && in(p - width)));
        }
        if (!valid && rng() % 50 != 0) s = 0;
        w.symbol(s);
        if (s == 0) {
            w.bits.bits(static_cast<uint32_t>(rng()) & 0xFFFFFF, 24);
        } else if ((!fe && s < 20) || (fe && s >= 43)) {
            for (int c = 0; c < 3; ++c) w.number(randomNumber(rng));
        } else {
            w.number(sa);
            w.number(sb);
            if (fe && s >= 3) {
                w.bits.bits(count == 2 ? 1 : 0, 1);
            } else if (!fe || s == 1) {
                w.number(n);
            }
        }
        p += s == 0 ? 1 : count;
    }
    if (depth == 32) {
        for (int64_t q = 0; q < total + 2; q += 3) {
            w.bits.bits(static_cast<uint32_t>(rng()) & 0xFF, 8);
            w.number(rng() % 5);
        }
    }
    return fdFile(fe, depth, width, height, std::move(w.bits));
}

// Fingerprints of the plain build and of the best one for this processor.
struct Fingerprints {
    Fingerprint plain;
    Fingerprint best;
};

void decodeInto(Fingerprints& f, const std::vector<uint8_t>& file) {
    for (graphics::DecodeCode code : {graphics::DecodeCode::Plain, graphics::DecodeCode::Best}) {
        Fingerprint& one = code == graphics::DecodeCode::Plain ? f.plain : f.best;
        bool ok = false;
        for (uint32_t v : decodeFile(file, &ok, code)) one.add(v);
        one.add(ok ? 1 : 0);
        one.decodedWhole += ok ? 1 : 0;
    }
}

// Decodes `file`, then damaged copies of it: single bits flipped, and the data cut short.
void decodeWithDamage(Fingerprints& f, std::mt19937_64& rng, const std::vector<uint8_t>& file) {
    decodeInto(f, file);
    const size_t data = file.size() - 16;
    if (data == 0) return;
    for (int k = 0; k < 3; ++k) {
        std::vector<uint8_t> flipped = file;
        flipped[16 + rng() % data] ^= static_cast<uint8_t>(1u << (rng() % 8));
        decodeInto(f, flipped);
    }
    std::vector<uint8_t> cut(file.begin(), file.begin() + 16 + static_cast<int64_t>(rng() % data));
    decodeInto(f, cut);
}

TEST(FdDecoderStreams, RandomSymbolStreamsDecodeAsTheBitSerialDecoderDid) {
    std::mt19937_64 rng(20);
    Fingerprints f;
    for (int n = 0; n < 1500; ++n) {
        bool fe = n % 2 == 1;
        int32_t depth = rng() % 3 == 0 ? 32 : 24;
        int32_t width = 1 + static_cast<int32_t>(rng() % 40);
        int32_t height = 1 + static_cast<int32_t>(rng() % 12);
        decodeWithDamage(f, rng, randomStream(rng, fe, depth, width, height, n % 4 == 3));
    }
    EXPECT_GT(f.plain.decodedWhole, 2000);  // the set holds good streams as well as bad ones
    EXPECT_EQ(f.plain.h, 10104610040468018919u);
    EXPECT_EQ(f.best.h, 10104610040468018919u);
}

// A picture made with integer arithmetic only: gradients, flat blocks, a repeated tile, noise
// and, with `alpha`, a soft transparent border.
graphics::Image integerPicture(std::mt19937_64& rng, int32_t width, int32_t height, bool alpha) {
    graphics::Image img;
    img.width = width;
    img.height = height;
    img.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    const uint32_t noise = static_cast<uint32_t>(rng() % 24);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            uint32_t r = static_cast<uint32_t>(x * 255 / width);
            uint32_t g = static_cast<uint32_t>(y * 255 / height);
            uint32_t b = static_cast<uint32_t>((x + y) * 3) & 0xFF;
            if ((x / 8 + y / 8) % 3 == 0) r = g = b = 0x40;  // flat blocks
            if (y >= height / 2 && x >= 6) b = static_cast<uint32_t>(((x - 6) % 6) * 40);  // tiles
            if (noise != 0) {
                r = (r + static_cast<uint32_t>(rng() % noise)) & 0xFF;
                g = (g + static_cast<uint32_t>(rng() % noise)) & 0xFF;
            }
            int32_t edge = std::min({x, y, width - 1 - x, height - 1 - y});
            uint32_t a = alpha ? static_cast<uint32_t>(std::min(255, edge * 64)) : 0xFF;
            img.pixels[static_cast<size_t>(y) * static_cast<size_t>(width) +
                       static_cast<size_t>(x)] = a << 24 | r << 16 | g << 8 | b;
        }
    }
    return img;
}

TEST(FdDecoderStreams, EncodedPicturesDecodeAsTheBitSerialDecoderDid) {
    std::mt19937_64 rng(21);
    Fingerprints f;
    for (int n = 0; n < 12; ++n) {
        int32_t width = 23 + n * 17;
        int32_t height = 11 + n * 5;
        graphics::Image opaque = integerPicture(rng, width, height, false);
        graphics::Image alpha = integerPicture(rng, width, height, true);
        for (const std::vector<uint8_t>& file :
             {tools::encodeFD(opaque, false), tools::encodeFE(opaque, false),
              tools::encodeFD(alpha, true), tools::encodeFE(alpha, true)}) {
            decodeWithDamage(f, rng, file);
        }
    }
    EXPECT_GE(f.plain.decodedWhole, 100);
    EXPECT_EQ(f.plain.h, 5665216207495071928u);
    EXPECT_EQ(f.best.h, 5665216207495071928u);
}

}  // namespace
}  // namespace rs::test
