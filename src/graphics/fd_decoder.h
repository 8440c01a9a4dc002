// Decoders of the engine's own lossless image formats FD and FE.
//
// A file starts with a 16-byte header: "F", then "D" or "E" (either case), a signed depth byte
// (32: the image carries an alpha plane), a reserved byte, the width and height as little-endian
// 16-bit values, and 8 reserved bytes. The bit stream follows. Every pixel is a literal colour, a
// neighbour's colour plus small per-channel differences, or part of a run copied from an earlier
// place; an alpha pass of (alpha, count) runs follows for 32-bit images.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace rs::graphics {

constexpr int32_t kFdHeaderSize = 16;

struct FdHeader {
    bool fe = false;  // "FE" rather than "FD"
    int32_t depth = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// The header of an FD or FE file; nullopt for another signature or a file shorter than it.
std::optional<FdHeader> readFdHeader(std::span<const uint8_t> file);

// DecodeFD, DecodeFE: decode `file` (header included) into `out`, which must hold at least
// width * height pixels; rows top to bottom, 0xAARRGGBB. The alpha byte is the alpha pass's for
// depth 32 and 0 otherwise.
//
// Decoding stops at the end of the data or of the image. A number that names no symbol, or a
// prediction or run that refers outside the image, ends it as well; every pixel not decoded by
// then is 0. The decoders never read or write outside `file` and the first width * height pixels
// of `out`. The result is true when every pixel (and the alpha pass) was decoded.
//
// Both come in two builds from the same code: one for any x86-64 processor and one for those
// with BMI2 and LZCNT, taken when the processor has them. `DecodeCode::Plain` forces the first
// (the tests compare the two).
enum class DecodeCode { Best, Plain };
bool DecodeFD(int32_t width, int32_t height, int32_t depth, std::span<const uint8_t> file,
              std::span<uint32_t> out, DecodeCode code = DecodeCode::Best);
bool DecodeFE(int32_t width, int32_t height, int32_t depth, std::span<const uint8_t> file,
              std::span<uint32_t> out, DecodeCode code = DecodeCode::Best);

// The neighbour tables: (dx, dy) of each neighbour index.
struct Neighbour {
    int8_t dx;
    int8_t dy;
};
inline constexpr Neighbour kFdNeighbours[18] = {
    {-1, 0}, {0, -1}, {1, -1}, {-1, -1}, {0, -2}, {-2, 0}, {0, -3}, {-3, 0}, {0, -4},
    {-4, 0}, {0, -5}, {-5, 0}, {0, -6},  {-6, 0}, {0, -7}, {-7, 0}, {0, -8}, {-8, 0},
};
inline constexpr Neighbour kFeNeighbours[40] = {
    {-1, 0},  {0, -1},  {1, -1},  {-1, -1}, {-2, 0},  {-2, -1}, {-2, -2}, {-1, -2},
    {0, -2},  {1, -2},  {2, -2},  {2, -1},  {-3, 0},  {-3, -1}, {-3, -2}, {-3, -3},
    {-2, -3}, {-1, -3}, {0, -3},  {1, -3},  {2, -3},  {3, -3},  {3, -2},  {3, -1},
    {-4, 0},  {-4, -1}, {-4, -2}, {-4, -3}, {-4, -4}, {-3, -4}, {-2, -4}, {-1, -4},
    {0, -4},  {1, -4},  {2, -4},  {3, -4},  {4, -4},  {4, -3},  {4, -2},  {4, -1},
};

// FD: the symbol of each decoded code (codes 38 and above name none). Symbol 0 is a literal,
// 2..19 a prediction from neighbour s - 2, 20..37 a run shaped by neighbour s - 20, 38 a plain
// run.
inline constexpr uint8_t kFdSymbolOfCode[38] = {
    2,  38, 0,  3,  4,  5,  20, 22, 21, 23, 6,  7,  8,  9,  10, 11, 24, 25, 26,
    27, 28, 29, 12, 13, 14, 15, 16, 17, 18, 19, 30, 31, 32, 33, 34, 35, 36, 37,
};

// FE: the symbol order every image starts with (position -> symbol), 163 symbols.
struct FeOrder {
    uint8_t symbols[163];
};
FeOrder initialFeOrder();
// Takes the symbol at position v and moves it two places toward the front (v = 1 swaps the first
// two; v = 0 changes nothing). Returns the symbol.
inline uint8_t takeFeSymbol(FeOrder& order, uint32_t v) {
    uint8_t* s = order.symbols;
    uint8_t taken = s[v];
    if (v == 1) {
        s[1] = s[0];
        s[0] = taken;
    } else if (v >= 2) {
        s[v] = s[v - 1];
        s[v - 1] = s[v - 2];
        s[v - 2] = taken;
    }
    return taken;
}

// The signed difference of a decoded number: 0, -1, +1, -2, +2, ... as a 32-bit two's
// complement value. (For odd v, ~(v >> 1) is -((v + 1) / 2); no branch on the sign, which is
// unpredictable in a picture's differences.)
inline uint32_t zigzagDifference(uint64_t v) {
    return static_cast<uint32_t>(v >> 1) ^ (0u - static_cast<uint32_t>(v & 1));
}

}  // namespace rs::graphics
