// Reading MIDI files: times through the tempo map, tracks merged, running status, the RIFF
// wrapper, and files that are damaged or are no MIDI files at all.
#include <gtest/gtest.h>

#include "snd/music_files.h"
#include "sound/midi_file.h"

namespace rs::test {
namespace {

using sound::MidiFileProblem;
using sound::MidiSequence;

MidiFileProblem read(const std::string& bytes, MidiSequence& out) {
    return sound::readMidiFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), out);
}

std::vector<int64_t> timesOf(const MidiSequence& s) {
    std::vector<int64_t> t;
    for (const sound::MidiEvent& e : s.events) t.push_back(e.timeUs);
    return t;
}

TEST(MidiFile, TicksBecomeMicrosecondsThroughTheTempoMapOfAllTracks) {
    // Track 0 holds the tempo map, track 1 the notes: 480 ticks a quarter, 500000 us a quarter
    // until tick 960, then twice as fast.
    tools::MidiTrack conductor = {tools::tempo(960, 250000)};
    tools::MidiTrack notes = {tools::noteOn(0, 1, 60), tools::noteOff(480, 1, 60),
                              tools::noteOn(960, 1, 62), tools::noteOff(1440, 1, 62)};
    MidiSequence s;
    ASSERT_EQ(read(tools::makeMidiFile({conductor, notes}, 480, 1920), s), MidiFileProblem::None);
    EXPECT_EQ(timesOf(s), (std::vector<int64_t>{0, 500000, 1000000, 1250000}));
    EXPECT_EQ(s.endUs, 1500000);
    EXPECT_EQ(s.events[0].status, 0x91);
    EXPECT_EQ(s.events[0].data1, 60);
    EXPECT_EQ(s.events[0].data2, 100);
    EXPECT_EQ(s.events[1].status, 0x81);
}

TEST(MidiFile, MessagesAtTheSameTimeKeepTrackThenFileOrder) {
    tools::MidiTrack a = {tools::program(0, 0, 3), tools::noteOn(100, 0, 60)};
    tools::MidiTrack b = {tools::program(0, 1, 4), tools::noteOn(100, 1, 61)};
    MidiSequence s;
    ASSERT_EQ(read(tools::makeMidiFile({a, b}), s), MidiFileProblem::None);
    ASSERT_EQ(s.events.size(), 4u);
    EXPECT_EQ(s.events[0].status, 0xC0);
    EXPECT_EQ(s.events[1].status, 0xC1);
    EXPECT_EQ(s.events[2].status, 0x90);
    EXPECT_EQ(s.events[3].status, 0x91);
}

TEST(MidiFile, RunningStatusSysexAndSmpteTime) {
    // Hand-made track: running status for three notes, an exclusive message, an unknown meta.
    std::string track =
        std::string("\x00\x90\x3C\x40", 4) + std::string("\x0A\x3E\x40", 3) +
        std::string("\x0A\x40\x00", 3) + std::string("\x00\xF0\x04\x7E\x7F\x09\xF7", 7) +
        std::string("\x00\xFF\x7F\x02\x01\x02", 6) + std::string("\x05\xFF\x2F\x00", 4);
    // SMPTE: 25 frames a second, 40 ticks a frame: one tick is 1000 us.
    std::string file = std::string("MThd\0\0\0\x06\0\0\0\x01\xE7\x28", 14) + "MTrk" +
                       std::string("\0\0\0", 3) + static_cast<char>(track.size()) + track;
    MidiSequence s;
    ASSERT_EQ(read(file, s), MidiFileProblem::None);
    EXPECT_EQ(timesOf(s), (std::vector<int64_t>{0, 10000, 20000, 20000}));
    EXPECT_EQ(s.events[1].status, 0x90);
    EXPECT_EQ(s.events[1].data1, 0x3E);
    EXPECT_EQ(s.events[2].data2, 0);
    ASSERT_EQ(s.events[3].status, 0xF0);
    EXPECT_EQ(
        std::vector<uint8_t>(s.sysex.begin() + s.events[3].sysexOffset,
                             s.sysex.begin() + s.events[3].sysexOffset + s.events[3].sysexSize),
        (std::vector<uint8_t>{0x7E, 0x7F, 0x09}));
    EXPECT_EQ(s.endUs, 25000);
}

TEST(MidiFile, ARiffMidiFileIsReadFromItsDataChunk) {
    std::string smf = tools::makeMidiFile({{tools::noteOn(0, 0, 60)}}, 480, 480);
    std::string riff = "RIFF" + std::string(4, '\0') + "RMID" + "data";
    uint32_t n = static_cast<uint32_t>(smf.size());
    riff += std::string{static_cast<char>(n), static_cast<char>(n >> 8), static_cast<char>(n >> 16),
                        static_cast<char>(n >> 24)};
    riff += smf;
    MidiSequence s;
    ASSERT_EQ(read(riff, s), MidiFileProblem::None);
    EXPECT_EQ(s.events.size(), 1u);
    EXPECT_EQ(s.endUs, 500000);
}

TEST(MidiFile, DamagedFilesAreReadAsFarAsTheyGoAndOthersRefused) {
    MidiSequence s;
    EXPECT_EQ(read("", s), MidiFileProblem::Empty);
    EXPECT_EQ(read("garbage that is no MIDI file", s), MidiFileProblem::NotMidi);
    EXPECT_EQ(read("MThd", s), MidiFileProblem::BadHeader);
    EXPECT_EQ(read(std::string("MThd\0\0\0\x06\0\0\0\x01\0\0", 14), s),
              MidiFileProblem::BadHeader);  // division 0
    EXPECT_TRUE(s.events.empty());
    EXPECT_EQ(read(std::string(sound::kMaxMidiFileBytes + 1, 'M'), s), MidiFileProblem::TooLarge);

    // Cut in the middle of a message: the messages before it stay, the end is the last time read.
    std::string whole = tools::makeMidiFile(
        {{tools::noteOn(0, 0, 60), tools::noteOff(480, 0, 60), tools::noteOn(960, 0, 62)}}, 480);
    ASSERT_EQ(read(whole.substr(0, whole.size() - 6), s), MidiFileProblem::None);
    EXPECT_EQ(timesOf(s), (std::vector<int64_t>{0, 500000}));
    EXPECT_EQ(s.endUs, 1000000);

    // A track claiming 4 GB, data bytes without a status, a delta time that never ends.
    std::string huge = std::string("MThd\0\0\0\x06\0\0\0\x01\x01\xE0", 14) +
                       "MTrk\xFF\xFF\xFF\xFF" + std::string("\x00\x90\x3C\x40\x00\x3C\x00", 7);
    ASSERT_EQ(read(huge, s), MidiFileProblem::None);
    EXPECT_EQ(s.events.size(), 2u);
    std::string noStatus =
        std::string("MThd\0\0\0\x06\0\0\0\x01\x01\xE0MTrk\0\0\0\x04\x00\x3C\x40\x00", 26);
    ASSERT_EQ(read(noStatus, s), MidiFileProblem::None);
    EXPECT_TRUE(s.events.empty());
    std::string endless =
        std::string("MThd\0\0\0\x06\0\0\0\x01\x01\xE0MTrk\0\0\0\x06\xFF\xFF\xFF\xFF\xFF\xFF", 28);
    ASSERT_EQ(read(endless, s), MidiFileProblem::None);
    EXPECT_TRUE(s.events.empty());

    // Times past a day are left out.
    std::string late = tools::makeMidiFile(
        {{tools::noteOn(0, 0, 60), tools::tempo(0, 0xFFFFFF), tools::noteOn(0x0FFFFFFF, 0, 61)}},
        1);
    ASSERT_EQ(read(late, s), MidiFileProblem::None);
    EXPECT_EQ(s.events.size(), 1u);
    EXPECT_EQ(s.endUs, sound::kMaxMidiTimeUs);
}

TEST(MidiFile, TooManyMessagesAreRefused) {
    // Two-byte messages (program changes with running status) beyond the limit.
    size_t count = sound::kMaxMidiEvents + 10;
    std::string track = std::string("\x00\xC0\x00", 3);
    track.reserve(count * 2 + 8);
    for (size_t i = 1; i < count; ++i) track += std::string("\x00\x01", 2);
    uint32_t n = static_cast<uint32_t>(track.size());
    std::string file = std::string("MThd\0\0\0\x06\0\0\0\x01\x01\xE0MTrk", 18) +
                       std::string{static_cast<char>(n >> 24), static_cast<char>(n >> 16),
                                   static_cast<char>(n >> 8), static_cast<char>(n)} +
                       track;
    MidiSequence s;
    EXPECT_EQ(read(file, s), MidiFileProblem::TooManyEvents);
    EXPECT_TRUE(s.events.empty());
}

}  // namespace
}  // namespace rs::test
