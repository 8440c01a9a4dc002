// Where the format and the samples of a WAVE file are: the engine does not walk the RIFF chunks,
// it searches the bytes for the "fmt " and "data" markers.
#pragma once

#include <cstdint>
#include <optional>

#include "sound/sound_buffer.h"

namespace rs::sound {

struct WaveLayout {
    // The format as the file gives it (the 16 bytes after the "fmt " chunk's size).
    uint16_t formatTag = 0;
    PcmFormat format;
    uint32_t bytesPerSecond = 0;
    uint16_t blockAlign = 0;
    // The samples: `pcmSize` bytes from `pcmOffset` (8 bytes after the "data" marker). A size
    // larger than what follows in the file is cut to it.
    int32_t pcmOffset = 0;
    int32_t pcmSize = 0;

    bool pcm() const { return formatTag == 1; }
};

// The format begins 8 bytes after the first "fmt " of the file, the samples 8 bytes after the
// first "data" behind the format. Nothing when a marker is missing or the file ends inside the
// format or before the samples' size.
std::optional<WaveLayout> readWaveLayout(const uint8_t* data, int32_t size);

// The length the engine reports for a WAVE file: the whole file's size x 1000 / bytes per second
// (0 for a format of 0 bytes per second).
int32_t waveDuration(int32_t fileSize, uint32_t bytesPerSecond);

}  // namespace rs::sound
