#include "graphics/image_test_util.h"

namespace rs::test {

std::vector<uint8_t> fdFile(bool fe, int32_t depth, int32_t width, int32_t height,
                            tools::BitWriter bits) {
    std::vector<uint8_t> file(16, 0);
    file[0] = 'F';
    file[1] = fe ? 'E' : 'D';
    file[2] = static_cast<uint8_t>(depth);
    file[4] = static_cast<uint8_t>(width);
    file[5] = static_cast<uint8_t>(width >> 8);
    file[6] = static_cast<uint8_t>(height);
    file[7] = static_cast<uint8_t>(height >> 8);
    std::vector<uint8_t> data = bits.finish();
    file.insert(file.end(), data.begin(), data.end());
    return file;
}

std::vector<uint32_t> decodeFile(const std::vector<uint8_t>& file, bool* ok,
                                 graphics::DecodeCode code) {
    auto h = graphics::readFdHeader(file);
    if (!h) return {};
    std::vector<uint32_t> out(static_cast<size_t>(h->width) * static_cast<size_t>(h->height),
                              0xDEADBEEF);
    bool r = h->fe ? graphics::DecodeFE(h->width, h->height, h->depth, file, out, code)
                   : graphics::DecodeFD(h->width, h->height, h->depth, file, out, code);
    if (ok) *ok = r;
    return out;
}

SymbolWriter::SymbolWriter(bool isFe) : fe(isFe), order(graphics::initialFeOrder()) {}

int SymbolWriter::codeOf(int s) const {
    if (fe) {
        for (int i = 0; i < 163; ++i) {
            if (order.symbols[i] == s) return i;
        }
        return -1;
    }
    for (int c = 0; c < 38; ++c) {
        if (graphics::kFdSymbolOfCode[c] == s) return c;
    }
    return -1;
}

void SymbolWriter::symbol(int s) {
    int v = codeOf(s);
    bits.number(static_cast<uint64_t>(v));
    if (fe) graphics::takeFeSymbol(order, static_cast<uint32_t>(v));
}

std::vector<uint8_t> makeBitmap(int32_t width, int32_t height, int32_t depth,
                                const std::function<uint32_t(int32_t, int32_t)>& pixel,
                                const std::vector<uint32_t>& palette) {
    int32_t rowSize = (width * depth / 8 + 3) & ~3;
    int32_t start = depth == 8 ? 1078 : 54;
    std::vector<uint8_t> b(static_cast<size_t>(start + rowSize * height), 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, static_cast<uint32_t>(b.size()));
    put32(10, static_cast<uint32_t>(start));
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    b[26] = 1;
    b[28] = static_cast<uint8_t>(depth);
    for (size_t i = 0; i < palette.size() && i < 256; ++i) put32(54 + 4 * i, palette[i]);
    for (int32_t y = 0; y < height; ++y) {
        size_t row = static_cast<size_t>(start + (height - 1 - y) * rowSize);
        for (int32_t x = 0; x < width; ++x) {
            uint32_t v = pixel(x, y);
            for (int i = 0; i < depth / 8; ++i)
                b[row + static_cast<size_t>(x * depth / 8 + i)] =
                    static_cast<uint8_t>(v >> (8 * i));
        }
    }
    return b;
}

std::string bytesToString(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace rs::test
