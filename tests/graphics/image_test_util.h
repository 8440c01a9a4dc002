// Hand-built image files for the loader and decoder tests.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "graphics/fd_decoder.h"
#include "img/fd_encoder.h"

namespace rs::test {

// An FD or FE file: the 16-byte header and the bits written so far.
std::vector<uint8_t> fdFile(bool fe, int32_t depth, int32_t width, int32_t height,
                            tools::BitWriter bits);

// Decodes a file by its header into width * height pixels; `ok` receives the decoder's result.
std::vector<uint32_t> decodeFile(const std::vector<uint8_t>& file, bool* ok = nullptr,
                                 graphics::DecodeCode code = graphics::DecodeCode::Best);

// Writes symbols the way each format codes them: FD through its fixed code table, FE through the
// adaptive order (kept in step with the decoder).
struct SymbolWriter {
    explicit SymbolWriter(bool fe);
    void symbol(int s);
    // The position (FE) or code (FD) the symbol would be written with now.
    int codeOf(int s) const;
    void literal(uint32_t rgb) {
        symbol(0);
        bits.bits(rgb, 24);
    }
    void number(uint64_t v) { bits.number(v); }
    void signedNumber(int64_t d) {
        bits.number(d >= 0 ? static_cast<uint64_t>(2 * d) : static_cast<uint64_t>(-2 * d - 1));
    }
    // A prediction with its red, green and blue differences.
    void predict(int s, int dr, int dg, int db) {
        symbol(s);
        signedNumber(dr);
        signedNumber(dg);
        signedNumber(db);
    }

    bool fe;
    graphics::FeOrder order;
    tools::BitWriter bits;
};

// A Windows bitmap: `pixel(x, y)` gives the bytes of pixel (x, y) (top-left origin) as a
// little-endian value of depth / 8 bytes; 8-bit images take `palette` (0x00RRGGBB entries).
std::vector<uint8_t> makeBitmap(int32_t width, int32_t height, int32_t depth,
                                const std::function<uint32_t(int32_t, int32_t)>& pixel,
                                const std::vector<uint32_t>& palette = {});

std::string bytesToString(const std::vector<uint8_t>& bytes);

}  // namespace rs::test
