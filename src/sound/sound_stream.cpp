#include "sound/sound_stream.h"

#include <algorithm>
#include <cstring>

#include "sound/wave_layout.h"

namespace rs::sound {

namespace {

// The streaming thread looks at the play cursor this often.
constexpr int32_t kPollMs = 100;

}  // namespace

StreamType streamTypeFor(std::string_view name) {
    return name.find(".ogg") != std::string_view::npos ? StreamType::OggVorbis : StreamType::Wave;
}

int32_t takeStreamData(SoundStream& s, std::unique_ptr<uint8_t[]> data, int32_t size) {
    s.type = streamTypeFor(s.name);
    s.readPos = 0;
    if (s.type != StreamType::OggVorbis) {
        s.data = std::move(data);
        s.size = size;
        return 0;
    }
    auto decoder = std::make_unique<OggDecoder>(data.get(), size, s.log);
    int32_t code = decoder->parseHeaders();
    if (code != kOggHeadersOk) return code;
    if (!decoder->prime()) return kOggNoAudio;
    s.duration = decoder->duration();
    s.decoder = std::move(decoder);
    s.data = std::move(data);
    s.size = size;
    return 0;
}

bool findWaveSamples(SoundStream& s) {
    std::optional<WaveLayout> w = readWaveLayout(s.data.get(), s.size);
    if (!w) return false;
    s.duration = waveDuration(s.size, w->bytesPerSecond);
    s.pcmOffset = w->pcmOffset;
    s.pcmSize = w->pcmSize;
    s.waveFormat = w->format;
    if (!w->pcm()) s.type = StreamType::UnsupportedWave;
    return true;
}

std::optional<PcmFormat> ringFormat(const SoundStream& s) {
    switch (s.type) {
        case StreamType::OggVorbis: return PcmFormat{};
        case StreamType::Wave:
            if (!s.waveFormat.playable()) return std::nullopt;
            return s.waveFormat;
        case StreamType::UnsupportedWave: break;
    }
    PcmFormat silent{std::clamp(s.waveFormat.channels, 1, 2), s.waveFormat.rate, 16};
    if (!silent.playable()) silent.rate = kOutputRate;
    return silent;
}

bool produceBlock(SoundStream& s, uint8_t* block) {
    switch (s.type) {
        case StreamType::UnsupportedWave: return false;
        case StreamType::OggVorbis:
            s.decoder->fillBlock(reinterpret_cast<int16_t*>(block), kBlockBytes / 4, s.loop, s.gain,
                                 s.simd);
            return true;
        case StreamType::Wave: break;
    }
    int32_t written = 0;
    while (written < kBlockBytes) {
        if (s.readPos >= s.pcmSize) {
            // Samples of no length cannot loop: the stream is silent from here.
            if (!s.loop || s.pcmSize <= 0) {
                std::memset(block + written, s.waveFormat.silence(),
                            static_cast<size_t>(kBlockBytes - written));
                break;
            }
            s.readPos = 0;
        }
        int32_t n = std::min(kBlockBytes - written, s.pcmSize - s.readPos);
        std::memcpy(block + written, s.data.get() + s.pcmOffset + s.readPos,
                    static_cast<size_t>(n));
        written += n;
        s.readPos += n;
    }
    return true;
}

void fillBlock(SoundStream& s, int32_t index) {
    if (index == s.lastBlock || !s.buffer) return;
    // Made in the stream's own memory, then copied into the ring under its lock.
    if (!s.staging) s.staging = std::make_unique_for_overwrite<int16_t[]>(kBlockBytes / 2);
    auto* bytes = reinterpret_cast<uint8_t*>(s.staging.get());
    if (produceBlock(s, bytes)) s.buffer->write(index * kBlockBytes, bytes, kBlockBytes);
    s.lastBlock = index;
}

void serviceStream(SoundStream& s) {
    if (!s.buffer) return;
    int32_t cursor = s.buffer->playCursor();
    while (cursor < s.fillCursor || cursor >= s.fillCursor + kBlockBytes) {
        fillBlock(s, s.fillCursor / kBlockBytes);
        s.fillCursor = (s.fillCursor + kBlockBytes) % kRingBytes;
    }
}

namespace {

void fillAhead(SoundStream& s) {
    for (int32_t i = 1; i < kBlockCount && s.running; ++i) fillBlock(s, i);
    s.fillCursor = 0;
}

void streamThread(SoundStream* s) {
    fillAhead(*s);
    std::unique_lock<std::mutex> lock(s->wakeMutex);
    while (s->running) {
        lock.unlock();
        serviceStream(*s);
        lock.lock();
        s->wake.wait_for(lock, std::chrono::milliseconds(kPollMs), [s] { return !s->running; });
    }
}

}  // namespace

void startStreaming(SoundStream& s, Mixer& mixer, bool threaded) {
    s.running = true;
    fillBlock(s, 0);
    s.voice = mixer.add(s.buffer, MixerLine::Wave, s.levels.levels());
    if (threaded) {
        s.thread = std::thread(streamThread, &s);
    } else {
        fillAhead(s);
    }
}

void endStreaming(SoundStream& s, Mixer& mixer) {
    {
        std::lock_guard<std::mutex> lock(s.wakeMutex);
        s.running = false;
    }
    s.wake.notify_all();
    if (s.thread.joinable()) s.thread.join();
    mixer.remove(s.voice);
    s.voice = 0;
    s.buffer.reset();
}

}  // namespace rs::sound
