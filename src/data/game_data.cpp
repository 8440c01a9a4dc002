#include "data/game_data.h"

#include <array>
#include <new>

namespace rs::data {

namespace {

// A gap is written as extension bytes worth 254 each, then one byte of 1..254.
constexpr int32_t extensionCount(int64_t gap) {
    return gap <= 254 ? 0 : static_cast<int32_t>((gap - 255) / 254 + 1);
}
// All the bytes of a gap (>= 1): ceil(gap / 254). Without a branch, the length pass stays fast on
// data whose gaps are unpredictable.
constexpr size_t gapBytes(int64_t gap) { return static_cast<size_t>((gap + 253) / 254); }
static_assert(gapBytes(1) == 1 && gapBytes(254) == 1 && gapBytes(255) == 2 && gapBytes(508) == 2 &&
              gapBytes(509) == 3 && gapBytes(762) == 3 && gapBytes(763) == 4);

// The length word, and what every file holds besides its gaps: 256 list ends and the final byte.
constexpr size_t kHeaderSize = 4;
constexpr size_t kListsEndSize = 256 + 1;

}  // namespace

bool encodeGameData(std::span<const uint8_t> payload, std::vector<uint8_t>& out) {
    out.clear();
    if (static_cast<int64_t>(payload.size()) > kMaxGameDataPayload) return false;
    const auto n = static_cast<uint32_t>(payload.size());
    const auto mask = static_cast<uint8_t>(n & 0xFF);

    // One pass for the length of every list, so that all 256 lists can then be written in a
    // single pass over the payload, each at its own cursor. The bytes come out as if the payload
    // were scanned once per value.
    std::array<int64_t, 256> last;
    std::array<size_t, 256> length;
    last.fill(-1);
    length.fill(0);
    for (uint32_t p = 0; p < n; ++p) {
        uint8_t v = payload[p];
        length[v] += gapBytes(int64_t{p} - last[v]);
        last[v] = p;
    }
    std::array<size_t, 256> cursor;
    size_t total = kHeaderSize;
    for (int v = 0; v < 256; ++v) {
        cursor[static_cast<size_t>(v)] = total;
        total += length[static_cast<size_t>(v)] + 1;  // the list and its end byte
    }
    total += 1;
    try {
        // Every byte not written below is a list end or the final byte: 0, masked.
        out.assign(total, mask);
    } catch (const std::bad_alloc&) {
        return false;
    }

    for (int i = 0; i < 4; ++i)
        out[static_cast<size_t>(i)] = static_cast<uint8_t>((n >> (8 * i)) & 0xFF) ^ mask;
    last.fill(-1);
    uint8_t* base = out.data();
    const uint8_t extension = 0xFF ^ mask;
    for (uint32_t p = 0; p < n; ++p) {
        uint8_t v = payload[p];
        int64_t gap = int64_t{p} - last[v];
        last[v] = p;
        size_t& at = cursor[v];
        if (gap <= 254) {
            base[at++] = static_cast<uint8_t>(gap) ^ mask;
            continue;
        }
        int32_t e = extensionCount(gap);
        for (int32_t k = 0; k < e; ++k) base[at++] = extension;
        base[at++] = static_cast<uint8_t>(gap - int64_t{254} * e) ^ mask;
    }
    return true;
}

GameDataResult decodeGameData(std::span<const uint8_t> file, FileBuffer& out) {
    clearBuffer(out);
    if (file.size() < kHeaderSize) return GameDataResult::Garbled;
    const uint8_t mask = file[3];
    uint32_t n = 0;
    for (int i = 0; i < 4; ++i)
        n |= static_cast<uint32_t>(file[static_cast<size_t>(i)] ^ mask) << (8 * i);
    if (n == 0) return GameDataResult::Empty;
    // Every payload byte takes at least one byte of some list, so a file too short for its
    // header's length was never written whole: it is not decoded (and nothing that large is
    // allocated for it).
    if (static_cast<uint64_t>(n) + kHeaderSize + kListsEndSize - 1 > file.size())
        return GameDataResult::Garbled;

    std::unique_ptr<uint8_t[]> data(new (std::nothrow) uint8_t[n]());
    if (!data) return GameDataResult::NoMemory;

    const uint8_t* p = file.data() + kHeaderSize;
    const uint8_t* end = file.data() + file.size();
    for (int v = 0; v < 256; ++v) {
        int64_t position = -1;
        for (;;) {
            // A file that ends inside its lists is garbled.
            if (p == end) return GameDataResult::Garbled;
            uint8_t b = *p++ ^ mask;
            if (b == 0) break;
            if (b == 0xFF) {
                position += 254;
                continue;
            }
            position += b;
            if (position >= n) return GameDataResult::Garbled;
            data[static_cast<size_t>(position)] = static_cast<uint8_t>(v);
        }
    }
    out.data = std::move(data);
    out.size = static_cast<int32_t>(n);
    out.capacity = static_cast<int32_t>(n);
    out.position = 0;
    return GameDataResult::Ok;
}

}  // namespace rs::data
