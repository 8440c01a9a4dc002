#include "sound/sound_state.h"

#include <algorithm>
#include <cstdio>

#include "platform/host.h"
#include "shell/engine.h"
#include "sound/stream_control.h"

namespace rs::sound {

namespace {

// The virtual-clock mix is made in pieces of this many frames, each followed by the refills it
// made due: a piece never crosses more than one block of any ring.
constexpr int32_t kPieceFrames = 1024;

// The sample buffer's format (Part of the engine's contract with scripts).
constexpr PcmFormat kSampleFormat{1, 22050, 16};

// The smallest buffer a sound card takes, in bytes.
constexpr size_t kMinBufferBytes = 4;

}  // namespace

void MixOutput::render(int16_t* out, int32_t frames) {
    mixer_.render(out, frames);
    {
        std::lock_guard<std::mutex> lock(captureMutex_);
        capture_.write(out, frames);
    }
    int32_t gain = playerGain_.load();
    if (gain == kUnityGain) return;
    for (int32_t i = 0; i < frames * 2; ++i) out[i] = static_cast<int16_t>((out[i] * gain) >> 16);
}

void MixOutput::setPlayerLevel(int32_t volume, bool mute) {
    double fraction = std::clamp(volume, 0, 100) / 100.0;
    playerGain_ = mute ? 0 : static_cast<int32_t>(fraction * fraction * kUnityGain + 0.5);
}

bool MixOutput::startCapture(const std::string& path, std::string& error) {
    std::lock_guard<std::mutex> lock(captureMutex_);
    return capture_.open(path, error);
}

void MixOutput::captureSilence(int64_t frames) {
    std::lock_guard<std::mutex> lock(captureMutex_);
    capture_.writeSilence(frames);
}

bool MixOutput::finishCapture(std::string& error) {
    std::lock_guard<std::mutex> lock(captureMutex_);
    return capture_.close(error);
}

bool MixOutput::capturing() const {
    std::lock_guard<std::mutex> lock(captureMutex_);
    return capture_.isOpen();
}

const char* dsErrorName(DsError code) {
    static const char* const names[] = {
        "DSERR_ALLOCATED\n",
        "DSERR_CONTROLUNAVAIL\n",
        "DSERR_INVALIDPARAM\n",
        "DSERR_INVALIDCALL\n",
        "DSERR_GENERIC\n",
        "DSERR_PRIOLEVELNEEDED\n",
        "DSERR_OUTOFMEMORY\n",
        "DSERR_BADFORMAT\n",
        "DSERR_UNSUPPORTED\n",
        "DSERR_NODRIVER\n",
        "DSERR_ALREADYINITIALIZED\n",
        "DSERR_NOAGGREGATION\n",
        "DSERR_BUFFERLOST\n",
        "DSERR_OTHERAPPHASPRIO\n",
        "DSERR_UNINITIALIZED\n",
    };
    size_t i = static_cast<size_t>(code);
    return i < std::size(names) ? names[i] : "UNKNOWN\n";
}

SoundState::SoundState(platform::Host& h, int32_t playerVolume, bool playerMute)
    : host(h), virtualClock(h.clock().isVirtual()), originMs(h.clock().milliseconds()) {
    output.setPlayerLevel(playerVolume, playerMute);
}

SoundState::~SoundState() {
    // Normally shutdownSound has run; a stream thread must never outlive the state.
    forEachStream(*this, [this](SoundStream& s) { endStreaming(s, mixer); });
    host.audio().stop();
}

bool soundDeviceReady(const Engine& e) { return e.sound->deviceState == 1; }

void reportSoundError(Engine& e, std::string_view text, DsError code) {
    std::string message(text.substr(0, 255));
    message += dsErrorName(code);
    message.resize(std::min<size_t>(message.size(), 255));
    platform::MessageBoxRequest box;
    box.text = message;
    box.caption = "";
    box.ownedByWindow = e.app.mainWindow;
    e.host.messageBoxes().show(box);
}

void initSoundDevice(Engine& e) {
    SoundState& s = *e.sound;
    if (s.deviceState != 0) return;
    s.deviceState = -1;
    std::string reason;
    bool opened;
    if (s.virtualClock) {
        opened = e.host.audio().startQueued(reason);
    } else {
        // What the capture missed before the device existed is silence.
        if (s.output.capturing()) {
            s.output.captureSilence(framesForMilliseconds(
                static_cast<int64_t>(e.host.clock().milliseconds() - s.originMs)));
        }
        opened = e.host.audio().startPulling(s.output, reason);
    }
    if (!opened) {
        // The host's reason goes where the debugger output would.
        std::fprintf(stderr, "runestage: no sound output: %s\n", reason.c_str());
        reportSoundError(e, "DirectSound初期化エラー(1)\nサウンドカードが見つかりません",
                         DsError::NoDriver);
        return;
    }
    s.deviceState = 1;
}

void advanceSound(Engine& e) {
    SoundState& s = *e.sound;
    if (!s.virtualClock) return;
    int64_t elapsed = static_cast<int64_t>(e.host.clock().milliseconds() - s.originMs);
    int64_t due = framesForMilliseconds(elapsed) - s.framesMixed;
    bool queued = s.deviceState == 1;
    std::vector<int16_t> piece(static_cast<size_t>(kPieceFrames) * 2);
    while (due > 0) {
        if (!queued && !s.output.capturing() && s.mixer.voiceCount() == 0) {
            // Nobody hears or keeps this stretch, and nothing plays in it.
            s.framesMixed += due;
            break;
        }
        int32_t n = static_cast<int32_t>(std::min<int64_t>(due, kPieceFrames));
        s.output.render(piece.data(), n);
        if (queued) e.host.audio().queue(piece.data(), n);
        s.framesMixed += n;
        due -= n;
        forEachStream(s, [](SoundStream& stream) { serviceStream(stream); });
    }
}

void playSamples(Engine& e, const std::vector<uint8_t>& samples, bool looping, int32_t pan,
                 int32_t volume, uint32_t) {
    SoundState& s = *e.sound;
    if (s.deviceState == 0) initSoundDevice(e);
    if (s.deviceState != 1) return;
    if (s.sampleVoice) s.mixer.remove(s.sampleVoice);
    s.sampleVoice = 0;
    s.sampleBuffer.reset();
    // A buffer smaller than a sound card takes is not made.
    if (samples.size() < kMinBufferBytes) return;
    auto buffer =
        std::make_shared<SoundBuffer>(kSampleFormat, static_cast<int32_t>(samples.size()), looping);
    buffer->write(0, samples.data(), buffer->size());
    BufferLevels levels;
    levels.set(pan, volume);
    s.sampleBuffer = buffer;
    s.sampleVoice = s.mixer.add(buffer, MixerLine::Wave, levels.levels());
}

bool startAudioCapture(Engine& e, const std::string& path, std::string& error) {
    SoundState& s = *e.sound;
    if (!s.output.startCapture(path, error)) return false;
    // On a virtual clock the capture starts with the mix; what was made before is silence.
    if (s.virtualClock) s.output.captureSilence(s.framesMixed);
    return true;
}

void applyPlayerSound(Engine& e) {
    e.sound->output.setPlayerLevel(e.app.playerSound.volume, e.app.playerSound.mute);
}

bool shutdownSound(Engine& e, std::string* captureError) {
    SoundState& s = *e.sound;
    // A capture covers the run to its end; otherwise nobody hears the rest of a virtual clock.
    if (s.output.capturing()) advanceSound(e);
    for (auto& slot : s.slots) {
        if (!slot) continue;
        closeStream(e, *slot);
        slot.reset();
    }
    if (s.waveStream) {
        closeStream(e, *s.waveStream);
        s.waveStream.reset();
    }
    if (s.sampleVoice) s.mixer.remove(s.sampleVoice);
    s.sampleVoice = 0;
    s.sampleBuffer.reset();
    if (s.deviceState == 1) {
        e.host.audio().stop();
    } else if (!s.virtualClock && s.output.capturing()) {
        // A capture of a real-clock run without sound still covers the run.
        s.output.captureSilence(framesForMilliseconds(
            static_cast<int64_t>(e.host.clock().milliseconds() - s.originMs)));
    }
    s.deviceState = 0;
    std::string error;
    bool ok = s.output.finishCapture(error);
    if (!ok && captureError) *captureError = error;
    return ok;
}

}  // namespace rs::sound
