// libFuzzer target: the refill of an Ogg Vorbis stream (loop jumps and skips, data ends, holes)
// on arbitrary files, or on small files made here with the loop comments and damage the input
// asks for. (Comments cannot be reached by changing a file's bytes: the page checksums break.)
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "snd/ogg_encode.h"
#include "stream_fuzz_common.h"

namespace {

// A file of `frames` frames of two tones (one or two channels), with these comments.
std::string makeFile(int32_t frames, int channels, int rate, const rs::tools::SoundComments& c) {
    std::vector<float> samples(static_cast<size_t>(frames) * static_cast<size_t>(channels));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = 0.3f * static_cast<float>((i * 7 % 200) < 100 ? 1 : -1);
    return rs::tools::encodeOggVorbis(samples, channels, rate, c, 0.0f);
}

std::string number(const uint8_t* p) {
    return std::to_string(static_cast<int32_t>(p[0] << 8 | p[1]) - 2000);
}

}  // namespace

// Input: a flags byte (bits 0-2 as playStreamBytes; bit 3: the rest is the file itself). Else:
// length (1 byte, x 400 frames), loop start, loop end and loop length (2 bytes each, minus 2000;
// bits 4-6 of the flags say which are written), then damage: groups of 3 bytes (offset high,
// offset low, value) applied behind the headers.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > (1u << 22)) return 0;
    uint8_t flags = data[0];
    if (flags & 8) {
        rs::fuzz::playStreamBytes("fuzz.ogg", data + 1, size - 1, flags, 24);
        return 0;
    }
    if (size < 8) return 0;
    rs::tools::SoundComments comments;
    if (flags & 16) comments.push_back({"LOOPSTART", number(data + 2)});
    if (flags & 32) comments.push_back({"LOOPEND", number(data + 4)});
    if (flags & 64) comments.push_back({"LOOPLENGTH", number(data + 6)});
    int32_t frames = data[1] * 400;
    std::string file =
        makeFile(frames, (flags & 128) ? 1 : 2, (data[1] & 1) ? 22050 : 44100, comments);
    size_t headers = file.size() > 8 ? file.find("OggS", file.find("OggS", 1) + 1) : 0;
    if (headers == std::string::npos) headers = file.size();
    for (size_t i = 8; i + 3 <= size && headers < file.size(); i += 3) {
        size_t offset = headers + (static_cast<size_t>(data[i]) << 8 | data[i + 1]) *
                                      (file.size() - headers) / 65536;
        file[offset] = static_cast<char>(data[i + 2]);
    }
    rs::fuzz::playStreamBytes("fuzz.ogg", reinterpret_cast<const uint8_t*>(file.data()),
                              file.size(), flags, 24);
    return 0;
}
