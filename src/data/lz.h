// The escape-byte LZ packing of archive members.
//
// Packed bytes are read in order: a byte other than 0xFF is itself; 0xFF 0xFF is one 0xFF; 0xFF b
// (b != 0xFF) copies (b & 3) + 3 bytes from (b >> 2) + 1 bytes back in the output, one byte at a
// time, so a copy may overlap the bytes it writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace rs::data {

constexpr uint8_t kLzEscape = 0xFF;
constexpr int kLzMinCopy = 3;
constexpr int kLzMaxCopy = 6;
constexpr int kLzMaxDistance = 64;

// The outcome of unpacking into a fixed buffer.
struct UnpackResult {
    size_t produced = 0;  // output bytes written
    bool ok = true;       // false: malformed input, stopped at `produced`
};

// Unpacks `packed` into `out`. Malformed input (a lone escape byte at the end, a copy reaching
// before the start of the output, output that would not fit in `out`) stops the decoder with
// ok = false; nothing is read or written outside the two buffers.
UnpackResult unpackLz(std::span<const uint8_t> packed, std::span<uint8_t> out);

// UnpackArchiveData: allocates the output for `unpackedSize` bytes, unpacks into it and returns the
// number of bytes produced, or -1 when the packed data is malformed or memory runs out (`out` is
// then empty). A stream that ends early gives a short result. The buffer is never larger than the
// packing can fill (three output bytes per packed byte), so a bogus size cannot make it huge.
int32_t UnpackArchiveData(const uint8_t* packed, int32_t packedSize, int32_t unpackedSize,
                          std::unique_ptr<uint8_t[]>& out);

// Packs `data` as small as the format allows: an optimal parse over literals and copies.
std::vector<uint8_t> packLz(std::span<const uint8_t> data);

}  // namespace rs::data
