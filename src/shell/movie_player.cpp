#include "shell/movie_player.h"

#include <algorithm>
#include <cstring>

namespace rs::shell {

// The movie's sound as the mixer reads it.
class MoviePlayer::SoundSource final : public sound::MixerSource {
  public:
    explicit SoundSource(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) {}

    int32_t read(int16_t* out, int32_t frames) override {
        Shared& s = *shared_;
        std::unique_lock lock(s.mutex);
        auto want = static_cast<size_t>(frames);
        if (s.wait) {
            s.soundWanted = want;
            s.changed.notify_all();
            s.changed.wait(lock,
                           [&] { return s.quit || s.soundEnded || s.soundWaiting() >= want; });
            s.soundWanted = 0;
        }
        // Sound owed from an earlier shortage is left out now.
        size_t skip = static_cast<size_t>(std::min<int64_t>(s.soundOwed, s.soundWaiting()));
        s.soundFrom += skip;
        s.soundOwed -= static_cast<int64_t>(skip);
        size_t n = std::min(want, s.soundWaiting());
        std::memcpy(out, s.sound.data() + 2 * s.soundFrom, n * 4);
        s.soundFrom += n;
        // The frames read are let go once they are most of the buffer.
        if (s.soundFrom > 4096 && 4 * s.soundFrom > s.sound.size()) {
            s.sound.erase(s.sound.begin(),
                          s.sound.begin() + static_cast<ptrdiff_t>(2 * s.soundFrom));
            s.soundFrom = 0;
        }
        s.changed.notify_all();
        if (n == want) return frames;
        if (s.soundEnded) return static_cast<int32_t>(n);
        // Not decoded in time: silence now, as much left out when it comes.
        std::memset(out + 2 * n, 0, (want - n) * 4);
        s.soundOwed += static_cast<int64_t>(want - n);
        return frames;
    }

  private:
    std::shared_ptr<Shared> shared_;
};

MoviePlayer::MoviePlayer(std::unique_ptr<platform::VideoDecoder> video,
                         std::unique_ptr<platform::AudioFileDecoder> audio, bool wait)
    : video_(std::move(video)), audio_(std::move(audio)), shared_(std::make_shared<Shared>()) {
    shared_->wait = wait;
    shared_->hasSound = audio_ != nullptr;
    if (audio_) source_ = std::make_shared<SoundSource>(shared_);
}

MoviePlayer::~MoviePlayer() { stopWorker(); }

void MoviePlayer::stopWorker() {
    if (!worker_.joinable()) return;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->quit = true;
    }
    shared_->changed.notify_all();
    worker_.join();
}

void MoviePlayer::start(int64_t us) {
    stopWorker();
    Shared& s = *shared_;
    s.quit = false;
    s.pictures.clear();
    s.sound.clear();
    s.soundFrom = 0;
    s.soundOwed = 0;
    s.error.clear();
    s.videoEnded = !video_;
    s.soundEnded = !audio_;
    lastEndUs_ = -1;
    // Fresh decoders are at the start already (a file that cannot seek still plays once).
    bool fresh = !started_ && us == 0;
    started_ = true;
    if (!fresh) {
        // A stream that cannot go there has nothing more to give.
        if (video_ && !video_->seek(us)) s.videoEnded = true;
        if (audio_ && !audio_->seek(us * platform::kDecodedRate / 1000000)) s.soundEnded = true;
    }
    // The first picture is decoded here, before the movie's clock runs, so it is never late.
    if (!s.videoEnded) {
        platform::VideoFrame frame;
        if (video_->next(frame)) {
            s.pictures.push_back(std::move(frame));
        } else {
            s.videoEnded = true;
            s.error = video_->error();
        }
    }
    worker_ = std::thread([this] { work(); });
}

void MoviePlayer::work() {
    Shared& s = *shared_;
    std::vector<int16_t> piece;
    std::unique_lock lock(s.mutex);
    while (!s.quit) {
        bool wantVideo = !s.videoEnded && s.pictures.size() < kQueuedPictures;
        size_t soundTarget = std::max<size_t>(kBufferedSoundFrames, s.soundWanted);
        bool wantSound = !s.soundEnded && s.soundWaiting() < soundTarget;
        if (!wantVideo && !wantSound) {
            s.changed.wait(lock);
            continue;
        }
        lock.unlock();
        if (wantVideo) {
            platform::VideoFrame frame;
            bool got = video_->next(frame);
            lock.lock();
            if (got) {
                s.pictures.push_back(std::move(frame));
            } else {
                s.videoEnded = true;
                if (s.error.empty()) s.error = video_->error();
            }
            s.changed.notify_all();
            lock.unlock();
        }
        if (wantSound) {
            piece.resize(2 * static_cast<size_t>(kSoundPieceFrames));
            int32_t n = audio_->read(piece.data(), kSoundPieceFrames);
            lock.lock();
            s.sound.insert(s.sound.end(), piece.begin(), piece.begin() + 2 * n);
            if (n < kSoundPieceFrames) {
                s.soundEnded = true;
                if (s.error.empty()) s.error = audio_->error();
            }
            s.changed.notify_all();
            lock.unlock();
        }
        lock.lock();
    }
}

std::optional<platform::Picture> MoviePlayer::pictureAt(int64_t us) {
    if (!video_) return std::nullopt;
    Shared& s = *shared_;
    std::unique_lock lock(s.mutex);
    for (;;) {
        // Pictures whose successor is due as well were late: passed over.
        while (s.pictures.size() >= 2 && s.pictures[1].startUs <= us) {
            s.pictures.pop_front();
            ++dropped_;
            s.changed.notify_all();
        }
        bool settled = s.videoEnded || s.pictures.size() >= 2 ||
                       (!s.pictures.empty() && s.pictures.front().startUs > us);
        if (settled || !s.wait) break;
        s.changed.notify_all();
        s.changed.wait(lock);
    }
    if (s.pictures.empty() || s.pictures.front().startUs > us) return std::nullopt;
    platform::VideoFrame frame = std::move(s.pictures.front());
    s.pictures.pop_front();
    s.changed.notify_all();
    lastEndUs_ = frame.endUs;
    ++shown_;
    return std::move(frame.picture);
}

bool MoviePlayer::videoOverAt(int64_t us) {
    if (!video_) return true;
    std::lock_guard lock(shared_->mutex);
    return shared_->videoEnded && shared_->pictures.empty() && us >= lastEndUs_;
}

std::string MoviePlayer::error() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->error;
}

}  // namespace rs::shell
