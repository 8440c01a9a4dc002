// The mix: sample conversions, the pace of the virtual clock, mixer lines, output buffers and the
// player's volume after the capture.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "platform/headless_host.h"
#include "sound/mixer.h"
#include "sound/sample_convert.h"
#include "sound/sound_buffer.h"
#include "sound/sound_state.h"
#include "sound/sound_support.h"

namespace rs::test {
namespace {

using sound::convertExact;
using sound::convertWithGain;

TEST(SampleConversion, ExactConversionAtGainOne) {
    EXPECT_EQ(convertExact(1.0f), 32767);
    EXPECT_EQ(convertExact(-1.0f), -32767);
    EXPECT_EQ(convertExact(0.5f), 16384);
    EXPECT_EQ(convertExact(-0.5f), -16384);
    EXPECT_EQ(convertExact(std::ldexp(1.0f, -15)), 1);
    EXPECT_EQ(convertExact(-std::ldexp(1.0f, -15)), -1);
    EXPECT_EQ(convertExact(std::ldexp(0.999f, -15)), 0);  // below 2^-15
    EXPECT_EQ(convertExact(-1e-30f), 0);
    EXPECT_EQ(convertExact(0.99999994f), 32767);
    EXPECT_EQ(convertExact(7.5f), 32767);
    EXPECT_EQ(convertExact(-7.5f), -32767);
    EXPECT_EQ(convertExact(std::numeric_limits<float>::infinity()), 32767);
    EXPECT_EQ(convertExact(std::numeric_limits<float>::quiet_NaN()), 0);
}

TEST(SampleConversion, GainConversionThresholds) {
    // t = trunc(x * 32767 * gain): below -32728 it is -32768, above 32727 it is 32767.
    auto at = [](double t, int gain) { return static_cast<float>(t / 32767.0 / gain); };
    EXPECT_EQ(convertWithGain(at(-32728.2, 2), 2), -32728);
    EXPECT_EQ(convertWithGain(at(-32729.5, 2), 2), -32768);
    EXPECT_EQ(convertWithGain(at(32727.5, 2), 2), 32727);
    EXPECT_EQ(convertWithGain(at(32728.5, 2), 2), 32767);
    EXPECT_EQ(convertWithGain(0.25f, 2), 16383);  // 16383.5 truncated
    EXPECT_EQ(convertWithGain(-0.25f, 2), -16383);
    EXPECT_EQ(convertWithGain(0.9f, 0), 0);
    EXPECT_EQ(convertWithGain(0.5f, -1), -16383);
    EXPECT_EQ(convertWithGain(1e30f, 1000), 32767);
    EXPECT_EQ(convertWithGain(-1e30f, 1000), -32768);
}

TEST(SampleConversion, TheSimdCodeGivesThePlainCodesSamples) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> wide(-1.5f, 1.5f);
    std::vector<float> left, right;
    const float specials[] = {0.0f,
                              -0.0f,
                              1.0f,
                              -1.0f,
                              2e-5f,
                              -2e-5f,
                              3.0517578e-05f,
                              std::numeric_limits<float>::denorm_min(),
                              std::numeric_limits<float>::infinity(),
                              -std::numeric_limits<float>::infinity(),
                              std::numeric_limits<float>::quiet_NaN(),
                              0.99999994f,
                              -0.99999994f};
    for (float f : specials) {
        left.push_back(f);
        right.push_back(-f);
    }
    for (int i = 0; i < 10001; ++i) {
        left.push_back(wide(rng));
        right.push_back(wide(rng) * 1e-4f);
    }
    const int32_t n = static_cast<int32_t>(left.size());
    std::vector<int16_t> plain(static_cast<size_t>(n) * 2), simd(plain.size());
    sound::convertFrames(left.data(), right.data(), n, 1, false, plain.data());
    sound::convertFrames(left.data(), right.data(), n, 1, true, simd.data());
    EXPECT_EQ(plain, simd);
    for (int32_t i = 0; i < n; ++i)
        ASSERT_EQ(plain[2 * static_cast<size_t>(i)], convertExact(left[static_cast<size_t>(i)]));
}

TEST(Mix, TheVirtualClockMakes441FramesEvery10Milliseconds) {
    TestGame game;
    Engine& e = game.engine();
    int64_t total = 0;
    for (int step : {1, 1, 1, 3, 10, 7, 1000, 13, 1}) {
        game.clock().advance(static_cast<uint64_t>(step));
        total += step;
        sound::advanceSound(e);
        EXPECT_EQ(e.sound->framesMixed, total * 441 / 10) << total;
    }
    EXPECT_EQ(sound::framesForMilliseconds(1037), 45731);
}

// A source of one constant frame.
class Constant final : public sound::MixerSource {
  public:
    Constant(int16_t l, int16_t r, int32_t frames = 1 << 30) : l_(l), r_(r), left_(frames) {}
    int32_t read(int16_t* out, int32_t frames) override {
        int32_t n = std::min(frames, left_);
        for (int32_t i = 0; i < n; ++i) {
            out[2 * i] = l_;
            out[2 * i + 1] = r_;
        }
        left_ -= n;
        return n;
    }

  private:
    int16_t l_, r_;
    int32_t left_;
};

TEST(Mix, LinesScaleTheirVoicesAndEndedSourcesAreDropped) {
    sound::Mixer mixer;
    auto wave = mixer.add(std::make_shared<Constant>(1000, -1000), sound::MixerLine::Wave);
    auto synth = mixer.add(std::make_shared<Constant>(2000, 2000, 100), sound::MixerLine::Synth,
                           {sound::kUnityGain / 2, sound::kUnityGain});
    std::vector<int16_t> out(2 * 200);
    mixer.setLineGain(sound::MixerLine::Synth, sound::kUnityGain / 2);
    mixer.render(out.data(), 200);
    EXPECT_EQ(out[0], 1000 + 500);
    EXPECT_EQ(out[1], -1000 + 1000);
    EXPECT_EQ(out[2 * 150], 1000);  // the synth voice ended after 100 frames
    EXPECT_FALSE(mixer.playing(synth));
    EXPECT_TRUE(mixer.playing(wave));
    mixer.setLineGain(sound::MixerLine::Master, 0);
    mixer.render(out.data(), 1);
    EXPECT_EQ(out[0], 0);
    mixer.remove(wave);
    EXPECT_EQ(mixer.voiceCount(), 0);
}

TEST(Mix, OutputBuffersConvertTheirFormat) {
    // 48000 Hz: 48000/44100 frames of the buffer a frame, interpolated.
    sound::SoundBuffer fast({1, 48000, 16}, 2000, false);
    std::vector<uint8_t> ramp;
    for (int i = 0; i < 1000; ++i) {
        int16_t s = static_cast<int16_t>(i * 30);
        ramp.push_back(static_cast<uint8_t>(s & 0xFF));
        ramp.push_back(static_cast<uint8_t>((s >> 8) & 0xFF));
    }
    fast.write(0, ramp.data(), 2000);
    std::vector<int16_t> out(2 * 1000);
    int32_t got = fast.read(out.data(), 1000);
    // 1000 frames of the buffer last 918.75 output frames; it plays once and ends.
    EXPECT_EQ(got, 919);
    EXPECT_NEAR(out[2 * 441], 480 * 30, 1);
    EXPECT_EQ(fast.read(out.data(), 10), 0);
    // A looping stereo buffer at the output rate plays its bytes as they are, round and round.
    sound::SoundBuffer ring({2, 44100, 16}, 16, true);
    const int16_t frames4[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    ring.write(0, reinterpret_cast<const uint8_t*>(frames4), 16);
    std::vector<int16_t> looped(2 * 6);
    EXPECT_EQ(ring.read(looped.data(), 6), 6);
    EXPECT_EQ(looped, (std::vector<int16_t>{1, 2, 3, 4, 5, 6, 7, 8, 1, 2, 3, 4}));
    EXPECT_EQ(ring.playCursor(), 8);
}

// A device that keeps what it is handed.
class RecordingDevice final : public platform::AudioDevice {
  public:
    bool startPulling(platform::AudioRenderer&, std::string&) override { return false; }
    bool startQueued(std::string&) override { return true; }
    void queue(const int16_t* frames, int32_t count) override {
        heard.insert(heard.end(), frames, frames + 2 * count);
    }
    void stop() override {}
    std::vector<int16_t> heard;
};

TEST(Mix, ThePlayersVolumeComesAfterTheCapture) {
    for (auto [volume, mute, gain] :
         {std::tuple{100, false, 1.0}, std::tuple{50, false, 0.25}, std::tuple{100, true, 0.0}}) {
        SoundGame g;
        auto device = std::make_unique<RecordingDevice>();
        RecordingDevice* recording = device.get();
        dynamic_cast<platform::HeadlessHost&>(g.e.host).setAudio(std::move(device));
        g.e.app.playerSound = {volume, mute};
        sound::applyPlayerSound(g.e);
        g.file("a.ogg", oggChirp(4410));
        g.run(openInto(1, "a.ogg") + playVar(1, 1) + waitMs(100));
        std::vector<int16_t> captured = g.capture();
        ASSERT_GE(recording->heard.size(), 4410u * 2);
        // The device is opened by the play request: it hears from the script's start on.
        for (size_t i = 0; i < 4410 * 2; ++i) {
            ASSERT_EQ(recording->heard[i],
                      static_cast<int16_t>(std::floor(captured[i] * gain + 1e-9)))
                << volume << " " << i;
        }
        EXPECT_EQ(frames(captured, 0, 4410), referenceDecode(oggChirp(4410)));
    }
}

}  // namespace
}  // namespace rs::test
