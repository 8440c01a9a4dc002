// The MIDI door: a software synthesizer that turns MIDI messages into 16-bit stereo frames with the
// instruments of a soundfont. It keeps no time of its own: whoever drives it sends the messages
// due before each stretch of frames and then renders that stretch, so the sound follows the
// frames rendered and is the same on every run. One synthesizer is used by one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace rs::platform {

class MidiSynth {
  public:
    virtual ~MidiSynth() = default;
    // A channel message: note off and on, key pressure, controller, program, channel pressure,
    // pitch bend (status 0x80-0xEF with its one or two data bytes; unused bytes are ignored).
    virtual void channelMessage(uint8_t status, uint8_t data1, uint8_t data2) = 0;
    // A system exclusive message, without its leading 0xF0 and trailing 0xF7.
    virtual void systemExclusive(const uint8_t* data, size_t size) = 0;
    // Every note of every channel released (their release phase still sounds).
    virtual void allNotesOff() = 0;
    // Back to the power-on state: every voice silenced, controllers, programs and effects reset.
    virtual void reset() = 0;
    // The next `frames` frames at `out`, interleaved left and right, at the synthesizer's rate.
    virtual void render(int16_t* out, int32_t frames) = 0;
};

// A FluidSynth synthesizer at `rate` frames a second with the soundfont file (SF2) loaded. Nothing,
// with the reason in plain English in `error`, when the soundfont cannot be read or is not one.
std::unique_ptr<MidiSynth> openFluidSynth(const std::string& soundfontPath, int32_t rate,
                                          std::string& error);

}  // namespace rs::platform
