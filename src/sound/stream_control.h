// Opening, playing, stopping and closing streams for the script commands.
#pragma once

#include <cstdint>
#include <string_view>

#include "sound/sound_stream.h"

namespace rs {
class Engine;
}

namespace rs::sound {

// openStream: a new stream on the named resource (loose file or archive member) with the gain of
// its sample conversion. A missing resource leaves it without data (silent); Ogg Vorbis data
// that does not decode shows "Oggデータに異常がありました" with the name and code and leaves it
// without data too.
void openStream(Engine& e, SoundStream& s, std::string_view name, int32_t gain);

// playStream: mode 0 once, 1 in a loop, 2 only the pan and volume of a playing stream. Opens the
// device on the first request. A stream that plays already is stopped first; a replay after a
// stop continues where the decoder or the copy stood.
void playStream(Engine& e, SoundStream& s, int32_t mode, int32_t pan, int32_t volume,
                uint32_t priority);

// stopStream: output, streaming thread and ring end; data and decoder stay.
void stopStream(Engine& e, SoundStream& s);

// closeStream: stopped, decoder cleared and data freed.
void closeStream(Engine& e, SoundStream& s);

// The remaining time in ms: the duration before the first play (-1 while unknown), else
// start + duration - now, and 0 once that is negative. A loop is not counted.
int32_t remainingTime(Engine& e, const SoundStream& s);

}  // namespace rs::sound
