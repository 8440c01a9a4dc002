// The audio door: the output device that plays the engine's mix. Everything the engine sounds
// leaves it as 44100 Hz 16-bit stereo frames. A device either pulls the frames on its own thread
// (real time: the device decides when it needs more), or plays frames the engine hands it (on a
// virtual clock the engine makes them itself, in step with its clock).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace rs::platform {

// The one output format: frames a second, and two 16-bit samples (left, right) a frame.
constexpr int32_t kAudioRate = 44100;
constexpr int32_t kAudioChannels = 2;

// What a pulling device asks for the next frames.
class AudioRenderer {
  public:
    virtual ~AudioRenderer() = default;
    // Fills `frames` frames at `out` (interleaved left, right). Called on the device's thread.
    virtual void render(int16_t* out, int32_t frames) = 0;
};

class AudioDevice {
  public:
    virtual ~AudioDevice() = default;
    // Opens the output and starts pulling from `renderer` on the device's own thread. False, with
    // the host's reason (UTF-8), when no output can be opened.
    virtual bool startPulling(AudioRenderer& renderer, std::string& reason) = 0;
    // Opens the output for frames handed over with `queue`. False, with the reason, on failure.
    virtual bool startQueued(std::string& reason) = 0;
    // Plays these frames after the ones queued before (queued mode only). A device may drop
    // frames while too many are waiting: the engine may make them faster than real time.
    virtual void queue(const int16_t* frames, int32_t count) = 0;
    // Closes the output. When it returns the renderer is not being called and never will be.
    virtual void stop() = 0;
};

// The output of a host without sound: nothing is heard, but a pulling renderer is called at the
// pace of real time on a thread of its own, so the engine's mix and its streams run as they would
// with a sound card.
class NullAudioDevice final : public AudioDevice {
  public:
    ~NullAudioDevice() override { stop(); }
    bool startPulling(AudioRenderer& renderer, std::string& reason) override;
    bool startQueued(std::string& reason) override;
    void queue(const int16_t*, int32_t count) override { queued_ += count; }
    void stop() override;

    // Frames handed to `queue`, and frames pulled, so far.
    int64_t queuedFrames() const { return queued_; }
    int64_t pulledFrames() const { return pulled_.load(); }

  private:
    void pull(AudioRenderer* renderer);

    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    int64_t queued_ = 0;
    std::atomic<int64_t> pulled_{0};
};

// A device that cannot be opened, for hosts (and tests) without any audio output.
class FailingAudioDevice final : public AudioDevice {
  public:
    explicit FailingAudioDevice(std::string reason) : reason_(std::move(reason)) {}
    bool startPulling(AudioRenderer&, std::string& reason) override {
        ++attempts;
        reason = reason_;
        return false;
    }
    bool startQueued(std::string& reason) override {
        ++attempts;
        reason = reason_;
        return false;
    }
    void queue(const int16_t*, int32_t) override {}
    void stop() override {}

    int32_t attempts = 0;

  private:
    std::string reason_;
};

}  // namespace rs::platform
