#include "data/lz.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace rs::data {

UnpackResult unpackLz(std::span<const uint8_t> packed, std::span<uint8_t> out) {
    const uint8_t* in = packed.data();
    const uint8_t* const end = in + packed.size();
    uint8_t* const start = out.data();
    uint8_t* o = start;
    uint8_t* const limit = start + out.size();
    auto stop = [&](bool ok) { return UnpackResult{static_cast<size_t>(o - start), ok}; };

    while (in < end) {
        // Eight plain bytes at once when none of them is the escape (a word test for 0xFF bytes).
        if (end - in >= 8 && limit - o >= 8) {
            uint64_t w;
            std::memcpy(&w, in, 8);
            uint64_t inverted = ~w;
            if (((inverted - 0x0101010101010101ull) & ~inverted & 0x8080808080808080ull) == 0) {
                std::memcpy(o, in, 8);
                in += 8;
                o += 8;
                continue;
            }
        }
        uint8_t b = *in;
        if (b != kLzEscape) {
            if (o == limit) return stop(false);
            *o++ = b;
            ++in;
            continue;
        }
        if (end - in < 2) return stop(false);  // an escape byte with nothing after it
        uint8_t code = in[1];
        in += 2;
        if (code == kLzEscape) {
            if (o == limit) return stop(false);
            *o++ = kLzEscape;
            continue;
        }
        size_t length = static_cast<size_t>(code & 3) + kLzMinCopy;
        size_t distance = static_cast<size_t>(code >> 2) + 1;
        if (distance > static_cast<size_t>(o - start)) return stop(false);
        if (length > static_cast<size_t>(limit - o)) return stop(false);
        // Byte by byte: with a distance shorter than the length the copy repeats what it writes.
        const uint8_t* src = o - distance;
        for (size_t k = 0; k < length; ++k) o[k] = src[k];
        o += length;
    }
    return stop(true);
}

int32_t UnpackArchiveData(const uint8_t* packed, int32_t packedSize, int32_t unpackedSize,
                          std::unique_ptr<uint8_t[]>& out) {
    out.reset();
    if (packedSize < 0 || unpackedSize < 0 || (packedSize > 0 && !packed)) return -1;
    // Every packed byte yields at most three output bytes (a 6-byte copy costs two).
    size_t capacity =
        std::min<size_t>(static_cast<size_t>(unpackedSize), static_cast<size_t>(packedSize) * 3);
    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[capacity > 0 ? capacity : 1]);
    if (!buffer) return -1;
    UnpackResult r = unpackLz(std::span<const uint8_t>(packed, static_cast<size_t>(packedSize)),
                              std::span<uint8_t>(buffer.get(), capacity));
    if (!r.ok) return -1;
    out = std::move(buffer);
    return static_cast<int32_t>(r.produced);
}

std::vector<uint8_t> packLz(std::span<const uint8_t> data) {
    const size_t n = data.size();
    // cost[i]: the fewest packed bytes that encode data[i..n). Each step is a literal or a copy,
    // and the decoder's state after a step is just the position, so the backward pass is optimal.
    std::vector<uint32_t> cost(n + 1, 0);
    std::vector<uint8_t> stepLength(n, 0);    // 0: literal; 3..6: copy
    std::vector<uint8_t> stepDistance(n, 0);  // 1..64 for copies
    for (size_t i = n; i-- > 0;) {
        uint32_t best = cost[i + 1] + (data[i] == kLzEscape ? 2u : 1u);
        uint8_t bestLength = 0;
        uint8_t bestDistance = 0;
        if (n - i >= static_cast<size_t>(kLzMinCopy) && i > 0) {
            // The nearest distance that reaches each copy length.
            uint8_t distanceFor[kLzMaxCopy + 1] = {};
            size_t maxDistance = std::min<size_t>(kLzMaxDistance, i);
            size_t room = std::min<size_t>(kLzMaxCopy, n - i);
            for (size_t d = 1; d <= maxDistance; ++d) {
                // Code 0xFF (6 bytes from 64 back) is the escaped literal, not a copy.
                size_t cap = d == static_cast<size_t>(kLzMaxDistance)
                                 ? std::min<size_t>(room, kLzMaxCopy - 1)
                                 : room;
                size_t m = 0;
                while (m < cap && data[i + m] == data[i + m - d]) ++m;
                for (size_t len = kLzMinCopy; len <= m; ++len) {
                    if (!distanceFor[len]) distanceFor[len] = static_cast<uint8_t>(d);
                }
                if (distanceFor[room]) break;  // the longest possible copy is already reachable
            }
            for (size_t len = kLzMinCopy; len <= room; ++len) {
                if (distanceFor[len] && 2 + cost[i + len] < best) {
                    best = 2 + cost[i + len];
                    bestLength = static_cast<uint8_t>(len);
                    bestDistance = distanceFor[len];
                }
            }
        }
        cost[i] = best;
        stepLength[i] = bestLength;
        stepDistance[i] = bestDistance;
    }

    std::vector<uint8_t> out;
    out.reserve(cost[0]);
    for (size_t i = 0; i < n;) {
        if (stepLength[i] == 0) {
            out.push_back(data[i]);
            if (data[i] == kLzEscape) out.push_back(kLzEscape);
            ++i;
            continue;
        }
        out.push_back(kLzEscape);
        out.push_back(
            static_cast<uint8_t>(((stepDistance[i] - 1) << 2) | (stepLength[i] - kLzMinCopy)));
        i += stepLength[i];
    }
    return out;
}

}  // namespace rs::data
