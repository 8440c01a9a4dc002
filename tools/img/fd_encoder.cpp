#include "img/fd_encoder.h"

#include <algorithm>
#include <array>

#include "graphics/fd_decoder.h"

namespace rs::tools {

void BitWriter::bits(uint32_t v, int n) {
    if (n <= 0) return;
    uint64_t mask = n >= 32 ? 0xFFFFFFFFull : ((uint64_t{1} << n) - 1);
    acc_ = (acc_ << n) | (v & mask);
    count_ += n;
    while (count_ >= 8) {
        count_ -= 8;
        bytes_.push_back(static_cast<uint8_t>(acc_ >> count_));
    }
    acc_ &= (uint64_t{1} << count_) - 1;
}

void BitWriter::number(uint64_t v) {
    uint64_t r = v + 2;
    int length = 63 - __builtin_clzll(r);
    // length - 1 ones and a zero.
    for (int left = length - 1; left > 0;) {
        int n = std::min(left, 31);
        bits((1u << n) - 1, n);
        left -= n;
    }
    bits(0, 1);
    if (length > 32) bits(static_cast<uint32_t>(r >> 32), length - 32);
    bits(static_cast<uint32_t>(r), std::min(length, 32));
}

std::vector<uint8_t> BitWriter::finish() {
    if (count_ > 0) bits(0, 8 - count_);
    return std::move(bytes_);
}

namespace {

using graphics::Image;

constexpr uint32_t kColour = 0x00FFFFFFu;
constexpr int kChainDepth = 24;
constexpr int kHashBits = 18;
// What a prediction symbol is guessed to cost before the FE order is known.
constexpr int kFeGuessedSymbolBits = 4;

// Bits of the zig-zag code of the signed byte difference d (as its low byte).
const std::array<uint8_t, 256>& byteDifferenceBits() {
    static const std::array<uint8_t, 256> table = [] {
        std::array<uint8_t, 256> t{};
        for (int i = 0; i < 256; ++i) {
            int d = static_cast<int8_t>(i);
            uint64_t v = d >= 0 ? uint64_t(2 * d) : uint64_t(-2 * d - 1);
            t[static_cast<size_t>(i)] = static_cast<uint8_t>(numberBits(v));
        }
        return t;
    }();
    return table;
}

// The differences that turn `base` into `target` (low 24 bits) as the decoder adds them: blue
// first, its carry taken into account for green, then red. The zig-zag numbers, red first.
struct Differences {
    uint32_t value[3];
};

inline uint32_t zigzagOf(uint32_t byte) {
    int d = static_cast<int8_t>(byte);
    return d >= 0 ? uint32_t(2 * d) : uint32_t(-2 * d - 1);
}

// The signed byte differences (as bytes) that turn `base` into `target` when added as one
// 32-bit sum, blue first so that each carry is accounted for in the next channel.
struct ByteDifferences {
    uint32_t r, g, b;
};

inline ByteDifferences byteDifferences(uint32_t base, uint32_t target) {
    uint32_t x = base;
    uint32_t db = (target - x) & 0xFF;
    x += static_cast<uint32_t>(static_cast<int8_t>(db));
    uint32_t dg = ((target - x) >> 8) & 0xFF;
    x += static_cast<uint32_t>(static_cast<int8_t>(dg)) << 8;
    uint32_t dr = ((target - x) >> 16) & 0xFF;
    return {dr, dg, db};
}

inline Differences differences(uint32_t base, uint32_t target) {
    ByteDifferences d = byteDifferences(base, target);
    return {{zigzagOf(d.r), zigzagOf(d.g), zigzagOf(d.b)}};
}

inline int differenceBits(uint32_t base, uint32_t target) {
    const auto& bits = byteDifferenceBits();
    ByteDifferences d = byteDifferences(base, target);
    return bits[d.b] + bits[d.g] + bits[d.r];
}

// FE's short gradient pixel, exactly as the decoder forms it.
inline uint32_t gradientPixel(uint32_t t, uint32_t s, uint32_t x) {
    return (((t & 0xFFFFFF00u) - (s & 0x0000FF00u) + (x & 0xFFFFFF00u)) & 0x0000FF00u) +
           (((t & 0xFFFF00FFu) - (s & 0x00FF00FFu) + (x & 0xFFFF00FFu)) & 0x00FF00FFu);
}

// A way to code the pixels from the current position on.
struct Choice {
    enum Kind { Literal, Predict, Run, ShapedRun, Copy, Gradient } kind = Literal;
    int symbol = 0;       // the format's symbol
    uint32_t base = 0;    // Predict: the predicted value
    int64_t src = 0;      // runs and copies
    int64_t length = 1;   // pixels covered
    int64_t bits = 0;     // cost
    int64_t benefit = 0;  // runs: estimated bits saved against pixel-by-pixel coding
};

class Encoder {
  public:
    Encoder(const Image& img, bool fe)
        : w_(img.width),
          total_(int64_t{img.width} * img.height),
          fe_(fe),
          px_(static_cast<size_t>(total_)) {
        for (int64_t i = 0; i < total_; ++i)
            px_[static_cast<size_t>(i)] = img.pixels[static_cast<size_t>(i)] & kColour;
        if (fe_) {
            for (const auto& n : graphics::kFeNeighbours) off_.push_back(int64_t{n.dy} * w_ + n.dx);
            order_ = graphics::initialFeOrder();
            for (int i = 0; i < 163; ++i) positionOf_[order_.symbols[i]] = static_cast<uint8_t>(i);
        } else {
            for (const auto& n : graphics::kFdNeighbours) off_.push_back(int64_t{n.dy} * w_ + n.dx);
            for (int c = 0; c < 38; ++c) codeOf_[graphics::kFdSymbolOfCode[c]] = c;
        }
        head_.assign(size_t{1} << kHashBits, -1);
        prev_.assign(static_cast<size_t>(total_), -1);
    }

    void encodeColour(BitWriter& out) {
        estimateCosts();
        int64_t p = 0;
        while (p < total_) {
            Choice c = bestRun(p);
            if (c.benefit <= 0) c = bestPixel(p);
            emit(out, p, c);
            for (int64_t i = 0; i < c.length; ++i) insertHash(p + i);
            p += c.length;
        }
    }

  private:
    bool valid(int64_t ref, int64_t p) const { return ref >= 0 && ref < p; }

    int symbolBits(int s) const { return numberBits(fe_ ? positionOf_[s] : codeOf_[s]); }

    // The cheapest prediction of pixel p, by the current symbol costs.
    Choice bestPixel(int64_t p) const {
        Choice best;
        best.kind = Choice::Literal;
        best.bits = symbolBits(0) + 24;
        const uint32_t target = px_[static_cast<size_t>(p)];
        auto consider = [&](int symbol, uint32_t base) {
            int64_t bits = symbolBits(symbol) + differenceBits(base, target);
            if (bits < best.bits) {
                best.kind = Choice::Predict;
                best.symbol = symbol;
                best.base = base;
                best.bits = bits;
            }
        };
        forEachPrediction(p, consider);
        return best;
    }

    // Calls f(symbol, base) for every prediction of pixel p whose references are decoded.
    template <typename F>
    void forEachPrediction(int64_t p, F f) const {
        const uint32_t* px = px_.data();
        if (!fe_) {
            for (int k = 0; k < 18; ++k) {
                int64_t q = p + off_[static_cast<size_t>(k)];
                if (valid(q, p)) f(2 + k, px[q]);
            }
            return;
        }
        for (int k = 0; k < 40; ++k) {
            int64_t q = p + off_[static_cast<size_t>(k)];
            if (!valid(q, p)) continue;
            uint32_t t = px[q];
            f(43 + k, t);
            if (valid(q - 1, p) && p >= 1) f(83 + k, px[p - 1] - px[q - 1] + t);
            if (valid(q - w_, p) && p >= w_) f(123 + k, px[p - w_] - px[q - w_] + t);
        }
    }

    // Estimated bits of each pixel coded on its own, summed from the first pixel.
    void estimateCosts() {
        prefix_.assign(static_cast<size_t>(total_) + 1, 0);
        for (int64_t p = 0; p < total_; ++p) {
            int64_t best;
            if (fe_) {
                best = kFeGuessedSymbolBits + 24;
                const uint32_t target = px_[static_cast<size_t>(p)];
                forEachPrediction(p, [&](int, uint32_t base) {
                    best = std::min<int64_t>(best,
                                             kFeGuessedSymbolBits + differenceBits(base, target));
                });
            } else {
                best = bestPixel(p).bits;
            }
            prefix_[static_cast<size_t>(p) + 1] = prefix_[static_cast<size_t>(p)] + best;
        }
    }

    int64_t pixelBits(int64_t p, int64_t n) const {
        return prefix_[static_cast<size_t>(p + n)] - prefix_[static_cast<size_t>(p)];
    }

    // The a and b numbers that name `src` from p, and their bits.
    void sourceNumbers(int64_t p, int64_t src, uint64_t& a, uint64_t& b) const {
        int64_t dy = p / w_ - src / w_;
        int64_t dx = src % w_ - p % w_;
        if (dx >= 0) {
            a = static_cast<uint64_t>(2 * dy - 1);
            b = static_cast<uint64_t>(dx);
        } else {
            a = static_cast<uint64_t>(2 * dy);
            b = static_cast<uint64_t>(-dx - 1);
        }
    }
    int sourceBits(int64_t p, int64_t src) const {
        uint64_t a, b;
        sourceNumbers(p, src, a, b);
        return numberBits(a) + numberBits(b);
    }

    uint32_t hashAt(int64_t p) const {
        const uint32_t* px = px_.data();
        uint64_t h =
            px[p] * 0x9E3779B1ull ^ (px[p + 1] * 0x85EBCA77ull) ^ (px[p + 2] * 0xC2B2AE3Dull << 7);
        return static_cast<uint32_t>((h ^ (h >> 29)) & ((1u << kHashBits) - 1));
    }

    void insertHash(int64_t p) {
        if (p + 2 >= total_) return;
        uint32_t h = hashAt(p);
        prev_[static_cast<size_t>(p)] = head_[h];
        head_[h] = p;
    }

    int64_t plainLength(int64_t src, int64_t p, int64_t limit) const {
        const uint32_t* px = px_.data();
        int64_t n = 0;
        while (n < limit && px[src + n] == px[p + n]) ++n;
        return n;
    }

    int64_t shapedLength(int64_t src, int64_t p, int64_t o, int64_t limit) const {
        const uint32_t* px = px_.data();
        int64_t n = 0;
        while (n < limit &&
               ((px[src + n] + px[p + n + o] - px[src + n + o]) & kColour) == px[p + n])
            ++n;
        return n;
    }

    void keepIfBetter(Choice& best, const Choice& c) const {
        if (c.benefit > best.benefit) best = c;
    }

    // The most profitable run starting at p (benefit 0 when none pays).
    Choice bestRun(int64_t p) const {
        Choice best;
        best.benefit = 0;
        const int64_t limit = total_ - p;
        const int64_t minimum = fe_ ? 2 : 1;
        const int runSymbol = fe_ ? 1 : 38;
        std::array<int64_t, 5> fixed = {p - 1, p - w_, p - w_ + 1, p - w_ - 1, p - 2 * w_};
        auto plainRun = [&](int64_t src) {
            if (!valid(src, p)) return;
            int64_t n = plainLength(src, p, limit);
            if (fe_ && n == 1) {
                Choice c{Choice::Copy, 2, 0, src, 1, symbolBits(2) + sourceBits(p, src)};
                c.benefit = pixelBits(p, 1) - c.bits;
                keepIfBetter(best, c);
                return;
            }
            if (n < minimum) return;
            Choice c{
                Choice::Run,
                runSymbol,
                0,
                src,
                n,
                symbolBits(runSymbol) + sourceBits(p, src) + numberBits(uint64_t(n - minimum))};
            c.benefit = pixelBits(p, n) - c.bits;
            keepIfBetter(best, c);
        };
        for (int64_t src : fixed) plainRun(src);
        if (p + 2 < total_) {
            int depth = 0;
            for (int64_t src = head_[hashAt(p)]; src >= 0 && depth < kChainDepth;
                 src = prev_[static_cast<size_t>(src)], ++depth) {
                plainRun(src);
            }
        }
        // Runs and copies shaped by a near neighbour: they continue gradients.
        for (int k = 0; k < 4; ++k) {
            int64_t o = off_[static_cast<size_t>(k)];
            if (o >= 0) continue;
            for (int64_t src : fixed) {
                if (!valid(src, p) || !valid(src + o, p) || !valid(p + o, p)) continue;
                if (fe_) {
                    considerGradient(best, p, src, k, o);
                    continue;
                }
                int64_t n = shapedLength(src, p, o, limit);
                if (n < 1) continue;
                Choice c{Choice::ShapedRun,
                         20 + k,
                         0,
                         src,
                         n,
                         symbolBits(20 + k) + sourceBits(p, src) + numberBits(uint64_t(n - 1))};
                c.benefit = pixelBits(p, n) - c.bits;
                keepIfBetter(best, c);
            }
        }
        return best;
    }

    // FE's one- or two-pixel gradient copy from src shaped by neighbour k.
    void considerGradient(Choice& best, int64_t p, int64_t src, int k, int64_t o) const {
        const uint32_t* px = px_.data();
        if (gradientPixel(px[p + o], px[src + o], px[src]) != px[p]) return;
        int64_t n = 1;
        if (p + 1 < total_ && src + 1 + o >= 0 &&
            gradientPixel(px[p + 1 + o], px[src + 1 + o], px[src + 1]) == px[p + 1]) {
            n = 2;
        }
        Choice c{Choice::Gradient, 3 + k, 0, src, n, symbolBits(3 + k) + sourceBits(p, src) + 1};
        c.benefit = pixelBits(p, n) - c.bits;
        keepIfBetter(best, c);
    }

    void emitSymbol(BitWriter& out, int s) {
        if (!fe_) {
            out.number(static_cast<uint64_t>(codeOf_[s]));
            return;
        }
        uint32_t v = positionOf_[s];
        out.number(v);
        graphics::takeFeSymbol(order_, v);
        for (uint32_t i = v >= 2 ? v - 2 : 0; i <= v; ++i)
            positionOf_[order_.symbols[i]] = static_cast<uint8_t>(i);
    }

    void emit(BitWriter& out, int64_t p, const Choice& c) {
        switch (c.kind) {
            case Choice::Literal:
                emitSymbol(out, 0);
                out.bits(px_[static_cast<size_t>(p)], 24);
                return;
            case Choice::Predict: {
                emitSymbol(out, c.symbol);
                Differences d = differences(c.base, px_[static_cast<size_t>(p)]);
                for (uint32_t v : d.value) out.number(v);
                return;
            }
            default: break;
        }
        emitSymbol(out, c.symbol);
        uint64_t a, b;
        sourceNumbers(p, c.src, a, b);
        out.number(a);
        out.number(b);
        if (c.kind == Choice::Run) out.number(static_cast<uint64_t>(c.length - (fe_ ? 2 : 1)));
        if (c.kind == Choice::ShapedRun) out.number(static_cast<uint64_t>(c.length - 1));
        if (c.kind == Choice::Gradient) out.bits(c.length == 2 ? 1 : 0, 1);
    }

    int64_t w_;
    int64_t total_;
    bool fe_;
    std::vector<uint32_t> px_;
    std::vector<int64_t> off_;
    std::vector<int64_t> prefix_;
    std::vector<int64_t> head_;
    std::vector<int64_t> prev_;
    int codeOf_[163] = {};  // FD symbols go up to 38; sized like the FE table
    graphics::FeOrder order_{};
    uint8_t positionOf_[163] = {};
};

void encodeAlpha(BitWriter& out, const Image& img) {
    const auto& px = img.pixels;
    size_t i = 0;
    while (i < px.size()) {
        uint32_t a = px[i] >> 24;
        size_t n = 1;
        while (i + n < px.size() && (px[i + n] >> 24) == a) ++n;
        out.bits(a, 8);
        out.number(n - 1);
        i += n;
    }
}

std::vector<uint8_t> encode(const Image& img, bool withAlpha, bool fe) {
    if (img.width < 0 || img.height < 0 || img.width > 0xFFFF || img.height > 0xFFFF) return {};
    if (img.pixels.size() != static_cast<size_t>(img.width) * static_cast<size_t>(img.height))
        return {};
    BitWriter out;
    Encoder(img, fe).encodeColour(out);
    if (withAlpha) encodeAlpha(out, img);
    std::vector<uint8_t> data = out.finish();
    std::vector<uint8_t> file(16, 0);
    file[0] = 'F';
    file[1] = fe ? 'E' : 'D';
    file[2] = withAlpha ? 32 : 24;
    file[4] = static_cast<uint8_t>(img.width);
    file[5] = static_cast<uint8_t>(img.width >> 8);
    file[6] = static_cast<uint8_t>(img.height);
    file[7] = static_cast<uint8_t>(img.height >> 8);
    file.insert(file.end(), data.begin(), data.end());
    return file;
}

}  // namespace

std::vector<uint8_t> encodeFD(const Image& image, bool withAlpha) {
    return encode(image, withAlpha, false);
}
std::vector<uint8_t> encodeFE(const Image& image, bool withAlpha) {
    return encode(image, withAlpha, true);
}

}  // namespace rs::tools
