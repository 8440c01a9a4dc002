// Sound for the tests, made by the tests: tones and noise, Ogg Vorbis encoded with libvorbisenc
// (comments set here), WAVE files; a reference decode with libvorbisfile; and a game that runs a
// script with its mix captured.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "snd/ogg_encode.h"
#include "support/test_game.h"

namespace rs::test {

// Interleaved float samples: a chirp from 200 Hz upward with a different phase on each channel,
// so every frame differs from its neighbours and from the other side.
std::vector<float> chirp(int32_t frames, int channels, int rate = 44100);

// An Ogg Vorbis file of a chirp with these comments.
std::string oggChirp(int32_t frames, const tools::SoundComments& comments = {}, int channels = 2,
                     int rate = 44100);

// The file decoded by libvorbisfile (a different reader from the engine's), each float
// converted as the engine converts at this gain: interleaved stereo (mono on both sides).
std::vector<int16_t> referenceDecode(const std::string& ogg, int32_t gain = 1);

// Frames [from, to) of interleaved stereo samples.
std::vector<int16_t> frames(const std::vector<int16_t>& samples, int64_t from, int64_t to);

// A game whose mix is captured from its start; it finds no soundfont unless a test gives one.
class SoundGame {
  public:
    SoundGame();
    TestGame game;
    Engine& e;

    // Writes a file into the game folder.
    void file(const std::string& name, const std::string& bytes) { game.dir().write(name, bytes); }
    // Runs the script (UTF-8 assembly; variables 1 to 9 are globals) to its end.
    void run(const std::string& source, int64_t maxTurns = 1000000);
    // The capture from the script's start: interleaved stereo frames (the engine is shut down
    // to finish it).
    std::vector<int16_t> capture();
    // The main thread first runs 1 ms after it was loaded: the capture's frame of its start.
    static constexpr int64_t kScriptStartFrame = 44;
    std::string lastBox(const char* caption) const;
    // The integer in global variable `number` (-99999 when it holds none).
    int32_t global(int32_t number) const;

  private:
    std::string capturePath_;
};

// Script lines: `cmd` with integer arguments (its result, if any, dropped), the same with the
// result stored in global variable `var`, `sndopen` of a name into `var`, and `wait`.
std::string call(const std::string& cmd, std::initializer_list<int> args);
std::string callInto(int var, const std::string& cmd, std::initializer_list<int> args);
std::string openInto(int var, const std::string& name, int gain = 1);
std::string waitMs(int ms);
// sndplay of the slot held in variable `var`.
std::string playVar(int var, int mode, int volume = 0, int pan = 0);
// The remaining time of the slot held in `slotVar`, into `var`.
std::string remainInto(int var, int slotVar);

// The samples of a capture file (as --audio-capture writes it) after its 44-byte header.
std::vector<int16_t> samplesOf(const std::string& wav);

}  // namespace rs::test
