// libvorbisfile reading an Ogg Vorbis file held in memory: the reader the tests compare the
// engine's decoder with, and the one its speed is measured against.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rs::tools {

// The decoded samples, one vector per channel; empty when libvorbisfile cannot open the data.
std::vector<std::vector<float>> vorbisfileChannels(const std::string& ogg);

// ov_read of the whole file into 16-bit little-endian samples; the number of bytes it made.
int64_t vorbisfileReadAll(const std::string& ogg);

}  // namespace rs::tools
