// The playing side of a movie: a worker thread decodes the pictures and the sound ahead of time
// into a small queue of pictures and a buffer of sound; the main thread takes the picture due at
// the movie's time, and the mixer reads the sound as one of its voices.
//
// On a virtual clock whoever takes waits for the worker, so the picture shown at a time and the
// sound mixed are the same on every run. On a real clock nobody waits: a picture that comes too
// late is skipped for the next one that is due, and sound missing when the device wants it is
// silence, after which the sound catches up by leaving out as much.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/audio_file_decoder.h"
#include "platform/video_decoder.h"
#include "sound/mixer.h"

namespace rs::shell {

class MoviePlayer {
  public:
    // Pictures decoded ahead.
    static constexpr size_t kQueuedPictures = 3;
    // Sound decoded ahead (a quarter of a second), and read from the decoder in pieces of this.
    static constexpr int32_t kBufferedSoundFrames = 11025;
    static constexpr int32_t kSoundPieceFrames = 2048;

    // Either decoder may be missing, not both. `wait`: the virtual clock's waiting takes.
    MoviePlayer(std::unique_ptr<platform::VideoDecoder> video,
                std::unique_ptr<platform::AudioFileDecoder> audio, bool wait);
    ~MoviePlayer();
    MoviePlayer(const MoviePlayer&) = delete;
    MoviePlayer& operator=(const MoviePlayer&) = delete;

    bool hasVideo() const { return video_ != nullptr; }
    bool hasSound() const { return shared_->hasSound; }
    platform::VideoDecoder* video() const { return video_.get(); }

    // Decoding from `us` on (0: the start), on a fresh worker; what was decoded before is gone.
    // The sound source is to be taken from the mixer first.
    void start(int64_t us);

    // The picture due at `us` (the latest one starting at or before it) when it is not the one
    // handed out last; pictures passed over are counted as dropped.
    std::optional<platform::Picture> pictureAt(int64_t us);
    // True once the last picture was handed out and its time is over at `us` (always true
    // without video).
    bool videoOverAt(int64_t us);

    // The sound as a mixer voice (none without sound).
    std::shared_ptr<sound::MixerSource> soundSource() const { return source_; }

    int64_t picturesShown() const { return shown_; }
    int64_t picturesDropped() const { return dropped_; }
    // Why decoding ended early ("" when it did not).
    std::string error() const;

  private:
    struct Shared {
        std::mutex mutex;
        std::condition_variable changed;
        bool quit = false;
        bool wait = false;
        bool hasSound = false;
        std::deque<platform::VideoFrame> pictures;
        bool videoEnded = false;
        // Interleaved stereo frames not yet read, from frame `soundFrom` on.
        std::vector<int16_t> sound;
        size_t soundFrom = 0;
        bool soundEnded = false;
        // Frames of silence given for sound that was not there yet, to be left out later.
        int64_t soundOwed = 0;
        // The frames a waiting reader asks for.
        size_t soundWanted = 0;
        std::string error;
        size_t soundWaiting() const { return sound.size() / 2 - soundFrom; }
    };
    class SoundSource;

    void stopWorker();
    void work();

    std::unique_ptr<platform::VideoDecoder> video_;
    std::unique_ptr<platform::AudioFileDecoder> audio_;
    std::shared_ptr<Shared> shared_;
    std::shared_ptr<sound::MixerSource> source_;
    std::thread worker_;
    bool started_ = false;
    int64_t lastEndUs_ = -1;
    int64_t shown_ = 0;
    int64_t dropped_ = 0;
};

}  // namespace rs::shell
