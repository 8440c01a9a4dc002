#include "platform/audio_device.h"

#include <vector>

namespace rs::platform {

namespace {

// The null device pulls every 10 ms, as a sound card with a short buffer would.
constexpr int32_t kPullPeriodMs = 10;
// The most frames one pull makes.
constexpr int64_t kMaxPull = 8192;

}  // namespace

bool NullAudioDevice::startPulling(AudioRenderer& renderer, std::string&) {
    stop();
    stopping_ = false;
    thread_ = std::thread(&NullAudioDevice::pull, this, &renderer);
    return true;
}

bool NullAudioDevice::startQueued(std::string&) { return true; }

void NullAudioDevice::stop() {
    if (!thread_.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

// Pulls the frames real time has made due since the start, and sleeps between pulls.
void NullAudioDevice::pull(AudioRenderer* renderer) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    std::vector<int16_t> scratch;
    int64_t done = 0;
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        lock.unlock();
        auto elapsed =
            std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
        int64_t due = elapsed * kAudioRate / 1000000 - done;
        // After a stall (a stopped process, a slow machine) the time lost is skipped, as a sound
        // card that ran dry would skip it.
        if (due > kMaxPull) {
            done += due - kMaxPull;
            due = kMaxPull;
        }
        if (due > 0) {
            scratch.resize(static_cast<size_t>(due) * kAudioChannels);
            renderer->render(scratch.data(), static_cast<int32_t>(due));
            done += due;
            pulled_ += due;
        }
        lock.lock();
        wake_.wait_for(lock, std::chrono::milliseconds(kPullPeriodMs),
                       [this] { return stopping_; });
    }
}

}  // namespace rs::platform
