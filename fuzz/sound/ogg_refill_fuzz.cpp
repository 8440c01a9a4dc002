// libFuzzer target: the refill of an Ogg Vorbis stream (loop points, data ends, holes) on
// arbitrary files, or on a valid file with loop points that the input changes in places.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "snd/ogg_encode.h"
#include "stream_fuzz_common.h"

namespace {

// Two seconds of two tones, with loop points.
const std::string& baseFile() {
    static const std::string file = [] {
        std::vector<float> samples(2 * 88200);
        for (size_t i = 0; i < 88200; ++i) {
            samples[2 * i] = 0.4f * static_cast<float>((i * 440 % 44100) < 22050 ? 1 : -1);
            samples[2 * i + 1] = 0.3f * static_cast<float>((i * 660 % 44100) < 22050 ? 1 : -1);
        }
        return rs::tools::encodeOggVorbis(samples, 2, 44100,
                                          {{"LOOPSTART", "3000"}, {"LOOPLENGTH", "30000"}}, 0.1f);
    }();
    return file;
}

}  // namespace

// Input: a flags byte (bits 0-2 as playStreamBytes; bit 3: the input is the file itself), then
// either the file, or edits of the built-in file: groups of 3 bytes (offset high, offset low,
// value), the offset scaled over the file.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > (1u << 22)) return 0;
    uint8_t flags = data[0];
    if (flags & 8) {
        rs::fuzz::playStreamBytes("fuzz.ogg", data + 1, size - 1, flags, 48);
        return 0;
    }
    std::string file = baseFile();
    for (size_t i = 1; i + 3 <= size; i += 3) {
        size_t offset = (static_cast<size_t>(data[i]) << 8 | data[i + 1]) * file.size() / 65536;
        file[offset] = static_cast<char>(data[i + 2]);
    }
    rs::fuzz::playStreamBytes("fuzz.ogg", reinterpret_cast<const uint8_t*>(file.data()),
                              file.size(), flags, 48);
    return 0;
}
