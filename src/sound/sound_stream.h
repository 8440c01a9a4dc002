// SoundStream: one WAVE or Ogg Vorbis file held whole in memory, played through a ring of 16
// blocks of 32 KB that is refilled block by block as the mixer plays it: each block is filled
// again right after the play cursor has left it, so about 2.8 s of decoded sound (at 44100 Hz
// stereo) is always waiting in the ring. On a real clock a streaming thread of the stream polls
// the cursor; on a virtual clock the engine refills in step with its mix.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "sound/mixer.h"
#include "sound/ogg_decoder.h"
#include "sound/sound_buffer.h"

namespace rs::sound {

constexpr int32_t kBlockBytes = 32768;
constexpr int32_t kBlockCount = 16;
constexpr int32_t kRingBytes = kBlockBytes * kBlockCount;

enum class StreamType : int32_t {
    Wave = 0,             // PCM samples copied as they are
    UnsupportedWave = 1,  // a WAVE whose format is not PCM: its ring stays silent
    OggVorbis = 2,
};

// The open failure of Ogg Vorbis data whose headers parse but that has no audio packet.
constexpr int32_t kOggNoAudio = -9;

struct SoundStream {
    std::unique_ptr<uint8_t[]> data;  // the whole file; none when it could not be loaded
    int32_t size = 0;
    std::shared_ptr<SoundBuffer> buffer;  // the ring while playing
    Mixer::VoiceId voice = 0;             // the ring's voice in the mixer while playing
    int32_t startTime = -1;               // engine time of the play request; -1 before
    int32_t duration = -1;                // ms; -1 until known
    uint32_t priority = 0;
    int32_t readPos = 0;  // WAVE: the next byte of the samples to copy
    StreamType type = StreamType::Wave;
    std::string name;
    // WAVE: where the samples are, and their format.
    int32_t pcmOffset = 0;
    int32_t pcmSize = 0;
    PcmFormat waveFormat;

    std::thread thread;  // the streaming thread (real clock only)
    std::atomic<bool> running{false};
    int32_t fillCursor = 0;  // byte offset in the ring of the next block to refill
    std::unique_ptr<OggDecoder> decoder;
    bool loop = false;
    int32_t gain = 1;
    int32_t lastBlock = -1;  // the block filled last; -1 none
    bool simd = false;       // the exact conversion may take the SIMD code
    // The ring's volume and pan as the script set them.
    BufferLevels levels;
    SoundLog log;
    // Where a block is made before it is copied into the ring.
    std::unique_ptr<int16_t[]> staging;

    // Wakes the streaming thread when it is to end.
    std::mutex wakeMutex;
    std::condition_variable wake;

    bool hasData() const { return data != nullptr; }
};

// The type rule: Ogg Vorbis when the name holds ".ogg" anywhere (letter case counts).
StreamType streamTypeFor(std::string_view name);

// Takes the loaded file: the type from the name and, for Ogg Vorbis, the headers parsed and the
// decoder primed (`duration` known). 0, or the negative code of the failure (OggHeaderCode or
// kOggNoAudio); the stream then keeps no data.
int32_t takeStreamData(SoundStream& s, std::unique_ptr<uint8_t[]> data, int32_t size);

// The format and samples of a WAVE stream; false (and the stream not playable) when the file has
// no "fmt " or "data". Sets `duration` from the format.
bool findWaveSamples(SoundStream& s);

// The format of the stream's ring: the output format for Ogg Vorbis, the file's for WAVE (an
// unsupported WAVE gets a playable format near its own: its ring stays silent). Nothing for a
// PCM format no sound card plays.
std::optional<PcmFormat> ringFormat(const SoundStream& s);

// The next block of the ring as the stream makes it (32768 bytes): WAVE samples copied from the
// read position (wrapping with `loop`, else silence after the end); Ogg Vorbis decoded. False
// for an unsupported WAVE, whose blocks are left as they are.
bool produceBlock(SoundStream& s, uint8_t* block);

// fillBlock: the block of that index of the ring, unless it is the one filled last.
void fillBlock(SoundStream& s, int32_t index);

// The refill rule: while the play cursor is outside the block at `fillCursor`, that block is
// filled and `fillCursor` moves on by one block, wrapping at the ring's end.
void serviceStream(SoundStream& s);

// Starts the ring playing: block 0 filled, the voice added to the mixer at the stream's levels,
// blocks 1 to 15 filled and the refill cursor at 0. With `threaded` the rest after block 0
// happens on the stream's new streaming thread, which then polls the play cursor every 100 ms.
void startStreaming(SoundStream& s, Mixer& mixer, bool threaded);

// Ends the streaming thread (it finishes the block it is filling), the voice and the ring.
void endStreaming(SoundStream& s, Mixer& mixer);

}  // namespace rs::sound
