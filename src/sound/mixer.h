// The mixer: every sound the engine plays is a voice that hands out 44100 Hz 16-bit stereo frames;
// the mixer scales each voice by its own levels and by the gain of its mixer line, sums them and
// saturates the sum to 16 bits. It is what DirectSound's primary buffer did for the streams.
//
// Sources of other kinds (MIDI rendered by a synthesizer, CD tracks, a movie's sound) plug in the
// same way: implement MixerSource, add it on its line, remove it when done.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace rs::sound {

// Frames a second of the mix.
constexpr int32_t kOutputRate = 44100;

// Unity gain in the mixer's fixed point: gains are multiples of 1/65536.
constexpr int32_t kUnityGain = 65536;

// The lines a game's volume settings address: the master line scales everything, the others the
// voices added on them.
enum class MixerLine : int32_t { Master = 0, Wave = 1, Synth = 2, Cd = 3 };
constexpr int32_t kMixerLineCount = 4;

// A sound the mixer plays. `read` is called by whichever thread renders the mix (the device's,
// or the main thread on a virtual clock), never by two at once, and never after the voice was
// removed. It runs under the mixer's lock: it must not call the mixer.
class MixerSource {
  public:
    virtual ~MixerSource() = default;
    // Writes up to `frames` frames (interleaved left, right, 44100 Hz) at `out` and returns how
    // many it wrote; fewer than asked means the sound ended, and the mixer drops the voice.
    virtual int32_t read(int16_t* out, int32_t frames) = 0;
};

// The gains of one voice for the left and right side (kUnityGain = as it is).
struct VoiceLevels {
    int32_t left = kUnityGain;
    int32_t right = kUnityGain;
    bool operator==(const VoiceLevels&) const = default;
};

// The output buffer units: `volume` in hundredths of a decibel of attenuation (0 full level,
// -10000 silent; the gain is 10^(volume / 2000)), `pan` from -10000 (left) to 10000 (right): the
// far side is attenuated by |pan| hundredths of a decibel, the near side stays at the volume.
// Values outside those ranges are the caller's to refuse.
VoiceLevels levelsFor(int32_t volume, int32_t pan);

// A gain in decibel hundredths as a fixed-point factor (-10000 and below: 0).
int32_t attenuationGain(int32_t hundredthsOfDecibel);

// The volume and pan of an output buffer as a script sets them. A value outside its range is
// refused, as the sound card refused it, and the one set before stays; a new buffer starts at
// full volume in the middle.
struct BufferLevels {
    int32_t volume = 0;
    int32_t pan = 0;
    // Pan first, then volume.
    void set(int32_t newPan, int32_t newVolume);
    VoiceLevels levels() const { return levelsFor(volume, pan); }
};

class Mixer {
  public:
    using VoiceId = uint64_t;

    Mixer();

    // Starts a voice on a line; it sounds from the next frame rendered. Never returns 0.
    VoiceId add(std::shared_ptr<MixerSource> source, MixerLine line, VoiceLevels levels = {});
    // Ends a voice. When this returns its source is not being read and never will be again.
    void remove(VoiceId id);
    void setLevels(VoiceId id, VoiceLevels levels);
    // False once the voice was removed or its source ended.
    bool playing(VoiceId id) const;
    int32_t voiceCount() const;

    // The gain of a line (kUnityGain by default; 0 mutes it).
    void setLineGain(MixerLine line, int32_t gain);
    int32_t lineGain(MixerLine line) const;

    // Mixes the next `frames` frames of every voice into `out` (interleaved left, right).
    void render(int16_t* out, int32_t frames);

  private:
    struct Voice {
        VoiceId id;
        std::shared_ptr<MixerSource> source;
        MixerLine line;
        VoiceLevels levels;
    };

    mutable std::mutex mutex_;
    std::vector<Voice> voices_;
    std::array<int32_t, kMixerLineCount> lines_;
    VoiceId nextId_ = 1;
    std::vector<int32_t> sum_;
    std::vector<int16_t> scratch_;
};

}  // namespace rs::sound
