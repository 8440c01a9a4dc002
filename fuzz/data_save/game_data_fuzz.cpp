// Fuzzes the game-data decoder with arbitrary files, and checks that encoding then decoding gives
// any payload back.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "data/file_buffer.h"
#include "data/game_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace rs::data;
    std::span<const uint8_t> input(data, size);
    FileBuffer decoded;
    GameDataResult r = decodeGameData(input, decoded);
    if (r == GameDataResult::Ok) {
        // What decoded is a payload of its own: it must survive a round trip.
        std::vector<uint8_t> again;
        if (!encodeGameData(decoded.bytes(), again)) __builtin_trap();
        FileBuffer back;
        if (decodeGameData(again, back) != GameDataResult::Ok || back.size != decoded.size)
            __builtin_trap();
        for (int32_t i = 0; i < back.size; ++i) {
            if (back.data[i] != decoded.data[i]) __builtin_trap();
        }
    } else if (decoded.size != 0 || decoded.data) {
        __builtin_trap();
    }

    std::vector<uint8_t> file;
    if (!encodeGameData(input, file)) __builtin_trap();
    FileBuffer back;
    GameDataResult expected = size == 0 ? GameDataResult::Empty : GameDataResult::Ok;
    if (decodeGameData(file, back) != expected || back.size != static_cast<int32_t>(size))
        __builtin_trap();
    for (size_t i = 0; i < size; ++i) {
        if (back.data[i] != data[i]) __builtin_trap();
    }
    return 0;
}
