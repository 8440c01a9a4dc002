// The demo game's sound, synthesised: a short tune with an intro and a looping part, and a chime.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rs::tools {

struct DemoTune {
    std::vector<float> samples;  // interleaved stereo, 44100 Hz
    int32_t loopStart = 0;       // sample frames
    int32_t loopLength = 0;
};

// Half a bar of intro, then two bars that loop (150 beats a minute): 4 seconds.
DemoTune demoTune();
// The tune as Ogg Vorbis with its LOOPSTART and LOOPLENGTH comments.
std::string demoMusicFile();
// A chime of 0.4 seconds as a 22050 Hz mono 16-bit WAVE file.
std::string demoEffectFile();

}  // namespace rs::tools
