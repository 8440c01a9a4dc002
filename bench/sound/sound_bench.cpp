// Sound figures: decoding and refilling a 3-minute Ogg Vorbis stream (x real time) next to
// libvorbisfile's ov_read of the same file, and the mixer's cost for 8 streams (fraction of one
// core).
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "snd/demo_sounds.h"
#include "snd/ogg_encode.h"
#include "snd/ogg_reference.h"
#include "sound/mixer.h"
#include "sound/sound_stream.h"

namespace {

using namespace rs;

constexpr int32_t kSeconds = 180;
constexpr int64_t kFrames = int64_t{kSeconds} * 44100;

// Three minutes of music-like sound: the demo's tune over and over, with a quiet noise floor
// (cymbals, room) so the encoder spends bits as it does on recorded music. Encoded once.
const std::string& threeMinutes() {
    static const std::string file = [] {
        tools::DemoTune tune = tools::demoTune();
        std::vector<float> samples(static_cast<size_t>(kFrames) * 2);
        std::mt19937 rng(1);
        std::normal_distribution<float> noise(0.0f, 0.02f);
        const size_t loopFrames = tune.samples.size() / 2;
        for (size_t i = 0; i < static_cast<size_t>(kFrames); ++i) {
            size_t at = i % loopFrames;
            samples[2 * i] = tune.samples[2 * at] + noise(rng);
            samples[2 * i + 1] = tune.samples[2 * at + 1] + noise(rng);
        }
        return tools::encodeOggVorbis(samples, 2, 44100, {}, 0.4f);
    }();
    return file;
}

// The engine's way: the stream opened (headers parsed, decoder primed), then every block of the
// file decoded, converted and copied into the ring as the refill does it.
void BM_EngineDecodeAndRefill(benchmark::State& state) {
    const std::string& ogg = threeMinutes();
    for (auto _ : state) {
        sound::SoundStream s;
        s.name = "bench.ogg";
        auto data = std::make_unique<uint8_t[]>(ogg.size());
        std::memcpy(data.get(), ogg.data(), ogg.size());
        sound::takeStreamData(s, std::move(data), static_cast<int32_t>(ogg.size()));
        s.simd = state.range(0) != 0;
        s.buffer =
            std::make_shared<sound::SoundBuffer>(sound::PcmFormat{}, sound::kRingBytes, true);
        for (int64_t block = 0; block * 8192 < kFrames; ++block)
            sound::fillBlock(s, static_cast<int32_t>(block % sound::kBlockCount));
        benchmark::DoNotOptimize(s.decoder->samplePos());
    }
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(kSeconds) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
    state.counters["file_kbps"] = static_cast<double>(ogg.size()) * 8 / kSeconds / 1000;
}
BENCHMARK(BM_EngineDecodeAndRefill)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// libvorbisfile's reader on the same bytes: ov_read into 16-bit little-endian stereo.
void BM_VorbisfileOvRead(benchmark::State& state) {
    const std::string& ogg = threeMinutes();
    for (auto _ : state) benchmark::DoNotOptimize(tools::vorbisfileReadAll(ogg));
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(kSeconds) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}
BENCHMARK(BM_VorbisfileOvRead)->Unit(benchmark::kMillisecond);

// Eight playing rings mixed for one second of sound. Arg 0: all in the output format (as Ogg
// Vorbis streams are); arg 1: a mixture (22050 Hz mono 8-bit, 22050 Hz stereo, 48000 Hz).
void BM_MixEightStreams(benchmark::State& state) {
    sound::Mixer mixer;
    std::mt19937 rng(2);
    for (int i = 0; i < 8; ++i) {
        sound::PcmFormat format;
        if (state.range(0) == 1 && i >= 4) {
            const sound::PcmFormat others[] = {
                {1, 22050, 8}, {2, 22050, 16}, {2, 48000, 16}, {1, 44100, 16}};
            format = others[i - 4];
        }
        auto ring = std::make_shared<sound::SoundBuffer>(format, sound::kRingBytes, true);
        std::vector<uint8_t> bytes(sound::kRingBytes);
        for (auto& b : bytes) b = static_cast<uint8_t>(rng() >> 4);
        ring->write(0, bytes.data(), sound::kRingBytes);
        mixer.add(ring, sound::MixerLine::Wave, sound::levelsFor(-300 * i, 1000 * (i - 4)));
    }
    std::vector<int16_t> out(2 * 1024);
    for (auto _ : state) {
        for (int32_t done = 0; done < 44100; done += 1024)
            mixer.render(out.data(), std::min(1024, 44100 - done));
        benchmark::DoNotOptimize(out.data());
    }
    // Seconds of one core spent on one second of sound.
    state.counters["core_fraction"] =
        benchmark::Counter(static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_MixEightStreams)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
