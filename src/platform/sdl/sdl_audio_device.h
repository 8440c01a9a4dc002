// The sound output through SDL's audio devices.
#pragma once

#include <memory>

#include "platform/audio_device.h"

namespace rs::platform::sdl {

// An audio device on SDL's default output, opened at 44100 Hz 16-bit stereo (SDL converts when
// the hardware wants another format). SDL_AUDIODRIVER chooses the driver as usual ("dummy" and
// "disk" run without a sound card).
std::unique_ptr<AudioDevice> createAudioDevice();

}  // namespace rs::platform::sdl
