// WAVE streams as a script plays them: copied as they are, converted to the output format,
// looping at the end of their samples or turning to silence, and the formats that do not play.
#include <gtest/gtest.h>

#include "snd/ogg_encode.h"
#include "sound/sound_support.h"

namespace rs::test {
namespace {

// A 16-bit stereo ramp: left counts up, right counts down.
std::vector<int16_t> ramp(int32_t frameCount) {
    std::vector<int16_t> s(static_cast<size_t>(frameCount) * 2);
    for (int32_t i = 0; i < frameCount; ++i) {
        s[2 * static_cast<size_t>(i)] = static_cast<int16_t>(i * 3);
        s[2 * static_cast<size_t>(i) + 1] = static_cast<int16_t>(-i * 5);
    }
    return s;
}

std::string playScript(const std::string& name, int mode, int ms) {
    return openInto(1, name) + playVar(1, mode) + waitMs(ms);
}

TEST(WaveStreams, PcmAtTheOutputFormatIsCopiedThenTurnsToSilence) {
    std::vector<int16_t> samples = ramp(10000);
    std::string wave = tools::makeWave16(samples, 2, 44100);
    SoundGame g;
    g.file("a.wav", wave);
    // The length counts the whole file: (44 + 40000) x 1000 / 176400 = 227 ms.
    g.run(openInto(1, "a.wav") + remainInto(2, 1) + playVar(1, 0) + remainInto(3, 1) + waitMs(200) +
          remainInto(4, 1) + waitMs(100) + remainInto(5, 1));
    EXPECT_EQ(g.global(2), -1);  // unknown before the first play
    EXPECT_EQ(g.global(3), 227);
    EXPECT_EQ(g.global(4), 27);
    EXPECT_EQ(g.global(5), 0);
    std::vector<int16_t> heard = g.capture();
    EXPECT_EQ(frames(heard, 0, 10000), samples);
    EXPECT_EQ(frames(heard, 10000, 13230), std::vector<int16_t>(3230 * 2, 0));
}

TEST(WaveStreams, ALoopWrapsAtTheEndOfTheSamples) {
    std::vector<int16_t> samples = ramp(3000);
    SoundGame g;
    g.file("a.wav", tools::makeWave16(samples, 2, 44100));
    g.run(playScript("a.wav", 1, 300));
    std::vector<int16_t> heard = g.capture();
    for (int round = 0; round < 4; ++round)
        EXPECT_EQ(frames(heard, round * 3000, round * 3000 + 3000), samples) << round;
}

TEST(WaveStreams, OtherRatesAndDepthsAreConvertedByLinearInterpolation) {
    // 8-bit mono at 22050 Hz: every sample widened to 16 bits on both sides, with a frame
    // halfway to the next one between two samples; after the end, silence (not the 8-bit
    // format's zero byte, which would be a full negative level).
    std::string data;
    for (int i = 0; i < 200; ++i) data.push_back(static_cast<char>(128 + (i % 50) - 25));
    SoundGame g;
    g.file("a.wav", tools::makeWave(1, 1, 22050, 8, data));
    g.run(playScript("a.wav", 0, 50));
    std::vector<int16_t> heard = g.capture();
    auto sample = [&](int i) {
        return (static_cast<int>(static_cast<uint8_t>(data[static_cast<size_t>(i)])) - 128) << 8;
    };
    for (int i = 0; i < 398; ++i) {
        int s0 = sample(i / 2);
        int expected = (i % 2) ? s0 + (((sample(i / 2 + 1) - s0) * 32768) >> 16) : s0;
        ASSERT_EQ(heard[2 * static_cast<size_t>(i)], expected) << i;
        ASSERT_EQ(heard[2 * static_cast<size_t>(i) + 1], expected) << i;
    }
    EXPECT_EQ(frames(heard, 400, 2205), std::vector<int16_t>(1805 * 2, 0));
}

TEST(WaveStreams, FilesThatDoNotPlay) {
    std::vector<int16_t> samples = ramp(2000);
    std::string pcm = tools::makeWave16(samples, 2, 44100);
    std::string noData = pcm;
    noData.replace(noData.find("data"), 4, "dada");
    std::string noFormat = pcm;
    noFormat.replace(noFormat.find("fmt "), 4, "fmx ");
    SoundGame g;
    g.file("float.wav", tools::makeWave(3, 2, 44100, 32, std::string(16000, '\x40')));
    g.file("deep.wav", tools::makeWave(1, 2, 44100, 24, std::string(12000, '\x40')));
    g.file("nodata.wav", noData);
    g.file("noformat.wav", noFormat);
    g.run(playScript("float.wav", 0, 100) + remainInto(2, 1) + playScript("deep.wav", 0, 10) +
          playScript("nodata.wav", 0, 10) + remainInto(3, 1) + playScript("noformat.wav", 0, 10) +
          playScript("missing.wav", 1, 10) + remainInto(4, 1));
    // A format that is not PCM gets a silent ring: its length counts down as usual.
    EXPECT_EQ(g.global(2), 0);
    // PCM that no sound card plays is reported when the ring cannot be made.
    EXPECT_EQ(g.game.boxTexts(""), std::vector<std::string>{"buffer(2) DSERR_BADFORMAT\n"});
    // Without the markers the file is not played (and its length stays unknown).
    EXPECT_EQ(g.global(3), -1);
    EXPECT_EQ(g.global(4), -1);
    std::vector<int16_t> heard = g.capture();
    EXPECT_EQ(heard, std::vector<int16_t>(heard.size(), 0));
}

TEST(WaveStreams, ADataSizeBeyondTheFileIsCutToIt) {
    std::vector<int16_t> samples = ramp(1000);
    std::string wave = tools::makeWave16(samples, 2, 44100);
    size_t at = wave.find("data") + 4;
    for (int i = 0; i < 4; ++i) wave[at + static_cast<size_t>(i)] = '\xff';
    SoundGame g;
    g.file("a.wav", wave);
    g.run(playScript("a.wav", 1, 100));
    std::vector<int16_t> heard = g.capture();
    EXPECT_EQ(frames(heard, 0, 1000), samples);
    EXPECT_EQ(frames(heard, 1000, 2000), samples);
}

}  // namespace
}  // namespace rs::test
