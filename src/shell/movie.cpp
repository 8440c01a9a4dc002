#include "shell/movie.h"

#include <algorithm>
#include <cstdio>

#include "data/save_folder.h"
#include "display/display.h"
#include "platform/audio_file_decoder.h"
#include "platform/host.h"
#include "platform/video_decoder.h"
#include "runtime/errors.h"
#include "runtime/format.h"
#include "shell/engine.h"
#include "shell/input.h"
#include "shell/movie_player.h"
#include "sound/sound_state.h"

namespace rs::shell {

namespace {

constexpr const char* kMovieTitle = "ムービー再生";
// MovieStop pauses this long for the video window to go.
constexpr uint32_t kMovieStopPauseMs = 100;

// A movie failure: an error-log entry (code page 932) naming the file and the reason, and the
// same in English on standard error.
void report(Engine& e, const char* logFormat, const char* english, const std::string& path,
            const std::string& reason) {
    runtime::appendErrorLog(
        e, kMovieTitle,
        runtime::formatMessage(logFormat, data::scriptTextOfHostPath(path).c_str(),
                               reason.c_str()));
    std::fprintf(stderr, "runestage: %s '%s': %s\n", english, path.c_str(), reason.c_str());
}

// The part of a rectangle on a screen of this size (empty when none is).
platform::PixelRect onScreen(const platform::PixelRect& r, int32_t width, int32_t height) {
    int64_t left = std::max<int64_t>(r.x, 0), top = std::max<int64_t>(r.y, 0);
    int64_t right = std::min<int64_t>(int64_t{r.x} + r.width, width);
    int64_t bottom = std::min<int64_t>(int64_t{r.y} + r.height, height);
    if (r.empty() || right <= left || bottom <= top) return {};
    return {static_cast<int32_t>(left), static_cast<int32_t>(top),
            static_cast<int32_t>(right - left), static_cast<int32_t>(bottom - top)};
}

// The movie's position now, in microseconds.
int64_t movieNowUs(Engine& e, const MovieState& m) {
    uint32_t elapsed = (e.engineTime() - m.startTime) & 0x7FFFFFFFu;
    return m.startUs + int64_t{elapsed} * 1000;
}

void addVoice(Engine& e, MovieState& m) {
    std::shared_ptr<sound::MixerSource> source = m.player->soundSource();
    if (!source) return;
    m.voice = e.sound->mixer.add(source, sound::MixerLine::Wave, sound::levelsFor(m.volume, 0));
}

void removeVoice(Engine& e, MovieState& m) {
    if (m.voice) e.sound->mixer.remove(m.voice);
    m.voice = 0;
}

// Plays from `us` on, at the engine time of now.
void startAt(Engine& e, MovieState& m, int64_t us) {
    removeVoice(e, m);
    m.player->start(us);
    addVoice(e, m);
    m.startUs = us;
    m.startTime = e.engineTime();
    m.finished = false;
}

// The movie and everything it holds go; the screen is the game's again.
void release(Engine& e) {
    MovieState& m = *e.movie;
    removeVoice(e, m);
    m.player.reset();
    m.current.reset();
    e.app.moviePlaying = 0;
    e.display->movieArea.reset();
    e.display->movieCentred = false;
}

}  // namespace

MovieState::MovieState() = default;
MovieState::~MovieState() {
    if (mixer && voice) mixer->remove(voice);
}

void moviePlay(Engine& e, const std::string& hostPath, int32_t x, int32_t y, int32_t width,
               int32_t height, int32_t volume) {
    MovieState& m = *e.movie;
    if (m.player) release(e);
    m.mixer = &e.sound->mixer;
    m.x = x;
    m.y = y;
    m.width = width;
    m.height = height;
    m.path = hostPath;
    std::string videoError, soundError;
    std::unique_ptr<platform::VideoDecoder> video = platform::openVideoFile(hostPath, videoError);
    std::unique_ptr<platform::AudioFileDecoder> audio =
        platform::openAudioFile(hostPath, soundError);
    if (!video && !audio) {
        report(e, "ムービーを再生できません：%s\n(%s)", "cannot play the movie", hostPath,
               videoError);
        return;
    }
    const display::ScreenParams& screen = e.display->params;
    platform::SizeInPixels native = video ? video->nativeSize() : platform::SizeInPixels{};
    if (x < 0) {
        m.placed = {(screen.width - native.width) >> 1, (screen.height - native.height) >> 1,
                    native.width, native.height};
    } else {
        m.placed = {x, y, width, height};
    }
    m.visible = onScreen(m.placed, screen.width, screen.height);
    if (video && !m.visible.empty()) {
        platform::PixelRect keep{m.visible.x - m.placed.x, m.visible.y - m.placed.y,
                                 m.visible.width, m.visible.height};
        if (!video->setOutput({m.placed.width, m.placed.height}, keep)) {
            report(e, "ムービーが大きすぎるので映像は表示されません：%s\n(%s)",
                   "the movie is too large to be shown", hostPath,
                   std::to_string(m.placed.width) + " x " + std::to_string(m.placed.height));
        }
    }
    if (audio) {
        if (e.sound->deviceState == 0) sound::initSoundDevice(e);
        // Without a sound output only a virtual clock's mix would read the sound.
        if (!sound::soundDeviceReady(e) && !e.sound->virtualClock) audio.reset();
    }
    if (!video && !audio) return;
    sound::BufferLevels levels;
    levels.set(0, volume);
    m.volume = levels.volume;
    m.player =
        std::make_unique<MoviePlayer>(std::move(video), std::move(audio), e.sound->virtualClock);
    m.stopUs = -1;
    startAt(e, m, 0);
    e.app.moviePlaying = 1;
    e.display->movieArea = m.visible;
    e.display->movieCentred = x < 0;
}

void placeMovie(Engine& e) {
    MovieState& m = *e.movie;
    if (!m.player || !m.current || m.current->width <= 0 || m.current->height <= 0) return;
    e.host.presenter().transferPicture(*m.current, m.visible.x, m.visible.y);
}

void updateMovie(Engine& e) {
    MovieState& m = *e.movie;
    if (!m.player || m.finished) return;
    int64_t now = movieNowUs(e, m);
    bool atStop = m.stopUs >= 0 && now >= m.stopUs;
    // Nothing after the stop position is shown.
    int64_t shownAt = atStop ? m.stopUs - 1 : now;
    if (std::optional<platform::Picture> picture = m.player->pictureAt(shownAt)) {
        m.current = std::move(*picture);
        if (m.current->width > 0 && m.current->height > 0) {
            placeMovie(e);
            ++e.display->presentations;
            e.display->lastPresentTime = e.engineTime();
        }
    }
    bool soundOver = m.voice == 0 || !e.sound->mixer.playing(m.voice);
    if (!atStop && !(m.player->videoOverAt(now) && soundOver)) return;
    m.finished = true;
    removeVoice(e, m);
    std::string error = m.player->error();
    if (!atStop && !error.empty()) {
        report(e, "ムービーを最後まで再生できません：%s\n(%s)", "cannot play the movie to its end",
               m.path, error);
    }
}

void movieSeek(Engine& e, int32_t start, int32_t stop) {
    MovieState& m = *e.movie;
    if (!m.player) return;
    updateMovie(e);
    // Where it is: where it stopped when it ended at the stop position, else the clock's place.
    int64_t position = movieNowUs(e, m);
    if (m.finished && m.stopUs >= 0) position = std::min(position, m.stopUs);
    if (stop >= 0) m.stopUs = stop / 10;
    // Neither position given: playback only runs on.
    if (start < 0 && stop < 0) return;
    if (start >= 0) position = start / 10;
    startAt(e, m, position);
}

int32_t movieStatus(Engine& e) {
    MovieState& m = *e.movie;
    if (!m.player) return kMovieNotRunning;
    updateMovie(e);
    RefreshMouseButtons(*e.input);
    return m.finished ? kMovieNotRunning : kMovieRunning;
}

void movieVolume(Engine& e, int32_t volume) {
    MovieState& m = *e.movie;
    if (!m.player) return;
    sound::BufferLevels levels;
    levels.volume = m.volume;
    levels.set(0, volume);
    m.volume = levels.volume;
    if (m.voice) e.sound->mixer.setLevels(m.voice, sound::levelsFor(m.volume, 0));
}

void movieStop(Engine& e) {
    if (e.movie->player) release(e);
    RefreshMouseButtons(*e.input);
    e.pumpMessages();
    e.host.clock().sleep(kMovieStopPauseMs);
    if (e.display->display) display::markWholeScreen(e);
}

void endMovie(Engine& e) {
    if (e.movie->player) release(e);
}

}  // namespace rs::shell
