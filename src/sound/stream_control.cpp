#include "sound/stream_control.h"

#include "data/engine_resources.h"
#include "platform/host.h"
#include "runtime/errors.h"
#include "runtime/format.h"
#include "shell/engine.h"
#include "sound/sound_state.h"

namespace rs::sound {

namespace {

// Names are held in 2048-byte buffers.
constexpr size_t kMaxNameBytes = 2047;

// createStreamBuffer: the ring in the stream's format, silent.
bool createStreamBuffer(Engine& e, SoundStream& s) {
    std::optional<PcmFormat> format = ringFormat(s);
    if (!format) {
        reportSoundError(e, "buffer(2) ", DsError::BadFormat);
        return false;
    }
    s.buffer = std::make_shared<SoundBuffer>(*format, kRingBytes, true);
    return true;
}

}  // namespace

void openStream(Engine& e, SoundStream& s, std::string_view name, int32_t gain) {
    s.name = std::string(name.substr(0, kMaxNameBytes));
    s.type = streamTypeFor(s.name);
    s.startTime = -1;
    s.duration = -1;
    s.gain = gain;
    Engine* engine = &e;
    s.log = [engine](std::string_view title, std::string_view text) {
        runtime::appendErrorLog(*engine, title, text);
    };
    std::unique_ptr<uint8_t[]> data;
    int32_t size = data::LoadResource(data::resourceContext(e), s.name, data);
    if (size <= 0) return;
    int32_t code = takeStreamData(s, std::move(data), size);
    if (code == 0) return;
    std::string text = runtime::formatMessage("Oggデータに異常がありました\n(%s:エラーコード%d)",
                                              s.name.c_str(), code);
    platform::MessageBoxRequest box;
    box.text = text;
    box.caption = "soundエラー";
    box.ownedByWindow = e.app.mainWindow;
    e.host.messageBoxes().show(box);
}

void playStream(Engine& e, SoundStream& s, int32_t mode, int32_t pan, int32_t volume,
                uint32_t priority) {
    SoundState& state = *e.sound;
    if (mode == 2) {
        if (state.deviceState == 1 && s.buffer) {
            s.levels.set(pan, volume);
            state.mixer.setLevels(s.voice, s.levels.levels());
        }
        return;
    }
    if (state.deviceState == 0) initSoundDevice(e);
    if (state.deviceState != 1 || !s.hasData()) return;
    // Played again without a stop: the first playback ends (its thread and ring would be lost).
    if (s.buffer) stopStream(e, s);
    s.loop = mode != 0;
    // A WAVE file without its format or samples is not played.
    if (s.type != StreamType::OggVorbis && !findWaveSamples(s)) return;
    s.priority = priority;
    if (!createStreamBuffer(e, s)) return;
    // The new ring starts with no block filled: the index filled last belongs to the old one.
    s.lastBlock = -1;
    s.simd = e.app.hasMmx > 0;
    s.levels = BufferLevels{};
    s.levels.set(pan, volume);
    s.startTime = static_cast<int32_t>(e.engineTime());
    startStreaming(s, state.mixer, !state.virtualClock);
}

void stopStream(Engine& e, SoundStream& s) {
    if (e.sound->deviceState != 1 || !s.buffer) return;
    endStreaming(s, e.sound->mixer);
}

void closeStream(Engine& e, SoundStream& s) {
    if (e.sound->deviceState == 1) stopStream(e, s);
    if (!s.hasData()) return;
    s.decoder.reset();
    s.data.reset();
    s.size = 0;
}

int32_t remainingTime(Engine& e, const SoundStream& s) {
    if (s.startTime == -1) return s.duration;
    uint32_t end = static_cast<uint32_t>(s.startTime) + static_cast<uint32_t>(s.duration);
    // Engine times are 31 bits wide: the difference is taken in 31 bits.
    int32_t left = static_cast<int32_t>((end - e.engineTime()) << 1) >> 1;
    return left < 0 ? 0 : left;
}

}  // namespace rs::sound
