// A MIDI piece playing: a mixer source that sends the piece's messages to the synthesizer at
// their times and renders the frames between them. The sequencer's clock is the count of frames
// rendered (44.1 a millisecond), so a piece sounds the same on every run, whichever thread pulls.
//
// At the end of the piece (its last end of track) a looping piece goes on from 16 ms, as the
// sequencer replayed it from position 16 of its default time format: every note is released and
// the set-up messages before 16 ms (programs, controllers, pitch bends, exclusive messages) are
// sent again, so the repeat sounds like the first pass. A piece that does not loop ends there:
// the mixer drops its voice.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/midi_synth.h"
#include "sound/midi_file.h"
#include "sound/mixer.h"

namespace rs::sound {

// Where a looping piece starts again, in milliseconds.
constexpr int64_t kMidiLoopStartMs = 16;

class MidiPlayer final : public MixerSource {
  public:
    // The synthesizer is the player's until the voice is removed; it should be reset before.
    MidiPlayer(std::shared_ptr<platform::MidiSynth> synth,
               std::shared_ptr<const MidiSequence> piece, bool loop);

    int32_t read(int16_t* out, int32_t frames) override;

    // Frames of the piece's timeline: where the player stands, and how often it looped.
    int64_t position() const { return position_; }
    int32_t loops() const { return loops_; }

  private:
    void send(const MidiEvent& e);
    void restart();

    std::shared_ptr<platform::MidiSynth> synth_;
    std::shared_ptr<const MidiSequence> piece_;
    bool loop_;
    size_t next_ = 0;
    int64_t position_ = 0;
    int64_t endFrame_;
    int32_t loops_ = 0;
};

// The frame of the mix a time of the piece falls in.
constexpr int64_t frameOfMicroseconds(int64_t us) { return us * 441 / 10000; }

}  // namespace rs::sound
