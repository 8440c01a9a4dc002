// Decoded float samples to the 16-bit samples of the output buffers.
#pragma once

#include <cstdint>

namespace rs::sound {

// The exact conversion (gain 1): sign(x) * min(32767, trunc(|x| * 32768)). Magnitudes below
// 2^-15 give 0, 1.0 gives 32767 and -1.0 gives -32767; a value that is not a number gives 0.
int16_t convertExact(float x);

// The conversion with an integer gain: t = trunc(x * 32767 * gain); below -32728 it gives
// -32768, above 32727 it gives 32767 (the engine's thresholds, a little inside the range).
int16_t convertWithGain(float x, int32_t gain);

// Converts `frames` frames of one or two channels into interleaved stereo 16-bit samples (`left`
// and `right` may be the same channel: a mono or multi-channel source plays its first channel
// on both sides). `gain` 1 takes the exact conversion, with the SIMD code when `simd` is set
// (same results, several samples a step); other gains the gain conversion.
void convertFrames(const float* left, const float* right, int32_t frames, int32_t gain, bool simd,
                   int16_t* out);

}  // namespace rs::sound
