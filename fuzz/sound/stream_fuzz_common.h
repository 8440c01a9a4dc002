// Plays a stream made from fuzz bytes: opened as the engine opens it, then a number of ring
// blocks filled (in a loop or once, at a gain), and its ring played by the mixer.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "sound/mixer.h"
#include "sound/sound_stream.h"

namespace rs::fuzz {

// `flags`: bit 0 loop, bit 1 a gain of 3, bit 2 the SIMD conversion.
inline void playStreamBytes(const char* name, const uint8_t* bytes, size_t size, uint8_t flags,
                            int blocks) {
    sound::SoundStream s;
    s.name = name;
    auto data = std::make_unique<uint8_t[]>(size + 1);
    if (size > 0) std::memcpy(data.get(), bytes, size);
    if (sound::takeStreamData(s, std::move(data), static_cast<int32_t>(size)) != 0) return;
    if (s.type != sound::StreamType::OggVorbis && !sound::findWaveSamples(s)) return;
    std::optional<sound::PcmFormat> format = sound::ringFormat(s);
    if (!format) return;
    s.loop = flags & 1;
    s.gain = (flags & 2) ? 3 : 1;
    s.simd = flags & 4;
    s.buffer = std::make_shared<sound::SoundBuffer>(*format, sound::kRingBytes, true);
    sound::Mixer mixer;
    sound::startStreaming(s, mixer, false);
    int16_t out[2 * 4096];
    for (int i = 0; i < blocks; ++i) {
        mixer.render(out, 4096);
        sound::serviceStream(s);
    }
    sound::endStreaming(s, mixer);
}

}  // namespace rs::fuzz
