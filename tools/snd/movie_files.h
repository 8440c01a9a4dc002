// Writing movie files for tests, benchmarks and the demo with FFmpeg's encoders and muxers:
// pictures of plain colours that change at known frames, and a steady tone as the sound.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rs::tools {

enum class MovieKind {
    Mpeg1,  // an MPEG-1 system stream: MPEG-1 video, MP2 sound
    Avi,    // AVI with MPEG-4 part 2 video (the DivX kind), MP2 sound
};

struct MovieSpec {
    MovieKind kind = MovieKind::Mpeg1;
    int32_t width = 64;
    int32_t height = 48;
    // Pictures a second (MPEG-1 takes only its standard rates: 24, 25, 30, 50, 60).
    int32_t fps = 25;
    // The colour (0xRRGGBB) of each picture, in order; as many pictures as colours. None: a
    // movie without video.
    std::vector<uint32_t> colours;
    // Milliseconds of sound: a 1 kHz sine at this peak level on both sides; 0 ms: no sound.
    int32_t soundMs = 0;
    int32_t soundLevel = 8000;
    // A key picture every this many pictures.
    int32_t keyInterval = 12;
};

// Writes the movie to the host file; false with FFmpeg's reason when it cannot.
bool writeMovie(const std::string& path, const MovieSpec& spec, std::string* error = nullptr);

// `count` pictures of one colour.
std::vector<uint32_t> plainColours(uint32_t colour, int32_t count);

}  // namespace rs::tools
