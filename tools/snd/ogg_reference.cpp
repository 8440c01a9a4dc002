#include "snd/ogg_reference.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstring>

namespace rs::tools {

namespace {

struct Memory {
    const std::string* bytes;
    size_t at = 0;
};

size_t readMemory(void* out, size_t size, size_t count, void* source) {
    auto* m = static_cast<Memory*>(source);
    size_t n = std::min(size * count, m->bytes->size() - m->at);
    std::memcpy(out, m->bytes->data() + m->at, n);
    m->at += n;
    return size ? n / size : 0;
}

// Opens the bytes (read from the start, not seekable).
bool open(OggVorbis_File& vf, Memory& m) {
    return ov_open_callbacks(&m, &vf, nullptr, 0,
                             ov_callbacks{readMemory, nullptr, nullptr, nullptr}) == 0;
}

}  // namespace

std::vector<std::vector<float>> vorbisfileChannels(const std::string& ogg) {
    Memory m{&ogg};
    OggVorbis_File vf;
    if (!open(vf, m)) return {};
    std::vector<std::vector<float>> out(static_cast<size_t>(ov_info(&vf, -1)->channels));
    for (;;) {
        float** pcm = nullptr;
        int section = 0;
        long n = ov_read_float(&vf, &pcm, 4096, &section);
        if (n <= 0) break;
        for (size_t c = 0; c < out.size(); ++c) out[c].insert(out[c].end(), pcm[c], pcm[c] + n);
    }
    ov_clear(&vf);
    return out;
}

int64_t vorbisfileReadAll(const std::string& ogg) {
    Memory m{&ogg};
    OggVorbis_File vf;
    if (!open(vf, m)) return 0;
    std::vector<char> pcm(32768);
    int64_t total = 0;
    int section = 0;
    for (long n;
         (n = ov_read(&vf, pcm.data(), static_cast<int>(pcm.size()), 0, 2, 1, &section)) > 0;)
        total += n;
    ov_clear(&vf);
    return total;
}

}  // namespace rs::tools
