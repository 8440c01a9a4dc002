// Writing music files for tests and benchmarks: a tiny SoundFont 2 (one preset, one instrument,
// one looped sample), standard MIDI files from a list of timed messages, and FLAC through
// libavcodec's encoder. Nothing is taken from the machine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rs::tools {

// A SoundFont 2 file with preset 0 of bank 0 (named "Test") playing one instrument over every key
// and velocity: a looped single-cycle wave of `cycle` samples at 44100 Hz, at its natural pitch
// on `rootKey` (with 100 samples and key 69 the A above middle C sounds at 441 Hz). `square`
// chooses a square wave over a sine. The volume envelope is plain: full at once, released in
// about a millisecond.
std::string makeSoundFont(bool square = false, int cycle = 100, int rootKey = 69);

// One message of a track at its tick: a channel message (2 or 3 bytes), "\xF0..." for a system
// exclusive message (the bytes after 0xF0), or "\xFF\x51..." for a meta event (type and data;
// its length is written here).
struct MidiMessage {
    uint32_t tick;
    std::string bytes;
};
using MidiTrack = std::vector<MidiMessage>;

// A standard MIDI file: format 0 for one track, else 1; `division` ticks per quarter note. Each
// track ends with an end of track at its last message's tick, or at `endTick` when later.
// Running status is used where it can be.
std::string makeMidiFile(const std::vector<MidiTrack>& tracks, uint16_t division = 480,
                         uint32_t endTick = 0);

// Message helpers.
MidiMessage noteOn(uint32_t tick, int channel, int key, int velocity = 100);
MidiMessage noteOff(uint32_t tick, int channel, int key);
MidiMessage controller(uint32_t tick, int channel, int number, int value);
MidiMessage program(uint32_t tick, int channel, int number);
// A tempo change to `usPerQuarter` microseconds a quarter note.
MidiMessage tempo(uint32_t tick, uint32_t usPerQuarter);

// Interleaved 16-bit samples encoded as a FLAC file (libavcodec's encoder, libavformat's muxer).
// Empty on failure.
std::string encodeFlac(const std::vector<int16_t>& samples, int channels, int rate);

}  // namespace rs::tools
