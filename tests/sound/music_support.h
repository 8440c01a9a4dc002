// Music for the tests, made by the tests: the pieces and tracks the music tests play, the script
// lines that play them, and measures of a captured mix by milliseconds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "snd/music_files.h"
#include "sound/sound_support.h"

namespace rs::test {

// Script lines: midplay, cdplay and mixvolume (result into global `var`).
std::string midiPlay(const std::string& name, int loop);
std::string cdPlay(int track, int repeat);
std::string mixVolumeInto(int var, int line, int value);

// Ticks of 1 ms: 480 ticks a quarter note at 480000 microseconds a quarter note.
constexpr uint16_t kMsDivision = 480;

// A track timed in milliseconds on channel 0 (reverb and chorus off, volume 100, program 0 at
// 0 ms): notes
// of key 69 with their on and off times, and extra messages. msPiece makes it a file whose end of
// track is at `endMs`.
tools::MidiTrack msTrack(const std::vector<std::pair<uint32_t, uint32_t>>& notes,
                         tools::MidiTrack extra = {});
std::string msPiece(const std::vector<std::pair<uint32_t, uint32_t>>& notes, uint32_t endMs,
                    tools::MidiTrack extra = {});

// The loop piece: a short note at 0-10 ms (never heard again after a loop from 16 ms), the main
// note from 16 to 200 ms, the channel volume turned to 0 at 250 ms (so only the set-up sent
// again makes the next pass sound), the end at 300 ms.
std::string loopPiece();

// The largest absolute sample of both sides in [fromMs, toMs) of a capture (ms from its start).
int32_t peak(const std::vector<int16_t>& capture, double fromMs, double toMs);
// The first frame at or after `fromMs` whose sample exceeds `threshold`, in ms; -1 when none.
double onsetMs(const std::vector<int16_t>& capture, double fromMs, int32_t threshold = 300);

// A game with a soundfont of its own ("test.sf2" in the game folder, named as --soundfont names
// it); without it, a game that finds none.
class MusicGame : public SoundGame {
  public:
    explicit MusicGame(bool withSoundfont = true);
};

// A WAVE track: `ms` milliseconds of 16-bit stereo at a constant level (left) and its negative
// (right), so each file is known by its samples.
std::string levelTrack(int16_t level, int ms);
// Interleaved stereo samples of a tone of a changing pitch (a chirp), for lossy codecs.
std::vector<int16_t> toneSamples(int frames);

}  // namespace rs::test
