// Movies for the tests, made by the tests with FFmpeg's encoders, and a game that plays them on a
// virtual clock with its picture and its mix looked at as the turns go.
#pragma once

#include <cstdint>
#include <string>

#include "snd/movie_files.h"
#include "sound/music_support.h"

namespace rs::test {

// Colours of the test movies.
constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;

// The standard test movie: 64 x 48 at 25 pictures a second, 10 red, 10 green, 10 blue
// pictures (1.2 s), with 1.2 s of a 1 kHz tone; or the same in AVI without sound.
tools::MovieSpec threeColours(tools::MovieKind kind = tools::MovieKind::Mpeg1, bool sound = true);

// Script lines: movie(name, x, y, width, height, volume), the status into `var`, seek and volume.
std::string moviePlay(const std::string& name, int x, int y, int width, int height, int volume = 0);
std::string movieStatusInto(int var);
// Waits in steps of 10 ms while the movie runs.
std::string waitForMovieEnd();
// Waits `ms` (a multiple of 10) in steps of 10 ms, so the test can look in between.
std::string waitSteps(int ms);
// Waits for ever (the test runs the turns it needs).
std::string waitForever();

class MovieGame : public SoundGame {
  public:
    MovieGame();
    // Writes the movie into the game folder; the test fails when it cannot.
    void movie(const std::string& name, const tools::MovieSpec& spec);
    // Loads the script after a `screen` of 320 x 240 (not run yet).
    void start(const std::string& source);
    // Runs turns until `ms` milliseconds after the script started (the engine clock).
    void runTo(int64_t ms);
    // The pixel the window shows (0xRRGGBB).
    uint32_t pixel(int32_t x, int32_t y) const;
    int64_t elapsed();
    platform::HeadlessHost& headless() { return dynamic_cast<platform::HeadlessHost&>(e.host); }

  private:
    uint32_t origin_ = 0;
};

// True when every channel of `actual` is within `tolerance` of `expected` (lossy codecs).
bool near(uint32_t actual, uint32_t expected, int tolerance = 16);

}  // namespace rs::test
