// Writing sound files: Ogg Vorbis through libvorbisenc, and PCM WAVE. Tests, benchmarks and the
// demo's build make their sound with these; nothing is taken from elsewhere.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace rs::tools {

using SoundComments = std::vector<std::pair<std::string, std::string>>;

// Encodes interleaved float samples (-1 to 1) as Ogg Vorbis at the given quality (-0.1 to 1),
// with the comments given (in order) and a fixed stream serial number, so the same input always
// gives the same bytes. Empty on failure.
std::string encodeOggVorbis(const std::vector<float>& interleaved, int channels, int rate,
                            const SoundComments& comments = {}, float quality = 0.4f);

// A WAVE file: the "fmt " chunk (format tag, channels, rate, bits; the byte rate and block
// alignment computed) and a "data" chunk holding `data`.
std::string makeWave(int formatTag, int channels, int rate, int bits, const std::string& data);
// 16-bit PCM samples (interleaved) as a WAVE file.
std::string makeWave16(const std::vector<int16_t>& samples, int channels, int rate);

}  // namespace rs::tools
