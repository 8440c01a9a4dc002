// Movie playback: at most one movie, decoded by FFmpeg on a worker thread (shell/movie_player.h)
// and shown over the game picture at the movie rectangle, its sound played in the mixer.
//
// The movie's time runs with the engine clock from the moment it starts (or is sought), so on a
// virtual clock the picture shown at an engine time and the sound captured are always the same.
// While a movie plays the window's size and full-screen requests are ignored, the presentation
// leaves the movie rectangle alone (and does nothing when the movie is centred), and every turn
// shows the picture due.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/presenter.h"
#include "platform/view_transform.h"
#include "sound/mixer.h"

namespace rs {
class Engine;
}

namespace rs::shell {

class MoviePlayer;

// MovieStatus while a movie runs, and after its end or without one.
constexpr int32_t kMovieRunning = 1;
constexpr int32_t kMovieNotRunning = -1;
// While a movie runs the main loop turns at least this often (milliseconds), whatever the
// scripts wait for, so its pictures are shown on time.
constexpr int32_t kMovieTurnMs = 5;

struct MovieState {
    MovieState();
    ~MovieState();

    std::unique_ptr<MoviePlayer> player;
    // The movie rectangle as the script gave it.
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    // Where the pictures go on the game screen (the rectangle, or the native size centred), and
    // the part of it on the screen.
    platform::PixelRect placed;
    platform::PixelRect visible;
    // The sound's voice (0 none) and its volume in hundredths of a decibel.
    sound::Mixer* mixer = nullptr;
    sound::Mixer::VoiceId voice = 0;
    int32_t volume = 0;
    // The movie's clock: the engine time it (re)started at and the position then, and the stop
    // position (-1 the end), in microseconds.
    uint32_t startTime = 0;
    int64_t startUs = 0;
    int64_t stopUs = -1;
    bool finished = false;
    // The picture shown last, shown again when the window is painted.
    std::optional<platform::Picture> current;
    std::string path;
};

// MoviePlay: plays the movie file at the host path over the game picture: x < 0 centres it at
// its own size, otherwise it is scaled into the rectangle. A movie playing already ends first.
// A file that cannot be opened or decoded plays nothing (logged with FFmpeg's reason).
void moviePlay(Engine& e, const std::string& hostPath, int32_t x, int32_t y, int32_t width,
               int32_t height, int32_t volume);
// PlaceMovie: shows the current picture again (after the window was painted).
void placeMovie(Engine& e);
// MovieSeek: positions in 100-nanosecond units; a negative one keeps the position (start) or the
// stop position (stop). Playback runs on from the position.
void movieSeek(Engine& e, int32_t start, int32_t stop);
// MovieStatus: kMovieRunning while the movie runs, else kMovieNotRunning.
int32_t movieStatus(Engine& e);
// MovieVolume: the sound's volume in hundredths of a decibel (0 full, -10000 silent); a value
// outside that range is refused and the volume stays.
void movieVolume(Engine& e, int32_t volume);
// MovieStop: ends the movie if one plays; in every case a short pause with the window kept
// alive, and the whole screen is repainted at the next presentation.
void movieStop(Engine& e);
// Every turn: shows the picture due and notices the end.
void updateMovie(Engine& e);
// The engine ends: the movie goes without a pause.
void endMovie(Engine& e);

}  // namespace rs::shell
