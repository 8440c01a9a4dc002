// The engine's sound: the 32 stream slots, the one-shot WAVE stream, the script's sample buffer,
// the MIDI bookkeeping, the mixer and the way its mix leaves the engine.
//
// The output emulates the sound device the games were made for. The device is opened on the first
// play request. On a real clock the host's audio device pulls the mix on its own thread and each
// playing stream refills its ring on a streaming thread. On a virtual clock the main loop makes
// the mix itself, exactly 44.1 frames for every millisecond of engine time (the fraction carried),
// refills the rings in step and hands the frames to the device: the mix, and a capture of it, are
// then the same on every run.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/audio_device.h"
#include "sound/capture_file.h"
#include "sound/mixer.h"
#include "sound/sound_buffer.h"
#include "sound/sound_stream.h"

namespace rs {
class Engine;
}
namespace rs::platform {
class Host;
}

namespace rs::sound {

constexpr int32_t kSlotCount = 32;

// What leaves the mixer: the mix is made, written to the capture when there is one, then scaled
// by the player's volume. The device pulls it (real clock) or the engine calls it (virtual clock).
class MixOutput final : public platform::AudioRenderer {
  public:
    explicit MixOutput(Mixer& mixer) : mixer_(mixer) {}
    void render(int16_t* out, int32_t frames) override;

    // The player's volume (0-100; the gain is the square of the fraction, roughly even steps of
    // loudness) and mute.
    void setPlayerLevel(int32_t volume, bool mute);
    int32_t playerGain() const { return playerGain_.load(); }

    bool startCapture(const std::string& path, std::string& error);
    void captureSilence(int64_t frames);
    bool finishCapture(std::string& error);
    bool capturing() const;

  private:
    Mixer& mixer_;
    std::atomic<int32_t> playerGain_{kUnityGain};
    mutable std::mutex captureMutex_;
    CaptureFile capture_;
};

// DirectSound's result codes, by the names its failure reports append.
enum class DsError {
    Allocated,
    ControlUnavail,
    InvalidParam,
    InvalidCall,
    Generic,
    PrioLevelNeeded,
    OutOfMemory,
    BadFormat,
    Unsupported,
    NoDriver,
    AlreadyInitialized,
    NoAggregation,
    BufferLost,
    OtherAppHasPrio,
    Uninitialized,
    Unknown,
};
// The name a report appends: "DSERR_NODRIVER\n" and so on, "UNKNOWN\n" for others.
const char* dsErrorName(DsError code);

struct SoundState {
    SoundState(platform::Host& host, int32_t playerVolume, bool playerMute);
    ~SoundState();
    SoundState(const SoundState&) = delete;
    SoundState& operator=(const SoundState&) = delete;

    platform::Host& host;
    // streamSlots: the script holds the number of a slot.
    std::array<std::unique_ptr<SoundStream>, kSlotCount> slots;
    // The one-shot WAVE of `waveplay`.
    std::unique_ptr<SoundStream> waveStream;
    // The static buffer of `wavedata` and its voice.
    std::shared_ptr<SoundBuffer> sampleBuffer;
    Mixer::VoiceId sampleVoice = 0;
    // MIDI: 0 none requested, else the loop argument of the last request + 1; and the switch
    // (1 on; the configuration's default).
    int32_t midiRequested = 0;
    int32_t midiSwitch = 1;
    // soundDeviceState: 0 not opened yet, 1 ready, -1 failed (for the rest of the run).
    int32_t deviceState = 0;

    Mixer mixer;
    MixOutput output{mixer};

    // The clock the mix follows: a virtual clock makes the mix in the main loop.
    bool virtualClock = false;
    // The host clock at the start, and the frames made since (virtual clock).
    uint64_t originMs = 0;
    int64_t framesMixed = 0;
};

// The frames of the mix that belong to `ms` milliseconds: 44.1 a millisecond, rounded down.
constexpr int64_t framesForMilliseconds(int64_t ms) { return ms * 441 / 10; }

// initSoundDevice: opens the output on the first play request; a failure is reported once
// ("DirectSound初期化エラー(1)") and the game runs silent.
void initSoundDevice(Engine& e);
bool soundDeviceReady(const Engine& e);

// reportSoundError: the text (at most 255 bytes with the name) with the code's name appended, in
// a box with an empty caption.
void reportSoundError(Engine& e, std::string_view text, DsError code);

// On a virtual clock: makes the mix up to the engine clock's present, refilling the rings of
// playing streams as it goes. Nothing on a real clock (the device pulls).
void advanceSound(Engine& e);

// playSamples: the static sample buffer (16-bit mono, 22050 Hz), replacing the previous one.
void playSamples(Engine& e, const std::vector<uint8_t>& samples, bool looping, int32_t pan,
                 int32_t volume, uint32_t priority);

// Every playing stream (slots and the WAVE), for the refills on a virtual clock.
template <typename F>
void forEachStream(SoundState& s, F f) {
    for (auto& slot : s.slots) {
        if (slot) f(*slot);
    }
    if (s.waveStream) f(*s.waveStream);
}

// --audio-capture: from now on everything the mixer makes goes to the file.
bool startAudioCapture(Engine& e, const std::string& path, std::string& error);

// The player's settings (app.playerSound) changed: applies them to what is heard.
void applyPlayerSound(Engine& e);

// shutdownSound: the mix made up to now, every stream closed, the device released and the
// capture finished. False with a reason when the capture could not be written. Running it again
// does nothing.
bool shutdownSound(Engine& e, std::string* captureError = nullptr);

}  // namespace rs::sound
