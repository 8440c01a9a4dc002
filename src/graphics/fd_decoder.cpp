#include "graphics/fd_decoder.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__)
#include <cpuid.h>
#endif

#include "graphics/bit_reader.h"

namespace rs::graphics {

namespace {

// The pixels being decoded. Every reference is checked against the whole image: a reference to a
// pixel not decoded yet reads 0 (the buffer is cleared first), one outside the image ends the
// decoding.
struct Canvas {
    uint32_t* px;
    int64_t total;
    int64_t width;

    bool inside(int64_t i) const { return static_cast<uint64_t>(i) < static_cast<uint64_t>(total); }
    // Every index of [first, first + count) lies in the image.
    bool insideRange(int64_t first, int64_t count) const {
        return inside(first) && first + count <= total;
    }
};

int64_t offsetOf(Neighbour n, int64_t width) { return n.dy * width + n.dx; }

// The source of a run or copy: a, then b. Odd a: (a + 1) / 2 rows up and b columns to the right;
// even a: a / 2 rows up and b + 1 columns to the left.
bool readSource(BitReader& r, int64_t p, int64_t width, int64_t& src) {
    uint64_t a = ReadNumber(r);
    uint64_t b = ReadNumber(r);
    if (r.failed()) return false;
    int64_t dy;
    int64_t dx;
    if (a & 1) {
        dy = static_cast<int64_t>((a + 1) / 2);
        dx = static_cast<int64_t>(b);
    } else {
        dy = static_cast<int64_t>(a / 2);
        dx = -static_cast<int64_t>(b) - 1;
    }
    src = p - dy * width + dx;
    return true;
}

// Three differences (red, green, blue) as one value to add: carries pass into the next byte.
inline uint32_t readDifferences(BitReader& r) {
    uint32_t dr = zigzagDifference(ReadNumber(r));
    uint32_t dg = zigzagDifference(ReadNumber(r));
    uint32_t db = zigzagDifference(ReadNumber(r));
    return dr * 0x10000u + dg * 0x100u + db;
}

// Copies pixel by pixel from the first to the last, so that a source overlapping the target
// repeats the pixels just written.
void copyRun(uint32_t* px, int64_t p, int64_t src, int64_t count) {
    if (src + count <= p || p + count <= src) {
        std::memcpy(px + p, px + src, static_cast<size_t>(count) * sizeof(uint32_t));
        return;
    }
    for (int64_t i = 0; i < count; ++i) px[p + i] = px[src + i];
}

// A run of `count` pixels that carries the source's shape on from the neighbour at offset o.
bool shapedRun(Canvas& c, int64_t p, int64_t src, int64_t o, int64_t count) {
    if (!c.insideRange(p + o, count) || !c.insideRange(src + o, count)) return false;
    uint32_t* px = c.px;
    for (int64_t i = 0; i < count; ++i) px[p + i] = px[src + i] + px[p + i + o] - px[src + i + o];
    return true;
}

[[gnu::always_inline]] inline bool fdColourPass(BitReader& reader, Canvas& c) {
    BitReader r = reader;
    int64_t off[18];
    for (int k = 0; k < 18; ++k) off[k] = offsetOf(kFdNeighbours[k], c.width);
    uint32_t* px = c.px;
    int64_t p = 0;
    while (p < c.total) {
        r.fill();
        uint64_t code = ReadNumber(r);
        if (r.failed() || code >= sizeof kFdSymbolOfCode) return false;
        unsigned s = kFdSymbolOfCode[code];
        if (s == 0) {
            uint32_t v = ReadBits24(r);
            if (r.failed()) return false;
            px[p++] = v;
        } else if (s < 20) {
            int64_t q = p + off[s - 2];
            if (!c.inside(q)) return false;
            uint32_t d = readDifferences(r);
            if (r.failed()) return false;
            px[p] = px[q] + d;
            ++p;
        } else {
            int64_t src;
            if (!readSource(r, p, c.width, src)) return false;
            uint64_t n = ReadNumber(r);
            if (r.failed()) return false;
            int64_t count =
                static_cast<int64_t>(std::min<uint64_t>(n + 1, static_cast<uint64_t>(c.total - p)));
            if (!c.insideRange(src, count)) return false;
            if (s == 38) {
                copyRun(px, p, src, count);
            } else if (!shapedRun(c, p, src, off[s - 20], count)) {
                return false;
            }
            p += count;
        }
    }
    reader = r;  // the state after a failure is never used
    return true;
}

// FE's short gradient copy: green and the red/blue pair are carried apart, alpha is 0.
inline uint32_t gradientPixel(uint32_t t, uint32_t s, uint32_t x) {
    return (((t & 0xFFFFFF00u) - (s & 0x0000FF00u) + (x & 0xFFFFFF00u)) & 0x0000FF00u) +
           (((t & 0xFFFF00FFu) - (s & 0x00FF00FFu) + (x & 0xFFFF00FFu)) & 0x00FF00FFu);
}

// The FE symbol order with two bytes before the first position, so that takeFeSymbol's moves
// can be made without branches: the order changes at an unpredictable place every symbol.
struct PaddedOrder {
    uint8_t bytes[2 + sizeof(FeOrder::symbols)];

    explicit PaddedOrder(const FeOrder& o) : bytes{} {
        std::memcpy(bytes + 2, o.symbols, sizeof o.symbols);
    }
    // takeFeSymbol(v): the bytes at positions v - 2, v - 1 and v are rewritten, each with the
    // value its case calls for (for v < 2 some of them are the padding, rewritten unchanged).
    uint8_t take(uint32_t v) {
        uint8_t* at = bytes + v;
        uint32_t b0 = at[0], b1 = at[1], taken = at[2];
        // Masks rather than conditions, which the compiler would turn back into branches.
        uint32_t two = 0u - static_cast<uint32_t>(v >= 2);
        uint32_t one = 0u - static_cast<uint32_t>(v == 1);
        at[0] = static_cast<uint8_t>(b0 ^ ((b0 ^ taken) & two));
        at[1] = static_cast<uint8_t>(b1 ^ ((b1 ^ b0) & two) ^ ((b1 ^ taken) & one));
        at[2] = static_cast<uint8_t>(taken ^ ((taken ^ b1) & (one | two)));
        return static_cast<uint8_t>(taken);
    }
};

// The three FE predictions from a neighbour q plus differences share one form:
// px[q] + ((px[p - k] - px[q - k]) & mask), with k = 0 and mask 0 for the neighbour alone, k = 1
// for the left gradient and k = width for the upper one. Each symbol's q offset, k and mask.
struct FePrediction {
    int64_t q;
    int64_t k;
    uint32_t mask;
};

[[gnu::always_inline]] inline bool feColourPass(BitReader& reader, Canvas& c) {
    BitReader r = reader;
    int64_t off[40];
    for (int k = 0; k < 40; ++k) off[k] = offsetOf(kFeNeighbours[k], c.width);
    const int64_t w = c.width;
    FePrediction predictions[120];
    for (int k = 0; k < 40; ++k) {
        predictions[k] = {off[k], 0, 0};
        predictions[40 + k] = {off[k], 1, ~0u};
        predictions[80 + k] = {off[k], w, ~0u};
    }
    PaddedOrder order(initialFeOrder());
    uint32_t* px = c.px;
    int64_t p = 0;
    while (p < c.total) {
        r.fill();
        uint64_t v = ReadNumber(r);
        if (r.failed() || v >= sizeof(FeOrder::symbols)) return false;
        unsigned s = order.take(static_cast<uint32_t>(v));
        if (s >= 43) {
            const FePrediction& f = predictions[s - 43];
            int64_t q = p + f.q;
            if (!c.inside(q) || !c.inside(q - f.k) || !c.inside(p - f.k)) return false;
            uint32_t base = px[q] + ((px[p - f.k] - px[q - f.k]) & f.mask);
            uint32_t d = readDifferences(r);
            if (r.failed()) return false;
            px[p++] = base + d;
        } else if (s == 0) {
            uint32_t lit = ReadBits24(r);
            if (r.failed()) return false;
            px[p++] = lit;
        } else if (s <= 2) {
            int64_t src;
            if (!readSource(r, p, w, src)) return false;
            int64_t count = 1;
            if (s == 1) {
                uint64_t n = ReadNumber(r);
                if (r.failed()) return false;
                count = static_cast<int64_t>(
                    std::min<uint64_t>(n + 2, static_cast<uint64_t>(c.total - p)));
            }
            if (!c.insideRange(src, count)) return false;
            copyRun(px, p, src, count);
            p += count;
        } else {
            int64_t o = off[s - 3];
            int64_t src;
            if (!readSource(r, p, w, src)) return false;
            uint32_t twice = r.bits(1);
            if (r.failed()) return false;
            int64_t count = (twice && p + 1 < c.total) ? 2 : 1;
            for (int64_t i = 0; i < count; ++i) {
                int64_t q = p + i;
                int64_t from = src + i;
                if (!c.inside(q + o) || !c.inside(from + o) || !c.inside(from)) return false;
                px[q] = gradientPixel(px[q + o], px[from + o], px[from]);
            }
            p += count;
        }
    }
    reader = r;  // the state after a failure is never used
    return true;
}

// The alpha plane: (alpha byte, count - 1) runs from the first pixel on.
[[gnu::always_inline]] inline bool alphaPass(BitReader& reader, Canvas& c) {
    BitReader r = reader;
    int64_t q = 0;
    while (q < c.total) {
        r.fill();
        uint32_t a = ReadBits8(r);
        uint64_t n = ReadNumber(r);
        if (r.failed()) return false;
        auto count =
            static_cast<int64_t>(std::min<uint64_t>(n + 1, static_cast<uint64_t>(c.total - q)));
        uint32_t top = a << 24;
        for (int64_t i = 0; i < count; ++i) c.px[q + i] |= top;
        q += count;
    }
    return true;
}

// The decoding, inlined whole into each build of it below.
[[gnu::always_inline]] inline bool decode(bool fe, int32_t width, int32_t height, int32_t depth,
                                          std::span<const uint8_t> file, std::span<uint32_t> out) {
    if (width < 0 || height < 0) return false;
    int64_t total = int64_t{width} * height;
    if (out.size() < static_cast<uint64_t>(total)) return false;
    std::fill(out.begin(), out.begin() + total, 0u);
    if (total == 0) return true;
    if (file.size() < static_cast<size_t>(kFdHeaderSize)) return false;
    BitReader r(file.data() + kFdHeaderSize, file.size() - kFdHeaderSize);
    Canvas c{out.data(), total, width};
    bool ok = fe ? feColourPass(r, c) : fdColourPass(r, c);
    // Carries of the colour sums may have reached the top byte; only the colour is kept.
    for (int64_t i = 0; i < total; ++i) c.px[i] &= 0x00FFFFFFu;
    if (ok && depth == 32) ok = alphaPass(r, c);
    return ok;
}

bool decodePlain(bool fe, int32_t width, int32_t height, int32_t depth,
                 std::span<const uint8_t> file, std::span<uint32_t> out) {
    return decode(fe, width, height, depth, file, out);
}

#if defined(__x86_64__)
// The same decoding for processors with BMI2 and LZCNT, where the shifts by a variable count and
// the count of a number's leading ones each take one instruction.
__attribute__((target("bmi,bmi2,lzcnt"))) bool decodeBmi2(bool fe, int32_t width, int32_t height,
                                                          int32_t depth,
                                                          std::span<const uint8_t> file,
                                                          std::span<uint32_t> out) {
    return decode(fe, width, height, depth, file, out);
}

bool hasBmi2() {
    static const bool yes = [] {
        unsigned a, b, c, d;
        if (!__get_cpuid_count(7, 0, &a, &b, &c, &d)) return false;
        bool bmi = (b >> 3) & 1;
        bool bmi2 = (b >> 8) & 1;
        if (!__get_cpuid(0x80000001u, &a, &b, &c, &d)) return false;
        bool lzcnt = (c >> 5) & 1;
        return bmi && bmi2 && lzcnt;
    }();
    return yes;
}
#endif

bool decodeBest(bool fe, int32_t width, int32_t height, int32_t depth,
                std::span<const uint8_t> file, std::span<uint32_t> out, DecodeCode code) {
#if defined(__x86_64__)
    if (code == DecodeCode::Best && hasBmi2())
        return decodeBmi2(fe, width, height, depth, file, out);
#endif
    (void)code;
    return decodePlain(fe, width, height, depth, file, out);
}

}  // namespace

std::optional<FdHeader> readFdHeader(std::span<const uint8_t> file) {
    if (file.size() < static_cast<size_t>(kFdHeaderSize)) return std::nullopt;
    if ((file[0] | 0x20) != 'f') return std::nullopt;
    uint8_t kind = file[1] | 0x20;
    if (kind != 'd' && kind != 'e') return std::nullopt;
    FdHeader h;
    h.fe = kind == 'e';
    h.depth = static_cast<int8_t>(file[2]);
    h.width = file[4] | (file[5] << 8);
    h.height = file[6] | (file[7] << 8);
    return h;
}

FeOrder initialFeOrder() {
    FeOrder o{};
    for (int i = 0; i < 3; ++i) o.symbols[i] = static_cast<uint8_t>(i);
    for (int i = 0; i < 40; ++i) {
        o.symbols[3 + i] = static_cast<uint8_t>(43 + i);
        o.symbols[43 + 2 * i] = static_cast<uint8_t>(83 + i);
        o.symbols[44 + 2 * i] = static_cast<uint8_t>(123 + i);
        o.symbols[123 + i] = static_cast<uint8_t>(3 + i);
    }
    return o;
}

bool DecodeFD(int32_t width, int32_t height, int32_t depth, std::span<const uint8_t> file,
              std::span<uint32_t> out, DecodeCode code) {
    return decodeBest(false, width, height, depth, file, out, code);
}

bool DecodeFE(int32_t width, int32_t height, int32_t depth, std::span<const uint8_t> file,
              std::span<uint32_t> out, DecodeCode code) {
    return decodeBest(true, width, height, depth, file, out, code);
}

}  // namespace rs::graphics
