#include "platform/sdl/sdl_audio_device.h"

#include <SDL.h>

#include <string>

namespace rs::platform::sdl {

namespace {

// Frames SDL asks for at a time when it pulls (about 23 ms).
constexpr Uint16 kPullFrames = 1024;
// Queued frames beyond this (one second) are dropped: on a virtual clock the engine may make
// its sound faster than it is played.
constexpr Uint32 kMaxQueuedBytes = kAudioRate * 4;

class SdlAudioDevice final : public AudioDevice {
  public:
    ~SdlAudioDevice() override { stop(); }

    bool startPulling(AudioRenderer& renderer, std::string& reason) override {
        return open(&renderer, reason);
    }
    bool startQueued(std::string& reason) override { return open(nullptr, reason); }

    void queue(const int16_t* frames, int32_t count) override {
        if (device_ == 0 || count <= 0) return;
        if (SDL_GetQueuedAudioSize(device_) > kMaxQueuedBytes) return;
        SDL_QueueAudio(device_, frames, static_cast<Uint32>(count) * 4);
    }

    // Closing the device waits for a callback that is running.
    void stop() override {
        if (device_ != 0) SDL_CloseAudioDevice(device_);
        device_ = 0;
        if (initialised_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
        initialised_ = false;
    }

  private:
    static void SDLCALL pull(void* user, Uint8* stream, int bytes) {
        static_cast<AudioRenderer*>(user)->render(reinterpret_cast<int16_t*>(stream), bytes / 4);
    }

    bool open(AudioRenderer* renderer, std::string& reason) {
        stop();
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            reason = SDL_GetError();
            return false;
        }
        initialised_ = true;
        SDL_AudioSpec want{};
        want.freq = kAudioRate;
        want.format = AUDIO_S16SYS;
        want.channels = kAudioChannels;
        want.samples = kPullFrames;
        want.callback = renderer ? pull : nullptr;
        want.userdata = renderer;
        SDL_AudioSpec have{};
        device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (device_ == 0) {
            reason = SDL_GetError();
            stop();
            return false;
        }
        SDL_PauseAudioDevice(device_, 0);
        return true;
    }

    SDL_AudioDeviceID device_ = 0;
    bool initialised_ = false;
};

}  // namespace

std::unique_ptr<AudioDevice> createAudioDevice() { return std::make_unique<SdlAudioDevice>(); }

}  // namespace rs::platform::sdl
