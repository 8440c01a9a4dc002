// The game-data file format: every byte value's positions in the payload, listed as gaps, with
// every byte of the file masked by the low byte of the payload length.
//
//   4 bytes      payload length N, little-endian, each byte XOR K (K = N & 0xFF)
//   256 lists    for byte values 0..255 in order: the gaps between the positions holding the
//                value (the first gap counts from -1), each gap as one byte 1..254, larger gaps
//                preceded by 0xFF bytes worth 254 each; a 0 byte ends the list
//   1 byte       0 (masked: K)
//
// The reader takes K from the fourth byte of the file, which is why payloads are limited to
// 16 MiB: beyond that the fourth byte is no longer K.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "data/file_buffer.h"

namespace rs::data {

// The largest payload the format can carry.
constexpr int64_t kMaxGameDataPayload = (int64_t{1} << 24) - 1;

// The file holding `payload`. False when the payload is too large for the format or the memory
// cannot be had; `out` is then empty.
bool encodeGameData(std::span<const uint8_t> payload, std::vector<uint8_t>& out);

enum class GameDataResult {
    Ok,
    Empty,    // the header gives a payload of 0 bytes
    Garbled,  // a position beyond the payload, a file that ends early or cannot hold its payload
    NoMemory,
};

// Decodes a file into `out` (its size is the payload length, the cursor 0). Positions that no
// list names read as zero. On any result but Ok the buffer is left empty.
GameDataResult decodeGameData(std::span<const uint8_t> file, FileBuffer& out);

}  // namespace rs::data
