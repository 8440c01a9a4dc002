// Fuzzes the unpacker with arbitrary packed bytes and sizes, and checks that packing then
// unpacking gives the input back.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "data/lz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    // The first two bytes give the unpacked size the directory would claim.
    int32_t unpackedSize = data[0] | (data[1] << 8);
    data += 2;
    size -= 2;

    std::unique_ptr<uint8_t[]> out;
    int32_t produced =
        rs::data::UnpackArchiveData(data, static_cast<int32_t>(size), unpackedSize, out);
    if (produced > unpackedSize) __builtin_trap();
    if (produced > 0 && !out) __builtin_trap();

    if (size > 0 && size <= 4096) {
        std::vector<uint8_t> input(data, data + size);
        std::vector<uint8_t> packed = rs::data::packLz(input);
        std::vector<uint8_t> back(input.size());
        rs::data::UnpackResult r = rs::data::unpackLz(packed, back);
        if (!r.ok || r.produced != input.size() ||
            std::memcmp(back.data(), input.data(), input.size()) != 0) {
            __builtin_trap();
        }
    }
    return 0;
}
