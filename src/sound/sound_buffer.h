// Output buffers as the streams and the script's sample buffer use them: a block of PCM bytes in
// the buffer's own format, played from a play cursor, looping (the streams' rings) or once (the
// sample buffer). The buffer is a mixer source: it converts its format to the mix's 44100 Hz
// stereo as it plays (8-bit samples widened, mono on both sides, other rates resampled by linear
// interpolation), and its owner writes into it while it plays, behind the play cursor.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "sound/mixer.h"

namespace rs::sound {

// A PCM format: channels (1 or 2), frames a second, bits a sample (8 unsigned or 16 signed).
struct PcmFormat {
    int32_t channels = 2;
    int32_t rate = kOutputRate;
    int32_t bits = 16;

    int32_t blockAlign() const { return channels * bits / 8; }
    // The byte a silent sample is made of.
    uint8_t silence() const { return bits == 8 ? 0x80 : 0x00; }
    // True for the formats a buffer can have (the range of rates a sound card takes).
    bool playable() const;
    bool operator==(const PcmFormat&) const = default;
};

class SoundBuffer final : public MixerSource {
  public:
    // A silent buffer of `bytes` bytes (whole frames) of a playable format.
    SoundBuffer(PcmFormat format, int32_t bytes, bool looping);

    const PcmFormat& format() const { return format_; }
    int32_t size() const { return static_cast<int32_t>(bytes_.size()); }
    bool looping() const { return looping_; }

    // Copies `count` bytes to byte `offset` (the writer's lock, copy and unlock in one).
    void write(int32_t offset, const uint8_t* data, int32_t count);
    // The byte offset of the frame being played.
    int32_t playCursor() const;

    int32_t read(int16_t* out, int32_t frames) override;

  private:
    int32_t sampleAt(int64_t frame, int32_t channel) const;

    mutable std::mutex mutex_;
    PcmFormat format_;
    std::vector<uint8_t> bytes_;
    bool looping_;
    int64_t frameCount_;
    // The play position in frames with 32 fraction bits, and its step per output frame.
    uint64_t position_ = 0;
    uint64_t step_;
    bool ended_ = false;
};

}  // namespace rs::sound
