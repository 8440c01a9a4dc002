// Standard MIDI files (".mid", formats 0, 1 and 2, also inside a RIFF "RMID" wrapper) read into
// one list of timed messages: every track merged, tick times turned into microseconds through
// the tempo map (or the SMPTE frame rate), meta events other than tempo and end of track left
// out. Damaged files are read as far as they make sense: a track that breaks off ends where it
// broke; only a file without a usable header is refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace rs::sound {

// Files larger than this are refused (game pieces are a few hundred KB at most).
constexpr size_t kMaxMidiFileBytes = 16u << 20;
// Pieces with more messages than this are refused (each costs memory while it plays).
constexpr size_t kMaxMidiEvents = 2u << 20;
// Messages later than this (24 hours) are left out, and the piece ends there at the latest.
constexpr int64_t kMaxMidiTimeUs = int64_t{24} * 3600 * 1000000;

struct MidiEvent {
    int64_t timeUs = 0;  // from the start of the piece
    // 0x80-0xEF: a channel message with its data bytes; 0xF0: a system exclusive message, whose
    // bytes (without 0xF0 and the closing 0xF7) are sysex[sysexOffset, sysexOffset + sysexSize).
    uint8_t status = 0;
    uint8_t data1 = 0;
    uint8_t data2 = 0;
    uint32_t sysexOffset = 0;
    uint32_t sysexSize = 0;

    // Note off, note on and key pressure: the messages that make sound rather than set it up.
    bool isNote() const { return status >= 0x80 && status < 0xB0; }
};

struct MidiSequence {
    // In time order; messages at the same time in track order, then file order.
    std::vector<MidiEvent> events;
    std::vector<uint8_t> sysex;
    // The end of the piece: its last end of track (or last message), in microseconds.
    int64_t endUs = 0;
};

enum class MidiFileProblem {
    None,
    Empty,          // 0 bytes
    TooLarge,       // over kMaxMidiFileBytes
    NotMidi,        // no "MThd" header (nor a RIFF "RMID" holding one)
    BadHeader,      // a header too short, or a time division of 0
    TooManyEvents,  // over kMaxMidiEvents
};

// Reads the file. On a problem `out` is left empty and the problem returned.
MidiFileProblem readMidiFile(const uint8_t* data, size_t size, MidiSequence& out);

}  // namespace rs::sound
